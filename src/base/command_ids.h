#pragma once
// Command ids: one number space for menu items, accelerators and the requests the dialogs send
// to the main window.

namespace kestrel {

enum CommandId : int {
  // File
  kCmdOpenBmp = 1002,
  kCmdSaveBmp = 1015,
  kCmdOpenCcd = 40005,
  kCmdPreviewActUosat = 40050,
  kCmdPreviewActKitsat = 40051,
  kCmdPreviewActKbiw = 40052,
  kCmdPreviewActTmsat = 1054,
  kCmdPreviewActTm00 = 1055,
  kCmdSaveAsComp = 40020,
  kCmdDecompressSingle = 40077,
  kCmdDecompressColouredSet = 40078,
  kCmdDecompressTmsatSet = 50000,
  kCmdExit = 1003,
  // Edit
  kCmdPasteDib = 1020,
  kCmdCopy = 1012,
  kCmdExposureOriginal = 40006,
  kCmdExposureEnhanced = 40007,
  kCmdExposureLighten = 40014,
  kCmdExposureDarken = 40015,
  kCmdRotateClockwise = 40008,
  kCmdRotateAnticlockwise = 40009,
  kCmdPixelLineUp = 40032,
  kCmdPixelLineDown = 40033,
  kCmdPixelLeft = 40034,
  kCmdPixelRight = 40035,
  kCmdSaveEdit = 40036,
  kCmdImageDownLine = 40071,
  kCmdImageUpLine = 40070,
  kCmdImageLeft10 = 40068,
  kCmdImageRight10 = 40066,
  kCmdImageLeft1 = 40072,
  kCmdImageRight1 = 40073,
  kCmdSharpenPreview = 40086,
  kCmdSharpenDefault = 40083,
  kCmdSharpenHiDef = 40085,
  kCmdOriginalImage = 40082,
  // Comp
  kCmdCompEachPlane = 40062,
  kCmdCompGraded = 40064,
  kCmdCompAveraged = 40065,
  // Help
  kCmdWhere = 40013,
  kCmdSettings = 40024,
  kCmdHelpContents = 40049,
  kCmdAbout = 1004,

  // View: windows beside the picture, and the picture's zoom.
  kCmdViewMap = 41001,
  kCmdViewGallery = 41002,
  kCmdZoomIn = 41003,
  kCmdZoomOut = 41004,
  kCmdFitToWindow = 41005,
  kCmdActualSize = 41006,
  // Sent by start-up and the dialogs
  kCmdCommandLineOpen = 40060,
  kCmdNoCommand = 1050,  // Ctrl+X: bound, handled by nothing
  kCmdColourClockwise = 1035,
  kCmdColourAnticlockwise = 1036,
  kCmdPlaneUp1 = 40040,
  kCmdPlaneDown1 = 40041,
  kCmdPlaneLeft1 = 40042,
  kCmdPlaneRight1 = 40043,
  kCmdPlaneDown5 = 40044,
  kCmdPlaneUp5 = 40045,
  kCmdPlaneLeft5 = 40046,
  kCmdPlaneRight5 = 40047,
  kCmdColourRefresh = 40048,
  kCmdColourLighten = 40053,
  kCmdColourDarken = 40055,
  kCmdColourRestore = 40057,
  kCmdColourDialogClosed = 40059,
};

}  // namespace kestrel
