#pragma once

#include "WriteFailures.h"

#include "RegistryTree.h"

#include <QByteArray>

#include <memory>

class QFileSystemWatcher;
class QTimer;

namespace velmora::platform {

// The registry of this program: one file of our own (registry.json in
// <config home>/olk_Browser), shared by every running instance. Nothing is
// cached: each call reads the file, and each change re-reads it, applies
// itself and replaces the file in one step under a lock file. A damaged
// file reads as empty and is left alone until a value is written; the write
// first keeps its bytes as "registry.json.bad" (see DamagedCopies.h). Every root is
// the user's own; a folder the user cannot write makes every root read-only.
class FileRegistry final : public TreeRegistry
{
public:
    explicit FileRegistry(const QString &folder = defaultFolder());
    ~FileRegistry() override;

    static QString defaultFolder();
    QString filePath() const;

    // Makes the file holding these keys and values when there is none yet,
    // as an install leaves the registry. True when it made the file.
    bool createFile(const RegistryTree &installed);
    // The values the platform's own install gives the browser engine: every
    // kind of page content shown, under the user's and the machine's key.
    static RegistryTree engineInstallValues();

    void watch(std::function<void()> onChange) override;
    // Where failed writes are raised; none by default.
    void setWriteFailures(WriteFailures *failures) { m_failures = failures; }

protected:
    RegistryTree load() const override;
    long change(const std::function<long(RegistryTree &)> &edit) override;
    bool isWritable(quint32 root) const override;

private:
    void watchPaths();
    void fileMayHaveChanged();

    QString m_folder;
    std::function<void()> m_onChange;
    std::unique_ptr<QFileSystemWatcher> m_watcher;
    std::unique_ptr<QTimer> m_settle;
    QByteArray m_seen;
    WriteFailures *m_failures = nullptr;
};

} // namespace velmora::platform
