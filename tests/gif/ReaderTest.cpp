// Stream reader: signature rules, block grouping, and every error.
#include <gtest/gtest.h>

#include "gif/GIFDecode.h"
#include "tests/gifsupport/GIFTestSupport.h"

namespace {

struct ReaderFixture : ImageFixture {};

Bytes SmallFrame()
{
    ByteBuilder b;
    ImageDescriptor(b, 0, 0, 2, 1).Add({2}).SubBlocks(LzwCodes(2).Clear().Code(1).Code(2).End().Pack());
    return b.bytes;
}

Bytes SimpleGif(const char* signature = "GIF89a")
{
    ByteBuilder b = GifHeader(2, 1, 2, signature);
    b.Append(SmallFrame()).Add({0x3B});
    return b.bytes;
}

TEST_F(ReaderFixture, ReadsHeaderFramesAndMaps)
{
    ASSERT_EQ(ReadError(image, SimpleGif()), "");
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.GlobalColorMap().EntryCount(), 4);
    EXPECT_FALSE(image.GlobalColorMap().Sorted());
    ASSERT_EQ(image.Images().Count(), 1);
    EXPECT_EQ(image.Images()[0]->Pixel(1, 0), 2);
}

TEST_F(ReaderFixture, SignatureCaseVersionAndPrefix)
{
    EXPECT_EQ(ReadError(image, SimpleGif("gif89a")), "");
    EXPECT_EQ(ReadError(image, SimpleGif("GIF90z")), "");
    Bytes prefixed{'J', 'U', 'N', 'K'};
    Bytes gif = SimpleGif();
    prefixed.insert(prefixed.end(), gif.begin(), gif.end());
    EXPECT_EQ(ReadError(image, prefixed), "");
    EXPECT_EQ(image.Images().Count(), 1);
    for (int offset : {1, 2, 3}) {
        Bytes shifted(std::size_t(offset), 'x');
        shifted.insert(shifted.end(), gif.begin(), gif.end());
        EXPECT_EQ(ReadError(image, shifted), "Invalid GIF signature") << offset;
    }
}

TEST_F(ReaderFixture, ShortStreams)
{
    EXPECT_EQ(ReadError(image, {'G', 'I', 'F'}), "Premature end of data");
    EXPECT_EQ(ReadError(image, {'X', 'X', 'X', '8', '9', 'a', 0, 0}), "Premature end of data");
    EXPECT_EQ(ReadError(image, {'X', 'X', 'X', '8', '9', 'a', 0, 0, 0, 0}), "Invalid GIF signature");
    // Truncated inside the global color table.
    Bytes gif = SimpleGif();
    gif.resize(13 + 5);
    EXPECT_EQ(ReadError(image, gif), "Premature end of data");
    // Truncated inside an image descriptor.
    gif = SimpleGif();
    gif.resize(13 + 12 + 4);
    EXPECT_EQ(ReadError(image, gif), "Premature end of data");
}

TEST_F(ReaderFixture, FailedReadRewindsTheStream)
{
    ByteBuilder b = GifHeader(2, 1, 2);
    b.Add({0x21, 0xFF, 0x0C}).Text("NETSCAPE2.0").Add({0x7F, 0x03, 0x01, 0x00, 0x00, 0x00});
    Bytes bytes = b.bytes;
    TMemoryView view(bytes);
    view.Seek(0);
    EXPECT_THROW(image.ReadFrom(view), GIFException);
    EXPECT_EQ(view.Position(), 0);
}

TEST_F(ReaderFixture, ZeroBytesBetweenBlocksAreSkipped)
{
    ByteBuilder b = GifHeader(2, 1, 2);
    b.Add({0, 0}).Append(SmallFrame()).Add({0, 0, 0}).Append(SmallFrame()).Add({0, 0x3B});
    ASSERT_EQ(ReadError(image, b.bytes), "");
    EXPECT_EQ(image.Images().Count(), 2);
}

