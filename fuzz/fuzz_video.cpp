// TMSAT video files of any content, from memory: the frame scan of "TM4" files and the frame
// run of "TM5" files must place every frame inside its picture and read nothing outside the
// file. The first byte picks the kind, and now and then plays the file as the window does,
// each frame the picture on show; the rest is the file.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

#include "platform/scripted_platform.h"
#include "satfiles/identification.h"
#include "satfiles/video.h"
#include "session/session.h"

namespace {

using namespace kestrel;

constexpr uint32_t kMostFrames = 8;

// The file behind a 256-byte header that gives the frame size, as the camera writes it, played
// through a session: every frame installed as the picture on show.
void Play(bool scanned, uint16_t width, uint16_t height, std::span<const uint8_t> body) {
  Bytes file(kCameraHeaderLength + body.size(), 0);
  StoreU16(file.data() + 251, width);
  StoreU16(file.data() + 253, height);
  std::copy(body.begin(), body.end(), file.begin() + kCameraHeaderLength);
  // Each frame is installed and shown, and a TM4 frame is scanned for through the 29000 bytes
  // that follow it: a few frames make the point.
  const auto format = VideoFormatFor(scanned, width, height, file.size(), kCameraHeaderLength);
  if (format.frameCount > (scanned ? 1 : kMostFrames)) return;
  ScriptedPlatform platform;
  Session session(platform, ".");
  session.state.currentFilePath = scanned ? "TM400001.IMI" : "TM500001.IMI";
  IdentifyImageBytes(session, file);
  PlayTmsatVideo(session, session.state.currentFilePath, file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool scanned = data[0] & 1;
  const std::span<const uint8_t> body(data + 1, size - 1);
  // The frame sizes of TM4 and TM5 files; now and then an odd one.
  const uint16_t width = data[0] & 2 ? static_cast<uint16_t>(data[0] % 61 + 1) : scanned ? 382 : 141;
  const uint16_t height = data[0] & 2 ? static_cast<uint16_t>(data[0] % 37 + 1) : scanned ? 287 : 141;
  if (data[0] & 4) {
    Play(scanned, width, height, body);
    return 0;
  }
  const VideoFormat format = VideoFormatFor(scanned, width, height, body.size(), 0);
  Block frame = NewVideoFrame(format);
  if (!frame) return 0;
  const size_t frameSize = frame->size();
  uint32_t shown = 0;
  ForEachVideoFrame(body, format, *frame, [&] { ++shown; });
  if (frame->size() != frameSize || shown > format.frameCount) __builtin_trap();
  return 0;
}
