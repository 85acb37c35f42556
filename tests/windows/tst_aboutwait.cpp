// The about box and the two wait windows.

#include "ProgramFixture.h"
#include "TabRowReading.h"

#include "CaptionTargets.h"
#include "FakeDialogs.h"
#include "FakeSystemFacts.h"
#include "Language.h"
#include "Program.h"
#include "SettingsStore.h"
#include "frmAbout.h"
#include "frmMain.h"
#include "frmSplash.h"
#include "frmSplash2.h"

#include "TabstripP.h"

#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using velmora::mainwindow::frmMain;
using velmora::platform::MsgResult;
using velmora::test::ProgramFixture;
using velmora::test::openTabs;
using velmora::windows::frmAbout;
using velmora::windows::frmSplash;
using velmora::windows::frmSplash2;
using velmora::windows::WaitWindow;

namespace {

// Runs the About command; while the box is up, records what it shows and
// presses OK. Returns whether the box was up, modal, when the command ran.
bool runAbout(ProgramFixture &fx, frmMain &main)
{
    bool wasModal = false;
    QTimer::singleShot(0, &main, [&] {
        frmAbout *about = fx.program().loadedWindow<frmAbout>();
        wasModal = about && about->isVisible() && about->isModal();
        if (about)
            QTest::mouseClick(about->Command1, Qt::LeftButton);
    });
    main.actionNamed(QStringLiteral("mnuAbout"))->trigger();
    return wasModal;
}

void sendMouse(QWidget *target, QEvent::Type type, QPoint local, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(local), QPointF(target->mapToGlobal(local)), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

} // namespace

class tst_AboutWait : public QObject
{
    Q_OBJECT

private slots:
    void versionText_data();
    void versionText();
    void aboutShowsVersionAndHidesOnOk();
    void aboutLayout();
    void aboutPicture_data();
    void aboutPicture();
    void aboutDraggedByLeftButton_data();
    void aboutDraggedByLeftButton();
    void waitWindowTexts_data();
    void waitWindowTexts();
    void waitWindowKeepsItsFirstText();
    void closeAllShowsAndHidesWaitWindow();
};

void tst_AboutWait::versionText_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("text");
    QTest::newRow("three parts") << QStringLiteral("2.7.13") << QStringLiteral("2.7.13");
    QTest::newRow("two parts") << QStringLiteral("1.2") << QStringLiteral("1.2.0");
    QTest::newRow("one part") << QStringLiteral("3") << QStringLiteral("3.0.0");
    QTest::newRow("four parts: the build is no part")
        << QStringLiteral("4.5.6.7") << QStringLiteral("4.5.6");
    QTest::newRow("leading zeros are dropped")
        << QStringLiteral("01.002.0") << QStringLiteral("1.2.0");
    QTest::newRow("suffix") << QStringLiteral("10.0.1-beta") << QStringLiteral("10.0.1");
    QTest::newRow("none") << QString() << QStringLiteral("0.0.0");
}

void tst_AboutWait::versionText()
{
    QFETCH(QString, version);
    QFETCH(QString, text);
    QCOMPARE(frmAbout::versionText(version), text);
}

void tst_AboutWait::aboutShowsVersionAndHidesOnOk()
{
    const QString saved = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion(QStringLiteral("2.7.13"));
    ProgramFixture fx;
    frmMain &main = fx.start();
    QVERIFY(!fx.program().loadedWindow<frmAbout>());

    QVERIFY(runAbout(fx, main));
    QPointer<frmAbout> about = fx.program().loadedWindow<frmAbout>();
    QVERIFY(about);
    QVERIFY(!about->isVisible());
    QCOMPARE(about->lblVersion->text(), QStringLiteral("2.7.13"));

    // OK only hid it: the second showing is the same window with its first content.
    QCoreApplication::setApplicationVersion(QStringLiteral("9.9.9"));
    QVERIFY(runAbout(fx, main));
    QCOMPARE(fx.program().loadedWindow<frmAbout>(), about.data());
    QCOMPARE(about->lblVersion->text(), QStringLiteral("2.7.13"));
    QCoreApplication::setApplicationVersion(saved);
}

