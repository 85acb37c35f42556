#include "SettingsStore.h"

#include "FileLock.h"

#include "RuntimeError.h"
#include "RuntimeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStringDecoder>

#include <cmath>
#include <sys/stat.h>
#include <exception>

namespace velmora::services {

namespace {

// The file is UTF-8 text in the usual INI shape. Backslash escapes keep a
// value on its line ("\n", "\r", "\\") and a '=' inside a key ("\=").
QString escaped(const QString &text, bool isKey)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\')
            out += u"\\\\";
        else if (c == u'\n')
            out += u"\\n";
        else if (c == u'\r')
            out += u"\\r";
        else if (isKey && c == u'=')
            out += u"\\=";
        else if (isKey && i == 0 && (c == u'[' || c == u';'))
            out += u'\\' + c;
        else
            out += c;
    }
    return out;
}

// Unescapes text[from, to); stops early at an unescaped stopAt and reports
// where through *stoppedAt (-1 when it ran to the end).
QString unescaped(const QString &text, qsizetype from, qsizetype to, QChar stopAt = QChar(),
                  qsizetype *stoppedAt = nullptr)
{
    QString out;
    if (stoppedAt)
        *stoppedAt = -1;
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' && i + 1 < to) {
            const QChar next = text.at(++i);
            if (next == u'n')
                out += u'\n';
            else if (next == u'r')
                out += u'\r';
            else if (next == u't')
                out += u'\t';
            else
                out += next;
        } else if (!stopAt.isNull() && c == stopAt) {
            if (stoppedAt)
                *stoppedAt = i;
            return out;
        } else {
            out += c;
        }
    }
    return out;
}

bool isUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

// A line written by hand in another encoding is read as Windows-1251, the
// code page of every other file of the program.
QString decodeLine(const QByteArray &raw)
{
    return isUtf8(raw) ? QString::fromUtf8(raw) : runtime::decodeAnsi(raw);
}

} // namespace

// The file as lines of bytes, with what each line means. A change touches
// only its own line, so lines the program does not change keep their bytes.
struct SettingsFile
{
    struct Line
    {
        QByteArray raw;   // without its line end
        QByteArray end;   // "\n", "\r\n", or "" for a last line without one
        bool header = false;
        QString key;      // entries only
        QString value;
    };
    struct Section
    {
        QString name;           // as first written
        QList<qsizetype> lines; // headers and entries, in file order
    };

    QList<Line> lines;
    QList<Section> sections; // one per name, compared without regard to case

    static SettingsFile parse(const QByteArray &bytes);
    QByteArray bytes() const;
    qsizetype findSection(const QString &name) const;
    // First entry line of the key in the section, or -1.
    qsizetype findEntry(qsizetype section, const QString &key) const;
    QList<QPair<QString, QString>> entries(qsizetype section) const;
    // The line end the file uses (its first), for lines the program adds.
    QByteArray lineEnd() const;
    // After lines were added or removed.
    void reindex() { *this = parse(bytes()); }
};

SettingsFile SettingsFile::parse(const QByteArray &bytes)
{
    SettingsFile file;
    qsizetype from = 0;
    qsizetype current = -1;
    while (from < bytes.size()) {
        // CR LF, a lone LF and a lone CR each end a line.
        qsizetype to = from;
        while (to < bytes.size() && bytes.at(to) != '\n' && bytes.at(to) != '\r')
            ++to;
        Line line;
        line.raw = bytes.mid(from, to - from);
        if (to < bytes.size()) {
            const bool crlf = bytes.at(to) == '\r' && to + 1 < bytes.size()
                              && bytes.at(to + 1) == '\n';
            line.end = bytes.mid(to, crlf ? 2 : 1);
        }
        from = to + line.end.size();

        const qsizetype index = file.lines.size();
        const QString text = decodeLine(line.raw);
        if (!text.isEmpty() && !text.startsWith(u';')) {
            if (text.startsWith(u'[') && text.endsWith(u']') && text.size() >= 2) {
                const QString name = unescaped(text, 1, text.size() - 1);
                current = file.findSection(name);
                if (current < 0) {
                    file.sections.append(Section{name, {}});
                    current = file.sections.size() - 1;
                }
                line.header = true;
                file.sections[current].lines.append(index);
            } else if (current >= 0) {
                qsizetype eq = -1;
                const QString key = unescaped(text, 0, text.size(), u'=', &eq);
                if (eq >= 0 && !key.isEmpty()) {
                    line.key = key;
                    line.value = unescaped(text, eq + 1, text.size());
                    file.sections[current].lines.append(index);
                }
            }
        }
        file.lines.append(line);
    }
    return file;
}

