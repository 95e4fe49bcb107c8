// HelpPage.cpp — the text of the user guide.
#include "HelpPage.h"

#include "game/words.h"

#include <wx/arrstr.h>

namespace {

// The game as this guide describes it.
constexpr int kCodeLength = 4;             // hidden balls per game
constexpr int kColourCount = 8;            // colours in play: the first 8 of kPalette
constexpr int kRowCount = 11;              // rows to find the code in
constexpr int kDefaultSensitivityDb = 30;  // sensitivity of a first run
constexpr int kMaxSensitivityDb = 70;      // highest sensitivity the recogniser takes
constexpr int kCopyrightYear = 2026;
constexpr int kLogoCellWidth = 100;        // pixels

const char kHead[] =
    "<html><head><meta http-equiv=\"Content-Type\" "
    "content=\"text/html; charset=windows-1250\"></head><font face=\"helvetica\">";
const char kRule[] = "<hr width=100%>";
const char kTail[] = "</font></body></html>";
const char kLogoImage[] = "<img src=\"memory:logo.bmp\">";
const char kProgramName[] = "Tarkabab";
const char kMakerName[] = "Vextorn";
const char kContactAddress[] = "tarkabab@example.org";

wxString U(const char *utf8) { return wxString::FromUTF8(utf8); }

// Small counts read better as words: "négy golyó", "tizenegy sor".
const wchar_t *const kNumberWords[] = {L"nulla", L"egy",    L"két",     L"három",
                                       L"négy",  L"öt",     L"hat",     L"hét",
                                       L"nyolc", L"kilenc", L"tíz",     L"tizenegy",
                                       L"tizenkét"};

wxString Number(int n) {
    if (n >= 0 && n < static_cast<int>(sizeof kNumberWords / sizeof *kNumberWords))
        return kNumberWords[n];
    return wxString::Format("%d", n);
}

wxString Capitalised(const wxString &s) { return s.empty() ? s : s.Left(1).Upper() + s.Mid(1); }

// The spoken word(s) of a command, escaped for the page.
wxString CommandWords(WordCode code) {
    for (const CommandInfo &c : kCommands)
        if (c.code == code) return HtmlEscape(U(c.words));
    return wxString();
}

wxString Paragraphs(const wxArrayString &paras) {
    wxString s;
    for (size_t i = 0; i < paras.size(); ++i) {
        if (i) s += "<p>";
        s += paras[i];
    }
    return s;
}

wxString ListItem(const wxString &term, const wxString &meaning) {
    return "<li>" + HtmlBold(term) + L" – " + meaning + "</li>";
}

// "a, b, c és d"
wxString JoinHungarian(const wxArrayString &items) {
    wxString s;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) s += (i + 1 == items.size()) ? L" és " : L", ";
        s += items[i];
    }
    return s;
}

wxArrayString ColourNames() {
    wxArrayString names;
    for (int i = 0; i < kColourCount; ++i) names.Add(HtmlEscape(U(kPalette[i].name)));
    return names;
}

wxString Title() {
    wxString letters;
    const wxString name = kProgramName;
    for (int i = 0; i < kHelpTitleLetters; ++i)
        letters += wxString::Format("<font color=\"%s\">", kHelpTitleColours[i]) + name[i] + "</font>";
    return HtmlBold(wxString::Format("<table border=0 width=100%%><tr><td width=%d>", kLogoCellWidth) +
                    kLogoImage + "</td><td align=center><font size=+3>" + letters +
                    L"</font><br>használati útmutató</td></tr></table>");
}

wxString Introduction() {
    return wxString::Format(
        L"A Tarkabab a jól ismert színkitalálós logikai játék, a Master Mind "
        L"változata, amelyet a saját hangoddal irányíthatsz. A gép elrejt %s "
        L"színes golyót, te pedig a mikrofonba mondott színnevekkel próbálod "
        L"kitalálni, melyik színek vannak elrejtve, és milyen sorrendben. A gép "
        L"hangosan válaszol, és a táblán mutatja az eredményt. Minden szónak van "
        L"billentyűs megfelelője is, így mikrofon nélkül is játszhatsz.",
        Number(kCodeLength));
}

