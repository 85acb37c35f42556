#include "SettingsStore.h"

#include "FileLock.h"

#include "RuntimeError.h"
#include "RuntimeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <cmath>
#include <exception>

namespace velmora::services {

namespace {

using Entries = QList<QPair<QString, QString>>;

struct Section
{
    QString name;
    Entries entries;
};

using Store = QList<Section>;

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

Store parse(const QByteArray &bytes)
{
    Store store;
    const QString text = QString::fromUtf8(bytes);
    Section *current = nullptr;
    for (QStringView lineView : QStringView(text).split(u'\n')) {
        if (lineView.endsWith(u'\r'))
            lineView.chop(1);
        const QString line = lineView.toString();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']') && line.size() >= 2) {
            const QString name = unescaped(line, 1, line.size() - 1);
            current = nullptr;
            for (Section &s : store) {
                if (s.name.compare(name, Qt::CaseInsensitive) == 0)
                    current = &s;
            }
            if (!current) {
                store.append(Section{name, {}});
                current = &store.last();
            }
            continue;
        }
        qsizetype eq = -1;
        const QString key = unescaped(line, 0, line.size(), u'=', &eq);
        if (!current || eq < 0 || key.isEmpty())
            continue;
        current->entries.append({key, unescaped(line, eq + 1, line.size())});
    }
    return store;
}

QByteArray serialize(const Store &store)
{
    QString text = QStringLiteral("; One [section] per group, key=value per line; "
                                  "\\n \\r \\\\ \\= are escapes.\n");
    for (const Section &section : store) {
        if (section.entries.isEmpty())
            continue;
        text += u"\n[" + escaped(section.name, false) + u"]\n";
        for (const auto &[key, value] : section.entries)
            text += escaped(key, true) + u'=' + escaped(value, false) + u'\n';
    }
    return text.toUtf8();
}

Section *findSection(Store &store, const QString &name)
{
    for (Section &s : store) {
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}

const Section *findSection(const Store &store, const QString &name)
{
    return findSection(const_cast<Store &>(store), name);
}

qsizetype findKey(const Entries &entries, const QString &key)
{
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries.at(i).first.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// The store as it is on disk now; a missing file is an empty store. Throws
// when the file exists but cannot be read, so a writer never replaces
// settings it could not see.
Store readStore(const QString &path)
{
    try {
        return parse(runtime::readWholeFile(path));
    } catch (const RuntimeError &e) {
        if (e.number() == RuntimeError::FileNotFound || e.number() == RuntimeError::PathNotFound)
            return {};
        throw;
    }
}

template<typename Change>
bool rewrite(const QString &path, Change &&change)
{
    try {
        QDir().mkpath(QFileInfo(path).absolutePath());
        // The lock only orders writers; when it cannot be had in time the
        // write still goes ahead, and is still replaced in one step.
        QLockFile lock(path + u".lock");
        platform::takeLock(lock);
        Store store = readStore(path);
        if (!change(store))
            return true;
        runtime::replaceFile(path, serialize(store));
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace

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

QString SettingsStore::GetSetting(const QString &section, const QString &key,
                                  const QString &defaultValue) const
{
    try {
        const Store store = readStore(m_filePath);
        if (const Section *s = findSection(store, section)) {
            const qsizetype i = findKey(s->entries, key);
            if (i >= 0)
                return s->entries.at(i).second;
        }
    } catch (const std::exception &) {
    }
    return defaultValue;
}

QList<QPair<QString, QString>> SettingsStore::GetAllSettings(const QString &section) const
{
    try {
        const Store store = readStore(m_filePath);
        if (const Section *s = findSection(store, section))
            return s->entries;
    } catch (const std::exception &) {
    }
    return {};
}

bool SettingsStore::SaveSetting(const QString &section, const QString &key, const QString &value)
{
    if (section.isEmpty() || key.isEmpty())
        return false;
    return rewrite(m_filePath, [&](Store &store) {
        Section *s = findSection(store, section);
        if (!s) {
            store.append(Section{section, {}});
            s = &store.last();
        }
        const qsizetype i = findKey(s->entries, key);
        if (i >= 0)
            s->entries[i].second = value;
        else
            s->entries.append({key, value});
        return true;
    });
}

bool SettingsStore::DeleteSetting(const QString &section, const QString &key)
{
    return rewrite(m_filePath, [&](Store &store) {
        Section *s = findSection(store, section);
        if (!s)
            return false;
        const qsizetype i = findKey(s->entries, key);
        if (i < 0)
            return false;
        s->entries.removeAt(i);
        return true;
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
