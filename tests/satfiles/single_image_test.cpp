// The single-image loader: field and sequential bodies, the wide-angle skip and shift, the
// size check, geometry, copies and flags; then the ACT preview and the single-file open that
// use it. Expected pictures are built from the file layout.

#include <gtest/gtest.h>

#include <filesystem>

#include "base/text.h"
#include "bitmap/dib.h"
#include "satfiles/act_preview.h"
#include "satfiles/identification.h"
#include "satfiles/open_flows.h"
#include "satfiles/single_image.h"
#include "test_support.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;
constexpr size_t kPixels = kInfoHeaderSize + 1024;  // where a grey picture's pixels start

// A 611 x 576 (or smaller) scene whose every pixel tells where it came from, with no spikes
// and no brightness jump; rows top-down.
std::vector<Bytes> Scene(size_t width, size_t height) {
  std::vector<Bytes> rows(height, Bytes(width));
  for (size_t r = 0; r < height; ++r)
    for (size_t x = 0; x < width; ++x) rows[r][x] = static_cast<uint8_t>(60 + (r * 3 + x) % 97 / 2 + r % 5);
  return rows;
}

// The body of an interlaced file: picture rows 1, 3, ... then the gap, then rows 2, 4, ...
// (picture row 0 is never stored); or of a sequential file.
Bytes Body(const std::vector<Bytes>& rows, bool fields, size_t gap = 0) {
  Bytes body;
  for (size_t r = fields ? 1 : 0; r < rows.size(); r += fields ? 2 : 1)
    body.insert(body.end(), rows[r].begin(), rows[r].end());
  if (!fields) return body;
  body.insert(body.end(), gap, 0xEE);
  for (size_t r = 2; r < rows.size(); r += 2) body.insert(body.end(), rows[r].begin(), rows[r].end());
  body.resize(rows.size() * rows[0].size(), 0xEE);
  return body;
}

// A 256-byte camera header that holds no probed size, in front of `body`.
Bytes WithCameraHeader(const Bytes& body) {
  Bytes file(256);
  for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<uint8_t>(i * 7 + 1);
  file[252] = 0xFF;
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

// Writes the file read-only (loading never needs to write), identifies it and loads it.
Block Load(SessionFixture& f, const std::string& name, const Bytes& file, bool untrimmed = false) {
  WriteBytes(f.dir / name, file);
  std::filesystem::permissions(f.dir / name, std::filesystem::perms::owner_read);
  f.session.state.currentFilePath = name;
  EXPECT_TRUE(IdentifyImageFile(f.session));
  if (untrimmed) f.session.state.identification.leftTrim = false;  // look at the placed rows
  return LoadSingleImage(f.session);
}

TEST(LoadSingleImage, PlacesFieldSequentialAndWideAngleBodies) {
  enum Layout { kFields, kSequential, kWideAngle };
  struct Case {
    const char* name;
    size_t width, height, gap;
    Layout layout;
    bool cameraHeader, compressionDone = false;
  };
  // A decoded file is sequential even when the name says fields.
  const Case cases[] = {
      {"KBE00001", 611, 576, 0, kFields, false},     {"KBIN0042", 611, 576, 355, kFields, true},
      {"KBIW0001", 511, 502, 0, kFields, true},      {"KBDW0001", 512, 496, 0, kSequential, true},
      {"KBE00001", 611, 576, 0, kSequential, false, true}, {"TM000100.IMI", 611, 576, 0, kWideAngle, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SessionFixture f;
    f.session.state.processing.compressionDone = c.compressionDone;
    const std::vector<Bytes> rows = Scene(c.width, c.height);
    Bytes body = Body(rows, c.layout != kSequential, c.gap);
    if (c.layout == kWideAngle) {
      body.insert(body.begin(), kWideAngleSkip, 0xAA);
      body.resize(611 * 576);
    }
    Block dib = Load(f, c.name, c.cameraHeader ? WithCameraHeader(body) : body, true);
    ASSERT_TRUE(dib);
    EXPECT_TRUE(f.platform.boxes.empty());
    const BitmapInfoHeader h = *LoadInfoHeader(*dib);
    const size_t stride = (c.width + 3) / 4 * 4, shown = c.height / 4 * 4;
    EXPECT_EQ(std::tuple(h.biWidth, h.biHeight, h.biBitCount),
              std::tuple(int32_t(stride), int32_t(shown), uint16_t{8}));
    EXPECT_EQ(std::pair(f.session.state.identification.storedWidth, f.session.state.identification.storedHeight),
              std::pair(uint16_t(stride), uint16_t(shown)));
    // Rows are placed for the file's height: its top rows fall outside a shorter picture.
    const auto pixel = [&](size_t r, size_t x) { return (*dib)[kPixels + (c.height - 1 - r) * stride + x]; };
    for (size_t r = c.height - shown; r < c.height; ++r) {
      for (size_t x = 0; x < stride; ++x) {
        // Row 0 of a field body is black; the wide-angle second field sits one pixel left.
        uint8_t expected = x >= c.width || (r == 0 && c.layout == kFields) ? 0 : rows[r][x];
        if (c.layout == kWideAngle) {
          if (r == 0 || x == 0 || x >= 610) continue;
          expected = rows[r][r % 2 ? x : x + 1];
        }
        ASSERT_EQ(pixel(r, x), expected) << r << "," << x;
      }
    }
    if (c.layout == kWideAngle) continue;
    // The top-down copy holds the picture rows, from row 1 on for fields, then a black row.
    const Bytes& topDown = *f.session.state.topDownCopy;
    const size_t first = c.layout == kFields ? 1 : 0;
    for (size_t k = 0; k + first < c.height; ++k)
      for (size_t x = 0; x < c.width; x += 13) ASSERT_EQ(topDown[k * stride + x], rows[k + first][x]) << k;
    if (first) {
      EXPECT_EQ(Bytes(&topDown[(c.height - 1) * stride], &topDown[c.height * stride]), Bytes(stride, 0));
    }
    const Bytes header = c.cameraHeader ? WithCameraHeader({}) : Bytes(256, 0);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), f.session.state.fileHeaderBuffer.begin()));
  }
}

