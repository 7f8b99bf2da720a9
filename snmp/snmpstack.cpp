#include "snmpstack_p.h"

#include "snmpber.h"
#include "snmptarget.h"

#include <net-snmp/library/transform_oids.h>

#include <arpa/inet.h>
#include <netinet/in.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

int g_startups = 0;
std::atomic<quint32> g_lastError{SNMPAPI_SUCCESS};

constexpr size_t kInitialEncodeBuffer = 2048;

// How net-snmp's failures read in the layer's numbering. The owners show
// SnmpErrorText of these codes, so each maps to the closest classic text.
struct ErrorMapping
{
    int netSnmp;
    quint32 code;
};
constexpr ErrorMapping kErrorTable[] = {
    // net-snmp error                     layer code
    {SNMPERR_SUCCESS,                     SNMPAPI_SUCCESS},
    {SNMPERR_GENERR,                      SNMPAPI_OTHER_ERROR},
    {SNMPERR_BAD_LOCPORT,                 SNMPAPI_TL_SRC_INVALID},
    {SNMPERR_BAD_ADDRESS,                 SNMPAPI_ENTITY_INVALID},   // host does not resolve
    {SNMPERR_BAD_SESSION,                 SNMPAPI_SESSION_INVALID},
    {SNMPERR_TOO_LONG,                    SNMPAPI_TL_PDU_TOO_BIG},
    {SNMPERR_NO_SOCKET,                   SNMPAPI_TL_RESOURCE_ERROR},
    {SNMPERR_V2_IN_V1,                    SNMPAPI_OPERATION_INVALID},
    {SNMPERR_V1_IN_V2,                    SNMPAPI_OPERATION_INVALID},
    {SNMPERR_BAD_REPEATERS,               SNMPAPI_PDU_INVALID},
    {SNMPERR_BAD_REPETITIONS,             SNMPAPI_PDU_INVALID},
    {SNMPERR_BAD_ASN1_BUILD,              SNMPAPI_PDU_INVALID},
    {SNMPERR_BAD_SENDTO,                  SNMPAPI_TL_UNDELIVERABLE}, // sendto failed
    {SNMPERR_BAD_PARSE,                   SNMPAPI_MESSAGE_INVALID},
    {SNMPERR_BAD_VERSION,                 SNMPAPI_OPERATION_INVALID},
    {SNMPERR_BAD_CONTEXT,                 SNMPAPI_CONTEXT_INVALID},
    {SNMPERR_BAD_COMMUNITY,               SNMPAPI_CONTEXT_INVALID},
    {SNMPERR_ABORT,                       SNMPAPI_OTHER_ERROR},
    {SNMPERR_UNKNOWN_PDU,                 SNMPAPI_PDU_INVALID},
    {SNMPERR_TIMEOUT,                     SNMPAPI_TL_TIMEOUT},
    {SNMPERR_BAD_RECVFROM,                SNMPAPI_TL_NOT_AVAILABLE},
    {SNMPERR_ASN_PARSE_ERR,               SNMPAPI_MESSAGE_INVALID},
    {SNMPERR_INVALID_MSG,                 SNMPAPI_MESSAGE_INVALID},
    {SNMPERR_RANGE,                       SNMPAPI_SYNTAX_INVALID},
    {SNMPERR_MAX_SUBID,                   SNMPAPI_OID_INVALID},
    {SNMPERR_BAD_SUBID,                   SNMPAPI_OID_INVALID},
    {SNMPERR_LONG_OID,                    SNMPAPI_OID_INVALID},
    {SNMPERR_BAD_NAME,                    SNMPAPI_OID_INVALID},
    {SNMPERR_UNKNOWN_OBJID,               SNMPAPI_OID_INVALID},
    {SNMPERR_VALUE,                       SNMPAPI_SYNTAX_INVALID},
    {SNMPERR_VAR_TYPE,                    SNMPAPI_SYNTAX_INVALID},
    {SNMPERR_NULL_PDU,                    SNMPAPI_PDU_INVALID},
    {SNMPERR_NO_VARS,                     SNMPAPI_VBL_INVALID},
    {SNMPERR_MALLOC,                      SNMPAPI_ALLOC_ERROR},
    {SNMPERR_PROTOCOL,                    SNMPAPI_TL_NOT_SUPPORTED},
    {SNMPERR_TRANSPORT_NO_CONFIG,         SNMPAPI_TL_INVALID_PARAM},
    {SNMPERR_TRANSPORT_CONFIG_ERROR,      SNMPAPI_TL_INVALID_PARAM},
};

