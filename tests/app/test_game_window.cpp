// The real game window under Xvfb, played from the keyboard.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>

#include "GameWindow.h"
#include "HelpWindow.h"
#include "Settings.h"
#include "TipWindow.h"
#include "TitlePanel.h"
#include "words.h"

namespace {

char KeyOf(int colour) {
    for (const ColourInfo &c : kPalette)
        if (c.value == colour) return c.key ? c.key : '?';
    return '?';
}

bool CellShows(const wxBitmap &board, const wxBitmap &frame, int x, int y) {
    wxImage b = board.ConvertToImage(), f = frame.ConvertToImage();
    for (int j = 0; j < f.GetHeight(); ++j)
        for (int i = 0; i < f.GetWidth(); ++i)
            if (b.GetRed(x + i, y + j) != f.GetRed(i, j) || b.GetGreen(x + i, y + j) != f.GetGreen(i, j) ||
                b.GetBlue(x + i, y + j) != f.GetBlue(i, j))
                return false;
    return true;
}

std::string Slurp(const std::string &path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Window : public ::testing::Test {
protected:
    std::string dir;
    GameWindow *w = nullptr;

    void SetUp() override {
        char tmpl[] = "/tmp/tarkabab-window-XXXXXX";
        dir = mkdtemp(tmpl);
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        unsetenv("TARKABAB_STATE_DUMP");
    }
    void TearDown() override {
        Close();
        std::system(("rm -rf " + dir).c_str());
    }
    void Open() {
        w = new GameWindow(nullptr, GameWindow::kTitle, 160, 50, 200, 100);
        w->Show();
        Settle();
    }
    void Close() {
        if (!w) return;
        if (!wxTheApp->IsScheduledForDestruction(w)) w->Destroy();
        Settle();
        w = nullptr;
    }
    static void Settle() {
        for (int k = 0; k < 3; ++k) {
            wxTheApp->ProcessPendingEvents();
            wxTheApp->Yield(true);
            wxTheApp->ProcessIdle();
        }
    }
    void Keys(const std::string &keys) {
        for (char c : keys) Key(c);
    }
    void Key(int code) {
        wxKeyEvent key(wxEVT_CHAR_HOOK);
        key.m_keyCode = code;
        key.SetEventObject(w);
        w->GetEventHandler()->ProcessEvent(key);
        wxTheApp->ProcessPendingEvents();
    }
    std::string TipText() const { return std::string(w->Tip()->TipText().utf8_str()); }
    std::string ConfigFile() const { return dir + "/Vextorn/" + std::string(wxTheApp->GetAppName().utf8_str()) + ".conf"; }
};

TEST_F(Window, FirstRunOpensTheBoardTipAndHelp) {
    Open();
    int strip = w->Title()->GetSize().y;
    EXPECT_GT(strip, 10);
    EXPECT_EQ(w->GetClientSize(), wxSize(222, 414 + strip));
    EXPECT_EQ(w->BoardControl()->GetRect(), wxRect(0, strip, 222, 414));
    EXPECT_EQ(w->GetPosition(), wxPoint(160, 50));
    EXPECT_TRUE(w->Help()->IsShown());
    EXPECT_EQ(w->Help()->GetPosition(), wxPoint(390, 50));
    EXPECT_EQ(w->Help()->GetSize(), wxSize(430, 440));
    EXPECT_EQ(TipText(), "Szia! \nKezdheted a játékot!");
    EXPECT_TRUE(w->Tip()->IsShown());
    EXPECT_LT(w->Tip()->GetPosition().x, 160) << "tip window on the left";
    EXPECT_EQ(w->GetListeningState(), GameWindow::kStarting) << "no listener: starting for good";
    EXPECT_EQ(w->Sensitivity(), 30.0f);
}

TEST_F(Window, AKeyDrawsItsBallAndF1TogglesHelp) {
    Open();
    const BoardView &board = w->Board();
    Key('p');
    EXPECT_TRUE(CellShows(w->BoardBitmap(), board.BallFrame(1), 10, 52));
    Key('K');
    EXPECT_TRUE(CellShows(w->BoardBitmap(), board.BallFrame(8), 42, 52));
    Key(WXK_BACK);
    EXPECT_TRUE(CellShows(w->BoardBitmap(), board.BallFrame(BoardView::kEmpty), 42, 52));
    EXPECT_TRUE(w->Help()->IsShown());
    Key(WXK_F1);
    EXPECT_FALSE(w->Help()->IsShown());
    Key(WXK_F1);
    EXPECT_TRUE(w->Help()->IsShown());
    // The listener exists even without a sound server (it retries), so the
    // sensitivity keys step its threshold by 5 dB and show it.
    Key(WXK_UP);
    EXPECT_EQ(TipText(), "Érzékenység: 35 dB");
    Key(WXK_DOWN);
    Key(WXK_NUMPAD_SUBTRACT);
    EXPECT_EQ(TipText(), "Érzékenység: 25 dB");
    EXPECT_FLOAT_EQ(w->Sensitivity(), 30.0f);  // the window keeps its copy until listening stops
}

TEST_F(Window, PlayAWholeGameAndWin) {
    std::string dump = dir + "/state.txt";
    setenv("TARKABAB_STATE_DUMP", dump.c_str(), 1);
    Open();
    const GameModel *model = w->GetDialogue()->Model();
    int secret[4];
    for (int i = 0; i < 4; ++i) secret[i] = model->GetSecret(i);
    // A first guess that cannot win: every ball a colour not in the code.
    int miss = 1;
    for (const ColourInfo &c : kPalette) {
        if (c.value == 7) continue;  // orange's key depends on the state; keep it simple
        bool used = false;
        for (int s : secret) used |= s == c.value;
        if (!used && c.key) {
            miss = c.value;
            break;
        }
    }
    Keys(std::string(4, KeyOf(miss)));
    Key(WXK_RETURN);
    EXPECT_EQ(model->CurrentRow(), 1);
    EXPECT_TRUE(CellShows(w->BoardBitmap(), w->Board().PegFrame(0), 138, 52));
    for (int s : secret) Key(KeyOf(s));
    Key(WXK_RETURN);
    EXPECT_EQ(TipText(), "Éljen, éljen!");
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(CellShows(w->BoardBitmap(), w->Board().BallFrame(secret[i]), 10 + 32 * i, 10)) << i;
        EXPECT_TRUE(CellShows(w->BoardBitmap(), w->Board().BallFrame(secret[i]), 10 + 32 * i, 84)) << i;
    }
    EXPECT_TRUE(CellShows(w->BoardBitmap(), w->Board().PegFrame(2), 138, 84));
    std::string state = Slurp(dump);
    EXPECT_NE(state.find("entry=-2\n"), std::string::npos) << state;
    EXPECT_NE(state.find("tip=Éljen, éljen!\n"), std::string::npos) << state;
    // A new game starts at once after a win.
    Key('u');
    EXPECT_EQ(TipText(), "Kezdheted a játékot!");
    EXPECT_EQ(w->GetDialogue()->Entry(), 0);
    EXPECT_TRUE(CellShows(w->BoardBitmap(), w->Board().BallFrame(BoardView::kQuestion), 10, 10));
}

TEST_F(Window, NAnswersNoWhileAskedAndQuitClosesAndSaves) {
    Open();
    Key('G');
    EXPECT_EQ(TipText(), "Biztos megmondjam a megfejtést?\n\"igen\"\n\"nem\"");
    Key('n');
    EXPECT_EQ(w->GetDialogue()->State(), 0);
    EXPECT_FALSE(w->Tip()->IsShown());
    Key('n');
    EXPECT_EQ(w->GetDialogue()->Model()->GetColour(0), 7) << "orange while playing";
    w->Move(300, 120);
    Key(WXK_ESCAPE);
    Key('i');
    EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(w));
    Settle();
    w = nullptr;
    SettingsStore store(ConfigFile());
    EXPECT_TRUE(store.ReadBool("Sugo", false));
    EXPECT_EQ(store.ReadLong("PosX", 0), 300);
    EXPECT_EQ(store.ReadLong("PosY", 0), 120);
    EXPECT_EQ(store.ReadLong("SNR", 0), 30);
    EXPECT_EQ(store.ReadLong("HelpSizeX", 0), 430);

    Open();  // a later run: stored position, help stays hidden
    EXPECT_EQ(w->GetPosition(), wxPoint(300, 120));
    EXPECT_FALSE(w->Help()->IsShown());
}

TEST_F(Window, BadStoredValuesFallBackToDefaults) {
    mkdir((dir + "/Vextorn").c_str(), 0700);
    std::ofstream(ConfigFile()) << "PosX=9000\nPosY=9000\nSugo=1\nSNR=27\n";
    Open();
    EXPECT_EQ(w->GetPosition(), wxPoint(160, 50)) << "a position on no display is not used";
    EXPECT_FALSE(w->Help()->IsShown());
    EXPECT_EQ(w->Sensitivity(), 27.0f);
    Close();
    std::ofstream(ConfigFile()) << "\x01\x02 not a settings file";
    Open();
    EXPECT_EQ(w->GetPosition(), wxPoint(160, 50));
    EXPECT_TRUE(w->Help()->IsShown());
}

}  // namespace