TEST(LoadSingleImage, LeftTrimMovesThePixelAreaThirtyBytesTowardItsStart) {
  SessionFixture f;
  const std::vector<Bytes> rows = Scene(611, 576);
  const Bytes reference = *Load(f, "KBE00001", Body(rows, true));
  Block trimmed = Load(f, "KAIW0001", WithCameraHeader(Body(rows, true, 355)));
  ASSERT_TRUE(trimmed);
  const size_t area = 612 * 576;
  for (size_t i = 0; i < area; ++i)
    ASSERT_EQ((*trimmed)[kPixels + i], i + 30 < area ? reference[kPixels + i + 30] : 0) << i;
}

TEST(LoadSingleImage, WrongSizeWarnsOnceAndStillLoadsExceptForWideAngleThumbnails) {
  const std::vector<Bytes> rows = Scene(611, 576);
  Bytes oneShort = Body(rows, true);
  oneShort.pop_back();
  const std::tuple<const char*, Bytes, bool, int32_t, int32_t> cases[] = {  // name, file, warned, size
      {"KBE00001", oneShort, true, 612, 576}, {"U5E00001", Bytes(611 * 576 * 3, 90), true, 612, 576},
      {"TM012345.IMT", Bytes(1000, 80), false, 144, 144}};
  for (const auto& [name, file, warned, width, height] : cases) {
    SCOPED_TRACE(name);
    SessionFixture f;
    Block dib = Load(f, name, file);
    ASSERT_TRUE(dib);
    EXPECT_EQ(std::pair(LoadInfoHeader(*dib)->biWidth, LoadInfoHeader(*dib)->biHeight), std::pair(width, height));
    const std::vector<std::string> warning{"This Image remains corrupted\n    after being processed"};
    EXPECT_EQ(f.platform.BoxTexts(), warned ? warning : std::vector<std::string>{});
    for (const RecordedBox& box : f.platform.boxes)
      EXPECT_EQ(std::tie(box.caption, box.icon), std::tuple("Image Corruption Error", BoxIcon::Exclamation));
  }
  // What there is of a short body is still placed.
  SessionFixture f;
  EXPECT_EQ((*Load(f, "KBE00001", oneShort))[kPixels + (575 - 3) * 612 + 40], rows[3][40]);
}

