#include "BoardView.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include "resource_image.h"
#include "words.h"

namespace {
// Standard strip sizes; a missing strip is replaced by a blank one of this size.
constexpr int kCell = 32;
constexpr int kHalf = 16;
constexpr int kMargin = 10;

wxBitmap LoadStrip(const char *name, int width, int height, bool *ok) {
    wxImage image = ResourceImage(name);
    if (image.IsOk()) return wxBitmap(image, 24);
    *ok = false;
    wxImage blank(width, height);
    return wxBitmap(blank, 24);
}

// Cuts count frames of w x h from a strip, left to right or top to bottom.
std::vector<wxBitmap> Cut(const wxBitmap &strip, int count, bool vertical) {
    std::vector<wxBitmap> frames;
    int w = vertical ? strip.GetWidth() : strip.GetWidth() / count;
    int h = vertical ? strip.GetHeight() / count : strip.GetHeight();
    for (int k = 0; k < count; ++k)
        frames.push_back(strip.GetSubBitmap(wxRect(vertical ? 0 : k * w, vertical ? k * h : 0, w, h)));
    return frames;
}
}  // namespace

bool BoardView::LoadBitmaps() {
    bool ok = true;
    wxBitmap balls = LoadStrip("b323210.png", kBallFrames * kCell, kCell, &ok);
    wxBitmap pegs = LoadStrip("b161604.png", kPegFrames * kHalf, kHalf, &ok);
    wxBitmap grooves = LoadStrip("b0516.png", kMargin, kGrooveFrames * kHalf, &ok);
    wxBitmap edges = LoadStrip("b1605.png", kEdgeFrames * kHalf, kMargin, &ok);
    corner_ = LoadStrip("b0505.png", kMargin, kMargin, &ok);
    balls_ = Cut(balls, kBallFrames, false);
    pegs_ = Cut(pegs, kPegFrames, false);
    grooves_ = Cut(grooves, kGrooveFrames, true);
    edges_ = Cut(edges, kEdgeFrames, false);
    geo_.cell = balls.GetHeight();
    geo_.half = geo_.cell / 2;
    geo_.margin = grooves.GetWidth();
    return ok;
}

void BoardView::FreeBitmaps() {
    balls_.clear();
    pegs_.clear();
    grooves_.clear();
    edges_.clear();
    corner_ = wxBitmap();
}

void BoardView::SetLimits(int positions, int rows) {
    geo_.positions = positions;
    geo_.rows = rows;
}

void BoardView::PutOn(wxDC &dc, const wxBitmap &frame, int x, int y) {
    if (frame.IsOk()) dc.DrawBitmap(frame, x, y, false);
}

wxRect BoardView::Put(const wxBitmap &frame, int x, int y) {
    if (!frame.IsOk() || !board_.IsOk()) return wxRect();
    wxMemoryDC dc(board_);
    PutOn(dc, frame, x, y);
    dc.SelectObject(wxNullBitmap);
    return wxRect(x, y, frame.GetWidth(), frame.GetHeight());
}

void BoardView::DrawFrame(wxDC &dc) {
    const BoardGeometry &g = geo_;
    const int meterX = g.MeterBoxLeft();
    const int rightX = g.RightColumnLeft();
    const int grooveX = g.RightGrooveLeft();
    const int topY = g.HiddenRowTop();
    const int edgeYs[] = {0, g.FirstRowTop() - g.margin, g.Height() - g.margin};
    for (int y : edgeYs) {
        for (int x = g.margin; x < meterX; x += g.half) PutOn(dc, edges_[0], x, y);
        for (int x = rightX; x < grooveX; x += g.half) PutOn(dc, edges_[0], x, y);
        for (int x : {0, meterX, grooveX}) PutOn(dc, corner_, x, y);
    }
    for (int y = topY; y < topY + g.cell; y += g.half) {
        PutOn(dc, grooves_[kGroove], 0, y);
        PutOn(dc, grooves_[kGroove], grooveX, y);
    }
    PutOn(dc, grooves_[kMeterTop], meterX, topY);
    PutOn(dc, grooves_[kMeterBottom], meterX, topY + g.half);
}

