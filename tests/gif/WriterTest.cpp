// Stream writer and encoders: exact bytes of small cases, packed fields and
// version choice, the clear policy at 4094, the sub-block packer, and round
// trips (LZW and run-length) checked by our reader and by giflib.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "gif/GIFSubBlockWriter.h"
#include "tests/gifsupport/Decoders.h"
#include "tests/gifsupport/GIFTestSupport.h"

namespace {

struct WriterFixture : ImageFixture {
    void Gray(TGIFColorMap& map, int n)
    {
        for (int i = 0; i < n; ++i) map.AppendColor(GIFColor(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)));
    }
};

// Image data of a written frame: the codes as a decoder reads them, and where clears stood.
struct ParsedData {
    int minCodeSize = 0;
    std::vector<int> codes;
    std::vector<int> subBlockSizes;
    std::vector<int> nextAtClear;  // the decoder's next free code when each clear (after the first) came
    std::vector<int> widthAfterClear;
};

ParsedData ParseImageData(const Bytes& bytes, std::size_t at)
{
    ParsedData parsed;
    parsed.minCodeSize = bytes.at(at++);
    Bytes data;
    while (int size = bytes.at(at++)) {
        parsed.subBlockSizes.push_back(size);
        data.insert(data.end(), bytes.begin() + long(at), bytes.begin() + long(at) + size);
        at += std::size_t(size);
    }
    const int clear = 1 << parsed.minCodeSize;
    int width = parsed.minCodeSize + 1, next = clear + 2, limit = 1 << width;
    bool first = true;
    std::size_t bit = 0;
    while (bit + std::size_t(width) <= data.size() * 8) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit) code |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
        parsed.codes.push_back(code);
        if (code == clear) {
            if (parsed.codes.size() > 1) parsed.nextAtClear.push_back(next);
            width = parsed.minCodeSize + 1, next = clear + 2, limit = 1 << width, first = true;
            continue;
        }
        if (code == clear + 1) break;
        if (parsed.codes.size() > 1 && parsed.codes[parsed.codes.size() - 2] == clear)
            parsed.widthAfterClear.push_back(width);
        if (first) {
            first = false;
            continue;
        }
        if (next <= 4095 && ++next >= limit && limit <= 4095) limit *= 2, ++width;
    }
    return parsed;
}

TEST_F(WriterFixture, OnePixelFrameExactBytes)
{
    Gray(image.GlobalColorMap(), 2);
    AddFrame(1, 1);
    const Bytes out = image.SaveToBytes();
    ByteBuilder want;
    want.Text("GIF87a").Word(1).Word(1).Add({0x80, 0, 0, 0, 0, 0, 1, 1, 1});
    want.Add({0x2C}).Word(0).Word(0).Word(1).Word(1).Add({0});
    want.Add({2, 2, 0x44, 0x01, 0, 0x3B});  // clear 4, pixel 0, end 5 at 3 bits
    EXPECT_EQ(out, want.bytes);
}

TEST_F(WriterFixture, ThreeEntryMapIsPaddedAndSized)
{
    Gray(image.GlobalColorMap(), 3);
    AddFrame(1, 1);
    const Bytes out = image.SaveToBytes();
    EXPECT_EQ(out[10] & 0x87, 0x81);   // global map present, size field 1
    EXPECT_EQ((out[10] >> 4) & 7, 1);  // resolution: IndexBits - 1
    EXPECT_EQ(Bytes(out.begin() + 13 + 9, out.begin() + 13 + 12), (Bytes{0, 0, 0}));
    EXPECT_EQ(out[13 + 12], 0x2C);
}

TEST_F(WriterFixture, PackedFieldsWithoutAGlobalMap)
{
    auto* frame = AddFrame(1, 1);
    Gray(frame->ColorMap(), 16);
    const Bytes out = image.SaveToBytes();
    EXPECT_EQ(out[10], (3 << 4) | 3);  // no global map: resolution and size from the largest map
    image.GlobalColorMap().AppendColor(0);
    image.GlobalColorMap().SetSorted(true);
    const Bytes sorted = image.SaveToBytes();
    EXPECT_EQ(sorted[10], 0x80 | (3 << 4) | 0x08 | 0);
}

TEST_F(WriterFixture, VersionChoice)
{
    Gray(image.GlobalColorMap(), 2);
    auto* frame = AddFrame(1, 1);
    image.GlobalColorMap().SetSorted(true);
    image.Header().AspectRatio = 49;
    const Bytes plain = image.SaveToBytes();
    EXPECT_EQ(std::string(plain.begin(), plain.begin() + 6), "GIF87a");
    frame->Extensions().Add(std::make_unique<TGIFGraphicControlExtension>());
    const Bytes out = image.SaveToBytes();
    EXPECT_EQ(std::string(out.begin(), out.begin() + 6), "GIF89a");
}

