// The committed pictures and prompt recordings: the game loads them by name
// and copies frames out of the strips by fixed offsets, so sizes, frame
// order, seams and the sound format are checked here.
#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kImages = std::string(TARKABAB_SOURCE_DIR) + "/resources/images/";
const std::string kPrompts = std::string(TARKABAB_SOURCE_DIR) + "/resources/prompts/";
const std::string kIcons = std::string(TARKABAB_SOURCE_DIR) + "/data/icons/hicolor/";

constexpr int kPngRgb = 2;   // PNG colour types
constexpr int kPngRgba = 6;

std::vector<unsigned char> read_all(const std::string &path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), {});
}

uint32_t be32(const unsigned char *p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }
uint32_t le32(const unsigned char *p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t le16(const unsigned char *p) { return uint16_t(p[0] | p[1] << 8); }

struct PngHeader {
    int width = 0, height = 0, depth = 0, colour_type = -1;
};

// The IHDR chunk, which PNG requires first.
PngHeader png_header(const std::string &path) {
    const std::vector<unsigned char> d = read_all(path);
    static const unsigned char sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    PngHeader h;
    if (d.size() < 33 || !std::equal(sig, sig + 8, d.begin()) || std::string(d.begin() + 12, d.begin() + 16) != "IHDR")
        return h;
    h.width = int(be32(&d[16]));
    h.height = int(be32(&d[20]));
    h.depth = d[24];
    h.colour_type = d[25];
    return h;
}

struct Px {
    int r, g, b;
    bool operator==(const Px &o) const { return r == o.r && g == o.g && b == o.b; }
    double luma() const { return (0.299 * r + 0.587 * g + 0.114 * b) / 255.0; }
};

// A PNG picture read with cairo, with pixel access.
class Picture {
public:
    explicit Picture(const std::string &path) : s_(cairo_image_surface_create_from_png(path.c_str())) {}
    ~Picture() { cairo_surface_destroy(s_); }
    Picture(const Picture &) = delete;
    Picture &operator=(const Picture &) = delete;

    bool ok() const { return cairo_surface_status(s_) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(s_); }
    int height() const { return cairo_image_surface_get_height(s_); }
    Px at(int x, int y) const {
        const unsigned char *row = cairo_image_surface_get_data(s_) + y * cairo_image_surface_get_stride(s_);
        const uint32_t v = reinterpret_cast<const uint32_t *>(row)[x];
        return {int(v >> 16 & 0xff), int(v >> 8 & 0xff), int(v & 0xff)};
    }

private:
    cairo_surface_t *s_;
};

::testing::AssertionResult same_row(const Picture &p, int x0, int y0, int y1, int w) {
    for (int x = x0; x < x0 + w; ++x)
        if (!(p.at(x, y0) == p.at(x, y1)))
            return ::testing::AssertionFailure() << "rows " << y0 << " and " << y1 << " differ at x " << x;
    return ::testing::AssertionSuccess();
}
::testing::AssertionResult same_column(const Picture &p, int x0, int x1, int y0, int h) {
    for (int y = y0; y < y0 + h; ++y)
        if (!(p.at(x0, y) == p.at(x1, y)))
            return ::testing::AssertionFailure() << "columns " << x0 << " and " << x1 << " differ at y " << y;
    return ::testing::AssertionSuccess();
}

constexpr int kCell = 32;      // ball frame
constexpr int kPeg = 16;       // peg frame
constexpr int kMargin = 10;    // groove width
constexpr int kGroove = 16;    // groove frame length
constexpr int kFrameBlank = 3; // ball strip frames
constexpr int kFrameFirstBall = 5;

// ---------------------------------------------------------------- pictures

TEST(Pictures, StripsLogoAndIconsHaveTheirExactSizesAndFormats) {
    struct Want { const char *name; int w, h, type; };
    const Want want[] = {
        {"b323210.png", 512, 32, kPngRgb}, {"b161604.png", 64, 16, kPngRgb}, {"b0516.png", 10, 64, kPngRgb},
        {"b1605.png", 32, 10, kPngRgb},    {"b0505.png", 10, 10, kPngRgb},  {"logo.png", 100, 80, kPngRgb},
        {"tarkabab.png", 256, 256, kPngRgba},
    };
    for (const Want &w : want) {
        const PngHeader h = png_header(kImages + w.name);
        EXPECT_EQ(h.width, w.w) << w.name;
        EXPECT_EQ(h.height, w.h) << w.name;
        EXPECT_EQ(h.depth, 8) << w.name;
        EXPECT_EQ(h.colour_type, w.type) << w.name;
    }
    for (int n : {16, 32, 48, 64, 128, 256}) {
        const std::string path = kIcons + std::to_string(n) + "x" + std::to_string(n) + "/apps/tarkabab.png";
        const PngHeader h = png_header(path);
        EXPECT_EQ(h.width, n) << path;
        EXPECT_EQ(h.height, n) << path;
        EXPECT_EQ(h.colour_type, kPngRgba) << path;
    }
}

// Blank frames, and the borders of every ball and peg frame, are the one
// board tone, so cells sit next to each other and to grooves without seams.
TEST(Pictures, BlanksAndFrameBordersShareOneBoardTone) {
    Picture balls(kImages + "b323210.png"), pegs(kImages + "b161604.png"), hor(kImages + "b1605.png"), ver(kImages + "b0516.png");
    ASSERT_TRUE(balls.ok() && pegs.ok() && hor.ok() && ver.ok());
    const Px tone = balls.at(kFrameBlank * kCell, 0);
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) ASSERT_EQ(balls.at(kFrameBlank * kCell + x, y), tone) << x << "," << y;
    for (int y = 0; y < kPeg; ++y)
        for (int x = 0; x < kPeg; ++x) ASSERT_EQ(pegs.at(x, y), tone) << "peg blank " << x << "," << y;
    for (int y = 0; y < kMargin; ++y)
        for (int x = kGroove; x < 2 * kGroove; ++x) ASSERT_EQ(hor.at(x, y), tone) << "groove blank " << x << "," << y;

    for (int f = 0; f < 16; ++f)
        for (int k = 0; k < kCell; ++k) {
            EXPECT_EQ(balls.at(f * kCell + k, 0), tone) << "ball frame " << f << " top";
            EXPECT_EQ(balls.at(f * kCell + k, kCell - 1), tone) << "ball frame " << f << " bottom";
            EXPECT_EQ(balls.at(f * kCell, k), tone) << "ball frame " << f << " left";
            EXPECT_EQ(balls.at(f * kCell + kCell - 1, k), tone) << "ball frame " << f << " right";
        }
    for (int f = 0; f < 4; ++f)
        for (int k = 0; k < kPeg; ++k) {
            EXPECT_EQ(pegs.at(f * kPeg + k, 0), tone) << "peg frame " << f;
            EXPECT_EQ(pegs.at(f * kPeg, k), tone) << "peg frame " << f;
        }
    // The grooves' outer edges are board tone too.
    for (int k = 0; k < kGroove; ++k) {
        EXPECT_EQ(hor.at(k, 0), tone);
        EXPECT_EQ(hor.at(k, kMargin - 1), tone);
        EXPECT_EQ(ver.at(0, k), tone);
        EXPECT_EQ(ver.at(kMargin - 1, k), tone);
    }
}

