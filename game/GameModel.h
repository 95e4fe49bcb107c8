// GameModel.h — one game of Master Mind: the hidden code, the rows of
// guesses with their pegs, the current row and the game status.
//
// Plain C++; knows nothing of windows, words or sound. The dialogue drives
// it and the board view draws what the dialogue reads out of it.
//
// Colours are colour values 1..11 (words.h); a value is in play when it is
// one of the first colourCount entries of the palette. 0 is an empty hole.
// Pegs: 0 none, 1 white (right colour, wrong place), 2 black (right colour,
// right place). A row's pegs are not tied to positions: blacks first, then
// whites, then zeros.
//
// status: 0 playing, -2 solved (won), -3 out of rows (lost).
//
// Nothing but StartRow checks the status; the dialogue keeps words away
// from a finished game.
#pragma once

#include <vector>

class GameModel {
public:
    static constexpr int kPlaying = 0;
    static constexpr int kSolved = -2;
    static constexpr int kLost = -3;
    static constexpr int kOutOfRange = -2;  // SetColour/GetColour position outside the row

    // Uniform draw in 0 .. kRandMax, like the C runtime's rand().
    static constexpr int kRandMax = 32767;
    using RandomFn = int (*)();

    // colourCount is capped at 11; positions must not exceed 4 pegs per
    // two columns the board can show. random == nullptr uses rand(), seeded
    // once here from the clock.
    GameModel(int rowCount, int colourCount, int positions, RandomFn random = nullptr);

    int NewCode();                       // draws a code, row 0 current; returns 0
    int StartRow(int n);                 // n, -1 when n > currentRow + 1, or the non-zero status
    int SetColour(int position, int colour);  // value now in the hole, -2 out of range
    int GetColour(int position) const;   // current row's value, -2 out of range
    bool IsRowComplete(int row) const;
    bool IsRowSolved(int row) const;
    int Evaluate();                      // -1 when the row is incomplete, else the new status
    int GetLastPeg(int i) const;         // peg i of the row evaluated last
    int GetSecret(int i) const;

    // Read-only views for drawing and state dumps.
    int RowCount() const { return rowCount_; }
    int ColourCount() const { return colourCount_; }
    int Positions() const { return positions_; }
    int CurrentRow() const { return currentRow_; }
    int Status() const { return status_; }
    int RowsStarted() const { return static_cast<int>(rows_.size()); }
    int Guess(int row, int i) const { return rows_[row].guess[i]; }
    int Peg(int row, int i) const { return rows_[row].pegs[i]; }

    // Test hook: sets the hidden code (values are not checked).
    void SetSecretForTest(const std::vector<int> &code) { secret_ = code; }

    bool IsInPlay(int colour) const;

private:
    struct GameRow {
        std::vector<int> guess;
        std::vector<int> pegs;
    };

    int rowCount_;
    int colourCount_;
    int positions_;
    int currentRow_ = 0;
    std::vector<int> secret_;
    std::vector<GameRow> rows_;
    int status_ = kPlaying;
    RandomFn random_;
};
