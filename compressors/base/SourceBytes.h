#pragma once
// A source file's bytes, read whole without a copy of its own where it can:
// a regular file of kMapAtLeast bytes or more is mapped read-only, a smaller
// one (or one that cannot be mapped) is read in large blocks. A mapped file
// that shrinks while it is read never ends the program: the pages it lost
// read as zeros, and Check() reports the change.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "compressors/base/Files.h"

class SourceBytes {
public:
    static constexpr std::uint64_t kMapAtLeast = 1 << 20;

    // Opens and reads (or maps) the file; throws what InputFile throws.
    explicit SourceBytes(const std::string& path);
    ~SourceBytes();
    SourceBytes(const SourceBytes&) = delete;
    SourceBytes& operator=(const SourceBytes&) = delete;

    // The bytes; valid until Release() or the end of the value.
    std::string_view View() const { return view_; }
    bool Mapped() const { return slot_ >= 0; }
    // Throws SourceChanged() when the file's size moved since it was opened
    // or a mapped page vanished under the reader.
    void Check() const;
    // Gives the memory back (the bytes are no longer needed).
    void Release() noexcept;

private:
    InputFile input_;
    std::string copy_;  // the bytes read, when not mapped
    std::string_view view_;
    int slot_ = -1;  // the mapping's entry in the guard's table; -1: not mapped
};
