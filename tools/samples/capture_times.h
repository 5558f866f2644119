#pragma once
// When the sample pictures were "taken": one moment in each satellite's working life.

#include <cstdint>

namespace samples {

enum class Satellite { Uosat5, Kitsat1, Kitsat2, Posat1, Tmsat1 };

// Seconds since 1970-01-01 00:00 UTC, as camera file headers keep them.
uint32_t SampleCaptureTime(Satellite satellite);

}  // namespace samples
