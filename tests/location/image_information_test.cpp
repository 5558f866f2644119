#include "location/image_information.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "location/element_set.h"
#include "location/orbit.h"
#include "location/places.h"
#include "location/report.h"
#include "support/test_support.h"
#include "where_fixture.h"

namespace kestrel {
namespace {
namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::WriteBytes;
using namespace location_testing;

struct WhereFixture : ::testing::Test, testing::SessionFixture {
  fs::path kep = dir / "WiSP.Kep";
  fs::path obs = dir / "WiSP.Obs";
  InformationRequest request{{kep, obs}, true};

  WhereFixture() {
    WriteElementSets({{"AO-10", UoSat5Elements()},
                      {"UO-22", UoSat5Elements()},
                      {"KO-23", UoSat5Elements()},
                      {"TO-31", UoSat5Elements()}});
    WritePlaces(kPlaces);
  }

  void WriteElementSets(std::initializer_list<std::pair<std::string_view, ElementSet>> sets) {
    WriteBytes(kep, ElementSetFile(sets));
  }
  void WritePlaces(std::span<const NamedPlace> places) { WriteBytes(obs, PlacesFile(places)); }

  // What a loader leaves: the file's header in the header buffer.
  void Load(const std::string& name, const Bytes& file) {
    WriteBytes(dir / name, file);
    session.state.fileHeaderBuffer.fill(0);
    std::copy_n(file.begin(), std::min<size_t>(file.size(), 256),
                session.state.fileHeaderBuffer.begin());
    session.state.currentFilePath = name;
  }

  InformationOutcome Report(const std::string& name) {
    return ReportImageInformation(session, name, request);
  }
};

TEST_F(WhereFixture, ReportsWhereAPictureWasTakenAndStampsItsFile) {
  const Bytes original = CameraFile(kCaptureTime);
  Load("U5IW0001", original);
  const InformationOutcome outcome = Report("U5IW0001");
  EXPECT_EQ(outcome.result, 1);
  ASSERT_EQ(platform.boxes.size(), 1u);
  const RecordedBox& box = platform.boxes[0];
  EXPECT_EQ(box.caption, "CCD Image Information");
  EXPECT_EQ(box.buttons, BoxButtons::OkCancel);
  EXPECT_EQ(box.text, kReportAtEpoch);
  EXPECT_EQ(outcome.shownReport, box.text);

  const Bytes stamped = ReadBytes(dir / "U5IW0001");
  ASSERT_EQ(stamped.size(), original.size());
  EXPECT_EQ(stamped[10], box.text.size());
  EXPECT_EQ(stamped[11], 'C');
  EXPECT_EQ(stamped[12], 'j');
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&stamped[13])), box.text);
  EXPECT_EQ(stamped[240], 0);
  const size_t textEnd = 13 + box.text.size() + 1;
  for (size_t i = 0; i < stamped.size(); ++i) {
    if ((i >= 10 && i < textEnd) || i == 240) continue;
    ASSERT_EQ(stamped[i], original[i]) << "byte " << i;
  }
  EXPECT_TRUE(std::equal(stamped.begin(), stamped.begin() + 256,
                         session.state.fileHeaderBuffer.begin()));
}


TEST_F(WhereFixture, ShowsTheStoredReportAgainAfterTheElementSetsChanged) {
  Load("U5IW0001", CameraFile(kCaptureTime));
  ASSERT_EQ(Report("U5IW0001").result, 1);
  const Bytes stamped = ReadBytes(dir / "U5IW0001");

  ElementSet newer = UoSat5Elements();
  newer.raan += 40;
  WriteElementSets({{"UO-22", newer}});
  Load("U5IW0001", stamped);
  ASSERT_EQ(Report("U5IW0001").result, 1);
  EXPECT_EQ(platform.BoxTexts(), (std::vector<std::string>{kReportAtEpoch, kReportAtEpoch}));
  EXPECT_EQ(ReadBytes(dir / "U5IW0001"), stamped);
}

