// GameWindow.h — the single main window that owns everything.
//
// A caption-less frame (id 5999): the title strip on top, the board control
// (id 6000) below it, the floating "Tipp" window beside it. It owns the
// board view, the dialogue with its game model, the prompt player, the
// level-meter timer (id 10080), the settings and the help window, builds
// them in a fixed order in its constructor and takes them down in the
// reverse order: the prompt thread is joined first (it still says what is
// queued), then listening stops, then the settings are saved.
//
// Keys reach the game wherever the focus is in the window (char hook);
// each one becomes the same WordEvent a spoken word would, queued to this
// window. Pressing anywhere on the board or the title strip and dragging
// moves the window.
//
// TARKABAB_STATE_DUMP=<path>: when set, after every handled word the window
// writes a small text file (written to <path>.tmp, then renamed) with one
// key=value per line: state, entry, row, status, revealed, secret (zeros
// while hidden), row<N>=<guess> | <pegs> for every row so far, and
// tip=<the "Tipp" text with line breaks written as \n>. External tests
// read it.
#pragma once

#include <wx/frame.h>
#include <wx/timer.h>

#include <atomic>
#include <memory>
#include <string>

#include "BoardView.h"
#include "Dialogue.h"
#include "LevelMeter.h"

class HelpWindow;
class Listener;
class PromptPlayer;
class TipWindow;
class TitlePanel;
class wxFont;
class wxPen;
class wxBrush;

class GameWindow : public wxFrame, public DialogueView {
public:
    enum ListeningState { kStarting = 0, kListening = 1, kStopping = 2, kStopped = 3 };

    static constexpr const char *kTitle = "Tarkabab 1.5";
    static constexpr int kHelpOffsetX = 230;  // help window opens this far right of the game
    static constexpr int kHelpWidth = 430;
    static constexpr int kHelpHeight = 440;
    static constexpr long kDefaultSensitivity = 30;

    GameWindow(wxWindow *parent, const wxString &title, int x, int y, int width, int height);
    ~GameWindow() override;

    void StartListening();
    void StopListening();
    void ToggleHelp();

    // Read-outs for tests and the state dump.
    const wxBitmap &BoardBitmap() const { return board_.Bitmap(); }
    const BoardView &Board() const { return board_; }
    const Dialogue *GetDialogue() const { return dialogue_.get(); }
    TipWindow *Tip() const { return tip_; }
    HelpWindow *Help() const { return help_; }
    TitlePanel *Title() const { return title_; }
    wxWindow *BoardControl() const;
    float Sensitivity() const { return sensitivity_; }
    int GetListeningState() const { return listeningState_.load(std::memory_order_relaxed); }
    const LevelMeter &Meter() const { return meter_; }
    void QueueWord(int code);

    // DialogueView
    void RedrawBoard() override;
    void DrawBall(int row, int position, int value) override;
    void DrawSecretBall(int position, int value) override;
    void DrawRowMarker(int row, bool current) override;
    void DrawPeg(int row, int slot, int value) override;
    void SetTip(const std::string &text) override;
    void SetTipStacked(const std::string &text) override;
    void AddTip(const std::string &text) override;
    void SetTipAnchor(int y) override;
    int BoardTop() const override;
    void Play(const std::string &name) override;
    void PlayOnce(const std::string &name) override;
    void StartMeterTimer() override;
    void CloseWindow() override;

private:
    void Shutdown();
    void LoadSettings();
    void SaveSettings();
    void ArrangeWindow();
    void ShowBoardPart(const wxRect &rect);
    void CreateHelpWindow();
    void RunHelpLink(const wxString &target);
    void WriteStateDump() const;
    void ChangeSensitivity(int steps);

    void OnWord(wxCommandEvent &event);
    void OnListenStarted(wxCommandEvent &event);
    void OnListenEnded(wxCommandEvent &event);
    void OnHelpToggle(wxCommandEvent &event);
    void OnHelpLink(wxCommandEvent &event);
    void OnCharHook(wxKeyEvent &event);
    void OnMove(wxMoveEvent &event);
    void OnMeterTick(wxTimerEvent &event);
    void OnEraseBackground(wxEraseEvent &event);
    void OnDragStart(wxMouseEvent &event);

    BoardView board_;
    TitlePanel *title_ = nullptr;
    BoardImage *boardImage_ = nullptr;
    wxTimer *meterTimer_ = nullptr;
    TipWindow *tip_ = nullptr;
    Listener *listener_ = nullptr;
    std::atomic<int> listeningState_{kStopped};
    float sensitivity_ = kDefaultSensitivity;
    LevelMeter meter_;
    HelpWindow *help_ = nullptr;
    std::unique_ptr<Dialogue> dialogue_;
    std::unique_ptr<PromptPlayer> player_;
    wxFont *font_ = nullptr;
    bool destroying_ = false;
    wxPen *meterPen_ = nullptr;
    wxBrush *meterBrush_ = nullptr;
    std::string dumpPath_;

    wxDECLARE_EVENT_TABLE();
};
