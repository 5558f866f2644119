// kestrel: shows satellite camera pictures and bitmap files.

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <cstring>
#include <filesystem>

#include "gui/main_window.h"
#include "platform/process_memory.h"

namespace {

// Reads the options; --help and --version answer on stdout and end the program here.
QStringList FilesToOpen(const QCoreApplication& application) {
  QCoreApplication::setApplicationName(QStringLiteral("Kestrel"));
  QCoreApplication::setApplicationVersion(QStringLiteral(KESTREL_VERSION));
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Shows, repairs and improves the pictures of small satellites' CCD cameras."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Camera or bitmap files to open, in order."),
                               QStringLiteral("[FILE...]"));
  parser.process(application);
  return parser.positionalArguments();
}

// Asking for the help or the version text needs no display.
bool AsksForTextOnly(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    for (const char* option : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
      if (std::strcmp(argv[i], option) == 0) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (AsksForTextOnly(argc, argv)) {
    const QCoreApplication application(argc, argv);
    FilesToOpen(application);
  }
  kestrel::KeepFreedPictureMemory();
  QApplication application(argc, argv);
  const QStringList files = FilesToOpen(application);
  QApplication::setDesktopFileName(QStringLiteral(KESTREL_APP_ID));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/kestrel.png")));

  kestrel::gui::MainWindow window(std::filesystem::current_path());
  window.Start(files);
  return application.exec();
}
