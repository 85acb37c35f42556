#include "TextDataBase.h"

#include "RuntimeError.h"
#include "RuntimeFiles.h"

#include <QFile>
#include <QFileInfo>

#include <string>

namespace velmora::services {

namespace {

[[noreturn]] void outOfRange(const char *what, int value)
{
    throw RuntimeError(RuntimeError::SubscriptOutOfRange,
                       std::string("Subscript out of range: ") + what + ' '
                           + std::to_string(value));
}

} // namespace

cTextDataBase::cTextDataBase()
{
    Class_Initialize();
}

QString &cTextDataBase::cell(int row, int column)
{
    if (row < 1 || row > Rows)
        outOfRange("row", row);
    if (column < 1 || column > Columns)
        outOfRange("column", column);
    return m_cells[size_t(row - 1)][size_t(column - 1)];
}

QString cTextDataBase::readSetting(int row, int column) const
{
    if (row < 1 || row > Rows || column < 1 || column > Columns)
        return {};
    return m_cells[size_t(row - 1)][size_t(column - 1)];
}

void cTextDataBase::Class_Initialize()
{
    if (dataTextFile.isEmpty())
        return;
    if (!QFileInfo::exists(dataTextFile)) {
        // A first run: the file appears empty and the table keeps its cells.
        runtime::replaceFile(dataTextFile, {}, writeFailures, platform::DataFile::HotWords);
        return;
    }
    runtime::ValueReader in(runtime::readWholeFile(dataTextFile));
    const int rows = qMin(m_rowCount, int(Rows));
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= Columns; ++c) {
            try {
                cell(r, c) = in.readText();
            } catch (const RuntimeError &) {
                // The file holds fewer rows than asked for: the rest stay.
                return;
            }
        }
    }
}

void cTextDataBase::writeFile(int count) const
{
    if (count > Rows)
        outOfRange("count", count);
    QByteArray bytes;
    for (int r = 1; r <= count; ++r) {
        const auto &row = m_cells[size_t(r - 1)];
        // The address keeps characters outside the code page in its encoded
        // form, so it still opens the same page when read back.
        bytes += runtime::quoted(row[0]) + "\r\n" + runtime::quotedAddress(row[1]) + "\r\n";
    }
    runtime::replaceFile(dataTextFile, bytes, writeFailures, platform::DataFile::HotWords);
}

void cTextDataBase::write_setting(const QString &sett1, const QString &sett2, int row, int count,
                                  bool changD)
{
    m_rowCount = count;
    if (changD) {
        Class_Initialize();
        if (row < 1)
            return;
        if (row > Rows)
            outOfRange("row", row);
        // Checked before the cells change, so a failing call leaves both the
        // table and the file as they were.
        if (count > Rows)
            outOfRange("count", count);
        cell(row, 1) = sett1;
        cell(row, 2) = sett2;
    }
    writeFile(count);
}

void cTextDataBase::update(int count)
{
    m_rowCount = count;
    Class_Initialize();
}

void cTextDataBase::remove(int row, int &count)
{
    if (row < 1)
        outOfRange("row", row);
    if (count > Rows)
        outOfRange("count", count);
    // Row count + 1 moves up into row count; past a full table it is empty,
    // so the last row of a full table can go too.
    for (int i = row; i <= count; ++i) {
        cell(i, 1) = readSetting(i + 1, 1);
        cell(i, 2) = readSetting(i + 1, 2);
    }
    count -= 1;
    write_setting({}, {}, row, count, false);
    update(count);
}

void cTextDataBase::insert(int row, int count)
{
    if (row < 1 || row > Rows)
        outOfRange("row", row);
    if (count >= Rows)
        outOfRange("count", count);
    for (int i = count; i >= row; --i) {
        cell(i + 1, 1) = cell(i, 1);
        cell(i + 1, 2) = cell(i, 2);
    }
    cell(row, 1).clear();
    cell(row, 2).clear();
    write_setting({}, {}, row, count + 1, false);
    update(count + 1);
}

} // namespace velmora::services
