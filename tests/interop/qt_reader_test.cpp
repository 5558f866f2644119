// Bitmap files the program writes, at every depth and compression, read back by Qt's reader.

#include <gtest/gtest.h>

#include <QImage>

#include "bitmap/bitmap_file.h"
#include "bitmap/convert.h"
#include "dib_builders.h"
#include "test_support.h"

namespace kestrel {
namespace {

TEST(QtReader, ReadsEveryBitmapTheProgramWrites) {
  const testing::ScratchDir dir;
  // Sixteen colours, or two for one bit, each differing in every channel.
  auto colour = [](int x, int y, uint16_t bits) -> uint32_t {
    if (bits == 1) return (x + y) % 3 ? 0xE0D0C0u : 0x203040u;
    const uint32_t i = uint32_t(x / 2 + 3 * y) % 16;
    return (i * 15) << 16 | (200 - i * 7) << 8 | (i * 13);
  };
  const std::pair<uint32_t, uint16_t> cases[] = {{kCompressionRgb, 24},  {kCompressionRgb, 8},  {kCompressionRgb, 4},
                                                 {kCompressionRle8, 8}, {kCompressionRle4, 4}, {kCompressionRgb, 1}};
  for (const auto& [compression, bits] : cases) {
    const uint16_t depth = bits;  // named, for the lambdas below
    const Bytes source = testing::MakeDib(29, 9, 24, {}, [&](int x, int y) { return colour(x, y, depth); });
    const Block converted = ConvertDib(source, compression, bits);
    ASSERT_TRUE(converted && WriteBitmapFile(dir / "OUT.BMP", *converted));
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString((dir / "OUT.BMP").string()), "BMP")) << bits;
    ASSERT_EQ(image.size(), QSize(29, 9));
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 29; ++x) ASSERT_EQ(image.pixel(x, y) & 0xFFFFFFu, colour(x, y, depth)) << bits << " at " << x << "," << y;
  }
}

}  // namespace
}  // namespace kestrel
