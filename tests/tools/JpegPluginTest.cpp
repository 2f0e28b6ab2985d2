// jhead.exe on its own: the metadata sections it keeps are the ones real
// jhead keeps, on files laid out in many ways; what libjpeg warns about,
// refuses, or decodes in other colours; how FILE is replaced.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ToolTestSupport.h"

using namespace tooltest;
using namespace std::string_literals;

namespace {

const std::string kPlugin = std::string(QWO_BIN_DIR) + "/plugins/jhead.exe";

std::string Section(unsigned char marker, const std::string& payload)
{
    const std::size_t length = payload.size() + 2;
    return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8), static_cast<char>(length)} +
           payload;
}

// The sections a layout letter stands for.
const std::map<char, std::string> kSections = {
    {'j', Section(0xE0, "JFIF\0\1\2\1\0\x48\0\x48\0\0"s)},  // 72 dpi
    {'X', Section(0xE0, "JFXX\0\x10thumb"s)},
    {'e', Section(0xE1, "Exif\0\0II*\0\x08\0\0\0\x01\0\x0F\x01\x02\0\x04\0\0\0Cam\0\0\0\0\0"s)},
    {'x', Section(0xE1, "http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>"s)},
    {'g', Section(0xE1, "not known to anyone")},
    {'p', Section(0xE2, "ICC_PROFILE\0\1\1"s + std::string(60, 'p'))},
    {'i', Section(0xED, "Photoshop 3.0\0" "8BIM\x04\x04\0\0\0\0\0\x04" "abcd"s)},
    {'a', Section(0xEE, "Adobe\0\x64\0\0\0\0\1"s)},
    {'c', Section(0xFE, "A comment long enough to matter.")},
};

// What jhead makes of the 'j' section when it rewrites a file.
const std::string kJheadJfif = Section(0xE0, "JFIF\0\1\1\1\0\x48\0\x48\0\0"s);

// The APPn and COM sections before the first scan, and whether the image is progressive.
std::vector<std::string> Sections(const std::string& bytes)
{
    std::vector<std::string> sections;
    for (std::size_t at = 2; at + 4 <= bytes.size() && bytes[at] == '\xFF';) {
        const auto marker = static_cast<unsigned char>(bytes[at + 1]);
        if (marker == 0xDA) break;
        const std::size_t length = static_cast<unsigned char>(bytes[at + 2]) * 256u + static_cast<unsigned char>(bytes[at + 3]);
        if ((marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE) sections.push_back(bytes.substr(at, 2 + length));
        if (marker == 0xC2) sections.push_back("progressive");
        at += 2 + length;
    }
    return sections;
}

// `base` with its APPn and COM sections replaced by those of `layout`.
std::string WithLayout(const std::string& base, const std::string& layout)
{
    std::size_t at = 2;
    while (base[at + 1] == '\xE0' || base[at + 1] == '\xFE')
        at += 2 + static_cast<unsigned char>(base[at + 2]) * 256u + static_cast<unsigned char>(base[at + 3]);
    std::string bytes = base.substr(0, 2);
    for (char letter : layout) bytes += kSections.at(letter);
    return bytes + base.substr(at);
}

std::string Pixels(const std::string& path)
{
    return Capture("djpeg -pnm " + ShellQuote(path) + " 2>/dev/null");
}

// "status N" after what the plug-in printed.
std::string RunPlugin(const std::string& options, const std::string& path)
{
    return Capture(kPlugin + " " + options + " " + ShellQuote(path) + " 2>&1; echo \"status $?\"");
}

class JpegPluginTest : public ::testing::Test {
protected:
    // A photo-like picture through cjpeg with `cjpeg` options.
    std::string Encoded(const std::string& cjpeg)
    {
        const std::string path = dir / "base.jpg";
        EXPECT_EQ(std::system(("convert -seed 5 -size 96x64 plasma:fractal ppm:- | cjpeg " + cjpeg + " > " +
                               ShellQuote(path))
                                  .c_str()),
                  0);
        return ReadFile(path);
    }

    TempDir dir;
};

}  // namespace

