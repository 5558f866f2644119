#pragma once
// The main window's dispatcher: every menu item, accelerator and request of a dialog arrives as
// a command id and runs here to completion.

namespace kestrel {

struct Session;

// Runs `command`; the result is 1 unless the command says 0. Ids no command handles do nothing.
int DispatchCommand(Session& session, int command, int parameter = 0);

// An accelerator key's command: nothing when the menu rules grey its item.
int DispatchAccelerator(Session& session, int command);

// Makes the session's flows and dialogs send their commands here.
void AttachDispatcher(Session& session);

}  // namespace kestrel
