// Bitmap files the program writes, at every depth and compression, read back by Qt's reader.

#include <gtest/gtest.h>

#include <QImage>

#include "bitmap/bitmap_file.h"
#include "bitmap/convert.h"
#include "dib_builders.h"
#include "test_support.h"

namespace kestrel {
namespace {

uint32_t Sixteen(int x, int y) {
  const uint32_t i = uint32_t(x / 2 + 3 * y) % 16;
  return (i * 15) << 16 | (200 - i * 7) << 8 | (i * 13);
}

uint32_t Two(int x, int y) { return (x + y) % 3 ? 0xE0D0C0u : 0x203040u; }

TEST(QtReader, ReadsEveryBitmapTheProgramWrites) {
  testing::ScratchDir dir;
  const int width = 29, height = 9;
  struct Case {
    uint32_t compression;
    uint16_t bits;
    uint32_t (*colour)(int, int);
  };
  const Case cases[] = {{kCompressionRgb, 24, Sixteen}, {kCompressionRgb, 8, Sixteen},
                        {kCompressionRgb, 4, Sixteen},  {kCompressionRle8, 8, Sixteen},
                        {kCompressionRle4, 4, Sixteen}, {kCompressionRgb, 1, Two}};
  for (const Case& c : cases) {
    const Bytes source = testing::MakeDib(width, height, 24, {}, c.colour);
    const Block converted = ConvertDib(source, c.compression, c.bits);
    ASSERT_TRUE(converted);
    const auto path = dir / "OUT.BMP";
    ASSERT_TRUE(WriteBitmapFile(path, *converted));
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(path.string()), "BMP")) << c.bits;
    ASSERT_EQ(image.width(), width);
    ASSERT_EQ(image.height(), height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        ASSERT_EQ(image.pixel(x, y) & 0xFFFFFFu, c.colour(x, y)) << c.bits << " at " << x << "," << y;
  }
}

}  // namespace
}  // namespace kestrel
