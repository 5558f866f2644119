// kestrel: shows satellite camera pictures and bitmap files.

#include <QApplication>
#include <QIcon>
#include <filesystem>

#include "gui/main_window.h"
#include "shell/settings.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kestrel"));
  QApplication::setDesktopFileName(QStringLiteral("kestrel"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/kestrel.png")));

  kestrel::gui::MainWindow window(std::filesystem::current_path());
  // The settings come first, asked for on the first run before the window shows.
  if (!kestrel::LoadSettings(window.session())) kestrel::RunSettingsDialog(window.session());
  kestrel::EnterImagesDirectory(window.session());
  window.show();
  // One file may be named; Qt has already taken its own options out of argv.
  if (argc > 1) window.OpenFile(argv[1]);
  return application.exec();
}
