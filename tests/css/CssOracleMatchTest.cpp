#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "CssOracle.h"
#include "compressors/text/CssMinifier.h"
#include "compressors/text/CssRegrouper.h"
#include "tests/support/Files.h"

namespace {

TEST(CssOracleMatch, RealStyleSheets)
{
    const std::filesystem::path data = std::filesystem::path(QWO_SOURCE_DIR) / "tests/css/data";
    int sheets = 0;
    int regrouped = 0;
    for (const auto& entry : std::filesystem::directory_iterator(data)) {
        if (entry.path().extension() != ".css") continue;
        SCOPED_TRACE(entry.path().filename().string());
        const std::string text = ReadFile(entry.path());
        ASSERT_GT(text.size(), 1000u);
        const std::string basic = MinifyCSSBasic(text);
        EXPECT_EQ(basic, OracleCSSBasic(text));
        const std::string maximum = MinifyCSSMaximum(text);
        EXPECT_EQ(CascadeDifference(basic, maximum), "");
        EXPECT_LT(basic.size(), text.size());
        // A sheet already minified stays as it is.
        EXPECT_EQ(MinifyCSSBasic(basic), basic);
        EXPECT_LE(maximum.size(), basic.size());
        regrouped += maximum != basic;
        ++sheets;
    }
    EXPECT_GE(sheets, 3);
    EXPECT_GE(regrouped, 1);  // at least one flat sheet really regroups
}

// Random text over the characters that matter to the minifier.
std::string RandomText(std::mt19937& random, std::size_t length)
{
    static const std::string alphabet = "{}{};:,/**\"' \t\r\n<>=-!abAB01\xA0\x00";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size());  // last: NUL
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        const std::size_t k = pick(random);
        text += k == alphabet.size() ? '\0' : alphabet[k];
    }
    return text;
}

// Random flat sheets with few distinct selectors and declarations, so that
// groups, deferred groups, skips and merges all occur.
std::string RandomSheet(std::mt19937& random, std::size_t rules)
{
    static const char* selectors[] = {"a", "b", " b", "p q", ".nav>li", "h1 ,h2", "", "x"};
    static const char* declarations[] = {"x:1",     "x:1 ",     " y : 2", "color:red", "margin:0 auto",
                                         "z:'a;b'", "w:\"q;\"", "",       "x:1",       "font-family:Arial,sans-serif"};
    static const char* glue[] = {"", " ", "\n", "\r\n", "\t", "/* c */", " ;"};
    std::uniform_int_distribution<int> anySelector(0, std::size(selectors) - 1);
    std::uniform_int_distribution<int> anyDeclaration(0, std::size(declarations) - 1);
    std::uniform_int_distribution<int> anyGlue(0, std::size(glue) - 1);
    std::uniform_int_distribution<int> items(0, 4);
    std::string text;
    for (std::size_t r = 0; r < rules; ++r) {
        text += glue[anyGlue(random)];
        text += selectors[anySelector(random)];
        text += glue[anyGlue(random)];
        text += "{";
        for (int k = items(random); k > 0; --k) {
            text += declarations[anyDeclaration(random)];
            text += k > 1 || items(random) == 0 ? ";" : "";
            text += glue[anyGlue(random)];
        }
        text += "}";
    }
    return text;
}

TEST(CssOracleMatch, RandomCharacterSoup)
{
    std::mt19937 random(20261207);
    std::uniform_int_distribution<std::size_t> length(0, 60);
    for (int round = 0; round < 4000; ++round) {
        const std::string text = RandomText(random, length(random));
        ASSERT_EQ(MinifyCSSBasic(text), OracleCSSBasic(text)) << "round " << round;
        ASSERT_LE(MinifyCSSMaximum(text).size(), MinifyCSSBasic(text).size()) << "round " << round;
    }
    // Control bytes are text like any other (a fuzzer's find).
    const std::string controls = std::string("a{\n \x80\x01\x02\x03\0 b:c}\n\x03", 16) + "d{e:f}";
    EXPECT_EQ(MinifyCSSBasic(controls), OracleCSSBasic(controls));
    const std::string placeholderLike = std::string("a{b\x01") + "4\x02:'x' 'y' 'z' 'w' 'v'}";
    EXPECT_EQ(MinifyCSSBasic(placeholderLike), OracleCSSBasic(placeholderLike));
    // A comment separates a name from the url( after it: the url( stays whole.
    for (const char* text : {"a{b:x/* c */url(\n/* d */ y\n)}", "a{b:x/**/url( p /*q*/ r\n", "x/*c*/'y /* z */'"})
        EXPECT_EQ(MinifyCSSBasic(text), OracleCSSBasic(text)) << text;
}

TEST(CssOracleMatch, RandomFlatSheets)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> rules(0, 12);
    int regrouped = 0;
    for (int round = 0; round < 4000; ++round) {
        const std::string text = RandomSheet(random, rules(random));
        const std::string maximum = MinifyCSSMaximum(text);
        ASSERT_EQ(MinifyCSSBasic(text), OracleCSSBasic(text)) << "round " << round;
        ASSERT_EQ(CascadeDifference(MinifyCSSBasic(text), maximum), "") << "round " << round << "\n" << text;
        regrouped += maximum != MinifyCSSBasic(text);

        // The planned length decides the fallback and the reported file size.
        const std::string basic = MinifyCSSBasic(text);
        CssRegrouper regrouper(basic);
        if (regrouper.Read()) {
            const std::uint64_t planned = regrouper.Plan();
            std::string written;
            CssStringSink sink(written);
            regrouper.Write(sink);
            ASSERT_EQ(planned, written.size()) << "round " << round;
        }
    }
    EXPECT_GT(regrouped, 1000);  // the generator really exercises level 2
}

}  // namespace
