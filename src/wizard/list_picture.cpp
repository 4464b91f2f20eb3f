#include "wizard/list_picture.h"

namespace {
// A memory device context holding one bitmap while it lives.
class TBitmapDc {
  public:
    explicit TBitmapDc(HBITMAP bitmap)
        : Dc_(CreateCompatibleDC(nullptr)), Old_(Dc_ ? SelectObject(Dc_.Get(), bitmap) : nullptr) {}
    ~TBitmapDc() {
        if (Dc_) SelectObject(Dc_.Get(), Old_);
    }
    TBitmapDc(const TBitmapDc&) = delete;
    TBitmapDc& operator=(const TBitmapDc&) = delete;
    HDC Get() const { return Dc_.Get(); }

  private:
    TDcHandle Dc_;
    HGDIOBJ Old_;
};
} // namespace

void TListPicture::Load(const char* name) {
    // In the screen's own format, not as the palette bitmap stored: the
    // masking below combines colours, which a palette bitmap would combine
    // as its indices.
    Image_.Reset(
        static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, 0)));
    Mask_.Reset();
    Size_ = {0, 0};
    BITMAP info{};
    if (!Image_.Get() || !GetObjectA(Image_.Get(), sizeof info, &info)) {
        Image_.Reset();
        return;
    }
    Size_ = {info.bmWidth, info.bmHeight};
    Mask_.Reset(CreateBitmap(Size_.cx, Size_.cy, 1, 1, nullptr));
    TBitmapDc image(Image_.Get()), mask(Mask_.Get());
    if (!Mask_.Get() || !image.Get() || !mask.Get()) {
        Image_.Reset();
        Size_ = {0, 0};
        return;
    }
    // Colour to monochrome: pixels of the background colour become white.
    SetBkColor(image.Get(), GetPixel(image.Get(), 0, Size_.cy - 1));
    BitBlt(mask.Get(), 0, 0, Size_.cx, Size_.cy, image.Get(), 0, 0, SRCCOPY);
    // Monochrome to colour: white becomes black, black white; AND-ed into
    // the image this blackens the transparent pixels only.
    SetBkColor(image.Get(), RGB(0, 0, 0));
    SetTextColor(image.Get(), RGB(255, 255, 255));
    BitBlt(image.Get(), 0, 0, Size_.cx, Size_.cy, mask.Get(), 0, 0, SRCAND);
}

void TListPicture::Draw(HDC dc, int x, int y) const {
    if (Empty()) return;
    TBitmapDc image(Image_.Get()), mask(Mask_.Get());
    // The mask clears the picture's pixels in the target (white keeps, black
    // clears), then the picture is OR-ed into the hole.
    const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
    BitBlt(dc, x, y, Size_.cx, Size_.cy, mask.Get(), 0, 0, SRCAND);
    BitBlt(dc, x, y, Size_.cx, Size_.cy, image.Get(), 0, 0, SRCPAINT);
    SetBkColor(dc, back);
    SetTextColor(dc, text);
}
