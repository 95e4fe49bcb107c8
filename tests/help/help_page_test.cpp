// The help page: structure, links, markup hygiene and the word and key lists.
#include "HelpPage.h"

#include "game/words.h"

#include <gtest/gtest.h>
#include <wx/strconv.h>

#include <map>
#include <string>
#include <vector>

namespace {

// The page as UTF-8, cut into tags and text runs.
struct Token {
    bool tag;
    std::string text;  // tag: inside the angle brackets; text: the run
};

std::string Utf8(const wxString &s) { return std::string(s.utf8_str()); }

std::vector<Token> Tokenise(const std::string &html) {
    std::vector<Token> out;
    size_t i = 0;
    while (i < html.size()) {
        if (html[i] == '<') {
            const size_t end = html.find('>', i);
            if (end == std::string::npos) {
                out.push_back({false, html.substr(i)});  // unterminated '<' shows up as text
                break;
            }
            out.push_back({true, html.substr(i + 1, end - i - 1)});
            i = end + 1;
        } else {
            const size_t end = html.find('<', i);
            out.push_back({false, html.substr(i, end - i)});
            i = end == std::string::npos ? html.size() : end;
        }
    }
    return out;
}

std::string TagName(const std::string &tag) {
    std::string name;
    for (char c : tag) {
        if (c == ' ') break;
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
}

// Value of attr="value" in a tag, or "" when absent.
std::string Attr(const std::string &tag, const std::string &attr) {
    const std::string key = " " + attr + "=\"";
    const size_t at = tag.find(key);
    if (at == std::string::npos) return "";
    const size_t from = at + key.size();
    return tag.substr(from, tag.find('"', from) - from);
}

struct Link {
    std::string href;
    std::string text;
    std::string section;  // anchor of the section it is in ("" before m1)
};

class HelpPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        page = BuildHelpPage();
        html = Utf8(page);
        tokens = Tokenise(html);
    }

    // Bold items of the first <ul> after anchor `section`.
    std::vector<std::string> ListTerms(const std::string &section) const {
        std::vector<std::string> terms;
        bool inSection = false, inList = false;
        for (size_t i = 0; i < tokens.size(); ++i) {
            const Token &t = tokens[i];
            if (t.tag && TagName(t.text) == "a" && !Attr(t.text, "name").empty())
                inSection = Attr(t.text, "name") == section;
            if (!inSection || !t.tag) continue;
            if (t.text == "ul") inList = true;
            if (t.text == "/ul" && inList) break;
            if (inList && t.text == "li" && i + 2 < tokens.size() && tokens[i + 1].text == "b")
                terms.push_back(tokens[i + 2].text);
        }
        return terms;
    }

    std::vector<Link> Links() const {
        std::vector<Link> links;
        std::string section;
        for (size_t i = 0; i < tokens.size(); ++i) {
            const Token &t = tokens[i];
            if (!t.tag || TagName(t.text) != "a") continue;
            if (!Attr(t.text, "name").empty()) section = Attr(t.text, "name");
            if (Attr(t.text, "href").empty()) continue;
            Link l{Attr(t.text, "href"), "", section};
            for (size_t j = i + 1; j < tokens.size() && tokens[j].text != "/a"; ++j)
                if (!tokens[j].tag) l.text += tokens[j].text;
            links.push_back(l);
        }
        return links;
    }

    wxString page;
    std::string html;
    std::vector<Token> tokens;
};

TEST_F(HelpPageTest, HeadAndTailAreTheFixedFrame) {
    const std::string head =
        "<html><head><meta http-equiv=\"Content-Type\" "
        "content=\"text/html; charset=windows-1250\"></head><font face=\"helvetica\">";
    EXPECT_EQ(html.substr(0, head.size()), head);
    EXPECT_EQ(html.substr(html.size() - 21), "</font></body></html>");
    EXPECT_EQ(html.substr(head.size(), 18), "<a name=\"st\"></a><");
}

