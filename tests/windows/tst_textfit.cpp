// Every captioned control of every window shows its whole text, in both
// shipped languages, measured with a fixed interface font.

#include "ProgramFixture.h"

#include "FavAdd.h"
#include "Language.h"
#include "Program.h"
#include "QtDialogs.h"
#include "SettingsStore.h"
#include "TextFit.h"
#include "ShellFavoritesDesktop.h"
#include "favEdit.h"
#include "frmAbout.h"
#include "frmFavoritesShow.h"
#include "frmGroupOperations.h"
#include "frmHW.h"
#include "frmMain.h"
#include "frmMemSave.h"
#include "frmOpenTabsDetailed.h"
#include "frmOptions.h"
#include "frmRemove.h"
#include "frmSplash.h"
#include "frmSplash2.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QToolButton>

#include <functional>

using velmora::Program;
using velmora::test::ProgramFixture;
using namespace velmora::windows;

namespace {

QString shown(QString text)
{
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(1), QLatin1Char('&'));
    return text;
}

QString describe(const QWidget *w, const QString &text)
{
    return QStringLiteral("%1 (%2) \"%3\"")
        .arg(w->objectName(), QString::fromLatin1(w->metaObject()->className()), text);
}

bool captioned(const QWidget *w)
{
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return !label->text().isEmpty() && label->textFormat() != Qt::RichText;
    // Tool buttons size themselves to their text.
    if (qobject_cast<const QToolButton *>(w))
        return false;
    if (const auto *button = qobject_cast<const QAbstractButton *>(w))
        return !button->text().isEmpty();
    if (const auto *box = qobject_cast<const QGroupBox *>(w))
        return !box->title().isEmpty();
    return false;
}

// What of w's text cannot be seen; empty when all of it shows.
QString clipped(const QWidget *w)
{
    const QFontMetrics fm = w->fontMetrics();
    if (const auto *label = qobject_cast<const QLabel *>(w)) {
        QRect cr = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                  -label->margin(), -label->margin());
        if (label->indent() > 0)
            cr.setLeft(cr.left() + label->indent());
        const QString text = label->text();
        if (label->wordWrap()) {
            const QRect need = fm.boundingRect(QRect(0, 0, cr.width(), 100000),
                                               int(label->alignment()) | Qt::TextWordWrap, text);
            if (need.height() > cr.height() || need.width() > cr.width())
                return QStringLiteral("needs %1x%2, has %3x%4")
                    .arg(need.width()).arg(need.height()).arg(cr.width()).arg(cr.height());
            return {};
        }
        const int width = fm.horizontalAdvance(shown(text));
        if (width > cr.width() || fm.height() > cr.height())
            return QStringLiteral("needs %1x%2, has %3x%4")
                .arg(width).arg(fm.height()).arg(cr.width()).arg(cr.height());
        return {};
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(button);
        opt.text = button->text();
        opt.icon = button->icon();
        opt.iconSize = button->iconSize();
        QStyle::SubElement element = QStyle::SE_PushButtonContents;
        if (qobject_cast<const QRadioButton *>(button))
            element = QStyle::SE_RadioButtonContents;
        else if (qobject_cast<const QCheckBox *>(button))
            element = QStyle::SE_CheckBoxContents;
        const QRect contents = button->style()->subElementRect(element, &opt, button);
        int width = fm.horizontalAdvance(shown(button->text()));
        if (element == QStyle::SE_PushButtonContents && !opt.icon.isNull())
            width += opt.iconSize.width() + 4;
        if (width > contents.width() || fm.height() > contents.height())
            return QStringLiteral("needs %1x%2, has %3x%4")
                .arg(width).arg(fm.height()).arg(contents.width()).arg(contents.height());
        return {};
    }
    if (const auto *box = qobject_cast<const QGroupBox *>(w)) {
        QStyleOptionGroupBox opt;
        opt.initFrom(box);
        opt.text = box->title();
        opt.subControls = QStyle::SC_GroupBoxLabel;
        const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &opt,
                                                         QStyle::SC_GroupBoxLabel, box);
        if (label.right() >= box->width())
            return QStringLiteral("title runs past the frame");
    }
    return {};
}

