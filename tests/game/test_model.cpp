#include <gtest/gtest.h>

#include <vector>

#include "GameModel.h"

namespace {

std::vector<int> Score(std::vector<int> code, std::vector<int> guess) {
    GameModel m(11, 8, 4, [] { return 0; });
    m.NewCode();
    m.SetSecretForTest(code);
    for (int i = 0; i < 4; ++i) m.SetColour(i, guess[i]);
    m.Evaluate();
    std::vector<int> pegs;
    for (int i = 0; i < 4; ++i) pegs.push_back(m.GetLastPeg(i));
    return pegs;
}

TEST(Scoring, RepeatedColoursGiveBlacksThenWhites) {
    EXPECT_EQ(Score({1, 1, 2, 2}, {1, 2, 1, 2}), (std::vector<int>{2, 2, 1, 1}));
    EXPECT_EQ(Score({1, 1, 1, 2}, {1, 2, 2, 2}), (std::vector<int>{2, 2, 0, 0}));
    EXPECT_EQ(Score({1, 2, 3, 5}, {5, 5, 5, 5}), (std::vector<int>{2, 0, 0, 0}));
    EXPECT_EQ(Score({3, 3, 5, 5}, {5, 5, 3, 3}), (std::vector<int>{1, 1, 1, 1}));
    EXPECT_EQ(Score({1, 2, 3, 5}, {6, 7, 8, 9}), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(Score({1, 2, 3, 5}, {2, 1, 5, 3}), (std::vector<int>{1, 1, 1, 1}));
}

TEST(Scoring, EachCodeBallYieldsOneWhiteAtMost) {
    EXPECT_EQ(Score({1, 2, 2, 3}, {2, 5, 5, 2}), (std::vector<int>{1, 1, 0, 0}));
    EXPECT_EQ(Score({2, 5, 5, 5}, {1, 2, 2, 2}), (std::vector<int>{1, 0, 0, 0}));
}

TEST(Model, IncompleteRowIsNotEvaluated) {
    GameModel m(11, 8, 4);
    m.NewCode();
    m.SetColour(0, 1);
    m.SetColour(1, 2);
    EXPECT_EQ(m.Evaluate(), -1);
    EXPECT_EQ(m.CurrentRow(), 0);
    EXPECT_EQ(m.Peg(0, 0), 0);
}

TEST(Model, ColoursNotInPlayAreRefused) {
    GameModel m(11, 8, 4);
    m.NewCode();
    EXPECT_EQ(m.SetColour(0, 8), 8);
    for (int outside : {10, 11, 4, 12, -1}) EXPECT_EQ(m.SetColour(0, outside), 8) << outside;
    EXPECT_EQ(m.SetColour(0, 0), 0);
    EXPECT_EQ(m.SetColour(4, 1), GameModel::kOutOfRange);
    EXPECT_EQ(m.GetColour(-1), GameModel::kOutOfRange);
}

TEST(Model, ElevenWrongRowsLoseAndStayOnTheLastRow) {
    GameModel m(11, 8, 4);
    m.NewCode();
    m.SetSecretForTest({1, 1, 1, 1});
    for (int row = 0; row < 11; ++row) {
        ASSERT_EQ(m.CurrentRow(), row);
        for (int i = 0; i < 4; ++i) m.SetColour(i, 2);
        int status = m.Evaluate();
        EXPECT_EQ(status, row < 10 ? 0 : GameModel::kLost);
    }
    EXPECT_EQ(m.CurrentRow(), 10);
    EXPECT_EQ(m.GetLastPeg(0), 0);
    EXPECT_EQ(m.StartRow(0), GameModel::kLost);
}

TEST(Model, SolveKeepsTheSolvedRowAndLastPegsReadIt) {
    GameModel m(11, 8, 4);
    m.NewCode();
    m.SetSecretForTest({1, 2, 8, 6});
    for (int i = 0; i < 4; ++i) m.SetColour(i, 5);
    EXPECT_EQ(m.Evaluate(), 0);
    EXPECT_EQ(m.CurrentRow(), 1);
    for (int i = 0; i < 4; ++i) m.SetColour(i, m.GetSecret(i));
    EXPECT_EQ(m.Evaluate(), GameModel::kSolved);
    EXPECT_EQ(m.CurrentRow(), 1);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(m.GetLastPeg(i), 2);
}

TEST(Model, SolvingOnTheLastRowIsAWin) {
    GameModel m(11, 8, 4);
    m.NewCode();
    m.SetSecretForTest({3, 3, 3, 3});
    for (int row = 0; row < 10; ++row) {
        for (int i = 0; i < 4; ++i) m.SetColour(i, 1);
        m.Evaluate();
    }
    for (int i = 0; i < 4; ++i) m.SetColour(i, 3);
    EXPECT_EQ(m.Evaluate(), GameModel::kSolved);
}

TEST(Model, StartRowRefusesSkippingAheadAndNewCodeClearsReusedRows) {
    GameModel m(11, 8, 4);
    m.NewCode();
    m.SetSecretForTest({1, 1, 1, 1});
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 4; ++i) m.SetColour(i, 2);
        m.Evaluate();
    }
    EXPECT_EQ(m.CurrentRow(), 2);
    EXPECT_EQ(m.StartRow(5), -1);
    EXPECT_EQ(m.NewCode(), 0);
    EXPECT_EQ(m.CurrentRow(), 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m.Guess(0, i), 0);
        EXPECT_EQ(m.Peg(0, i), 0);
    }
}

TEST(Model, CodeUsesOnlyColoursInPlayAcrossTheWholeRandomRange) {
    static int r;
    for (int value : {0, 1, 16383, 32766, 32767}) {
        r = value;
        GameModel m(11, 8, 4, [] { return r; });
        m.NewCode();
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(m.IsInPlay(m.GetSecret(i))) << value;
    }
    r = 32767;
    GameModel top(11, 8, 4, [] { return r; });
    top.NewCode();
    EXPECT_EQ(top.GetSecret(0), 3);  // palette entry 7, green
    GameModel capped(11, 20, 4);
    EXPECT_EQ(capped.ColourCount(), 11);
}

}  // namespace
