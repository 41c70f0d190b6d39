#include "SideDecoder.h"
#include "TestJobs.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>

namespace {

constexpr QRgb white = 0xFFFFFFFFu;
constexpr QRgb yellow = 0xFFFFFF00u;
constexpr QRgb black = 0xFF000000u;

// The pixel rule as plainly as it can be written: every rectangle list walked for every dot.
QImage referenceDecode(const SideDecodeInput& in) {
    const std::uint32_t W = in.width, H = in.height;
    QImage image(int(W), int(H), QImage::Format_ARGB32);
    auto inside = [](const PanelRect& r, std::uint32_t x, std::uint32_t y) {
        return x >= std::uint32_t(r.x) && x <= std::uint32_t(r.x) + std::uint32_t(r.width) &&
               y >= std::uint32_t(r.y) && y <= std::uint32_t(r.y) + std::uint32_t(r.height);
    };
    for (std::uint32_t y = 0; y < H; ++y) {
        for (std::uint32_t x = 0; x < W; ++x) {
            if (in.hasPatch && x >= in.patchX && x <= std::uint32_t(in.patchX + in.patchWidth) &&
                y >= in.patchY && y <= std::uint32_t(in.patchY + in.patchHeight)) {
                reinterpret_cast<QRgb*>(image.scanLine(int(y)))[x] = white;
                continue;
            }
            unsigned v[4];
            for (int p = 0; p < 4; ++p) {
                const unsigned char* plane = in.planes[p];
                unsigned value = 0;
                if (plane)
                    value = in.doubleDensity[p]
                                ? (plane[2 * x * H + y] + plane[(2 * x + 1) * H + y]) / 2
                                : plane[x * H + y];
                if (!in.areas[p].empty()) {
                    bool any = false;
                    for (const PanelRect& r : in.areas[p])
                        any = any || inside(r, x, y);
                    if (!any)
                        value = 0;
                }
                for (const PanelRect& r : in.holes[p])
                    if (inside(r, x, y))
                        value = 0;
                v[p] = value;
            }
            const QRgb pixel = v[3] ? qRgb(255 - v[3], 255 - v[3], 255 - v[3])
                                    : qRgb(255 - v[2], 255 - v[1], 255 - v[0]);
            reinterpret_cast<QRgb*>(image.scanLine(int(y)))[x] = pixel;
        }
    }
    return image;
}

// A random side: planes at random densities, some absent, with rectangles of the given style.
enum class RectStyle { scattered, nearlyWhole, crowd };

struct RandomSide {
    SideDecodeInput in;
    std::vector<QByteArray> planes{4};
};

RandomSide randomSide(std::mt19937& random, std::uint32_t width, std::uint32_t height,
                      RectStyle style) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    RandomSide side;
    SideDecodeInput& in = side.in;
    in.width = width;
    in.height = height;
    const int H = int(height);
    for (int p = 0; p < 4; ++p) {
        in.doubleDensity[p] = pick(0, 2) == 0;
        QByteArray& plane = side.planes[p];
        plane = QByteArray(int(width * height * (in.doubleDensity[p] ? 2 : 1)), 0);
        for (char& b : plane)
            b = char(pick(0, 3) == 0 ? 0 : pick(0, 255)); // K often 0, so CMY shows
        in.planes[p] =
            pick(0, 5) == 0 ? nullptr : reinterpret_cast<const unsigned char*>(plane.constData());
        auto rect = [&]() {
            const int kind = pick(0, 4);
            if (kind == 0) // negative fields: huge as unsigned, wrapping sums
                return PanelRect{pick(-5, 5), pick(-5, 5), pick(-10, 10), -1};
            if (style == RectStyle::nearlyWhole) // a column kept or dropped whole, or all but a row
                return PanelRect{pick(0, int(width) + 1), pick(0, 1), pick(0, 3),
                                 pick(H - 3, H + 1)};
            return PanelRect{pick(0, int(width) + 3), pick(0, H + 3), pick(0, int(width) / 2),
                             pick(0, H / 2)};
        };
        const int most = style == RectStyle::nearlyWhole ? 3 : 16;
        for (int i = pick(0, 1) * pick(1, most); i > 0; --i)
            in.areas[p].push_back(rect());
        for (int i = pick(0, 1) * pick(1, most); i > 0; --i)
            in.holes[p].push_back(rect());
        if (style == RectStyle::crowd) // many tall rectangles over the same columns
            for (int i = 0; i < 300; ++i)
                in.holes[p].push_back(PanelRect{3, 1, pick(0, 2), H});
    }
    in.hasPatch = pick(0, 2) == 0;
    in.patchX = std::uint16_t(pick(0, int(width)));
    in.patchY = std::uint16_t(pick(0, H));
    in.patchWidth = std::uint16_t(pick(0, 65535));
    in.patchHeight = std::uint16_t(pick(0, 20));
    return side;
}