TEST_F(WriterFixture, NoFramesWritesNothing)
{
    TMemoryStream out;
    try {
        image.WriteTo(out);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Unsupported GIF version");
    }
    EXPECT_TRUE(out.Bytes().empty());
}

TEST_F(WriterFixture, EmptyFrameWritesItsExtensionsOnly)
{
    Gray(image.GlobalColorMap(), 2);
    AddFrame(1, 1);
    auto* empty = image.Images().Add(image.NewFrame());
    auto* gce = static_cast<TGIFGraphicControlExtension*>(
        empty->Extensions().Add(std::make_unique<TGIFGraphicControlExtension>()));
    gce->SetDelayTime(7);
    const Bytes out = image.SaveToBytes();
    EXPECT_EQ(Bytes(out.end() - 9, out.end()), (Bytes{0x21, 0xF9, 4, 0, 7, 0, 0, 0, 0x3B}));
}

TEST_F(WriterFixture, PixelOutsideTheMapFails)
{
    Gray(image.GlobalColorMap(), 2);
    auto* frame = AddFrame(2, 1);
    frame->Pixels()[1] = 2;
    try {
        image.SaveToBytes();
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color not in color table");
    }
    // A local map bounds the pixels by its entry count.
    frame->ColorMap().AppendColor(0);
    frame->ColorMap().AppendColor(1);
    frame->ColorMap().AppendColor(2);
    frame->Pixels()[1] = 3;
    EXPECT_THROW(image.SaveToBytes(), GIFException);
}

TEST_F(WriterFixture, LocalMapFramesAreWrittenNonInterlaced)
{
    auto* frame = AddFrame(2, 5);
    Gray(frame->ColorMap(), 5);
    frame->SetInterlaced(true);
    for (int y = 0; y < 5; ++y) frame->SetPixel(0, y, std::uint8_t(y));
    const Bytes out = image.SaveToBytes();
    const std::size_t descriptor = 13;
    EXPECT_EQ(out[descriptor + 9], 0x80 | 2);
    const ParsedData data = ParseImageData(out, descriptor + 10 + 8 * 3);
    EXPECT_EQ(data.minCodeSize, 3);
    ASSERT_GE(data.codes.size(), 3u);
    EXPECT_EQ(data.codes[1], 0);  // row 0 column 0
    TGIFImage back;
    ASSERT_EQ(ReadError(back, out), "");
    for (int y = 0; y < 5; ++y) EXPECT_EQ(back.Images()[0]->Pixel(0, y), y);
}

TEST_F(WriterFixture, InterlacedFramesAreWrittenInPassOrder)
{
    Gray(image.GlobalColorMap(), 16);
    auto* frame = AddFrame(1, 5);
    frame->SetInterlaced(true);
    for (int y = 0; y < 5; ++y) frame->SetPixel(0, y, std::uint8_t(10 + y));
    const Bytes out = image.SaveToBytes();
    EXPECT_EQ(out[13 + 48 + 9], 0x40);
    const ParsedData data = ParseImageData(out, 13 + 48 + 10);
    const std::vector<int> rows{10, 14, 12, 11, 13};  // rows 0, 4, 2, 1, 3
    EXPECT_EQ(std::vector<int>(data.codes.begin() + 1, data.codes.begin() + 6), rows);
    // Height 2: row 0, then row 1.
    frame->SetHeight(2);
    frame->SetPixel(0, 0, 3);
    frame->SetPixel(0, 1, 4);
    const ParsedData two = ParseImageData(image.SaveToBytes(), 13 + 48 + 10);
    EXPECT_EQ(two.codes[1], 3);
    EXPECT_EQ(two.codes[2], 4);
}

TEST_F(WriterFixture, ClearFollowsCode4094AndWidthRestarts)
{
    Gray(image.GlobalColorMap(), 256);
    auto* frame = AddFrame(300, 200);
    std::mt19937 random(7);
    for (std::size_t i = 0; i < frame->PixelsSize(); ++i) frame->Pixels()[i] = std::uint8_t(random());
    const Bytes out = image.SaveToBytes();
    const ParsedData data = ParseImageData(out, 13 + 768 + 10);
    ASSERT_FALSE(data.nextAtClear.empty());
    // The decoder has just defined 4094, the last code the encoder assigned.
    for (int next : data.nextAtClear) EXPECT_EQ(next, 4095);
    for (int width : data.widthAfterClear) EXPECT_EQ(width, 9);
    for (std::size_t i = 0; i + 1 < data.subBlockSizes.size(); ++i) EXPECT_EQ(data.subBlockSizes[i], 255);
    TGIFImage back;
    ASSERT_EQ(ReadError(back, out), "");
    EXPECT_TRUE(std::equal(frame->Pixels(), frame->Pixels() + frame->PixelsSize(), back.Images()[0]->Pixels()));
}

