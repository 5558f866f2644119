#pragma once
// Identification of a file held in memory, for the targets that never write their inputs out:
// the record its name gives, with the size its first bytes may carry, as IdentifyImageFile
// makes it from a file on disk.

#include <cstdint>
#include <span>
#include <string>

#include "base/text.h"
#include "satfiles/identification.h"
#include "session/session.h"

namespace kestrel::fuzz {

inline void IdentifyInMemory(Session& session, std::span<const uint8_t> file) {
  std::string& name = session.state.currentFilePath;
  name = ToUpperAscii(name);
  IdentificationRecord record = IdentifyByName(name);
  if (const auto probed = ProbeHeaderSize(file)) {
    record.fileWidth = probed->width;
    record.fileHeight = probed->height;
    record.headerLength = static_cast<uint16_t>(kCameraHeaderLength);
  }
  session.state.identification = record;
}

}  // namespace kestrel::fuzz
