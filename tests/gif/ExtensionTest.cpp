// Extensions: byte layouts read and written back exactly, registries, and
// the reading errors.
#include <gtest/gtest.h>

#include "gif/GIFExtensionRegistry.h"
#include "tests/gifsupport/GIFTestSupport.h"

namespace {

struct ExtensionFixture : ImageFixture {
    TGIFSubImage* frame = nullptr;
    void SetUp() override
    {
        ImageFixture::SetUp();
        frame = image.Images().Add(image.NewFrame());
    }
    // Reads one extension from bytes (introducer on) with the resolved class.
    TGIFExtension* Read(const Bytes& bytes)
    {
        TMemoryView view(bytes);
        view.Seek(1);
        const TGIFExtensionClass* cls = ResolveExtensionClass(view);
        EXPECT_EQ(view.Position(), 1);
        if (!cls) return nullptr;
        view.Seek(0);
        auto extension = cls->Create();
        extension->ReadFrom(view);
        return frame->Extensions().Add(std::move(extension));
    }
    static Bytes Write(TGIFExtension* extension)
    {
        TMemoryStream out;
        extension->WriteTo(out);
        return out.Bytes();
    }
    static std::string Error(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const GIFException& e) {
            return e.what();
        }
        return "";
    }
};

Bytes WithIdentifier(const char* identifier, const Bytes& payload)
{
    ByteBuilder b;
    b.Add({0x21, 0xFF, 0x0B}).Text(identifier).Append(payload);
    return b.bytes;
}

