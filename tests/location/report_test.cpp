#include "location/report.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrel {
namespace {

// 1998-09-07 10:20:30 UTC.
constexpr uint32_t kSeptember7th1998 = 905163630;

TEST(CaptureDate, IsWrittenInUtcWithALeadingZeroDayWhateverTheTimeZone) {
  EXPECT_EQ(CaptureDateText(UtcCalendarFields(kSeptember7th1998)), "Mon Sep 07 10:20:30 1998\n");
  EXPECT_EQ(CaptureDateText(UtcCalendarFields(951782400)), "Tue Feb 29 00:00:00 2000\n");
  EXPECT_EQ(CaptureDateText(UtcCalendarFields(0xFFFFFFFF)), "Sun Feb 07 06:28:15 2106\n");
  // Whatever the process's time zone.
  const char* previous = std::getenv("TZ");
  const std::string saved = previous ? previous : "";
  setenv("TZ", "NZST-12", 1);
  tzset();
  const std::string text = CaptureDateText(UtcCalendarFields(kSeptember7th1998));
  previous ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
  tzset();
  EXPECT_EQ(text, "Mon Sep 07 10:20:30 1998\n");
}

TEST(PositionLines, GiveHemispheresAndAbsoluteValues) {
  EXPECT_EQ(PositionLines(-12.46, 45.3),
            "           12.5 Degrees South Latitude\n"
            "          45.3 Degrees East Longitude\n");
  EXPECT_EQ(PositionLines(51.0, SignedLongitude(200)),
            "           51.0 Degrees North Latitude\n"
            "         160.0 Degrees West Longitude\n");
  EXPECT_EQ(PositionLines(0, 0),
            "            0.0 Degrees North Latitude\n"
            "           0.0 Degrees East Longitude\n");
  EXPECT_EQ(SignedLongitude(180), 180);
}

TEST(PlaceText, GivesBearingWordDistanceAndName) {
  EXPECT_EQ(PlaceText({"Guildford", 412.4, 47.6, true}),
            "    48 Deg NorthEast and 412 kilometres\n        from Guildford");
  EXPECT_EQ(PlaceText({"Seoul", 3.5, 135.2, false}),
            "   135 Deg SouthWest and 4 kilometres\n        from Seoul");
  // Right over a place: no bearing.
  EXPECT_EQ(PlaceText({"Lisbon", 0.1, std::nullopt, false}), "  0 kilometres\n        from Lisbon");
}

TEST(ReportStatus, FollowsTheAgeOfTheElementSet) {
  EXPECT_EQ(StatusForEpochAge(-400), ReportStatus::Current);
  EXPECT_EQ(StatusForEpochAge(90), ReportStatus::Current);
  EXPECT_EQ(StatusForEpochAge(91), ReportStatus::Aged);
  EXPECT_EQ(StatusForEpochAge(364), ReportStatus::Aged);
  EXPECT_EQ(StatusForEpochAge(365), ReportStatus::Withheld);
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

// Every byte outside the spans is as it was.
void ExpectOnlySpansChanged(const FileHeader& before, const FileHeader& after,
                            const std::vector<HeaderSpan>& spans) {
  for (size_t i = 0; i < before.size(); ++i) {
    const bool owned = std::any_of(spans.begin(), spans.end(), [i](const HeaderSpan& s) {
      return i >= s.offset && i < s.offset + s.length;
    });
    if (!owned) {
      EXPECT_EQ(after[i], before[i]) << "byte " << i;
    }
  }
}

TEST(ImageStamp, RoundTripsTheReportAndItsStatus) {
  const FileHeader before = Filled(0xAA);
  FileHeader header = before;
  EXPECT_FALSE(HasImageStamp(header));
  const auto spans = StampImageHeader(header, "report\ntext", ReportStatus::Withheld);
  EXPECT_EQ(header[10], 11);
  EXPECT_EQ(header[11], 'C');
  EXPECT_EQ(header[12], 'j');
  EXPECT_EQ(header[13 + 11], 0);
  EXPECT_EQ(header[240], 2);
  EXPECT_TRUE(HasImageStamp(header));
  EXPECT_TRUE(CarriesCompleteStamp(header));
  EXPECT_EQ(StoredImageReport(header), "report\ntext");
  ExpectOnlySpansChanged(before, header, spans);
  // The status byte is written before the text, and the mark last.
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans.front().offset, 240u);
  EXPECT_EQ(spans.back().offset, 10u);
}

TEST(ImageStamp, ShortensALongReportBeforeTheStatusByte) {
  const FileHeader before = Filled(0x55);
  FileHeader header = before;
  const std::string line(40, 'x');
  std::string report;
  for (int i = 0; i < 7; ++i) report += line + "\n";  // 287 characters
  const auto spans = StampImageHeader(header, report, ReportStatus::Current);
  const std::string stored = StoredImageReport(header);
  EXPECT_LE(stored.size(), 226u);
  EXPECT_EQ(stored, report.substr(0, 5 * 41 - 1));  // whole lines only
  EXPECT_EQ(header[240], 0);
  for (size_t i = 241; i < 256; ++i) EXPECT_EQ(header[i], 0x55);
  ExpectOnlySpansChanged(before, header, spans);
  for (const HeaderSpan& span : spans) EXPECT_LE(span.offset + span.length, 241u);
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
  EXPECT_EQ(header[7], 'V');
  EXPECT_EQ(header[8], 'K');
  EXPECT_EQ(header[14], 13);
  EXPECT_EQ(header[15], 0);
  EXPECT_TRUE(HasInformationStamp(header));
  EXPECT_TRUE(CarriesCompleteStamp(header));
  EXPECT_EQ(StoredInformationReport(header), "stored\nreport");
  ExpectOnlySpansChanged(before, header, spans);
  EXPECT_EQ(spans.back().offset, 1u);
}

TEST(Stamps, AreRecognisedByEitherMarkByteShownOnlyWithBothAndReadWithinTheirSpace) {
  FileHeader header{};
  header[11] = 'C';
  EXPECT_TRUE(HasImageStamp(header));
  EXPECT_FALSE(CarriesCompleteStamp(header));
  header = {};
  header[8] = 'K';
  EXPECT_TRUE(HasInformationStamp(header));
  EXPECT_FALSE(CarriesCompleteStamp(header));

  // Never read beyond their space, whatever the length byte says.
  header = Filled('z');
  header[10] = 255;
  EXPECT_EQ(StoredImageReport(header).size(), 226u);
  header[14] = 255;
  EXPECT_EQ(StoredInformationReport(header).size(), 235u);
  header = Filled('z');
  header[13 + 4] = 0;
  EXPECT_EQ(StoredImageReport(header), "zzzz");
}

}  // namespace
}  // namespace kestrel
