// The real plug-ins (jhead, optipng/zopflipng, esbuild behind the adapters) on
// real files: smaller results, identical pixels, scripts that still compute
// the same, and what happens when a plug-in is missing or fails.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

#include "ToolTestSupport.h"
#include "compressors/base/DeclinedSource.h"
#include "compressors/Compressors.h"
#include "compressors/base/FileErrors.h"
#include "compressors/tools/ToolError.h"

using namespace tooltest;

namespace {

constexpr const char* kScript = R"JS(// Totals of a small price list.
/* A block comment
   over two lines. */
'use strict';
const prices = [3, 5, 8]; // inline note

function totalWithTax(list, rate) {
  let runningTotal = 0;            // a long local name to be renamed
  for (const price of list) {
    runningTotal += price;
  }
  return runningTotal * (1 + rate)
}

const label = "// not a comment", pattern = /\/\*[^*]*\*\//g;
const text = `sum=${totalWithTax(prices, 0.25) /* inside a template */}`
console.log(text, label, "a /* b */ c".replace(pattern, ""));
)JS";

class RealPluginsTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (!savedCwd.empty() && ::chdir(savedCwd.c_str()) != 0) ADD_FAILURE() << "chdir back";
    }

    void Make(const std::string& imageMagickArguments, const std::string& path)
    {
        ASSERT_EQ(std::system(("convert " + imageMagickArguments + " " + ShellQuote(path)).c_str()), 0);
    }

    // A JPEG with a comment and an Exif section.
    void MakeJpeg(const std::string& path)
    {
        Make("-seed 5 -size 160x120 plasma:fractal -set comment 'A comment long enough to matter.'", path);
        ASSERT_EQ(std::system(("jhead -mkexif " + ShellQuote(path) + " > /dev/null").c_str()), 0);
    }

    // Every pixel as 16-bit RGBA: a lossless 16-to-8-bit reduction compares equal.
    static std::string Pixels(const std::string& path)
    {
        return Capture("convert " + ShellQuote(path.front() == '-' ? "./" + path : path) + " -depth 16 rgba:-");
    }

    // The colour chunks and pHYs before the image data, type and content, sorted.
    static std::vector<std::string> ColourChunks(const std::string& path)
    {
        const std::string bytes = ReadFile(path);
        std::vector<std::string> chunks;
        for (std::size_t at = 8; at + 8 <= bytes.size();) {
            std::size_t length = 0;
            for (int i = 0; i < 4; ++i) length = length * 256 + static_cast<unsigned char>(bytes[at + i]);
            const std::string type = bytes.substr(at + 4, 4);
            if (type == "IDAT") break;
            if (type == "iCCP" || type == "sRGB" || type == "gAMA" || type == "cHRM" || type == "pHYs" ||
                type == "cICP")
                chunks.push_back(bytes.substr(at + 4, 4 + length));
            at += 12 + length;
        }
        std::sort(chunks.begin(), chunks.end());
        return chunks;
    }

    // The APPn and COM sections (marker and content) before the first scan.
    static std::vector<std::string> MetadataSections(const std::string& path)
    {
        const std::string bytes = ReadFile(path);
        std::vector<std::string> sections;
        for (std::size_t at = 2; at + 4 <= bytes.size() && bytes[at] == '\xFF';) {
            const auto marker = static_cast<unsigned char>(bytes[at + 1]);
            if (marker == 0xDA) break;
            const std::size_t length =
                static_cast<unsigned char>(bytes[at + 2]) * 256u + static_cast<unsigned char>(bytes[at + 3]);
            if ((marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE) sections.push_back(bytes.substr(at, 2 + length));
            at += 2 + length;
        }
        return sections;
    }

    // Puts an Exif section as a camera writes it (little-endian, a camera
    // name and the orientation) right after the SOI marker.
    static void AddExifOrientation(const std::string& path, int orientation)
    {
        const auto le = [](unsigned value, int bytes) {
            std::string out;
            for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
            return out;
        };
        const std::string make("TestCam", 8);
        std::string exif = std::string("Exif\0\0II*\0", 10) + le(8, 4) + le(2, 2);
        exif += le(0x10F, 2) + le(2, 2) + le(8, 4) + le(8 + 2 + 2 * 12 + 4, 4);
        exif += le(0x112, 2) + le(3, 2) + le(1, 4) + le(orientation, 2) + le(0, 2) + le(0, 4) + make;
        const std::string bytes = ReadFile(path);
        const auto length = static_cast<unsigned>(exif.size() + 2);
        WriteFile(path, bytes.substr(0, 2) + "\xFF\xE1" + static_cast<char>(length >> 8) +
                            static_cast<char>(length & 0xFF) + exif + bytes.substr(2));
    }

    // The pixels as a viewer shows them, the Exif orientation applied.
    static std::string Displayed(const std::string& path)
    {
        return Capture("convert " + ShellQuote(path) + " -auto-orient rgb:-");
    }

    static std::string RunNode(const std::string& path)
    {
        return Capture("node " + ShellQuote(path.front() == '-' ? "./" + path : path) + " 2>&1");
    }

    void EnterFolder(const std::string& folder)
    {
        savedCwd = std::filesystem::current_path().string();
        ASSERT_EQ(::chdir(folder.c_str()), 0);
    }

    TempDir dir;
    std::vector<std::string> messages;
    TRunEnvironment environment = CollectingEnvironment(messages);
    std::string savedCwd;
    FileSize original = 0, optimized = 0;
};

}  // namespace

