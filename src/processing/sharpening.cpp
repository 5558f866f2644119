#include "processing/sharpening.h"

#include "bitmap/dib.h"
#include "processing/sharpen.h"
#include "session/current_image.h"
#include "session/session.h"

namespace kestrel {

void Sharpen(Session& session, uint8_t amount, uint32_t window) {
  ImageState& s = session.state;
  WaitCursor wait(session.platform);
  auto progress =
      session.platform.OpenProgressWindow({"Sharpen Image", "Now Sharpening the Image File"});
  progress->SetRange(0, 100);
  progress->SetStep(10);
  if (!s.shownImage || s.sharpenedCopy) return;
  const SharpenGeometry geometry =
      SharpenGeometryFor(static_cast<uint16_t>(s.imageHeaderCopy.biWidth),
                         static_cast<uint16_t>(s.imageHeaderCopy.biHeight),
                         s.processing.colourSetShown, window);
  s.preSharpenImage = s.shownImage;
  s.sharpenedCopy = DuplicateBlock(s.shownImage);
  s.shownImage = s.sharpenedCopy;
  const size_t pixelStart = kInfoHeaderSize + size_t{s.colourTableSize};
  if (pixelStart < s.sharpenedCopy->size())
    SharpenPixels(std::span<uint8_t>(*s.sharpenedCopy).subspan(pixelStart), geometry, amount,
                  [&progress] { progress->StepIt(); });
  SetCurrentImage(session, s.shownImage);
}

void RunSharpenCommand(Session& session, SharpenStrength strength) {
  struct Setting {
    uint8_t amount;
    uint32_t window;
  };
  constexpr Setting kSettings[] = {{4, 3}, {5, 5}, {7, 7}};
  const Setting setting = kSettings[static_cast<int>(strength)];
  RestoreOriginalImage(session, true);
  ProcessingFlags& f = session.state.processing;
  f.sharpenAmount = setting.amount;
  f.sharpenWindow = setting.window;
  f.imageSharpened = true;
  f.sharpenPreviewUsed = strength == SharpenStrength::Preview;
  f.sharpenDefaultUsed = strength == SharpenStrength::Default;
  f.sharpenHiDefUsed = strength == SharpenStrength::HiDef;
  f.sharpenMoreUsed = false;
  Sharpen(session, setting.amount, setting.window);
}

void RestoreOriginalImage(Session& session, bool quiet) {
  ImageState& s = session.state;
  WaitCursor wait(session.platform);
  if (s.preSharpenImage) s.shownImage = s.preSharpenImage;
  s.preSharpenImage.reset();
  s.sharpenedCopy.reset();
  ProcessingFlags& f = s.processing;
  f.imageSharpened = false;
  f.sharpenDefaultUsed = f.sharpenMoreUsed = f.sharpenHiDefUsed = f.sharpenPreviewUsed = false;
  if (s.shownImage && !quiet) SetCurrentImage(session, s.shownImage);
}

}  // namespace kestrel
