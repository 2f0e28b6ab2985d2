#pragma once
// Fixed-point number texts for the size and ratio columns.

#include <string>

// The value with `decimals` digits after the separator. The value is first
// taken to 18 significant digits, then rounded half away from zero at the last
// kept decimal. An empty thousandsSeparator groups nothing. A result that
// rounds to zero carries no minus sign.
std::string FormatFixed(long double value, int decimals, const std::string& thousandsSeparator,
                        const std::string& decimalSeparator);

// The text right-aligned in a field of at least `width` characters (UTF-8
// sequences count as one), padded with blanks on the left.
std::string PadLeft(const std::string& text, std::size_t width);

// Characters of a UTF-8 text: bytes that do not continue a sequence.
std::size_t DisplayLength(const std::string& text);
