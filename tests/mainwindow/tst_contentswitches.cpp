#include "ProgramFixture.h"

#include "ContentSettings.h"
#include "FakeDialogs.h"
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "Language.h"
#include "Program.h"
#include "RegistryFake.h"
#include "RegistryFile.h"
#include "frmMain.h"
#include "frmSplash.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;
using namespace velmora::platform;
using namespace Qt::StringLiterals;
using velmora::mainwindow::frmMain;
using velmora::test::ProgramFixture;

namespace {

const QString mainKey = u"SOFTWARE\\Microsoft\\Internet Explorer\\Main"_s;
const QString flashKey = u"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
                         u"{D27CDB6E-AE6D-11CF-96B8-444553540000}"_s;
const QString flashValue = u"Compatibility Flags"_s;

void openTools(frmMain &w)
{
    emit w.menuNamed(u"mnuTools"_s)->aboutToShow();
}

bool ticked(frmMain &w, const QString &item)
{
    return w.actionNamed(item)->isChecked();
}

QByteArray storedText(FakeRegistry &registry, quint32 root, const QString &name)
{
    return registry.stored(root, mainKey, name).data;
}

// The settings the pages got last.
ContentSettings applied(ProgramFixture &fx)
{
    const auto &all = fx.browsers().contentSettings;
    return all.isEmpty() ? ContentSettings{} : all.last();
}

// Records when a window is shown and hidden, with what the registry held then.
class ShowWatch : public QObject
{
public:
    ShowWatch(QWidget *window, std::function<QString()> probe)
        : m_probe(std::move(probe))
    {
        window->installEventFilter(this);
    }
    QStringList events;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            events << u"show "_s + m_probe();
        else if (event->type() == QEvent::Hide)
            events << u"hide "_s + m_probe();
        return false;
    }

private:
    std::function<QString()> m_probe;
};

} // namespace

class tst_ContentSwitches : public QObject
{
    Q_OBJECT

private slots:
    void freshProfileShowsTextSwitchesOff();
    void toolsMenuReadsExactYes_data();
    void toolsMenuReadsExactYes();
    void textSwitchWritesUnderPlatformRoot_data();
    void textSwitchWritesUnderPlatformRoot();
    void textSwitchShowsWaitWindowAroundWrite();
    void refusedWriteShowsRealStateAtNextOpening();
    void flashValueReading_data();
    void flashValueReading();
    void flashSwitchWritesMachineKeyAndTells();
    void pagesFollowTheSettings();
    void changeNoticeNamesRootKeyAndValue();
    void switchReachesOtherRunningProgram();
};

void tst_ContentSwitches::freshProfileShowsTextSwitchesOff()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    for (const char *item : {"mnuShowPictures", "mnuShowVideos", "mnuEnableSounds",
                             "mnuShowAnimations", "mnuShowFlash"})
        QVERIFY2(ticked(w, QString::fromLatin1(item)), item); // design-time marks
    openTools(w);
    for (const char *item :
         {"mnuShowPictures", "mnuShowVideos", "mnuEnableSounds", "mnuShowAnimations"})
        QVERIFY2(!ticked(w, QString::fromLatin1(item)), item);
    QVERIFY(ticked(w, u"mnuShowFlash"_s));
    // Reading writes nothing.
    QVERIFY(!fx.registry().tree().hasKey(HKEY_CURRENT_USER, mainKey));
    QVERIFY(!fx.registry().tree().hasKey(HKEY_LOCAL_MACHINE, mainKey));
}

void tst_ContentSwitches::toolsMenuReadsExactYes_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("on");
    QTest::newRow("yes") << QByteArray("yes") << true;
    QTest::newRow("yes with terminator") << QByteArray("yes\0", 4) << true;
    QTest::newRow("Yes") << QByteArray("Yes") << false;
    QTest::newRow("YES") << QByteArray("YES") << false;
    QTest::newRow("no") << QByteArray("no") << false;
    QTest::newRow("1") << QByteArray("1") << false;
}

