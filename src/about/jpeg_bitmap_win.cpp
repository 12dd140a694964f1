#include "about/jpeg_bitmap_win.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace {

// libjpeg's default error handler calls exit(): ours jumps back to the decoder instead.
struct JumpingErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JumpingErrorManager*>(info->err)->jump, 1);
}

// Warnings (a truncated file, say) are not worth a word on stderr.
void Quiet(j_common_ptr) {}

constexpr JDIMENSION MaxSide = 4096;

struct Pixels {
    int width = 0;
    int height = 0;
    size_t stride = 0;
    std::vector<uint8_t> rows;
};

// No object with a destructor may live in this frame: a longjmp out of libjpeg would skip
// it. The pixels live in the caller's frame.
bool ReadJpeg(const uint8_t* data, size_t size, Pixels& out)
{
    jpeg_decompress_struct info;
    JumpingErrorManager errors;
    std::memset(&info, 0, sizeof(info));
    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = JumpBack;
    errors.pub.output_message = Quiet;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    // A damaged header may claim gigapixels: no allocation of that size.
    if (info.image_width > MaxSide || info.image_height > MaxSide) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    // libjpeg-turbo writes GDI's byte order itself, from colour and grey pictures alike.
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    // DIB rows are DWORD-aligned.
    out.stride = (static_cast<size_t>(out.width) * 3 + 3) & ~size_t{3};
    out.rows.assign(out.stride * info.output_height, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.rows.data() + out.stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

UniqueGdiObject DecodeJpegBitmap(std::span<const uint8_t> bytes)
{
    Pixels pixels;
    if (bytes.empty() || !ReadJpeg(bytes.data(), bytes.size(), pixels)) return {};

    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = pixels.width;
    bmi.bmiHeader.biHeight = -pixels.height;  // top-down, as libjpeg delivers the rows
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueGdiObject bitmap(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return {};
    std::memcpy(bits, pixels.rows.data(), pixels.rows.size());
    return bitmap;
}
