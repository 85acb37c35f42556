#include "RuntimeFiles.h"

#include "RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QUrl>

#include <array>
#include <cerrno>

namespace velmora::services::runtime {

namespace {

// The runtime's "path/file access error"; not one callers tell apart.
constexpr int PathFileAccess = 75;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Byte -> character of Windows-1251, built once from the codec itself so the
// decoder and the encoder can never disagree.
struct AnsiTable
{
    std::array<char16_t, 256> toUnicode{};

    AnsiTable()
    {
        QStringDecoder decoder("windows-1251");
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            toUnicode[b] = s.size() == 1 ? s.at(0).unicode() : char16_t(0xFFFD);
        }
    }

    // '\0' when the character has no Windows-1251 form.
    char fromUnicodeOrNul(char32_t c) const
    {
        if (c < 0x80)
            return c == 0 ? '\0' : char(c);
        for (int b = 0x80; b < 256; ++b) {
            if (toUnicode[b] == c && c != 0xFFFD)
                return char(b);
        }
        return '\0';
    }

    char fromUnicode(char32_t c) const
    {
        if (c == 0)
            return '\0';
        const char b = fromUnicodeOrNul(c);
        return b == '\0' ? '?' : b;
    }
};

const AnsiTable &ansiTable()
{
    static const AnsiTable table;
    return table;
}

} // namespace

QString decodeAnsi(const QByteArray &bytes)
{
    const AnsiTable &table = ansiTable();
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes)
        text.append(QChar(table.toUnicode[uchar(c)]));
    return text;
}

QByteArray encodeAnsi(const QString &text)
{
    const AnsiTable &table = ansiTable();
    QByteArray bytes;
    bytes.reserve(text.size());
    // Walk code points so a character outside the BMP gives one '?', not two.
    for (char32_t c : text.toUcs4())
        bytes.append(table.fromUnicode(c));
    return bytes;
}

bool fitsAnsi(const QString &text)
{
    const AnsiTable &table = ansiTable();
    for (char32_t c : text.toUcs4()) {
        if (c != 0 && table.fromUnicodeOrNul(c) == '\0')
            return false;
    }
    return true;
}

namespace {

// Each character without a Windows-1251 form as %XX of its UTF-8 bytes.
QByteArray percentEncodeMisfits(QStringView text)
{
    const AnsiTable &table = ansiTable();
    QByteArray bytes;
    for (char32_t c : text.toUcs4()) {
        const char b = c == 0 ? '\0' : table.fromUnicodeOrNul(c);
        if (b != '\0' || c == 0) {
            bytes.append(b);
            continue;
        }
        const QByteArray utf8 = QString::fromUcs4(&c, 1).toUtf8();
        for (char u : utf8)
            bytes += '%' + QByteArray::number(uchar(u), 16).toUpper().rightJustified(2, '0');
    }
    return bytes;
}

// user:password@host:port, with the host in punycode when it does not fit.
QByteArray encodeAuthority(QStringView authority)
{
    const qsizetype at = authority.lastIndexOf(u'@');
    const QStringView user = at < 0 ? QStringView() : authority.first(at + 1);
    QStringView host = authority.sliced(at + 1);
    QStringView port;
    if (!host.startsWith(u'[')) {
        const qsizetype colon = host.lastIndexOf(u':');
        if (colon >= 0) {
            port = host.sliced(colon);
            host = host.first(colon);
        }
    }
    QByteArray encodedHost;
    if (!fitsAnsi(host.toString()))
        encodedHost = QUrl::toAce(host.toString());
    if (encodedHost.isEmpty())
        encodedHost = percentEncodeMisfits(host);
    return percentEncodeMisfits(user) + encodedHost + percentEncodeMisfits(port);
}

} // namespace

qsizetype schemePrefix(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        const bool other = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
        if (!(letter || (i > 0 && other)))
            break;
        ++i;
    }
    return i > 0 && text.sliced(i).startsWith(u"://") ? i + 3 : 0;
}

QByteArray encodeAnsiAddress(const QString &address)
{
    if (fitsAnsi(address))
        return encodeAnsi(address);
    const QStringView text(address);
    const qsizetype start = schemePrefix(text);
    qsizetype end = start;
    while (end < text.size() && !QStringView(u"/?#\\").contains(text.at(end)))
        ++end;
    return text.first(start).toLatin1() + encodeAuthority(text.sliced(start, end - start))
           + percentEncodeMisfits(text.sliced(end));
}

QByteArray quoted(const QString &text)
{
    return '"' + encodeAnsi(text) + '"';
}

QByteArray quotedAddress(const QString &address)
{
    return '"' + encodeAnsiAddress(address) + '"';
}

