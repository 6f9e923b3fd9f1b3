#pragma once
// What the Wayland front end is told.
namespace morvelux::wayland {

struct Options {
    bool layerShell = true;  // false: full-screen windows even where layer surfaces are offered
    int idleSeconds = 0;     // resident, shown after this long without input; 0: shown at once, once
};

}  // namespace morvelux::wayland
