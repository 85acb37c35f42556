// Still frames of moving pictures, and the addresses that carry them.
#include "EngineStillFrames.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QTest>

using velmora::platform::EngineStillFrames;
using namespace Qt::StringLiterals;

namespace {

// An animated GIF of solid frames, one colour each, 100 ms apart, looping.
QByteArray animatedGif(const QList<QRgb> &colours, int size)
{
    QByteArray gif("GIF89a");
    const auto u16 = [&](int v) {
        gif.append(char(v & 0xff));
        gif.append(char((v >> 8) & 0xff));
    };
    u16(size);
    u16(size);
    gif.append(char(0x91)); // a table of 4 colours
    gif.append('\0');
    gif.append('\0');
    for (int i = 0; i < 4; ++i) {
        const QRgb c = i < colours.size() ? colours.at(i) : qRgb(0, 0, 0);
        gif.append(char(qRed(c)));
        gif.append(char(qGreen(c)));
        gif.append(char(qBlue(c)));
    }
    gif.append("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    for (int frame = 0; frame < colours.size(); ++frame) {
        gif.append("\x21\xf9\x04\x00", 4);
        u16(10);
        gif.append("\x00\x00", 2);
        gif.append(char(0x2c));
        u16(0);
        u16(0);
        u16(size);
        u16(size);
        gif.append('\0');
        gif.append(char(2)); // smallest code size
        // A clear code before every pixel keeps the codes 3 bits wide.
        QByteArray data;
        quint32 bits = 0;
        int count = 0;
        const auto code = [&](quint32 c) {
            bits |= c << count;
            count += 3;
            while (count >= 8) {
                data.append(char(bits & 0xff));
                bits >>= 8;
                count -= 8;
            }
        };
        for (int i = 0; i < size * size; ++i) {
            code(4);
            code(quint32(frame));
        }
        code(5);
        if (count > 0)
            data.append(char(bits & 0xff));
        for (qsizetype at = 0; at < data.size(); at += 255) {
            const QByteArray block = data.mid(at, 255);
            gif.append(char(block.size()));
            gif.append(block);
        }
        gif.append('\0');
    }
    gif.append(';');
    return gif;
}

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
