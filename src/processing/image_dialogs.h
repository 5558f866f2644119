#pragma once
// The two modeless image dialogs as models without widgets: what they show lives in the image
// state, what the user does arrives here, and what they ask of the main window goes through the
// session's dispatcher. The desktop program only draws them.

#include <string_view>

#include "session/image_state.h"

namespace kestrel {

struct Session;

// Rotation / Exposure, for grey pictures: a scroll bar 0..255 whose position shows the
// resulting average brightness, labels, and the Orig / Enh buttons.
enum class ExposureScroll { LineUp, LineDown, PageUp, PageDown, Thumb };
enum class ExposureButton { Clockwise, Anticlockwise, Original, Enhanced, Close };

// A right click on the picture opens the dialog that fits it, unless it is open already: the
// exposure dialog over a single grey picture, the colour dialog over a colour set.
void OpenDialogsOnRightClick(Session& session);

void OpenExposureDialog(Session& session, uint16_t level);
// The labels, the scroll position and the buttons for `level`; the exposure is applied when a
// picture is on show.
void UpdateExposureDialog(Session& session, uint16_t level);
// Line steps move the level by 2, page steps by 8, within 0..255; the thumb sets it.
void ScrollExposureDialog(Session& session, ExposureScroll request, int thumbPosition = 0);
void PressExposureButton(Session& session, ExposureButton button);

// 24 Bit Colour Manipulation, for colour sets: plane selection, five mixing percentages
// (0..200), and buttons that send the colour commands.
enum class ColourButton {
  Clockwise, Anticlockwise, Up1, Down1, Left1, Right1, Up5, Down5, Left5, Right5,
  Lighten, Darken, Restore, Refresh, Exposure, Close,
};
inline constexpr int kMostMixPercent = 200;

void OpenColourDialog(Session& session);
void SelectColourPlane(Session& session, PlaneCheck plane);
// Typing into a coefficient's edit box: kept as typed, taken only at the next spin change.
void EditMixCoefficient(Session& session, size_t index, std::string_view text);
// A spin button moved coefficient `index` to `value`: "All" is selected and all five edit
// boxes are read into the coefficients.
void SpinMixCoefficient(Session& session, size_t index, int value);
void PressColourButton(Session& session, ColourButton button);

}  // namespace kestrel
