// Page notifications in the main window, over fake pages: what the page is
// told, which popups stay, and where a click leads.

#include "ProgramFixture.h"

#include "FakeWebBrowser.h"
#include "FakeWebNotification.h"
#include "NotificationPopups.h"
#include "frmMain.h"

#include <TabstripP.h>

#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using velmora::mainwindow::frmMain;
using velmora::mainwindow::NotificationPopup;
using velmora::mainwindow::NotificationPopups;
using velmora::platform::FakeWebNotification;
using velmora::platform::WebNotification;
using velmora::test::ProgramFixture;
using namespace Qt::StringLiterals;

namespace {

// A notification raised by the page of tab.
FakeWebNotification *raise(ProgramFixture &fx, int tab, const QString &title,
                           const QString &tag = {}, const QString &site = u"mail.example"_s)
{
    auto *shown = new FakeWebNotification({site, title, u"body"_s, tag}, fx.web(tab));
    emit fx.web(tab)->NotificationShown(shown);
    return shown;
}

NotificationPopups &popups(frmMain &w)
{
    return *w.findChild<NotificationPopups *>(u"notifications"_s);
}

QStringList titles(frmMain &w)
{
    QStringList shown;
    for (NotificationPopup *popup : popups(w).popups())
        shown << popup->findChild<QLabel *>(u"title"_s)->text();
    return shown;
}

} // namespace

class tst_MainWindowNotifications : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void crossClosesWithoutAClick();
    void sameTagReplacesTheOlder_data();
    void sameTagReplacesTheOlder();
    void oldestGivesWayPastTheLimit();
    void withdrawnByThePageLeavesUnreported();
    void clickOnAClosedTabsNotificationStaysPut();
    void minimizedWindowShowsItInTheStatusBar();

private:
    frmMain &start();
    std::unique_ptr<ProgramFixture> m_fx;
};

void tst_MainWindowNotifications::init()
{
    m_fx = std::make_unique<ProgramFixture>();
}

void tst_MainWindowNotifications::cleanup()
{
    m_fx.reset();
}

frmMain &tst_MainWindowNotifications::start()
{
    frmMain &w = m_fx->start();
    w.Timer1->stop();
    w.Timer2->stop();
    w.show();
    return w;
}

void tst_MainWindowNotifications::crossClosesWithoutAClick()
{
    frmMain &w = start();
    QPointer<FakeWebNotification> shown = raise(*m_fx, 1, u"One"_s);
    QCOMPARE(titles(w), QStringList{u"One"_s});
    QCOMPARE(shown->reports, QStringList{u"show"_s});
    popups(w).popups().constFirst()->findChild<QToolButton *>(u"close"_s)->click();
    QCOMPARE(shown->reports, (QStringList{u"show"_s, u"close"_s}));
    QVERIFY(popups(w).popups().isEmpty());
    // Done with: the notification goes.
    QTRY_VERIFY(!shown);
}

void tst_MainWindowNotifications::sameTagReplacesTheOlder_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("site");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("same tag and site") << u"inbox"_s << u"mail.example"_s << QStringList{u"Two"_s};
    QTest::newRow("no tag") << QString() << u"mail.example"_s << QStringList{u"One"_s, u"Two"_s};
    QTest::newRow("same tag, other site")
        << u"inbox"_s << u"chat.example"_s << QStringList{u"One"_s, u"Two"_s};
}

void tst_MainWindowNotifications::sameTagReplacesTheOlder()
{
    QFETCH(QString, tag);
    QFETCH(QString, site);
    QFETCH(QStringList, shown);
    frmMain &w = start();
    QPointer<FakeWebNotification> first = raise(*m_fx, 1, u"One"_s, tag);
    raise(*m_fx, 1, u"Two"_s, tag, site);
    QCOMPARE(titles(w), shown);
    // A replaced one is not reported closed: the page replaced it itself.
    if (shown.size() == 1)
        QTRY_VERIFY(!first);
    else
        QCOMPARE(first->reports, QStringList{u"show"_s});
}

void tst_MainWindowNotifications::oldestGivesWayPastTheLimit()
{
    frmMain &w = start();
    QPointer<FakeWebNotification> oldest = raise(*m_fx, 1, u"0"_s);
    QStringList expected;
    for (int i = 1; i <= NotificationPopups::MaxShown; ++i) {
        raise(*m_fx, 1, QString::number(i));
        expected << QString::number(i);
    }
    QCOMPARE(titles(w), expected);
    QVERIFY(!oldest || oldest->reports == (QStringList{u"show"_s, u"close"_s}));
    // Stacked upwards without overlapping, the newest lowest.
    const QList<NotificationPopup *> shown = popups(w).popups();
    for (qsizetype i = 1; i < shown.size(); ++i)
        QVERIFY(shown[i - 1]->geometry().bottom() < shown[i]->geometry().top());
}

void tst_MainWindowNotifications::withdrawnByThePageLeavesUnreported()
{
    frmMain &w = start();
    QPointer<FakeWebNotification> shown = raise(*m_fx, 1, u"One"_s);
    shown->withdraw();
    QVERIFY(popups(w).popups().isEmpty());
    QTRY_VERIFY(!shown);
}

void tst_MainWindowNotifications::clickOnAClosedTabsNotificationStaysPut()
{
    frmMain &w = start();
    w.cmdNew_Click();
    w.cmdNew_Click();
    QCOMPARE(w.currentTabNumber(), 3);
    QPointer<FakeWebNotification> fromTwo = raise(*m_fx, 2, u"Two"_s);
    w.Tabstrip1->setValue(2);
    w.cmdClose_Click();
    QVERIFY(!w.Tabstrip1->tabVisible(2));
    const int current = w.currentTabNumber();
    QCOMPARE(titles(w), QStringList{u"Two"_s});
    QTest::mouseClick(popups(w).popups().constFirst(), Qt::LeftButton);
    QCOMPARE(w.currentTabNumber(), current);
    QVERIFY(w.Tabstrip1->tabVisible(current));
    QVERIFY(popups(w).popups().isEmpty());
}

void tst_MainWindowNotifications::minimizedWindowShowsItInTheStatusBar()
{
    frmMain &w = start();
    w.showMinimized();
    QPointer<FakeWebNotification> shown = raise(*m_fx, 1, u"New mail"_s);
    QVERIFY(popups(w).popups().isEmpty());
    QCOMPARE(shown->reports, QStringList{u"show"_s});
    QVERIFY2(w.statusPanel1->text().contains(u"mail.example"_s)
                 && w.statusPanel1->text().contains(u"New mail"_s)
                 && w.statusPanel1->text().contains(u"body"_s),
             qPrintable(w.statusPanel1->text()));
    popups(w).setLifetime(50);
    QPointer<FakeWebNotification> later = raise(*m_fx, 1, u"Later"_s);
    QTRY_VERIFY(!later);
}

QTEST_MAIN(tst_MainWindowNotifications)
#include "tst_mainwindow_notifications.moc"
