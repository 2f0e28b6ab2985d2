// Every corpus image: read without error (or with the error its damage calls
// for), pixels equal to giflib's, read -> write -> read keeps frames, pixels,
// color maps and extensions; and the gifcopy tool on them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "tests/gifsupport/Corpus.h"
#include "tests/gifsupport/Decoders.h"
#include "tests/gifsupport/GIFTestSupport.h"

namespace {

// Files whose pixels the writer cannot encode as they stand: a transparent
// index beyond the color table is used by the pixels themselves.
const std::map<std::string, std::string> kWriteErrors = {
    {"gifsicle/test/001-transexpand_x.gif", "Color not in color table"},
};

Bytes ExtensionBytes(TGIFExtension& extension)
{
    TMemoryStream out;
    extension.WriteTo(out);
    return out.Bytes();
}

Bytes MapBytes(const TGIFColorMap& map)
{
    return map.EntryCount() ? Bytes(map.Data(), map.Data() + 3 * map.EntryCount()) : Bytes{};
}

void ExpectSameImage(TGIFImage& a, TGIFImage& b, const std::string& what)
{
    EXPECT_EQ(a.Width(), b.Width()) << what;
    EXPECT_EQ(a.Height(), b.Height()) << what;
    EXPECT_EQ(MapBytes(a.GlobalColorMap()), MapBytes(b.GlobalColorMap())) << what;
    ASSERT_EQ(a.Images().Count(), b.Images().Count()) << what;
    for (int i = 0; i < a.Images().Count(); ++i) {
        TGIFSubImage* fa = a.Images()[i];
        TGIFSubImage* fb = b.Images()[i];
        const std::string frame = what + " frame " + std::to_string(i);
        EXPECT_EQ(fa->Left(), fb->Left()) << frame;
        EXPECT_EQ(fa->Top(), fb->Top()) << frame;
        EXPECT_EQ(fa->Width(), fb->Width()) << frame;
        EXPECT_EQ(fa->Height(), fb->Height()) << frame;
        EXPECT_EQ(MapBytes(fa->ColorMap()), MapBytes(fb->ColorMap())) << frame;
        EXPECT_EQ(fa->Transparent(), fb->Transparent()) << frame;
        ASSERT_EQ(fa->PixelsSize(), fb->PixelsSize()) << frame;
        EXPECT_TRUE(std::equal(fa->Pixels(), fa->Pixels() + fa->PixelsSize(), fb->Pixels())) << frame;
        ASSERT_EQ(fa->Extensions().Count(), fb->Extensions().Count()) << frame;
        for (int e = 0; e < fa->Extensions().Count(); ++e)
            EXPECT_EQ(ExtensionBytes(*fa->Extensions()[e]), ExtensionBytes(*fb->Extensions()[e]))
                << frame << " ext " << e;
    }
}

class CorpusTest : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusTest, ReadsMatchesGiflibAndRoundTrips)
{
    const std::string path = GetParam();
    const std::string name = CorpusName(path);
    TGIFImage image;
    ASSERT_EQ(ReadError(image, LoadFile(path)), "") << name;

    if (OracleAvailable()) {
        OracleImage oracle = OracleDecode(path);
        if (oracle.ok) {
            std::vector<TGIFSubImage*> frames = ImageFrames(image);
            ASSERT_EQ(frames.size(), oracle.frames.size()) << name;
            EXPECT_GE(image.Width(), oracle.width) << name;
            EXPECT_GE(image.Height(), oracle.height) << name;
            for (std::size_t i = 0; i < frames.size(); ++i) {
                const OracleFrame& want = oracle.frames[i];
                TGIFSubImage* got = frames[i];
                const std::string frame = name + " frame " + std::to_string(i);
                if (want.width == 0 || want.height == 0) continue;  // ours takes the screen size
                EXPECT_EQ(got->Left(), want.left) << frame;
                EXPECT_EQ(got->Top(), want.top) << frame;
                ASSERT_EQ(got->Width(), want.width) << frame;
                ASSERT_EQ(got->Height(), want.height) << frame;
                EXPECT_TRUE(std::equal(want.indices.begin(), want.indices.end(), got->Pixels())) << frame;
                const TGIFColorMap& map = image.ColorMapOf(*got);
                ASSERT_EQ(map.EntryCount(), int(want.map.size())) << frame;
                for (int c = 0; c < map.EntryCount(); ++c) EXPECT_EQ(RGBOf(map, c), want.map[std::size_t(c)]) << frame;
            }
        }
    }

