#include "wayland/gnome_idle.h"

#include <systemd/sd-bus.h>
#include <time.h>

#include <cstring>
#include <utility>

namespace morvelux::wayland {

namespace {

constexpr const char* kMonitor = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kMonitorPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* kSessionManager = "org.gnome.SessionManager";
constexpr std::uint32_t kInhibitIdle = 8;  // the session manager's flag for "do not go idle"

std::string why(int code, const sd_bus_error& error) {
    return error.message ? error.message : std::strerror(-code);
}

}  // namespace

struct GnomeIdleEvents {
    static int watchFired(sd_bus_message* message, void* data, sd_bus_error*) {
        auto& g = *static_cast<GnomeIdle*>(data);
        std::uint32_t id = 0;
        if (sd_bus_message_read(message, "u", &id) < 0) return 0;
        if (id == g.idleWatch_) g.idleFired_ = true;
        if (id == g.activeWatch_) g.activeFired_ = true;
        return 0;
    }
};

std::unique_ptr<GnomeIdle> GnomeIdle::start(std::uint64_t ms, std::string& error) {
    std::unique_ptr<GnomeIdle> g(new GnomeIdle);
    int code = sd_bus_open_user(&g->bus_);
    if (code < 0) {
        error = std::string("no session bus: ") + std::strerror(-code);
        return nullptr;
    }
    code = sd_bus_match_signal(g->bus_, &g->match_, nullptr, kMonitorPath, kMonitor, "WatchFired",
                               GnomeIdleEvents::watchFired,
                               g.get());
    sd_bus_error failure = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    if (code >= 0)
        code = sd_bus_call_method(g->bus_, kMonitor, kMonitorPath, kMonitor, "AddIdleWatch", &failure, &reply, "t",
                                  ms);
    if (code >= 0) code = sd_bus_message_read(reply, "u", &g->idleWatch_);
    if (code < 0) error = "no " + std::string(kMonitor) + " on the session bus: " + why(code, failure);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&failure);
    return code < 0 ? nullptr : std::move(g);
}

GnomeIdle::~GnomeIdle() {
    sd_bus_slot_unref(match_);
    if (bus_) sd_bus_flush_close_unref(bus_);
}

pollfd GnomeIdle::descriptor() {
    const int events = sd_bus_get_events(bus_);
    return {sd_bus_get_fd(bus_), static_cast<short>(events < 0 ? POLLIN : events), 0};
}

int GnomeIdle::timeoutMs() {
    std::uint64_t due = 0;
    if (sd_bus_get_timeout(bus_, &due) < 0 || due == UINT64_MAX) return -1;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t nowUs = static_cast<std::uint64_t>(now.tv_sec) * 1000000u + now.tv_nsec / 1000;
    return due <= nowUs ? 0 : static_cast<int>((due - nowUs + 999) / 1000);
}

bool GnomeIdle::process(std::string& error) {
    int code = 0;
    while ((code = sd_bus_process(bus_, nullptr)) > 0) {
    }
    if (code < 0) error = std::string("the session bus went away: ") + std::strerror(-code);
    return code >= 0;
}

// Where no session manager answers, nothing inhibits.
bool GnomeIdle::inhibited() {
    sd_bus_message* reply = nullptr;
    int answer = 0;
    const int code = sd_bus_call_method(bus_, kSessionManager, "/org/gnome/SessionManager", kSessionManager,
                                        "IsInhibited", nullptr, &reply, "u", kInhibitIdle);
    const bool yes = code >= 0 && sd_bus_message_read(reply, "b", &answer) >= 0 && answer;
    sd_bus_message_unref(reply);
    return yes;
}

bool GnomeIdle::becameIdle() { return std::exchange(idleFired_, false) && !inhibited(); }

// Without the watch the saver ends only on the input it sees itself.
void GnomeIdle::saverShown() {
    sd_bus_message* reply = nullptr;
    activeFired_ = false;
    if (sd_bus_call_method(bus_, kMonitor, kMonitorPath, kMonitor, "AddUserActiveWatch", nullptr, &reply, "") < 0 ||
        sd_bus_message_read(reply, "u", &activeWatch_) < 0)
        activeWatch_ = 0;
    sd_bus_message_unref(reply);
}

bool GnomeIdle::becameActive() { return std::exchange(activeFired_, false); }

}  // namespace morvelux::wayland