// Every fault of the window: texts that do not fit, captioned controls that
// reach out of their parent or overlap one another, a title wider than the window.
QStringList faults(QWidget *window)
{
    QStringList result;
    const bool framed = !(window->windowFlags() & Qt::FramelessWindowHint);
    if (framed && !window->windowTitle().isEmpty()
        && velmora::platform::titleRoom(window->windowTitle()) > window->width())
        result.append(QStringLiteral("title \"%1\" wider than the window (%2)")
                          .arg(window->windowTitle())
                          .arg(window->width()));
    QList<QWidget *> controls;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window || !w->isVisibleTo(window) || !captioned(w))
            continue;
        controls.append(w);
        const QString text = qobject_cast<QLabel *>(w)      ? qobject_cast<QLabel *>(w)->text()
                             : qobject_cast<QGroupBox *>(w) ? qobject_cast<QGroupBox *>(w)->title()
                                                            : qobject_cast<QAbstractButton *>(w)->text();
        const QString why = clipped(w);
        if (!why.isEmpty())
            result.append(describe(w, text) + u": " + why);
        // Cut by its frame or the window.
        for (const QWidget *p = w; p != window && p->parentWidget(); p = p->parentWidget()) {
            const QRect inParent = p->geometry();
            if (!p->parentWidget()->rect().contains(inParent)) {
                result.append(describe(w, text) + QStringLiteral(": outside its parent"));
                break;
            }
        }
    }
    for (int i = 0; i < controls.size(); ++i) {
        for (int j = i + 1; j < controls.size(); ++j) {
            QWidget *a = controls[i];
            QWidget *b = controls[j];
            if (a->isAncestorOf(b) || b->isAncestorOf(a))
                continue;
            const QRect ra(a->mapTo(window, QPoint(0, 0)), a->size());
            const QRect rb(b->mapTo(window, QPoint(0, 0)), b->size());
            if (ra.intersects(rb))
                result.append(QStringLiteral("%1 overlaps %2").arg(a->objectName(), b->objectName()));
            // Two texts one right under the other with no line gap read as one.
            const QRect &upper = ra.top() <= rb.top() ? ra : rb;
            const QRect &lower = ra.top() <= rb.top() ? rb : ra;
            if (!ra.intersects(rb) && upper.left() <= lower.right() && lower.left() <= upper.right()
                && lower.top() - upper.bottom() - 1 < 2)
                result.append(QStringLiteral("%1 touches %2").arg(a->objectName(), b->objectName()));
        }
    }
    return result;
}

QString shippedData()
{
    return QStringLiteral(VELMORA_SHIPPED_DATA);
}

struct Run
{
    ProgramFixture fx{false};
    explicit Run(const QString &language)
    {
        const QDir source(shippedData());
        for (const QString &name : source.entryList({QStringLiteral("*.lng")}, QDir::Files))
            QFile::copy(source.filePath(name), QDir(fx.env.programDir()).filePath(name));
        fx.program().settings().SaveSetting(QStringLiteral("general"),
                                            QStringLiteral("language"), language);
        fx.start();
    }
    Program &p() { return fx.program(); }
};

// Runs check on the modal dialog that action opens, then closes it.
QStringList modalFaults(const std::function<void()> &action, QString *title = nullptr)
{
    QStringList result;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (dialog) {
            seen = true;
            result = faults(dialog);
            if (title)
                *title = dialog->windowTitle();
            dialog->close();
        }
    });
    action();
    if (!seen)
        result.append(QStringLiteral("the dialog never opened"));
    return result;
}

