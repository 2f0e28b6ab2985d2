// The file layer: whole reads, replacements that appear whole or not at all,
// and the faults of both sides.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <vector>

#include "ToolTestSupport.h"
#include "compressors/base/FileErrors.h"
#include "compressors/base/Files.h"
#include "compressors/base/RunControl.h"
#include "compressors/base/StaleTemporaries.h"
#include "tests/support/FileSizeLimit.h"

using namespace tooltest;

namespace {

// The fault's message, or "" when none was thrown.
template <typename Action>
std::string FaultOf(Action action)
{
    try {
        action();
    } catch (const FileError& error) {
        return error.what();
    }
    return "";
}

// The names in a folder, sorted.
std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Pattern(std::size_t length)
{
    std::string text(length, '\0');
    for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>((i * 131 + 7) % 256);
    return text;
}

}  // namespace

TEST(Files, ReadsWholeFiles)
{
    TempDir dir;
    for (std::size_t length : {0, 1, 65536, 200001}) {
        WriteFile(dir / "f", Pattern(length));
        EXPECT_EQ(ReadEntireFile(dir / "f"), Pattern(length)) << length;
        const std::vector<std::uint8_t> bytes = ReadEntireFileBytes(dir / "f");
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), Pattern(length)) << length;
    }
    // A file that tells a size of 0 is still read to its end.
    EXPECT_NE(ReadEntireFile("/proc/self/status").find("Pid:"), std::string::npos);
}

TEST(Files, ReadFaultsNameThePathAndTheReason)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const std::vector<std::pair<std::string, std::string>> cases{
        {dir / "missing", "No such file or directory"},
        {dir.Path(), "Is a directory"},
        {dir / "pipe", "Not a regular file"},  // refused at once, never waited for
        {"/dev/null", "Not a regular file"}};
    for (const auto& [path, reason] : cases)
        EXPECT_EQ(FaultOf([&] { ReadEntireFile(path); }), "Cannot open file \"" + path + "\". " + reason);
}

TEST(Files, AReplacementAppearsWholeOrNotAtAll)
{
    TempDir dir;
    const std::string destination = dir / "page.html";
    WriteFile(destination, "old");
    {
        FileReplacement file(destination);
        file.Write("new ");
        EXPECT_EQ(ReadFile(destination), "old");  // nothing shows before the commit
        EXPECT_EQ(Names(dir.Path()).size(), 2u);
    }  // abandoned: the temporary file goes, the destination stays
    EXPECT_EQ(ReadFile(destination), "old");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"page.html"});

    FileReplacement file(destination);
    file.Write("new ");
    file.Write(Pattern(100000));
    file.Commit();
    EXPECT_EQ(ReadFile(destination), "new " + Pattern(100000));
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"page.html"});

    WriteEntireFile(destination, std::string_view("short"));
    EXPECT_EQ(ReadFile(destination), "short");
}

TEST(Files, AFailedWriteKeepsTheOldDestination)
{
    TempDir dir;
    const std::string destination = dir / "out.css";
    WriteFile(destination, "old");
    std::string fault;
    {
        const FileSizeLimit limit(1000);
        fault = FaultOf([&] { WriteEntireFile(destination, Pattern(5000)); });
    }
    EXPECT_EQ(fault, "Cannot create file \"" + destination + "\". File too large");
    EXPECT_EQ(ReadFile(destination), "old");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"out.css"});
}

TEST(Files, AReplacedFileKeepsItsPermissionsAndLinksAreReplaced)
{
    TempDir dir;
    WriteFile(dir / "private", "old");
    ASSERT_EQ(::chmod((dir / "private").c_str(), 0640), 0);
    WriteEntireFile(dir / "private", std::string_view("new"));
    struct stat info {};
    ASSERT_EQ(::stat((dir / "private").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // A link as the destination, to a file or to nowhere: the link itself is
    // replaced, nothing is written through it.
    std::filesystem::create_directories(dir / "real");
    WriteFile(dir / "real/target", "old");
    ASSERT_EQ(::symlink("real/target", (dir / "link").c_str()), 0);
    ASSERT_EQ(::symlink("real/nowhere", (dir / "dangling").c_str()), 0);
    for (const char* name : {"link", "dangling"}) {
        WriteEntireFile(dir / name, std::string_view("in place of the link"));
        EXPECT_FALSE(std::filesystem::is_symlink(dir / name)) << name;
        EXPECT_EQ(ReadFile(dir / name), "in place of the link") << name;
    }
    EXPECT_EQ(ReadFile(dir / "real/target"), "old");
    EXPECT_EQ(Names(dir / "real"), std::vector<std::string>{"target"});
}

TEST(Files, TemporaryFilesAreUniqueAndKeepTheExtension)
{
    TempDir dir;
    const std::string destination = dir / "logo.png";
    FileReplacement first(destination);
    FileReplacement second(destination);
    EXPECT_NE(first.TemporaryPath(), second.TemporaryPath());
    for (const FileReplacement* file : {&first, &second})
        EXPECT_TRUE(std::regex_match(file->TemporaryPath(), std::regex(dir.Folder() + R"(\.qwo-)" + std::to_string(::getpid()) + R"(-[0-9a-f]{16}\.png)")))
            << file->TemporaryPath();
    for (const auto& [name, temporary] : {std::pair{".qwo-4242-0123456789abcdef.png", true},
                                          {"_temporary.1073741823-0123456789abcdef", true},
                                          {".qwo-1073741824-0123456789abcdef", false},   // above the largest pid
                                          {".qwo-00000000042-0123456789abcdef", false},  // eleven digits
                                          {".qwo-0-0123456789abcdef", false},
                                          {".qwo--42-0123456789abcdef", false},
                                          {".qwo-+42-0123456789abcdef", false},
                                          {".qwo-42-0123456789ABCDEF", false},
                                          {".qwo-42-0123456789abcde", false},
                                          {".qwo-42x0123456789abcdef", false}})
        EXPECT_EQ(IsTemporaryName(name), temporary) << name;

    // Registered with a run control: removed by a cleanup for exit, which also
    // refuses any later file.
    TRunControl control;
    {
        FileReplacement registered(dir / "style.css", &control);
        EXPECT_TRUE(FileExists(registered.TemporaryPath()));
        control.CleanUpForExit();
        EXPECT_FALSE(FileExists(registered.TemporaryPath()));
    }
    EXPECT_THROW(FileReplacement(dir / "other.css", &control), RunCancelled);
}

TEST(Files, RefusesDestinationsThatAreNoRegularFile)
{
    TempDir dir;
    std::filesystem::create_directories(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const std::vector<std::pair<std::string, std::string>> cases{
        {dir / "folder", "Is a directory"},
        {dir / "pipe", "Not a regular file"},
        {dir / "no/such/folder/out", "No such file or directory"}};
    for (const auto& [path, reason] : cases)
        EXPECT_EQ(FaultOf([&] { WriteEntireFile(path, std::string_view("x")); }),
                  "Cannot create file \"" + path + "\". " + reason);
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "pipe"));  // never opened: no writer waits for a reader
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"folder", "pipe"}));

    if (::geteuid() != 0) {  // root writes anything
        WriteFile(dir / "read-only", "old");
        ::chmod((dir / "read-only").c_str(), 0444);
        EXPECT_EQ(FaultOf([&] { WriteEntireFile(dir / "read-only", std::string_view("x")); }),
                  "Cannot create file \"" + dir / "read-only" + "\". Permission denied");
        EXPECT_EQ(ReadFile(dir / "read-only"), "old");
    }
}
