#include "gui/gallery_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "gui/dib_image.h"
#include "session/session.h"
#include "shell/settings.h"

namespace kestrel::gui {
namespace {

constexpr uint32_t kThumbnailEdge = 128;

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString PathText(const std::filesystem::path& path) { return QFile::decodeName(path.c_str()); }

// What stands in for a picture that has not come yet.
const QImage& WaitingPicture() {
  static const QImage waiting = [] {
    QImage image(kThumbnailEdge, kThumbnailEdge * 3 / 4, QImage::Format_RGB32);
    image.fill(QColor(96, 96, 96));
    return image;
  }();
  return waiting;
}

}  // namespace

void GalleryModel::SetEntries(std::vector<GalleryEntry> entries) {
  beginResetModel();
  entries_ = std::move(entries);
  const size_t count = entries_.size();
  pictures_.assign(count, QImage());
  problems_.assign(count, QString());
  state_.assign(count, State::Waiting);
  rows_.clear();
  rowOf_.assign(count, -1);
  done_ = 0;
  endResetModel();
}

void GalleryModel::Arrange(GalleryOrder order, const GalleryFilter& filter) {
  beginResetModel();
  rows_ = ArrangeGallery(entries_, order, filter);
  std::fill(rowOf_.begin(), rowOf_.end(), -1);
  for (size_t row = 0; row < rows_.size(); ++row) rowOf_[rows_[row]] = static_cast<int>(row);
  endResetModel();
}

void GalleryModel::SetThumbnail(size_t entryIndex, QImage picture, const QString& problem) {
  if (state_[entryIndex] == State::Waiting) ++done_;
  state_[entryIndex] = picture.isNull() ? State::Failed : State::Shown;
  pictures_[entryIndex] = std::move(picture);
  problems_[entryIndex] = problem;
  if (const int row = rowOf_[entryIndex]; row >= 0) {
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {Qt::DecorationRole, Qt::ToolTipRole});
  }
}

int GalleryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant GalleryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const size_t i = rows_[static_cast<size_t>(index.row())];
  const GalleryEntry& entry = entries_[i];
  switch (role) {
    case Qt::DisplayRole: {
      QString text = FromUtf8(entry.name) + QLatin1Char('\n');
      if (entry.satellite != Satellite::Unknown) text += FromUtf8(SatelliteName(entry.satellite)) + QLatin1Char(' ');
      text += FromUtf8(entry.kind);
      if (entry.captureTime != 0) text += QLatin1Char('\n') + FromUtf8(CaptureTimeText(entry));
      return text;
    }
    case Qt::SizeHintRole:
      return itemSize_;
    case Qt::AccessibleTextRole:
      return FromUtf8(GalleryItemName(entry));
    case Qt::ToolTipRole:
      return state_[i] == State::Failed ? problems_[i] : FromUtf8(GalleryItemName(entry));
    case Qt::DecorationRole:
      switch (state_[i]) {
        case State::Waiting: return WaitingPicture();
        case State::Shown: return pictures_[i];
        case State::Failed: return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
      }
      return {};
    default:
      return {};
  }
}

