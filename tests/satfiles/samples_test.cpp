// The demo folder: every sample is the kind its name says, loads as a scene, and carries the
// faults (repeated blocks, a seam, misregistered planes) that the program's repairs undo.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

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

// The folder the samples fixture of ctest writes once for every test that reads it.
struct Samples : ::testing::Test {
  const char* dir = std::getenv("KESTREL_SAMPLES_DIR");
  ScriptedPlatform platform;
  std::unique_ptr<Session> session;

  void SetUp() override {
    ASSERT_TRUE(dir) << "KESTREL_SAMPLES_DIR: run through ctest, which writes the demo folder";
    session = std::make_unique<Session>(platform, dir);
  }
  Bytes Read(const std::string& name) const { return ReadBytes(fs::path(dir) / name); }
};

// Spread of the grey levels of a picture on show.
double Spread(const Bytes& dib) {
  const BitmapInfoHeader h = *LoadInfoHeader(dib);
  const size_t count = size_t(h.biWidth) * size_t(h.biHeight);
  double sum = 0, squares = 0;
  for (size_t i = PixelOffset(h); i < PixelOffset(h) + count; ++i) {
    sum += dib[i];
    squares += double(dib[i]) * dib[i];
  }
  return std::sqrt(squares / double(count) - sum * sum / double(count) / double(count));
}

TEST_F(Samples, EveryKindIsThereWithItsSizeAndCaptureYearAndOpensAsAVariedScene) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    if (!entry.path().filename().string().starts_with("WiSP.")) names.push_back(entry.path().filename());
  for (const char* kind : {"U5IW", "IM0", "U5DW", "U5TW", "IMD", "IMT", "U5E", "KAIW", "KAIN", "KADW",
                           "KATW", "KAE", "KBIW", "KBIN", "KBDW", "KBTW", "KBDN", "KBTN", "KBE", "P1D",
                           "P1TW", "TM0", "TM1", "TM2", "TM3", "TM4", "TM5", "SPECIAL", "TOPAZ", "THUMB"})
    EXPECT_TRUE(std::ranges::any_of(names, [&](const std::string& n) { return n.starts_with(kind); })) << kind;
  // The raw downloads and the presets they are previewed with.
  const std::map<std::string, ActPreset> downloads{
      {"U5IW0021.ACT", ActPreset::Uosat}, {"KAIW0022.ACT", ActPreset::Kitsat},
      {"KBIW0023.ACT", ActPreset::KitsatWide}, {"TM100024.ACT", ActPreset::Tmsat},
      {"TM000025.ACT", ActPreset::TmsatWideAngle}};
  // Launch year and the last year each camera is known to have worked.
  const std::map<std::string, std::pair<int, int>> lifetimes{
      {"U5", {1991, 2005}}, {"IM", {1991, 2005}}, {"KA", {1992, 1997}}, {"KB", {1993, 1999}}, {"P1", {1993, 2006}}};
  for (const std::string& name : names) {
    if (name.starts_with("TM4") || name.starts_with("TM5")) continue;
    SCOPED_TRACE(name);
    platform.boxes.clear();
    session->state.currentFilePath = name;
    if (name.ends_with(".ACT")) {
      ASSERT_TRUE(downloads.contains(name));
      ASSERT_TRUE(PreviewActDownload(*session, downloads.at(name)));
      EXPECT_TRUE(platform.boxes.empty());
      EXPECT_GT(Spread(*session->state.current.currentDib), 20.0) << "a flat picture";
      continue;
    }
    const Bytes file = Read(name);
    const IdentificationRecord record = IdentifyByName(name);
    ASSERT_NE(record.fileWidth, 0);
    if (const auto probed = ProbeHeaderSize(file)) {
      // Only decoded files and thumbnails keep their size, and it agrees with the name.
      EXPECT_EQ(std::pair(probed->width, probed->height), std::pair(record.fileWidth, record.fileHeight));
      EXPECT_TRUE(record.headerLength == 256 && (name[2] == 'D' || name[2] == 'T'));
    }
    // Only the raw download U5IW0001 needs cleaning, and it cleans into the right size.
    const Bytes cleaned = DropRepeatedBlocks(file);
    EXPECT_EQ(cleaned.size(), record.ExpectedFileSize());
    EXPECT_EQ(cleaned.size() < file.size(), name == "U5IW0001");
    if (record.headerLength == 256) {
      const time_t seconds = LoadU32(file.data() + 4);
      std::tm utc{};
      gmtime_r(&seconds, &utc);
      const auto [from, to] = lifetimes.at(name.substr(0, 2));
      EXPECT_GE(utc.tm_year + 1900, from);
      EXPECT_LE(utc.tm_year + 1900, to);
      EXPECT_FALSE(file[11] == 'C' || file[12] == 'j') << "a report stamp already";
    }
    ASSERT_EQ(OpenSingleSatelliteFile(*session), OpenResult::Shown);
    EXPECT_EQ(platform.boxes.size(), name == "U5IW0001" ? 1u : 0u);  // the uncleaned size
    EXPECT_GT(Spread(*session->state.current.currentDib), 20.0) << "a flat picture";
  }
}

