#include "processing/grey_edits.h"

#include <algorithm>

#include "bitmap/dib.h"
#include "processing/exposure.h"
#include "processing/sharpening.h"
#include "session/current_image.h"
#include "session/session.h"

namespace kestrel {
namespace {

constexpr uint16_t kNeutralLevel = 128;
constexpr int kExposureStep = 8;

std::span<uint8_t> PixelsBehindColourTable(Bytes& block, uint16_t colourTableSize) {
  const size_t start = kInfoHeaderSize + size_t{colourTableSize};
  return start < block.size() ? std::span<uint8_t>(block).subspan(start) : std::span<uint8_t>();
}

}  // namespace

void ApplyExposure(Session& session, uint16_t level) {
  ImageState& s = session.state;
  if (s.processing.imageSharpened) RestoreOriginalImage(session, false);
  const Block& target =
      s.rotationWorkCopy && s.rotationWorkCopy == s.shownImage ? s.rotationWorkCopy : s.loadedImage;
  if (target && target->size() >= kInfoHeaderSize + size_t{s.colourTableSize})
    ApplyExposureTable(s.exposureRamp, level,
                       std::span<uint8_t>(*target).subspan(kInfoHeaderSize, s.colourTableSize));
  if (!s.shownImage) return;
  // Only the colour table of the picture on show changed: no new picture to install.
  if (s.shownImage == s.current.currentDib) {
    RecolourCurrentImage(session);
    return;
  }
  SetCurrentImage(session, s.shownImage);
}

void RunExposureCommand(Session& session, ExposureCommand command) {
  ImageState& s = session.state;
  ProcessingFlags& f = s.processing;
  const int level = s.exposureLevel;
  switch (command) {
    case ExposureCommand::Original:
      s.exposureLevel = kNeutralLevel;
      f.enhancedAvailable = true;
      f.originalAvailable = false;
      break;
    case ExposureCommand::Enhanced:
      s.exposureLevel = static_cast<uint16_t>(255 - s.imageAverage);
      f.enhancedAvailable = false;
      f.originalAvailable = true;
      break;
    case ExposureCommand::Lighten:
    case ExposureCommand::Darken: {
      const int next = command == ExposureCommand::Lighten ? level + kExposureStep
                                                           : level - kExposureStep;
      const bool within = next >= 0 && next <= 255;
      s.exposureLevel = static_cast<uint16_t>(std::clamp(next, 0, 255));
      f.darkenAvailable = within || command == ExposureCommand::Lighten;
      f.lightenAvailable = within || command == ExposureCommand::Darken;
      if (within) f.originalAvailable = f.enhancedAvailable = true;
      break;
    }
  }
  WaitCursor wait(session.platform);
  ApplyExposure(session, s.exposureLevel);
}

Block RotateGreyPicture(Session& session, Turn turn) {
  ImageState& s = session.state;
  if (s.processing.imageSharpened) RestoreOriginalImage(session, false);
  if (!s.loadedImage) return {};
  if (!s.rotationWorkCopy || s.rotationWorkCopy->size() != s.loadedImage->size())
    s.rotationWorkCopy = DuplicateBlock(s.loadedImage);
  Bytes& work = *s.rotationWorkCopy;
  const auto header = LoadInfoHeader(work);
  if (!header) return {};
  s.imageHeaderCopy = *header;
  const auto width = static_cast<uint16_t>(header->biWidth);
  const auto height = static_cast<uint16_t>(header->biHeight);
  RotatePixels(PixelsBehindColourTable(*s.loadedImage, s.colourTableSize),
               PixelsBehindColourTable(work, s.colourTableSize), width, height, {}, turn);
  s.imageHeaderCopy.biWidth = height;
  s.imageHeaderCopy.biHeight = width;
  StoreInfoHeader(s.imageHeaderCopy, work);
  *s.loadedImage = work;
  return s.rotationWorkCopy;
}

void RunRotateCommand(Session& session, Turn turn) {
  ImageState& s = session.state;
  {
    WaitCursor wait(session.platform);
    s.shownImage = RotateGreyPicture(session, turn);
    if (s.shownImage) {
      s.processing.quarterTurnsClockwise += turn == Turn::Clockwise ? 1 : -1;
      SetCurrentImage(session, s.shownImage);
    }
  }
  s.pixelAdjustAvailable = !s.pixelAdjustAvailable;
}

}  // namespace kestrel