GalleryWindow::GalleryWindow(Session& session, QWidget* owner)
    : QMainWindow(owner), session_(session), cancelled_(std::make_shared<std::atomic<bool>>(false)) {
  setWindowTitle(QStringLiteral("Kestrel Gallery"));
  pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));

  auto* body = new QWidget(this);
  setCentralWidget(body);
  auto* layout = new QVBoxLayout(body);
  auto* bar = new QHBoxLayout;
  folder_ = new QLineEdit(this);
  folder_->setAccessibleName(QStringLiteral("Folder"));
  auto* choose = new QPushButton(QStringLiteral("Choose Folder..."), this);
  sort_ = new QComboBox(this);
  sort_->addItems({QStringLiteral("Name"), QStringLiteral("Capture time"), QStringLiteral("Satellite")});
  satellite_ = new QComboBox(this);
  kind_ = new QComboBox(this);
  auto* folderLabel = new QLabel(QStringLiteral("&Folder:"), this);
  folderLabel->setBuddy(folder_);
  auto* sortLabel = new QLabel(QStringLiteral("&Sort by:"), this);
  sortLabel->setBuddy(sort_);
  auto* showLabel = new QLabel(QStringLiteral("Sho&w:"), this);
  showLabel->setBuddy(satellite_);
  satellite_->setAccessibleName(QStringLiteral("Satellite"));
  kind_->setAccessibleName(QStringLiteral("Kind"));
  bar->addWidget(folderLabel);
  bar->addWidget(folder_, 1);
  bar->addWidget(choose);
  bar->addWidget(sortLabel);
  bar->addWidget(sort_);
  bar->addWidget(showLabel);
  bar->addWidget(satellite_);
  bar->addWidget(kind_);
  layout->addLayout(bar);

  model_ = new GalleryModel(this);
  view_ = new QListView(this);
  view_->setAccessibleName(QStringLiteral("Pictures"));
  view_->setModel(model_);
  view_->setViewMode(QListView::IconMode);
  view_->setMovement(QListView::Static);
  view_->setResizeMode(QListView::Adjust);
  view_->setWrapping(true);
  view_->setWordWrap(true);
  view_->setUniformItemSizes(true);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setIconSize(QSize(kThumbnailEdge, kThumbnailEdge));
  // Three lines under the picture: the name, satellite and kind, the time; wide enough that
  // the longest satellite and kind stays on its line.
  const QFontMetrics metrics = view_->fontMetrics();
  const int width = std::max(static_cast<int>(kThumbnailEdge) + 48,
                             metrics.horizontalAdvance(QStringLiteral("KITSAT-2 decompressed image")) + 12);
  const QSize item(width, static_cast<int>(kThumbnailEdge) + 3 * metrics.lineSpacing() + 8);
  model_->SetItemSize(item);
  view_->setGridSize(item + QSize(8, 8));
  layout->addWidget(view_, 1);

  count_ = new QLabel(this);
  progress_ = new QProgressBar(this);
  progress_->setAccessibleName(QStringLiteral("Thumbnails made"));
  progress_->setMaximumWidth(240);
  statusBar()->addWidget(count_, 1);
  statusBar()->addPermanentWidget(progress_);

  connect(choose, &QPushButton::clicked, this, &GalleryWindow::ChooseFolder);
  connect(folder_, &QLineEdit::returnPressed, this,
          [this] { ShowFolder(QFile::encodeName(folder_->text()).toStdString()); });
  connect(sort_, &QComboBox::currentIndexChanged, this, &GalleryWindow::Rearrange);
  connect(satellite_, &QComboBox::currentIndexChanged, this, &GalleryWindow::Rearrange);
  connect(kind_, &QComboBox::currentIndexChanged, this, &GalleryWindow::Rearrange);
  connect(view_, &QListView::activated, this, &GalleryWindow::OpenRow);
  // What comes into sight is made next.
  connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, &GalleryWindow::Schedule);

  resize(900, 640);
  const auto images = ImagesDirectory(session_);
  ShowFolder(images ? *images : session_.currentDirectory);
}

GalleryWindow::~GalleryWindow() {
  cancelled_->store(true);
  pool_.clear();
  pool_.waitForDone();
}

void GalleryWindow::ShowFolder(const std::filesystem::path& folder) {
  cancelled_->store(true);
  cancelled_ = std::make_shared<std::atomic<bool>>(false);
  ++generation_;
  pool_.clear();
  inFlight_ = 0;
  shownFolder_ = folder;
  folder_->setText(PathText(folder));
  model_->SetEntries(ListGalleryFolder(folder));
  requested_.assign(model_->entries().size(), false);
  FillFilterBoxes();
  Rearrange();
}

void GalleryWindow::ChooseFolder() {
  const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Choose Folder"),
                                                           PathText(shownFolder_));
  if (!chosen.isEmpty()) ShowFolder(QFile::encodeName(chosen).toStdString());
}

void GalleryWindow::FillFilterBoxes() {
  std::set<Satellite> satellites;
  std::set<std::string> kinds;
  for (const GalleryEntry& entry : model_->entries()) {
    if (entry.satellite != Satellite::Unknown) satellites.insert(entry.satellite);
    kinds.insert(entry.kind);
  }
  const QSignalBlocker quietSatellite(satellite_);
  const QSignalBlocker quietKind(kind_);
  satellite_->clear();
  satellite_->addItem(QStringLiteral("All satellites"));
  for (const Satellite satellite : satellites) satellite_->addItem(FromUtf8(SatelliteName(satellite)));
  kind_->clear();
  kind_->addItem(QStringLiteral("All kinds"));
  for (const std::string& kind : kinds) kind_->addItem(FromUtf8(kind));
}

