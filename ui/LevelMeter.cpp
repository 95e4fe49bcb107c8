#include "LevelMeter.h"

#include <wx/brush.h>
#include <wx/dcmemory.h>
#include <wx/pen.h>

#include <algorithm>

#include "BoardGeometry.h"

namespace {
constexpr int kLeftGap = 2;     // bar starts 2 pixels inside the meter box
constexpr int kBottomGap = 2;
constexpr int kHeightTrim = 6;  // full height = cell - 6
constexpr int kRefreshTrim = 4;
constexpr int kFullLevel = 100;
}  // namespace

void LevelMeter::Layout(const BoardGeometry &g) {
    x = g.PegColumns() * g.half + kLeftGap + g.cell * g.positions + g.margin;
    bottom = g.FirstRowTop() - g.margin - kBottomGap;
    fullHeight = g.cell - kHeightTrim;
    shown = -1;
    refresh = wxRect(x, bottom - fullHeight - kBottomGap, kWidth, g.cell - kRefreshTrim);
}

int LevelMeter::Target(int level) const {
    return std::max(level, 0) * fullHeight / kFullLevel;
}

int LevelMeter::Step(int level) {
    int target = std::min(Target(level), fullHeight);
    if (shown != target) shown = std::max(shown - kFallPerTick, target);
    return shown;
}

void LevelMeter::Draw(wxBitmap &board, const wxPen &meterPen, const wxBrush &meterBrush) const {
    if (!board.IsOk() || shown < 0) return;
    wxMemoryDC dc(board);
    const int top = bottom - fullHeight - kBottomGap;
    int filled;
    if (shown == fullHeight) {
        filled = shown - 1;
        dc.SetPen(*wxRED_PEN);
        dc.SetBrush(*wxRED_BRUSH);
        dc.DrawRectangle(x, top, kWidth, kCapHeight);
    } else {
        filled = shown;
        dc.SetPen(meterPen);
        dc.SetBrush(meterBrush);
        dc.DrawRectangle(x, top, kWidth, fullHeight - shown + kBottomGap);
    }
    if (filled > 0) {
        dc.SetPen(*wxGREEN_PEN);
        dc.SetBrush(*wxGREEN_BRUSH);
        dc.DrawRectangle(x, bottom - filled, kWidth, filled);
    }
    dc.SelectObject(wxNullBitmap);
}
