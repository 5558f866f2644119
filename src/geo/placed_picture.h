#pragma once
// The picture on show placed on the Earth: where the satellite was, and the ground the
// picture covers, turned as the picture is. What the map window, `kestrel-cli map` and the
// exports start from.

#include <optional>
#include <string>

#include "geo/footprint.h"
#include "location/picture_location.h"
#include "location/report.h"

namespace kestrel {

struct Session;

struct PlacedPicture {
  PictureLocation location;
  Footprint footprint;
};

struct PlacedPictureOutcome {
  std::optional<PlacedPicture> placed;
  std::string problem;  // when not placed: why, in words (no capture time, which file is missing)
};

// A picture already located, laid on the ground its camera covers; none when the name tells no
// camera.
std::optional<PlacedPicture> PlaceLocatedPicture(PictureLocation location, std::string_view fileName,
                                                 int quarterTurnsClockwise);

// Places the camera file `fileName` whose header is `header`, turned `quarterTurnsClockwise`
// since it was loaded.
PlacedPictureOutcome PlacePicture(const std::string& fileName, const FileHeader& header,
                                  int quarterTurnsClockwise, const LocationFiles& files);

// The picture on show, with the element sets and places of the settings.
PlacedPictureOutcome PlacePictureOnShow(Session& session);

// "38 km NE of Reading", or "at Reading" right over it.
std::string NearestPlacePhrase(const NearestPlaceResult& place);

// What the map shows, in words for a screen reader: "KO-23 wide camera, 1995-03-27 10:41 UTC,
// centred 51.2° N 0.4° W, 38 km NE of Reading; footprint about 2,000 km across".
std::string DescribePlacedPicture(const PlacedPicture& placed);

}  // namespace kestrel
