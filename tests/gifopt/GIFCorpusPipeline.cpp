// Every corpus image through both levels: no crash, and either a clean error
// or an output that the engine reads back. Fast enough for the sanitizer run.
#include <gtest/gtest.h>

#include <filesystem>

#include "compressors/Compressors.h"
#include "tests/gifsupport/Corpus.h"
#include "tests/gifsupport/GIFTestSupport.h"

namespace {

class CorpusLevels : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusLevels, BothLevelsWriteReadableImagesOrFailCleanly)
{
    TempDir dir;
    for (Level level : {1, 2}) {
        const std::string out = dir / "out.gif";
        FileSize original = 0, optimized = 0;
        try {
            CompressGIF(GetParam(), out, level, original, optimized);
        } catch (const GIFException& e) {
            // Unreadable sources fail with the reader's message and write nothing.
            EXPECT_FALSE(std::filesystem::exists(out)) << e.what();
            continue;
        }
        EXPECT_EQ(optimized, FileSize(std::filesystem::file_size(out)));
        TGIFImage reread;
        EXPECT_NO_THROW(reread.LoadFromFile(out)) << "level " << int(level);
        EXPECT_FALSE(reread.Images().Empty()) << "level " << int(level);
        std::filesystem::remove(out);
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusLevels, ::testing::ValuesIn(CorpusFiles()),
                         [](const auto& info) { return CorpusTestName(info.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusLevels);

}  // namespace
