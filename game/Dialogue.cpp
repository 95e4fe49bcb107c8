#include "Dialogue.h"

#include <cstdlib>
#include <sstream>

#include "words.h"

namespace tip {
const char *const kGreeting = "Szia! \nKezdheted a játékot!";
const char *const kStart = "Kezdheted a játékot!";
const char *const kSolution = "Ezt kellett volna kitalálni:";
const char *const kWon = "Éljen, éljen!";
const char *const kLost = "Talán legközelebb...";
const char *const kPardon = "Tessék?";
const char *const kNewGameQuestion = "Biztos új játékot akarsz kezdeni?\n\"igen\"\n\"nem\"";
const char *const kRevealQuestion = "Biztos megmondjam a megfejtést?\n\"igen\"\n\"nem\"";
const char *const kQuitQuestion = "Biztos ki akarsz lépni?\n\"igen\"\n\"nem\"";
const char *const kOptionsOver = "Lehetőségek:\n\"új játék\"\n\"kilépés\"";
const char *const kOptionsRowFull =
    "Lehetőségek:\n\"rendben\"\n\"mégsem\"\n\"szabad a gazda\"\n\"új játék\"\n\"kilépés\"";
const char *const kOptionsWithCancel =
    "Lehetőségek:\n<szín>\n\"mégsem\"\n\"szabad a gazda\"\n\"új játék\"\n\"kilépés\"";
const char *const kOptionsWithoutCancel =
    "Lehetőségek:\n<szín>\n\"szabad a gazda\"\n\"új játék\"\n\"kilépés\"";
}  // namespace tip

namespace {
constexpr int kRows = 11;
constexpr int kColours = 8;
constexpr int kPositions = 4;
constexpr int kBlackPeg = 2;
constexpr int kWhitePeg = 1;
constexpr int kBlackBallValue = 4;  // "c_4.wav" names a black peg
constexpr int kWhiteBallValue = 2;  // "c_2.wav" names a white peg

int RuntimeRand() { return std::rand() & GameModel::kRandMax; }

std::string ColourPrompt(int value) { return "c_" + std::to_string(value) + ".wav"; }
}  // namespace

Dialogue::Dialogue(DialogueView &view, const BoardGeometry &geometry, GameModel::RandomFn random,
                   GameModel::RandomFn codeRandom)
    : view_(view), geometry_(geometry), random_(random ? random : RuntimeRand),
      codeRandom_(codeRandom) {}

void Dialogue::StartGame() {
    model_.reset();
    model_ = std::make_unique<GameModel>(kRows, kColours, kPositions, codeRandom_);
    geometry_.positions = model_->Positions();
    geometry_.rows = model_->RowCount();
    view_.RedrawBoard();
    entry_ = model_->NewCode();
    state_ = kPlaying;
    revealed_ = false;
    view_.StartMeterTimer();
    view_.Play("m_szia.wav");
    view_.Play("m_kezd.wav");
    Message(tip::kGreeting);
}

void Dialogue::AnchorTip() {
    int row = (entry_ < 0 || !model_) ? -1 : model_->CurrentRow();
    view_.SetTipAnchor(view_.BoardTop() + geometry_.RowCentre(row));
}

void Dialogue::Message(const char *text) {
    AnchorTip();
    view_.SetTip(text);
}

void Dialogue::ShowMessage(const std::string &text) {
    AnchorTip();
    view_.SetTip(text);
}

void Dialogue::Options(const char *text) {
    AnchorTip();
    view_.SetTipStacked(text);
}

void Dialogue::Addition(const char *text) {
    AnchorTip();
    view_.AddTip(text);
}

void Dialogue::PlayWithChance(const char *name) {
    double r = random_();
    if (r / GameModel::kRandMax * 100.0 <= kChancePercent) view_.Play(name);
}

void Dialogue::PlayColour(int value) { view_.Play(ColourPrompt(value)); }

void Dialogue::RevealSecret() {
    view_.Play("m_megfejtes.wav");
    for (int i = 0; i < model_->Positions(); ++i) {
        view_.DrawSecretBall(i, model_->GetSecret(i));
        PlayColour(model_->GetSecret(i));
    }
    revealed_ = true;
}

void Dialogue::NewCodeAndGreet() {
    entry_ = model_->NewCode();
    revealed_ = false;
    Message(tip::kStart);
    view_.Play("m_kezd.wav");
    view_.RedrawBoard();
}

