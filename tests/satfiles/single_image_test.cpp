// The single-image loader: field and sequential bodies, the wide-angle skip and shift, the
// size check, geometry, copies and flags. Expected pictures are built from the file layout.

#include <gtest/gtest.h>

#include <filesystem>

#include "bitmap/dib.h"
#include "platform/files.h"
#include "satfiles/identification.h"
#include "satfiles/single_image.h"
#include "test_support.h"

namespace kestrel {
namespace {

using testing::SessionFixture;
using testing::WriteBytes;

// A picture whose every pixel tells where it came from, with no spikes and no brightness jump.
uint8_t Scene(size_t row, size_t column) {
  return static_cast<uint8_t>(60 + (row * 3 + column) % 97 / 2 + row % 5);
}

struct Picture {
  size_t width, height;
  std::vector<Bytes> rows;  // top-down
};

Picture MakePicture(size_t width, size_t height) {
  Picture p{width, height, {}};
  for (size_t r = 0; r < height; ++r) {
    Bytes row(width);
    for (size_t x = 0; x < width; ++x) row[x] = Scene(r, x);
    p.rows.push_back(row);
  }
  return p;
}

// The body of an interlaced file: picture rows 1, 3, ... then the gap, then rows 2, 4, ...
// (picture row 0 is never stored).
Bytes FieldBody(const Picture& p, size_t gap) {
  Bytes body;
  for (size_t r = 1; r < p.height; r += 2) body.insert(body.end(), p.rows[r].begin(), p.rows[r].end());
  body.insert(body.end(), gap, 0xEE);
  for (size_t r = 2; r < p.height; r += 2) body.insert(body.end(), p.rows[r].begin(), p.rows[r].end());
  body.resize(p.width * p.height, 0xEE);
  return body;
}

Bytes SequentialBody(const Picture& p) {
  Bytes body;
  for (const Bytes& row : p.rows) body.insert(body.end(), row.begin(), row.end());
  return body;
}

Bytes CameraHeader() {
  Bytes header(256);
  for (size_t i = 0; i < header.size(); ++i) header[i] = static_cast<uint8_t>(i * 7 + 1);
  header[252] = 0xFF;  // no probed size
  return header;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct Loaded {
  BitmapInfoHeader header;
  const uint8_t* pixels;
  size_t stride;
};

Loaded Inspect(const Block& dib) {
  const BitmapInfoHeader h = *LoadInfoHeader(*dib);
  return {h, dib->data() + kInfoHeaderSize + 1024, static_cast<size_t>(h.biWidth)};
}

// Pixel (x, picture row r counted from the top) of a picture with `height` placed rows.
uint8_t PixelAt(const Loaded& l, size_t height, size_t r, size_t x) {
  return l.pixels[(height - 1 - r) * l.stride + x];
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

TEST(LoadSingleImage, FieldBodiesInterleaveSkipTheGapAndKeepRowZeroBlack) {
  struct Case {
    const char* name;
    size_t width, height, gap;
    bool cameraHeader;
  };
  for (const Case& c : {Case{"KBE00001", 611, 576, 0, false}, Case{"KBIN0042", 611, 576, 355, true},
                        Case{"KBIW0001", 511, 502, 0, true}}) {
    SCOPED_TRACE(c.name);
    SessionFixture f;
    const Picture p = MakePicture(c.width, c.height);
    const Bytes body = FieldBody(p, c.gap);
    Block dib = Load(f, c.name, c.cameraHeader ? Concat(CameraHeader(), body) : body, true);
    ASSERT_TRUE(dib);
    EXPECT_TRUE(f.platform.boxes.empty());
    const Loaded l = Inspect(dib);
    const size_t stride = (c.width + 3) / 4 * 4, shown = c.height / 4 * 4;
    EXPECT_EQ(l.header.biWidth, stride);
    EXPECT_EQ(l.header.biHeight, shown);
    EXPECT_EQ(l.header.biBitCount, 8);
    EXPECT_EQ(f.session.state.identification.storedWidth, stride);
    EXPECT_EQ(f.session.state.identification.storedHeight, shown);
    // The rows are placed for the file's height: its top rows fall outside a shorter picture.
    for (size_t r = c.height - shown; r < c.height; ++r) {
      for (size_t x = 0; x < c.width; ++x)
        ASSERT_EQ(PixelAt(l, c.height, r, x), r == 0 ? 0 : p.rows[r][x]) << r << "," << x;
      for (size_t x = c.width; x < stride; ++x) ASSERT_EQ(PixelAt(l, c.height, r, x), 0) << "padding " << r;
    }
    // The top-down copy holds picture rows from 1 on, then a black row.
    const Bytes& topDown = *f.session.state.topDownCopy;
    for (size_t k = 0; k + 1 < c.height; ++k)
      for (size_t x = 0; x < c.width; x += 13) ASSERT_EQ(topDown[k * stride + x], p.rows[k + 1][x]);
    for (size_t x = 0; x < stride; ++x) ASSERT_EQ(topDown[(c.height - 1) * stride + x], 0);
    const Bytes header = c.cameraHeader ? CameraHeader() : Bytes(256, 0);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), f.session.state.fileHeaderBuffer.begin()));
  }
}

TEST(LoadSingleImage, LeftTrimMovesThePixelAreaThirtyBytesTowardItsStart) {
  SessionFixture f;
  const Picture p = MakePicture(611, 576);
  Block untrimmed = Load(f, "KBE00001", FieldBody(p, 0));
  const Bytes reference = *untrimmed;
  Block trimmed = Load(f, "KAIW0001", Concat(CameraHeader(), FieldBody(p, 355)));
  ASSERT_TRUE(trimmed);
  const size_t start = kInfoHeaderSize + 1024;
  const size_t area = 612 * 576;
  for (size_t i = 0; i + 30 < area; ++i)
    ASSERT_EQ((*trimmed)[start + i], reference[start + i + 30]) << i;
  for (size_t i = area - 30; i < area; ++i) ASSERT_EQ((*trimmed)[start + i], 0);
}

TEST(LoadSingleImage, SequentialBodiesPlaceFileRowsTopDown) {
  struct Case {
    const char* name;
    size_t width, height;
    bool cameraHeader, compressionDone;
  };
  // A decoded file is sequential even when the name says fields.
  for (const Case& c : {Case{"KBDW0001", 512, 496, true, false}, Case{"KBE00001", 611, 576, false, true}}) {
    SCOPED_TRACE(c.name);
    SessionFixture f;
    const Picture p = MakePicture(c.width, c.height);
    f.session.state.processing.compressionDone = c.compressionDone;
    Block dib = Load(f, c.name, c.cameraHeader ? Concat(CameraHeader(), SequentialBody(p)) : SequentialBody(p));
    ASSERT_TRUE(dib);
    const Loaded l = Inspect(dib);
    const size_t stride = (c.width + 3) / 4 * 4;
    EXPECT_EQ(l.header.biWidth, stride);
    EXPECT_EQ(l.header.biHeight, c.height);
    for (size_t r = 0; r < c.height; ++r)
      for (size_t x = 0; x < c.width; x += 7) ASSERT_EQ(PixelAt(l, c.height, r, x), p.rows[r][x]);
    const Bytes& topDown = *f.session.state.topDownCopy;
    for (size_t r = 0; r < c.height; r += 31) ASSERT_EQ(topDown[r * stride + 5], p.rows[r][5]);
  }
}

TEST(LoadSingleImage, WideAngleTmsatSkipsLeadingBytesAndMovesTheSecondFieldLeft) {
  SessionFixture f;
  const Picture p = MakePicture(611, 576);
  Bytes file = Concat(Bytes(kWideAngleSkip, 0xAA), FieldBody(p, 0));
  file.resize(611 * 576);
  Block dib = Load(f, "TM000100.IMI", file);
  ASSERT_TRUE(dib);
  EXPECT_TRUE(f.platform.boxes.empty());
  const Loaded l = Inspect(dib);
  for (size_t r = 1; r < 576; ++r) {
    for (size_t x = 1; x < 610; x += 9) {
      // Even rows come from the second field and sit one pixel left.
      const uint8_t expected = r % 2 == 1 ? p.rows[r][x] : p.rows[r][x + 1];
      ASSERT_EQ(PixelAt(l, 576, r, x), expected) << r << "," << x;
    }
  }
}

TEST(LoadSingleImage, WrongSizeWarnsOnceAndStillLoadsExceptForWideAngleThumbnails) {
  struct Case {
    const char* name;
    Bytes file;
    bool warned;
    int32_t width, height;
  };
  const Picture p = MakePicture(611, 576);
  Bytes oneShort = FieldBody(p, 0);
  oneShort.pop_back();
  const Case cases[] = {{"KBE00001", oneShort, true, 612, 576},
                        {"U5E00001", Bytes{}, true, 612, 576},
                        {"U5E00001", Bytes(611 * 576 * 3, 90), true, 612, 576},
                        {"TM012345.IMT", Bytes(1000, 80), false, 144, 144}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.size());
    SessionFixture f;
    Block dib = Load(f, c.name, c.file);
    ASSERT_TRUE(dib);
    EXPECT_EQ(Inspect(dib).header.biWidth, c.width);
    EXPECT_EQ(Inspect(dib).header.biHeight, c.height);
    ASSERT_EQ(f.platform.boxes.size(), c.warned ? 1u : 0u);
    if (!c.warned) continue;
    EXPECT_EQ(f.platform.boxes[0].text, "This Image remains corrupted\n    after being processed");
    EXPECT_EQ(f.platform.boxes[0].caption, "Image Corruption Error");
    EXPECT_EQ(f.platform.boxes[0].icon, BoxIcon::Exclamation);
  }
  SessionFixture f;
  EXPECT_EQ(PixelAt(Inspect(Load(f, "KBE00001", oneShort)), 576, 3, 40), p.rows[3][40]);
}

