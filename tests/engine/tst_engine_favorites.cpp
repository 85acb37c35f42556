// The favourites commands of the main window over real engine pages.

#include "EventLoop.h"
#include "ProgramFixture.h"

#include "Program.h"
#include "ShellFavoritesFake.h"
#include "WebBrowser.h"
#include "frmMain.h"

#include <QAction>
#include <QTcpServer>
#include <QTest>

using velmora::mainwindow::frmMain;
using velmora::test::ProgramFixture;
using velmora::test::spinUntil;
using namespace Qt::StringLiterals;

class tst_EngineFavorites : public QObject
{
    Q_OBJECT

private slots:
    void failedPageIsAddedUnderItsAddress();
};

void tst_EngineFavorites::failedPageIsAddedUnderItsAddress()
{
    // A port nobody listens on: the engine shows its error page.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QString gone = u"http://127.0.0.1:%1/gone.html"_s.arg(closed.serverPort());
    closed.close();
    ProgramFixture fx(true, ProgramFixture::Pages::Engine);
    frmMain &main = fx.start(gone);
    // The control names the error page by its wrapper.
    QVERIFY(spinUntil([&] {
        return main.web(1)->LocationURL().startsWith(u"res://"_s) && !main.web(1)->Busy();
    }));
    main.actionNamed(u"mnuAddToFavoites"_s)->trigger();
    QCOMPARE(fx.favorites().addCalls.size(), 1);
    QCOMPARE(fx.favorites().addCalls.first().url, gone);
}

QTEST_MAIN(tst_EngineFavorites)
#include "tst_engine_favorites.moc"
