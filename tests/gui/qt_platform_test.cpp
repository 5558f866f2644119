// The Qt Platform: boxes with the asked-for icon, buttons and caption, cursors, the progress
// and loading windows, the clipboard in the DIB format, and the settings store shared with
// kestrel-cli.

#include <QAbstractButton>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QtTest>

#include "bitmap/dib.h"
#include "gui_tests.h"
#include "platform/settings_file.h"
#include "support/dib_builders.h"

namespace kestrel::gui::testing {

using kestrel::testing::Colour;
using kestrel::testing::MakeDib;

class QtPlatformTest : public WindowTest {
  Q_OBJECT

 private:
  Platform& platform() { return window_->platform(); }

 private slots:
  void messageBoxesCarryIconButtonsAndCaption() {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QString caption, text;
    AnswerNextBox([&](QMessageBox& box) {
      icon = box.icon();
      buttons = box.standardButtons();
      caption = box.windowTitle();
      text = box.text();
      box.button(QMessageBox::No)->click();
    });
    QCOMPARE(platform().ShowMessageBox("Overwrite the file?", "Save Bmp", BoxIcon::Question,
                                       BoxButtons::YesNo),
             BoxAnswer::No);
    QCOMPARE(icon, QMessageBox::Question);
    QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(caption, QStringLiteral("Save Bmp"));
    QCOMPARE(text, QStringLiteral("Overwrite the file?"));
    // Escape answers as the box's escape button.
    AnswerNextBox([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    QCOMPARE(platform().ShowMessageBox("Go on?", "Question", BoxIcon::Stop, BoxButtons::OkCancel),
             BoxAnswer::Cancel);
  }

  void waitCursorsNestAndRestore() {
    QVERIFY(!QApplication::overrideCursor());
    {
      const WaitCursor outer(platform());
      QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
      { const WaitCursor inner(platform()); }
      QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    QVERIFY(!QApplication::overrideCursor());
  }

  void progressWindowStepsItsBar() {
    auto progress = platform().OpenProgressWindow({"CCD Image Compression",
                                                   "Now compressing the Image File"});
    auto* dialog = window_->findChild<QDialog*>();
    QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("CCD Image Compression"));
    QCOMPARE(dialog->findChild<QLabel*>()->text(),
             QStringLiteral("Now compressing the Image File"));
    auto* bar = dialog->findChild<QProgressBar*>();
    progress->SetRange(0, 50);
    progress->SetStep(20);
    progress->StepIt();
    progress->StepIt();
    QCOMPARE(bar->value(), 40);
    progress->StepIt();
    QCOMPARE(bar->value(), 50);  // a step past the end stops at it
    progress->SetPosition(5);
    QCOMPARE(bar->value(), 5);
    progress.reset();
    QVERIFY(!window_->findChild<QDialog*>());
  }

  void loadingLogIsAReadOnlyModelessWindow() {
    platform().OpenLoadingLog();
    QDialog* log = window_->platform().LoadingLog();
    QVERIFY(log && log->isVisible() && !log->isModal());
    QCOMPARE(log->windowTitle(), QStringLiteral("Loading Information"));
    auto* text = log->findChild<QPlainTextEdit*>();
    QVERIFY(text->isReadOnly());
    platform().AppendToLoadingLog("Loading TM1 image");
    platform().AppendToLoadingLog("Loading TM2 image");
    QCOMPARE(text->toPlainText(), QStringLiteral("Loading TM1 image\nLoading TM2 image"));
    platform().CloseLoadingLog();
    QVERIFY(!log->isVisible());
    platform().OpenLoadingLog();  // a new load starts a new log
    QVERIFY(text->toPlainText().isEmpty());
    platform().CloseLoadingLog();
  }

  void clipboardCarriesDibsWholeAndTurnsOtherImagesIntoDibs() {
    std::vector<Colour> table(256);
    for (size_t i = 0; i < 256; ++i)
      table[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i / 2), static_cast<uint8_t>(~i)};
    const Bytes grey =
        MakeDib(7, 3, 8, table, [](int x, int y) { return static_cast<uint32_t>(x * 30 + y); });
    platform().WriteClipboardDib(grey);
    QVERIFY(platform().ClipboardHasDib());
    const QImage image = QGuiApplication::clipboard()->image();
    QCOMPARE(image.size(), QSize(7, 3));
    QCOMPARE(QColor(image.pixel(2, 0)), QColor(qRgb(~60 & 255, 30, 60)));  // top row first
    QCOMPARE(platform().ReadClipboardDib(), std::optional<Bytes>(grey));

    const Bytes colour = MakeDib(5, 4, 24, {}, [](int x, int y) {
      return static_cast<uint32_t>(x * 40 << 16 | y * 60 << 8 | 7);
    });
    platform().WriteClipboardDib(colour);
    QCOMPARE(platform().ReadClipboardDib(), std::optional<Bytes>(colour));

    // Images put there by other programs come back as 24-bit DIBs.
    QImage argb(3, 2, QImage::Format_ARGB32);
    argb.fill(qRgb(10, 20, 30));
    argb.setPixel(0, 0, qRgb(200, 100, 50));  // top left
    QGuiApplication::clipboard()->setImage(argb);
    const auto dib = platform().ReadClipboardDib();
    QVERIFY(dib && IsWellFormedDib(*dib));
    const BitmapInfoHeader header = *LoadInfoHeader(*dib);
    QCOMPARE(header.biBitCount, uint16_t{24});
    const uint8_t* topLeft = dib->data() + PixelOffset(header) + RowLength(24, 3);  // last row
    QCOMPARE(Bytes(topLeft, topLeft + 3), (Bytes{50, 100, 200}));
    QGuiApplication::clipboard()->clear();
    QVERIFY(!platform().ClipboardHasDib());
    QVERIFY(!platform().ReadClipboardDib());
  }

  void settingsAreTheStoreKestrelCliReads() {
    platform().WriteSettingText("Images Directory", "/home/op/sat");
    platform().WriteSettingNumber("Select Sharpen", 1);
    const SettingsFile store(SettingsFile::DefaultPath());
    QCOMPARE(store.ReadText("Images Directory"), std::optional<std::string>("/home/op/sat"));
    QCOMPARE(store.ReadNumber("Select Sharpen"), std::optional<uint32_t>(1));
    QCOMPARE(platform().ReadSettingText("Images Directory"),
             std::optional<std::string>("/home/op/sat"));
    QVERIFY(!platform().ReadSettingNumber("Initialised"));
  }

  void pauseTicksCaptionAndCloseReachTheWindow() {
    const uint32_t start = platform().TickCount();
    platform().Pause(60);
    QVERIFY(platform().TickCount() - start >= 60);
    platform().SetWindowCaption("Kestrel (U5IW0123.CCD 400x300x8 RGB)");
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (U5IW0123.CCD 400x300x8 RGB)"));
    platform().CloseMainWindow();
    QVERIFY(!window_->isVisible());
  }
};

int RunQtPlatformTests(int argc, char** argv) {
  QtPlatformTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace kestrel::gui::testing

#include "qt_platform_test.moc"
