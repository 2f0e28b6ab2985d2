#include "Levels.h"

TLevel LevelOf(int strength, bool oxipng)
{
    const TStep first = oxipng ? TStep{TTool::Oxipng, {"-o", "2", "-D"}} : TStep{TTool::Optipng, {"-o2"}};
    switch (strength) {
    case 3: return {{oxipng ? TStep{TTool::Oxipng, {"-o", "2"}} : first}};
    case 2: return {{first}};
    case 1: return {{first, {TTool::Zopflipng, {"--filters=p", "--iterations=5"}}}, 0.02, 0.3};
    default: return {{first, {TTool::Zopflipng, {"--filters=p", "--iterations=15"}}}, 0.03, 0.6};
    }
}

double ZopflipngSecondsFor(const TStep& step, std::uint64_t rawBytes)
{
    int iterations = 15;
    for (const std::string& option : step.options)
        if (option.rfind("--iterations=", 0) == 0) iterations = std::stoi(option.substr(13));
    // Measured: about 0.05 us a byte an iteration, and a start-up cost.
    return 0.004 + 0.05e-6 * static_cast<double>(rawBytes) * iterations;
}
