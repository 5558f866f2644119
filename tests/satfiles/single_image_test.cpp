// The single-image loader: field and sequential bodies, the wide-angle skip and shift, the
// size check, geometry, copies and flags. Expected pictures are built from the file layout.

#include <gtest/gtest.h>

#include <filesystem>

#include "bitmap/dib.h"
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

Block Load(SessionFixture& f, const std::string& name, const Bytes& file) {
  WriteBytes(f.dir / name, file);
  f.session.state.currentFilePath = name;
  EXPECT_TRUE(IdentifyImageFile(f.session));
  return LoadSingleImage(f.session);
}

TEST(LoadSingleImage, FieldImageInterleavesItsFieldsAndKeepsRowZeroBlack) {
  SessionFixture f;
  const Picture p = MakePicture(611, 576);
  Block dib = Load(f, "KBE00001", FieldBody(p, 0));
  ASSERT_TRUE(dib);
  EXPECT_TRUE(f.platform.boxes.empty());
  const Loaded l = Inspect(dib);
  EXPECT_EQ(l.header.biWidth, 612);
  EXPECT_EQ(l.header.biHeight, 576);
  EXPECT_EQ(l.header.biBitCount, 8);
  for (size_t r = 0; r < 576; ++r) {
    for (size_t x = 0; x < 611; ++x)
      ASSERT_EQ(PixelAt(l, 576, r, x), r == 0 ? 0 : p.rows[r][x]) << r << "," << x;
    ASSERT_EQ(PixelAt(l, 576, r, 611), 0) << "padding of row " << r;
  }
  EXPECT_EQ(f.session.state.identification.storedWidth, 612);
  EXPECT_EQ(f.session.state.identification.storedHeight, 576);
}