TEST_F(ReaderFixture, TrailingExtensionsFormAnEmptyFrame)
{
    ByteBuilder b = GifHeader(2, 1, 2);
    b.Append(SmallFrame()).Add({0x21, 0xFE, 2, 'h', 'i', 0, 0x3B});
    ASSERT_EQ(ReadError(image, b.bytes), "");
    ASSERT_EQ(image.Images().Count(), 2);
    TGIFSubImage* last = image.Images()[1];
    EXPECT_TRUE(last->IsEmpty());
    auto* comment = last->Extensions().Find<TGIFCommentExtension>();
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->Lines.at(0), "hi");
    // Extensions are written back after the last image.
    Bytes out = image.SaveToBytes();
    EXPECT_EQ(Bytes(out.end() - 7, out.end()), (Bytes{0x21, 0xFE, 2, 'h', 'i', 0, 0x3B}));
}

TEST_F(ReaderFixture, UnknownBlockEndsTheFrameList)
{
    ByteBuilder b = GifHeader(2, 1, 2);
    b.Append(SmallFrame()).Add({0x99}).Append(SmallFrame()).Add({0x3B});
    ASSERT_EQ(ReadError(image, b.bytes), "");
    EXPECT_EQ(image.Images().Count(), 1);
}

TEST_F(ReaderFixture, MissingTrailerIsFine)
{
    Bytes gif = SimpleGif();
    gif.pop_back();
    ASSERT_EQ(ReadError(image, gif), "");
    EXPECT_EQ(image.Images().Count(), 1);
}

TEST_F(ReaderFixture, ZeroSizeFrameTakesTheScreenSize)
{
    ByteBuilder b = GifHeader(4, 3, 2);
    ImageDescriptor(b, 0, 0, 0, 5).Add({2}).SubBlocks(LzwCodes(2).Clear().Code(1).End().Pack()).Add({0x3B});
    ASSERT_EQ(ReadError(image, b.bytes), "");
    TGIFSubImage* frame = image.Images()[0];
    EXPECT_EQ(frame->Width(), 4);
    EXPECT_EQ(frame->Height(), 3);
}

TEST_F(ReaderFixture, FramesAreCutToTheScreen)
{
    // Only a screen without pixels grows to its frames.
    ByteBuilder b = GifHeader(0, 0, 2);
    ImageDescriptor(b, 100, 0, 50, 1).Add({2}).SubBlocks(LzwCodes(2).Clear().End().Pack()).Add({0x3B});
    ASSERT_EQ(ReadError(image, b.bytes), "");
    EXPECT_EQ(image.Width(), 150);

    // Frames reaching out of a 40 x 30 screen keep the part on it, with the
    // pixels they had there; a frame wholly outside is one transparent pixel
    // at (0, 0) that keeps its delay and disposes of nothing.
    struct Case {
        int left, top, width, height;
        bool interlaced;
    };
    for (const Case c : {Case{30, 20, 25, 17, false}, Case{30, 20, 25, 17, true}, Case{0, 0, 300, 200, false},
                         Case{0, 0, 300, 200, true}, Case{5, 29, 7, 40, true}, Case{39, 0, 1, 30, false}}) {
        const std::string what = std::to_string(c.left) + "," + std::to_string(c.top) + " " +
                                 std::to_string(c.width) + "x" + std::to_string(c.height) + (c.interlaced ? " i" : "");
        TGIFImage source;
        SetColors(source.GlobalColorMap(), {kBlack, kWhite, kRed, kGreen});
        std::vector<std::uint8_t> pixels;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) pixels.push_back(std::uint8_t((x * 7 + y * 3 + x * y) % 4));
        TGIFSubImage& frame = AddTestFrame(source, c.left, c.top, c.width, c.height, pixels);
        frame.SetInterlaced(c.interlaced);
        SetControl(AddTestFrame(source, 40, 3, 10, 10, std::vector<std::uint8_t>(100, 1)), 25, 2);
        source.Header().ScreenWidth = 40;  // smaller than the frames
        source.Header().ScreenHeight = 30;
        ASSERT_EQ(ReadError(image, source.SaveToBytes()), "") << what;
        EXPECT_EQ(image.Width(), 40) << what;
        EXPECT_EQ(image.Height(), 30) << what;
        ASSERT_EQ(image.Images().Count(), 2) << what;
        const TGIFSubImage& cut = *image.Images()[0];
        EXPECT_EQ(cut.Width(), std::min(c.width, 40 - c.left)) << what;
        EXPECT_EQ(cut.Height(), std::min(c.height, 30 - c.top)) << what;
        for (int y = 0; y < cut.Height(); ++y)
            for (int x = 0; x < cut.Width(); ++x)
                ASSERT_EQ(cut.Pixel(x, y), frame.Pixel(x, y)) << what << " at " << x << "," << y;
        const TGIFSubImage& none = *image.Images()[1];
        EXPECT_EQ(std::tuple(none.Left(), none.Top(), none.Width(), none.Height()), std::tuple(0, 0, 1, 1)) << what;
        ASSERT_TRUE(none.Transparent()) << what;
        EXPECT_EQ(none.Pixel(0, 0), none.TransparentIndex()) << what;
        EXPECT_EQ(none.GraphicControl()->DelayTime(), 25) << what;
        EXPECT_EQ(none.DisposalMethod(), 1) << what;
    }
}

