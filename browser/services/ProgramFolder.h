#pragma once

#include <QString>

namespace velmora::services {

// The folder the program's data files live in: $VELMORA_PROGRAM_DIR when set,
// otherwise the folder of the executable. Taken once by the program object
// and handed to whoever opens those files.
class ProgramFolder
{
public:
    // Reads the environment now; later changes of it are not seen.
    ProgramFolder();
    explicit ProgramFolder(const QString &path);

    QString path() const { return m_path; }
    // name joined to the folder with '/', whatever separator the caller had in mind.
    QString file(const QString &name) const;

private:
    QString m_path;
};

QString programFolder();
QString programFile(const QString &name);

} // namespace velmora::services
