// HelpPage.h — the user guide shown in the help window, as one HTML page.
//
// BuildHelpPage() assembles the page in memory: a head that declares the
// windows-1250 character set, the coloured title with the logo
// ("memory:logo.bmp", see RegisterHelpMemoryFiles in HelpWindow.h), an
// introduction and six sections:
//
//   m1 rules, m2 spoken words, m3 keys, m4 microphone and sensitivity,
//   m5 advice on noise and speaking, m6 contact.
//
// Every section ends with a back link to the anchor "st" at the top. The word
// and key lists are generated from the tables in game/words.h, so the guide
// always names exactly what the program understands.
//
// Link targets: "#..." jumps inside the page; kHelpLinkMixer ("sr]") asks the
// game to start the recording-level control (see Mixer.h).
//
// Every character of the page exists in windows-1250, so the page can be
// stored in that code page without loss.
#pragma once

#include <wx/string.h>

// Link target of the "start the recording mixer" link.
inline constexpr const char kHelpLinkMixer[] = "sr]";

// Anchor at the top of the page, the target of every back link.
inline constexpr const char kHelpAnchorTop[] = "st";

// The sections' anchors and headings, in page order.
constexpr int kHelpSectionCount = 6;
extern const char *const kHelpSectionAnchors[kHelpSectionCount];   // "m1" .. "m6"
extern const char *const kHelpSectionHeadings[kHelpSectionCount];  // UTF-8

// Colours of the eight letters of the title "Tarkabab", left to right.
constexpr int kHelpTitleLetters = 8;
extern const char *const kHelpTitleColours[kHelpTitleLetters];

// Markup helpers. The text arguments are markup already: they are not escaped.
wxString HtmlBold(const wxString &text);                            // <b>text</b>
wxString HtmlLink(const wxString &target, const wxString &text);    // <a href="target">text</a>
wxString HtmlAnchor(const wxString &name);                          // <a name="name"></a>

// Plain text made safe for the page: & < > and " become entities.
wxString HtmlEscape(const wxString &text);

// Text with every space replaced by "&nbsp;", so that it never wraps.
wxString HtmlNoBreak(const wxString &text);

// The back link: "#st" with the text "[vissza a súgó elejére]", unbreakable.
wxString HelpBackLink();

// The whole page.
wxString BuildHelpPage();