// Grooves and the row marker tile along their length, and the corner stud's
// channel arms meet them at the same offset.
TEST(Pictures, GroovesTileAndMeetTheCorner) {
    Picture ver(kImages + "b0516.png"), hor(kImages + "b1605.png"), corner(kImages + "b0505.png");
    ASSERT_TRUE(ver.ok() && hor.ok() && corner.ok());
    for (int frame = 0; frame < 2; ++frame)  // groove, red marker
        for (int y = 1; y < kGroove; ++y)
            EXPECT_TRUE(same_row(ver, 0, frame * kGroove, frame * kGroove + y, kMargin)) << "frame " << frame;
    for (int x = 1; x < kGroove; ++x) EXPECT_TRUE(same_column(hor, 0, x, 0, kMargin));
    // Channel arms: corner edge rows equal a groove row, edge columns a groove column.
    for (int x = 0; x < kMargin; ++x) {
        EXPECT_EQ(corner.at(x, 0), ver.at(x, 0)) << x;
        EXPECT_EQ(corner.at(x, kMargin - 1), ver.at(x, 0)) << x;
    }
    for (int y = 0; y < kMargin; ++y) {
        EXPECT_EQ(corner.at(0, y), hor.at(0, y)) << y;
        EXPECT_EQ(corner.at(kMargin - 1, y), hor.at(0, y)) << y;
    }
    // The marker is red; the plain groove is not.
    const Px marker = ver.at(kMargin / 2, kGroove + kGroove / 2), groove = ver.at(kMargin / 2, kGroove / 2);
    EXPECT_GT(marker.r, 150);
    EXPECT_LT(marker.g, 100);
    EXPECT_FALSE(groove.r > 150 && groove.g < 100);
}

