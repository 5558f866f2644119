#include "gui/qt_platform.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/dib_image.h"
#include "gui/file_chooser.h"
#include "gui/help_windows.h"
#include "gui/main_window.h"
#include "gui/picture_view.h"
#include "gui/register_files_dialog.h"

namespace kestrel::gui {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Lets the windows paint while the caller keeps the user's input waiting.
void ShowProgressNow() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

QMessageBox::Icon MessageBoxIcon(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::None: return QMessageBox::NoIcon;
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Exclamation: return QMessageBox::Warning;
    case BoxIcon::Question: return QMessageBox::Question;
    case BoxIcon::Stop: return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons MessageBoxButtons(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::Ok: return QMessageBox::Ok;
    case BoxButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case BoxButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case BoxButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

// Closing a box with the window's close button or Escape answers as its escape button does.
BoxAnswer AnswerFor(int button, BoxButtons buttons) {
  switch (button) {
    case QMessageBox::Ok: return BoxAnswer::Ok;
    case QMessageBox::Cancel: return BoxAnswer::Cancel;
    case QMessageBox::Yes: return BoxAnswer::Yes;
    case QMessageBox::No: return BoxAnswer::No;
    default:
      return buttons == BoxButtons::Ok       ? BoxAnswer::Ok
             : buttons == BoxButtons::YesNo ? BoxAnswer::No
                                             : BoxAnswer::Cancel;
  }
}

// A modeless window with a title, one line and a bar, advanced by direct calls.
class QtProgressWindow : public ProgressWindow {
 public:
  QtProgressWindow(const ProgressRequest& request, MainWindow& window)
      : dialog_(new QDialog(&window)) {
    dialog_->setWindowTitle(FromUtf8(request.title));
    auto* layout = new QVBoxLayout(dialog_);
    layout->addWidget(new QLabel(FromUtf8(request.line), dialog_));
    bar_ = new QProgressBar(dialog_);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setMinimumWidth(260);
    layout->addWidget(bar_);
    dialog_->setModal(false);
    dialog_->adjustSize();
    window.PlaceOverClientArea(*dialog_);
    dialog_->show();
    ShowProgressNow();
  }
  ~QtProgressWindow() override { delete dialog_; }
  QtProgressWindow(const QtProgressWindow&) = delete;
  QtProgressWindow& operator=(const QtProgressWindow&) = delete;

  void SetRange(int minimum, int maximum) override {
    bar_->setRange(minimum, maximum);
    ShowProgressNow();
  }
  void SetStep(int step) override { step_ = step; }
  void StepIt() override { SetPosition(std::min(bar_->maximum(), bar_->value() + step_)); }
  void SetPosition(int position) override {
    bar_->setValue(position);
    ShowProgressNow();
  }

 private:
  QDialog* dialog_;
  QProgressBar* bar_ = nullptr;
  int step_ = 10;
};

}  // namespace

QtPlatform::QtPlatform(MainWindow& window)
    : window_(window), settings_(SettingsFile::DefaultPath()) {
  clock_.start();
}

BoxAnswer QtPlatform::ShowMessageBox(std::string_view text, std::string_view caption,
                                     BoxIcon icon, BoxButtons buttons) {
  QMessageBox box(MessageBoxIcon(icon), FromUtf8(caption), FromUtf8(text),
                  MessageBoxButtons(buttons), &window_);
  box.setTextFormat(Qt::PlainText);  // word for word: a "<" in a file name is no markup
  // A box must be seen and answered even while a long operation shows the wait cursor.
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int button = box.exec();
  QApplication::restoreOverrideCursor();
  return AnswerFor(button, buttons);
}

void QtPlatform::PushWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void QtPlatform::PopCursor() { QApplication::restoreOverrideCursor(); }

std::unique_ptr<ProgressWindow> QtPlatform::OpenProgressWindow(const ProgressRequest& request) {
  return std::make_unique<QtProgressWindow>(request, window_);
}

void QtPlatform::OpenLoadingLog() {
  if (!loadingLog_) {
    loadingLog_ = new QDialog(&window_);
    loadingLog_->setWindowTitle(QStringLiteral("Loading Information"));
    loadingLog_->setModal(false);
    auto* layout = new QVBoxLayout(loadingLog_);
    loadingText_ = new QPlainTextEdit(loadingLog_);
    loadingText_->setReadOnly(true);
    loadingText_->setMinimumSize(360, 200);
    layout->addWidget(loadingText_);
    loadingLog_->adjustSize();
  }
  loadingText_->clear();
  window_.PlaceOverClientArea(*loadingLog_);
  loadingLog_->show();
  ShowProgressNow();
}

void QtPlatform::ShowLoadingText(std::string_view text) {
  if (!loadingText_) return;
  loadingText_->setPlainText(FromUtf8(text));
  ShowProgressNow();
}

bool QtPlatform::RunRegisterFilesDialog(
    const RegisterFilesForm& form, const std::function<bool(const RegisterFilesForm&)>& accept) {
  RegisterFilesDialog dialog(form, accept, &window_);
  window_.PlaceOverClientArea(dialog);
  return dialog.exec() == QDialog::Accepted;
}

void QtPlatform::CloseLoadingLog() {
  if (loadingLog_) loadingLog_->hide();
}

std::optional<FileChoice> QtPlatform::ChooseFileToOpen(const FileChooserRequest& request) {
  return RunFileChooser(window_, request, ChooserMode::Open);
}

std::optional<FileChoice> QtPlatform::ChooseFileToSave(const FileChooserRequest& request) {
  return RunFileChooser(window_, request, ChooserMode::Save);
}

bool QtPlatform::ClipboardHasDib() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && data->hasImage();
}

std::optional<std::vector<uint8_t>> QtPlatform::ReadClipboardDib() {
  if (!ClipboardHasDib()) return std::nullopt;
  return DibFromImage(QGuiApplication::clipboard()->image());
}

void QtPlatform::WriteClipboardDib(const std::vector<uint8_t>& dib) {
  const QImage image = TopDownImage(dib);
  if (!image.isNull()) QGuiApplication::clipboard()->setImage(image);
}

std::optional<std::string> QtPlatform::ReadSettingText(std::string_view name) {
  return settings_.ReadText(name);
}

std::optional<uint32_t> QtPlatform::ReadSettingNumber(std::string_view name) {
  return settings_.ReadNumber(name);
}

void QtPlatform::WriteSettingText(std::string_view name, std::string_view value) {
  settings_.WriteText(name, value);
}

void QtPlatform::WriteSettingNumber(std::string_view name, uint32_t value) {
  settings_.WriteNumber(name, value);
}

// Milliseconds that wrap like a 32-bit tick counter; only differences mean anything.
uint32_t QtPlatform::TickCount() { return static_cast<uint32_t>(clock_.elapsed()); }

void QtPlatform::Pause(uint32_t milliseconds) {
  // The windows keep painting; the user's input waits until the pause is over.
  QEventLoop loop;
  QTimer::singleShot(std::chrono::milliseconds(milliseconds), &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void QtPlatform::SetWindowCaption(std::string_view caption) {
  window_.setWindowTitle(FromUtf8(caption));
}

void QtPlatform::CloseMainWindow() { window_.close(); }

void QtPlatform::ShowHelp() { window_.ShowHelp(); }

void QtPlatform::ShowAbout() { RunAboutDialog(window_); }

void QtPlatform::ShowMap() { window_.ShowMap(); }

void QtPlatform::ShowGallery() { window_.ShowGallery(); }

void QtPlatform::PictureChanged(PictureChange change) { window_.PictureChanged(change); }

std::optional<PictureRoom> QtPlatform::RoomForPicture() { return window_.RoomForPicture(); }

void QtPlatform::ZoomChanged() { window_.view().FollowZoom(); }

void QtPlatform::ImageDialogsChanged() { window_.FollowImageDialogs(); }

}  // namespace kestrel::gui
