#pragma once
// JSON text read back as bytes, for the files the program writes itself.

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string_view>

class JsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The one value of the text (white space around it allowed). A string's
// \udc80-\udcff give back the byte JsonString wrote them for; every string
// and name holds bytes. Throws JsonError naming the fault; nesting deeper
// than 64 is one.
nlohmann::json ParseJson(std::string_view text);
