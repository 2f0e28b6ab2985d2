// PlainCopy's chunks, replacement, faults and the guard against writing onto
// the source; FileSizeOf.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "ToolTestSupport.h"
#include "compressors/Compressors.h"
#include "compressors/base/FileErrors.h"
#include "compressors/base/FileSizeOf.h"
#include "compressors/base/PlainCopy.h"
#include "compressors/base/SourceGuard.h"

using namespace tooltest;

namespace {

class PlainCopyTest : public ::testing::Test {
protected:
    std::string Pattern(std::size_t length)
    {
        std::string text(length, '\0');
        for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>((i * 131 + 7) % 256);
        return text;
    }

    // The fault's message, or "" when none was thrown.
    std::string FaultOf(const std::string& source, const std::string& destination)
    {
        try {
            PlainCopy(source, destination, original, optimized);
        } catch (const FileError& error) {
            return error.what();
        }
        return "";
    }

    TempDir dir;
    std::vector<std::size_t> chunks;
    FileSize original = -7, optimized = -7;
};

}  // namespace

TEST_F(PlainCopyTest, CopiesInChunksOfAtMost40096Bytes)
{
    const std::vector<std::pair<std::size_t, std::vector<std::size_t>>> cases{
        {40096, {40096}}, {40097, {40096, 1}}, {100000, {40096, 40096, 19808}}, {5, {5}}, {0, {}}};
    for (const auto& [length, expected] : cases) {
        chunks.clear();
        const std::string content = Pattern(length);
        WriteFile(dir / "src", content);
        CopyInChunks(dir / "src", dir / "dst", original, optimized,
                     [this](std::size_t bytes) { chunks.push_back(bytes); });
        EXPECT_EQ(chunks, expected) << length;
        EXPECT_EQ(ReadFile(dir / "dst"), content) << length;
        EXPECT_EQ(original, FileSize(length));
        EXPECT_EQ(optimized, FileSize(length));
    }
    EXPECT_EQ(kCopyChunkSize, 40096u);
}

TEST_F(PlainCopyTest, ReplacesALongerDestinationCompletely)
{
    WriteFile(dir / "src", "short");
    WriteFile(dir / "dst", Pattern(50000));
    PlainCopy(dir / "src", dir / "dst", original, optimized);
    EXPECT_EQ(ReadFile(dir / "dst"), "short");
}

TEST_F(PlainCopyTest, FaultsNameThePathAndTheReason)
{
    EXPECT_EQ(FaultOf(dir / "missing", dir / "dst"),
              "Cannot open file \"" + dir / "missing" + "\". No such file or directory");
    EXPECT_FALSE(FileExists(dir / "dst"));
    EXPECT_EQ(FaultOf(dir.Folder(), dir / "dst"), "Cannot open file \"" + dir.Folder() + "\". Is a directory");

    // A named pipe without a writer neither blocks nor gets copied.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(FaultOf(dir / "pipe", dir / "dst"), "Cannot open file \"" + dir / "pipe" + "\". Not a regular file");
    EXPECT_EQ(FileSizeOf(dir / "pipe"), -1);

    WriteFile(dir / "src", "data");
    EXPECT_EQ(FaultOf(dir / "src", dir / "no/such/dir/dst"),
              "Cannot create file \"" + dir / "no/such/dir/dst" + "\". No such file or directory");
    EXPECT_EQ(ReadFile(dir / "src"), "data");
}

TEST_F(PlainCopyTest, NeverWritesOntoTheSource)
{
    WriteFile(dir / "src", "precious");
    ASSERT_EQ(::symlink((dir / "src").c_str(), (dir / "link").c_str()), 0);
    ASSERT_EQ(::link((dir / "src").c_str(), (dir / "hard").c_str()), 0);
    for (const std::string& same :
         {dir / "src", dir.Folder() + "./src",
          dir.Folder() + "../" + std::filesystem::path(dir.Folder()).parent_path().filename().string() + "/src",
          dir / "link", dir / "hard"}) {
        EXPECT_EQ(FaultOf(dir / "src", same),
                  "Cannot create file \"" + same + "\". The destination is the source file.");
        EXPECT_EQ(ReadFile(dir / "src"), "precious");
    }
    // Another file is fine.
    EXPECT_NO_THROW(EnsureNotSource(dir / "src", dir / "other"));
    EXPECT_NO_THROW(EnsureNotSource(dir / "missing", dir / "src"));
}

TEST(FileSizeOfTest, SizesAndFailures)
{
    TempDir dir;
    WriteFile(dir / "empty", "");
    WriteFile(dir / "five", "12345");
    EXPECT_EQ(FileSizeOf(dir / "empty"), 0);
    EXPECT_EQ(FileSizeOf(dir / "five"), 5);
    EXPECT_EQ(FileSizeOf(dir / "missing"), -1);
    EXPECT_EQ(FileSizeOf(dir.Folder()), -1);
    if (::geteuid() != 0) {  // root reads anything
        ::chmod((dir / "five").c_str(), 0);
        EXPECT_EQ(FileSizeOf(dir / "five"), -1);
    }
}

TEST(FileSizeOfTest, KeepsTheLow32Bits)
{
    TempDir dir;
    const std::string path = dir / "sparse";
    WriteFile(path, "");
    // Sparse files: no disk space is used.
    ASSERT_EQ(::truncate(path.c_str(), (off_t(1) << 32) + 9), 0);
    EXPECT_EQ(FileSizeOf(path), 9);
    ASSERT_EQ(::truncate(path.c_str(), (off_t(1) << 32) - 1), 0);
    EXPECT_EQ(FileSizeOf(path), -1);
    ASSERT_EQ(::truncate(path.c_str(), off_t(0x80000000)), 0);
    EXPECT_EQ(FileSizeOf(path), FileSize(INT32_MIN));
}
