#pragma once

#include "SecondaryWindow.h"

#include <QString>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {
class Program;
}
namespace velmora::services {
class cTextDataBase;
}

namespace velmora::windows {

// The hot-word table: at every start the table is read from db.tdb and
// published to the program (hotWords, hotUrls, hwCount) before the main
// window loads (loadAtStart); the window itself, opened from the options
// window, is the editor of that table, one row at a time, and is built when
// it is first opened.
class frmHW : public SecondaryWindow
{
    Q_OBJECT
public:
    static constexpr int Rows = 1000;

    explicit frmHW(Program &program, QWidget *parent = nullptr);
    ~frmHW() override;

    // True once opened for editing: the load then shows row 1. The start
    // reads the table without the window (loadAtStart).
    bool nstup = false;

    void Form_Load();
    // The start's silent load of the table, without the window; then the
    // main window's load.
    static void loadAtStart(Program &program);

    void cmdRemove_Click();
    void goFirst_Click();
    void cmdBack_Click();
    void cmdForward_Click();
    void cmdLast_Click();
    void cmdCreate_Click();
    void cmdOK_Click();

    // 1-based row the fields show.
    int currentRow() const { return m_current; }
    services::cTextDataBase &table();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *txtWord = nullptr;
    QLineEdit *txtUrl = nullptr;
    QPushButton *cmdRemove = nullptr;
    QPushButton *goFirst = nullptr;
    QPushButton *cmdBack = nullptr;
    QPushButton *cmdForward = nullptr;
    QPushButton *cmdLast = nullptr;
    QPushButton *cmdCreate = nullptr;
    QPushButton *cmdOK = nullptr;

protected:
    bool Form_QueryUnload() override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Row
    {
        QString word;
        QString url;
    };

    // Reads db.tdb into table and publishes its rows (into rows as well
    // when given), each part on its own: a table that can be neither read
    // nor created stays as it is in memory.
    static void readTable(Program &program, services::cTextDataBase &table, Row *rows);
    static void publish(Program &program, int index, const QString &word, const QString &url);
    void reloadWords(int count);
    // Stores the fields into the current row; returns the row count written.
    int saveFields();
    // The editing moves and OK: save, then act; nothing while the word is empty.
    template<typename Move>
    void saveAndMove(Move move);
    void showRow(int row);
    void dropEmptyRows();

    std::unique_ptr<services::cTextDataBase> m_table;
    std::array<Row, Rows> m_rows;
    int m_current = 1;
};

} // namespace velmora::windows
