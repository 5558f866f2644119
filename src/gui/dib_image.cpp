#include "gui/dib_image.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "bitmap/convert.h"
#include "bitmap/dib.h"

namespace kestrel::gui {
namespace {

// The colour table entry order of a packed DIB.
constexpr size_t kEntryBlue = 0;
constexpr size_t kEntryGreen = 1;
constexpr size_t kEntryRed = 2;
constexpr size_t kEntrySize = 4;

QImage::Format FormatForDepth(uint16_t bitCount) {
  switch (bitCount) {
    case 1: return QImage::Format_Mono;  // most significant bit first, as in a DIB
    case 8: return QImage::Format_Indexed8;
    case 24: return QImage::Format_BGR888;  // blue, green, red in memory, as in a DIB
    default: return QImage::Format_Invalid;
  }
}

}  // namespace

std::optional<DibImage> WrapDib(const Block& dib) {
  if (!dib || !IsWellFormedDib(*dib)) return std::nullopt;
  const BitmapInfoHeader header = *LoadInfoHeader(*dib);
  Block drawn = dib;
  if (header.biCompression != kCompressionRgb || header.biBitCount == 4) {
    drawn = ConvertDib(*dib, kCompressionRgb, 8);
    if (!drawn) return std::nullopt;
  }
  const BitmapInfoHeader drawnHeader = *LoadInfoHeader(*drawn);
  const auto width = static_cast<uint32_t>(drawnHeader.biWidth);
  QImage image(drawn->data() + PixelOffset(drawnHeader), drawnHeader.biWidth,
               drawnHeader.biHeight, RowLength(drawnHeader.biBitCount, width),
               FormatForDepth(drawnHeader.biBitCount));
  if (image.isNull()) return std::nullopt;
  return DibImage{std::move(drawn), std::move(image)};
}

void ApplyColourTable(QImage& image, const Bytes& dib) {
  if (image.format() != QImage::Format_Mono && image.format() != QImage::Format_Indexed8) return;
  if (!IsWellFormedDib(dib)) return;
  const BitmapInfoHeader header = *LoadInfoHeader(dib);
  const size_t capacity = size_t{1} << image.depth();
  QList<QRgb> colours(static_cast<qsizetype>(capacity), qRgb(0, 0, 0));
  const uint8_t* table = dib.data() + kInfoHeaderSize;
  const size_t count = std::min<size_t>(ColourCount(header), capacity);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* entry = table + i * kEntrySize;
    colours[static_cast<qsizetype>(i)] =
        qRgb(entry[kEntryRed], entry[kEntryGreen], entry[kEntryBlue]);
  }
  image.setColorTable(colours);
}

QImage TopDownImage(const Bytes& dib) {
  const auto wrapped = WrapDib(std::make_shared<Bytes>(dib));
  if (!wrapped) return {};
  QImage image = wrapped->image;
  ApplyColourTable(image, dib);
  return image.mirrored(false, true);
}

std::optional<Bytes> DibFromImage(const QImage& image) {
  if (image.isNull()) return std::nullopt;
  const bool indexed = image.format() == QImage::Format_Mono ||
                       image.format() == QImage::Format_MonoLSB ||
                       image.format() == QImage::Format_Indexed8;
  const bool grey = image.format() == QImage::Format_Grayscale8;
  const uint16_t bitCount = indexed || grey ? 8 : 24;
  // Checked before Qt converts anything: a huge image from another program costs nothing.
  const auto rows = static_cast<uint64_t>(image.height());
  if (!PictureBlockSize(rows, RowLength64(bitCount, static_cast<uint32_t>(image.width()))))
    return std::nullopt;
  const QImage source = grey      ? image
                        : indexed ? image.convertToFormat(QImage::Format_Indexed8)
                                  : image.convertToFormat(QImage::Format_BGR888);
  if (source.isNull()) return std::nullopt;
  const auto width = static_cast<uint32_t>(source.width());
  const auto height = static_cast<uint32_t>(source.height());
  const uint64_t stride = RowLength64(bitCount, width);
  // None past the picture limit.
  Block dib = NewPackedDib(source.width(), source.height(), bitCount);
  if (!dib) return std::nullopt;
  uint8_t* table = dib->data() + kInfoHeaderSize;
  if (source.format() == QImage::Format_Grayscale8) {
    FillGreyColourTable(*dib);
  } else if (bitCount == 8) {
    const QList<QRgb> colours = source.colorTable();
    const qsizetype count = std::min<qsizetype>(colours.size(), 256);
    for (qsizetype i = 0; i < count; ++i) {
      uint8_t* entry = table + static_cast<size_t>(i) * kEntrySize;
      entry[kEntryBlue] = static_cast<uint8_t>(qBlue(colours[i]));
      entry[kEntryGreen] = static_cast<uint8_t>(qGreen(colours[i]));
      entry[kEntryRed] = static_cast<uint8_t>(qRed(colours[i]));
    }
  }
  const BitmapInfoHeader header = *LoadInfoHeader(*dib);
  uint8_t* pixels = dib->data() + PixelOffset(header);
  const size_t rowBytes = size_t{width} * (bitCount / 8);
  for (uint32_t y = 0; y < height; ++y) {
    const uint32_t bottomUpRow = height - 1 - y;
    std::memcpy(pixels + size_t{bottomUpRow} * stride, source.constScanLine(static_cast<int>(y)),
                rowBytes);
  }
  return std::move(*dib);
}

}  // namespace kestrel::gui
