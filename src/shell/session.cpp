#include "shell/session.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace kestrel {

int ShowErrorBox(Session& session, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list count;
  va_copy(count, args);
  const int length = std::vsnprintf(nullptr, 0, format, count);
  va_end(count);
  std::vector<char> text(static_cast<size_t>(length < 0 ? 0 : length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  session.platform.ShowMessageBox(text.data(), kDefaultErrorCaption, BoxIcon::Exclamation,
                                  BoxButtons::Ok);
  return 0;
}

void ShowMessage(Session& session, std::string_view text, std::string_view caption,
                 BoxIcon icon) {
  session.platform.ShowMessageBox(text, caption, icon, BoxButtons::Ok);
}

}  // namespace kestrel
