#pragma once
// A strict reader of JSON text, for the files the program writes itself.

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class JsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TJsonValue {
    enum class Type { Null, Boolean, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    std::string
        text;  // a number as written; a string's bytes (\udc80-\udcff give the byte back, as JsonString wrote it)
    std::vector<TJsonValue> items;
    std::vector<std::pair<std::string, TJsonValue>> members;  // in order

    // The member's value, or nullptr.
    const TJsonValue* Find(std::string_view name) const;
};

// The one value of the text (white space around it allowed). Throws JsonError
// naming the offset of the first fault; nesting deeper than 64 is one.
TJsonValue ParseJson(std::string_view text);