void tst_AboutWait::aboutLayout()
{
    ProgramFixture fx;
    fx.system().screen = QSize(1024, 768);
    fx.start();
    frmAbout &about = fx.program().window<frmAbout>();
    QCOMPARE(about.size(), QSize(619, 297));
    QVERIFY(about.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(about.pos(), QPoint((1024 - 619) / 2, (768 - 297) / 2));
    // The picture reaches below the window's bottom edge.
    QCOMPARE(about.imgAbout->geometry(), QRect(0, 0, 619, 306));
    QCOMPARE(about.lblVersion->x(), 150);
    QCOMPARE(about.lblVersion->y(), qRound(306 * 0.5901416122004360387
                                           - about.lblVersion->height() / 2.0));
    // 514 twips above the bottom, centred.
    QCOMPARE(about.Command1->y(), qRound((297 * 15 - 514) / 15.0));
    QCOMPARE(about.Command1->x() + about.Command1->width() / 2, 619 / 2);
    QCOMPARE(about.palette().color(QPalette::Window), QColor(0x6C, 0xAE, 0xFF));
}

void tst_AboutWait::aboutPicture_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("alternative");
    QTest::newRow("Russian: the built-in picture") << QStringLiteral("Russian") << false;
    QTest::newRow("English: the alternative") << QStringLiteral("English") << true;
}

void tst_AboutWait::aboutPicture()
{
    QFETCH(QString, language);
    QFETCH(bool, alternative);
    ProgramFixture fx;
    fx.program().settings().SaveSetting(QStringLiteral("general"), QStringLiteral("language"),
                                        language);
    fx.start();
    const frmAbout &about = fx.program().window<frmAbout>();
    const QImage shown = about.imgAbout->pixmap().toImage();
    const QImage expected = alternative ? velmora::services::alternativeAboutPicture().toImage()
                                        : frmAbout::aboutPicture().toImage();
    QCOMPARE(shown, expected);
    QVERIFY(frmAbout::aboutPicture().toImage()
            != velmora::services::alternativeAboutPicture().toImage());
}

void tst_AboutWait::aboutDraggedByLeftButton_data()
{
    QTest::addColumn<bool>("onPicture");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("moves");
    QTest::newRow("picture, left") << true << int(Qt::LeftButton) << true;
    QTest::newRow("window, left") << false << int(Qt::LeftButton) << true;
    QTest::newRow("picture, right") << true << int(Qt::RightButton) << false;
    QTest::newRow("window, middle") << false << int(Qt::MiddleButton) << false;
}

void tst_AboutWait::aboutDraggedByLeftButton()
{
    QFETCH(bool, onPicture);
    QFETCH(int, button);
    QFETCH(bool, moves);
    ProgramFixture fx;
    fx.start();
    frmAbout &about = fx.program().window<frmAbout>();
    about.show();
    QWidget *target = onPicture ? static_cast<QWidget *>(about.imgAbout) : &about;
    const auto pressed = static_cast<Qt::MouseButton>(button);
    const QPoint before = about.pos();
    // The window's own area below the picture's bottom is covered too: any
    // point of the target will do.
    const QPoint at(20, 20);
    sendMouse(target, QEvent::MouseButtonPress, at, pressed, pressed);
    sendMouse(target, QEvent::MouseMove, at + QPoint(50, 30), Qt::NoButton, pressed);
    sendMouse(target, QEvent::MouseButtonRelease, at + QPoint(50, 30), pressed, Qt::NoButton);
    QCOMPARE(about.pos(), moves ? before + QPoint(50, 30) : before);
    // Once let go, the mouse no longer carries the window.
    sendMouse(target, QEvent::MouseMove, at + QPoint(90, 90), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(about.pos(), moves ? before + QPoint(50, 30) : before);
}

void tst_AboutWait::waitWindowTexts_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("second"); // frmSplash2 rather than frmSplash
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("shape");
    // 4692 x 972 twips at 120, 120 and at 114, 102, in pixels at 15 twips each.
    QTest::newRow("frmSplash, Russian") << QStringLiteral("Russian") << false
                                        << QStringLiteral("Применение параметров...")
                                        << QRect(8, 8, 313, 65);
    QTest::newRow("frmSplash, English") << QStringLiteral("English") << false
                                        << QStringLiteral("Applying settings...")
                                        << QRect(8, 8, 313, 65);
    QTest::newRow("frmSplash2, Russian") << QStringLiteral("Russian") << true
                                         << QStringLiteral("Закрытие всех вкладок...")
                                         << QRect(8, 7, 313, 65);
    QTest::newRow("frmSplash2, English") << QStringLiteral("English") << true
                                         << QStringLiteral("Closing all tabs...")
                                         << QRect(8, 7, 313, 65);
}

