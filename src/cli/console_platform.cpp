#include "cli/console_platform.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>

#include "platform/settings_file.h"

namespace kestrel {
namespace {

// Progress windows have nothing to show on a console.
class SilentProgressWindow : public ProgressWindow {
 public:
  void SetRange(int, int) override {}
  void SetStep(int) override {}
  void StepIt() override {}
  void SetPosition(int) override {}
};

SettingsFile Store() { return SettingsFile(SettingsFile::DefaultPath()); }

// stderr is one per process, and so is its progress line; only the thread that runs the batch
// writes to it while workers hold their lines.
bool progressShown = false;
thread_local std::string* heldLines = nullptr;  // the calling thread's HeldErrorLines, if any

void EraseProgressLine() {
  if (progressShown) std::fputs("\r\033[K", stderr);
  progressShown = false;
}

}  // namespace

void PrintErrorLine(std::string_view line) {
  if (heldLines) {
    heldLines->append(line).push_back('\n');
    return;
  }
  EraseProgressLine();
  std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
}

HeldErrorLines::HeldErrorLines() : outer_(heldLines) { heldLines = &lines_; }

HeldErrorLines::~HeldErrorLines() { heldLines = outer_; }

std::string HeldErrorLines::Take() { return std::exchange(lines_, {}); }

void PrintHeldLines(std::string_view lines) {
  if (lines.empty()) return;
  EraseProgressLine();
  std::fwrite(lines.data(), 1, lines.size(), stderr);
}

void ShowProgressLine(std::string_view text) {
  EraseProgressLine();
  if (text.empty() || !::isatty(STDERR_FILENO)) return;
  std::fprintf(stderr, "%.*s", static_cast<int>(text.size()), text.data());
  std::fflush(stderr);
  progressShown = true;
}

BoxAnswer ConsolePlatform::ShowMessageBox(std::string_view text, std::string_view caption,
                                          BoxIcon, BoxButtons buttons) {
  std::string line;
  line.reserve(caption.size() + text.size() + 8);
  line.append("[").append(caption).append("] ");
  for (char c : text) {
    if (c == '\n') {
      line += "\\n";
    } else {
      line += c;
    }
  }
  PrintErrorLine(line);
  switch (buttons) {
    case BoxButtons::Ok: return BoxAnswer::Ok;
    case BoxButtons::OkCancel: return answerCancel_ ? BoxAnswer::Cancel : BoxAnswer::Ok;
    case BoxButtons::YesNo: return answerCancel_ ? BoxAnswer::No : BoxAnswer::Yes;
    case BoxButtons::YesNoCancel: return answerCancel_ ? BoxAnswer::Cancel : BoxAnswer::Yes;
  }
  return BoxAnswer::Ok;
}

std::unique_ptr<ProgressWindow> ConsolePlatform::OpenProgressWindow(const ProgressRequest&) {
  return std::make_unique<SilentProgressWindow>();
}

std::optional<std::string> ConsolePlatform::ReadSettingText(std::string_view name) {
  return Store().ReadText(name);
}
std::optional<uint32_t> ConsolePlatform::ReadSettingNumber(std::string_view name) {
  return Store().ReadNumber(name);
}
void ConsolePlatform::WriteSettingText(std::string_view name, std::string_view value) {
  Store().WriteText(name, value);
}
void ConsolePlatform::WriteSettingNumber(std::string_view name, uint32_t value) {
  Store().WriteNumber(name, value);
}

uint32_t ConsolePlatform::TickCount() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace kestrel
