#pragma once
// The C glue wayland-scanner made for the shell protocols. The layer shell
// names an argument `namespace`, a C++ keyword, so it is renamed on the way.
#define namespace namespace_
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "xdg-shell-client-protocol.h"