TEST_F(WhereFixture, AddsTheWarningOfTheStoredStatus) {
  Bytes file = CameraFile(kCaptureTime);
  FileHeader header{};
  std::copy_n(file.begin(), 256, header.begin());
  StampImageHeader(header, "stored text", ReportStatus::Withheld);
  std::copy(header.begin(), header.end(), file.begin());
  Load("KAIW0001", file);
  ASSERT_EQ(Report("KAIW0001").result, 1);
  EXPECT_EQ(platform.BoxTexts(),
            (std::vector<std::string>{"stored text" + std::string(kWarning12Months)}));
  EXPECT_EQ(ReadBytes(dir / "KAIW0001"), file);
}

TEST_F(WhereFixture, WarnsAndLeavesOutThePlaceWhenTheElementSetIsOver90DaysNewer) {
  ElementSet later = UoSat5Elements();
  later.epochDay += 91;
  WriteElementSets({{"UO-22", later}});
  Load("U5IW0002", CameraFile(kCaptureTime));
  ASSERT_EQ(Report("U5IW0002").result, 1);
  const std::string shown = platform.boxes.at(0).text;
  ASSERT_TRUE(shown.ends_with(kWarning90Days)) << shown;
  const std::string stored = shown.substr(0, shown.size() - kWarning90Days.size());
  EXPECT_TRUE(stored.starts_with(kTitle));
  EXPECT_NE(stored.find("Degrees"), std::string::npos);
  EXPECT_EQ(stored.find("kilometres"), std::string::npos);
  const Bytes file = ReadBytes(dir / "U5IW0002");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[13])), stored);
  EXPECT_EQ(file[240], 1);
}

TEST_F(WhereFixture, WithholdsThePositionWhenTheElementSetIsAYearNewer) {
  ElementSet later = UoSat5Elements();
  later.epochDay += 365;
  WriteElementSets({{"UO-22", later}});
  Load("U5IW0003", CameraFile(kCaptureTime));
  ASSERT_EQ(Report("U5IW0003").result, 1);
  EXPECT_EQ(platform.BoxTexts(),
            (std::vector<std::string>{kTitle + std::string(kWarning12Months)}));
  const Bytes file = ReadBytes(dir / "U5IW0003");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[13])), kTitle);
  EXPECT_EQ(file[240], 2);
}

TEST_F(WhereFixture, ReportsAPictureTakenAfterTheEpoch) {
  Load("U5IW0004", CameraFile(kCaptureTime + 30 * kSecondsPerDay));
  ASSERT_EQ(Report("U5IW0004").result, 1);
  const std::string shown = platform.boxes.at(0).text;
  EXPECT_TRUE(shown.starts_with(std::string(23, ' ') + "UO-22 Image\nRecorded on Wed Oct 07"));
  EXPECT_NE(shown.find("kilometres\n        from "), std::string::npos);
  EXPECT_EQ(shown.find("WARNING"), std::string::npos);
}

TEST_F(WhereFixture, ReportsNothingWithoutACaptureTime) {
  const Bytes file = CameraFile(0);
  Load("U5IW0005", file);
  EXPECT_EQ(Report("U5IW0005").result, 1);
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_EQ(ReadBytes(dir / "U5IW0005"), file);
}

TEST_F(WhereFixture, ShowsButDoesNotStoreWhenAskedNotTo) {
  const Bytes file = CameraFile(kCaptureTime);
  Load("U5IW0006", file);
  request.writeStamp = false;
  EXPECT_EQ(Report("U5IW0006").result, 1);
  EXPECT_EQ(platform.BoxTexts(), (std::vector<std::string>{kReportAtEpoch}));
  EXPECT_EQ(ReadBytes(dir / "U5IW0006"), file);
}

TEST_F(WhereFixture, NeverLengthensAFileShorterThanAHeader) {
  const Bytes file = CameraFile(kCaptureTime, 4, 100);
  Load("U5IW0007", file);
  EXPECT_EQ(Report("U5IW0007").result, 1);
  EXPECT_EQ(platform.BoxTexts(), (std::vector<std::string>{kReportAtEpoch}));
  EXPECT_EQ(ReadBytes(dir / "U5IW0007"), file);
}

