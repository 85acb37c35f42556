#include "frmHW.h"

#include "Program.h"
#include "frmMain.h"

#include "Language.h"
#include "ProgramFolder.h"
#include "SettingsStore.h"
#include "Steps.h"
#include "TextDataBase.h"

#include <QBoxLayout>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <exception>

namespace velmora::windows {

using services::step;

namespace {

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmHW::frmHW(Program &program, QWidget *parent)
    : SecondaryWindow(program, QStringLiteral("frmHW"), parent)
{
    setWindowTitle(QStringLiteral("Горячие слова"));

    Label1 = new QLabel(QStringLiteral("Горячее слово:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    txtWord = new QLineEdit(this);
    txtWord->setObjectName(QStringLiteral("txtWord"));
    Label2 = new QLabel(QStringLiteral("URL:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    txtUrl = new QLineEdit(this);
    txtUrl->setObjectName(QStringLiteral("txtUrl"));

    cmdRemove = makeButton(this, "cmdRemove", QStringLiteral("Удалить"));
    goFirst = makeButton(this, "goFirst", QStringLiteral("<<"));
    cmdBack = makeButton(this, "cmdBack", QStringLiteral("<"));
    cmdForward = makeButton(this, "cmdForward", QStringLiteral(">"));
    cmdLast = makeButton(this, "cmdLast", QStringLiteral(">>"));
    cmdCreate = makeButton(this, "cmdCreate", QStringLiteral("Создать"));
    cmdOK = makeButton(this, "cmdOK", QStringLiteral("OK"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(txtWord);
    layout->addWidget(Label2);
    layout->addWidget(txtUrl);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdRemove, goFirst, cmdBack, cmdForward, cmdLast, cmdCreate, cmdOK}) {
        buttons->addWidget(b);
        b->installEventFilter(this);
    }
    for (QPushButton *b : {goFirst, cmdBack, cmdForward, cmdLast})
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral(">>")) + 24);
    layout->addLayout(buttons);
    txtWord->installEventFilter(this);
    txtUrl->installEventFilter(this);
    resize(460, sizeHint().height());

    // A write that fails ends the handler; the user hears why.
    auto handle = [this](QPushButton *button, void (frmHW::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] {
            try {
                (this->*handler)();
            } catch (const std::exception &e) {
                QString title;
                step([&] { title = this->program().language().langText(5); });
                this->program().dialogs().msgBox(this, QString::fromLocal8Bit(e.what()),
                                                 platform::MsgButtons::OK,
                                                 platform::MsgIcon::Critical, title);
            }
        });
    };
    handle(cmdRemove, &frmHW::cmdRemove_Click);
    handle(goFirst, &frmHW::goFirst_Click);
    handle(cmdBack, &frmHW::cmdBack_Click);
    handle(cmdForward, &frmHW::cmdForward_Click);
    handle(cmdLast, &frmHW::cmdLast_Click);
    handle(cmdCreate, &frmHW::cmdCreate_Click);
    handle(cmdOK, &frmHW::cmdOK_Click);
}

frmHW::~frmHW() = default;

services::cTextDataBase &frmHW::table()
{
    if (!m_table)
    {
        m_table = std::make_unique<services::cTextDataBase>();
        m_table->writeFailures = &program().writeFailures();
    }
    return *m_table;
}

void frmHW::publish(Program &p, int index, const QString &word, const QString &url)
{
    if (p.hotWords.size() < Rows)
        p.hotWords.resize(Rows);
    if (p.hotUrls.size() < Rows)
        p.hotUrls.resize(Rows);
    p.hotWords[index] = word;
    p.hotUrls[index] = url;
}

void frmHW::readTable(Program &p, services::cTextDataBase &table, Row *rows)
{
    step([&] {
        table.dataTextFile = p.folder().file(QStringLiteral("db.tdb"));
        table.update(Rows);
    });
    step([&] {
        for (int i = 1; i <= Rows; ++i) {
            const QString word = table.readSetting(i, 1);
            const QString url = table.readSetting(i, 2);
            if (rows)
                rows[i - 1] = {word, url};
            publish(p, i - 1, word, url);
            if (word.isEmpty()) {
                // An empty table still counts one row, the one being typed.
                p.hwCount = i == 1 ? 1 : i - 1;
                publish(p, i - 1, {}, {});
                return;
            }
        }
        p.hwCount = Rows;
    });
}

void frmHW::loadAtStart(Program &p)
{
    services::cTextDataBase table;
    table.writeFailures = &p.writeFailures();
    readTable(p, table, nullptr);
    if (!p.mainLoaded) {
        p.startStep("hot-words");
        p.mainWindow().Form_Load();
    }
}

void frmHW::Form_Load()
{
    services::Language &lang = program().language();
    const QString dir = program().folder().path();
    step([&] {
        const QString language = program().settings().GetSetting(
            QStringLiteral("general"), QStringLiteral("language"), lang.getDefaultLanguage(dir));
        lang.applyLanguage(dir, language, services::Language::HotWordsWindow, this);
    });
    readTable(program(), table(), m_rows.data());
    m_current = 1;
    if (nstup)
        showRow(1);
}

void frmHW::reloadWords(int count)
{
    table().update(count);
    for (int i = 1; i <= Rows; ++i) {
        const QString word = table().readSetting(i, 1);
        const QString url = table().readSetting(i, 2);
        m_rows[size_t(i - 1)] = {word, url};
        publish(program(), i - 1, word, url);
        if (word.isEmpty()) {
            m_rows[size_t(i - 1)] = {};
            program().hwCount = i - 1;
            return;
        }
    }
    program().hwCount = Rows;
}

int frmHW::saveFields()
{
    // A row typed just past the table (after its last row was removed)
    // belongs to it: the count written includes it.
    const int count = std::max(program().hwCount, m_current);
    table().write_setting(txtWord->text(), txtUrl->text(), m_current, count, true);
    return count;
}

template<typename Move>
void frmHW::saveAndMove(Move move)
{
    if (txtWord->text().isEmpty())
        return;
    reloadWords(saveFields() + 1);
    move();
}

void frmHW::showRow(int row)
{
    const Row &r = m_rows[size_t(std::clamp(row, 1, int(Rows)) - 1)];
    txtWord->setText(r.word);
    txtUrl->setText(r.url);
}

void frmHW::goFirst_Click()
{
    saveAndMove([this] {
        m_current = 1;
        showRow(m_current);
    });
}

void frmHW::cmdBack_Click()
{
    saveAndMove([this] {
        if (m_current > 1)
            --m_current;
        showRow(m_current);
    });
}

void frmHW::cmdForward_Click()
{
    saveAndMove([this] {
        if (m_current < program().hwCount)
            ++m_current;
        showRow(m_current);
    });
}

void frmHW::cmdLast_Click()
{
    saveAndMove([this] {
        m_current = std::max(program().hwCount, 1);
        showRow(m_current);
    });
}

void frmHW::cmdOK_Click()
{
    saveAndMove([this] {
        dropEmptyRows();
        Form_Load();
        hide();
    });
}

void frmHW::cmdCreate_Click()
{
    const int count = saveFields();
    // A full table has no room for another row.
    if (count >= Rows)
        return;
    table().update(count);
    table().insert(m_current, count);
    step([&] {
        for (int i = 1; i <= Rows; ++i) {
            const QString word = table().readSetting(i, 1);
            const QString url = table().readSetting(i, 2);
            m_rows[size_t(i - 1)] = {word, url};
            publish(program(), i - 1, word, url);
        }
    });
    program().hwCount = count + 1;
    txtWord->clear();
    txtUrl->clear();
}

void frmHW::cmdRemove_Click()
{
    // A position past the table holds no row; removing there would cut the
    // table's real last row.
    if (m_current < 1 || m_current > program().hwCount)
        return;
    int count = program().hwCount;
    table().remove(m_current, count);
    program().hwCount = count;
    reloadWords(count);
    showRow(m_current);
}

void frmHW::dropEmptyRows()
{
    // A row made by Create and never filled would end the table at the next
    // start and hide every row after it. Empty rows with no word after them
    // hide nothing and stay.
    table().update(program().hwCount);
    int count = program().hwCount;
    bool dropped = false;
    bool wordAfter = false;
    for (int r = count; r >= 1; --r) {
        if (!table().readSetting(r, 1).isEmpty()) {
            wordAfter = true;
        } else if (wordAfter) {
            table().remove(r, count);
            dropped = true;
        }
    }
    if (dropped)
        reloadWords(count);
}

bool frmHW::Form_QueryUnload()
{
    if (isVisible())
        step([&] { dropEmptyRows(); });
    return SecondaryWindow::Form_QueryUnload();
}

void frmHW::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    SecondaryWindow::keyPressEvent(event);
}

bool frmHW::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return SecondaryWindow::eventFilter(watched, event);
}

} // namespace velmora::windows