// The meter box halves join into one box (no step where they meet) whose
// inside, where the game draws the level bar (6 wide, from y 2 to 30 of the
// box), is dark.
TEST(Pictures, MeterBoxHalvesJoinAroundADarkWindow) {
    Picture ver(kImages + "b0516.png");
    ASSERT_TRUE(ver.ok());
    const int top = 2 * kGroove;  // frames 2 and 3
    constexpr int kMaxStep = 10;  // per channel, invisible between neighbours
    for (int x = 0; x < kMargin; ++x) {
        const Px a = ver.at(x, top + kGroove - 1), b = ver.at(x, top + kGroove);
        EXPECT_LE(std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)}), kMaxStep) << x;
    }
    for (int y = 2; y < 2 * kGroove - 2; ++y)
        for (int x = 2; x < 8; ++x) ASSERT_LT(ver.at(x, top + y).luma(), 0.15) << x << "," << y;
    EXPECT_GT(ver.at(0, top + kGroove).luma(), 0.15);  // the bezel is not the window
}

// Balls of colour values 1..11 in frames 5..15: the body colour (sampled on
// a ring clear of the mark and the reflection) is nearest to its own colour.
TEST(Pictures, BallsAppearInColourValueOrder) {
    struct Named { const char *name; Px rgb; };
    const Named colours[11] = {
        {"red", {220, 30, 30}},     {"white", {240, 240, 240}}, {"green", {30, 160, 50}},
        {"black", {20, 20, 20}},    {"yellow", {250, 215, 20}}, {"pink", {250, 150, 200}},
        {"orange", {250, 130, 0}},  {"blue", {30, 80, 220}},    {"purple", {140, 50, 190}},
        {"brown", {120, 70, 30}},   {"grey", {140, 140, 140}},
    };
    Picture balls(kImages + "b323210.png");
    ASSERT_TRUE(balls.ok());
    for (int v = 1; v <= 11; ++v) {
        const int x0 = (kFrameFirstBall + v - 1) * kCell;
        double r = 0, g = 0, b = 0;
        int n = 0;
        for (int deg = 0; deg < 360; deg += 10) {
            if (deg >= 180 && deg <= 270) continue;  // the window reflection, top left
            const double a = deg * 3.14159265 / 180;
            const Px p = balls.at(x0 + 16 + int(std::lround(8 * std::cos(a))), 16 + int(std::lround(8 * std::sin(a))));
            r += p.r, g += p.g, b += p.b, ++n;
        }
        const Px mean{int(r / n), int(g / n), int(b / n)};
        int best = 0;
        double best_d = 1e9;
        for (int k = 0; k < 11; ++k) {
            const Px &c = colours[k].rgb;
            const double d = std::pow(mean.r - c.r, 2) + std::pow(mean.g - c.g, 2) + std::pow(mean.b - c.b, 2);
            if (d < best_d) best_d = d, best = k;
        }
        EXPECT_EQ(best, v - 1) << "frame " << kFrameFirstBall + v - 1 << " looks " << colours[best].name
                               << ", expected " << colours[v - 1].name;
    }
}

