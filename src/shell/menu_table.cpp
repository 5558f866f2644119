#include "shell/menu_table.h"

#include "base/command_ids.h"

namespace kestrel {
namespace {

using K = MenuEntryKind;

constexpr MenuEntry kMenuBar[] = {
    {K::Menu, "File"},
    {K::Item, "&Open Bmp..", kCmdOpenBmp},
    {K::Item, "&Save Bmp..", kCmdSaveBmp},
    {K::Separator},
    {K::Item, "Open CCD", kCmdOpenCcd},
    {K::Submenu, "Preview ACT"},
    {K::Item, "UoSat   U5IW,IM", kCmdPreviewActUosat},
    {K::Item, "KitSat    KAIW,KBIN", kCmdPreviewActKitsat},
    {K::Item, "KitSat    KBIW", kCmdPreviewActKbiw},
    {K::Item, "TMSat  TM1,TM2,TM3", kCmdPreviewActTmsat},
    {K::Item, "TMSat  TM00", kCmdPreviewActTm00},
    {K::End},
    {K::Separator},
    {K::Item, "Save as Comp", kCmdSaveAsComp},
    {K::Submenu, "Decompress"},
    {K::Item, "Single Image", kCmdDecompressSingle},
    {K::Item, "Coloured Set", kCmdDecompressColouredSet},
    {K::End},
    {K::Separator},
    {K::Item, "E&xit", kCmdExit},
    {K::End},

    {K::Menu, "Edit"},
    {K::Item, "&Paste DIB", kCmdPasteDib},
    {K::Item, "&Copy", kCmdCopy},
    {K::Separator},
    {K::Submenu, "Exposure"},
    {K::Item, "Original      (Alt O)", kCmdExposureOriginal},
    {K::Item, "Enhanced (Alt E)", kCmdExposureEnhanced},
    {K::Item, "Lighten      (Alt L)", kCmdExposureLighten},
    {K::Item, "Darken      (Alt D)", kCmdExposureDarken},
    {K::End},
    {K::Separator},
    {K::Submenu, "Rotate CCD"},
    {K::Item, "Clockwise (Alt C)", kCmdRotateClockwise},
    {K::Item, "Anti-Clock (Alt A)", kCmdRotateAnticlockwise},
    {K::End},
    {K::Separator},
    {K::Submenu, "Pixel Adjust"},
    {K::Item, "Line Up        (Ctl Cursor Up)", kCmdPixelLineUp},
    {K::Item, "Line Down   (Ctl Cursor Dn)", kCmdPixelLineDown},
    {K::Item, "1 Pixel Left   (Ctl Cursor Left)", kCmdPixelLeft},
    {K::Item, "1 Pixel Right (Ctl Cursor Right)", kCmdPixelRight},
    {K::Item, "Save Edit     (Ctl S)", kCmdSaveEdit},
    {K::End},
    {K::Submenu, "Image Adjust"},
    {K::Item, "Down 1 Line    (Alt PageDn)", kCmdImageDownLine},
    {K::Item, "Up 1 Line         (Alt PageUp)", kCmdImageUpLine},
    {K::Item, "Left 10 Pixels   (Alt Cursor Left)", kCmdImageLeft10},
    {K::Item, "Right 10 Pixels (Alt Cursor Right)", kCmdImageRight10},
    {K::Item, "Left 1 Pixel       (Shift Cursor Left)", kCmdImageLeft1},
    {K::Item, "Right 1 Pixel     (Shift Cursor Right)", kCmdImageRight1},
    {K::End},
    {K::Separator},
    {K::Submenu, "Sharpen Image"},
    {K::Item, "Preview  (Fastest)", kCmdSharpenPreview},
    {K::Item, "Sharpen (Default)", kCmdSharpenDefault},
    {K::Item, "Hi Defintion (Slower)", kCmdSharpenHiDef},
    {K::Item, "Original Image", kCmdOriginalImage},
    {K::End},
    {K::End},

    // Windows beside the picture, then the picture's zoom; keys shown after a tab, as menus
    // show keys.
    {K::Menu, "View"},
    {K::Item, "Map\tCtrl+M", kCmdViewMap},
    {K::Item, "Gallery\tCtrl+G", kCmdViewGallery},
    {K::Separator},
    {K::Item, "Zoom In\tCtrl++", kCmdZoomIn},
    {K::Item, "Zoom Out\tCtrl+-", kCmdZoomOut},
    {K::Item, "Fit to Window\tCtrl+0", kCmdFitToWindow},
    {K::Item, "Actual Size\tCtrl+1", kCmdActualSize},
    {K::End},

    {K::Menu, "Comp"},
    {K::Item, "Each Plane", kCmdCompEachPlane},
    {K::Item, "   Graded", kCmdCompGraded},
    {K::Item, "  Averaged", kCmdCompAveraged},
    {K::End},

    {K::Menu, "Help"},
    {K::Item, "Where ?", kCmdWhere},
    {K::Item, "Settings", kCmdSettings},
    {K::Separator},
    {K::Item, "Contents and Index", kCmdHelpContents},
    {K::Separator},
    {K::Item, "About Kestrel", kCmdAbout},
    {K::End},
};

// No key is bound to Anti-Clock, although its menu text names Alt A.
constexpr Accelerator kAccelerators[] = {
    {"Ctrl+C", kCmdCopy},
    {"Ctrl+V", kCmdPasteDib},
    {"Ctrl+S", kCmdSaveEdit},
    {"Ctrl+Up", kCmdPixelLineUp},
    {"Ctrl+Down", kCmdPixelLineDown},
    {"Ctrl+Left", kCmdPixelLeft},
    {"Ctrl+Right", kCmdPixelRight},
    {"Alt+O", kCmdExposureOriginal},
    {"Alt+E", kCmdExposureEnhanced},
    {"Alt+L", kCmdExposureLighten},
    {"Alt+D", kCmdExposureDarken},
    {"Alt+C", kCmdRotateClockwise},
    {"Alt+PgUp", kCmdImageUpLine},
    {"Alt+PgDown", kCmdImageDownLine},
    {"Alt+Left", kCmdImageLeft10},
    {"Alt+Right", kCmdImageRight10},
    {"Shift+Left", kCmdImageLeft1},
    {"Shift+Right", kCmdImageRight1},
    {"Ctrl+X", kCmdNoCommand},
    {"Ctrl+M", kCmdViewMap},
    {"Ctrl+G", kCmdViewGallery},
    {"Ctrl++", kCmdZoomIn},
    {"Ctrl+=", kCmdZoomIn},  // the same key without the Shift that "+" needs on many keyboards
    {"Ctrl+-", kCmdZoomOut},
    {"Ctrl+0", kCmdFitToWindow},
    {"Ctrl+1", kCmdActualSize},
};

}  // namespace

std::span<const MenuEntry> MenuBar() { return kMenuBar; }

std::span<const Accelerator> Accelerators() { return kAccelerators; }

MenuItemState MenuItemStateFor(int command, const ImageState& state, bool clipboardHasPicture) {
  const ProcessingFlags& f = state.processing;
  switch (command) {
    case kCmdCompEachPlane: return {true, f.compensationMode == CompensationMode::EachPlane};
    case kCmdCompGraded: return {true, f.compensationMode == CompensationMode::Graded};
    case kCmdCompAveraged: return {true, f.compensationMode == CompensationMode::Averaged};
    case kCmdPasteDib: return {clipboardHasPicture};
    case kCmdSaveBmp:
    case kCmdCopy:
    case kCmdZoomIn:
    case kCmdZoomOut:
    case kCmdFitToWindow:
    case kCmdActualSize: return {state.current.imageDisplayable};
    case kCmdExposureOriginal: return {f.originalAvailable};
    case kCmdExposureEnhanced: return {f.enhancedAvailable};
    case kCmdRotateClockwise:
    case kCmdRotateAnticlockwise: return {f.rotationAvailable};
    case kCmdExposureLighten: return {f.lightenAvailable};
    case kCmdExposureDarken: return {f.darkenAvailable};
    case kCmdPixelLineUp:
    case kCmdPixelLineDown:
    case kCmdPixelLeft:
    case kCmdPixelRight:
    case kCmdSaveEdit:
    case kCmdImageDownLine:
    case kCmdImageUpLine:
    case kCmdImageLeft10:
    case kCmdImageRight10:
    case kCmdImageLeft1:
    case kCmdImageRight1: return {state.pixelAdjustAvailable};
    case kCmdSaveAsComp: return {!f.compressionDone};
    case kCmdSharpenDefault: return {!f.sharpenDefaultUsed};
    case kCmdSharpenHiDef: return {!f.sharpenHiDefUsed};
    case kCmdSharpenPreview: return {!f.sharpenPreviewUsed};
    case kCmdOriginalImage: return {f.imageSharpened};
    default: return {};
  }
}

}  // namespace kestrel
