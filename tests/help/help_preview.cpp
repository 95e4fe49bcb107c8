// help_preview — the help window alone, for screenshots.
//
//   help_preview [anchor | scroll-units]
//
// Shows the help page at the top-left of the screen, scrolled to the anchor
// ("m4") or by a number of scroll units (16 pixels each) when one is given.
// Closing the window ends the program.
#include "HelpPage.h"
#include "HelpWindow.h"

#include <wx/app.h>

class PreviewApp : public wxApp {
public:
    bool OnInit() override {
        RegisterHelpMemoryFiles();
        HelpWindow *help = new HelpWindow(nullptr);
        help->Bind(wxEVT_CLOSE_WINDOW, [help](wxCloseEvent &) { help->Destroy(); });
        help->Html()->SetPage(BuildHelpPage());
        help->Move(0, 0);
        help->Show();
        long units = 0;
        if (argc > 1 && argv[1].ToLong(&units))
            help->Html()->Scroll(0, units);
        else if (argc > 1)
            help->Html()->OnLinkClicked(wxHtmlLinkInfo("#" + argv[1]));
        return true;
    }
};

wxIMPLEMENT_APP(PreviewApp);
