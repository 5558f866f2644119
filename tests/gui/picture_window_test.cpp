// The main window shows the session's picture pixel for pixel, follows colour changes without
// touching pixels, fits itself to the picture and scrolls by the program's own steps.

#include <QScrollBar>
#include <QtTest>
#include <memory>

#include "bitmap/bitmap_file.h"
#include "bitmap/current_image.h"
#include "gui/main_window.h"
#include "gui/picture_view.h"
#include "gui_tests.h"
#include "support/dib_builders.h"
#include "support/test_support.h"

namespace kestrel::gui::testing {
namespace {

using kestrel::testing::Colour;
using kestrel::testing::MakeDib;

constexpr size_t kTableStart = 40;

std::vector<Colour> Table(size_t count, const std::function<Colour(size_t)>& entry) {
  std::vector<Colour> table(count);
  for (size_t i = 0; i < count; ++i) table[i] = entry(i);
  return table;
}

QRgb ToRgb(const Colour& c) { return qRgb(c.red, c.green, c.blue); }

// An RLE8 picture 4 wide and 2 high: the top row 2 2 3 3, the bottom row 1 1 1 1.
Bytes MakeRle8(const std::vector<Colour>& table, const Bytes& codes) {
  Bytes dib = MakeDib(4, 2, 8, table, [](int, int) { return 0u; },
                      static_cast<uint32_t>(table.size()));
  dib.resize(kTableStart + table.size() * 4);
  dib.insert(dib.end(), codes.begin(), codes.end());
  StoreU32(dib.data() + dib_field::kCompression, kCompressionRle8);
  StoreU32(dib.data() + dib_field::kSizeImage, static_cast<uint32_t>(codes.size()));
  return dib;
}

const Bytes kRle8Codes = {4, 1, 0, 0, 2, 2, 2, 3, 0, 1};

}  // namespace

class PictureWindowTest : public QObject {
  Q_OBJECT

 private:
  kestrel::testing::ScratchDir dir_;
  std::unique_ptr<MainWindow> window_;

  Session& session() { return window_->session(); }
  QImage Shot() { return window_->view().viewport()->grab().toImage(); }

  void Install(const std::string& name, Bytes dib) {
    session().state.currentFilePath = name;
    QVERIFY(SetCurrentImage(session(), std::make_shared<Bytes>(std::move(dib))));
  }