QStringList windowFaults(Run &run, const QString &name)
{
    Program &p = run.p();
    auto check = [](QWidget *w) {
        w->show();
        QCoreApplication::processEvents();
        return faults(w);
    };
    if (name == u"main")
        return check(&run.fx.main());
    if (name == u"options") {
        run.fx.main().actionNamed(QStringLiteral("mnuOptions"))->trigger();
        return check(&p.options());
    }
    if (name == u"hot words")
        return check(&p.window<frmHW>());
    if (name == u"history editor") {
        p.options().cmdRemove_Click();
        return check(&p.window<frmRemove>());
    }
    if (name == u"favourites tree") {
        run.fx.main().actionNamed(QStringLiteral("mnuShowFavorites"))->trigger();
        auto *w = p.loadedWindow<frmFavoritesShow>();
        return w ? check(w) : QStringList{QStringLiteral("not opened")};
    }
    if (name == u"selective loader")
        return check(&p.window<frmOpenTabsDetailed>());
    if (name == u"group operations")
        return check(&p.window<frmGroupOperations>());
    if (name == u"about") {
        p.window<frmAbout>().Form_Load();
        return check(&p.window<frmAbout>());
    }
    if (name == u"memory") {
        p.window<frmMemSave>().Form_Load();
        return check(&p.window<frmMemSave>());
    }
    if (name == u"favAdd") {
        p.window<FavAdd>().Form_Load();
        return check(&p.window<FavAdd>());
    }
    if (name == u"favEdit") {
        p.window<favEdit>().Form_Load();
        return check(&p.window<favEdit>());
    }
    if (name == u"wait: apply") {
        return check(&p.window<frmSplash>());
    }
    if (name == u"wait: close all") {
        return check(&p.window<frmSplash2>());
    }
    velmora::platform::DesktopShellFavorites shell;
    shell.setTextChooser([&p](const char16_t *russian, const char16_t *english) {
        return p.language().own(russian, english);
    });
    if (name == u"add favourite")
        return modalFaults([&] {
            shell.AddFavorite(&run.fx.main(), QStringLiteral("http://127.0.0.1/"),
                              QStringLiteral("Page"));
        });
    if (name == u"organise favourites")
        return modalFaults(
            [&] { shell.ShowBrowserUI(&run.fx.main(), QStringLiteral("OrganizeFavorites")); });
    if (name == u"close-all question") {
        QMessageBox box(QMessageBox::Question, p.language().langText(3),
                        p.language().langText(2), QMessageBox::Yes | QMessageBox::No);
        velmora::platform::makeRoomForTitle(box);
        return check(&box);
    }
    return {QStringLiteral("unknown window")};
}

const QStringList windowNames = {
    QStringLiteral("main"),          QStringLiteral("options"),
    QStringLiteral("hot words"),     QStringLiteral("history editor"),
    QStringLiteral("favourites tree"), QStringLiteral("selective loader"),
    QStringLiteral("group operations"), QStringLiteral("about"),
    QStringLiteral("memory"),        QStringLiteral("favAdd"),
    QStringLiteral("favEdit"),       QStringLiteral("wait: apply"),
    QStringLiteral("wait: close all"), QStringLiteral("add favourite"),
    QStringLiteral("organise favourites"), QStringLiteral("close-all question"),
};

} // namespace

class tst_TextFit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyTextFits_data();
    void everyTextFits();
    void checkerSeesACutText();
    void fitterMovesWhatFollows();
    void rowTakesSpareRoomFirst();
    void ownTextsFollowTheLanguage_data();
    void ownTextsFollowTheLanguage();
    void goButtonShowsAnArrow();
    void fileDialogColumnsShowTheirTexts();
};

void tst_TextFit::initTestCase()
{
    // Measured with one known font, whatever the machine's default.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(9);
    QApplication::setFont(font);
    QVERIFY2(QFile::exists(shippedData() + QStringLiteral("/English.lng")), qPrintable(shippedData()));
}

void tst_TextFit::everyTextFits_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("window");
    for (const char *language : {"Russian", "English"}) {
        for (const QString &window : windowNames)
            QTest::addRow("%s %s", language, qPrintable(window))
                << QString::fromLatin1(language) << window;
    }
}

void tst_TextFit::everyTextFits()
{
    QFETCH(QString, language);
    QFETCH(QString, window);
    Run run(language);
    const QStringList found = windowFaults(run, window);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("\n"))));
}

