// The "Tipp" window's texts and placement, the title strip and the level meter.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/brush.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/pen.h>
#include <wx/stattext.h>

#include "BoardGeometry.h"
#include "LevelMeter.h"
#include "TipWindow.h"
#include "TitlePanel.h"

namespace {

wxString U(const char *utf8) { return wxString::FromUTF8(utf8); }

class Tip : public ::testing::Test {
protected:
    wxFrame *game = nullptr;
    TipWindow *tip = nullptr;
    void SetUp() override {
        game = new wxFrame(nullptr, wxID_ANY, "game", wxPoint(400, 100), wxSize(222, 437));
        game->Show();
        tip = new TipWindow(game);
    }
    void TearDown() override {
        game->Destroy();
        wxTheApp->ProcessPendingEvents();
    }
};

TEST_F(Tip, StartsHiddenAndShowsOnlyWithText) {
    EXPECT_FALSE(tip->IsShown());
    EXPECT_FALSE(tip->Show());
    EXPECT_FALSE(tip->IsShown());
    tip->SetTip(U("Tessék?"));
    EXPECT_TRUE(tip->IsShown());
    tip->SetTipStacked("");
    EXPECT_FALSE(tip->IsShown());
    EXPECT_EQ(tip->TipText(), "");
}

TEST_F(Tip, StackedAdditionGoesOnTopOnce) {
    tip->SetTipStacked(U("Lehetőségek:"));
    tip->AddTip(U("Tessék?"));
    tip->AddTip(U("Tessék?"));
    EXPECT_EQ(tip->TipText(), U("Tessék?\nLehetőségek:"));
    tip->SetTip("Szia!");
    tip->AddTip(U("Tessék?"));
    EXPECT_EQ(tip->TipText(), U("Tessék?")) << "a message is replaced, not stacked";
    tip->SetTipStacked("");
    tip->AddTip(U("Tessék?"));
    EXPECT_EQ(tip->TipText(), U("Tessék?")) << "no line break before an empty text";
}

TEST_F(Tip, SizeFollowsTheTextAndTheSameTextLeavesItAlone) {
    tip->SetTipAnchor(91);
    tip->SetTip(U("Biztos ki akarsz lépni?\n\"igen\"\n\"nem\""));
    wxSize big = tip->GetSize();
    tip->SetTip("Ok");
    wxSize small = tip->GetSize();
    EXPECT_LT(small.x, big.x);
    EXPECT_LT(small.y, big.y);
    tip->Move(5, 5);
    tip->SetTip("Ok");
    EXPECT_EQ(tip->GetPosition(), wxPoint(5, 5)) << "same text: not moved";
    EXPECT_EQ(tip->GetSize(), small);
}

TEST_F(Tip, PlacedLeftOfTheGameOrRightWhenNoRoom) {
    tip->SetTipAnchor(91);
    tip->SetTip(U("Szia!\nKezdheted a játékot!"));
    wxSize s = tip->GetSize();
    tip->Reposition();
    EXPECT_EQ(tip->GetPosition(), wxPoint(400 - s.x - 2, 100 + 91 - s.y / 2));
    game->Move(10, 100);
    tip->Reposition();
    EXPECT_EQ(tip->GetPosition().x, 10 + game->GetSize().x + 2);
}

TEST(Title, LabelsSitInTheMarginsAndTheStripFitsThem) {
    wxFrame *frame = new wxFrame(nullptr, wxID_ANY, "t", wxPoint(0, 0), wxSize(300, 200));
    TitlePanel *strip = new TitlePanel(frame, wxPoint(0, 0), wxSize(1, 1));
    strip->SetTexts("Tarkabab 1.5", "Vextorn");
    strip->SetSize(0, 0, 222, 1);
    strip->FitHeight();
    int labels = std::max(strip->LeftLabel()->GetSize().y, strip->RightLabel()->GetSize().y);
    EXPECT_GE(strip->LeftLabel()->GetSize().x, strip->LeftLabel()->GetTextExtent("Tarkabab 1.5").x);
    EXPECT_EQ(strip->GetClientSize().y, labels + 6);
    strip->SetSize(0, 0, 222, strip->GetSize().y);
    EXPECT_EQ(strip->LeftLabel()->GetPosition(), wxPoint(5, 3));
    wxStaticText *right = strip->RightLabel();
    EXPECT_EQ(right->GetPosition().x + right->GetSize().x, 222 - 5);
    strip->SetBackgroundColour(wxColour(140, 66, 66));
    EXPECT_EQ(right->GetBackgroundColour(), wxColour(140, 66, 66));
    frame->Destroy();
}

TEST(Meter, LayoutFromTheStandardBoard) {
    LevelMeter m;
    m.Layout(BoardGeometry{});
    EXPECT_EQ(m.x, 172);
    EXPECT_EQ(m.bottom, 40);
    EXPECT_EQ(m.fullHeight, 26);
    EXPECT_EQ(m.refresh, wxRect(172, 12, 6, 28));
}

TEST(Meter, JumpsUpAndFallsFourPixelsATick) {
    LevelMeter m;
    m.Layout(BoardGeometry{});
    EXPECT_EQ(m.Step(-1), 0) << "no listener reads as level 0";
    EXPECT_EQ(m.Step(100), 26);
    EXPECT_EQ(m.Step(0), 22);
    EXPECT_EQ(m.Step(0), 18);
    EXPECT_EQ(m.Step(50), 14);
    EXPECT_EQ(m.Step(99), 25);
    EXPECT_EQ(m.Step(250), 26);
}

TEST(Meter, FullScaleDrawsARedCapOverAGreenBar) {
    LevelMeter m;
    m.Layout(BoardGeometry{});
    wxBitmap board(222, 414, 24);
    wxPen pen(wxColour(0, 128, 0));
    wxBrush brush(wxColour(0, 128, 0));
    auto colourAt = [&](int y) {
        wxImage img = board.ConvertToImage();
        return wxColour(img.GetRed(174, y), img.GetGreen(174, y), img.GetBlue(174, y));
    };
    m.Step(100);
    m.Draw(board, pen, brush);
    EXPECT_EQ(colourAt(12), *wxRED);
    EXPECT_EQ(colourAt(14), *wxRED);
    EXPECT_EQ(colourAt(15), *wxGREEN);  // 25 pixels of bar: 15..39
    EXPECT_EQ(colourAt(39), *wxGREEN);
    m.Step(0);
    m.Draw(board, pen, brush);
    EXPECT_EQ(colourAt(17), wxColour(0, 128, 0));  // unfilled: 12 .. 17
    EXPECT_EQ(colourAt(18), *wxGREEN);             // 22 pixels: 18..39
    EXPECT_EQ(colourAt(39), *wxGREEN);
}

}  // namespace