    for (int method : {0, 1}) {
        Bytes written;
        const std::string error = WriteError(image, method, written);
        if (!error.empty()) {
            auto expected = kWriteErrors.find(name);
            ASSERT_NE(expected, kWriteErrors.end()) << name << ": " << error;
            EXPECT_EQ(expected->second, error);
            return;
        }
        EXPECT_EQ(kWriteErrors.count(name), 0u) << name << " was expected to fail";
        TGIFImage back;
        ASSERT_EQ(ReadError(back, written), "") << name;
        ExpectSameImage(image, back, name + (method ? " (RLE)" : " (LZW)"));
    }
}

INSTANTIATE_TEST_SUITE_P(Gif, CorpusTest, ::testing::ValuesIn(CorpusFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return CorpusTestName(info.param); });

TEST(CorpusFiles, CorpusAndOracleAreThere)
{
    const std::vector<std::string> files = CorpusFiles();
    EXPECT_GE(files.size(), 50u);
    if (!OracleAvailable()) GTEST_SKIP() << "giflib not found: pixels are not compared";
    int decoded = 0;
    for (const std::string& path : files) decoded += OracleDecode(path).ok;
    EXPECT_GE(decoded, 45);
}

// Damaged files: the reader keeps what it could.
TEST(CorpusDamage, DamagedFilesStillRead)
{
    const std::string root = std::string(QWO_CORPUS_DIR) + "/gif/";
    for (const char* file :
         {"gifsicle/test/009-zerowidth_zerowidth-bad.gif", "gifsicle/test/009-zerowidth_zerowidth-ok.gif",
          "gifsicle/test/013-resize-truncated-frame_truncated-frame.gif",
          "giflib/pic/porsche.gif",  // garbage after the trailer is never read
          "gifsicle/test/013-eoi_trimmed-eoi.gif"}) {
        TGIFImage image;
        ASSERT_EQ(ReadError(image, LoadFile(root + file)), "") << file;
        EXPECT_FALSE(image.Images().Empty()) << file;
    }
}

TEST(GifCopyTool, CopiesAndReportsErrors)
{
    const std::string tool = std::string(QWO_BIN_DIR) + "/gifcopy";
    const auto temp = std::filesystem::temp_directory_path() / "qwo_gifcopy_test";
    std::filesystem::create_directories(temp);
    const std::string source = std::string(QWO_CORPUS_DIR) + "/gif/giflib/pic/fire.gif";
    const std::string out = (temp / "out.gif").string();
    ASSERT_EQ(std::system((tool + " '" + source + "' '" + out + "'").c_str()), 0);
    TGIFImage a, b;
    a.LoadFromFile(source);
    b.LoadFromFile(out);
    ExpectSameImage(a, b, "gifcopy");

    const std::string bad = (temp / "bad.gif").string();
    WriteWholeFile(bad, Bytes{'N', 'O', 'T', 'G', 'I', 'F', 0, 0, 0, 0, 0, 0, 0});
    const std::string err = (temp / "err.txt").string();
    int status = std::system((tool + " '" + bad + "' '" + out + "' 2>'" + err + "'").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    const Bytes message = LoadFile(err);
    EXPECT_EQ(std::string(message.begin(), message.end()), "Invalid GIF signature\n");
    std::filesystem::remove_all(temp);
}

}  // namespace
