// Hostile files opened as from outside the program: each is refused with a message that names
// it, nothing is written, the file stays as it was and nothing is left on show. Large pictures
// that are real still open.

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bitmap/dib.h"
#include "dib_builders.h"
#include "shell/open_file.h"
#include "test_support.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

struct Header {
  int32_t width, height;
  uint16_t bits;
  uint32_t compression = kCompressionRgb;
  uint32_t sizeImage = 0;  // 0: the size of the pixels given
  uint32_t clrUsed = 0;
};

// A bitmap file: the header, a grey table as long as the depth allows, then `pixels`.
Bytes BitmapFile(const Header& h, const Bytes& pixels, std::optional<uint32_t> offBits = {}) {
  const size_t entries = h.bits == 24 ? 0 : size_t{1} << h.bits;
  Bytes dib(kInfoHeaderSize + 4 * entries, 0);
  StoreU32(dib.data() + dib_field::kSize, kInfoHeaderSize);
  StoreI32(dib.data() + dib_field::kWidth, h.width);
  StoreI32(dib.data() + dib_field::kHeight, h.height);
  StoreU16(dib.data() + dib_field::kPlanes, 1);
  StoreU16(dib.data() + dib_field::kBitCount, h.bits);
  StoreU32(dib.data() + dib_field::kCompression, h.compression);
  StoreU32(dib.data() + dib_field::kSizeImage,
           h.sizeImage ? h.sizeImage : static_cast<uint32_t>(pixels.size()));
  StoreU32(dib.data() + dib_field::kClrUsed, h.clrUsed);
  for (size_t i = 0; i < entries; ++i)
    dib[40 + 4 * i] = dib[41 + 4 * i] = dib[42 + 4 * i] = static_cast<uint8_t>(i * 255 / (entries - 1));
  dib.insert(dib.end(), pixels.begin(), pixels.end());
  return WithFileHeader(dib, offBits.value_or(kFileHeaderSize + kInfoHeaderSize + 4 * entries));
}

const Bytes kRuns = {255, 7, 255, 7, 0, 1};  // two runs, then the end of the picture
const Bytes kFewPixels(64, 9);
const std::string kTooLarge = " is too large to open: a picture may take at most 256 MiB";
const std::string kNotBitmap = " is not a Legitimate DIB File!";
const std::string kEmpty = " is empty: it holds no picture";

TEST(HostileFiles, AreRefusedNamingTheFileAndWriteNothing) {
  struct Case {
    std::string name;
    Bytes file;
    std::string message;
  };
  const Case cases[] = {
      {"RLE8.RLE", BitmapFile({65536, 65536, 8, kCompressionRle8}, kRuns), kTooLarge},
      {"RLE4.RLE", BitmapFile({65536, 65536, 4, kCompressionRle4}, kRuns), kTooLarge},
      {"ODD.RLE", BitmapFile({65537, 65537, 8, kCompressionRle8}, kRuns), kTooLarge},
      // Uncompressed rows that the file does not hold.
      {"WIDE.BMP", BitmapFile({65536, 65536, 8}, kFewPixels), kNotBitmap},
      {"DEEP.BMP", BitmapFile({40000, 40000, 24}, kFewPixels), kNotBitmap},
      {"TALL.BMP", BitmapFile({8, INT32_MIN, 8}, kFewPixels), kNotBitmap},
      {"SIZE.BMP", BitmapFile({8, 8, 8, kCompressionRgb, 0xFFFFFFFF}, kFewPixels), kTooLarge},
      {"FAR.BMP", BitmapFile({8, 8, 8}, kFewPixels, 1u << 30), kNotBitmap},
      {"COLOURS.BMP", BitmapFile({8, 8, 8, kCompressionRgb, 0, 1u << 31}, kFewPixels), kNotBitmap},
      {"EMPTY.BMP", {}, kEmpty}, {"U5IW0001.CCD", {}, kEmpty}, {"TM112345.IMI", {}, kEmpty},
  };
  for (const Case& c : cases) {
    SessionFixture f;
    WriteBytes(f.dir / c.name, c.file);
    EXPECT_EQ(OpenFromOutside(f.session, f.dir / c.name), OpenResult::Failed) << c.name;
    EXPECT_EQ(f.platform.BoxTexts(), std::vector<std::string>{c.name + c.message}) << c.name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.dir.path()), {}), 1) << c.name;
    EXPECT_EQ(ReadBytes(f.dir / c.name), c.file) << c.name;
    EXPECT_FALSE(f.session.state.current.imageDisplayable || f.session.state.current.currentDib ||
                 f.session.state.loadedImage) << c.name;
  }
}

TEST(HostileFiles, RealLargePicturesStillOpen) {
  // A 24-bit photograph of 8000 x 6000, and a few bytes of RLE8 for a blank picture as large.
  Bytes photo = BitmapFile({8000, 6000, 24}, {});
  photo.resize(photo.size() + size_t{24000} * 6000, 0x80);
  StoreU32(photo.data() + 2, static_cast<uint32_t>(photo.size()));
  struct Case {
    std::string name;
    Bytes file;
    uint16_t bits;
  };
  const Case cases[] = {{"PHOTO.BMP", std::move(photo), 24},
                        {"BLANK.RLE", BitmapFile({8000, 6000, 8, kCompressionRle8}, {0, 1}), 8}};
  for (const Case& c : cases) {
    SessionFixture f;
    WriteBytes(f.dir / c.name, c.file);
    EXPECT_EQ(OpenFromOutside(f.session, f.dir / c.name), OpenResult::Shown) << c.name;
    EXPECT_TRUE(f.platform.boxes.empty()) << c.name;
    EXPECT_EQ(f.platform.caption, "Kestrel (" + c.name + " 8000x6000x" + std::to_string(c.bits) +
                                      (c.bits == 24 ? " RGB)" : " RLE8)"));
    EXPECT_TRUE(f.session.state.current.imageDisplayable) << c.name;
  }
}

}  // namespace
}  // namespace kestrel