using Tlv = SnmpBer::Element;

// The tag and content bytes of every varbind value of a message, walked
// independently of net-snmp so that values net-snmp converts (Opaque-wrapped
// floats) or cannot convert keep their original bytes.
bool rawValues(const u_char *data, size_t length, std::vector<Tlv> &values)
{
    Tlv message, field, pdu, list;
    SnmpBer::Reader top(data, data + length, SnmpBer::Reader::Lenient);
    if (!top.next(message, 0x30))
        return false;
    SnmpBer::Reader inMessage(message, SnmpBer::Reader::Lenient);
    if (!inMessage.next(field) || !inMessage.next(field) || !inMessage.next(pdu)) // version, community
        return false;
    SnmpBer::Reader inPdu(pdu, SnmpBer::Reader::Lenient);
    const int headerFields = pdu.tag == 0xA4 ? 5 : 3;
    for (int i = 0; i < headerFields; ++i)
        if (!inPdu.next(field))
            return false;
    if (!inPdu.next(list, 0x30))
        return false;
    SnmpBer::Reader inList(list, SnmpBer::Reader::Lenient);
    while (!inList.atEnd()) {
        Tlv vb, name, value;
        if (!inList.next(vb, 0x30))
            return false;
        SnmpBer::Reader inVb(vb, SnmpBer::Reader::Lenient);
        if (!inVb.next(name) || !inVb.next(value))
            return false;
        values.push_back(value);
    }
    return true;
}

bool isOpaqueSpecial(u_char type)
{
#ifdef NETSNMP_WITH_OPAQUE_SPECIAL_TYPES
    switch (type) {
    case ASN_OPAQUE_COUNTER64:
    case ASN_OPAQUE_FLOAT:
    case ASN_OPAQUE_DOUBLE:
    case ASN_OPAQUE_I64:
    case ASN_OPAQUE_U64:
        return true;
    default:
        break;
    }
#endif
    Q_UNUSED(type);
    return false;
}

bool isKnownType(u_char type)
{
    switch (type) {
    case ASN_INTEGER: case ASN_BIT_STR: case ASN_OCTET_STR: case ASN_NULL: case ASN_OBJECT_ID:
    case ASN_IPADDRESS: case ASN_COUNTER: case ASN_GAUGE: case ASN_TIMETICKS: case ASN_OPAQUE:
    case ASN_NSAP: case ASN_COUNTER64: case ASN_UINTEGER:
    case SNMP_NOSUCHOBJECT: case SNMP_NOSUCHINSTANCE: case SNMP_ENDOFMIBVIEW:
        return true;
    default:
        return isOpaqueSpecial(type);
    }
}

SnmpOid oidFrom(const oid *ids, size_t count)
{
    SnmpOid result;
    result.ids.reserve(count);
    for (size_t i = 0; i < count; ++i)
        result.ids.push_back(static_cast<quint32>(ids[i]));
    return result;
}

std::vector<oid> oidTo(const SnmpOid &o)
{
    return std::vector<oid>(o.ids.begin(), o.ids.end());
}

// An INTEGER, Counter32, Gauge32, TimeTicks or UInteger32 whose bytes hold
// a number that 32 bits cannot: signed for an INTEGER, unsigned for the rest.
bool overlong(const Tlv &raw)
{
    if (raw.length <= 4)
        return false;
    const bool isSigned = raw.tag == ASN_INTEGER;
    const u_char pad = isSigned && (raw.content[0] & 0x80) ? 0xFF : 0x00;
    // leading bytes beyond four must be padding only (and, for a signed
    // value, carry the sign of the fifth byte from the end)
    const size_t extra = raw.length - 4;
    for (size_t i = 0; i < extra; ++i)
        if (raw.content[i] != pad)
            return true;
    if (isSigned)
        return ((raw.content[extra] & 0x80) != 0) != (pad == 0xFF);
    return false;
}

