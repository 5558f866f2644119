// Thumbnails: block means against a plain reference, the shape kept and never enlarged, grey
// pictures kept grey whatever their table.

#include "bitmap/thumbnail.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "bitmap/dib.h"
#include "dib_builders.h"

namespace kestrel {
namespace {
using testing::Colour;
using testing::MakeDib;

// The value of channel `c` at (x, y) from the top of a packed DIB of 8 or 24 bits.
int ChannelAt(const Bytes& dib, int x, int y, int c) {
  const BitmapInfoHeader h = *LoadInfoHeader(dib);
  const uint32_t bytes = h.biBitCount / 8u;
  const size_t row = static_cast<size_t>(h.biHeight - 1 - y) * RowLength(h.biBitCount, static_cast<uint32_t>(h.biWidth));
  return dib[PixelOffset(h) + row + static_cast<size_t>(x) * bytes + static_cast<size_t>(c)];
}

TEST(Thumbnail, EachPixelIsTheRoundedMeanOfItsBlockAndTheShapeIsKept) {
  // Grey levels through a table that is not the identity: the thumbnail holds the levels.
  std::vector<Colour> table(256);
  for (int i = 0; i < 256; ++i) table[static_cast<size_t>(i)] = {uint8_t(255 - i), uint8_t(255 - i), uint8_t(255 - i)};
  const auto grey = [](int x, int y) { return static_cast<uint32_t>((x * 37 + y * 91 + x * y) % 256); };
  const auto colour = [](int x, int y) { return static_cast<uint32_t>(x * 0x10307 + y * 0x3050B); };
  const std::tuple<int, int, uint16_t, uint32_t, int, int> cases[] = {
      {611, 576, 8, 256, 256, 241}, {97, 13, 8, 10, 10, 1}, {1, 1000, 8, 256, 1, 256},
      {40, 20, 8, 256, 40, 20},  // never enlarged
      {53, 31, 24, 16, 16, 9}};
  for (const auto& [width, height, bits, edge, expectedWidth, expectedHeight] : cases) {
    const Bytes dib = MakeDib(width, height, bits, bits == 8 ? table : std::vector<Colour>{}, bits == 8 ? grey : colour);
    const auto thumbnail = ThumbnailDib(dib, edge);
    ASSERT_TRUE(thumbnail) << width;
    const BitmapInfoHeader h = *LoadInfoHeader(*thumbnail);
    ASSERT_EQ(std::tuple(h.biWidth, h.biHeight, h.biBitCount), std::tuple(expectedWidth, expectedHeight, bits));
    // The reference: blocks as the picture is stored, bottom-up, each mean rounded half up.
    const int rows = height;  // clang 14 cannot capture a structured binding
    const auto stored = [rows](int y) { return rows - 1 - y; };
    for (int ty = 0; ty < h.biHeight; ++ty)
      for (int tx = 0; tx < h.biWidth; ++tx)
        for (int c = 0; c < bits / 8; ++c) {
          const int storedRow = h.biHeight - 1 - ty;
          double sum = 0, count = 0;
          for (int sr = storedRow * height / h.biHeight; sr < (storedRow + 1) * height / h.biHeight; ++sr)
            for (int x = tx * width / h.biWidth; x < (tx + 1) * width / h.biWidth; ++x, ++count)
              sum += bits == 8 ? 255 - int(grey(x, stored(sr))) : ChannelAt(dib, x, stored(sr), c);
          ASSERT_EQ(ChannelAt(*thumbnail, tx, ty, c), static_cast<int>(std::floor(sum / count + 0.5)))
              << width << "x" << height << " at " << tx << "," << ty;
        }
  }
  EXPECT_FALSE(ThumbnailDib(MakeDib(4, 4, 8, table, grey), 0));
  EXPECT_FALSE(ThumbnailDib(Bytes(30, 0), 16));
}

}  // namespace
}  // namespace kestrel