TEST(LoadSingleImage, SpikeFilterRunsOnThePictureAndTheTopDownCopy) {
  SessionFixture f;
  Bytes body(611 * 576, 100);
  body[5 * 611 + 300] = 200;  // first-field row 5: picture row 11
  Block dib = Load(f, "IM000001", Concat(CameraHeader(), body));
  ASSERT_TRUE(dib);
  const Bytes& topDown = *f.session.state.topDownCopy;
  EXPECT_EQ(topDown[10 * 612 + 300], 100);
  EXPECT_EQ(topDown[10 * 612 + 299], 100);
  for (size_t i = kInfoHeaderSize + 1024; i < kInfoHeaderSize + 1024 + 612 * 575; ++i)
    ASSERT_LE((*dib)[i], 100) << i;
}

TEST(LoadSingleImage, LeavesExposureCopiesRampAndFlagsForTheEditCommands) {
  SessionFixture f;
  ImageState& s = f.session.state;
  Block dib = Load(f, "KBE00001", Bytes(611 * 576, 80));
  ASSERT_TRUE(dib);
  // Mean of the whole pixel area, padding and the black row included.
  const uint32_t mean = 80u * 611 * 575 / (612 * 576);
  EXPECT_EQ(s.imageAverage, mean);
  EXPECT_EQ(s.exposureLevel, 127 - mean);
  EXPECT_FALSE(s.processing.enhancedAvailable);
  EXPECT_EQ((*dib)[kInfoHeaderSize + 0], 127 - mean);
  EXPECT_EQ(s.loadedImage, dib);
  ASSERT_TRUE(s.imageAdjustOriginal);
  EXPECT_NE(s.imageAdjustOriginal, dib);
  EXPECT_EQ(*s.imageAdjustOriginal, *dib);
  const size_t pixelArea = (612 * 576 / 4096 + 3) * 4096;
  EXPECT_EQ(dib->size(), 40 + 1024 + pixelArea);
  EXPECT_EQ(LoadInfoHeader(*dib)->biSizeImage, pixelArea);
  EXPECT_EQ(s.topDownCopy->size(), pixelArea);
  EXPECT_TRUE(s.processing.darkenAvailable && s.processing.lightenAvailable && s.processing.rotationAvailable &&
              s.pixelAdjustAvailable);
  EXPECT_FALSE(s.processing.sharpenDefaultUsed || s.processing.sharpenMoreUsed || s.processing.sharpenHiDefUsed ||
               s.processing.sharpenPreviewUsed);
  ASSERT_EQ(s.exposureRamp.size(), 2048u);
  EXPECT_EQ(s.exposureRamp[4 * 127], 0);
  EXPECT_EQ(s.exposureRamp[4 * 200 + 1], 72);
  EXPECT_EQ(s.exposureRamp[4 * 384 + 3], 255);
}