// The value of a parsed variable; `raw` is its value element in the
// datagram, used where net-snmp's decoded form is not the one we keep.
SnmpValue valueFrom(const netsnmp_variable_list *var, const Tlv *raw)
{
    SnmpValue v;
    v.syntax = var->type;
    switch (var->type) {
    case ASN_INTEGER:
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
    case ASN_UINTEGER:
        v.number = static_cast<quint32>(var->val.integer ? *var->val.integer : 0);
        // net-snmp reads up to eight bytes and keeps the low 32 bits of what
        // does not fit: such a value keeps its bytes, shown for what they are
        if (raw && raw->tag == var->type && overlong(*raw))
            v.octets = QByteArray(reinterpret_cast<const char *>(raw->content), static_cast<qsizetype>(raw->length));
        break;
    case ASN_COUNTER64:
        if (var->val.counter64)
            v.counter64 = (static_cast<quint64>(var->val.counter64->high & 0xFFFFFFFFu) << 32)
                | (var->val.counter64->low & 0xFFFFFFFFu);
        break;
    case ASN_OCTET_STR:
    case ASN_BIT_STR:
    case ASN_OPAQUE:
    case ASN_NSAP:
    case ASN_IPADDRESS:
        if (var->val.string && var->val_len)
            v.octets = QByteArray(reinterpret_cast<const char *>(var->val.string),
                                  static_cast<qsizetype>(var->val_len));
        break;
    case ASN_OBJECT_ID:
        if (var->val.objid)
            v.oid = oidFrom(var->val.objid, var->val_len / sizeof(oid));
        break;
    default:
        if (isOpaqueSpecial(var->type)) {
            // net-snmp unwrapped an Opaque; give it back as the Opaque it was
            v.syntax = SNMP_SYNTAX_OPAQUE;
            if (raw)
                v.octets = QByteArray(reinterpret_cast<const char *>(raw->content),
                                      static_cast<qsizetype>(raw->length));
        } else if (raw) {
            // a syntax the layer does not know: keep its tag and bytes
            v.syntax = raw->tag;
            v.octets = QByteArray(reinterpret_cast<const char *>(raw->content),
                                  static_cast<qsizetype>(raw->length));
        }
        break;
    }
    return v;
}

} // namespace

bool SnmpStartup()
{
    if (g_startups++ > 0)
        return true;
    // No configuration files, no MIB files, no persistent state: the program
    // knows everything it needs, and must not scan /usr/share/snmp at start
    // or write /var/lib/snmp at exit.
    setenv("MIBDIRS", "", 1);
    setenv("MIBS", "", 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    // Malformed datagrams from the network make the library log; the layer
    // counts them itself, so the library's messages go nowhere.
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_NONE, LOG_DEBUG);
    init_snmp("orvelle");
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_REVERSE_ENCODE, 1);
    g_lastError = SNMPAPI_SUCCESS;
    return true;
}

void SnmpCleanup()
{
    if (g_startups <= 0)
        return;
    if (--g_startups == 0)
        snmp_shutdown("orvelle");
}

bool SnmpIsStarted()
{
    return g_startups > 0;
}

quint32 SnmpGetLastError()
{
    return g_lastError;
}

void SnmpSetLastError(quint32 code)
{
    g_lastError = code;
}

bool SnmpStrToOid(QStringView text, SnmpOid &result)
{
    auto parsed = SnmpOid::fromString(text.trimmed());
    if (!parsed || parsed->size() > kSnmpMaxOidLength) {
        g_lastError = SNMPAPI_OID_INVALID;
        return false;
    }
    result = std::move(*parsed);
    return true;
}

QByteArray SnmpToLocal8Bit(const QString &text, qsizetype limit)
{
    QByteArray bytes = text.toLocal8Bit();
    if (bytes.size() <= limit)
        return bytes;
    qsizetype cut = qMax<qsizetype>(limit, 0);
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
        --cut;
    bytes.truncate(cut);
    return bytes;
}

bool SnmpOidIsEncodable(const SnmpOid &o)
{
    if (o.ids.empty() || o.ids.size() > kSnmpMaxOidLength)
        return false;
    if (o.ids[0] > 2)
        return false;
    if (o.ids.size() >= 2 && o.ids[0] < 2 && o.ids[1] >= 40)
        return false;
    return true;
}

