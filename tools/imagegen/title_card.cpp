#include "tools/imagegen/title_card.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <cmath>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tools/imagegen/text_ink.h"

namespace morvelux::tools {

namespace {

constexpr const char* kSerifBold = "/usr/share/fonts/truetype/liberation/LiberationSerif-Bold.ttf";
constexpr const char* kSerif = "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf";
// The narrow cut: hinted at a 10 px cap height its i-dot stays on the cap line.
constexpr const char* kSansBold = "/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Bold.ttf";

#ifndef MORVELUX_CARD_VERSION
#error "MORVELUX_CARD_VERSION: the project's version, set by the build"
#endif

enum class Align { Left, Right, Centre };
enum class WidthFit {
    Narrow,  // letters narrowed or widened, then up to 1.5 px spacing, until the line fills its box
    Spread,  // letters keep a set width (xScale); the spacing fills the box
};

struct TitleLine {
    std::string_view text;
    Rect box;                     // where the ink should go
    const char* font;
    std::string_view reference;   // letters whose height sets the size
    int referenceHeight;          // their height in pixels, from the baseline up
    Align align;
    WidthFit fit;
    double xScale;                // letter width against height, for Spread
    bool hinted;                  // grid-fitted one-bit glyphs: crisp small text
    std::uint8_t threshold;       // else outlines cut at this coverage: fuller large letters
};

constexpr std::array<TitleLine, 5> kLines{{
    {"MORVELUX", {22, 47, 210, 26}, kSerifBold, "MRVELX", 26, Align::Left, WidthFit::Narrow, 1.0, false, 112},
    {"SCREEN SAVER", {64, 91, 224, 26}, kSerifBold, "SCRENAV", 26, Align::Left, WidthFit::Narrow, 1.0, false, 112},
    {"Version " MORVELUX_CARD_VERSION, {191, 128, 94, 10}, kSansBold, "V", 10, Align::Right, WidthFit::Narrow, 1.0, true, 128},
    {"Copyright (C) 2004 Valdrenn", {51, 160, 224, 19}, kSerifBold, "dhl", 15, Align::Centre, WidthFit::Narrow, 1.0,
     false, 112},
    {"http://www.valdrenn.example/", {63, 213, 199, 17}, kSerif, "hdl", 12, Align::Centre, WidthFit::Spread, 0.7,
     true, 128},
}};

constexpr double kStep = 1.0 / 16;  // pixels per em

class LineFitter {
public:
    LineFitter(Typesetter& typesetter, const TitleLine& line) : typesetter_(typesetter), line_(line) {
        style_.fontFile = line.font;
        style_.hinted = line.hinted;
    }

    // The line's ink, and how far above its baseline the reference letters reach.
    TextInk fit(int& referenceTop) {
        style_.yPpem = style_.xPpem = line_.referenceHeight * 1.5;
        for (int pass = 0; pass < 3; ++pass) {
            fitHeight();
            fitWidth();
        }
        const TextInk reference = render(line_.reference);
        referenceTop = reference.baseline - reference.ink.top;
        return render(line_.text);
    }

    const TextStyle& style() const { return style_; }

private:
    TextInk render(std::string_view text) { return typesetter_.render(style_, text, line_.threshold); }
    int width() { return render(line_.text).ink.width; }

    // Hinting makes heights jump and an unhinted outline's rows depend on
    // where it sits between pixel edges: of the lifts that place the whole
    // line inside the box's rows, the first that gives the reference letters
    // their height, at the middle of the sizes that do.
    void fitHeight() {
        const double xScale = style_.xPpem / style_.yPpem;
        const double lifts = line_.hinted ? kStep : 1.0;
        SizeFit best;
        double bestRise = 0;
        for (double rise = 0; rise < lifts && best.miss > 0; rise += kStep) {
            style_.rise = rise;
            if (const SizeFit fit = nearestSize(xScale); fit.miss < best.miss) {
                best = fit;
                bestRise = rise;
            }
        }
        style_.rise = bestRise;
        style_.yPpem = best.yPpem;
        style_.xPpem = best.yPpem * xScale;
    }

    struct SizeFit {
        double yPpem = 0;
        int miss = INT_MAX;  // pixels between the reference letters' height and theirs
    };

