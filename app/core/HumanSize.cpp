#include "app/core/HumanSize.h"

#include "app/core/NumberFormat.h"

std::string HumanSize(ByteCount size, const std::string& thousandsSeparator, const std::string& decimalSeparator)
{
    constexpr std::size_t kWidth = 8;
    if (size < 1024) return PadLeft(std::to_string(size), kWidth) + " B";

    struct Unit {
        long double divisor;
        int decimals;
        const char* name;
    };
    const Unit unit = size < 1048576      ? Unit{1024.0L, 1, " kB"}
                      : size < 1073741824 ? Unit{1048576.0L, 2, " MB"}
                                          : Unit{1073741824.0L, 3, " GB"};
    const long double quotient = static_cast<long double>(size) / unit.divisor;
    return PadLeft(FormatFixed(quotient, unit.decimals, thousandsSeparator, decimalSeparator), kWidth) + unit.name;
}

std::string RatioText(long long optimized, long long original, const std::string& decimalSeparator)
{
    if (original == 0) return "n/a";
    const long double quotient = static_cast<long double>(optimized * 100) / static_cast<long double>(original);
    return FormatFixed(quotient, 2, "", decimalSeparator) + "%";
}
