#include "session/session.h"

#include <cstdarg>
#include <cstdio>

namespace kestrel {

int ShowErrorBox(Session& session, const char* format, ...) {
  va_list args;
  va_start(args, format);
  char text[4096];
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  session.platform.ShowMessageBox(text, kDefaultErrorCaption, BoxIcon::Exclamation,
                                  BoxButtons::Ok);
  return 0;
}

void ShowMessage(Session& session, std::string_view text, std::string_view caption,
                 BoxIcon icon) {
  session.platform.ShowMessageBox(text, caption, icon, BoxButtons::Ok);
}

void SetLoadingText(Session& session, std::string text) {
  session.state.loadingText = std::move(text);
  session.platform.ShowLoadingText(session.state.loadingText);
}

void AppendLoadingText(Session& session, std::string_view text) {
  session.state.loadingText += text;
  session.platform.ShowLoadingText(session.state.loadingText);
}

int SendCommand(Session& session, int command, int parameter) {
  return session.sendCommand ? session.sendCommand(command, parameter) : 1;
}

void ShowOutOfMemory(Session& session) {
  ShowMessage(session, "There is insufficient MEMORY to allocate", "Memory Allocation Error");
}

}  // namespace kestrel
