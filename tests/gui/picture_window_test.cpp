// The main window shows the session's picture pixel for pixel, follows colour changes without
// touching pixels, fits itself to the picture and scrolls by the program's own steps.

#include <QScrollBar>
#include <QtTest>

#include "bitmap/bitmap_file.h"
#include "session/current_image.h"
#include "bitmap/dib.h"
#include "gui/picture_view.h"
#include "gui_tests.h"
#include "support/dib_builders.h"

namespace kestrel::gui::testing {
namespace {

using kestrel::testing::Colour;
using kestrel::testing::MakeDib;

constexpr size_t kTableStart = 40;

// A colour table whose every entry differs from every other in each of its three channels.
std::vector<Colour> Palette(uint32_t count) {
  std::vector<Colour> table(count);
  for (uint32_t i = 0; i < count; ++i)
    table[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                static_cast<uint8_t>(i * 7)};
  return table;
}

QRgb ToRgb(const Colour& c) { return qRgb(c.red, c.green, c.blue); }

// 0xRRGGBB telling every pixel of a picture up to 4096 square from every other.
uint32_t Gradient(int x, int y) {
  return static_cast<uint32_t>((x & 255) << 16 | (y & 255) << 8 | (x >> 8) << 4 | (y >> 8));
}

// An RLE8 picture 4 wide and 2 high.
Bytes MakeRle8(const std::vector<Colour>& table, const Bytes& codes) {
  Bytes dib = MakeDib(4, 2, 8, table, [](int, int) { return 0u; },
                      static_cast<uint32_t>(table.size()));
  dib.resize(kTableStart + table.size() * 4);
  dib.insert(dib.end(), codes.begin(), codes.end());
  StoreU32(dib.data() + dib_field::kCompression, kCompressionRle8);
  StoreU32(dib.data() + dib_field::kSizeImage, static_cast<uint32_t>(codes.size()));
  return dib;
}

}  // namespace

class PictureWindowTest : public WindowTest {
  Q_OBJECT

 private:
  Session& session() { return window_->session(); }
  PictureView& view() { return window_->view(); }
  QImage Shot() { return view().viewport()->grab().toImage(); }

  bool Show(const std::string& name, const Bytes& dib) {
    session().state.currentFilePath = name;
    return SetCurrentImage(session(), std::make_shared<Bytes>(dib));
  }

  void Resize(int width, int height) {
    window_->resize(width, height);
    QTest::qWait(50);  // let the window settle at its new geometry
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
  void showsPicturesPixelForPixel_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bits");
    QTest::addColumn<QString>("caption");
    QTest::newRow("INDEX8.BMP") << 7 << 5 << 8 << "Kestrel (INDEX8.BMP 7x5x8 RGB)";
    QTest::newRow("COLOUR.BMP") << 5 << 3 << 24 << "Kestrel (COLOUR.BMP 5x3x24 RGB)";
    QTest::newRow("NIBBLE.BMP") << 5 << 3 << 4 << "Kestrel (NIBBLE.BMP 5x3x4 RGB)";
    QTest::newRow("MONO.BMP") << 11 << 3 << 1 << "Kestrel (MONO.BMP 11x3x1 RGB)";
  }

