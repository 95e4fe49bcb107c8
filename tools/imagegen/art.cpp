// art.cpp — the drawings behind art.h.
#include "art.h"

#include <cmath>
#include <cstring>

// Colour values 1..11: red, white, green, black, yellow, pink, orange, blue,
// purple, brown, grey. Chosen far apart in hue and lightness.
const Rgb kBallColours[kColourCount] = {
    {0.86, 0.10, 0.10},  // 1 piros
    {0.96, 0.96, 0.94},  // 2 fehér
    {0.10, 0.66, 0.22},  // 3 zöld
    {0.09, 0.09, 0.11},  // 4 fekete
    {1.00, 0.86, 0.05},  // 5 sárga
    {1.00, 0.58, 0.80},  // 6 rózsaszín
    {1.00, 0.50, 0.00},  // 7 narancs
    {0.10, 0.32, 0.90},  // 8 kék
    {0.55, 0.18, 0.75},  // 9 lila
    {0.50, 0.29, 0.11},  // 10 barna
    {0.55, 0.56, 0.58},  // 11 szürke
};

const Rgb kBoardTone = {0.80, 0.64, 0.44};  // light oak

namespace {

constexpr double kPi = 3.14159265358979323846;

// The colour-independent mark of each colour value: a key letter, or one of
// the symbols below for the colours that have no key.
enum Symbol { kLetter, kTriangle, kDiamond, kStar };
struct Mark {
    Symbol symbol;
    const char *letter;
};
const Mark kMarks[kColourCount] = {
    {kLetter, "P"}, {kLetter, "F"}, {kLetter, "Z"}, {kStar, nullptr},
    {kLetter, "S"}, {kLetter, "R"}, {kLetter, "N"}, {kLetter, "K"},
    {kLetter, "L"}, {kTriangle, nullptr}, {kDiamond, nullptr},
};

// Ball geometry inside a 32x32 cell.
constexpr double kCellCentre = 16.0;
constexpr double kHoleRadius = 14.0;
constexpr double kBallRadius = 13.0;
constexpr double kPegHoleRadius = 2.6;
constexpr double kPegRadius = 5.6;
constexpr double kMarkSize = 10.5;   // mark height in pixels

// Grooves: a 4-pixel channel in the middle of the 10-pixel margin.
constexpr double kChannelFrom = 3.0;
constexpr double kChannelWidth = 4.0;

const Rgb kChannelDark = {0.36, 0.25, 0.15};
const Rgb kChannelLight = {0.60, 0.45, 0.29};
const Rgb kHoleRimDark = {0.24, 0.16, 0.09};   // shadowed upper-left rim
const Rgb kHoleRimLight = {0.90, 0.77, 0.58};  // lit lower-right rim
const Rgb kHoleFloor = {0.43, 0.31, 0.19};
const Rgb kHoleFloorEdge = {0.33, 0.23, 0.13};
const Rgb kMarkerRed = {0.90, 0.08, 0.06};
const Rgb kMeterInside = {0.06, 0.06, 0.05};
const Rgb kWhite = {1, 1, 1};
const Rgb kInkDark = {0.08, 0.08, 0.10};
const Rgb kInkLight = {1, 1, 1};

Rgb mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb lighten(Rgb c, double t) { return mix(c, kWhite, t); }
Rgb darken(Rgb c, double t) { return mix(c, Rgb{0, 0, 0}, t); }
double luma(Rgb c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

void set(cairo_t *cr, Rgb c, double alpha = 1.0) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}
void stop(cairo_pattern_t *p, double at, Rgb c, double alpha = 1.0) {
    cairo_pattern_add_color_stop_rgba(p, at, c.r, c.g, c.b, alpha);
}
void fill_with(cairo_t *cr, cairo_pattern_t *p) {
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}
void rounded_rect(cairo_t *cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

// A round recess lit from the top left: shadowed upper rim, lit lower rim.
void recess(cairo_t *cr, double cx, double cy, double r) {
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    cairo_pattern_t *p = cairo_pattern_create_linear(cx - r, cy - r, cx + r, cy + r);
    stop(p, 0.15, kHoleRimDark);
    stop(p, 0.85, kHoleRimLight);
    fill_with(cr, p);
    const double rim = r > 6 ? 1.4 : 0.8;
    cairo_arc(cr, cx + rim * 0.3, cy + rim * 0.3, r - rim, 0, 2 * kPi);
    p = cairo_pattern_create_radial(cx + r * 0.15, cy + r * 0.15, 0, cx, cy, r);
    stop(p, 0.0, kHoleFloor);
    stop(p, 1.0, kHoleFloorEdge);
    fill_with(cr, p);
}

// A shaded glass ball: body with a light core towards the top left, a dark
// edge, a bright window reflection and a faint glow at the bottom right.
void glass_ball(cairo_t *cr, double cx, double cy, double r, Rgb c) {
    // Contact shadow in the recess.
    cairo_arc(cr, cx + r * 0.10, cy + r * 0.12, r, 0, 2 * kPi);
    set(cr, Rgb{0, 0, 0}, 0.35);
    cairo_fill(cr);

    const bool pale = luma(c) > 0.8;
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    cairo_pattern_t *p = cairo_pattern_create_radial(cx - r * 0.35, cy - r * 0.40, r * 0.05,
                                                     cx, cy, r * 1.02);
    stop(p, 0.0, lighten(c, 0.55));
    stop(p, 0.45, c);
    stop(p, 0.85, darken(c, pale ? 0.22 : 0.35));
    stop(p, 1.0, darken(c, pale ? 0.40 : 0.55));
    fill_with(cr, p);

    // Glow of light passing through the glass.
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    p = cairo_pattern_create_radial(cx + r * 0.35, cy + r * 0.45, 0, cx + r * 0.35, cy + r * 0.45,
                                    r * 0.6);
    stop(p, 0.0, lighten(c, 0.45), 0.55);
    stop(p, 1.0, lighten(c, 0.45), 0.0);
    fill_with(cr, p);

    // Window reflection.
    cairo_save(cr);
    cairo_translate(cr, cx - r * 0.38, cy - r * 0.45);
    cairo_rotate(cr, -kPi / 4);
    cairo_scale(cr, r * 0.42, r * 0.26);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    p = cairo_pattern_create_radial(cx - r * 0.40, cy - r * 0.48, 0, cx - r * 0.40, cy - r * 0.48,
                                    r * 0.45);
    stop(p, 0.0, kWhite, 0.95);
    stop(p, 1.0, kWhite, 0.0);
    fill_with(cr, p);

    // Crisp outline.
    cairo_arc(cr, cx, cy, r - 0.5, 0, 2 * kPi);
    set(cr, darken(c, pale ? 0.55 : 0.6), 0.9);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

// Traces the symbol of a mark around (cx, cy) as a path of size s.
void symbol_path(cairo_t *cr, Symbol sym, double cx, double cy, double s) {
    switch (sym) {
    case kTriangle:
        cairo_move_to(cr, cx, cy - s * 0.55);
        cairo_line_to(cr, cx + s * 0.55, cy + s * 0.42);
        cairo_line_to(cr, cx - s * 0.55, cy + s * 0.42);
        cairo_close_path(cr);
        break;
    case kDiamond:
        cairo_move_to(cr, cx, cy - s * 0.58);
        cairo_line_to(cr, cx + s * 0.48, cy);
        cairo_line_to(cr, cx, cy + s * 0.58);
        cairo_line_to(cr, cx - s * 0.48, cy);
        cairo_close_path(cr);
        break;
    case kStar:
        for (int k = 0; k < 10; ++k) {
            const double a = -kPi / 2 + k * kPi / 5;
            const double rr = (k % 2 == 0) ? s * 0.62 : s * 0.26;
            if (k == 0)
                cairo_move_to(cr, cx + rr * std::cos(a), cy + rr * std::sin(a));
            else
                cairo_line_to(cr, cx + rr * std::cos(a), cy + rr * std::sin(a));
        }
        cairo_close_path(cr);
        break;
    case kLetter:
        break;
    }
}

// The mark of colour value v on a ball centred at (cx, cy): a dark mark on
// light balls, a light one with a dark rim on dark balls.
void ball_mark(cairo_t *cr, double cx, double cy, int value) {
    const Mark &m = kMarks[value - 1];
    const Rgb c = kBallColours[value - 1];
    const bool dark_ink = luma(c) > 0.55;
    const Rgb ink = dark_ink ? kInkDark : kInkLight;
    const Rgb rim = dark_ink ? lighten(c, 0.5) : darken(c, 0.7);

    cairo_new_path(cr);
    if (m.symbol == kLetter) {
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, kMarkSize * 1.38);
        cairo_text_extents_t e;
        cairo_text_extents(cr, m.letter, &e);
        const double x = std::round(cx - e.width / 2 - e.x_bearing);
        const double y = std::round(cy + e.height / 2) + 1;
        cairo_move_to(cr, x, y);
        cairo_text_path(cr, m.letter);
    } else {
        symbol_path(cr, m.symbol, cx, cy + 1, kMarkSize);
    }
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    set(cr, rim, 0.85);
    cairo_set_line_width(cr, 2.2);
    cairo_stroke_preserve(cr);
    set(cr, ink);
    cairo_fill(cr);
}

// A microphone standing in the cell; body and head colours given.
void microphone(cairo_t *cr, Rgb body, Rgb head) {
    const double cx = kCellCentre;
    // Head: a capsule with a grille.
    rounded_rect(cr, cx - 4.5, 3.5, 9, 15, 4.5);
    cairo_pattern_t *p = cairo_pattern_create_linear(cx - 4.5, 0, cx + 4.5, 0);
    stop(p, 0.0, darken(head, 0.25));
    stop(p, 0.35, lighten(head, 0.45));
    stop(p, 1.0, darken(head, 0.45));
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    set(cr, darken(head, 0.65));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    for (double y = 7.5; y <= 14.5; y += 2.0) {
        cairo_move_to(cr, cx - 3.2, y);
        cairo_line_to(cr, cx + 3.2, y);
    }
    set(cr, darken(head, 0.55), 0.8);
    cairo_set_line_width(cr, 0.9);
    cairo_stroke(cr);
    // Holder, stem and foot.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 2.0);
    set(cr, body);
    cairo_arc_negative(cr, cx, 13.0, 7.5, kPi, 0);
    cairo_stroke(cr);
    cairo_move_to(cr, cx, 20.5);
    cairo_line_to(cr, cx, 25.5);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2.4);
    cairo_move_to(cr, cx - 5.5, 26.8);
    cairo_line_to(cr, cx + 5.5, 26.8);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void blank(cairo_t *cr, double w, double h) {
    cairo_rectangle(cr, 0, 0, w, h);
    set(cr, kBoardTone);
    cairo_fill(cr);
}

// A straight groove channel, light falling from the top left.
void channel(cairo_t *cr, bool vertical, double length) {
    cairo_pattern_t *p;
    if (vertical) {
        cairo_rectangle(cr, kChannelFrom, 0, kChannelWidth, length);
        p = cairo_pattern_create_linear(kChannelFrom, 0, kChannelFrom + kChannelWidth, 0);
    } else {
        cairo_rectangle(cr, 0, kChannelFrom, length, kChannelWidth);
        p = cairo_pattern_create_linear(0, kChannelFrom, 0, kChannelFrom + kChannelWidth);
    }
    stop(p, 0.0, kChannelDark);
    stop(p, 0.6, mix(kChannelDark, kChannelLight, 0.5));
    stop(p, 1.0, kChannelLight);
    fill_with(cr, p);
}

}  // namespace

void art_blank(cairo_t *cr, int w, int h) { blank(cr, w, h); }

void art_ball_frame(cairo_t *cr, int frame) {
    blank(cr, kBallCell, kBallCell);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    switch (frame) {
    case 0:  // listening: dark microphone with a lit green head
        microphone(cr, Rgb{0.15, 0.15, 0.16}, Rgb{0.18, 0.72, 0.30});
        return;
    case 1: {  // not listening: faded microphone, crossed out in red
        microphone(cr, Rgb{0.38, 0.34, 0.30}, Rgb{0.55, 0.52, 0.48});
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_move_to(cr, 6.5, 5.5);
        cairo_line_to(cr, 25.5, 26.5);
        set(cr, kBoardTone);
        cairo_set_line_width(cr, 5.0);
        cairo_stroke_preserve(cr);
        set(cr, Rgb{0.85, 0.08, 0.05});
        cairo_set_line_width(cr, 2.8);
        cairo_stroke(cr);
        return;
    }
    case 2: {  // hidden ball: a wooden cap with a question mark
        recess(cr, kCellCentre, kCellCentre, kHoleRadius);
        glass_ball(cr, kCellCentre, kCellCentre, kBallRadius, Rgb{0.42, 0.27, 0.14});
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 19);
        cairo_text_extents_t e;
        cairo_text_extents(cr, "?", &e);
        cairo_move_to(cr, std::round(kCellCentre - e.width / 2 - e.x_bearing),
                      std::round(kCellCentre + e.height / 2));
        cairo_text_path(cr, "?");
        set(cr, Rgb{1.0, 0.93, 0.75});
        cairo_fill(cr);
        return;
    }
    case 3:
        return;
    case 4:
        recess(cr, kCellCentre, kCellCentre, kHoleRadius);
        return;
    default: {
        const int value = frame - 4;
        recess(cr, kCellCentre, kCellCentre, kHoleRadius);
        glass_ball(cr, kCellCentre, kCellCentre, kBallRadius, kBallColours[value - 1]);
        ball_mark(cr, kCellCentre, kCellCentre, value);
        return;
    }
    }
}

