#include "wayland/shm_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace morvelux::wayland {

namespace {

// A file of `bytes` zeros in memory only, gone once both sides close it.
int anonymousFile(std::size_t bytes) {
    const int fd = memfd_create("morvelux", MFD_CLOEXEC);
    if (fd < 0) return -1;
    int result;
    do result = ftruncate(fd, static_cast<off_t>(bytes));
    while (result < 0 && errno == EINTR);
    if (result < 0) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::unique_ptr<ShmBuffer> ShmBuffer::create(wl_shm* shm, int width, int height, std::string& error) {
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u;
    const int fd = anonymousFile(bytes);
    void* memory = fd >= 0 ? mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
    if (memory == MAP_FAILED) {
        error = std::string("no shared memory for a buffer: ") + std::strerror(errno);
        if (fd >= 0) close(fd);
        return nullptr;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes));
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return std::unique_ptr<ShmBuffer>(new ShmBuffer(buffer, static_cast<std::uint32_t*>(memory), bytes, width));
}

ShmBuffer::ShmBuffer(wl_buffer* buffer, std::uint32_t* pixels, std::size_t bytes, int width)
    : buffer_(buffer), pixels_(pixels), bytes_(bytes), width_(width) {
    static const wl_buffer_listener listener = {.release = &ShmBuffer::released};
    wl_buffer_add_listener(buffer_, &listener, this);
}

ShmBuffer::~ShmBuffer() {
    wl_buffer_destroy(buffer_);
    munmap(pixels_, bytes_);
}

void ShmBuffer::released(void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->busy_ = false; }

void ShmBuffer::attachTo(wl_surface* surface) {
    wl_surface_attach(surface, buffer_, 0, 0);
    busy_ = true;
}

}  // namespace morvelux::wayland
