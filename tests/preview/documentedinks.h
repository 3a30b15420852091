#ifndef LUMETRA_TESTS_DOCUMENTEDINKS_H
#define LUMETRA_TESTS_DOCUMENTEDINKS_H

#include "pngpicture.h"

#include <map>

// The sRGB colour of each ink letter as the README documents it: what a patch of
// full coverage must show.
inline const std::map<char, Rgb>& documentedInks()
{
    static const std::map<char, Rgb> inks = {
        {'C', {0, 158, 224}},   {'M', {226, 0, 122}},   {'Y', {255, 237, 0}},   {'K', {35, 31, 32}},
        {'c', {125, 205, 240}}, {'m', {240, 145, 195}}, {'k', {135, 135, 135}}, {'n', {190, 190, 190}},
        {'O', {245, 130, 30}},  {'G', {0, 160, 80}},    {'V', {110, 60, 160}},  {'R', {225, 35, 40}},
        {'B', {40, 60, 160}},
    };
    return inks;
}

#endif
