#include "compressors/verify/ImageLibraries.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>

namespace {

#define QWO_TEXT(x) #x
#define QWO_NUMBER(x) QWO_TEXT(x)

constexpr const char* kPngLibrary = "libpng" QWO_NUMBER(PNG_LIBPNG_VER_DLLNUM) ".so." QWO_NUMBER(PNG_LIBPNG_VER_SONUM);
constexpr const char* kJpegLibrary = "libjpeg.so." QWO_NUMBER(JPEG_LIB_VERSION);

class TLibrary {
public:
    explicit TLibrary(const char* soname) : soname_(soname), handle_(::dlopen(soname, RTLD_NOW | RTLD_LOCAL))
    {
        if (!handle_) throw std::runtime_error(std::string("Cannot load ") + soname_ + ": " + ::dlerror());
    }

    template <typename Call>
    void Bind(Call& call, const std::string& name) const
    {
        void* symbol = ::dlsym(handle_, name.c_str());
        if (!symbol) throw std::runtime_error(std::string("Cannot load ") + soname_ + ": no " + name);
        call = reinterpret_cast<Call>(symbol);
    }

private:
    const char* soname_;
    void* handle_;  // never closed: the calls stay valid for the process
};

TPngCalls OpenPng()
{
    const TLibrary library(kPngLibrary);
    TPngCalls calls{};
#define QWO_BIND(name) library.Bind(calls.name, "png_" #name)
    QWO_BIND(sig_cmp), QWO_BIND(create_read_struct), QWO_BIND(create_info_struct), QWO_BIND(destroy_read_struct);
    QWO_BIND(set_longjmp_fn), QWO_BIND(longjmp), QWO_BIND(error), QWO_BIND(get_error_ptr), QWO_BIND(get_io_ptr);
    QWO_BIND(set_read_fn), QWO_BIND(read_info), QWO_BIND(get_image_width), QWO_BIND(get_image_height);
    QWO_BIND(set_expand), QWO_BIND(set_gray_to_rgb), QWO_BIND(get_color_type), QWO_BIND(get_valid);
    QWO_BIND(set_filler), QWO_BIND(set_interlace_handling), QWO_BIND(read_update_info), QWO_BIND(get_bit_depth);
    QWO_BIND(get_rowbytes), QWO_BIND(read_row), QWO_BIND(read_end);
#undef QWO_BIND
    return calls;
}

TJpegCalls OpenJpeg()
{
    const TLibrary library(kJpegLibrary);
    TJpegCalls calls{};
#define QWO_BIND(name) library.Bind(calls.name, "jpeg_" #name)
    QWO_BIND(std_error), QWO_BIND(CreateDecompress), QWO_BIND(destroy_decompress), QWO_BIND(mem_src);
    QWO_BIND(save_markers), QWO_BIND(read_header), QWO_BIND(start_decompress), QWO_BIND(read_scanlines);
    QWO_BIND(read_raw_data);
    QWO_BIND(finish_decompress);
#undef QWO_BIND
    return calls;
}

}  // namespace

const TPngCalls& PngCalls()
{
    static const TPngCalls calls = OpenPng();
    return calls;
}

const TJpegCalls& JpegCalls()
{
    static const TJpegCalls calls = OpenJpeg();
    return calls;
}
