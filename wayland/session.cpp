#include "wayland/session.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "wayland/protocols.h"

namespace morvelux::wayland {

namespace {

Session& of(void* data) { return *static_cast<Session*>(data); }

template <typename T>
T* bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface, std::uint32_t offered,
        std::uint32_t wanted) {
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

void releasePointer(wl_pointer* pointer) { letGo(pointer, wl_pointer_release, WL_POINTER_RELEASE_SINCE_VERSION); }
void releaseKeyboard(wl_keyboard* keyboard) {
    letGo(keyboard, wl_keyboard_release, WL_KEYBOARD_RELEASE_SINCE_VERSION);
}

}  // namespace

// Why the connection ended: a protocol error of ours names the object, else the compositor went away.
std::string whyBroken(wl_display* display) {
    const int code = wl_display_get_error(display);
    if (code == EPROTO) {
        const wl_interface* interface = nullptr;
        std::uint32_t id = 0;
        const std::uint32_t error = wl_display_get_protocol_error(display, &interface, &id);
        return "Wayland protocol error " + std::to_string(error) + " on " +
               (interface ? interface->name : "an unknown object") + " " + std::to_string(id);
    }
    return "the Wayland compositor went away";
}


// The protocol's events, each a small function that updates the session.
struct SessionEvents {
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        Session& s = of(data);
        const std::string_view kind = interface;
        if (kind == wl_compositor_interface.name) {
            s.globals_.compositor = bind<wl_compositor>(registry, name, wl_compositor_interface, version, 4);
        } else if (kind == wl_shm_interface.name) {
            s.globals_.shm = bind<wl_shm>(registry, name, wl_shm_interface, version, 1);
        } else if (kind == wl_seat_interface.name && !s.seat_) {
            s.seat_ = bind<wl_seat>(registry, name, wl_seat_interface, version, 5);
            wl_seat_add_listener(s.seat_, &kSeatListener, &s);
        } else if (kind == wl_output_interface.name) {
            s.outputs_.push_back(
                std::make_unique<Output>(bind<wl_output>(registry, name, wl_output_interface, version, 4), name));
        } else if (kind == zwlr_layer_shell_v1_interface.name && s.layerShellWanted_) {
            s.globals_.layerShell = bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface, version, 3);
        } else if (kind == xdg_wm_base_interface.name) {
            s.globals_.wmBase = bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, version, 2);
            xdg_wm_base_add_listener(s.globals_.wmBase, &kWmBaseListener, &s);
        }
    }
    static void globalRemove(void* data, wl_registry*, std::uint32_t name) { of(data).removeOutput(name); }

    static void ping(void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }

    static void capabilities(void* data, wl_seat* seat, std::uint32_t caps) {
        Session& s = of(data);
        const bool pointer = caps & WL_SEAT_CAPABILITY_POINTER, keyboard = caps & WL_SEAT_CAPABILITY_KEYBOARD;
        if (pointer && !s.pointer_) {
            s.pointer_ = wl_seat_get_pointer(seat);
            wl_pointer_add_listener(s.pointer_, &kPointerListener, &s);
        } else if (!pointer && s.pointer_) {
            releasePointer(s.pointer_);
            s.pointer_ = nullptr;
            s.pointerOver_ = nullptr;
        }
        if (keyboard && !s.keyboard_) {
            s.keyboard_ = wl_seat_get_keyboard(seat);
            wl_keyboard_add_listener(s.keyboard_, &kKeyboardListener, &s);
        } else if (!keyboard && s.keyboard_) {
            releaseKeyboard(s.keyboard_);
            s.keyboard_ = nullptr;
        }
    }
    static void seatName(void*, wl_seat*, const char*) {}

    // The pointer is hidden over the saver; moving it counts, a button ends it.
    static void enter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface, wl_fixed_t,
                      wl_fixed_t) {
        of(data).pointerOver_ = of(data).outputOf(surface);
        wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    }
    static void leave(void* data, wl_pointer*, std::uint32_t, wl_surface*) { of(data).pointerOver_ = nullptr; }
    static void motion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
        Session& s = of(data);
        if (!s.pointerOver_ || !s.core_.activated()) return;
        const MoveArea area = s.pointerOver_->areaAt(wl_fixed_to_double(x), wl_fixed_to_double(y));
        if (s.core_.mouseMoved(area)) s.ended_ = true;
    }
    static void button(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
        if (state == WL_POINTER_BUTTON_STATE_PRESSED) of(data).ended_ = true;
    }
    static void axis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
    static void frame(void*, wl_pointer*) {}
    static void axisSource(void*, wl_pointer*, std::uint32_t) {}
    static void axisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
    static void axisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
    static void axisValue120(void*, wl_pointer*, std::uint32_t, std::int32_t) {}

    // Any key ends it; the keymap is not needed for that.
    static void keymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); }
    // A keyboard that appears with its first key, as a remote-desktop one
    // does, shows that key only here, held, and then its release.
    static void keyboardEnter(void* data, wl_keyboard*, std::uint32_t, wl_surface*, wl_array* keys) {
        const auto* held = static_cast<const std::uint32_t*>(keys->data);
        of(data).heldAtEnter_.assign(held, held + keys->size / sizeof *held);
        of(data).keyboardLeft_ = false;
    }
    static void keyboardLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface*) {
        of(data).heldAtEnter_.clear();
        of(data).keyboardLeft_ = true;
    }
    static void key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state) {
        Session& s = of(data);
        const auto& held = s.heldAtEnter_;
        if (state == WL_KEYBOARD_KEY_STATE_PRESSED || std::find(held.begin(), held.end(), key) != held.end())
            s.ended_ = true;
    }
    static void modifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                          std::uint32_t) {}
    static void repeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}

    static const wl_registry_listener kRegistryListener;
    static const xdg_wm_base_listener kWmBaseListener;
    static const wl_seat_listener kSeatListener;
    static const wl_pointer_listener kPointerListener;
    static const wl_keyboard_listener kKeyboardListener;
};

