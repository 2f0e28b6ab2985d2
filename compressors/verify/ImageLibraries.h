#pragma once
// libpng and libjpeg-turbo, opened when the first image of their kind is
// checked instead of at every start of the program: a run of GIFs (one
// process per file, as build tools call us) never maps them. They stay the
// system's shared libraries, so their security updates apply; each is opened
// once per process by the soname its headers give, and stays open.

#include <png.h>

#include <cstdio>  // jpeglib.h needs FILE

#include <jpeglib.h>

// The libpng calls the PNG check makes (png_NAME as NAME).
struct TPngCalls {
    decltype(&::png_sig_cmp) sig_cmp;
    decltype(&::png_create_read_struct) create_read_struct;
    decltype(&::png_create_info_struct) create_info_struct;
    decltype(&::png_destroy_read_struct) destroy_read_struct;
    decltype(&::png_set_longjmp_fn) set_longjmp_fn;
    decltype(&::png_longjmp) longjmp;
    decltype(&::png_error) error;
    decltype(&::png_get_error_ptr) get_error_ptr;
    decltype(&::png_get_io_ptr) get_io_ptr;
    decltype(&::png_set_read_fn) set_read_fn;
    decltype(&::png_read_info) read_info;
    decltype(&::png_get_image_width) get_image_width;
    decltype(&::png_get_image_height) get_image_height;
    decltype(&::png_set_expand) set_expand;
    decltype(&::png_set_gray_to_rgb) set_gray_to_rgb;
    decltype(&::png_get_color_type) get_color_type;
    decltype(&::png_get_valid) get_valid;
    decltype(&::png_set_filler) set_filler;
    decltype(&::png_set_interlace_handling) set_interlace_handling;
    decltype(&::png_read_update_info) read_update_info;
    decltype(&::png_get_bit_depth) get_bit_depth;
    decltype(&::png_get_rowbytes) get_rowbytes;
    decltype(&::png_read_row) read_row;
    decltype(&::png_read_end) read_end;
};

// The libjpeg calls the JPEG check makes (jpeg_NAME as NAME).
struct TJpegCalls {
    decltype(&::jpeg_std_error) std_error;
    decltype(&::jpeg_CreateDecompress) CreateDecompress;
    decltype(&::jpeg_destroy_decompress) destroy_decompress;
    decltype(&::jpeg_mem_src) mem_src;
    decltype(&::jpeg_save_markers) save_markers;
    decltype(&::jpeg_read_header) read_header;
    decltype(&::jpeg_start_decompress) start_decompress;
    decltype(&::jpeg_read_scanlines) read_scanlines;
    decltype(&::jpeg_read_raw_data) read_raw_data;
    decltype(&::jpeg_finish_decompress) finish_decompress;
};

// The library's calls, the library opened on the first call (thread-safe).
// Throws std::runtime_error naming the library when it cannot be opened or
// lacks a call; a later call tries again.
const TPngCalls& PngCalls();
const TJpegCalls& JpegCalls();