TEST(LoadSingleImage, RefusalsSaySoAndOnlyAnUnopenableFileReleasesThePreviousPicture) {
  struct Case {
    const char* path;
    bool onDisk;
    const char* text;
    const char* caption;
    bool keepsPrevious;
  };
  const Case cases[] = {{"p1c00123.ccd", false,
                         "           This is a UoS Compressed File\n"
                         "You must select the associated Thumb(T) File\n"
                         "    to launch and decompress the Image File",
                         "CCD Error", true},
                        {"u5iw0001", false, "Can't open file U5IW0001", "Error", false},
                        {"NOTHING1", true, "Invalid Parameters - Image cannot be processed",
                         "CCD Image Error", true}};
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
    ASSERT_EQ(f.platform.boxes.size(), 1u);
    EXPECT_EQ(f.platform.boxes[0].text, c.text);
    EXPECT_EQ(f.platform.boxes[0].caption, c.caption);
  }
}

TEST(SpikeFilter, WorkedLines) {
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
}

// A plain transcription of the rule, one position after another.
void ReferenceSpikeFilter(Bytes& b) {
  for (size_t i = 1; i + 1 < b.size(); ++i) {
    const int l = b[i - 1], c = b[i], r = b[i + 1];
    if (std::abs(c - l) > 4 && std::abs(c - r) > 4 && std::abs(r - l) <= std::abs(c - l))
      b[i] = static_cast<uint8_t>((l + r) / 2);
  }
}

TEST(SpikeFilter, MatchesThePlainRuleOnNoisyLines) {
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

}  // namespace
}  // namespace kestrel
