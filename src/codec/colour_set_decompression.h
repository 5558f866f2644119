#pragma once
// Decompressing TMSat pictures: one pair as a grey picture, or the three pairs of a colour set
// composed into one colour picture. The decoded files are transit files, deleted once loaded.

#include "codec/decompression.h"

namespace kestrel {

struct Session;


// With the session's "decompress as colour set" flag, decodes the three planes of the set the
// current file path (a compressed TMSat name) belongs to, in the first numbering or, when its
// thumbnails are missing, the second, and shows them as a colour set; without it, or for a
// wide-angle name, one pair as a grey picture. Reports an incomplete set. True when it ended
// normally.
bool DecompressTmsatSet(Session& session, const DecompressionOptions& options = {});

// Decompress > Coloured Set on the name in the current file path: a fresh processing state
// marked as decompressed, then the set for a TMSat name; other names do nothing.
bool DecompressColouredSet(Session& session, const DecompressionOptions& options = {});

}  // namespace kestrel