const wl_registry_listener SessionEvents::kRegistryListener = {.global = global, .global_remove = globalRemove};
const xdg_wm_base_listener SessionEvents::kWmBaseListener = {.ping = ping};
const wl_seat_listener SessionEvents::kSeatListener = {.capabilities = capabilities, .name = seatName};
const wl_pointer_listener SessionEvents::kPointerListener = {
    .enter = enter,
    .leave = leave,
    .motion = motion,
    .button = button,
    .axis = axis,
    .frame = frame,
    .axis_source = axisSource,
    .axis_stop = axisStop,
    .axis_discrete = axisDiscrete,
    .axis_value120 = axisValue120,
};
const wl_keyboard_listener SessionEvents::kKeyboardListener = {
    .keymap = keymap,
    .enter = keyboardEnter,
    .leave = keyboardLeave,
    .key = key,
    .modifiers = modifiers,
    .repeat_info = repeatInfo,
};

Session::Session(wl_display* display, SaverCore& core, std::FILE* trace, bool layerShell)
    : display_(display), core_(core), trace_(trace), layerShellWanted_(layerShell) {}

std::unique_ptr<Session> Session::start(wl_display* display, SaverCore& core, std::FILE* trace, bool layerShell,
                                        std::string& error) {
    std::unique_ptr<Session> session(new Session(display, core, trace, layerShell));
    session->registry_ = wl_display_get_registry(display);
    wl_registry_add_listener(session->registry_, &SessionEvents::kRegistryListener, session.get());
    // The first round trip brings the globals, the second what they say of themselves.
    for (int trip = 0; trip < 2; ++trip) {
        if (wl_display_roundtrip(display) < 0) {
            error = whyBroken(display);
            return nullptr;
        }
    }
    const Globals& g = session->globals_;
    if (!g.compositor || !g.shm) {
        error = "the Wayland compositor offers no shared-memory surfaces";
        return nullptr;
    }
    if (!g.layerShell && !g.wmBase) {
        error = "the Wayland compositor offers neither layer-shell nor xdg-shell surfaces";
        return nullptr;
    }
    if (trace) std::fprintf(trace, "present %s\n", g.layerShell ? "layer-shell" : "xdg-toplevel");
    return session;
}

