#pragma once
// Each QtTest class of the GUI tests runs from the one main, on a fresh window per test.

#include <QApplication>
#include <QColor>
#include <QMessageBox>
#include <QObject>
#include <QTest>
#include <functional>
#include <memory>

#include "gui/main_window.h"
#include "support/test_support.h"

namespace kestrel::gui::testing {

int RunPictureWindowTests(int argc, char** argv);
int RunQtPlatformTests(int argc, char** argv);

// Runs `answer` on the next modal box as soon as it is up (boxes block until answered).
void AnswerNextBox(std::function<void(QMessageBox&)> answer);

// Shows a main window over a scratch folder of its own before each test and closes it after.
class WindowTest : public QObject {
  Q_OBJECT

 protected:
  kestrel::testing::ScratchDir dir_;
  std::unique_ptr<MainWindow> window_;

 private slots:
  void init() {
    window_ = std::make_unique<MainWindow>(dir_.path());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
  void cleanup() { window_.reset(); }
};

}  // namespace kestrel::gui::testing
