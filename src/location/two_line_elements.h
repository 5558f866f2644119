#pragma once
// Two-line element sets as the public satellite catalogues publish them: text of fixed
// columns, any number of satellites and sets per satellite, with or without a name line
// before each set.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

struct TwoLineElementSet {
  std::string name;              // the line before the set, a leading "0 " dropped; may be empty
  uint32_t catalogueNumber = 0;
  int epochYear = 0;             // four digits: 57-99 are 19xx, 00-56 are 20xx
  double epochDay = 0;           // day of year with fraction, 1.0 = 1 January 0 h UTC
  double epochJulianDate = 0;    // the same moment as a Julian date (UTC)
  double meanMotionDot = 0;      // as written: first derivative / 2, rev/day²
  double meanMotionDdot = 0;     // as written: second derivative / 6, rev/day³
  double bstar = 0;              // drag term, 1/earth radii
  double inclination = 0, raan = 0, eccentricity = 0, argPerigee = 0, meanAnomaly = 0;  // degrees
  double meanMotion = 0;         // rev/day
  uint32_t revolutionNumber = 0;
  size_t lineNumber = 0;         // 1-based line of the set's line 1 in its text
};

struct SkippedSet {
  size_t lineNumber = 0;  // 1-based line of the fault
  std::string reason;     // plain words, e.g. "wrong checksum", "letters in the inclination"
};

struct TwoLineElementText {
  std::vector<TwoLineElementSet> sets;
  std::vector<SkippedSet> skipped;
};

// Reading gives up after this many bytes without a valid set.
inline constexpr size_t kTwoLineScanLimit = size_t{1} << 20;
// Faults listed one by one; any further ones are summed up in one last entry.
inline constexpr size_t kSkippedSetListLimit = 1000;

// Every set in the text, in order. A faulty set is left out and named by line in `skipped`;
// the rest are read. Text past column 69 is ignored; CRLF line ends and trailing spaces are
// accepted.
TwoLineElementText ParseTwoLineElements(std::string_view text);

// Whether the bytes are two-line element text rather than the ground station's binary
// records: a few printable name or comment lines at most, then a line 1 in its columns (the
// values and the rest of the file are left to the reader).
bool IsTwoLineElementText(std::span<const uint8_t> bytes);

// Of the sets of `catalogueNumber`, the one whose epoch lies nearest `julianDate` (the earlier
// of two equally near); nullptr when there is none.
const TwoLineElementSet* NearestSetInTime(std::span<const TwoLineElementSet> sets,
                                          uint32_t catalogueNumber, double julianDate);

// The check digit of a line: its first 68 columns summed, a digit adding its value and '-'
// adding 1, modulo 10.
int TwoLineChecksum(std::string_view line);

}  // namespace kestrel
