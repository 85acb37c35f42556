#include "AddressHistory.h"

#include "RuntimeError.h"
#include "RuntimeFiles.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <exception>

namespace velmora::services {

namespace {

constexpr int MaxBadCopies = 1000;

QString badPath(const QString &path, int n)
{
    return n == 1 ? QString(path + u".bad") : QString(path + u".bad." + QString::number(n));
}

// Writes bytes under the first free copy name, unless a copy with the same
// bytes exists already. Never replaces an existing file.
bool keepCopy(const QString &path, const QByteArray &bytes)
{
    for (int n = 1; n <= MaxBadCopies; ++n) {
        const QString name = badPath(path, n);
        QFile copy(name);
        if (copy.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            const bool ok = copy.write(bytes) == bytes.size() && copy.flush();
            copy.close();
            if (!ok)
                copy.remove();
            return ok;
        }
        if (!QFileInfo::exists(name))
            return false;
        try {
            if (runtime::readWholeFile(name) == bytes)
                return true;
        } catch (const std::exception &) {
        }
    }
    return false;
}

// Moves a file that cannot be opened to the first free copy name.
bool moveAside(const QString &path)
{
    for (int n = 1; n <= MaxBadCopies; ++n) {
        const QString name = badPath(path, n);
        if (QFileInfo::exists(name))
            continue;
        return QFile::rename(path, name);
    }
    return false;
}

} // namespace

AddressHistory::AddressHistory(const ProgramFolder &folder) : m_folder(folder) {}

QString AddressHistory::filePath() const
{
    return m_folder.file(QStringLiteral("WebHis.dat"));
}

void AddressHistory::noteDamage(const QByteArray &bytes)
{
    if (!m_damaged.contains(bytes))
        m_damaged.append(bytes);
}

QList<QString> AddressHistory::readValues(bool *complete, bool *missing)
{
    *complete = true;
    *missing = false;
    const QString path = filePath();
    QByteArray bytes;
    try {
        bytes = runtime::readWholeFile(path);
    } catch (const RuntimeError &e) {
        if (e.number() == RuntimeError::FileNotFound) {
            *missing = true;
        } else if (e.number() != RuntimeError::PathNotFound) {
            m_unopenable = true;
            *complete = false;
        }
        return {};
    }

    QList<QString> values;
    runtime::ValueReader reader(bytes);
    while (!reader.atEnd()) {
        try {
            values.append(reader.readText());
        } catch (const std::exception &) {
            noteDamage(bytes);
            *complete = false;
            break;
        }
    }
    return values;
}

QStringList AddressHistory::readItems(bool *complete)
{
    bool whole = true;
    bool missing = false;
    QStringList values = readValues(&whole, &missing);
    if (complete)
        *complete = whole;
    return values;
}

void AddressHistory::loadHistory(QComboBox &Combo1)
{
    Combo1.clear();
    bool complete = true;
    bool missing = false;
    const QList<QString> values = readValues(&complete, &missing);
    if (missing) {
        // NewOnly: another instance may have written the file meanwhile.
        QFile file(filePath());
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            file.close();
        return;
    }
    const QPointer<QComboBox> combo(&Combo1);
    for (const QString &value : values) {
        QCoreApplication::processEvents();
        if (!combo)
            return;
        if (!value.isEmpty())
            combo->addItem(value);
    }
}

bool AddressHistory::keepDamagedFiles()
{
    const QString path = filePath();
    if (m_unopenable) {
        QFile file(path);
        if (file.exists() && !file.open(QIODevice::ReadOnly) && !moveAside(path))
            return false;
        m_unopenable = false;
    }
    while (!m_damaged.isEmpty()) {
        if (!keepCopy(path, m_damaged.first()))
            return false;
        m_damaged.removeFirst();
    }
    return true;
}

bool AddressHistory::saveItems(const QStringList &items)
{
    if (!keepDamagedFiles()) {
        qWarning("Address history not saved: the unreadable %s could not be kept aside",
                 qPrintable(filePath()));
        return false;
    }
    QByteArray bytes;
    for (const QString &item : items)
        bytes += runtime::writeRecord({runtime::quotedAddress(item)});
    try {
        runtime::replaceFile(filePath(), bytes);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool AddressHistory::saveHistory(const QComboBox &Combo1)
{
    QStringList items;
    items.reserve(Combo1.count());
    for (int i = 0; i < Combo1.count(); ++i)
        items.append(Combo1.itemText(i));
    return saveItems(items);
}

QString AddressHistory::getHostPart(const QString &url)
{
    QString s = url;
    if (!s.endsWith(u'/'))
        s += u'/';
    // Each test looks at the text as the one before left it; a later copy of
    // the scheme anywhere in the text goes too.
    for (const QLatin1String scheme : {QLatin1String("http://"), QLatin1String("ftp://"),
                                       QLatin1String("https://")}) {
        if (s.startsWith(scheme))
            s.remove(scheme, Qt::CaseInsensitive);
    }
    const qsizetype slash = QStringView(s).left(255).indexOf(u'/');
    return slash < 0 ? QString() : s.left(slash);
}

} // namespace velmora::services
