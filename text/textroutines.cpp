#include "textroutines.h"

static_assert(sizeof(unsigned short) == 2, "utf8_toUtf16 writes 16-bit units");

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr unsigned short kReplacementChar = 0xFFFD;

bool isHighSurrogate(unsigned char hi)
{
    return hi >= 0xD8 && hi <= 0xDB;
}

bool isLowSurrogate(unsigned char hi)
{
    return hi >= 0xDC && hi <= 0xDF;
}

unsigned char *putReplacementUtf8(unsigned char *out)
{
    *out++ = 0xEF;
    *out++ = 0xBF;
    *out++ = 0xBD;
    return out;
}

} // namespace

extern "C" {

void toUtf8(const unsigned char *src, unsigned char *dst)
{
    const unsigned char *in = src;
    unsigned char *out = dst;
    for (;;) {
        const unsigned char lo = in[0];
        const unsigned char hi = in[1];
        if (lo == 0 && hi == 0)
            break;
        if (hi == 0x00 && lo < 0x80) {
            *out++ = lo;
            in += 2;
        } else if (hi <= 0x07) {
            *out++ = static_cast<unsigned char>(0xC0 | (hi << 2) | (lo >> 6));
            *out++ = static_cast<unsigned char>(0x80 | (lo & 0x3F));
            in += 2;
        } else if (isHighSurrogate(hi)) {
            // The unit after a high surrogate always exists (at worst it is
            // the terminator), so looking at it never reads past the end.
            const unsigned char nlo = in[2];
            const unsigned char nhi = in[3];
            if (!isLowSurrogate(nhi)) {
                // Unpaired: only this unit is used up, so a terminator or an
                // ordinary character that follows is handled as such.
                out = putReplacementUtf8(out);
                in += 2;
                continue;
            }
            const unsigned u = ((((hi & 3u) << 2) | (lo >> 6)) + 1u);
            *out++ = static_cast<unsigned char>(0xF0 | (u >> 2));
            *out++ = static_cast<unsigned char>(0x80 | ((u & 3u) << 4) | ((lo >> 2) & 0x0F));
            *out++ = static_cast<unsigned char>(0x80 | ((lo & 3u) << 4) | ((nhi & 3u) << 2) | (nlo >> 6));
            *out++ = static_cast<unsigned char>(0x80 | (nlo & 0x3F));
            in += 4;
        } else if (isLowSurrogate(hi)) {
            out = putReplacementUtf8(out);
            in += 2;
        } else {
            *out++ = static_cast<unsigned char>(0xE0 | (hi >> 4));
            *out++ = static_cast<unsigned char>(0x80 | ((hi & 0x0F) << 2) | (lo >> 6));
            *out++ = static_cast<unsigned char>(0x80 | (lo & 0x3F));
            in += 2;
        }
    }
    *out++ = 0;
    *out = 0;
}

void toQP(const char *prefix, const unsigned char *src, char *dst)
{
    char *out = dst;
    for (const char *p = prefix; *p != '\0'; ++p)
        *out++ = *p;
    // The byte after a non-zero byte is not looked at, so a source that ends
    // right after its two zero bytes is never read beyond them.
    for (const unsigned char *in = src; !(in[0] == 0 && in[1] == 0); ++in) {
        *out++ = '=';
        *out++ = kHexDigits[*in >> 4];
        *out++ = kHexDigits[*in & 0x0F];
    }
    *out++ = '?';
    *out++ = '=';
    *out = '\0';
}

void utf8_toUtf16(const unsigned char *src, unsigned short *dst)
{
    const unsigned char *in = src;
    unsigned short *out = dst;
    while (const unsigned char b = in[0]) {
        int length = 1;
        if (b >= 0xC0 && b <= 0xDF)
            length = 2;
        else if (b >= 0xE0 && b <= 0xEF)
            length = 3;
        else if (b >= 0xF0 && b <= 0xF4)
            length = 4;

        if (length == 1) {
            *out++ = b < 0x80 ? b : kReplacementChar;
            ++in;
            continue;
        }

        // Continuation bytes are taken as they come, but a sequence cut short
        // by the terminator stops there: the terminator is not data.
        int present = 1;
        while (present < length && in[present] != 0)
            ++present;
        if (present < length) {
            *out++ = kReplacementChar;
            in += present;
            continue;
        }

        const unsigned b1 = in[1];
        if (length == 2) {
            *out++ = static_cast<unsigned short>(((b & 0x1Fu) << 6) | (b1 & 0x3Fu));
        } else if (length == 3) {
            const unsigned b2 = in[2];
            *out++ = static_cast<unsigned short>(((b & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu));
        } else {
            const unsigned b2 = in[2];
            const unsigned b3 = in[3];
            const unsigned cp = ((b & 0x07u) << 18) | ((b1 & 0x3Fu) << 12) | ((b2 & 0x3Fu) << 6) | (b3 & 0x3Fu);
            const unsigned v = cp - 0x10000u;
            *out++ = static_cast<unsigned short>(0xD800u | (v >> 10));
            *out++ = static_cast<unsigned short>(0xDC00u | (v & 0x3FFu));
        }
        in += length;
    }
    out[0] = 0;
    out[1] = 0;
}

} // extern "C"
