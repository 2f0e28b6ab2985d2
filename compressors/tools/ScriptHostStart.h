#pragma once
// The script host started ahead of a run's first script: "cscript //Nologo
// //Prepare <plug-ins>ESC.wsf" brings up the host's server for this program
// while the run plans and its first files go, so that the first real call
// finds the minifier loaded. Nothing is waited for.

#include <cstddef>
#include <memory>

#include "compressors/base/RunEnvironment.h"

// Few files (kFilesForScriptServer) start nothing: the host then runs the
// minifier's binary itself, which costs less than a server's start.
inline constexpr std::size_t kFilesForScriptServer = 20;

// The started host (a supervised child, TToolProcess), to be kept until the
// run ends: releasing it reaps the host, killing it if it still waits for its
// server (the server itself goes with this program). Null when nothing was
// started: few files, the environment's executor is set (tests see command lines), or
// ESC.wsf or cscript is missing, or the host could not be started.
std::shared_ptr<void> StartScriptHost(const TRunEnvironment& environment, std::size_t files);