void art_peg_frame(cairo_t *cr, int frame) {
    blank(cr, kPegCell, kPegCell);
    const double c = kPegCell / 2.0;
    if (frame == 0) return;
    recess(cr, c, c, kPegHoleRadius);
    if (frame == 1) return;
    const Rgb peg = frame == 2 ? Rgb{0.97, 0.97, 0.95} : Rgb{0.07, 0.07, 0.08};
    glass_ball(cr, c, c, kPegRadius, peg);
}

void art_vgroove(cairo_t *cr, bool marker) {
    blank(cr, kMargin, kGrooveLength);
    channel(cr, true, kGrooveLength);
    if (!marker) return;
    // The current-row marker: a red rod lying in the channel.
    cairo_rectangle(cr, kChannelFrom - 1, 0, kChannelWidth + 2, kGrooveLength);
    cairo_pattern_t *p = cairo_pattern_create_linear(kChannelFrom - 1, 0,
                                                     kChannelFrom + kChannelWidth + 1, 0);
    stop(p, 0.0, darken(kMarkerRed, 0.45));
    stop(p, 0.3, lighten(kMarkerRed, 0.45));
    stop(p, 0.55, kMarkerRed);
    stop(p, 1.0, darken(kMarkerRed, 0.55));
    fill_with(cr, p);
}

