#pragma once
// The Sharpen Image commands: the picture on show is sharpened in a copy, so Original Image
// can always bring back the picture as it was.

#include <cstdint>

namespace kestrel {

struct Session;

enum class SharpenStrength { Preview, Default, HiDef };

// Sharpens the shown image in a copy, with the "Sharpen Image" progress window. Does nothing
// but open and close that window when there is no picture or a sharpened copy exists already.
void Sharpen(Session& session, uint8_t amount, uint32_t window);

// Preview (amount 4, window 3), Default (5, 5) or Hi Definition (7, 7), always starting from
// the unsharpened picture, with the menu flags each sets.
void RunSharpenCommand(Session& session, SharpenStrength strength);

// Original Image: the picture before sharpening is shown again (when `quiet` is false) and the
// sharpened copy is dropped.
void RestoreOriginalImage(Session& session, bool quiet);

}  // namespace kestrel
