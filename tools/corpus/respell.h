// respell.h — Hungarian words as a Czech or Finnish reader would say them.
//
// The corpus's second synthesiser, Festival, has no Hungarian voice, but its
// Czech and Finnish voices are made from recordings of real people. Written
// in their own spelling, a Hungarian word comes out as that person would say
// it with an accent: the sounds the language lacks become its nearest ones
// (Czech has no ö or ü, Finnish no sh or zh), vowel length is kept (Czech
// marks it with an accent, Finnish doubles the letter).
//
// Hungarian spelling is phonemic, so the respelling is a table of its
// graphemes (longest first: "dzs" before "dz" before "d"); a doubled
// digraph ("ssz", "ccs", "ggy") is the long consonant, whose respelling
// starts with its first letter twice ("ttj", "čč"). Letters outside the table pass through; upper
// case is read as lower case.
#pragma once

#include <string>

enum class Reader { Czech, Finnish };

// The word respelled for the reader, in UTF-8.
std::string respell(const std::string &hungarian, Reader reader);
