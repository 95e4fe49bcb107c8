#include "KeyMap.h"

#include <cstdio>

#include <wx/defs.h>

#include "words.h"

namespace {
constexpr int kOrangeIndex = 4;  // N is orange only while no question is open

struct KeyWord {
    int key;
    WordCode code;
};

constexpr KeyWord kCommandKeys[] = {
    {'I', kWordYes},           {'U', kWordNewGame},      {'G', kWordReveal},
    {WXK_ESCAPE, kWordQuit},   {WXK_RETURN, kWordEvaluate}, {WXK_NUMPAD_ENTER, kWordEvaluate},
    {WXK_BACK, kWordCancel},   {WXK_DELETE, kWordCancel}, {WXK_NUMPAD_DELETE, kWordCancel},
    {'M', kWordCancel},
};

KeyAction Word(int code) { return KeyAction{KeyAction::kWord, code}; }
}  // namespace

KeyAction MapKey(int keyCode, int dialogueState) {
    if (keyCode >= 'a' && keyCode <= 'z') keyCode -= 'a' - 'A';
    if (keyCode == 'N')
        return Word(dialogueState != 0 ? kWordNo : kPalette[kOrangeIndex].value);
    for (const ColourInfo &c : kPalette)
        if (c.key != 0 && c.key != 'N' && keyCode == c.key) return Word(c.value);
    for (const KeyWord &k : kCommandKeys)
        if (keyCode == k.key) return Word(k.code);
    switch (keyCode) {
    case WXK_UP:
    case WXK_NUMPAD_UP:
    case WXK_NUMPAD_ADD:
        return KeyAction{KeyAction::kSensitivity, +1};
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN:
    case WXK_NUMPAD_SUBTRACT:
        return KeyAction{KeyAction::kSensitivity, -1};
    case WXK_F1:
        return KeyAction{KeyAction::kHelp, 0};
    default:
        return KeyAction{};
    }
}

std::string SensitivityText(float db) {
    char text[64];
    std::snprintf(text, sizeof text, "Érzékenység: %s%2.0f dB", db < 10.0f ? " " : "",
                  static_cast<double>(db));
    return text;
}
