#include "snmptypes.h"

#include <limits>

std::optional<SnmpOid> SnmpOid::fromString(QStringView text)
{
    if (text.startsWith(u'.'))
        text = text.mid(1);
    if (text.isEmpty())
        return std::nullopt;
    SnmpOid oid;
    quint64 current = 0;
    bool haveDigit = false;
    for (QChar c : text) {
        if (c == u'.') {
            if (!haveDigit)
                return std::nullopt;
            oid.ids.push_back(static_cast<quint32>(current));
            current = 0;
            haveDigit = false;
        } else if (c >= u'0' && c <= u'9') {
            current = current * 10 + (c.unicode() - u'0');
            if (current > std::numeric_limits<quint32>::max())
                return std::nullopt;
            haveDigit = true;
        } else {
            return std::nullopt;
        }
    }
    if (!haveDigit)
        return std::nullopt;
    oid.ids.push_back(static_cast<quint32>(current));
    return oid;
}

QString SnmpOid::toString() const
{
    // Every varbind of every trap is shown by its OID: written digit by digit
    // into one buffer rather than through a temporary string per number.
    QString text(static_cast<qsizetype>(ids.size()) * 11, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    char16_t *const begin = out;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i)
            *out++ = u'.';
        char16_t digits[10];
        int n = 0;
        quint32 v = ids[i];
        do {
            digits[n++] = static_cast<char16_t>(u'0' + v % 10);
            v /= 10;
        } while (v);
        while (n)
            *out++ = digits[--n];
    }
    text.truncate(out - begin);
    return text;
}

bool SnmpOid::startsWith(const SnmpOid &prefix) const
{
    return prefix.ids.size() <= ids.size()
        && std::equal(prefix.ids.begin(), prefix.ids.end(), ids.begin());
}
