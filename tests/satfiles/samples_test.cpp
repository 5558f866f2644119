// The demo folder: every sample is the kind its name says, loads as a scene, and carries the
// faults (repeated blocks, a seam, misregistered planes) that the program's repairs undo.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <utility>

#include "bitmap/dib.h"
#include "platform/files.h"
#include "satfiles/act_preview.h"
#include "satfiles/identification.h"
#include "satfiles/open_flows.h"
#include "satfiles/repeated_blocks.h"
#include "test_support.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::ScratchDir;

class Samples : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new ScratchDir;
    const auto run = testing::RunProgram(KESTREL_SAMPLES_PATH, {dir_->path().string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
  }
  static void TearDownTestSuite() { delete std::exchange(dir_, nullptr); }
  static fs::path Path(const std::string& name) { return dir_->path() / name; }
  static std::vector<std::string> Names() {
    std::vector<std::string> names;
    // The ground-station files beside the pictures are not camera files.
    for (const auto& entry : fs::directory_iterator(dir_->path()))
      if (!ToUpperAscii(entry.path().filename().string()).starts_with("WISP."))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  static bool IsAct(const std::string& name) { return name.ends_with(".ACT"); }
  static ScratchDir* dir_;
};
ScratchDir* Samples::dir_ = nullptr;

struct Lifetime {
  const char* prefix;
  int fromYear, toYear;
};
// Launch year to the last year each camera is known to have worked.
constexpr Lifetime kLifetimes[] = {{"U5", 1991, 2005}, {"IM", 1991, 2005}, {"KA", 1992, 1997},
                                   {"KB", 1993, 1999}, {"P1", 1993, 2006}};

int YearOf(uint32_t seconds) {
  const time_t t = seconds;
  std::tm utc{};
  gmtime_r(&t, &utc);
  return utc.tm_year + 1900;
}

TEST_F(Samples, EveryKindIsThere) {
  const std::vector<std::string> names = Names();
  for (const char* prefix : {"U5IW", "IM0", "U5DW", "U5TW", "IMD", "IMT", "U5E", "KAIW", "KAIN",
                             "KADW", "KATW", "KAE", "KBIW", "KBIN", "KBDW", "KBTW", "KBDN", "KBTN",
                             "KBE", "P1D", "P1TW", "TM0", "TM1", "TM2", "TM3", "TM4", "TM5",
                             "SPECIAL", "TOPAZ", "THUMB"}) {
    EXPECT_TRUE(std::any_of(names.begin(), names.end(),
                            [&](const std::string& n) { return n.starts_with(prefix) && !IsAct(n); }))
        << prefix;
  }
  EXPECT_EQ(std::count_if(names.begin(), names.end(), IsAct), 5);
}

// Grey levels of the picture on show, as displayed through its colour table.
double Spread(const Bytes& dib) {
  const BitmapInfoHeader h = *LoadInfoHeader(dib);
  const size_t count = size_t(h.biWidth) * size_t(h.biHeight);
  const uint8_t* pixels = dib.data() + PixelOffset(h);
  double sum = 0, squares = 0;
  for (size_t i = 0; i < count; ++i) {
    sum += pixels[i];
    squares += double(pixels[i]) * pixels[i];
  }
  const double mean = sum / double(count);
  return std::sqrt(squares / double(count) - mean * mean);
}

TEST_F(Samples, EverySinglePictureHasItsSizeAndCaptureTimeAndOpensAsAVariedScene) {
  for (const std::string& name : Names()) {
    if (name.starts_with("TM4") || name.starts_with("TM5")) continue;
    SCOPED_TRACE(name);
    ScriptedPlatform platform;
    Session session(platform, dir_->path());
    session.state.currentFilePath = name;
    if (IsAct(name)) {
      const std::map<std::string, ActPreset> presets{
          {"U5IW0021.ACT", ActPreset::Uosat}, {"KAIW0022.ACT", ActPreset::Kitsat},
          {"KBIW0023.ACT", ActPreset::KitsatWide}, {"TM100024.ACT", ActPreset::Tmsat},
          {"TM000025.ACT", ActPreset::TmsatWideAngle}};
      ASSERT_TRUE(presets.contains(name));
      ASSERT_TRUE(PreviewActDownload(session, presets.at(name)));
      EXPECT_TRUE(platform.boxes.empty());
      EXPECT_GT(Spread(*session.state.current.currentDib), 20.0) << "a flat picture";
      continue;
    }
    const Bytes header = *ReadFilePrefix(Path(name), 256);
    const IdentificationRecord record = IdentifyByName(name);
    ASSERT_NE(record.fileWidth, 0);
    if (const auto probed = ProbeHeaderSize(header)) {
      // Only decoded files and thumbnails keep their size, and it agrees with the name.
      EXPECT_EQ(probed->width, record.fileWidth);
      EXPECT_EQ(probed->height, record.fileHeight);
      EXPECT_EQ(record.headerLength, 256);
      EXPECT_TRUE(name[2] == 'D' || name[2] == 'T') << "raw file with a size";
    }
    if (name == "U5IW0001") {
      // The raw download cleans into a camera file of the right size.
      const Bytes raw = ReadBytes(Path(name));
      const Bytes cleaned = DropRepeatedBlocks(raw);
      EXPECT_LT(cleaned.size(), raw.size());
      EXPECT_EQ(cleaned.size(), record.ExpectedFileSize());
    } else {
      EXPECT_EQ(*RegularFileSize(Path(name)), record.ExpectedFileSize());
    }
    if (record.headerLength == 256) {
      const int year = YearOf(LoadU32(header.data() + 4));
      const auto life = std::find_if(std::begin(kLifetimes), std::end(kLifetimes),
                                     [&](const Lifetime& l) { return name.starts_with(l.prefix); });
      ASSERT_NE(life, std::end(kLifetimes));
      EXPECT_GE(year, life->fromYear);
      EXPECT_LE(year, life->toYear);
      EXPECT_FALSE(header[11] == 'C' || header[12] == 'j') << "a report stamp already";
    }
    ASSERT_EQ(OpenSingleSatelliteFile(session), OpenResult::Shown);
    // Only the uncleaned download has the wrong size.
    EXPECT_EQ(platform.boxes.size(), name == "U5IW0001" ? 1u : 0u);
    EXPECT_GT(Spread(*session.state.current.currentDib), 20.0) << "a flat picture";
  }
}

// Mean of picture rows [from, to) of a raw field file of 611 x 576 behind a 256-byte header.
double RawRowsMean(const Bytes& file, size_t from, size_t to) {
  double sum = 0;
  for (size_t r = from; r < to; ++r) {
    // Odd rows are first-field row (r - 1) / 2, even rows second-field row 288 + r / 2.
    const size_t fileRow = r % 2 ? (r - 1) / 2 : 288 + r / 2;
    const size_t offset = 256 + (r % 2 ? fileRow * 611 : 355 + (fileRow - 1) * 611);
    for (size_t x = 40; x < 560; ++x) sum += file[offset + x];
  }
  return sum / double((to - from) * 520);
}

double DibRowsMean(const Bytes& dib, size_t from, size_t to) {
  const uint8_t* pixels = dib.data() + 40 + 1024;
  double sum = 0;
  for (size_t r = from; r < to; ++r)
    for (size_t x = 10; x < 530; ++x) sum += pixels[(575 - r) * 612 + x];
  return sum / double((to - from) * 520);
}

TEST_F(Samples, KitsatSeamIsSmallerAfterLoading) {
  const Bytes file = ReadBytes(Path("KAIW0002"));
  // The seam lies between picture rows 99 and 100; the repair smooths rows 96..104.
  const double rawStep = RawRowsMean(file, 90, 96) - RawRowsMean(file, 105, 111);
  ScriptedPlatform platform;
  Session session(platform, dir_->path());
  session.state.currentFilePath = "KAIW0002";
  ASSERT_EQ(OpenSingleSatelliteFile(session), OpenResult::Shown);
  const Bytes& dib = *session.state.loadedImage;
  const double loadedStep = DibRowsMean(dib, 90, 96) - DibRowsMean(dib, 105, 111);
  EXPECT_GT(rawStep, 12.0);
  EXPECT_LT(std::abs(loadedStep), rawStep - 8.0) << rawStep << " " << loadedStep;
}

// The planes as the set reader registers them: plane 1 placed 3 bytes in, plane 3 moved back
// 14242 bytes, plane 2 turned by a half turn afterwards.
std::vector<Bytes> RegisteredPlanes(const fs::path& dir, const std::string& digits) {
  const size_t size = 1020 * 1020;
  Bytes one(size, 0), three(size, 0);
  const Bytes file1 = ReadBytes(dir / ("TM1" + digits + ".IMI"));
  std::copy(file1.begin(), file1.end() - 3, one.begin() + 3);
  Bytes two = ReadBytes(dir / ("TM2" + digits + ".IMI"));
  std::reverse(two.begin(), two.end());
  const Bytes file3 = ReadBytes(dir / ("TM3" + digits + ".IMI"));
  std::copy(file3.begin() + 14242, file3.end(), three.begin());
  return {one, two, three};
}

// How well the edges (coasts, cloud rims) of two planes coincide when plane b is offset by
// (dx, dy) pixels: the normalised correlation of their gradient magnitudes.
double EdgeCorrelation(const Bytes& a, const Bytes& b, int dx, int dy) {
  const auto gradient = [](const Bytes& p, size_t i) {
    return std::abs(int(p[i + 1]) - int(p[i])) + std::abs(int(p[i + 1020]) - int(p[i]));
  };
  double ab = 0, aa = 0, bb = 0;
  for (size_t r = 40; r < 980; r += 2) {
    for (size_t x = 60; x < 960; x += 2) {
      const double ga = gradient(a, r * 1020 + x);
      const double gb = gradient(b, size_t(int(r) + dy) * 1020 + size_t(int(x) + dx));
      ab += ga * gb;
      aa += ga * ga;
      bb += gb * gb;
    }
  }
  return ab / std::sqrt(aa * bb);
}

TEST_F(Samples, ColourSetPlanesLineUpAfterTheReadersRegistration) {
  const std::vector<Bytes> planes = RegisteredPlanes(dir_->path(), "00200");
  for (const size_t other : {size_t{0}, size_t{2}}) {
    SCOPED_TRACE(other);
    const double aligned = EdgeCorrelation(planes[1], planes[other], 0, 0);
    EXPECT_GT(aligned, 0.5);
    for (const auto& [dx, dy] : {std::pair{3, 0}, {-3, 0}, {0, 3}, {0, -3}})
      EXPECT_GT(aligned, EdgeCorrelation(planes[1], planes[other], dx, dy) + 0.05) << dx << "," << dy;
  }
}

TEST_F(Samples, VideoFilesHoldTheirFrames) {
  const Bytes tm4 = ReadBytes(Path("TM400400.IMI"));
  const size_t frame4 = 382 * 287;
  EXPECT_EQ(tm4.size() / (384 * 288 + 29000), 8u);
  // Each frame is a run of non-zero bytes after a run of zeros.
  size_t position = 0, frames = 0;
  while (position < tm4.size()) {
    while (position < tm4.size() && tm4[position] == 0) ++position;
    const size_t start = position;
    while (position < tm4.size() && tm4[position] != 0) ++position;
    if (position > start) {
      EXPECT_EQ(position - start, frame4);
      ++frames;
    }
  }
  EXPECT_EQ(frames, 8u);
  const Bytes tm5 = ReadBytes(Path("TM500500.IMI"));
  EXPECT_EQ(tm5.size() / (144 * 144), 10u);
  EXPECT_EQ(std::count(tm5.begin(), tm5.begin() + 10 * 141 * 141, 0), 0);
}

TEST_F(Samples, TheFolderIsTheSameEveryTime) {
  ScratchDir again;
  ASSERT_EQ(testing::RunProgram(KESTREL_SAMPLES_PATH, {again.path().string()}).exitCode, 0);
  for (const std::string& name : Names()) EXPECT_EQ(ReadBytes(again / name), ReadBytes(Path(name))) << name;
}

}  // namespace
}  // namespace kestrel
