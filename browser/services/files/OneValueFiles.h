#pragma once

#include "ProgramFolder.h"

#include <QString>

namespace velmora::platform {
class WriteFailures;
}

namespace velmora::services {

// The four small option files of the program folder, each holding one value.
// Nothing is cached: every getter reads its file again. A getter that finds
// no usable value writes the default back; setters never report failure.
class OneValueFiles
{
public:
    // failures: where failed writes are raised; none when null.
    explicit OneValueFiles(const ProgramFolder &folder, platform::WriteFailures *failures = nullptr);

    QString homePageFile() const;
    QString newWindowModeFile() const;
    QString modeFile() const;
    QString exitFlagFile() const;

    QString getHomePage() const;
    void setHomePage(const QString &address) const;

    // Switch to the tab that opens for a new window.
    bool getNewWindowMode() const;
    void setNewWindowMode(bool flag) const;

    // True = standard address-saving mode, False = favourite-address mode.
    bool getMode() const;
    void setMode(bool flag) const;

    // Ask before closing the main window.
    bool getExitFlag() const;
    void setExitFlag(bool flag) const;

private:
    bool getFlag(const QString &path) const;
    void setFlag(const QString &path, bool flag) const;

    ProgramFolder m_folder;
    platform::WriteFailures *m_failures = nullptr;
};

} // namespace velmora::services
