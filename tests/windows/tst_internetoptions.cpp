// The Internet options dialog: deleting browsing data and the connection.

#include "ProgramFixture.h"

#include "FakeWebBrowser.h"
#include "Program.h"
#include "ProxySetting.h"
#include "SettingsStore.h"
#include "frmInternetOptions.h"
#include "frmMain.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

using velmora::platform::BrowsingDataChoice;
using velmora::platform::ProxyChoice;
using velmora::test::ProgramFixture;
using velmora::windows::frmInternetOptions;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(velmora::platform::BrowsingDataChoice)

namespace {

BrowsingDataChoice parts(bool cache, bool cookies, bool history, bool offline)
{
    BrowsingDataChoice choice;
    choice.cache = cache;
    choice.cookies = cookies;
    choice.history = history;
    choice.offlinePages = offline;
    return choice;
}

void startIn(ProgramFixture &fx, const QString &language)
{
    fx.program().settings().SaveSetting(u"general"_s, u"language"_s, language);
    fx.start();
}

QPushButton *okButton(frmInternetOptions &dialog)
{
    return dialog.buttons->button(QDialogButtonBox::Ok);
}

} // namespace

class tst_InternetOptions : public QObject
{
    Q_OBJECT

private slots:
    void speaksTheInterfaceLanguage_data();
    void speaksTheInterfaceLanguage();
    void deletesWhatIsTicked_data();
    void deletesWhatIsTicked();
    void nothingTickedDeletesNothing();
    void failedDeletionIsSaid();
    void okKeepsTheConnectionForTheNextStart();
    void cancelKeepsNothing();
    void ownProxyNeedsAHost();
    void showsTheStoredChoice();
    void storedChoiceReachesTheEngineAtStart();
};

void tst_InternetOptions::speaksTheInterfaceLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("deleteButton");
    QTest::addColumn<QString>("restartNote");
    QTest::newRow("Russian") << u"Russian"_s << u"Свойства обозревателя"_s << u"&Удалить"_s
                             << u"следующем запуске"_s;
    QTest::newRow("English") << u"English"_s << u"Internet options"_s << u"&Delete"_s
                             << u"next start"_s;
}

void tst_InternetOptions::speaksTheInterfaceLanguage()
{
    QFETCH(QString, language);
    QFETCH(QString, title);
    QFETCH(QString, deleteButton);
    QFETCH(QString, restartNote);
    ProgramFixture fx;
    startIn(fx, language);
    frmInternetOptions dialog(fx.program());
    QCOMPARE(dialog.windowTitle(), title);
    QCOMPARE(dialog.cmdDelete->text(), deleteButton);
    QVERIFY2(dialog.lblRestart->text().contains(restartNote), qPrintable(dialog.lblRestart->text()));
}

void tst_InternetOptions::deletesWhatIsTicked_data()
{
    QTest::addColumn<BrowsingDataChoice>("ticked");
    QTest::newRow("cache") << parts(true, false, false, false);
    QTest::newRow("cookies") << parts(false, true, false, false);
    QTest::newRow("history") << parts(false, false, true, false);
    QTest::newRow("offline pages") << parts(false, false, false, true);
    QTest::newRow("all") << parts(true, true, true, true);
}

void tst_InternetOptions::deletesWhatIsTicked()
{
    QFETCH(BrowsingDataChoice, ticked);
    ProgramFixture fx;
    startIn(fx, u"Russian"_s);
    frmInternetOptions dialog(fx.program());
    dialog.chkCache->setChecked(ticked.cache);
    dialog.chkCookies->setChecked(ticked.cookies);
    dialog.chkHistory->setChecked(ticked.history);
    dialog.chkOfflinePages->setChecked(ticked.offlinePages);
    QVERIFY(dialog.cmdDelete->isEnabled());
    QTest::mouseClick(dialog.cmdDelete, Qt::LeftButton);
    QCOMPARE(fx.browsers().cleared, QList<BrowsingDataChoice>{ticked});
    QCOMPARE(dialog.lblDeleted->text(), u"Удалено."_s);
    // Deleting is no connection change.
    QCOMPARE(fx.program().settings().GetSetting(u"general"_s, u"proxy"_s), QString());
}

