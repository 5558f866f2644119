#pragma once
// The one record of program state. Each subsystem keeps its own part in a struct of its own.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "base/block.h"
#include "session/current_image.h"
#include "session/lazy_block.h"
#include "session/view_zoom.h"
#include "bitmap/dib.h"
#include "base/identification_record.h"

namespace kestrel {

enum class CompensationMode { EachPlane, Graded, Averaged, None };

// The five percentages that mix a colour set's bands into a natural-looking picture.
struct MixCoefficients {
  int32_t irToRed = 65;
  int32_t redToRed = 60;
  int32_t redToGreen = 110;
  int32_t redToBlue = 35;
  int32_t greenToBlue = 65;
};

// The colour planes the colour dialog's rotations and shifts work on.
struct PlaneSelection {
  bool ir = false;     // byte 2, near infrared
  bool red = false;    // byte 1, visible red
  bool green = false;  // byte 0, visible green
  bool all = true;
};

// The persistent settings as the program holds them, and the paths derived from them.
struct Settings {
  std::string elementSetDirectory;  // as typed: a Windows path ("c:\Wisp") or a Linux one; empty: none
  std::string placesDirectory;      // empty: none
  std::string imagesDirectory;
  std::string twoLineElementFile;   // as typed; empty: none
  std::string initialised;  // "Yes" once the settings were entered
  uint32_t selectImageSets = 0;
  uint32_t selectSharpen = 0;
  // The element sets to place pictures by: the two-line element file when one is registered,
  // else WiSP.Kep in its directory, as this system finds it. Empty: the settings name none.
  std::filesystem::path elementSetFile;
  std::filesystem::path placesFile;  // WiSP.Obs; empty: the settings name none
};

// The Rotation / Exposure dialog as the program sees it, without widgets.
struct ExposureDialogState {
  bool open = false;
  int scrollPosition = 0;   // the resulting average brightness, not the level
  std::string greyScaleLabel;
  std::string averageLabel;  // "Average = 0x.."
  bool originalEnabled = false;
  bool enhancedEnabled = false;
};

// The 24 Bit Colour Manipulation dialog as the program sees it, without widgets.
enum class PlaneCheck { All, Ir, Red, Green };
struct ColourDialogState {
  bool open = false;
  PlaneCheck checked = PlaneCheck::All;
  std::array<std::string, 5> coefficientEdits;  // as typed; read at the next spin change
  bool refreshEnabled = false;
  std::string exposureButtonText;  // "Enhanced" while the compensation is applied
};

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
  bool colourExposureOn = true;  // the automatic compensation is applied to a colour set
  // Quarter turns the picture on show has taken since it was loaded, clockwise positive;
  // its footprint on the ground turns with it.
  int quarterTurnsClockwise = 0;
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
  bool sharpenAfterLoad = false;  // from the settings: Sharpen (Default) after every load
  Settings settings;

  CurrentImage current;
  ViewZoom zoom;  // kept from one picture to the next
  IdentificationRecord identification;

  // The 256-byte camera file header of the picture last read: capture time, report stamp,
  // and the image size at 251..254 in compressed pairs and decoded files.
  std::array<uint8_t, 256> fileHeaderBuffer{};
  // For "TM" names, the header as the image information report found it; compressing a
  // TMSat picture writes this one.
  std::array<uint8_t, 256> tmHeaderCopy{};
  // Copies the loader leaves beside the loaded image, made when first read.
  LazyBlock imageAdjustOriginal;  // the whole loaded image after its clean-up steps
  LazyBlock topDownCopy;          // the picture's rows top-down at the loaded stride
  Block rotationWorkCopy;     // working copy of the rotation commands and the compressor
  Bytes exposureRamp;         // 512 four-byte entries: black, the grey ramp, white

  // Colour sets.
  Block mixedColourImage;  // the result block of colour mixing, reused by every mixing
  MixCoefficients mix;
  PlaneSelection planes;
  std::array<uint16_t, 3> channelCompensation{};  // by pixel byte; only the low byte counts

  ExposureDialogState exposureDialog;
  ColourDialogState colourDialog;

  // The running text of the Loading Information window.
  std::string loadingText;

  // Sharpening works on a copy; the picture before it comes back with Original Image.
  Block preSharpenImage;
  Block sharpenedCopy;
};

struct Session;
// The reset values of the shell's processing flags.
void ResetProcessingState(Session& session);

}  // namespace kestrel