TEST_F(ReaderFixture, UnknownExtensionIsSkipped)
{
    ByteBuilder b = GifHeader(2, 1, 2);
    b.Add({0x21, 0xCE, 3, 1, 2, 3, 2, 9, 9, 0});  // a private extension with two sub-blocks
    b.Add({0x21, 0xFE, 1, 'c', 0}).Append(SmallFrame()).Add({0x3B});
    ASSERT_EQ(ReadError(image, b.bytes), "");
    ASSERT_EQ(image.Images().Count(), 1);
    EXPECT_EQ(image.Images()[0]->Extensions().Count(), 1);  // only the comment is kept
    EXPECT_EQ(image.Images()[0]->Pixel(1, 0), 2);

    // A stream that ends right after an introducer still fails.
    ByteBuilder cut = GifHeader(2, 1, 2);
    cut.Append(SmallFrame()).Add({0x21});
    TGIFImage other;
    EXPECT_EQ(ReadError(other, cut.bytes), "Unknown extension type");
}

TEST_F(ReaderFixture, StrayByteAfterExtensionsEndsTheFrame)
{
    ByteBuilder b = GifHeader(2, 1, 2);
    b.Add({0x21, 0xFE, 1, 'c', 0, 0x00}).Append(SmallFrame()).Add({0x3B});
    ASSERT_EQ(ReadError(image, b.bytes), "");
    // The comment stands alone in a frame of its own; the image follows.
    ASSERT_EQ(image.Images().Count(), 2);
    EXPECT_TRUE(image.Images()[0]->IsEmpty());
    EXPECT_FALSE(image.Images()[1]->IsEmpty());
}

TEST_F(ReaderFixture, HugeDeclarationsFailBeforeAllocating)
{
    // A 65535 x 65535 screen.
    ByteBuilder screen = GifHeader(65535, 65535, 2);
    screen.Append(SmallFrame()).Add({0x3B});
    EXPECT_EQ(ReadError(image, screen.bytes), "Screen of 65535 x 65535 pixels is too large");

    // Big frames in a small file: two of 40000 x 14000 (560 MB each) exceed the bound together.
    ByteBuilder frames = GifHeader(40000, 14000, 2);
    for (int i = 0; i < 2; ++i)
        ImageDescriptor(frames, 0, 0, 40000, 14000).Add({2}).SubBlocks(LzwCodes(2).Clear().End().Pack());
    frames.Add({0x3B});
    EXPECT_EQ(ReadError(image, frames.bytes), "Image is too large");
    EXPECT_LE(image.PixelBytes(), GIFMaxPixelBytes);
}

