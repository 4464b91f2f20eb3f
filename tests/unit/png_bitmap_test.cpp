// The logos as bitmaps: the "PNG" resources of the real setup.exe become
// palette DIB sections that hold the same pixels and colours as the decoded
// files in resources/, and that GDI and a static control can show.
#include "image/png_bitmap.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Library {
    HMODULE Handle;
    ~Library() {
        if (Handle) FreeLibrary(Handle);
    }
};

struct MemoryDC {
    HDC Handle = CreateCompatibleDC(nullptr);
    ~MemoryDC() { DeleteDC(Handle); }
};

std::vector<uint8_t> ReadSourceFile(const char* relative) {
    const std::string path = std::string(QV_SOURCE_DIR) + "\\" + relative;
    std::vector<uint8_t> data;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            data.insert(data.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return data;
}

TPNGImage DecodeSourceFile(const char* relative) {
    const std::vector<uint8_t> file = ReadSourceFile(relative);
    TPNGImage image;
    EXPECT_TRUE(image.LoadFromStream(file.data(), file.size())) << relative;
    return image;
}

COLORREF PaletteColour(const TPNGImage& image, uint32_t x, uint32_t y) {
    const TPaletteEntry& e = image.Palette[image.PixelIndex(x, y)];
    return RGB(e.Red, e.Green, e.Blue);
}

// Bitmap and decoded picture must agree in size, colour table and every
// pixel's index; the DIB's rows run bottom-up.
void ExpectBitmapHolds(HBITMAP bitmap, const TPNGImage& image) {
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), int(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, LONG(image.Width));
    EXPECT_EQ(dib.dsBm.bmHeight, LONG(image.Height));
    EXPECT_EQ(dib.dsBm.bmBitsPixel, image.BitsPerPixel);
    EXPECT_EQ(dib.dsBmih.biHeight, LONG(image.Height)) << "bottom-up";
    ASSERT_EQ(size_t(dib.dsBm.bmWidthBytes), image.Stride);
    ASSERT_NE(dib.dsBm.bmBits, nullptr);

    MemoryDC dc;
    HGDIOBJ old = SelectObject(dc.Handle, bitmap);
    RGBQUAD table[256];
    const UINT colours = GetDIBColorTable(dc.Handle, 0, 256, table);
    // The table may be padded to the full 2, 16 or 256 entries.
    const size_t expected = std::min(image.Palette.size(), size_t(1) << image.BitsPerPixel);
    EXPECT_GE(colours, expected);
    for (UINT i = 0; i < colours && i < expected; ++i) {
        EXPECT_EQ(table[i].rgbRed, image.Palette[i].Red) << i;
        EXPECT_EQ(table[i].rgbGreen, image.Palette[i].Green) << i;
        EXPECT_EQ(table[i].rgbBlue, image.Palette[i].Blue) << i;
    }
    SelectObject(dc.Handle, old);

    const auto* bits = static_cast<const uint8_t*>(dib.dsBm.bmBits);
    for (uint32_t y = 0; y < image.Height; ++y) {
        const uint8_t* line = bits + size_t(image.Height - 1 - y) * image.Stride;
        ASSERT_EQ(0, std::memcmp(line, image.ScanLine(y), image.Stride)) << "row " << y;
    }
}

class PngBitmap : public testing::Test {
  protected:
    // The test program carries no logos; the product's setup.exe does.
    Library Setup{LoadLibraryExA(QV_SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE)};
};

