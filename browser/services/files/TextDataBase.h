#pragma once

#include <QString>

#include <array>

namespace velmora::platform {
class WriteFailures;
}

namespace velmora::services {

// A fixed table of 1000 rows by 2 text columns whose first rows are mirrored
// in a text file, one quoted value a line in the value-writing form. Every
// change rewrites the whole file at once; every load replaces the cells the
// file holds and leaves the others as they were. Rows and columns count
// from 1. The second column holds addresses: a character with no form in the
// file's code page is written in the address's encoded form (punycode host,
// percent-encoded path), where the first column's would become '?'.
class cTextDataBase
{
public:
    static constexpr int Rows = 1000;
    static constexpr int Columns = 2;

    // Runs the load, which reads nothing while no path is set.
    cTextDataBase();

    // Full path of the table file; nothing is read until the next load.
    QString dataTextFile;
    // Where failed writes of the file are raised; none when null.
    platform::WriteFailures *writeFailures = nullptr;

    // Number of rows a load reads and a write writes.
    int rowCount() const { return m_rowCount; }

    // With changD set, reloads the first count rows and stores sett1/sett2
    // into row (nothing at all is stored or written when row < 1); then
    // rewrites the file with count rows. Throws RuntimeError for a row or a
    // count past the table or a file that cannot be written; the file is
    // left as it was then.
    void write_setting(const QString &sett1, const QString &sett2, int row, int count,
                       bool changD);
    // The cell's text; empty outside the table.
    QString readSetting(int row, int column) const;
    // Sets the row count and loads.
    void update(int count);
    // Removes row, moving the rows after it up to count + 1; lowers count by
    // one, rewrites the file and loads it. Throws RuntimeError when row < 1
    // or count > 1000, before anything changes.
    void remove(int row, int &count);
    // Inserts an empty row at row, moving rows row..count down; rewrites the
    // file with count + 1 rows and loads it. The caller's count is its own to
    // raise. Throws RuntimeError when row is outside the table or count > 999.
    void insert(int row, int count);
    // The load: reads up to rowCount() rows from the file. A missing file is
    // created empty and the cells stay; a file shorter than the row count
    // fills only the rows it holds. Throws RuntimeError when the file cannot
    // be created or read.
    void Class_Initialize();

private:
    void writeFile(int count) const;
    QString &cell(int row, int column);

    std::array<std::array<QString, Columns>, Rows> m_cells;
    int m_rowCount = 0;
};

} // namespace velmora::services