TEST(Decode, MatchesThePlainPixelRuleOnRandomJobs) {
    std::mt19937 random(2026);
    const std::pair<std::uint32_t, std::uint32_t> sizes[] = {
        {7, 9}, {8, 8}, {29, 37}, {517, 13}, {506, 1}, {16, 17}, {1013, 642}, {2026, 642}};
    for (int round = 0; round < 60; ++round) {
        // Full-size cards twice; small odd sizes find the edge cases faster.
        const auto size = round < 2 ? sizes[6 + round] : sizes[round % 6];
        const RectStyle style = round % 10 == 9  ? RectStyle::crowd
                                : round % 3 == 2 ? RectStyle::nearlyWhole
                                                 : RectStyle::scattered;
        const RandomSide side = randomSide(random, size.first, size.second, style);
        const QImage fast = decodeSideImage(side.in);
        const QImage reference = referenceDecode(side.in);
        ASSERT_EQ(fast.size(), reference.size());
        ASSERT_TRUE(fast == reference) << "round " << round;
    }
}

TEST(Decode, ThreadsDecodingAtOnceGetTheirOwnImages) {
    std::mt19937 random(7);
    std::vector<RandomSide> sides;
    std::vector<QImage> expected;
    for (int i = 0; i < 4; ++i) {
        sides.push_back(randomSide(random, 301 + 40 * std::uint32_t(i), 97, RectStyle::scattered));
        expected.push_back(referenceDecode(sides.back().in));
    }
    bool same[2] = {true, true};
    auto work = [&](int t) {
        for (int n = 0; n < 200; ++n) {
            const std::size_t i = std::size_t(t + 2 * (n % 2));
            same[t] = same[t] && decodeSideImage(sides[i].in) == expected[i];
        }
    };
    std::thread other(work, 1);
    work(0);
    other.join();
    EXPECT_TRUE(same[0]);
    EXPECT_TRUE(same[1]);
}

TEST(Decode, TensOfThousandsOfOverlappingRectangles) {
    // Row 0 of the last column lies in every area: a narrow per-row count would wrap there.
    SideDecodeInput in;
    in.width = 2026;
    in.height = 642;
    const QByteArray yellowInk(2026 * 642, char(255));
    in.planes[0] = reinterpret_cast<const unsigned char*>(yellowInk.constData());
    for (int i = 0; i < 40000; ++i)
        in.areas[0].push_back(PanelRect{i % 2026, 0, 2026, 0});
    in.holes[0].push_back(PanelRect{0, 0, 0, 0});
    const QImage image = decodeSideImage(in);
    ASSERT_EQ(image.size(), QSize(2026, 642));
    EXPECT_EQ(image.pixel(2025, 0), yellow);
    EXPECT_EQ(image.pixel(1, 0), yellow);
    EXPECT_EQ(image.pixel(0, 0), white); // the hole
    EXPECT_EQ(image.pixel(2025, 1), white);

    // The same decoder still serves an ordinary side afterwards.
    std::mt19937 random(3);
    const RandomSide side = randomSide(random, 517, 13, RectStyle::scattered);
    EXPECT_TRUE(decodeSideImage(side.in) == referenceDecode(side.in));
}

// A one-sided 506 x 20 job whose planes are filled by the callers.
struct SmallJob {
    PrnJobBuilder builder;
    pugi::xml_node side;
    std::map<char, pugi::xml_node> panels;
    SmallJob() {
        PrnJobBuilder::setText(builder.cardOptions(), "width", "506");
        PrnJobBuilder::setText(builder.cardOptions(), "height", "20");
        side = builder.addSide(0);
    }
    void add(char panel, const QByteArray& plane, unsigned xDensity = 0) {
        panels[panel] = builder.addPanel(side, panel, plane, xDensity);
    }
    Loaded load() const { return loadBytes(builder.build()); }
};

const int plane = 506 * 20;

