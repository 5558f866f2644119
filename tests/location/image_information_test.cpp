// The information report: its lines and stamps, and the flows that show and store it.

#include "location/image_information.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>
#include <tuple>

#include "location/report.h"
#include "support/test_support.h"
#include "where_fixture.h"

namespace kestrel {
namespace {
namespace fs = std::filesystem;
using namespace kestrel::testing;
using namespace location_testing;
using Texts = std::vector<std::string>;

TEST(CaptureDate, IsWrittenInUtcWithALeadingZeroDayWhateverTheTimeZone) {
  const char* previous = std::getenv("TZ");
  const std::string saved = previous ? previous : "";
  setenv("TZ", "NZST-12", 1);
  tzset();
  const std::pair<uint32_t, std::string_view> cases[] = {{905163630, "Mon Sep 07 10:20:30 1998\n"},
                                                         {951782400, "Tue Feb 29 00:00:00 2000\n"},
                                                         {0xFFFFFFFF, "Sun Feb 07 06:28:15 2106\n"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(CaptureDateText(UtcCalendarFields(seconds)), text);
  previous ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
  tzset();
}

TEST(ReportLines, GivePositionWithHemispheresAndThePlaceWithBearingWord) {
  const std::tuple<double, double, std::string_view> positions[] = {
      {-12.46, 45.3, "           12.5 Degrees South Latitude\n          45.3 Degrees East Longitude\n"},
      {51.0, SignedLongitude(200), "           51.0 Degrees North Latitude\n         160.0 Degrees West Longitude\n"},
      {0, 0, "            0.0 Degrees North Latitude\n           0.0 Degrees East Longitude\n"}};
  for (const auto& [latitude, longitude, lines] : positions) EXPECT_EQ(PositionLines(latitude, longitude), lines);
  EXPECT_EQ(SignedLongitude(180), 180);
  EXPECT_EQ(PlaceText({"Guildford", 412.4, 47.6, true}),
            "    48 Deg NorthEast and 412 kilometres\n        from Guildford");
  EXPECT_EQ(PlaceText({"Seoul", 3.5, 135.2, false}),
            "   135 Deg SouthWest and 4 kilometres\n        from Seoul");
  // Right over a place: no bearing.
  EXPECT_EQ(PlaceText({"Lisbon", 0.1, std::nullopt, false}), "  0 kilometres\n        from Lisbon");
}

TEST(ReportStatus, FollowsTheAgeOfTheElementSet) {
  const std::pair<int, ReportStatus> ages[] = {
      {-400, ReportStatus::Current}, {90, ReportStatus::Current}, {91, ReportStatus::Aged},
      {364, ReportStatus::Aged}, {365, ReportStatus::Withheld}};
  for (const auto& [days, status] : ages) EXPECT_EQ(StatusForEpochAge(days), status) << days;
  EXPECT_EQ(WarningFor(ReportStatus::Current), "");
  EXPECT_EQ(WarningFor(ReportStatus::Aged),
            "\n WARNING !!! This image was captured\n90 days prior to existing kep element "
            "set.\nPosition info may not be totally accurate.");
  EXPECT_EQ(WarningFor(ReportStatus::Withheld),
            "\n WARNING !!! This image was captured\nover 12 months ago. The positional "
            "data\n                has been negated.");
}

FileHeader Filled(uint8_t value) {
  FileHeader header;
  header.fill(value);
  return header;
}

// Every byte outside the spans is as it was, and none lies at or past `end`.
void ExpectOnlySpansChanged(const FileHeader& before, const FileHeader& after,
                            const std::vector<HeaderSpan>& spans, size_t end = 256) {
  for (size_t i = 0; i < before.size(); ++i) {
    const bool owned = std::any_of(spans.begin(), spans.end(), [i](const HeaderSpan& s) {
      return i >= s.offset && i < s.offset + s.length;
    });
    EXPECT_TRUE(owned ? i < end : after[i] == before[i]) << "byte " << i;
  }
}

TEST(ImageStamp, RoundTripsTheReportAndItsStatusAndShortensALongOne) {
  const FileHeader before = Filled(0xAA);
  FileHeader header = before;
  EXPECT_FALSE(HasImageStamp(header));
  const auto spans = StampImageHeader(header, "report\ntext", ReportStatus::Withheld);
  EXPECT_EQ(std::tuple(header[10], header[11], header[12], header[13 + 11], header[240]),
            std::tuple(11, 'C', 'j', 0, 2));
  EXPECT_TRUE(HasImageStamp(header) && CarriesCompleteStamp(header));
  EXPECT_EQ(StoredImageReport(header), "report\ntext");
  ExpectOnlySpansChanged(before, header, spans);
  // The status byte is written before the text, and the mark last.
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans.front().offset, 240u);
  EXPECT_EQ(spans.back().offset, 10u);

  // Whole lines only, and nothing past the status byte.
  std::string report;
  for (int i = 0; i < 7; ++i) report += std::string(40, 'x') + "\n";  // 287 characters
  header = before;
  const auto longSpans = StampImageHeader(header, report, ReportStatus::Current);
  EXPECT_EQ(StoredImageReport(header), report.substr(0, 5 * 41 - 1));
  EXPECT_EQ(header[240], 0);
  ExpectOnlySpansChanged(before, header, longSpans, 241);
  // A single line too long is cut hard.
  header = {};
  StampImageHeader(header, std::string(300, 'y'), ReportStatus::Current);
  EXPECT_EQ(StoredImageReport(header), std::string(226, 'y'));
  EXPECT_EQ(header[239], 0);
}

TEST(InformationStamp, RoundTripsTheReport) {
  const FileHeader before = Filled(0x33);
  FileHeader header = before;
  EXPECT_FALSE(HasInformationStamp(header));
  const auto spans = StampInformationHeader(header, "stored\nreport");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(header.data() + 1)), "AMSAT-VK");
  EXPECT_EQ(std::tuple(header[14], header[15]), std::tuple(13, 0));
  EXPECT_TRUE(HasInformationStamp(header) && CarriesCompleteStamp(header));
  EXPECT_EQ(StoredInformationReport(header), "stored\nreport");
  ExpectOnlySpansChanged(before, header, spans);
  EXPECT_EQ(spans.back().offset, 1u);
}

TEST(Stamps, AreReadWithinTheirSpace) {
  FileHeader header = Filled('z');
  header[13 + 4] = 0;
  EXPECT_EQ(StoredImageReport(header), "zzzz");
  // Never read beyond their space, whatever the length byte says.
  header = Filled('z');
  header[10] = header[14] = 255;
  EXPECT_EQ(StoredImageReport(header).size(), 226u);
  EXPECT_EQ(StoredInformationReport(header).size(), 235u);
}

// The element set of the capture day, its epoch moved on by `days` and its node by `raan`.
ElementSet Altered(double days, double raan = 0) {
  ElementSet set = UoSat5Elements();
  set.epochDay += days;
  set.raan += raan;
  return set;
}

// The file with an image stamp of that status over its header, or without a status the
// information stamp.
Bytes Stamped(Bytes file, std::string_view report, std::optional<ReportStatus> status = {}) {
  FileHeader header{};
  std::copy_n(file.begin(), header.size(), header.begin());
  status ? StampImageHeader(header, report, *status) : StampInformationHeader(header, report);
  std::copy(header.begin(), header.end(), file.begin());
  return file;
}

struct Where : ::testing::Test, testing::SessionFixture {
  fs::path kep = dir / "WiSP.Kep", obs = dir / "WiSP.Obs";
  InformationRequest request{{kep, obs}, true};
  Where() {
    WriteSets({{"AO-10", UoSat5Elements()}, {"UO-22", UoSat5Elements()},
               {"KO-23", UoSat5Elements()}, {"TO-31", UoSat5Elements()}});
    WriteBytes(obs, PlacesFile(kPlaces));
  }
  void WriteSets(const std::vector<std::pair<std::string_view, ElementSet>>& sets) {
    WriteBytes(kep, ElementSetFile(sets));
  }
  // What a loader leaves: the file's header in the header buffer.
  void Load(const std::string& name, const Bytes& file) {
    WriteBytes(dir / name, file);
    session.state.fileHeaderBuffer.fill(0);
    std::copy_n(file.begin(), std::min<size_t>(file.size(), 256), session.state.fileHeaderBuffer.begin());
    session.state.currentFilePath = name;
  }
  int Report(const std::string& name) { return ReportImageInformation(session, name, request).result; }
  // Loads and reports on a picture that gives a report; the boxes it showed.
  Texts Shown(const std::string& name, const Bytes& file) {
    platform.boxes.clear();
    Load(name, file);
    EXPECT_EQ(Report(name), 1) << name;
    return platform.BoxTexts();
  }
};

TEST_F(Where, ReportsWhereAPictureWasTakenStampsItsFileAndShowsTheStampAgain) {
  const Bytes original = CameraFile(kCaptureTime);
  EXPECT_EQ(Shown("U5IW0001", original), Texts{kReportAtEpoch});
  EXPECT_EQ(platform.boxes[0].caption, "CCD Image Information");
  EXPECT_EQ(platform.boxes[0].buttons, BoxButtons::OkCancel);
  const Bytes stamped = ReadBytes(dir / "U5IW0001");
  EXPECT_EQ(stamped, Stamped(original, kReportAtEpoch, ReportStatus::Current));
  EXPECT_TRUE(std::equal(stamped.begin(), stamped.begin() + 256, session.state.fileHeaderBuffer.begin()));
  // A file shorter than a header is never lengthened.
  const Bytes shortFile = CameraFile(kCaptureTime, 4, 100);
  EXPECT_EQ(Shown("U5IW0002", shortFile), Texts{kReportAtEpoch});
  EXPECT_EQ(ReadBytes(dir / "U5IW0002"), shortFile);

  // Once stamped, the stored report is shown whatever the element sets now say, with the
  // warning of its stored status.
  WriteSets({{"UO-22", Altered(0, 40)}});
  EXPECT_EQ(Shown("U5IW0001", stamped), Texts{kReportAtEpoch});
  EXPECT_EQ(ReadBytes(dir / "U5IW0001"), stamped);
  const Bytes withheld = Stamped(original, "stored text", ReportStatus::Withheld);
  EXPECT_EQ(Shown("U5IW0001", withheld), Texts{"stored text" + std::string(kWarning12Months)});
  EXPECT_EQ(ReadBytes(dir / "U5IW0001"), withheld);
}

TEST_F(Where, WarnsAndLeavesOutWhatAMuchNewerElementSetCannotTell) {
  struct Case {
    double days;
    std::string_view warning;
    ReportStatus status;
  };
  for (const Case& c :
       {Case{91, kWarning90Days, ReportStatus::Aged}, Case{365, kWarning12Months, ReportStatus::Withheld}}) {
    WriteSets({{"UO-22", Altered(c.days)}});
    const Bytes picture = CameraFile(kCaptureTime);
    const std::string shown = Shown("U5IW0002", picture).at(0);
    ASSERT_TRUE(shown.ends_with(c.warning)) << shown;
    const std::string stored = shown.substr(0, shown.size() - c.warning.size());
    EXPECT_EQ(ReadBytes(dir / "U5IW0002"), Stamped(picture, stored, c.status));
    // Over 90 days the place goes; over a year the position too.
    EXPECT_TRUE(stored.starts_with(kTitle) && stored.find("kilometres") == std::string::npos) << stored;
    EXPECT_EQ(stored.find("Degrees") != std::string::npos, c.status == ReportStatus::Aged);
    EXPECT_EQ(stored == kTitle, c.status == ReportStatus::Withheld) << stored;
  }
}

TEST_F(Where, KeepsATmsatReportInTheSetsInformationFileAndShowsItFromThere) {
  const Bytes picture = CameraFile(kCaptureTime, 16);
  Load("TM3D0042.IMC", picture);
  const FileHeader loaded = session.state.fileHeaderBuffer;
  ASSERT_EQ(Report("TM3D0042.IMC"), 1);
  EXPECT_EQ(session.state.tmHeaderCopy, loaded);
  const std::string report = std::string(23, ' ') +
                             "TO-31 Image\nRecorded on Mon Sep 07 10:20:30 1998\n" +
                             kReportAtEpoch.substr(kTitle.size());
  EXPECT_EQ(platform.BoxTexts(), Texts{report});
  EXPECT_EQ(ReadBytes(dir / "TM3D0042.IMC"), picture);
  // A new information file: the loaded header with the stamp over it.
  EXPECT_EQ(ReadBytes(dir / "TM0D0042.IMW"), Stamped(Bytes(loaded.begin(), loaded.end()), report));
  // Any picture of the set then shows the stored report, whatever the element sets say.
  WriteSets({{"TO-31", Altered(100, 40)}});
  EXPECT_EQ(Shown("TM1D0042.IMC", picture), Texts{report});
  EXPECT_EQ(platform.mainWindowCloses, 0);
  // Opened by itself, the information file shows its report and closes the window on OK.
  session.state.fileHeaderBuffer.fill(0);
  EXPECT_EQ(Report("TM0D0042.IMW"), 1);
  EXPECT_EQ(platform.mainWindowCloses, 1);
  platform.boxAnswers.push_back(BoxAnswer::Cancel);
  EXPECT_EQ(Report("TM0D0042.IMW"), 1);
  EXPECT_EQ(platform.BoxTexts(), (Texts{report, report, report}));
  EXPECT_EQ(platform.mainWindowCloses, 1);

  // An existing information file is stamped in place, its warning inside; too long to keep
  // whole, its last line goes.
  Bytes existing(600);
  for (size_t i = 0; i < existing.size(); ++i) existing[i] = static_cast<uint8_t>(i * 13);
  WriteBytes(dir / "TM0D0043.IMW", existing);
  const std::string shown = Shown("TM2D0043.IMC", picture).at(0);
  EXPECT_TRUE(shown.ends_with(kWarning90Days));
  const Bytes information = ReadBytes(dir / "TM0D0043.IMW");
  EXPECT_EQ(information, Stamped(existing, shown));
  FileHeader header{};
  std::copy_n(information.begin(), header.size(), header.begin());
  EXPECT_EQ(StoredInformationReport(header), shown.substr(0, shown.rfind('\n')));
}

TEST_F(Where, ShowsWhyNoReportCameAndLeavesEveryFileAlone) {
  const auto expectFailure = [&](const std::string& name, const Bytes& file, const std::string& box) {
    platform.boxes.clear();
    Load(name, file);
    EXPECT_EQ(Report(name), 0) << box;
    ASSERT_EQ(platform.boxes.size(), 1u) << box;
    const RecordedBox& shown = platform.boxes[0];
    EXPECT_EQ(std::tie(shown.text, shown.caption, shown.icon),
              std::tuple(box, "Error", BoxIcon::Exclamation));
    EXPECT_EQ(ReadBytes(dir / name), file);
    EXPECT_EQ(platform.mainWindowCloses, 0);
  };
  const Bytes file = CameraFile(kCaptureTime), tmsat = CameraFile(kCaptureTime, 16);
  expectFailure("PICTURE.RAW", file, "Cannot tell the satellite from the file name PICTURE.RAW");
  expectFailure("KBIW0001", file, "Cannot find the Element Set for KO-25");
  expectFailure("TM0D0042.IMW", Bytes(300, 0), "There is no image information stored in TM0D0042.IMW");
  // A TMSat picture whose information file cannot be opened, or whose name is too short to
  // name one.
  fs::remove(dir / "TM0D0042.IMW");
  fs::create_directory(dir / "TM0D0042.IMW");
  expectFailure("TM1D0042.IMC", tmsat, "Can't open file TM0D0042.IMW");
  EXPECT_TRUE(fs::is_directory(dir / "TM0D0042.IMW"));
  expectFailure("TM1D0042", tmsat, "Can't open file TM1D0042");
  ElementSet corrupt = UoSat5Elements();
  corrupt.meanMotion = std::numeric_limits<double>::quiet_NaN();
  WriteSets({{"UO-22", corrupt}});
  expectFailure("U5IW0001", file, "The Element Set for UO-22 is corrupt");
  WriteSets({{"UO-22", UoSat5Elements()}});
  fs::remove(dir / "U5IW0001");
  EXPECT_EQ(Report("U5IW0001"), 0);
  EXPECT_EQ(platform.BoxTexts().back(), "Can't open file U5IW0001");
  WriteBytes(obs, {});
  expectFailure("U5IW0001", file, "There are no places in " + obs.string());
  fs::remove(obs);
  expectFailure("U5IW0001", file, "Cannot open file " + obs.string());
  fs::remove(kep);
  expectFailure("U5IW0001", file, "Cannot open file " + kep.string());
}

}  // namespace
}  // namespace kestrel
