#include "GameModel.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "words.h"

namespace {
int RuntimeRand() { return std::rand() & GameModel::kRandMax; }
}  // namespace

GameModel::GameModel(int rowCount, int colourCount, int positions, RandomFn random)
    : rowCount_(rowCount),
      colourCount_(std::min(colourCount, kMaxColours)),
      positions_(positions),
      secret_(positions, 0),
      random_(random ? random : RuntimeRand) {
    StartRow(0);
    if (!random) std::srand(static_cast<unsigned>(std::time(nullptr)));
}

bool GameModel::IsInPlay(int colour) const {
    for (int k = 0; k < colourCount_; ++k)
        if (kPalette[k].value == colour) return true;
    return false;
}

int GameModel::NewCode() {
    for (int i = 0; i < positions_; ++i) {
        int index = static_cast<int>(random_() / static_cast<double>(kRandMax) * colourCount_);
        index = std::min(std::max(index, 0), colourCount_ - 1);
        secret_[i] = kPalette[index].value;
    }
    status_ = kPlaying;
    StartRow(0);
    return status_;
}

int GameModel::StartRow(int n) {
    if (status_ != kPlaying) return status_;
    if (n > currentRow_ + 1) return -1;
    if (n >= static_cast<int>(rows_.size())) {
        rows_.push_back(GameRow{std::vector<int>(positions_, 0), std::vector<int>(positions_, 0)});
    } else {
        std::fill(rows_[n].guess.begin(), rows_[n].guess.end(), 0);
        std::fill(rows_[n].pegs.begin(), rows_[n].pegs.end(), 0);
    }
    currentRow_ = n;
    return n;
}

int GameModel::SetColour(int position, int colour) {
    if (position < 0 || position >= positions_) return kOutOfRange;
    int &hole = rows_[currentRow_].guess[position];
    if (colour == 0 || IsInPlay(colour)) hole = colour;
    return hole;
}

int GameModel::GetColour(int position) const {
    if (position < 0 || position >= positions_) return kOutOfRange;
    return rows_[currentRow_].guess[position];
}

bool GameModel::IsRowComplete(int row) const {
    if (row < 0 || row > currentRow_) return false;
    for (int v : rows_[row].guess)
        if (v == 0 || v == kOutOfRange) return false;
    return true;
}

bool GameModel::IsRowSolved(int row) const {
    if (row < 0 || row > currentRow_) return false;
    for (int p : rows_[row].pegs)
        if (p != 2) return false;
    return true;
}

int GameModel::Evaluate() {
    if (!IsRowComplete(currentRow_)) return -1;
    std::vector<int> s = secret_;
    std::vector<int> g = rows_[currentRow_].guess;
    std::vector<int> &pegs = rows_[currentRow_].pegs;
    std::fill(pegs.begin(), pegs.end(), 0);
    int k = 0;
    for (int i = 0; i < positions_; ++i) {
        if (s[i] == g[i]) {
            s[i] = g[i] = 0;
            pegs[k++] = 2;
        }
    }
    for (int i = 0; i < positions_; ++i) {
        for (int j = 0; j < positions_ && s[i] != 0; ++j) {
            if (j != i && g[j] != 0 && s[i] == g[j]) {
                s[i] = g[j] = 0;
                pegs[k++] = 1;
            }
        }
    }
    if (IsRowSolved(currentRow_)) status_ = kSolved;
    if (currentRow_ >= rowCount_ - 1 && status_ != kSolved) status_ = kLost;
    if (status_ == kPlaying) StartRow(currentRow_ + 1);
    return status_;
}

int GameModel::GetLastPeg(int i) const {
    int row = status_ == kPlaying ? currentRow_ - 1 : currentRow_;
    if (row < 0 || i < 0 || i >= positions_) return 0;
    return rows_[row].pegs[i];
}

int GameModel::GetSecret(int i) const {
    if (i < 0 || i >= positions_) return 0;
    return secret_[i];
}
