// A source that changes size while an in-process optimizer reads it, small
// (read into memory) or large (mapped): the file fails with the run's
// "changed" error, nothing is written, and a mapped source that shrinks
// under the reader does not end the process.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <string>

#include "compressors/Optimizers.h"
#include "compressors/base/FileErrors.h"
#include "compressors/base/SourceBytes.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

namespace {

// What the optimizer below does to its own source before reading every byte.
struct Change {
    std::string path;
    long newSize = -1;  // -1: left as it is
};

Change& Pending()
{
    static Change change;
    return change;
}

std::string ChangeThenRead(std::string_view bytes, const TInProcessCall&)
{
    if (Pending().newSize >= 0 && ::truncate(Pending().path.c_str(), Pending().newSize) != 0)
        throw std::runtime_error("cannot truncate " + Pending().path);
    std::size_t sum = 0;
    for (const char c : bytes) sum += static_cast<unsigned char>(c);
    return "read " + std::to_string(sum);
}

TOptimizerRow ChangingRow()
{
    TOptimizerRow row;
    row.name = "changing";
    row.extensions = {".chg"};
    row.entries = {"0- Copy", "1- Read"};
    row.defaultEntry = 1;
    row.inProcess = &ChangeThenRead;
    row.keepSourceWhenNotSmaller = false;
    return row;
}

TEST(SourceChanges, SizeMovedWhileReadFailsAndWritesNothing)
{
    const struct {
        const char* name;
        std::size_t size;
        long newSize;
        bool fails;
    } cases[] = {
        {"small, unchanged", 1000, -1, false},
        {"small, shrinks", 1000, 10, true},
        {"small, grows", 1000, 5000, true},
        {"large, unchanged", 3 << 20, -1, false},
        {"large, shrinks to a page", 3 << 20, 4096, true},
        {"large, shrinks to nothing", 3 << 20, 0, true},
        {"large, grows", 3 << 20, 4 << 20, true},
    };
    const TOptimizerRegistration registration(ChangingRow());
    TLevels levels;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const TempDir folder;
        const std::string source = folder / "sheet.chg", destination = folder / "out.chg";
        WriteFile(source, std::string(test.size, 'a'));
        EXPECT_EQ(SourceBytes(source).Mapped(), test.size >= SourceBytes::kMapAtLeast);
        Pending() = {source, test.newSize};
        FileSize original = 0, optimized = 0;
        if (test.fails) {
            try {
                OptimizeInProcess(*registration.Kind(), source, destination, levels, original, optimized,
                                  DefaultRunEnvironment());
                ADD_FAILURE() << "no error";
            } catch (const FileError& error) {
                EXPECT_EQ(std::string(error.what()), SourceChanged().what());
            }
            EXPECT_FALSE(std::filesystem::exists(destination));
        } else {
            OptimizeInProcess(*registration.Kind(), source, destination, levels, original, optimized,
                              DefaultRunEnvironment());
            EXPECT_EQ(ReadFile(destination), "read " + std::to_string(test.size * 'a'));
        }
        const auto entries = std::distance(std::filesystem::directory_iterator(folder.Path()), {});
        EXPECT_EQ(entries, test.fails ? 1 : 2) << "no temporary file is left";
    }
}

}  // namespace
