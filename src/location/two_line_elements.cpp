#include "location/two_line_elements.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

#include "base/text.h"
#include "location/earth_frames.h"

namespace kestrel {
namespace {

constexpr size_t kLineColumns = 69;  // 68 columns of data, then the check digit
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr int kFirstCenturyYear = 57;  // two-digit years from here on are 19xx, below it 20xx

// A field by the columns the format's tables give, 1-based and inclusive.
struct Field {
  size_t first, last;
  const char* name;
  bool mayBeBlank = false;  // a blank field then reads as zero
};

namespace line1 {
constexpr Field kCatalogueNumber{3, 7, "catalogue number"};
constexpr Field kEpochYear{19, 20, "epoch year"};
constexpr Field kEpochDay{21, 32, "epoch day"};
constexpr Field kMeanMotionDot{34, 43, "first derivative of the mean motion", true};
constexpr Field kMeanMotionDdot{45, 52, "second derivative of the mean motion", true};
constexpr Field kBstar{54, 61, "drag term", true};
}  // namespace line1

namespace line2 {
constexpr Field kCatalogueNumber{3, 7, "catalogue number"};
constexpr Field kInclination{9, 16, "inclination"};
constexpr Field kRaan{18, 25, "right ascension of the node"};
constexpr Field kEccentricity{27, 33, "eccentricity"};
constexpr Field kArgPerigee{35, 42, "argument of perigee"};
constexpr Field kMeanAnomaly{44, 51, "mean anomaly"};
constexpr Field kMeanMotion{53, 63, "mean motion"};
constexpr Field kRevolutionNumber{64, 68, "revolution number", true};
}  // namespace line2

// What line 1 has in its columns whatever its values, besides its number and catalogue
// number: enough that no binary record passes for one.
constexpr size_t kLine1BlankColumns[] = {2, 9, 18, 33, 44, 53, 62, 64};
constexpr size_t kLine1PointColumn = 24;  // the epoch day's

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsPrintable(char c) { return (c >= ' ' && c <= '~') || c == '\t'; }

std::string_view TrimEnd(std::string_view text) {
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

std::string_view Trim(std::string_view text) {
  text = TrimEnd(text);
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

bool StartsLine(std::string_view line, char number) {
  return line.size() >= 2 && line[0] == number && line[1] == ' ';
}

// A number as written: an optional sign, then what from_chars reads in `format`, nothing else.
std::optional<double> NumberValue(std::string_view text, std::chars_format format) {
  const bool negative = text.starts_with('-');
  if (negative || text.starts_with('+')) text.remove_prefix(1);
  if (text.empty() || !(IsDigit(text.front()) || text.front() == '.')) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, format);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return negative ? -value : value;
}

// A sign, if the text begins with one, and the rest.
std::pair<std::string, std::string_view> SplitSign(std::string_view text) {
  const size_t signLength = text.starts_with('-') || text.starts_with('+') ? 1 : 0;
  return {std::string(text.substr(0, signLength)), text.substr(signLength)};
}

// Reads the fields of one line, keeping the first fault met.
class FieldReader {
 public:
  FieldReader(std::string_view line, size_t lineNumber, std::optional<SkippedSet>& fault)
      : line_(line), lineNumber_(lineNumber), fault_(fault) {}

  // "-.00000084", " 34.2682"
  double Decimal(const Field& field) {
    const auto text = Text(field);
    if (!text) return 0;
    return Checked(NumberValue(*text, std::chars_format::fixed), field);
  }

  // An implied point before the first digit: "1859667" is 0.1859667. A point written out
  // counts as written.
  double Fraction(const Field& field) {
    const auto text = Text(field);
    if (!text) return 0;
    if (text->find('.') != std::string_view::npos) return Decimal(field);
    const auto [sign, digits] = SplitSign(*text);
    if (digits.empty()) {
      FailNotANumber(field);
      return 0;
    }
    return Checked(NumberValue(sign + "0." + std::string(digits), std::chars_format::fixed),
                   field);
  }

  // A mantissa with an implied point, then the power of ten: " 12345-3" is 0.12345e-3.
  double Exponent(const Field& field) {
    const auto text = Text(field);
    if (!text) return 0;
    const size_t powerAt = text->size() - std::min<size_t>(2, text->size());
    const std::string_view power = text->substr(powerAt);
    auto [sign, digits] = SplitSign(text->substr(0, powerAt));
    if (digits.starts_with('.')) digits.remove_prefix(1);
    if (digits.empty() || !(power.starts_with('-') || power.starts_with('+'))) {
      FailNotANumber(field);
      return 0;
    }
    return Checked(NumberValue(sign + "0." + std::string(digits) + "e" + std::string(power),
                               std::chars_format::general),
                   field);
  }

  uint32_t Whole(const Field& field) {
    const auto text = Text(field);
    if (!text) return 0;
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size()) FailNotANumber(field);
    return value;
  }

  void Fail(std::string reason) {
    if (!fault_) fault_ = SkippedSet{lineNumber_, std::move(reason)};
  }

 private:
  // The field's text without blanks round it; none (and a fault unless blanks are allowed)
  // when the field is blank or there is a fault already.
  std::optional<std::string_view> Text(const Field& field) {
    if (fault_) return std::nullopt;
    const size_t start = std::min(field.first - 1, line_.size());
    const auto text = Trim(line_.substr(start, field.last + 1 - field.first));
    if (text.empty()) {
      if (!field.mayBeBlank) Fail(FormatText("no %s", field.name));
      return std::nullopt;
    }
    for (char c : text)
      if (!IsDigit(c) && c != '.' && c != '+' && c != '-' && c != ' ') {
        Fail(FormatText("letters in the %s", field.name));
        return std::nullopt;
      }
    return text;
  }

  double Checked(std::optional<double> value, const Field& field) {
    if (!value) FailNotANumber(field);
    return value.value_or(0);
  }

  void FailNotANumber(const Field& field) {
    Fail(FormatText("the %s is not a number", field.name));
  }

  std::string_view line_;
  size_t lineNumber_;
  std::optional<SkippedSet>& fault_;
};

// The set on two lines already known to start "1 " and "2 "; or the first fault in them.
std::optional<SkippedSet> ReadSet(std::string_view first, std::string_view second,
                                  size_t firstNumber, TwoLineElementSet& set) {
  std::optional<SkippedSet> fault;
  const size_t secondNumber = firstNumber + 1;
  FieldReader line1Fields(first, firstNumber, fault);
  FieldReader line2Fields(second, secondNumber, fault);
  for (auto [line, reader] : {std::pair{first, &line1Fields}, std::pair{second, &line2Fields}}) {
    if (line.size() < kLineColumns)
      reader->Fail(FormatText("line shorter than %zu columns", kLineColumns));
    else if (line[kLineColumns - 1] != '0' + TwoLineChecksum(line))
      reader->Fail("wrong checksum");
  }

  set.lineNumber = firstNumber;
  set.catalogueNumber = line1Fields.Whole(line1::kCatalogueNumber);
  const uint32_t twoDigitYear = line1Fields.Whole(line1::kEpochYear);
  set.epochDay = line1Fields.Decimal(line1::kEpochDay);
  set.meanMotionDot = line1Fields.Decimal(line1::kMeanMotionDot);
  set.meanMotionDdot = line1Fields.Exponent(line1::kMeanMotionDdot);
  set.bstar = line1Fields.Exponent(line1::kBstar);
  const uint32_t secondCatalogueNumber = line2Fields.Whole(line2::kCatalogueNumber);
  set.inclination = line2Fields.Decimal(line2::kInclination);
  set.raan = line2Fields.Decimal(line2::kRaan);
  set.eccentricity = line2Fields.Fraction(line2::kEccentricity);
  set.argPerigee = line2Fields.Decimal(line2::kArgPerigee);
  set.meanAnomaly = line2Fields.Decimal(line2::kMeanAnomaly);
  set.meanMotion = line2Fields.Decimal(line2::kMeanMotion);
  set.revolutionNumber = line2Fields.Whole(line2::kRevolutionNumber);
  if (fault) return fault;

  if (secondCatalogueNumber != set.catalogueNumber)
    line2Fields.Fail(FormatText("line 2 is of catalogue number %u, line 1 of %u",
                                secondCatalogueNumber, set.catalogueNumber));
  else if (!(set.epochDay >= 1 && set.epochDay < 367))
    line1Fields.Fail(FormatText("epoch day %g out of range", set.epochDay));
  else if (set.eccentricity < 0)
    line2Fields.Fail("negative eccentricity");
  else if (set.eccentricity >= 1)
    line2Fields.Fail("eccentricity of 1 or more");
  else if (set.meanMotion < 0)
    line2Fields.Fail("negative mean motion");
  else if (set.meanMotion == 0)
    line2Fields.Fail("zero mean motion");
  if (fault) return fault;

  set.epochYear = static_cast<int>(twoDigitYear) + (twoDigitYear < kFirstCenturyYear ? 2000 : 1900);
  set.epochJulianDate = JulianDateFromCalendar(set.epochYear, 1, 1) + (set.epochDay - 1);
  return std::nullopt;
}

// The line before a set, as its name: blanks round it and a leading "0 " dropped.
std::string NameFrom(std::string_view line) {
  line = Trim(line);
  if (StartsLine(line, '0')) line = Trim(line.substr(2));
  return std::string(line);
}

// Whether a line is a line 1 in its columns, whatever its values.
bool HasLine1Shape(std::string_view line) {
  if (line.size() < kLineColumns || line[0] != '1') return false;
  const auto catalogue = Trim(line.substr(line1::kCatalogueNumber.first - 1, 5));
  return std::all_of(line.begin(), line.begin() + kLineColumns, IsPrintable) &&
         !catalogue.empty() && std::all_of(catalogue.begin(), catalogue.end(), IsDigit) &&
         line[kLine1PointColumn - 1] == '.' &&
         std::all_of(std::begin(kLine1BlankColumns), std::end(kLine1BlankColumns),
                     [&](size_t column) { return line[column - 1] == ' '; });
}

}  // namespace

int TwoLineChecksum(std::string_view line) {
  int sum = 0;
  for (char c : line.substr(0, kLineColumns - 1)) {
    if (IsDigit(c)) sum += c - '0';
    if (c == '-') sum += 1;
  }
  return sum % 10;
}

TwoLineElementText ParseTwoLineElements(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  TwoLineElementText result;
  size_t position = 0;        // start of the next line
  size_t lineNumber = 0;      // of the line last read
  size_t readUntil = 0;       // end of the last valid set
  bool gaveUp = false;
  size_t unlisted = 0, firstUnlistedLine = 0;

  const auto nextLine = [&](std::string_view& line) {
    if (position >= text.size()) return false;
    const size_t stopAt = readUntil + kTwoLineScanLimit;
    size_t length = std::string_view::npos;
    if (position < stopAt) length = text.substr(position, stopAt - position).find('\n');
    if (length == std::string_view::npos) {
      if (stopAt < text.size()) {
        gaveUp = true;
        return false;
      }
      length = text.size() - position;  // the last line, without a line end
    }
    line = TrimEnd(text.substr(position, length));
    position += length + 1;
    ++lineNumber;
    return true;
  };
  const auto skip = [&](SkippedSet fault) {
    if (result.skipped.size() < kSkippedSetListLimit) {
      result.skipped.push_back(std::move(fault));
    } else if (unlisted++ == 0) {
      firstUnlistedLine = fault.lineNumber;
    }
  };

  std::string_view line, name;
  bool haveLine = nextLine(line);
  while (haveLine) {
    if (StartsLine(line, '1')) {
      const size_t firstNumber = lineNumber;
      const std::string_view first = line;
      if (!nextLine(line)) {
        skip({firstNumber, "truncated set"});
        break;
      }
      if (!StartsLine(line, '2')) {
        skip({firstNumber, "truncated set"});
        name = {};
        continue;  // the line after may begin the next set
      }
      TwoLineElementSet set;
      if (auto fault = ReadSet(first, line, firstNumber, set)) {
        skip(std::move(*fault));
      } else {
        set.name = NameFrom(name);
        result.sets.push_back(std::move(set));
        readUntil = position;
      }
      name = {};
    } else if (StartsLine(line, '2')) {
      skip({lineNumber, "line 2 without its line 1"});
      name = {};
    } else {
      name = line;
    }
    haveLine = nextLine(line);
  }

  if (unlisted > 0)
    result.skipped.push_back({firstUnlistedLine, FormatText("%zu more faulty sets", unlisted)});
  if (gaveUp)
    result.skipped.push_back(
        {lineNumber + 1,
         FormatText("no valid set in %zu bytes; the rest is not read", kTwoLineScanLimit)});
  return result;
}

bool IsTwoLineElementText(std::span<const uint8_t> bytes) {
  constexpr size_t kMostLinesBeforeASet = 8;  // names, comments, blank lines
  constexpr size_t kLongestLine = 256;
  std::string_view text = AsText(bytes);
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  for (size_t i = 0; i <= kMostLinesBeforeASet && !text.empty(); ++i) {
    const size_t length = text.substr(0, kLongestLine + 1).find('\n');
    if (length == std::string_view::npos && text.size() > kLongestLine) return false;
    const std::string_view line = TrimEnd(text.substr(0, length));
    text.remove_prefix(std::min(length, text.size() - 1) + 1);
    // The first set decides; a fault further on is for the reader to name.
    if (StartsLine(line, '1')) return HasLine1Shape(line);
    if (!std::all_of(line.begin(), line.end(), IsPrintable)) return false;
  }
  return false;
}

const TwoLineElementSet* NearestSetInTime(std::span<const TwoLineElementSet> sets,
                                          uint32_t catalogueNumber, double julianDate) {
  const TwoLineElementSet* nearest = nullptr;
  double nearestDistance = 0;
  for (const TwoLineElementSet& set : sets) {
    if (set.catalogueNumber != catalogueNumber) continue;
    const double distance = std::fabs(set.epochJulianDate - julianDate);
    if (nearest && !(distance < nearestDistance)) continue;
    nearest = &set;
    nearestDistance = distance;
  }
  return nearest;
}

}  // namespace kestrel
