#pragma once
// The byte-for-byte copy: level 0 of every optimizer and the run's optimizer
// for any other file.

#include <cstddef>
#include <functional>
#include <string>

#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"

class FileReplacement;
class InputFile;

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
                  FileSize& optimizedSize, const CopyChunkObserver& observer, TRunControl* control = nullptr);

// The copy itself: the opened source's bytes, in chunks, into the replacement
// (left uncommitted); returns the source's size (low 32 bits).
FileSize CopyChunks(InputFile& input, FileReplacement& output, const CopyChunkObserver& observer);
