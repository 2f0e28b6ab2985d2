#pragma once
// JSON text for byte strings that need not be UTF-8.

#include <string>
#include <string_view>

// `bytes` as a JSON string, quotes included. Valid UTF-8 is kept as it is,
// except '"', '\\' and the control characters below 0x20 (\", \\, \b \f \n
// \r \t, else \u00XX) and U+007F (\u007f). Each byte that is not part of a
// valid UTF-8 sequence (overlong forms, surrogates and code points above
// U+10FFFF count as invalid) becomes the lone surrogate \udcXX, XX its value
// (0x80-0xff): no valid text produces those, so the bytes are recovered
// exactly (Python: json.loads(...).encode("utf-8", "surrogateescape")).
std::string JsonString(std::string_view bytes);