void tst_ContentSwitches::toolsMenuReadsExactYes()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, on);
    ProgramFixture fx;
    fx.system().winNT = true;
    frmMain &w = fx.start();
    const struct
    {
        QString item;
        QString value;
    } switches[] = {
        {u"mnuShowPictures"_s, u"Display Inline Images"_s},
        {u"mnuShowVideos"_s, u"Display Inline Videos"_s},
        {u"mnuEnableSounds"_s, u"Play_Background_Sounds"_s},
        {u"mnuShowAnimations"_s, u"Play_Animations"_s},
    };
    for (const auto &s : switches) {
        // One value set at a time; the others are "yes".
        for (const auto &other : switches)
            fx.registry().putString(HKEY_CURRENT_USER, mainKey, other.value, "yes");
        fx.registry().putString(HKEY_CURRENT_USER, mainKey, s.value, stored);
        openTools(w);
        for (const auto &other : switches)
            QCOMPARE(ticked(w, other.item), other.item == s.item ? on : true);
        // The pages follow the same reading as the marks.
        const ContentSettings effect = applied(fx);
        QCOMPARE((QList<bool>{effect.pictures, effect.videos, effect.sounds, effect.animations}),
                 (QList<bool>{ticked(w, switches[0].item), ticked(w, switches[1].item),
                              ticked(w, switches[2].item), ticked(w, switches[3].item)}));
    }
}

void tst_ContentSwitches::textSwitchWritesUnderPlatformRoot_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("winNT");
    QTest::addColumn<quint32>("root");
    const struct
    {
        const char *item;
        const char *value;
    } switches[] = {
        {"mnuShowPictures", "Display Inline Images"},
        {"mnuShowVideos", "Display Inline Videos"},
        {"mnuEnableSounds", "Play_Background_Sounds"},
        {"mnuShowAnimations", "Play_Animations"},
    };
    for (const auto &s : switches) {
        QTest::addRow("%s, NT", s.item) << QString::fromLatin1(s.item)
                                        << QString::fromLatin1(s.value) << true
                                        << HKEY_CURRENT_USER;
        QTest::addRow("%s, 95", s.item) << QString::fromLatin1(s.item)
                                        << QString::fromLatin1(s.value) << false
                                        << HKEY_LOCAL_MACHINE;
    }
}

void tst_ContentSwitches::textSwitchWritesUnderPlatformRoot()
{
    QFETCH(QString, item);
    QFETCH(QString, value);
    QFETCH(bool, winNT);
    QFETCH(quint32, root);
    const quint32 otherRoot = root == HKEY_CURRENT_USER ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    ProgramFixture fx;
    fx.system().winNT = winNT;
    frmMain &w = fx.start();
    openTools(w); // fresh: off
    QAction *action = w.actionNamed(item);

    action->trigger();
    QVERIFY(action->isChecked());
    QCOMPARE(storedText(fx.registry(), root, value), QByteArray("yes"));
    QVERIFY(!fx.registry().hasValue(otherRoot, mainKey, value));
    openTools(w);
    QVERIFY(action->isChecked());

    action->trigger();
    QVERIFY(!action->isChecked());
    QCOMPARE(storedText(fx.registry(), root, value), QByteArray("no"));
    openTools(w);
    QVERIFY(!action->isChecked());
    // Only this value was written.
    for (const char *other : {"Display Inline Images", "Display Inline Videos",
                              "Play_Background_Sounds", "Play_Animations"}) {
        const QString name = QString::fromLatin1(other);
        QCOMPARE(fx.registry().hasValue(root, mainKey, name), name == value);
    }
}

void tst_ContentSwitches::textSwitchShowsWaitWindowAroundWrite()
{
    ProgramFixture fx;
    fx.system().winNT = true;
    frmMain &w = fx.start();
    openTools(w);
    auto &splash = fx.program().window<windows::frmSplash>();
    ShowWatch watch(&splash, [&] {
        return QString::fromLatin1(storedText(fx.registry(), HKEY_CURRENT_USER,
                                              u"Display Inline Images"_s));
    });
    w.actionNamed(u"mnuShowPictures"_s)->trigger();
    QCOMPARE(watch.events, QStringList({u"show "_s, u"hide yes"_s}));
    QVERIFY(!splash.isVisible());
    QCOMPARE(splash.lblText->text(), fx.program().language().langText(37));
}

