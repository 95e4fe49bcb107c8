// Board drawing: geometry and a few pixels of the drawn board.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>

#include "BoardView.h"
#include "words.h"

namespace {

// True when the board shows exactly this frame with its top-left at (x, y).
bool ShowsFrame(const wxImage &board, const wxImage &f, int x, int y) {
    for (int j = 0; j < f.GetHeight(); ++j)
        for (int i = 0; i < f.GetWidth(); ++i)
            if (board.GetRed(x + i, y + j) != f.GetRed(i, j) || board.GetGreen(x + i, y + j) != f.GetGreen(i, j) ||
                board.GetBlue(x + i, y + j) != f.GetBlue(i, j))
                return false;
    return true;
}

bool ShowsFrame(const wxImage &board, const wxBitmap &frame, int x, int y) {
    return ShowsFrame(board, frame.ConvertToImage(), x, y);
}

class Board : public ::testing::Test {
protected:
    BoardView view;
    void SetUp() override {
        ASSERT_TRUE(view.LoadBitmaps());
        view.SetLimits(4, 11);
        view.Redraw(false, 8);
    }
    wxImage Image() const { return view.Bitmap().ConvertToImage(); }
};

TEST_F(Board, StandardGeometry) {
    const BoardGeometry &g = view.Geometry();
    EXPECT_EQ(g.Width(), 222);
    EXPECT_EQ(g.Height(), 414);
    EXPECT_EQ(g.RowTop(10), 372);
    EXPECT_EQ(g.PegLeft(0), 138);
    EXPECT_EQ(g.HiddenRowTop(), 10);
    EXPECT_EQ(g.RightColumnLeft(), 180);
    EXPECT_EQ(view.Bitmap().GetWidth(), 222);
    EXPECT_EQ(view.Bitmap().GetHeight(), 414);
}

TEST_F(Board, FreshBoardShowsQuestionMarksEmptyHolesAndThePalette) {
    wxImage img = Image();
    const BoardGeometry &g = view.Geometry();
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(ShowsFrame(img, view.BallFrame(BoardView::kQuestion), g.BallLeft(i), 10));
    EXPECT_TRUE(ShowsFrame(img, view.BallFrame(BoardView::kMicOff), 180, 10));
    EXPECT_TRUE(ShowsFrame(img, view.BallFrame(BoardView::kEmpty), g.BallLeft(3), g.RowTop(10)));
    EXPECT_TRUE(ShowsFrame(img, view.PegFrame(0), 154, 372 + 16));
    for (int r = 0; r < 11; ++r) {
        int expected = r < 8 ? kPalette[r].value : BoardView::kBlank;
        EXPECT_TRUE(ShowsFrame(img, view.BallFrame(expected), 180, g.RowTop(r))) << "row " << r;
    }
}

TEST_F(Board, PartialDrawsTouchOnlyTheirCell) {
    wxImage before = Image();
    wxRect changed = view.DrawBall(2, 1, 8);
    EXPECT_EQ(changed, wxRect(42, 116, 32, 32));
    wxImage after = Image();
    EXPECT_TRUE(ShowsFrame(after, view.BallFrame(8), 42, 116));
    EXPECT_TRUE(ShowsFrame(after, before.GetSubImage(wxRect(10, 116, 32, 32)), 10, 116));
    EXPECT_EQ(view.DrawPeg(10, 3, 2), wxRect(154, 388, 16, 16));
    EXPECT_TRUE(ShowsFrame(Image(), view.PegFrame(2), 154, 388));
    EXPECT_TRUE(view.DrawBall(0, 0, 12).IsEmpty()) << "values beyond the strip are not drawn";
}

TEST_F(Board, ListeningShowsTheMicrophone) {
    view.Redraw(true, 8);
    EXPECT_TRUE(ShowsFrame(Image(), view.BallFrame(BoardView::kMicOn), 180, 10));
    view.DrawMicIndicator(false);
    EXPECT_TRUE(ShowsFrame(Image(), view.BallFrame(BoardView::kMicOff), 180, 10));
}

}  // namespace