TEST(Decode, ColoursAndBlackOverColour) {
    SmallJob job;
    QByteArray k(plane, 0);
    k[5 * 20 + 3] = char(255); // column 5, row 3
    k[6 * 20 + 3] = char(55);
    job.add('y', QByteArray(plane, char(255)));
    job.add('m', QByteArray(plane, 0));
    job.add('c', QByteArray(plane, 0));
    job.add('k', k);
    const Loaded loaded = job.load();
    ASSERT_TRUE(loaded->isValid());
    const QImage image = loaded->sideImage(0);
    EXPECT_EQ(image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(image.pixel(0, 0), yellow);
    EXPECT_EQ(image.pixel(5, 3), black);
    EXPECT_EQ(image.pixel(6, 3), qRgb(200, 200, 200));

    // Hidden K shows the colour beneath; sizes and the length check are unaffected.
    const std::string hidden[2] = {"k", ""};
    EXPECT_TRUE(loaded.holder->validateCard(hidden, true));
    EXPECT_EQ(loaded->sideImage(0).pixel(5, 3), yellow);
    EXPECT_TRUE(loaded->sideImage(1).isNull());
}

TEST(Decode, AreasHolesAndPatch) {
    SmallJob job;
    job.add('y', QByteArray(plane, char(255)));
    job.add('c', QByteArray(plane, char(255)));
    PrnJobBuilder::addRect(job.panels['y'], "area", 0, 0, 9, 9);
    PrnJobBuilder::addRect(job.panels['y'], "hole", 2, 2, 0, 0);
    PrnJobBuilder::setPatch(job.side, 100, 5, 10, 3);
    const Loaded loaded = job.load();
    ASSERT_TRUE(loaded->isValid());
    const QImage image = loaded->sideImage(0);
    const QRgb green = qRgb(0, 255, 0), cyan = qRgb(0, 255, 255);
    EXPECT_EQ(image.pixel(9, 9), green); // far edges belong to the area
    EXPECT_EQ(image.pixel(10, 9), cyan);
    EXPECT_EQ(image.pixel(9, 10), cyan);
    EXPECT_EQ(image.pixel(2, 2), cyan); // a hole of width 0 still removes one dot
    EXPECT_EQ(image.pixel(3, 2), green);
    // The patch is left out of the preview as blank card.
    EXPECT_EQ(image.pixel(100, 5), white);
    EXPECT_EQ(image.pixel(110, 8), white);
    EXPECT_EQ(image.pixel(111, 8), cyan);
    EXPECT_EQ(image.pixel(110, 9), cyan);
}

TEST(Decode, EachPlaneAtItsOwnDensity) {
    // K at 600 dpi, then Y at 300: the later panel must not decide how K is read.
    SmallJob job;
    QByteArray k(2 * plane, 0);
    for (int column = 1; column < 2 * 506; column += 2)
        std::fill(k.begin() + column * 20, k.begin() + (column + 1) * 20, char(255));
    job.add('k', k, 600);
    QByteArray y(plane, 0);
    y[505 * 20 + 19] = char(255);
    job.add('y', y, 300);
    const Loaded loaded = job.load();
    ASSERT_TRUE(loaded->isValid());
    const QImage image = loaded->sideImage(0);
    EXPECT_EQ(image.pixel(0, 0), qRgb(128, 128, 128));
    EXPECT_EQ(image.pixel(505, 19), qRgb(128, 128, 128));
    const std::string hideK[2] = {"k", ""};
    loaded.holder->validateCard(hideK, true);
    EXPECT_EQ(loaded->sideImage(0).pixel(505, 19), yellow);
    EXPECT_EQ(loaded->sideImage(0).pixel(504, 19), white);
}

TEST(Decode, WidestCard) {
    PrnJobBuilder builder;
    PrnJobBuilder::setText(builder.cardOptions(), "width", "2026");
    PrnJobBuilder::setText(builder.cardOptions(), "height", "642");
    QByteArray k(2026 * 642, 0);
    k[2025 * 642 + 641] = char(255);
    builder.addPanel(builder.addSide(1), 'k', k);
    const Loaded loaded = loadBytes(builder.build());
    ASSERT_TRUE(loaded->isValid());
    const QImage image = loaded->sideImage(1);
    ASSERT_EQ(image.size(), QSize(2026, 642));
    EXPECT_EQ(image.pixel(2025, 641), black);
    EXPECT_EQ(image.pixel(2024, 641), white);
}

TEST(Decode, OtherFormatAcceptedLeavesImagesAlone) {
    SmallJob job;
    job.add('k', QByteArray(plane, char(255)));
    PrnJobBuilder::setText(job.builder.cardOptions(), "image-format", "orvane");
    const Loaded loaded = job.load();
    ASSERT_TRUE(loaded->isValid());
    ASSERT_TRUE(loaded.holder->setNodeText("image-format", "/prn/card/card-options", "other"));
    const std::string hideK[2] = {"k", ""};
    EXPECT_TRUE(loaded.holder->validateCard(hideK, true));
    EXPECT_EQ(loaded->sideImage(0).pixel(0, 0), black);
}

// The window's way: its own images, kept across plane toggles and jobs of other sizes. Each
// shows exactly what a fresh picture shows; its pixels are written over when they are the
// caller's alone and laid out as decoded (RGB32 and ARGB32 store opaque dots alike), and are
// left alone while someone else holds them.
TEST(Decode, CallersImagesAcrossTogglesAndJobsMatchFreshPictures) {
    auto twoSided = [](int width, char ink) {
        PrnJobBuilder builder;
        PrnJobBuilder::setText(builder.cardOptions(), "width", std::to_string(width));
        PrnJobBuilder::setText(builder.cardOptions(), "height", "20");
        for (int s = 0; s < 2; ++s) {
            pugi::xml_node side = builder.addSide(s);
            for (int p = 0; p < 4; ++p) { // K left out at some dots, so the colours show
                QByteArray plane(width * 20, 0);
                for (int i = 0; i < plane.size(); ++i)
                    plane[i] = i % (5 + p) == 0 ? 0 : char(i * (p + 1) + ink + s * 40);
                builder.addPanel(side, "ymck"[p], plane);
            }
        }
        return loadBytes(builder.build());
    };
    const Loaded jobs[] = {twoSided(506, 3), twoSided(600, 90)};
    ASSERT_TRUE(jobs[0]->isValid() && jobs[1]->isValid());
    const QImage::Format argb = QImage::Format_ARGB32, rgb = QImage::Format_RGB32,
                         premultiplied = QImage::Format_ARGB32_Premultiplied;
    struct Toggle {
        int job;
        std::string hidden[2];
        QImage::Format format; // the kept images are handed in as
        bool copyHeld;         // someone else holds the kept images
        bool reused;
    };
    const Toggle toggles[] = {
        {0, {"", ""}, argb, false, false},   {0, {"y", ""}, argb, false, true},
        {0, {"yk", "c"}, rgb, false, true},  {0, {"", "ymck"}, argb, true, false},
        {1, {"m", ""}, argb, false, false},  {1, {"", ""}, premultiplied, false, false},
        {0, {"k", "k"}, argb, false, false},
    };
    QImage kept[2];
    for (const Toggle& t : toggles) {
        KlxPrnHolder& holder = *jobs[t.job].holder;
        const uchar* pixels[2] = {};
        for (int s = 0; s < 2; ++s) {
            kept[s].reinterpretAsFormat(t.format); // all 32-bit: no copy
            pixels[s] = kept[s].constBits();
        }
        const QImage copies[2] = {t.copyHeld ? kept[0] : QImage(), t.copyHeld ? kept[1] : QImage()};
        const QImage before[2] = {copies[0].copy(), copies[1].copy()};
        ASSERT_TRUE(holder.validateCard(t.hidden, true, kept));
        EXPECT_TRUE(holder.sideImage(0).isNull()) << "the caller's pictures replace the holder's";

        ASSERT_TRUE(holder.validateCard(t.hidden, true));
        for (int s = 0; s < 2; ++s) {
            SCOPED_TRACE(testing::Message() << "job " << t.job << " hiding " << t.hidden[0] << "/"
                                            << t.hidden[1] << ", side " << s);
            EXPECT_TRUE(kept[s].convertToFormat(argb) == holder.sideImage(s));
            EXPECT_EQ(kept[s].constBits() == pixels[s], t.reused);
            EXPECT_TRUE(copies[s] == before[s]) << "a held copy changed";
        }
    }
}

TEST(Decode, SampleJobIsValidAndShowsBothSides) {
    const Loaded sample = loadBytes(makeSampleJob());
    ASSERT_TRUE(sample->isValid());
    EXPECT_TRUE(sample.messages.isEmpty());
    EXPECT_FALSE(sample->sideImage(0).isNull());
    EXPECT_FALSE(sample->sideImage(1).isNull());
    EXPECT_TRUE(sample->hasPanel(0, 'o'));
    EXPECT_TRUE(sample->hasNode("/prn/card/side-options/patch-options"));
    EXPECT_TRUE(sample->hasNode("//area") && sample->hasNode("//hole"));
    EXPECT_EQ(sample->trackText(2, 5), QStringLiteral(";4111111111111111=29121010000000000000?"));
}

} // namespace