void BoardView::DrawRow(wxDC &dc, int r, int colourCount) {
    const BoardGeometry &g = geo_;
    const int top = g.RowTop(r);
    for (int y = top; y < top + g.cell; y += g.half) {
        PutOn(dc, grooves_[r == 0 ? kMarker : kGroove], 0, y);
        PutOn(dc, grooves_[kGroove], g.MeterBoxLeft(), y);
        PutOn(dc, grooves_[kGroove], g.RightGrooveLeft(), y);
    }
    for (int i = 0; i < g.positions; ++i) PutOn(dc, BallFrame(kEmpty), g.BallLeft(i), top);
    for (int i = 0; i < 2 * g.PegColumns(); ++i) PutOn(dc, PegFrame(kPegEmpty), g.PegLeft(i), g.PegTop(r, i));
    int palette = r < colourCount && r < kMaxColours ? kPalette[r].value : kBlank;
    PutOn(dc, BallFrame(palette), g.RightColumnLeft(), top);
}

void BoardView::Redraw(bool listening, int colourCount) {
    if (balls_.empty()) return;
    const BoardGeometry &g = geo_;
    if (!board_.IsOk() || board_.GetWidth() != g.Width() || board_.GetHeight() != g.Height())
        board_ = wxBitmap(g.Width(), g.Height(), 24);
    wxMemoryDC dc(board_);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    DrawFrame(dc);
    for (int i = 0; i < g.positions; ++i) PutOn(dc, BallFrame(kQuestion), g.BallLeft(i), g.HiddenRowTop());
    for (int i = 0; i < 2 * g.PegColumns(); ++i)
        PutOn(dc, PegFrame(kPegBlank), g.PegLeft(i), g.HiddenPegTop(i));
    PutOn(dc, BallFrame(listening ? kMicOn : kMicOff), g.RightColumnLeft(), g.HiddenRowTop());
    for (int r = 0; r < g.rows; ++r) DrawRow(dc, r, colourCount);
    dc.SelectObject(wxNullBitmap);
}

wxRect BoardView::DrawBall(int row, int position, int value) {
    if (balls_.empty() || value < kMicOn || value > kMaxColours) return wxRect();
    return Put(BallFrame(value), geo_.BallLeft(position), geo_.RowTop(row));
}

wxRect BoardView::DrawMicIndicator(bool on) {
    if (balls_.empty()) return wxRect();
    return Put(BallFrame(on ? kMicOn : kMicOff), geo_.RightColumnLeft(), geo_.HiddenRowTop());
}

wxRect BoardView::DrawSecretBall(int position, int value) {
    if (balls_.empty() || value < kMicOn || value > kMaxColours) return wxRect();
    return Put(BallFrame(value), geo_.BallLeft(position), geo_.HiddenRowTop());
}

wxRect BoardView::DrawPeg(int row, int slot, int value) {
    if (pegs_.empty() || value < kPegBlank || value > 2) return wxRect();
    return Put(PegFrame(value), geo_.PegLeft(slot), geo_.PegTop(row, slot));
}

wxRect BoardView::DrawRowMarker(int row, bool current) {
    if (grooves_.empty() || row < 0 || row >= geo_.rows) return wxRect();
    const wxBitmap &frame = grooves_[current ? kMarker : kGroove];
    wxRect upper = Put(frame, 0, geo_.RowTop(row));
    return upper.Union(Put(frame, 0, geo_.RowTop(row) + geo_.half));
}

wxBEGIN_EVENT_TABLE(BoardImage, wxWindow)
    EVT_PAINT(BoardImage::OnPaint)
wxEND_EVENT_TABLE()

BoardImage::BoardImage(wxWindow *parent, wxWindowID id, const wxBitmap *bitmap)
    : wxWindow(parent, id, wxPoint(0, 0), wxSize(1, 1), wxCLIP_CHILDREN | wxBORDER_NONE),
      bitmap_(bitmap) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
}

void BoardImage::OnPaint(wxPaintEvent &) {
    wxPaintDC dc(this);
    if (bitmap_ && bitmap_->IsOk()) dc.DrawBitmap(*bitmap_, 0, 0, false);
}
