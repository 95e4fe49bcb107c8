// respell.h — Hungarian words as foreign readers would say them.
//
// The corpus's second synthesiser, Festival, has no Hungarian voice, but its
// Czech, Finnish, English, Italian, Catalan, Russian and Hindi voices (and the
// English ones of flite, its small runtime) are made from recordings of
// real people. Given a Hungarian word in their own terms, they
// say it as that person would with an accent: the sounds the language lacks
// become its nearest ones (Czech has no ö or ü, Italian no h).
//
// Two ways in. Czech, Finnish and Russian spelling is close to the sound, so
// their voices read the word respelled: Czech and Finnish keep the vowel
// length (Czech marks it with an accent, Finnish doubles the letter),
// Russian, written in Cyrillic, loses it. English, Italian and Catalan
// spelling is not, so their voices get the word as a lexicon entry in their
// own phones, syllable by syllable, the first syllable stressed as in every
// Hungarian word; vowel length is lost there. Hindi's voice reads
// Devanagari, so it gets lexicon entries too, but its phones keep most of
// the length (i and í are ih and iy) and its dental t and d are
// Hungarian's.
//
// Hungarian spelling is phonemic, so both are one table of its graphemes
// (longest first: "dzs" before "dz" before "d"); a doubled digraph ("ssz",
// "ccs", "ggy") is the long consonant. Its respelling starts with its first
// letter twice ("ttj", "čč"), its phones with their first phone twice.
// Upper case is read as lower case; letters outside the table pass through a
// respelling and are left out of a pronunciation.
#pragma once

#include <string>

enum class Reader { Czech, Finnish, English, Italian, Catalan, Russian, Hindi };

// True for the readers whose voices read respell(); the others take
// festival_pronunciation().
bool reader_spells(Reader reader);

// The word respelled for the reader, in UTF-8.
std::string respell(const std::string &hungarian, Reader reader);

// One word (no spaces) as the body of a Festival lexicon entry in the
// reader's phones: syllables, the first stressed, e.g. "piros" for English
// is "(((p iy) 1) ((r ow sh) 0))". Italian and Catalan also mark the
// stressed vowel ("i1"), as their lexicons do. A word of no vowel is one
// stressed syllable; a word of nothing pronounceable is "()".
std::string festival_pronunciation(const std::string &hungarian_word, Reader reader);

// The same pronunciation for a flite lexicon addendum: the English reader's
// phones in a row, each vowel marked with its syllable's stress, e.g.
// "piros" is "p iy1 r ow0 sh".
std::string flite_pronunciation(const std::string &hungarian_word);