wxString Rules() {
    wxArrayString p;
    p.Add(wxString::Format(
        L"A gép minden játék elején elrejt egy %s golyóból álló sort. A golyók "
        L"%s szín közül kerülnek ki (%s), és egy szín többször is előfordulhat.",
        Number(kCodeLength), Number(kColourCount), JoinHungarian(ColourNames())));
    p.Add(wxString::Format(
        L"Te sorról sorra tippelsz: mondj %s színt, majd azt, hogy „%s”. Ekkor "
        L"a gép kiértékeli a sort: minden olyan golyóért, amely jó színű és a "
        L"helyén van, egy fekete pöcköt ad; minden olyanért, amelynek a színe "
        L"szerepel a rejtett sorban, de máshol áll, egy fehér pöcköt. Azt nem "
        L"árulja el, melyik pöcök melyik golyóhoz tartozik.",
        Number(kCodeLength), CommandWords(kWordEvaluate)));
    p.Add(wxString::Format(
        L"%s sorod van arra, hogy kitaláld a rejtett sort. Ha %s fekete pöcköt "
        L"kapsz, nyertél. Ha elakadtál, mondd azt, hogy „%s”, és a gép megmutatja "
        L"a megfejtést.",
        Capitalised(Number(kRowCount)), Number(kCodeLength), CommandWords(kWordReveal)));
    return Paragraphs(p);
}

wxString SpokenWords() {
    wxString list = "<ul>";
    for (int i = 0; i < kColourCount; ++i)
        list += ListItem(HtmlEscape(U(kPalette[i].word)),
                         L"egy " + HtmlEscape(U(kPalette[i].name)) + L" golyó a következő helyre");
    for (const CommandInfo &c : kCommands)
        list += ListItem(HtmlEscape(U(c.words)), HtmlEscape(U(c.meaning)));
    list += ListItem(HtmlEscape(U(kClassWords[kClassHelpFirst])), L"a súgó megnyitása és bezárása");
    list += ListItem(HtmlEscape(U(kClassWords[kClassHelpFirst + 1])), L"ugyanaz, mint a „súgó”");
    list += "</ul>";

    wxArrayString p;
    p.Add(L"Mindig csak egy szót vagy kifejezést mondj, utána tarts egy rövid "
          L"szünetet. Ezeket a szavakat érti a gép:" + list);
    p.Add(L"Ha a gép nem érti a szavaidat, " + HtmlLink("#m4", L"kattints ide") +
          L", és olvasd el, hogyan állíthatod be a mikrofont és az érzékenységet.");
    return Paragraphs(p);
}

wxString Keys() {
    const wxString step = wxString::Format("%.0f", kSensitivityStepDb);
    wxString list = "<ul>";
    for (int i = 0; i < kColourCount; ++i) {
        if (!kPalette[i].key) continue;
        list += ListItem(wxString(kPalette[i].key, 1),
                         L"egy " + HtmlEscape(U(kPalette[i].name)) + L" golyó");
    }
    for (const CommandInfo &c : kCommands)
        list += ListItem(HtmlEscape(U(c.keys)), HtmlEscape(U(c.meaning)));
    list += ListItem("F1", L"a súgó megnyitása és bezárása");
    list += ListItem(L"Fel nyíl, számbillentyűzet +",
                     L"az érzékenység értékének növelése " + step + L" dB-lel");
    list += ListItem(L"Le nyíl, számbillentyűzet -",
                     L"az érzékenység értékének csökkentése " + step + L" dB-lel");
    list += "</ul>";

    wxArrayString p;
    p.Add(L"A kis- és nagybetű mindegy. A billentyűk ugyanazt teszik, mint a "
          L"kimondott szavak:" + list);
    p.Add(L"Az N betű játék közben a narancs színt jelenti, a gép kérdéseire "
          L"válaszolva pedig azt, hogy „" + CommandWords(kWordNo) + L"”.");
    p.Add(L"Ebben a súgóablakban az Esc, az Enter és az R billentyű bezárja a "
          L"súgót; a nyilakkal, a Page Up és a Page Down billentyűvel a szöveget "
          L"görgetheted.");
    return Paragraphs(p);
}

struct Fault {
    const wchar_t *symptom;
    const wchar_t *remedy;
};

