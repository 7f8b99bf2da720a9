#include "valuedisplay.h"

#include <QStringDecoder>
#include <QStringList>

#include <cctype>

namespace ValueDisplay {

namespace {

QString ipv6Text(const unsigned char *b)
{
    // RFC 5952: the longest run of two or more zero groups becomes "::"
    quint16 groups[8];
    for (int i = 0; i < 8; ++i)
        groups[i] = quint16(b[2 * i] << 8 | b[2 * i + 1]);
    int bestStart = -1, bestLength = 0;
    for (int i = 0; i < 8;) {
        if (groups[i] != 0) {
            ++i;
            continue;
        }
        int j = i;
        while (j < 8 && groups[j] == 0)
            ++j;
        if (j - i > bestLength && j - i >= 2) {
            bestStart = i;
            bestLength = j - i;
        }
        i = j;
    }
    QString text;
    for (int i = 0; i < 8; ++i) {
        if (i == bestStart) {
            text += QLatin1String("::");
            i += bestLength - 1;
            continue;
        }
        if (!text.isEmpty() && !text.endsWith(u':'))
            text += u':';
        text += QString::number(groups[i], 16);
    }
    return text;
}

QString ipv4Text(const unsigned char *b)
{
    return QStringLiteral("%1.%2.%3.%4").arg(b[0]).arg(b[1]).arg(b[2]).arg(b[3]);
}

quint32 zoneOf(const unsigned char *b)
{
    return quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | b[3];
}

} // namespace

std::optional<QString> octetsByHint(const QByteArray &octets, QStringView hint)
{
    struct Spec
    {
        bool repeat = false;
        int length = 0;
        QChar format;
        QChar separator;
        QChar terminator;
    };
    // octet-format: ['*'] length format [separator [terminator]]
    std::vector<Spec> specs;
    for (qsizetype i = 0; i < hint.size();) {
        Spec s;
        if (hint[i] == u'*') {
            s.repeat = true;
            ++i;
        }
        const qsizetype digits = i;
        while (i < hint.size() && hint[i].isDigit())
            ++i;
        if (i == digits || i - digits > 4 || i >= hint.size())
            return std::nullopt;
        s.length = hint.mid(digits, i - digits).toInt();
        s.format = hint[i++];
        if (!QStringView(u"dxoat").contains(s.format) || s.length == 0)
            return std::nullopt;
        // a separator is any character that cannot start the next spec
        auto isSpecStart = [&](qsizetype k) { return hint[k].isDigit() || hint[k] == u'*'; };
        if (i < hint.size() && !isSpecStart(i))
            s.separator = hint[i++];
        if (s.repeat && i < hint.size() && !isSpecStart(i))
            s.terminator = hint[i++];
        specs.push_back(s);
    }
    if (specs.empty())
        return std::nullopt;

    const auto *b = reinterpret_cast<const unsigned char *>(octets.constData());
    const qsizetype n = octets.size();
    QString out;
    qsizetype pos = 0;
    for (size_t k = 0; pos < n; k = std::min(k + 1, specs.size() - 1)) {
        const Spec &s = specs[k];
        int count = 1;
        if (s.repeat)
            count = b[pos++];
        for (int r = 0; r < count && pos < n; ++r) {
            const qsizetype take = std::min<qsizetype>(s.length, n - pos);
            if (s.format == u'a' || s.format == u't') {
                const QByteArray part(reinterpret_cast<const char *>(b + pos), take);
                if (s.format == u'a') {
                    for (char c : part) {
                        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e)
                            return std::nullopt; // not ASCII text: the hint does not fit
                    }
                    out += QString::fromLatin1(part);
                } else {
                    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
                    const QString text = utf8(part);
                    if (utf8.hasError())
                        return std::nullopt;
                    out += text;
                }
            } else {
                if (take > 8)
                    return std::nullopt;
                quint64 v = 0;
                for (qsizetype j = 0; j < take; ++j)
                    v = v << 8 | b[pos + j];
                if (s.format == u'd')
                    out += QString::number(v);
                else if (s.format == u'o')
                    out += QString::number(v, 8);
                else
                    out += QStringLiteral("%1").arg(v, int(take * 2), 16, QLatin1Char('0'));
            }
            pos += take;
            // no separator after the last octet, nor where a terminator follows
            if (!s.separator.isNull() && pos < n && !(s.repeat && r == count - 1 && !s.terminator.isNull()))
                out += s.separator;
        }
        if (s.repeat && !s.terminator.isNull() && pos < n)
            out += s.terminator;
    }
    return out;
}