namespace SnmpOids {
SnmpOid sysUpTime0() { return {1, 3, 6, 1, 2, 1, 1, 3, 0}; }
SnmpOid snmpTrapOid0() { return {1, 3, 6, 1, 6, 3, 1, 1, 4, 1, 0}; }
SnmpOid snmpTraps() { return {1, 3, 6, 1, 6, 3, 1, 1, 5}; }
SnmpOid snmpTrapAddress0() { return {1, 3, 6, 1, 6, 3, 18, 1, 3, 0}; }
SnmpOid snmpTrapCommunity0() { return {1, 3, 6, 1, 6, 3, 18, 1, 4, 0}; }
SnmpOid snmpTrapEnterprise0() { return {1, 3, 6, 1, 6, 3, 1, 1, 4, 3, 0}; }
} // namespace SnmpOids

SnmpPdu SnmpConvertV1Trap(const SnmpPdu &v1, const QByteArray &community)
{
    SnmpPdu out;
    out.type = SNMP_PDU_TRAP;
    out.requestId = 0;
    out.varbinds.reserve(v1.varbinds.size() + 5);
    out.varbinds.push_back({SnmpOids::sysUpTime0(),
                            SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, v1.timeStamp)});
    SnmpOid trapOid;
    if (v1.genericTrap >= 0 && v1.genericTrap <= 5) {
        trapOid = SnmpOids::snmpTraps();
        trapOid.ids.push_back(static_cast<quint32>(v1.genericTrap) + 1);
    } else {
        // enterpriseSpecific(6); an out-of-range generic number is treated
        // the same way rather than invented into a standard trap
        trapOid = v1.enterprise;
        trapOid.ids.push_back(0);
        trapOid.ids.push_back(static_cast<quint32>(v1.specificTrap));
    }
    out.varbinds.push_back({SnmpOids::snmpTrapOid0(), SnmpValue::objectId(trapOid)});
    out.varbinds.insert(out.varbinds.end(), v1.varbinds.begin(), v1.varbinds.end());
    out.varbinds.push_back({SnmpOids::snmpTrapAddress0(),
                            SnmpValue::bytes(SNMP_SYNTAX_IPADDR, v1.agentAddress)});
    out.varbinds.push_back({SnmpOids::snmpTrapCommunity0(),
                            SnmpValue::bytes(SNMP_SYNTAX_OCTETS, community)});
    out.varbinds.push_back({SnmpOids::snmpTrapEnterprise0(), SnmpValue::objectId(v1.enterprise)});
    return out;
}

std::optional<SnmpMessage> SnmpDecodeMessage(const QByteArray &datagram)
{
    auto *pdu = static_cast<netsnmp_pdu *>(calloc(1, sizeof(netsnmp_pdu)));
    if (!pdu)
        return std::nullopt;
    SnmpMessage message;
    const bool ok = SnmpInternal::decodeInto(reinterpret_cast<const u_char *>(datagram.constData()),
                                             static_cast<size_t>(datagram.size()), pdu, message);
    snmp_free_pdu(pdu);
    if (!ok)
        return std::nullopt;
    return message;
}

QByteArray SnmpEncodeMessage(const SnmpMessage &message, quint32 *error)
{
    quint32 code = SNMPAPI_SUCCESS;
    netsnmp_pdu *pdu = SnmpInternal::makePdu(message, &code);
    QByteArray packet;
    if (pdu) {
        packet = SnmpInternal::encodePdu(pdu, &code);
        snmp_free_pdu(pdu);
    }
    if (error)
        *error = packet.isEmpty() ? code : SNMPAPI_SUCCESS;
    return packet;
}

