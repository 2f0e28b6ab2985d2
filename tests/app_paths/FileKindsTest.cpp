// The one extension table: the run and the icons match it exactly, the folder
// walk and the open dialog in any letter case.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/core/FileKinds.h"
#include "app/core/WebFiles.h"

namespace {

struct KindCase {
    const char* path;
    const char* exact;  // the kind's name
    const char* anyCase;
};

const KindCase kCases[] = {
    {"a.css", "css", "css"},
    {"/x/y/a.gif", "gif", "gif"},
    {"a.htm", "html", "html"},
    {"a.html", "html", "html"},
    {"a.js", "js", "js"},
    {"a.png", "png", "png"},
    {"a.jpg", "jpeg", "jpeg"},
    {"a.jpeg", "jpeg", "jpeg"},
    {"a.jpe", "jpeg", "jpeg"},
    // Upper and mixed case: only the any-case match knows them.
    {"a.CSS", "other", "css"},
    {"a.JPEG", "other", "jpeg"},
    {"/x/y.Html", "other", "html"},
    {"G.JPG", "other", "jpeg"},
    {"H.Png", "other", "png"},
    // No extension, a dot in a folder only, an unlisted or longer extension.
    {"readme", "other", "other"},
    {"a", "other", "other"},
    {"/my.css/readme", "other", "other"},
    {"a.txt", "other", "other"},
    {"a.css.bak", "other", "other"},
    {"a.jsx", "other", "other"},
    {"a.", "other", "other"},
    {".css", "css", "css"},
    {"archive.tar.gz", "other", "other"},
};

}  // namespace

TEST(FileKinds, PathToKindExactlyAndInAnyCase)
{
    for (const KindCase& c : kCases) {
        EXPECT_EQ(KindName(FileKindOf(c.path)), c.exact) << c.path;
        EXPECT_EQ(KindName(FileKindOf(c.path, LetterCase::Exact)), c.exact) << c.path;
        EXPECT_EQ(KindName(FileKindOf(c.path, LetterCase::Any)), c.anyCase) << c.path;
        EXPECT_EQ(IsWebFile(c.path), std::string_view(c.anyCase) != "other") << c.path;
    }
}

TEST(FileKinds, EveryListedExtensionIsFoundOnce)
{
    std::set<std::string> seen;
    for (const TExtensionKind& known : KnownExtensions()) {
        EXPECT_TRUE(seen.insert(known.extension).second) << known.extension;
        EXPECT_EQ(FileKindOf("x" + std::string(known.extension)), known.kind) << known.extension;
    }
    EXPECT_EQ(seen.size(), 10u);
}