std::optional<QString> integerByHint(qint64 value, QStringView hint)
{
    if (hint == u"x")
        return value < 0 ? QStringLiteral("-%1").arg(-value, 0, 16) : QString::number(value, 16);
    if (hint == u"o")
        return value < 0 ? QStringLiteral("-%1").arg(-value, 0, 8) : QString::number(value, 8);
    if (hint == u"b")
        return value < 0 ? QStringLiteral("-%1").arg(-value, 0, 2) : QString::number(value, 2);
    if (hint == u"d")
        return QString::number(value);
    if (hint.startsWith(u"d-")) {
        bool ok = false;
        const int places = hint.mid(2).toInt(&ok);
        if (!ok || places < 0 || places > 18)
            return std::nullopt;
        if (places == 0)
            return QString::number(value);
        const bool negative = value < 0;
        QString digits = QString::number(negative ? -value : value);
        if (digits.size() <= places)
            digits = QString(places - digits.size() + 1, u'0') + digits;
        digits.insert(digits.size() - places, u'.');
        return negative ? u'-' + digits : digits;
    }
    return std::nullopt;
}

std::optional<QString> dateAndTime(const QByteArray &octets)
{
    if (octets.size() != 8 && octets.size() != 11)
        return std::nullopt;
    const auto *b = reinterpret_cast<const unsigned char *>(octets.constData());
    const int year = b[0] << 8 | b[1];
    const int month = b[2], day = b[3], hour = b[4], minute = b[5], second = b[6], decisecond = b[7];
    // out of the convention's ranges: not a DateAndTime after all
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 || decisecond > 9)
        return std::nullopt;
    QString text = QStringLiteral("%1-%2-%3,%4:%5:%6.%7")
                       .arg(year)
                       .arg(month, 2, 10, QLatin1Char('0'))
                       .arg(day, 2, 10, QLatin1Char('0'))
                       .arg(hour, 2, 10, QLatin1Char('0'))
                       .arg(minute, 2, 10, QLatin1Char('0'))
                       .arg(second, 2, 10, QLatin1Char('0'))
                       .arg(decisecond);
    if (octets.size() == 11) {
        if ((b[8] != '+' && b[8] != '-') || b[9] > 13 || b[10] > 59)
            return std::nullopt;
        text += QStringLiteral(",%1%2:%3").arg(QChar(b[8])).arg(b[9]).arg(b[10]);
    }
    return text;
}

std::optional<QString> inetAddress(const QByteArray &octets)
{
    const auto *b = reinterpret_cast<const unsigned char *>(octets.constData());
    switch (octets.size()) {
    case 4: return ipv4Text(b) + QLatin1String(" (ipv4)");
    case 8: return QStringLiteral("%1%%2 (ipv4z)").arg(ipv4Text(b)).arg(zoneOf(b + 4));
    case 16: return ipv6Text(b) + QLatin1String(" (ipv6)");
    case 20: return QStringLiteral("%1%%2 (ipv6z)").arg(ipv6Text(b)).arg(zoneOf(b + 16));
    default: break;
    }
    if (octets.isEmpty())
        return std::nullopt;
    for (char c : octets) {
        const auto u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) || c == '-' || c == '.' || c == '_'))
            return std::nullopt;
    }
    return QString::fromLatin1(octets) + QLatin1String(" (dns)");
}

std::optional<QString> bits(const QByteArray &octets, const std::function<QString(qint32)> &name)
{
    QStringList set;
    for (qsizetype i = 0; i < octets.size(); ++i) {
        const auto byte = static_cast<unsigned char>(octets[i]);
        for (int bit = 0; bit < 8; ++bit) {
            if (!(byte & (0x80 >> bit)))
                continue;
            const auto number = static_cast<qint32>(i * 8 + bit);
            const QString label = name(number);
            set << (label.isEmpty() ? QStringLiteral("%1").arg(number) : QStringLiteral("%1(%2)").arg(label).arg(number));
        }
    }
    if (set.isEmpty())
        return octets.isEmpty() ? std::nullopt : std::optional<QString>(QStringLiteral("{ }"));
    return set.join(u' ');
}

std::optional<QString> octetsByConvention(const QByteArray &octets, QStringView tc, QStringView hint)
{
    if (tc == u"DateAndTime")
        return dateAndTime(octets);
    if (tc == u"InetAddress")
        return inetAddress(octets);
    if (tc == u"InetAddressIPv6" && octets.size() == 16)
        return ipv6Text(reinterpret_cast<const unsigned char *>(octets.constData()));
    if (hint.isEmpty())
        return std::nullopt;
    return octetsByHint(octets, hint);
}

} // namespace ValueDisplay