namespace SnmpInternal {

ProtocolOid authProtocolOid(SnmpAuthProtocol protocol)
{
    switch (protocol) {
    case SnmpAuthProtocol::MD5: return {usmHMACMD5AuthProtocol, OID_LENGTH(usmHMACMD5AuthProtocol)};
    case SnmpAuthProtocol::SHA1: return {usmHMACSHA1AuthProtocol, OID_LENGTH(usmHMACSHA1AuthProtocol)};
    case SnmpAuthProtocol::SHA224: return {usmHMAC128SHA224AuthProtocol, OID_LENGTH(usmHMAC128SHA224AuthProtocol)};
    case SnmpAuthProtocol::SHA256: return {usmHMAC192SHA256AuthProtocol, OID_LENGTH(usmHMAC192SHA256AuthProtocol)};
    case SnmpAuthProtocol::SHA384: return {usmHMAC256SHA384AuthProtocol, OID_LENGTH(usmHMAC256SHA384AuthProtocol)};
    case SnmpAuthProtocol::SHA512: return {usmHMAC384SHA512AuthProtocol, OID_LENGTH(usmHMAC384SHA512AuthProtocol)};
    }
    return {usmHMACSHA1AuthProtocol, OID_LENGTH(usmHMACSHA1AuthProtocol)};
}

ProtocolOid privProtocolOid(SnmpPrivProtocol protocol)
{
    switch (protocol) {
#ifndef NETSNMP_DISABLE_DES
    case SnmpPrivProtocol::DES: return {usmDESPrivProtocol, OID_LENGTH(usmDESPrivProtocol)};
#else
    case SnmpPrivProtocol::DES: break;
#endif
    case SnmpPrivProtocol::AES128: return {usmAESPrivProtocol, OID_LENGTH(usmAESPrivProtocol)};
    case SnmpPrivProtocol::AES192: return {usmAES192PrivProtocol, OID_LENGTH(usmAES192PrivProtocol)};
    case SnmpPrivProtocol::AES256: return {usmAES256PrivProtocol, OID_LENGTH(usmAES256PrivProtocol)};
    }
    return {usmAESPrivProtocol, OID_LENGTH(usmAESPrivProtocol)};
}

int netSnmpLevel(SnmpSecurityLevel level)
{
    switch (level) {
    case SnmpSecurityLevel::NoAuthNoPriv: return SNMP_SEC_LEVEL_NOAUTH;
    case SnmpSecurityLevel::AuthNoPriv: return SNMP_SEC_LEVEL_AUTHNOPRIV;
    case SnmpSecurityLevel::AuthPriv: return SNMP_SEC_LEVEL_AUTHPRIV;
    }
    return SNMP_SEC_LEVEL_NOAUTH;
}

quint32 mapNetSnmpError(int snmpError, int sysErrno)
{
    if (snmpError == SNMPERR_BAD_SENDTO || snmpError == SNMPERR_BAD_RECVFROM) {
        switch (sysErrno) {
        case ENOBUFS:
        case ENOMEM:
            return SNMPAPI_TL_RESOURCE_ERROR;
        case EMSGSIZE:
            return SNMPAPI_TL_PDU_TOO_BIG;
        case ECONNREFUSED:
        case EHOSTUNREACH:
        case ENETUNREACH:
            return SNMPAPI_TL_UNDELIVERABLE;
        default:
            break;
        }
    }
    for (const auto &m : kErrorTable)
        if (m.netSnmp == snmpError)
            return m.code;
    return SNMPAPI_OTHER_ERROR;
}

bool decodeInto(const u_char *data, size_t length, netsnmp_pdu *pdu, SnmpMessage &out)
{
    if (!data || length < 2 || data[0] != (ASN_SEQUENCE | ASN_CONSTRUCTOR))
        return false;

    // net-snmp refuses a whole PDU for one value of a type it does not know.
    // Such values are handed to it as OCTET STRINGs (same length, so the
    // message stays well-formed) and get their own tag back afterwards:
    // never lose a trap for one odd value.
    std::vector<Tlv> raw;
    const bool haveRaw = rawValues(data, length, raw);
    std::vector<u_char> patched;
    const u_char *parseData = data;
    if (haveRaw) {
        for (const Tlv &t : raw) {
            if (isKnownType(t.tag) && !isOpaqueSpecial(t.tag))
                continue;
            if (patched.empty())
                patched.assign(data, data + length);
            patched[static_cast<size_t>(t.start - data)] = ASN_OCTET_STR;
        }
        if (!patched.empty())
            parseData = patched.data();
    }

    // The community can be no longer than the datagram; one more byte for
    // the terminator that net-snmp writes after it.
    std::vector<u_char> community(length + 1);
    size_t communityLength = length;
    size_t remaining = length;
    long version = -1;
    u_char *p = snmp_comstr_parse(const_cast<u_char *>(parseData), &remaining, community.data(),
                                  &communityLength, &version);
    if (!p || (version != SNMP_VERSION_1 && version != SNMP_VERSION_2c))
        return false;
    pdu->version = version;
    pdu->securityModel = version == SNMP_VERSION_1 ? SNMP_SEC_MODEL_SNMPv1 : SNMP_SEC_MODEL_SNMPv2c;
    pdu->securityLevel = SNMP_SEC_LEVEL_NOAUTH;
    pdu->community = static_cast<u_char *>(malloc(communityLength + 1));
    if (!pdu->community)
        return false;
    memcpy(pdu->community, community.data(), communityLength);
    pdu->community[communityLength] = 0;
    pdu->community_len = communityLength;

    if (snmp_pdu_parse(pdu, p, &remaining) != 0)
        return false;
    size_t count = 0;
    for (netsnmp_variable_list *v = pdu->variables; v; v = v->next_variable, ++count) {
        if (!v->name)
            return false;
    }
    // the raw walk must agree with net-snmp about the varbinds whose bytes
    // it supplies
    const bool useRaw = haveRaw && raw.size() == count;
    if (!patched.empty() && !useRaw)
        return false;

    const u_char command = pdu->command;
    const bool v1 = version == SNMP_VERSION_1;
    switch (command) {
    case SNMP_MSG_GET: case SNMP_MSG_GETNEXT: case SNMP_MSG_RESPONSE: case SNMP_MSG_SET:
        break;
    case SNMP_MSG_TRAP:
        if (!v1)
            return false;
        break;
    case SNMP_MSG_GETBULK: case SNMP_MSG_INFORM: case SNMP_MSG_TRAP2: case SNMP_MSG_REPORT:
        if (v1)
            return false;
        break;
    default:
        return false;
    }

    out.version = static_cast<int>(version);
    out.community = QByteArray(reinterpret_cast<const char *>(community.data()),
                               static_cast<qsizetype>(communityLength));
    SnmpPdu &r = out.pdu;
    r = SnmpPdu();
    r.type = command;
    if (command == SNMP_MSG_TRAP) {
        r.enterprise = oidFrom(pdu->enterprise, pdu->enterprise ? pdu->enterprise_length : 0);
        r.agentAddress = QByteArray(reinterpret_cast<const char *>(pdu->agent_addr), 4);
        r.genericTrap = static_cast<qint32>(pdu->trap_type);
        r.specificTrap = static_cast<qint32>(pdu->specific_type);
        r.timeStamp = static_cast<quint32>(pdu->time);
    } else {
        r.requestId = static_cast<qint32>(pdu->reqid);
        r.errorStatus = static_cast<qint32>(pdu->errstat);
        r.errorIndex = static_cast<qint32>(pdu->errindex);
    }
    r.varbinds.reserve(count);
    size_t index = 0;
    for (netsnmp_variable_list *v = pdu->variables; v; v = v->next_variable, ++index) {
        const Tlv *rawValue = useRaw ? &raw[index] : nullptr;
        SnmpValue value = valueFrom(v, rawValue);
        if (rawValue && rawValue->tag != v->type && !isOpaqueSpecial(v->type)) {
            // a value of a syntax the layer does not know: its tag and bytes
            value = SnmpValue::bytes(rawValue->tag, QByteArray(reinterpret_cast<const char *>(rawValue->content),
                                                               static_cast<qsizetype>(rawValue->length)));
        }
        r.varbinds.push_back({oidFrom(v->name, v->name_length), std::move(value)});
    }
    return true;
}

SnmpPdu pduFrom(const netsnmp_pdu *pdu)
{
    SnmpPdu r;
    r.type = static_cast<quint32>(pdu->command);
    r.requestId = static_cast<qint32>(pdu->reqid);
    r.errorStatus = static_cast<qint32>(pdu->errstat);
    r.errorIndex = static_cast<qint32>(pdu->errindex);
    for (const netsnmp_variable_list *v = pdu->variables; v; v = v->next_variable) {
        if (!v->name)
            continue;
        r.varbinds.push_back({oidFrom(v->name, v->name_length), valueFrom(v, nullptr)});
    }
    return r;
}

bool addVarBind(netsnmp_pdu *pdu, const SnmpVarBind &vb, quint32 *error)
{
    if (!SnmpOidIsEncodable(vb.oid)) {
        *error = SNMPAPI_OID_INVALID;
        return false;
    }
    const std::vector<oid> name = oidTo(vb.oid);
    const SnmpValue &value = vb.value;
    netsnmp_variable_list *added = nullptr;
    switch (value.syntax) {
    case SNMP_SYNTAX_INT32: {
        long n = value.int32();
        added = snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_INTEGER, &n, sizeof(n));
        break;
    }
    case SNMP_SYNTAX_CNTR32:
    case SNMP_SYNTAX_GAUGE32:
    case SNMP_SYNTAX_TIMETICKS:
    case SNMP_SYNTAX_UINT32: {
        u_long n = value.number;
        added = snmp_pdu_add_variable(pdu, name.data(), name.size(), static_cast<u_char>(value.syntax),
                                      &n, sizeof(n));
        break;
    }
    case SNMP_SYNTAX_CNTR64: {
        counter64 c{};
        c.high = static_cast<u_long>(value.counter64 >> 32);
        c.low = static_cast<u_long>(value.counter64 & 0xFFFFFFFFu);
        added = snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_COUNTER64, &c, sizeof(c));
        break;
    }
    case SNMP_SYNTAX_IPADDR:
        if (value.octets.size() != 4) {
            *error = SNMPAPI_SYNTAX_INVALID;
            return false;
        }
        [[fallthrough]];
    case SNMP_SYNTAX_OCTETS:
    case SNMP_SYNTAX_BITS:
    case SNMP_SYNTAX_OPAQUE:
    case SNMP_SYNTAX_NSAPADDR:
        added = snmp_pdu_add_variable(pdu, name.data(), name.size(), static_cast<u_char>(value.syntax),
                                      value.octets.constData(), static_cast<size_t>(value.octets.size()));
        break;
    case SNMP_SYNTAX_OID: {
        if (!SnmpOidIsEncodable(value.oid) && !value.oid.isEmpty()) {
            *error = SNMPAPI_SYNTAX_INVALID;
            return false;
        }
        const std::vector<oid> v = oidTo(value.oid);
        added = snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_OBJECT_ID, v.data(),
                                      v.size() * sizeof(oid));
        break;
    }
    case SNMP_SYNTAX_NULL:
    case SNMP_SYNTAX_NOSUCHOBJECT:
    case SNMP_SYNTAX_NOSUCHINSTANCE:
    case SNMP_SYNTAX_ENDOFMIBVIEW:
        added = snmp_pdu_add_variable(pdu, name.data(), name.size(), static_cast<u_char>(value.syntax),
                                      nullptr, 0);
        break;
    default:
        *error = SNMPAPI_SYNTAX_INVALID;
        return false;
    }
    if (!added) {
        *error = SNMPAPI_ALLOC_ERROR;
        return false;
    }
    return true;
}

