#pragma once
// The Edit menu's pixel commands on a grey camera picture: Pixel Adjust moves one field of an
// interlaced picture against the other, Save Edit writes the edited picture back over its
// camera file, and Image Adjust moves the picture against the copy kept at loading.

#include <cstdint>
#include <optional>
#include <span>

#include "base/block.h"

namespace kestrel {

struct Session;

enum class FieldMove { LineUp, LineDown, Left, Right };

// Moves the even rows (one field) of a picture of `height` rows of `width` bytes at the start
// of `pixels`, in place: a line up or down copies each even row from its even neighbour, a
// pixel left or right moves each even row below the highest one sideways. Rows that `pixels`
// does not hold are left out.
void MoveEvenRows(std::span<uint8_t> pixels, uint32_t width, uint32_t height, FieldMove move);

// How the rows of a loaded picture go back into a camera file.
struct CameraFileLayout {
  uint32_t lineLength = 0;  // bytes per line in the file
  uint32_t lineCount = 0;
  uint32_t fieldGap = 0;     // zeros between the two fields of an interlaced file
  bool interlaced = false;
  uint32_t stride = 0;       // row length of the picture in memory
  int64_t firstRow = 0;      // where memory row 0 starts, from the start of `pixels`
};

// `header` followed by lineCount x lineLength bytes of the picture (bottom-up rows of `pixels`)
// laid out as the loader reads them back: the top line first, or an interlaced file's two
// fields with the gap between them. Bytes the layout finds outside `pixels` are written as
// zeros. None when the file would pass the picture limit.
std::optional<Bytes> BuildCameraFile(std::span<const uint8_t> header,
                                     std::span<const uint8_t> pixels,
                                     const CameraFileLayout& layout);

// Runs `command` when it is Pixel Adjust, Save Edit or Image Adjust, with `result` 1; false for
// any other command id. A command that comes while its menu item would be greyed does nothing.
bool RunEditCommand(Session& session, int command, int& result);

}  // namespace kestrel