TEST_F(ExtensionFixture, GraphicControlRoundTripMarksFrameTransparent)
{
    const Bytes bytes{0x21, 0xF9, 0x04, 0x05, 0x0A, 0x00, 0x03, 0x00};
    auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(Read(bytes));
    ASSERT_NE(gce, nullptr);
    EXPECT_TRUE(gce->TransparentFlag());
    EXPECT_EQ(gce->DisposalMethod(), 1);
    EXPECT_EQ(gce->DelayTime(), 10);
    EXPECT_EQ(gce->TransparentIndex(), 3);
    EXPECT_TRUE(frame->Transparent());
    EXPECT_EQ(frame->GraphicControl(), gce);
    EXPECT_EQ(Write(gce), bytes);
    // A damaged block size or terminator is read as 6 bytes and written back
    // in the sound form.
    EXPECT_EQ(Write(Read({0x21, 0xF9, 0x05, 0x00, 0x01, 0x00, 0x00, 0x00})),
              (Bytes{0x21, 0xF9, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Write(Read({0x21, 0xF9, 0x07, 0x08, 0x01, 0x00, 0x02, 0x33})),
              (Bytes{0x21, 0xF9, 0x04, 0x08, 0x01, 0x00, 0x02, 0x00}));
}

TEST_F(ExtensionFixture, ShortGraphicControlMarksNothingAndIsWrittenSound)
{
    auto* gce = Read({0x21, 0xF9, 0x04, 0x01});
    EXPECT_TRUE(static_cast<TGIFGraphicControlExtension*>(gce)->TransparentFlag());  // the bytes that came
    EXPECT_FALSE(frame->Transparent());
    EXPECT_EQ(Write(gce).size(), 8u);
    EXPECT_EQ(Write(gce)[2], 0x04);
    EXPECT_EQ(Write(gce)[7], 0x00);
}

TEST_F(ExtensionFixture, NetscapeLoopAndAnimexts)
{
    const Bytes loop = WithIdentifier("NETSCAPE2.0", {0x03, 0x01, 0x00, 0x00, 0x00});
    auto* ns = dynamic_cast<TGIFAppExtNSLoop*>(Read(loop));
    ASSERT_NE(ns, nullptr);
    EXPECT_EQ(ns->LoopCount, 0);
    EXPECT_EQ(Write(ns), loop);

    const Bytes withBuffer =
        WithIdentifier("ANIMEXTS1.0", {0x03, 0x01, 0x05, 0x00, 0x05, 0x02, 0x10, 0x20, 0, 0, 0x00});
    auto* anim = dynamic_cast<TGIFAppExtNSLoop*>(Read(withBuffer));
    ASSERT_NE(anim, nullptr);
    EXPECT_EQ(anim->LoopCount, 5);
    EXPECT_EQ(anim->BufferingSize, 0x2010u);
    EXPECT_EQ(anim->AppIdentifierText(), "ANIMEXTS1.0");
    EXPECT_EQ(Write(anim), withBuffer);

    // Without a terminator the payload ends with the stream.
    auto* open = dynamic_cast<TGIFAppExtNSLoop*>(Read(WithIdentifier("NETSCAPE2.0", {0x03, 0x01, 0x07, 0x00})));
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->LoopCount, 7);

    EXPECT_EQ(Error([&] { Read(WithIdentifier("NETSCAPE2.0", {0x02, 0x01, 0x07, 0x00})); }), "Invalid GIF data");
    EXPECT_EQ(Error([&] { Read(WithIdentifier("NETSCAPE2.0", {0x04, 0x02, 1, 2, 3, 0x00})); }), "Invalid GIF data");
    EXPECT_EQ(Error([&] { Read(WithIdentifier("NETSCAPE2.0", {0x03, 0x01, 0x07})); }), "Premature end of data");
}

TEST_F(ExtensionFixture, UnknownApplicationDataIsKeptVerbatim)
{
    const Bytes xmp = WithIdentifier("XMP DataXMP", {0x03, 'a', 'b', 'c', 0x01, 0x00, 0x00});
    auto* unknown = dynamic_cast<TGIFUnknownAppExtension*>(Read(xmp));
    ASSERT_NE(unknown, nullptr);
    ASSERT_EQ(unknown->Blocks.size(), 2u);
    EXPECT_EQ(unknown->Blocks[1], Bytes{0});
    EXPECT_EQ(Write(unknown), xmp);

    // A 10-byte identifier block reads as unknown, written back with 11 bytes.
    ByteBuilder ten;
    ten.Add({0x21, 0xFF, 0x0A}).Text("ABCDEFGHIJ").Add({0x01, 0x09, 0x00});
    auto* short_id = dynamic_cast<TGIFUnknownAppExtension*>(Read(ten.bytes));
    ASSERT_NE(short_id, nullptr);
    ByteBuilder expected;
    expected.Add({0x21, 0xFF, 0x0B}).Text("ABCDEFGHIJ").Add({0x00, 0x01, 0x09, 0x00});
    EXPECT_EQ(Write(short_id), expected.bytes);
}

TEST_F(ExtensionFixture, ShortApplicationIdentifiersArePaddedAndKeepTheirPayload)
{
    // Block sizes 0 to 9: that many identifier bytes, padded with zero bytes.
    for (int size : {0, 5, 9}) {
        SCOPED_TRACE(size);
        ByteBuilder b;
        b.Add({0x21, 0xFF, size}).Text(std::string("TILESET01").substr(0, std::size_t(size))).Add({0x02, 7, 8, 0x00});
        auto* unknown = dynamic_cast<TGIFUnknownAppExtension*>(Read(b.bytes));
        ASSERT_NE(unknown, nullptr);
        TGIFAppIdentifier expected{};
        for (int i = 0; i < size; ++i) expected[std::size_t(i)] = std::uint8_t("TILESET01"[i]);
        EXPECT_EQ(unknown->AppIdentifier, expected);
        ASSERT_EQ(unknown->Blocks.size(), 1u);
        EXPECT_EQ(unknown->Blocks[0], (Bytes{7, 8}));
        // Written with the 11-byte identifier block, which reads back the same.
        auto* again = dynamic_cast<TGIFUnknownAppExtension*>(Read(Write(unknown)));
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(again->AppIdentifier, expected);
        EXPECT_EQ(again->Blocks, unknown->Blocks);
    }
}

TEST_F(ExtensionFixture, ApplicationBlockSizesAboveElevenFail)
{
    ByteBuilder large;
    large.Add({0x21, 0xFF, 0x0C}).Text("NETSCAPE2.0").Add({0x7F, 0x03, 0x01, 0x00, 0x00, 0x00});
    EXPECT_EQ(Error([&] { Read(large.bytes); }), "Unsupported Application Extension block size");
    EXPECT_EQ(frame->Extensions().Count(), 0);
    // A short identifier cut by the end of the stream resolves to no class.
    EXPECT_EQ(Read({0x21, 0xFF, 0x09, 'A', 'B'}), nullptr);
}

TEST_F(ExtensionFixture, CommentLinesAreSubBlocks)
{
    ByteBuilder b;
    b.Add({0x21, 0xFE, 10}).Text(std::string(10, 'x')).Add({20}).Text(std::string(20, 'y')).Add({0});
    auto* comment = dynamic_cast<TGIFCommentExtension*>(Read(b.bytes));
    ASSERT_NE(comment, nullptr);
    ASSERT_EQ(comment->Lines.size(), 2u);
    EXPECT_EQ(comment->Lines[1], std::string(20, 'y'));
    EXPECT_EQ(Write(comment), b.bytes);

    comment->Lines = {std::string(300, 'z'), ""};
    Bytes long_line = Write(comment);
    ASSERT_EQ(long_line.size(), 2u + 1 + 255 + 1 + 45 + 1);
    EXPECT_EQ(long_line[2], 255);
    EXPECT_EQ(long_line[2 + 256], 45);
    EXPECT_EQ(long_line.back(), 0);

    // A zero byte inside a sub-block cuts the line.
    auto* cut = dynamic_cast<TGIFCommentExtension*>(Read({0x21, 0xFE, 3, 'a', 0, 'b', 0}));
    EXPECT_EQ(cut->Lines.at(0), "a");
}

TEST_F(ExtensionFixture, PlainTextRecordAndLines)
{
    ByteBuilder b;
    b.Add({0x21, 0x01, 12}).Word(1).Word(2).Word(30).Word(40).Add({8, 16, 1, 0});
    b.Add({5}).Text("hello").Add({0});
    auto* text = dynamic_cast<TGIFTextExtension*>(Read(b.bytes));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GridWidth(), 30);
    EXPECT_EQ(text->CellHeight(), 16);
    EXPECT_EQ(text->Lines, std::vector<std::string>{"hello"});
    EXPECT_EQ(Write(text), b.bytes);
    EXPECT_EQ(Error([&] { Read({0x21, 0x01, 12, 0, 0}); }), "Premature end of data");
}

