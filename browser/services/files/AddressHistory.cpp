#include "AddressHistory.h"

#include "RuntimeError.h"
#include "RuntimeFiles.h"

#include "DamagedCopies.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <cerrno>
#include <exception>
#include <stdexcept>

namespace velmora::services {

namespace {

// Every value of the file, each line read on its own: what a damaged record
// would swallow of the lines after it is read from those lines instead. A
// line that ends inside a quoted value gives the rest of the line.
QList<QString> recoverValues(const QByteArray &bytes)
{
    QList<QString> values;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes.at(end) != '\r' && bytes.at(end) != '\n')
            ++end;
        const QByteArray line = bytes.mid(start, end - start);
        start = end + 1;
        runtime::ValueReader reader(line);
        while (!reader.atEnd()) {
            try {
                values.append(reader.readText());
            } catch (const std::exception &) {
                values.append(
                    runtime::decodeAnsi(line.mid(line.lastIndexOf('"') + 1)).trimmed());
                break;
            }
        }
    }
    return values;
}

} // namespace

AddressHistory::AddressHistory(const ProgramFolder &folder, platform::WriteFailures *failures)
    : m_folder(folder), m_failures(failures)
{
}

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
            const QString value = reader.readText();
            // A quote left open runs into the next records: the file is damaged.
            if (value.contains(u'\r') || value.contains(u'\n'))
                throw std::runtime_error("line break inside a value");
            values.append(value);
        } catch (const std::exception &) {
            noteDamage(bytes);
            *complete = false;
            return recoverValues(bytes);
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
        // Kept when there: another instance may have written it meanwhile.
        const platform::WriteOutcome made =
            platform::writeWholeFile(filePath(), {}, platform::Existing::Keep);
        if (m_failures && made.error != EEXIST)
            m_failures->note(platform::DataFile::AddressHistory, filePath(), made);
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
        if (file.exists() && !file.open(QIODevice::ReadOnly) && !platform::moveDamagedAside(path))
            return false;
        m_unopenable = false;
    }
    while (!m_damaged.isEmpty()) {
        if (!platform::keepDamagedCopy(path, m_damaged.first()))
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
        runtime::replaceFile(filePath(), bytes, m_failures, platform::DataFile::AddressHistory);
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
