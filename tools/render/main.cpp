// morvelux-render: writes one composed frame of the moiré as a PNG.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "animation/images/pictures.h"
#include "tools/headless/headless_saver.h"
#include "tools/headless/png_file.h"
#include "tools/render/render_options.h"

namespace {

using namespace morvelux;

constexpr const char* kUsage =
    "usage: morvelux-render [--image-left L --offset X | --ticks N] [--title] [--out FILE]\n"
    "  --image-left L   display image's left edge in the panel (default: as after the layer reset)\n"
    "  --offset X       Layer2's OffsetX (default 0)\n"
    "  --ticks N        run N motion steps from the layer reset instead\n"
    "  --title          lay the title card over, as in the first seconds\n"
    "  --out FILE       the PNG to write (default moire.png)\n";

std::optional<Bitmap1> picture(PictureId id, const char* name) {
    auto bitmap = loadBitmap1(id);
    if (!bitmap) std::fprintf(stderr, "morvelux-render: the embedded %s picture does not decode\n", name);
    return bitmap;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = tools::parseRenderOptions(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const auto img1 = picture(PictureId::Img1, "Img1");
    const auto img2 = picture(PictureId::Img2, "Img2");
    const auto title = picture(PictureId::Title, "title");
    if (!img1 || !img2 || !title) return 1;

    tools::HeadlessSaver saver(*img1, *img2, *title);
    if (options->ticks) {
        saver.advance(*options->ticks);
    } else {
        tools::LayerPosition at = saver.position();
        if (options->imageLeft) at.imageLeft = *options->imageLeft;
        if (options->offsetX) at.offsetX = *options->offsetX;
        saver.placeAt(at);
    }
    const Bitmap1 panel = saver.composePanel(options->title);
    if (!tools::writePng(options->out, panel)) {
        std::fprintf(stderr, "morvelux-render: cannot write %s\n", options->out.c_str());
        return 1;
    }
    const tools::LayerPosition at = saver.position();
    std::printf("L=%d OffsetX=%d -> %s\n", at.imageLeft, at.offsetX, options->out.c_str());
    return 0;
}