TEST_F(WhereFixture, ShortensALongReportAndWritesNothingPastTheStatusByte) {
  // A long place name at the picture's point.
  const auto location = LocateAtTime(UoSat5Elements(), 98, 8, 7, 10, 20, 30);
  ASSERT_TRUE(location);
  const NamedPlace place{"Llanfairpwllgwyngyllgogery", location->latitude + 3,
                         SignedLongitude(location->longitude) - 4};
  WritePlaces({&place, 1});
  const Bytes original = CameraFile(kCaptureTime);
  Load("U5IW0008", original);
  ASSERT_EQ(Report("U5IW0008").result, 1);
  const std::string shown = platform.boxes.at(0).text;
  ASSERT_GT(shown.size(), 226u);
  // Place names hold 25 characters.
  EXPECT_TRUE(shown.ends_with("from Llanfairpwllgwyngyllgoger")) << shown;

  const Bytes file = ReadBytes(dir / "U5IW0008");
  const std::string stored(reinterpret_cast<const char*>(&file[13]));
  EXPECT_EQ(stored, shown.substr(0, shown.rfind('\n')));
  EXPECT_EQ(file[10], stored.size());
  EXPECT_EQ(file[240], 0);
  EXPECT_TRUE(std::equal(file.begin() + 241, file.end(), original.begin() + 241));
  for (size_t i = 13 + stored.size() + 1; i < 240; ++i) ASSERT_EQ(file[i], original[i]) << i;
}

TEST_F(WhereFixture, GivesNoBearingForAPictureRightOverAPlace) {
  const auto location = LocateAtTime(UoSat5Elements(), 98, 8, 7, 10, 20, 30);
  ASSERT_TRUE(location);
  const NamedPlace place{"Overhead", location->latitude, SignedLongitude(location->longitude)};
  WritePlaces({&place, 1});
  Load("U5IW0009", CameraFile(kCaptureTime));
  ASSERT_EQ(Report("U5IW0009").result, 1);
  EXPECT_EQ(platform.BoxTexts(), (std::vector<std::string>{
                                     kTitle + kPositionAtEpoch +
                                     "  0 kilometres\n        from Overhead"}));
}

TEST_F(WhereFixture, KeepsATmsatReportInTheSetsInformationFile) {
  Bytes picture = CameraFile(kCaptureTime, 16);
  Load("TM3D0042.IMC", picture);
  const FileHeader loaded = session.state.fileHeaderBuffer;
  ASSERT_EQ(Report("TM3D0042.IMC").result, 1);

  EXPECT_EQ(session.state.tmHeaderCopy, loaded);
  const std::string tmsatTitle = std::string(23, ' ') +
                                 "TO-31 Image\nRecorded on Mon Sep 07 10:20:30 1998\n";
  const std::string report = tmsatTitle + kReportAtEpoch.substr(kTitle.size());
  EXPECT_EQ(platform.BoxTexts(), (std::vector<std::string>{report}));
  EXPECT_EQ(ReadBytes(dir / "TM3D0042.IMC"), picture);

  // A new information file: the loaded header with the stamp over it.
  const Bytes information = ReadBytes(dir / "TM0D0042.IMW");
  ASSERT_EQ(information.size(), 256u);
  FileHeader expected = loaded;
  StampInformationHeader(expected, report);
  EXPECT_TRUE(std::equal(information.begin(), information.end(), expected.begin()));

  // Any picture of the set then shows the stored report, whatever the element sets say.
  ElementSet newer = UoSat5Elements();
  newer.raan += 40;
  WriteElementSets({{"TO-31", newer}});
  Load("TM1D0042.IMC", picture);
  ASSERT_EQ(Report("TM1D0042.IMC").result, 1);
  EXPECT_EQ(platform.boxes.back().text, report);
}

