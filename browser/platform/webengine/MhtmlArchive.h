#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

namespace velmora::platform {

// A web archive (MIME multipart/related, as the engine saves a page): its
// parts decoded, the page first. Reading is all or nothing: a file that is
// cut short, lacks its closing boundary or holds no page is no archive.
class MhtmlArchive
{
public:
    struct Part
    {
        QString location; // the address the part was loaded from
        QByteArray contentType;
        QByteArray body; // decoded
    };

    // False, and no parts, when the bytes are no complete archive.
    bool read(const QByteArray &bytes);
    // Reads a whole file; false when it cannot be read or is no archive.
    bool readFile(const QString &path);

    const QList<Part> &parts() const { return m_parts; }
    // The part for an address, or null.
    const Part *part(const QString &location) const;
    // The page the archive was made of.
    const Part *page() const { return m_parts.isEmpty() ? nullptr : &m_parts.first(); }
    qsizetype size() const;

    // A cheap test that a file was written to its end: its head names a
    // boundary and its tail closes it. Reads a few kilobytes at most.
    static bool looksComplete(const QString &path);

private:
    QList<Part> m_parts;
};

} // namespace velmora::platform
