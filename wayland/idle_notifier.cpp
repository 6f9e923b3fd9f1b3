#include "wayland/idle_notifier.h"

#include <utility>
#include <string_view>

#include "wayland/protocols.h"

namespace morvelux::wayland {

struct IdleNotifierEvents {
    static IdleNotifier& of(void* data) { return *static_cast<IdleNotifier*>(data); }

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t) {
        IdleNotifier& n = of(data);
        const std::string_view kind = interface;
        if (kind == wl_seat_interface.name && !n.seat_) {
            n.seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        } else if (kind == ext_idle_notifier_v1_interface.name) {
            n.notifier_ = static_cast<ext_idle_notifier_v1*>(
                wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
        } else if (kind == org_kde_kwin_idle_interface.name) {
            n.kdeIdle_ =
                static_cast<org_kde_kwin_idle*>(wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
        }
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}

    static void idled(void* data, ext_idle_notification_v1*) { of(data).idled_ = true; }
    static void resumed(void* data, ext_idle_notification_v1*) { of(data).resume(); }
    static void kdeIdle(void* data, org_kde_kwin_idle_timeout*) { of(data).idled_ = true; }
    static void kdeResumed(void* data, org_kde_kwin_idle_timeout*) { of(data).resume(); }
};

namespace {

const wl_registry_listener kRegistryListener = {.global = IdleNotifierEvents::global,
                                                .global_remove = IdleNotifierEvents::globalRemove};
const ext_idle_notification_v1_listener kNotificationListener = {.idled = IdleNotifierEvents::idled,
                                                                 .resumed = IdleNotifierEvents::resumed};
const org_kde_kwin_idle_timeout_listener kKdeTimeoutListener = {.idle = IdleNotifierEvents::kdeIdle,
                                                                .resumed = IdleNotifierEvents::kdeResumed};

}  // namespace

std::unique_ptr<IdleNotifier> IdleNotifier::start(wl_display* display, std::uint32_t ms) {
    std::unique_ptr<IdleNotifier> n(new IdleNotifier);
    n->registry_ = wl_display_get_registry(display);
    wl_registry_add_listener(n->registry_, &kRegistryListener, n.get());
    if (wl_display_roundtrip(display) < 0 || !n->seat_ || (!n->notifier_ && !n->kdeIdle_)) return nullptr;
    if (n->notifier_) {
        n->notification_ = ext_idle_notifier_v1_get_idle_notification(n->notifier_, ms, n->seat_);
        ext_idle_notification_v1_add_listener(n->notification_, &kNotificationListener, n.get());
    } else {
        n->kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(n->kdeIdle_, n->seat_, ms);
        org_kde_kwin_idle_timeout_add_listener(n->kdeTimeout_, &kKdeTimeoutListener, n.get());
    }
    return n;
}

IdleNotifier::~IdleNotifier() {
    if (notification_) ext_idle_notification_v1_destroy(notification_);
    if (kdeTimeout_) org_kde_kwin_idle_timeout_release(kdeTimeout_);
    if (notifier_) ext_idle_notifier_v1_destroy(notifier_);
    if (kdeIdle_) org_kde_kwin_idle_destroy(kdeIdle_);  // the interface has no destructor request
    if (seat_) letGo(seat_, wl_seat_release, WL_SEAT_RELEASE_SINCE_VERSION);
    if (registry_) wl_registry_destroy(registry_);
}

const char* IdleNotifier::protocol() const {
    return notification_ ? ext_idle_notifier_v1_interface.name : org_kde_kwin_idle_interface.name;
}

bool IdleNotifier::becameIdle() { return std::exchange(idled_, false); }

bool IdleNotifier::becameActive() { return std::exchange(resumed_, false); }

void IdleNotifier::resume() {
    idled_ = false;
    resumed_ = true;
}

}  // namespace morvelux::wayland
