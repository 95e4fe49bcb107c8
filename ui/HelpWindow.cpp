// HelpWindow.cpp — the help frame and its HTML view.
#include "HelpWindow.h"

#include "game/events.h"
#include "resources/resource_image.h"

#include <wx/filesys.h>
#include <wx/fs_mem.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/toplevel.h>

namespace {

constexpr int kHelpWidth = 400;
constexpr int kHelpHeight = 440;
constexpr int kLogoMaxWidth = 100;  // the logo's cell on the page
const char kHelpTitle[] = "Tarkabab Súgó";
const char kLogoResource[] = "logo.png";
const char kLogoMemoryFile[] = "logo.bmp";

// BMP has no alpha: blend any transparency onto the page's white.
void FlattenOntoWhite(wxImage &image) {
    if (image.HasMask() && !image.HasAlpha()) image.InitAlpha();
    if (!image.HasAlpha()) return;
    unsigned char *rgb = image.GetData();
    const unsigned char *alpha = image.GetAlpha();
    const int pixels = image.GetWidth() * image.GetHeight();
    for (int i = 0; i < pixels; ++i) {
        const int a = alpha[i];
        for (int c = 0; c < 3; ++c) rgb[3 * i + c] = (rgb[3 * i + c] * a + 255 * (255 - a)) / 255;
    }
    image.ClearAlpha();
}

}  // namespace

bool RegisterHelpMemoryFiles() {
    static bool handlerAdded = false;
    static bool logoStored = false;
    if (!handlerAdded) {
        wxFileSystem::AddHandler(new wxMemoryFSHandler);
        handlerAdded = true;
    }
    if (logoStored) return true;

    wxImage logo = ResourceImage(kLogoResource);
    if (!logo.IsOk()) return false;
    FlattenOntoWhite(logo);
    if (logo.GetWidth() > kLogoMaxWidth)
        logo.Rescale(kLogoMaxWidth, logo.GetHeight() * kLogoMaxWidth / logo.GetWidth(),
                     wxIMAGE_QUALITY_HIGH);
    wxMemoryFSHandler::AddFile(kLogoMemoryFile, logo, wxBITMAP_TYPE_BMP);
    logoStored = true;
    return true;
}

bool IsHelpCloseKey(int keyCode, int modifiers) {
    if (modifiers & (wxMOD_CONTROL | wxMOD_ALT)) return false;
    switch (keyCode) {
        case WXK_ESCAPE:
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
        case 'R':
            return true;
        default:
            return false;
    }
}

void ToggleHelp(HelpWindow *help) {
    if (help) help->Toggle();
}

// --- HelpHtmlWindow ---------------------------------------------------------

wxBEGIN_EVENT_TABLE(HelpHtmlWindow, wxHtmlWindow)
    EVT_KEY_DOWN(HelpHtmlWindow::OnKeyDown)
wxEND_EVENT_TABLE()

HelpHtmlWindow::HelpHtmlWindow(wxWindow *parent)
    : wxHtmlWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxHW_SCROLLBAR_AUTO,
                   "htmlWindow") {}

void HelpHtmlWindow::OnLinkClicked(const wxHtmlLinkInfo &link) {
    const wxString target = link.GetHref();
    if (target.StartsWith("#")) {
        wxHtmlWindow::OnLinkClicked(link);
        return;
    }
    const wxMouseEvent *click = link.GetEvent();
    if (click && !click->LeftUp()) return;  // right clicks follow no link
    wxCommandEvent event(kHelpLinkEvent, 0);
    event.SetString(target);
    event.SetEventObject(this);
    GetParent()->GetEventHandler()->ProcessEvent(event);
}

void HelpHtmlWindow::OnKeyDown(wxKeyEvent &event) {
    if (IsHelpCloseKey(event.GetKeyCode(), event.GetModifiers()))
        wxGetTopLevelParent(this)->Close();
    else
        event.Skip();
}

// --- HelpWindow -------------------------------------------------------------

wxBEGIN_EVENT_TABLE(HelpWindow, wxFrame)
    EVT_CLOSE(HelpWindow::OnClose)
    EVT_KEY_DOWN(HelpWindow::OnKeyDown)
    EVT_COMMAND(wxID_ANY, kHelpLinkEvent, HelpWindow::OnHelpLink)
wxEND_EVENT_TABLE()

HelpWindow::HelpWindow(wxEvtHandler *owner)
    : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8(kHelpTitle), wxDefaultPosition,
              wxSize(kHelpWidth, kHelpHeight)),
      owner_(owner),
      html_(new HelpHtmlWindow(this)) {}

void HelpWindow::Toggle() {
    if (IsShown() && !IsIconized()) {
        Hide();
        return;
    }
    Show();
    if (IsIconized()) Iconize(false);
    Raise();
}

void HelpWindow::HideAndRewind() {
    Hide();
    html_->Scroll(0, 0);
}

void HelpWindow::OnClose(wxCloseEvent &event) {
    if (!event.CanVeto()) {
        event.Skip();  // the owner is going: let the frame be destroyed
        return;
    }
    HideAndRewind();
    event.Veto();
}

void HelpWindow::OnKeyDown(wxKeyEvent &event) {
    if (IsHelpCloseKey(event.GetKeyCode(), event.GetModifiers()))
        Close();
    else
        event.Skip();
}

void HelpWindow::OnHelpLink(wxCommandEvent &event) {
    if (owner_) owner_->ProcessEvent(event);
}
