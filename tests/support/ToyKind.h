#pragma once
// A kind the program does not have: ".txt" files upper-cased in process, one
// row registered by the test that uses it.

#include <string>

#include "compressors/Optimizers.h"

inline std::string UpperCaseText(std::string_view bytes, const TInProcessCall&)
{
    std::string upper(bytes);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

inline TOptimizerRow ToyKindRow()
{
    TOptimizerRow row;
    row.name = "txt";
    row.caption = "TXT";
    row.extensions = {".txt"};
    row.entries = {"0- Keep the case", "1- Upper case"};
    row.defaultEntry = 1;
    row.commandLineDefault = 1;
    row.lossyLevels = {1};
    row.inProcess = &UpperCaseText;
    row.keepSourceWhenNotSmaller = false;  // same size: the upper-cased text stands
    row.iconColour = 0x404040;
    return row;
}
