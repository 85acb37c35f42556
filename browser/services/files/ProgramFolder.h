#pragma once

#include <QString>

namespace velmora::services {

// The folder the program's data files live in: $VELMORA_PROGRAM_DIR when set,
// otherwise the folder of the executable; an installed program whose folder
// it may not write keeps them in <data home>/olk_Browser instead. Taken once
// by the program object and handed to whoever opens those files.
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

// The folder of an installed program's shipped language and help files
// (<prefix>/share/velmora beside <prefix>/bin), when appDir is such a bin
// folder; empty otherwise.
QString installedDataFolder(const QString &appDir);
// The same for the running program.
QString installedDataFolder();

// The data folder of a program whose executable is in appDir: fromEnv when
// set; for an installed program (installedData not empty) whose own folder
// may not be written, <dataHome>/olk_Browser; else appDir.
QString chooseProgramFolder(const QString &fromEnv, const QString &appDir,
                            const QString &installedData, bool appDirWritable,
                            const QString &dataHome);

// programDir/name when it exists there, else the installed copy when there
// is one, else programDir/name.
QString shippedFile(const QString &programDir, const QString &name);

} // namespace velmora::services
