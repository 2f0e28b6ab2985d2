#pragma once
// The extension classes: graphic control, plain text, comment, application
// (unknown ones kept verbatim) and the NETSCAPE2.0 loop.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gif/GIFExtension.h"

class TGIFGraphicControlExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass ClassInfo;  // label 0xF9
    explicit TGIFGraphicControlExtension(TGIFSubImage* frame);
    ~TGIFGraphicControlExtension() override;
    const TGIFExtensionClass& Class() const override { return ClassInfo; }

    std::uint8_t BlockSize() const { return fRecord[0]; }
    std::uint8_t PackedFields() const { return fRecord[1]; }
    bool TransparentFlag() const { return fRecord[1] & 1; }
    // Also sets or clears the frame's transparent mark.
    void SetTransparentFlag(bool on);
    bool WaitForInput() const { return fRecord[1] & 2; }
    void SetWaitForInput(bool on);
    int DisposalMethod() const { return (fRecord[1] >> 2) & 7; }
    void SetDisposalMethod(int method);
    int DelayTime() const { return fRecord[2] | (fRecord[3] << 8); }
    void SetDelayTime(int hundredths);
    int TransparentIndex() const { return fRecord[4]; }
    // Outside a non-empty effective map: warning "Invalid color index", stores 0.
    void SetTransparentIndex(int index);
    // Stores the index without any check (remapping).
    void StoreTransparentIndex(std::uint8_t index) { fRecord[4] = index; }
    // The 6-byte record in file layout (size, packed, delay lo/hi, index, terminator).
    const std::array<std::uint8_t, 6>& Record() const { return fRecord; }

protected:
    void ReadBody(TStream& stream) override;
    void WriteBody(TStream& stream) override;

private:
    std::array<std::uint8_t, 6> fRecord{4, 0, 0, 0, 0, 0};
};

// Data sub-blocks as lines: each sub-block reads as one line (cut at a zero byte);
// writing cuts lines into pieces of at most 255 bytes and ends with 0x00.
void ReadLines(TStream& stream, std::vector<std::string>& lines);
void WriteLines(TStream& stream, const std::vector<std::string>& lines);

class TGIFTextExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass ClassInfo;  // label 0x01
    explicit TGIFTextExtension(TGIFSubImage* frame) : TGIFExtension(frame) {}
    const TGIFExtensionClass& Class() const override { return ClassInfo; }

    // 13-byte record in file layout: block size (12), grid left, top, width,
    // height (16-bit LE each), cell width, cell height, foreground, background.
    std::array<std::uint8_t, 13> Record{12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<std::string> Lines;

    int GridLeft() const { return Record[1] | (Record[2] << 8); }
    int GridTop() const { return Record[3] | (Record[4] << 8); }
    int GridWidth() const { return Record[5] | (Record[6] << 8); }
    int GridHeight() const { return Record[7] | (Record[8] << 8); }
    int CellWidth() const { return Record[9]; }
    int CellHeight() const { return Record[10]; }
    int ForegroundIndex() const { return Record[11]; }
    int BackgroundIndex() const { return Record[12]; }

protected:
    void ReadBody(TStream& stream) override;
    void WriteBody(TStream& stream) override;
};

class TGIFCommentExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass ClassInfo;  // label 0xFE
    explicit TGIFCommentExtension(TGIFSubImage* frame) : TGIFExtension(frame) {}
    const TGIFExtensionClass& Class() const override { return ClassInfo; }
    std::vector<std::string> Lines;

protected:
    void ReadBody(TStream& stream) override;
    void WriteBody(TStream& stream) override;
};

// Application extension: 11-byte identifier (8 bytes + 3-byte authentication
// code), then a payload read and written by the subclass.
class TGIFApplicationExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass ClassInfo;  // label 0xFF
    explicit TGIFApplicationExtension(TGIFSubImage* frame) : TGIFExtension(frame) {}
    const TGIFExtensionClass& Class() const override { return ClassInfo; }
    TGIFAppIdentifier AppIdentifier{};
    std::string AppIdentifierText() const { return std::string(AppIdentifier.begin(), AppIdentifier.end()); }

    // The base class has no payload: "Unsupported Application Extension block size".
    virtual void ReadPayload(TStream& stream);
    // The base class writes only the terminator.
    virtual void WritePayload(TStream& stream);

protected:
    void ReadBody(TStream& stream) override;
    void WriteBody(TStream& stream) override;
};

// An application extension nobody registered: its sub-blocks kept verbatim.
class TGIFUnknownAppExtension : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass ClassInfo;
    explicit TGIFUnknownAppExtension(TGIFSubImage* frame) : TGIFApplicationExtension(frame) {}
    const TGIFExtensionClass& Class() const override { return ClassInfo; }
    // The data sub-blocks in order (each 1..255 bytes).
    std::vector<std::vector<std::uint8_t>> Blocks;
    void ReadPayload(TStream& stream) override;
    void WritePayload(TStream& stream) override;
};

// NETSCAPE2.0 (and ANIMEXTS1.0): loop count and buffering size.
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass ClassInfo;
    explicit TGIFAppExtNSLoop(TGIFSubImage* frame);
    const TGIFExtensionClass& Class() const override { return ClassInfo; }
    std::uint16_t LoopCount = 0;      // 0 = forever
    std::uint32_t BufferingSize = 0;  // written only when not 0
    void ReadPayload(TStream& stream) override;
    void WritePayload(TStream& stream) override;
};