TEST_F(PngBitmap, LogosOfSetupExeMatchTheirFiles) {
    ASSERT_NE(Setup.Handle, nullptr) << QV_SETUP_EXE;
    struct Logo {
        const char* name;
        const char* file;
        LONG width, height;
    };
    for (const Logo& logo : {Logo{"LOGO", "resources\\logo.png", 120, 260},
                             Logo{"LOGOSMALL", "resources\\logosmall.png", 32, 32}}) {
        SCOPED_TRACE(logo.name);
        const TPNGImage image = DecodeSourceFile(logo.file);
        ASSERT_FALSE(image.Empty());
        TBitmapHandle bitmap;
        ASSERT_TRUE(LoadPngResource(Setup.Handle, logo.name, bitmap));
        ASSERT_NE(bitmap.Get(), nullptr);
        BITMAP bm{};
        ASSERT_EQ(GetObjectA(bitmap.Get(), sizeof bm, &bm), int(sizeof bm));
        EXPECT_EQ(bm.bmWidth, logo.width);
        EXPECT_EQ(bm.bmHeight, logo.height);
        EXPECT_EQ(bm.bmBitsPixel, 8);
        ExpectBitmapHolds(bitmap.Get(), image);
    }
}

TEST_F(PngBitmap, LogoDrawsItsColoursThroughGdi) {
    const TPNGImage image = DecodeSourceFile("resources\\logo.png");
    ASSERT_FALSE(image.Empty());
    TBitmapHandle logo;
    ASSERT_TRUE(LoadPngResource(Setup.Handle, "LOGO", logo));

    // Copy it with BitBlt into a true-colour bitmap, as a window paint would.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 120;
    info.bmiHeader.biHeight = 260;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    const TBitmapHandle target(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_NE(target.Get(), nullptr);
    MemoryDC from, to;
    HGDIOBJ oldFrom = SelectObject(from.Handle, logo.Get());
    HGDIOBJ oldTo = SelectObject(to.Handle, target.Get());
    ASSERT_TRUE(BitBlt(to.Handle, 0, 0, 120, 260, from.Handle, 0, 0, SRCCOPY));
    const POINT points[] = {{0, 0}, {119, 0}, {60, 130}, {60, 223}, {5, 259}, {119, 259}};
    for (const POINT& p : points) {
        EXPECT_EQ(GetPixel(from.Handle, p.x, p.y), PaletteColour(image, p.x, p.y))
            << p.x << ", " << p.y;
        EXPECT_EQ(GetPixel(to.Handle, p.x, p.y), PaletteColour(image, p.x, p.y))
            << p.x << ", " << p.y;
    }
    // The colours differ across the picture, so the points above are not
    // all one and the same colour by chance.
    EXPECT_NE(PaletteColour(image, 0, 0), PaletteColour(image, 60, 223));
    SelectObject(from.Handle, oldFrom);
    SelectObject(to.Handle, oldTo);
}

TEST_F(PngBitmap, StaticControlShowsTheSmallLogo) {
    TBitmapHandle logo;
    ASSERT_TRUE(LoadPngResource(Setup.Handle, "LOGOSMALL", logo));
    HWND control = CreateWindowExA(0, "STATIC", "", WS_POPUP | SS_BITMAP, 0, 0, 34, 34, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(control, nullptr);
    SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, LPARAM(logo.Get()));
    EXPECT_EQ(HBITMAP(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0)), logo.Get());
    RECT r{};
    GetClientRect(control, &r);
    EXPECT_EQ(r.right, 32);
    EXPECT_EQ(r.bottom, 32);
    DestroyWindow(control);
    // The control did not take the bitmap with it.
    BITMAP bm{};
    EXPECT_EQ(GetObjectA(logo.Get(), sizeof bm, &bm), int(sizeof bm));
}

