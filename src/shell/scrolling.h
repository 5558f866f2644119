#pragma once
// Scroll-bar arithmetic of the picture window, the same for both bars.

namespace kestrel {

enum class ScrollRequest { LineUp, LineDown, PageUp, PageDown, Thumb, Other };

// Pixels to move for one request on a bar whose window extent along that axis is `size`.
// Line and page steps are deliberately lopsided: a line up moves size/16 - 1, a line down
// size/16 + 1. `thumb` is where the thumb was dragged to (Thumb only).
int ScrollStep(ScrollRequest request, int size, int position, int thumb);

// The bar's position after the request, kept inside [minimum, maximum].
int ScrolledPosition(ScrollRequest request, int size, int position, int thumb, int minimum,
                     int maximum);

}  // namespace kestrel
