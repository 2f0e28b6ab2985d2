#pragma once
// What a run lends every optimizer call: where the plug-ins are, how the tool
// runner reaches its caller and what it allows a plug-in, the run's control
// (cleanup and cancellation), the GIF engine's rendering options and the
// script results the run's pages share. The run builds one value and passes
// it down each call by const reference; nothing of it is kept anywhere else,
// so calls with different environments can run side by side.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "compressors/base/PluginDir.h"
#include "compressors/base/RunControl.h"
#include "compressors/base/ScriptBlockCache.h"
#include "compressors/base/ToolLimits.h"
#include "gif/GIFRenderOptions.h"

// The caller's side of a tool run: the window pumps its events and shows a
// message box; the command line pumps nothing and prints to stderr.
struct ToolRunnerHooks {
    std::function<void()> processMessages;                   // may be empty
    std::function<void(const std::string& message)> notify;  // "Unable to run ..."; empty: stderr
};

// Given the command line instead of a started process (tests see what would be
// sent); empty: the real runner.
using CommandExecutor = std::function<void(const std::string& commandLine)>;

struct TRunEnvironment {
    std::string pluginDir = PluginDir();  // with its trailing "/"
    ToolRunnerHooks hooks;
    CommandExecutor executor;
    TToolLimits toolLimits;
    // The run's cleanup registry and cancellation; may be empty (nothing is
    // registered, every notice is shown).
    std::shared_ptr<TRunControl> control;
    TGIFRenderOptions gif;
    // The run's inline script results; may be empty (every body goes to the tool).
    std::shared_ptr<TScriptBlockCache> scriptBlocks;
    // Image outputs are decoded and compared with their sources before they
    // stand (app/core/ProvedOutput.h); off only to measure what the check costs.
    bool proveImages = true;
};

// PluginDir(), no hooks, the real runner, the default limits, no control, the
// engine's default options. Never changes.
inline const TRunEnvironment& DefaultRunEnvironment()
{
    static const TRunEnvironment environment;
    return environment;
}
