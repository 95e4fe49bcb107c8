// Dialogue.h — the conversation: what every word does to the game.
//
// Every WordCode (words.h), typed or spoken, passes through OnWord once, on
// the GUI thread, in arrival order. The dialogue keeps a small state
// (playing, or one of three yes/no questions), drives the GameModel, asks
// the view to draw, sets the "Tipp" texts and queues spoken prompts.
//
// Entry position: 0..positions = next hole of the current row during play;
// -2 the game was won; -3 lost or revealed. The game is over for the
// dialogue when the entry position is -2 or below.
//
// The view is a small abstract interface so the dialogue runs without a
// display; the GameWindow implements it and tests record it.
#pragma once

#include <memory>
#include <string>

#include "BoardGeometry.h"
#include "GameModel.h"

// What the dialogue needs from its window.
class DialogueView {
public:
    virtual ~DialogueView() = default;
    // Board drawing (board view).
    virtual void RedrawBoard() = 0;
    virtual void DrawBall(int row, int position, int value) = 0;
    virtual void DrawSecretBall(int position, int value) = 0;
    virtual void DrawRowMarker(int row, bool current) = 0;
    virtual void DrawPeg(int row, int slot, int value) = 0;
    // The "Tipp" window. Anchor y is relative to the game window's top.
    virtual void SetTip(const std::string &text) = 0;
    virtual void SetTipStacked(const std::string &text) = 0;
    virtual void AddTip(const std::string &text) = 0;
    virtual void SetTipAnchor(int y) = 0;
    virtual int BoardTop() const = 0;  // board control's y in the game window
    // Spoken prompts.
    virtual void Play(const std::string &name) = 0;
    virtual void PlayOnce(const std::string &name) = 0;
    // Shell.
    virtual void StartMeterTimer() = 0;
    virtual void CloseWindow() = 0;  // busy cursor, then a close that may be vetoed
};

namespace tip {
extern const char *const kGreeting;
extern const char *const kStart;
extern const char *const kSolution;
extern const char *const kWon;
extern const char *const kLost;
extern const char *const kPardon;
extern const char *const kNewGameQuestion;
extern const char *const kRevealQuestion;
extern const char *const kQuitQuestion;
extern const char *const kOptionsOver;
extern const char *const kOptionsRowFull;
extern const char *const kOptionsWithCancel;
extern const char *const kOptionsWithoutCancel;
}  // namespace tip

class Dialogue {
public:
    enum State { kPlaying = 0, kConfirmQuit = 1, kConfirmReveal = 2, kConfirmNewGame = 3 };
    static constexpr int kEntryWon = -2;
    static constexpr int kEntryOver = -3;
    static constexpr int kChancePercent = 70;  // interjections "l2"/"l3" at a peg-less row

    // random: draws 0..32767 for the interjection chance; nullptr uses rand().
    // Both random sources may be injected for deterministic tests.
    Dialogue(DialogueView &view, const BoardGeometry &geometry,
             GameModel::RandomFn random = nullptr, GameModel::RandomFn codeRandom = nullptr);

    void StartGame();           // 11 rows, 8 colours, 4 positions
    void OnWord(int code);
    void ShowMessage(const std::string &text);  // anchored SetTip (sensitivity text)

    int State() const { return state_; }
    int Entry() const { return entry_; }
    bool IsOver() const { return entry_ <= kEntryWon; }
    const GameModel *Model() const { return model_.get(); }
    GameModel *MutableModel() { return model_.get(); }

    // A small text picture of the game for external observers: one
    // "key=value" per line (state, entry, row, status, revealed, secret,
    // row<N>=guess|pegs).
    std::string DumpState() const;

private:
    void AnchorTip();
    void Message(const char *text);
    void Options(const char *text);
    void Addition(const char *text);
    void PlayWithChance(const char *name);
    void PlayColour(int value);
    void RevealSecret();
    void NewCodeAndGreet();
    void Ask(const char *question, const char *prompt, int state);
    void OnQuestion(int code, const char *question, const char *prompt);
    void OnOver(int code);
    void OnPlaying(int code);
    void EvaluateRow();

    DialogueView &view_;
    BoardGeometry geometry_;
    GameModel::RandomFn random_;
    GameModel::RandomFn codeRandom_;
    std::unique_ptr<GameModel> model_;
    int entry_ = 0;
    int state_ = kPlaying;
    bool revealed_ = false;
};
