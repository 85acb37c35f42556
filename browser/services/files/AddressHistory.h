#pragma once

#include "ProgramFolder.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QComboBox;

namespace velmora::platform {
class WriteFailures;
}

namespace velmora::services {

// The address bar's list of visited hosts and its file WebHis.dat in the
// program folder: one quoted value a line.
//
// A file that cannot be read to its end (an unbalanced quote, a file that
// cannot be opened) is never lost by the next save. Its contents are kept
// here until that save, which first copies them beside the file as
// "WebHis.dat.bad" (then "WebHis.dat.bad.2", ".3", ... when an earlier copy
// holds something else; a copy with the same bytes is not made twice). A file
// that could not be opened at all is renamed to that name instead. Until the
// copy is made the save does not replace the file. Copies are only ever made
// from what a failed read saw, so a good file never takes a damaged one's
// place, and no copy is ever overwritten.
class AddressHistory
{
public:
    // failures: where failed writes are raised; none when null.
    explicit AddressHistory(const ProgramFolder &folder,
                            platform::WriteFailures *failures = nullptr);

    QString filePath() const;

    // Writes every item of Combo1, in list order, replacing the file. Returns
    // whether the file was written; callers ignore failures.
    bool saveHistory(const QComboBox &Combo1);
    bool saveItems(const QStringList &items);

    // Clears Combo1 and appends every non-empty value of the file, yielding to
    // the event loop before each one. A missing file is created empty. When
    // the file cannot be read to its end the items read so far stay.
    void loadHistory(QComboBox &Combo1);
    // Every value of the file, empty ones too, without yielding; *complete
    // tells whether the whole file could be read.
    QStringList readItems(bool *complete = nullptr);

    // The host part of a visited address: the scheme removed, cut at the
    // first '/' within the first 255 characters ("" when there is none).
    static QString getHostPart(const QString &url);

    // Whether a failed read left contents that the next save must copy aside.
    bool hasPendingDamage() const { return m_unopenable || !m_damaged.isEmpty(); }

private:
    // Reads the file; on failure keeps what must survive the next save.
    // Returns the values read and whether the file was read to its end.
    QList<QString> readValues(bool *complete, bool *missing);
    void noteDamage(const QByteArray &bytes);
    bool keepDamagedFiles();

    ProgramFolder m_folder;
    platform::WriteFailures *m_failures = nullptr;
    QList<QByteArray> m_damaged;  // contents of unreadable files not yet copied aside
    bool m_unopenable = false;    // the file existed but could not be opened
};

} // namespace velmora::services
