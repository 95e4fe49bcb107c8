// words.h — what the player can say or type, as one small integer.
//
// A WordCode names a word: 1..11 colour values, 0 and -1..-6 commands, -7 an
// utterance that was heard but not recognised. Spoken words arrive as
// recogniser classes 0..20 and are mapped by ClassToWord; key presses are
// mapped by the key handler, so the dialogue cannot tell them apart.
//
// These tables are the one source for the key handler, the recogniser's word
// names and the help page's word and key lists.
#pragma once

using WordCode = int;

enum : WordCode {
    kWordCancel = 0,        // "mégsem"
    kWordNewGame = -1,      // "új játék"
    kWordReveal = -2,       // "szabad a gazda"
    kWordQuit = -3,         // "kilépés"
    kWordEvaluate = -4,     // "rendben"
    kWordNo = -5,           // "nem"
    kWordYes = -6,          // "igen"
    kWordUnrecognised = -7  // any rejected utterance
};

constexpr int kMaxColours = 11;

// One colour of the palette, in palette order.
struct ColourInfo {
    int value;            // colour value (1..11), also names prompt "c_<value>.wav"
    const char *word;     // spoken word (UTF-8); the recogniser's class word
    char key;             // key letter, 0 when none
    const char *name;     // colour name for people (UTF-8, Hungarian)
};

// Palette order: 1, 2, 8, 6, 7, 9, 5, 3, 10, 11, 4. An N-colour game uses
// the first N entries. N is only a key in dialogue state 0 (orange).
inline constexpr ColourInfo kPalette[kMaxColours] = {
    {1, "piros", 'P', "piros"},
    {2, "fehér", 'F', "fehér"},
    {8, "kék", 'K', "kék"},
    {6, "rózsaszín", 'R', "rózsaszín"},
    {7, "narancs", 'N', "narancs"},
    {9, "lila", 'L', "lila"},
    {5, "sárga", 'S', "sárga"},
    {3, "zöld", 'Z', "zöld"},
    {10, "barna", 0, "barna"},
    {11, "szürke", 0, "szürke"},
    {4, "fekete", 0, "fekete"},
};

// One command word with its keys, as the player sees them.
struct CommandInfo {
    WordCode code;
    const char *words;    // spoken word(s), UTF-8
    const char *keys;     // keys as shown to the player, UTF-8
    const char *meaning;  // what it does, Hungarian
};

inline constexpr CommandInfo kCommands[] = {
    {kWordCancel, "mégsem", "Backspace, Delete, M", "az utolsó szín törlése, illetve elutasítás"},
    {kWordNewGame, "új játék", "U", "új játék kezdése"},
    {kWordReveal, "szabad a gazda", "G", "a megfejtés megmutatása"},
    {kWordQuit, "kilépés", "Esc", "kilépés a játékból"},
    {kWordEvaluate, "rendben", "Enter", "a kitöltött sor kiértékelése"},
    {kWordNo, "nem", "N (kérdésre válaszul)", "nemleges válasz a kérdésre"},
    {kWordYes, "igen", "I", "igenlő válasz a kérdésre"},
};

// Recogniser classes 0..20 and their words ("-" for class 0). Classes 19
// and 20 are the help words "súgó" and "segítség".
constexpr int kClassCount = 21;
inline constexpr const char *kClassWords[kClassCount] = {
    "-", "piros", "fehér", "zöld", "fekete", "sárga", "rózsaszín", "narancs",
    "kék", "lila", "barna", "szürke", "mégsem", "kilépés", "szabad a gazda",
    "új játék", "rendben", "igen", "nem", "súgó", "segítség"};

constexpr int kClassHelpFirst = 19;  // 19 and 20 toggle the help window

// The WordCode of a recogniser class; classes 19 and 20 (help) and anything
// outside 1..18 give kWordUnrecognised, callers test IsHelpClass first.
inline constexpr WordCode ClassToWord(int cls) {
    constexpr WordCode kCommandOfClass[] = {0, -3, -2, -1, -4, -6, -5};  // classes 12..18
    if (cls >= 1 && cls <= 11) return cls;
    if (cls >= 12 && cls <= 18) return kCommandOfClass[cls - 12];
    return kWordUnrecognised;
}

inline constexpr bool IsHelpClass(int cls) { return cls == 19 || cls == 20; }

// Sensitivity step of the arrow and keypad plus/minus keys, in dB.
constexpr float kSensitivityStepDb = 5.0f;
