// One frame of the moiré composed two ways in the same process: by our
// compositor (ReDraw on a headless stage) and by GDI (BitBlt between one-bit
// DIB sections selected into memory DCs: SRCCOPY of Layer1, SRCINVERT of
// Layer2 through the panel, SRCCOPY of the title). Times both with
// QueryPerformanceCounter over many frames along the real motion, checks
// that they compose the same pixels, and says how GDI maps colours between
// one-bit bitmaps with different colour tables. GDI is timed a second time
// with WorkBmp given the pictures' own colour table, where no colour has to
// be mapped (the picture is then inverted, so this is for timing only).
//
// Prints key=value lines; exit code 1 when the two disagree on any pixel.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "animation/compositor.h"
#include "gfx/blit.h"
#include "gfx/layout.h"
#include "tools/headless/headless_stage.h"

using namespace morvelux;

namespace {

constexpr int kImageW = kLayerSize.width, kImageH = kLayerSize.height, kPanelW = kPanelSize.width,
              kPanelH = kPanelSize.height, kTitleW = 320, kTitleH = 240;
constexpr Palette2 kPatternPalette{kWhite, kBlack};  // the pictures: 0 = white, 1 = black
constexpr Palette2 kWorkPalette{kBlack, kWhite};     // WorkBmp: 0 = window text, 1 = white
constexpr int kRounds = 7;
constexpr double kRoundSeconds = 0.25;

// --- our side -------------------------------------------------------------

using tools::LayerPosition;

struct Ours : tools::NoiseStage {
    void frame(const LayerPosition& p) {
        view.setImagePos({p.imageLeft, 0});
        state.OffsetX = p.offsetX;
        ReDraw(stage);
    }
};

// --- GDI's side -----------------------------------------------------------

RGBQUAD quad(Rgb c) { return {c.b, c.g, c.r, 0}; }

// A one-bit DIB section, top-down like our bitmaps, selected into a memory DC.
class MonoDib {
public:
    MonoDib(int width, int height, const Palette2& palette) : width_(width), height_(height) {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[2];
        } info{};
        info.header.biSize = sizeof info.header;
        info.header.biWidth = width;
        info.header.biHeight = -height;
        info.header.biPlanes = 1;
        info.header.biBitCount = 1;
        info.header.biCompression = BI_RGB;
        info.header.biClrUsed = 2;
        info.colours[0] = quad(palette[0]);
        info.colours[1] = quad(palette[1]);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<std::uint8_t*>(bits);
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~MonoDib() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    MonoDib(const MonoDib&) = delete;
    MonoDib& operator=(const MonoDib&) = delete;

    bool ok() const { return bitmap_ && bits_ && dc_; }
    HDC dc() const { return dc_; }
    std::size_t stride() const { return static_cast<std::size_t>((width_ + 31) / 32) * 4; }
    std::uint8_t* row(int y) { return bits_ + static_cast<std::size_t>(y) * stride(); }

    void load(const Bitmap1& from) {
        GdiFlush();
        for (int y = 0; y < height_; ++y) std::memcpy(row(y), from.bytes() + y * from.strideBytes(), stride());
    }
    void fillBytes(std::uint8_t value) {
        GdiFlush();
        for (int y = 0; y < height_; ++y) std::memset(row(y), value, stride());
    }

private:
    int width_, height_;
    HBITMAP bitmap_ = nullptr;
    std::uint8_t* bits_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

struct Gdi {
    MonoDib layer1{kImageW, kImageH, kPatternPalette}, layer2{kImageW, kImageH, kPatternPalette};
    MonoDib title{kTitleW, kTitleH, kPatternPalette}, work;

    Gdi(const Ours& ours, const Palette2& workPalette) : work(kImageW, kImageH, workPalette) {
        layer1.load(ours.img1);
        layer2.load(ours.img2);
        title.load(ours.title);
        // WorkBmp's drawing surface: window-text colour on a white brush.
        SetTextColor(work.dc(), RGB(0, 0, 0));
        SetBkColor(work.dc(), RGB(255, 255, 255));
    }
    bool ok() const { return layer1.ok() && layer2.ok() && title.ok() && work.ok(); }

