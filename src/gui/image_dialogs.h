#pragma once
// The two modeless image dialogs, drawn from the image state and sending what the user does to
// the core's dialog models. Neither keeps state of its own: Sync() redraws it from the session.

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QSpinBox;

namespace kestrel {
struct Session;
}

namespace kestrel::gui {

// " Rotation / Exposure", for single grey pictures.
class ExposureDialog : public QDialog {
  Q_OBJECT

 public:
  ExposureDialog(Session& session, QWidget* parent);
  void Sync();

 protected:
  void reject() override;  // Escape and the close box close it as its Close button does

 private:
  Session& session_;
  QScrollBar* level_;
  QLabel* greyScale_;
  QLabel* average_;
  QPushButton* original_;
  QPushButton* enhanced_;
};

// "24 Bit Colour Manipulation", for colour sets.
class ColourDialog : public QDialog {
  Q_OBJECT

 public:
  ColourDialog(Session& session, QWidget* parent);
  void Sync();

 protected:
  void reject() override;

 private:
  Session& session_;
  std::array<QCheckBox*, 4> planes_{};  // All, IR, Red, Green
  std::array<QSpinBox*, 5> coefficients_{};
  QPushButton* refresh_ = nullptr;
  QPushButton* exposure_ = nullptr;
};

}  // namespace kestrel::gui