TEST_F(HelpPageTest, AnchorsComeInOrderEachAfterItsRuleWithItsHeading) {
    std::vector<std::string> names;
    for (const Token &t : tokens)
        if (t.tag && TagName(t.text) == "a" && !Attr(t.text, "name").empty())
            names.push_back(Attr(t.text, "name"));
    EXPECT_EQ(names, (std::vector<std::string>{"st", "m1", "m2", "m3", "m4", "m5", "m6"}));

    for (int i = 0; i < kHelpSectionCount; ++i) {
        const std::string lead = i ? "<hr width=100%>" : "<hr width=100%><br>";
        const std::string want = lead + "<a name=\"" + kHelpSectionAnchors[i] + "\"></a><b>" +
                                 kHelpSectionHeadings[i] + "</b><p>";
        EXPECT_NE(html.find(want), std::string::npos) << "section " << kHelpSectionAnchors[i];
    }
    EXPECT_STREQ(kHelpSectionHeadings[1], "Így használhatod a Tarkababot a saját hangoddal:");
    EXPECT_STREQ(kHelpSectionHeadings[3], "A mikrofonerősítés és az érzékenység beállítása");
    // After the last section: a rule, then the closing table.
    const size_t m6 = html.find("<a name=\"m6\">");
    EXPECT_NE(html.find("<hr width=100%><table", m6), std::string::npos);
}

TEST_F(HelpPageTest, LinksAreBackLinksPlusOneEachToM4AndTheMixer) {
    const std::string back = "[vissza&nbsp;a&nbsp;súgó&nbsp;elejére]";
    std::map<std::string, int> seen;
    for (const Link &l : Links()) {
        ++seen[l.href];
        if (l.href == "#st") {
            EXPECT_EQ(l.text, back);
        } else if (l.href == "#m4") {
            EXPECT_EQ(l.text, "kattints ide");
            EXPECT_EQ(l.section, "m2");
        } else if (l.href == kHelpLinkMixer) {
            EXPECT_EQ(l.text, "katt ide");
            EXPECT_EQ(l.section, "m4");
            EXPECT_NE(html.find("(pavucontrol)"), std::string::npos) << "name what it opens";
        } else {
            ADD_FAILURE() << "unexpected link " << l.href;
        }
    }
    EXPECT_EQ(seen["#st"], kHelpSectionCount);
    EXPECT_EQ(seen["#m4"], 1);
    EXPECT_EQ(seen["sr]"], 1);
    // Each section ends "<p>" + back link.
    for (int i = 0; i < kHelpSectionCount; ++i) {
        const size_t at = html.find(std::string("<a name=\"") + kHelpSectionAnchors[i]);
        const size_t next = i + 1 < kHelpSectionCount
                                ? html.find(std::string("<a name=\"") + kHelpSectionAnchors[i + 1])
                                : html.size();
        const size_t backAt = html.find("<p><a href=\"#st\">" + back + "</a>", at);
        EXPECT_LT(backAt, next) << "section " << kHelpSectionAnchors[i];
    }
}

TEST_F(HelpPageTest, TitleSpellsTarkababInTheEightColoursBesideTheLogo) {
    std::string letters;
    std::vector<std::string> colours;
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
        const std::string c = Attr(tokens[i].text, "color");
        if (tokens[i].tag && !c.empty() && !tokens[i + 1].tag) {
            colours.push_back(c);
            letters += tokens[i + 1].text;
        }
    }
    EXPECT_EQ(letters, "Tarkabab");
    EXPECT_EQ(colours, (std::vector<std::string>{"#ff4242", "#000000", "#3f40d6", "#ffb0b0",
                                                 "#ffa248", "#ab58ab", "#fcef42", "#58ab58"}));
    EXPECT_NE(html.find("<b><table border=0 width=100%><tr><td width=100>"
                        "<img src=\"memory:logo.bmp\"></td><td align=center><font size=+3>"),
              std::string::npos);
    EXPECT_NE(html.find("</font><br>használati útmutató</td></tr></table></b><p>"),
              std::string::npos);
}

