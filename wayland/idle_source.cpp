#include "wayland/idle_source.h"

#include <string>
#include <string_view>

#include "frontend/loop.h"
#include "wayland/gnome_idle.h"
#include "wayland/idle_notifier.h"

namespace morvelux::wayland {

namespace {

void traceSource(std::FILE* trace, std::string_view name) { traceLine(trace, std::string("idle from ").append(name)); }

}  // namespace

std::unique_ptr<IdleSource> findIdleSource(wl_display* display, int seconds, std::FILE* trace, std::string& error) {
    const auto ms = static_cast<std::uint32_t>(seconds) * 1000u;
    if (auto notifier = IdleNotifier::start(display, ms)) {
        traceSource(trace, notifier->protocol());
        return notifier;
    }
    std::string gnomeMissing;
    if (auto gnome = GnomeIdle::start(ms, gnomeMissing)) {
        traceSource(trace, "org.gnome.Mutter.IdleMonitor");
        return gnome;
    }
    error = "this desktop tells no idle time: the compositor offers neither ext_idle_notifier_v1 nor "
            "org_kde_kwin_idle, and there is " + gnomeMissing;
    return nullptr;
}

}  // namespace morvelux::wayland
