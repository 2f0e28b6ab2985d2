#pragma once
// The extension classes with fixed labels: graphic control, plain text and
// comment (application extensions: GIFAppExtensions.h).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gif/GIFExtension.h"

class TGIFGraphicControlExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass ClassInfo;  // label 0xF9
    const TGIFExtensionClass& Class() const override { return ClassInfo; }

    std::uint8_t PackedFields() const { return fRecord[1]; }
    bool TransparentFlag() const { return fRecord[1] & 1; }
    // Also sets or clears the transparency mark.
    void SetTransparentFlag(bool on);
    // Whether the frame counts as transparent: the flag as last set, or as
    // read from a whole block (a block cut short leaves the mark clear).
    bool TransparencyMark() const { return fMarked; }
    void SetTransparencyMark(bool on) { fMarked = on; }
    bool WaitForInput() const { return fRecord[1] & 2; }
    int DisposalMethod() const { return (fRecord[1] >> 2) & 7; }
    void SetDisposalMethod(int method);
    int DelayTime() const { return fRecord[2] | (fRecord[3] << 8); }
    void SetDelayTime(int hundredths);
    int TransparentIndex() const { return fRecord[4]; }
    void SetTransparentIndex(int index) { fRecord[4] = std::uint8_t(index); }
    void StoreTransparentIndex(std::uint8_t index) { fRecord[4] = index; }

protected:
    void ReadBody(TStream& stream) override;
    void WriteBody(TStream& stream) override;

private:
    // In file layout: block size, packed fields, delay (little-endian), transparent index, terminator.
    std::array<std::uint8_t, 6> fRecord{4, 0, 0, 0, 0, 0};
    bool fMarked = false;
};

// Data sub-blocks as lines: each sub-block reads as one line (cut at a zero byte);
// writing cuts lines into pieces of at most 255 bytes and ends with 0x00.
void ReadLines(TStream& stream, std::vector<std::string>& lines);
void WriteLines(TStream& stream, const std::vector<std::string>& lines);

class TGIFTextExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass ClassInfo;  // label 0x01
    const TGIFExtensionClass& Class() const override { return ClassInfo; }

    // 13-byte record in file layout: block size (12), grid left, top, width,
    // height (16-bit LE each), cell width, cell height, foreground, background.
    std::array<std::uint8_t, 13> Record{12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<std::string> Lines;

    int GridWidth() const { return Record[5] | (Record[6] << 8); }
    int CellHeight() const { return Record[10]; }

protected:
    void ReadBody(TStream& stream) override;
    void WriteBody(TStream& stream) override;
};

class TGIFCommentExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass ClassInfo;  // label 0xFE
    const TGIFExtensionClass& Class() const override { return ClassInfo; }
    std::vector<std::string> Lines;

protected:
    void ReadBody(TStream& stream) override;
    void WriteBody(TStream& stream) override;
};
