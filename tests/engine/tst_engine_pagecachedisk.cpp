// The page cache on a disk that fills up.
#include "EngineOfflineCache.h"
#include "FileBytes.h"
#include "EngineWebBrowser.h"
#include "EventLoop.h"
#include "HttpServer.h"
#include "SmallDisk.h"
#include "TestEnvironment.h"
#include "WriteFailures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <cerrno>
#include <sys/stat.h>

using namespace velmora;
using namespace velmora::platform;
using namespace Qt::StringLiterals;
using velmora::test::spinUntil;

using velmora::test::bytesOf;
using velmora::test::modeOf;

namespace {

} // namespace

class tst_EnginePageCacheDisk : public QObject
{
    Q_OBJECT

private slots:
    void fullDiskKeepsTheArchiveAndTellsOnce();
};

void tst_EnginePageCacheDisk::fullDiskKeepsTheArchiveAndTellsOnce()
{
    test::TestEnvironment env;
    QTemporaryDir root;
    test::SmallDisk disk(root.path(), 4 * 1024 * 1024);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.why()));
    test::HttpServer server;
    QVERIFY(server.isListening());
    server.setPage(u"/page"_s, u"Kept"_s, u"<p>first text</p>"_s);
    server.setPage(u"/other"_s, u"Other"_s, u"<p>other</p>"_s);
    server.setStorable(u"/page"_s);
    server.setStorable(u"/other"_s);

    const QString folder = disk.path() + u"/pages"_s;
    auto cache = std::make_shared<EngineOfflineCache>(folder);
    WriteFailures failures;
    QList<WriteFailure> told;
    failures.setListener([&](const WriteFailure &failure) { told.append(failure); });
    cache->setWriteFailures(&failures);
    {
        auto factory = std::make_unique<EngineWebBrowserFactory>(cache);
        QWidget host;
        new QVBoxLayout(&host);
        host.resize(800, 600);
        host.show();
        std::unique_ptr<WebBrowser> browser(factory->create(&host));
        host.layout()->addWidget(browser->widget());
        browser->setVisible(true);

        const QString address = server.url(u"/page"_s).toString();
        const QString archive = cache->archivePath(address);
        browser->Navigate2(address);
        QVERIFY(spinUntil([&] { return cache->findEntry(address) == 0; }, 30000));
        const QByteArray kept = bytesOf(archive);
        QVERIFY(kept.contains("first text"));
        QCOMPARE(modeOf(folder), 0700);
        QCOMPARE(modeOf(archive), 0600);

        // Full: the next saves of the page fail, and the kept copy stays.
        QVERIFY(disk.fill());
        server.setPage(u"/page"_s, u"Kept"_s, u"<p>second text</p>"_s);
        for (int visit = 0; visit < 2; ++visit) {
            browser->Navigate2(server.url(u"/other"_s).toString());
            QVERIFY(spinUntil([&] { return browser->LocationName() == "Other"_L1; }, 30000));
            browser->Navigate2(address);
            QVERIFY(spinUntil([&] { return browser->LocationName() == "Kept"_L1; }, 30000));
            QVERIFY(spinUntil([&] { return cache->pendingSaves() > 0; }, 30000));
            QVERIFY(spinUntil([&] { return cache->pendingSaves() == 0; }, 30000));
        }
        QCOMPARE(told.size(), 1);
        QCOMPARE(told.first().kind, DataFile::PageCache);
        QCOMPARE(told.first().outcome.error, ENOSPC);
        QCOMPARE(bytesOf(archive), kept);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QFileInfo(archive).fileName()});
    }
}

QTEST_MAIN(tst_EnginePageCacheDisk)
#include "tst_engine_pagecachedisk.moc"
