#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/core/WebFiles.h"

namespace fs = std::filesystem;

namespace {

class WebFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() /
                ("qwo_webfiles_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string Touch(const std::string& relative)
    {
        const fs::path path = root_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
        return path.generic_string();
    }

    fs::path root_;
};

}  // namespace

TEST_F(WebFilesTest, TakesWebFilesBelowTheFolderSortedByPath)
{
    const std::string b = Touch("b.css");
    const std::string a = Touch("sub/deeper/a.JS");
    const std::string page = Touch("index.html");
    const std::string photo = Touch("img/photo.jpe");
    Touch("notes.txt");
    Touch("noextension");
    Touch("img.png/inside.txt");   // a folder with a web extension is no file
    EXPECT_EQ(CollectWebFiles(root_.string()), (std::vector<std::string>{b, photo, page, a}));
}

TEST_F(WebFilesTest, EmptyFolderGivesNothingAndAMissingOneFails)
{
    EXPECT_TRUE(CollectWebFiles(root_.string()).empty());
    EXPECT_THROW(CollectWebFiles((root_ / "missing").string()), std::runtime_error);
}

TEST(WebFiles, ExtensionsMatchInAnyCase)
{
    for (const char* yes : {"a.css", "a.JPEG", "/x/y.Html", "a.jpe", "a.gif", "a.png", "a.htm", "a.js"})
        EXPECT_TRUE(IsWebFile(yes)) << yes;
    for (const char* no : {"a.txt", "a", "/my.css/readme", "a.css.bak", "a.jsx"})
        EXPECT_FALSE(IsWebFile(no)) << no;
}
