// tarkabab-imagegen — writes the game's pictures as PNG files.
//
//   tarkabab-imagegen --images DIR [--icons DIR] [--preview FILE]
//
// --images: the five board strips, logo.png (RGB) and tarkabab.png (RGBA
// 256x256) go to DIR. --icons: the icon in the hicolor sizes goes to
// DIR/<N>x<N>/apps/tarkabab.png. --preview: a board mock-up built from the
// strips the way the game lays them out, for looking at.
#include "art.h"

#include <cairo.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int kLogoWidth = 100;
constexpr int kLogoHeight = 80;
constexpr int kIconSize = 256;
constexpr int kHicolorSizes[] = {16, 32, 48, 64, 128, 256};

// Board layout of the preview (the game computes the same from the strips).
constexpr int kPositions = 4;
constexpr int kRows = 11;
constexpr int kPegColumns = kPositions - kPositions / 2;
constexpr int kRowsTop = 2 * kMargin + kBallCell;
constexpr int kBoardWidth = (kPositions + 1) * kBallCell + kPegColumns * kPegCell + 3 * kMargin;
constexpr int kBoardHeight = kRowsTop + kBallCell * kRows + kMargin;
constexpr int kPaletteOrder[kColourCount] = {1, 2, 8, 6, 7, 9, 5, 3, 10, 11, 4};

struct Strips {
    cairo_surface_t *balls, *pegs, *vertical, *horizontal, *corner;
};

bool make_dirs(const std::string &path) {
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        const std::string part = path.substr(0, i);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "imagegen: cannot create %s: %s\n", part.c_str(), std::strerror(errno));
            return false;
        }
    }
    return true;
}

bool save(cairo_surface_t *s, const std::string &path) {
    cairo_surface_flush(s);
    const cairo_status_t st = cairo_surface_write_to_png(s, path.c_str());
    if (st != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "imagegen: cannot write %s: %s\n", path.c_str(), cairo_status_to_string(st));
        return false;
    }
    return true;
}

// Runs draw for each frame with the origin moved to that frame.
template <typename Draw>
cairo_surface_t *strip(int w, int h, int frames, bool across, Draw draw) {
    cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t *cr = cairo_create(s);
    const int fw = across ? w / frames : w, fh = across ? h : h / frames;
    for (int f = 0; f < frames; ++f) {
        cairo_save(cr);
        cairo_translate(cr, across ? f * fw : 0, across ? 0 : f * fh);
        cairo_rectangle(cr, 0, 0, fw, fh);
        cairo_clip(cr);
        draw(cr, f);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    return s;
}

Strips draw_strips() {
    Strips s;
    s.balls = strip(kBallFrames * kBallCell, kBallCell, kBallFrames, true, art_ball_frame);
    s.pegs = strip(kPegFrames * kPegCell, kPegCell, kPegFrames, true, art_peg_frame);
    // b0516: groove, marker, then the meter box cut into its two halves.
    s.vertical = strip(kMargin, 4 * kGrooveLength, 4, false, [](cairo_t *cr, int f) {
        if (f < 2) {
            art_vgroove(cr, f == 1);
        } else if (f == 2) {
            cairo_reset_clip(cr);
            cairo_rectangle(cr, 0, 0, kMargin, 2 * kGrooveLength);
            cairo_clip(cr);
            art_meter_box(cr);
        }
    });
    s.horizontal = strip(2 * kGrooveLength, kMargin, 2, true, [](cairo_t *cr, int f) {
        if (f == 0) art_hgroove(cr); else art_blank(cr, kGrooveLength, kMargin);
    });
    s.corner = strip(kMargin, kMargin, 1, true, [](cairo_t *cr, int) { art_corner(cr); });
    return s;
}

void free_strips(Strips &s) {
    for (cairo_surface_t *x : {s.balls, s.pegs, s.vertical, s.horizontal, s.corner})
        cairo_surface_destroy(x);
}

// Copies frame f (fw x fh, laid across or down the strip) to (x, y).
void blit(cairo_t *cr, cairo_surface_t *src, int f, int fw, int fh, bool across, int x, int y) {
    const int sx = across ? f * fw : 0, sy = across ? 0 : f * fh;
    cairo_set_source_surface(cr, src, x - sx, y - sy);
    cairo_rectangle(cr, x, y, fw, fh);
    cairo_fill(cr);
}

// The board as the game draws it at a new game, then a few moves played.
bool write_preview(const Strips &s, const std::string &path) {
    cairo_surface_t *board = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kBoardWidth, kBoardHeight);
    cairo_t *cr = cairo_create(board);
    const int right = kPegColumns * kPegCell + kPositions * kBallCell + 2 * kMargin;
    const int meter_x = right - kMargin;
    const int edge_x = kBoardWidth - kMargin;
    auto ball = [&](int value, int x, int y) { blit(cr, s.balls, value + 4, kBallCell, kBallCell, true, x, y); };
    auto peg = [&](int value, int row, int slot) {
        blit(cr, s.pegs, value + 1, kPegCell, kPegCell, true,
             kBallCell * kPositions + kMargin + (slot / 2) * kPegCell,
             kRowsTop + row * kBallCell + (slot % 2) * kPegCell);
    };
    auto vpiece = [&](int f, int x, int y) { blit(cr, s.vertical, f, kMargin, kGrooveLength, false, x, y); };
    auto marker = [&](int row, bool current) {
        vpiece(current ? 1 : 0, 0, kRowsTop + row * kBallCell);
        vpiece(current ? 1 : 0, 0, kRowsTop + row * kBallCell + kGrooveLength);
    };

    for (int y : {0, kRowsTop - kMargin, kBoardHeight - kMargin}) {
        for (int x = kMargin; x < meter_x; x += kGrooveLength)
            blit(cr, s.horizontal, 0, kGrooveLength, kMargin, true, x, y);
        for (int x : {right, right + kGrooveLength})
            blit(cr, s.horizontal, 0, kGrooveLength, kMargin, true, x, y);
        for (int x : {0, meter_x, edge_x})
            blit(cr, s.corner, 0, kMargin, kMargin, true, x, y);
    }
    for (int half = 0; half < 2; ++half) {
        const int y = kMargin + half * kGrooveLength;
        vpiece(0, 0, y);
        vpiece(2 + half, meter_x, y);
        vpiece(0, edge_x, y);
    }
    for (int i = 0; i < kPositions; ++i) ball(-2, kMargin + i * kBallCell, kMargin);
    for (int slot = 0; slot < 2; ++slot)
        blit(cr, s.pegs, 0, kPegCell, kPegCell, true, kBallCell * kPositions + kMargin + slot * kPegCell, kMargin);
    for (int slot = 0; slot < 2; ++slot)
        blit(cr, s.pegs, 0, kPegCell, kPegCell, true, kBallCell * kPositions + kMargin + slot * kPegCell,
             kMargin + kPegCell);
    ball(-4, right, kMargin);
    for (int r = 0; r < kRows; ++r) {
        const int y = kRowsTop + r * kBallCell;
        marker(r, r == 0);
        for (int i = 0; i < kPositions; ++i) ball(0, kMargin + i * kBallCell, y);
        for (int slot = 0; slot < 4; ++slot) peg(0, r, slot);
        vpiece(0, meter_x, y);
        vpiece(0, meter_x, y + kGrooveLength);
        ball(r < 8 ? kPaletteOrder[r] : -1, right, y);
        vpiece(0, edge_x, y);
        vpiece(0, edge_x, y + kGrooveLength);
    }
    // Three rows played: every colour value appears once.
    const int guesses[3][kPositions] = {{1, 2, 8, 6}, {7, 9, 5, 3}, {10, 11, 4, 1}};
    const int pegs[3][4] = {{2, 1, 0, 0}, {0, 0, 0, 0}, {2, 2, 1, 1}};
    for (int r = 0; r < 3; ++r) {
        for (int i = 0; i < kPositions; ++i) ball(guesses[r][i], kMargin + i * kBallCell, kRowsTop + r * kBallCell);
        for (int slot = 0; slot < 4; ++slot) peg(pegs[r][slot], r, slot);
        marker(r, false);
    }
    marker(3, true);
    ball(5, kMargin, kRowsTop + 3 * kBallCell);
    // A level bar in the meter box, as the game draws it.
    cairo_set_source_rgb(cr, 0, 128 / 255.0, 0);
    cairo_rectangle(cr, meter_x + 2, 12, 6, 12);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0, 1, 0);
    cairo_rectangle(cr, meter_x + 2, 24, 6, 16);
    cairo_fill(cr);
    cairo_destroy(cr);

    // Twice the size, so the look can be judged.
    cairo_surface_t *big = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 3 * kBoardWidth, 2 * kBoardHeight);
    cr = cairo_create(big);
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    cairo_paint(cr);
    cairo_set_source_surface(cr, board, 0, 0);
    cairo_paint(cr);
    cairo_translate(cr, kBoardWidth + 4, 0);
    cairo_scale(cr, 2, 2);
    cairo_set_source_surface(cr, board, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_destroy(cr);
    const bool ok = save(big, path);
    cairo_surface_destroy(big);
    cairo_surface_destroy(board);
    return ok;
}