void tst_ContentSwitches::refusedWriteShowsRealStateAtNextOpening()
{
    ProgramFixture fx;
    fx.system().winNT = false; // the engine key is the machine's
    fx.registry().putString(HKEY_LOCAL_MACHINE, mainKey, u"Play_Animations"_s, "yes");
    fx.registry().readOnlyRoots.insert(HKEY_LOCAL_MACHINE);
    frmMain &w = fx.start();
    QAction *action = w.actionNamed(u"mnuShowAnimations"_s);
    QVERIFY(action->isChecked());
    action->trigger();
    // The mark flipped, the value did not.
    QVERIFY(!action->isChecked());
    QCOMPARE(storedText(fx.registry(), HKEY_LOCAL_MACHINE, u"Play_Animations"_s),
             QByteArray("yes"));
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
    // The string reader cannot open a key it may not change: it reads off.
    action->setChecked(true);
    openTools(w);
    QVERIFY(!action->isChecked());
    // The pages still play animations: the engine reads the value itself.
    QVERIFY(applied(fx).animations);
}

void tst_ContentSwitches::flashValueReading_data()
{
    QTest::addColumn<int>("stored"); // -1: no value
    QTest::addColumn<bool>("on");
    QTest::newRow("missing") << -1 << true;
    QTest::newRow("1024") << 1024 << false;
    QTest::newRow("1025") << 1025 << true;
    QTest::newRow("0") << 0 << true;
}

void tst_ContentSwitches::flashValueReading()
{
    QFETCH(int, stored);
    QFETCH(bool, on);
    ProgramFixture fx;
    if (stored >= 0)
        fx.registry().putDword(HKEY_LOCAL_MACHINE, flashKey, flashValue, quint32(stored));
    frmMain &w = fx.start();
    w.actionNamed(u"mnuShowFlash"_s)->setChecked(!on);
    openTools(w);
    QCOMPARE(ticked(w, u"mnuShowFlash"_s), on);
}

void tst_ContentSwitches::flashSwitchWritesMachineKeyAndTells()
{
    ProgramFixture fx;
    fx.system().winNT = true;
    fx.registry().putDword(HKEY_LOCAL_MACHINE, flashKey, flashValue, 1025);
    fx.registry().putDword(HKEY_LOCAL_MACHINE, flashKey, u"Other"_s, 5);
    frmMain &w = fx.start();
    openTools(w);
    QAction *flash = w.actionNamed(u"mnuShowFlash"_s);
    QVERIFY(flash->isChecked());
    const int appliedBefore = int(fx.browsers().contentSettings.size());

    flash->trigger(); // off: exactly the flag, other flags gone
    QVERIFY(!flash->isChecked());
    QCOMPARE(fx.registry().stored(HKEY_LOCAL_MACHINE, flashKey, flashValue).data,
             QByteArray("\x00\x04\x00\x00", 4));
    QVERIFY(!fx.registry().tree().hasKey(HKEY_CURRENT_USER, flashKey));
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    const auto &call = fx.dialogs().msgCalls.first();
    // Flash is gone from the engine: no promise of an effect after a restart.
    QCOMPARE(call.text, fx.program().language().own(
                            u"Flash-анимация больше не поддерживается: переключатель только "
                            u"сохраняется и на страницы не влияет.",
                            u"Flash animation is no longer supported: the switch is only "
                            u"stored and has no effect on pages."));
    QVERIFY(call.text != fx.program().language().langText(35));
    QCOMPARE(call.icon, MsgIcon::Information);
    QCOMPARE(call.buttons, MsgButtons::OK);
    QCOMPARE(call.title, fx.program().language().langText(5));
    // No change notice: the pages are not told.
    QCOMPARE(int(fx.browsers().contentSettings.size()), appliedBefore);

    flash->trigger(); // on: the value goes, the key's other values stay
    QVERIFY(flash->isChecked());
    QVERIFY(!fx.registry().hasValue(HKEY_LOCAL_MACHINE, flashKey, flashValue));
    QVERIFY(fx.registry().hasValue(HKEY_LOCAL_MACHINE, flashKey, u"Other"_s));
    QCOMPARE(fx.dialogs().msgCalls.size(), 2);
    openTools(w);
    QVERIFY(flash->isChecked());
}

