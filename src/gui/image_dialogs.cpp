#include "gui/image_dialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "processing/image_dialogs.h"
#include "session/session.h"

namespace kestrel::gui {
namespace {

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

QPushButton* AddButton(QLayout& layout, const char* text, std::function<void()> press) {
  auto* button = new QPushButton(QString::fromLatin1(text));
  button->setAutoDefault(false);  // Enter in a spin box must not press a button
  QObject::connect(button, &QPushButton::clicked, button, std::move(press));
  layout.addWidget(button);
  return button;
}

// The work area of the screen the dialog's owner is on.
QRect WorkArea(const QWidget& dialog) {
  const QScreen* screen = dialog.parentWidget() ? dialog.parentWidget()->screen() : dialog.screen();
  return screen ? screen->availableGeometry() : QRect();
}

// An edit box with spin buttons: a spin sends the new value to the model, typing is kept as typed.
class MixSpinBox : public QSpinBox {
 public:
  explicit MixSpinBox(std::function<void(int)> spun) : spun_(std::move(spun)) {
    setRange(0, kMostMixPercent);
    setSingleStep(5);
  }
  void stepBy(int steps) override {
    spun_(std::clamp(value() + steps * singleStep(), minimum(), maximum()));
  }

 private:
  std::function<void(int)> spun_;
};

}  // namespace

ExposureDialog::ExposureDialog(Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setWindowTitle(QStringLiteral(" Rotation / Exposure"));
  setModal(false);
  auto* layout = new QHBoxLayout(this);
  auto* scale = new QVBoxLayout;
  auto* dark = new QLabel(QStringLiteral("  DARK"));
  level_ = new QScrollBar(Qt::Vertical);
  level_->setRange(0, 255);
  level_->setSingleStep(2);
  level_->setPageStep(8);
  level_->setMinimumHeight(160);
  level_->setFocusPolicy(Qt::StrongFocus);
  dark->setBuddy(level_);
  scale->addWidget(dark);
  scale->addWidget(level_, 1, Qt::AlignHCenter);
  scale->addWidget(new QLabel(QStringLiteral("  LIGHT")));
  layout->addLayout(scale);
  // The model takes the request; the bar then shows the resulting average, not the level.
  connect(level_, &QAbstractSlider::actionTriggered, this, [this](int action) {
    switch (action) {
      case QAbstractSlider::SliderSingleStepSub: ScrollExposureDialog(session_, ExposureScroll::LineUp); break;
      case QAbstractSlider::SliderSingleStepAdd: ScrollExposureDialog(session_, ExposureScroll::LineDown); break;
      case QAbstractSlider::SliderPageStepSub: ScrollExposureDialog(session_, ExposureScroll::PageUp); break;
      case QAbstractSlider::SliderPageStepAdd: ScrollExposureDialog(session_, ExposureScroll::PageDown); break;
      case QAbstractSlider::SliderMove:
        ScrollExposureDialog(session_, ExposureScroll::Thumb, level_->sliderPosition());
        break;
      default: break;
    }
    level_->setSliderPosition(session_.state.exposureDialog.scrollPosition);
  });

  auto* controls = new QVBoxLayout;
  const auto press = [this](ExposureButton button) { return [this, button] { PressExposureButton(session_, button); }; };
  AddButton(*controls, "Clockwise", press(ExposureButton::Clockwise));
  AddButton(*controls, "Anti-Clock", press(ExposureButton::Anticlockwise));
  greyScale_ = new QLabel;
  average_ = new QLabel;
  controls->addWidget(greyScale_);
  controls->addWidget(average_);
  original_ = AddButton(*controls, "Orig", press(ExposureButton::Original));
  enhanced_ = AddButton(*controls, "Enh", press(ExposureButton::Enhanced));
  AddButton(*controls, "Close", press(ExposureButton::Close));
  layout->addLayout(controls);
  Sync();  // sized with its texts
  adjustSize();
  const QRect work = WorkArea(*this);
  move(work.right() + 1 - frameGeometry().width(), work.top());
}

void ExposureDialog::Sync() {
  const ExposureDialogState& d = session_.state.exposureDialog;
  greyScale_->setText(FromUtf8(d.greyScaleLabel));
  average_->setText(FromUtf8(d.averageLabel));
  const QSignalBlocker quiet(level_);
  level_->setValue(d.scrollPosition);
  original_->setEnabled(d.originalEnabled);
  enhanced_->setEnabled(d.enhancedEnabled);
}

void ExposureDialog::reject() { PressExposureButton(session_, ExposureButton::Close); }

ColourDialog::ColourDialog(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
  setWindowTitle(QStringLiteral("24 Bit Colour Manipulation"));
  setModal(false);
  const auto press = [this](ColourButton button) { return [this, button] { PressColourButton(session_, button); }; };
  const auto group = [](const char* title, QLayout* inside) {
    auto* box = new QGroupBox(QString::fromLatin1(title));
    box->setLayout(inside);
    return box;
  };

  auto* selection = new QVBoxLayout;
  const std::array<std::pair<const char*, PlaneCheck>, 4> planes = {
      {{"All", PlaneCheck::All}, {"IR", PlaneCheck::Ir}, {"Red", PlaneCheck::Red}, {"Green", PlaneCheck::Green}}};
  for (size_t i = 0; i < planes.size(); ++i) {
    planes_[i] = new QCheckBox(QString::fromLatin1(planes[i].first));
    connect(planes_[i], &QCheckBox::clicked, this, [this, plane = planes[i].second] {
      SelectColourPlane(session_, plane);
    });
    selection->addWidget(planes_[i]);
  }
  auto* rotate = new QVBoxLayout;
  AddButton(*rotate, "Anti-Clock", press(ColourButton::Anticlockwise));
  AddButton(*rotate, "Clockwise", press(ColourButton::Clockwise));
  auto* shifts = new QGridLayout;
  const std::array<std::pair<const char*, ColourButton>, 8> shiftButtons = {{
      {"5 L", ColourButton::Left5}, {"5 R", ColourButton::Right5}, {"1 L", ColourButton::Left1},
      {"1 R", ColourButton::Right1}, {"5 Up", ColourButton::Up5}, {"5 Dn", ColourButton::Down5},
      {"1 Up", ColourButton::Up1}, {"1 Dn", ColourButton::Down1},
  }};
  for (size_t i = 0; i < shiftButtons.size(); ++i) {
    auto* cell = new QHBoxLayout;
    AddButton(*cell, shiftButtons[i].first, press(shiftButtons[i].second));
    shifts->addLayout(cell, static_cast<int>(i / 2), static_cast<int>(i % 2));
  }

  // The five mixing coefficients, in their channel's group.
  const auto coefficient = [this](size_t index, const char* label, QGridLayout& into) {
    auto* spin = new MixSpinBox([this, index](int value) {
      SpinMixCoefficient(session_, index, value);
    });
    connect(spin->findChild<QLineEdit*>(), &QLineEdit::textEdited, this,
            [this, index](const QString& text) { EditMixCoefficient(session_, index, text.toStdString()); });
    auto* name = new QLabel(QString::fromLatin1(label));
    name->setBuddy(spin);
    const int row = into.rowCount();
    into.addWidget(name, row, 0);
    into.addWidget(spin, row, 1);
    coefficients_[index] = spin;
  };
  auto* red = new QGridLayout;
  coefficient(0, "IR", *red);
  coefficient(1, "Red", *red);
  auto* green = new QGridLayout;
  coefficient(2, "Grn", *green);
  auto* blue = new QGridLayout;
  coefficient(3, "Red", *blue);
  coefficient(4, "Grn", *blue);

  auto* brightness = new QVBoxLayout;
  AddButton(*brightness, "Darken", press(ColourButton::Darken));
  AddButton(*brightness, "Lighten", press(ColourButton::Lighten));
  auto* exposure = new QVBoxLayout;
  exposure_ = AddButton(*exposure, "", press(ColourButton::Exposure));
  auto* actions = new QHBoxLayout;
  AddButton(*actions, "Restore", press(ColourButton::Restore));
  refresh_ = AddButton(*actions, "Refresh", press(ColourButton::Refresh));
  AddButton(*actions, "Close", press(ColourButton::Close));

  auto* layout = new QGridLayout(this);
  layout->addWidget(group("Select Colour Planes", selection), 0, 0, 2, 1);
  layout->addWidget(group("Rotate Colour Planes", rotate), 0, 1);
  layout->addWidget(group("Plane Adjust (Pixels)", shifts), 1, 1);
  layout->addWidget(group("Red Plane", red), 0, 2);
  layout->addWidget(group("Green Plane", green), 1, 2);
  layout->addWidget(group("Blue Plane", blue), 2, 2);
  layout->addWidget(group("Brightness", brightness), 2, 0);
  layout->addWidget(group("Exposure", exposure), 2, 1);
  layout->addLayout(actions, 3, 0, 1, 3);
  Sync();
  adjustSize();
  move(WorkArea(*this).topLeft());
}

void ColourDialog::Sync() {
  const ColourDialogState& d = session_.state.colourDialog;
  const std::array<PlaneCheck, 4> order = {PlaneCheck::All, PlaneCheck::Ir, PlaneCheck::Red, PlaneCheck::Green};
  for (size_t i = 0; i < planes_.size(); ++i) planes_[i]->setChecked(order[i] == d.checked);
  for (size_t i = 0; i < coefficients_.size(); ++i) {
    const QSignalBlocker quiet(coefficients_[i]);
    // What was typed stays as typed until a spin takes it.
    if (coefficients_[i]->text() != FromUtf8(d.coefficientEdits[i]))
      coefficients_[i]->setValue(QString::fromStdString(d.coefficientEdits[i]).toInt());
  }
  refresh_->setEnabled(d.refreshEnabled);
  exposure_->setText(FromUtf8(d.exposureButtonText));
}

void ColourDialog::reject() { PressColourButton(session_, ColourButton::Close); }

}  // namespace kestrel::gui
