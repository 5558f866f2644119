#pragma once
// Raw image files arrive as 109-byte blocks behind a 108-byte header; a block that the
// downlink repeated is dropped before the picture is built.

#include <cstddef>
#include <filesystem>
#include <span>

#include "base/block.h"

namespace kestrel {

inline constexpr size_t kRawHeaderLength = 108;
inline constexpr size_t kRawBlockLength = 109;
// How many earlier blocks a block is compared with.
inline constexpr size_t kRepeatHistory = 9;

// The raw file less every non-uniform block that equals one of the nine blocks before it.
Bytes DropRepeatedBlocks(std::span<const uint8_t> raw);

enum class CleanOutcome { Cleaned, SourceUnreadable, DestinationUnwritable };

// Writes the cleaned copy of `source` to `destination` (replacing it whole, never half).
CleanOutcome RemoveRepeatedBlocks(const std::filesystem::path& source,
                          const std::filesystem::path& destination);

}  // namespace kestrel
