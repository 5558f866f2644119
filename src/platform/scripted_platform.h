#pragma once
// A Platform that records everything the core shows and answers from a script. Tests use it to
// see every box a flow puts up and to answer its questions.

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kestrel {

struct RecordedBox {
  std::string text;
  std::string caption;
  BoxIcon icon = BoxIcon::None;
  BoxButtons buttons = BoxButtons::Ok;
};

struct RecordedProgress {
  ProgressRequest request;
  int minimum = 0;
  int maximum = 100;
  int step = 10;
  int position = 0;
  int steps = 0;  // StepIt calls
  bool open = true;
};

class ScriptedPlatform : public Platform {
 public:
  // Answers to the next boxes, in order; a box with none queued is answered OK (or Yes).
  std::deque<BoxAnswer> boxAnswers;
  std::deque<std::optional<FileChoice>> openAnswers;
  std::deque<std::optional<FileChoice>> saveAnswers;
  // Entries typed into the Register Files dialog, one per OK; when none are left, Cancel.
  std::deque<RegisterFilesForm> registerFilesEntries;
  std::vector<RegisterFilesForm> registerFilesShown;  // the form as each dialog opened

  std::vector<RecordedBox> boxes;
  std::vector<FileChooserRequest> openRequests;
  std::vector<FileChooserRequest> saveRequests;
  std::vector<std::shared_ptr<RecordedProgress>> progressWindows;
  std::string loadingText;  // as last shown
  bool loadingLogOpen = false;
  int cursorDepth = 0;
  int maxCursorDepth = 0;
  std::optional<std::vector<uint8_t>> clipboard;
  std::map<std::string, std::string, std::less<>> textSettings;
  std::map<std::string, uint32_t, std::less<>> numberSettings;
  uint32_t ticks = 0;
  std::vector<uint32_t> pauses;
  std::string caption;
  std::vector<PictureChange> pictureChanges;
  std::optional<PictureRoom> pictureRoom;  // none: as if there were no window
  int zoomChanges = 0;
  int mainWindowCloses = 0;

  BoxAnswer ShowMessageBox(std::string_view text, std::string_view caption, BoxIcon icon,
                           BoxButtons buttons) override;
  void PushWaitCursor() override;
  void PopCursor() override;
  std::unique_ptr<ProgressWindow> OpenProgressWindow(const ProgressRequest& request) override;
  void OpenLoadingLog() override { loadingLogOpen = true; }
  void ShowLoadingText(std::string_view text) override { loadingText = text; }
  void CloseLoadingLog() override { loadingLogOpen = false; }
  bool RunRegisterFilesDialog(const RegisterFilesForm& form,
                              const std::function<bool(const RegisterFilesForm&)>& accept) override;
  std::optional<FileChoice> ChooseFileToOpen(const FileChooserRequest& request) override;
  std::optional<FileChoice> ChooseFileToSave(const FileChooserRequest& request) override;
  bool ClipboardHasDib() override { return clipboard.has_value(); }
  std::optional<std::vector<uint8_t>> ReadClipboardDib() override { return clipboard; }
  void WriteClipboardDib(const std::vector<uint8_t>& dib) override { clipboard = dib; }
  std::optional<std::string> ReadSettingText(std::string_view name) override;
  std::optional<uint32_t> ReadSettingNumber(std::string_view name) override;
  void WriteSettingText(std::string_view name, std::string_view value) override;
  void WriteSettingNumber(std::string_view name, uint32_t value) override;
  uint32_t TickCount() override { return ticks; }
  void Pause(uint32_t milliseconds) override;
  void SetWindowCaption(std::string_view text) override { caption = text; }
  void PictureChanged(PictureChange change) override { pictureChanges.push_back(change); }
  std::optional<PictureRoom> RoomForPicture() override { return pictureRoom; }
  void ZoomChanged() override { ++zoomChanges; }
  void CloseMainWindow() override { ++mainWindowCloses; }

  // The texts of all boxes shown so far, for compact assertions.
  std::vector<std::string> BoxTexts() const;
};

}  // namespace kestrel