TEST(LoadSingleImage, FieldGapIsSkippedAndTopDownCopyHoldsRowsFromOne) {
  SessionFixture f;
  const Picture p = MakePicture(611, 576);
  Bytes file = Concat(CameraHeader(), FieldBody(p, 355));
  file.resize(611 * 576 + 256, 0xEE);
  f.session.state.identification = {};
  WriteBytes(f.dir / "KBIN0042", file);
  f.session.state.currentFilePath = "KBIN0042";
  ASSERT_TRUE(IdentifyImageFile(f.session));
  f.session.state.identification.leftTrim = false;  // look at the placed rows themselves
  Block dib = LoadSingleImage(f.session);
  ASSERT_TRUE(dib);
  EXPECT_TRUE(f.platform.boxes.empty());
  const Loaded l = Inspect(dib);
  for (size_t r = 1; r < 576; ++r)
    for (size_t x = 0; x < 611; x += 13) ASSERT_EQ(PixelAt(l, 576, r, x), p.rows[r][x]);
  const Bytes& topDown = *f.session.state.topDownCopy;
  for (size_t k = 0; k + 1 < 576; ++k)
    for (size_t x = 0; x < 611; x += 13) ASSERT_EQ(topDown[k * 612 + x], p.rows[k + 1][x]);
  for (size_t x = 0; x < 612; ++x) ASSERT_EQ(topDown[575 * 612 + x], 0);
  const Bytes header = CameraHeader();
  EXPECT_TRUE(std::equal(header.begin(), header.end(), f.session.state.fileHeaderBuffer.begin()));
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

TEST(LoadSingleImage, SequentialBodyPlacesFileRowsTopDown) {
  SessionFixture f;
  const Picture p = MakePicture(512, 496);
  Block dib = Load(f, "KBDW0001", Concat(CameraHeader(), SequentialBody(p)));
  ASSERT_TRUE(dib);
  const Loaded l = Inspect(dib);
  EXPECT_EQ(l.header.biWidth, 512);
  EXPECT_EQ(l.header.biHeight, 496);
  for (size_t r = 0; r < 496; ++r)
    for (size_t x = 0; x < 512; x += 7) ASSERT_EQ(PixelAt(l, 496, r, x), p.rows[r][x]);
  const Bytes& topDown = *f.session.state.topDownCopy;
  for (size_t r = 0; r < 496; r += 31) ASSERT_EQ(topDown[r * 512 + 5], p.rows[r][5]);
}

TEST(LoadSingleImage, HeightNotAMultipleOfFourShowsFewerRows) {
  SessionFixture f;
  const Picture p = MakePicture(511, 502);
  Block dib = Load(f, "KBIW0001", Concat(CameraHeader(), FieldBody(p, 0)));
  ASSERT_TRUE(dib);
  const Loaded l = Inspect(dib);
  EXPECT_EQ(l.header.biWidth, 512);
  EXPECT_EQ(l.header.biHeight, 500);
  // The rows are placed for 502 rows: the bottom row of the picture is memory row 0.
  EXPECT_EQ(l.pixels[3], p.rows[501][3]);
  EXPECT_EQ(l.pixels[499 * 512 + 3], p.rows[2][3]);
}

TEST(LoadSingleImage, WideAngleTmsatSkipsLeadingBytesAndMovesTheSecondFieldLeft) {
  SessionFixture f;
  const Picture p = MakePicture(611, 576);
  Bytes file(kWideAngleSkip, 0xAA);
  file = Concat(file, FieldBody(p, 0));
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

TEST(LoadSingleImage, DecodedFileIsSequentialEvenWhenTheNameSaysFields) {
  SessionFixture f;
  const Picture p = MakePicture(611, 576);
  f.session.state.compressionDone = true;
  Block dib = Load(f, "KBE00001", SequentialBody(p));
  ASSERT_TRUE(dib);
  const Loaded l = Inspect(dib);
  for (size_t r = 0; r < 576; r += 5) ASSERT_EQ(PixelAt(l, 576, r, 100), p.rows[r][100]);
}

TEST(LoadSingleImage, WrongSizeWarnsOnceAndStillLoads) {
  SessionFixture f;
  const Picture p = MakePicture(611, 576);
  Bytes file = FieldBody(p, 0);
  file.pop_back();
  Block dib = Load(f, "KBE00001", file);
  ASSERT_TRUE(dib);
  ASSERT_EQ(f.platform.boxes.size(), 1u);
  EXPECT_EQ(f.platform.boxes[0].text, "This Image remains corrupted\n    after being processed");
  EXPECT_EQ(f.platform.boxes[0].caption, "Image Corruption Error");
  EXPECT_EQ(f.platform.boxes[0].icon, BoxIcon::Exclamation);
  EXPECT_EQ(PixelAt(Inspect(dib), 576, 3, 40), p.rows[3][40]);
}

TEST(LoadSingleImage, OversizedAndEmptyFilesLoadWithTheWarning) {
  for (const size_t size : {size_t{0}, size_t{611 * 576 * 3}}) {
    SessionFixture f;
    Block dib = Load(f, "U5E00001", Bytes(size, 90));
    ASSERT_TRUE(dib);
    EXPECT_EQ(f.platform.BoxTexts().size(), 1u);
  }
}

TEST(LoadSingleImage, WideAngleThumbnailIsNeverSizeChecked) {
  SessionFixture f;
  Block dib = Load(f, "TM012345.IMT", Bytes(1000, 80));
  ASSERT_TRUE(dib);
  EXPECT_TRUE(f.platform.boxes.empty());
  EXPECT_EQ(Inspect(dib).header.biWidth, 144);
  EXPECT_EQ(Inspect(dib).header.biHeight, 144);
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

TEST(LoadSingleImage, LeavesCopiesRampAndFlagsForTheEditCommands) {
  SessionFixture f;
  ImageState& s = f.session.state;
  Block dib = Load(f, "KBE00001", FieldBody(MakePicture(611, 576), 0));
  ASSERT_TRUE(dib);
  EXPECT_EQ(s.loadedImage, dib);
  ASSERT_TRUE(s.imageAdjustOriginal);
  EXPECT_NE(s.imageAdjustOriginal, dib);
  EXPECT_EQ(*s.imageAdjustOriginal, *dib);
  const size_t pixelArea = (612 * 576 / 4096 + 3) * 4096;
  EXPECT_EQ(dib->size(), 40 + 1024 + pixelArea);
  EXPECT_EQ(LoadInfoHeader(*dib)->biSizeImage, pixelArea);
  EXPECT_EQ(s.topDownCopy->size(), pixelArea);
  EXPECT_EQ(s.colourTableSize, 1024);
  EXPECT_EQ(s.imageHeaderCopy.biWidth, 612);
  EXPECT_EQ(s.imageHeaderCopy.biHeight, 576);
  EXPECT_TRUE(s.darkenAvailable && s.lightenAvailable && s.rotationAvailable &&
              s.pixelAdjustAvailable);
  EXPECT_FALSE(s.sharpenDefaultUsed || s.sharpenMoreUsed || s.sharpenHiDefUsed ||
               s.sharpenPreviewUsed);
  ASSERT_EQ(s.exposureRamp.size(), 2048u);
  EXPECT_EQ(s.exposureRamp[4 * 127], 0);
  EXPECT_EQ(s.exposureRamp[4 * 128 + 0], 0);
  EXPECT_EQ(s.exposureRamp[4 * 200 + 1], 72);
  EXPECT_EQ(s.exposureRamp[4 * 200 + 3], 0);
  EXPECT_EQ(s.exposureRamp[4 * 384 + 3], 255);
  EXPECT_EQ(s.exposureRamp[4 * 511 + 2], 255);
}

TEST(LoadSingleImage, AutomaticExposureSetsTheLevelAndTheTable) {
  SessionFixture f;
  // Mean of the whole pixel area, padding and the black row included: 80 x 611 x 575 / (612 x 576).
  Block dib = Load(f, "KBE00001", Bytes(611 * 576, 80));
  ASSERT_TRUE(dib);
  const uint32_t mean = 80u * 611 * 575 / (612 * 576);
  EXPECT_EQ(f.session.state.imageAverage, mean);
  EXPECT_EQ(f.session.state.exposureLevel, 127 - mean);
  EXPECT_FALSE(f.session.state.enhancedAvailable);
  EXPECT_EQ((*dib)[kInfoHeaderSize + 0], 127 - mean);
}

TEST(LoadSingleImage, CompressedNameIsRefusedBeforeAnythingIsReleased) {
  SessionFixture f;
  Block previous = NewBlock(16);
  f.session.state.loadedImage = previous;
  f.session.state.identification = IdentifyByName("P1D00123");
  f.session.state.currentFilePath = "p1c00123.ccd";
  EXPECT_FALSE(LoadSingleImage(f.session));
  EXPECT_EQ(f.session.state.loadedImage, previous);
  ASSERT_EQ(f.platform.boxes.size(), 1u);
  EXPECT_EQ(f.platform.boxes[0].caption, "CCD Error");
  EXPECT_EQ(f.platform.boxes[0].text,
            "           This is a UoS Compressed File\n"
            "You must select the associated Thumb(T) File\n"
            "    to launch and decompress the Image File");
}

TEST(LoadSingleImage, MissingFileReleasesThePreviousPictureAndSaysSo) {
  SessionFixture f;
  f.session.state.loadedImage = NewBlock(16);
  f.session.state.identification = IdentifyByName("U5IW0001");
  f.session.state.currentFilePath = "u5iw0001";
  EXPECT_FALSE(LoadSingleImage(f.session));
  EXPECT_FALSE(f.session.state.loadedImage);
  EXPECT_EQ(f.platform.BoxTexts(), std::vector<std::string>{"Can't open file U5IW0001"});
}

TEST(LoadSingleImage, UnrecognisedGeometryIsRefused) {
  SessionFixture f;
  WriteBytes(f.dir / "NOTHING1", Bytes(1000, 9));
  f.session.state.currentFilePath = "NOTHING1";
  ASSERT_TRUE(IdentifyImageFile(f.session));
  EXPECT_FALSE(LoadSingleImage(f.session));
  ASSERT_EQ(f.platform.boxes.size(), 1u);
  EXPECT_EQ(f.platform.boxes[0].text, "Invalid Parameters - Image cannot be processed");
  EXPECT_EQ(f.platform.boxes[0].caption, "CCD Image Error");
}

TEST(LoadSingleImage, ReadOnlyFileLoads) {
  SessionFixture f;
  WriteBytes(f.dir / "KBE00001", Bytes(611 * 576, 90));
  std::filesystem::permissions(f.dir / "KBE00001", std::filesystem::perms::owner_read);
  f.session.state.currentFilePath = "KBE00001";
  ASSERT_TRUE(IdentifyImageFile(f.session));
  EXPECT_TRUE(LoadSingleImage(f.session));
  EXPECT_TRUE(f.platform.boxes.empty());
}

TEST(SpikeFilter, IsolatedValueBecomesTheMeanOfItsNeighbours) {
  Bytes line{100, 100, 200, 100, 100};
  SpikeFilter(line);
  EXPECT_EQ(line, (Bytes{100, 100, 100, 100, 100}));
}

TEST(SpikeFilter, StepsAndSmallWobblesStay) {
  Bytes step{100, 100, 100, 200, 200, 200};
  SpikeFilter(step);
  EXPECT_EQ(step, (Bytes{100, 100, 100, 200, 200, 200}));
  Bytes wobble{100, 104, 100, 96, 100};
  SpikeFilter(wobble);
  EXPECT_EQ(wobble, (Bytes{100, 104, 100, 96, 100}));
}

TEST(SpikeFilter, SteadyRampStays) {
  Bytes ramp{10, 50, 90, 130};
  SpikeFilter(ramp);
  EXPECT_EQ(ramp, (Bytes{10, 50, 90, 130}));
}

TEST(SpikeFilter, LeftNeighbourIsTheFilteredValue) {
  // Position 1 becomes (50 + 60) / 2 = 55; position 2 then sees 55 on its left (with the
  // unfiltered 0 it would become 25) and becomes (55 + 50) / 2 = 52.
  Bytes line{50, 0, 60, 50};
  SpikeFilter(line);
  EXPECT_EQ(line, (Bytes{50, 55, 52, 50}));
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