TEST_F(RealPluginsTest, JpegLosesMetadataAndGetsOptimalHuffmanTablesButKeepsItsPixels)
{
    // Written by cjpeg with its standard Huffman tables, then given an Exif
    // section and a comment; the same image made with optimal tables.
    for (const bool standardTables : {true, false}) {
        const std::string source = dir / (standardTables ? "standard.jpg" : "optimal.jpg");
        if (standardTables) {
            ASSERT_EQ(std::system(("convert -seed 5 -size 160x120 plasma:fractal ppm:- | cjpeg -quality 85 > " +
                                   ShellQuote(source) + " && jhead -mkexif -cl 'A comment long enough to matter.' " +
                                   ShellQuote(source) + " > /dev/null")
                                      .c_str()),
                      0);
        } else {
            MakeJpeg(source);
        }
        const std::string pixels = Pixels(source);
        ASSERT_FALSE(pixels.empty());
        for (const auto& [level, options] : std::vector<std::pair<Level, std::string>>{{1, "-dc"},
                                                                                       {2, "-de"},
                                                                                       {3, "-di"},
                                                                                       {4, "-purejpg"},
                                                                                       {12, "-dc -de"},
                                                                                       {13, "-dc -di"},
                                                                                       {23, "-de -di"}}) {
            const std::string destination = dir / ("out" + std::to_string(level) + ".jpg");
            const std::string byJhead = dir / ("jhead" + std::to_string(level) + ".jpg");
            std::filesystem::copy_file(source, byJhead, std::filesystem::copy_options::overwrite_existing);
            ASSERT_EQ(std::system(("jhead -q " + options + " " + ShellQuote(byJhead) + " > /dev/null").c_str()), 0);

            CompressJPEG(source, destination, level, original, optimized, environment);
            EXPECT_EQ(original, FileSizeOf(source));
            EXPECT_EQ(optimized, FileSizeOf(destination));
            EXPECT_EQ(Pixels(destination), pixels) << int(level);
            // Exactly the sections jhead keeps; the image data is re-encoded only when that pays.
            EXPECT_EQ(MetadataSections(destination), MetadataSections(byJhead)) << int(level);
            if (standardTables)
                EXPECT_LT(optimized, FileSizeOf(byJhead)) << int(level);
            else
                EXPECT_EQ(ReadFile(destination), ReadFile(byJhead)) << int(level);
        }
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(RealPluginsTest, JpegDroppingExifStillShowsTheSamePictureWithItsColourProfile)
{
    // The orientation stays in a minimal Exif section: the image is never
    // turned, as even a lossless flip can decode to other pixels.
    const std::string profile = "-profile /usr/share/color/icc/ghostscript/a98.icc";
    const std::vector<std::pair<std::string, std::string>> images = {
        {profile, "-size 64x48 -sampling-factor 1x1"},
        {profile, "-size 60x45 -sampling-factor 2x2"},
        {"-colorspace CMYK", "-size 64x48"},  // the Adobe section stays: so do the colours
    };
    const Level levels[] = {2, 12, 23, 4};
    for (const auto& [colour, geometry] : images) {
        const std::string base = dir / "base.jpg";
        Make("-seed 8 " + geometry + " plasma:fractal " + colour + " -quality 90", base);
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const Level level = levels[orientation % 4];
            SCOPED_TRACE(colour + " " + geometry + " orientation " + std::to_string(orientation) + " level " +
                         std::to_string(level));
            const std::string source = dir / "source.jpg", destination = dir / "out.jpg";
            std::filesystem::copy_file(base, source, std::filesystem::copy_options::overwrite_existing);
            AddExifOrientation(source, orientation);
            const std::string displayed = Displayed(source), icc = Capture("convert " + source + " icc:- 2>/dev/null");
            ASSERT_FALSE(displayed.empty());
            ASSERT_EQ(icc.empty(), colour != profile);

            CompressJPEG(source, destination, level, original, optimized, environment);
            EXPECT_LT(optimized, original);
            EXPECT_TRUE(Displayed(destination) == displayed);
            EXPECT_TRUE(Capture("convert " + destination + " icc:- 2>/dev/null") == icc);
            EXPECT_EQ(Capture("identify -format %[orientation] " + destination),
                      orientation == 1 ? "Undefined" : Capture("identify -format %[orientation] " + source));
        }
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(RealPluginsTest, PngGetsSmallerWithIdenticalPixelsAtEveryLevel)
{
    const std::vector<std::string> images{
        "-seed 3 -size 96x64 plasma:fractal -blur 0x1 -depth 8",                             // photo-like
        "-size 120x80 xc:'#eeeeee' -fill '#3366cc' -draw 'rectangle 10,10 60,30' -depth 8",  // flat colours
        "-seed 4 -size 64x64 plasma:fractal -colors 16 PNG8:",                               // palette
        "-size 64x64 xc:none -fill '#2a7ae280' -draw 'circle 32,32 32,4' -depth 8",          // alpha
        // Each way of writing a picture: grey at 1 and 8 bits, a transparent key colour in grey
        // and in colour, a palette with alpha, 16-bit samples that fit 8 bits, 16-bit ones that do
        // not (the tools), a larger picture, an interlaced source.
        "-size 48x40 xc:black -fill white -draw 'circle 24,20 24,4' -depth 8 -define png:color-type=2",
        "-size 40x40 xc:black -fill white -draw 'rectangle 5,5 20,20' -depth 8 -define png:color-type=6",
        "-size 60x60 gradient:gray20-gray80 -alpha set \\( -size 10x10 xc:'#ffffff00' \\) -compose copy "
        "-composite -depth 8",
        "-seed 5 -size 50x40 plasma:fractal -alpha set \\( -size 16x16 xc:'#00000000' \\) -geometry +4+4 "
        "-compose copy -composite -depth 8",
        "-size 40x40 xc:black -fill white -draw 'rectangle 5,5 20,20' -alpha set \\( -size 10x10 "
        "xc:'#ff000080' \\) -geometry +25+25 -compose copy -composite -depth 8",
        "-size 64x48 gradient:red-blue -depth 8 -depth 16 -define png:color-type=2 -define png:bit-depth=16",
        "-size 64x48 gradient:red-blue -depth 16",
        "-size 40x40 xc:black -alpha set \\( -size 10x10 xc:'#00000000' \\) -geometry +5+5 -compose copy "
        "-composite -depth 8",  // the transparent colour is also opaque: no key
        "-seed 7 -size 600x400 plasma:fractal -blur 0x2 -depth 8",  // past the sizes that always get level 12
        "-seed 6 -size 70x50 plasma:fractal -depth 8 -interlace PNG"};
    for (std::size_t i = 0; i < images.size(); ++i) {
        std::string arguments = images[i];
        std::string prefix;
        if (const auto colon = arguments.rfind("PNG8:"); colon != std::string::npos) {
            prefix = "PNG8:";
            arguments.erase(colon);
        }
        const std::string source = dir / ("image" + std::to_string(i) + ".png");
        ASSERT_EQ(std::system(("convert " + arguments + " " + prefix + ShellQuote(source)).c_str()), 0);
        const std::string pixels = Pixels(source);
        for (Level level = 1; level <= 4; ++level) {
            const std::string destination = dir / ("out" + std::to_string(i) + "-" + std::to_string(level) + ".png");
            CompressPNG(source, destination, level, original, optimized, environment);
            EXPECT_EQ(original, FileSizeOf(source));
            EXPECT_LT(optimized, original) << images[i] << " level " << int(level);
            EXPECT_GT(optimized, 0);
            EXPECT_EQ(Pixels(destination), pixels) << images[i] << " level " << int(level);
        }
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(RealPluginsTest, RealPngsKeepTheirPixelsAndNeverGrow)
{
    // Icons and documentation images of the installed packages, every 50th
    // in name order, each at one of the levels in turn.
    std::vector<std::string> files;
    for (const char* root : {"/usr/share/icons", "/usr/share/doc"})
        for (auto it = std::filesystem::recursive_directory_iterator(
                 root, std::filesystem::directory_options::skip_permission_denied);
             it != std::filesystem::recursive_directory_iterator(); ++it)
            if (it->is_regular_file() && it->path().extension() == ".png" && it->file_size() < 200000)
                files.push_back(it->path());
    std::sort(files.begin(), files.end());
    if (files.size() < 200) GTEST_SKIP() << "only " << files.size() << " PNGs installed";
    for (std::size_t i = 0; i < files.size(); i += 50) {
        const Level level = static_cast<Level>(1 + i / 50 % 4);
        const std::string destination = dir / "out.png";
        CompressPNG(files[i], destination, level, original, optimized, environment);
        EXPECT_LE(optimized, original) << files[i];
        EXPECT_EQ(Pixels(destination), Pixels(files[i])) << files[i] << " level " << int(level);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(RealPluginsTest, PngKeepsItsColourChunksAndPixels)
{
    // An RGB picture of greys under a wide-gamut RGB ICC profile (turning it
    // grey would orphan the profile), and a palette picture with the other
    // colour chunks.
    const std::string profile = "/usr/share/color/icc/ghostscript/a98.icc";
    ASSERT_TRUE(FileExists(profile)) << "libgs-common is missing";
    Make("-size 64x64 gradient:gray20-gray80 -depth 8 -define png:color-type=2 -profile " + profile +
             " -set comment 'text may go'",
         dir / "icc.png");
    Make("-seed 3 -size 96x64 plasma:fractal -depth 8 -colors 16 -density 72 -units PixelsPerInch",
         dir / "palette.png");
    for (const std::string name : {"icc.png", "palette.png"}) {
        const std::string source = dir / name;
        const auto kept = ColourChunks(source);
        ASSERT_FALSE(kept.empty()) << name;
        for (Level level = 1; level <= 4; ++level) {
            const std::string destination = dir / ("out" + std::to_string(level) + "-" + name);
            CompressPNG(source, destination, level, original, optimized, environment);
            EXPECT_LT(optimized, original) << name << " " << int(level);
            EXPECT_EQ(ColourChunks(destination), kept) << name << " " << int(level);
            EXPECT_EQ(Pixels(destination), Pixels(source)) << name << " " << int(level);
            EXPECT_EQ(ReadFile(destination)[25] & 2, ReadFile(source)[25] & 2) << "colour or grey, " << name;
        }
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(RealPluginsTest, PngMayGiveItsSrgbProfileAsAnSrgbChunk)
{
    // A Qt manual's image under the common sRGB IEC61966-2.1 profile may
    // carry the sRGB chunk that says the same instead; a wider profile stays.
    const std::string carrier = "/usr/share/qt6/doc/global/template/images/horBar.png";
    ASSERT_TRUE(FileExists(carrier)) << "qt6-base-dev is missing";
    Make("-seed 5 -size 80x60 plasma:fractal -depth 8 -profile /usr/share/color/icc/ghostscript/a98.icc",
         dir / "wide.png");
    const struct {
        std::string source;
        bool becomesChunk;
    } cases[] = {{carrier, true}, {dir / "wide.png", false}};
    for (const auto& c : cases) {
        const std::vector<std::string> kept = ColourChunks(c.source);
        ASSERT_NE(ReadFile(c.source).find("iCCP"), std::string::npos) << c.source;
        for (Level level : {Level(1), Level(4)}) {
            const std::string destination = dir / ("out-" + std::to_string(level) + ".png");
            CompressPNG(c.source, destination, level, original, optimized, environment);
            EXPECT_LT(optimized, original) << c.source;
            // The other chunks stay either way; an sRGB chunk holds the rendering intent.
            std::vector<std::string> chunks = ColourChunks(destination), expected = kept;
            if (c.becomesChunk) {
                std::erase_if(expected, [](const std::string& chunk) { return chunk.rfind("iCCP", 0) == 0; });
                EXPECT_EQ(std::erase_if(chunks, [](const std::string& chunk) { return chunk.rfind("sRGB", 0) == 0 &&
                                                                                      chunk.size() == 5; }),
                          1u)
                    << "level " << int(level);
            }
            EXPECT_EQ(chunks, expected) << c.source << " level " << int(level);
            EXPECT_EQ(Pixels(destination), Pixels(c.source)) << c.source;
        }
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(RealPluginsTest, PngThatCannotShrinkIsCopiedAndADamagedOneFails)
{
    const std::string source = dir / "a.png";
    Make("-size 40x30 gradient:red-blue -depth 8", source);
    CompressPNG(source, dir / "once.png", 4, original, optimized, environment);
    ASSERT_LT(optimized, original);
    CompressPNG(dir / "once.png", dir / "twice.png", 4, original, optimized, environment);
    EXPECT_EQ(ReadFile(dir / "twice.png"), ReadFile(dir / "once.png"));
    EXPECT_EQ(optimized, original);

    // The plug-in's failure is the file's, with its own reason; nothing is written.
    WriteFile(dir / "broken.png", "\x89PNG\r\n\x1a\n but nothing after the signature");
    WriteFile(dir / "broken-out.png", "earlier");
    try {
        CompressPNG(dir / "broken.png", dir / "broken-out.png", 2, original, optimized, environment);
        ADD_FAILURE() << "no failure";
    } catch (const ToolError& error) {
        EXPECT_STREQ(error.what(), "not a PNG file");
    }
    EXPECT_EQ(ReadFile(dir / "broken-out.png"), "earlier");
}

TEST_F(RealPluginsTest, ScriptsStillComputeTheSameAtEveryLevel)
{
    const std::string source = dir / "prices.js";
    WriteFile(source, kScript);
    const std::string expected = RunNode(source);
    ASSERT_EQ(expected, "sum=20 // not a comment a  c\n");
    std::vector<FileSize> sizes;
    for (Level level = 1; level <= 4; ++level) {
        const std::string destination = dir / ("out" + std::to_string(level) + ".js");
        CompressJS(source, destination, level, original, optimized, environment);
        EXPECT_EQ(original, FileSize(std::string(kScript).size()));
        EXPECT_LT(optimized, original) << int(level);
        EXPECT_EQ(RunNode(destination), expected) << int(level) << "\n" << ReadFile(destination);
        sizes.push_back(optimized);
    }
    const std::string level1 = ReadFile(dir / "out1.js");
    EXPECT_EQ(level1.find("comment\n"), std::string::npos);
    EXPECT_EQ(level1.find("inline note"), std::string::npos);
    EXPECT_NE(level1.find("function totalWithTax(list, rate) {\n  let runningTotal = 0;\n"), std::string::npos)
        << level1;
    EXPECT_NE(ReadFile(dir / "out2.js").find('\n'), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "out3.js").find('\n'), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "out4.js").find("runningTotal"), std::string::npos);
    EXPECT_GT(sizes[0], sizes[1]);
    EXPECT_GE(sizes[1], sizes[2]);
    EXPECT_GT(sizes[2], sizes[3]);
    EXPECT_TRUE(messages.empty());
}

TEST_F(RealPluginsTest, LicenceCommentsStayAtEveryLevel)
{
    const std::string source = dir / "licensed.js";
    WriteFile(source, "/*! Widget v1 | MIT */\n// note\nvar total = 1; /* @license BSD */\n"
                      "function add(step) { /*! inner */ return total + step; }\nconsole.log(add(2));\n");
    for (Level level = 1; level <= 4; ++level) {
        const std::string destination = dir / ("licensed" + std::to_string(level) + ".js");
        CompressJS(source, destination, level, original, optimized, environment);
        const std::string result = ReadFile(destination);
        for (const char* kept : {"/*! Widget v1 | MIT */", "/* @license BSD */", "/*! inner */"})
            EXPECT_NE(result.find(kept), std::string::npos) << int(level) << " " << kept << "\n" << result;
        EXPECT_EQ(result.find("note"), std::string::npos) << int(level) << "\n" << result;
        EXPECT_EQ(RunNode(destination), "3\n") << int(level);
    }
}

// Level 1 cuts comments out of the text as written, also next to what only
// looks like a comment; level 4 brings in no syntax that the script did not
// already use (older browsers); conditional compilation stays at every level.
TEST_F(RealPluginsTest, ScriptsKeepWhatOlderBrowsersAndTheirAuthorsNeed)
{
    struct Case {
        const char* name;
        Level level;
        std::string source;
        std::string expected;  // the whole output
    };
    const std::vector<Case> cases = {
        {"regex and division", 1,
         "var a = 8 / 2 / 1; // half\nvar r = /\\/\\/ x/g; /* re */\nconsole.log(a, r.source);\n",
         "var a = 8 / 2 / 1;\nvar r = /\\/\\/ x/g;\nconsole.log(a, r.source);\n"},
        {"template with a nested block", 1,
         "var t = `a ${ {v: 1 /* one */}.v } // b`; // note\n\tconsole.log(t);\n",
         "var t = `a ${ {v: 1 }.v } // b`;\n\tconsole.log(t);\n"},
        {"strings that look like comments", 1, "console.log('/* x */', \"// y\"); /* z */\n",
         "console.log('/* x */', \"// y\");\n"},
        {"no syntax the script lacks", 4,
         "function pick(a, b) { var c = a != null ? a : b; if (!c) c = b; try { return c; } catch (e) {} }\n"
         "console.log(pick(null, 2));\n",
         "function pick(l,n){var c=l!=null?l:n;c||(c=n);try{return c}catch(o){}}console.log(pick(null,2));"},
        {"conditional compilation", 3, "var ie = /*@cc_on !@*/ false;\nconsole.log(ie);\n",
         "var ie=/*@cc_on !@*/false;console.log(ie);"},
    };
    for (const Case& test : cases) {
        WriteFile(dir / "in.js", test.source);
        CompressJS(dir / "in.js", dir / "out.js", test.level, original, optimized, environment);
        EXPECT_EQ(ReadFile(dir / "out.js"), test.expected) << test.name;
        EXPECT_EQ(RunNode(dir / "out.js"), RunNode(dir / "in.js")) << test.name;
    }
}

TEST_F(RealPluginsTest, ScriptWithSyntaxErrorFailsWithTheReason)
{
    const std::string source = dir / "broken.js";
    WriteFile(source, "function (  { // never closed\n  var x = 1;\n");
    for (Level level = 1; level <= 4; ++level) {
        try {
            CompressJS(source, dir / "out.js", level, original, optimized, environment);
            ADD_FAILURE() << int(level);
        } catch (const TDeclinedSource& declined) {
            EXPECT_STREQ(declined.what(),
                         "esbuild failed: syntax error at line 1, column 10: Expected identifier but found \"(\"")
                << int(level);
            EXPECT_FALSE(declined.Warning());
        }
        EXPECT_FALSE(FileExists(dir / "out.js"));
    }
}

TEST_F(RealPluginsTest, MissingPluginsFailTheFileAndWriteNothing)
{
    environment.pluginDir = dir / "no-plugins/";
    MakeJpeg(dir / "p.jpg");
    WriteFile(dir / "s.js", kScript);
    Make("-size 8x8 xc:red", dir / "i.png");
    WriteFile(dir / "i-out.png", "earlier");

    auto reason = [&](auto optimize) -> std::string {
        try {
            optimize();
        } catch (const ToolError& error) {
            return error.what();
        }
        return "no failure";
    };
    const std::string jpegLine = dir.Folder() + "no-plugins/jhead.exe -purejpg \"" + dir.Folder() + ".qwo-*.jpg\"";
    const std::string pngLine =
        dir.Folder() + "no-plugins/pngout.exe /y /q /s3 \"" + dir / "i.png\" \"" + dir.Folder() + ".qwo-*.png\"";
    EXPECT_EQ(WithoutUniqueParts(
                  reason([&] { CompressJPEG(dir / "p.jpg", dir / "p-out.jpg", 4, original, optimized, environment); })),
              "Unable to run " + jpegLine);
    EXPECT_EQ(WithoutUniqueParts(
                  reason([&] { CompressPNG(dir / "i.png", dir / "i-out.png", 1, original, optimized, environment); })),
              "Unable to run " + pngLine);
    // The script host itself runs; the script it is given is missing, and it says so.
    const std::string script =
        reason([&] { CompressJS(dir / "s.js", dir / "s-out.js", 3, original, optimized, environment); });
    EXPECT_THAT(script, ::testing::StartsWith("ESC.wsf failed with exit status "));
    EXPECT_THAT(script, ::testing::HasSubstr("MODULE_NOT_FOUND"));

    EXPECT_FALSE(FileExists(dir / "p-out.jpg"));
    EXPECT_EQ(ReadFile(dir / "i-out.png"), "earlier");
    EXPECT_FALSE(FileExists(dir / "s-out.js"));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(WithoutUniqueParts(messages[0]), "Unable to run " + jpegLine);
    EXPECT_EQ(WithoutUniqueParts(messages[1]), "Unable to run " + pngLine);
}

TEST_F(RealPluginsTest, NonRegularSourcesAreRefusedBeforeAnyToolStarts)
{
    ASSERT_EQ(::mkfifo((dir / "pipe.png").c_str(), 0600), 0);
    environment.executor = [](const std::string& line) { ADD_FAILURE() << "started " << line; };
    for (const std::string& source : {dir / "pipe.png", dir.Path(), std::string("/dev/zero")}) {
        for (auto optimize : {&CompressPNG, &CompressJS, &CompressJPEG}) {
            try {
                optimize(source, dir / "out.png", 2, original, optimized, environment);
                ADD_FAILURE() << source;
            } catch (const FileError& error) {
                EXPECT_THAT(error.what(), ::testing::StartsWith("Cannot open file \"" + source + "\". ")) << source;
            }
        }
    }
    EXPECT_FALSE(FileExists(dir / "out.png"));
}

TEST_F(RealPluginsTest, OddPathsReachTheToolsIntact)
{
    // Relative paths, so that whole arguments start with "-".
    EnterFolder(dir.Folder());
    std::filesystem::create_directories("-out \"x\"");
    const std::string jpeg = "-my \"photo\" 1.jpg", png = "-a \"b\" c.png", script = "-s 'q' \"t\".js";
    MakeJpeg(dir / jpeg);
    Make("-seed 2 -size 48x32 plasma:fractal -depth 8", dir / png);
    WriteFile(script, kScript);

    CompressJPEG(jpeg, "-out \"x\"/" + jpeg, 4, original, optimized, environment);
    EXPECT_LT(optimized, original);
    EXPECT_EQ(Pixels("-out \"x\"/" + jpeg), Pixels(jpeg));

    CompressPNG(png, "-out \"x\"/" + png, 3, original, optimized, environment);
    EXPECT_GT(optimized, 0);
    EXPECT_LT(optimized, original);
    EXPECT_EQ(Pixels("-out \"x\"/" + png), Pixels(png));

    CompressJS(script, "-out \"x\"/" + script, 4, original, optimized, environment);
    EXPECT_GT(optimized, 0);
    EXPECT_LT(optimized, original);
    EXPECT_EQ(RunNode("-out \"x\"/" + script), RunNode(script));
    EXPECT_TRUE(messages.empty());
}