TEST_F(ReaderFixture, LastOfSeveralGraphicControlsHolds)
{
    // First: transparent index 1 without the flag; second: the flag with index 2.
    ByteBuilder b = GifHeader(2, 1, 2);
    b.Add({0x21, 0xF9, 4, 0x00, 5, 0, 1, 0}).Add({0x21, 0xF9, 4, 0x09, 7, 0, 2, 0});
    ImageDescriptor(b, 0, 0, 2, 1).Add({2}).SubBlocks(LzwCodes(2).Clear().Code(2).Code(0).End().Pack()).Add({0x3B});
    ASSERT_EQ(ReadError(image, b.bytes), "");
    TGIFSubImage& frame = *image.Images()[0];
    ASSERT_NE(frame.GraphicControl(), nullptr);
    EXPECT_EQ(frame.Extensions().Count(), 1);
    EXPECT_TRUE(frame.Transparent());
    EXPECT_EQ(frame.TransparentIndex(), 2);
    EXPECT_EQ(frame.GraphicControl()->DelayTime(), 7);
    EXPECT_EQ(frame.GraphicControl()->DisposalMethod(), 2);

    // The other way round: the last one is not transparent.
    ByteBuilder c = GifHeader(2, 1, 2);
    c.Add({0x21, 0xF9, 4, 0x01, 5, 0, 1, 0}).Add({0x21, 0xF9, 4, 0x00, 7, 0, 2, 0});
    ImageDescriptor(c, 0, 0, 2, 1).Add({2}).SubBlocks(LzwCodes(2).Clear().Code(1).Code(0).End().Pack()).Add({0x3B});
    TGIFImage other;
    ASSERT_EQ(ReadError(other, c.bytes), "");
    EXPECT_FALSE(other.Images()[0]->Transparent());
    EXPECT_EQ(other.Images()[0]->Pixel(0, 0), 1);
}

TEST_F(ReaderFixture, LocalMapsAreLoaded)
{
    ByteBuilder b = GifHeader(2, 1, 0);
    ImageDescriptor(b, 0, 0, 2, 1, 0x81).Add({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    b.Add({2}).SubBlocks(LzwCodes(2).Clear().Code(3).Code(0).End().Pack()).Add({0x3B});
    ASSERT_EQ(ReadError(image, b.bytes), "");
    TGIFSubImage* frame = image.Images()[0];
    EXPECT_EQ(frame->ColorMap().EntryCount(), 4);
    EXPECT_EQ(image.ColorMapOf(*frame).Color(3), GIFColor(10, 11, 12));
    EXPECT_EQ(frame->Pixel(0, 0), 3);
}

TEST_F(ReaderFixture, FileStreamsReadLikeMemory)
{
    const std::string path = std::string(QWO_CORPUS_DIR) + "/gif/giflib/pic/fire.gif";
    TFileStream file(path, TFileStream::Mode::Read);
    image.ReadFrom(file);
    TGIFImage fromMemory;
    fromMemory.LoadFromBytes(LoadFile(path));
    ASSERT_EQ(image.Images().Count(), fromMemory.Images().Count());
    for (int i = 0; i < image.Images().Count(); ++i)
        EXPECT_TRUE(std::equal(image.Images()[i]->Pixels(),
                               image.Images()[i]->Pixels() + image.Images()[i]->PixelsSize(),
                               fromMemory.Images()[i]->Pixels()));
    EXPECT_THROW(TFileStream("/nonexistent/x.gif", TFileStream::Mode::Read), GIFException);
}

TEST_F(ReaderFixture, ReadOptionsSeeEachFrameOnceDecodedOrSkipItsData)
{
    ByteBuilder b = GifHeader(2, 1, 2);
    b.Append(SmallFrame()).Add({0x21, 0xFE, 1, 'c', 0}).Append(SmallFrame()).Add({0x21, 0xFE, 1, 'c', 0, 0x3B});
    std::vector<int> pixels;
    TGIFReadOptions options;
    options.FrameRead = [&](TGIFSubImage& frame) { pixels.push_back(frame.Pixel(1, 0)); };
    TMemoryView view(b.bytes);
    ReadGIF(view, image, options);
    // An extension-only frame at the end has no pixels to decode.
    EXPECT_EQ(image.Images().Count(), 3);
    EXPECT_EQ(pixels, (std::vector<int>{2, 2}));

    TGIFReadOptions skip;
    skip.SkipImageData = true;
    TMemoryView again(b.bytes);
    ReadGIF(again, image, skip);
    ASSERT_EQ(image.Images().Count(), 3);
    EXPECT_EQ(image.Images()[1]->Width(), 2);
    EXPECT_TRUE(image.Images()[1]->IsEmpty());
    EXPECT_EQ(image.PixelBytes(), 0u);
}

}  // namespace
