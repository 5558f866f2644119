// The demo folder: every sample loads as a varied scene, and the samples carry the
// faults (repeated blocks, a seam) that the program's repairs undo.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "bitmap/dib.h"
#include "codec/decompression.h"
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

TEST_F(Samples, EveryOneOpensAsAVariedSceneAndOnlyTheRawDownloadNeedsCleaning) {
  // The raw downloads and the presets they are previewed with.
  const std::map<std::string, ActPreset> downloads{
      {"U5IW0021.ACT", ActPreset::Uosat}, {"KAIW0022.ACT", ActPreset::Kitsat}, {"KBIW0023.ACT", ActPreset::KitsatWide},
      {"TM100024.ACT", ActPreset::Tmsat}, {"TM000025.ACT", ActPreset::TmsatWideAngle}};
  std::set<std::string> names;  // listed first: decoding a pair makes and deletes a transit file
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
  for (const std::string& name : names) {
    const bool elementsOrPlaces = name.starts_with("WiSP.") || name == "ELEMENTS.TLE";
    if (elementsOrPlaces || name.starts_with("TM4") || name.starts_with("TM5")) continue;
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
    if (MeaningOfName(name).kind == FileKind::CompressedImage) {  // opened through its thumbnail
      EXPECT_EQ(OpenSingleSatelliteFile(*session), name.ends_with(".IMC") ? OpenResult::CompressedImage : OpenResult::Failed);
      continue;
    }
    const Bytes file = ReadBytes(fs::path(dir) / name);
    ASSERT_TRUE(IdentifyImageFile(*session));
    // Only the raw download U5IW0001 needs cleaning, and it cleans into the right size.
    const Bytes cleaned = DropRepeatedBlocks(file);
    EXPECT_EQ(cleaned.size(), session->state.identification.ExpectedFileSize());
    EXPECT_EQ(cleaned.size() < file.size(), name == "U5IW0001");
    const bool pairThumbnail = name.ends_with(".CCD") || name == "TM000700.IMT" || name == "TM100600.IMT";
    ASSERT_TRUE(pairThumbnail ? DecompressSingleImage(*session, {.showInformation = false})
                              : OpenSingleSatelliteFile(*session) == OpenResult::Shown);
    EXPECT_EQ(platform.boxes.size(), name == "U5IW0001" ? 1u : 0u);  // the uncleaned size
    EXPECT_EQ(session->state.exposureLevel, 255 - session->state.imageAverage);  // enhanced
    EXPECT_GT(Spread(*session->state.current.currentDib), 20.0) << "a flat picture";
  }
}

}  // namespace
}  // namespace kestrel
