#pragma once

// The stack layer under every SNMP conversation of the program: start-up and
// clean-up of net-snmp, the last error, OID parsing, and the message codec
// (decode, encode, SNMPv1 trap conversion) as value types.
//
// Everything here runs on the GUI thread: net-snmp's parser and encoder keep
// global state and are not safe to call from two threads at once. The trap
// port's reader thread never calls into this file or net-snmp: it answers
// informs with the layer's own BER code (snmpinformack.h).

#include "snmperror.h"
#include "snmptypes.h"

#include <QStringView>

#include <sys/socket.h>

#include <optional>

// Starts the library once per process (counted: every SnmpStartup needs one
// SnmpCleanup). Reads no configuration files and no MIB files and never
// writes persistent state. Gives true when the library is ready.
bool SnmpStartup();
void SnmpCleanup();
bool SnmpIsStarted();

// The last error without a session (for instance after SnmpStrToOid failed).
// Per-session errors: SnmpGetLastError(session) in snmpsession.h.
quint32 SnmpGetLastError();
void SnmpSetLastError(quint32 code);

// Parses dotted decimal text. On failure gives false, leaves `oid` as it was
// and sets the last error to SNMPAPI_OID_INVALID. At most kSnmpMaxOidLength
// sub-identifiers.
constexpr size_t kSnmpMaxOidLength = 128;
bool SnmpStrToOid(QStringView text, SnmpOid &oid);

// Text for the stack (communities, OID texts): the locale's 8-bit encoding
// (UTF-8 in practice), at most `limit` bytes, cut at a character boundary so
// that no half character is ever sent.
QByteArray SnmpToLocal8Bit(const QString &text, qsizetype limit);

// True when the OID can travel in a message: 1 to 128 sub-identifiers, the
// first at most 2, the second below 40 unless the first is 2.
bool SnmpOidIsEncodable(const SnmpOid &oid);

// Decodes one SNMPv1 or SNMPv2c message. Gives nothing for anything else
// (truncated or malformed data, other versions, PDU types the version does
// not allow). Opaque values that wrap a float, double or 64-bit number come
// back as Opaque (0x44) with their original bytes.
std::optional<SnmpMessage> SnmpDecodeMessage(const QByteArray &datagram);

// Encodes a message; empty on failure, with *error set to the layer's code.
QByteArray SnmpEncodeMessage(const SnmpMessage &message, quint32 *error = nullptr);

// The SNMPv2 form of an SNMPv1 Trap-PDU: sysUpTime.0, snmpTrapOID.0
// (snmpTraps.(generic+1) for the generic traps 0 to 5, otherwise
// enterprise.0.specific), the trap's own variables, then snmpTrapAddress.0,
// snmpTrapCommunity.0 and snmpTrapEnterprise.0. Type SNMP_PDU_TRAP.
SnmpPdu SnmpConvertV1Trap(const SnmpPdu &v1Trap, const QByteArray &community);

// The address of a socket address as text, without the port; an
// IPv4-mapped IPv6 address (::ffff:a.b.c.d) is shown as IPv4. Empty for
// anything else.
QString SnmpAddressText(const sockaddr *address, size_t length);
// The same with the port: "192.0.2.1:162", "[2001:db8::1]:162".
QString SnmpAddressPortText(const sockaddr *address, size_t length);

// Well-known OIDs of the notification varbinds.
namespace SnmpOids {
SnmpOid sysUpTime0();
SnmpOid snmpTrapOid0();
SnmpOid snmpTraps();
SnmpOid snmpTrapAddress0();
SnmpOid snmpTrapCommunity0();
SnmpOid snmpTrapEnterprise0();
} // namespace SnmpOids