void art_hgroove(cairo_t *cr) {
    blank(cr, kGrooveLength, kMargin);
    channel(cr, false, kGrooveLength);
}

void art_meter_box(cairo_t *cr) {
    const double h = 2 * kGrooveLength;
    blank(cr, kMargin, h);
    // Sunk bezel: shadow top left, light bottom right, dark window inside.
    rounded_rect(cr, 0.5, 0.5, kMargin - 1, h - 1, 2.0);
    cairo_pattern_t *p = cairo_pattern_create_linear(0, 0, kMargin, h);
    stop(p, 0.0, kChannelDark);
    stop(p, 1.0, kChannelLight);
    fill_with(cr, p);
    cairo_rectangle(cr, 2, 2, kMargin - 4, h - 4);
    set(cr, kMeterInside);
    cairo_fill(cr);
}

void art_corner(cairo_t *cr) {
    blank(cr, kMargin, kMargin);
    channel(cr, true, kMargin);
    channel(cr, false, kMargin);
    // A brass stud covering the joint.
    const double c = kMargin / 2.0;
    cairo_arc(cr, c, c, 3.6, 0, 2 * kPi);
    cairo_pattern_t *p = cairo_pattern_create_radial(c - 1.2, c - 1.2, 0.2, c, c, 3.8);
    stop(p, 0.0, Rgb{1.0, 0.95, 0.70});
    stop(p, 0.5, Rgb{0.80, 0.62, 0.25});
    stop(p, 1.0, Rgb{0.42, 0.30, 0.10});
    fill_with(cr, p);
}

