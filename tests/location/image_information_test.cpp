#include "location/image_information.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

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
using Texts = std::vector<std::string>;

// The element set of the capture day, its epoch moved on by `days` and its node by `raan`.
ElementSet Altered(double days, double raan = 0) {
  ElementSet set = UoSat5Elements();
  set.epochDay += days;
  set.raan += raan;
  return set;
}

// The file with its first 256 bytes stamped by `stamp`.
template <typename Stamp>
Bytes Stamped(Bytes file, Stamp stamp) {
  FileHeader header{};
  std::copy_n(file.begin(), header.size(), header.begin());
  stamp(header);
  std::copy(header.begin(), header.end(), file.begin());
  return file;
}

struct WhereFixture : ::testing::Test, testing::SessionFixture {
  fs::path kep = dir / "WiSP.Kep";
  fs::path obs = dir / "WiSP.Obs";
  InformationRequest request{{kep, obs}, true};

  WhereFixture() {
    WriteElementSets({{"AO-10", UoSat5Elements()},
                      {"UO-22", UoSat5Elements()},
                      {"KO-23", UoSat5Elements()},
                      {"TO-31", UoSat5Elements()}});
    WriteBytes(obs, PlacesFile(kPlaces));
  }

  void WriteElementSets(std::initializer_list<std::pair<std::string_view, ElementSet>> sets) {
    WriteBytes(kep, ElementSetFile(sets));
  }

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

  // Loads and reports on a picture that gives a report; every box shown so far.
  Texts Shown(const std::string& name, const Bytes& file) {
    Load(name, file);
    EXPECT_EQ(Report(name).result, 1) << name;
    return platform.BoxTexts();
  }

  // A place at the point of the UO-22 picture taken at kCaptureTime, moved by the offsets.
  void PlaceNearThePicture(std::string_view name, double north, double east) {
    const auto location = LocateAtTime(UoSat5Elements(), 98, 8, 7, 10, 20, 30);
    ASSERT_TRUE(location);
    WriteBytes(obs, PlacesFile({{name, location->latitude + north,
                                 SignedLongitude(location->longitude) + east}}));
  }
};

TEST_F(WhereFixture, ReportsWhereAPictureWasTakenStampsItsFileAndShowsTheStampAgain) {
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
  EXPECT_EQ(stamped, Stamped(original, [](FileHeader& header) {
              StampImageHeader(header, kReportAtEpoch, ReportStatus::Current);
            }));
  EXPECT_TRUE(std::equal(stamped.begin(), stamped.begin() + 256,
                         session.state.fileHeaderBuffer.begin()));

  // Once stamped, the stored report is shown whatever the element sets now say.
  WriteElementSets({{"UO-22", Altered(0, 40)}});
  EXPECT_EQ(Shown("U5IW0001", stamped), (Texts{kReportAtEpoch, kReportAtEpoch}));
  EXPECT_EQ(ReadBytes(dir / "U5IW0001"), stamped);
}

TEST_F(WhereFixture, AddsTheWarningOfTheStoredStatus) {
  const Bytes file = Stamped(CameraFile(kCaptureTime), [](FileHeader& header) {
    StampImageHeader(header, "stored text", ReportStatus::Withheld);
  });
  EXPECT_EQ(Shown("KAIW0001", file), (Texts{"stored text" + std::string(kWarning12Months)}));
  EXPECT_EQ(ReadBytes(dir / "KAIW0001"), file);
}

TEST_F(WhereFixture, WarnsAndLeavesOutWhatAMuchNewerElementSetCannotTell) {
  const std::tuple<double, std::string_view, ReportStatus> cases[] = {
      {91, kWarning90Days, ReportStatus::Aged}, {365, kWarning12Months, ReportStatus::Withheld}};
  for (const auto& [days, warning, reportStatus] : cases) {
    const ReportStatus status = reportStatus;  // a plain variable, for the lambda below
    platform.boxes.clear();
    WriteElementSets({{"UO-22", Altered(days)}});
    const Bytes picture = CameraFile(kCaptureTime);
    const std::string shown = Shown("U5IW0002", picture).at(0);
    ASSERT_TRUE(shown.ends_with(warning)) << shown;
    const std::string stored = shown.substr(0, shown.size() - warning.size());
    EXPECT_EQ(ReadBytes(dir / "U5IW0002"), Stamped(picture, [&](FileHeader& header) {
                StampImageHeader(header, stored, status);
              }));
    // Over 90 days the place goes; over a year the position too.
    EXPECT_TRUE(stored.starts_with(kTitle)) << stored;
    EXPECT_EQ(stored.find("kilometres"), std::string::npos) << stored;
    EXPECT_EQ(stored.find("Degrees") != std::string::npos, status == ReportStatus::Aged);
    EXPECT_EQ(stored == kTitle, status == ReportStatus::Withheld) << stored;
  }
}

