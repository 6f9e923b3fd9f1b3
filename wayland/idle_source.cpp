#include "wayland/idle_source.h"

#include <string_view>

#include "wayland/gnome_idle.h"
#include "wayland/idle_notifier.h"

namespace morvelux::wayland {

namespace {

void traceSource(std::FILE* trace, std::string_view name) {
    if (!trace) return;
    std::fprintf(trace, "idle from %.*s\n", static_cast<int>(name.size()), name.data());
    std::fflush(trace);
}

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
