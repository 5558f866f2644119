#include "location/builtin_places.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numbers>
#include <utility>

#include "base/block.h"

namespace kestrel {

// The list's bytes, compiled in from resources/places/cities.bin (src/embed_bytes.cmake).
extern const unsigned char kBuiltInPlacesBytes[];
extern const size_t kBuiltInPlacesSize;

namespace {

// Layout: tag, u32 place count N, u16 country count K, K two-letter codes, N latitudes then
// N longitudes (i16, 1/100 degree), N country indexes (u8), N NUL-terminated names.
constexpr std::array<uint8_t, 4> kTag = {'K', 'P', 'L', '1'};
constexpr size_t kPlaceCountAt = 4;
constexpr size_t kCountryCountAt = 8;
constexpr size_t kCountryCodesAt = 10;
constexpr size_t kCountryCodeSize = 2;
constexpr size_t kCoordinateSize = 2;
constexpr size_t kPlaceColumnsSize = 2 * kCoordinateSize + 1;
constexpr int kUnitsPerDegree = 100;

int16_t LoadI16(const uint8_t* p) { return static_cast<int16_t>(LoadU16(p)); }

// Places per leaf of the tree: a handful, measured one by one.
constexpr size_t kLeafSize = 8;
// Computed angles can be off by a few 1e-8 radians next to a place (the arc cosine of a
// cosine near 1); whatever lies this much farther out cannot win or tie. About 6 m.
constexpr double kAngleMargin = 1e-6;

using Direction = std::array<double, 3>;

double SquaredChord(const Direction& a, const Direction& b) {
  const double dx = a[0] - b[0];
  const double dy = a[1] - b[1];
  const double dz = a[2] - b[2];
  return dx * dx + dy * dy + dz * dz;
}

// The squared straight-line distance of a place `angle` and the margin from the picture:
// whatever lies beyond it is farther than `angle` whichever way it is measured.
double SquaredReach(double angle) {
  const double widened = angle + kAngleMargin;
  if (widened >= std::numbers::pi) return std::numeric_limits<double>::infinity();
  const double chord = 2 * std::sin(widened / 2);
  return chord * chord;
}

// A k-d tree over the places' directions from the Earth's centre. Straight-line nearness there
// is nearness along great circles, with no seam at the date line and none at the poles. The
// tree only picks out the few places worth measuring; each is then measured exactly as
// NearestPlace measures it.
class DirectionTree {
 public:
  explicit DirectionTree(std::span<const BuiltInPlace> places) : places_(places) {
    entries_.reserve(places.size());
    for (size_t i = 0; i < places.size(); ++i)
      entries_.push_back({DirectionOf(places[i].latitude, places[i].longitude), i, 0});
    Build(0, entries_.size());
  }

  struct Found {
    size_t place;
    double angle;
  };

  // The place at the least angle from the picture, the earlier of a tie.
  std::optional<Found> Nearest(const PicturePoint& picture, const Direction& target) const {
    Search search(picture, target);
    Visit(search, 0, entries_.size());
    if (!search.best) return std::nullopt;
    return Found{*search.best, search.bestAngle};
  }

 private:
  // The entry in the middle of each range splits the rest on `splitAxis`: those before it lie
  // at or below its coordinate on that axis, those after it at or above.
  struct Entry {
    Direction direction;
    size_t place;
    uint8_t splitAxis;
  };

  struct Search {
    Search(const PicturePoint& measuredFrom, const Direction& direction)
        : picture(measuredFrom), target(direction) {}
    const PicturePoint& picture;
    Direction target;
    std::optional<size_t> best;
    double bestAngle = 0;
    double squaredReach = std::numeric_limits<double>::infinity();
  };

  void Build(size_t begin, size_t end) {
    if (end - begin <= kLeafSize) return;
    Direction low = entries_[begin].direction;
    Direction high = low;
    for (size_t i = begin; i < end; ++i) {
      for (size_t axis = 0; axis < 3; ++axis) {
        low[axis] = std::min(low[axis], entries_[i].direction[axis]);
        high[axis] = std::max(high[axis], entries_[i].direction[axis]);
      }
    }
    uint8_t axis = 0;
    for (uint8_t a = 1; a < 3; ++a)
      if (high[a] - low[a] > high[axis] - low[axis]) axis = a;
    const size_t middle = begin + (end - begin) / 2;
    std::nth_element(entries_.begin() + static_cast<ptrdiff_t>(begin),
                     entries_.begin() + static_cast<ptrdiff_t>(middle),
                     entries_.begin() + static_cast<ptrdiff_t>(end),
                     [axis](const Entry& a, const Entry& b) {
                       return a.direction[axis] < b.direction[axis];
                     });
    entries_[middle].splitAxis = axis;
    Build(begin, middle);
    Build(middle + 1, end);
  }

