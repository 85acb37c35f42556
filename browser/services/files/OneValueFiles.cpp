#include "OneValueFiles.h"

#include "RuntimeFiles.h"
#include "Steps.h"

namespace velmora::services {

namespace {
QString blankPage()
{
    return QStringLiteral("about:blank");
}
} // namespace

OneValueFiles::OneValueFiles(const ProgramFolder &folder, platform::WriteFailures *failures)
    : m_folder(folder), m_failures(failures)
{
}

QString OneValueFiles::homePageFile() const
{
    return m_folder.file(QStringLiteral("home.dat"));
}

QString OneValueFiles::newWindowModeFile() const
{
    return m_folder.file(QStringLiteral("web_nw.dat"));
}

QString OneValueFiles::modeFile() const
{
    return m_folder.file(QStringLiteral("mode.dat"));
}

QString OneValueFiles::exitFlagFile() const
{
    return m_folder.file(QStringLiteral("exit.dat"));
}

QString OneValueFiles::getHomePage() const
{
    QString address;
    const bool read = step([&] {
        address = runtime::ValueReader(runtime::readWholeFile(homePageFile())).readText();
    });
    if (!read || address.isEmpty()) {
        setHomePage(blankPage());
        return blankPage();
    }
    return address;
}

void OneValueFiles::setHomePage(const QString &address) const
{
    step([&] {
        runtime::replaceFile(homePageFile(), runtime::writeRecord({runtime::quotedAddress(address)}),
                             m_failures, platform::DataFile::HomePage);
    });
}

bool OneValueFiles::getFlag(const QString &path) const
{
    bool flag = true;
    const bool read = step([&] {
        flag = runtime::ValueReader(runtime::readWholeFile(path)).readBool();
    });
    if (!read) {
        setFlag(path, true);
        return true;
    }
    return flag;
}

void OneValueFiles::setFlag(const QString &path, bool flag) const
{
    step([&] {
        runtime::replaceFile(path, runtime::writeRecord({runtime::boolValue(flag)}), m_failures,
                             platform::DataFile::Options);
    });
}

bool OneValueFiles::getNewWindowMode() const
{
    return getFlag(newWindowModeFile());
}

void OneValueFiles::setNewWindowMode(bool flag) const
{
    setFlag(newWindowModeFile(), flag);
}

bool OneValueFiles::getMode() const
{
    return getFlag(modeFile());
}

void OneValueFiles::setMode(bool flag) const
{
    setFlag(modeFile(), flag);
}

bool OneValueFiles::getExitFlag() const
{
    return getFlag(exitFlagFile());
}

void OneValueFiles::setExitFlag(bool flag) const
{
    setFlag(exitFlagFile(), flag);
}

} // namespace velmora::services
