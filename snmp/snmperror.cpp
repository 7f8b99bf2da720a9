#include "snmperror.h"

#include <QCoreApplication>

namespace {

// Codes 2 to 20, then 99 to 109, then 199; the texts are the ones users of
// the classic stack know, typos included, so they must stay as they are.
constexpr const char *kLowTexts[] = {
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Memory allocation error"),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Invalid context"),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Unknown context parameter"),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Invalid entity parameter"),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Unknown entity parameter"),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Invalid VBL index parameter"),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: No operation performed."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Invalid OID Parameter"),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Invalid/unsupported operation"),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Insufficient output buf len"),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Invalid PDU parameter."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Invalid session parameter."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Invalid syntax in smiVALUE"),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Invalid VBL parameter"),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Invalid mode parameter."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Invalid size/length parameter."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: SnmpStartup failed/not called."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Invalid SNMP message format."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Invalid Window handle."),
};

constexpr const char *kTransportTexts[] = {
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: For internal/undefined errors."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Transport layer is not initialized."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Transport layer does not support protocol,"),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: network subsystem failure."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Translaport layer resource error."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Transport layer undeliverable."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Transport layer source endpoint invalid."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVAruz: Transport layer Input parameter invalid."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Transport layer source endpoint is in use."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Transport layer receive timeout."),
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: PDU too big for send/receive"),
};

constexpr const char *kTransportOtherText =
    QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Transport layer undefined error.");
constexpr const char *kUnknownText = QT_TRANSLATE_NOOP("SnmpError", "VIVARuz: Unknown error.");

// Error-status names: a fixed table of the protocol, the same in every
// language unless a catalogue says otherwise.
constexpr const char *kStatusTexts[] = {
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "no error"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "too big"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "no such name"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "bad value"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "read-only"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "generic error"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "no access"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "wrong type"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "wrong length"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "wrong encoding"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "wrong value"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "no creation"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "inconsistent value"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "resource unavailable"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "commit failed"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "undo failed"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "authorization error"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "not writable"),
    QT_TRANSLATE_NOOP("SnmpErrorStatus", "inconsistent name"),
};
constexpr quint32 kStatusTableSize = 20; // entry 19 is empty text

// SNMPv1 statuses 0 to 5, then the SNMPv2 ones (RFC 3416).
constexpr const char *kStatusNames[] = {
    "noError", "tooBig", "noSuchName", "badValue", "readOnly", "genErr", "noAccess",
    "wrongType", "wrongLength", "wrongEncoding", "wrongValue", "noCreation", "inconsistentValue",
    "resourceUnavailable", "commitFailed", "undoFailed", "authorizationError", "notWritable",
    "inconsistentName",
};

QString errorText(const char *source)
{
    return QCoreApplication::translate("SnmpError", source);
}

} // namespace

QString SnmpErrorText(quint32 code)
{
    constexpr quint32 lowCount = sizeof(kLowTexts) / sizeof(kLowTexts[0]);
    constexpr quint32 transportCount = sizeof(kTransportTexts) / sizeof(kTransportTexts[0]);
    if (code >= SNMPAPI_ALLOC_ERROR && code < SNMPAPI_ALLOC_ERROR + lowCount)
        return errorText(kLowTexts[code - SNMPAPI_ALLOC_ERROR]);
    if (code >= SNMPAPI_OTHER_ERROR && code < SNMPAPI_OTHER_ERROR + transportCount)
        return errorText(kTransportTexts[code - SNMPAPI_OTHER_ERROR]);
    if (code == SNMPAPI_TL_OTHER)
        return errorText(kTransportOtherText);
    return errorText(kUnknownText);
}

void SnmpErrorText(quint32 code, QString &text)
{
    text = SnmpErrorText(code);
}

QString ErrorStatusText(qint32 errorStatus)
{
    // Compared as unsigned, so negative values fall outside the table.
    const auto index = static_cast<quint32>(errorStatus);
    if (index >= kStatusTableSize)
        return errorText(kUnknownText);
    if (index >= sizeof(kStatusTexts) / sizeof(kStatusTexts[0]))
        return QString();
    return QCoreApplication::translate("SnmpErrorStatus", kStatusTexts[index]);
}

QString ErrorStatusName(qint32 errorStatus)
{
    const auto index = static_cast<quint32>(errorStatus);
    if (index >= sizeof(kStatusNames) / sizeof(kStatusNames[0]))
        return QString();
    return QLatin1String(kStatusNames[index]);
}
