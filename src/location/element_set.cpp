#include "location/element_set.h"

#include <algorithm>

#include "base/block.h"
#include "base/text.h"
#include "location/record_fields.h"

namespace kestrel {
namespace {

struct SatelliteRow {
  std::string_view nameContains;
  std::string_view designation;
};

// Tested in order; a later match overwrites an earlier one.
constexpr std::array<SatelliteRow, 6> kSatelliteTable{{
    {"U5", "UO-22"},
    {"IM", "UO-22"},
    {"KA", "KO-23"},
    {"KB", "KO-25"},
    {"P1", "POSAT"},
    {"TM", "TO-31"},
}};

struct CatalogueRow {
  std::string_view designation;
  uint32_t catalogueNumber;
};

// Numbers of the public satellite catalogue (NORAD/USSPACECOM; international designators
// 1991-050B, 1992-052B, 1993-061F, 1993-061G and 1998-043D). KO-23's was checked against the
// amateur-satellite pages of dk3wn.info, the others against the catalogue's own listing.
// PoSAT-1 is named "POSAT" in the ground-station files and PO-28 by its OSCAR number.
constexpr std::array<CatalogueRow, 6> kCatalogue{{
    {"UO-22", 21575},
    {"KO-23", 22077},
    {"KO-25", 22828},
    {"POSAT", 22829},
    {"PO-28", 22829},
    {"TO-31", 25396},
}};

// Where the name may run to: the record's own bytes, up to the first field.
constexpr size_t kNameFieldWidth = element_field::kEpochRevolution;

}  // namespace

std::optional<std::string_view> SatelliteForFile(std::string_view fileName) {
  std::optional<std::string_view> designation;
  for (const SatelliteRow& row : kSatelliteTable)
    if (fileName.find(row.nameContains) != std::string_view::npos) designation = row.designation;
  return designation;
}

std::optional<uint32_t> CatalogueNumberOf(std::string_view designation) {
  const std::string upper = ToUpperAscii(designation);
  for (const CatalogueRow& row : kCatalogue)
    if (row.designation == upper) return row.catalogueNumber;
  return std::nullopt;
}

ElementSet DecodeElementSet(std::span<const uint8_t> record) {
  std::array<uint8_t, kElementSetRecordSize> whole{};
  std::copy_n(record.begin(), std::min(record.size(), whole.size()), whole.begin());
  const uint8_t* r = whole.data();
  using namespace element_field;
  ElementSet set;
  set.epochRevolution = LoadU32(r + kEpochRevolution);
  set.epochDay = LoadF64(r + kEpochDay);
  set.decayRate = LoadF64(r + kDecayRate);
  set.inclination = LoadF64(r + kInclination);
  set.raan = LoadF64(r + kRaan);
  set.eccentricity = LoadF64(r + kEccentricity);
  set.argPerigee = LoadF64(r + kArgPerigee);
  set.meanAnomaly = LoadF64(r + kMeanAnomaly);
  set.meanMotion = LoadF64(r + kMeanMotion);
  set.epochYear = static_cast<int16_t>(LoadU16(r + kEpochYear));
  return set;
}

std::optional<ElementSet> FindElementSet(std::span<const uint8_t> file,
                                         std::string_view designation) {
  for (size_t offset = 0; offset < file.size(); offset += kElementSetRecordSize) {
    const auto record = file.subspan(offset, std::min(kElementSetRecordSize, file.size() - offset));
    if (LeadingText(record).find(designation) != std::string_view::npos)
      return DecodeElementSet(record);
  }
  return std::nullopt;
}

std::array<uint8_t, kElementSetRecordSize> EncodeElementSet(std::string_view name,
                                                            const ElementSet& set) {
  std::array<uint8_t, kElementSetRecordSize> record{};
  uint8_t* r = record.data();
  using namespace element_field;
  StoreLeadingText(r + kName, kNameFieldWidth, name);
  StoreU32(r + kEpochRevolution, set.epochRevolution);
  StoreF64(r + kEpochDay, set.epochDay);
  StoreF64(r + kDecayRate, set.decayRate);
  StoreF64(r + kInclination, set.inclination);
  StoreF64(r + kRaan, set.raan);
  StoreF64(r + kEccentricity, set.eccentricity);
  StoreF64(r + kArgPerigee, set.argPerigee);
  StoreF64(r + kMeanAnomaly, set.meanAnomaly);
  StoreF64(r + kMeanMotion, set.meanMotion);
  StoreU16(r + kEpochYear, static_cast<uint16_t>(set.epochYear));
  return record;
}

}  // namespace kestrel
