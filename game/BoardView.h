// BoardView.h — draws the game into an off-screen board bitmap.
//
// The pictures come from five small strips compiled into the program
// (resources.h), cut into frames once at load:
//   b323210.png  16 balls of S x S: 0 microphone, 1 crossed-out microphone,
//                2 question mark, 3 blank, 4 empty hole, 5..15 colours 1..11
//   b161604.png   4 pegs of H x H: 0 blank, 1 empty hole, 2 white, 3 black
//   b0516.png     4 frames of M x H, top to bottom: 0 vertical groove,
//                1 red current-row bar, 2 and 3 meter box upper and lower half
//   b1605.png     2 frames of H x M: 0 horizontal groove, 1 blank
//   b0505.png     corner piece, M x M
// A ball value v (-4..11) is ball frame v + 4; a peg value p (-1..2) is peg
// frame p + 1. The geometry (BoardGeometry.h) follows the strips' sizes.
//
// Every drawing operation returns the board rectangle it changed, so the
// caller refreshes just that part of the screen. BoardImage is the control
// that shows the bitmap.
#pragma once

#include <wx/bitmap.h>
#include <wx/window.h>

#include <vector>

#include "BoardGeometry.h"

class wxDC;

class BoardView {
public:
    enum BallValue { kMicOn = -4, kMicOff = -3, kQuestion = -2, kBlank = -1, kEmpty = 0 };
    enum PegValue { kPegBlank = -1, kPegEmpty = 0 };

    // Loads the strips and sets the cell sizes. A missing or unreadable
    // strip is replaced by a blank one of the standard size; returns false
    // then.
    bool LoadBitmaps();
    void FreeBitmaps();
    void SetLimits(int positions, int rows);

    const BoardGeometry &Geometry() const { return geo_; }
    const wxBitmap &Bitmap() const { return board_; }

    // Full redraw: frame, hidden row, every row with the palette column.
    void Redraw(bool listening, int colourCount);
    wxRect DrawBall(int row, int position, int value);
    wxRect DrawMicIndicator(bool on);
    wxRect DrawSecretBall(int position, int value);
    wxRect DrawPeg(int row, int slot, int value);
    wxRect DrawRowMarker(int row, bool current);

    // The frame a ball value is drawn with (for tests and the help page).
    const wxBitmap &BallFrame(int value) const { return balls_[value + 4]; }
    const wxBitmap &PegFrame(int value) const { return pegs_[value + 1]; }

    static constexpr int kBallFrames = 16;
    static constexpr int kPegFrames = 4;
    static constexpr int kGrooveFrames = 4;
    static constexpr int kEdgeFrames = 2;
    enum GrooveFrame { kGroove = 0, kMarker = 1, kMeterTop = 2, kMeterBottom = 3 };

private:
    wxRect Put(const wxBitmap &frame, int x, int y);
    void PutOn(wxDC &dc, const wxBitmap &frame, int x, int y);
    void DrawFrame(wxDC &dc);
    void DrawRow(wxDC &dc, int r, int colourCount);

    BoardGeometry geo_;
    std::vector<wxBitmap> balls_, pegs_, grooves_, edges_;
    wxBitmap corner_;
    wxBitmap board_{1, 1};
};

// Shows the board bitmap; paints it and nothing else (no background erase).
// It refers to the bitmap rather than copying it: drawing into a shared
// bitmap would unshare it and leave the control showing a stale copy.
class BoardImage : public wxWindow {
public:
    BoardImage(wxWindow *parent, wxWindowID id, const wxBitmap *bitmap);
    void SetBitmap(const wxBitmap *bitmap) { bitmap_ = bitmap; }
    bool AcceptsFocus() const override { return false; }
    bool AcceptsFocusFromKeyboard() const override { return false; }

private:
    void OnPaint(wxPaintEvent &event);
    const wxBitmap *bitmap_;
    wxDECLARE_EVENT_TABLE();
};