  // Every pixel of the window's picture area against `expected(x, y)`.
  void ExpectPixels(int width, int height, const std::function<QRgb(int, int)>& expected) {
    const QImage shot = Shot();
    QVERIFY(shot.width() >= width && shot.height() >= height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        QCOMPARE(QColor(shot.pixel(x, y)), QColor(expected(x, y)));
  }

 private slots:
  void init() {
    window_ = std::make_unique<MainWindow>(dir_.path());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void cleanup() { window_.reset(); }

  void startsEmptyBlackAndCaptionedKestrel() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel"));
    const QImage shot = Shot();
    QCOMPARE(QColor(shot.pixel(shot.width() / 2, shot.height() / 2)), QColor(Qt::black));
    QCOMPARE(window_->view().verticalScrollBar()->maximum(), 0);
  }

  void showsEightBitPixelsThroughTheColourTable() {
    const auto table = Table(256, [](size_t i) {
      return Colour{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                    static_cast<uint8_t>(i * 7)};
    });
    auto index = [](int x, int y) { return static_cast<uint32_t>(y * 7 + x + 1); };
    Install("GREY8.BMP", MakeDib(7, 5, 8, table, index));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (GREY8.BMP 7x5x8 RGB)"));
    ExpectPixels(7, 5, [&](int x, int y) { return ToRgb(table[index(x, y)]); });
    // Beside the picture the window is black.
    QCOMPARE(QColor(Shot().pixel(7, 2)), QColor(Qt::black));
    // The image is drawn from the DIB's own memory.
    const Block& dib = session().state.current.currentDib;
    QCOMPARE(window_->view().Image().constBits(), dib->data() + kTableStart + 256 * 4);
  }

  void showsTrueColourPixelsFromTheirBlueGreenRedBytes() {
    auto colour = [](int x, int y) {
      return static_cast<uint32_t>((x * 50) << 16 | (y * 80) << 8 | (x + y) * 20);
    };
    Install("COLOUR.BMP", MakeDib(5, 3, 24, {}, colour));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (COLOUR.BMP 5x3x24 RGB)"));
    ExpectPixels(5, 3, [&](int x, int y) { return 0xFF000000u | colour(x, y); });
    const Block& dib = session().state.current.currentDib;
    QCOMPARE(window_->view().Image().constBits(), dib->data() + kTableStart);
  }

  void showsRunLengthEncodedPictures() {
    const std::vector<Colour> table = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    Install("RUNS.RLE", MakeRle8(table, kRle8Codes));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (RUNS.RLE 4x2x8 RLE8)"));
    ExpectPixels(4, 2, [&](int x, int y) {
      return ToRgb(table[y == 1 ? 1 : x < 2 ? 2 : 3]);
    });
  }

  void showsFourBitAndOneBitPictures() {
    const auto table16 = Table(16, [](size_t i) {
      return Colour{static_cast<uint8_t>(i * 16), 40, static_cast<uint8_t>(255 - i * 16)};
    });
    auto index16 = [](int x, int y) { return static_cast<uint32_t>((x + 3 * y) % 16); };
    Install("NIBBLE.BMP", MakeDib(5, 3, 4, table16, index16));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (NIBBLE.BMP 5x3x4 RGB)"));
    ExpectPixels(5, 3, [&](int x, int y) { return ToRgb(table16[index16(x, y)]); });

    const std::vector<Colour> table2 = {{10, 20, 30}, {200, 220, 240}};
    auto bit = [](int x, int y) { return static_cast<uint32_t>((x * x + y) % 3 == 0); };
    Install("MONO.BMP", MakeDib(11, 3, 1, table2, bit));
    ExpectPixels(11, 3, [&](int x, int y) { return ToRgb(table2[bit(x, y)]); });
  }

  void colourTableChangeRepaintsWithoutTouchingPixels() {
    const auto grey = Table(256, [](size_t i) {
      const auto v = static_cast<uint8_t>(i);
      return Colour{v, v, v};
    });
    Install("GREY.BMP", MakeDib(3, 2, 8, grey, [](int x, int) { return static_cast<uint32_t>(x * 100); }));
    const uchar* pixels = window_->view().Image().constBits();
    uint8_t* entry = session().state.current.currentDib->data() + kTableStart + 4 * 100;
    entry[0] = 0;    // blue
    entry[1] = 0;    // green
    entry[2] = 255;  // red
    session().platform.PictureChanged(PictureChange::ColoursChanged);
    ExpectPixels(3, 2, [](int x, int) { return x == 1 ? qRgb(255, 0, 0) : qRgb(x * 100, x * 100, x * 100); });
    QCOMPARE(window_->view().Image().constBits(), pixels);
  }

  void colourChangeOfAFourBitPictureKeepsItsEightBitCopy() {
    const auto table = Table(16, [](size_t i) {
      const auto v = static_cast<uint8_t>(i * 17);
      return Colour{v, v, v};
    });
    Install("FOUR.BMP", MakeDib(4, 2, 4, table, [](int x, int) { return static_cast<uint32_t>(x * 5); }));
    const uchar* pixels = window_->view().Image().constBits();
    uint8_t* entry = session().state.current.currentDib->data() + kTableStart + 4 * 15;
    entry[0] = 255;  // index 15 turns blue
    entry[1] = 0;
    entry[2] = 0;
    session().platform.PictureChanged(PictureChange::ColoursChanged);
    ExpectPixels(4, 2, [](int x, int) {
      return x == 3 ? qRgb(0, 0, 255) : qRgb(x * 85, x * 85, x * 85);
    });
    QCOMPARE(window_->view().Image().constBits(), pixels);
  }

  void runsThatDoNotDecodeAreReportedAndDrawNothing() {
    // An absolute run of five indices with only two present.
    const std::vector<Colour> table = {{0, 0, 0}, {255, 255, 255}};
    QString text;
    AnswerNextBox([&](QMessageBox& box) {
      text = box.text();
      box.accept();
    });
    session().state.currentFilePath = "BROKEN.RLE";
    QVERIFY(!SetCurrentImage(session(), std::make_shared<Bytes>(MakeRle8(table, {0, 5, 1, 1}))));
    QCOMPARE(text, QStringLiteral("Could not load RLE!"));
    QVERIFY(window_->view().Image().isNull());
  }

  void opensABitmapFileNamedInAnyCase() {
    const auto grey = Table(256, [](size_t i) {
      const auto v = static_cast<uint8_t>(i);
      return Colour{v, v, v};
    });
    const Bytes dib = MakeDib(6, 4, 8, grey, [](int x, int y) { return static_cast<uint32_t>(x * 40 + y); });
    std::filesystem::create_directory(dir_ / "sub");
    QVERIFY(WriteBitmapFile(dir_ / "sub" / "Scan.bmp", dib));
    QVERIFY(window_->OpenFile(dir_ / "sub" / "Scan.bmp"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (SCAN.BMP 6x4x8 RGB)"));
    QCOMPARE(session().currentDirectory, dir_ / "sub");
    ExpectPixels(6, 4, [](int x, int y) { return qRgb(x * 40 + y, x * 40 + y, x * 40 + y); });
  }

  void opensASatelliteCameraFileByItsName() {
    Bytes file(256 + 608 * 576, 60);
    kestrel::testing::WriteBytes(dir_ / "u5dw0001", file);
    QVERIFY(window_->OpenFile(dir_ / "u5dw0001"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (U5DW0001 608x576x8 RGB)"));
    QCOMPARE(window_->view().PictureSize(), QSize(608, 576));
  }

  void refusesABitmapNameItCannotFind() {
    QString text;
    AnswerNextBox([&](QMessageBox& box) {
      text = box.text();
      box.accept();
    });
    QVERIFY(!window_->OpenFile(dir_ / "missing.bmp"));
    QCOMPARE(text, QStringLiteral("Can't open file 'MISSING.BMP'"));
    QVERIFY(window_->view().Image().isNull());
  }

  void fitsALargePictureIntoTheWorkArea() {
    auto colour = [](int x, int y) { return static_cast<uint32_t>((x & 255) << 16 | (y & 255) << 8); };
    Install("WIDE.BMP", MakeDib(1020, 1000, 24, {}, colour));
    QTest::qWait(50);  // let the window settle at its new geometry
    const QRect work = window_->screen()->availableGeometry();
    QVERIFY(work.contains(window_->frameGeometry()));
    QCOMPARE(window_->frameGeometry().top(), work.top());
    QVERIFY(window_->view().horizontalScrollBar()->maximum() > 0);
    QVERIFY(window_->view().verticalScrollBar()->maximum() > 0);
  }

  void fitsASmallPictureWithItsFrame() {
    Install("SMALL.BMP", MakeDib(120, 90, 24, {}, [](int, int) { return 0xFFFFFFu; }));
    QTest::qWait(50);
    const QSize viewport = window_->view().viewport()->size();
    QVERIFY(viewport.width() >= 120 && viewport.height() >= 90);
    QCOMPARE(window_->view().horizontalScrollBar()->maximum(), 0);
    QCOMPARE(window_->view().verticalScrollBar()->maximum(), 0);
    const QRect work = window_->screen()->availableGeometry();
    QVERIFY(qAbs(window_->frameGeometry().center().x() - work.center().x()) <= 1);
  }

  void scrollRangesLeaveNoPictureOutOfReach() {
    auto colour = [](int x, int y) {
      return static_cast<uint32_t>((x & 255) << 16 | (y & 255) << 8 | (x >> 8) << 4 | (y >> 8));
    };
    Install("BIG.BMP", MakeDib(600, 500, 24, {}, colour));
    window_->resize(300, 220);
    QTest::qWait(50);
    PictureView& view = window_->view();
    const QSize client = view.viewport()->size();
    QCOMPARE(view.horizontalScrollBar()->maximum(), 600 - client.width());
    QCOMPARE(view.verticalScrollBar()->maximum(), 500 - client.height());

    // Only one bar is needed when the picture is just too tall.
    Install("TALL.BMP", MakeDib(view.maximumViewportSize().width() - 40, 900, 24, {}, colour));
    window_->resize(300, 220);
    QTest::qWait(50);
    QCOMPARE(view.horizontalScrollBar()->maximum(), 0);
    QVERIFY(view.verticalScrollBar()->maximum() > 0);
  }

  void keysScrollByLopsidedLinesAndPages() {
    auto colour = [](int x, int y) {
      return static_cast<uint32_t>((x & 255) << 16 | (y & 255) << 8 | (x >> 8) << 4 | (y >> 8));
    };
    Install("BIG.BMP", MakeDib(900, 800, 24, {}, colour));
    window_->resize(320, 240);
    QTest::qWait(50);
    PictureView& view = window_->view();
    QScrollBar* vertical = view.verticalScrollBar();
    QScrollBar* horizontal = view.horizontalScrollBar();
    const int width = view.viewport()->width();
    const int height = view.viewport()->height();

    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(vertical->value(), height / 16 + 1);
    QTest::keyClick(&view, Qt::Key_Up);
    QCOMPARE(vertical->value(), 2);  // a line up is two pixels shorter than a line down
    QTest::keyClick(&view, Qt::Key_PageDown);
    QCOMPARE(vertical->value(), 2 + height / 2 + 1);
    QTest::keyClick(&view, Qt::Key_PageUp, Qt::ShiftModifier);
    QCOMPARE(vertical->value(), 4);  // a page up is two pixels shorter too
    QTest::keyClick(&view, Qt::Key_End);
    QCOMPARE(horizontal->value(), width / 2 + 1);
    QTest::keyClick(&view, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(horizontal->value(), width / 2 + 1 + width / 16 + 1);
    QTest::keyClick(&view, Qt::Key_Home);
    QCOMPARE(horizontal->value(), width / 16 + 3);
    QTest::keyClick(&view, Qt::Key_Left);
    QCOMPARE(horizontal->value(), 4);
    for (int i = 0; i < 10; ++i) QTest::keyClick(&view, Qt::Key_PageUp);
    QCOMPARE(vertical->value(), 0);

    // The picture area shows the picture from the scroll position on.
    const int x0 = horizontal->value();
    const int y0 = vertical->value();
    ExpectPixels(40, 30, [&](int x, int y) { return 0xFF000000u | colour(x + x0, y + y0); });
  }

  void scrollBarArrowsUseTheSameSteps() {
    Install("BIG.BMP", MakeDib(900, 800, 24, {}, [](int, int) { return 0u; }));
    window_->resize(320, 240);
    QTest::qWait(50);
    PictureView& view = window_->view();
    QScrollBar* vertical = view.verticalScrollBar();
    const int height = view.viewport()->height();
    vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(vertical->value(), height / 2 + 1);
    vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(vertical->value(), height / 2 + 1 + 1 - height / 16);
    vertical->triggerAction(QAbstractSlider::SliderToMaximum);  // not a request the window knows
    QCOMPARE(vertical->value(), height / 2 + 2 - height / 16);
  }

  void clearingThePictureEmptiesTheWindow() {
    Install("SMALL.BMP", MakeDib(20, 10, 24, {}, [](int, int) { return 0xFFFFFFu; }));
    FreeCurrentImage(session());
    QVERIFY(window_->view().Image().isNull());
    QCOMPARE(QColor(Shot().pixel(5, 5)), QColor(Qt::black));
  }
};

int RunPictureWindowTests(int argc, char** argv) {
  PictureWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace kestrel::gui::testing

#include "picture_window_test.moc"
