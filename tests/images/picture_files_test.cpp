#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>

#include "gfx/bmp.h"
#include "animation/images/pictures.h"
#include "tests/images/committed_files.h"

namespace morvelux::testing {
namespace {

struct FileLayout {
    const char* name;
    PictureId id;
    int width, height, bitsPerPixel, colours;
    std::uint32_t pixelsAt, fileSize;
};

void PrintTo(const FileLayout& f, std::ostream* os) { *os << f.name; }

constexpr std::array<FileLayout, 4> kFiles{{
    {"img1", PictureId::Img1, 1600, 768, 1, 2, 62, 153662},
    {"img2", PictureId::Img2, 1600, 768, 1, 2, 62, 153662},
    {"title", PictureId::Title, 320, 240, 1, 2, 62, 9662},
    {"sample", PictureId::Sample, 210, 156, 8, 234, 990, 34062},
}};

std::uint32_t u32(std::span<const std::uint8_t> d, std::size_t at) {
    return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | static_cast<std::uint32_t>(d[at + 3]) << 24;
}
std::uint16_t u16(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint16_t>(d[at] | d[at + 1] << 8);
}

std::array<std::uint8_t, 4> tableEntry(std::span<const std::uint8_t> d, int i) {
    const std::size_t at = 54 + static_cast<std::size_t>(i) * 4;
    return {d[at], d[at + 1], d[at + 2], d[at + 3]};
}

double blackShare(const Bitmap1& b) {
    long black = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) black += b.pixel(x, y);
    return static_cast<double>(black) / (static_cast<double>(b.width()) * b.height());
}

Bitmap1 committedBitmap(const char* name) {
    const auto dib = readDib(committedFile(name));
    if (!dib) return {};
    return toBitmap1(*dib).value_or(Bitmap1{});
}

class PictureFile : public ::testing::TestWithParam<FileLayout> {};

TEST_P(PictureFile, HeadersDescribeTheLayout) {
    const FileLayout f = GetParam();
    const auto d = committedFile(f.name);
    ASSERT_EQ(d.size(), f.fileSize);
    EXPECT_EQ(d[0], 'B');
    EXPECT_EQ(d[1], 'M');
    EXPECT_EQ(u32(d, 2), f.fileSize);
    EXPECT_EQ(u32(d, 6), 0u);  // both reserved words
    EXPECT_EQ(u32(d, 10), f.pixelsAt);
    EXPECT_EQ(u32(d, 14), 40u);
    EXPECT_EQ(static_cast<std::int32_t>(u32(d, 18)), f.width);
    EXPECT_EQ(static_cast<std::int32_t>(u32(d, 22)), f.height);  // positive: bottom-up rows
    EXPECT_EQ(u16(d, 26), 1);
    EXPECT_EQ(u16(d, 28), f.bitsPerPixel);
    EXPECT_EQ(u32(d, 30), 0u);
    const std::uint32_t stride = (static_cast<std::uint32_t>(f.width * f.bitsPerPixel) + 31) / 32 * 4;
    EXPECT_EQ(u32(d, 34), stride * static_cast<std::uint32_t>(f.height));
    EXPECT_EQ(u32(d, 46), static_cast<std::uint32_t>(f.colours));
    EXPECT_EQ(54u + 4u * static_cast<std::uint32_t>(f.colours), f.pixelsAt);  // the table ends where the rows begin
}

TEST_P(PictureFile, ColourTableRunsFromWhiteToDarkerGreys) {
    const FileLayout f = GetParam();
    const auto d = committedFile(f.name);
    ASSERT_EQ(d.size(), f.fileSize);
    EXPECT_EQ(tableEntry(d, 0), (std::array<std::uint8_t, 4>{255, 255, 255, 0}));
    for (int i = 1; i < f.colours; ++i) {
        const auto e = tableEntry(d, i), previous = tableEntry(d, i - 1);
        EXPECT_TRUE(e[0] == e[1] && e[1] == e[2] && e[3] == 0) << "entry " << i;
        EXPECT_LT(e[0], previous[0]) << "entry " << i;
    }
    if (f.colours == 2) {
        EXPECT_EQ(tableEntry(d, 1), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    }
}

TEST_P(PictureFile, EmbeddedPictureDecodesAsTheFile) {
    const FileLayout f = GetParam();
    const auto embedded = loadPicture(f.id);
    const auto committed = readDib(committedFile(f.name));
    ASSERT_TRUE(embedded.has_value());
    ASSERT_TRUE(committed.has_value());
    EXPECT_EQ(embedded->width, f.width);
    EXPECT_EQ(embedded->height, f.height);
    EXPECT_EQ(embedded->bitsPerPixel, f.bitsPerPixel);
    EXPECT_EQ(embedded->palette.size(), static_cast<std::size_t>(f.colours));
    EXPECT_TRUE(embedded->palette == committed->palette);
    EXPECT_TRUE(embedded->rows == committed->rows);
}

INSTANTIATE_TEST_SUITE_P(Committed, PictureFile, ::testing::ValuesIn(kFiles),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(EmbeddedPictures, OneBitPicturesLoadAsBitmapsWithThePatternColours) {
    for (PictureId id : {PictureId::Img1, PictureId::Img2, PictureId::Title}) {
        const auto bitmap = loadBitmap1(id);
        ASSERT_TRUE(bitmap.has_value());
        EXPECT_EQ(bitmap->palette(), (Palette2{kWhite, kBlack}));
    }
    EXPECT_FALSE(loadBitmap1(PictureId::Sample).has_value());  // eight bits: no one-bit bitmap
}

TEST(EmbeddedPictures, LayersShareTheirSizeAndTheTitleFitsThePanel) {
    const auto img1 = loadBitmap1(PictureId::Img1), img2 = loadBitmap1(PictureId::Img2);
    const auto title = loadBitmap1(PictureId::Title);
    ASSERT_TRUE(img1 && img2 && title);
    EXPECT_EQ(img1->width(), 1600);
    EXPECT_EQ(img1->height(), 768);
    EXPECT_EQ(img2->width(), img1->width());
    EXPECT_EQ(img2->height(), img1->height());
    EXPECT_LE(title->width(), 1024);
    EXPECT_LE(title->height(), 768);
}

TEST(PatternPictures, AboutHalfOfEachLayerIsBlack) {
    for (const char* name : {"img1", "img2"}) {
        const double share = blackShare(committedBitmap(name));
        EXPECT_GT(share, 0.45) << name;
        EXPECT_LT(share, 0.55) << name;
    }
}

TEST(TitleCard, AboutOneTwelfthIsBlack) {
    const double share = blackShare(committedBitmap("title"));
    EXPECT_GT(share, 0.06);
    EXPECT_LT(share, 0.11);
}

// The five lines of lettering: name (two lines), version, author, address.
constexpr std::array<Rect, 5> kTitleBoxes{{
    Rect::fromEdges(22, 47, 232, 73), Rect::fromEdges(64, 91, 288, 117), Rect::fromEdges(191, 128, 285, 138),
    Rect::fromEdges(51, 160, 275, 179), Rect::fromEdges(63, 213, 262, 230)}};

TEST(TitleCard, LetteringStaysInItsFiveLinesAndFillsEach) {
    const Bitmap1 title = committedBitmap("title");
    ASSERT_EQ(title.width(), 320);
    std::array<int, 5> inkPerBox{};
    int stray = 0;
    for (int y = 0; y < title.height(); ++y)
        for (int x = 0; x < title.width(); ++x) {
            if (!title.pixel(x, y)) continue;
            bool inside = false;
            for (std::size_t i = 0; i < kTitleBoxes.size(); ++i) {
                const Rect& b = kTitleBoxes[i];
                if (b.contains(x, y)) {
                    ++inkPerBox[i];
                    inside = true;
                }
            }
            if (!inside) ++stray;
        }
    EXPECT_EQ(stray, 0);
    for (std::size_t i = 0; i < kTitleBoxes.size(); ++i) EXPECT_GT(inkPerBox[i], 100) << "line " << i;
}

TEST(PreviewSample, UsesTheGreyRangeAndRowPaddingIsZero) {
    const auto d = committedFile("sample");
    ASSERT_EQ(d.size(), 34062u);
    int darkest = 0, lightest = 255;
    for (int row = 0; row < 156; ++row) {
        const std::size_t at = 990 + static_cast<std::size_t>(row) * 212;
        for (int x = 0; x < 210; ++x) {
            darkest = std::max<int>(darkest, d[at + x]);
            lightest = std::min<int>(lightest, d[at + x]);
        }
        EXPECT_EQ(d[at + 210], 0);
        EXPECT_EQ(d[at + 211], 0);
    }
    EXPECT_LT(lightest, 20);
    EXPECT_GE(darkest, 200);
    EXPECT_LT(darkest, 234);
}

}  // namespace
}  // namespace morvelux::testing