// At 120 and 144 pixels per inch the logos are drawn larger and smoothly:
// the scaled picture keeps the source's colour in its corners and has
// colours between the palette's where two of them meet, which a blocky
// enlargement would not have.
TEST_F(PngBitmap, LogosAtHigherDpiAreScaledSmoothly) {
    const TPNGImage image = DecodeSourceFile("resources\\logo.png");
    ASSERT_FALSE(image.Empty());
    std::vector<COLORREF> palette;
    for (const TPaletteEntry& e : image.Palette)
        palette.push_back(RGB(e.Red, e.Green, e.Blue));
    for (int dpi : {120, 144}) {
        SCOPED_TRACE(dpi);
        TBitmapHandle logo;
        ASSERT_TRUE(LoadPngResource(Setup.Handle, "LOGO", logo, dpi));
        BITMAP bm{};
        ASSERT_EQ(GetObjectA(logo.Get(), sizeof bm, &bm), int(sizeof bm));
        EXPECT_EQ(bm.bmWidth, MulDiv(120, dpi, 96));
        EXPECT_EQ(bm.bmHeight, MulDiv(260, dpi, 96));

        MemoryDC dc;
        HGDIOBJ old = SelectObject(dc.Handle, logo.Get());
        EXPECT_EQ(GetPixel(dc.Handle, 0, 0), PaletteColour(image, 0, 0));
        EXPECT_EQ(GetPixel(dc.Handle, bm.bmWidth - 1, bm.bmHeight - 1),
                  PaletteColour(image, 119, 259));
        int mixed = 0;
        for (int y = 0; y < bm.bmHeight; y += 3)
            for (int x = 0; x < bm.bmWidth; x += 3)
                if (std::find(palette.begin(), palette.end(), GetPixel(dc.Handle, x, y)) ==
                    palette.end())
                    ++mixed;
        EXPECT_GT(mixed, 20);
        SelectObject(dc.Handle, old);
    }
}

TEST_F(PngBitmap, MissingOrDamagedResourceLeavesTheBitmapAlone) {
    TBitmapHandle bitmap;
    EXPECT_FALSE(LoadPngResource(Setup.Handle, "NOSUCHLOGO", bitmap));
    EXPECT_EQ(bitmap.Get(), nullptr);
    // The test program itself carries no logos.
    EXPECT_FALSE(LoadPngResource("LOGO", bitmap));
    EXPECT_EQ(bitmap.Get(), nullptr);
    // A resource that is there but is no picture: the version block.
    bitmap.Reset(CreateBitmap(1, 1, 1, 1, nullptr));
    const HBITMAP keep = bitmap.Get();
    EXPECT_NE(FindResourceA(Setup.Handle, MAKEINTRESOURCEA(1), RT_VERSION), nullptr);
    EXPECT_FALSE(LoadPngResource(Setup.Handle, MAKEINTRESOURCEA(1), bitmap));
    EXPECT_EQ(bitmap.Get(), keep);
}

TEST(PngBitmapDepths, OneAndFourBitPicturesKeepTheirBitCount) {
    for (int bits : {1, 4}) {
        SCOPED_TRACE(bits);
        TPNGImage image;
        image.Width = 9;
        image.Height = 3;
        image.BitsPerPixel = bits;
        image.Stride = (9 * bits + 31) / 32 * 4;
        // More entries than the bit count can address: only the first
        // 2 or 16 go into the colour table.
        for (int i = 0; i < 20; ++i)
            ASSERT_TRUE(image.Palette.Append({uint8_t(i * 10), uint8_t(200 - i), uint8_t(i * 3)}));
        for (size_t i = 0; i < image.Stride * 3; ++i)
            ASSERT_TRUE(image.Pixels.Append(uint8_t(i * 37 + 5)));
        const TBitmapHandle bitmap = CreatePaletteBitmap(image);
        ASSERT_NE(bitmap.Get(), nullptr);
        ExpectBitmapHolds(bitmap.Get(), image);

        MemoryDC dc;
        HGDIOBJ old = SelectObject(dc.Handle, bitmap.Get());
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 9; ++x)
                EXPECT_EQ(GetPixel(dc.Handle, int(x), int(y)), PaletteColour(image, x, y))
                    << x << ", " << y;
        SelectObject(dc.Handle, old);
    }
    EXPECT_EQ(CreatePaletteBitmap(TPNGImage()).Get(), nullptr);
}

} // namespace
