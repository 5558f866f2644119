#include "codec/colour_set_decompression.h"

#include <array>
#include <string>

#include "base/text.h"
#include "codec/decompression.h"
#include "location/image_information.h"
#include "platform/files.h"
#include "processing/sharpening.h"
#include "satfiles/identification.h"
#include "satfiles/open_flows.h"
#include "satfiles/single_image.h"
#include "session/current_image.h"
#include "session/session.h"

namespace kestrel {
namespace {

constexpr size_t kKindIndex = 2;            // third character: the plane, '0' wide angle
constexpr size_t kNumberingIndex = 3;       // fourth character: '1' in the second numbering
constexpr size_t kExtensionKindIndex = 11;  // twelfth character: 'T', 'C' or 'I'

struct SearchPass {
  std::array<std::string, 3> slots;  // decoded names, in the order they were decoded
  int foundInPass = 0;
  int foundForLastPlane = 0;
  bool restartInSecondNumbering = false;
};

bool Exists(Session& session, const std::string& name) {
  return FindFileIgnoringCase(session.currentDirectory, name).has_value();
}

SearchPass Search(Session& session, const std::string& chosen, bool secondNumbering) {
  ImageState& s = session.state;
  SearchPass pass;
  std::string compressed = chosen;
  std::string thumbnail = chosen;
  thumbnail[kExtensionKindIndex] = 'T';
  if (secondNumbering) thumbnail[kNumberingIndex] = '1';
  const bool onePlane = chosen[kKindIndex] == '0' || !s.processing.decompressAsColourSet;
  for (char plane = '1'; plane <= '3'; ++plane) {
    if (!onePlane) compressed[kKindIndex] = thumbnail[kKindIndex] = plane;
    const bool haveCompressed = Exists(session, compressed);
    const bool haveThumbnail = Exists(session, thumbnail);
    pass.foundForLastPlane = haveCompressed + haveThumbnail;
    pass.foundInPass += pass.foundForLastPlane;
    if (!secondNumbering && pass.foundForLastPlane == 1 && !haveThumbnail) {
      pass.restartInSecondNumbering = true;
      return pass;
    }
    if (pass.foundForLastPlane == 2) {
      s.currentFilePath = thumbnail;
      if (DecompressPair(session, secondNumbering)) {
        for (auto& slot : pass.slots)
          if (slot.empty()) {
            slot = s.currentFilePath;
            break;
          }
        AppendLoadingText(session, s.currentFilePath + "  Retrieved\n");
      }
    }
    if (onePlane) break;
  }
  return pass;
}

void DeleteTransitFiles(Session& session, const std::array<std::string, 3>& slots,
                        const DecompressionOptions& options) {
  if (options.keepDecodedFiles) return;
  for (const std::string& slot : slots) {
    if (slot.empty()) continue;
    std::error_code ignored;
    std::filesystem::remove(session.currentDirectory / slot, ignored);
  }
}

void SharpenAfterLoad(Session& session) {
  if (session.state.sharpenAfterLoad) RunSharpenCommand(session, SharpenStrength::Default);
}

bool Fail(Session& session, std::string_view text, std::string_view caption) {
  session.platform.CloseLoadingLog();
  ShowMessage(session, text, caption);
  return false;
}

bool ColourEnding(Session& session, const SearchPass& pass, const DecompressionOptions& options) {
  ImageState& s = session.state;
  if (!ComposeColourSet(session, pass.slots)) {
    DeleteTransitFiles(session, pass.slots, options);
    return false;
  }
  session.platform.CloseLoadingLog();
  SharpenAfterLoad(session);
  if (options.showInformation) ShowImageInformation(session, s.currentFilePath);
  DeleteTransitFiles(session, pass.slots, options);
  return true;
}

bool SingleEnding(Session& session, const SearchPass& pass, const DecompressionOptions& options) {
  ImageState& s = session.state;
  if (pass.foundForLastPlane == 1 && pass.slots[0].empty())
    return Fail(session, "Incomplete Image Set Found", "Single Image Error");
  WaitCursor wait(session.platform);
  if (!IdentifyImageFile(session) || s.identification.fileWidth == 0 ||
      s.identification.fileHeight == 0) {
    DeleteTransitFiles(session, pass.slots, options);
    return Fail(session, "Invalid Parameters - Image cannot be processed", "CCD Image Error");
  }
  s.processing.singleImageShown = true;
  s.processing.colourSetShown = false;
  s.shownImage = LoadSingleImage(session);
  const bool shown = s.shownImage && SetCurrentImage(session, s.shownImage);
  session.platform.CloseLoadingLog();
  SharpenAfterLoad(session);
  if (shown && options.showInformation) ShowImageInformation(session, s.currentFilePath);
  DeleteTransitFiles(session, pass.slots, options);
  s.exposureLevel = static_cast<uint16_t>(255 - s.imageAverage);
  return true;
}

}  // namespace

bool DecompressTmsatSet(Session& session, const DecompressionOptions& options) {
  ImageState& s = session.state;
  const std::string chosen = ToUpperAscii(s.currentFilePath);
  if (chosen.size() <= kExtensionKindIndex) {
    ShowMessage(session, "Invalid Parameters - Image cannot be processed", "CCD Image Error");
    return false;
  }
  session.platform.OpenLoadingLog();
  SetLoadingText(session, "Commencing Decompression of Spectral Images\n");
  SearchPass pass = Search(session, chosen, false);
  if (pass.restartInSecondNumbering) pass = Search(session, chosen, true);

  const bool wideAngle = s.currentFilePath.size() > kKindIndex && s.currentFilePath[kKindIndex] == '0';
  if ((pass.foundInPass == 2 && wideAngle) || !s.processing.decompressAsColourSet)
    return SingleEnding(session, pass, options);
  if (pass.foundInPass == 6) return ColourEnding(session, pass, options);

  std::string report = "Incomplete File Set Retrieved\nFiles retrieved\n";
  for (size_t n = 0; n < 3; ++n) {
    report += "      File #" + std::to_string(n + 1) + " : ";
    report += pass.slots[n].empty() ? "Missing" : pass.slots[n];
    if (n < 2) report += "\n";
    if (!pass.slots[n].empty()) s.currentFilePath = pass.slots[n];
  }
  if (pass.slots[0].empty()) report += "\nNo files retrieved - Process Aborted !!!";
  ShowMessage(session, report, "Retrieved Compressed File Status", BoxIcon::None);
  if (pass.slots[0].empty()) {
    session.platform.CloseLoadingLog();
    return false;
  }
  return SingleEnding(session, pass, options);
}

bool DecompressColouredSet(Session& session, const DecompressionOptions& options) {
  ImageState& s = session.state;
  WaitCursor wait(session.platform);
  PrepareDecompression(session);
  if (!s.currentFilePath.starts_with("TM")) return false;
  s.processing.decompressAsColourSet = true;
  const bool ended = DecompressTmsatSet(session, options);
  s.processing.decompressAsColourSet = false;
  return ended;
}

}  // namespace kestrel