netsnmp_pdu *makePdu(const SnmpMessage &message, quint32 *error)
{
    if (message.version != SNMP_VERSION_V1 && message.version != SNMP_VERSION_V2C
        && message.version != SNMP_VERSION_V3) {
        *error = SNMPAPI_OPERATION_INVALID;
        return nullptr;
    }
    const SnmpPdu &in = message.pdu;
    netsnmp_pdu *pdu = snmp_pdu_create(static_cast<int>(in.type));
    if (!pdu) {
        *error = SNMPAPI_ALLOC_ERROR;
        return nullptr;
    }
    pdu->version = message.version;
    // SNMPv3 has no community: user, level, keys and context come from the
    // session when the PDU is sent
    if (message.version != SNMP_VERSION_V3) {
        pdu->community = static_cast<u_char *>(malloc(static_cast<size_t>(message.community.size()) + 1));
        if (!pdu->community) {
            snmp_free_pdu(pdu);
            *error = SNMPAPI_ALLOC_ERROR;
            return nullptr;
        }
        memcpy(pdu->community, message.community.constData(), static_cast<size_t>(message.community.size()));
        pdu->community_len = static_cast<size_t>(message.community.size());
    }
    if (in.type == SNMP_PDU_V1TRAP) {
        if (!SnmpOidIsEncodable(in.enterprise) || in.agentAddress.size() != 4) {
            snmp_free_pdu(pdu);
            *error = SNMPAPI_PDU_INVALID;
            return nullptr;
        }
        const std::vector<oid> e = oidTo(in.enterprise);
        pdu->enterprise = static_cast<oid *>(malloc(e.size() * sizeof(oid)));
        if (!pdu->enterprise) {
            snmp_free_pdu(pdu);
            *error = SNMPAPI_ALLOC_ERROR;
            return nullptr;
        }
        memcpy(pdu->enterprise, e.data(), e.size() * sizeof(oid));
        pdu->enterprise_length = e.size();
        memcpy(pdu->agent_addr, in.agentAddress.constData(), 4);
        pdu->trap_type = in.genericTrap;
        pdu->specific_type = in.specificTrap;
        pdu->time = in.timeStamp;
    } else {
        pdu->reqid = in.requestId;
        pdu->errstat = in.errorStatus;
        pdu->errindex = in.errorIndex;
    }
    for (const SnmpVarBind &vb : in.varbinds) {
        if (!addVarBind(pdu, vb, error)) {
            snmp_free_pdu(pdu);
            return nullptr;
        }
    }
    return pdu;
}