Session::~Session() {
    outputs_.clear();
    if (pointer_) releasePointer(pointer_);
    if (keyboard_) releaseKeyboard(keyboard_);
    if (seat_) letGo(seat_, wl_seat_release, WL_SEAT_RELEASE_SINCE_VERSION);
    if (globals_.layerShell)
        letGo(globals_.layerShell, zwlr_layer_shell_v1_destroy, ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION);
    if (globals_.wmBase) xdg_wm_base_destroy(globals_.wmBase);
    if (globals_.shm) wl_shm_destroy(globals_.shm);
    if (globals_.compositor) wl_compositor_destroy(globals_.compositor);
    if (registry_) wl_registry_destroy(registry_);
    wl_display_flush(display_);
}

Output* Session::outputOf(const wl_surface* surface) {
    for (auto& output : outputs_)
        if (output->owns(surface)) return output.get();
    return nullptr;
}

void Session::removeOutput(std::uint32_t registryName) {
    const auto gone = std::find_if(outputs_.begin(), outputs_.end(),
                                   [&](const auto& output) { return output->registryName() == registryName; });
    if (gone == outputs_.end()) return;
    if (pointerOver_ == gone->get()) pointerOver_ = nullptr;
    if ((*gone)->live() || (*gone)->closed()) surfaceTaken_ = true;
    if (trace_) std::fprintf(trace_, "output gone\n");
    outputs_.erase(gone);
}

// Ends when the compositor has closed our surfaces or taken their outputs away and none is left.
bool Session::everyOutputClosed() const {
    const bool anyClosed =
        surfaceTaken_ || std::any_of(outputs_.begin(), outputs_.end(), [](const auto& o) { return o->closed(); });
    const bool anyLive = std::any_of(outputs_.begin(), outputs_.end(), [](const auto& o) { return o->live(); });
    return anyClosed && !anyLive;
}

void Session::show() { traceFrame(trace_, core_.frameInfo()); }

bool Session::anyOutputCanShow() const {
    return std::any_of(outputs_.begin(), outputs_.end(), [](const auto& o) { return o->canShow(); });
}

void Session::tick() {
    bool composed = false;
    if (core_.activated()) {
        if (core_.msUntilNextTick() > 0) return;
        // Frames nobody is shown cost nothing: when a tick is due and no
        // output has taken the last frame, the motion waits where it is
        // until a compositor asks for a frame again.
        const bool held = !anyOutputCanShow();
        if (held != held_) traceLine(trace_, held ? "held" : "going on");
        held_ = held;
        if (held_) return;
        composed = core_.advance();
    } else if (std::any_of(outputs_.begin(), outputs_.end(), [](const auto& o) { return o->ready(); })) {
        core_.activate();
        composed = true;
    }
    if (!composed) return;
    panel_ = core_.panel();
    for (auto& output : outputs_) output->markDirty();
    show();
}

int Session::waitMs() { return held_ ? -1 : sleepMs(core_); }

Next Session::update() {
    if (ended_) return Next::End;
    for (auto& output : outputs_) {
        if (output->closeRequested()) return Next::End;
        if (output->wantsSurface()) output->createSurface(globals_);
        output->dropSurfaceIfClosed();
    }
    if (everyOutputClosed()) return Next::End;
    tick();
    if (!core_.activated()) return Next::Go;
    for (auto& output : outputs_)
        if (!output->paintIfDue(panel_, globals_.shm, trace_, error_)) return Next::Fail;
    return Next::Go;
}

}  // namespace morvelux::wayland