// Every ball carries a mark that stands out from its body, and no two balls
// carry the same mark, so the colours can be told apart without colour.
TEST(Pictures, EveryBallCarriesItsOwnContrastingMark) {
    Picture balls(kImages + "b323210.png");
    ASSERT_TRUE(balls.ok());
    constexpr int kBox = 12;  // the mark lies within the middle 12x12
    std::vector<std::vector<bool>> masks;
    for (int v = 1; v <= 11; ++v) {
        const int x0 = (kFrameFirstBall + v - 1) * kCell + 16 - kBox / 2, y0 = 16 - kBox / 2;
        const double body = balls.at(x0 + kBox / 2 + 9, 16).luma();  // right of the mark
        std::vector<bool> mask;
        int contrasting = 0;
        for (int y = 0; y < kBox; ++y)
            for (int x = 0; x < kBox; ++x) {
                const bool on = std::fabs(balls.at(x0 + x, y0 + y).luma() - body) > 0.35;
                mask.push_back(on);
                contrasting += on;
            }
        EXPECT_GE(contrasting, 12) << "colour value " << v << " has no legible mark";
        masks.push_back(mask);
    }
    for (size_t a = 0; a < masks.size(); ++a)
        for (size_t b = a + 1; b < masks.size(); ++b) {
            int diff = 0;
            for (size_t k = 0; k < masks[a].size(); ++k) diff += masks[a][k] != masks[b][k];
            EXPECT_GE(diff, 8) << "colour values " << a + 1 << " and " << b + 1 << " carry the same mark";
        }
}

TEST(Pictures, IndicatorsHolesAndPegsAreWhereTheGameLooks) {
    Picture balls(kImages + "b323210.png"), pegs(kImages + "b161604.png");
    ASSERT_TRUE(balls.ok() && pegs.ok());
    const Px tone = balls.at(kFrameBlank * kCell, 0);
    auto red_pixels = [&](int frame) {
        int n = 0;
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x) {
                const Px p = balls.at(frame * kCell + x, y);
                n += p.r > 170 && p.g < 70 && p.b < 70;
            }
        return n;
    };
    EXPECT_EQ(red_pixels(0), 0) << "the listening microphone is crossed out";
    EXPECT_GT(red_pixels(1), 20) << "the muted microphone is not crossed out";
    EXPECT_LT(balls.at(4 * kCell + 16, 16).luma(), tone.luma() - 0.2) << "empty hole";
    EXPECT_LT(pegs.at(kPeg + 8, 8).luma(), tone.luma() - 0.2) << "empty peg hole";
    EXPECT_GT(pegs.at(2 * kPeg + 8, 9).luma(), 0.75) << "white peg";
    EXPECT_LT(pegs.at(3 * kPeg + 8, 9).luma(), 0.2) << "black peg";
}

// `make resources` must reproduce the committed pictures: a drawing change
// that was never regenerated (or a generator that no longer runs) shows here.
TEST(Pictures, GeneratorReproducesTheCommittedPictures) {
    char dir[] = "/tmp/tarkabab-imagegen-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string out(dir);
    const std::string cmd = std::string("'") + TARKABAB_IMAGEGEN + "' --images '" + out + "' --icons '" + out + "/icons'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    constexpr int kTolerance = 8;          // per channel: font rasterisers may differ a little
    constexpr double kMaxDiffering = 0.01; // of the pixels
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const char *name : {"b323210.png", "b161604.png", "b0516.png", "b1605.png", "b0505.png", "logo.png", "tarkabab.png"})
        pairs.push_back({kImages + name, out + "/" + name});
    for (int n : {16, 48, 256}) {
        const std::string rel = std::to_string(n) + "x" + std::to_string(n) + "/apps/tarkabab.png";
        pairs.push_back({kIcons + rel, out + "/icons/" + rel});
    }
    for (const auto &[committed, fresh] : pairs) {
        SCOPED_TRACE(committed);
        Picture a(committed), b(fresh);
        ASSERT_TRUE(a.ok() && b.ok());
        ASSERT_EQ(a.width(), b.width());
        ASSERT_EQ(a.height(), b.height());
        int differing = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const Px p = a.at(x, y), q = b.at(x, y);
                differing += std::max({std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)}) > kTolerance;
            }
        EXPECT_LE(differing, kMaxDiffering * a.width() * a.height()) << "regenerate with `make resources`";
    }
    std::system(("rm -rf '" + out + "'").c_str());
}

// ---------------------------------------------------------------- prompts

const char *const kPromptNames[] = {
    "m_szia", "m_kezd", "m_tessek", "m_nem", "q_uj", "q_szabad", "q_kilep", "m_megfejtes",
    "m_megsem", "m_nincstobb", "m_nemtalalt", "l2", "l3", "c_1", "c_2", "c_3",
    "c_4", "c_5", "c_6", "c_7", "c_8", "c_9",
};
constexpr int kFormatALaw = 6;
constexpr int kPromptRate = 20000;

