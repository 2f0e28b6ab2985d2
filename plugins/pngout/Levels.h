#pragma once
// What each level runs. /s3 is the fastest, /s0 the strongest (default).

#include <cstdint>
#include <string>
#include <vector>

enum class TTool { Oxipng, Optipng, Zopflipng };

struct TStep {
    TTool tool;
    std::vector<std::string> options;
};

struct TLevel {
    std::vector<TStep> steps;  // each on the best file so far
    // zopflipng runs only where its estimated CPU time fits this budget, in
    // seconds: floor + perMegapixel x the file's megapixels.
    double budgetFloor = 0;
    double budgetPerMegapixel = 0;
};

// `oxipng`: whether oxipng is there (optipng takes its place otherwise).
TLevel LevelOf(int strength, bool oxipng);

// The estimated CPU seconds of a zopflipng step on `rawBytes` bytes of
// filtered image data.
double ZopflipngSecondsFor(const TStep& step, std::uint64_t rawBytes);
