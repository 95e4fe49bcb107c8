#include <gtest/gtest.h>

#include <wx/defs.h>

#include "KeyMap.h"
#include "words.h"

namespace {

int WordOf(int key, int state = 0) {
    KeyAction a = MapKey(key, state);
    return a.kind == KeyAction::kWord ? a.value : 999;
}

TEST(Keys, LettersInEitherCaseGiveTheirColour) {
    const struct {
        char key;
        int colour;
    } colours[] = {{'P', 1}, {'F', 2}, {'K', 8}, {'R', 6}, {'L', 9}, {'S', 5}, {'Z', 3}};
    for (auto c : colours) {
        EXPECT_EQ(WordOf(c.key), c.colour) << c.key;
        EXPECT_EQ(WordOf(c.key + ('a' - 'A')), c.colour) << c.key;
        EXPECT_EQ(WordOf(c.key, 2), c.colour) << "colour keys do not depend on the state";
    }
}

TEST(Keys, NIsOrangeWhilePlayingAndNoWhileAsking) {
    EXPECT_EQ(WordOf('N', 0), 7);
    EXPECT_EQ(WordOf('n', 0), 7);
    for (int state : {1, 2, 3}) EXPECT_EQ(WordOf('N', state), kWordNo) << state;
}

TEST(Keys, Commands) {
    EXPECT_EQ(WordOf('I'), kWordYes);
    EXPECT_EQ(WordOf('U'), kWordNewGame);
    EXPECT_EQ(WordOf('G'), kWordReveal);
    EXPECT_EQ(WordOf(WXK_ESCAPE), kWordQuit);
    EXPECT_EQ(WordOf(WXK_RETURN), kWordEvaluate);
    EXPECT_EQ(WordOf(WXK_NUMPAD_ENTER), kWordEvaluate);
    for (int key : {int(WXK_BACK), int(WXK_DELETE), int('M'), int('m')}) EXPECT_EQ(WordOf(key), kWordCancel);
}

TEST(Keys, SensitivityHelpAndEverythingElse) {
    EXPECT_EQ(MapKey(WXK_UP, 0).kind, KeyAction::kSensitivity);
    EXPECT_EQ(MapKey(WXK_NUMPAD_ADD, 0).value, 1);
    EXPECT_EQ(MapKey(WXK_DOWN, 1).value, -1);
    EXPECT_EQ(MapKey(WXK_NUMPAD_SUBTRACT, 0).value, -1);
    EXPECT_EQ(MapKey(WXK_F1, 0).kind, KeyAction::kHelp);
    for (int key : {int(WXK_F4), int('A'), int('X'), int(' '), int(WXK_TAB), int('1')})
        EXPECT_EQ(MapKey(key, 0).kind, KeyAction::kSkip) << key;
}

TEST(Keys, SensitivityText) {
    EXPECT_EQ(SensitivityText(70.0f), "Érzékenység: 70 dB");
    EXPECT_EQ(SensitivityText(5.0f), "Érzékenység:   5 dB");
    EXPECT_EQ(SensitivityText(27.0f), "Érzékenység: 27 dB");
}

TEST(Words, RecogniserClassesMapToTheSameCodes) {
    EXPECT_EQ(ClassToWord(0), kWordUnrecognised);
    EXPECT_EQ(ClassToWord(21), kWordUnrecognised);
    EXPECT_EQ(ClassToWord(16), kWordEvaluate);
    EXPECT_EQ(ClassToWord(18), kWordNo);
    EXPECT_TRUE(IsHelpClass(19));
    EXPECT_TRUE(IsHelpClass(20));
}

}  // namespace
