// KeyMap.h — what a key press means.
//
// A pure function from the GUI library's key code (letters in either case,
// special keys as WXK_ codes) and the dialogue state to an action:
//   P F K R L S Z      the colours of palette entries 0 1 2 3 5 6 7
//   N                  orange in dialogue state 0, "nem" while a question is open
//   I U G              "igen", "új játék", "szabad a gazda"
//   Esc Enter          "kilépés", "rendben" (keypad Enter too)
//   Backspace Delete M "mégsem"
//   Up, keypad +       sensitivity +5 dB;  Down, keypad -  sensitivity -5 dB
//   F1                 help window on/off
// Every other key is skipped, so the platform's own handling (Alt+F4)
// goes on.
#pragma once

#include <string>

struct KeyAction {
    enum Kind { kSkip, kWord, kSensitivity, kHelp };
    Kind kind = kSkip;
    int value = 0;  // kWord: the WordCode; kSensitivity: +1 or -1 steps
};

KeyAction MapKey(int keyCode, int dialogueState);

// "Érzékenység: %s%2.0f dB", with one extra blank below 10 dB, as shown in
// the "Tipp" window after a sensitivity key.
std::string SensitivityText(float db);
