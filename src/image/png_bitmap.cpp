#include "image/png_bitmap.h"

#include "image/picture_scaling.h"

#include <cstring>

TBitmapHandle CreatePaletteBitmap(const TPNGImage& image) {
    if (image.Empty()) return TBitmapHandle();
    struct {
        BITMAPINFOHEADER Header;
        RGBQUAD Colors[256];
    } info{};
    // A colour table longer than the bit count can address is not valid in
    // a DIB; such extra entries could never be shown anyway.
    const size_t colours = image.Palette.size() < (size_t(1) << image.BitsPerPixel)
                               ? image.Palette.size()
                               : size_t(1) << image.BitsPerPixel;
    info.Header.biSize = sizeof info.Header;
    info.Header.biWidth = LONG(image.Width);
    info.Header.biHeight = LONG(image.Height); // bottom-up, the layout every GDI call accepts
    info.Header.biPlanes = 1;
    info.Header.biBitCount = WORD(image.BitsPerPixel);
    info.Header.biCompression = BI_RGB;
    info.Header.biClrUsed = DWORD(colours);
    for (size_t i = 0; i < colours; ++i) {
        info.Colors[i].rgbRed = image.Palette[i].Red;
        info.Colors[i].rgbGreen = image.Palette[i].Green;
        info.Colors[i].rgbBlue = image.Palette[i].Blue;
    }

    void* bits = nullptr;
    TBitmapHandle bitmap(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                          DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return TBitmapHandle();
    auto* out = static_cast<uint8_t*>(bits);
    for (uint32_t y = 0; y < image.Height; ++y)
        std::memcpy(out + size_t(image.Height - 1 - y) * image.Stride, image.ScanLine(y),
                    image.Stride);
    return bitmap;
}

TBitmapHandle CreateScaledBitmap(const TPNGImage& image, int dpi) {
    if (dpi == 96) return CreatePaletteBitmap(image);
    const int width = MulDiv(int(image.Width), dpi, 96),
              height = MulDiv(int(image.Height), dpi, 96);
    if (image.Empty() || width <= 0 || height <= 0) return TBitmapHandle();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, as the rows come
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    TBitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return TBitmapHandle();
    // Drawn straight into the bitmap's own memory: scaling takes none.
    ScalePicture(image, uint32_t(width), uint32_t(height), static_cast<uint32_t*>(bits));
    return bitmap;
}

bool LoadPngResource(HMODULE module, const char* name, TBitmapHandle& bitmap, int dpi) {
    HRSRC res = FindResourceA(module, name, "PNG");
    if (!res) return false;
    const DWORD size = SizeofResource(module, res);
    HGLOBAL loaded = LoadResource(module, res);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return false;

    TPNGImage image;
    if (!image.LoadFromStream(static_cast<const uint8_t*>(data), size)) return false;
    TBitmapHandle made = CreateScaledBitmap(image, dpi);
    if (!made) return false;
    bitmap = std::move(made);
    return true;
}

bool LoadPngResource(const char* name, TBitmapHandle& bitmap, int dpi) {
    return LoadPngResource(GetModuleHandleA(nullptr), name, bitmap, dpi);
}