void tst_InternetOptions::nothingTickedDeletesNothing()
{
    ProgramFixture fx;
    startIn(fx, u"Russian"_s);
    frmInternetOptions dialog(fx.program());
    QVERIFY(!dialog.cmdDelete->isEnabled());
    dialog.deleteChosen();
    QVERIFY(fx.browsers().cleared.isEmpty());
}

void tst_InternetOptions::failedDeletionIsSaid()
{
    ProgramFixture fx;
    startIn(fx, u"English"_s);
    fx.browsers().clearSucceeds = false;
    frmInternetOptions dialog(fx.program());
    dialog.chkOfflinePages->setChecked(true);
    dialog.deleteChosen();
    QVERIFY2(dialog.lblDeleted->text().startsWith(u"Not all was deleted"_s),
             qPrintable(dialog.lblDeleted->text()));
    // Ticking again clears the old answer.
    dialog.chkCache->setChecked(true);
    QCOMPARE(dialog.lblDeleted->text(), QString());
}

void tst_InternetOptions::okKeepsTheConnectionForTheNextStart()
{
    ProgramFixture fx;
    startIn(fx, u"Russian"_s);
    const qsizetype appliedAtStart = fx.browsers().proxies.size();
    frmInternetOptions dialog(fx.program());
    dialog.optSocks->setChecked(true);
    dialog.txtHost->setText(u" socks.lan "_s);
    dialog.txtPort->setValue(1080);
    QTest::mouseClick(okButton(dialog), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    ProxyChoice expected;
    expected.kind = ProxyChoice::Kind::Socks;
    expected.host = u"socks.lan"_s;
    expected.port = 1080;
    QCOMPARE(velmora::services::readProxyChoice(fx.program().settings()), expected);
    // The running engine is not told: it would not follow.
    QCOMPARE(fx.browsers().proxies.size(), appliedAtStart);
}

void tst_InternetOptions::cancelKeepsNothing()
{
    ProgramFixture fx;
    startIn(fx, u"Russian"_s);
    frmInternetOptions dialog(fx.program());
    dialog.optNone->setChecked(true);
    QTest::mouseClick(dialog.buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    QCOMPARE(velmora::services::readProxyChoice(fx.program().settings()), ProxyChoice{});
}

void tst_InternetOptions::ownProxyNeedsAHost()
{
    ProgramFixture fx;
    startIn(fx, u"Russian"_s);
    frmInternetOptions dialog(fx.program());
    QVERIFY(!dialog.txtHost->isEnabled());
    dialog.optHttp->setChecked(true);
    QVERIFY(dialog.txtHost->isEnabled());
    QVERIFY(!okButton(dialog)->isEnabled());
    dialog.accept();
    QVERIFY(dialog.result() != int(QDialog::Accepted));
    QCOMPARE(fx.program().settings().GetSetting(u"general"_s, u"proxy"_s), QString());
    dialog.txtHost->setText(u"proxy.lan"_s);
    QVERIFY(okButton(dialog)->isEnabled());
}

void tst_InternetOptions::showsTheStoredChoice()
{
    ProgramFixture fx;
    ProxyChoice stored;
    stored.kind = ProxyChoice::Kind::Http;
    stored.host = u"proxy.lan"_s;
    stored.port = 8080;
    QVERIFY(velmora::services::saveProxyChoice(fx.program().settings(), stored));
    startIn(fx, u"Russian"_s);
    frmInternetOptions dialog(fx.program());
    QVERIFY(dialog.optHttp->isChecked());
    QCOMPARE(dialog.txtHost->text(), u"proxy.lan"_s);
    QCOMPARE(dialog.txtPort->value(), 8080);
    QCOMPARE(dialog.proxyChoice(), stored);
}

void tst_InternetOptions::storedChoiceReachesTheEngineAtStart()
{
    ProgramFixture fx;
    ProxyChoice stored;
    stored.kind = ProxyChoice::Kind::None;
    QVERIFY(velmora::services::saveProxyChoice(fx.program().settings(), stored));
    startIn(fx, u"English"_s);
    QCOMPARE(fx.browsers().proxies, QList<ProxyChoice>{stored});
    // Before the first control of the run was made.
    QCOMPARE(fx.browsers().controlsWhenProxySet, QList<int>{0});
    QCOMPARE(fx.browsers().languages, QStringList{u"en_US"_s});
}

QTEST_MAIN(tst_InternetOptions)
#include "tst_internetoptions.moc"
