#pragma once
// The menu bar and the accelerator table as data, and the rules that grey and check their
// items from the image state. The desktop program builds its menus from this table, and the
// tests read the same one.

#include <span>
#include <string_view>

#include "session/image_state.h"

namespace kestrel {

enum class MenuEntryKind { Menu, Submenu, Item, Separator, End };

// One entry of the menu bar in order: a top-level menu or a submenu opens a level that the
// next End closes. Texts are exact, "&" mnemonics and runs of spaces included.
struct MenuEntry {
  MenuEntryKind kind;
  std::string_view text = {};
  int command = 0;
};
std::span<const MenuEntry> MenuBar();

// Key sequences in the portable text form ("Ctrl+C", "Alt+PgDown", "Shift+Left").
struct Accelerator {
  std::string_view keys;
  int command;
};
std::span<const Accelerator> Accelerators();

struct MenuItemState {
  bool enabled = true;
  bool checked = false;
};

// How an item shows when its menu opens: the rules of the image state, the picture on show and
// whether the clipboard holds a picture. Items without a rule are enabled and unchecked.
MenuItemState MenuItemStateFor(int command, const ImageState& state, bool clipboardHasPicture);

}  // namespace kestrel
