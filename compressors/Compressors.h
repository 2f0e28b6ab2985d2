#pragma once
// The per-file optimizers. Each writes the destination file in full before it
// returns and reports the source's size and the written file's size. Failures
// (a file that cannot be opened or created, a malformed image) are thrown as
// exceptions derived from std::runtime_error and are not caught here.

#include <cstdint>
#include <string>

using FileSize = std::int32_t;  // byte count; -1 when a size query fails
using Level = std::uint8_t;

// Byte-for-byte copy in chunks of at most 40096 bytes; both sizes are the source's.
void PlainCopy(const std::string& source, const std::string& destination, FileSize& originalSize,
               FileSize& optimizedSize);

void CompressCSS(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize);
void CompressHTML(const std::string& source, const std::string& destination, Level htmlLevel, Level jsLevel,
                  Level cssLevel, FileSize& originalSize, FileSize& optimizedSize);
void CompressGIF(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize);
void CompressJS(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                FileSize& optimizedSize);
void CompressPNG(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize);
void CompressJPEG(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                  FileSize& optimizedSize);