TEST_F(WhereFixture, LeavesTheFileAsItWasWhenNotToStampOrWithNothingToSay) {
  const std::tuple<std::string, Bytes, bool, Texts> cases[] = {
      {"U5IW0005", CameraFile(0), true, {}},  // no capture time
      {"U5IW0006", CameraFile(kCaptureTime), false, {kReportAtEpoch}},
      {"U5IW0007", CameraFile(kCaptureTime, 4, 100), true, {kReportAtEpoch}},  // never lengthened
  };
  for (const auto& [name, file, writeStamp, boxes] : cases) {
    platform.boxes.clear();
    request.writeStamp = writeStamp;
    EXPECT_EQ(Shown(name, file), boxes) << name;
    EXPECT_EQ(ReadBytes(dir / name), file) << name;
  }
}

TEST_F(WhereFixture, ShortensALongReportAndWritesNothingPastTheStatusByte) {
  PlaceNearThePicture("Llanfairpwllgwyngyllgogery", 3, -4);
  const Bytes original = CameraFile(kCaptureTime);
  const std::string shown = Shown("U5IW0008", original).at(0);
  ASSERT_GT(shown.size(), 226u);
  // Place names hold 25 characters.
  EXPECT_TRUE(shown.ends_with("from Llanfairpwllgwyngyllgoger")) << shown;

  // Whole lines only; every other byte as it was.
  const std::string stored = shown.substr(0, shown.rfind('\n'));
  EXPECT_EQ(ReadBytes(dir / "U5IW0008"), Stamped(original, [&](FileHeader& header) {
              StampImageHeader(header, stored, ReportStatus::Current);
            }));
}

TEST_F(WhereFixture, KeepsATmsatReportInTheSetsInformationFile) {
  Bytes picture = CameraFile(kCaptureTime, 16);
  Load("TM3D0042.IMC", picture);
  const FileHeader loaded = session.state.fileHeaderBuffer;
  ASSERT_EQ(Report("TM3D0042.IMC").result, 1);

  EXPECT_EQ(session.state.tmHeaderCopy, loaded);
  const std::string report = std::string(23, ' ') +
                             "TO-31 Image\nRecorded on Mon Sep 07 10:20:30 1998\n" +
                             kReportAtEpoch.substr(kTitle.size());
  EXPECT_EQ(platform.BoxTexts(), (Texts{report}));
  EXPECT_EQ(ReadBytes(dir / "TM3D0042.IMC"), picture);
  EXPECT_EQ(platform.mainWindowCloses, 0);

  // A new information file: the loaded header with the stamp over it.
  EXPECT_EQ(ReadBytes(dir / "TM0D0042.IMW"),
            Stamped(Bytes(loaded.begin(), loaded.end()),
                    [&](FileHeader& header) { StampInformationHeader(header, report); }));

  // Any picture of the set then shows the stored report, whatever the element sets say.
  WriteElementSets({{"TO-31", Altered(0, 40)}});
  EXPECT_EQ(Shown("TM1D0042.IMC", picture).back(), report);
}

TEST_F(WhereFixture, StampsAnExistingInformationFileInPlaceWithTheWarningInside) {
  WriteElementSets({{"TO-31", Altered(100)}});
  Bytes existing(600);
  for (size_t i = 0; i < existing.size(); ++i) existing[i] = static_cast<uint8_t>(i * 13);
  WriteBytes(dir / "TM0D0042.IMW", existing);
  const std::string shown = Shown("TM2D0042.IMC", CameraFile(kCaptureTime, 16)).at(0);
  EXPECT_TRUE(shown.ends_with(kWarning90Days));
  const Bytes information = ReadBytes(dir / "TM0D0042.IMW");
  EXPECT_EQ(information, Stamped(existing, [&](FileHeader& header) {
              StampInformationHeader(header, shown);
            }));
  // Too long to keep whole: its last line goes.
  FileHeader header{};
  std::copy_n(information.begin(), header.size(), header.begin());
  EXPECT_EQ(StoredInformationReport(header), shown.substr(0, shown.rfind('\n')));
}

