#pragma once
// The loader of every grey satellite picture: raw and decoded camera files, thumbnails,
// TMSAT wide-angle pictures and planes, keyword files and raw .ACT downloads.

#include <cstdint>
#include <memory>
#include <span>

#include "base/block.h"

namespace kestrel {

struct Session;

// Raw .ACT downloads carry a 95-byte header and are read up to a fixed body size.
inline constexpr uint16_t kActHeaderLength = 95;
inline constexpr size_t kActBodySize = 1048576;
// TMSAT wide-angle pictures start this far into their body.
inline constexpr size_t kWideAngleSkip = 380;
// Left trim moves the picture this many pixels to the left.
inline constexpr size_t kLeftTrim = 30;
// A file of the wrong size is read this far beyond its expected body.
inline constexpr size_t kCorruptFileSlack = 8192;

// How the rows of a file body become the rows of a picture.
struct RowLayout {
  uint32_t fileWidth = 0;
  uint32_t fileHeight = 0;
  uint32_t stride = 0;      // row length of the picture, a multiple of 4
  uint32_t fieldGap = 0;    // bytes between the two fields
  bool fields = false;      // two fields one after the other, to be interleaved
  bool secondFieldLeft = false;  // the second field sits one pixel further left
};

// Places the rows of `body` into `dibPixels` (bottom-up, `fileHeight` rows) and `topDown`
// (top-down; a field body's row k holds picture row k + 1). Bytes outside a buffer are
// neither read nor written.
void PlaceRows(std::span<const uint8_t> body, std::span<uint8_t> dibPixels,
               std::span<uint8_t> topDown, const RowLayout& layout);

// One pass over `bytes` as one long line: a value standing more than 4 away from both of its
// neighbours, nearer the right one than the left one is, becomes their mean. The left
// neighbour is the one already filtered; the first and last bytes stay as they are.
void SpikeFilter(std::span<uint8_t> bytes);

// Reads the file named by the current file path as the identification record describes it
// and leaves the picture (an 8-bit packed DIB) in the loaded image, with its copies; none on
// failure, after the message.
Block LoadSingleImage(Session& session);
// The same load from the bytes of the file named by the current file path, already in memory
// (none: the file could not be read). They are kept, unchanged, for the copies. A raw .ACT
// download is read into `downloadBodySize` bytes of body, its picture block sized for them.
Block LoadSingleImage(Session& session, std::shared_ptr<const Bytes> file,
                      size_t downloadBodySize = kActBodySize);

}  // namespace kestrel
