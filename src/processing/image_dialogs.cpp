#include "processing/image_dialogs.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "base/command_ids.h"
#include "base/text.h"
#include "processing/colour_set_edits.h"
#include "processing/grey_edits.h"
#include "session/current_image.h"
#include "session/session.h"

namespace kestrel {
namespace {

constexpr int kLineStep = 2;
constexpr int kPageStep = 8;

int32_t& Coefficient(MixCoefficients& mix, size_t index) {
  int32_t* all[] = {&mix.irToRed, &mix.redToRed, &mix.redToGreen, &mix.redToBlue,
                    &mix.greenToBlue};
  return *all[std::min<size_t>(index, 4)];
}

// As an edit box reads a number: its leading digits, 0 when there are none.
int32_t EditValue(const std::string& text) {
  uint32_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return static_cast<int32_t>(std::min<uint32_t>(value, INT32_MAX));
}

void ToggleColourExposure(Session& session) {
  ImageState& s = session.state;
  const bool wasOn = s.processing.colourExposureOn;
  SendCommand(session, kCmdColourRestore);
  s.shownImage = MixColours(session, s.shownImage);
  if (!wasOn) {
    s.processing.colourExposureOn = true;
    ApplyAutomaticCompensation(session, false);
    s.colourDialog.exposureButtonText = "Enhanced";
    if (s.shownImage) SetCurrentImage(session, s.shownImage);
  } else {
    if (s.shownImage) SetCurrentImage(session, s.shownImage);
    s.colourDialog.exposureButtonText = "Original";
    s.processing.colourExposureOn = false;
  }
  session.platform.ImageDialogsChanged();
}

}  // namespace

void OpenDialogsOnRightClick(Session& session) {
  const ImageState& s = session.state;
  if (s.processing.singleImageShown && !s.exposureDialog.open && s.shownImage)
    OpenExposureDialog(session, s.exposureLevel);
  if (s.processing.colourSetShown && !s.colourDialog.open && s.shownImage) OpenColourDialog(session);
}

void OpenExposureDialog(Session& session, uint16_t level) {
  session.state.exposureDialog.open = true;
  UpdateExposureDialog(session, level);
}

void UpdateExposureDialog(Session& session, uint16_t level) {
  ImageState& s = session.state;
  ExposureDialogState& d = s.exposureDialog;
  d.greyScaleLabel = "Grey Scale";
  const auto average = static_cast<uint16_t>(s.imageAverage + level - 128);
  d.averageLabel = FormatText(average < 16 ? "Average = 0x0%x" : "Average = 0x%x", unsigned{average});
  if (s.shownImage) ApplyExposure(session, level);
  d.scrollPosition = average;
  const bool originalOnly = s.processing.originalAvailable && !s.processing.enhancedAvailable;
  d.originalEnabled = originalOnly;
  d.enhancedEnabled = !originalOnly;
  session.platform.ImageDialogsChanged();
}

void ScrollExposureDialog(Session& session, ExposureScroll request, int thumbPosition) {
  ImageState& s = session.state;
  int level = s.exposureLevel;
  switch (request) {
    case ExposureScroll::LineUp: level -= kLineStep; break;
    case ExposureScroll::LineDown: level += kLineStep; break;
    case ExposureScroll::PageUp: level -= kPageStep; break;
    case ExposureScroll::PageDown: level += kPageStep; break;
    case ExposureScroll::Thumb: level = thumbPosition; break;
  }
  s.exposureLevel = static_cast<uint16_t>(std::clamp(level, 0, 255));
  UpdateExposureDialog(session, s.exposureLevel);
}

void PressExposureButton(Session& session, ExposureButton button) {
  switch (button) {
    case ExposureButton::Clockwise: SendCommand(session, kCmdRotateClockwise); break;
    case ExposureButton::Anticlockwise: SendCommand(session, kCmdRotateAnticlockwise); break;
    case ExposureButton::Original: SendCommand(session, kCmdExposureOriginal); break;
    case ExposureButton::Enhanced: SendCommand(session, kCmdExposureEnhanced); break;
    case ExposureButton::Close:
      session.state.exposureDialog.open = false;
      session.platform.ImageDialogsChanged();
      break;
  }
}

void OpenColourDialog(Session& session) {
  ImageState& s = session.state;
  ColourDialogState& d = s.colourDialog;
  d.open = true;
  d.checked = PlaneCheck::All;
  d.exposureButtonText = s.processing.colourExposureOn ? "Enhanced" : "Original";
  for (size_t i = 0; i < d.coefficientEdits.size(); ++i)
    d.coefficientEdits[i] = std::to_string(Coefficient(s.mix, i));
  d.refreshEnabled = false;
  s.planes = PlaneSelection{};
  session.platform.ImageDialogsChanged();
}

void SelectColourPlane(Session& session, PlaneCheck plane) {
  ImageState& s = session.state;
  s.colourDialog.checked = plane;
  if (plane == PlaneCheck::All) {
    s.planes = {.ir = true, .red = true, .green = true, .all = true};
  } else {
    s.planes = {.ir = plane == PlaneCheck::Ir, .red = plane == PlaneCheck::Red,
                .green = plane == PlaneCheck::Green, .all = false};
  }
  session.platform.ImageDialogsChanged();
}

void EditMixCoefficient(Session& session, size_t index, std::string_view text) {
  if (index < session.state.colourDialog.coefficientEdits.size())
    session.state.colourDialog.coefficientEdits[index] = std::string(text);
}

void SpinMixCoefficient(Session& session, size_t index, int value) {
  ImageState& s = session.state;
  if (index >= s.colourDialog.coefficientEdits.size()) return;
  s.colourDialog.coefficientEdits[index] = std::to_string(std::clamp(value, 0, kMostMixPercent));
  SelectColourPlane(session, PlaneCheck::All);
  for (size_t i = 0; i < s.colourDialog.coefficientEdits.size(); ++i)
    Coefficient(s.mix, i) = EditValue(s.colourDialog.coefficientEdits[i]);
}

void PressColourButton(Session& session, ColourButton button) {
  struct Sends {
    ColourButton button;
    int command;
  };
  static constexpr Sends kSends[] = {
      {ColourButton::Clockwise, kCmdColourClockwise}, {ColourButton::Anticlockwise, kCmdColourAnticlockwise},
      {ColourButton::Up1, kCmdPlaneUp1},              {ColourButton::Down1, kCmdPlaneDown1},
      {ColourButton::Left1, kCmdPlaneLeft1},          {ColourButton::Right1, kCmdPlaneRight1},
      {ColourButton::Up5, kCmdPlaneUp5},              {ColourButton::Down5, kCmdPlaneDown5},
      {ColourButton::Left5, kCmdPlaneLeft5},          {ColourButton::Right5, kCmdPlaneRight5},
      {ColourButton::Lighten, kCmdColourLighten},     {ColourButton::Darken, kCmdColourDarken},
  };
  for (const Sends& sends : kSends)
    if (sends.button == button) {
      SendCommand(session, sends.command);
      return;
    }
  switch (button) {
    case ColourButton::Restore:
      SelectColourPlane(session, PlaneCheck::All);
      SendCommand(session, kCmdColourRestore);
      break;
    case ColourButton::Refresh:
      SelectColourPlane(session, PlaneCheck::All);
      SendCommand(session, kCmdColourRefresh);
      break;
    case ColourButton::Exposure:
      ToggleColourExposure(session);
      break;
    case ColourButton::Close:
      session.state.colourDialog.open = false;
      session.platform.ImageDialogsChanged();
      SendCommand(session, kCmdColourDialogClosed);
      break;
    default:
      break;
  }
}

}  // namespace kestrel