TEST_F(ExtensionFixture, ReadChecksIntroducerAndLabel)
{
    TGIFCommentExtension comment;
    const Bytes wrongIntroducer{0x20, 0xFE, 0};
    TMemoryView a(wrongIntroducer);
    EXPECT_EQ(Error([&] { comment.ReadFrom(a); }), "Invalid extension introducer");
    const Bytes wrongLabel{0x21, 0xF9, 0};
    TMemoryView b(wrongLabel);
    EXPECT_EQ(Error([&] { comment.ReadFrom(b); }), "Internal error: Extension Instance does not match Extension Label");
}

TEST_F(ExtensionFixture, RegistriesResolveLabelsAndIdentifiers)
{
    EXPECT_EQ(FindExtensionClass(0xF9), &TGIFGraphicControlExtension::ClassInfo);
    EXPECT_EQ(FindExtensionClass(0x02), nullptr);
    EXPECT_EQ(FindAppExtensionClass(MakeAppIdentifier("ANIMEXTS1.0")), &TGIFAppExtNSLoop::ClassInfo);
    const Bytes none{};
    TMemoryView empty(none);
    EXPECT_EQ(ResolveExtensionClass(empty), nullptr);
    // An application block whose 10-byte identifier is cut short resolves to no class.
    const Bytes cut{0xFF, 0x0A, 'A', 'B'};
    TMemoryView cutView(cut);
    EXPECT_EQ(ResolveExtensionClass(cutView), nullptr);
}

}  // namespace
