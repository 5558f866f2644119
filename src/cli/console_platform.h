#pragma once
// The Platform of kestrel-cli: boxes become "[Caption] text" lines on stderr, questions are
// answered OK (or Cancel with --cancel), settings come from the same store the GUI uses.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace kestrel {

// Writes a line to stderr, first erasing the progress line if one is on show; while a
// HeldErrorLines is alive on the calling thread, appends it to that instead.
void PrintErrorLine(std::string_view line);
// Shows `text` as the one progress line on stderr, or erases it when `text` is empty; only
// when stderr is a terminal, so that logs stay clean.
void ShowProgressLine(std::string_view text);

// The error lines of one file of a parallel batch: while it is alive, every line its thread
// prints (the boxes of ConsolePlatform and kestrel-cli's own complaints alike) waits in it, so
// that the batch can print each file's lines whole and in the order of the files.
class HeldErrorLines {
 public:
  HeldErrorLines();
  ~HeldErrorLines();
  HeldErrorLines(const HeldErrorLines&) = delete;
  HeldErrorLines& operator=(const HeldErrorLines&) = delete;

  // The lines held so far, each ending in a newline; holding goes on with none.
  std::string Take();

 private:
  std::string lines_;
  std::string* outer_;  // where the thread's lines went before
};

// Writes lines that were held back to stderr, first erasing the progress line.
void PrintHeldLines(std::string_view lines);

class ConsolePlatform : public Platform {
 public:
  explicit ConsolePlatform(bool answerCancel) : answerCancel_(answerCancel) {}

  BoxAnswer ShowMessageBox(std::string_view text, std::string_view caption, BoxIcon icon,
                           BoxButtons buttons) override;
  void PushWaitCursor() override {}
  void PopCursor() override {}
  std::unique_ptr<ProgressWindow> OpenProgressWindow(const ProgressRequest& request) override;
  void OpenLoadingLog() override {}
  void ShowLoadingText(std::string_view) override {}
  void CloseLoadingLog() override {}
  bool RunRegisterFilesDialog(const RegisterFilesForm&,
                              const std::function<bool(const RegisterFilesForm&)>&) override {
    return false;  // no dialogs in batch work: as if cancelled
  }
  std::optional<FileChoice> ChooseFileToOpen(const FileChooserRequest&) override {
    return std::nullopt;
  }
  std::optional<FileChoice> ChooseFileToSave(const FileChooserRequest&) override {
    return std::nullopt;
  }
  bool ClipboardHasDib() override { return false; }
  std::optional<std::vector<uint8_t>> ReadClipboardDib() override { return std::nullopt; }
  void WriteClipboardDib(const std::vector<uint8_t>&) override {}
  std::optional<std::string> ReadSettingText(std::string_view name) override;
  std::optional<uint32_t> ReadSettingNumber(std::string_view name) override;
  void WriteSettingText(std::string_view name, std::string_view value) override;
  void WriteSettingNumber(std::string_view name, uint32_t value) override;
  uint32_t TickCount() override;
  void Pause(uint32_t) override {}  // batch work does not wait for anyone to look
  void SetWindowCaption(std::string_view) override {}
  void PictureChanged(PictureChange) override {}

 private:
  bool answerCancel_;
};

}  // namespace kestrel
