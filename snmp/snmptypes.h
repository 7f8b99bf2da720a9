#pragma once

// Value types of the SNMP layer. They own their memory, so callers never free
// anything; the net-snmp structures stay inside snmp/.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

// Syntax codes as they travel in BER; the rendering and the MIB database use
// the same numbers.
enum SnmpSyntax : quint32 {
    SNMP_SYNTAX_INT32 = 0x02,
    SNMP_SYNTAX_BITS = 0x03,
    SNMP_SYNTAX_OCTETS = 0x04,
    SNMP_SYNTAX_NULL = 0x05,
    SNMP_SYNTAX_OID = 0x06,
    SNMP_SYNTAX_IPADDR = 0x40,
    SNMP_SYNTAX_CNTR32 = 0x41,
    SNMP_SYNTAX_GAUGE32 = 0x42,
    SNMP_SYNTAX_TIMETICKS = 0x43,
    SNMP_SYNTAX_OPAQUE = 0x44,
    SNMP_SYNTAX_NSAPADDR = 0x45,
    SNMP_SYNTAX_CNTR64 = 0x46,
    SNMP_SYNTAX_UINT32 = 0x47,
    SNMP_SYNTAX_NOSUCHOBJECT = 0x80,
    SNMP_SYNTAX_NOSUCHINSTANCE = 0x81,
    SNMP_SYNTAX_ENDOFMIBVIEW = 0x82,
};

// True for the SNMPv2 exceptions an agent answers in place of a value
// (noSuchObject, noSuchInstance, endOfMibView).
constexpr bool SnmpIsException(quint32 syntax)
{
    return syntax == SNMP_SYNTAX_NOSUCHOBJECT || syntax == SNMP_SYNTAX_NOSUCHINSTANCE
        || syntax == SNMP_SYNTAX_ENDOFMIBVIEW;
}

// An object identifier: the sub-identifiers, nothing else.
struct SnmpOid
{
    std::vector<quint32> ids;

    SnmpOid() = default;
    SnmpOid(std::initializer_list<quint32> list) : ids(list) {}
    explicit SnmpOid(std::vector<quint32> list) : ids(std::move(list)) {}

    // Dotted decimal ("1.3.6.1.2.1.1.3.0"; a leading dot is accepted). Empty
    // text, empty components, non-digits or a sub-identifier above 2^32-1
    // give nothing.
    static std::optional<SnmpOid> fromString(QStringView text);
    QString toString() const;

    bool isEmpty() const { return ids.empty(); }
    size_t size() const { return ids.size(); }
    bool startsWith(const SnmpOid &prefix) const;

    friend bool operator==(const SnmpOid &, const SnmpOid &) = default;
    friend auto operator<=>(const SnmpOid &, const SnmpOid &) = default;
};

// One value with its syntax. Which member holds the data depends on the
// syntax: number for the 32-bit integer kinds (Integer32 as its two's
// complement bits), counter64 for Counter64, octets for OCTET STRING, BITS,
// Opaque, NsapAddress and IpAddress, oid for OBJECT IDENTIFIER.
struct SnmpValue
{
    quint32 syntax = SNMP_SYNTAX_NULL;
    quint32 number = 0;
    quint64 counter64 = 0;
    QByteArray octets;
    SnmpOid oid;

    qint32 int32() const { return static_cast<qint32>(number); }

    static SnmpValue integer(qint32 v) { SnmpValue x; x.syntax = SNMP_SYNTAX_INT32; x.number = static_cast<quint32>(v); return x; }
    static SnmpValue unsignedValue(quint32 syntax, quint32 v) { SnmpValue x; x.syntax = syntax; x.number = v; return x; }
    static SnmpValue counter(quint64 v) { SnmpValue x; x.syntax = SNMP_SYNTAX_CNTR64; x.counter64 = v; return x; }
    static SnmpValue bytes(quint32 syntax, QByteArray b) { SnmpValue x; x.syntax = syntax; x.octets = std::move(b); return x; }
    static SnmpValue objectId(SnmpOid o) { SnmpValue x; x.syntax = SNMP_SYNTAX_OID; x.oid = std::move(o); return x; }

    friend bool operator==(const SnmpValue &, const SnmpValue &) = default;
};

// A number that came in more bytes than its syntax holds (net-snmp keeps
// its low 32 bits in `number`); its own bytes are in `octets`.
inline bool SnmpIsOverlong(const SnmpValue &v)
{
    switch (v.syntax) {
    case SNMP_SYNTAX_INT32:
    case SNMP_SYNTAX_CNTR32:
    case SNMP_SYNTAX_GAUGE32:
    case SNMP_SYNTAX_TIMETICKS:
    case SNMP_SYNTAX_UINT32:
        return !v.octets.isEmpty();
    default:
        return false;
    }
}

struct SnmpVarBind
{
    SnmpOid oid;
    SnmpValue value;

    friend bool operator==(const SnmpVarBind &, const SnmpVarBind &) = default;
};

using SnmpVarList = std::vector<SnmpVarBind>;

// PDU types (the BER tags of the PDUs).
enum SnmpPduType : quint32 {
    SNMP_PDU_GET = 0xA0,
    SNMP_PDU_GETNEXT = 0xA1,
    SNMP_PDU_RESPONSE = 0xA2,
    SNMP_PDU_SET = 0xA3,
    SNMP_PDU_V1TRAP = 0xA4,
    SNMP_PDU_GETBULK = 0xA5,
    SNMP_PDU_INFORM = 0xA6,
    SNMP_PDU_TRAP = 0xA7,
    SNMP_PDU_REPORT = 0xA8,
};

// Message versions as they travel (SNMPv1 is 0).
enum SnmpVersion : int {
    SNMP_VERSION_V1 = 0,
    SNMP_VERSION_V2C = 1,
    SNMP_VERSION_V3 = 3,
};

// One PDU as a value. The v1 trap fields are used only by SNMP_PDU_V1TRAP;
// everything the layer hands to its owners is in the SNMPv2 form, where they
// are empty.
struct SnmpPdu
{
    quint32 type = SNMP_PDU_GET;
    qint32 requestId = 0;
    qint32 errorStatus = 0;
    qint32 errorIndex = 0;
    SnmpVarList varbinds;

    // SNMPv1 Trap-PDU header.
    SnmpOid enterprise;
    QByteArray agentAddress; // 4 bytes
    qint32 genericTrap = 0;
    qint32 specificTrap = 0;
    quint32 timeStamp = 0;

    // True when this trap arrived as an InformRequest (already acknowledged).
    bool inform = false;

    friend bool operator==(const SnmpPdu &, const SnmpPdu &) = default;
};

// A whole SNMPv1/v2c message: version, community octets and the PDU.
struct SnmpMessage
{
    int version = SNMP_VERSION_V1;
    QByteArray community;
    SnmpPdu pdu;
};
