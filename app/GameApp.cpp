#include "GameApp.h"

#include <wx/image.h>

#include "GameWindow.h"

bool GameApp::OnInit() {
    wxInitAllImageHandlers();
    window_ = new GameWindow(nullptr, GameWindow::kTitle, kStartX, kStartY, kStartWidth, kStartHeight);
    SetTopWindow(window_);
    window_->Show();
    return true;
}
