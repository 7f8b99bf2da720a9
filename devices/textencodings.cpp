#include "textencodings.h"

#include <iconv.h>

namespace {

// Encodings SNMP agents are met with, each under the name iconv knows best.
constexpr const char *kCandidates[] = {
    "UTF-8",
    "Shift_JIS", "CP932", "EUC-JP", "ISO-2022-JP",
    "ISO-8859-1", "ISO-8859-2", "ISO-8859-3", "ISO-8859-4", "ISO-8859-5", "ISO-8859-6", "ISO-8859-7",
    "ISO-8859-8", "ISO-8859-9", "ISO-8859-10", "ISO-8859-13", "ISO-8859-14", "ISO-8859-15", "ISO-8859-16",
    "WINDOWS-1250", "WINDOWS-1251", "WINDOWS-1252", "WINDOWS-1253", "WINDOWS-1254", "WINDOWS-1255",
    "WINDOWS-1256", "WINDOWS-1257", "WINDOWS-1258",
    "KOI8-R", "KOI8-U", "CP437", "CP850", "CP866",
    "GB18030", "GBK", "GB2312", "BIG5", "BIG5-HKSCS", "EUC-TW",
    "EUC-KR", "CP949", "ISO-2022-KR",
    "TIS-620", "CP874", "VISCII",
    "UTF-16BE", "UTF-16LE",
};

QList<QByteArray> probe()
{
    QList<QByteArray> found;
    for (const char *name : kCandidates) {
        const iconv_t cd = iconv_open("UTF-8", name);
        if (cd == reinterpret_cast<iconv_t>(-1))
            continue;
        iconv_close(cd);
        found << QByteArray(name);
    }
    return found;
}

} // namespace

const QList<QByteArray> &availableTextEncodings()
{
    static const QList<QByteArray> encodings = probe();
    return encodings;
}

bool textEncodingAvailable(const QByteArray &name)
{
    const QByteArray wanted = name.toUpper();
    for (const QByteArray &encoding : availableTextEncodings())
        if (encoding.toUpper() == wanted)
            return true;
    return false;
}