QByteArray SettingsFile::bytes() const
{
    QByteArray out;
    for (const Line &line : lines)
        out += line.raw + line.end;
    return out;
}

QByteArray SettingsFile::lineEnd() const
{
    for (const Line &line : lines) {
        if (!line.end.isEmpty())
            return line.end;
    }
    return QByteArrayLiteral("\n");
}

qsizetype SettingsFile::findSection(const QString &name) const
{
    for (qsizetype i = 0; i < sections.size(); ++i) {
        if (sections.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype SettingsFile::findEntry(qsizetype section, const QString &key) const
{
    if (section < 0)
        return -1;
    for (qsizetype i : sections.at(section).lines) {
        const Line &line = lines.at(i);
        if (!line.header && line.key.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QList<QPair<QString, QString>> SettingsFile::entries(qsizetype section) const
{
    QList<QPair<QString, QString>> result;
    if (section < 0)
        return result;
    for (qsizetype i : sections.at(section).lines) {
        if (!lines.at(i).header)
            result.append({lines.at(i).key, lines.at(i).value});
    }
    return result;
}

namespace {

QByteArray entryBytes(const QString &key, const QString &value)
{
    return (escaped(key, true) + u'=' + escaped(value, false)).toUtf8();
}

QByteArray headerBytes(const QString &section)
{
    return (u'[' + escaped(section, false) + u']').toUtf8();
}

// What identifies one version of the file: a replacement is a new file, so
// its inode or change time differs even when size and time look the same.
FileStamp stampOf(const QString &path)
{
    FileStamp stamp;
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = quint64(info.st_dev);
    stamp.inode = quint64(info.st_ino);
    stamp.size = qint64(info.st_size);
    stamp.modified = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.changed = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    return stamp;
}

// The store as it is on disk now; a missing file is an empty store. Throws
// when the file exists but cannot be read, so a writer never replaces
// settings it could not see.
SettingsFile readFile(const QString &path)
{
    try {
        return SettingsFile::parse(runtime::readWholeFile(path));
    } catch (const RuntimeError &e) {
        if (e.number() == RuntimeError::FileNotFound || e.number() == RuntimeError::PathNotFound)
            return {};
        throw;
    }
}

} // namespace

std::shared_ptr<const SettingsFile> SettingsStore::current() const
{
    // Taken before the read: a file replaced in between only costs a re-read.
    const FileStamp stamp = stampOf(m_filePath);
    if (m_cache && stamp.exists && stamp == m_stamp)
        return m_cache;
    m_cache.reset();
    auto file = std::make_shared<const SettingsFile>(readFile(m_filePath));
    if (stamp.exists) {
        m_cache = file;
        m_stamp = stamp;
    }
    return file;
}

bool SettingsStore::rewrite(const std::function<bool(SettingsFile &)> &change)
{
    try {
        const QString folder = QFileInfo(m_filePath).absolutePath();
        if (const platform::WriteOutcome made = platform::makeFolder(folder); !made) {
            if (m_writeFailures)
                m_writeFailures->note(platform::DataFile::Settings, folder, made);
            return false;
        }
        // The lock only orders writers; when it cannot be had in time the
        // write still goes ahead, and is still replaced in one step.
        QLockFile lock(m_filePath + u".lock");
        platform::takeLock(lock);
        SettingsFile file = *current();
        if (!change(file))
            return true;
        // Another instance may write right after this one: the next read
        // looks at the file again.
        m_cache.reset();
        runtime::replaceFile(m_filePath, file.bytes(), m_writeFailures,
                             platform::DataFile::Settings);
        return true;
    } catch (const std::exception &) {
        m_cache.reset();
        return false;
    }
}

SettingsStore::SettingsStore(const QString &configHome, const QString &application)
{
    const QString home = configHome.isEmpty() ? defaultConfigHome() : configHome;
    m_filePath = home + u'/' + application + u'/' + application + u".conf";
}

QString SettingsStore::defaultConfigHome()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + u"/.config";
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::GetSetting(const QString &section, const QString &key,
                                  const QString &defaultValue) const
{
    try {
        const std::shared_ptr<const SettingsFile> file = current();
        const qsizetype line = file->findEntry(file->findSection(section), key);
        if (line >= 0)
            return file->lines.at(line).value;
    } catch (const std::exception &) {
    }
    return defaultValue;
}

QList<QPair<QString, QString>> SettingsStore::GetAllSettings(const QString &section) const
{
    try {
        const std::shared_ptr<const SettingsFile> file = current();
        return file->entries(file->findSection(section));
    } catch (const std::exception &) {
    }
    return {};
}

bool SettingsStore::SaveSetting(const QString &section, const QString &key, const QString &value)
{
    if (section.isEmpty() || key.isEmpty())
        return false;
    return rewrite([&](SettingsFile &file) {
        const qsizetype s = file.findSection(section);
        const qsizetype existing = file.findEntry(s, key);
        if (existing >= 0) {
            SettingsFile::Line &line = file.lines[existing];
            // The key keeps the spelling it was stored with.
            line.raw = entryBytes(line.key, value);
            line.value = value;
            return true;
        }
        const QByteArray end = file.lineEnd();
        if (!file.lines.isEmpty() && file.lines.last().end.isEmpty())
            file.lines.last().end = end;
        SettingsFile::Line entry;
        entry.raw = entryBytes(key, value);
        entry.end = end;
        if (s >= 0) {
            // After the section's last line, with the line end it has.
            const qsizetype after = file.sections.at(s).lines.last();
            entry.end = file.lines.at(after).end;
            file.lines.insert(after + 1, entry);
        } else {
            SettingsFile::Line line;
            line.end = end;
            if (file.lines.isEmpty()) {
                line.raw = QByteArrayLiteral("; One [section] per group, key=value per line; "
                                             "\\n \\r \\\\ \\= are escapes.");
                file.lines.append(line);
            }
            line.raw.clear();
            file.lines.append(line);
            line.raw = headerBytes(section);
            file.lines.append(line);
            file.lines.append(entry);
        }
        file.reindex();
        return true;
    });
}

bool SettingsStore::DeleteSetting(const QString &section, const QString &key)
{
    return rewrite([&](SettingsFile &file) {
        const qsizetype s = file.findSection(section);
        bool removed = false;
        // Every copy of the key goes, so none written by hand shows through.
        for (qsizetype line = file.findEntry(s, key); line >= 0; line = file.findEntry(s, key)) {
            file.lines.removeAt(line);
            file.reindex();
            removed = true;
        }
        return removed;
    });
}

bool readBoolSetting(const SettingsStore &store, const QString &section, const QString &key,
                     bool defaultValue)
{
    const QString text = store.GetSetting(section, key).trimmed();
    if (text.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = QString(text).replace(u',', u'.').toDouble(&ok);
    return ok && std::isfinite(number) ? number != 0 : defaultValue;
}

QString boolSettingText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

double readNumberSetting(const SettingsStore &store, const QString &section, const QString &key,
                         double defaultValue)
{
    QString text = store.GetSetting(section, key).trimmed();
    bool ok = false;
    const double number = text.replace(u',', u'.').toDouble(&ok);
    return ok && std::isfinite(number) ? number : defaultValue;
}

} // namespace velmora::services
