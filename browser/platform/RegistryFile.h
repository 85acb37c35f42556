#pragma once

#include "RegistryTree.h"

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

    static QString defaultFolder();
    QString filePath() const;

protected:
    RegistryTree load() const override;
    long change(const std::function<long(RegistryTree &)> &edit) override;
    bool isWritable(quint32 root) const override;

private:
    QString m_folder;
};

} // namespace velmora::platform
