#include "x11/panel_image.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <span>

#include "x11/bit_layout.h"
#include "x11/x_errors.h"

namespace morvelux::x11 {

namespace {

// Xlib converts a plain image to the server's bit order on the way, so it
// can point straight at the panel's rows.
class PlainImage : public PanelImage {
public:
    PlainImage(Display* display, int width, int height) : display_(display) {
        image_.width = width;
        image_.height = height;
        image_.format = XYBitmap;
        image_.byte_order = MSBFirst;
        image_.bitmap_unit = 8;
        image_.bitmap_bit_order = MSBFirst;
        image_.bitmap_pad = 8;
        image_.depth = 1;
        image_.bits_per_pixel = 1;
        image_.bytes_per_line = (width + 7) / 8;
        XInitImage(&image_);
    }

    bool shared() const override { return false; }

    void put(Drawable drawable, GC gc, const PanelBits& bits, const PanelLayout& layout) override {
        if (layout.shown.empty()) return;
        image_.data = const_cast<char*>(reinterpret_cast<const char*>(bits.bytes));
        image_.bytes_per_line = static_cast<int>(bits.stride);
        XPutImage(display_, drawable, gc, &image_, layout.fromX, layout.fromY, layout.shown.left, layout.shown.top,
                  static_cast<unsigned>(layout.shown.width), static_cast<unsigned>(layout.shown.height));
        image_.data = nullptr;
    }

private:
    Display* display_;
    XImage image_{};
};

// The server reads the segment itself, in its own bit order; each frame is
// converted into it. The server says when it has read a put; by the next
// frame it normally has, so the loop never waits. Only when it has not (a
// busy server, or a put that failed and never completes) does the next put
// wait for the server to catch up, with a round trip that always ends.
class SharedImage : public PanelImage {
public:
    SharedImage(Display* display, XImage* image, XShmSegmentInfo info)
        : display_(display), image_(image), info_(info),
          layout_{image->bitmap_unit, image->bitmap_bit_order == LSBFirst, image->byte_order == LSBFirst},
          completion_(XShmGetEventBase(display) + ShmCompletion) {
        image_->obdata = reinterpret_cast<char*>(&info_);  // XShmPutImage finds the segment there
    }

    ~SharedImage() override {
        XShmDetach(display_, &info_);
        XSync(display_, False);
        image_->data = nullptr;
        XDestroyImage(image_);
        shmdt(info_.shmaddr);
    }

    static std::unique_ptr<PanelImage> create(Display* display, int width, int height);

    bool shared() const override { return true; }

    void seen(const XEvent& event) override {
        if (event.type == completion_ && reinterpret_cast<const XShmCompletionEvent&>(event).shmseg == info_.shmseg)
            reading_ = false;
    }

    void put(Drawable drawable, GC gc, const PanelBits& bits, const PanelLayout& layout) override {
        if (layout.shown.empty()) return;
        if (reading_) XSync(display_, False);
        reading_ = false;
        auto* out = reinterpret_cast<std::uint8_t*>(image_->data);
        const auto outStride = static_cast<std::size_t>(image_->bytes_per_line);
        for (int y = 0; y < bits.height && y < image_->height; ++y)
            convertRow({bits.bytes + static_cast<std::size_t>(y) * bits.stride, bits.stride},
                       {out + static_cast<std::size_t>(y) * outStride, outStride}, layout_);
        XShmPutImage(display_, drawable, gc, image_, layout.fromX, layout.fromY, layout.shown.left, layout.shown.top,
                     static_cast<unsigned>(layout.shown.width), static_cast<unsigned>(layout.shown.height), True);
        reading_ = true;
    }

private:
    Display* display_;
    XImage* image_;
    XShmSegmentInfo info_;
    BitLayout layout_;
    int completion_;
    bool reading_ = false;  // a put was sent and its completion not yet seen
};

// Attaching can fail even where the extension is offered (a server on
// another machine cannot see our memory): that error is taken here.
bool attached(Display* display, XShmSegmentInfo& info) {
    XErrorSeen ignored;
    takeXError(ignored);
    const bool sent = XShmAttach(display, &info);
    XSync(display, False);
    return !takeXError(ignored) && sent;
}

std::unique_ptr<PanelImage> SharedImage::create(Display* display, int width, int height) {
    if (!XShmQueryExtension(display)) return nullptr;
    XShmSegmentInfo info{};
    XImage* image = XShmCreateImage(display, DefaultVisual(display, DefaultScreen(display)), 1, XYBitmap, nullptr,
                                    &info, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!image) return nullptr;
    const BitLayout layout{image->bitmap_unit, image->bitmap_bit_order == LSBFirst, image->byte_order == LSBFirst};
    const auto bytes = static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(height);
    info.shmid = supported(layout) ? shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600) : -1;
    void* memory = info.shmid >= 0 ? shmat(info.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
    if (memory == reinterpret_cast<void*>(-1)) {
        if (info.shmid >= 0) shmctl(info.shmid, IPC_RMID, nullptr);
        XDestroyImage(image);
        return nullptr;
    }
    info.shmaddr = image->data = static_cast<char*>(memory);
    info.readOnly = True;
    const bool ok = attached(display, info);
    shmctl(info.shmid, IPC_RMID, nullptr);  // freed once both sides let go, even if we crash
    if (!ok) {
        image->data = nullptr;
        XDestroyImage(image);
        shmdt(memory);
        return nullptr;
    }
    return std::make_unique<SharedImage>(display, image, info);
}

}  // namespace

std::unique_ptr<PanelImage> PanelImage::create(Display* display, int width, int height) {
    if (auto image = SharedImage::create(display, width, height)) return image;
    return std::make_unique<PlainImage>(display, width, height);
}

}  // namespace morvelux::x11
