#pragma once
// The texts of the image information report and the stamp that keeps a report in the
// 256-byte header of the file it describes.

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "location/places.h"

namespace kestrel {

using FileHeader = std::array<uint8_t, 256>;

// How much the report may be trusted, by the age of the element set against the picture.
enum class ReportStatus : uint8_t {
  Current = 0,     // position and nearest place
  Aged = 1,        // position with the 90-day warning
  Withheld = 2,    // no position, 12-month warning
};

ReportStatus StatusForEpochAge(int epochAgeDays);

inline constexpr std::string_view kWarning90Days =
    "\n WARNING !!! This image was captured\n"
    "90 days prior to existing kep element set.\n"
    "Position info may not be totally accurate.";
inline constexpr std::string_view kWarning12Months =
    "\n WARNING !!! This image was captured\n"
    "over 12 months ago. The positional data\n"
    "                has been negated.";

// The warning a status carries; empty for a current report.
std::string_view WarningFor(ReportStatus status);

// The capture time a camera file's header holds: seconds since 1970, UTC; 0 for none. TMSat
// files keep it further in.
uint32_t HeaderCaptureTime(const std::array<uint8_t, 256>& header, std::string_view fileName);

// The calendar fields of a moment given as seconds since 1970, in UTC.
std::tm UtcCalendarFields(int64_t secondsSince1970);
// "Mon Sep 07 10:20:30 1998\n": 24 characters and a line break.
std::string CaptureDateText(const std::tm& utc);

// An east longitude of 0 … 360 as -180 … 180, west negative.
double SignedLongitude(double eastLongitude);

std::string ReportTitle(std::string_view designation, std::string_view dateText);
std::string PositionLines(double latitude, double longitude);
std::string PlaceText(const NearestPlaceResult& place);

// A byte range of the header that a stamp wrote.
struct HeaderSpan {
  size_t offset = 0;
  size_t length = 0;
};

// Stamp of a TMSat set's information file (TM0?????.IMW): text with its warnings.
namespace information_stamp {
inline constexpr size_t kMark = 1;          // "AMSAT-VK" and a NUL
inline constexpr std::string_view kMarkText{"AMSAT-VK\0", 9};
inline constexpr size_t kLength = 14;
inline constexpr size_t kLengthHigh = 15;   // always 0
inline constexpr size_t kText = 20;
inline constexpr size_t kTextCapacity = 235;  // characters before the closing NUL at 255
}  // namespace information_stamp

// Stamp of any other camera file: text without warnings, status byte apart.
namespace image_stamp {
inline constexpr size_t kLength = 10;
inline constexpr size_t kMark = 11;         // "Cj"; the text's first byte takes the NUL
inline constexpr std::string_view kMarkText = "Cj";
inline constexpr size_t kText = 13;
inline constexpr size_t kTextCapacity = 226;  // characters before the closing NUL at 239
inline constexpr size_t kStatus = 240;
}  // namespace image_stamp

// Whether a header counts as stamped, so that its stored report is shown again.
bool HasInformationStamp(const FileHeader& header);
bool HasImageStamp(const FileHeader& header);
// Whether both bytes of either mark are in place, as a report needs before it is shown.
bool CarriesCompleteStamp(const FileHeader& header);

std::string StoredInformationReport(const FileHeader& header);
std::string StoredImageReport(const FileHeader& header);

// A report cut to fit `capacity` characters: at the last line break that fits, or hard
// when no line break does.
std::string ShortenForStamp(std::string_view report, size_t capacity);

// Write a stamp into the header and say which bytes it changed, nothing else, in the order
// to write them to the file: the mark last, so that a write failing part-way leaves no mark.
std::vector<HeaderSpan> StampInformationHeader(FileHeader& header, std::string_view report);
std::vector<HeaderSpan> StampImageHeader(FileHeader& header, std::string_view report,
                                         ReportStatus status);

}  // namespace kestrel
