#include "location/report.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrel {
namespace {

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

}  // namespace
}  // namespace kestrel
