#include "gui/register_files_dialog.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrel::gui {
namespace {

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

RegisterFilesDialog::RegisterFilesDialog(const RegisterFilesForm& form,
                                         std::function<bool(const RegisterFilesForm&)> accept,
                                         QWidget* parent)
    : QDialog(parent), accept_(std::move(accept)) {
  setWindowTitle(QStringLiteral("Kestrel Register Files"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  const auto addDirectory = [&](const char* label, const std::string& value) {
    auto* caption = new QLabel(QString::fromLatin1(label), this);
    auto* edit = new QLineEdit(FromUtf8(value), this);
    caption->setBuddy(edit);
    layout->addWidget(caption);
    layout->addWidget(edit);
    return edit;
  };
  elementSets_ = addDirectory("Drive, Path (Directory) for Wisp.Kep", form.elementSetDirectory);
  places_ = addDirectory("Drive, Path (Directory) for Wisp.Obs", form.placesDirectory);
  images_ = addDirectory("Drive, Path (Directory) for Images", form.imagesDirectory);
  // Two-line element text from the public catalogues serves users without the ground-station
  // program; the WiSP fields may then stay empty.
  auto* tleCaption = new QLabel(QStringLiteral("Two-line element (TLE) file"), this);
  twoLineElements_ = new QLineEdit(FromUtf8(form.twoLineElementFile), this);
  tleCaption->setBuddy(twoLineElements_);
  auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
  browse->setAccessibleName(QStringLiteral("Browse for a two-line element file"));
  auto* tleRow = new QHBoxLayout;
  tleRow->addWidget(twoLineElements_, 1);
  tleRow->addWidget(browse);
  layout->addWidget(tleCaption);
  layout->addLayout(tleRow);
  auto* hint = new QLabel(
      QStringLiteral("Leave the WiSP fields empty if you have no ground-station program."), this);
  hint->setWordWrap(true);
  layout->addWidget(hint);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString chosen = QFileDialog::getOpenFileName(
        this, QStringLiteral("Two-line element file"), twoLineElements_->text(),
        QStringLiteral("Two-line element files (*.tle *.txt *.TLE *.TXT);;All files (*)"));
    if (!chosen.isEmpty()) twoLineElements_->setText(chosen);
  });
  auto* note = new QLabel(QStringLiteral("Check the boxes below to default\nto Compressed Image "
                                         "Sets\n and Sharpen Image after load."),
                          this);
  note->setAlignment(Qt::AlignCenter);
  layout->addWidget(note);
  auto* checks = new QHBoxLayout;
  imageSets_ = new QCheckBox(QStringLiteral("Image Sets"), this);
  sharpen_ = new QCheckBox(QStringLiteral("Sharpen"), this);
  imageSets_->setChecked(form.imageSets);
  sharpen_->setChecked(form.sharpen);
  checks->addWidget(imageSets_);
  checks->addWidget(sharpen_);
  layout->addLayout(checks);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  ok->setDefault(true);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, [this] {
    if (accept_(Entries())) done(QDialog::Accepted);
  });
  connect(cancel, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
}

RegisterFilesForm RegisterFilesDialog::Entries() const {
  return {elementSets_->text().toStdString(), places_->text().toStdString(),
          images_->text().toStdString(), imageSets_->isChecked(), sharpen_->isChecked(),
          twoLineElements_->text().toStdString()};
}

}  // namespace kestrel::gui
