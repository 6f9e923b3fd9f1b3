#pragma once
// MORVELUX in a user's own list of XScreenSaver modules: the `programs:`
// resource of ~/.xscreensaver, the file the settings program writes. The
// package touches no list that another package owns; this adds ours to the
// user's, keeping every other line as it was.
#include <string>
#include <string_view>

namespace morvelux {

enum class ListEdit {
    Added,          // `text` is the file with our entry first in the list
    AlreadyListed,  // on the list already (also when switched off there): unchanged
    NoList,         // the file holds no `programs:` resource
};

struct EditedSettings {
    ListEdit result = ListEdit::NoList;
    std::string text;
};

// The entry the daemon runs; it finds morvelux in its own folder of modules.
inline constexpr std::string_view kModuleEntry = "morvelux -root";

EditedSettings addToModuleList(std::string_view settings);

// -add-to-xscreensaver: edits $HOME/.xscreensaver in place (through a symbolic
// link, its permissions kept), says what it did; the exit code.
int addToUserModuleList(const char* home);

}  // namespace morvelux
