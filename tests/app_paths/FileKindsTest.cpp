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
    FileKind exact;
    FileKind anyCase;
};

const KindCase kCases[] = {
    {"a.css", FileKind::CSS, FileKind::CSS},
    {"/x/y/a.gif", FileKind::GIF, FileKind::GIF},
    {"a.htm", FileKind::HTML, FileKind::HTML},
    {"a.html", FileKind::HTML, FileKind::HTML},
    {"a.js", FileKind::JS, FileKind::JS},
    {"a.png", FileKind::PNG, FileKind::PNG},
    {"a.jpg", FileKind::JPEG, FileKind::JPEG},
    {"a.jpeg", FileKind::JPEG, FileKind::JPEG},
    {"a.jpe", FileKind::JPEG, FileKind::JPEG},
    // Upper and mixed case: only the any-case match knows them.
    {"a.CSS", FileKind::Other, FileKind::CSS},
    {"a.JPEG", FileKind::Other, FileKind::JPEG},
    {"/x/y.Html", FileKind::Other, FileKind::HTML},
    {"G.JPG", FileKind::Other, FileKind::JPEG},
    {"H.Png", FileKind::Other, FileKind::PNG},
    // No extension, a dot in a folder only, an unlisted or longer extension.
    {"readme", FileKind::Other, FileKind::Other},
    {"a", FileKind::Other, FileKind::Other},
    {"/my.css/readme", FileKind::Other, FileKind::Other},
    {"a.txt", FileKind::Other, FileKind::Other},
    {"a.css.bak", FileKind::Other, FileKind::Other},
    {"a.jsx", FileKind::Other, FileKind::Other},
    {"a.", FileKind::Other, FileKind::Other},
    {".css", FileKind::CSS, FileKind::CSS},
    {"archive.tar.gz", FileKind::Other, FileKind::Other},
};

}  // namespace

TEST(FileKinds, PathToKindExactlyAndInAnyCase)
{
    for (const KindCase& c : kCases) {
        EXPECT_EQ(FileKindOf(c.path), c.exact) << c.path;
        EXPECT_EQ(FileKindOf(c.path, LetterCase::Exact), c.exact) << c.path;
        EXPECT_EQ(FileKindOf(c.path, LetterCase::Any), c.anyCase) << c.path;
        EXPECT_EQ(IsWebFile(c.path), c.anyCase != FileKind::Other) << c.path;
    }
}

TEST(FileKinds, EveryListedExtensionIsFoundOnce)
{
    std::set<std::string_view> seen;
    for (const TExtensionKind& known : KnownExtensions()) {
        EXPECT_TRUE(seen.insert(known.extension).second) << known.extension;
        EXPECT_EQ(FileKindOf("x" + std::string(known.extension)), known.kind) << known.extension;
    }
    EXPECT_EQ(seen.size(), 9u);
}
