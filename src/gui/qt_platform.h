#pragma once
// The Platform of the desktop program: Qt boxes, cursors, dialogs, clipboard and the window.

#include <QDialog>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPointer>

#include "platform/platform.h"
#include "platform/settings_file.h"

namespace kestrel::gui {

class MainWindow;

class QtPlatform : public Platform {
 public:
  explicit QtPlatform(MainWindow& window);

  BoxAnswer ShowMessageBox(std::string_view text, std::string_view caption, BoxIcon icon,
                           BoxButtons buttons) override;
  void PushWaitCursor() override;
  void PopCursor() override;
  std::unique_ptr<ProgressWindow> OpenProgressWindow(const ProgressRequest& request) override;
  void OpenLoadingLog() override;
  void ShowLoadingText(std::string_view text) override;
  void CloseLoadingLog() override;
  bool RunRegisterFilesDialog(const RegisterFilesForm& form,
                              const std::function<bool(const RegisterFilesForm&)>& accept) override;
  std::optional<FileChoice> ChooseFileToOpen(const FileChooserRequest& request) override;
  std::optional<FileChoice> ChooseFileToSave(const FileChooserRequest& request) override;
  bool ClipboardHasDib() override;
  std::optional<std::vector<uint8_t>> ReadClipboardDib() override;
  void WriteClipboardDib(const std::vector<uint8_t>& dib) override;
  std::optional<std::string> ReadSettingText(std::string_view name) override;
  std::optional<uint32_t> ReadSettingNumber(std::string_view name) override;
  void WriteSettingText(std::string_view name, std::string_view value) override;
  void WriteSettingNumber(std::string_view name, uint32_t value) override;
  uint32_t TickCount() override;
  void Pause(uint32_t milliseconds) override;
  void SetWindowCaption(std::string_view caption) override;
  void CloseMainWindow() override;
  void ShowHelp() override;
  void ShowAbout() override;
  void ShowMap() override;
  void ShowGallery() override;
  void PictureChanged(PictureChange change) override;
  std::optional<PictureRoom> RoomForPicture() override;
  void ZoomChanged() override;
  void ImageDialogsChanged() override;

  // The "Loading Information" window while it is open.
  QDialog* LoadingLog() const { return loadingLog_; }

 private:
  MainWindow& window_;
  SettingsFile settings_;
  QElapsedTimer clock_;
  QPointer<QDialog> loadingLog_;
  QPointer<QPlainTextEdit> loadingText_;
};

}  // namespace kestrel::gui