// The minimum code size is that of the largest index written, however large
// the table; giflib reads the pixels back.
TEST_F(WriterFixture, CodeSizeFollowsTheLargestIndexWritten)
{
    const std::filesystem::path temp = std::filesystem::temp_directory_path() / "qwo_gif_writer_codesize.gif";
    for (auto [largest, codeSize] : {std::pair{0, 2}, {3, 2}, {4, 3}, {7, 3}, {8, 4}, {127, 7}, {200, 8}}) {
        TGIFImage source;
        Gray(source.GlobalColorMap(), 256);
        auto* frame = source.Images().Add(source.NewFrame());
        frame->SetWidth(16);
        frame->SetHeight(20);
        for (std::size_t i = 0; i < frame->PixelsSize(); ++i) frame->Pixels()[i] = std::uint8_t(i % (largest + 1));
        const Bytes out = source.SaveToBytes();
        EXPECT_EQ(ParseImageData(out, 13 + 768 + 10).minCodeSize, codeSize) << largest;
        const Bytes want(frame->Pixels(), frame->Pixels() + frame->PixelsSize());
        TGIFImage back;
        ASSERT_EQ(ReadError(back, out), "");
        EXPECT_EQ(PixelsOf(*back.Images()[0]), want) << largest;
        if (OracleAvailable()) {
            WriteWholeFile(temp.string(), out);
            const OracleImage oracle = OracleDecode(temp.string());
            ASSERT_TRUE(oracle.ok) << largest;
            EXPECT_EQ(oracle.frames.at(0).indices, want) << largest;
        }
    }
    std::filesystem::remove(temp);
}

TEST_F(WriterFixture, SubBlockPacker)
{
    TMemoryStream target;
    TGIFWriter writer(target);
    Bytes data(600, 0xAB);
    writer.Write(data.data(), data.size());
    writer.Finish();
    const Bytes& out = target.Bytes();
    ASSERT_EQ(out.size(), 603u);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[256], 255);
    EXPECT_EQ(out[512], 90);
    std::uint8_t byte;
    try {
        writer.Read(&byte, 1);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Invalid stream operation");
    }
    EXPECT_THROW(writer.Seek(0), GIFException);
    TMemoryView view(target.Bytes());
    EXPECT_THROW(view.Write(&byte, 1), GIFException);
}

TEST_F(WriterFixture, FilesThatCannotBeWrittenFail)
{
    Gray(image.GlobalColorMap(), 2);
    AddFrame(1, 1);
    // The bytes fit the file buffer: only the close finds the full device.
    try {
        image.SaveToFile("/dev/full");
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Cannot write file \"/dev/full\"");
    }
    EXPECT_THROW(WriteWholeFile("/dev/full", Bytes(1 << 20, 1)), GIFException);
    EXPECT_THROW(image.SaveToFile("/nonexistent/out.gif"), GIFException);
}

// Random frames of every depth, both encoders: our reader and giflib get the pixels back.
TEST_F(WriterFixture, RoundTripsThroughBothEncoders)
{
    std::mt19937 random(42);
    const std::filesystem::path temp = std::filesystem::temp_directory_path() / "qwo_gif_writer_roundtrip.gif";
    for (TGIFCompression method : {TGIFCompression::LZW, TGIFCompression::RunLength}) {
        for (int bits = 1; bits <= 8; ++bits) {
            for (auto [width, height, interlaced, runs] :
                 {std::tuple{1, 1, false, false}, std::tuple{37, 23, false, true}, std::tuple{64, 17, true, false},
                  std::tuple{500, 40, false, true}, std::tuple{5, 300, true, true}}) {
                TGIFImage source;
                source.Compression = method;
                Gray(source.GlobalColorMap(), 1 << bits);
                auto* frame = source.Images().Add(source.NewFrame());
                frame->SetWidth(width);
                frame->SetHeight(height);
                frame->SetInterlaced(interlaced);
                std::uint8_t value = 0;
                for (std::size_t i = 0; i < frame->PixelsSize(); ++i) {
                    if (!runs || random() % 23 == 0) value = std::uint8_t(random() % (1u << bits));
                    frame->Pixels()[i] = value;
                }
                const Bytes out = source.SaveToBytes();
                const std::string what = "method " + std::to_string(int(method)) + " bits " + std::to_string(bits) +
                                         " size " + std::to_string(width) + "x" + std::to_string(height);
                TGIFImage back;
                ASSERT_EQ(ReadError(back, out), "") << what;
                ASSERT_EQ(back.Images().Count(), 1) << what;
                const Bytes want(frame->Pixels(), frame->Pixels() + frame->PixelsSize());
                const TGIFSubImage* got = back.Images()[0];
                EXPECT_EQ(Bytes(got->Pixels(), got->Pixels() + got->PixelsSize()), want) << what;
                if (OracleAvailable()) {
                    WriteWholeFile(temp.string(), out);
                    OracleImage oracle = OracleDecode(temp.string());
                    ASSERT_TRUE(oracle.ok) << what;
                    EXPECT_EQ(oracle.frames.at(0).indices, want) << what;
                }
            }
        }
    }
    std::filesystem::remove(temp);
}

