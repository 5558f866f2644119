#pragma once
// Everything the core asks of the world outside it: boxes, cursor, progress, choosers,
// clipboard, settings, time and the window. The GUI, kestrel-cli and the tests each
// implement it.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

enum class BoxIcon { None, Information, Exclamation, Question, Stop };
enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class BoxAnswer { Ok, Cancel, Yes, No };

// Caption of a box shown through ShowErrorBox, as the desktop's own error boxes have it.
inline constexpr std::string_view kDefaultErrorCaption = "Error";

// A modeless window with a bar, advanced by direct calls while a long operation runs.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  virtual void SetRange(int minimum, int maximum) = 0;
  virtual void SetStep(int step) = 0;
  virtual void StepIt() = 0;
  virtual void SetPosition(int position) = 0;
};

struct ProgressRequest {
  std::string title;  // window title, e.g. "CCD Image Compression"
  std::string line;   // the static line under the title
};

// A kind of file a chooser offers: its description and the name patterns that list it
// ("TM??????.IMI"); names match the patterns whatever their case.
struct FileFilter {
  std::string description;
  std::vector<std::string> patterns;
};

// The bits of a bitmap format word: a depth and a compression, one button each.
enum FormatBit : uint16_t {
  kFormat1Bpp = 1, kFormat4Bpp = 2, kFormat8Bpp = 4, kFormat24Bpp = 8,
  kFormatRle4 = 16, kFormatRle8 = 32, kFormatRgb = 64,
};

struct FileChooserRequest {
  std::string title;
  std::string directory;
  std::vector<FileFilter> filters;  // the first is chosen at the start
  std::string suggestedName;
  // Saving a bitmap: the format panel, with the buttons of this word preselected.
  std::optional<uint16_t> formatWord;
};

struct FileChoice {
  std::string path;         // as chosen: a full path, or a name as typed
  uint16_t formatWord = 0;  // the format panel's buttons when it was offered
};

// The entries of the Register Files dialog: where the ground-station files and the pictures
// are, and the two defaults. Directories are kept exactly as typed.
struct RegisterFilesForm {
  std::string elementSetDirectory;
  std::string placesDirectory;
  std::string imagesDirectory;
  bool imageSets = false;
  bool sharpen = false;
  std::string twoLineElementFile;
};

// What changed about the picture on show, so the window redraws only what it must.
enum class PictureChange {
  Installed,       // a new picture: fit the window and repaint
  PixelsChanged,   // same size, new pixels
  ColoursChanged,  // only the colour table changed
  Cleared,         // nothing on show
};

// A width and a height in screen pixels.
struct Extent {
  int width = 0;
  int height = 0;
};

// Where the window can show a picture at 100% without scroll bars: its picture area as it is
// now, and the largest picture area the window can have on its screen.
struct PictureRoom {
  Extent area;
  Extent screen;
};

class Platform {
 public:
  virtual ~Platform() = default;

  virtual BoxAnswer ShowMessageBox(std::string_view text, std::string_view caption,
                                   BoxIcon icon, BoxButtons buttons) = 0;

  virtual void PushWaitCursor() = 0;
  virtual void PopCursor() = 0;

  virtual std::unique_ptr<ProgressWindow> OpenProgressWindow(const ProgressRequest& request) = 0;

  // The modeless "Loading Information" window and its log.
  virtual void OpenLoadingLog() = 0;
  // Shows the window's whole text, which the flows keep in the image state.
  virtual void ShowLoadingText(std::string_view text) = 0;
  virtual void CloseLoadingLog() = 0;

  // Runs the modal Register Files dialog filled from `form`. Each OK hands the entries to
  // `accept`, which checks and keeps them and answers whether the dialog may close; Escape
  // does nothing. False when the user pressed Cancel.
  virtual bool RunRegisterFilesDialog(const RegisterFilesForm& form,
                                      const std::function<bool(const RegisterFilesForm&)>& accept) = 0;

  // None when the user cancelled.
  virtual std::optional<FileChoice> ChooseFileToOpen(const FileChooserRequest& request) = 0;
  virtual std::optional<FileChoice> ChooseFileToSave(const FileChooserRequest& request) = 0;

  // Clipboard in the packed-DIB format. Reading gives none when the clipboard's picture is
  // beyond the picture limit.
  virtual bool ClipboardHasDib() = 0;
  virtual std::optional<std::vector<uint8_t>> ReadClipboardDib() = 0;
  virtual void WriteClipboardDib(const std::vector<uint8_t>& dib) = 0;

  // Settings store: named text and number values under the program's key.
  virtual std::optional<std::string> ReadSettingText(std::string_view name) = 0;
  virtual std::optional<uint32_t> ReadSettingNumber(std::string_view name) = 0;
  virtual void WriteSettingText(std::string_view name, std::string_view value) = 0;
  virtual void WriteSettingNumber(std::string_view name, uint32_t value) = 0;

  virtual uint32_t TickCount() = 0;
  virtual void Pause(uint32_t milliseconds) = 0;

  virtual void SetWindowCaption(std::string_view caption) = 0;
  // Closes the main window as its Close command does, which ends the program. A platform
  // without a main window has nothing to close.
  virtual void CloseMainWindow() {}
  // Help > Contents and Index, and Help > About Kestrel; nothing where there is no window.
  virtual void ShowHelp() {}
  virtual void ShowAbout() {}
  // View > Map: the window that shows where the picture on show lies, following it.
  virtual void ShowMap() {}
  // View > Gallery: the files of a folder as small pictures, any of which opens here.
  virtual void ShowGallery() {}
  virtual void PictureChanged(PictureChange change) = 0;
  // The room the window has for the picture, which the zoom fits pictures into; none where
  // there is no window.
  virtual std::optional<PictureRoom> RoomForPicture() { return std::nullopt; }
  // The session's zoom changed: the picture on show is drawn again at it.
  virtual void ZoomChanged() {}
  // The state of a modeless image dialog (Rotation / Exposure, 24 Bit Colour Manipulation)
  // changed: a platform that shows them redraws them from the image state.
  virtual void ImageDialogsChanged() {}
};

// Wait cursor for the length of a scope, restored on every way out.
class WaitCursor {
 public:
  explicit WaitCursor(Platform& platform) : platform_(platform) { platform_.PushWaitCursor(); }
  ~WaitCursor() { platform_.PopCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  Platform& platform_;
};

}  // namespace kestrel
