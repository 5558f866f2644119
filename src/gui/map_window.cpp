#include "gui/map_window.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "geo/exports.h"
#include "platform/files.h"
#include "session/session.h"

namespace kestrel::gui {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::filesystem::path ToPath(const QString& file) { return QFile::encodeName(file).toStdString(); }

// Whether `out` is the picture's own file, which no save may replace.
bool IsThePicture(const Session& session, const std::filesystem::path& out) {
  const auto picture = FindFileIgnoringCase(session.currentDirectory, session.state.currentFilePath);
  std::error_code error;
  return picture && std::filesystem::equivalent(*picture, out, error);
}

}  // namespace

MapWindow::MapWindow(Session& session, QWidget* owner)
    : QMainWindow(owner), session_(session) {
  setWindowTitle(QStringLiteral("Kestrel Map"));
  auto* body = new QWidget(this);
  setCentralWidget(body);
  auto* layout = new QVBoxLayout(body);
  map_ = new MapWidget(this);
  map_->setAccessibleName(QStringLiteral("Map"));
  layout->addWidget(map_, 1);
  caption_ = new QLabel(this);
  caption_->setWordWrap(true);
  caption_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  layout->addWidget(caption_);
  auto* buttons = new QHBoxLayout;
  auto* save = new QPushButton(QStringLiteral("Save Map..."), this);
  auto* exportButton = new QPushButton(QStringLiteral("Export..."), this);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  exportButton_ = exportButton;
  buttons->addWidget(save);
  buttons->addWidget(exportButton);
  buttons->addStretch(1);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  connect(save, &QPushButton::clicked, this, &MapWindow::SaveMap);
  connect(exportButton, &QPushButton::clicked, this, &MapWindow::Export);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  setFocusProxy(map_);
  resize(960, 600);
  Follow();
}

void MapWindow::Follow() {
  PlacedPictureOutcome outcome = PlacePictureOnShow(session_);
  placed_ = std::move(outcome.placed);
  exportButton_->setEnabled(placed_.has_value());
  if (!placed_) {
    const QString why = FromUtf8(outcome.problem);
    map_->setMessage(why);
    map_->setAccessibleDescription(why);
    caption_->setText(why);
    return;
  }
  const QString description = FromUtf8(DescribePlacedPicture(*placed_));
  map_->setContent(MapContentOf(*placed_));
  map_->setAccessibleDescription(description);
  caption_->setText(description);  // the map itself says that the footprint is approximate
}

void MapWindow::Complain(const QString& text) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Kestrel Map"), text, QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void MapWindow::SaveMap() {
  QString filter;
  const QString file = QFileDialog::getSaveFileName(
      this, QStringLiteral("Save Map"), QString(),
      QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg)"), &filter);
  if (file.isEmpty()) return;
  const std::filesystem::path out = ToPath(file);
  if (IsThePicture(session_, out)) return Complain(file + QStringLiteral(" is the picture itself; nothing saved"));
  if (file.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive) || filter.startsWith(QStringLiteral("SVG"))) {
    const std::string svg = MapSvg(map_->scene());
    std::error_code error;
    if (!WriteFileReplacing(out, {reinterpret_cast<const uint8_t*>(svg.data()), svg.size()}, error))
      Complain(QStringLiteral("Cannot write %1: %2").arg(file, FromUtf8(error.message())));
    return;
  }
  // QSaveFile writes beside the file and renames it over it only when all went well.
  QSaveFile saved(file);
  if (!saved.open(QIODevice::WriteOnly) || !RenderMap(map_->scene(), map_->size()).save(&saved, "PNG") ||
      !saved.commit())
    Complain(QStringLiteral("Cannot write %1: %2").arg(file, saved.errorString()));
}

void MapWindow::Export() {
  if (!placed_ || !session_.state.current.currentDib) return;
  QString filter;
  const QString file = QFileDialog::getSaveFileName(
      this, QStringLiteral("Export"), QString(),
      QStringLiteral("KML for Google Earth (*.kml);;GeoTIFF (*.tif *.tiff);;GeoJSON (*.geojson)"),
      &filter);
  if (file.isEmpty()) return;
  const std::filesystem::path out = ToPath(file);
  const std::string name = session_.state.currentFilePath;
  const Bytes& dib = *session_.state.current.currentDib;
  const QString suffix = QFileInfo(file).suffix().toLower();
  const bool kml = suffix == QStringLiteral("kml") || (suffix.isEmpty() && filter.startsWith(QStringLiteral("KML")));
  const bool tiff = suffix.startsWith(QStringLiteral("tif")) || (suffix.isEmpty() && filter.startsWith(QStringLiteral("GeoTIFF")));
  std::filesystem::path picture = out;
  picture.replace_extension(".png");
  if (IsThePicture(session_, out) || (kml && IsThePicture(session_, picture)))
    return Complain(file + QStringLiteral(" is the picture itself; nothing exported"));
  const auto problem = kml    ? ExportKml(*placed_, dib, name, out)
                       : tiff ? ExportGeoTiff(*placed_, dib, out)
                              : ExportGeoJson(*placed_, name, out);
  if (problem) Complain(FromUtf8(*problem));
}

}  // namespace kestrel::gui
