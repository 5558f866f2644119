#include "shell/dispatch.h"

#include "base/command_ids.h"
#include "codec/colour_set_decompression.h"
#include "codec/compression.h"
#include "codec/decompression.h"
#include "location/image_information.h"
#include "processing/image_commands.h"
#include "satfiles/open_ccd.h"
#include "session/session.h"
#include "shell/bitmap_commands.h"
#include "shell/edit_commands.h"
#include "shell/menu_table.h"
#include "shell/open_file.h"
#include "shell/settings.h"
#include "shell/zoom_commands.h"

namespace kestrel {
namespace {

constexpr size_t kKindIndex = 2;  // third character of a name: 'D' decoded, 'T' thumbnail

// Where ?: a decoded picture is reported on under its thumbnail's name, the file that stays.
void WhereCommand(Session& session) {
  std::string& name = session.state.currentFilePath;
  const bool decoded = name.size() > kKindIndex && name[kKindIndex] == 'D';
  if (decoded) name[kKindIndex] = 'T';
  const std::string reported = name;
  ShowImageInformation(session, reported);
  if (decoded) name[kKindIndex] = 'D';
}

// The decompressions end by loading the settings (whether to sharpen): they are loaded first.
void DecompressSingleCommand(Session& session) {
  LoadSettings(session);
  OpenSatelliteFileDialog(session, SatelliteDialogMode::SingleCompressed);
  if (!session.state.currentFilePath.empty()) DecompressSingleImage(session);
}

void DecompressColouredSetCommand(Session& session) {
  LoadSettings(session);
  OpenSatelliteFileDialog(session, SatelliteDialogMode::CompressedSets);
  if (!session.state.currentFilePath.empty()) DecompressColouredSet(session);
}

}  // namespace

int DispatchCommand(Session& session, int command, int parameter) {
  ImageState& s = session.state;
  if (int result = 1; RunImageCommand(session, command, parameter, result)) return result;
  if (int result = 1; RunEditCommand(session, command, result)) return result;
  switch (command) {
    case kCmdOpenBmp: return OpenBmpCommand(session) ? 1 : 0;
    case kCmdSaveBmp: return SaveBmpCommand(session) ? 1 : 0;
    case kCmdPasteDib: PasteDibCommand(session); return 1;
    case kCmdCopy: return CopyCommand(session);
    case kCmdOpenCcd:
      s.openedFromShell = false;
      LoadSettings(session);
      return OpenCcdCommand(session);
    case kCmdPreviewActUosat:
    case kCmdPreviewActKitsat:
    case kCmdPreviewActKbiw:
    case kCmdPreviewActTmsat:
    case kCmdPreviewActTm00:
      LoadSettings(session);
      PreviewActCommand(session, command);
      return 1;
    case kCmdSaveAsComp: SaveAsComp(session); return 1;
    case kCmdDecompressSingle: DecompressSingleCommand(session); return 1;
    case kCmdDecompressColouredSet: DecompressColouredSetCommand(session); return 1;
    case kCmdDecompressTmsatSet: {
      WaitCursor wait(session.platform);
      LoadSettings(session);
      DecompressTmsatSet(session);
      s.processing.decompressAsColourSet = false;
      return 1;
    }
    case kCmdExit: session.platform.CloseMainWindow(); return 1;
    case kCmdWhere: WhereCommand(session); return 1;
    case kCmdSettings: RunSettingsDialog(session); return 1;
    case kCmdHelpContents: session.platform.ShowHelp(); return 1;
    case kCmdAbout: session.platform.ShowAbout(); return 1;
    case kCmdViewMap: session.platform.ShowMap(); return 1;
    case kCmdViewGallery: session.platform.ShowGallery(); return 1;
    case kCmdZoomIn:
    case kCmdZoomOut:
    case kCmdFitToWindow:
    case kCmdActualSize: ZoomCommand(session, command); return 1;
    case kCmdCommandLineOpen: CommandLineOpen(session, s.currentFilePath); return 1;
    default: return 1;
  }
}

int DispatchAccelerator(Session& session, int command) {
  const bool clipboard = session.platform.ClipboardHasDib();
  if (!MenuItemStateFor(command, session.state, clipboard).enabled) return 1;
  return DispatchCommand(session, command);
}

void AttachDispatcher(Session& session) {
  session.sendCommand = [&session](int command, int parameter) {
    return DispatchCommand(session, command, parameter);
  };
}

}  // namespace kestrel
