// JSON strings of names that need not be UTF-8.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "TestSupport.h"
#include "app/cli/JsonRead.h"
#include "app/cli/JsonText.h"

TEST(JsonText, EscapesAndKeepsEveryByte)
{
    struct Case {
        std::string bytes;
        std::string json;
    };
    const std::vector<Case> cases{
        {"", R"("")"},
        {"site/a b.css", R"("site/a b.css")"},
        {"q\"uote\\back", R"("q\"uote\\back")"},
        {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
        {std::string("\x01\x1f\x7f\0", 4), R"("\u0001\u001f\u007f\u0000")"},
        {"gr\xc3\xbc\xc3\x9f \xe2\x82\xac \xf0\x9f\x98\x80", "\"gr\xc3\xbc\xc3\x9f \xe2\x82\xac \xf0\x9f\x98\x80\""},
        {"s\xfc\xdf.js", R"("s\udcfc\udcdf.js")"},              // Latin-1
        {"\xc3", R"("\udcc3")"},                                // cut short
        {"\xc0\xaf", R"("\udcc0\udcaf")"},                      // overlong "/"
        {"\xe0\x80\xaf", R"("\udce0\udc80\udcaf")"},            // overlong, three bytes
        {"\xed\xa0\x80", R"("\udced\udca0\udc80")"},            // a surrogate
        {"\xf4\x90\x80\x80", R"("\udcf4\udc90\udc80\udc80")"},  // above U+10FFFF
        {"\xe2\x82x", R"("\udce2\udc82x")"},                    // broken in the middle
        {"\x80\xbf\xfe\xff", R"("\udc80\udcbf\udcfe\udcff")"},  // never valid
    };
    for (const Case& test : cases) EXPECT_EQ(JsonString(test.bytes), test.json) << test.json;
}

TEST(JsonText, PythonRecoversTheBytes)
{
    // An independent reader: Python's json module with the surrogateescape error handler.
    if (std::system("python3 -c '' 2>/dev/null") != 0) GTEST_SKIP() << "no python3";
    TempDir dir;
    std::string bytes;
    for (int i = 1; i < 256; ++i) bytes += static_cast<char>(i);
    bytes += "\xc3\xbc\xe2\x82\xac\xf0\x9f\x98\x80\xed\xa0\x80\xc0\xaf";
    WriteFile(dir / "in.json", "[" + JsonString(bytes) + "]");
    const std::string command = "python3 -c 'import json,sys; sys.stdout.buffer.write(json.load(open(sys.argv[1], "
                                "encoding=\"utf-8\", errors=\"surrogateescape\"))[0].encode(\"utf-8\", "
                                "\"surrogateescape\"))' " +
                                Quoted(dir / "in.json") + " > " + Quoted(dir / "out.bin");
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadFile(dir / "out.bin"), bytes);
}

TEST(JsonText, ReadsBackEveryByte)
{
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    bytes += "\\udc80 \xc3\xbc\xf0\x9f\x98\x80\xed\xa0\x80";
    const nlohmann::json read = ParseJson("{" + JsonString(bytes) + ": [" + JsonString(bytes) + "]}");
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read.begin().key(), bytes);
    EXPECT_EQ(read.begin()->at(0), bytes);
    // Escapes JsonString does not write.
    const std::pair<const char*, std::string> cases[] = {
        {R"("\ud800\udc80")", "\xf0\x90\x82\x80"},  // a pair, though its low half looks like a byte's
        {R"("\u0000\u00e9\u0000")", std::string("\0\xc3\xa9\0", 4)},
        {R"("\uDCFF\/")", "\xff/"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(ParseJson(text), expected) << text;
    for (const char* bad : {R"("\udc7f")", R"("\ud800")", R"("\udc80)", "\"\xff\"", "[1] 2"})
        EXPECT_THROW(ParseJson(bad), JsonError) << bad;
}
