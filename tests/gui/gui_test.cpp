// The desktop program offscreen: the picture view paints from the DIB's own memory, and the Qt
// Platform answers boxes and shares the clipboard and the settings store.

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMenuBar>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QProcess>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTextBrowser>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>
#include <cstdlib>

#include "bitmap/bitmap_file.h"
#include "gui/main_window.h"
#include "gui/gallery_window.h"
#include "gui/map_window.h"
#include "location/where_fixture.h"
#include "gui/picture_view.h"
#include "platform/settings_file.h"
#include "base/command_ids.h"
#include "session/current_image.h"
#include "shell/dispatch.h"
#include "support/dib_builders.h"
#include "support/test_support.h"

namespace kestrel::gui {
namespace {

using kestrel::testing::Colour;
using kestrel::testing::MakeDib;

// Runs `act` on the next modal window as soon as it is up (modal windows block until closed).
void WhenModal(std::function<void(QWidget&)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    QWidget* modal = QApplication::activeModalWidget();
    modal ? act(*modal) : WhenModal(act);
  });
}

void AnswerNextBox(std::function<void(QMessageBox&)> answer) {
  WhenModal([answer = std::move(answer)](QWidget& box) { answer(*qobject_cast<QMessageBox*>(&box)); });
}

QPushButton* Button(QWidget& dialog, const QString& text) {
  for (QPushButton* button : dialog.findChildren<QPushButton*>())
    if (button->text() == text) return button;
  return nullptr;
}

// A colour table whose every entry differs from every other in each of its three channels.
std::vector<Colour> Palette(uint32_t count) {
  std::vector<Colour> table(count);
  for (uint32_t i = 0; i < count; ++i) table[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)};
  return table;
}

QRgb ToRgb(const Colour& c) { return qRgb(c.red, c.green, c.blue); }

// 0xRRGGBB telling every pixel of a picture up to 4096 square from every other.
uint32_t Gradient(int x, int y) {
  return static_cast<uint32_t>((x & 255) << 16 | (y & 255) << 8 | (x >> 8) << 4 | (y >> 8));
}

// An RLE8 picture 4 wide and 2 high.
Bytes MakeRle8(const std::vector<Colour>& table, const Bytes& codes) {
  Bytes dib = MakeDib(4, 2, 8, table, [](int, int) { return 0u; }, static_cast<uint32_t>(table.size()));
  dib.resize(40 + table.size() * 4);
  dib.insert(dib.end(), codes.begin(), codes.end());
  StoreU32(dib.data() + dib_field::kCompression, kCompressionRle8);
  StoreU32(dib.data() + dib_field::kSizeImage, static_cast<uint32_t>(codes.size()));
  return dib;
}

}  // namespace

// A main window over a scratch folder of its own for each test.
class GuiTest : public QObject {
  Q_OBJECT

  kestrel::testing::ScratchDir dir_;
  std::unique_ptr<MainWindow> window_;