  void Visit(Search& search, size_t begin, size_t end) const {
    if (end - begin <= kLeafSize) {
      for (size_t i = begin; i < end; ++i) Measure(search, entries_[i]);
      return;
    }
    const size_t middle = begin + (end - begin) / 2;
    const Entry& split = entries_[middle];
    const double gap = search.target[split.splitAxis] - split.direction[split.splitAxis];
    const auto below = std::pair(begin, middle);
    const auto above = std::pair(middle + 1, end);
    const auto [nearBegin, nearEnd] = gap < 0 ? below : above;
    const auto [farBegin, farEnd] = gap < 0 ? above : below;
    Visit(search, nearBegin, nearEnd);
    Measure(search, split);
    if (gap * gap <= search.squaredReach) Visit(search, farBegin, farEnd);
  }

  void Measure(Search& search, const Entry& entry) const {
    if (SquaredChord(entry.direction, search.target) > search.squaredReach) return;
    const BuiltInPlace& place = places_[entry.place];
    const double angle = AngleToPicture(search.picture, place.latitude, place.longitude);
    if (search.best && (angle > search.bestAngle ||
                        (angle == search.bestAngle && entry.place > *search.best)))
      return;
    search.best = entry.place;
    search.bestAngle = angle;
    search.squaredReach = SquaredReach(angle);
  }

  std::span<const BuiltInPlace> places_;
  std::vector<Entry> entries_;
};

struct IndexedPlaces {
  explicit IndexedPlaces(std::vector<BuiltInPlace> decoded)
      : places(std::move(decoded)), tree(places) {}
  IndexedPlaces(const IndexedPlaces&) = delete;  // the tree looks into `places`
  IndexedPlaces& operator=(const IndexedPlaces&) = delete;
  std::vector<BuiltInPlace> places;
  DirectionTree tree;
};

const IndexedPlaces& BuiltInList() {
  static const IndexedPlaces list(
      DecodeBuiltInPlaces({kBuiltInPlacesBytes, kBuiltInPlacesSize}).value_or(
          std::vector<BuiltInPlace>{}));
  return list;
}

}  // namespace

std::optional<std::vector<BuiltInPlace>> DecodeBuiltInPlaces(std::span<const uint8_t> bytes) {
  if (bytes.size() < kCountryCodesAt || !std::equal(kTag.begin(), kTag.end(), bytes.begin()))
    return std::nullopt;
  const uint64_t count = LoadU32(bytes.data() + kPlaceCountAt);
  const uint64_t countries = LoadU16(bytes.data() + kCountryCountAt);
  const uint64_t latitudesAt = kCountryCodesAt + countries * kCountryCodeSize;
  const uint64_t namesAt = latitudesAt + count * kPlaceColumnsSize;
  if (namesAt > bytes.size()) return std::nullopt;
  const uint8_t* latitudes = bytes.data() + latitudesAt;
  const uint8_t* longitudes = latitudes + count * kCoordinateSize;
  const uint8_t* countryIndexes = longitudes + count * kCoordinateSize;

  std::vector<BuiltInPlace> places;
  places.reserve(count);  // at most a fifth of the bytes, checked above
  size_t nameAt = namesAt;
  for (size_t i = 0; i < count; ++i) {
    const int latitude = LoadI16(latitudes + i * kCoordinateSize);
    const int longitude = LoadI16(longitudes + i * kCoordinateSize);
    const size_t country = countryIndexes[i];
    if (std::abs(latitude) > 90 * kUnitsPerDegree || std::abs(longitude) > 180 * kUnitsPerDegree ||
        country >= countries)
      return std::nullopt;
    const auto* name = reinterpret_cast<const char*>(bytes.data() + nameAt);
    const auto* nul = static_cast<const char*>(std::memchr(name, 0, bytes.size() - nameAt));
    if (!nul) return std::nullopt;
    const auto* code = reinterpret_cast<const char*>(bytes.data() + kCountryCodesAt +
                                                     country * kCountryCodeSize);
    places.push_back({std::string(name, nul) + ", " + std::string(code, kCountryCodeSize),
                      static_cast<double>(latitude) / kUnitsPerDegree,
                      static_cast<double>(longitude) / kUnitsPerDegree});
    nameAt += static_cast<size_t>(nul - name) + 1;
  }
  if (nameAt != bytes.size()) return std::nullopt;
  return places;
}

std::span<const BuiltInPlace> BuiltInPlaces() { return BuiltInList().places; }

size_t BuiltInPlaceCount() { return BuiltInList().places.size(); }

std::optional<NearestPlaceResult> NearestBuiltInPlace(double latitude, double longitude) {
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) return std::nullopt;
  const IndexedPlaces& list = BuiltInList();
  const PicturePoint picture(latitude, longitude);
  const auto nearest = list.tree.Nearest(picture, DirectionOf(latitude, longitude));
  if (!nearest) return std::nullopt;
  const BuiltInPlace& place = list.places[nearest->place];
  return DescribeNearestPlace(place.name, picture, place.latitude, place.longitude,
                              nearest->angle);
}

}  // namespace kestrel
