#include "satfiles/repeated_blocks.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/files.h"

namespace kestrel {
namespace {

// Raw downloads are about a megabyte; anything far beyond is not one.
constexpr uint64_t kMaxRawFileSize = 64u << 20;

bool IsUniform(std::span<const uint8_t> block) {
  return block.size() < 2 ||
         std::all_of(block.begin(), block.end(), [&](uint8_t b) { return b == block[0]; });
}

}  // namespace

Bytes DropRepeatedBlocks(std::span<const uint8_t> raw) {
  const size_t headerLength = std::min(raw.size(), kRawHeaderLength);
  Bytes cleaned(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(headerLength));
  cleaned.reserve(raw.size());
  // The history starts as all-zero blocks; an entry is compared over the current block's
  // length only, which never exceeds the 109 bytes every entry has.
  static constexpr std::array<uint8_t, kRawBlockLength> kZeroBlock{};
  std::array<const uint8_t*, kRepeatHistory> history;
  history.fill(kZeroBlock.data());
  size_t newest = 0;
  for (size_t offset = headerLength; offset < raw.size(); offset += kRawBlockLength) {
    const auto block = raw.subspan(offset, std::min(kRawBlockLength, raw.size() - offset));
    bool repeated = false;
    for (const uint8_t* earlier : history)
      repeated = repeated || std::memcmp(earlier, block.data(), block.size()) == 0;
    if (!repeated || IsUniform(block)) cleaned.insert(cleaned.end(), block.begin(), block.end());
    // Dropped blocks join the history too.
    history[newest] = block.data();
    newest = (newest + 1) % kRepeatHistory;
  }
  return cleaned;
}

CleanOutcome RemoveRepeatedBlocks(const std::filesystem::path& source,
                                  const std::filesystem::path& destination) {
  const FileContents raw = ReadWholeFile(source, kMaxRawFileSize);
  if (!raw.ok()) return CleanOutcome::SourceUnreadable;
  if (!WriteFileReplacing(destination, DropRepeatedBlocks(raw.bytes)))
    return CleanOutcome::DestinationUnwritable;
  return CleanOutcome::Cleaned;
}

}  // namespace kestrel