// G.711 A-law to linear, -32768..32767.
int alaw_to_linear(unsigned char a) {
    a ^= 0x55;
    int t = (a & 0x0f) << 4;
    const int seg = (a & 0x70) >> 4;
    if (seg == 0) t += 8;
    else t = (t + 0x108) << (seg - 1);
    return (a & 0x80) ? t : -t;
}

struct Wave {
    int format = -1, channels = 0, rate = 0, byte_rate = 0, align = 0, bits = 0;
    std::vector<unsigned char> data;
    std::string error;
};

// Walks the RIFF chunks; error names the first thing that is wrong.
Wave read_wave(const std::string &path) {
    Wave w;
    const std::vector<unsigned char> d = read_all(path);
    if (d.size() < 12 || std::string(d.begin(), d.begin() + 4) != "RIFF" ||
        std::string(d.begin() + 8, d.begin() + 12) != "WAVE") {
        w.error = "not a RIFF WAVE file";
        return w;
    }
    if (le32(&d[4]) + 8 != d.size()) w.error = "RIFF size does not match the file";
    bool fmt = false;
    for (size_t at = 12; at + 8 <= d.size();) {
        const std::string id(d.begin() + at, d.begin() + at + 4);
        const size_t len = le32(&d[at + 4]), body = at + 8;
        if (body + len > d.size()) {
            w.error = "chunk " + id + " runs past the end";
            return w;
        }
        if (id == "fmt " && len >= 16) {
            fmt = true;
            w.format = le16(&d[body]);
            w.channels = le16(&d[body + 2]);
            w.rate = int(le32(&d[body + 4]));
            w.byte_rate = int(le32(&d[body + 8]));
            w.align = le16(&d[body + 12]);
            w.bits = le16(&d[body + 14]);
        } else if (id == "data") {
            w.data.assign(d.begin() + body, d.begin() + body + len);
        }
        at = body + len + (len & 1);
    }
    if (!fmt) w.error = "no fmt chunk";
    else if (w.data.empty()) w.error = "no data";
    return w;
}

TEST(Prompts, EveryPromptIsALaw8BitMono20kHzAndTheRightLength) {
    for (const char *name : kPromptNames) {
        SCOPED_TRACE(name);
        const Wave w = read_wave(kPrompts + name + ".wav");
        ASSERT_EQ(w.error, "");
        EXPECT_EQ(w.format, kFormatALaw);
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.rate, kPromptRate);
        EXPECT_EQ(w.byte_rate, kPromptRate);
        EXPECT_EQ(w.align, 1);
        EXPECT_EQ(w.bits, 8);
        const double seconds = double(w.data.size()) / kPromptRate;
        EXPECT_GE(seconds, 0.3);
        EXPECT_LE(seconds, 3.0);
    }
}

// Silence is trimmed to a short pad at both ends, and the voice is loud
// enough to hear over a quiet room.
TEST(Prompts, VoiceStartsAndEndsCloseToTheEdgesAndIsLoud) {
    constexpr int kAudible = 1500;               // of 32767
    constexpr double kMaxEdgeSilence = 0.25;     // seconds
    for (const char *name : kPromptNames) {
        SCOPED_TRACE(name);
        const Wave w = read_wave(kPrompts + name + ".wav");
        ASSERT_EQ(w.error, "");
        int first = -1, last = -1, peak = 0;
        for (size_t i = 0; i < w.data.size(); ++i) {
            const int v = std::abs(alaw_to_linear(w.data[i]));
            peak = std::max(peak, v);
            if (v >= kAudible) {
                if (first < 0) first = int(i);
                last = int(i);
            }
        }
        ASSERT_GE(first, 0) << "silent prompt";
        EXPECT_LE(first / double(kPromptRate), kMaxEdgeSilence);
        EXPECT_LE((w.data.size() - 1 - last) / double(kPromptRate), kMaxEdgeSilence);
        EXPECT_GT(peak, 16000);
    }
}

TEST(Prompts, DecoderMatchesKnownALawCodes) {
    EXPECT_EQ(alaw_to_linear(0xd5), 8);       // the quietest positive step
    EXPECT_EQ(alaw_to_linear(0x55), -8);
    EXPECT_EQ(alaw_to_linear(0xaa), 32256);   // full scale
    EXPECT_EQ(alaw_to_linear(0x2a), -32256);
}

}  // namespace
