#include "platform/process_memory.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace kestrel {

void KeepFreedPictureMemory() {
#if defined(M_MMAP_THRESHOLD) && defined(M_TRIM_THRESHOLD)  // the GNU C library's knobs
  // Blocks up to 32 MiB (a 24-bit picture of 3,300 x 3,300) are kept for reuse; larger ones,
  // rare, still go back to the system as soon as they are freed.
  constexpr int kLargestKeptBlock = 32 << 20;
  mallopt(M_MMAP_THRESHOLD, kLargestKeptBlock);
  mallopt(M_TRIM_THRESHOLD, 4 * kLargestKeptBlock);
#endif
}

}  // namespace kestrel
