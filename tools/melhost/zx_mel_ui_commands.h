// The few Maya UI commands that menu scripts use, for the MEL host: they
// build no windows but keep a record of the menus and menu items asked for,
// so that a test can see what a script built and what it took down again.
#pragma once

#include <string>

#include "zx_mel_builtins.h"

namespace mel {

// The UI built-in of that name (menu, menuItem, setParent, deleteUI and the
// host-only zxhost_ui), or null.
const BuiltinCommand* findUiBuiltin(const std::string& name);

}  // namespace mel
