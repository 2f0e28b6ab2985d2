#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/core/WebFiles.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

namespace {

class WebFilesTest : public ::testing::Test {
protected:
    std::string Touch(const std::string& relative)
    {
        WriteFile(root_ / relative, "x");
        return root_ / relative;
    }

    TempDir root_;
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
    Touch("img.png/inside.txt");  // a folder with a web extension is no file
    EXPECT_EQ(CollectWebFiles(root_.Path()), (std::vector<std::string>{b, photo, page, a}));
}

TEST_F(WebFilesTest, EmptyFolderGivesNothingAndAMissingOneFails)
{
    EXPECT_TRUE(CollectWebFiles(root_.Path()).empty());
    EXPECT_THROW(CollectWebFiles(root_ / "missing"), std::runtime_error);
}
