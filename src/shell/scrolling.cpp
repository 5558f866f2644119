#include "shell/scrolling.h"

#include <algorithm>

namespace kestrel {

int ScrollStep(ScrollRequest request, int size, int position, int thumb) {
  switch (request) {
    case ScrollRequest::LineUp: return 1 - size / 16;
    case ScrollRequest::LineDown: return size / 16 + 1;
    case ScrollRequest::PageUp: return 1 - size / 2;
    case ScrollRequest::PageDown: return size / 2 + 1;
    case ScrollRequest::Thumb: return thumb - position;
    case ScrollRequest::Other: return 0;
  }
  return 0;
}

int ScrolledPosition(ScrollRequest request, int size, int position, int thumb, int minimum,
                     int maximum) {
  const long long wanted =
      static_cast<long long>(position) + ScrollStep(request, size, position, thumb);
  return static_cast<int>(std::clamp<long long>(wanted, minimum, std::max(minimum, maximum)));
}

}  // namespace kestrel