void GalleryWindow::Rearrange() {
  GalleryFilter filter;
  if (satellite_->currentIndex() > 0) filter.satellite = satellite_->currentText().toStdString();
  if (kind_->currentIndex() > 0) filter.kind = kind_->currentText().toStdString();
  model_->Arrange(static_cast<GalleryOrder>(std::max(0, sort_->currentIndex())), filter);
  if (model_->rowCount() > 0) view_->setCurrentIndex(model_->index(0));
  nextInOrder_ = 0;
  UpdateStatus();
  Schedule();
}

void GalleryWindow::Schedule() {
  const int rows = model_->rowCount();
  const int limit = 2 * pool_.maxThreadCount();
  const auto request = [&](int row) {
    const size_t entryIndex = model_->EntryAt(row);
    if (requested_[entryIndex]) return;
    requested_[entryIndex] = true;
    ++inFlight_;
    pool_.start([this, cancelled = cancelled_, generation = generation_, entryIndex,
                 entry = model_->entries()[entryIndex]] {
      if (cancelled->load()) return;
      const GalleryThumbnail made = MakeGalleryThumbnail(entry, kThumbnailEdge);
      QImage picture = made.dib ? TopDownImage(*made.dib) : QImage();
      QString problem = FromUtf8(made.problem);
      if (made.dib && picture.isNull()) problem = QStringLiteral("The picture cannot be drawn");
      QMetaObject::invokeMethod(
          this, [this, generation, entryIndex, picture = std::move(picture), problem] {
            Deliver(generation, entryIndex, picture, problem);
          },
          Qt::QueuedConnection);
    });
  };
  // The rows in sight: laid out left to right, top to bottom, so their tops only grow.
  const QRect sight = view_->viewport()->rect();
  int first = 0;
  for (int last = rows; first < last;) {
    const int middle = first + (last - first) / 2;
    if (view_->visualRect(model_->index(middle)).bottom() < sight.top()) first = middle + 1;
    else last = middle;
  }
  for (int row = first; row < rows && inFlight_ < limit; ++row) {
    if (view_->visualRect(model_->index(row)).top() > sight.bottom()) break;
    request(row);
  }
  // Then the rest in order.
  for (; nextInOrder_ < static_cast<size_t>(rows) && inFlight_ < limit; ++nextInOrder_)
    request(static_cast<int>(nextInOrder_));
}

void GalleryWindow::Deliver(uint64_t generation, size_t entryIndex, QImage picture, QString problem) {
  if (generation != generation_) return;
  --inFlight_;
  model_->SetThumbnail(entryIndex, std::move(picture), problem);
  UpdateStatus();
  Schedule();
  if (model_->thumbnailsDone() == model_->entries().size()) emit thumbnailsFinished();
}

void GalleryWindow::OpenRow(const QModelIndex& index) {
  if (!index.isValid()) return;
  OpenGalleryEntry(session_, model_->entries()[model_->EntryAt(index.row())]);
  if (QWidget* owner = parentWidget()) {
    owner->raise();
    owner->activateWindow();
  }
}

void GalleryWindow::UpdateStatus() {
  const size_t all = model_->entries().size();
  const int shown = model_->rowCount();
  const QString files = all == 1 ? QStringLiteral("file") : QStringLiteral("files");
  QString text = static_cast<size_t>(shown) == all ? QStringLiteral("%1 %2").arg(all).arg(files)
                                                   : QStringLiteral("%1 of %2 %3").arg(shown).arg(all).arg(files);
  if (all == 0) text = QStringLiteral("No camera files in %1").arg(PathText(shownFolder_));
  count_->setText(text);
  progress_->setRange(0, static_cast<int>(all));
  progress_->setValue(static_cast<int>(model_->thumbnailsDone()));
  progress_->setVisible(model_->thumbnailsDone() < all);
}

}  // namespace kestrel::gui
