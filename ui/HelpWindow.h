// HelpWindow.h — the help window: a top-level frame showing the user guide.
//
// How the game window uses it:
//
//   RegisterHelpMemoryFiles();                  // once, before the page is set
//   help_ = new HelpWindow(this);               // hidden, 400 x 440
//   help_->SetIcon(icon);
//   help_->Html()->SetPage(BuildHelpPage());    // see HelpPage.h
//   ...
//   ToggleHelp(help_);                          // F1, "súgó", first run
//   ...
//   delete help_ / help_->Destroy();            // in the game window's destructor
//
// The frame never closes on its own: its close box, Esc, Enter and R hide it
// and scroll the page back to the top. It is destroyed only by its owner
// (a close that cannot be refused, or Destroy()).
//
// Links: a target starting with "#" scrolls inside the page. Any other target
// is sent, synchronously, to the owner as a command event of type
// kHelpLinkEvent (12013, game/events.h), id 0, string = the target. The owner
// hands it to HandleHelpLink (Mixer.h).
#pragma once

#include <wx/frame.h>
#include <wx/html/htmlwin.h>

// Registers wxMemoryFSHandler with wxFileSystem (once per process) and stores
// the embedded resource "logo.png" as the memory file "logo.bmp" in BMP
// format, flattened onto white, so the page can show "memory:logo.bmp".
// Safe to call more than once. Returns whether the logo is available; without
// it the page simply has no picture.
bool RegisterHelpMemoryFiles();

// The HTML view that fills the help frame.
class HelpHtmlWindow : public wxHtmlWindow {
public:
    explicit HelpHtmlWindow(wxWindow *parent);

    // "#..." scrolls to the anchor; anything else goes to the parent frame
    // as a kHelpLinkEvent.
    void OnLinkClicked(const wxHtmlLinkInfo &link) override;

private:
    void OnKeyDown(wxKeyEvent &event);

    wxDECLARE_EVENT_TABLE();
};

class HelpWindow : public wxFrame {
public:
    // owner receives the kHelpLinkEvents; it may be null (links then do nothing).
    explicit HelpWindow(wxEvtHandler *owner);

    HelpHtmlWindow *Html() const { return html_; }

    // Shown and not minimised: hide. Otherwise: show, restore from the
    // minimised state and raise.
    void Toggle();

    // Hides the frame and scrolls the page back to its top.
    void HideAndRewind();

private:
    void OnClose(wxCloseEvent &event);
    void OnKeyDown(wxKeyEvent &event);
    void OnHelpLink(wxCommandEvent &event);

    wxEvtHandler *owner_;
    HelpHtmlWindow *html_;

    wxDECLARE_EVENT_TABLE();
};

// Toggle() on a help window that may not exist.
void ToggleHelp(HelpWindow *help);

// Whether a key press in the help window closes (hides) it: Esc, Enter and
// R, without Ctrl or Alt.
bool IsHelpCloseKey(int keyCode, int modifiers);