QByteArray encodePdu(netsnmp_pdu *pdu, quint32 *error)
{
    netsnmp_session session;
    snmp_sess_init(&session);
    session.version = pdu->version;
    session.community = pdu->community;
    session.community_len = pdu->community_len;
    size_t bufferLength = kInitialEncodeBuffer;
    auto *buffer = static_cast<u_char *>(malloc(bufferLength));
    if (!buffer) {
        *error = SNMPAPI_ALLOC_ERROR;
        return {};
    }
    size_t offset = 0;
    const int rc = snmp_build(&buffer, &bufferLength, &offset, &session, pdu);
    QByteArray packet;
    if (rc == 0 && offset > 0 && offset <= bufferLength) {
        // built backwards from the end of the buffer
        packet = QByteArray(reinterpret_cast<const char *>(buffer + bufferLength - offset),
                            static_cast<qsizetype>(offset));
    } else {
        *error = mapNetSnmpError(session.s_snmp_errno ? session.s_snmp_errno : SNMPERR_BAD_ASN1_BUILD, 0);
    }
    free(buffer);
    return packet;
}

QString addressText(const sockaddr *address, size_t length)
{
    return SnmpAddressText(address, length);
}

} // namespace SnmpInternal

QString SnmpAddressText(const sockaddr *address, size_t length)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (!address)
        return {};
    if (address->sa_family == AF_INET && length >= sizeof(sockaddr_in)) {
        const auto *in = reinterpret_cast<const sockaddr_in *>(address);
        if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof(text)))
            return QString::fromLatin1(text);
    } else if (address->sa_family == AF_INET6 && length >= sizeof(sockaddr_in6)) {
        const auto *in6 = reinterpret_cast<const sockaddr_in6 *>(address);
        if (IN6_IS_ADDR_V4MAPPED(&in6->sin6_addr)) {
            if (inet_ntop(AF_INET, &in6->sin6_addr.s6_addr[12], text, sizeof(text)))
                return QString::fromLatin1(text);
        } else if (inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof(text))) {
            return QString::fromLatin1(text);
        }
    }
    return {};
}


QString SnmpAddressPortText(const sockaddr *address, size_t length)
{
    const QString host = SnmpAddressText(address, length);
    if (host.isEmpty())
        return {};
    quint16 port = 0;
    if (address->sa_family == AF_INET)
        port = ntohs(reinterpret_cast<const sockaddr_in *>(address)->sin_port);
    else
        port = ntohs(reinterpret_cast<const sockaddr_in6 *>(address)->sin6_port);
    return (host.contains(u':') ? u'[' + host + u']' : host) + u':' + QString::number(port);
}
