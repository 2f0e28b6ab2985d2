#pragma once
// Interns byte strings that live in one text: equal strings get one number.

#include <cstdint>
#include <string_view>
#include <vector>

class CssStringIndex {
public:
    explicit CssStringIndex(std::string_view text) : text_(text) {}

    // The number of the string text[offset, offset + length), new or known.
    std::uint32_t Intern(std::uint32_t offset, std::uint32_t length);

    std::size_t size() const { return entries_.size(); }
    std::string_view View(std::uint32_t id) const { return text_.substr(entries_[id].offset, entries_[id].length); }
    std::uint32_t Length(std::uint32_t id) const { return entries_[id].length; }

private:
    struct Entry {
        std::uint32_t offset;
        std::uint32_t length;
        std::uint32_t hash;
    };
    void Grow();

    std::string_view text_;
    std::vector<Entry> entries_;
    std::vector<std::uint32_t> slots_;  // entry number + 1; 0 is free
};
