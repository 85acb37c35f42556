#pragma once

#include <QByteArray>
#include <QString>

namespace velmora::platform {

// A file or folder name as the file system holds it: UTF-8 when it is valid
// UTF-8, Windows-1251 otherwise (names copied from an old machine).
QString decodeFileName(const QByteArray &name);

// The characters Windows refuses in a file name (\ / : * ? " < > |) become
// spaces, so a favourite can travel back to such a machine.
QString replaceForbiddenFileCharacters(const QString &name);

} // namespace velmora::platform
