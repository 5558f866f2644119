#pragma once
// What a satellite file is, as its name (or a Preview ACT preset) says.

#include <cstdint>

namespace kestrel {

struct IdentificationRecord {
  uint16_t storedWidth = 0;   // row length of the picture a loader built, a multiple of 4
  uint16_t storedHeight = 0;  // rows of the picture a loader built
  uint16_t fileWidth = 0;     // bytes per row in the file
  uint16_t fileHeight = 0;    // rows in the file
  uint16_t fieldGap = 0;      // bytes between the two fields of an interlaced file
  uint16_t headerLength = 0;  // bytes in front of the pixels
  bool interlaced = false;
  bool thumbnail = false;
  bool spikeFilter = false;
  bool leftTrim = false;
  bool autoExposure = false;
  bool wideAngleTmsat = false;

  // The size a file of this kind should have.
  uint64_t ExpectedFileSize() const {
    return uint64_t{fileWidth} * fileHeight + headerLength;
  }
};

}  // namespace kestrel
