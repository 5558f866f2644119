// The settings: loading and saving through the store, the Register Files dialog's checks, and
// where a typed directory lies on this system (Wine's drives included).

#include "shell/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

#include "location/picture_location.h"
#include "location/where_fixture.h"
#include "platform/settings_file.h"
#include "support/test_support.h"

namespace kestrel {
namespace {
namespace fs = std::filesystem;
using testing::WriteBytes;
using Texts = std::vector<std::string>;

// Ground-station files in odd cases beside a pictures folder, in a scratch folder.
struct SettingsFlow : ::testing::Test, testing::SessionFixture {
  fs::path wisp = dir / "wisp", images = dir / "images";
  SettingsFlow() {
    fs::create_directories(images), fs::create_directories(wisp);
    WriteBytes(wisp / "wisp.kep", {1}), WriteBytes(wisp / "WISP.OBS", {2});
    setenv("WINEPREFIX", (dir / "wine").c_str(), 1);  // a Wine without drives
  }
  ~SettingsFlow() override {
    unsetenv("WINEPREFIX");
    home.empty() ? unsetenv("HOME") : setenv("HOME", home.c_str(), 1);
  }
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";

};

TEST_F(SettingsFlow, FirstRunWithoutTheGroundStationProgramEndsWithOkAndIsNotAskedAgain) {
  setenv("HOME", dir.path().c_str(), 1);
  // OK on the form exactly as shown.
  platform.registerFilesEntries = {{"", "", "~", false, false, ""}};
  RunSettingsDialog(session);
  const RegisterFilesForm& shown = platform.registerFilesShown.at(0);
  EXPECT_EQ(std::tuple(shown.elementSetDirectory, shown.placesDirectory, shown.imagesDirectory,
                       shown.twoLineElementFile),
            std::tuple("", "", "~", ""));
  EXPECT_EQ(platform.boxes.at(0).caption, "Kestrel");
  EXPECT_EQ(platform.BoxTexts(),
            (Texts{"REGISTRY INITIALISATION !!!\nPlease enter the drive, path and directory\n"
                   "(if applicable) for the files and locations\nnominated. If the information "
                   "entered is not\ncorrect you will receive an error message.\nCorrect the info "
                   "entered or CANCEL to exit.\n\nMy directories are the defaults, de Quillon\n"}));
  EXPECT_EQ(platform.textSettings.at("Initialised"), "Yes");
  EXPECT_TRUE(LoadSettings(session));  // the next start asks nothing
  const LocationFiles files = LocationFilesFromSettings(session);
  EXPECT_TRUE(files.elementSetFile.empty() && files.placesFile.empty());  // built-in places
}

TEST_F(SettingsFlow, FirstRunShowsTheGroundStationDefaultsAndEachOkChecksWhatIsNamedBeforeSaving) {
  fs::create_directories(dir / "wine" / "drive_c" / "Wisp" / "Images");
  fs::create_directories(dir / "wine" / "dosdevices");
  fs::create_directory_symlink("../drive_c", dir / "wine" / "dosdevices" / "c:");
  platform.registerFilesEntries = {{"c:\\Wisp", "c:\\Wisp", "c:\\Wisp\\Images", false, false, ""}};  // OK, then Cancel
  RunSettingsDialog(session);
  const RegisterFilesForm& shown = platform.registerFilesShown.at(0);
  EXPECT_EQ(std::tuple(shown.elementSetDirectory, shown.placesDirectory, shown.imagesDirectory),
            std::tuple("c:\\Wisp", "c:\\Wisp", "c:\\Wisp\\Images"));
  EXPECT_FALSE(shown.imageSets || shown.sharpen);
  EXPECT_EQ(platform.BoxTexts().at(1), "Cannot locate and open file\nc:\\Wisp/WiSP.Kep");
  EXPECT_TRUE(platform.textSettings.empty() && platform.numberSettings.empty() && !LoadSettings(session));
  EXPECT_EQ(session.currentDirectory, dir.path());

  const std::string w = wisp.string(), i = images.string();
  const fs::path tle = dir / "history.tle", notTle = wisp / "wisp.kep";
  WriteBytes(tle, location_testing::TwoLineText());
  const std::pair<RegisterFilesForm, std::string> refused[] = {
      {{i, w, i, false, false, ""}, "Cannot locate and open file\n" + i + "/WiSP.Kep"},
      {{w, i, i, false, false, ""}, "Cannot locate and open file\n" + i + "/WiSP.Obs"},
      {{w, w, w + "/none", false, false, ""}, "Could not set Directory to\n" + w + "/none"},
      {{"", "", i, false, false, "none.tle"}, "Cannot locate and open file\nnone.tle"},
      {{"", "", i, false, false, notTle.string()}, "There are no two-line element sets in\n" + notTle.string()}};
  Texts expected;
  for (const auto& [entries, message] : refused)
    platform.registerFilesEntries.push_back(entries), expected.push_back(message);
  // Typed as the user likes: relative to the session's folder, with a trailing separator.
  platform.registerFilesEntries.push_back({"", w + "/", i, true, false, "history.tle"});
  platform.textSettings["Initialised"] = "Yes";
  platform.boxes.clear();
  RunSettingsDialog(session);
  EXPECT_EQ(platform.BoxTexts(), expected);
  EXPECT_EQ(platform.textSettings, (decltype(platform.textSettings){{"WiSP.Kep Directory", ""},
            {"WiSP.Obs Directory", w + "/"}, {"Images Directory", i}, {"Initialised", "Yes"},
            {"TLE File", "history.tle"}}));
  EXPECT_EQ(platform.numberSettings,
            (decltype(platform.numberSettings){{"Select Image Sets", 1}, {"Select Sharpen", 0}}));
  EXPECT_TRUE(session.currentDirectory == images && session.state.processing.decompressAsColourSet);
  const LocationFiles files = LocationFilesFromSettings(session);
  EXPECT_EQ(std::pair(files.elementSetFile, files.placesFile), std::pair(tle, wisp / "WISP.OBS"));
}

TEST_F(SettingsFlow, LoadingFindsTheFilesMovesToThePicturesAndTakesOnlyOneAsOn) {
  platform.textSettings = {{"WiSP.Kep Directory", wisp.string()}, {"Images Directory", "images"}};
  platform.numberSettings = {{"Select Image Sets", 2}, {"Select Sharpen", 1}};
  session.state.processing.decompressAsColourSet = true;
  ASSERT_TRUE(LoadSettings(session));
  EXPECT_EQ(session.currentDirectory, dir.path());  // a flow's chosen file stays where it is
  EXPECT_TRUE(!session.state.processing.decompressAsColourSet && session.state.sharpenAfterLoad);
  const LocationFiles files = LocationFilesFromSettings(session);
  // No places directory stored and no WiSP.Obs in the session's folder: the built-in places.
  EXPECT_EQ(std::pair(files.elementSetFile, files.placesFile), std::pair(wisp / "wisp.kep", fs::path()));
  EnterImagesDirectory(session);
  EXPECT_EQ(session.currentDirectory, images);
  platform.numberSettings["Select Sharpen"] = 2;
  EXPECT_TRUE(LoadSettings(session) && !session.state.sharpenAfterLoad);
}

TEST(ResolveSettingDirectory, DriveLettersThroughWineOtherPathsAsTheyAre) {
  testing::ScratchDir dir;
  fs::create_directories(dir / "prefix" / "drive_c" / "WiSP" / "Images");
  const fs::path c = dir / "prefix" / "dosdevices" / "c:";
  fs::create_directories(c.parent_path()), fs::create_directory_symlink("../drive_c", c);
  const HostFolders wine{"/home/op", dir / "prefix"}, noWine{"/home/op", dir / "none"};
  const std::tuple<std::string, HostFolders, std::optional<fs::path>> cases[] = {
      {"c:\\Wisp", wine, c / "WiSP"},         {"C:/wisp\\IMAGES\\", wine, c / "WiSP" / "Images"},
      {"c:\\..\\Wisp\\.", wine, c / "WiSP"},  {"c:", wine, c},
      {"d:\\Wisp", wine, std::nullopt},       {"c:\\Wisp\\Nowhere", wine, std::nullopt},
      {"c:\\Wisp", noWine, std::nullopt},     {"/srv/wisp", noWine, "/srv/wisp"},
      {"~/wisp", noWine, "/home/op/wisp"},    {"wisp\\data", noWine, "/base/wisp\\data"}};
  for (const auto& [typed, folders, expected] : cases)
    EXPECT_EQ(ResolveSettingDirectory(typed, "/base", folders), expected) << typed;
}

TEST(SettingsFile, WritesASectionOfNameValueLinesAndNeverReplacesAFileItCannotRead) {
  testing::ScratchDir dir;
  SettingsFile store(dir / "Kestrel" / "Kestrel.conf");
  EXPECT_EQ(store.ReadText("Initialised"), std::nullopt);
  ASSERT_TRUE(store.WriteText("WiSP.Kep Directory", "c:\\Wisp") && store.WriteNumber("Select Sharpen", 2));
  const Bytes written = testing::ReadBytes(store.path());
  EXPECT_EQ(std::string(written.begin(), written.end()), "[Kestrel]\nSelect Sharpen=2\nWiSP.Kep Directory=c:\\Wisp\n");
  EXPECT_EQ(store.ReadNumber("Select Sharpen"), 2u);
  const Bytes huge((1 << 20) + 1, 'x');
  WriteBytes(store.path(), huge);
  EXPECT_FALSE(store.WriteText("Initialised", "Yes"));
  EXPECT_EQ(testing::ReadBytes(store.path()), huge);
}

}  // namespace
}  // namespace kestrel
