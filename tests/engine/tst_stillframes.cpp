// Still frames of moving pictures, and the addresses that carry them.
#include "TestPictures.h"
#include "EngineStillFrames.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QTest>

using velmora::platform::EngineStillFrames;
using velmora::test::animatedGif;
using namespace Qt::StringLiterals;

namespace {

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage decoded(const QByteArray &bytes)
{
    return QImage::fromData(bytes);
}

} // namespace

class tst_StillFrames : public QObject
{
    Q_OBJECT

private slots:
    void movingGifGivesItsFirstFrame();
    void stillPicturesStayAsTheyAre();
    void animatedPngGivesItsDefaultPicture();
    void addressesRoundTrip_data();
    void addressesRoundTrip();
};

void tst_StillFrames::movingGifGivesItsFirstFrame()
{
    const QByteArray gif = animatedGif({qRgb(255, 0, 0), qRgb(0, 0, 255)}, 8);
    QBuffer check;
    check.setData(gif);
    QImageReader reader(&check);
    QCOMPARE(reader.imageCount(), 2); // the fixture really moves

    const QByteArray still = EngineStillFrames::stillFrame(gif);
    QVERIFY(still.startsWith("\x89PNG"));
    const QImage image = decoded(still);
    QCOMPARE(image.size(), QSize(8, 8));
    QCOMPARE(image.pixel(4, 4) & 0xffffff, QRgb(0xff0000));
}

void tst_StillFrames::stillPicturesStayAsTheyAre()
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::green);
    QCOMPARE(EngineStillFrames::stillFrame(png(image)), QByteArray());
    QCOMPARE(EngineStillFrames::stillFrame(QByteArray("<svg xmlns='http://www.w3.org/2000/svg'/>")),
             QByteArray());
    QCOMPARE(EngineStillFrames::stillFrame(QByteArray("not a picture")), QByteArray());
    QCOMPARE(EngineStillFrames::stillFrame(QByteArray()), QByteArray());
}

void tst_StillFrames::animatedPngGivesItsDefaultPicture()
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray bytes = png(image);
    // An animation control chunk after the header makes it an animated PNG.
    const QByteArray actl = QByteArray("\x00\x00\x00\x08" "acTL" "\x00\x00\x00\x02"
                                       "\x00\x00\x00\x00" "\x00\x00\x00\x00", 20);
    bytes.insert(8 + 25, actl);
    const QByteArray still = EngineStillFrames::stillFrame(bytes);
    QVERIFY(!still.isEmpty());
    QVERIFY(!still.contains("acTL"));
    QCOMPARE(decoded(still).pixel(1, 1) & 0xffffff, QRgb(0x00ff00));
}

void tst_StillFrames::addressesRoundTrip_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("plain") << u"http://127.0.0.1:8080/a.gif"_s;
    QTest::newRow("query and fragment") << u"https://example.com/p?a=1&b=%2F#x"_s;
    QTest::newRow("escaped path") << u"http://example.com/a%20b/%D0%B6.gif"_s;
    QTest::newRow("colon in query") << u"http://example.com/i.gif?u=http://x/y"_s;
}

void tst_StillFrames::addressesRoundTrip()
{
    QFETCH(QString, address);
    const QUrl picture(address);
    const QUrl still = EngineStillFrames::stillUrl(picture);
    QCOMPARE(still.scheme().toLatin1(), EngineStillFrames::scheme());
    QCOMPARE(EngineStillFrames::pictureUrl(still), picture);
    // Another scheme is no still picture.
    QVERIFY(!EngineStillFrames::pictureUrl(picture).isValid());
}

QTEST_GUILESS_MAIN(tst_StillFrames)
#include "tst_stillframes.moc"
