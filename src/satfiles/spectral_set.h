#pragma once
// TMSAT-1 colour sets: three spectral plane files of one scene, registered against each other
// and interleaved into one 24-bit picture on a square canvas with a black margin.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/block.h"
#include "processing/exposure.h"

namespace kestrel {

struct Session;

struct CanvasGeometry {
  uint32_t width = 0;   // W: pixels per plane row
  uint32_t height = 0;  // H: plane rows
  uint32_t storedWidth = 0;   // W4
  uint32_t storedHeight = 0;  // H4
  uint32_t margin = 0;  // M = (W4 div 100) x 10
  uint32_t side = 0;    // S: the canvas is S x S pixels, with 2M spare rows after it
};

// W4 is W rounded up to a multiple of 4 (W itself for a thumbnail), H4 is H rounded down;
// the side is H4 + 2M. Planes wider than they are high get a side of W4 + 2M, so no row ever
// runs into the next.
CanvasGeometry CanvasFor(uint16_t width, uint16_t height, bool thumbnail);

// The fixed registration by plane height: where plane 1 is stored in its buffer, and how far
// planes 1 and 3 are then moved back toward the buffer's start.
struct Registration {
  uint32_t planeOneOffset = 3;
  uint32_t planeOneBack = 0;
  uint32_t planeThreeBack = 0;
};
Registration RegistrationFor(uint16_t height);

// Moves the buffer's content `back` bytes toward its start; the bytes uncovered at its end
// become 0.
void MoveBack(std::span<uint8_t> buffer, size_t back);

struct ComposedSet {
  Block dib;
  PlaneStatistics statistics;
};

// Interleaves three registered plane buffers (plane 1 into byte 2, plane 2 into byte 1,
// plane 3 into byte 0) into a zero-filled 24-bit packed DIB of the canvas, file row r at
// canvas row M + H - 1 - r from column M, and gathers each plane's statistics over the
// W x H bytes placed. None when a buffer holds fewer than W x H bytes.
std::optional<ComposedSet> ComposeSpectralSet(const std::array<std::span<const uint8_t>, 3>& planes,
                                              const CanvasGeometry& canvas, uint64_t planeSize);

// Reads the three plane files named (bare upper-case names in the session's directory, the
// identification record describing them), composes them, derives the automatic compensation
// and leaves the picture in the loaded image; none on failure, after its message.
Block LoadSpectralSet(Session& session, const std::array<std::string, 3>& names);
// The same for the three plane files' bytes, already in memory; the names serve the messages.
Block LoadSpectralSet(Session& session, const std::array<std::string, 3>& names,
                      const std::array<std::span<const uint8_t>, 3>& planes);

}  // namespace kestrel
