#pragma once
// A folder of camera files at a glance: which entries it holds, in what order, and the small
// picture of each, made off the window's thread.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/block.h"
#include "satfiles/identification.h"

namespace kestrel {

struct Session;

// One thing to look at: a picture file, a colour set (its three planes), a compressed pair (its
// thumbnail and compressed file), a video or a raw download.
struct GalleryEntry {
  std::filesystem::path file{};  // what opening the entry opens: the first plane, the thumbnail
  std::string name{};          // the file's name as it lies in the folder
  Satellite satellite = Satellite::Unknown;
  std::string kind{};          // "colour set", "compressed pair", or the file's own kind
  int64_t captureTime = 0;     // from the header, seconds since 1970 UTC; 0 for none
  bool colourSet = false;
  bool pair = false;
};

// Every file of `folder` the program recognises, one entry per set and per pair, in name
// order. Reads the first 256 bytes of each for its capture time; a folder that cannot be read
// gives none.
std::vector<GalleryEntry> ListGalleryFolder(const std::filesystem::path& folder);

enum class GalleryOrder { Name, CaptureTime, Satellite };

// Which entries are shown: empty fields let every satellite or kind through.
struct GalleryFilter {
  std::string satellite{};  // as SatelliteName gives it
  std::string kind{};
  bool Accepts(const GalleryEntry& entry) const;
};

// The indices of the entries the filter lets through, in the order asked for. Ties keep name
// order; entries without a capture time come after those with one.
std::vector<size_t> ArrangeGallery(const std::vector<GalleryEntry>& entries, GalleryOrder order,
                                   const GalleryFilter& filter);

// "1996-08-19 11:05:23"; empty without a capture time.
std::string CaptureTimeText(const GalleryEntry& entry);
// What a screen reader says of an entry: "NAME, SATELLITE KIND, captured DATE TIME".
std::string GalleryItemName(const GalleryEntry& entry);

// The entry's small picture, or the reason there is none (the message its open flow gave).
// Runs in a session of its own with a silent platform, so that any number may run at once on
// other threads.
struct GalleryThumbnail {
  std::optional<Bytes> dib;
  std::string problem;
};
GalleryThumbnail MakeGalleryThumbnail(const GalleryEntry& entry, uint32_t longestEdge);

// Opens the entry in the window's session as the program opens its kind: a raw download as
// Preview ACT does in its name's layout, a pair as Decompress does, anything else as from the
// command line, a colour set as a set. False when nothing came of it.
bool OpenGalleryEntry(Session& session, const GalleryEntry& entry);

}  // namespace kestrel