TEST_F(Samples, KitsatSeamIsSmallerAfterLoading) {
  // Mean of picture rows [from, to): in the interlaced file (odd rows first, the second field
  // behind a 355-byte gap) or in the loaded bottom-up picture, trimmed 30 pixels left.
  const auto fileMean = [](const Bytes& file, size_t from, size_t to) {
    double sum = 0;
    for (size_t r = from; r < to; ++r)
      for (size_t x = 40; x < 560; ++x)
        sum += file[256 + (r % 2 ? (r - 1) / 2 * 611 : 355 + (287 + r / 2) * 611) + x];
    return sum / double((to - from) * 520);
  };
  const auto pictureMean = [](const Bytes& dib, size_t from, size_t to) {
    double sum = 0;
    for (size_t r = from; r < to; ++r)
      for (size_t x = 10; x < 530; ++x) sum += dib[40 + 1024 + (575 - r) * 612 + x];
    return sum / double((to - from) * 520);
  };
  // The seam lies between picture rows 99 and 100; the repair smooths rows 96..104.
  const Bytes file = Read("KAIW0002");
  const double rawStep = fileMean(file, 90, 96) - fileMean(file, 105, 111);
  session->state.currentFilePath = "KAIW0002";
  ASSERT_EQ(OpenSingleSatelliteFile(*session), OpenResult::Shown);
  const Bytes& dib = *session->state.loadedImage;
  const double loadedStep = pictureMean(dib, 90, 96) - pictureMean(dib, 105, 111);
  EXPECT_GT(rawStep, 12.0);
  EXPECT_LT(std::abs(loadedStep), rawStep - 8.0) << rawStep << " " << loadedStep;
}

TEST_F(Samples, ColourSetPlanesLineUpAfterTheReadersRegistration) {
  // As the set reader registers them: plane 1 placed 3 bytes in, plane 3 moved back 14242
  // bytes, plane 2 turned by a half turn.
  const Bytes file1 = Read("TM100200.IMI"), file3 = Read("TM300200.IMI");
  Bytes one(1020 * 1020, 0), two = Read("TM200200.IMI"), three(1020 * 1020, 0);
  std::copy(file1.begin(), file1.end() - 3, one.begin() + 3);
  std::reverse(two.begin(), two.end());
  std::copy(file3.begin() + 14242, file3.end(), three.begin());
  // How well the edges (coasts, cloud rims) of two planes coincide with plane b offset by
  // (dx, dy): the normalised correlation of their gradient magnitudes.
  const auto edgeCorrelation = [](const Bytes& a, const Bytes& b, int dx, int dy) {
    const auto gradient = [](const Bytes& p, size_t i) {
      return std::abs(p[i + 1] - p[i]) + std::abs(p[i + 1020] - p[i]);
    };
    double ab = 0, aa = 0, bb = 0;
    for (int r = 40; r < 980; r += 2) {
      for (int x = 60; x < 960; x += 2) {
        const double ga = gradient(a, size_t(r * 1020 + x));
        const double gb = gradient(b, size_t((r + dy) * 1020 + x + dx));
        ab += ga * gb, aa += ga * ga, bb += gb * gb;
      }
    }
    return ab / std::sqrt(aa * bb);
  };
  for (const Bytes* other : {&one, &three}) {
    const double aligned = edgeCorrelation(two, *other, 0, 0);
    EXPECT_GT(aligned, 0.5);
    for (const auto& [dx, dy] : {std::pair{3, 0}, {-3, 0}, {0, 3}, {0, -3}})
      EXPECT_GT(aligned, edgeCorrelation(two, *other, dx, dy) + 0.05) << dx << "," << dy;
  }
}

TEST_F(Samples, VideoFilesHoldTheirFrames) {
  // TM4: eight frames of 382 x 287 non-zero bytes, each after a run of zeros.
  const Bytes tm4 = Read("TM400400.IMI");
  EXPECT_EQ(tm4.size() / (384 * 288 + 29000), 8u);
  std::vector<size_t> frames;
  for (auto at = tm4.begin(); (at = std::find_if(at, tm4.end(), [](uint8_t b) { return b; })) != tm4.end();) {
    const auto end = std::find(at, tm4.end(), 0);
    frames.push_back(size_t(end - at));
    at = end;
  }
  EXPECT_EQ(frames, std::vector<size_t>(8, 382 * 287));
  // TM5: ten frames of 141 x 141 non-zero bytes.
  const Bytes tm5 = Read("TM500500.IMI");
  EXPECT_EQ(tm5.size() / (144 * 144), 10u);
  EXPECT_EQ(std::count(tm5.begin(), tm5.begin() + 10 * 141 * 141, 0), 0);
}

}  // namespace
}  // namespace kestrel