TEST(LoadSingleImage, LeavesFilteredExposureCopiesRampAndFlagsForTheEditCommands) {
  SessionFixture f;
  ImageState& s = f.session.state;
  Bytes body(611 * 576, 80);
  body[5 * 611 + 300] = 200;  // first-field row 5: picture row 11, a spike the filter removes
  Block dib = Load(f, "IM000001", WithCameraHeader(body), true);
  ASSERT_TRUE(dib);
  // The spike filter ran on the picture and on the top-down copy.
  EXPECT_EQ(s.topDownCopy->at(10 * 612 + 300), 80);
  EXPECT_EQ(std::count(dib->begin() + kPixels, dib->begin() + kPixels + 612 * 576, 200), 0);
  // Mean of the whole pixel area, padding and the black row included.
  const uint32_t mean = 80u * 611 * 575 / (612 * 576);
  EXPECT_EQ(std::tuple(s.imageAverage, s.exposureLevel, (*dib)[kInfoHeaderSize]),
            std::tuple(mean, 127 - mean, 127 - mean));  // the colour table is shifted
  EXPECT_EQ(s.loadedImage, dib);
  // The exposure commands' original stays the picture as loaded, whatever befalls the loaded image.
  const Bytes asLoaded = *dib;
  std::fill(dib->begin() + kPixels, dib->end(), uint8_t{1});
  ASSERT_TRUE(s.imageAdjustOriginal);
  EXPECT_EQ(*s.imageAdjustOriginal, asLoaded);
  // What the edit commands may do with a fresh picture.
  EXPECT_TRUE(s.processing.darkenAvailable && s.processing.lightenAvailable && s.processing.rotationAvailable &&
              s.pixelAdjustAvailable && !s.processing.enhancedAvailable);
  EXPECT_FALSE(s.processing.sharpenDefaultUsed || s.processing.sharpenMoreUsed || s.processing.sharpenHiDefUsed ||
               s.processing.sharpenPreviewUsed);
  ASSERT_EQ(s.exposureRamp.size(), 2048u);
  EXPECT_EQ(std::tuple(s.exposureRamp[4 * 127], s.exposureRamp[4 * 200 + 1], s.exposureRamp[4 * 384 + 3]),
            std::tuple(0, 72, 255));
}

TEST(LoadSingleImage, ReloadsMatchAFreshLoadAndNeverOverwriteAPictureStillHeld) {
  const Bytes file = WithCameraHeader(Body(Scene(611, 576), true, 355));
  SessionFixture fresh, f;
  const Bytes expected = *Load(fresh, "U5IW0001", file);
  Load(f, "U5IW0002", Bytes(file.size(), 77));
  // Made in the storage of the picture before it, which nothing else holds.
  const Block held = Load(f, "U5IW0001", file);
  EXPECT_EQ(*held, expected);
  Load(f, "U5IW0003", Bytes(file.size(), 77));
  EXPECT_EQ(*held, expected);
}

