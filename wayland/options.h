#pragma once
// What the Wayland front end is told.
namespace morvelux::wayland {

struct Options {
    bool layerShell = true;  // false: full-screen windows even where layer surfaces are offered
};

}  // namespace morvelux::wayland
