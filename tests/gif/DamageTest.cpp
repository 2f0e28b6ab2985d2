// Damaged input: seeded truncations and byte changes of the corpus files.
// Every case must end in success or GIFException (no crash, hang or
// sanitizer report); what does read must also write and read back.
#include <gtest/gtest.h>

#include <random>

#include "tests/gifsupport/Corpus.h"
#include "tests/gifsupport/GIFTestSupport.h"

namespace {

// Reads bytes; on success writes with both encoders and reads the result again.
void Exercise(const Bytes& bytes, const std::string& what)
{
    TGIFImage image;
    try {
        image.LoadFromBytes(bytes);
    } catch (const GIFException&) {
        return;
    }
    for (int method : {0, 1}) {
        Bytes written;
        const std::string message = WriteError(image, method, written);
        if (!message.empty()) {
            EXPECT_TRUE(message == "Color not in color table" || message == "Unsupported GIF version")
                << what << ": " << message;
            return;
        }
        TGIFImage back;
        EXPECT_EQ(ReadError(back, written), "") << what;
    }
}

TEST(DamagedInput, SeededTruncationsAndByteChanges)
{
    const std::vector<std::string> files = CorpusFiles();
    ASSERT_FALSE(files.empty());
    std::vector<Bytes> contents;
    for (const std::string& path : files) contents.push_back(LoadFile(path));

    std::mt19937 random(20261207);
    int cases = 0;
    for (; cases < 400; ++cases) {
        const std::size_t pick = random() % contents.size();
        Bytes bytes = contents[pick];
        if (bytes.empty()) continue;
        const int kind = int(random() % 4);
        std::string what = CorpusName(files[pick]);
        if (kind == 0) {
            const std::size_t cut = random() % bytes.size();
            bytes.resize(cut);
            what += " cut at " + std::to_string(cut);
        } else if (kind == 1) {
            // Mostly in the first kilobyte, where the structure is.
            const std::size_t at = random() % std::min<std::size_t>(bytes.size(), 1024);
            bytes[at] ^= std::uint8_t(1 + random() % 255);
            what += " byte " + std::to_string(at);
        } else if (kind == 2) {
            for (int i = 0; i < 8; ++i) bytes[random() % bytes.size()] = std::uint8_t(random());
            what += " eight bytes";
        } else {
            const std::size_t at = random() % bytes.size();
            bytes.erase(bytes.begin() + long(at));
            what += " byte removed at " + std::to_string(at);
        }
        SCOPED_TRACE(what);
        Exercise(bytes, what);
    }
    EXPECT_EQ(cases, 400);
}

TEST(DamagedInput, EveryPrefixOfASmallAnimation)
{
    const Bytes bytes = LoadFile(std::string(QWO_CORPUS_DIR) + "/gif/giflib/doc-whatsinagif/sample_2_animation.gif");
    for (std::size_t n = 0; n <= bytes.size(); ++n)
        Exercise(Bytes(bytes.begin(), bytes.begin() + long(n)), std::to_string(n));
}

}  // namespace
