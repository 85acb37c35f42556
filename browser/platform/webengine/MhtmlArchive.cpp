#include "MhtmlArchive.h"

#include <QFile>
#include <QHash>

namespace velmora::platform {

namespace {

constexpr qsizetype HeadProbe = 16 * 1024;
constexpr qsizetype TailProbe = 512;

using Headers = QHash<QByteArray, QByteArray>;

// Reads header lines (folded lines joined) from pos up to the blank line;
// pos ends after it. False when no blank line ends them.
bool readHeaders(const QByteArray &bytes, qsizetype &pos, Headers &headers)
{
    QByteArray name;
    while (pos < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0)
            return false;
        QByteArray line = bytes.mid(pos, end - pos);
        pos = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            return true;
        if ((line.startsWith(' ') || line.startsWith('\t')) && !name.isEmpty()) {
            headers[name] += ' ' + line.trimmed();
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        name = line.left(colon).trimmed().toLower();
        headers[name] = line.mid(colon + 1).trimmed();
    }
    return false;
}

QByteArray parameter(const QByteArray &header, const QByteArray &key)
{
    for (QByteArray item : header.split(';')) {
        item = item.trimmed();
        if (!item.toLower().startsWith(QByteArray(key + '=')))
            continue;
        QByteArray value = item.mid(key.size() + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}

QByteArray boundaryOf(const QByteArray &bytes)
{
    qsizetype pos = 0;
    Headers headers;
    if (!readHeaders(bytes, pos, headers))
        return {};
    const QByteArray type = headers.value("content-type");
    if (!type.toLower().startsWith("multipart/related"))
        return {};
    return parameter(type, "boundary");
}

QByteArray decodeQuotedPrintable(const QByteArray &in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        if (c != '=') {
            out += c;
            continue;
        }
        // A soft line break joins two lines.
        if (i + 1 < in.size() && in.at(i + 1) == '\n') {
            i += 1;
            continue;
        }
        if (i + 2 < in.size() && in.at(i + 1) == '\r' && in.at(i + 2) == '\n') {
            i += 2;
            continue;
        }
        bool ok = false;
        const int value = i + 2 < in.size() ? in.mid(i + 1, 2).toInt(&ok, 16) : 0;
        if (ok) {
            out += char(value);
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

bool MhtmlArchive::read(const QByteArray &bytes)
{
    m_parts.clear();
    const QByteArray boundary = boundaryOf(bytes);
    if (boundary.isEmpty())
        return false;
    const QByteArray delimiter = "--" + boundary;
    qsizetype pos = bytes.indexOf(delimiter);
    QList<Part> parts;
    bool closed = false;
    while (pos >= 0) {
        pos += delimiter.size();
        if (bytes.mid(pos, 2) == "--") {
            closed = true;
            break;
        }
        const qsizetype lineEnd = bytes.indexOf('\n', pos);
        if (lineEnd < 0)
            break;
        pos = lineEnd + 1;
        Headers headers;
        if (!readHeaders(bytes, pos, headers))
            break;
        const qsizetype next = bytes.indexOf(QByteArray("\n" + delimiter), pos);
        if (next < 0)
            break;
        QByteArray body = bytes.mid(pos, next - pos);
        if (body.endsWith('\r'))
            body.chop(1);
        const QByteArray encoding = headers.value("content-transfer-encoding").toLower();
        if (encoding == "base64")
            body = QByteArray::fromBase64(body);
        else if (encoding == "quoted-printable")
            body = decodeQuotedPrintable(body);
        Part part;
        part.location = QString::fromUtf8(headers.value("content-location"));
        part.contentType = headers.value("content-type");
        part.body = body;
        parts.append(part);
        pos = next + 1;
    }
    if (!closed || parts.isEmpty() || parts.first().location.isEmpty())
        return false;
    m_parts = parts;
    return true;
}

bool MhtmlArchive::readFile(const QString &path)
{
    m_parts.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return read(file.readAll());
}

const MhtmlArchive::Part *MhtmlArchive::part(const QString &location) const
{
    for (const Part &p : m_parts) {
        if (p.location == location)
            return &p;
    }
    return nullptr;
}

qsizetype MhtmlArchive::size() const
{
    qsizetype total = 0;
    for (const Part &p : m_parts)
        total += p.body.size();
    return total;
}

bool MhtmlArchive::looksComplete(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray boundary = boundaryOf(file.read(HeadProbe));
    if (boundary.isEmpty())
        return false;
    file.seek(qMax<qint64>(0, file.size() - TailProbe));
    return file.read(TailProbe).contains(QByteArray("--" + boundary + "--"));
}

} // namespace velmora::platform
