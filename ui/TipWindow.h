// TipWindow.h — the floating "Tipp" window beside the game window.
//
// Shows the dialogue's short texts in three ways:
//   SetTip(text)         a message; stacking off
//   SetTipStacked(text)  an options list; stacking on
//   AddTip(text)         an addition, at most once until the next SetTip or
//                        SetTipStacked: with stacking off it replaces the
//                        text, with stacking on it goes on top of the old
//                        text, separated by a line break
// An empty text hides the window; Show only succeeds while there is text.
// Setting the text it already shows neither resizes nor moves it.
//
// Placement: centred vertically on the anchor (pixels below the game
// window's top), 2 pixels left of the game window, or 2 pixels right of it
// when the left side would start off screen (x < 0).
//
// The window never keeps the keyboard focus: after every text change and
// whenever it is activated it hands the focus back to its parent.
#pragma once

#include <wx/frame.h>

class wxPanel;
class wxStaticText;

class TipWindow : public wxFrame {
public:
    static constexpr int kGap = 2;          // pixels between game and tip window
    static constexpr int kLabelLeft = 6;    // label inset in the panel
    static constexpr int kLabelGrowX = 10;  // label: best size + 10 x 6
    static constexpr int kLabelGrowY = 6;
    static constexpr int kWindowGrowX = 12; // window: label best size + 12 x 10
    static constexpr int kWindowGrowY = 10;

    explicit TipWindow(wxWindow *parent);

    void SetTip(const wxString &text);
    void SetTipStacked(const wxString &text);
    void AddTip(const wxString &text);
    void SetTipAnchor(int y) { anchorY_ = y; }
    void Reposition();
    void SetTextFont(const wxFont &font);

    bool Show(bool show = true) override;

    const wxString &TipText() const { return text_; }
    int Anchor() const { return anchorY_; }

private:
    void SetText(const wxString &text);
    void ReturnFocus();
    void OnReturnFocus(wxCommandEvent &event);
    void OnActivate(wxActivateEvent &event);

    wxPanel *panel_;
    wxStaticText *label_;
    wxString text_;
    bool added_ = false;
    bool stacking_ = false;
    int anchorY_ = 0;

    wxDECLARE_EVENT_TABLE();
};
