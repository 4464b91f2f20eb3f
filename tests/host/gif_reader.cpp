#include "gif_reader.h"

#include <cstring>

namespace hosttest {

namespace {

struct Cursor {
    const std::vector<uint8_t>& data;
    size_t at = 0;
    bool Has(size_t n) const { return at + n <= data.size(); }
    int U8() { return data[at++]; }
    int U16() {
        const int v = data[at] | data[at + 1] << 8;
        at += 2;
        return v;
    }
};

// Concatenates data sub-blocks up to the zero-length block.
bool SubBlocks(Cursor& c, std::vector<uint8_t>& out) {
    for (;;) {
        if (!c.Has(1)) return false;
        const int n = c.U8();
        if (n == 0) return true;
        if (!c.Has(size_t(n))) return false;
        out.insert(out.end(), c.data.begin() + long(c.at), c.data.begin() + long(c.at) + n);
        c.at += size_t(n);
    }
}

// Variable-width LZW as GIF defines it: codes least significant bit first;
// a new table entry after every code but the first after a clear; the
// width grows when the next free code reaches 2^width, up to 12 bits.
std::string Decompress(const std::vector<uint8_t>& codes, int minSize, GifPicture& g) {
    const int clear = 1 << minSize, end = clear + 1;
    std::vector<int> prefix(4096, -1);
    std::vector<uint8_t> suffix(4096), first(4096);
    for (int i = 0; i < clear; ++i)
        suffix[size_t(i)] = first[size_t(i)] = uint8_t(i);
    int width = minSize + 1, next = end + 1, previous = -1;
    size_t bit = 0;
    std::vector<uint8_t> string;
    for (;;) {
        if (bit + size_t(width) > codes.size() * 8)
            return "the code stream ends without an end code";
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= (codes[bit / 8] >> (bit % 8) & 1) << i;
        if (code == clear) {
            ++g.clearCodes;
            width = minSize + 1;
            next = end + 1;
            previous = -1;
            continue;
        }
        if (code == end) break;
        if (code > next || (code == next && previous < 0)) return "a code beyond the table";
        if (previous >= 0 && next < 4096) {
            // The new entry is the previous string plus the first byte of
            // this one (which, for the entry being made, is its own first).
            prefix[size_t(next)] = previous;
            first[size_t(next)] = first[size_t(previous)];
            suffix[size_t(next)] = code == next ? first[size_t(previous)] : first[size_t(code)];
            ++next;
            if (next == (1 << width) && width < 12) ++width;
        }
        string.clear();
        for (int c = code; c >= 0; c = prefix[size_t(c)])
            string.push_back(suffix[size_t(c)]);
        g.pixels.insert(g.pixels.end(), string.rbegin(), string.rend());
        previous = code;
    }
    if ((bit + 7) / 8 != codes.size()) return "bytes after the end code";
    if (g.clearCodes == 0) return "no clear code";
    return {};
}

} // namespace

GifPicture ReadGif(const std::vector<uint8_t>& file) {
    GifPicture g;
    Cursor c{file};
    if (!c.Has(13) || std::memcmp(file.data(), "GIF89a", 6) != 0) {
        g.error = "no GIF89a signature";
        return g;
    }
    c.at = 6;
    g.width = c.U16();
    g.height = c.U16();
    const int flags = c.U8();
    c.at += 2; // background colour, aspect ratio
    if (!(flags & 0x80)) {
        g.error = "no global colour table";
        return g;
    }
    g.colours = 2 << (flags & 7);
    if (!c.Has(size_t(3 * g.colours))) {
        g.error = "colour table cut short";
        return g;
    }
    g.palette.assign(file.begin() + long(c.at), file.begin() + long(c.at) + 3 * g.colours);
    c.at += size_t(3 * g.colours);

    bool image = false;
    for (;;) {
        if (!c.Has(1)) {
            g.error = "no trailer";
            return g;
        }
        const int block = c.U8();
        if (block == 0x3B) break;
        if (block == 0x21) {
            if (!c.Has(1)) break;
            const int label = c.U8();
            std::vector<uint8_t> body;
            if (!SubBlocks(c, body)) {
                g.error = "extension cut short";
                return g;
            }
            if (label == 0xF9 && body.size() == 4 && (body[0] & 1)) g.transparent = body[3];
        } else if (block == 0x2C && !image) {
            image = true;
            if (!c.Has(10)) {
                g.error = "image descriptor cut short";
                return g;
            }
            const int left = c.U16(), top = c.U16(), w = c.U16(), h = c.U16(), local = c.U8();
            if (left != 0 || top != 0 || w != g.width || h != g.height || local != 0) {
                g.error = "image does not fill the screen plainly";
                return g;
            }
            const int minSize = c.U8();
            std::vector<uint8_t> codes;
            if (minSize < 2 || minSize > 8 || !SubBlocks(c, codes)) {
                g.error = "image data cut short";
                return g;
            }
            g.error = Decompress(codes, minSize, g);
            if (!g.error.empty()) return g;
        } else {
            g.error = "unexpected block";
            return g;
        }
    }
    if (c.at != file.size())
        g.error = "bytes after the trailer";
    else if (!image)
        g.error = "no image";
    else if (g.pixels.size() != size_t(g.width) * size_t(g.height))
        g.error = "wrong pixel count";
    return g;
}

} // namespace hosttest
