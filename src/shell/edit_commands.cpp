#include "shell/edit_commands.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "base/command_ids.h"
#include "bitmap/dib.h"
#include "platform/files.h"
#include "satfiles/single_image.h"
#include "session/current_image.h"
#include "session/session.h"

namespace kestrel {
namespace {

// Image Adjust counts a line as this many bytes, whatever the picture's width.
constexpr int32_t kImageAdjustLine = 1020;

// Pixel Adjust, Save Edit and Image Adjust need a grey picture turned by whole half turns; the
// menu greys them otherwise (a colour set, an odd number of quarter turns), and a command that
// comes all the same does nothing.
bool HoldsEditablePicture(const ImageState& s) {
  if (!s.pixelAdjustAvailable || !s.loadedImage) return false;
  const auto header = LoadInfoHeader(*s.loadedImage);
  return header && header->biBitCount == 8 &&
         s.loadedImage->size() >= kInfoHeaderSize + size_t{s.colourTableSize};
}

std::span<uint8_t> PixelArea(Bytes& block, uint16_t colourTableSize) {
  return std::span<uint8_t>(block).subspan(kInfoHeaderSize + size_t{colourTableSize});
}

void ShowLoadedImage(Session& session) {
  session.state.shownImage = session.state.loadedImage;
  SetCurrentImage(session, session.state.shownImage);
}

void PixelAdjust(Session& session, FieldMove move) {
  ImageState& s = session.state;
  if (!HoldsEditablePicture(s)) return;
  {
    WaitCursor wait(session.platform);
    MoveEvenRows(PixelArea(*s.loadedImage, s.colourTableSize),
                 static_cast<uint16_t>(s.imageHeaderCopy.biWidth),
                 static_cast<uint16_t>(s.imageHeaderCopy.biHeight), move);
  }
  ShowLoadedImage(session);
}

void SaveEdit(Session& session) {
  ImageState& s = session.state;
  if (!HoldsEditablePicture(s)) return;
  if (session.platform.ShowMessageBox("Over-write existing file?", "Save Edited File",
                                      BoxIcon::None, BoxButtons::OkCancel) == BoxAnswer::Cancel)
    return;
  const IdentificationRecord& id = s.identification;
  // A file without a header gets none: one in front would shift every row when it is read back.
  const auto& header = s.currentFilePath.starts_with("TM") ? s.tmHeaderCopy : s.fileHeaderBuffer;
  const size_t headerLength = std::min<size_t>(id.headerLength, header.size());
  // Left trim moved every pixel toward the start at loading; reading that much earlier undoes it.
  const CameraFileLayout layout{id.fileWidth, id.fileHeight, id.fieldGap, id.interlaced,
                                static_cast<uint16_t>(s.imageHeaderCopy.biWidth),
                                id.leftTrim ? -static_cast<int64_t>(kLeftTrim) : 0};
  const auto file = BuildCameraFile(std::span(header).first(headerLength),
                                    PixelArea(*s.loadedImage, s.colourTableSize), layout);
  if (!file) {
    ShowOutOfMemory(session);
    return;
  }
  // Through a temporary file and a rename, so a failed write leaves the camera file as it was.
  std::error_code error;
  if (!WriteFileReplacing(ResolveFileName(session.currentDirectory, s.currentFilePath), *file,
                          error))
    ShowErrorBox(session, "Can't open file %s", s.currentFilePath.c_str());
}

// Moves the offset by `change` bytes and copies the original that far along into the loaded
// picture. A move that would take the offset above 0 or past the start of the original, or
// that finds either picture missing, changes nothing.
void ImageAdjust(Session& session, int32_t change) {
  ImageState& s = session.state;
  if (!HoldsEditablePicture(s) || !s.imageAdjustOriginal) return;
  const size_t pixelStart = kInfoHeaderSize + size_t{s.colourTableSize};
  if (s.imageAdjustOriginal->size() < pixelStart) return;
  const std::span<const uint8_t> original = PixelArea(*s.imageAdjustOriginal, s.colourTableSize);
  const int64_t offset = int64_t{s.processing.imageAdjustOffset} + change;
  if (offset > 0 || static_cast<uint64_t>(-offset) > original.size()) return;
  s.processing.imageAdjustOffset = static_cast<int32_t>(offset);
  WaitCursor wait(session.platform);
  const std::span<const uint8_t> from = original.subspan(static_cast<size_t>(-offset));
  const std::span<uint8_t> to = PixelArea(*s.loadedImage, s.colourTableSize);
  std::copy_n(from.begin(), std::min(from.size(), to.size()), to.begin());
  ShowLoadedImage(session);
}

// Appends `count` bytes of `pixels` from `offset` on, zeros where they lie outside it.
void AppendPictureBytes(Bytes& out, std::span<const uint8_t> pixels, int64_t offset,
                        size_t count) {
  const size_t start = out.size();
  out.resize(start + count, 0);
  const int64_t first = std::max<int64_t>(offset, 0);
  const int64_t end = std::min(offset + static_cast<int64_t>(count),
                               static_cast<int64_t>(pixels.size()));
  if (first < end)
    std::copy(pixels.begin() + first, pixels.begin() + end,
              out.begin() + static_cast<std::ptrdiff_t>(start) + (first - offset));
}

}  // namespace

void MoveEvenRows(std::span<uint8_t> pixels, uint32_t width, uint32_t height, FieldMove move) {
  if (width == 0) return;
  // An odd last row has no partner in the other field.
  const size_t rows = std::min<size_t>(height, pixels.size() / width) & ~size_t{1};
  if (rows < 2) return;
  const auto row = [&](size_t r) { return pixels.data() + r * width; };
  switch (move) {
    case FieldMove::LineUp:
      for (size_t r = 0; r + 2 < rows; r += 2) std::memcpy(row(r), row(r + 2), width);
      break;
    case FieldMove::LineDown:
      for (size_t r = rows - 2; r >= 2; r -= 2) std::memcpy(row(r), row(r - 2), width);
      break;
    case FieldMove::Left:
      for (size_t r = 0; r + 2 < rows; r += 2) std::memmove(row(r), row(r) + 1, width - 1);
      break;
    case FieldMove::Right:
      for (size_t r = 0; r + 2 < rows; r += 2) std::memmove(row(r) + 1, row(r), width - 1);
      break;
  }
}

std::optional<Bytes> BuildCameraFile(std::span<const uint8_t> header,
                                     std::span<const uint8_t> pixels,
                                     const CameraFileLayout& layout) {
  const auto size = PictureBlockSize(layout.lineCount, layout.lineLength, header.size());
  if (!size) return std::nullopt;
  Bytes file(header.begin(), header.end());
  file.reserve(*size);
  const int64_t n = layout.lineCount;
  const size_t line = layout.lineLength;
  const auto rowStart = [&](int64_t r) { return layout.firstRow + r * int64_t{layout.stride}; };
  if (!layout.interlaced) {
    // The file holds the top line first; memory holds it last.
    for (int64_t r = n - 1; r >= 0; --r) AppendPictureBytes(file, pixels, rowStart(r), line);
    return file;
  }
  // The first field's rows, the gap where file line h would be, the second field's rows, and
  // as much again from the picture as the gap took, so the file keeps its full length.
  if (n == 0) return file;
  const int64_t h = n / 2;
  const size_t gap = std::min<size_t>(layout.fieldGap, line);
  int64_t lastRow = 0;
  for (int64_t i = 0; i < n; ++i) {
    if (i == h) {
      file.resize(file.size() + gap, 0);
      continue;
    }
    lastRow = i < h ? 2 * (n - h - 1 - i) : 2 * n - 1 - 2 * i;
    AppendPictureBytes(file, pixels, rowStart(lastRow), line);
  }
  AppendPictureBytes(file, pixels, rowStart(lastRow) + static_cast<int64_t>(line), line - gap);
  return file;
}

bool RunEditCommand(Session& session, int command, int& result) {
  result = 1;
  switch (command) {
    case kCmdPixelLineUp: PixelAdjust(session, FieldMove::LineUp); return true;
    case kCmdPixelLineDown: PixelAdjust(session, FieldMove::LineDown); return true;
    case kCmdPixelLeft: PixelAdjust(session, FieldMove::Left); return true;
    case kCmdPixelRight: PixelAdjust(session, FieldMove::Right); return true;
    case kCmdSaveEdit: SaveEdit(session); return true;
    case kCmdImageUpLine: ImageAdjust(session, kImageAdjustLine); return true;
    case kCmdImageDownLine: ImageAdjust(session, -kImageAdjustLine); return true;
    case kCmdImageRight10: ImageAdjust(session, 10); return true;
    case kCmdImageRight1: ImageAdjust(session, 1); return true;
    case kCmdImageLeft10: ImageAdjust(session, -10); return true;
    case kCmdImageLeft1: ImageAdjust(session, -1); return true;
    default: return false;
  }
}

}  // namespace kestrel
