#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/CommandLine.h"

int main(int argc, char** argv)
{
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        return RunCommandLine(arguments, std::cout, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "quorvan-optimize: " << error.what() << "\n";
        return kExitFileFailed;
    }
}
