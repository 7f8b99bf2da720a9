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
    QString text;
    text.reserve(static_cast<qsizetype>(ids.size()) * 4);
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i)
            text += u'.';
        text += QString::number(ids[i]);
    }
    return text;
}

bool SnmpOid::startsWith(const SnmpOid &prefix) const
{
    return prefix.ids.size() <= ids.size()
        && std::equal(prefix.ids.begin(), prefix.ids.end(), ids.begin());
}
