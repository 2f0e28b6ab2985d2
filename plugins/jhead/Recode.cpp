#include "plugins/jhead/Recode.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs size_t and FILE first.
#include <jpeglib.h>

#include "plugins/jhead/Failure.h"

namespace jhead {

namespace {

// libjpeg's errors jump back to the Guarded call they happened under; its
// warnings (damaged data) are counted, nothing is printed.
struct Errors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = "";

    Errors()
    {
        jpeg_std_error(&manager);
        manager.error_exit = [](j_common_ptr info) {
            auto* errors = reinterpret_cast<Errors*>(info->err);
            info->err->format_message(info, errors->message);
            std::longjmp(errors->jump, 1);
        };
        manager.emit_message = [](j_common_ptr info, int level) {
            if (level < 0) ++info->err->num_warnings;
        };
    }
};

// Runs `step` (libjpeg calls on plain data only: nothing to destroy when an
// error jumps out of it); false after a libjpeg error.
template <typename Step>
bool Guarded(Errors& errors, Step step)
{
    if (setjmp(errors.jump)) return false;
    step();
    return true;
}

}  // namespace

struct Recoder::State {
    Errors errors;
    jpeg_decompress_struct in{};
    jvirt_barray_ptr* coefficients = nullptr;
    bool created = false;
};

Recoder::Recoder(std::string_view source) : state_(std::make_unique<State>())
{
    State& s = *state_;
    s.in.err = &s.errors.manager;
    const bool read = Guarded(s.errors, [&] {
        jpeg_create_decompress(&s.in);
        s.created = true;
        jpeg_mem_src(&s.in, reinterpret_cast<const unsigned char*>(source.data()), source.size());
        jpeg_read_header(&s.in, TRUE);
        s.coefficients = jpeg_read_coefficients(&s.in);
    });
    if (!read) throw Failure(std::string("libjpeg cannot read the image: ") + s.errors.message);
}

Recoder::~Recoder()
{
    if (state_->created) jpeg_destroy_decompress(&state_->in);
}

int Recoder::ColourSpace() const
{
    return state_->in.jpeg_color_space;
}

std::optional<std::string> Recoder::Write(const std::vector<Segment>& sections)
{
    State& s = *state_;
    Errors errors;
    jpeg_compress_struct out{};
    out.err = &errors.manager;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    bool created = false;
    const bool written = Guarded(errors, [&] {
        jpeg_create_compress(&out);
        created = true;
        jpeg_mem_dest(&out, &buffer, &size);
        jpeg_copy_critical_parameters(&s.in, &out);
        out.optimize_coding = TRUE;
        // The source's own JFIF and Adobe sections are among `sections`.
        out.write_JFIF_header = FALSE;
        out.write_Adobe_marker = FALSE;
        if (s.in.progressive_mode) jpeg_simple_progression(&out);
        jpeg_write_coefficients(&out, s.coefficients);
        for (const Segment& section : sections)
            if (section.IsMetadata())
                jpeg_write_marker(&out, section.marker, reinterpret_cast<const JOCTET*>(section.payload.data()),
                                  static_cast<unsigned>(section.payload.size()));
        jpeg_finish_compress(&out);
    });
    const bool whole = written && Guarded(s.errors, [&] { jpeg_finish_decompress(&s.in); });
    std::optional<std::string> result;
    if (whole && s.errors.manager.num_warnings == 0) result.emplace(reinterpret_cast<const char*>(buffer), size);
    if (created) jpeg_destroy_compress(&out);
    std::free(buffer);
    return result;
}

int ColourSpaceOf(std::string_view bytes)
{
    Errors errors;
    jpeg_decompress_struct in{};
    in.err = &errors.manager;
    bool created = false;
    int space = -1;
    if (!Guarded(errors, [&] {
            jpeg_create_decompress(&in);
            created = true;
            jpeg_mem_src(&in, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
            jpeg_read_header(&in, TRUE);
            space = in.jpeg_color_space;
        }))
        space = -1;
    if (created) jpeg_destroy_decompress(&in);
    return space;
}

}  // namespace jhead
