#include "session/image_state.h"

#include "session/session.h"

namespace kestrel {

void ResetProcessingState(Session& session) {
  ImageState& s = session.state;
  s.processing = ProcessingFlags{};
  // The next picture makes its own palette.
  s.current.currentPalette.reset();
}

}  // namespace kestrel
