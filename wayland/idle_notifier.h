#pragma once
// The compositor's own idle notifications: ext_idle_notifier_v1 where it is
// offered (KDE Plasma 5.27, newer wlroots desktops), else org_kde_kwin_idle
// (sway 1.7, older Plasma). Both already honour what inhibits idling.
#include <cstdint>
#include <memory>

#include "wayland/idle_source.h"

struct ext_idle_notifier_v1;
struct ext_idle_notification_v1;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;

namespace morvelux::wayland {

class IdleNotifier final : public IdleSource {
public:
    // Nothing when the compositor offers neither protocol, or no seat.
    static std::unique_ptr<IdleNotifier> start(wl_display* display, std::uint32_t ms);
    ~IdleNotifier() override;
    IdleNotifier(const IdleNotifier&) = delete;
    IdleNotifier& operator=(const IdleNotifier&) = delete;

    const char* protocol() const;
    bool becameIdle() override;
    bool becameActive() override;

private:
    IdleNotifier() = default;
    void resume();
    friend struct IdleNotifierEvents;  // the protocol listeners

    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    ext_idle_notifier_v1* notifier_ = nullptr;
    org_kde_kwin_idle* kdeIdle_ = nullptr;
    ext_idle_notification_v1* notification_ = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
    bool idled_ = false;    // idle since the last look, and no input since
    bool resumed_ = false;  // input since the last look
};

}  // namespace morvelux::wayland