TEST_F(WhereFixture, StoresATmsatWarningInsideTheReport) {
  ElementSet later = UoSat5Elements();
  later.epochDay += 100;
  WriteElementSets({{"TO-31", later}});
  Load("TM1D0042.IMC", CameraFile(kCaptureTime, 16));
  ASSERT_EQ(Report("TM1D0042.IMC").result, 1);
  const std::string shown = platform.boxes.at(0).text;
  EXPECT_TRUE(shown.ends_with(kWarning90Days));
  const Bytes information = ReadBytes(dir / "TM0D0042.IMW");
  FileHeader header{};
  std::copy_n(information.begin(), 256, header.begin());
  // Too long to keep whole: its last line goes.
  EXPECT_EQ(StoredInformationReport(header), shown.substr(0, shown.rfind('\n')));
}

TEST_F(WhereFixture, StampsAnExistingInformationFileInPlace) {
  Bytes existing(600);
  for (size_t i = 0; i < existing.size(); ++i) existing[i] = static_cast<uint8_t>(i * 13);
  WriteBytes(dir / "TM0D0042.IMW", existing);
  Load("TM2D0042.IMC", CameraFile(kCaptureTime, 16));
  ASSERT_EQ(Report("TM2D0042.IMC").result, 1);
  const Bytes information = ReadBytes(dir / "TM0D0042.IMW");
  ASSERT_EQ(information.size(), existing.size());
  FileHeader expected{};
  std::copy_n(existing.begin(), 256, expected.begin());
  StampInformationHeader(expected, platform.boxes.at(0).text);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), information.begin()));
  EXPECT_TRUE(std::equal(information.begin() + 256, information.end(), existing.begin() + 256));
}

TEST_F(WhereFixture, ShowsAnInformationFileOpenedByItselfAndClosesOnOk) {
  FileHeader header{};
  StampInformationHeader(header, "the set's report");
  WriteBytes(dir / "TM0D0042.IMW", Bytes(header.begin(), header.end()));
  session.state.fileHeaderBuffer.fill(0);  // no picture loaded
  EXPECT_EQ(Report("TM0D0042.IMW").result, 1);
  EXPECT_EQ(platform.BoxTexts(), (std::vector<std::string>{"the set's report"}));
  EXPECT_EQ(platform.mainWindowCloses, 1);

  platform.boxAnswers.push_back(BoxAnswer::Cancel);
  EXPECT_EQ(Report("TM0D0042.IMW").result, 1);
  EXPECT_EQ(platform.mainWindowCloses, 1);
}

TEST_F(WhereFixture, KeepsTheProgramOpenAfterTheReportOfALoadedTmsatPicture) {
  Load("TM1D0042.IMC", CameraFile(kCaptureTime, 16));
  ASSERT_EQ(Report("TM1D0042.IMC").result, 1);
  EXPECT_EQ(platform.mainWindowCloses, 0);
}

TEST_F(WhereFixture, RefusesAnInformationFileWithoutAStoredReport) {
  const Bytes empty(300, 0);
  WriteBytes(dir / "TM0D0042.IMW", empty);
  session.state.fileHeaderBuffer.fill(0);
  EXPECT_EQ(Report("TM0D0042.IMW").result, 0);
  EXPECT_EQ(platform.BoxTexts(),
            (std::vector<std::string>{"There is no image information stored in TM0D0042.IMW"}));
  EXPECT_EQ(ReadBytes(dir / "TM0D0042.IMW"), empty);
  EXPECT_EQ(platform.mainWindowCloses, 0);
}

