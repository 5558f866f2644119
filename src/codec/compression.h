#pragma once
// Compressing the loaded satellite picture into a thumbnail and a compressed file beside it,
// and the Save as Comp command built on it.

namespace kestrel {

struct Session;

// Writes the picture the loader last read (its top-down copy) as a thumbnail and a compressed
// file named after the current file path, showing the progress while the blocks are coded.
// On success the current file path names the thumbnail and the identification record
// describes it; the top-down and rotation work copies are released. A file that cannot be
// written is reported and ends the compression, leaving the current file path as it was;
// the result says whether both files were written.
bool CompressCurrentImage(Session& session);

// Save as Comp: TMSat spectral planes only when opened from outside the program; compresses
// the loaded picture, then loads and shows the thumbnail it wrote (or, when compressing
// failed, the source picture again). True when the pair was written.
bool SaveAsComp(Session& session);

}  // namespace kestrel
