#include "processing/image_commands.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

#include "base/command_ids.h"
#include "bitmap/dib.h"
#include "processing/colour_set_edits.h"
#include "processing/grey_edits.h"
#include "processing/image_dialogs.h"
#include "processing/sharpening.h"
#include "session/current_image.h"
#include "session/session.h"

namespace kestrel {
namespace {

void ShowShownImage(Session& session) {
  if (session.state.shownImage) SetCurrentImage(session, session.state.shownImage);
}

// Moves the bytes of the selected lanes (0..2) of each 3-byte pixel `distance` pixels toward the
// start, or toward the end, of `pixels`; the other bytes stay.
void ShiftLanes(std::span<uint8_t> pixels, const std::array<bool, 3>& lanes, size_t distance,
                bool towardStart) {
  const size_t count = pixels.size() / 3;
  if (distance == 0 || distance >= count) return;
  uint8_t* p = pixels.data();
  if (lanes[0] && lanes[1] && lanes[2]) {
    // All three planes move as whole pixels.
    const size_t kept = 3 * (count - distance);
    if (towardStart) std::memmove(p, p + 3 * distance, kept);
    else std::memmove(p + 3 * distance, p, kept);
    return;
  }
  for (size_t lane = 0; lane < 3; ++lane) {
    if (!lanes[lane]) continue;
    if (towardStart) {
      for (size_t i = 0; i + distance < count; ++i) p[3 * i + lane] = p[3 * (i + distance) + lane];
    } else {
      for (size_t i = count - 1; i >= distance; --i) p[3 * i + lane] = p[3 * (i - distance) + lane];
    }
  }
}

// Moves the selected planes `step` pixels toward the start (step > 0) or the end (step < 0) of
// the pixel area.
void ShiftPlanes(Session& session, int32_t stepInRows, int32_t stepInPixels) {
  ImageState& s = session.state;
  WaitCursor wait(session.platform);
  if (!s.shownImage) {
    ShowMessage(session, "Invalid Address", "Pixel Adjust Error");
    return;
  }
  if (s.loadedImage) s.shownImage = s.loadedImage;
  Bytes& block = *s.shownImage;
  const size_t start = std::min(block.size(), kInfoHeaderSize + size_t{s.colourTableSize});
  const int64_t step =
      int64_t{stepInRows} * static_cast<uint16_t>(s.imageHeaderCopy.biWidth) + stepInPixels;
  ShiftLanes(std::span<uint8_t>(block).subspan(start), {s.planes.green, s.planes.red, s.planes.ir},
             static_cast<size_t>(step < 0 ? -step : step), step > 0);
  ShowShownImage(session);
}

void ToggleCompensationMode(Session& session, CompensationMode mode) {
  CompensationMode& current = session.state.processing.compensationMode;
  current = current == mode ? CompensationMode::None : mode;
}

void EachPlaneCommand(Session& session) {
  const ImageState& s = session.state;
  const auto level = static_cast<uint8_t>(s.exposureLevel);
  const bool unsuited = std::any_of(s.channelCompensation.begin(), s.channelCompensation.end(),
                                    [&](uint16_t amount) { return static_cast<uint8_t>(amount) > level; });
  if (unsuited && session.platform.ShowMessageBox(kEachPlaneWarning, "Compensation Warning",
                                                  BoxIcon::Exclamation, BoxButtons::OkCancel) ==
                      BoxAnswer::Cancel) {
    CompensationMode& mode = session.state.processing.compensationMode;
    if (mode == CompensationMode::EachPlane) mode = CompensationMode::None;
    return;
  }
  ToggleCompensationMode(session, CompensationMode::EachPlane);
}

int RestoreLoadedColourSet(Session& session) {
  ImageState& s = session.state;
  SendCommand(session, kCmdOriginalImage, 1);
  s.colourDialog.refreshEnabled = true;
  session.platform.ImageDialogsChanged();
  if (!s.loadedImage) {
    ShowMessage(session, "Invalid Handle", "IDM_RESTORE");
    return 0;
  }
  s.shownImage = s.loadedImage;
  s.colourDialog.exposureButtonText = "Original";
  s.processing.colourExposureOn = false;
  session.platform.ImageDialogsChanged();
  ShowShownImage(session);
  return 1;
}

}  // namespace

bool RunImageCommand(Session& session, int command, int parameter, int& result) {
  ImageState& s = session.state;
  result = 1;
  switch (command) {
    case kCmdExposureOriginal:
    case kCmdExposureEnhanced:
    case kCmdExposureLighten:
    case kCmdExposureDarken: {
      const ExposureCommand which = command == kCmdExposureOriginal   ? ExposureCommand::Original
                                    : command == kCmdExposureEnhanced ? ExposureCommand::Enhanced
                                    : command == kCmdExposureLighten  ? ExposureCommand::Lighten
                                                                      : ExposureCommand::Darken;
      RunExposureCommand(session, which);
      if (s.exposureDialog.open) UpdateExposureDialog(session, s.exposureLevel);
      return true;
    }
    case kCmdRotateClockwise:
    case kCmdRotateAnticlockwise:
      RunRotateCommand(session, command == kCmdRotateClockwise ? Turn::Clockwise : Turn::Anticlockwise);
      return true;
    case kCmdColourClockwise:
    case kCmdColourAnticlockwise: {
      WaitCursor wait(session.platform);
      s.shownImage = RotateColourPlanes(
          session, s.shownImage, command == kCmdColourClockwise ? Turn::Clockwise : Turn::Anticlockwise);
      // Turning every plane turns the picture; turning some only registers them.
      if (s.shownImage && s.planes.all)
        s.processing.quarterTurnsClockwise += command == kCmdColourClockwise ? 1 : -1;
      ShowShownImage(session);
      s.pixelAdjustAvailable = !s.pixelAdjustAvailable;
      return true;
    }
    case kCmdPlaneUp1: ShiftPlanes(session, -1, 0); return true;
    case kCmdPlaneDown1: ShiftPlanes(session, 1, 0); return true;
    case kCmdPlaneLeft1: ShiftPlanes(session, 0, 1); return true;
    case kCmdPlaneRight1: ShiftPlanes(session, 0, -1); return true;
    case kCmdPlaneDown5: ShiftPlanes(session, 5, 0); return true;
    case kCmdPlaneUp5: ShiftPlanes(session, -5, 0); return true;
    case kCmdPlaneLeft5: ShiftPlanes(session, 0, 5); return true;
    case kCmdPlaneRight5: ShiftPlanes(session, 0, -5); return true;
    case kCmdColourRefresh:
      s.shownImage = MixColours(session, s.loadedImage);
      ShowShownImage(session);
      return true;
    case kCmdColourLighten:
    case kCmdColourDarken: {
      const Compensation eight{s.processing.compensationMode, 8, {8, 8, 8}};
      s.shownImage = CompensateColour(session, s.shownImage, eight, command == kCmdColourLighten);
      return true;
    }
    case kCmdColourRestore:
      result = RestoreLoadedColourSet(session);
      return true;
    case kCmdColourDialogClosed:
      ShowShownImage(session);
      return true;
    case kCmdOriginalImage:
      RestoreOriginalImage(session, parameter != 0);
      return true;
    case kCmdSharpenPreview: RunSharpenCommand(session, SharpenStrength::Preview); return true;
    case kCmdSharpenDefault: RunSharpenCommand(session, SharpenStrength::Default); return true;
    case kCmdSharpenHiDef: RunSharpenCommand(session, SharpenStrength::HiDef); return true;
    case kCmdCompEachPlane: EachPlaneCommand(session); return true;
    case kCmdCompGraded: ToggleCompensationMode(session, CompensationMode::Graded); return true;
    case kCmdCompAveraged: ToggleCompensationMode(session, CompensationMode::Averaged); return true;
    default:
      return false;
  }
}

}  // namespace kestrel