void art_logo(cairo_t *cr, int w, int h) {
    cairo_rectangle(cr, 0, 0, w, h);
    set(cr, kWhite);
    cairo_fill(cr);
    // A speckled bean ("tarka bab") whose speckles are the game's balls.
    cairo_save(cr);
    cairo_translate(cr, w / 2.0, h / 2.0);
    cairo_scale(cr, w / 100.0, h / 80.0);
    cairo_move_to(cr, -40, 4);
    cairo_curve_to(cr, -44, -22, -14, -34, 4, -26);
    cairo_curve_to(cr, 18, -20, 30, -34, 42, -16);
    cairo_curve_to(cr, 52, 2, 40, 30, 10, 31);
    cairo_curve_to(cr, -18, 32, -37, 26, -40, 4);
    cairo_close_path(cr);
    cairo_restore(cr);
    cairo_pattern_t *p = cairo_pattern_create_radial(w * 0.35, h * 0.3, 2, w * 0.5, h * 0.5, w * 0.55);
    stop(p, 0.0, Rgb{1.0, 0.96, 0.86});
    stop(p, 0.7, Rgb{0.93, 0.82, 0.62});
    stop(p, 1.0, Rgb{0.74, 0.58, 0.38});
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    set(cr, Rgb{0.45, 0.30, 0.15});
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    // The bean's eye in the hollow of its back.
    cairo_save(cr);
    cairo_translate(cr, w * 0.54, h * 0.225);
    cairo_scale(cr, w * 0.07, h * 0.03);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    set(cr, Rgb{1.0, 0.98, 0.92});
    cairo_fill_preserve(cr);
    set(cr, Rgb{0.45, 0.30, 0.15});
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);

    struct Speckle { double x, y, r; int value; };
    const Speckle speckles[] = {
        {0.24, 0.50, 8.0, 1}, {0.42, 0.36, 7.0, 8}, {0.60, 0.50, 8.5, 5},
        {0.78, 0.34, 6.5, 3}, {0.40, 0.66, 6.0, 7}, {0.74, 0.66, 6.0, 9},
        {0.28, 0.26, 4.5, 6},
    };
    for (const Speckle &s : speckles)
        glass_ball(cr, s.x * w, s.y * h, s.r * w / 100.0, kBallColours[s.value - 1]);
}

void art_icon(cairo_t *cr, int size) {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_save(cr);
    cairo_scale(cr, size / 256.0, size / 256.0);
    // A wooden tile holding four balls, two by two.
    rounded_rect(cr, 8, 8, 240, 240, 44);
    cairo_pattern_t *p = cairo_pattern_create_linear(0, 8, 0, 248);
    stop(p, 0.0, lighten(kBoardTone, 0.25));
    stop(p, 1.0, darken(kBoardTone, 0.15));
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    set(cr, darken(kBoardTone, 0.55));
    cairo_set_line_width(cr, 8);
    cairo_stroke(cr);
    const int values[4] = {1, 8, 5, 3};  // red, blue, yellow, green
    for (int k = 0; k < 4; ++k) {
        const double cx = k % 2 == 0 ? 78 : 178;
        const double cy = k / 2 == 0 ? 78 : 178;
        recess(cr, cx, cy, 48);
        glass_ball(cr, cx, cy, 44, kBallColours[values[k] - 1]);
    }
    cairo_restore(cr);
}