TEST_F(WhereFixture, ShowsAnInformationFileOpenedByItselfAndClosesOnOk) {
  FileHeader header{};
  StampInformationHeader(header, "the set's report");
  WriteBytes(dir / "TM0D0042.IMW", Bytes(header.begin(), header.end()));
  session.state.fileHeaderBuffer.fill(0);  // no picture loaded
  EXPECT_EQ(Report("TM0D0042.IMW").result, 1);
  EXPECT_EQ(platform.BoxTexts(), (Texts{"the set's report"}));
  EXPECT_EQ(platform.mainWindowCloses, 1);

  platform.boxAnswers.push_back(BoxAnswer::Cancel);
  EXPECT_EQ(Report("TM0D0042.IMW").result, 1);
  EXPECT_EQ(platform.mainWindowCloses, 1);
}

TEST_F(WhereFixture, ShowsWhyNoReportCameAndLeavesTheFileAlone) {
  const auto expectFailure = [&](const std::string& name, const Bytes& file,
                                 const std::string& box) {
    platform.boxes.clear();
    Load(name, file);
    EXPECT_EQ(Report(name).result, 0) << box;
    ASSERT_EQ(platform.boxes.size(), 1u) << box;
    EXPECT_EQ(platform.boxes[0].text, box);
    EXPECT_EQ(platform.boxes[0].caption, "Error");
    EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(ReadBytes(dir / name), file);
    EXPECT_EQ(platform.mainWindowCloses, 0);
  };
  const Bytes file = CameraFile(kCaptureTime);
  expectFailure("PICTURE.RAW", file, "Cannot tell the satellite from the file name PICTURE.RAW");
  expectFailure("KBIW0001", file, "Cannot find the Element Set for KO-25");
  expectFailure("TM0D0042.IMW", Bytes(300, 0),
                "There is no image information stored in TM0D0042.IMW");

  ElementSet corrupt = UoSat5Elements();
  corrupt.eccentricity = 1.2;
  WriteElementSets({{"UO-22", corrupt}});
  expectFailure("U5IW0001", file, "The Element Set for UO-22 is corrupt");
  corrupt = UoSat5Elements();
  corrupt.meanMotion = std::numeric_limits<double>::quiet_NaN();
  WriteElementSets({{"UO-22", corrupt}});
  expectFailure("U5IW0001", file, "The Element Set for UO-22 is corrupt");

  WriteElementSets({{"UO-22", UoSat5Elements()}});
  WriteBytes(obs, {});
  expectFailure("U5IW0001", file, "There are no places in " + obs.string());
  fs::remove(obs);
  expectFailure("U5IW0001", file, "Cannot open file " + obs.string());
  fs::remove(kep);
  expectFailure("U5IW0001", file, "Cannot open file " + kep.string());
}

TEST_F(WhereFixture, SaysWhenThePictureOrTheSetsInformationFileCannotBeOpened) {
  Load("U5IW0001", CameraFile(kCaptureTime));
  fs::remove(dir / "U5IW0001");
  EXPECT_EQ(Report("U5IW0001").result, 0);
  fs::create_directory(dir / "TM0D0042.IMW");
  Load("TM1D0042.IMC", CameraFile(kCaptureTime, 16));
  EXPECT_EQ(Report("TM1D0042.IMC").result, 0);
  // A name too short to name its information file.
  Load("TM1D0042", CameraFile(kCaptureTime, 16));
  EXPECT_EQ(Report("TM1D0042").result, 0);
  EXPECT_EQ(platform.BoxTexts(), (Texts{"Can't open file U5IW0001", "Can't open file TM0D0042.IMW",
                                        "Can't open file TM1D0042"}));
  EXPECT_TRUE(fs::is_directory(dir / "TM0D0042.IMW"));
}

TEST_F(WhereFixture, FindsTheGroundStationFilesThroughTheSettings) {
  EXPECT_EQ(WispFilesFromSettings(session).elementSetFile, kep);  // beside the pictures
  EXPECT_EQ(WispFilesFromSettings(session).placesFile, obs);
  platform.textSettings["WiSP.Obs Directory"] = (dir / "elsewhere").string();
  EXPECT_EQ(WispFilesFromSettings(session).placesFile, dir / "elsewhere" / "WiSP.Obs");

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
  EXPECT_EQ(platform.BoxTexts(), (Texts{kReportAtEpoch}));
}

}  // namespace
}  // namespace kestrel
