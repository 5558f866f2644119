#pragma once
// Packed DIBs seen as QImages. The view draws straight from the DIB's own memory; the
// clipboard trades ordinary top-down QImages.

#include <QImage>
#include <optional>

#include "base/block.h"

namespace kestrel::gui {

// A QImage over the pixel memory of `block`. The rows stay bottom-up, so the image is the
// picture upside down and is drawn flipped. 4-bit and run-length encoded pictures have no
// QImage format: `block` is then an 8-bit copy made once, with the same colour indices.
struct DibImage {
  Block block;
  QImage image;
};

// None when the DIB is not whole or its runs cannot be decoded.
std::optional<DibImage> WrapDib(const Block& dib);

// Gives `image` the colours of the colour table of `dib` (the picture's own block, whose
// table may differ from that of an 8-bit copy), padded with black to every index the image
// can hold. Pixels are not touched.
void ApplyColourTable(QImage& image, const Bytes& dib);

// The picture the right way up, as a QImage of its own.
QImage TopDownImage(const Bytes& dib);

// A packed DIB of any QImage: 8 bits with the image's colour table when it has one, else
// 24 bits. None for an empty image or one too large for a DIB.
std::optional<Bytes> DibFromImage(const QImage& image);

}  // namespace kestrel::gui
