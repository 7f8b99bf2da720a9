#include "snmprender.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

QString hexBytes(const QByteArray &bytes)
{
    static const char digits[] = "0123456789abcdef";
    QString text;
    text.reserve(bytes.size() * 3 + 6);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i)
            text += u'.';
        const auto b = static_cast<unsigned char>(bytes[i]);
        text += QLatin1Char(digits[b >> 4]);
        text += QLatin1Char(digits[b & 0x0F]);
    }
    text += QLatin1String(" (hex)");
    return text;
}

QString twoDigits(quint32 n)
{
    return QString::number(n).rightJustified(2, u'0');
}

QString timeTicksText(quint32 ticks)
{
    const quint32 hundredths = ticks % 100;
    const quint32 s = ticks / 100;
    const quint32 seconds = s % 60;
    const quint32 m = s / 60;
    const quint32 minutes = m % 60;
    const quint32 h = m / 60;
    const quint32 hours = h % 24;
    const quint32 days = h / 24;
    return QString::number(days) + (days == 1 ? QLatin1String(" day ") : QLatin1String(" days "))
        + twoDigits(hours) + QLatin1String("h:") + twoDigits(minutes) + QLatin1String("m:")
        + twoDigits(seconds) + QLatin1String("s.") + twoDigits(hundredths) + QLatin1String("th");
}

} // namespace

bool isDisplayableUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            if (b < 0x20 || b == 0x7F)
                return false;
            ++p;
            continue;
        }
        int extra;
        quint32 cp;
        quint32 minimum;
        if ((b & 0xE0) == 0xC0) {
            extra = 1; cp = b & 0x1F; minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2; cp = b & 0x0F; minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3; cp = b & 0x07; minimum = 0x10000;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

QString ValueToText(const SnmpValue &value)
{
    QString text;
    ValueToText(value, text);
    return text;
}

QString Counter64HexText(quint64 value)
{
    return QStringLiteral("0x%1").arg(value, 16, 16, QLatin1Char('0'));
}

namespace {

bool isUtf8Name(const QByteArray &encoding)
{
    const QByteArray plain = encoding.toUpper().replace('-', "").replace('_', "");
    return plain.isEmpty() || plain == "UTF8";
}

// The bytes decoded from `encoding` by iconv, refusing anything that does
// not decode whole; nothing when they are not text in that encoding.
std::optional<QString> decodeStrictly(const QByteArray &bytes, const QByteArray &encoding)
{
    iconv_t cd = iconv_open("UTF-8", encoding.constData());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    // UTF-8 takes at most four bytes for any character of these encodings
    std::vector<char> out(static_cast<size_t>(bytes.size()) * 4 + 4);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char *to = out.data();
    size_t outLeft = out.size();
    const size_t rc = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || inLeft != 0)
        return std::nullopt;
    const QByteArray utf8(out.data(), static_cast<qsizetype>(out.size() - outLeft));
    if (!isDisplayableUtf8(utf8))
        return std::nullopt; // control characters: binary after all
    return QString::fromUtf8(utf8);
}

} // namespace

int ValueToText(const SnmpValue &value, QString &text, const QByteArray &encoding)
{
    if (value.syntax != SNMP_SYNTAX_OCTETS || value.octets.isEmpty() || isUtf8Name(encoding))
        return ValueToText(value, text);
    if (const auto decoded = decodeStrictly(value.octets, encoding))
        text = *decoded;
    else
        text = hexBytes(value.octets);
    return 1;
}