const Fault kFaults[] = {
    {L"A szintjelző meg sem mozdul, amikor beszélsz.",
     L"Nincs használható mikrofon. Nézd meg, hogy be van-e dugva, és hogy a "
     L"hangerő-szabályzóban ez a bemenet van-e kiválasztva, némítás nélkül. "
     L"Addig billentyűzettel is játszhatsz."},
    {L"A szintjelző alig mozdul, a gép nem felel a szavaidra.",
     L"Növeld a felvételi szintet, vagy beszélj közelebb a mikrofonhoz. Ha ez "
     L"sem segít, növeld az érzékenység értékét a Fel nyíllal."},
    {L"A gép zajra, köhintésre is megszólal („Tessék?”).",
     L"Szüntesd meg a zajt, vedd lejjebb a felvételi szintet, vagy csökkentsd "
     L"az érzékenység értékét a Le nyíllal."},
    {L"A gép hall, de gyakran mást ért, mint amit mondtál.",
     L"Beszélj tisztán, természetes tempóban, szavak között kis szünettel. Ha "
     L"a szintjelző beszéd közben a végéig kileng, a jel túl erős: vedd "
     L"lejjebb a felvételi szintet."},
    {L"A gép a saját hangját is meghallja.",
     L"Halkítsd le a hangszórót, tedd távolabb a mikrofontól, vagy használj "
     L"fejhallgatót."},
};

wxString FaultTable() {
    wxString t = "<table border=1 cellpadding=3 width=100%><tr><td width=40%>" + HtmlBold(L"Hiba") +
                 "</td><td width=60%>" + HtmlBold(L"Teendő") + "</td></tr>";
    for (const Fault &f : kFaults)
        t += "<tr><td valign=top>" + HtmlEscape(f.symptom) + "</td><td valign=top>" + HtmlEscape(f.remedy) +
             "</td></tr>";
    return t + "</table>";
}

wxString Microphone() {
    const wxString step = wxString::Format("%.0f", kSensitivityStepDb);
    wxArrayString p;
    p.Add(L"A gép akkor érti meg jól a szavaidat, ha a mikrofon jele se nem túl "
          L"halk, se nem túl hangos. Beszéd közben figyeld a játékablak "
          L"szintjelzőjét: a kimondott szavaknál jól láthatóan ki kell lengenie, "
          L"csendben viszont alig mozdulhat.");
    p.Add(L"A mikrofon felvételi szintjét a PulseAudio hangerő-szabályzójában "
          L"(pavucontrol) állíthatod be: " + HtmlLink(kHelpLinkMixer, L"katt ide") +
          L", és a szabályzó a Bemeneti eszközök lapon nyílik meg. Ott válaszd ki "
          L"a mikrofonodat, kapcsold ki a némítást, és állítsd a csúszkát "
          L"nagyjából 60 és 80 százalék közé. Ha a link nem nyit meg semmit, a "
          L"pavucontrol nincs telepítve: telepítsd a csomagot, vagy használd az "
          L"asztali környezeted hangbeállításait.");
    p.Add(wxString::Format(
        L"Az érzékenységet játék közben a Fel és a Le nyíllal, illetve a "
        L"számbillentyűzet + és - billentyűjével állíthatod, lépésenként %s "
        L"dB-lel; a beállított érték a Tipp ablakban jelenik meg. Ez azt adja "
        L"meg, mennyivel lehet a szavad leghangosabb része a legnagyobb "
        L"kivezérlés alatt: nagyobb értéknél a gép a halkabb szavakat is "
        L"meghallja, de a zajra is könnyebben felfigyel; kisebb értéknél csak a "
        L"hangosan, határozottan kimondott szavakra figyel. Az alapérték %d dB, "
        L"a legnagyobb %d dB.",
        step, kDefaultSensitivityDb, kMaxSensitivityDb));
    p.Add(L"Az érzékenységet a program kilépéskor megjegyzi, így legközelebb nem "
          L"kell újra beállítanod. Ha a gép mégsem érti jól a szavaidat, keresd "
          L"meg a hibát az alábbi táblázatban:" + FaultTable());
    return Paragraphs(p);
}

