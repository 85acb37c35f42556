#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "WriteFailures.h"

namespace velmora::services::runtime {

// Text in the program's data files is single-byte Windows-1251.
QString decodeAnsi(const QByteArray &bytes);
// Characters with no Windows-1251 form become '?'.
QByteArray encodeAnsi(const QString &text);
// Whether every character has a Windows-1251 form.
bool fitsAnsi(const QString &text);
// An address in Windows-1251 when it fits; otherwise the characters that do
// not fit are written in their encoded form (an internationalised host in
// punycode, anything else percent-encoded UTF-8), so the address still opens
// the same page when read back. A text with no "scheme://" is taken to start
// with its host, as the address history's items do.
QByteArray encodeAnsiAddress(const QString &address);
// Length of "scheme://" at the start of text, or 0.
qsizetype schemePrefix(QStringView text);
// "text" with no escaping: an embedded double quote is written as is.
QByteArray quoted(const QString &text);
// quoted() of encodeAnsiAddress().
QByteArray quotedAddress(const QString &address);
// #TRUE# / #FALSE#
QByteArray boolValue(bool b);
// Fields joined by ',' and ended with CR LF.
QByteArray writeRecord(const QList<QByteArray> &fields);

// Reads comma- or line-separated values one at a time, the way files written
// by the value-writing form are read back.
class ValueReader
{
public:
    explicit ValueReader(const QByteArray &bytes);

    // Only white space and line ends are left.
    bool atEnd() const;
    // Next value as text; throws RuntimeError(InputPastEnd) when none is left.
    QString readText();
    // Next value as #TRUE#/#FALSE#; throws RuntimeError(TypeMismatch) for
    // anything else and RuntimeError(InputPastEnd) when none is left.
    bool readBool();

private:
    QByteArray readRaw(bool *wasQuoted);

    QByteArray m_bytes;
    qsizetype m_pos = 0;
};

// Whole lines as Line Input reads them: CR LF, a lone LF or a lone CR ends a
// line; a last line without an ending still counts.
QStringList readRawLines(const QByteArray &bytes);

// Throws RuntimeError: FileNotFound when the file is missing, PathNotFound
// when its folder is, and the runtime's access error (75) when it cannot be read.
QByteArray readWholeFile(const QString &path);
// Replaces the file in one step (platform/WholeFile.h) so readers see either
// the old or the new contents, and a failed write leaves the old ones. Throws
// RuntimeError on failure; with failures set, the outcome is noted there.
void replaceFile(const QString &path, const QByteArray &bytes);
void replaceFile(const QString &path, const QByteArray &bytes, platform::WriteFailures *failures,
                 platform::DataFile kind);

} // namespace velmora::services::runtime
