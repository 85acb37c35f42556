#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>

namespace velmora::test {

// An animated GIF of solid frames, one colour each, 100 ms apart, looping.
QByteArray animatedGif(const QList<QRgb> &colours, int size);

} // namespace velmora::test
