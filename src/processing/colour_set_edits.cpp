#include "processing/colour_set_edits.h"

#include <algorithm>
#include <cstring>

#include "bitmap/dib.h"
#include "processing/colour_mixing.h"
#include "session/current_image.h"
#include "session/session.h"

namespace kestrel {
namespace {

// The bytes of each 3-byte pixel that a plane rotation moves, by the plane selection.
PixelBytes SelectedPlaneBytes(const PlaneSelection& planes) {
  if (planes.all) return {3, 0, 3};
  if (planes.green) return {3, 0, 1};
  if (planes.red) return {3, 1, 1};
  if (planes.ir) return {3, 2, 1};
  return {3, 0, 3};
}

// The pixel bytes from `pixelStart` that the picture holds, as its header gives them: the
// loaders' blocks run a few pages further, and nothing ever shows those.
size_t PictureLength(const Bytes& block, size_t pixelStart) {
  const size_t available = block.size() > pixelStart ? block.size() - pixelStart : 0;
  const auto header = LoadInfoHeader(block);
  if (!header || header->biSizeImage == 0) return available;
  return std::min<size_t>(header->biSizeImage, available);
}

std::span<uint8_t> BytesBehindHeader(Bytes& block) {
  return std::span<uint8_t>(block).subspan(std::min<size_t>(block.size(), kInfoHeaderSize));
}

std::span<uint8_t> PictureBytes(Bytes& block) {
  return BytesBehindHeader(block).first(PictureLength(block, kInfoHeaderSize));
}

}  // namespace

Block MixColours(Session& session, const Block& source) {
  ImageState& s = session.state;
  if (!source) return s.mixedColourImage;
  WaitCursor wait(session.platform);
  const size_t n = source->size();
  if (!s.mixedColourImage) s.mixedColourImage = NewBlock(n);
  if (s.mixedColourImage->size() < n) s.mixedColourImage->resize(n, 0);
  const size_t pixelStart = kInfoHeaderSize + size_t{s.colourTableSize};
  if (n <= pixelStart + 3) {
    if (source != s.mixedColourImage)
      std::copy(source->begin(), source->end(), s.mixedColourImage->begin());
    ShowMessage(session, "Please advise Quillon error in IDM_REFRESH", "Memory Error");
    return s.mixedColourImage;
  }
  std::memmove(s.mixedColourImage->data(), source->data(), n);
  // Every pixel starting before the last 3 bytes of the block is mixed, which is the whole
  // picture when the block runs past it: only the picture needs the work.
  const size_t length = std::min(n - pixelStart, PictureLength(*source, pixelStart) + 3);
  const auto pixels = std::span<uint8_t>(*s.mixedColourImage).subspan(pixelStart, length);
  MixColourPixels(pixels, pixels, s.mix);
  return s.mixedColourImage;
}

Block RotateColourPlanes(Session& session, const Block& block, Turn turn) {
  ImageState& s = session.state;
  if (!block) return block;
  if (!s.rotationWorkCopy || s.rotationWorkCopy->size() != block->size())
    s.rotationWorkCopy = DuplicateBlock(block);
  Bytes& work = *s.rotationWorkCopy;
  const auto header = LoadInfoHeader(work);
  if (!header) return block;
  s.imageHeaderCopy = *header;
  const auto width = static_cast<uint16_t>(header->biWidth);
  const auto height = static_cast<uint16_t>(header->biHeight);
  RotatePixels(BytesBehindHeader(*block), BytesBehindHeader(work), width, height,
               SelectedPlaneBytes(s.planes), turn);
  s.imageHeaderCopy.biWidth = height;
  s.imageHeaderCopy.biHeight = width;
  StoreInfoHeader(s.imageHeaderCopy, work);
  block->swap(work);  // the work copy goes, so its bytes need not be copied back
  s.rotationWorkCopy.reset();
  return block;
}

Block CompensateColour(Session& session, const Block& block, const Compensation& compensation,
                       bool lighten) {
  if (!block) return block;
  WaitCursor wait(session.platform);
  if (lighten) LightenColourBytes(PictureBytes(*block), compensation);
  else DarkenColourBytes(PictureBytes(*block), compensation);
  SetCurrentImage(session, block);
  return block;
}

Compensation AutomaticCompensation(const Session& session) {
  const ImageState& s = session.state;
  Compensation compensation;
  compensation.mode = s.processing.compensationMode;
  compensation.common = static_cast<uint8_t>(s.exposureLevel);
  for (size_t k = 0; k < 3; ++k)
    compensation.perByte[k] = static_cast<uint8_t>(s.channelCompensation[k]);
  return compensation;
}

void ApplyAutomaticCompensation(Session& session, bool logLine) {
  ImageState& s = session.state;
  if (!s.processing.colourExposureOn) return;
  const bool lighten = (s.exposureLevel >> 8) == 1;
  // Any other direction byte is neither.
  if (!lighten && (s.exposureLevel >> 8) != 0) return;
  if (logLine)
    AppendLoadingText(session, lighten ? "Automatic Exposure Compensation-Lighten"
                                       : "Automatic Exposure Compensation-Darken");
  const Compensation compensation = AutomaticCompensation(session);
  s.shownImage = CompensateColour(session, s.shownImage, compensation, lighten);
}

}  // namespace kestrel
