// GameApp.h — the application object: creates the one GameWindow.
#pragma once

#include <wx/app.h>

class GameWindow;

class GameApp : public wxApp {
public:
    static constexpr int kStartX = 160;
    static constexpr int kStartY = 50;
    static constexpr int kStartWidth = 200;
    static constexpr int kStartHeight = 100;

    bool OnInit() override;

private:
    GameWindow *window_ = nullptr;
};
