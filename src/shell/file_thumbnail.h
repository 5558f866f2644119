#pragma once
// The small picture of a file, made by the flow that opens that kind of file: what the file
// manager's thumbnailer and the gallery show.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "base/block.h"
#include "satfiles/act_preview.h"

namespace kestrel {

struct Session;

// The layout a raw download's name points to (U5IW0021.ACT: UoSat), as Preview ACT's menu
// groups them; none when the name says no camera.
std::optional<ActPreset> ActPresetForName(std::string_view upperName);

// Opens `file` as the program opens it from outside: a picture, or a TMSat plane with its
// siblings as their colour set, a compressed TMSat set decoded, the first frame of a video, a
// raw download previewed in its name's layout. Then scales the picture on show so its longer
// side is `longestEdge`. None, after the flow's message, when the file gives no picture.
std::optional<Bytes> ThumbnailOfFile(Session& session, const std::filesystem::path& file,
                                     uint32_t longestEdge);

}  // namespace kestrel
