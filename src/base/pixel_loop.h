#pragma once

// Marks a function whose loops walk pixel values. Its branches depend on what a picture shows,
// never on how a file is laid out, so a coverage-guided fuzzer learns nothing from them and
// would only pay for tracing every comparison; Clang leaves them uninstrumented for coverage.
// The memory and undefined-behaviour checks stay.
#if defined(__clang__)
#define KESTREL_PIXEL_LOOP __attribute__((no_sanitize("coverage")))
#else
#define KESTREL_PIXEL_LOOP
#endif
