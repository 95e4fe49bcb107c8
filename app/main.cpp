#include "GameApp.h"

wxIMPLEMENT_APP(GameApp);
