#pragma once
// The C glue wayland-scanner made for the protocols beyond the core, and
// how the saver lets go of a protocol object. The layer shell names an
// argument `namespace`, a C++ keyword, so it is renamed on the way.
#include <wayland-client.h>

#include <cstdint>

#define namespace namespace_
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "xdg-shell-client-protocol.h"
#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

namespace morvelux::wayland {

// Objects of versions older than `since` have no such request: only the proxy goes.
template <typename T>
void letGo(T* object, void (*request)(T*), std::uint32_t since) {
    auto* proxy = reinterpret_cast<wl_proxy*>(object);
    if (wl_proxy_get_version(proxy) >= since)
        request(object);
    else
        wl_proxy_destroy(proxy);
}

}  // namespace morvelux::wayland
