#include "localecodec.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>

namespace LocaleCodec {

namespace {

bool isUtf8(const QByteArray &name)
{
    const QByteArray n = name.toUpper();
    return n == "UTF-8" || n == "UTF8";
}

// Length of the UTF-8 sequence that starts with `lead` (1 for stray bytes,
// so that the conversion always moves on).
size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

} // namespace

QByteArray codeset()
{
    const char *name = nl_langinfo(CODESET);
    const QByteArray set = name ? QByteArray(name) : QByteArray();
    if (set.isEmpty() || set == "ANSI_X3.4-1968" || set == "ASCII" || set == "US-ASCII")
        return QByteArrayLiteral("UTF-8");
    return set;
}

QByteArray fromUnicode(const QString &text)
{
    return fromUnicode(text, codeset());
}

QByteArray fromUnicode(const QString &text, const QByteArray &target)
{
    // toUtf8 already replaces unpaired surrogates
    const QByteArray utf8 = text.toUtf8();
    if (isUtf8(target) || utf8.isEmpty())
        return utf8;

    iconv_t cd = iconv_open(target.constData(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return utf8; // a codeset iconv does not know: keep the text readable

    QByteArray out;
    out.reserve(utf8.size() + 16);
    char buffer[4096];
    char *in = const_cast<char *>(utf8.constData());
    size_t inLeft = static_cast<size_t>(utf8.size());
    while (inLeft > 0) {
        char *outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<qsizetype>(sizeof buffer - outLeft));
        if (rc != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        // EILSEQ (not representable) or EINVAL (cut sequence): one '?' for
        // the character, then go on after it
        out.append('?');
        const size_t skip = qMin(inLeft, sequenceLength(static_cast<unsigned char>(*in)));
        in += skip;
        inLeft -= skip;
    }
    // shift state back to the initial one (stateful codesets such as ISO-2022-JP)
    char *outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<qsizetype>(sizeof buffer - outLeft));
    iconv_close(cd);
    return out;
}

} // namespace LocaleCodec
