#pragma once
// The on-disk layouts of the satellites' camera files, built from a picture.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace samples {

using Bytes = std::vector<uint8_t>;

// A grey picture, rows top-down.
struct Picture {
  size_t width = 0;
  size_t height = 0;
  Bytes pixels;
  uint8_t& At(size_t row, size_t column) { return pixels[row * width + column]; }
};

// Where a 256-byte header keeps the capture time: UoSat, KITSAT and PoSAT files at 4, TMSAT
// files further in.
inline constexpr size_t kCaptureTimeOffset = 4;
inline constexpr size_t kTmsatCaptureTimeOffset = 16;

Bytes CameraHeader(uint32_t captureTime, size_t timeOffset = kCaptureTimeOffset);
// A decoded or thumbnail file's header, which also keeps the picture size at 251..254.
Bytes SizedHeader(uint32_t captureTime, size_t width, size_t height,
                  size_t timeOffset = kCaptureTimeOffset);

Bytes Concat(Bytes first, const Bytes& second);

// The two-field body of a raw image: picture rows 1, 3, 5 ..., `gap` bytes, rows 2, 4, ...;
// row 0 is not stored. The body is width x height bytes.
Bytes FieldBody(const Picture& picture, size_t gap);
// TMSAT wide angle: 380 leading bytes, then two fields without a gap, the second stored one
// pixel to the right of the first.
Bytes WideAngleBody(const Picture& picture);
Bytes SequentialBody(const Picture& picture);

// One byte per 4 x 4 block: the block's mean, rounded down.
Picture Thumbnail(const Picture& picture);

// The picture turned by a half turn.
Picture HalfTurn(const Picture& picture);

// Content moved `bytes` toward the start of the file (negative: toward its end); the bytes it
// uncovers come from `margin`, the picture continued beyond its first or last row.
Bytes Shifted(const Bytes& body, const Bytes& margin, std::ptrdiff_t bytes);

// Brightens every row above `row` by `amount`, as blocks received in another pass would be.
void AddSeam(Picture& picture, size_t row, int amount);
// Darkens the first `count` columns: the dark reference pixels of cameras whose pictures the
// loader trims on the left.
void AddDarkReference(Picture& picture, size_t count);
// Scatters `count` single hot pixels, as a tired CCD shows them.
void AddHotPixels(Picture& picture, size_t count, uint32_t seed);

// A raw download of a camera file: the file with some of its 109-byte blocks (counted behind
// the 108-byte header) received twice. `repeats` names (block, how far back) pairs.
struct Repeat {
  size_t afterBlock;
  size_t back;  // 0 repeats the block itself, up to 8 blocks further back
};
Bytes WithRepeatedBlocks(const Bytes& file, const std::vector<Repeat>& repeats);

// TMSAT video: TM4 frames separated by runs of zeros, TM5 frames back to back.
Bytes SeparatedFrames(const std::vector<Picture>& frames, size_t frameSpacing);
Bytes ContiguousFrames(const std::vector<Picture>& frames, size_t fileSize);

}  // namespace samples
