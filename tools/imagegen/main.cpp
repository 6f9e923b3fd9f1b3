// morvelux-imagegen: makes the four embedded pictures.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/bmp.h"
#include "tools/imagegen/preview_sample.h"
#include "tools/imagegen/title_card.h"
#include "tools/pattern/band_pattern.h"

namespace {

using namespace morvelux;

constexpr const char* kUsage =
    "usage: morvelux-imagegen [--out DIR] [img1|img2|title|sample ...]\n"
    "  writes the named pictures (default: all four) as DIR/NAME.bmp (default DIR: .)\n";

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) std::cerr << "morvelux-imagegen: cannot write " << path << '\n';
    return static_cast<bool>(out);
}

bool wanted(const std::vector<std::string_view>& names, std::string_view name) {
    if (names.empty()) return true;
    for (auto n : names)
        if (n == name) return true;
    return false;
}

double blackShare(const Bitmap1& b) {
    long black = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) black += b.pixel(x, y);
    return 100.0 * static_cast<double>(black) / (static_cast<double>(b.width()) * b.height());
}

bool writeOneBit(const std::string& dir, std::string_view name, const Bitmap1& picture) {
    std::printf("%s.bmp: %dx%d, %.2f %% black\n", std::string(name).c_str(), picture.width(), picture.height(),
                blackShare(picture));
    return writeFile(dir + "/" + std::string(name) + ".bmp", writeBmp(fromBitmap1(picture)));
}

int run(const std::string& dir, const std::vector<std::string_view>& names) {
    const Bitmap1 img1 = pattern::generate(pattern::kImg1Layout);
    const Bitmap1 img2 = pattern::generate(pattern::kImg2Layout);
    const Bitmap1 title = tools::makeTitleCard(std::cout);
    bool ok = true;
    if (wanted(names, "img1")) ok = writeOneBit(dir, "img1", img1) && ok;
    if (wanted(names, "img2")) ok = writeOneBit(dir, "img2", img2) && ok;
    if (wanted(names, "title")) ok = writeOneBit(dir, "title", title) && ok;
    if (wanted(names, "sample")) {
        std::printf("sample.bmp: %dx%d, %d greys\n", tools::kSampleWidth, tools::kSampleHeight, tools::kSampleGreys);
        ok = writeFile(dir + "/sample.bmp", writeBmp(tools::makePreviewSample(img1, img2, title))) && ok;
    }
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = ".";
    std::vector<std::string_view> names;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--out" && i + 1 < argc) {
            dir = argv[++i];
        } else if (arg == "img1" || arg == "img2" || arg == "title" || arg == "sample") {
            names.push_back(arg);
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    try {
        return run(dir, names);
    } catch (const std::exception& e) {
        std::cerr << "morvelux-imagegen: " << e.what() << '\n';
        return 1;
    }
}
