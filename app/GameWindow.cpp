#include "GameWindow.h"

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/stattext.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

#include <cstdio>
#include <cstdlib>

#include "HelpPage.h"
#include "HelpWindow.h"
#include "KeyMap.h"
#include "Mixer.h"
#include "PromptPlayer.h"
#include "Settings.h"
#include "TipWindow.h"
#include "TitlePanel.h"
#include "events.h"
#include "resource_image.h"
#include "words.h"
#include "Listener.h"

namespace {
const wxColour kMeterColour(0, 128, 0);
const wxColour kTitleBackground(140, 66, 66);
constexpr int kFontPoints = 11;
constexpr const char *kFontFace = "helvetica";
constexpr const char *kNotice = "© 2026 Vextorn";
// A stored position counts when this point of the window lies on a display.
const wxPoint kGrip(16, 8);

wxIcon ProgramIcon() {
    wxIcon icon;
    wxImage image = ResourceImage("tarkabab.png");
    if (image.IsOk()) icon.CopyFromBitmap(wxBitmap(image));
    return icon;
}

bool OnSomeDisplay(const wxPoint &topLeft) {
    return wxDisplay::GetFromPoint(topLeft + kGrip) != wxNOT_FOUND;
}

std::string Escaped(const wxString &text) {
    std::string out;
    for (char c : std::string(text.utf8_str())) {
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}
}  // namespace

wxBEGIN_EVENT_TABLE(GameWindow, wxFrame)
    EVT_COMMAND(wxID_ANY, kListenStartedEvent, GameWindow::OnListenStarted)
    EVT_COMMAND(wxID_ANY, kListenEndedEvent, GameWindow::OnListenEnded)
    EVT_COMMAND(wxID_ANY, kHelpLinkEvent, GameWindow::OnHelpLink)
    EVT_COMMAND(wxID_ANY, kHelpToggleEvent, GameWindow::OnHelpToggle)
    EVT_MOVE(GameWindow::OnMove)
    EVT_CHAR_HOOK(GameWindow::OnCharHook)
    EVT_COMMAND(kGameWindowId, kWordEvent, GameWindow::OnWord)
    EVT_TIMER(kMeterTimerId, GameWindow::OnMeterTick)
    EVT_ERASE_BACKGROUND(GameWindow::OnEraseBackground)
wxEND_EVENT_TABLE()

GameWindow::GameWindow(wxWindow *parent, const wxString &title, int x, int y, int width, int height)
    : wxFrame(parent, kGameWindowId, title, wxPoint(x, y), wxSize(width, height),
              wxSYSTEM_MENU | wxCLIP_CHILDREN) {
    destroying_ = false;
    SetIcon(ProgramIcon());
    wxLog::EnableLogging(false);

    meterPen_ = new wxPen(kMeterColour, 1, wxPENSTYLE_SOLID);
    meterBrush_ = new wxBrush(kMeterColour, wxBRUSHSTYLE_SOLID);
    meterTimer_ = new wxTimer(this, kMeterTimerId);

    board_.LoadBitmaps();

    RegisterHelpMemoryFiles();

    CreateHelpWindow();

    boardImage_ = new BoardImage(this, kBoardControlId, &board_.Bitmap());

    font_ = new wxFont(*wxNORMAL_FONT);
    font_->SetPointSize(kFontPoints);
    if (!font_->SetFaceName(kFontFace)) font_->SetFamily(wxFONTFAMILY_SWISS);
    SetFont(*font_);

    title_ = new TitlePanel(this, wxPoint(0, 0), wxSize(1, 1));
    title_->SetBackgroundColour(kTitleBackground);
    title_->SetForegroundColour(*wxLIGHT_GREY);
    title_->SetFonts(font_->Bold(), *font_);
    title_->SetTexts(kTitle, wxString::FromUTF8(kNotice));
    title_->FitHeight();

    for (wxWindow *w : {static_cast<wxWindow *>(boardImage_), static_cast<wxWindow *>(title_),
                        static_cast<wxWindow *>(title_->LeftLabel()),
                        static_cast<wxWindow *>(title_->RightLabel())})
        w->Bind(wxEVT_LEFT_DOWN, &GameWindow::OnDragStart, this);

    listener_ = nullptr;

    tip_ = new TipWindow(this);
    tip_->SetTextFont(*font_);

    LoadSettings();

    listeningState_ = kStopped;
    StartListening();

    player_ = std::make_unique<PromptPlayer>();

    if (const char *dump = std::getenv("TARKABAB_STATE_DUMP")) dumpPath_ = dump;
    dialogue_ = std::make_unique<Dialogue>(*this, board_.Geometry());
    dialogue_->StartGame();

    meter_.Layout(board_.Geometry());
    WriteStateDump();
}

GameWindow::~GameWindow() { Shutdown(); }

void GameWindow::Shutdown() {
    if (destroying_) return;
    destroying_ = true;
    if (meterTimer_) meterTimer_->Stop();
    dialogue_.reset();
    board_.FreeBitmaps();
    if (player_) {
        player_->Shutdown();
        player_.reset();
    }
    if (listener_) listener_->SetAnnounceEnd(false);
    StopListening();
    SaveSettings();
    delete meterTimer_;
    meterTimer_ = nullptr;
    if (help_) {
        help_->Destroy();
        help_ = nullptr;
    }
    delete meterPen_;
    delete meterBrush_;
    delete font_;
    meterPen_ = nullptr;
    meterBrush_ = nullptr;
    font_ = nullptr;
}

wxWindow *GameWindow::BoardControl() const { return boardImage_; }

// ---- listening ----------------------------------------------------------

void GameWindow::StartListening() {
    if (destroying_ || listeningState_ != kStopped) return;
    listeningState_ = kStarting;
    if (!listener_) listener_ = new Listener();
    listener_->SetWordSink(this, DeliverWord);
    listener_->Start();
    if (sensitivity_ >= 0.0f)
        listener_->SetSensitivity(sensitivity_);
    else
        sensitivity_ = listener_->Sensitivity();
}

void GameWindow::StopListening() {
    listeningState_ = kStopping;
    if (listener_) {
        sensitivity_ = listener_->Sensitivity();
        listener_->Stop();
        listener_->Delete();  // joins the listening thread
        delete listener_;
        listener_ = nullptr;
    }
    listeningState_ = kStopped;
}

void GameWindow::ChangeSensitivity(int steps) {
    if (!listener_ || !dialogue_) return;
    listener_->SetSensitivity(listener_->Sensitivity() + steps * kSensitivityStepDb);
    dialogue_->ShowMessage(SensitivityText(listener_->Sensitivity()));
}

void GameWindow::OnListenStarted(wxCommandEvent &) {
    if (destroying_) return;
    listeningState_ = kListening;
    ShowBoardPart(board_.DrawMicIndicator(true));
}

void GameWindow::OnListenEnded(wxCommandEvent &) {
    if (destroying_) return;
    ShowBoardPart(board_.DrawMicIndicator(false));
}

void GameWindow::OnMeterTick(wxTimerEvent &) {
    if (GetListeningState() != kListening || destroying_) return;
    meter_.Step(listener_ ? listener_->Level() : -1);
    wxBitmap &board = const_cast<wxBitmap &>(board_.Bitmap());
    meter_.Draw(board, *meterPen_, *meterBrush_);
    boardImage_->RefreshRect(meter_.refresh, false);
}

// ---- help ---------------------------------------------------------------

void GameWindow::CreateHelpWindow() {
    help_ = new HelpWindow(this);
    help_->SetIcon(ProgramIcon());
    help_->Html()->SetPage(BuildHelpPage());
}

void GameWindow::ToggleHelp() { ::ToggleHelp(help_); }

void GameWindow::RunHelpLink(const wxString &target) { HandleHelpLink(target); }

void GameWindow::OnHelpToggle(wxCommandEvent &) { ToggleHelp(); }

void GameWindow::OnHelpLink(wxCommandEvent &event) {
    if (destroying_) return;
    RunHelpLink(event.GetString());
}

// ---- settings -----------------------------------------------------------

void GameWindow::LoadSettings() {
    SettingsStore store(SettingsStore::FilePath(wxTheApp->GetAppName()));
    wxPoint here = GetPosition();
    wxPoint pos(store.ReadLong("PosX", here.x), store.ReadLong("PosY", here.y));
    if (!OnSomeDisplay(pos)) pos = here;
    Move(pos);

    pos = GetPosition();
    wxPoint helpDefault(pos.x + kHelpOffsetX, pos.y);
    wxPoint helpPos(store.ReadLong("HelpPosX", helpDefault.x), store.ReadLong("HelpPosY", helpDefault.y));
    if (!OnSomeDisplay(helpPos)) helpPos = helpDefault;
    help_->Move(helpPos);
    help_->SetSize(store.ReadLong("HelpSizeX", kHelpWidth), store.ReadLong("HelpSizeY", kHelpHeight));

    sensitivity_ = static_cast<float>(store.ReadLong("SNR", kDefaultSensitivity));

    if (!store.ReadBool("Sugo", false)) ToggleHelp();
}

void GameWindow::SaveSettings() {
    SettingsStore store(SettingsStore::FilePath(wxTheApp->GetAppName()));
    if (!IsIconized()) {
        wxPoint pos = GetPosition();
        store.WriteLong("PosX", pos.x);
        store.WriteLong("PosY", pos.y);
    }
    if (help_ && !help_->IsIconized()) {
        wxPoint pos = help_->GetPosition();
        wxSize size = help_->GetSize();
        store.WriteLong("HelpPosX", pos.x);
        store.WriteLong("HelpPosY", pos.y);
        store.WriteLong("HelpSizeX", size.x);
        store.WriteLong("HelpSizeY", size.y);
    }
    store.WriteLong("SNR", static_cast<long>(sensitivity_));
    store.WriteBool("Sugo", true);
    store.Save();
}

// ---- words and keys -----------------------------------------------------

void GameWindow::QueueWord(int code) {
    wxCommandEvent word(kWordEvent, kGameWindowId);
    word.SetInt(code);
    GetEventHandler()->AddPendingEvent(word);
}

void GameWindow::OnWord(wxCommandEvent &event) {
    if (destroying_ || !dialogue_) return;
    dialogue_->OnWord(event.GetInt());
    WriteStateDump();
}

void GameWindow::OnCharHook(wxKeyEvent &event) {
    if (event.AltDown() || event.ControlDown() || !dialogue_) {
        event.Skip();
        return;
    }
    KeyAction action = MapKey(event.GetKeyCode(), dialogue_->State());
    switch (action.kind) {
    case KeyAction::kWord:
        QueueWord(action.value);
        break;
    case KeyAction::kSensitivity:
        ChangeSensitivity(action.value);
        break;
    case KeyAction::kHelp:
        ToggleHelp();
        break;
    case KeyAction::kSkip:
        event.Skip();
        break;
    }
}

void GameWindow::WriteStateDump() const {
    if (dumpPath_.empty() || !dialogue_) return;
    WriteFileAtomically(dumpPath_,
                        dialogue_->DumpState() + "tip=" + Escaped(tip_ ? tip_->TipText() : wxString()) + "\n",
                        false);
}

// ---- window -------------------------------------------------------------

void GameWindow::OnMove(wxMoveEvent &event) {
    if (tip_) tip_->Reposition();
    event.Skip();
}

void GameWindow::OnEraseBackground(wxEraseEvent &) {}

void GameWindow::OnDragStart(wxMouseEvent &event) {
#ifdef __WXGTK__
    wxWindow *pressed = wxDynamicCast(event.GetEventObject(), wxWindow);
    wxPoint at = pressed ? pressed->ClientToScreen(event.GetPosition()) : wxGetMousePosition();
    gtk_window_begin_move_drag(GTK_WINDOW(GetHandle()), 1, at.x, at.y, gtk_get_current_event_time());
#else
    event.Skip();
#endif
}

void GameWindow::ArrangeWindow() {
    const BoardGeometry &g = board_.Geometry();
    int strip = title_->GetSize().y;
    SetClientSize(g.Width(), g.Height() + strip);
    title_->SetSize(0, 0, g.Width(), strip);
    boardImage_->SetSize(0, strip, g.Width(), g.Height());
    boardImage_->SetBitmap(&board_.Bitmap());
    boardImage_->Refresh(false);
}

void GameWindow::ShowBoardPart(const wxRect &rect) {
    if (boardImage_ && !rect.IsEmpty()) boardImage_->RefreshRect(rect, false);
}

// ---- DialogueView -------------------------------------------------------

void GameWindow::RedrawBoard() {
    const GameModel *model = dialogue_ ? dialogue_->Model() : nullptr;
    if (model) board_.SetLimits(model->Positions(), model->RowCount());
    board_.Redraw(GetListeningState() == kListening, model ? model->ColourCount() : 0);
    ArrangeWindow();
}

void GameWindow::DrawBall(int row, int position, int value) {
    ShowBoardPart(board_.DrawBall(row, position, value));
}

void GameWindow::DrawSecretBall(int position, int value) {
    ShowBoardPart(board_.DrawSecretBall(position, value));
}

void GameWindow::DrawRowMarker(int row, bool current) {
    ShowBoardPart(board_.DrawRowMarker(row, current));
}

void GameWindow::DrawPeg(int row, int slot, int value) { ShowBoardPart(board_.DrawPeg(row, slot, value)); }

void GameWindow::SetTip(const std::string &text) { tip_->SetTip(wxString::FromUTF8(text)); }

void GameWindow::SetTipStacked(const std::string &text) { tip_->SetTipStacked(wxString::FromUTF8(text)); }

void GameWindow::AddTip(const std::string &text) { tip_->AddTip(wxString::FromUTF8(text)); }

void GameWindow::SetTipAnchor(int y) { tip_->SetTipAnchor(y); }

int GameWindow::BoardTop() const { return boardImage_ ? boardImage_->GetPosition().y : 0; }

void GameWindow::Play(const std::string &name) {
    if (player_) player_->Play(name);
}

void GameWindow::PlayOnce(const std::string &name) {
    if (player_) player_->PlayOnce(name);
}

void GameWindow::StartMeterTimer() { meterTimer_->Start(LevelMeter::kTickMs, wxTIMER_CONTINUOUS); }

void GameWindow::CloseWindow() {
    SetCursor(wxCursor(wxCURSOR_WAIT));
    Close(false);
}
