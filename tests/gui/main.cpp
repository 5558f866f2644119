#include <QTimer>
#include <cstdlib>

#include "gui_tests.h"

namespace kestrel::gui::testing {

void AnswerNextBox(std::function<void(QMessageBox&)> answer) {
  QTimer::singleShot(0, [answer = std::move(answer)] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
      AnswerNextBox(answer);  // not up yet
      return;
    }
    answer(*box);
  });
}

}  // namespace kestrel::gui::testing

#include "moc_gui_tests.cpp"

int main(int argc, char** argv) {
  // The settings store of the tests lives in a folder of its own, never the user's.
  const kestrel::testing::ScratchDir config;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  QApplication application(argc, argv);
  int failures = kestrel::gui::testing::RunPictureWindowTests(argc, argv);
  failures += kestrel::gui::testing::RunQtPlatformTests(argc, argv);
  return failures == 0 ? 0 : 1;
}