int ValueToText(const SnmpValue &value, QString &text)
{
    // a number encoded in more bytes than its syntax holds: never another number
    if (SnmpIsOverlong(value)) {
        text = hexBytes(value.octets) + QLatin1String(" (bad length)");
        return 1;
    }
    switch (value.syntax) {
    case SNMP_SYNTAX_INT32:
        text = QString::number(value.int32());
        return 1;
    case SNMP_SYNTAX_CNTR32:
    case SNMP_SYNTAX_GAUGE32:
    case SNMP_SYNTAX_UINT32:
        text = QString::number(value.number);
        return 1;
    case SNMP_SYNTAX_TIMETICKS:
        text = timeTicksText(value.number);
        return 1;
    case SNMP_SYNTAX_CNTR64:
        // in full, as every other counter: the halves in hex were unreadable
        text = QString::number(value.counter64);
        return 1;
    case SNMP_SYNTAX_OCTETS:
        if (value.octets.isEmpty())
            text = QStringLiteral("(zero-length)");
        else if (isDisplayableUtf8(value.octets))
            text = QString::fromUtf8(value.octets);
        else
            text = hexBytes(value.octets);
        return 1;
    case SNMP_SYNTAX_BITS:
    case SNMP_SYNTAX_OPAQUE:
    case SNMP_SYNTAX_NSAPADDR:
        text = hexBytes(value.octets);
        return 1;
    case SNMP_SYNTAX_IPADDR: {
        QString t;
        for (qsizetype i = 0; i < value.octets.size(); ++i) {
            if (i)
                t += u'.';
            t += QString::number(static_cast<unsigned char>(value.octets[i]));
        }
        text = t;
        return 1;
    }
    case SNMP_SYNTAX_OID:
        text = OidToText(value.oid);
        return 1;
    case SNMP_SYNTAX_NULL:
        text = QStringLiteral("NULL");
        return 1;
    case SNMP_SYNTAX_NOSUCHOBJECT:
        text = QStringLiteral("noSuchObject");
        return 1;
    case SNMP_SYNTAX_NOSUCHINSTANCE:
        text = QStringLiteral("noSuchInstance");
        return 1;
    case SNMP_SYNTAX_ENDOFMIBVIEW:
        text = QStringLiteral("endOfMibView");
        return 1;
    default:
        return 0;
    }
}

QString SyntaxLabel(quint32 syntax)
{
    switch (syntax) {
    case SNMP_SYNTAX_INT32: return QStringLiteral("(int,int32)");
    case SNMP_SYNTAX_BITS: return QStringLiteral("(bits)");
    case SNMP_SYNTAX_OCTETS: return QStringLiteral("(octets)");
    case SNMP_SYNTAX_NULL: return QStringLiteral("(null)");
    case SNMP_SYNTAX_OID: return QStringLiteral("(oid)");
    case SNMP_SYNTAX_IPADDR: return QStringLiteral("(ipaddr)");
    case SNMP_SYNTAX_CNTR32: return QStringLiteral("(cntr32)");
    case SNMP_SYNTAX_GAUGE32: return QStringLiteral("(gauge32)");
    case SNMP_SYNTAX_TIMETICKS: return QStringLiteral("(timeticks)");
    case SNMP_SYNTAX_OPAQUE: return QStringLiteral("(opaque)");
    case SNMP_SYNTAX_NSAPADDR: return QStringLiteral("(nsapaddr)");
    case SNMP_SYNTAX_CNTR64: return QStringLiteral("(cntr64)");
    case SNMP_SYNTAX_UINT32: return QStringLiteral("(uint32)");
    case SNMP_SYNTAX_NOSUCHOBJECT: return QStringLiteral("(nosuchobject)");
    case SNMP_SYNTAX_NOSUCHINSTANCE: return QStringLiteral("(nosuchinstance)");
    case SNMP_SYNTAX_ENDOFMIBVIEW: return QStringLiteral("(endofmibview)");
    default: return QString();
    }
}

void SyntaxLabel(quint32 syntax, QString &label)
{
    label = SyntaxLabel(syntax);
}

int RenderValue(const SnmpValue &value, QString &label, QString &text)
{
    SyntaxLabel(value.syntax, label);
    ValueToText(value, text);
    return 1;
}

QString OidToText(const SnmpOid &oid)
{
    return oid.toString();
}

void OidToText(const SnmpOid &oid, QString &text)
{
    text = oid.toString();
}