TEST_F(JpegPluginTest, KeepsTheSectionsJheadKeepsWithItsColourSectionsAtPureLevel)
{
    // Standard Huffman tables: the re-encoded image always wins, so the
    // result holds the sections of the stripped file.
    const std::string base = Encoded("-quality 85");
    const std::string source = dir / "source.jpg", ours = dir / "ours.jpg", theirs = dir / "theirs.jpg";
    for (const std::string layout : {"jecxi", "ejc", "cej", "gc", "Xjc", "xjc", "cpe", "jpca", "ic"}) {
        WriteFile(source, WithLayout(base, layout));
        const std::string pixels = Pixels(source);
        for (const std::string options : {"-dc", "-de", "-di", "-purejpg", "-dc -de"}) {
            SCOPED_TRACE(layout + " " + options);
            std::filesystem::copy_file(source, ours, std::filesystem::copy_options::overwrite_existing);
            std::filesystem::copy_file(source, theirs, std::filesystem::copy_options::overwrite_existing);
            ASSERT_EQ(std::system(("jhead -q " + options + " " + ShellQuote(theirs) + " > /dev/null 2>&1").c_str()), 0);
            EXPECT_EQ(RunPlugin(options, ours), "status 0\n");
            std::vector<std::string> expected = Sections(ReadFile(theirs));
            // jhead takes the ICC profile and the Adobe section too: they come back after its JFIF header.
            if (options == "-purejpg")
                for (char letter : layout)
                    if (letter == 'p' || letter == 'a') expected.push_back(kSections.at(letter));
            EXPECT_EQ(Sections(ReadFile(ours)), expected);
            EXPECT_LT(std::filesystem::file_size(ours), std::filesystem::file_size(theirs));
            EXPECT_TRUE(Pixels(ours) == pixels);
        }
    }
}

TEST_F(JpegPluginTest, OutcomesOnImagesLibjpegTreatsApart)
{
    const std::string plain = Encoded("-quality 85");
    std::string refused = WithLayout(plain, "c");
    refused.replace(refused.find("\xFF\xC0") + 5, 2, std::string(2, '\0'));  // no rows
    struct Case {
        std::string name;
        std::string bytes;
        std::string output;                          // "status N" after what was printed
        std::vector<std::string> sections = {};      // kept, when it succeeds
        bool reencoded = true;                       // else the source without its comment
    };
    const std::vector<Case> cases{
        // A JFIF header would make libjpeg read RGB as YCbCr: none is put first.
        {"rgb", WithLayout(Encoded("-rgb -quality 85"), "c"), "status 0\n", {Sections(Encoded("-rgb"))}},
        {"progressive", WithLayout(Encoded("-progressive -quality 85"), "jc"), "status 0\n",
         {kJheadJfif, "progressive"}},
        // Damaged scan data: only the comment goes, the data stays as it is.
        {"truncated", WithLayout(plain, "jc").substr(0, plain.size() * 2 / 3), "status 0\n", {}, false},
        {"refused", refused, "jhead.exe: libjpeg cannot read the image: Empty JPEG image (DNL not supported)\nstatus 1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string target = dir / (c.name + ".jpg"), link = dir / (c.name + "-link.jpg");
        WriteFile(target, c.bytes);
        ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
        std::filesystem::create_symlink(target, link);
        const std::string pixels = Pixels(target);

        EXPECT_EQ(RunPlugin("-dc", link), c.output);
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        const std::string result = ReadFile(target);
        if (c.output != "status 0\n") {
            EXPECT_TRUE(result == c.bytes);
            continue;
        }
        EXPECT_TRUE(Pixels(target) == pixels);
        if (c.reencoded) {
            EXPECT_EQ(Sections(result), c.sections);
        } else {
            EXPECT_EQ(Sections(result), std::vector<std::string>{kJheadJfif});
            EXPECT_TRUE(result.substr(result.find("\xFF\xDB")) == c.bytes.substr(c.bytes.find("\xFF\xDB")));
        }
        EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0604));
    }
    // Nothing left beside the files.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Folder()), {}), 1 + 2 * long(cases.size()));
}
