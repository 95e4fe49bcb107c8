// art.h — draws the game's pictures with cairo.
//
// Every picture is drawn into a cairo context whose origin is the picture's
// top-left corner; the caller owns the surface and decides the file format.
// The board strips share one flat board tone, and every groove runs straight
// through its frame, so frames tiled side by side join without seams:
//
//   strip     size     frames                 contents
//   b323210   512x32   16 of 32x32, l-to-r    mic, crossed mic, "?", blank,
//                                             empty hole, balls of values 1..11
//   b161604   64x16    4 of 16x16, l-to-r     blank, peg hole, white, black peg
//   b0516     10x64    4 of 10x16, t-to-b     vertical groove, red row marker,
//                                             meter box upper and lower half
//   b1605     32x10    2 of 16x10, l-to-r     horizontal groove, blank
//   b0505     10x10    1                      corner stud
//
// The meter box halves join into one 10x32 box whose inside (x 2..7,
// y 2..29 of the box) is left dark: the game draws its level bar there.
#pragma once

#include <cairo.h>

// One colour, components 0..1.
struct Rgb {
    double r, g, b;
};

constexpr int kBallCell = 32;     // ball frame side
constexpr int kPegCell = 16;      // peg frame side
constexpr int kMargin = 10;       // groove width
constexpr int kGrooveLength = 16; // groove frame length
constexpr int kBallFrames = 16;
constexpr int kPegFrames = 4;
constexpr int kColourCount = 11;  // colour values 1..11

// Colour value v (1..11) is kBallColours[v - 1].
extern const Rgb kBallColours[kColourCount];
extern const Rgb kBoardTone;      // the flat board background

// Frame f (0..15) of the ball strip: 0 microphone, 1 crossed-out microphone,
// 2 question mark, 3 blank, 4 empty hole, 5..15 ball of colour value f - 4.
void art_ball_frame(cairo_t *cr, int frame);

// Frame f (0..3) of the peg strip: blank, empty hole, white peg, black peg.
void art_peg_frame(cairo_t *cr, int frame);

// 10x16 vertical groove; with marker set, the channel holds the red bar.
void art_vgroove(cairo_t *cr, bool marker);

// 16x10 horizontal groove.
void art_hgroove(cairo_t *cr);

// The whole 10x32 meter box (the strip stores its upper and lower half).
void art_meter_box(cairo_t *cr);

// 10x10 corner stud where grooves meet.
void art_corner(cairo_t *cr);

// Fills w x h with the board tone (blank frames).
void art_blank(cairo_t *cr, int w, int h);

// The help page's logo, w x h on white.
void art_logo(cairo_t *cr, int w, int h);

// The program icon, size x size, transparent outside the tile.
void art_icon(cairo_t *cr, int size);