  Session& session() { return window_->session(); }
  Platform& platform() { return window_->platform(); }
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
      for (int x = 0; x < width; ++x) QCOMPARE(QColor(shot.pixel(x, y)), QColor(expected(x, y)));
  }

 private slots:
  void init() {
    window_ = std::make_unique<MainWindow>(dir_.path());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
  void cleanup() { window_.reset(); }

  // Indexed pictures show index (x * x + 3 * y + 1) mod colours, each index its own colour.
  void showsPicturesPixelForPixel() {
    for (const auto& [width, bits] : {std::pair{7, 8}, std::pair{5, 24}, std::pair{5, 4}, std::pair{11, 1}}) {
      const uint32_t colours = bits == 24 ? 0 : 1u << bits;
      const auto table = Palette(colours);
      auto pixel = [colours](int x, int y) {
        const auto value = static_cast<uint32_t>(x * x + 3 * y + 1);
        return colours ? value % colours : value * 0x050403;
      };
      QVERIFY(Show("SHOWN.BMP", MakeDib(width, 5, static_cast<uint16_t>(bits), table, pixel)));
      QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (SHOWN.BMP %1x5x%2 RGB)").arg(width).arg(bits));
      ExpectPixels(width, 5, [&](int x, int y) { return colours ? ToRgb(table[pixel(x, y)]) : 0xFF000000u | pixel(x, y); });
      QCOMPARE(QColor(Shot().pixel(width, 2)), QColor(Qt::black));  // beside it
      const Bytes& dib = *session().state.current.currentDib;  // 8 and 24 bits drawn from the DIB itself
      QVERIFY(bits < 8 || view().Image().constBits() == dib.data() + PixelOffset(*LoadInfoHeader(dib)));
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
    for (const auto& entry : {std::tuple{uint16_t{8}, 1u, qRgb(255, 0, 0)}, std::tuple{uint16_t{4}, 3u, qRgb(0, 0, 255)}}) {
      const auto [bits, column, colour] = entry;
      const uint32_t last = (1u << bits) - 1;
      const auto table = Palette(last + 1);
      auto index = [last](int x, int) { return static_cast<uint32_t>(x) * last / 3; };
      QVERIFY(Show("TABLE.BMP", MakeDib(4, 2, bits, table, index)));
      const uchar* pixels = view().Image().constBits();  // a 4-bit picture's 8-bit copy
      uint8_t* changed = session().state.current.currentDib->data() + 40 + 4 * (column * last / 3);
      changed[0] = static_cast<uint8_t>(qBlue(colour));
      changed[1] = static_cast<uint8_t>(qGreen(colour));
      changed[2] = static_cast<uint8_t>(qRed(colour));
      session().platform.PictureChanged(PictureChange::ColoursChanged);
      ExpectPixels(4, 2, [&, column = column, colour = colour](int x, int y) {
        return static_cast<uint32_t>(x) == column ? colour : ToRgb(table[index(x, y)]);
      });
      QVERIFY2(view().Image().constBits() == pixels, bits == 8 ? "8-bit" : "4-bit");
    }
  }

  void opensFilesByNameAndRefusesBadOnesLeavingTheWindowBlack() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel"));
    QCOMPARE(QColor(Shot().pixel(Shot().width() / 2, Shot().height() / 2)), QColor(Qt::black));
    QString text;
    auto readNextBox = [&text] { AnswerNextBox([&text](QMessageBox& box) { text = box.text(); box.accept(); }); };
    readNextBox();
    QVERIFY(!window_->OpenFile(dir_ / "missing.bmp"));
    QCOMPARE(text, QStringLiteral("Can't open file 'MISSING.BMP'"));
    QVERIFY(view().Image().isNull());
    readNextBox();  // an absolute run of five indices with only two present
    QVERIFY(!Show("BROKEN.RLE", MakeRle8({{0, 0, 0}, {255, 255, 255}}, {0, 5, 1, 1})));
    QCOMPARE(text, QStringLiteral("Could not load RLE!"));
    QVERIFY(view().Image().isNull());

    const auto table = Palette(256);
    auto index = [](int x, int y) { return static_cast<uint32_t>(x * 40 + y); };
    std::filesystem::create_directory(dir_ / "sub");
    QVERIFY(WriteBitmapFile(dir_ / "sub" / "Scan.bmp", MakeDib(6, 4, 8, table, index)));
    QVERIFY(window_->OpenFile(dir_ / "sub" / "Scan.bmp"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (SCAN.BMP 6x4x8 RGB)"));
    QCOMPARE(session().currentDirectory, dir_ / "sub");
    ExpectPixels(6, 4, [&](int x, int y) { return ToRgb(table[index(x, y)]); });
    Bytes camera(256 + 608 * 576, 60);
    std::fill_n(camera.begin(), 256, 0);  // no capture time: no report to show
    kestrel::testing::WriteBytes(dir_ / "u5dw0001", camera);
    QVERIFY(window_->OpenFile(dir_ / "u5dw0001"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (U5DW0001 608x576x8 RGB)"));
    QCOMPARE(view().PictureSize(), QSize(608, 576));
    FreeCurrentImage(session());
    QVERIFY(view().Image().isNull());
    QCOMPARE(QColor(Shot().pixel(5, 5)), QColor(Qt::black));
  }

  void fitsPicturesAndScrollsByLopsidedLinesAndPages() {
    QVERIFY(Show("WIDE.BMP", MakeDib(1020, 1000, 24, {}, Gradient)));
    QTest::qWait(50);  // larger than the screen: fitted to it, all of it in view
    const QRect work = window_->screen()->availableGeometry();
    QVERIFY(work.contains(window_->frameGeometry()) && window_->frameGeometry().top() == work.top());
    QVERIFY(window_->windowTitle().endsWith('%'));
    QCOMPARE(view().horizontalScrollBar()->maximum() + view().verticalScrollBar()->maximum(), 0);
    QVERIFY(Show("SMALL.BMP", MakeDib(120, 90, 24, {}, Gradient)));
    QTest::qWait(50);  // no bar: all of it in view, the window centred
    QCOMPARE(view().horizontalScrollBar()->maximum() + view().verticalScrollBar()->maximum(), 0);
    QVERIFY(qAbs(window_->frameGeometry().center().x() - work.center().x()) <= 1);
    QTest::keyClick(&view(), Qt::Key_1, Qt::ControlModifier);  // Actual Size: no more fitting
    // Only one bar is needed when the picture is just too tall.
    QVERIFY(Show("TALL.BMP", MakeDib(view().maximumViewportSize().width() - 40, 900, 24, {}, Gradient)));
    Resize(300, 220);
    QVERIFY(view().horizontalScrollBar()->maximum() == 0 && view().verticalScrollBar()->maximum() > 0);

    QVERIFY(Show("BIG.BMP", MakeDib(900, 800, 24, {}, Gradient)));
    Resize(320, 240);
    QScrollBar* vertical = view().verticalScrollBar();
    QScrollBar* horizontal = view().horizontalScrollBar();
    const int width = view().viewport()->width(), height = view().viewport()->height();
    QCOMPARE(horizontal->maximum(), 900 - width);  // no picture out of reach
    QCOMPARE(vertical->maximum(), 800 - height);
    // Keys take the shell's lopsided line steps and its page steps, whatever the modifiers.
    QTest::keyClick(&view(), Qt::Key_Down);
    QCOMPARE(vertical->value(), height / 16 + 1);
    QTest::keyClick(&view(), Qt::Key_Up);
    QCOMPARE(vertical->value(), 2);
    QTest::keyClick(&view(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(horizontal->value(), width / 2 + 1);
    // The picture area shows the picture from the scroll position on.
    ExpectPixels(40, 30, [&](int x, int y) { return 0xFF000000u | Gradient(x + width / 2 + 1, y + 2); });
    // The bar's own page areas take the same steps; requests the window does not know move
    // nothing.
    vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(vertical->value(), 2 + height / 2 + 1);
    vertical->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(vertical->value(), 2 + height / 2 + 1);
  }

  // The zoom keys and the wheel scale the scroll ranges; the wheel keeps the picture point under
  // the pointer; enlarged pixels are blocks.
  void zoomsByKeysAndWheel() {
    QVERIFY(Show("BIG.BMP", MakeDib(900, 800, 24, {}, Gradient)));
    QTest::keyClick(&view(), Qt::Key_1, Qt::ControlModifier);
    Resize(320, 240);
    QScrollBar* vertical = view().verticalScrollBar();
    QScrollBar* horizontal = view().horizontalScrollBar();
    const std::pair actualRanges(horizontal->maximum(), vertical->maximum());
    QCOMPARE(actualRanges, std::pair(900 - view().viewport()->width(), 800 - view().viewport()->height()));
    QTest::keyClick(&view(), Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (BIG.BMP 900x800x24 RGB) 125%"));
    QCOMPARE(std::pair(horizontal->maximum(), vertical->maximum()), std::pair(1125 - view().viewport()->width(), 1000 - view().viewport()->height()));
    QTest::keyClick(&view(), Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(std::pair(horizontal->maximum(), vertical->maximum()), actualRanges);
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (BIG.BMP 900x800x24 RGB)"));

    horizontal->setValue(100);
    vertical->setValue(50);
    QWheelEvent notch(QPointF(40, 30), view().viewport()->mapToGlobal(QPointF(40, 30)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view().viewport(), &notch);
    QCOMPARE(std::pair(horizontal->value(), vertical->value()), std::pair(140 * 5 / 4 - 40, 80 * 5 / 4 - 30));
    QCOMPARE(QColor(Shot().pixel(40, 30)), QColor(0xFF000000u | Gradient(140, 80)));

    QVERIFY(Show("DOTS.BMP", MakeDib(6, 4, 24, {}, Gradient)));  // small: at 100% again
    Resize(320, 240);
    for (int step = 0; step < 3; ++step) QTest::keyClick(&view(), Qt::Key_Equal, Qt::ControlModifier);
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (DOTS.BMP 6x4x24 RGB) 200%"));
    ExpectPixels(12, 8, [](int x, int y) { return 0xFF000000u | Gradient(x / 2, y / 2); });
    QCOMPARE(QColor(Shot().pixel(12, 3)), QColor(Qt::black));
  }

  void menusComeFromTheTableAndTheirRulesAndKeysDispatch() {
    const QList<QAction*> menus = window_->menuBar()->actions();
    QStringList titles;
    for (QAction* menu : menus) titles << menu->text();
    QCOMPARE(titles, (QStringList{"File", "Edit", "View", "Comp", "Help"}));
    QMenu* comp = menus[3]->menu();
    emit comp->aboutToShow();  // the rules are applied as a menu opens
    QVERIFY(comp->actions()[2]->isChecked() && !comp->actions()[0]->isChecked());
    comp->actions()[1]->trigger();
    QCOMPARE(session().state.processing.compensationMode, CompensationMode::Graded);
    // Alt+C turns a camera picture; with nothing loaded its item is greyed and the key does nothing.
    QTest::keyClick(&view(), Qt::Key_C, Qt::AltModifier);
    Bytes camera(256 + 608 * 576, 70);
    std::fill_n(camera.begin(), 256, 0);
    kestrel::testing::WriteBytes(dir_ / "U5DW0001", camera);
    QVERIFY(window_->OpenFile(dir_ / "U5DW0001"));
    QTest::keyClick(&view(), Qt::Key_C, Qt::AltModifier);
    QCOMPARE(view().PictureSize(), QSize(576, 608));
  }

  void platformBoxesClipboardAndSettings() {
    AnswerNextBox([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });  // the escape button
    QCOMPARE(platform().ShowMessageBox("Go on?", "Question", BoxIcon::Stop, BoxButtons::OkCancel), BoxAnswer::Cancel);

    const Bytes indexed = MakeDib(7, 3, 8, Palette(256), [](int x, int y) { return static_cast<uint32_t>(x * 30 + y); });
    for (const Bytes& dib : {MakeDib(5, 4, 24, {}, Gradient), indexed}) {
      platform().WriteClipboardDib(dib);
      QCOMPARE(platform().ReadClipboardDib(), std::optional<Bytes>(dib));
    }
    const QImage image = QGuiApplication::clipboard()->image();  // other programs read the picture
    QCOMPARE(QColor(image.pixel(2, 0)), QColor(ToRgb(Palette(256)[60])));  // top row first
    // Images put there by other programs come back as 24-bit DIBs, bottom row first.
    QImage argb(3, 2, QImage::Format_ARGB32);
    argb.fill(qRgb(10, 20, 30));
    argb.setPixel(0, 0, qRgb(200, 100, 50));
    QGuiApplication::clipboard()->setImage(argb);
    const auto dib = platform().ReadClipboardDib();
    QVERIFY(dib && IsWellFormedDib(*dib) && LoadInfoHeader(*dib)->biBitCount == 24);
    const uint8_t* topLeft = dib->data() + PixelOffset(*LoadInfoHeader(*dib)) + RowLength(24, 3);
    QCOMPARE(Bytes(topLeft, topLeft + 3), (Bytes{50, 100, 200}));
    platform().WriteSettingText("Images Directory", "/home/op/sat");  // to the store kestrel-cli reads
    QCOMPARE(SettingsFile(SettingsFile::DefaultPath()).ReadText("Images Directory"), std::optional<std::string>("/home/op/sat"));
  }

  // First run: the box and Register Files come before the window shows, Escape does nothing
  // there, and the named files open in order; once registered, the next start asks nothing.
  void startsWithTheSettingsThenTheWindowThenTheFiles() {
    window_.reset();
    std::filesystem::remove(SettingsFile::DefaultPath());
    for (const char* name : {"WiSP.Kep", "WiSP.Obs"}) kestrel::testing::WriteBytes(dir_ / name, {});
    for (const char* name : {"a.bmp", "b.bmp"}) QVERIFY(WriteBitmapFile(dir_ / name, MakeDib(3, 2, 24, {}, Gradient)));
    std::filesystem::create_directory(dir_ / "images");
    QDir::setCurrent(QString::fromStdString(dir_.path()));  // the shell's folder, not the images folder
    QStringList seen;
    for (bool firstRun : {true, false}) {
      window_ = std::make_unique<MainWindow>(dir_.path());
      if (firstRun) WhenModal([&](QWidget& box) {
        seen << box.windowTitle() + (window_->isVisible() ? " after" : " before");
        WhenModal([&](QWidget& form) {
          seen << form.windowTitle() + (window_->isVisible() ? " after" : " before");
          QTest::keyClick(&form, Qt::Key_Escape);
          // The ground-station folders, the images folder; no two-line element file.
          const QList<QLineEdit*> edits = form.findChildren<QLineEdit*>();
          QCOMPARE(edits.size(), 4);
          for (int i : {0, 1}) edits[i]->setText(QString::fromStdString(dir_.path()));
          edits[2]->setText(QString::fromStdString((dir_ / "images").string()));
          Button(form, "OK")->click();
        });
        qobject_cast<QMessageBox*>(&box)->accept();
      });
      window_->Start({QString::fromStdString((dir_ / "a.bmp").string()), "b.bmp"});
      QVERIFY(window_->isVisible());
      QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (B.BMP 3x2x24 RGB)"));
      if (firstRun) QCOMPARE(seen, (QStringList{"Kestrel before", "Kestrel Register Files before"}));
    }
    QVERIFY(!QApplication::activeModalWidget());  // the second start asked nothing
  }

  // A right click opens the dialog that fits the picture, once; its controls drive the models.
  void imageDialogsFollowTheirModels() {
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
    QApplication::sendEvent(view().viewport(), &click);
    QVERIFY(!window_->exposureDialog() && !window_->colourDialog());  // nothing on show
    Bytes camera(256 + 608 * 576, 70);
    std::fill_n(camera.begin(), 256, 0);
    kestrel::testing::WriteBytes(dir_ / "U5DW0001", camera);
    QVERIFY(window_->OpenFile(dir_ / "U5DW0001"));
    QApplication::sendEvent(view().viewport(), &click);
    ExposureDialog* exposure = window_->exposureDialog();
    QVERIFY(exposure && exposure->windowTitle() == " Rotation / Exposure");
    const QRgb before = Shot().pixel(5, 5);
    const int level = session().state.exposureLevel;
    auto* bar = exposure->findChild<QScrollBar*>();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(session().state.exposureLevel, level + 2);
    QCOMPARE(bar->value(), session().state.exposureDialog.scrollPosition);
    QVERIFY(Shot().pixel(5, 5) != before);  // the colours repainted
    Button(*exposure, "Clockwise")->click();
    QCOMPARE(view().PictureSize(), QSize(576, 608));
    QTest::keyClick(exposure, Qt::Key_Escape);
    QVERIFY(!window_->exposureDialog() && !session().state.exposureDialog.open);

    session().state.processing.singleImageShown = false;
    session().state.processing.colourSetShown = true;
    session().state.shownImage = std::make_shared<Bytes>(MakeDib(8, 8, 24, {}, Gradient));
    QVERIFY(SetCurrentImage(session(), session().state.shownImage));
    QApplication::sendEvent(view().viewport(), &click);
    QApplication::sendEvent(view().viewport(), &click);
    ColourDialog* colour = window_->colourDialog();
    QVERIFY(colour && window_->findChildren<ColourDialog*>().size() == 1);
    colour->findChildren<QSpinBox*>()[0]->stepBy(1);
    QCOMPARE(session().state.mix.irToRed, 70);
    colour->findChildren<QCheckBox*>()[1]->click();  // IR alone
    QVERIFY(session().state.planes.ir && !session().state.planes.all && !colour->findChildren<QCheckBox*>()[0]->isChecked());
    Button(*colour, "Close")->click();
    QVERIFY(!window_->colourDialog() && !session().state.colourDialog.open);
  }

  // View > Map, from its key: the map says why it is empty, then follows a located picture and
  // its turns, and tells a screen reader what it shows.
  void mapWindowFollowsThePictureOnShow() {
    QTest::keyClick(&view(), Qt::Key_M, Qt::ControlModifier);
    MapWindow* map = window_->mapWindow();
    QVERIFY(map && map->isVisible());
    QCOMPARE(map->map().accessibleDescription(), QStringLiteral("No picture is on show"));

    using namespace location_testing;
    kestrel::testing::WriteBytes(dir_ / "history.tle", TwoLineText());
    kestrel::testing::WriteBytes(dir_ / "KBIW0008", CameraFile(kKitsat2CaptureTime, 4, 256 + 511 * 502));
    // Opening loads the settings: a two-line element file, no places file (the built-in ones).
    platform().WriteSettingText("TLE File", (dir_ / "history.tle").string());
    platform().WriteSettingText("WiSP.Obs Directory", "");
    platform().WriteSettingText("Initialised", "Yes");
    AnswerNextBox([](QMessageBox& box) { box.accept(); });  // the report
    QVERIFY(window_->OpenFile(dir_ / "KBIW0008"));
    const QString description = map->map().accessibleDescription();
    QVERIFY2(QRegularExpression(QStringLiteral("^KO-25 wide camera, 1996-08-19 11:05 UTC, centred 40\\.2\u00b0 N "
                                               "0\\.6\u00b0 W, \\d+ km [NESW]+ of .+; footprint about 1,300 km across$"))
                 .match(description).hasMatch(),
             qPrintable(description));
    const auto outline = map->map().scene().footprintOutlines.at(0);
    DispatchCommand(session(), kCmdRotateClockwise);  // the old bottom-left is the top-left
    const auto turned = map->map().scene().footprintOutlines.at(0);
    QCOMPARE(std::pair(turned.at(0).x, turned.at(0).y), std::pair(outline.at(3).x, outline.at(3).y));
  }

  // An archive of a thousand files, as a ground station's folder grows, and a broken pair.
  void galleryShowsAFolderAndOpensWhatIsChosen() {
    const auto archive = dir_ / "archive";
    QProcess samples;
    samples.setStandardOutputFile(QProcess::nullDevice());
    samples.start(QStringLiteral(KESTREL_SAMPLES_PROGRAM),
                  {QString::fromStdString(archive.string()), QStringLiteral("--copies"), QStringLiteral("27")});
    QVERIFY(samples.waitForFinished(60000) && samples.exitCode() == 0);
    kestrel::testing::WriteBytes(archive / "KBTW0099", Bytes(40, 7));
    kestrel::testing::WriteBytes(archive / "KBCW0099", Bytes(10, 7));
    QTest::keyClick(&view(), Qt::Key_G, Qt::ControlModifier);
    GalleryWindow* gallery = window_->galleryWindow();
    QVERIFY(gallery && gallery->isVisible());
    GalleryModel& model = gallery->model();
    QListView& list = gallery->view();

    // A folder left at once is never finished: only the one after it is.
    const auto small = dir_ / "small";
    std::filesystem::create_directory(small);
    std::filesystem::copy_file(archive / "KBIW0008", small / "KBIW0008");
    QSignalSpy finished(gallery, &GalleryWindow::thumbnailsFinished);
    gallery->ShowFolder(archive);
    gallery->ShowFolder(small);
    QVERIFY(finished.wait(20000));
    QCOMPARE(model.rowCount(), 1);
    gallery->ShowFolder(archive);
    QVERIFY(finished.wait(300000));
    QCOMPARE(finished.count(), 2);
    QVERIFY(model.rowCount() >= 1000);

    // Each item says what it is; only the broken pair has no picture, and says why.
    QAccessibleInterface* first = QAccessible::queryAccessibleInterface(&list)->child(0);
    QCOMPARE(first->text(QAccessible::Name), QString::fromStdString(GalleryItemName(model.entries()[model.EntryAt(0)])));
    for (int row = 0; row < model.rowCount(); ++row) {
      const QString tip = model.data(model.index(row), Qt::ToolTipRole).toString();
      const bool broken = model.entries()[model.EntryAt(row)].name == "KBTW0099";
      QVERIFY2(tip.contains(QStringLiteral("KBTW0099")) == broken, qPrintable(tip));
    }

    // The keys walk the grid; the order and the filters rearrange it.
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_End);
    QCOMPARE(list.currentIndex().row(), model.rowCount() - 1);
    QTest::keyClick(&list, Qt::Key_Home);
    QCOMPARE(list.currentIndex().row(), 0);
    gallery->sortBox().setCurrentIndex(1);  // capture time
    const auto timeAt = [&](int row) { return model.entries()[model.EntryAt(row)].captureTime; };
    QVERIFY(timeAt(0) > 0 && timeAt(0) <= timeAt(1));
    gallery->satelliteBox().setCurrentText(QStringLiteral("TMSAT-1"));
    gallery->kindBox().setCurrentText(QStringLiteral("colour set"));
    QVERIFY(model.rowCount() > 0 && model.rowCount() < 100);
    for (int row = 0; row < model.rowCount(); ++row) QVERIFY(model.entries()[model.EntryAt(row)].colourSet);

    // Enter opens the chosen set in the main window, as a set.
    QTest::keyClick(&list, Qt::Key_Return);
    QVERIFY(session().state.processing.colourSetShown);
    QVERIFY(window_->windowTitle().contains(QString::fromStdString(model.entries()[model.EntryAt(0)].name)));
  }

  void aboutHelpAndAPasteTooLarge() {
    WhenModal([](QWidget& about) {
      QCOMPARE(about.windowTitle(), QStringLiteral("Kestrel"));
      Button(about, "Ok")->click();
    });
    DispatchCommand(session(), kCmdAbout);
    DispatchCommand(session(), kCmdHelpContents);
    auto* help = window_->findChild<QTextBrowser*>();
    QVERIFY(help && help->toPlainText().contains("Kestrel.conf"));

    QVERIFY(Show("KEPT.BMP", MakeDib(3, 2, 24, {}, Gradient)));
    QImage huge(300000, 1000, QImage::Format_Mono);  // 37 MB here, 300 MB as a picture
    QGuiApplication::clipboard()->setImage(huge);
    QString text;
    AnswerNextBox([&text](QMessageBox& box) { text = box.text(); box.accept(); });
    DispatchCommand(session(), kCmdPasteDib);
    QVERIFY(text.startsWith("<Clipboard> is too large to open"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (KEPT.BMP 3x2x24 RGB)"));
  }

  // Dropped files open one after another, the window painting during the pause between them.
  void opensDroppedFilesInTurn() {
    QList<QUrl> urls;
    for (const char* name : {"first.bmp", "second.bmp"}) {
      QVERIFY(WriteBitmapFile(dir_ / name, MakeDib(4, 3, 24, {}, Gradient)));
      urls << QUrl::fromLocalFile(QString::fromStdString((dir_ / name).string()));
    }
    QMimeData files;
    files.setUrls(urls);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QString duringPause;
    QTimer::singleShot(1000, [&] { duringPause = window_->windowTitle() + (Shot().isNull() ? "" : " painted"); });
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    QApplication::sendEvent(window_.get(), &drop);
    QCOMPARE(duringPause, QStringLiteral("Kestrel (SECOND.BMP 4x3x24 RGB) painted"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Kestrel (FIRST.BMP 4x3x24 RGB)"));
  }
};

}  // namespace kestrel::gui

int main(int argc, char** argv) {
  // The settings store of the tests lives in a folder of its own, never the user's.
  const kestrel::testing::ScratchDir config;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  QApplication application(argc, argv);
  kestrel::gui::GuiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "gui_test.moc"
