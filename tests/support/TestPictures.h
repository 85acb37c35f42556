#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>

namespace velmora::test {

// A PNG picture filled red, of this size.
QByteArray redPng(int width, int height);

// An animated GIF of solid frames, one colour each, 100 ms apart, looping.
QByteArray animatedGif(const QList<QRgb> &colours, int size);

// A small animated GIF of one-pixel frames whose logical screen claims this
// size (what the picture is shown and decoded at).
QByteArray hugeScreenGif(int width, int height);

} // namespace velmora::test
