#pragma once
// A buffer of 32-bit pixels in shared memory that the compositor reads.
// New buffers are black. Busy from attach until the compositor releases it.
#include <wayland-client.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace morvelux::wayland {

class ShmBuffer {
public:
    // Nothing, with `error` set, when the memory cannot be had.
    static std::unique_ptr<ShmBuffer> create(wl_shm* shm, int width, int height, std::string& error);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    std::uint32_t* pixels() { return pixels_; }
    std::size_t stride() const { return static_cast<std::size_t>(width_); }  // in pixels
    bool busy() const { return busy_; }

    // Attaches it to `surface`; it stays busy until the compositor lets go.
    void attachTo(wl_surface* surface);

private:
    ShmBuffer(wl_buffer* buffer, std::uint32_t* pixels, std::size_t bytes, int width);
    static void released(void* data, wl_buffer* buffer);

    wl_buffer* buffer_;
    std::uint32_t* pixels_;
    std::size_t bytes_;
    int width_;
    bool busy_ = false;
};

}  // namespace morvelux::wayland
