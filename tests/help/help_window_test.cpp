// The help window under a real display (Xvfb): page text, links, toggling,
// closing and keys; and a real start of a stand-in mixer program.
#include "HelpPage.h"
#include "HelpWindow.h"
#include "Mixer.h"

#include "game/events.h"
#include "resources/resources.h"
#include "test_path.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/filesys.h>
#include <wx/image.h>
#include <wx/time.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

void Pump(int ms = 100) {
    const wxLongLong until = wxGetLocalTimeMillis() + ms;
    while (wxGetLocalTimeMillis() < until) {
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    }
}

// Stands in for the game window: records every link event it is sent and
// runs the target as the game window does.
class LinkRecorder : public wxEvtHandler {
public:
    LinkRecorder() { Bind(wxEventTypeTag<wxCommandEvent>(kHelpLinkEvent), &LinkRecorder::OnLink, this); }

    std::vector<wxString> targets;
    std::vector<int> ids;
    std::vector<bool> launched;

private:
    void OnLink(wxCommandEvent &event) {
        targets.push_back(event.GetString());
        ids.push_back(event.GetId());
        launched.push_back(HandleHelpLink(event.GetString()));
    }
};

int g_starts = 0;
bool CountStart(const char *const *) { return ++g_starts, true; }

// A help window whose minimised state the test controls: without a window
// manager, Xvfb never minimises a frame.
class MinimisableHelp : public HelpWindow {
public:
    using HelpWindow::HelpWindow;
    bool IsIconized() const override { return minimised; }
    void Iconize(bool iconize) override { minimised = iconize; }
    bool minimised = false;
};

class HelpWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterHelpMemoryFiles();
        help_ = new MinimisableHelp(&owner_);
        help_->Html()->SetPage(BuildHelpPage());
        g_starts = 0;
        previous_ = SetMixerRunner(CountStart);
    }
    void TearDown() override {
        SetMixerRunner(previous_);
        delete help_;
        Pump(20);
    }

    void ShowScrolled(int y) {
        help_->Show();
        Pump();
        help_->Html()->Scroll(0, y);
        ASSERT_EQ(Top(), y);
    }
    int Top() const { return help_->Html()->GetViewStart().y; }

    void Press(wxWindow *target, int key, bool control = false) {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = key;
        event.SetControlDown(control);
        event.SetEventObject(target);
        target->GetEventHandler()->ProcessEvent(event);
    }

    LinkRecorder owner_;
    MinimisableHelp *help_ = nullptr;
    MixerRunner previous_ = nullptr;
};

TEST_F(HelpWindowTest, StartsHiddenAsATopLevelFrameFilledByTheView) {
    EXPECT_FALSE(help_->IsShown());
    EXPECT_EQ(help_->GetParent(), nullptr);
    EXPECT_EQ(help_->GetTitle(), wxString::FromUTF8("Tarkabab Súgó"));
    EXPECT_EQ(help_->GetSize(), wxSize(400, 440));
    EXPECT_EQ(help_->Html()->GetName(), "htmlWindow");
    help_->Show();
    Pump();
    EXPECT_EQ(help_->Html()->GetSize(), help_->GetClientSize());
}

TEST_F(HelpWindowTest, ShownTextKeepsEveryAccent) {
    const wxString text = help_->Html()->ToText();
    for (const wchar_t *expected :
         {L"használati útmutató", L"Játékszabályok", L"A mikrofonerősítés és az érzékenység beállítása",
          L"Még néhány jótanács", L"fekete pöcköt", L"billentyűzetről", L"kattints ide"})
        EXPECT_TRUE(text.Contains(expected)) << wxString(expected).utf8_str();
    EXPECT_TRUE(text.Contains(L"[vissza a súgó elejére]"));
}

TEST_F(HelpWindowTest, AnchorLinkScrollsToTheSectionAndStaysInside) {
    ShowScrolled(0);
    help_->Html()->OnLinkClicked(wxHtmlLinkInfo("#m4"));
    Pump();
    const wxString name = "m4";
    const wxHtmlCell *anchor =
        help_->Html()->GetInternalRepresentation()->Find(wxHTML_COND_ISANCHOR, &name);
    ASSERT_NE(anchor, nullptr);
    int unitX = 0, unitY = 0;
    help_->Html()->GetScrollPixelsPerUnit(&unitX, &unitY);
    ASSERT_GT(unitY, 0);
    // The section's anchor is at the top edge of the view.
    EXPECT_GT(Top(), 0);
    const int below = anchor->GetAbsPos().y - Top() * unitY;
    EXPECT_GE(below, 0);
    EXPECT_LT(below, 2 * unitY);
    EXPECT_TRUE(owner_.targets.empty());

    help_->Html()->OnLinkClicked(wxHtmlLinkInfo("#st"));
    Pump();
    EXPECT_EQ(Top(), 0);
}

TEST_F(HelpWindowTest, OtherTargetsGoToTheOwnerAndOnlyTheMixerLinkLaunches) {
    ScratchPath path;
    path.AddFile("pavucontrol", "#!/bin/sh\n", 0755);
    ShowScrolled(5);

    help_->Html()->OnLinkClicked(wxHtmlLinkInfo("sr]"));
    help_->Html()->OnLinkClicked(wxHtmlLinkInfo("kezdolap.html"));
    Pump();
    EXPECT_EQ(owner_.targets, (std::vector<wxString>{"sr]", "kezdolap.html"}));
    EXPECT_EQ(owner_.ids, (std::vector<int>{0, 0}));
    EXPECT_EQ(owner_.launched, (std::vector<bool>{true, false}));
    EXPECT_EQ(g_starts, 1);
    EXPECT_TRUE(help_->IsShown()) << "the help window is left as it was";
    EXPECT_EQ(Top(), 5);
}

