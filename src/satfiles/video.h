#pragma once
// TMSAT-1 video files: a run of small frames, shown one after another. "TM5" frames follow one
// another without gaps; "TM4" frames end where a run of non-zero bytes ends.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "base/block.h"

namespace kestrel {

struct Session;

struct VideoFormat {
  bool scanned = false;    // "TM4": frames found by scanning for the runs that end them
  uint32_t width = 0;      // file width
  uint32_t height = 0;     // file height
  uint32_t frameCount = 0;
  uint32_t pauseMs = 0;    // how long each frame stays
  uint32_t passes = 0;     // three for 2..20 frames, else one without pauses
};

// The format of a video file of `fileSize` bytes whose frames are `width` x `height`, named
// "TM4..." when `scanned`.
VideoFormat VideoFormatFor(bool scanned, uint16_t width, uint16_t height, uint64_t fileSize,
                           uint16_t headerLength);

// An 8-bit grey packed DIB for one frame: rows rounded up to a multiple of 4 both ways.
Block NewVideoFrame(const VideoFormat& format);

// Calls `show` for the frames of one pass in order, each copied into `frame` (rows top-down in
// `body` become bottom-up rows of the DIB). A frame that would begin before the body keeps
// black rows for what is missing; nothing is read outside `body`.
void ForEachVideoFrame(std::span<const uint8_t> body, const VideoFormat& format, Bytes& frame,
                       const std::function<void()>& show);

// Plays the video file `name` in the session's directory: every frame shown for its pause,
// through the Platform, and the last one left on show. False when the file cannot be read.
bool PlayTmsatVideo(Session& session, const std::string& name);
// The same for the video file's bytes, already in memory.
bool PlayTmsatVideo(Session& session, const std::string& name, std::span<const uint8_t> file);

// Reads the video file for one pass: its format and its body; none after the message.
struct VideoFile {
  VideoFormat format;
  Bytes body;
};
std::optional<VideoFile> ReadVideoFile(Session& session, const std::string& name);

}  // namespace kestrel
