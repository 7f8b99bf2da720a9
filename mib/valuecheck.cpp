#include "valuecheck.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cstring>

namespace ValueCheck {

namespace {

bool isString(const MibDocument::Entry &object)
{
    return std::strcmp(object.syntax, "OCTET STRING") == 0 || std::strcmp(object.syntax, "Opaque") == 0;
}

bool within(const std::vector<MibDocument::Range> &ranges, qint64 v)
{
    return std::any_of(ranges.begin(), ranges.end(), [v](const MibDocument::Range &r) { return v >= r.min && v <= r.max; });
}

} // namespace

const MibDocument::Entry *objectOf(const MibDocument *document, const SnmpOid &oid)
{
    if (!document)
        return nullptr;
    const MibDocument::Match match = document->longest(oid.ids);
    return match.entry && match.entry->object ? match.entry : nullptr;
}

const MibDocument::Entry *objectOf(const MibDocument *document, const QString &oidText)
{
    const std::optional<SnmpOid> oid = SnmpOid::fromString(oidText.trimmed());
    return oid ? objectOf(document, *oid) : nullptr;
}

QString enumsText(const MibDocument &document, const MibDocument::Entry &object)
{
    QStringList parts;
    for (const MibDocument::Enum &e : document.enums(object))
        parts << QStringLiteral("%1(%2)").arg(e.label).arg(e.value);
    return parts.join(QLatin1String(", "));
}

QString rangesText(const std::vector<MibDocument::Range> &ranges)
{
    QStringList parts;
    for (const MibDocument::Range &r : ranges)
        parts << (r.min == r.max ? QString::number(r.min) : QStringLiteral("%1..%2").arg(r.min).arg(r.max));
    return parts.join(QLatin1String(" | "));
}

std::optional<qint32> enumValue(const MibDocument &document, const MibDocument::Entry &object, const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*([A-Za-z][A-Za-z0-9-]*)?\\s*(?:\\(\\s*(-?[0-9]+)\\s*\\))?\\s*$"));
    const auto m = form.match(text);
    if (!m.hasMatch() || (m.captured(1).isEmpty() && m.captured(2).isEmpty()))
        return std::nullopt;
    for (const MibDocument::Enum &e : document.enums(object)) {
        if (!m.captured(1).isEmpty() && e.label != m.captured(1))
            continue;
        if (!m.captured(2).isEmpty() && QString::number(e.value) != m.captured(2))
            continue;
        return e.value;
    }
    return std::nullopt;
}

QString problem(const MibDocument &document, const MibDocument::Entry &object, const SnmpValue &value)
{
    const std::vector<MibDocument::Range> ranges = document.ranges(object);
    qint64 number = 0;
    bool isNumber = true;
    switch (value.syntax) {
    case SNMP_SYNTAX_INT32: number = value.int32(); break;
    case SNMP_SYNTAX_GAUGE32:
    case SNMP_SYNTAX_UINT32:
    case SNMP_SYNTAX_TIMETICKS:
    case SNMP_SYNTAX_CNTR32: number = value.number; break;
    default: isNumber = false;
    }
    if (isNumber && object.enumCount && !object.bits) {
        if (!document.enumLabel(object, static_cast<qint32>(number)))
            return QCoreApplication::translate("ValueCheck", "%1 is not a value of %2, which takes %3.")
                .arg(number).arg(object.name, enumsText(document, object));
        return {};
    }
    if (isNumber && !ranges.empty() && !within(ranges, number))
        return QCoreApplication::translate("ValueCheck", "%1 is outside the range of %2 (%3).")
            .arg(number).arg(object.name, rangesText(ranges));
    if (value.syntax == SNMP_SYNTAX_OCTETS && isString(object) && !ranges.empty() && !within(ranges, value.octets.size()))
        return (value.octets.size() == 1
                    ? QCoreApplication::translate("ValueCheck", "The value is 1 octet long; %1 takes %2 octets.")
                    : QCoreApplication::translate("ValueCheck", "The value is %3 octets long; %1 takes %2 octets.")
                          .arg(QStringLiteral("%1"), QStringLiteral("%2"), QString::number(value.octets.size())))
            .arg(object.name, rangesText(ranges));
    return {};
}

} // namespace ValueCheck