wxString Advice() {
    wxArrayString p;
    p.Add(L"Zajos helyen nehezebb a gép dolga: kapcsold ki a zenét, a tévét vagy "
          L"a rádiót, és csukd be az ablakot, ha kint nagy a forgalom.");
    p.Add(L"A legjobb a fejhallgatóval egybeépített, szájhoz közeli mikrofon. "
          L"Asztali mikrofonnál mindig ugyanolyan távolságból beszélj, és ne fújj "
          L"bele a mikrofonba.");
    p.Add(L"Egyszerre csak egy szót vagy kifejezést mondj, természetes hangerővel "
          L"és tempóban, utána tarts egy rövid szünetet. Nem kell kiabálnod vagy "
          L"szótagolnod.");
    p.Add(L"Várd meg, amíg a gép befejezi a mondandóját, mielőtt újra "
          L"megszólalsz. Ha elrontottál egy színt, mondd azt, hogy „" +
          CommandWords(kWordCancel) + L"”: ez törli a sor utolsó színét.");
    return Paragraphs(p);
}

wxString Contact() {
    wxArrayString p;
    p.Add(wxString::Format(L"A Tarkababot a %s csapata készítette.", kMakerName));
    p.Add(L"Kérdéseidet, ötleteidet és hibajelentéseidet szívesen fogadjuk a " +
          HtmlBold(kContactAddress) + L" címen. Ha hibát jelentesz, írd meg azt "
          L"is, milyen mikrofont és milyen Linux-rendszert használsz.");
    return Paragraphs(p);
}

wxString ClosingTable() {
    return wxString::Format(L"<table border=0 width=100%%><tr><td><font size=-1>© %d %s. "
                            L"Minden jog fenntartva.</font></td><td width=%d align=right>",
                            kCopyrightYear, kMakerName, kLogoCellWidth) +
           kLogoImage + L"</td></tr><tr><td colspan=2 align=center><i>Szólj, és színt vall!"
                        L"</i></td></tr></table>";
}

}  // namespace

const char *const kHelpSectionAnchors[kHelpSectionCount] = {"m1", "m2", "m3", "m4", "m5", "m6"};

const char *const kHelpSectionHeadings[kHelpSectionCount] = {
    "Játékszabályok",
    "Így használhatod a Tarkababot a saját hangoddal:",
    "Így használhatod a Tarkababot a billentyűzetről:",
    "A mikrofonerősítés és az érzékenység beállítása",
    "Még néhány jótanács",
    "Kapcsolat",
};

const char *const kHelpTitleColours[kHelpTitleLetters] = {
    "#ff4242", "#000000", "#3f40d6", "#ffb0b0", "#ffa248", "#ab58ab", "#fcef42", "#58ab58"};

wxString HtmlBold(const wxString &text) { return "<b>" + text + "</b>"; }

wxString HtmlLink(const wxString &target, const wxString &text) {
    return "<a href=\"" + target + "\">" + text + "</a>";
}

wxString HtmlAnchor(const wxString &name) { return "<a name=\"" + name + "\">" + "</a>"; }

wxString HtmlEscape(const wxString &text) {
    wxString s;
    s.reserve(text.length());
    for (wxUniChar c : text) {
        switch (c.GetValue()) {
            case '&': s += "&amp;"; break;
            case '<': s += "&lt;"; break;
            case '>': s += "&gt;"; break;
            case '"': s += "&quot;"; break;
            default: s += c;
        }
    }
    return s;
}

wxString HtmlNoBreak(const wxString &text) {
    wxString s = text;
    s.Replace(" ", "&nbsp;");
    return s;
}

wxString HelpBackLink() {
    return HtmlLink(wxString("#") + kHelpAnchorTop, HtmlNoBreak(L"[vissza a súgó elejére]"));
}

wxString BuildHelpPage() {
    using Section = wxString (*)();
    static const Section kSectionBodies[kHelpSectionCount] = {Rules, SpokenWords, Keys,
                                                              Microphone, Advice, Contact};
    wxString page = kHead;
    page += HtmlAnchor(kHelpAnchorTop);
    page += Title();
    page += "<p>" + Introduction() + kRule;
    for (int i = 0; i < kHelpSectionCount; ++i) {
        page += i ? kRule : "<br>";
        page += HtmlAnchor(kHelpSectionAnchors[i]);
        page += HtmlBold(HtmlEscape(U(kHelpSectionHeadings[i])));
        page += "<p>" + kSectionBodies[i]() + "<p>" + HelpBackLink();
    }
    page += kRule;
    page += ClosingTable();
    page += kTail;
    return page;
}
