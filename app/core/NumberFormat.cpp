#include "app/core/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kSignificantDigits = 18;

// Adds one to a string of decimal digits.
void Increment(std::string& digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// |value| * 10^decimals rounded to an integer, as a digit string.
std::string ScaledDigits(long double magnitude, int decimals)
{
    if (magnitude == 0) return "0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*Le", kSignificantDigits - 1, magnitude);
    std::string mantissa(1, buffer[0]);
    const char* exponentMark = buffer + 1;
    for (; *exponentMark != 'e'; ++exponentMark)
        if (*exponentMark != '.') mantissa += *exponentMark;
    const char* exponentEnd = exponentMark + std::strlen(exponentMark);
    int exponent = 0;
    std::from_chars(exponentMark + (exponentMark[1] == '+' ? 2 : 1), exponentEnd, exponent);

    // Digits that stand before the point once the value is scaled.
    const long long kept = static_cast<long long>(exponent) + 1 + decimals;
    if (kept >= static_cast<long long>(mantissa.size()))
        return mantissa + std::string(static_cast<std::size_t>(kept) - mantissa.size(), '0');
    if (kept < 0) return "0";
    std::string digits = mantissa.substr(0, static_cast<std::size_t>(kept));
    if (digits.empty()) digits = "0";
    if (mantissa[static_cast<std::size_t>(kept)] >= '5') Increment(digits);
    return digits;
}

std::string Grouped(const std::string& integerDigits, const std::string& separator)
{
    if (separator.empty()) return integerDigits;
    std::string result;
    const std::size_t count = integerDigits.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) result += separator;
        result += integerDigits[i];
    }
    return result;
}

}  // namespace

std::string FormatFixed(long double value, int decimals, const std::string& thousandsSeparator,
                        const std::string& decimalSeparator)
{
    std::string digits = ScaledDigits(std::fabs(value), decimals);
    const auto firstNonZero = digits.find_first_not_of('0');
    const bool zero = firstNonZero == std::string::npos;
    digits.erase(0, zero ? digits.size() : firstNonZero);
    if (digits.size() < static_cast<std::size_t>(decimals) + 1)
        digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');

    const std::size_t integerLength = digits.size() - static_cast<std::size_t>(decimals);
    std::string text = (std::signbit(value) && !zero) ? "-" : "";
    text += Grouped(digits.substr(0, integerLength), thousandsSeparator);
    if (decimals > 0) text += decimalSeparator + digits.substr(integerLength);
    return text;
}

std::size_t DisplayLength(const std::string& text)
{
    std::size_t length = 0;
    for (const unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++length;
    return length;
}

std::string PadLeft(const std::string& text, std::size_t width)
{
    const std::size_t length = DisplayLength(text);
    return length >= width ? text : std::string(width - length, ' ') + text;
}