void tst_ContentSwitches::pagesFollowTheSettings()
{
    ProgramFixture fx;
    fx.system().winNT = true;
    // Left by an earlier run: the engine starts with them.
    fx.registry().putString(HKEY_CURRENT_USER, mainKey, u"Display Inline Images"_s, "NO");
    fx.registry().putString(HKEY_CURRENT_USER, mainKey, u"Play_Animations"_s, "Yes");
    frmMain &w = fx.start();
    QVERIFY(!fx.browsers().contentSettings.isEmpty());
    // A value present reads as the menu reads it ("Yes" is off); a missing
    // one leaves the engine's default.
    QCOMPARE(applied(fx), (ContentSettings{false, true, true, false}));

    openTools(w); // every mark off
    w.actionNamed(u"mnuEnableSounds"_s)->trigger(); // on: "yes"
    QCOMPARE(applied(fx), (ContentSettings{false, true, true, false}));
    w.actionNamed(u"mnuEnableSounds"_s)->trigger(); // off: "no"
    QCOMPARE(applied(fx), (ContentSettings{false, true, false, false}));
    w.actionNamed(u"mnuShowVideos"_s)->trigger(); // on
    w.actionNamed(u"mnuShowVideos"_s)->trigger(); // off
    QCOMPARE(applied(fx), (ContentSettings{false, false, false, false}));
    w.actionNamed(u"mnuShowPictures"_s)->trigger(); // on: "yes"
    QCOMPARE(applied(fx), (ContentSettings{true, false, false, false}));
    w.actionNamed(u"mnuShowAnimations"_s)->trigger(); // on
    QCOMPARE(applied(fx), (ContentSettings{true, false, false, true}));
    w.actionNamed(u"mnuShowAnimations"_s)->trigger(); // off
    QCOMPARE(applied(fx), (ContentSettings{true, false, false, false}));

    // Another program changes a value: the next opening of the menu brings
    // the pages in line.
    fx.registry().putString(HKEY_CURRENT_USER, mainKey, u"Play_Background_Sounds"_s, "yes");
    openTools(w);
    QVERIFY(ticked(w, u"mnuEnableSounds"_s));
    QCOMPARE(applied(fx), (ContentSettings{true, false, true, false}));
}

void tst_ContentSwitches::changeNoticeNamesRootKeyAndValue()
{
    QCOMPARE(services::changeNoticeText(services::engineRoot(true), u"Play_Background_Sounds"_s),
             u"HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Internet Explorer\\Main\\"
             u"Play_Background_Sounds"_s);
    QCOMPARE(services::changeNoticeText(services::engineRoot(false), u"Display Inline Images"_s),
             u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Internet Explorer\\Main\\"
             u"Display Inline Images"_s);
}

void tst_ContentSwitches::switchReachesOtherRunningProgram()
{
    // Two programs over one registry file, as two running instances are.
    QTemporaryDir shared;
    QVERIFY(shared.isValid());
    ProgramFixture first;
    ProgramFixture second;
    for (ProgramFixture *fx : {&first, &second}) {
        auto registry = std::make_unique<FileRegistry>(shared.path());
        registry->createFile(FileRegistry::engineInstallValues());
        fx->program().platform().registry = std::move(registry);
    }
    frmMain &w = first.start();
    second.start();
    QCOMPARE(applied(second), ContentSettings{});

    openTools(w);
    QVERIFY(ticked(w, u"mnuShowPictures"_s));
    w.actionNamed(u"mnuShowPictures"_s)->trigger(); // off
    ContentSettings expected;
    expected.pictures = false;
    QCOMPARE(applied(first), expected);
    // The other program's pages follow within a second, its menu untouched.
    QTRY_COMPARE_WITH_TIMEOUT(applied(second), expected, 1000);

    w.actionNamed(u"mnuEnableSounds"_s)->trigger(); // off
    expected.sounds = false;
    QTRY_COMPARE_WITH_TIMEOUT(applied(second), expected, 1000);
}

QTEST_MAIN(tst_ContentSwitches)
#include "tst_contentswitches.moc"
