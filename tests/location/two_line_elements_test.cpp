// Two-line element text: every field by its columns, the faults that skip a set, telling the
// text from the ground station's binary records, and the choice of a set from a history.

#include <gtest/gtest.h>

#include "base/text.h"
#include "location/earth_frames.h"
#include "location/element_set.h"
#include "location/two_line_elements.h"

namespace kestrel {
namespace {

// The example set of the original SGP4 report.
constexpr std::string_view kLine1 =
    "1 88888U          80275.98708465  .00073094  13844-3  66816-4 0    87";
constexpr std::string_view kLine2 =
    "2 88888  72.8435 115.9689 0086731  52.6988 110.5714 16.05824518  1058";

// `line` with `text` written from 1-based `column` on and the check digit made right again.
std::string Edited(std::string_view line, size_t column, std::string_view text) {
  std::string edited(line);
  edited.replace(column - 1, text.size(), text);
  edited[68] = static_cast<char>('0' + TwoLineChecksum(edited));
  return edited;
}

std::string WithWrongCheckDigit(std::string_view line) {
  std::string wrong(line);
  wrong[68] = static_cast<char>('0' + (TwoLineChecksum(line) + 1) % 10);
  return wrong;
}

std::string Text(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text.append(line).append("\n");
  return text;
}

TEST(TwoLineElements, ReadEveryFieldByItsColumns) {
  const auto text = ParseTwoLineElements(Text({kLine1, kLine2}));
  ASSERT_EQ(text.sets.size(), 1u);
  const TwoLineElementSet& set = text.sets[0];
  EXPECT_EQ(std::tuple(set.name, set.catalogueNumber, set.epochYear, set.revolutionNumber),
            std::tuple("", 88888u, 1980, 105u));
  EXPECT_EQ(std::tuple(set.epochDay, set.meanMotionDot, set.meanMotionDdot, set.bstar),
            std::tuple(275.98708465, 0.00073094, 0.13844e-3, 0.66816e-4));
  EXPECT_EQ(std::tuple(set.inclination, set.raan, set.eccentricity, set.argPerigee,
                       set.meanAnomaly, set.meanMotion),
            std::tuple(72.8435, 115.9689, 0.0086731, 52.6988, 110.5714, 16.05824518));
  // 1980 is a leap year: day 275 is 1 October; JD 2444513.5 at its start.
  EXPECT_NEAR(set.epochJulianDate, 2444513.5 + 0.98708465, 1e-8);
}

TEST(TwoLineElements, TakeYearsSignsAndExponentsAsWritten) {
  // Two-digit years from 57 on are 19xx; the epoch day counts 1 January as 1.
  const std::tuple<std::string_view, int, double> epochs[] = {
      {"00001.50000000", 2000, 2451545.0}, {"56366.00000000", 2056, 2472363.5},
      {"57001.00000000", 1957, 2435839.5}, {"99365.00000000", 1999, 2451543.5}};
  for (const auto& [columns, year, julianDate] : epochs) {
    const auto text = ParseTwoLineElements(Text({Edited(kLine1, 19, columns), kLine2}));
    ASSERT_EQ(text.sets.size(), 1u) << columns;
    EXPECT_EQ(text.sets[0].epochYear, year);
    EXPECT_NEAR(text.sets[0].epochJulianDate, julianDate, 1e-8) << columns;
  }
  // Columns 34 to 61: the derivatives of the mean motion and the drag term.
  const std::tuple<std::string_view, double, double, double> numbers[] = {
      {"-.00000084 -30915-6 -13525-3", -0.00000084, -0.30915e-6, -0.13525e-3},
      {" .00000000  00000+0 +12345+1", 0, 0, 1.2345},
      {"                     66816-4", 0, 0, 0.66816e-4}};
  for (const auto& [columns, dot, ddot, bstar] : numbers) {
    const auto text = ParseTwoLineElements(Text({Edited(kLine1, 34, columns), kLine2}));
    ASSERT_EQ(text.sets.size(), 1u) << columns;
    const TwoLineElementSet& set = text.sets[0];
    EXPECT_EQ(std::tuple(set.meanMotionDot, set.meanMotionDdot, set.bstar),
              std::tuple(dot, ddot, bstar))
        << columns;
  }
}

TEST(TwoLineElements, SkipAFaultySetNamingItsLineAndReadTheRest) {
  struct Case {
    std::string text;
    size_t line;
    std::string_view reason;
    size_t sets = 2;  // read round the fault
  };
  const Case cases[] = {
      {Text({kLine1, WithWrongCheckDigit(kLine2)}), 2, "wrong checksum"},
      {Text({kLine1, Edited(kLine2, 9, " 72.84x5")}), 2, "letters in the inclination"},
      {Text({kLine1, Edited(kLine2, 9, "        ")}), 2, "no inclination"},
      {Text({kLine1, Edited(kLine2, 9, " 72.8.35")}), 2, "the inclination is not a number"},
      {Text({Edited(kLine1, 21, "367.00000000"), kLine2}), 1, "epoch day 367 out of range"},
      {Text({Edited(kLine1, 21, "000.50000000"), kLine2}), 1, "epoch day 0.5 out of range"},
      {Text({kLine1, Edited(kLine2, 27, "1.00000")}), 2, "eccentricity of 1 or more"},
      {Text({kLine1, Edited(kLine2, 27, "-001000")}), 2, "negative eccentricity"},
      {Text({kLine1, Edited(kLine2, 53, "-6.05824518")}), 2, "negative mean motion"},
      {Text({kLine1, Edited(kLine2, 53, " 0.00000000")}), 2, "zero mean motion"},
      {Text({kLine1, kLine1, kLine2}), 1, "truncated set", 3},  // the next line 1 still reads
      {Text({kLine1}), 1, "truncated set"},
      {Text({kLine1, Edited(kLine2, 3, "88889")}), 2,
       "line 2 is of catalogue number 88889, line 1 of 88888"},
      {Text({kLine2}), 1, "line 2 without its line 1"},
      {Text({kLine1, kLine2.substr(0, 60)}), 2, "line shorter than 69 columns"},
      {Text({Edited(kLine1, 54, " 1234--4"), kLine2}), 1, "the drag term is not a number"},
  };
  for (const Case& c : cases) {
    // The same fault after a good set and before another, under a name of its own.
    const auto text = ParseTwoLineElements(Text({"0 FIRST", kLine1, kLine2, "FAULTY"}) + c.text +
                                           Text({"LAST", kLine1, kLine2}));
    ASSERT_EQ(text.skipped.size(), 1u) << c.reason;
    EXPECT_EQ(text.skipped[0].reason, c.reason);
    EXPECT_EQ(text.skipped[0].lineNumber, 4 + c.line) << c.reason;
    ASSERT_EQ(text.sets.size(), c.sets) << c.reason;
    EXPECT_EQ(std::tuple(text.sets.front().name, text.sets.back().name),
              std::tuple("FIRST", "LAST"));
  }
}

std::span<const uint8_t> BytesOf(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(TwoLineElements, AcceptCrlfTrailingBlanksAndTextPastColumn69) {
  const std::string text = "\xEF\xBB\xBF  ISS (ZARYA)   \r\n" + std::string(kLine1) + "   \r\n" +
                           std::string(kLine2) + "     0.0    1440.0   360.0\r\n";
  const auto read = ParseTwoLineElements(text);
  ASSERT_EQ(read.sets.size(), 1u);
  EXPECT_EQ(std::tuple(read.sets[0].name, read.sets[0].lineNumber), std::tuple("ISS (ZARYA)", 2u));
  EXPECT_TRUE(IsTwoLineElementText(BytesOf(text)));
}

TEST(TwoLineElements, StopAfterAMegabyteWithoutASetAndListAThousandFaultsAtMost) {
  std::string text(kTwoLineScanLimit + 10, 'x');
  text += "\n" + Text({kLine1, kLine2});
  auto read = ParseTwoLineElements(text);
  EXPECT_TRUE(read.sets.empty());
  ASSERT_EQ(read.skipped.size(), 1u);
  EXPECT_EQ(read.skipped[0].reason, "no valid set in 1048576 bytes; the rest is not read");

  text.clear();
  for (int i = 0; i < 1500; ++i) text += "2 0\n";
  read = ParseTwoLineElements(text + Text({kLine1, kLine2}));
  EXPECT_EQ(read.sets.size(), 1u);
  ASSERT_EQ(read.skipped.size(), kSkippedSetListLimit + 1);
  EXPECT_EQ(read.skipped.back().reason, "500 more faulty sets");
  EXPECT_EQ(read.skipped.back().lineNumber, 1001u);
}

TEST(TwoLineElements, AreToldFromTheGroundStationsRecords) {
  const std::pair<std::string, bool> texts[] = {
      {Text({"# comment", "", "UO-22", kLine1, WithWrongCheckDigit(kLine2)}), true},
      {Text({kLine1}), true},  // cut short: the reader says what is missing
      {"", false}, {Text({kLine1.substr(0, 60)}), false}, {Text({Edited(kLine1, 18, "x")}), false},
      {Text({"a", "b", "c", "d", "e", "f", "g", "h", "i", kLine1, kLine2}), false}};
  for (const auto& [text, isText] : texts) EXPECT_EQ(IsTwoLineElementText(BytesOf(text)), isText);
  EXPECT_FALSE(IsTwoLineElementText(EncodeElementSet("1 88888U", {})));  // a name like line 1
}

TEST(TwoLineElements, NearestSetInTimeIsTheNearestOfItsSatelliteNotTheFirst) {
  const auto history = ParseTwoLineElements(
      Text({Edited(kLine1, 19, "06100.00000000"), kLine2, Edited(kLine1, 19, "06200.00000000"),
            kLine2, Edited(Edited(kLine1, 3, "12345"), 19, "06195.00000000"),
            Edited(kLine2, 3, "12345"), Edited(kLine1, 19, "06300.00000000"), kLine2}));
  ASSERT_EQ(history.sets.size(), 4u);
  const double day1 = JulianDateFromCalendar(2006, 1, 1);
  const std::tuple<double, const TwoLineElementSet*> cases[] = {
      {day1 + 189, &history.sets[1]}, {day1 + 10, &history.sets[0]},
      {day1 + 1000, &history.sets[3]}, {day1 + 199, &history.sets[1]}};
  for (const auto& [julianDate, nearest] : cases)
    EXPECT_EQ(NearestSetInTime(history.sets, 88888, julianDate), nearest) << julianDate;
  EXPECT_EQ(NearestSetInTime(history.sets, 12345, day1)->epochDay, 195);
  EXPECT_EQ(NearestSetInTime(history.sets, 5, day1), nullptr);
}

}  // namespace
}  // namespace kestrel
