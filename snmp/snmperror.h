#pragma once

// Error codes of the SNMP layer and their texts.
//
// The codes keep the classic WinSNMP numbering (2 to 20, 99 to 109, 199), so
// that every owner shows the same texts for the same failures. net-snmp's
// own failures are mapped onto them in snmpstack.cpp (see the table there).

#include <QString>

enum SnmpApiError : quint32 {
    SNMPAPI_FAILURE = 0,
    SNMPAPI_SUCCESS = 1,
    SNMPAPI_ALLOC_ERROR = 2,
    SNMPAPI_CONTEXT_INVALID = 3,
    SNMPAPI_CONTEXT_UNKNOWN = 4,
    SNMPAPI_ENTITY_INVALID = 5,
    SNMPAPI_ENTITY_UNKNOWN = 6,
    SNMPAPI_INDEX_INVALID = 7,
    SNMPAPI_NOOP = 8,
    SNMPAPI_OID_INVALID = 9,
    SNMPAPI_OPERATION_INVALID = 10,
    SNMPAPI_OUTPUT_TRUNCATED = 11,
    SNMPAPI_PDU_INVALID = 12,
    SNMPAPI_SESSION_INVALID = 13,
    SNMPAPI_SYNTAX_INVALID = 14,
    SNMPAPI_VBL_INVALID = 15,
    SNMPAPI_MODE_INVALID = 16,
    SNMPAPI_SIZE_INVALID = 17,
    SNMPAPI_NOT_INITIALIZED = 18,
    SNMPAPI_MESSAGE_INVALID = 19,
    SNMPAPI_HWND_INVALID = 20,
    SNMPAPI_OTHER_ERROR = 99,
    SNMPAPI_TL_NOT_INITIALIZED = 100,
    SNMPAPI_TL_NOT_SUPPORTED = 101,
    SNMPAPI_TL_NOT_AVAILABLE = 102,
    SNMPAPI_TL_RESOURCE_ERROR = 103,
    SNMPAPI_TL_UNDELIVERABLE = 104,
    SNMPAPI_TL_SRC_INVALID = 105,
    SNMPAPI_TL_INVALID_PARAM = 106,
    SNMPAPI_TL_IN_USE = 107,
    SNMPAPI_TL_TIMEOUT = 108,
    SNMPAPI_TL_PDU_TOO_BIG = 109,
    SNMPAPI_TL_OTHER = 199,
};

// The text of an error code of the layer (what SnmpGetLastError gives and
// what notification codes 1 and 3 carry). Codes without a text of their own,
// 0 and 1 included, give the "unknown error" text. Translated.
QString SnmpErrorText(quint32 code);
void SnmpErrorText(quint32 code, QString &text);

// The name of an SNMP error-status value of a response PDU (0 "no error" to
// 18 "inconsistent name"; 19 is empty). Any other value, negative ones
// included, gives the "unknown error" text.
QString ErrorStatusText(qint32 errorStatus);

// The protocol's own name of an error status, as the SNMP RFCs spell it
// ("noError", "tooBig", ... "notWritable", "inconsistentName" for 0 to 18):
// what agents' logs and other tools show, so never translated. Empty for
// any other value.
QString ErrorStatusName(qint32 errorStatus);
