// TitlePanel.h — the coloured strip above the board: the program's name on
// the left, a notice on the right.
//
// Margins: 3 pixels above and below the labels, 5 left and right. The strip
// takes no keyboard focus; the game window drags itself when the strip or
// a label is pressed. Setting the strip's colours sets the labels' too.
#pragma once

#include <wx/panel.h>

class wxStaticText;

class TitlePanel : public wxPanel {
public:
    static constexpr int kMarginTop = 3;
    static constexpr int kMarginBottom = 3;
    static constexpr int kMarginLeft = 5;
    static constexpr int kMarginRight = 5;

    TitlePanel(wxWindow *parent, const wxPoint &pos, const wxSize &size);

    void SetTexts(const wxString &left, const wxString &right);
    void SetFonts(const wxFont &left, const wxFont &right);
    void FitHeight();  // client height = taller label + margins

    bool SetBackgroundColour(const wxColour &colour) override;
    bool SetForegroundColour(const wxColour &colour) override;
    bool AcceptsFocus() const override { return false; }
    bool AcceptsFocusFromKeyboard() const override { return false; }

    wxStaticText *LeftLabel() const { return left_; }
    wxStaticText *RightLabel() const { return right_; }

private:
    void LayoutLabels();
    void OnSize(wxSizeEvent &event);

    wxStaticText *left_;
    wxStaticText *right_;

    wxDECLARE_EVENT_TABLE();
};
