// A job composed by the library, read back by the program's document.
#include "ScriptedSession.h"

#include <kalyxdocument/KlxPrnHolder.h>
#include <kalyxcomms/Printer.h>

#include <gtest/gtest.h>

using namespace Orvane;
using kalyxtest::ScriptedSession;

namespace {

constexpr int kWidth = 506;
constexpr int kHeight = 12;

std::vector<unsigned char> pattern(int seed) {
    std::vector<unsigned char> plane(kWidth * kHeight);
    for (std::size_t i = 0; i < plane.size(); ++i)
        plane[i] = static_cast<unsigned char>((i * (seed + 3) + seed * 41) % 256);
    return plane;
}

} // namespace

TEST(ComposedJob, LoadsAsValidWithThePicturesItsPlanesDescribe) {
    PrintOptions options;
    options.cardOptions = {{"width", std::to_string(kWidth)},
                           {"height", std::to_string(kHeight)},
                           {"image-format", "orvane"}};
    ImageData images;
    for (int side = 0; side < 2; ++side) {
        options.sides[side].emplace();
        for (int panel = 0; panel < 4; ++panel) {
            (*options.sides[side])[panel] = OptionMap{{"x-density", "300"}};
            images.planes[side][panel] = pattern(side * 4 + panel);
        }
        (*options.sides[side])[PanelO] = OptionMap{{"watermark-index", "2"}};
    }
    // Black only where the pattern happens to be zero, so colour pixels are checked as well.
    for (int side = 0; side < 2; ++side)
        for (auto& k : images.planes[side][PanelK])
            k = k < 200 ? 0 : k;

    Printer printer(std::make_unique<ScriptedSession>());
    std::vector<unsigned char> job;
    ASSERT_TRUE(printer.printCardToMem(options, images, {}, job));

    const QByteArray bytes(reinterpret_cast<const char*>(job.data()), static_cast<int>(job.size()));
    auto holder = KlxPrnHolder::fromBytes(bytes);
    ASSERT_TRUE(holder);
    ASSERT_TRUE(holder->isValid()) << holder->loadError().toStdString();
    EXPECT_TRUE(holder->checksumMatches());
    EXPECT_FALSE(holder->hasMagData());

    for (int side = 0; side < 2; ++side) {
        const QImage image = holder->sideImage(side);
        ASSERT_EQ(image.width(), kWidth);
        ASSERT_EQ(image.height(), kHeight);
        const auto& p = images.planes[side];
        int mismatches = 0;
        for (int x = 0; x < kWidth; ++x) {
            for (int y = 0; y < kHeight; ++y) {
                const std::size_t pos = static_cast<std::size_t>(x) * kHeight + y;
                const int k = p[PanelK][pos];
                const QRgb expected =
                    k ? qRgb(255 - k, 255 - k, 255 - k)
                      : qRgb(255 - p[PanelC][pos], 255 - p[PanelM][pos], 255 - p[PanelY][pos]);
                mismatches += image.pixel(x, y) != expected;
            }
        }
        EXPECT_EQ(mismatches, 0) << "side " << side;
    }
}