void tst_TextFit::checkerSeesACutText()
{
    // The checker itself: a button and a label too small for their texts.
    QWidget window;
    window.resize(300, 100);
    auto *button = new QPushButton(QStringLiteral("A rather long caption"), &window);
    button->setObjectName(QStringLiteral("button"));
    button->setGeometry(10, 10, 40, 25);
    auto *label = new QLabel(QStringLiteral("one two three four five six seven"), &window);
    label->setObjectName(QStringLiteral("label"));
    label->setWordWrap(true);
    label->setGeometry(10, 50, 80, 16);
    const QStringList found = faults(&window);
    QCOMPARE(found.size(), 2);
    QVERIFY(found[0].startsWith(QStringLiteral("button")) || found[1].startsWith(QStringLiteral("button")));
}

void tst_TextFit::fitterMovesWhatFollows()
{
    // A fixed dialog: a wrapped label too short for its text above a button
    // too narrow for its caption, with a neighbour to its right.
    QWidget window;
    window.setFixedSize(200, 100);
    auto *label = new QLabel(QStringLiteral("one two three four five six seven eight nine ten "
                                            "eleven twelve thirteen fourteen"),
                             &window);
    label->setObjectName(QStringLiteral("label"));
    label->setWordWrap(true);
    label->setGeometry(8, 8, 184, 16);
    auto *button = new QPushButton(QStringLiteral("A caption much longer than the button"), &window);
    button->setObjectName(QStringLiteral("button"));
    button->setGeometry(8, 40, 60, 25);
    auto *next = new QPushButton(QStringLiteral("Next"), &window);
    next->setObjectName(QStringLiteral("next"));
    next->setGeometry(76, 40, 60, 25);
    QVERIFY(!faults(&window).isEmpty());

    velmora::services::fitTexts(&window);
    QVERIFY2(faults(&window).isEmpty(), qPrintable(faults(&window).join(u'\n')));
    // Grown, never shrunk or moved sideways: the design stays where it fits.
    QCOMPARE(label->geometry().topLeft(), QPoint(8, 8));
    QCOMPARE(label->width(), 184);
    QVERIFY(button->y() >= label->geometry().bottom());
    QCOMPARE(next->y(), button->y());
    QVERIFY(next->x() > button->geometry().right());
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.rect().contains(next->geometry()));
}

void tst_TextFit::rowTakesSpareRoomFirst()
{
    QWidget window;
    window.resize(400, 60);
    QList<QWidget *> row;
    const QStringList captions = {QStringLiteral("OK"), QStringLiteral("Clear the whole selection"),
                                  QStringLiteral("No")};
    for (int i = 0; i < 3; ++i) {
        auto *b = new QPushButton(captions[i], &window);
        b->setObjectName(QStringLiteral("b%1").arg(i));
        b->setGeometry(8 + i * 128, 10, 120, 25);
        row.append(b);
    }
    const int right = row.last()->geometry().right();
    const int needed = velmora::services::textNeed(row[1]).width();
    QVERIFY(needed > 120);
    // What the short buttons can spare: their width beyond their own need.
    int spare = 0;
    for (int i : {0, 2}) {
        QPushButton probe(captions[i]);
        probe.resize(1, 25);
        spare += 120 - velmora::services::textNeed(&probe).width();
    }
    if (needed - 120 <= spare) {
        QCOMPARE(velmora::services::fitRow(row), 0);
        QCOMPARE(row.last()->geometry().right(), right);
    } else {
        QVERIFY(velmora::services::fitRow(row) > 0);
    }
    QVERIFY2(faults(&window).isEmpty(), qPrintable(faults(&window).join(u'\n')));
    // The gaps between the buttons stay as designed.
    QCOMPARE(row[1]->x() - row[0]->geometry().right(), 9);
    QCOMPARE(row[2]->x() - row[1]->geometry().right(), 9);
}

void tst_TextFit::ownTextsFollowTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("groupTitle");
    QTest::addColumn<QString>("stopAll");
    QTest::addColumn<QString>("treeRoot");
    QTest::newRow("Russian") << QStringLiteral("Russian") << QStringLiteral("Групповые операции")
                             << QStringLiteral("Ос&тановить все") << QStringLiteral("Избранное");
    QTest::newRow("English") << QStringLiteral("English") << QStringLiteral("Group operations")
                             << QStringLiteral("S&top all") << QStringLiteral("Favorites");
}

