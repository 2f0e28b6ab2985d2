// The scanner's 16-byte-wide searches at every offset around their block
// edges and the page's end, against the byte-by-byte answers.

#include "HtmlTestSupport.h"

#include <string>

#include "compressors/text/FoldedSearch.h"

TEST(WideScan, NeedlesFoundInAnyCaseAtEveryOffset)
{
    struct Case {
        std::string_view needle;
        std::string_view written;
    };
    const Case cases[] = {{"white-space", "White-SPACE"}, {"xml:space", "XML:Space"}, {"<listing", "<LiStInG"},
                          {"stylesheet", "stylesheet"},   {"a", "A"},                 {"-", "-"}};
    for (const Case& c : cases)
        for (std::size_t offset = 0; offset < 40; ++offset)
            for (std::size_t after = 0; after < 20; after += 19) {
                const std::string page = std::string(offset, 'x') + std::string(c.written) + std::string(after, 'x');
                SCOPED_TRACE(page);
                EXPECT_TRUE(ContainsAnyIgnoringCase(page, {"zzz", c.needle}));
                // One byte short, or the case bit of a non-letter changed: no match.
                EXPECT_FALSE(ContainsAnyIgnoringCase(page.substr(0, offset + c.written.size() - 1), {c.needle}));
                std::string bent = page;
                bent[offset] = static_cast<char>(bent[offset] ^ (c.needle[0] >= 'a' ? 0x40 : 0x20));
                EXPECT_FALSE(ContainsAnyIgnoringCase(bent, {c.needle}));
            }
    EXPECT_FALSE(ContainsAnyIgnoringCase("", {"a"}));
    EXPECT_THROW(ContainsAnyIgnoringCase("a", {""}), std::invalid_argument);
}

TEST(WideScan, SpaceRunsAtEveryOffsetAgreeWithTheOracle)
{
    const std::string runs[] = {"  ", " \t", "\r\n", "\n\n    ", "\t\r"};
    for (const std::string& run : runs)
        for (std::size_t offset = 0; offset < 36; ++offset)
            for (const std::string& tail : {std::string(), std::string("x"), std::string("<b>y"), std::string(20, 'z') + "</b>"}) {
                const std::string text = std::string(offset, 'w') + run + "v" + tail;
                SCOPED_TRACE(text);
                Minify(text);
                Minify("<p>" + text + " " + text);
                Minify("<pre>" + text + "</pre>" + text, PageLevels(2, 0, 0));
                Minify("<i style='white-space:pre'>" + text + "</i>" + text);
            }
}
