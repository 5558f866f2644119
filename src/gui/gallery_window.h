#pragma once
// View > Gallery: the camera files of a folder as small pictures with their names, satellites,
// kinds and capture times. The pictures are made on a thread pool of the gallery's own, the
// ones in sight first, while the window keeps painting; Enter or a double click opens an entry
// in the main window.

#include <QAbstractListModel>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QProgressBar>
#include <QThreadPool>
#include <atomic>
#include <filesystem>
#include <memory>
#include <vector>

#include "shell/gallery.h"

namespace kestrel {
struct Session;
}

namespace kestrel::gui {

// The entries of one folder, sorted and filtered, with the small picture of each as it comes.
class GalleryModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit GalleryModel(QObject* parent) : QAbstractListModel(parent) {}

  void SetEntries(std::vector<GalleryEntry> entries);
  void Arrange(GalleryOrder order, const GalleryFilter& filter);
  // A job's answer for the entry at `entryIndex` (of all entries, not rows).
  void SetThumbnail(size_t entryIndex, QImage picture, const QString& problem);

  // Every item's room: a picture and three lines under it.
  void SetItemSize(QSize size) { itemSize_ = size; }
  const std::vector<GalleryEntry>& entries() const { return entries_; }
  // The entry a row shows.
  size_t EntryAt(int row) const { return rows_[static_cast<size_t>(row)]; }
  bool HasThumbnail(size_t entryIndex) const { return state_[entryIndex] != State::Waiting; }
  size_t thumbnailsDone() const { return done_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  enum class State { Waiting, Shown, Failed };
  std::vector<GalleryEntry> entries_;
  std::vector<QImage> pictures_;
  std::vector<QString> problems_;
  std::vector<State> state_;
  std::vector<size_t> rows_;  // entry index of each row
  std::vector<int> rowOf_;    // row of each entry
  size_t done_ = 0;
  QSize itemSize_;
};

class GalleryWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Shows the images folder of the settings, or the session's folder.
  GalleryWindow(Session& session, QWidget* owner);
  ~GalleryWindow() override;

  // Lists `folder` and starts on its pictures; work for the folder before is dropped.
  void ShowFolder(const std::filesystem::path& folder);

  QListView& view() { return *view_; }
  GalleryModel& model() { return *model_; }
  QComboBox& sortBox() { return *sort_; }
  QComboBox& satelliteBox() { return *satellite_; }
  QComboBox& kindBox() { return *kind_; }

 signals:
  // Every picture of the folder on show has come.
  void thumbnailsFinished();

 private:
  void ChooseFolder();
  void Rearrange();
  void FillFilterBoxes();
  // Hands the pool more work, the entries in sight first, keeping a few jobs queued at most.
  void Schedule();
  void Deliver(uint64_t generation, size_t entryIndex, QImage picture, QString problem);
  void OpenRow(const QModelIndex& index);
  void UpdateStatus();

  Session& session_;
  QThreadPool pool_;  // Qt's global pool draws too; filling it would stall the window
  GalleryModel* model_;
  QListView* view_;
  QLineEdit* folder_;
  QComboBox* sort_;
  QComboBox* satellite_;
  QComboBox* kind_;
  QLabel* count_;
  QProgressBar* progress_;
  std::filesystem::path shownFolder_;
  // Raised when the folder changes, so that queued jobs of the old one do nothing.
  std::shared_ptr<std::atomic<bool>> cancelled_;
  uint64_t generation_ = 0;
  std::vector<bool> requested_;
  size_t nextInOrder_ = 0;  // where the search for work beyond the rows in sight goes on
  int inFlight_ = 0;
};

}  // namespace kestrel::gui