TEST(LoadSingleImage, RefusalsSaySoAndOnlyAnUnopenableFileReleasesThePreviousPicture) {
  struct Case {
    const char* path;
    bool onDisk;
    const char *text, *caption;
    bool keepsPrevious;
  };
  const Case cases[] = {
      {"p1c00123.ccd", false, "           This is a UoS Compressed File\nYou must select the associated Thumb(T) File\n"
       "    to launch and decompress the Image File", "CCD Error", true},
      {"u5iw0001", false, "Can't open file U5IW0001", "Error", false},
      {"NOTHING1", true, "Invalid Parameters - Image cannot be processed", "CCD Image Error", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    SessionFixture f;
    const Block previous = NewBlock(16);
    f.session.state.loadedImage = previous;
    if (c.onDisk) WriteBytes(f.dir / c.path, Bytes(1000, 9));
    f.session.state.identification = IdentifyByName(c.path[0] == 'p' ? "P1D00123" : ToUpperAscii(c.path));
    f.session.state.currentFilePath = c.path;
    EXPECT_FALSE(LoadSingleImage(f.session));
    EXPECT_EQ(f.session.state.loadedImage == previous, c.keepsPrevious);
    EXPECT_EQ(f.platform.BoxTexts(), std::vector<std::string>{c.text});
    EXPECT_EQ(f.platform.boxes[0].caption, c.caption);
  }
}

// A plain transcription of the rule, one position after another.
void ReferenceSpikeFilter(Bytes& b) {
  for (size_t i = 1; i + 1 < b.size(); ++i) {
    const int l = b[i - 1], c = b[i], r = b[i + 1];
    if (std::abs(c - l) > 4 && std::abs(c - r) > 4 && std::abs(r - l) <= std::abs(c - l))
      b[i] = static_cast<uint8_t>((l + r) / 2);
  }
}

TEST(SpikeFilter, WorkedLinesAndThePlainRuleOnNoisyLines) {
  struct Case {
    const char* why;
    Bytes line, expected;
  };
  const Case cases[] = {
      {"isolated value becomes the mean of its neighbours", {100, 100, 200, 100, 100}, {100, 100, 100, 100, 100}},
      {"step stays", {100, 100, 100, 200, 200, 200}, {100, 100, 100, 200, 200, 200}},
      {"small wobble stays", {100, 104, 100, 96, 100}, {100, 104, 100, 96, 100}},
      {"steady ramp stays", {10, 50, 90, 130}, {10, 50, 90, 130}},
      // Position 1 becomes (50 + 60) / 2 = 55; position 2 then sees 55 on its left (with the
      // unfiltered 0 it would become 25) and becomes (55 + 50) / 2 = 52.
      {"left neighbour is the filtered value", {50, 0, 60, 50}, {50, 55, 52, 50}}};
  for (Case c : cases) {
    SpikeFilter(c.line);
    EXPECT_EQ(c.line, c.expected) << c.why;
  }
  uint32_t seed = 12345;
  for (int trial = 0; trial < 50; ++trial) {
    Bytes line(1000 + static_cast<size_t>(trial) * 37);
    for (uint8_t& b : line) {
      seed = seed * 1664525u + 1013904223u;
      // Mostly smooth with occasional spikes and runs of spikes.
      b = static_cast<uint8_t>((seed >> 24) % 64 == 0 ? seed >> 16 : 100 + (seed >> 30));
    }
    Bytes expected = line;
    ReferenceSpikeFilter(expected);
    SpikeFilter(line);
    ASSERT_EQ(line, expected) << trial;
  }
}

struct Open : ::testing::Test, testing::SessionFixture {
  void Write(const std::string& name, const Bytes& file) {
    WriteBytes(dir / name, file);
    session.state.currentFilePath = name;
  }
};

TEST_F(Open, PreviewActDownloadLoadsAnySizedDownloadWithoutTheCorruptionMessageButNoBitmap) {
  Bytes download(95, 0x5A);
  for (size_t i = 0; i < 1020 * 1020 + 5000; ++i) download.push_back(static_cast<uint8_t>(40 + i % 50));
  Write("pass0001.act", download);
  ASSERT_TRUE(PreviewActDownload(session, ActPreset::Tmsat));
  EXPECT_TRUE(platform.boxes.empty());
  const ImageState& s = session.state;
  const Bytes& dib = *s.current.currentDib;
  EXPECT_EQ(std::pair(LoadInfoHeader(dib)->biWidth, LoadInfoHeader(dib)->biHeight), std::pair(1020, 1020));
  EXPECT_EQ(dib.size(), 40 + 1024 + (1048576 / 4096 + 3) * 4096u);
  // Top row of the picture is the first body row.
  EXPECT_EQ(dib[40 + 1024 + 1019 * 1020 + 7], 40 + 7);
  EXPECT_TRUE(std::equal(download.begin(), download.begin() + 95, s.fileHeaderBuffer.begin()));
  EXPECT_EQ(s.fileHeaderBuffer[95], 0);
  EXPECT_EQ(s.exposureLevel, 255 - s.imageAverage);
  EXPECT_TRUE(s.processing.singleImageShown);
  // Bitmap files are refused.
  Write("PICTURE.BMP", Bytes(2000, 1));
  EXPECT_FALSE(PreviewActDownload(session, ActPreset::Uosat));
  EXPECT_EQ(platform.BoxTexts(), std::vector<std::string>{"This is a BMP file, Use Open Bmp"});
  EXPECT_EQ(platform.boxes[0].caption, "File Error");
}

TEST_F(Open, SingleSatelliteFileRoutesAndRefusesByName) {
  struct Case {
    const char* name;
    OpenResult result;
    const char* caption = nullptr;  // of the one box shown, if any
    const char* text = nullptr;
  };
  const Case cases[] = {
      {"PICTURE.BMP", OpenResult::Failed, "File Error", "This is a BMP file, Use Open Bmp"},
      {"IM000123.ACT", OpenResult::Failed, "Command Line Open",
       "Unsupported from Command Line - Use File/Preview ACT"},
      {"TM4ACT01.IMI", OpenResult::Video},           {"TM500001.IMI", OpenResult::Video},
      {"TM112345.IMC", OpenResult::CompressedImage}, {"TM0D0042.IMW", OpenResult::InformationFile},
      {"P1C00123.CCD", OpenResult::Failed, "CCD Error",
       "           This is a UoS Compressed File\nYou must select the associated Thumb(T) File\n"
       "    to launch and decompress the Image File"},
      {"NOTHING1", OpenResult::Failed, "CCD Image Error", "Invalid Parameters - Image cannot be processed"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform.boxes.clear();
    Write(c.name, Bytes(3000, 9));
    EXPECT_EQ(OpenSingleSatelliteFile(session), c.result);
    ASSERT_EQ(platform.boxes.size(), c.caption ? 1u : 0u);
    if (!c.caption) continue;
    EXPECT_EQ(std::tie(platform.boxes[0].caption, platform.boxes[0].text), std::tuple(c.caption, c.text));
  }
}

}  // namespace
}  // namespace kestrel