TEST_F(WriterFixture, RunLengthCodesStayWithinTheDecoderTable)
{
    // Long runs of one value use run codes; the data still starts with a clear.
    image.Compression = TGIFCompression::RunLength;
    Gray(image.GlobalColorMap(), 4);
    auto* frame = AddFrame(1000, 30);
    for (std::size_t i = 0; i < frame->PixelsSize(); ++i) frame->Pixels()[i] = std::uint8_t(i / 7500);
    const Bytes out = image.SaveToBytes();
    const ParsedData data = ParseImageData(out, 13 + 12 + 10);
    EXPECT_EQ(data.codes.front(), 4);
    EXPECT_LT(data.codes.size(), 2000u);  // far fewer codes than pixels
    TGIFImage back;
    ASSERT_EQ(ReadError(back, out), "");
    EXPECT_TRUE(std::equal(frame->Pixels(), frame->Pixels() + frame->PixelsSize(), back.Images()[0]->Pixels()));
}

}  // namespace

namespace {

// Wildcards: the frame is written in the shorter of two ways, and every way
// giflib reads back shows each wildcard as its own color or transparent and
// every other pixel exactly. Noise that repeats the frame before it is best
// left transparent; a smooth frame with a few wildcards is best written
// plainly, then without transparency and without the transparent entry,
// which halves the local table here.
TEST(WildcardWriting, ShorterWayAndExactPixels)
{
    std::mt19937 random(7);
    for (bool noise : {true, false}) {
        SCOPED_TRACE(noise);
        TGIFImage image;
        SetColors(image.GlobalColorMap(), {kBlack, kWhite});
        const int w = 64, h = 48;
        std::vector<std::uint8_t> pixels(w * h);
        for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = std::uint8_t(noise ? random() % 8 : (i / 7) % 8);
        std::vector<TGIFColor> colors;
        for (int c = 0; c < 8; ++c) colors.push_back(GIFColor(std::uint8_t(30 * c), 0, 0));
        colors.push_back(kBlack);  // the transparent entry: 9 entries, a 16-entry table
        TGIFSubImage& frame = AddTestFrame(image, 0, 0, w, h, pixels, colors);
        SetControl(frame, 5, 1, 8);
        std::vector<bool> wild(pixels.size());
        for (std::size_t i = 0; i < pixels.size(); ++i)
            if (noise ? i % 50 != 0 : i % 97 == 0) {
                wild[i] = true;
                frame.SetWildcard(i);
            }
        const Bytes written = image.SaveToBytes();
        ASSERT_TRUE(CompositeWithGiflib(written));
        TGIFImage back;
        back.LoadFromBytes(written);
        TGIFSubImage& read = *back.Images()[0];
        EXPECT_EQ(read.Transparent(), noise);
        EXPECT_EQ(read.ColorMap().EntryCount(), noise ? 16 : 8);  // as written, padded to a power of 2
        int transparentShown = 0;
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const bool transparent = read.Transparent() && read.Pixels()[i] == read.TransparentIndex();
            transparentShown += transparent;
            if (wild[i] && transparent) continue;
            ASSERT_EQ(ColorAtPixel(image, read, int(i % w), int(i / w)), colors[pixels[i]]) << i;
        }
        if (noise) {
            EXPECT_GT(transparentShown, w * h / 2);
        }
        // Never longer than the frame written without wildcards.
        frame.ReleaseWildcards();
        EXPECT_LE(written.size(), image.SaveToBytes().size());
    }
}

}  // namespace
