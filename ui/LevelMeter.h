// LevelMeter.h — the microphone level bar drawn into the board bitmap.
//
// Layout from the board geometry: x = K*H + 2 + S*P + M, bottom = Y0 - M - 2,
// width 6, full height S - 6; with the standard strips x 172, bottom 40,
// full height 26 and refresh rectangle (172, 12, 6, 28).
//
// Every 50 ms while listening, Step(level 0..100) moves the shown height
// toward level * full / 100: up at once, down by at most 4 pixels a tick.
// Draw paints it: the unfilled part in the meter colour, the filled part in
// green from the bottom, and at full scale a red cap on top (the bar is then
// one pixel shorter).
#pragma once

#include <wx/gdicmn.h>

struct BoardGeometry;
class wxBitmap;
class wxPen;
class wxBrush;

struct LevelMeter {
    static constexpr int kWidth = 6;
    static constexpr int kFallPerTick = 4;
    static constexpr int kTickMs = 50;
    static constexpr int kCapHeight = 3;

    int x = 0;
    int bottom = 0;
    int fullHeight = 0;
    int shown = -1;  // -1 before the first tick
    wxRect refresh;

    void Layout(const BoardGeometry &g);
    int Target(int level) const;  // level 0..100 (negative reads as 0)
    int Step(int level);          // new shown height
    void Draw(wxBitmap &board, const wxPen &meterPen, const wxBrush &meterBrush) const;
};
