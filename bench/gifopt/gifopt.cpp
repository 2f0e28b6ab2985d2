// gifopt LEVEL SOURCE DESTINATION [SOURCE DESTINATION ...]
// Runs CompressGIF on each pair and prints "<original> <optimized> <source>" per file.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "compressors/Compressors.h"

int main(int argc, char** argv)
{
    if (argc < 4 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: gifopt LEVEL SOURCE DESTINATION [SOURCE DESTINATION ...]\n");
        return 2;
    }
    const auto level = Level(std::atoi(argv[1]));
    int failures = 0;
    for (int i = 2; i + 1 < argc; i += 2) {
        FileSize original = 0, optimized = 0;
        try {
            CompressGIF(argv[i], argv[i + 1], level, original, optimized);
            std::printf("%d %d %s\n", int(original), int(optimized), argv[i]);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s: %s\n", argv[i], error.what());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
