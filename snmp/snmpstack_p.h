#pragma once

// net-snmp side of the stack layer; only snmp/ includes this.

#include "snmpstack.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/large_fd_set.h>

#include <sys/socket.h>

#include <QString>

enum class SnmpAuthProtocol : int;
enum class SnmpPrivProtocol : int;
enum class SnmpSecurityLevel : int;

namespace SnmpInternal {

// net-snmp's OIDs of the protocols and its number of a level.
struct ProtocolOid
{
    const oid *ids;
    u_int length;
};
ProtocolOid authProtocolOid(SnmpAuthProtocol protocol);
ProtocolOid privProtocolOid(SnmpPrivProtocol protocol);
int netSnmpLevel(SnmpSecurityLevel level);

// Decodes one v1/v2c message into `pdu` (net-snmp's form, owned by the
// caller) and `out` (the value form). False for anything not decodable.
bool decodeInto(const u_char *data, size_t length, netsnmp_pdu *pdu, SnmpMessage &out);

// The value form of a PDU that net-snmp decoded itself (SNMPv3, where the
// security model has to read the message).
SnmpPdu pduFrom(const netsnmp_pdu *pdu);

// A net-snmp PDU with the message's fields and variables; nullptr with
// *error set on failure. Free with snmp_free_pdu.
netsnmp_pdu *makePdu(const SnmpMessage &message, quint32 *error);
bool addVarBind(netsnmp_pdu *pdu, const SnmpVarBind &vb, quint32 *error);

// Encodes a net-snmp PDU as a whole message.
QByteArray encodePdu(netsnmp_pdu *pdu, quint32 *error);

// net-snmp's error (SNMPERR_*) and errno as the layer's error code.
quint32 mapNetSnmpError(int snmpError, int sysErrno);

// The address of a socket address without the port; an IPv4-mapped IPv6
// address is shown as IPv4.
QString addressText(const sockaddr *address, size_t length);

} // namespace SnmpInternal
