#pragma once

// What the compiler knows about a set of MIB modules, whatever they were
// read from (SMI text through net-snmp, or our facts files), and how it is
// written out as MIBTable.xml.

#include "snmptypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

// The ranges of a syntax: (1..3 | 5) as {1,3},{5,5}.
using MibRanges = std::vector<std::pair<qint64, qint64>>;

// A TEXTUAL-CONVENTION, or an SMIv1 type assignment that serves as one.
struct MibcTc
{
    QString name;
    QString module;
    QString base; // base syntax: INTEGER, OCTET STRING, ...
    QString hint;
    QString status;
    std::vector<std::pair<qint64, QString>> enums;
    MibRanges ranges;
    QString descrEn;
    QString descrJa;
};

// "1..3 | 5" (SMI) or "1..3|5" (facts) -> ranges; false on anything else.
bool parseMibRanges(const QString &text, MibRanges *ranges);
// The facts form: "1..3|5".
QString mibRangesText(const MibRanges &ranges);

struct MibcNode
{
    QString name;
    QString module;
    QString kind;   // node, scalar, table, entry, column, notification, group, ...
    QString syntax; // base type: INTEGER, OCTET STRING, ...
    QString tc;     // textual convention, when the syntax is one
    QString access;
    QString status;
    QString units;
    QString hint;
    QString augments;
    std::vector<std::pair<qint64, QString>> enums;
    MibRanges ranges; // values, or the sizes of an OCTET STRING
    std::vector<std::pair<QString, bool>> indexes; // name, IMPLIED
    QStringList objects;                           // notification varbinds
    int severity = 0;                              // notifications: 1..3
    QString revision;                              // module identities: LAST-UPDATED
    QString descrEn;
    QString descrJa;
    bool smiV2 = true;
};

// The SET dialog's syntax entry + 1 for a base syntax and access; 0 when the
// object cannot be written or its syntax has no entry (counters).
int mibWriteSyntax(const QString &syntax, const QString &access);

// Collapses the layout of a MIB description: lines joined within a
// paragraph, paragraphs separated by one newline.
QString normalizeDescription(const QString &text);

// Severity words of --#SEVERITY hints and override files; 0 when unknown.
int severityFromText(const QString &word);

class MibcDatabase
{
public:
    enum class AddResult { Added, Replaced, Kept };
    // Adds a definition. When the OID is already defined the SMIv2
    // definition wins over an SMIv1 one; between equals the first stays.
    AddResult add(const SnmpOid &oid, MibcNode node);

    const std::map<SnmpOid, MibcNode> &nodes() const { return m_nodes; }
    std::map<SnmpOid, MibcNode> &nodes() { return m_nodes; }
    // The OIDs defined under a name ("name" or "MODULE::name"), or a dotted
    // OID that is defined.
    std::vector<SnmpOid> resolve(const QString &nameOrOid) const;

    // MIBTable.xml, byte for byte the same for the same content.
    QByteArray toXml() const;
    // Reads a MIBTable.xml written by toXml() (or an older one) into an
    // empty database; false with the reason when it does not parse.
    bool readXml(const QString &path, QString *error);

private:
    std::map<SnmpOid, MibcNode> m_nodes;
};
