#pragma once
// GNOME's idle time: Mutter's idle monitor on the session bus, for GNOME
// offers its clients no idle protocol. Where GNOME's session manager runs,
// it is asked whether something (a video playing) inhibits idling before
// the saver is shown.
#include <cstdint>
#include <memory>
#include <string>

#include "wayland/idle_source.h"

struct sd_bus;
struct sd_bus_slot;

namespace morvelux::wayland {

class GnomeIdle final : public IdleSource {
public:
    // Nothing, with `error` saying why, when there is no session bus or no idle monitor on it.
    static std::unique_ptr<GnomeIdle> start(std::uint64_t ms, std::string& error);
    ~GnomeIdle() override;
    GnomeIdle(const GnomeIdle&) = delete;
    GnomeIdle& operator=(const GnomeIdle&) = delete;

    pollfd descriptor() override;
    int timeoutMs() override;
    bool process(std::string& error) override;
    bool becameIdle() override;
    void saverShown() override;
    bool becameActive() override;

private:
    GnomeIdle() = default;
    friend struct GnomeIdleEvents;  // the bus's signals
    bool inhibited();

    sd_bus* bus_ = nullptr;
    sd_bus_slot* match_ = nullptr;
    std::uint32_t idleWatch_ = 0;
    std::uint32_t activeWatch_ = 0;  // fires once, at the first input after it was set
    bool idleFired_ = false;
    bool activeFired_ = false;
};

}  // namespace morvelux::wayland
