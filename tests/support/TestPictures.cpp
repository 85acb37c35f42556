#include "TestPictures.h"

#include <QBuffer>
#include <QImage>

namespace velmora::test {

QByteArray redPng(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

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

QByteArray hugeScreenGif(int width, int height)
{
    QByteArray gif = animatedGif({qRgb(255, 0, 0), qRgb(0, 0, 255)}, 1);
    gif[6] = char(width & 0xff);
    gif[7] = char((width >> 8) & 0xff);
    gif[8] = char(height & 0xff);
    gif[9] = char((height >> 8) & 0xff);
    return gif;
}

} // namespace velmora::test
