// The Czech and Finnish respellings that let Festival's voices say
// Hungarian words.
#include <gtest/gtest.h>

#include "corpus.h"
#include "respell.h"

TEST(Respell, CzechSaysTheColoursWithItsOwnLetters) {
    EXPECT_EQ(respell("piros", Reader::Czech), "piroš");
    EXPECT_EQ(respell("sárga", Reader::Czech), "šárga");
    EXPECT_EQ(respell("rózsaszín", Reader::Czech), "róžasín");
    EXPECT_EQ(respell("narancs", Reader::Czech), "naranč");
    EXPECT_EQ(respell("szürke", Reader::Czech), "sirke");
    EXPECT_EQ(respell("zöld", Reader::Czech), "zeld");
    EXPECT_EQ(respell("szabad a gazda", Reader::Czech), "sabad a gazda");
}

TEST(Respell, FinnishDoublesLongVowelsAndRoundsFrontVowels) {
    EXPECT_EQ(respell("fehér", Reader::Finnish), "feheer");
    EXPECT_EQ(respell("új játék", Reader::Finnish), "uuj jaateek");
    EXPECT_EQ(respell("szürke", Reader::Finnish), "syrke");
    EXPECT_EQ(respell("zöld", Reader::Finnish), "söld");
    EXPECT_EQ(respell("segítség", Reader::Finnish), "segiitseeg");
    EXPECT_EQ(respell("kő", Reader::Finnish), "köö");
}

TEST(Respell, DigraphsWinOverTheirFirstLetterAndDoubleWhenLong) {
    EXPECT_EQ(respell("dzsungel", Reader::Czech), "džungel");
    EXPECT_EQ(respell("hagyma", Reader::Czech), "haďma");
    EXPECT_EQ(respell("asszony", Reader::Czech), "assoň");
    EXPECT_EQ(respell("meggy", Reader::Czech), "meďď");
    EXPECT_EQ(respell("bocsánat", Reader::Czech), "bočánat");
    EXPECT_EQ(respell("loccsan", Reader::Czech), "loččan");
    EXPECT_EQ(respell("asszony", Reader::Finnish), "assonj");
    EXPECT_EQ(respell("hattyú", Reader::Finnish), "hattjuu");
}

TEST(Respell, UpperCaseReadsAsLowerAndUnknownSignsPassThrough) {
    EXPECT_EQ(respell("Új Játék", Reader::Czech), "új játék");
    EXPECT_EQ(respell("ŐSZ-9", Reader::Finnish), "öös-9");
    EXPECT_EQ(respell("", Reader::Czech), "");
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
