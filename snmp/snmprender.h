#pragma once

// Text forms of SNMP values, syntaxes and OIDs, as every window and log of
// the program shows them. Stateless; values are rendered whole, however long.

#include "snmptypes.h"

#include <QByteArray>
#include <QString>

// Sets `label` to SyntaxLabel(value.syntax) and `text` to the value's text
// (ValueToText; for a syntax the table does not know, `text` is left as it
// was and the label is empty). Gives 1.
int RenderValue(const SnmpValue &value, QString &label, QString &text);

// The value as text. Gives 1 and replaces `text`, or 0 and leaves `text`
// untouched when the syntax is not one the layer knows.
//   Integer32 signed decimal; Counter32, Gauge32, Unsigned32 unsigned decimal;
//   TimeTicks "D days HHh:MMm:SSs.CCth" ("1 day ..." for exactly one day);
//   Counter64 unsigned decimal; IpAddress dotted decimal bytes;
//   BITS, Opaque, NsapAddress "xx.xx.xx (hex)";
//   OCTET STRING "(zero-length)", its text when the bytes are valid UTF-8
//   without control characters (below 0x20, or 0x7F), else the hex form;
//   OBJECT IDENTIFIER dotted; NULL "NULL"; the exceptions by their names
//   ("noSuchObject", "noSuchInstance", "endOfMibView").
int ValueToText(const SnmpValue &value, QString &text);
// The same for an agent whose texts are in `encoding` (an iconv name such
// as "Shift_JIS", "EUC-JP" or "ISO-8859-1"; empty or UTF-8: the rule
// above): an OCTET STRING is its text when every byte decodes and no
// control character results, else the hex form.
int ValueToText(const SnmpValue &value, QString &text, const QByteArray &encoding);
// The same as a result: empty for a syntax the table does not know.
QString ValueToText(const SnmpValue &value);
// A Counter64 in hex, zero-padded to 16 digits ("0x00000001000000ff"), for
// the cell tip beside the decimal value.
QString Counter64HexText(quint64 value);

// "(int,int32)", "(octets)", ... for the syntax; empty for unknown syntaxes.
void SyntaxLabel(quint32 syntax, QString &label);
QString SyntaxLabel(quint32 syntax);

// Dotted decimal; an OID without sub-identifiers gives empty text.
void OidToText(const SnmpOid &oid, QString &text);
QString OidToText(const SnmpOid &oid);

// True when `bytes` are shown as text by ValueToText: valid UTF-8 (no
// overlong forms, no surrogates, nothing above U+10FFFF) and no byte below
// 0x20 or equal to 0x7F.
bool isDisplayableUtf8(const QByteArray &bytes);