void tst_TextFit::ownTextsFollowTheLanguage()
{
    QFETCH(QString, language);
    QFETCH(QString, groupTitle);
    QFETCH(QString, stopAll);
    QFETCH(QString, treeRoot);
    Run run(language);
    run.fx.main().actionNamed(QStringLiteral("mnuShowFavorites"))->trigger();
    auto *tree = run.p().loadedWindow<frmFavoritesShow>();
    QVERIFY(tree);
    QCOMPARE(tree->tvFav->topLevelItem(0)->text(0), treeRoot);
    QCOMPARE(run.p().window<frmGroupOperations>().windowTitle(), groupTitle);
    QCOMPARE(run.fx.main().actionNamed(QStringLiteral("mnuStopAll"))->text(), stopAll);

    QString title;
    velmora::platform::DesktopShellFavorites shell;
    shell.setTextChooser([&run](const char16_t *russian, const char16_t *english) {
        return run.p().language().own(russian, english);
    });
    modalFaults([&] { shell.ShowBrowserUI(&run.fx.main(), QStringLiteral("OrganizeFavorites")); },
                &title);
    QCOMPARE(title, language == u"English" ? QStringLiteral("Organize favorites")
                                            : QStringLiteral("Упорядочить избранное"));
}

void tst_TextFit::goButtonShowsAnArrow()
{
    Run run(QStringLiteral("Russian"));
    QPushButton *go = run.fx.main().findChild<QPushButton *>(QStringLiteral("cmdGo"));
    QVERIFY(go);
    QVERIFY(!go->icon().isNull());
    const QImage image = go->icon().pixmap(16, 16).toImage();
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            drawn += qAlpha(image.pixel(x, y)) > 128;
    // A solid arrow covers a good part of its square, not a dot or the whole.
    QVERIFY2(drawn > 40 && drawn < 200, qPrintable(QString::number(drawn)));
    // Its tallest column (the head's base) lies right of the middle: it points right.
    int tallest = 0;
    int tallestX = 0;
    for (int x = 0; x < 16; ++x) {
        int column = 0;
        for (int y = 0; y < 16; ++y)
            column += qAlpha(image.pixel(x, y)) > 128;
        if (column > tallest) {
            tallest = column;
            tallestX = x;
        }
    }
    QVERIFY2(tallestX >= 8, qPrintable(QString::number(tallestX)));
}

void tst_TextFit::fileDialogColumnsShowTheirTexts()
{
    // A folder, a file with a long type name and a large size: the detail
    // view shows each whole, not cut to "...".
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Sessions")));
    QFile file(dir.filePath(QStringLiteral("notes.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(123456, 'x'));
    file.close();

    QStringList found;
    bool seen = false;
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto *view = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
        if (!view || !view->model())
            return;
        const QModelIndex root = view->rootIndex();
        if (view->model()->rowCount(root) < 2 && waited.elapsed() < 5000)
            return;
        seen = true;
        const QFontMetrics fm = view->fontMetrics();
        const int margin =
            2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
        QHeaderView *header = view->header();
        for (int row = 0; row < view->model()->rowCount(root); ++row) {
            for (int column = 1; column < header->count(); ++column) {
                const QString text = view->model()->index(row, column, root).data().toString();
                if (fm.horizontalAdvance(text) + margin > header->sectionSize(column))
                    found.append(QStringLiteral("\"%1\" in %2 wide column %3")
                                     .arg(text).arg(header->sectionSize(column)).arg(column));
            }
        }
        if (header->length() > view->viewport()->width())
            found.append(QStringLiteral("columns %1 wide in a view of %2")
                             .arg(header->length()).arg(view->viewport()->width()));
        dialog->reject();
    });
    poll.start(50);
    velmora::platform::QtDialogs dialogs;
    dialogs.saveFile(nullptr, QStringLiteral("Save"), QStringLiteral("All files|*"), dir.path());
    poll.stop();
    QVERIFY(seen);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
}

QTEST_MAIN(tst_TextFit)
#include "tst_textfit.moc"
