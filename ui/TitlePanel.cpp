#include "TitlePanel.h"

#include <wx/stattext.h>

#include <algorithm>

wxBEGIN_EVENT_TABLE(TitlePanel, wxPanel)
    EVT_SIZE(TitlePanel::OnSize)
wxEND_EVENT_TABLE()

TitlePanel::TitlePanel(wxWindow *parent, const wxPoint &pos, const wxSize &size)
    : wxPanel(parent, wxID_ANY, pos, size, wxCLIP_CHILDREN | wxBORDER_NONE) {
    left_ = new wxStaticText(this, wxID_ANY, "", wxPoint(kMarginLeft, kMarginTop), wxDefaultSize, 0,
                             "staticText");
    right_ = new wxStaticText(this, wxID_ANY, "", wxPoint(kMarginLeft, kMarginTop), wxDefaultSize, 0,
                              "staticText");
}

void TitlePanel::SetTexts(const wxString &left, const wxString &right) {
    left_->SetLabelText(left);
    right_->SetLabelText(right);
    LayoutLabels();
}

void TitlePanel::SetFonts(const wxFont &left, const wxFont &right) {
    left_->SetFont(left);
    right_->SetFont(right);
    LayoutLabels();
}

void TitlePanel::FitHeight() {
    int labels = std::max(left_->GetSize().y, right_->GetSize().y);
    SetClientSize(GetClientSize().x, labels + kMarginTop + kMarginBottom);
}

bool TitlePanel::SetBackgroundColour(const wxColour &colour) {
    left_->SetBackgroundColour(colour);
    right_->SetBackgroundColour(colour);
    return wxPanel::SetBackgroundColour(colour);
}

bool TitlePanel::SetForegroundColour(const wxColour &colour) {
    left_->SetForegroundColour(colour);
    right_->SetForegroundColour(colour);
    return wxPanel::SetForegroundColour(colour);
}

void TitlePanel::LayoutLabels() {
    // Measured with the label's own font: GTK may report the best size
    // before a new font has reached the widget.
    for (wxStaticText *label : {left_, right_}) {
        label->InvalidateBestSize();
        wxSize text = label->GetTextExtent(label->GetLabelText());
        wxSize best = label->GetBestSize();
        label->SetSize(std::max(text.x, best.x), std::max(text.y, best.y));
    }
    left_->Move(kMarginLeft, kMarginTop);
    right_->Move(GetClientSize().x - kMarginRight - right_->GetSize().x, kMarginTop);
}

void TitlePanel::OnSize(wxSizeEvent &event) {
    LayoutLabels();
    event.Skip();
}
