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
    // Every varbind of every trap is shown by its OID: counted, then written
    // digit by digit into one string of exactly that length, rather than
    // through a temporary string per number.
    if (ids.empty())
        return {};
    qsizetype length = static_cast<qsizetype>(ids.size()) - 1;
    for (quint32 v : ids) {
        do {
            ++length;
            v /= 10;
        } while (v);
    }
    QString text(length, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data()) + length;
    for (size_t i = ids.size(); i-- > 0;) {
        quint32 v = ids[i];
        do {
            *--out = static_cast<char16_t>(u'0' + v % 10);
            v /= 10;
        } while (v);
        if (i)
            *--out = u'.';
    }
    return text;
}

bool SnmpOid::startsWith(const SnmpOid &prefix) const
{
    return prefix.ids.size() <= ids.size()
        && std::equal(prefix.ids.begin(), prefix.ids.end(), ids.begin());
}
