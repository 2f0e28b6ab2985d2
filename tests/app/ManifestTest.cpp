// The manifest's text: written and read back exactly, a damaged one refused.
#include <gtest/gtest.h>

#include "app/cli/JsonRead.h"
#include "app/cli/ManifestFile.h"

namespace {

TOutputRecord Record(int seed)
{
    TOutputRecord r;
    r.sourceSize = 100u + static_cast<unsigned>(seed);
    r.sourceTimeNs = seed % 2 ? -1234567890123 : 1700000000123456789;
    r.sourceHash = 0xfedcba9876543210ULL + static_cast<unsigned>(seed);
    r.kind = "html";
    r.levels = "html=2 js=3 css=2";
    r.version = "0.1";
    r.outputSize = 2147483647;
    r.outputHash = static_cast<unsigned>(seed);
    r.originalSize = 7;
    r.level = seed % 2 ? -1 : 4;
    r.copied = seed % 2 == 1;
    return r;
}

bool Same(const TOutputRecord& a, const TOutputRecord& b)
{
    return a.sourceSize == b.sourceSize && a.sourceTimeNs == b.sourceTimeNs && a.sourceHash == b.sourceHash &&
           a.kind == b.kind && a.levels == b.levels && a.version == b.version && a.outputSize == b.outputSize &&
           a.outputHash == b.outputHash && a.originalSize == b.originalSize && a.level == b.level &&
           a.copied == b.copied;
}

}  // namespace

TEST(Manifest, ReadsBackWhatItWrote)
{
    const TOutputRecords records{{"index.html", Record(0)},
                                 {"a \"quoted\"\\name\n.html", Record(1)},
                                 {std::string("caf\xc3\xa9/\xff\xfe.gif"), Record(2)},
                                 {"\xf0\x9f\x98\x80.png", Record(3)}};
    for (const TOutputRecords& written : {TOutputRecords{}, records}) {
        const TOutputRecords read = ParseManifest(ManifestText(written));
        ASSERT_EQ(read.size(), written.size());
        for (const auto& [name, record] : written) {
            ASSERT_EQ(read.count(name), 1u) << name;
            EXPECT_TRUE(Same(read.at(name), record)) << name;
        }
    }
}

TEST(Manifest, RefusesDamagedText)
{
    const std::string good = ManifestText({{"a.css", Record(0)}});
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::vector<std::string> damaged{
        "",
        good.substr(0, good.size() / 2),
        good + "x",
        "[]",
        std::string(100000, '[') + std::string(100000, ']'),
        replaced("\"format\": 2", "\"format\": 3"),
        replaced("\"format\": 2", "\"format\": \"2\""),
        replaced("\"files\": {", "\"files\": ["),
        replaced("\"source_size\": 100", "\"source_size\": -100"),
        replaced("\"source_size\": 100", "\"source_size\": 1e2"),
        replaced("\"output_size\": 2147483647", "\"output_size\": 9223372036854775808"),
        replaced("\"source_mtime_ns\": 1700000000123456789", "\"source_mtime_ns\": 99999999999999999999"),
        replaced("\"source_hash\": \"fedcba9876543210\"", "\"source_hash\": \"fedcba987654321\""),
        replaced("\"source_hash\": \"fedcba9876543210\"", "\"source_hash\": \"FEDCBA987654321g\""),
        replaced("\"kind\": \"html\"", "\"kind\": 1"),
        replaced("\"copied\": false", "\"copied\": 0"),
        replaced(", \"level\": 4", ""),
        replaced("\"a.css\"", "\"a\\ud800.css\""),
        replaced("\"a.css\"", "\"a\\x.css\""),
        replaced("\"a.css\"", "\"a\t.css\""),
    };
    for (const std::string& text : damaged) EXPECT_THROW(ParseManifest(text), JsonError) << text.substr(0, 200);
    // An older format hashed otherwise: outdated, no record stands.
    EXPECT_TRUE(ParseManifest(replaced("\"format\": 2", "\"format\": 1")).empty());
}
