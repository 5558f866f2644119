#pragma once
// The Register Files dialog: three directories, a two-line element file and two defaults,
// checked by the core on OK.
// Escape does not close it; only OK with accepted entries, or Cancel, does.

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <functional>

#include "platform/platform.h"

namespace kestrel::gui {

class RegisterFilesDialog : public QDialog {
  Q_OBJECT

 public:
  RegisterFilesDialog(const RegisterFilesForm& form,
                      std::function<bool(const RegisterFilesForm&)> accept, QWidget* parent);

  void reject() override {}  // Escape and the title bar's close do nothing

 private:
  RegisterFilesForm Entries() const;

  std::function<bool(const RegisterFilesForm&)> accept_;
  QLineEdit* elementSets_;
  QLineEdit* places_;
  QLineEdit* images_;
  QLineEdit* twoLineElements_;
  QCheckBox* imageSets_;
  QCheckBox* sharpen_;
};

}  // namespace kestrel::gui
