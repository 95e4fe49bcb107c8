#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Dialogue.h"
#include "words.h"

namespace {

// Records everything the dialogue asks of its window, in order.
class RecordingView : public DialogueView {
public:
    std::vector<std::string> log;
    std::vector<std::string> prompts;  // queued names, PlayOnce de-duplicated like the player
    std::string tip;                   // what the "Tipp" window would show
    bool added = false;
    bool stacking = false;
    int anchor = 0;
    int closes = 0;

    void RedrawBoard() override { log.push_back("redraw"); }
    void DrawBall(int r, int p, int v) override { Log("ball", r, p, v); }
    void DrawSecretBall(int p, int v) override { Log("secret", p, v); }
    void DrawRowMarker(int r, bool c) override { Log("marker", r, c); }
    void DrawPeg(int r, int s, int v) override { Log("peg", r, s, v); }
    void SetTip(const std::string &t) override { stacking = false, added = false, tip = t; }
    void SetTipStacked(const std::string &t) override { stacking = true, added = false, tip = t; }
    void AddTip(const std::string &t) override {
        if (added) return;
        tip = stacking ? t + (tip.empty() ? "" : "\n" + tip) : t;
        added = true;
    }
    void SetTipAnchor(int y) override { anchor = y; }
    int BoardTop() const override { return 23; }
    void Play(const std::string &n) override { prompts.push_back(n); }
    void PlayOnce(const std::string &n) override {
        if (prompts.empty() || prompts.back() != n) prompts.push_back(n);
    }
    void StartMeterTimer() override { log.push_back("timer"); }
    void CloseWindow() override { ++closes; }

    template <typename... A>
    void Log(const char *what, A... a) {
        std::string s = what;
        for (int v : {static_cast<int>(a)...}) s += " " + std::to_string(v);
        log.push_back(s);
    }
};

int g_random = 0;
int FixedRandom() { return g_random; }
int ZeroRandom() { return 0; }  // secret = palette entry 0 (red) everywhere

class DialogueTest : public ::testing::Test {
protected:
    RecordingView view;
    BoardGeometry geo;
    Dialogue d{view, geo, FixedRandom, ZeroRandom};

