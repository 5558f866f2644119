#include "location/report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "base/block.h"
#include "base/text.h"

namespace kestrel {
namespace {

constexpr int kAgedAfterDays = 90;
constexpr size_t kCaptureTimeOffset = 4;
constexpr size_t kTmsatCaptureTimeOffset = 16;
constexpr std::string_view kTmsatPrefix = "TM";
constexpr int kWithheldFromDays = 365;

std::string TextAt(const FileHeader& header, size_t offset, size_t length, size_t capacity) {
  const size_t available = std::min(length, capacity);
  const auto* begin = reinterpret_cast<const char*>(header.data() + offset);
  const auto* end = std::find(begin, begin + available, '\0');
  return std::string(begin, end);
}

}  // namespace

ReportStatus StatusForEpochAge(int epochAgeDays) {
  if (epochAgeDays >= kWithheldFromDays) return ReportStatus::Withheld;
  if (epochAgeDays > kAgedAfterDays) return ReportStatus::Aged;
  return ReportStatus::Current;
}

std::string_view WarningFor(ReportStatus status) {
  switch (status) {
    case ReportStatus::Aged: return kWarning90Days;
    case ReportStatus::Withheld: return kWarning12Months;
    case ReportStatus::Current: break;
  }
  return {};
}

uint32_t HeaderCaptureTime(const FileHeader& header, std::string_view fileName) {
  return LoadU32(header.data() +
                 (fileName.starts_with(kTmsatPrefix) ? kTmsatCaptureTimeOffset : kCaptureTimeOffset));
}

std::tm UtcCalendarFields(int64_t secondsSince1970) {
  // Converted in UTC directly: the process's time zone is never touched.
  const std::time_t t = static_cast<std::time_t>(secondsSince1970);
  std::tm utc{};
  gmtime_r(&t, &utc);
  return utc;
}

std::string CaptureDateText(const std::tm& utc) {
  static constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  return FormatText("%s %s %02d %02d:%02d:%02d %d\n", kWeekdays[utc.tm_wday], kMonths[utc.tm_mon],
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, utc.tm_year + 1900);
}

double SignedLongitude(double eastLongitude) {
  return eastLongitude > 180 ? eastLongitude - 360 : eastLongitude;
}

std::string ReportTitle(std::string_view designation, std::string_view dateText) {
  const std::string name(designation);
  const std::string date(dateText);
  return FormatText("%28s Image\nRecorded on %s", name.c_str(), date.c_str());
}

std::string PositionLines(double latitude, double longitude) {
  return FormatText("%15.1f Degrees %s Latitude\n%14.1f Degrees %s Longitude\n",
                std::fabs(latitude), latitude < 0 ? "South" : "North", std::fabs(longitude),
                longitude < 0 ? "West" : "East");
}

std::string PlaceText(const NearestPlaceResult& place) {
  if (!place.bearingDegrees)
    return FormatText("  %.0f kilometres\n        from %s", place.distanceKm, place.name.c_str());
  const std::string word(CompassWord(*place.bearingDegrees, place.pictureLiesEast));
  return FormatText("  %4.0f Deg %s and %.0f kilometres\n        from %s", *place.bearingDegrees,
                word.c_str(), place.distanceKm, place.name.c_str());
}

bool HasInformationStamp(const FileHeader& header) {
  return header[information_stamp::kMark + 6] == 'V' ||
         header[information_stamp::kMark + 7] == 'K';
}

bool HasImageStamp(const FileHeader& header) {
  return header[image_stamp::kMark] == 'C' || header[image_stamp::kMark + 1] == 'j';
}

bool CarriesCompleteStamp(const FileHeader& header) {
  return (header[image_stamp::kMark] == 'C' && header[image_stamp::kMark + 1] == 'j') ||
         (header[information_stamp::kMark + 6] == 'V' &&
          header[information_stamp::kMark + 7] == 'K');
}

std::string StoredInformationReport(const FileHeader& header) {
  return TextAt(header, information_stamp::kText, header[information_stamp::kLength],
                information_stamp::kTextCapacity);
}

std::string StoredImageReport(const FileHeader& header) {
  return TextAt(header, image_stamp::kText, header[image_stamp::kLength],
                image_stamp::kTextCapacity);
}

std::string ShortenForStamp(std::string_view report, size_t capacity) {
  if (report.size() <= capacity) return std::string(report);
  const size_t lineBreak = report.rfind('\n', capacity);
  return std::string(report.substr(0, lineBreak == std::string_view::npos ? capacity : lineBreak));
}

std::vector<HeaderSpan> StampInformationHeader(FileHeader& header, std::string_view report) {
  using namespace information_stamp;
  const std::string text = ShortenForStamp(report, kTextCapacity);
  std::copy(kMarkText.begin(), kMarkText.end(), header.begin() + kMark);
  header[kLength] = static_cast<uint8_t>(text.size());
  header[kLengthHigh] = 0;
  std::copy(text.begin(), text.end(), header.begin() + kText);
  header[kText + text.size()] = 0;
  return {{kText, text.size() + 1}, {kLength, 2}, {kMark, kMarkText.size()}};
}

std::vector<HeaderSpan> StampImageHeader(FileHeader& header, std::string_view report,
                                         ReportStatus status) {
  using namespace image_stamp;
  const std::string text = ShortenForStamp(report, kTextCapacity);
  header[kLength] = static_cast<uint8_t>(text.size());
  std::copy(kMarkText.begin(), kMarkText.end(), header.begin() + kMark);
  std::copy(text.begin(), text.end(), header.begin() + kText);
  header[kText + text.size()] = 0;
  header[kStatus] = static_cast<uint8_t>(status);
  return {{kStatus, 1}, {kText, text.size() + 1}, {kLength, 1 + kMarkText.size()}};
}

}  // namespace kestrel
