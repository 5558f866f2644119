// TMSAT video files of any content, from memory: the frame scan of "TM4" files and the frame
// run of "TM5" files must place every frame inside its picture and read nothing outside the
// file. The first byte picks the kind; the rest is the file.

#include <cstdint>
#include <span>

#include "satfiles/video.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  if (size < 1) return 0;
  const bool scanned = data[0] & 1;
  const std::span<const uint8_t> body(data + 1, size - 1);
  // The frame sizes of TM4 and TM5 files; now and then an odd one.
  const uint16_t width = data[0] & 2 ? static_cast<uint16_t>(data[0] % 61 + 1) : scanned ? 382 : 141;
  const uint16_t height = data[0] & 2 ? static_cast<uint16_t>(data[0] % 37 + 1) : scanned ? 287 : 141;
  const VideoFormat format = VideoFormatFor(scanned, width, height, body.size(), 0);
  Block frame = NewVideoFrame(format);
  if (!frame) return 0;
  const size_t frameSize = frame->size();
  uint32_t shown = 0;
  ForEachVideoFrame(body, format, *frame, [&] { ++shown; });
  if (frame->size() != frameSize || shown > format.frameCount) __builtin_trap();
  return 0;
}
