#pragma once

// Whether a value fits what the MIB defines for the object it is written
// to: its enumeration, its ranges, the sizes of a string. Checked before a
// SET is sent, so that the user reads which constraint a value breaks
// instead of decoding the agent's wrongValue.

#include "mibdocument.h"
#include "snmptypes.h"

#include <QString>

#include <optional>

namespace ValueCheck {

// The object `oid` names (itself or an instance of it), or null when the
// database does not define one.
const MibDocument::Entry *objectOf(const MibDocument *document, const SnmpOid &oid);
// The same for an OID as typed (blanks around it ignored); null when the
// text is no OID.
const MibDocument::Entry *objectOf(const MibDocument *document, const QString &oidText);

// Empty when `value` fits the object, else a sentence that names the
// object, the value and the constraint it breaks.
QString problem(const MibDocument &document, const MibDocument::Entry &object, const SnmpValue &value);

// An enumeration's number for "up", "up(1)" or "1"; nothing when the text
// names none of the object's labels.
std::optional<qint32> enumValue(const MibDocument &document, const MibDocument::Entry &object, const QString &text);

// "up(1), down(2), testing(3)", "1..3 | 5": for messages.
QString enumsText(const MibDocument &document, const MibDocument::Entry &object);
QString rangesText(const std::vector<MibDocument::Range> &ranges);

} // namespace ValueCheck