    void frame(const LayerPosition& p) {
        const int left = -p.imageLeft, top = 0;
        BitBlt(work.dc(), 0, 0, kImageW, kImageH, layer1.dc(), 0, 0, SRCCOPY);
        BitBlt(work.dc(), left, top, kPanelW, kPanelH, layer2.dc(), -p.offsetX, 0, SRCINVERT);
        BitBlt(work.dc(), centred(kPanelW, kTitleW) + left, centred(kPanelH, kTitleH) + top, kTitleW, kTitleH,
               title.dc(), 0, 0, SRCCOPY);
        GdiFlush();  // the frame is done only when its batched calls are
    }
};

// --- timing ---------------------------------------------------------------

double seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return static_cast<double>(to.QuadPart - from.QuadPart) / frequency;
}

// Nanoseconds per frame over one round of at least kRoundSeconds.
template <class Composer>
double timeRound(Composer& composer, const std::vector<LayerPosition>& path, std::size_t& next) {
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    long frames = 0;
    do {
        composer.frame(path[next++ % path.size()]);
        ++frames;
        QueryPerformanceCounter(&now);
    } while (seconds(start, now) < kRoundSeconds);
    return seconds(start, now) * 1e9 / static_cast<double>(frames);
}

struct Timing {
    std::vector<double> ns;
    double min() const { return *std::min_element(ns.begin(), ns.end()); }
    double median() const {
        std::vector<double> sorted = ns;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

// --- correctness ----------------------------------------------------------

struct Difference {
    long pixels = 0;
    int x = -1, y = -1, ours = 0, gdi = 0;
};

Difference compare(const Bitmap1& ours, MonoDib& gdi) {
    GdiFlush();
    Difference d;
    for (int y = 0; y < kImageH; ++y)
        for (int x = 0; x < kImageW; ++x) {
            const int g = (gdi.row(y)[x >> 3] >> (7 - (x & 7))) & 1;
            if (g == ours.pixel(x, y)) continue;
            if (d.pixels++ == 0) d = {1, x, y, ours.pixel(x, y), g};
        }
    return d;
}

// What GDI makes of a source pixel of index `sourceIndex` (colour table
// white, black) copied with `rop` onto a WorkBmp of index 0 (window text,
// white): the destination index it ends up as.
int gdiResult(Gdi& gdi, std::uint8_t sourceIndex, DWORD rop) {
    MonoDib source{8, 1, kPatternPalette};
    source.fillBytes(sourceIndex ? 0xFF : 0x00);
    gdi.work.fillBytes(0x00);
    BitBlt(gdi.work.dc(), 0, 0, 8, 1, source.dc(), 0, 0, rop);
    GdiFlush();
    return gdi.work.row(0)[0] >> 7;
}

void reportMapping(Gdi& gdi) {
    // By colour: white (0) -> 1 and black (1) -> 0; by bits: unchanged.
    const int copyWhite = gdiResult(gdi, 0, SRCCOPY), copyBlack = gdiResult(gdi, 1, SRCCOPY);
    const int xorWhite = gdiResult(gdi, 0, SRCINVERT), xorBlack = gdiResult(gdi, 1, SRCINVERT);
    const bool byColour = copyWhite == 1 && copyBlack == 0 && xorWhite == 1 && xorBlack == 0;
    const bool byBits = copyWhite == 0 && copyBlack == 1 && xorWhite == 0 && xorBlack == 1;
    std::printf("gdi_mapping=%s srccopy_white=%d srccopy_black=%d srcinvert_white=%d srcinvert_black=%d\n",
                byColour ? "colour" : byBits ? "bits" : "other", copyWhite, copyBlack, xorWhite, xorBlack);
}

}  // namespace

int main() {
    Ours ours;
    Gdi gdi(ours, kWorkPalette), gdiSameTable(ours, kPatternPalette);
    if (!gdi.ok() || !gdiSameTable.ok()) {
        std::printf("error=gdi-setup\n");
        return 2;
    }
    reportMapping(gdi);

    // Same pixels: a spread of positions along both legs and the turns.
    long checked = 0, differing = 0;
    Difference first;
    for (std::size_t i = 0; i < ours.path.size(); i += 37) {
        for (std::size_t at : {i, std::min(i + 1, ours.path.size() - 1)}) {
            ours.frame(ours.path[at]);
            gdi.frame(ours.path[at]);
            const Difference d = compare(ours.state.WorkBmp, gdi.work);
            ++checked;
            if (d.pixels == 0) continue;
            if (differing++ == 0) first = d;
        }
    }
    std::printf("frames_checked=%ld frames_differing=%ld", checked, differing);
    if (differing)
        std::printf(" first_difference=%d,%d pixels=%ld ours=%d gdi=%d", first.x, first.y, first.pixels, first.ours,
                    first.gdi);
    std::printf("\n");

    Timing oursTime, gdiTime, sameTableTime;
    std::size_t nextOurs = 0, nextGdi = 0, nextSameTable = 0;
    for (int round = 0; round < kRounds; ++round) {  // interleaved, so load on the machine hits all alike
        oursTime.ns.push_back(timeRound(ours, ours.path, nextOurs));
        gdiTime.ns.push_back(timeRound(gdi, ours.path, nextGdi));
        sameTableTime.ns.push_back(timeRound(gdiSameTable, ours.path, nextSameTable));
    }
    std::printf("ours_ns_min=%.0f ours_ns_median=%.0f\n", oursTime.min(), oursTime.median());
    std::printf("gdi_ns_min=%.0f gdi_ns_median=%.0f\n", gdiTime.min(), gdiTime.median());
    std::printf("gdi_same_table_ns_min=%.0f gdi_same_table_ns_median=%.0f\n", sameTableTime.min(),
                sameTableTime.median());
    std::printf("ratio_min=%.1f ratio_median=%.1f\n", gdiTime.min() / oursTime.min(),
                gdiTime.median() / oursTime.median());
    return differing ? 1 : 0;
}