void tst_AboutWait::waitWindowTexts()
{
    QFETCH(QString, language);
    QFETCH(bool, second);
    QFETCH(QString, text);
    QFETCH(QRect, shape);
    ProgramFixture fx;
    fx.system().screen = QSize(1024, 768);
    fx.program().settings().SaveSetting(QStringLiteral("general"), QStringLiteral("language"),
                                        language);
    fx.start();
    WaitWindow &wait = second ? static_cast<WaitWindow &>(fx.program().window<frmSplash2>())
                              : static_cast<WaitWindow &>(fx.program().window<frmSplash>());
    QCOMPARE(wait.objectName(), QString::fromLatin1(second ? "frmSplash2" : "frmSplash"));
    QCOMPARE(wait.lblText->text(), text);
    QVERIFY(!wait.isVisible());
    QVERIFY(wait.windowFlags().testFlag(Qt::FramelessWindowHint));
    // 4920 x 1176 twips inside, centred.
    QCOMPARE(wait.size(), QSize(328, 78));
    QCOMPARE(wait.pos(), QPoint((1024 - 328) / 2, (768 - 78) / 2));
    QCOMPARE(wait.Shape1->geometry(), shape);
    QCOMPARE(wait.lblText->font().family(), QStringLiteral("Times New Roman"));
}

void tst_AboutWait::waitWindowKeepsItsFirstText()
{
    ProgramFixture fx;
    fx.start();
    auto &lang = fx.program().language();
    lang.setLangText(37, QStringLiteral("first"));
    frmSplash &wait = fx.program().window<frmSplash>();
    lang.setLangText(37, QStringLiteral("second"));
    wait.show();
    wait.hide();
    wait.show();
    QCOMPARE(wait.lblText->text(), QStringLiteral("first"));
}

void tst_AboutWait::closeAllShowsAndHidesWaitWindow()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    for (int i = 0; i < 3; ++i)
        main.cmdNew_Click();

    // What the main window looked like at each show, paint and hide of the
    // wait window.
    struct Seen
    {
        QEvent::Type type;
        QList<int> tabs;
        bool mainEnabled;
        bool timerActive;
    };
    QList<Seen> seen;
    class Recorder : public QObject
    {
    public:
        Recorder(frmMain &main, QList<Seen> &seen) : m_main(main), m_seen(seen) {}
        bool eventFilter(QObject *, QEvent *event) override
        {
            const QEvent::Type type = event->type();
            if (type == QEvent::Show || type == QEvent::Paint || type == QEvent::Hide)
                m_seen.append({type, openTabs(m_main), m_main.isEnabled(),
                               m_main.Timer1->isActive()});
            return false;
        }

    private:
        frmMain &m_main;
        QList<Seen> &m_seen;
    } recorder(main, seen);
    // Loaded before, as by an earlier close-all; the command shows it again.
    frmSplash2 &wait = fx.program().window<frmSplash2>();
    wait.installEventFilter(&recorder);

    fx.dialogs().answerMsgBox(MsgResult::Yes);
    main.mnuCloseAllTabs_Click();
    QCOMPARE(openTabs(main), QList<int>{1});
    QVERIFY(!wait.isVisible());

    QVERIFY(seen.size() >= 3);
    QCOMPARE(seen.first().type, QEvent::Show);
    QCOMPARE(seen.first().tabs, (QList<int>{1, 2, 3, 4}));
    QVERIFY(seen.first().mainEnabled);
    // It painted before the work began: the command let events run.
    QCOMPARE(seen.at(1).type, QEvent::Paint);
    QCOMPARE(seen.at(1).tabs, (QList<int>{1, 2, 3, 4}));
    QVERIFY(seen.at(1).mainEnabled);
    // Hidden last, with the window and its timer back.
    QCOMPARE(seen.last().type, QEvent::Hide);
    QCOMPARE(seen.last().tabs, QList<int>{1});
    QVERIFY(seen.last().mainEnabled);
    QVERIFY(seen.last().timerActive);

    // Answering No shows nothing.
    seen.clear();
    fx.dialogs().answerMsgBox(MsgResult::No);
    main.mnuCloseAllTabs_Click();
    QVERIFY(seen.isEmpty());
}

QTEST_MAIN(tst_AboutWait)
#include "tst_aboutwait.moc"