TEST_F(WhereFixture, ShowsWhyNoReportCameAndLeavesTheFileAlone) {
  const Bytes file = CameraFile(kCaptureTime);
  const auto expectFailure = [&](const std::string& name, const std::string& box) {
    platform.boxes.clear();
    Load(name, file);
    EXPECT_EQ(Report(name).result, 0) << box;
    ASSERT_EQ(platform.boxes.size(), 1u) << box;
    EXPECT_EQ(platform.boxes[0].text, box);
    EXPECT_EQ(platform.boxes[0].caption, "Error");
    EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(ReadBytes(dir / name), file);
  };

  expectFailure("PICTURE.RAW", "Cannot tell the satellite from the file name PICTURE.RAW");
  expectFailure("KBIW0001", "Cannot find the Element Set for KO-25");

  ElementSet corrupt = UoSat5Elements();
  corrupt.eccentricity = 1.2;
  WriteElementSets({{"UO-22", corrupt}});
  expectFailure("U5IW0001", "The Element Set for UO-22 is corrupt");
  corrupt = UoSat5Elements();
  corrupt.meanMotion = std::numeric_limits<double>::quiet_NaN();
  WriteElementSets({{"UO-22", corrupt}});
  expectFailure("U5IW0001", "The Element Set for UO-22 is corrupt");

  WriteElementSets({{"UO-22", UoSat5Elements()}});
  WriteBytes(obs, {});
  expectFailure("U5IW0001", "There are no places in " + obs.string());
  fs::remove(obs);
  expectFailure("U5IW0001", "Cannot open file " + obs.string());
  fs::remove(kep);
  expectFailure("U5IW0001", "Cannot open file " + kep.string());
}

TEST_F(WhereFixture, SaysWhenThePictureFileIsGone) {
  Load("U5IW0001", CameraFile(kCaptureTime));
  fs::remove(dir / "U5IW0001");
  EXPECT_EQ(Report("U5IW0001").result, 0);
  EXPECT_EQ(platform.BoxTexts(), (std::vector<std::string>{"Can't open file U5IW0001"}));
}

TEST_F(WhereFixture, SaysWhenTheSetsInformationFileCannotBeUsed) {
  fs::create_directory(dir / "TM0D0042.IMW");
  Load("TM1D0042.IMC", CameraFile(kCaptureTime, 16));
  EXPECT_EQ(Report("TM1D0042.IMC").result, 0);
  // A name too short to name its information file.
  Load("TM1D0042", CameraFile(kCaptureTime, 16));
  EXPECT_EQ(Report("TM1D0042").result, 0);
  EXPECT_EQ(platform.BoxTexts(), (std::vector<std::string>{"Can't open file TM0D0042.IMW",
                                                           "Can't open file TM1D0042"}));
  EXPECT_TRUE(fs::is_directory(dir / "TM0D0042.IMW"));
}

TEST_F(WhereFixture, FindsTheGroundStationFilesThroughTheSettings) {
  fs::create_directories(dir / "wisp" / "keps");
  fs::rename(kep, dir / "wisp" / "keps" / "wisp.kep");
  fs::rename(obs, dir / "wisp" / "WISP.OBS");
  platform.textSettings["WiSP.Kep Directory"] = (dir / "wisp" / "keps").string();
  platform.textSettings["WiSP.Obs Directory"] = "wisp";  // relative to the pictures
  const WispFiles files = WispFilesFromSettings(session);
  EXPECT_EQ(files.elementSetFile, dir / "wisp" / "keps" / "wisp.kep");
  EXPECT_EQ(files.placesFile, dir / "wisp" / "WISP.OBS");

  Load("U5IW0001", CameraFile(kCaptureTime));
  EXPECT_EQ(ShowImageInformation(session, "U5IW0001"), 1);
  EXPECT_EQ(platform.BoxTexts(), (std::vector<std::string>{kReportAtEpoch}));
}

TEST_F(WhereFixture, LooksBesideThePicturesWhenNoDirectoryIsRegistered) {
  const WispFiles files = WispFilesFromSettings(session);
  EXPECT_EQ(files.elementSetFile, kep);
  EXPECT_EQ(files.placesFile, obs);
  platform.textSettings["WiSP.Obs Directory"] = (dir / "elsewhere").string();
  EXPECT_EQ(WispFilesFromSettings(session).placesFile, dir / "elsewhere" / "WiSP.Obs");
}

}  // namespace
}  // namespace kestrel
