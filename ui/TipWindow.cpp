#include "TipWindow.h"

#include <wx/panel.h>
#include <wx/stattext.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

#include "events.h"

namespace {
const wxColour kTipBackground(221, 225, 149);
constexpr int kFocusBackId = wxID_HIGHEST + 1;  // posted to itself: focus back to the parent
}  // namespace

wxBEGIN_EVENT_TABLE(TipWindow, wxFrame)
    EVT_COMMAND(kFocusBackId, kWordEvent, TipWindow::OnReturnFocus)
    EVT_ACTIVATE(TipWindow::OnActivate)
wxEND_EVENT_TABLE()

TipWindow::TipWindow(wxWindow *parent)
    : wxFrame(parent, kFocusBackId, "Tipp", wxPoint(500, 500), wxSize(100, 150),
              wxBORDER_SIMPLE | wxMINIMIZE_BOX | wxFRAME_FLOAT_ON_PARENT | wxFRAME_NO_TASKBAR) {
#ifdef __WXGTK__
    gtk_window_set_focus_on_map(GTK_WINDOW(GetHandle()), FALSE);
    gtk_window_set_accept_focus(GTK_WINDOW(GetHandle()), FALSE);
#endif
    panel_ = new wxPanel(this);
    panel_->SetBackgroundColour(kTipBackground);
    panel_->SetForegroundColour(*wxBLUE);
    label_ = new wxStaticText(panel_, wxID_ANY, "", wxPoint(kLabelLeft, kLabelLeft), wxDefaultSize, 0,
                              "staticText");
    label_->SetBackgroundColour(kTipBackground);
    label_->SetForegroundColour(*wxBLUE);
}

void TipWindow::SetTextFont(const wxFont &font) { label_->SetFont(font); }

bool TipWindow::Show(bool show) {
    if (show && text_.empty()) return false;
    return wxFrame::Show(show);
}

void TipWindow::SetText(const wxString &text) {
    added_ = false;
    if (text != text_) {
        text_ = text;
        label_->SetLabelText(text);
        wxSize best = label_->GetBestSize();
        label_->SetSize(best + wxSize(kLabelGrowX, kLabelGrowY));
        wxSize wanted = best + wxSize(kWindowGrowX, kWindowGrowY);
        if (wanted != GetSize()) {
            Hide();
            SetSize(wanted);
            Reposition();
        }
    }
    if (text_.empty())
        Hide();
    else
        Show();
    ReturnFocus();
}

void TipWindow::SetTip(const wxString &text) {
    stacking_ = false;
    SetText(text);
}

void TipWindow::SetTipStacked(const wxString &text) {
    stacking_ = true;
    SetText(text);
}

void TipWindow::AddTip(const wxString &text) {
    if (added_) return;
    if (!stacking_) {
        SetText(text);
    } else {
        wxString old = text_;
        if (!old.empty()) old = "\n" + old;
        SetText(text + old);
    }
    added_ = true;
}

void TipWindow::Reposition() {
    wxWindow *game = GetParent();
    if (!game) return;
    wxPoint p = game->GetPosition();
    wxSize own = GetSize();
    int x = p.x - own.x - kGap;
    if (x < 0) x = p.x + game->GetSize().x + kGap;
    int y = p.y + anchorY_ - own.y / 2;
    Move(x, y);
}

void TipWindow::ReturnFocus() {
    wxCommandEvent focus(kWordEvent, GetId());
    GetEventHandler()->AddPendingEvent(focus);
}

void TipWindow::OnReturnFocus(wxCommandEvent &) {
    if (GetParent() && !GetParent()->IsBeingDeleted()) GetParent()->SetFocus();
}

void TipWindow::OnActivate(wxActivateEvent &event) {
    if (event.GetActive()) ReturnFocus();
    event.Skip();
}
