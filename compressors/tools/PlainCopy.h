#pragma once
// The byte-for-byte copy: level 0 of every optimizer and the run's optimizer
// for any other file.

#include <cstddef>
#include <functional>
#include <string>

#include "compressors/OptimizerTypes.h"
#include "compressors/RunEnvironment.h"

constexpr std::size_t kCopyChunkSize = 40096;

// Copies a regular source in chunks of at most 40096 bytes into a replacement
// of the destination; both sizes are the source's (low 32 bits). Refuses a
// destination that is the source itself.
void PlainCopy(const std::string& source, const std::string& destination, FileSize& originalSize,
               FileSize& optimizedSize, const TRunEnvironment& environment = DefaultRunEnvironment());

// Called with the length of every chunk as it is written.
using CopyChunkObserver = std::function<void(std::size_t bytes)>;
// PlainCopy, with an observer of its chunks (may be empty).
void CopyInChunks(const std::string& source, const std::string& destination, FileSize& originalSize,
                  FileSize& optimizedSize, const CopyChunkObserver& observer);
