#pragma once
// The one record of program state. Each subsystem keeps its own part in a struct of its own.

#include <array>
#include <cstdint>
#include <string>

#include "base/block.h"
#include "session/current_image.h"
#include "bitmap/dib.h"
#include "base/identification_record.h"

namespace kestrel {

enum class CompensationMode { EachPlane, Graded, Averaged, None };

// The flags and parameters that ResetProcessingState puts back, at their reset values.
struct ProcessingFlags {
  bool originalAvailable = true;
  bool enhancedAvailable = false;
  bool rotationAvailable = false;
  bool darkenAvailable = false;
  bool lightenAvailable = false;
  bool compressionDone = false;
  CompensationMode compensationMode = CompensationMode::Averaged;
  bool sharpenDefaultUsed = true;
  bool sharpenMoreUsed = true;
  bool sharpenHiDefUsed = true;
  bool sharpenPreviewUsed = true;
  bool imageSharpened = false;
  uint8_t sharpenAmount = 3;
  uint32_t sharpenWindow = 0;
  int32_t imageAdjustOffset = 0;
  bool singleImageShown = false;
  bool colourSetShown = false;
  bool decompressAsColourSet = false;
};

struct ImageState {
  // After any open: the bare upper-case 8.3 name, relative to the session's directory.
  std::string currentFilePath;
  std::string selectedFileDirectory;

  Block loadedImage;  // the loaded satellite picture that the edit commands change
  Block shownImage;   // the block last handed to SetCurrentImage
  BitmapInfoHeader imageHeaderCopy;
  uint16_t colourTableSize = 0;
  uint16_t exposureLevel = 128;
  uint32_t imageAverage = 0;

  ProcessingFlags processing;
  bool pixelAdjustAvailable = false;
  bool openedFromShell = false;

  CurrentImage current;
  IdentificationRecord identification;

  // The 256-byte camera file header of the picture last read: capture time, report stamp,
  // and the image size at 251..254 in compressed pairs and decoded files.
  std::array<uint8_t, 256> fileHeaderBuffer{};
  // For "TM" names, the header as the image information report found it; compressing a
  // TMSat picture writes this one.
  std::array<uint8_t, 256> tmHeaderCopy{};
  // Copies the loader leaves beside the loaded image.
  Block imageAdjustOriginal;  // the whole loaded image after its clean-up steps
  Block topDownCopy;          // the picture's rows top-down at the loaded stride
  Block rotationWorkCopy;     // working copy of the rotation commands and the compressor
  Bytes exposureRamp;         // 512 four-byte entries: black, the grey ramp, white
};

struct Session;
// The reset values of the shell's processing flags.
void ResetProcessingState(Session& session);

}  // namespace kestrel
