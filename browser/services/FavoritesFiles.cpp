#include "FavoritesFiles.h"

#include "RuntimeFiles.h"

#include <QFile>

namespace velmora::services {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView trimmedBlanks(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s.at(begin)))
        ++begin;
    while (end > begin && isBlank(s.at(end - 1)))
        --end;
    return s.sliced(begin, end - begin);
}

QString limited(QString value)
{
    // A value ends at its first NUL, as the reading buffer does.
    const qsizetype nul = value.indexOf(QChar(0));
    if (nul >= 0)
        value.truncate(nul);
    if (value.size() > ProfileValueLimit)
        value.truncate(ProfileValueLimit);
    return value;
}

} // namespace

QByteArray internetShortcutBytes(const QString &address)
{
    return QByteArrayLiteral("[InternetShortcut]\r\nURL = ") + runtime::encodeAnsiAddress(address)
           + QByteArrayLiteral("\r\n");
}

void writeInternetShortcut(const QString &path, const QString &address)
{
    runtime::replaceFile(path, internetShortcutBytes(address));
}

QString readProfileString(const QByteArray &bytes, const QString &section, const QString &key,
                          const QString &defaultValue)
{
    const QStringList lines = runtime::readRawLines(bytes);
    bool inSection = false;
    bool sectionSeen = false;
    for (const QString &line : lines) {
        const QStringView text = trimmedBlanks(line);
        if (text.startsWith(QLatin1Char('['))) {
            if (inSection)
                break;
            qsizetype close = text.indexOf(QLatin1Char(']'));
            if (close < 0)
                close = text.size();
            const QStringView name = trimmedBlanks(text.sliced(1, close - 1));
            inSection = !sectionSeen && name.compare(section, Qt::CaseInsensitive) == 0;
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection || text.isEmpty())
            continue;
        const qsizetype equals = text.indexOf(QLatin1Char('='));
        const QStringView name = trimmedBlanks(equals < 0 ? text : text.first(equals));
        if (name.compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QStringView value = equals < 0 ? QStringView() : trimmedBlanks(text.sliced(equals + 1));
        if (value.size() >= 2) {
            const QChar first = value.front();
            if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
                value = value.sliced(1, value.size() - 2);
        }
        return limited(value.toString());
    }
    return limited(defaultValue);
}

QString readIniString(const QString &section, const QString &key, const QString &defaultValue,
                      const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return limited(defaultValue);
    return readProfileString(f.readAll(), section, key, defaultValue);
}

} // namespace velmora::services
