#include "FavoritesFiles.h"

#include "RuntimeFiles.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::services {

namespace {

// A shortcut is a few lines; more than this is not read.
constexpr qint64 ShortcutReadLimit = 1 << 20;

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

void writeInternetShortcut(const QString &path, const QString &address,
                           platform::WriteFailures *failures)
{
    runtime::replaceFile(path, internetShortcutBytes(address), failures,
                         platform::DataFile::Favorites);
}

QString decodeProfileBytes(const QByteArray &bytes)
{
    if (bytes.startsWith("\xef\xbb\xbf"))
        return QString::fromUtf8(bytes.sliced(3));
    const bool littleMark = bytes.startsWith("\xff\xfe");
    const bool bigMark = bytes.startsWith("\xfe\xff");
    qsizetype zerosEven = 0;
    qsizetype zerosOdd = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) == '\0')
            ++(i % 2 ? zerosOdd : zerosEven);
    }
    // Text in UTF-16 has a zero byte beside nearly every ASCII character.
    const bool little = littleMark || (!bigMark && zerosOdd > bytes.size() / 4);
    const bool big = bigMark || (!littleMark && zerosEven > bytes.size() / 4);
    if (little || big) {
        QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return decoder.decode(bytes.sliced(littleMark || bigMark ? 2 : 0));
    }
    bool ascii = true;
    for (char c : bytes)
        ascii = ascii && uchar(c) < 0x80;
    if (!ascii) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text;
    }
    return runtime::decodeAnsi(bytes);
}

QString readProfileString(const QByteArray &bytes, const QString &section, const QString &key,
                          const QString &defaultValue)
{
    return readProfileText(decodeProfileBytes(bytes), section, key, defaultValue);
}

QString readProfileText(const QString &text, const QString &section, const QString &key,
                        const QString &defaultValue)
{
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
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

namespace {

// The first bytes of a regular file; nothing for a pipe or a device, which
// could block or never end, nor for a file that cannot be opened.
std::optional<QByteArray> readRegularFile(const QByteArray &nativePath)
{
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> bytes;
    struct stat info = {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        QFile file;
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            bytes = file.read(ShortcutReadLimit);
    }
    ::close(fd);
    return bytes;
}

} // namespace

QString readIniString(const QString &section, const QString &key, const QString &defaultValue,
                      const QString &file)
{
    const std::optional<QByteArray> bytes = readRegularFile(QFile::encodeName(file));
    if (!bytes)
        return limited(defaultValue);
    return readProfileString(*bytes, section, key, defaultValue);
}

QString readShortcutUrl(const QByteArray &nativePath)
{
    return readProfileString(readRegularFile(nativePath).value_or(QByteArray()),
                             QStringLiteral("InternetShortcut"), QStringLiteral("URL"), QString());
}

} // namespace velmora::services