bool write_images(const Strips &s, const std::string &dir) {
    bool ok = make_dirs(dir) && save(s.balls, dir + "/b323210.png") && save(s.pegs, dir + "/b161604.png") &&
              save(s.vertical, dir + "/b0516.png") && save(s.horizontal, dir + "/b1605.png") &&
              save(s.corner, dir + "/b0505.png");
    cairo_surface_t *logo = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kLogoWidth, kLogoHeight);
    cairo_t *cr = cairo_create(logo);
    art_logo(cr, kLogoWidth, kLogoHeight);
    cairo_destroy(cr);
    ok = ok && save(logo, dir + "/logo.png");
    cairo_surface_destroy(logo);
    cairo_surface_t *icon = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kIconSize, kIconSize);
    cr = cairo_create(icon);
    art_icon(cr, kIconSize);
    cairo_destroy(cr);
    ok = ok && save(icon, dir + "/tarkabab.png");
    cairo_surface_destroy(icon);
    return ok;
}

bool write_icons(const std::string &root) {
    for (int n : kHicolorSizes) {
        const std::string dir = root + "/" + std::to_string(n) + "x" + std::to_string(n) + "/apps";
        cairo_surface_t *icon = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, n, n);
        cairo_t *cr = cairo_create(icon);
        art_icon(cr, n);
        cairo_destroy(cr);
        const bool ok = make_dirs(dir) && save(icon, dir + "/tarkabab.png");
        cairo_surface_destroy(icon);
        if (!ok) return false;
    }
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: tarkabab-imagegen --images DIR [--icons DIR] [--preview FILE]\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    std::string images, icons, preview;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc) return usage();
        if (a == "--images") images = argv[++i];
        else if (a == "--icons") icons = argv[++i];
        else if (a == "--preview") preview = argv[++i];
        else return usage();
    }
    if (images.empty() && preview.empty()) return usage();
    Strips s = draw_strips();
    bool ok = true;
    if (!images.empty()) ok = write_images(s, images) && ok;
    if (!icons.empty()) ok = write_icons(icons) && ok;
    if (!preview.empty()) ok = write_preview(s, preview) && ok;
    free_strips(s);
    return ok ? 0 : 1;
}
