// The favourites tree window under a real window manager: it stays above
// the other windows, and a message box it causes opens above it.

#include "ProgramFixture.h"

#include "Program.h"
#include "QtDialogs.h"
#include "ShellFavoritesFake.h"
#include "frmFavoritesShow.h"
#include "frmMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWindow>

using velmora::mainwindow::frmMain;
using velmora::test::ProgramFixture;
using velmora::windows::frmFavoritesShow;
using namespace Qt::StringLiterals;

namespace {

// The program's windows as the window manager stacks them, bottom first.
QList<WId> stacking()
{
    QProcess xprop;
    xprop.start(u"xprop"_s, {u"-root"_s, u"_NET_CLIENT_LIST_STACKING"_s});
    if (!xprop.waitForFinished(5000))
        return {};
    const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
    QList<WId> ids;
    const qsizetype hash = out.indexOf(u'#');
    if (hash < 0)
        return ids;
    for (const QString &part : out.mid(hash + 1).split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const WId id = part.trimmed().toULongLong(&ok, 16);
        if (ok)
            ids.append(id);
    }
    return ids;
}

// Each window's place from the bottom; -1 when the manager does not list it.
int place(const QWidget *window)
{
    return int(stacking().indexOf(window->winId()));
}

} // namespace

class tst_X11Favorites : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void boxOpensAboveTheTreeWindow();

private:
    QProcess m_manager;
};

void tst_X11Favorites::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == u"xcb",
             "this suite needs a real X server (xvfb-run)");
    const QString openbox = QStandardPaths::findExecutable(u"openbox"_s);
    if (openbox.isEmpty() || QStandardPaths::findExecutable(u"xprop"_s).isEmpty())
        QSKIP("needs openbox and xprop");
    m_manager.start(openbox, {});
    QVERIFY(m_manager.waitForStarted(5000));
    // The manager is there once it lists the clients.
    QWidget probe;
    probe.show();
    QVERIFY(QTest::qWaitForWindowExposed(&probe));
    QTRY_VERIFY_WITH_TIMEOUT(place(&probe) >= 0, 10000);
}

void tst_X11Favorites::cleanupTestCase()
{
    if (m_manager.state() != QProcess::NotRunning) {
        m_manager.terminate();
        m_manager.waitForFinished(5000);
    }
}

void tst_X11Favorites::boxOpensAboveTheTreeWindow()
{
    ProgramFixture fx;
    QFile shortcut(fx.favorites().folder + u"/Mail.url"_s);
    QVERIFY(QDir().mkpath(fx.favorites().folder));
    QVERIFY(shortcut.open(QIODevice::WriteOnly));
    shortcut.write("[InternetShortcut]\r\nURL=http://mail/\r\n");
    shortcut.close();
    frmMain &main = fx.start(u"about:blank"_s);
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.mnuShowFavorites->trigger();
    auto *tree = fx.program().loadedWindow<frmFavoritesShow>();
    QVERIFY(tree);
    QVERIFY(QTest::qWaitForWindowExposed(tree));
    QTRY_VERIFY_WITH_TIMEOUT(place(tree) > place(&main) && place(&main) >= 0, 10000);

    // A box of the main window (the tab-limit notice, the exit question)
    // while the tree window is open.
    int boxPlace = -1;
    int treePlace = -1;
    QTimer::singleShot(0, [&] {
        QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()),
                                 10000);
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QTRY_VERIFY_WITH_TIMEOUT(place(box) >= 0, 10000);
        // The manager may settle the layers a moment after mapping.
        QTest::qWait(300);
        boxPlace = place(box);
        treePlace = place(tree);
        box->accept();
    });
    velmora::platform::QtDialogs dialogs;
    dialogs.msgBox(&main, u"Only 1000 tabs"_s, velmora::platform::MsgButtons::OK,
                   velmora::platform::MsgIcon::Information, u"Velmora"_s);
    QVERIFY2(boxPlace > treePlace && treePlace >= 0,
             qPrintable(u"box %1, tree %2"_s.arg(boxPlace).arg(treePlace)));
}

QTEST_MAIN(tst_X11Favorites)
#include "tst_x11_favorites.moc"
