#pragma once
// Each QtTest class of the GUI tests runs from the one main.

#include <QApplication>
#include <QColor>
#include <QMessageBox>
#include <functional>

namespace kestrel::gui::testing {

int RunPictureWindowTests(int argc, char** argv);
int RunQtPlatformTests(int argc, char** argv);

// Runs `answer` on the next modal box as soon as it is up (boxes block until answered).
void AnswerNextBox(std::function<void(QMessageBox&)> answer);

}  // namespace kestrel::gui::testing