TEST_F(HelpWindowTest, OnlyALeftClickFollowsALink) {
    wxMouseEvent right(wxEVT_RIGHT_UP), left(wxEVT_LEFT_UP);
    wxHtmlLinkInfo link("sr]");
    link.SetEvent(&right);
    help_->Html()->OnLinkClicked(link);
    EXPECT_TRUE(owner_.targets.empty());
    link.SetEvent(&left);
    help_->Html()->OnLinkClicked(link);
    EXPECT_EQ(owner_.targets, std::vector<wxString>{"sr]"});
}

TEST_F(HelpWindowTest, LinksWithoutAnOwnerAreDropped) {
    HelpWindow lone(nullptr);
    lone.Html()->SetPage(BuildHelpPage());
    lone.Html()->OnLinkClicked(wxHtmlLinkInfo("sr]"));
    EXPECT_EQ(g_starts, 0);
}

TEST_F(HelpWindowTest, ToggleShowsHidesAndRestoresFromMinimised) {
    ToggleHelp(help_);
    EXPECT_TRUE(help_->IsShown());
    ToggleHelp(help_);
    EXPECT_FALSE(help_->IsShown());

    ToggleHelp(help_);
    help_->minimised = true;
    ToggleHelp(help_);  // F1 on a minimised window brings it back
    EXPECT_TRUE(help_->IsShown());
    EXPECT_FALSE(help_->minimised);
    ToggleHelp(help_);
    EXPECT_FALSE(help_->IsShown());

    help_->minimised = true;  // hidden and minimised: shown and restored
    ToggleHelp(help_);
    EXPECT_TRUE(help_->IsShown());
    EXPECT_FALSE(help_->minimised);

    ToggleHelp(nullptr);  // no window yet: nothing happens
}

TEST_F(HelpWindowTest, CloseBoxHidesAndRewindsAndTheWindowComesBackAtTheTop) {
    ShowScrolled(12);
    EXPECT_FALSE(help_->Close()) << "the close is refused";
    EXPECT_FALSE(help_->IsShown());
    EXPECT_EQ(Top(), 0);
    EXPECT_FALSE(wxTheApp->IsScheduledForDestruction(help_));
    ToggleHelp(help_);
    EXPECT_TRUE(help_->IsShown());
    EXPECT_EQ(Top(), 0);
}

TEST_F(HelpWindowTest, ForcedCloseDestroysTheFrame) {
    help_->Show();
    help_->Close(true);
    EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(help_));
    help_ = nullptr;  // the library deletes it
}

TEST_F(HelpWindowTest, EscEnterAndRHideFromTheViewAndTheFrame) {
    for (wxWindow *target : {static_cast<wxWindow *>(help_->Html()), static_cast<wxWindow *>(help_)}) {
        for (int key : {int(WXK_ESCAPE), int(WXK_RETURN), int(WXK_NUMPAD_ENTER), int('R')}) {
            ShowScrolled(7);
            Press(target, key);
            EXPECT_FALSE(help_->IsShown()) << "key " << key;
            EXPECT_EQ(Top(), 0) << "key " << key;
        }
    }
}

TEST_F(HelpWindowTest, OtherKeysLeaveTheWindowAlone) {
    ShowScrolled(3);
    for (int key : {int('X'), int('Q'), int(WXK_DOWN), int(WXK_F1), int(WXK_SPACE)}) {
        Press(help_->Html(), key);
        EXPECT_TRUE(help_->IsShown()) << "key " << key;
    }
    Press(help_->Html(), 'R', true);  // Ctrl+R is not a close key
    EXPECT_TRUE(help_->IsShown());
}

TEST_F(HelpWindowTest, RealEscapeKeyPressHidesTheWindow) {
    ShowScrolled(0);
    help_->Raise();
    help_->Html()->SetFocus();
    Pump(200);
    if (wxWindow::FindFocus() != help_->Html()) GTEST_SKIP() << "no keyboard focus on this display";
    wxUIActionSimulator().Char(WXK_ESCAPE);
    Pump(300);
    EXPECT_FALSE(help_->IsShown());
}

TEST(HelpMemoryFiles, LogoIsServedAsBmpWhenTheResourceExists) {
    const bool haveLogo = res_find("logo.png") != nullptr;
    EXPECT_EQ(RegisterHelpMemoryFiles(), haveLogo);
    EXPECT_EQ(RegisterHelpMemoryFiles(), haveLogo) << "a second call changes nothing";
    wxFileSystem fs;
    std::unique_ptr<wxFSFile> file(fs.OpenFile("memory:logo.bmp"));
    if (!haveLogo) {
        EXPECT_EQ(file, nullptr);
        return;
    }
    ASSERT_NE(file, nullptr);
    wxImage logo(*file->GetStream(), wxBITMAP_TYPE_BMP);
    ASSERT_TRUE(logo.IsOk());
    EXPECT_LE(logo.GetWidth(), 100);
    EXPECT_FALSE(logo.HasAlpha());
}

TEST(MixerLaunch, StartsTheInstalledProgramWithoutWaitingForIt) {
    ScratchPath path;
    const std::string out = path.dir() + "/args";
    path.AddFile("pavucontrol",
                 "#!/bin/sh\necho \"$@\" > " + out + ".tmp\n/bin/mv " + out + ".tmp " + out +
                     "\nexec /bin/sleep 3 </dev/null >/dev/null 2>&1\n",
                 0755);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(LaunchRecordingMixer());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    std::string args;
    for (int waited = 0; waited < 10000 && args.empty(); waited += 50) {
        Pump(50);
        std::ifstream in(out);
        std::getline(in, args);
    }
    EXPECT_EQ(args, "--tab=4");
}

}  // namespace
