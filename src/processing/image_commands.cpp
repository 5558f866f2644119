#include "processing/image_commands.h"

#include <algorithm>
#include <cstring>

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

// Moves the selected bytes of each 3-byte pixel `step` pixels toward the start (step > 0) or
// the end (step < 0) of the pixel area; the other bytes stay.
void ShiftPlanes(Session& session, int32_t stepInRows, int32_t stepInPixels) {
  ImageState& s = session.state;
  WaitCursor wait(session.platform);
  if (!s.shownImage) {
    ShowMessage(session, "Invalid Address", "Pixel Adjust Error");
    return;
  }
  if (s.loadedImage) s.shownImage = s.loadedImage;
  Bytes& block = *s.shownImage;
  const size_t start = kInfoHeaderSize + size_t{s.colourTableSize};
  const size_t pixels = block.size() > start ? (block.size() - start) / 3 : 0;
  const int64_t step =
      int64_t{stepInRows} * static_cast<uint16_t>(s.imageHeaderCopy.biWidth) + stepInPixels;
  const size_t distance = static_cast<size_t>(step < 0 ? -step : step);
  const bool lanes[3] = {s.planes.green, s.planes.red, s.planes.ir};
  if (distance > 0 && distance < pixels) {
    uint8_t* p = block.data() + start;
    const size_t kept = 3 * (pixels - distance);
    if (lanes[0] && lanes[1] && lanes[2]) {
      // All three planes move as whole pixels.
      if (step > 0) std::memmove(p, p + 3 * distance, kept);
      else std::memmove(p + 3 * distance, p, kept);
    } else {
      for (size_t lane = 0; lane < 3; ++lane) {
        if (!lanes[lane]) continue;
        if (step > 0) {
          for (size_t i = 0; i + distance < pixels; ++i) p[3 * i + lane] = p[3 * (i + distance) + lane];
        } else {
          for (size_t i = pixels - 1; i >= distance; --i) p[3 * i + lane] = p[3 * (i - distance) + lane];
        }
      }
    }
  }
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
