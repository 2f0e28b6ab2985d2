#include <unistd.h>

#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/cli/CommandLine.h"
#include "app/core/SignalCleanup.h"
#include "compressors/base/RunControl.h"

int main(int argc, char** argv)
{
    const auto control = std::make_shared<TRunControl>();
    const TSignalCleanup cleanup(control);
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        return RunCommandLine(arguments, std::cout, std::cerr, control, ::isatty(STDERR_FILENO) == 1);
    } catch (const std::exception& error) {
        std::cerr << "quorvan-optimize: " << error.what() << "\n";
        return kExitFileFailed;
    }
}
