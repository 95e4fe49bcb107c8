// The Czech and Finnish respellings that let Festival's voices say
// Hungarian words.
#include <gtest/gtest.h>

#include "corpus.h"
#include "respell.h"

namespace {

struct Said {
    const char *hungarian;
    Reader reader;
    const char *respelled;
};

void expect_respelled(std::initializer_list<Said> cases) {
    for (const Said &c : cases) EXPECT_EQ(respell(c.hungarian, c.reader), c.respelled) << c.hungarian;
}

constexpr Reader kCs = Reader::Czech, kFi = Reader::Finnish;

}  // namespace

TEST(Respell, CzechSaysTheColoursWithItsOwnLetters) {
    expect_respelled({{"piros", kCs, "piroš"},         {"sárga", kCs, "šárga"},   {"rózsaszín", kCs, "róžasín"},
                      {"narancs", kCs, "naranč"},      {"szürke", kCs, "sirke"},  {"zöld", kCs, "zeld"},
                      {"szabad a gazda", kCs, "sabad a gazda"}});
}

TEST(Respell, FinnishDoublesLongVowelsAndRoundsFrontVowels) {
    expect_respelled({{"fehér", kFi, "feheer"}, {"új játék", kFi, "uuj jaateek"}, {"szürke", kFi, "syrke"},
                      {"zöld", kFi, "söld"},    {"segítség", kFi, "segiitseeg"},  {"kő", kFi, "köö"}});
}

TEST(Respell, DigraphsWinOverTheirFirstLetterAndDoubleWhenLong) {
    expect_respelled({{"dzsungel", kCs, "džungel"}, {"hagyma", kCs, "haďma"},     {"asszony", kCs, "assoň"},
                      {"meggy", kCs, "meďď"},       {"bocsánat", kCs, "bočánat"}, {"loccsan", kCs, "loččan"},
                      {"asszony", kFi, "assonj"},   {"hattyú", kFi, "hattjuu"}});
}

TEST(Respell, UpperCaseReadsAsLowerAndUnknownSignsPassThrough) {
    expect_respelled({{"Új Játék", kCs, "új játék"}, {"ŐSZ-9", kFi, "öös-9"}, {"", kCs, ""}});
}

TEST(Respell, EveryVocabularyWordComesOutInTheReadersAlphabet) {
    // Czech has no ö, ő, ü, ű; Finnish no á, é, í, ó, ú, ő, ű: a word that
    // kept one would be read letter by letter or skipped.
    for (int cls = 1; cls <= kVocabularyClasses; cls++) {
        std::string cs = respell(class_word(cls), Reader::Czech);
        std::string fi = respell(class_word(cls), Reader::Finnish);
        for (const char *bad : {"ö", "ő", "ü", "ű"}) EXPECT_EQ(cs.find(bad), std::string::npos) << cs;
        for (const char *bad : {"á", "é", "í", "ó", "ú", "ő", "ű"}) EXPECT_EQ(fi.find(bad), std::string::npos) << fi;
    }
}