QByteArray boolValue(bool b)
{
    return b ? QByteArrayLiteral("#TRUE#") : QByteArrayLiteral("#FALSE#");
}

QByteArray writeRecord(const QList<QByteArray> &fields)
{
    return fields.join(',') + "\r\n";
}

ValueReader::ValueReader(const QByteArray &bytes) : m_bytes(bytes) {}

bool ValueReader::atEnd() const
{
    for (qsizetype i = m_pos; i < m_bytes.size(); ++i) {
        const char c = m_bytes.at(i);
        if (!isBlank(c) && !isLineEnd(c))
            return false;
    }
    return true;
}

QByteArray ValueReader::readRaw(bool *wasQuoted)
{
    const qsizetype size = m_bytes.size();
    while (m_pos < size && isBlank(m_bytes.at(m_pos)))
        ++m_pos;
    if (m_pos >= size)
        throw RuntimeError(RuntimeError::InputPastEnd, "Input past end of file");

    QByteArray value;
    *wasQuoted = m_bytes.at(m_pos) == '"';
    if (*wasQuoted) {
        // Runs to the next double quote, line ends included; there is no
        // escape, so a quote inside the text ends the value early.
        const qsizetype close = m_bytes.indexOf('"', m_pos + 1);
        if (close < 0) {
            m_pos = size;
            throw RuntimeError(RuntimeError::InputPastEnd, "Input past end of file");
        }
        value = m_bytes.mid(m_pos + 1, close - m_pos - 1);
        m_pos = close + 1;
        while (m_pos < size && m_bytes.at(m_pos) != ',' && !isLineEnd(m_bytes.at(m_pos)))
            ++m_pos;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < size && m_bytes.at(m_pos) != ',' && !isLineEnd(m_bytes.at(m_pos)))
            ++m_pos;
        qsizetype end = m_pos;
        while (end > start && isBlank(m_bytes.at(end - 1)))
            --end;
        value = m_bytes.mid(start, end - start);
    }

    // Consume the delimiter: a comma, or one line end (CR LF counts as one).
    if (m_pos < size) {
        const char c = m_bytes.at(m_pos++);
        if (c == '\r' && m_pos < size && m_bytes.at(m_pos) == '\n')
            ++m_pos;
    }
    return value;
}

QString ValueReader::readText()
{
    bool wasQuoted = false;
    return decodeAnsi(readRaw(&wasQuoted));
}

bool ValueReader::readBool()
{
    bool wasQuoted = false;
    const QByteArray raw = readRaw(&wasQuoted);
    if (!wasQuoted) {
        if (raw.compare("#TRUE#", Qt::CaseInsensitive) == 0)
            return true;
        if (raw.compare("#FALSE#", Qt::CaseInsensitive) == 0)
            return false;
    }
    throw RuntimeError(RuntimeError::TypeMismatch, "Type mismatch");
}

QStringList readRawLines(const QByteArray &bytes)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const char c = bytes.at(i);
        if (!isLineEnd(c)) {
            ++i;
            continue;
        }
        lines.append(decodeAnsi(bytes.mid(start, i - start)));
        ++i;
        if (c == '\r' && i < size && bytes.at(i) == '\n')
            ++i;
        start = i;
    }
    if (start < size)
        lines.append(decodeAnsi(bytes.mid(start)));
    return lines;
}

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const QFileInfo info(path);
        const std::string name = QFile::encodeName(path).toStdString();
        if (!info.dir().exists())
            throw RuntimeError(RuntimeError::PathNotFound, "Path not found: " + name);
        if (!info.exists())
            throw RuntimeError(RuntimeError::FileNotFound, "File not found: " + name);
        throw RuntimeError(PathFileAccess, "Path/File access error: " + name);
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw RuntimeError(PathFileAccess,
                           "Cannot read " + QFile::encodeName(path).toStdString());
    return bytes;
}

void replaceFile(const QString &path, const QByteArray &bytes, platform::WriteFailures *failures,
                 platform::DataFile kind)
{
    const platform::WriteOutcome outcome = platform::writeWholeFile(failures, kind, path, bytes);
    if (outcome)
        return;
    const std::string text = outcome.describe(path).toStdString();
    if (outcome.error == ENOENT && !QFileInfo(path).dir().exists())
        throw RuntimeError(RuntimeError::PathNotFound, "Path not found: " + text);
    throw RuntimeError(PathFileAccess, "Path/File access error: " + text);
}

void replaceFile(const QString &path, const QByteArray &bytes)
{
    replaceFile(path, bytes, nullptr, platform::DataFile::Settings);
}

} // namespace velmora::services::runtime
