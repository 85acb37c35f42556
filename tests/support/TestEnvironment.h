#pragma once

#include <QString>
#include <QTemporaryDir>

namespace velmora::test {

// Points the program folder, the settings store and the per-user data at
// fresh temporary folders for the life of the object, so no test touches
// the real home or sees another test's files.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();

    QString programDir() const;
    QString configHome() const;
    QString dataHome() const;
    // Copies the shipped language files into the program folder.
    void installLanguageFiles() const;
    // Writes raw bytes to a file of the program folder.
    void writeProgramFile(const QString &name, const QByteArray &bytes) const;
    QByteArray readProgramFile(const QString &name) const;

private:
    QTemporaryDir m_root;
};

} // namespace velmora::test
