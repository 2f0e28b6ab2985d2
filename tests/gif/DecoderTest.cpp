// LZW decoder: fill value, forced initial clear, code widths, interlaced row
// order, the full table, the string in progress, skipping after the end code,
// a code ending on the last bit of the data, and corrupt tables.
#include <gtest/gtest.h>

#include <numeric>

#include "tests/gifsupport/GIFTestSupport.h"

namespace {

struct DecoderFixture : ImageFixture {
    Bytes Pixels(int frame = 0)
    {
        TGIFSubImage* f = image.Images()[frame];
        return Bytes(f->Pixels(), f->Pixels() + f->PixelsSize());
    }
};

TEST_F(DecoderFixture, ClearAndEndOnlyKeepsTheFillValue)
{
    LzwCodes codes(2);
    codes.Clear().End();
    ASSERT_EQ(ReadError(image, OneFrameGif(10, 10, 2, codes.Pack())), "");
    EXPECT_EQ(Pixels(), Bytes(100, 0));
}

TEST_F(DecoderFixture, TruncatedDataKeepsTransparentIndexOrZero)
{
    // Four pixels, then the data ends: 3 + 3 + 3 + 3 + 4 bits fill two bytes
    // exactly, and the last code, ending on the last bit, is taken too.
    LzwCodes codes(2);
    codes.Clear().Code(1).Code(2).Code(1).Code(2);
    ASSERT_EQ(codes.Pack().size(), 2u);
    ByteBuilder b = GifHeader(3, 2, 2);
    b.Add({0x21, 0xF9, 4, 0x01, 0, 0, 3, 0});  // transparent index 3
    ImageDescriptor(b, 0, 0, 3, 2).Add({2}).SubBlocks(codes.Pack());
    ASSERT_EQ(ReadError(image, b.bytes), "");
    EXPECT_EQ(Pixels(), (Bytes{1, 2, 1, 2, 3, 3}));

    TGIFImage plain;
    ASSERT_EQ(ReadError(plain, OneFrameGif(3, 2, 2, codes.Pack())), "");
    TGIFSubImage* frame = plain.Images()[0];
    EXPECT_EQ(Bytes(frame->Pixels(), frame->Pixels() + 6), (Bytes{1, 2, 1, 2, 0, 0}));

    // Cut inside the data without a terminator, and the stream ends: still no error.
    TGIFImage cut;
    EXPECT_EQ(ReadError(cut, OneFrameGif(2, 2, 2, codes.Pack(), 0, 2, false, false)), "");
    // The stream ends before the code size byte: the frame keeps its fill.
    ByteBuilder noData = GifHeader(2, 2, 2);
    ImageDescriptor(noData, 0, 0, 2, 2);
    TGIFImage bare;
    EXPECT_EQ(ReadError(bare, noData.bytes), "");
    EXPECT_EQ(bare.Images()[0]->PixelsSize(), 4u);
}

TEST_F(DecoderFixture, DataEndingAfterACopiedStringKeepsTheFillBehindIt)
{
    // 1, 2, then the table string 1 2 (copied from earlier output); the data
    // ends there in a frame of 40 pixels: everything after stays at the fill.
    LzwCodes codes(2);
    codes.Clear().Code(1).Code(2).Code(6).Code(1);  // 3+3+3+3+4 bits: the last code ends on the last bit
    ByteBuilder b = GifHeader(40, 1, 2);
    b.Add({0x21, 0xF9, 4, 0x01, 0, 0, 3, 0});
    ImageDescriptor(b, 0, 0, 40, 1).Add({2}).SubBlocks(codes.Pack()).Add({0x3B});
    ASSERT_EQ(ReadError(image, b.bytes), "");
    Bytes want(40, 3);
    want[0] = 1, want[1] = 2, want[2] = 1, want[3] = 2, want[4] = 1;
    EXPECT_EQ(Pixels(), want);
}

TEST_F(DecoderFixture, SubBlockLongerThanTheStreamIsReadToTheEnd)
{
    LzwCodes codes(2);
    codes.Clear().Code(1).Code(2).Code(3).End();
    ByteBuilder b = GifHeader(3, 1, 2);
    ImageDescriptor(b, 0, 0, 3, 1).Add({2, 200}).Append(codes.Pack());
    ASSERT_EQ(ReadError(image, b.bytes), "");
    EXPECT_EQ(Pixels(), (Bytes{1, 2, 3}));
}

TEST_F(DecoderFixture, CodeSizeNineIsReadAsEight)
{
    LzwCodes codes(8);
    codes.Clear().Code(7).Code(200).Code(255).End();
    ASSERT_EQ(ReadError(image, OneFrameGif(3, 1, 9, codes.Pack(), 0, 8)), "");
    EXPECT_EQ(Pixels(), (Bytes{7, 200, 255}));
}

TEST_F(DecoderFixture, DataWithoutLeadingClearDecodes)
{
    LzwCodes codes(2);
    codes.Code(3).Code(1).End();  // no clear code at the start
    ASSERT_EQ(ReadError(image, OneFrameGif(2, 1, 2, codes.Pack())), "");
    EXPECT_EQ(Pixels(), (Bytes{3, 1}));
}

TEST_F(DecoderFixture, InterlacedRowsLandInPassOrder)
{
    for (int height : {1, 2, 3, 5, 9, 17}) {
        // Row i in file order holds the value i.
        LzwCodes codes(5);
        codes.Clear();
        for (int i = 0; i < height; ++i) codes.Code(i);
        codes.End();
        TGIFImage interlaced;
        ASSERT_EQ(ReadError(interlaced, OneFrameGif(1, height, 5, codes.Pack(), 0x40, 5)), "") << height;
        std::vector<int> order;
        for (int start : {0, 4, 2, 1})
            for (int y = start; y < height; y += (start == 0 || start == 4) ? 8 : start == 2 ? 4 : 2)
                order.push_back(y);
        ASSERT_EQ(int(order.size()), height);
        const std::uint8_t* p = interlaced.Images()[0]->Pixels();
        for (int i = 0; i < height; ++i)
            EXPECT_EQ(p[order[std::size_t(i)]], i) << "height " << height << " file row " << i;
    }
}

TEST_F(DecoderFixture, InterlacedStringsSpanRows)
{
    // Width 3, height 4: strings of length 2-3 cross row boundaries.
    LzwCodes codes(2);
    codes.Clear().Code(1).Code(2).Code(6).Code(8).Code(7).Code(3).End();  // 1 2 12 121 21 3
    const Bytes linear{1, 2, 1, 2, 1, 2, 1, 2, 1, 3};
    ASSERT_EQ(ReadError(image, OneFrameGif(3, 4, 2, codes.Pack(), 0x40)), "");
    const Bytes p = Pixels();
    // File rows 0,1,2,3 go to rows 0,2,1,3.
    const int rows[4] = {0, 2, 1, 3};
    for (int i = 0; i < 4; ++i)
        for (int x = 0; x < 3; ++x) {
            std::size_t at = std::size_t(i * 3 + x);
            std::uint8_t want = at < linear.size() ? linear[at] : 0;
            EXPECT_EQ(p[std::size_t(rows[i] * 3 + x)], want) << i << "," << x;
        }
}

TEST_F(DecoderFixture, FullTableWithoutClearKeepsTwelveBitCodes)
{
    LzwCodes codes(8);
    codes.Clear();
    Bytes expected;
    for (int i = 0; i < 3839; ++i) {  // the first adds nothing, the rest fill 258..4095
        codes.Code(i % 2 ? 10 : 20);
        expected.push_back(i % 2 ? 10 : 20);
    }
    EXPECT_EQ(codes.Width(), 12);
    for (int i = 0; i < 50; ++i) {
        codes.Code(i);
        expected.push_back(std::uint8_t(i));
    }
    codes.Code(258);  // still the first string: 20 10
    expected.push_back(20);
    expected.push_back(10);
    codes.End();
    ASSERT_EQ(ReadError(image, OneFrameGif(int(expected.size()), 1, 8, codes.Pack(), 0, 8)), "");
    EXPECT_EQ(Pixels(), expected);
}

TEST_F(DecoderFixture, StringInProgressIsPreviousPlusItsFirstPixel)
{
    LzwCodes codes(2);
    codes.Clear().Code(1).Code(6).Code(7).End();  // 1, 11, 111
    ASSERT_EQ(ReadError(image, OneFrameGif(6, 1, 2, codes.Pack())), "");
    EXPECT_EQ(Pixels(), Bytes(6, 1));
}

TEST_F(DecoderFixture, ExtraSubBlocksAfterTheEndCodeAreSkipped)
{
    LzwCodes codes(2);
    codes.Clear().Code(2).End();
    Bytes data = codes.Pack();
    data.insert(data.end(), 300, 0x55);  // two more sub-blocks of junk
    ByteBuilder b = GifHeader(1, 1, 2);
    ImageDescriptor(b, 0, 0, 1, 1).Add({2}).SubBlocks(data);
    ImageDescriptor(b, 0, 0, 1, 1).Add({2}).SubBlocks(codes.Pack()).Add({0x3B});
    ASSERT_EQ(ReadError(image, b.bytes), "");
    EXPECT_EQ(image.Images().Count(), 2);
}

TEST_F(DecoderFixture, MorePixelDataThanTheFrameIsSkipped)
{
    // All pixels are decoded before the data ends; the next frame still reads.
    LzwCodes codes(2);
    codes.Clear().Code(1).Code(2).Code(3).Code(1).End();
    ByteBuilder b = GifHeader(2, 1, 2);
    ImageDescriptor(b, 0, 0, 2, 1).Add({2}).SubBlocks(codes.Pack());
    LzwCodes second(2);
    second.Clear().Code(6 - 6 + 3).Code(3).End();
    ImageDescriptor(b, 0, 0, 2, 1).Add({2}).SubBlocks(second.Pack()).Add({0x3B});
    ASSERT_EQ(ReadError(image, b.bytes), "");
    ASSERT_EQ(image.Images().Count(), 2);
    EXPECT_EQ(Pixels(0), (Bytes{1, 2}));
    EXPECT_EQ(Pixels(1), (Bytes{3, 3}));

    // A long string cut by the frame's end (the table string 1 2 3 1 covers 2 pixels only).
    LzwCodes cut(2);
    cut.Clear().Code(1).Code(1).Code(6).End();  // 1, 1, 11
    ByteBuilder c = GifHeader(3, 1, 2);
    ImageDescriptor(c, 0, 0, 3, 1).Add({2}).SubBlocks(cut.Pack());
    ImageDescriptor(c, 0, 0, 2, 1).Add({2}).SubBlocks(second.Pack()).Add({0x3B});
    TGIFImage other;
    ASSERT_EQ(ReadError(other, c.bytes), "");
    EXPECT_EQ(other.Images().Count(), 2);
}

TEST_F(DecoderFixture, CodeEndingExactlyAtTheBlockEndIsReturned)
{
    // Data without the end code whose last code ends on the last bit before
    // the terminator: the last pixel comes out.
    LzwCodes codes(2);
    codes.Clear().Code(1).Code(2).Code(3).Code(1);  // 4 codes x 3 bits + 4 bits = 2 bytes
    Bytes data = codes.Pack();
    ASSERT_EQ(data.size(), 2u);
    ASSERT_EQ(ReadError(image, OneFrameGif(4, 1, 2, data)), "");
    EXPECT_EQ(Pixels(), (Bytes{1, 2, 3, 1}));
    // The same across two sub-blocks of one byte each.
    TGIFImage split;
    ByteBuilder b = GifHeader(4, 1, 2);
    ImageDescriptor(b, 0, 0, 4, 1).Add({2, 1, data[0], 1, data[1], 0, 0x3B});
    ASSERT_EQ(ReadError(split, b.bytes), "");
    EXPECT_EQ(Bytes(split.Images()[0]->Pixels(), split.Images()[0]->Pixels() + 4), (Bytes{1, 2, 3, 1}));
}

TEST_F(DecoderFixture, CorruptTablesRaiseCircularEntry)
{
    // Slot 7 gets itself as prefix.
    LzwCodes self(2);
    self.Clear().Code(1).Code(7).Code(0).Code(7).End();
    // Slots 6 and 7 point at each other.
    LzwCodes pair(2);
    pair.Clear().Code(7).Code(6).Code(0).Code(6).End();
    for (const Bytes& data : {self.Pack(), pair.Pack()}) {
        TGIFImage corrupt;
        ByteBuilder b = GifHeader(8, 2, 2);
        ImageDescriptor(b, 0, 0, 2, 1).Add({2}).SubBlocks(LzwCodes(2).Clear().Code(1).Code(1).End().Pack());
        ImageDescriptor(b, 0, 0, 8, 2).Add({2}).SubBlocks(data).Add({0x3B});
        EXPECT_EQ(ReadError(corrupt, b.bytes), "Circular decoder table entry");
        EXPECT_EQ(corrupt.Images().Count(), 1);  // the frames before the failure stay
    }
}

TEST_F(DecoderFixture, CodesBeyondTheTableDecodeWithoutError)
{
    LzwCodes codes(2);
    codes.Clear().Code(2).Code(7).Code(3).End();  // 7 is beyond the next code 6
    ASSERT_EQ(ReadError(image, OneFrameGif(4, 2, 2, codes.Pack())), "");
}

}  // namespace