void Dialogue::OnWord(int code) {
    if (!model_) return;
    if (code == kWordUnrecognised) {
        Addition(tip::kPardon);
        view_.PlayOnce("m_tessek.wav");
        return;
    }
    switch (state_) {
    case kConfirmNewGame:
        if (code == kWordYes) {
            NewCodeAndGreet();
            state_ = kPlaying;
        } else {
            OnQuestion(code, tip::kNewGameQuestion, "q_uj.wav");
        }
        return;
    case kConfirmReveal:
        if (code == kWordYes) {
            view_.DrawRowMarker(model_->CurrentRow(), false);
            RevealSecret();
            entry_ = kEntryOver;
            state_ = kPlaying;
            Message(tip::kSolution);
        } else {
            OnQuestion(code, tip::kRevealQuestion, "q_szabad.wav");
        }
        return;
    case kConfirmQuit:
        if (code == kWordYes) {
            Options("");
            view_.Play("m_szia.wav");
            view_.CloseWindow();
        } else {
            OnQuestion(code, tip::kQuitQuestion, "q_kilep.wav");
        }
        return;
    default:
        break;
    }
    if (IsOver())
        OnOver(code);
    else
        OnPlaying(code);
}

// Shows a yes/no question, says it, and waits in its state.
void Dialogue::Ask(const char *question, const char *prompt, int state) {
    Options(question);
    view_.Play(prompt);
    state_ = state;
}

// "nem" closes an open question; anything else asks it again.
void Dialogue::OnQuestion(int code, const char *question, const char *prompt) {
    if (code == kWordNo) {
        state_ = kPlaying;
        Options("");
        view_.Play("m_nem.wav");
        return;
    }
    Ask(question, prompt, state_);
}

void Dialogue::OnOver(int code) {
    if (code == kWordNewGame) {
        NewCodeAndGreet();
    } else if (code == kWordQuit) {
        Ask(tip::kQuitQuestion, "q_kilep.wav", kConfirmQuit);
    } else {
        Options(tip::kOptionsOver);
    }
}

void Dialogue::OnPlaying(int code) {
    const int positions = model_->Positions();
    switch (code) {
    case kWordQuit:
        Ask(tip::kQuitQuestion, "q_kilep.wav", kConfirmQuit);
        return;
    case kWordCancel:
        if (entry_ > 0) {
            --entry_;
            model_->SetColour(entry_, 0);
            view_.DrawBall(model_->CurrentRow(), entry_, model_->GetColour(entry_));
            Options("");
            view_.Play("m_megsem.wav");
        } else {
            view_.Play("m_nincstobb.wav");
        }
        return;
    case kWordNewGame:
        Ask(tip::kNewGameQuestion, "q_uj.wav", kConfirmNewGame);
        return;
    case kWordReveal:
        Ask(tip::kRevealQuestion, "q_szabad.wav", kConfirmReveal);
        return;
    default:
        break;
    }
    if (entry_ < positions) {
        if (code > 0 && model_->IsInPlay(code)) {
            Options("");
            int r = model_->SetColour(entry_, code);
            if (r <= 0) return;
            view_.DrawBall(model_->CurrentRow(), entry_, model_->GetColour(entry_));
            PlayColour(code);
            ++entry_;
        } else {
            Options(entry_ > 0 ? tip::kOptionsWithCancel : tip::kOptionsWithoutCancel);
        }
    } else if (code == kWordEvaluate) {
        EvaluateRow();
    } else {
        Options(tip::kOptionsRowFull);
        view_.Play("m_nincstobb.wav");
    }
}

void Dialogue::EvaluateRow() {
    Options("");
    const int row = model_->CurrentRow();
    view_.DrawRowMarker(row, false);
    entry_ = model_->Evaluate();
    bool announced = false;
    for (int i = 0; i < model_->Positions(); ++i) {
        int peg = model_->GetLastPeg(i);
        if (peg == kBlackPeg) {
            PlayColour(kBlackBallValue);
            announced = true;
        } else if (peg == kWhitePeg) {
            PlayColour(kWhiteBallValue);
            announced = true;
        }
        view_.DrawPeg(row, i, peg);
    }
    if (!announced) {
        PlayWithChance("l3.wav");
        view_.Play("m_nemtalalt.wav");
        PlayWithChance("l2.wav");
    }
    if (entry_ == kEntryWon || entry_ == kEntryOver)
        RevealSecret();
    else
        view_.DrawRowMarker(row + 1, true);
    if (entry_ == kEntryWon)
        Message(tip::kWon);
    else if (entry_ == kEntryOver)
        Message(tip::kLost);
}

std::string Dialogue::DumpState() const {
    std::ostringstream out;
    out << "state=" << state_ << "\n";
    out << "entry=" << entry_ << "\n";
    if (!model_) return out.str();
    out << "row=" << model_->CurrentRow() << "\n";
    out << "status=" << model_->Status() << "\n";
    out << "revealed=" << (revealed_ ? 1 : 0) << "\n";
    out << "secret=";
    for (int i = 0; i < model_->Positions(); ++i)
        out << (i ? " " : "") << (revealed_ ? model_->GetSecret(i) : 0);
    out << "\n";
    for (int r = 0; r <= model_->CurrentRow() && r < model_->RowsStarted(); ++r) {
        out << "row" << r << "=";
        for (int i = 0; i < model_->Positions(); ++i) out << (i ? " " : "") << model_->Guess(r, i);
        out << " |";
        for (int i = 0; i < model_->Positions(); ++i) out << " " << model_->Peg(r, i);
        out << "\n";
    }
    return out.str();
}