  // Indexed pictures show index (x * x + 3 * y + 1) mod colours, each index its own colour.
  void showsPicturesPixelForPixel() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bits);
    QFETCH(QString, caption);
    const uint32_t colours = bits == 24 ? 0 : 1u << bits;
    const auto table = Palette(colours);
    auto pixel = [colours](int x, int y) {
      const auto value = static_cast<uint32_t>(x * x + 3 * y + 1);
      return colours ? value % colours : value * 0x050403;
    };
    const auto bitCount = static_cast<uint16_t>(bits);
    QVERIFY(Show(QTest::currentDataTag(), MakeDib(width, height, bitCount, table, pixel)));
    QCOMPARE(window_->windowTitle(), caption);
    ExpectPixels(width, height, [&](int x, int y) {
      return colours ? ToRgb(table[pixel(x, y)]) : 0xFF000000u | pixel(x, y);
    });
    QCOMPARE(QColor(Shot().pixel(width, height / 2)), QColor(Qt::black));  // beside it
    if (bits >= 8) {  // drawn from the DIB's own memory
      const Bytes& dib = *session().state.current.currentDib;
      QCOMPARE(view().Image().constBits(), dib.data() + PixelOffset(*LoadInfoHeader(dib)));
    }
  }

  void showsRunLengthEncodedPictures() {
    const std::vector<Colour> table = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    QVERIFY(Show("RUNS.RLE", MakeRle8(table, {4, 1, 0, 0, 2, 2, 2, 3, 0, 1})));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (RUNS.RLE 4x2x8 RLE8)"));
    // The top row 2 2 3 3, the bottom row 1 1 1 1.
    ExpectPixels(4, 2, [&](int x, int y) { return ToRgb(table[y == 1 ? 1 : x < 2 ? 2 : 3]); });
  }

  void colourTableChangeRepaintsWithoutTouchingPixels() {
    // Columns 0 1 2 3 show the first, two evenly between and the last entry; one changes colour.
    for (const auto& [bits, column, colour] : {std::tuple{uint16_t{8}, 1u, qRgb(255, 0, 0)},
                                               std::tuple{uint16_t{4}, 3u, qRgb(0, 0, 255)}}) {
      const uint32_t last = (1u << bits) - 1;
      const auto table = Palette(last + 1);
      auto index = [last](int x, int) { return static_cast<uint32_t>(x) * last / 3; };
      QVERIFY(Show("TABLE.BMP", MakeDib(4, 2, bits, table, index)));
      const uchar* pixels = view().Image().constBits();  // a 4-bit picture's 8-bit copy
      uint8_t* entry =
          session().state.current.currentDib->data() + kTableStart + 4 * (column * last / 3);
      entry[0] = static_cast<uint8_t>(qBlue(colour));
      entry[1] = static_cast<uint8_t>(qGreen(colour));
      entry[2] = static_cast<uint8_t>(qRed(colour));
      session().platform.PictureChanged(PictureChange::ColoursChanged);
      ExpectPixels(4, 2, [&](int x, int y) {
        return static_cast<uint32_t>(x) == column ? colour : ToRgb(table[index(x, y)]);
      });
      QVERIFY2(view().Image().constBits() == pixels, bits == 8 ? "8-bit" : "4-bit");
    }
  }

  void emptyWindowIsBlackAndRefusalsAndClearingLeaveItSo() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel"));
    const QImage shot = Shot();
    QCOMPARE(QColor(shot.pixel(shot.width() / 2, shot.height() / 2)), QColor(Qt::black));

    QString text;
    auto readNextBox = [&text] {
      AnswerNextBox([&text](QMessageBox& box) {
        text = box.text();
        box.accept();
      });
    };
    readNextBox();
    QVERIFY(!window_->OpenFile(dir_ / "missing.bmp"));
    QCOMPARE(text, QStringLiteral("Can't open file 'MISSING.BMP'"));
    QVERIFY(view().Image().isNull());
    // An absolute run of five indices with only two present.
    readNextBox();
    QVERIFY(!Show("BROKEN.RLE", MakeRle8({{0, 0, 0}, {255, 255, 255}}, {0, 5, 1, 1})));
    QCOMPARE(text, QStringLiteral("Could not load RLE!"));
    QVERIFY(view().Image().isNull());

    QVERIFY(Show("SMALL.BMP", MakeDib(20, 10, 24, {}, [](int, int) { return 0xFFFFFFu; })));
    FreeCurrentImage(session());
    QVERIFY(view().Image().isNull());
    QCOMPARE(QColor(Shot().pixel(5, 5)), QColor(Qt::black));
  }

  void opensBitmapAndCameraFilesByName() {
    const auto table = Palette(256);
    auto index = [](int x, int y) { return static_cast<uint32_t>(x * 40 + y); };
    const Bytes dib = MakeDib(6, 4, 8, table, index);
    std::filesystem::create_directory(dir_ / "sub");
    QVERIFY(WriteBitmapFile(dir_ / "sub" / "Scan.bmp", dib));
    QVERIFY(window_->OpenFile(dir_ / "sub" / "Scan.bmp"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (SCAN.BMP 6x4x8 RGB)"));
    QCOMPARE(session().currentDirectory, dir_ / "sub");
    ExpectPixels(6, 4, [&](int x, int y) { return ToRgb(table[index(x, y)]); });

    kestrel::testing::WriteBytes(dir_ / "u5dw0001", Bytes(256 + 608 * 576, 60));
    QVERIFY(window_->OpenFile(dir_ / "u5dw0001"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (U5DW0001 608x576x8 RGB)"));
    QCOMPARE(view().PictureSize(), QSize(608, 576));
  }

  void fitsLargePicturesIntoTheWorkAreaAndSmallOnesWithTheirFrame() {
    QVERIFY(Show("WIDE.BMP", MakeDib(1020, 1000, 24, {}, Gradient)));
    QTest::qWait(50);
    const QRect work = window_->screen()->availableGeometry();
    QVERIFY(work.contains(window_->frameGeometry()));
    QCOMPARE(window_->frameGeometry().top(), work.top());
    QVERIFY(view().horizontalScrollBar()->maximum() > 0);
    QVERIFY(view().verticalScrollBar()->maximum() > 0);

    QVERIFY(Show("SMALL.BMP", MakeDib(120, 90, 24, {}, [](int, int) { return 0xFFFFFFu; })));
    QTest::qWait(50);  // no bar: all of it in view
    QCOMPARE(view().horizontalScrollBar()->maximum(), 0);
    QCOMPARE(view().verticalScrollBar()->maximum(), 0);
    QVERIFY(qAbs(window_->frameGeometry().center().x() - work.center().x()) <= 1);
  }

  void scrollRangesLeaveNoPictureOutOfReach() {
    QVERIFY(Show("BIG.BMP", MakeDib(600, 500, 24, {}, Gradient)));
    Resize(300, 220);
    const QSize client = view().viewport()->size();
    QCOMPARE(view().horizontalScrollBar()->maximum(), 600 - client.width());
    QCOMPARE(view().verticalScrollBar()->maximum(), 500 - client.height());

    // Only one bar is needed when the picture is just too tall.
    const int width = view().maximumViewportSize().width() - 40;
    QVERIFY(Show("TALL.BMP", MakeDib(width, 900, 24, {}, Gradient)));
    Resize(300, 220);
    QCOMPARE(view().horizontalScrollBar()->maximum(), 0);
    QVERIFY(view().verticalScrollBar()->maximum() > 0);
  }

  void keysAndBarArrowsScrollByLopsidedLinesAndPages() {
    QVERIFY(Show("BIG.BMP", MakeDib(900, 800, 24, {}, Gradient)));
    Resize(320, 240);
    QScrollBar* vertical = view().verticalScrollBar();
    QScrollBar* horizontal = view().horizontalScrollBar();
    const int width = view().viewport()->width();
    const int height = view().viewport()->height();
    auto press = [&](QScrollBar* bar, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
      QTest::keyClick(&view(), key, modifiers);
      return bar->value();
    };
    QCOMPARE(press(vertical, Qt::Key_Down), height / 16 + 1);
    QCOMPARE(press(vertical, Qt::Key_Up), 2);  // a line up is two pixels shorter than one down
    QCOMPARE(press(vertical, Qt::Key_PageDown), 2 + height / 2 + 1);
    QCOMPARE(press(vertical, Qt::Key_PageUp, Qt::ShiftModifier), 4);  // a page up too
    QCOMPARE(press(horizontal, Qt::Key_End), width / 2 + 1);
    QCOMPARE(press(horizontal, Qt::Key_Right, Qt::ControlModifier), width / 2 + width / 16 + 2);
    QCOMPARE(press(horizontal, Qt::Key_Home), width / 16 + 3);
    QCOMPARE(press(horizontal, Qt::Key_Left), 4);
    for (int i = 0; i < 10; ++i) QTest::keyClick(&view(), Qt::Key_PageUp);
    QCOMPARE(vertical->value(), 0);
    // The picture area shows the picture from the scroll position on.
    ExpectPixels(40, 30, [&](int x, int y) { return 0xFF000000u | Gradient(x + 4, y); });

    // The bar's own arrows and page areas take the same steps.
    vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(vertical->value(), height / 2 + 1);
    vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(vertical->value(), height / 2 + 2 - height / 16);
    vertical->triggerAction(QAbstractSlider::SliderToMaximum);  // not a request the window knows
    QCOMPARE(vertical->value(), height / 2 + 2 - height / 16);
  }
};

int RunPictureWindowTests(int argc, char** argv) {
  PictureWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace kestrel::gui::testing

#include "picture_window_test.moc"