    void SetUp() override {
        g_random = 0;
        d.StartGame();
        view.prompts.clear();
        view.log.clear();
    }
    void Words(std::initializer_list<int> codes) {
        for (int c : codes) d.OnWord(c);
    }
    void SetSecret(std::vector<int> code) { d.MutableModel()->SetSecretForTest(code); }
};

using Prompts = std::vector<std::string>;

TEST(DialogueStart, GreetsAndStartsTheMeter) {
    RecordingView view;
    Dialogue d(view, BoardGeometry{});
    d.OnWord(1);  // before the first game: ignored
    EXPECT_TRUE(view.prompts.empty());
    d.StartGame();
    EXPECT_EQ(view.prompts, (Prompts{"m_szia.wav", "m_kezd.wav"}));
    EXPECT_EQ(view.tip, "Szia! \nKezdheted a játékot!");
    EXPECT_EQ(view.log, (std::vector<std::string>{"redraw", "timer"}));
    EXPECT_EQ(d.State(), 0);
    EXPECT_EQ(d.Entry(), 0);
    EXPECT_EQ(view.anchor, 23 + 52 + 16);  // centre of row 0
}

TEST_F(DialogueTest, ColoursFillTheRowAndCancelRemovesThem) {
    Words({1, 8});
    EXPECT_EQ(view.log, (std::vector<std::string>{"ball 0 0 1", "ball 0 1 8"}));
    EXPECT_EQ(d.Entry(), 2);
    d.OnWord(kWordCancel);
    EXPECT_EQ(d.Entry(), 1);
    EXPECT_EQ(view.log.back(), "ball 0 1 0");
    EXPECT_EQ(view.prompts, (Prompts{"c_1.wav", "c_8.wav", "m_megsem.wav"}));
    EXPECT_EQ(d.Model()->GetColour(1), 0);
}

TEST_F(DialogueTest, CancelOnEmptyRowOnlySaysNothingMore) {
    view.tip = "unchanged";
    d.OnWord(kWordCancel);
    EXPECT_EQ(view.prompts, (Prompts{"m_nincstobb.wav"}));
    EXPECT_EQ(view.tip, "unchanged");
    EXPECT_TRUE(view.log.empty());
    EXPECT_EQ(d.Entry(), 0);
}

TEST_F(DialogueTest, FifthColourAsksForRendben) {
    Words({1, 2, 3, 5});
    view.prompts.clear();
    d.OnWord(6);
    EXPECT_EQ(view.prompts, (Prompts{"m_nincstobb.wav"}));
    EXPECT_EQ(view.tip, tip::kOptionsRowFull);
    EXPECT_EQ(d.Entry(), 4);
}

TEST_F(DialogueTest, WordsThatAreNoColourInPlayShowOptions) {
    d.OnWord(10);  // brown: not in an 8-colour game
    EXPECT_EQ(view.tip, tip::kOptionsWithoutCancel);
    d.OnWord(1);
    d.OnWord(kWordEvaluate);
    EXPECT_EQ(view.tip, tip::kOptionsWithCancel);
    d.OnWord(kWordYes);
    EXPECT_EQ(view.tip, tip::kOptionsWithCancel);
    EXPECT_EQ(view.prompts, (Prompts{"c_1.wav"}));
    EXPECT_EQ(d.Entry(), 1);
}

TEST_F(DialogueTest, UnrecognisedTwiceShowsPardonButQueuesItOnce) {
    d.OnWord(kWordNewGame);
    view.prompts.clear();
    Words({kWordUnrecognised, kWordUnrecognised});
    EXPECT_EQ(view.prompts, (Prompts{"m_tessek.wav"}));
    EXPECT_EQ(view.tip, std::string("Tessék?\n") + tip::kNewGameQuestion);
    EXPECT_EQ(d.State(), Dialogue::kConfirmNewGame);
}

TEST_F(DialogueTest, ScoringAnnouncesBlacksThenWhitesAndMovesTheMarker) {
    SetSecret({1, 2, 8, 6});
    Words({1, 2, 6, 9});
    view.prompts.clear();
    view.log.clear();
    d.OnWord(kWordEvaluate);
    EXPECT_EQ(view.prompts, (Prompts{"c_4.wav", "c_4.wav", "c_2.wav"}));
    EXPECT_EQ(view.log, (std::vector<std::string>{"marker 0 0", "peg 0 0 2", "peg 0 1 2", "peg 0 2 1",
                                                  "peg 0 3 0", "marker 1 1"}));
    EXPECT_EQ(d.Entry(), 0);
    EXPECT_EQ(view.tip, "");
    d.OnWord(1);
    EXPECT_EQ(view.anchor, 23 + 52 + 32 + 16);  // texts now anchor on row 1
}

TEST_F(DialogueTest, PeglessRowInterjectionsFollowTheChance) {
    SetSecret({1, 1, 1, 1});
    struct Case {
        int random;
        Prompts expected;
    } cases[] = {
        {0, {"l3.wav", "m_nemtalalt.wav", "l2.wav"}},
        {22936, {"l3.wav", "m_nemtalalt.wav", "l2.wav"}},  // 69.9997 %
        {22937, {"m_nemtalalt.wav"}},                      // 70.0003 %
        {32767, {"m_nemtalalt.wav"}},
    };
    for (const Case &c : cases) {
        g_random = c.random;
        Words({2, 2, 2, 2});
        view.prompts.clear();
        d.OnWord(kWordEvaluate);
        EXPECT_EQ(view.prompts, c.expected) << c.random;
    }
}

TEST_F(DialogueTest, WinningRevealsTheCodeAndCheers) {
    SetSecret({5, 3, 9, 7});
    Words({5, 3, 9, 7});
    view.prompts.clear();
    view.log.clear();
    d.OnWord(kWordEvaluate);
    EXPECT_EQ(view.prompts, (Prompts{"c_4.wav", "c_4.wav", "c_4.wav", "c_4.wav", "m_megfejtes.wav",
                                     "c_5.wav", "c_3.wav", "c_9.wav", "c_7.wav"}));
    EXPECT_EQ(view.tip, "Éljen, éljen!");
    EXPECT_EQ(d.Entry(), Dialogue::kEntryWon);
    EXPECT_EQ(view.log.back(), "secret 3 7");
    for (const std::string &e : view.log) EXPECT_NE(e.rfind("marker 1", 0), 0u) << e;
    EXPECT_EQ(view.anchor, 23 + 52 - 10 - 16);  // hidden row once the game is over
}

TEST_F(DialogueTest, AfterAWinWordsGetOptionsAndNewGameStartsAtOnce) {
    SetSecret({1, 1, 1, 1});
    Words({1, 1, 1, 1, kWordEvaluate});
    view.prompts.clear();
    view.log.clear();
    Words({1, kWordCancel, kWordEvaluate});
    EXPECT_EQ(view.tip, tip::kOptionsOver);
    EXPECT_TRUE(view.prompts.empty());
    EXPECT_TRUE(view.log.empty());
    d.OnWord(kWordNewGame);
    EXPECT_EQ(d.State(), 0);
    EXPECT_EQ(d.Entry(), 0);
    EXPECT_EQ(view.tip, tip::kStart);
    EXPECT_EQ(view.prompts, (Prompts{"m_kezd.wav"}));
    EXPECT_EQ(view.log, (std::vector<std::string>{"redraw"}));
}

TEST_F(DialogueTest, LosingOnTheEleventhRow) {
    SetSecret({1, 1, 1, 1});
    for (int row = 0; row < 11; ++row) Words({2, 2, 2, 2, kWordEvaluate});
    EXPECT_EQ(d.Entry(), Dialogue::kEntryOver);
    EXPECT_EQ(view.tip, "Talán legközelebb...");
    EXPECT_EQ(d.Model()->CurrentRow(), 10);
}

TEST_F(DialogueTest, NewGameDuringPlayAsksFirst) {
    Words({1, 2});
    d.OnWord(kWordNewGame);
    EXPECT_EQ(d.State(), Dialogue::kConfirmNewGame);
    EXPECT_EQ(view.tip, tip::kNewGameQuestion);
    d.OnWord(3);  // any other word asks again
    EXPECT_EQ(view.prompts.back(), "q_uj.wav");
    d.OnWord(kWordNo);
    EXPECT_EQ(d.State(), 0);
    EXPECT_EQ(d.Entry(), 2);
    EXPECT_EQ(view.tip, "");
    EXPECT_EQ(view.prompts.back(), "m_nem.wav");
    Words({kWordNewGame, kWordYes});
    EXPECT_EQ(d.State(), 0);
    EXPECT_EQ(d.Entry(), 0);
    EXPECT_EQ(d.Model()->GetColour(0), 0);
    EXPECT_EQ(view.tip, tip::kStart);
    EXPECT_EQ(view.log.back(), "redraw");
    EXPECT_EQ(view.prompts.back(), "m_kezd.wav");
}

TEST_F(DialogueTest, RevealAfterYes) {
    SetSecret({7, 9, 5, 3});
    d.OnWord(kWordReveal);
    EXPECT_EQ(view.tip, tip::kRevealQuestion);
    view.prompts.clear();
    view.log.clear();
    d.OnWord(kWordYes);
    EXPECT_EQ(view.prompts, (Prompts{"m_megfejtes.wav", "c_7.wav", "c_9.wav", "c_5.wav", "c_3.wav"}));
    EXPECT_EQ(view.log, (std::vector<std::string>{"marker 0 0", "secret 0 7", "secret 1 9", "secret 2 5",
                                                  "secret 3 3"}));
    EXPECT_EQ(d.Entry(), Dialogue::kEntryOver);
    EXPECT_EQ(d.State(), 0);
    EXPECT_EQ(view.tip, "Ezt kellett volna kitalálni:");
    EXPECT_EQ(d.Model()->Status(), 0);
}

TEST_F(DialogueTest, QuitNeedsYesAndKeepsTheQuestionState) {
    d.OnWord(kWordQuit);
    EXPECT_EQ(d.State(), Dialogue::kConfirmQuit);
    EXPECT_EQ(view.prompts.back(), "q_kilep.wav");
    d.OnWord(kWordNo);
    EXPECT_EQ(d.State(), 0);
    EXPECT_EQ(view.closes, 0);
    Words({kWordQuit, kWordYes});
    EXPECT_EQ(view.closes, 1);
    EXPECT_EQ(view.prompts.back(), "m_szia.wav");
    EXPECT_EQ(view.tip, "");
    EXPECT_EQ(d.State(), Dialogue::kConfirmQuit);
}

TEST_F(DialogueTest, QuitIsAskedAfterTheGameIsOverToo) {
    d.OnWord(kWordReveal);
    d.OnWord(kWordYes);
    d.OnWord(kWordQuit);
    EXPECT_EQ(d.State(), Dialogue::kConfirmQuit);
    EXPECT_EQ(view.tip, tip::kQuitQuestion);
}

TEST_F(DialogueTest, DumpShowsRowsAndHidesTheCodeUntilRevealed) {
    SetSecret({1, 2, 8, 6});
    Words({1, 2, 6, 9, kWordEvaluate, 8});
    std::string dump = d.DumpState();
    EXPECT_NE(dump.find("row0=1 2 6 9 | 2 2 1 0\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("row1=8 0 0 0 | 0 0 0 0\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("secret=0 0 0 0\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("entry=1\n"), std::string::npos) << dump;
    Words({kWordReveal, kWordYes});
    dump = d.DumpState();
    EXPECT_NE(dump.find("revealed=1\nsecret=1 2 8 6\n"), std::string::npos) << dump;
}

}  // namespace