TEST_F(HelpPageTest, TextHasNoStrayMarkupCharactersAndTagsBalance) {
    std::map<std::string, int> depth;
    for (const Token &t : tokens) {
        if (t.tag) {
            const std::string name = TagName(t.text);
            if (name.empty()) ADD_FAILURE() << "empty tag";
            else if (name[0] == '/') --depth[name.substr(1)];
            else ++depth[name];
            continue;
        }
        EXPECT_EQ(t.text.find('>'), std::string::npos) << t.text;
        EXPECT_EQ(t.text.find('<'), std::string::npos) << t.text;
        for (size_t at = t.text.find('&'); at != std::string::npos; at = t.text.find('&', at + 1)) {
            const size_t semi = t.text.find(';', at);
            ASSERT_NE(semi, std::string::npos) << t.text;
            const std::string name = t.text.substr(at + 1, semi - at - 1);
            EXPECT_TRUE(name == "nbsp" || name == "amp" || name == "lt" || name == "gt" ||
                        name == "quot")
                << "bad entity &" << name << "; in " << t.text;
        }
    }
    for (const char *name : {"a", "b", "i", "ul", "li", "table", "tr", "td", "font"})
        EXPECT_EQ(depth[name], 0) << "<" << name << "> unbalanced";
    EXPECT_EQ(depth["html"], 0);
    EXPECT_EQ(depth["head"], 0);
}

TEST_F(HelpPageTest, WholePageFitsWindows1250AndUsesEveryHungarianAccent) {
    wxCSConv cp1250("windows-1250");
    ASSERT_TRUE(cp1250.IsOk());
    const wxCharBuffer bytes = page.mb_str(cp1250);
    ASSERT_GT(bytes.length(), 0u) << "a character outside windows-1250";
    EXPECT_EQ(wxString(bytes.data(), cp1250, bytes.length()), page);
    for (const char *letter : {"á", "é", "í", "ó", "ö", "ő", "ú", "ü", "ű"})
        EXPECT_NE(html.find(letter), std::string::npos) << letter;
}

TEST_F(HelpPageTest, SpokenWordListIsTheVocabulary) {
    std::vector<std::string> want;
    for (int i = 0; i < 8; ++i) want.push_back(kPalette[i].word);
    for (const CommandInfo &c : kCommands) want.push_back(c.words);
    want.push_back(kClassWords[kClassHelpFirst]);
    want.push_back(kClassWords[kClassHelpFirst + 1]);
    EXPECT_EQ(ListTerms("m2"), want);
}

TEST_F(HelpPageTest, KeyListIsTheKeyboardMap) {
    std::vector<std::string> want;
    for (int i = 0; i < 8; ++i)
        if (kPalette[i].key) want.push_back(std::string(1, kPalette[i].key));
    for (const CommandInfo &c : kCommands) want.push_back(c.keys);
    const std::vector<std::string> got = ListTerms("m3");
    ASSERT_EQ(got.size(), want.size() + 3);
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + want.size()), want);
    EXPECT_EQ(got[want.size()], "F1");
    EXPECT_NE(got[want.size() + 1].find("Fel nyíl"), std::string::npos);
    EXPECT_NE(got[want.size() + 2].find("Le nyíl"), std::string::npos);
    const std::string step = std::to_string(static_cast<int>(kSensitivityStepDb)) + " dB-lel";
    const size_t m3 = html.find("<a name=\"m3\">");
    const size_t m4 = html.find("<a name=\"m4\">");
    const size_t stepAt = html.find(step, m3);
    EXPECT_LT(stepAt, m4);
}

TEST(HtmlHelpers, BuildTheExactMarkup) {
    EXPECT_EQ(HtmlBold("x"), "<b>x</b>");
    EXPECT_EQ(HtmlLink("#m4", "y"), "<a href=\"#m4\">y</a>");
    EXPECT_EQ(HtmlAnchor("st"), "<a name=\"st\"></a>");
    EXPECT_EQ(HtmlEscape("a<b & \"c\">"), "a&lt;b &amp; &quot;c&quot;&gt;");
    EXPECT_EQ(HtmlNoBreak("a b  c"), "a&nbsp;b&nbsp;&nbsp;c");
}

}  // namespace