    // The middle of the first run of sizes that keep the line inside the box's
    // rows with the reference letters nearest to their height.
    SizeFit nearestSize(double xScale) {
        double first = 0, last = 0;
        int nearest = INT_MAX;
        for (double y = 4; y < 120; y += kStep) {
            style_.yPpem = y;
            style_.xPpem = y * xScale;
            const TextInk reference = render(line_.reference);
            const int h = reference.ink.height;
            if (h > line_.referenceHeight + 2) break;
            if (!fitsRows(reference)) continue;
            const int miss = std::abs(h - line_.referenceHeight);
            if (miss < nearest) {
                nearest = miss;
                first = last = y;
            } else if (miss == nearest && last == y - kStep) {
                last = y;
            }
        }
        return {(first + last) / 2, nearest};
    }

    // With the reference letters' tops on the box's top edge, no ink above
    // it and none below its bottom edge.
    bool fitsRows(const TextInk& reference) {
        const TextInk text = render(line_.text);
        const int referenceTop = reference.baseline - reference.ink.top;
        return text.baseline - text.ink.top <= referenceTop &&
               referenceTop + text.ink.bottom() - text.baseline <= line_.box.height;
    }

    // The widest setting that still fits the box: narrowed letters with a
    // fraction of a pixel of spacing, or letters of a set width spaced out.
    void fitWidth() {
        if (line_.fit == WidthFit::Narrow) {
            style_.tracking = 0;
            style_.xPpem = widest(style_.yPpem * 0.5, style_.yPpem * 1.5, style_.xPpem);
            style_.tracking = widest(0, 1.5, style_.tracking);
        } else {
            style_.xPpem = style_.yPpem * line_.xScale;
            style_.tracking = widest(-4, 12, style_.tracking);
        }
    }

    // Of the values of `field` from `from` to `to`, the largest that keeps the line in its box.
    double widest(double from, double to, double& field) {
        double best = from;
        for (double v = from; v < to; v += kStep) {
            field = v;
            if (width() <= line_.box.width) best = v;
        }
        return best;
    }

    Typesetter& typesetter_;
    const TitleLine& line_;
    TextStyle style_;
};

// Where the line's ink starts in the card, by its alignment in the box.
int inkLeft(const TitleLine& line, int inkWidth) {
    switch (line.align) {
        case Align::Left: return line.box.left;
        case Align::Right: return line.box.right() - inkWidth;
        case Align::Centre: break;
    }
    return line.box.left + static_cast<int>(std::lround((line.box.width - inkWidth) / 2.0));
}

// Puts the reference letters' tops on the box's top edge.
Rect stamp(Bitmap1& card, const TitleLine& line, const TextInk& text, int referenceTop) {
    const int dx = inkLeft(line, text.ink.width) - text.ink.left;
    const int dy = line.box.top + referenceTop - text.baseline;
    for (int y = 0; y < text.coverage.height; ++y)
        for (int x = 0; x < text.coverage.width; ++x)
            if (text.coverage.at(x, y) >= line.threshold && x + dx >= 0 && x + dx < card.width() && y + dy >= 0 &&
                y + dy < card.height())
                card.setPixel(x + dx, y + dy, 1);
    return {text.ink.left + dx, text.ink.top + dy, text.ink.width, text.ink.height};
}

bool inside(Rect ink, Rect box) {
    return ink.left >= box.left && ink.top >= box.top && ink.right() <= box.right() && ink.bottom() <= box.bottom();
}

void describe(std::ostream& report, const TitleLine& line, const TextStyle& style, Rect ink) {
    report << '"' << line.text << "\": ppem " << style.xPpem << " x " << style.yPpem << ", tracking " << style.tracking << ", rise " << style.rise
           << "; ink " << ink.left << ".." << ink.right() - 1 << " x " << ink.top << ".." << ink.bottom() - 1
           << " (box " << line.box.left << ".." << line.box.right() - 1 << " x " << line.box.top << ".."
           << line.box.bottom() - 1 << ")\n";
}

}  // namespace

Bitmap1 makeTitleCard(std::ostream& report) {
    Bitmap1 card(kTitleWidth, kTitleHeight, {kWhite, kBlack});
    Typesetter typesetter;
    for (const TitleLine& line : kLines) {
        LineFitter fitter(typesetter, line);
        int referenceTop = 0;
        const TextInk text = fitter.fit(referenceTop);
        const Rect ink = stamp(card, line, text, referenceTop);
        describe(report, line, fitter.style(), ink);
        if (!inside(ink, line.box)) throw std::runtime_error('"' + std::string(line.text) + "\" leaves its box");
    }
    return card;
}

}  // namespace morvelux::tools
