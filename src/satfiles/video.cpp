#include "satfiles/video.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "bitmap/dib.h"
#include "platform/files.h"
#include "session/current_image.h"
#include "session/session.h"

namespace kestrel {
namespace {

constexpr uint32_t kScannedFrameGap = 29000;  // bytes a "TM4" frame is counted with
constexpr uint32_t kScannedPauseMs = 1000;
constexpr uint32_t kSequentialPauseMs = 500;
constexpr uint32_t kMostRepeatedFrames = 20;

uint32_t RoundUp4(uint32_t value) { return (value + 3) / 4 * 4; }

// Where a scanned frame ends: past the zeros, past the first non-zero byte, past the non-zero
// run and its closing zero. Returns the position of that zero and moves `scan` behind it.
size_t NextScannedFrameEnd(std::span<const uint8_t> body, size_t& scan) {
  size_t at = scan;
  while (at < body.size() && body[at] == 0) ++at;
  at = std::min(at + 1, body.size());
  while (at < body.size() && body[at] != 0) ++at;
  const size_t end = at;
  scan = std::min(at + 1, body.size());
  return end;
}

void CopyFrame(std::span<const uint8_t> body, int64_t start, const VideoFormat& format,
               Bytes& frame) {
  const uint32_t stride = RoundUp4(format.width);
  uint8_t* pixels = frame.data() + kInfoHeaderSize + 1024;
  for (uint32_t r = 0; r < format.height; ++r) {
    uint8_t* out = pixels + size_t{format.height - 1 - r} * stride;
    const int64_t from = start + int64_t{r} * format.width;
    for (uint32_t x = 0; x < format.width; ++x) {
      const int64_t at = from + x;
      out[x] = at >= 0 && at < static_cast<int64_t>(body.size()) ? body[static_cast<size_t>(at)] : 0;
    }
  }
}

}  // namespace

VideoFormat VideoFormatFor(bool scanned, uint16_t width, uint16_t height, uint64_t fileSize,
                           uint16_t headerLength) {
  VideoFormat format{scanned, width, height, 0, scanned ? kScannedPauseMs : kSequentialPauseMs, 1};
  const uint64_t frameSize = uint64_t{RoundUp4(width)} * RoundUp4(height);
  const uint64_t body = fileSize > headerLength ? fileSize - headerLength : 0;
  const uint64_t divisor = frameSize + (scanned ? kScannedFrameGap : 0);
  if (frameSize > 0) format.frameCount = static_cast<uint32_t>(std::min<uint64_t>(body / divisor, UINT32_MAX));
  const bool repeated = format.frameCount >= 2 && format.frameCount <= kMostRepeatedFrames;
  format.passes = repeated ? 3 : 1;
  if (!repeated) format.pauseMs = 0;
  return format;
}

Block NewVideoFrame(const VideoFormat& format) {
  BitmapInfoHeader header;
  header.biWidth = static_cast<int32_t>(RoundUp4(format.width));
  header.biHeight = static_cast<int32_t>(RoundUp4(format.height));
  header.biBitCount = 8;
  header.biSizeImage = static_cast<uint32_t>(header.biWidth) * static_cast<uint32_t>(header.biHeight);
  Block frame = NewBlock(LoaderBlockSize(size_t{header.biSizeImage} + kInfoHeaderSize + 1024));
  StoreInfoHeader(header, *frame);
  FillGreyColourTable(*frame);
  return frame;
}

void ForEachVideoFrame(std::span<const uint8_t> body, const VideoFormat& format, Bytes& frame,
                       const std::function<void()>& show) {
  const uint64_t frameBytes = uint64_t{format.width} * format.height;
  size_t scan = 0;
  for (uint32_t k = 0; k < format.frameCount; ++k) {
    int64_t start = 0;
    if (format.scanned) {
      start = static_cast<int64_t>(NextScannedFrameEnd(body, scan)) - static_cast<int64_t>(frameBytes);
    } else {
      start = static_cast<int64_t>(k * frameBytes);
    }
    CopyFrame(body, start, format, frame);
    show();
  }
}

namespace {

// The format and body of a video file's bytes, named by the current file path and described
// by the identification record.
VideoFile VideoFromBytes(const ImageState& s, std::span<const uint8_t> contents) {
  const IdentificationRecord& id = s.identification;
  VideoFile video;
  video.format = VideoFormatFor(!s.currentFilePath.starts_with("TM5"), id.fileWidth,
                                id.fileHeight, contents.size(), id.headerLength);
  const auto body = contents.subspan(std::min<size_t>(id.headerLength, contents.size()));
  video.body.assign(body.begin(), body.end());
  return video;
}

bool Play(Session& session, const VideoFile& video) {
  if (!PictureBlockSize(uint64_t{RoundUp4(video.format.width)}, RoundUp4(video.format.height))) {
    ShowPictureTooLarge(session, session.state.currentFilePath);
    return false;
  }
  Block frame = NewVideoFrame(video.format);
  for (uint32_t pass = 0; pass < video.format.passes; ++pass)
    ForEachVideoFrame(video.body, video.format, *frame, [&] {
      SetCurrentImage(session, frame);
      if (video.format.pauseMs) session.platform.Pause(video.format.pauseMs);
    });
  return true;
}

}  // namespace

std::optional<VideoFile> ReadVideoFile(Session& session, const std::string& name) {
  ImageState& s = session.state;
  s.currentFilePath = ToUpperAscii(name);
  const auto path = FindFileIgnoringCase(session.currentDirectory, s.currentFilePath);
  const auto size = path ? RegularFileSize(*path) : std::nullopt;
  if (size && !PictureBlockSize(1, *size)) {
    ShowPictureTooLarge(session, s.currentFilePath);
    return std::nullopt;
  }
  const auto contents = size ? ReadFilePrefix(*path, static_cast<size_t>(*size)) : std::nullopt;
  if (!contents) {
    ShowErrorBox(session, "Can't open file %s", s.currentFilePath.c_str());
    return std::nullopt;
  }
  return VideoFromBytes(s, *contents);
}

bool PlayTmsatVideo(Session& session, const std::string& name) {
  const auto video = ReadVideoFile(session, name);
  return video && Play(session, *video);
}

bool PlayTmsatVideo(Session& session, const std::string& name, std::span<const uint8_t> file) {
  session.state.currentFilePath = ToUpperAscii(name);
  if (!PictureBlockSize(1, file.size())) {
    ShowPictureTooLarge(session, session.state.currentFilePath);
    return false;
  }
  return Play(session, VideoFromBytes(session.state, file));
}

}  // namespace kestrel
