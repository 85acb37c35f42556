#pragma once

#include "WriteFailures.h"

#include "Services.h"

#include <QObject>

class QFileSystemWatcher;

namespace velmora::platform {

// The desktop-wide offline state of this program, shared by every running
// instance through one small file (<config home>/olk_Browser/offline holding
// "1" or "0"; no file means online). The state is cached: reading it costs
// no file access; a watcher re-reads the file when it or its folder changes.
class FileInternetState final : public QObject, public InternetState
{
    Q_OBJECT
public:
    // The folder defaults to <config home>/olk_Browser.
    explicit FileInternetState(const QString &folder = defaultFolder(), QObject *parent = nullptr);
    ~FileInternetState() override;

    bool isOffline() const override;
    // Written atomically: a reader sees the old or the new state, never half.
    void setOffline(bool offline) override;

    static QString defaultFolder();
    QString filePath() const;
    // How often the file has been read (tests check that polling is free).
    int fileReads() const { return m_fileReads; }
    // Where failed writes are raised; none by default.
    void setWriteFailures(WriteFailures *failures) { m_failures = failures; }

signals:
    void offlineChanged(bool offline);

private:
    void reload();
    void watchFile();

    QString m_folder;
    QFileSystemWatcher *m_watcher;
    bool m_offline = false;
    int m_fileReads = 0;
    WriteFailures *m_failures = nullptr;
};

} // namespace velmora::platform
