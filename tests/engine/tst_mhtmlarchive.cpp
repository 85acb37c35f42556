#include "MhtmlArchive.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using velmora::platform::MhtmlArchive;
using namespace Qt::StringLiterals;

namespace {

const QByteArray picture("\x89PNG\r\n\x1a\n\x00\x01\xff", 11);

// An archive as the engine writes one: a folded content type, a page in
// quoted-printable with soft line breaks, a picture in base64.
QByteArray archive(const QByteArray &eol = "\r\n", bool closed = true)
{
    QByteArray a;
    const auto line = [&](const QByteArray &text) { a += text + eol; };
    line("From: <Saved by Blink>");
    line("Snapshot-Content-Location: http://site.example/page");
    line("MIME-Version: 1.0");
    line("Content-Type: multipart/related;");
    line("\ttype=\"text/html\";");
    line("\tboundary=\"----Boundary--x1\"");
    line("");
    line("");
    line("------Boundary--x1");
    line("Content-Type: text/html");
    line("Content-Transfer-Encoding: quoted-printable");
    line("Content-Location: http://site.example/page");
    line("");
    line("<html><p id=3D\"t\">Kept=");
    line(" text =D0=96</p></html>");
    line("------Boundary--x1");
    line("Content-Type: image/png");
    line("Content-Transfer-Encoding: base64");
    line("Content-Location: http://site.example/pic.png");
    line("");
    line(picture.toBase64());
    if (closed)
        line("------Boundary--x1--");
    return a;
}

} // namespace

class tst_MhtmlArchive : public QObject
{
    Q_OBJECT

private slots:
    void readsPartsDecoded_data();
    void readsPartsDecoded();
    void refusesWhatIsNoWholeArchive_data();
    void refusesWhatIsNoWholeArchive();
    void looksComplete_data();
    void looksComplete();
};

void tst_MhtmlArchive::readsPartsDecoded_data()
{
    QTest::addColumn<QByteArray>("eol");
    QTest::newRow("CR LF") << QByteArray("\r\n");
    QTest::newRow("LF") << QByteArray("\n");
}

void tst_MhtmlArchive::readsPartsDecoded()
{
    QFETCH(QByteArray, eol);
    MhtmlArchive a;
    QVERIFY(a.read(archive(eol)));
    QCOMPARE(a.parts().size(), 2);
    QVERIFY(a.page());
    QCOMPARE(a.page()->location, u"http://site.example/page"_s);
    QCOMPARE(a.page()->contentType, QByteArray("text/html"));
    QCOMPARE(QString::fromUtf8(a.page()->body), u"<html><p id=\"t\">Kept text Ж</p></html>"_s);
    const MhtmlArchive::Part *pic = a.part(u"http://site.example/pic.png"_s);
    QVERIFY(pic);
    QCOMPARE(pic->body, picture);
    QVERIFY(!a.part(u"http://site.example/other.png"_s));
}

void tst_MhtmlArchive::refusesWhatIsNoWholeArchive_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray whole = archive();
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("cut before the closing boundary") << archive("\r\n", false);
    QTest::newRow("cut in the middle") << whole.left(whole.size() / 2);
    QTest::newRow("no multipart") << QByteArray("Content-Type: text/html\r\n\r\n<html></html>");
    QTest::newRow("no boundary") << QByteArray(whole).replace("boundary=", "bounds=");
    QTest::newRow("page without address")
        << QByteArray(whole).replace("Content-Location: http://site.example/page\r\n", "");
    QTest::newRow("garbage") << QByteArray(4096, '\x9c');
}

void tst_MhtmlArchive::refusesWhatIsNoWholeArchive()
{
    QFETCH(QByteArray, bytes);
    MhtmlArchive a;
    QVERIFY(!a.read(bytes));
    QVERIFY(a.parts().isEmpty());
    QVERIFY(!a.page());
}

void tst_MhtmlArchive::looksComplete_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("complete");
    QTest::newRow("whole") << archive() << true;
    QTest::newRow("cut") << archive().left(archive().size() - 10) << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void tst_MhtmlArchive::looksComplete()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, complete);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.mhtml"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QCOMPARE(MhtmlArchive::looksComplete(path), complete);
    MhtmlArchive a;
    QCOMPARE(a.readFile(path), complete);
    QVERIFY(!MhtmlArchive::looksComplete(dir.filePath(u"missing.mhtml"_s)));
}

QTEST_MAIN(tst_MhtmlArchive)
#include "tst_mhtmlarchive.moc"
