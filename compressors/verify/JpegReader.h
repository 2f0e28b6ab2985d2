#pragma once
// One libjpeg-turbo decompressor over a JPEG in memory, its fatal errors
// turned into a failed step (Failure() says why) and its corrupt-data
// warnings counted. The header is read on construction; the caller may then
// set decoding parameters on Info() before Start().

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <span>

#include <jpeglib.h>

// The orientation (1 to 8) an APP1 Exif segment's payload declares; 1 when it
// declares none or one out of range.
int ExifOrientation(std::span<const std::uint8_t> app1);

class TJpegReader {
public:
    explicit TJpegReader(std::span<const std::uint8_t> bytes);
    ~TJpegReader();
    TJpegReader(const TJpegReader&) = delete;
    TJpegReader& operator=(const TJpegReader&) = delete;

    bool Failed() const { return failed_; }
    const char* Failure() const { return errors_.message; }  // libjpeg-turbo's message
    int Warnings() const { return errors_.warnings; }
    int Orientation() const { return orientation_; }  // of the first Exif segment, 1 to 8
    bool TooLarge() const;                             // more than kMaxCheckedPixels pixels
    jpeg_decompress_struct& Info() { return info_; }

    // Each step returns false, and every later one too, once libjpeg-turbo
    // has met a fatal error.
    bool Start();
    bool ReadRows(JSAMPARRAY rows, JDIMENSION count);
    bool ReadRaw(JSAMPIMAGE planes, JDIMENSION lines);  // one band of Info().max_v_samp_factor blocks
    bool Finish();

private:
    struct TErrors {
        jpeg_error_mgr base;
        std::jmp_buf jump;
        int warnings = 0;
        char message[JMSG_LENGTH_MAX] = "";
    };
    static void Fail(j_common_ptr info);
    static void Message(j_common_ptr info, int level);
    void ReadHeader(std::span<const std::uint8_t> bytes);

    jpeg_decompress_struct info_{};
    TErrors errors_{};
    bool created_ = false;
    bool failed_ = false;
    int orientation_ = 1;
};
