#include "shell/image_state.h"

#include "shell/session.h"

namespace kestrel {

void ResetProcessingState(Session& session) {
  ImageState& s = session.state;
  s.originalAvailable = true;
  s.enhancedAvailable = false;
  s.rotationAvailable = false;
  s.darkenAvailable = false;
  s.lightenAvailable = false;
  s.compressionDone = false;
  s.compensationMode = CompensationMode::Averaged;
  s.sharpenDefaultUsed = true;
  s.sharpenMoreUsed = true;
  s.sharpenHiDefUsed = true;
  s.sharpenPreviewUsed = true;
  s.imageSharpened = false;
  s.sharpenAmount = 3;
  s.sharpenWindow = 0;
  s.imageAdjustOffset = 0;
  s.singleImageShown = false;
  s.colourSetShown = false;
  s.decompressAsColourSet = false;
  // The next picture makes its own palette.
  s.current.currentPalette.reset();
}

}  // namespace kestrel
