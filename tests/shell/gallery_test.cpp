// The gallery's core: what a folder of camera files lists as, in which order, the small
// picture of each made as a worker thread makes it, and opening an entry in the window.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "bitmap/dib.h"
#include "shell/gallery.h"
#include "test_support.h"

namespace kestrel {
namespace {
using namespace kestrel::testing;
namespace fs = std::filesystem;

std::set<std::string> FolderNames(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& file : fs::directory_iterator(folder)) names.insert(file.path().filename());
  return names;
}

// The demo folder, linked into a folder of the test's own: decoding elsewhere leaves transit
// files in the shared one for a moment.
struct SamplesGallery : ::testing::Test, SessionFixture {
  std::map<std::string, GalleryEntry> entries;
  void SetUp() override {
    const char* samples = std::getenv("KESTREL_SAMPLES_DIR");
    ASSERT_TRUE(samples) << "KESTREL_SAMPLES_DIR: run through ctest, which writes the demo folder";
    for (const auto& file : fs::directory_iterator(samples))
      fs::create_hard_link(file.path(), dir / file.path().filename().string());
    // A pair whose files are cut off inside their headers.
    WriteBytes(dir / "KBTW0099", Bytes(40, 7));
    WriteBytes(dir / "KBCW0099", Bytes(10, 7));
    for (GalleryEntry& entry : ListGalleryFolder(dir.path())) entries[entry.name] = std::move(entry);
  }
};

TEST_F(SamplesGallery, ListsSetsAndPairsOnceWithWhatAScreenReaderSays) {
  for (const char* partOfAnother : {"TM200200.IMI", "TM300200.IMI", "TM100200.IMW", "KBCW0014",
                                    "TM100600.IMC", "ELEMENTS.TLE", "WiSP.Kep"})
    EXPECT_FALSE(entries.contains(partOfAnother)) << partOfAnother;
  const std::map<std::string, std::string> spoken{
      {"TM100200.IMI", "TM100200.IMI, TMSAT-1 colour set"},  // planes without headers
      {"KBTW0014.CCD", "KBTW0014.CCD, KITSAT-2 compressed pair, captured "},
      {"KBTW0008", "KBTW0008, KITSAT-2 thumbnail, captured "},
      {"U5IW0021.ACT", "U5IW0021.ACT, UoSat-5 raw download"},
      {"TM400400.IMI", "TM400400.IMI, TMSAT-1 video"},
      {"KBTW0099", "KBTW0099, KITSAT-2 compressed pair"},
      {"KAE00007", "KAE00007, KITSAT-1 headerless image"},  // first bytes of pixels are no time
      {"TM000700.IMT", "TM000700.IMT, TMSAT-1 compressed pair, captured 1999-05-23 06:12:48"},
  };
  for (const auto& [name, start] : spoken) {
    ASSERT_TRUE(entries.contains(name)) << name;
    const std::string said = GalleryItemName(entries[name]);
    EXPECT_TRUE(start.ends_with("captured ") ? said.starts_with(start) : said == start) << said;
  }
  EXPECT_TRUE(entries["TM100200.IMI"].colourSet);
  EXPECT_EQ(GalleryItemName(entries["KBIW0008"]), "KBIW0008, KITSAT-2 wide-angle image, captured 1996-08-19 11:05:42");
}

TEST_F(SamplesGallery, EveryEntryGetsAPictureOrItsReasonAndNothingIsWritten) {
  const std::set<std::string> before = FolderNames(dir.path());
  for (const auto& [name, entry] : entries) {
    const GalleryThumbnail made = MakeGalleryThumbnail(entry, 128);
    if (name == "KBTW0099") {
      EXPECT_FALSE(made.dib);
      EXPECT_NE(made.problem.find("KBTW0099"), std::string::npos) << made.problem;
      continue;
    }
    ASSERT_TRUE(made.dib) << name << ": " << made.problem;
    const BitmapInfoHeader header = *LoadInfoHeader(*made.dib);
    EXPECT_EQ(std::max(header.biWidth, header.biHeight), 128) << name;
  }
  // A pair shows its decoded picture, larger than its thumbnail file's own, decoded in memory:
  // no transit file comes and goes in the archive.
  const GalleryThumbnail pair = MakeGalleryThumbnail(entries["KBTW0014.CCD"], 400);
  ASSERT_TRUE(pair.dib);
  EXPECT_EQ(LoadInfoHeader(*pair.dib)->biWidth, 400);
  EXPECT_EQ(FolderNames(dir.path()), before);
}

TEST_F(SamplesGallery, OpensAnEntryAsItsKindOpens) {
  const struct { const char* name; const char* shown; bool colourSet; } cases[] = {
      {"TM100200.IMI", "TM100200.IMI", true},   // the set, not the plane
      {"KBTW0014.CCD", "KBDW0014.CCD", false},  // the pair decoded
      {"U5IW0021.ACT", "U5IW0021.ACT", false},  // previewed in UoSat's layout
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(OpenGalleryEntry(session, entries[c.name]));
    EXPECT_EQ(session.state.currentFilePath, c.shown);
    EXPECT_EQ(session.state.processing.colourSetShown, c.colourSet);
  }
}

TEST(GalleryOrder, SortsAndFilters) {
  const auto entry = [](const char* name, Satellite satellite, const char* kind, int64_t time) {
    return GalleryEntry{.name = name, .satellite = satellite, .kind = kind, .captureTime = time};
  };
  const std::vector<GalleryEntry> entries{
      entry("u5iw0001", Satellite::UoSat5, "wide-angle image", 300),
      entry("KBIW0008", Satellite::Kitsat2, "wide-angle image", 0),
      entry("KBTW0014.CCD", Satellite::Kitsat2, "compressed pair", 100),
      entry("PICTURE.BMP", Satellite::Unknown, "bitmap", 0),
      entry("TM100200.IMI", Satellite::Tmsat1, "colour set", 200),
  };
  const struct { GalleryOrder order; GalleryFilter filter; std::vector<size_t> shown; } cases[] = {
      {GalleryOrder::Name, {}, {1, 2, 3, 4, 0}},  // names compare as the program spells them
      {GalleryOrder::CaptureTime, {}, {2, 4, 0, 1, 3}},  // no time last, then by name
      {GalleryOrder::Satellite, {}, {3, 0, 2, 1, 4}},
      {GalleryOrder::Name, {.satellite = "KITSAT-2"}, {1, 2}},
      {GalleryOrder::Name, {.kind = "wide-angle image"}, {1, 0}},
      {GalleryOrder::Name, {.satellite = "KITSAT-2", .kind = "colour set"}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ArrangeGallery(entries, c.order, c.filter), c.shown);
}

}  // namespace
}  // namespace kestrel
