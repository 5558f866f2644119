#pragma once
// The image state together with the platform it talks through. Every flow takes one.

#include <filesystem>
#include <functional>

#include "platform/platform.h"
#include "session/image_state.h"

namespace kestrel {

struct Session {
  Session(Platform& p, std::filesystem::path directory)
      : platform(p), currentDirectory(std::move(directory)) {}

  ImageState state;
  Platform& platform;
  // The directory that bare file names are relative to; an open makes the file's own
  // directory current.
  std::filesystem::path currentDirectory;
  // Runs a command id as the main window's dispatcher does: how the dialogs and the flows send
  // commands (the second number is the command's parameter). Set by whoever owns dispatch.
  std::function<int(int command, int parameter)> sendCommand;
};

// Sends a command through the session's dispatcher; 1 when there is none to send it to.
int SendCommand(Session& session, int command, int parameter = 0);

// A printf-style box with the exclamation icon and the default error caption. Returns 0 so
// that a failing flow can `return ShowErrorBox(...)`.
int ShowErrorBox(Session& session, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A box with a fixed text and caption and an OK button.
void ShowMessage(Session& session, std::string_view text, std::string_view caption,
                 BoxIcon icon = BoxIcon::Exclamation);

// The Loading Information window's text: replaced, or extended by a line, and shown at once.
void SetLoadingText(Session& session, std::string text);
void AppendLoadingText(Session& session, std::string_view text);

// "There is insufficient MEMORY to allocate" with its caption: every loader's answer to a block
// it cannot have.
void ShowOutOfMemory(Session& session);

}  // namespace kestrel
