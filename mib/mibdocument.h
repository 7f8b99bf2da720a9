#pragma once

// The MIB database as loaded from MIBTable.xml: the XML document itself (the
// OID tree drop-down walks it) and an index on sub-identifiers built once at
// load, so that translating a varbind never scans the document.

#include "snmptypes.h"

#include <pugixml.hpp>

#include <QString>

#include <memory>
#include <vector>

// Names of the elements and attributes of MIBTable.xml. The compiler writes
// them, the reader and the OID tree read them.
namespace MibXml {
inline constexpr char kRoot[] = "mib_table";
inline constexpr char kOid[] = "oid";
inline constexpr char kKey[] = "key";            // attribute of <oid>
inline constexpr char kSequence[] = "sequence";  // attribute of a table entry's <oid>
inline constexpr char kName[] = "name";
inline constexpr char kWrite[] = "write";        // text: write syntax 1..5
inline constexpr char kKind[] = "kind";
inline constexpr char kModule[] = "module";
inline constexpr char kSyntax[] = "syntax";
inline constexpr char kTc[] = "tc";
inline constexpr char kAccess[] = "access";
inline constexpr char kStatus[] = "status";
inline constexpr char kUnits[] = "units";
inline constexpr char kHint[] = "hint";
inline constexpr char kEnum[] = "enum";          // attribute value, text label
inline constexpr char kRange[] = "range";        // attributes min, max: values, or sizes of a string
inline constexpr char kMin[] = "min";
inline constexpr char kMax[] = "max";
inline constexpr char kIndex[] = "index";        // attribute implied="1" when IMPLIED
inline constexpr char kAugments[] = "augments";
inline constexpr char kRevision[] = "revision";  // a module identity's LAST-UPDATED
inline constexpr char kObject[] = "object";      // notification varbinds
inline constexpr char kSeverity[] = "severity";  // notifications: 1..3
inline constexpr char kDescr[] = "descr";        // attribute lang
inline constexpr char kLang[] = "lang";
inline constexpr char kValue[] = "value";
inline constexpr char kImplied[] = "implied";
inline constexpr char kNotification[] = "notification";
} // namespace MibXml

// Entries of the SET dialog's syntax list, plus one (0: not writable).
enum MibWriteSyntax : int {
    MibWriteNone = 0,
    MibWriteSigned = 1,    // INTEGER, Integer32, enumerations
    MibWriteUnsigned = 2,  // Unsigned32, Gauge32, TimeTicks
    MibWriteOctets = 3,    // OCTET STRING and its conventions, Opaque, BITS
    MibWriteOid = 4,       // OBJECT IDENTIFIER
    MibWriteIpAddress = 5, // IpAddress
};

class MibDocument
{
public:
    struct Enum
    {
        qint32 value;
        QString label;
    };
    struct Range
    {
        qint64 min;
        qint64 max;
    };

    // One named <oid> element, as the index keeps it.
    struct Entry
    {
        pugi::xml_node node;
        QString name;
        const char *descrEn = nullptr; // UTF-8, owned by the document
        const char *descrJa = nullptr;
        const char *syntax = "";       // base syntax ("INTEGER", "OCTET STRING"...), UTF-8, owned by the document
        const char *tc = "";           // textual convention, or empty
        const char *hint = "";         // DISPLAY-HINT, or empty
        quint32 enumFirst = 0;
        quint32 enumCount = 0;
        quint32 rangeFirst = 0;
        quint32 rangeCount = 0;
        quint8 writeSyntax = 0;
        quint8 severity = 0;
        bool notification = false;
        bool object = false; // carries a syntax: a scalar or a column
        bool bits = false;   // BITS: its enumerations name bits, not values
        // A name given to an instance of an object (DISMAN-EVENT-MIB's
        // sysUpTimeInstance for sysUpTime.0): not used for naming, the
        // object and its instance say more.
        bool instanceAlias = false;
    };

    // The result of a longest-prefix lookup.
    struct Match
    {
        const Entry *entry = nullptr;
        size_t length = 0; // sub-identifiers covered by the entry's OID
    };

    // The format this reader reads; a document of a higher one is refused.
    static constexpr int kFormat = 1;

    MibDocument();
    ~MibDocument();
    MibDocument(const MibDocument &) = delete;
    MibDocument &operator=(const MibDocument &) = delete;

    // Parses and indexes the file. On failure gives the reason and the line
    // (0 when the failure has none) and leaves the document empty.
    bool load(const QString &path, QString *reason, int *line);
    // The same from memory (tests, the benchmark).
    bool loadFromData(const QByteArray &data, QString *reason, int *line);

    const pugi::xml_document &xml() const { return m_xml; }
    // The <mib_table> element, and its first <oid> ("mib_table/oid"); null
    // nodes when absent.
    pugi::xml_node table() const;
    pugi::xml_node firstOid() const;

    // The tree walk of the drop-down, in the document's own terms.
    static pugi::xml_node firstChild(pugi::xml_node node) { return node.first_child(); }
    static pugi::xml_node nextSibling(pugi::xml_node node) { return node.next_sibling(); }
    // Text of an element (UTF-8 decoded); empty for a null node. Element
    // text is stored in the element itself (pugi::parse_embed_pcdata): read
    // it with child_value() or text(), not through a text child node.
    static QString text(pugi::xml_node node);
    // Text of the named child element; empty when there is none.
    static QString childText(pugi::xml_node node, const char *child);

    size_t entryCount() const { return m_entries.size(); }
    const Entry *exact(const SnmpOid &oid) const;
    Match longest(const std::vector<quint32> &ids) const;
    // The entry's enumeration label for a value, or null.
    const QString *enumLabel(const Entry &entry, qint32 value) const;
    // The entry's enumerations, ascending by value.
    std::vector<Enum> enums(const Entry &entry) const;
    // The entry's ranges (values, or the sizes of a string); empty: any.
    std::vector<Range> ranges(const Entry &entry) const;
    // The entry's description in a language ("en", "ja"), English when that
    // language has none; empty when there is none at all.
    static QString description(const Entry &entry, const QString &language);

private:
    struct TrieNode
    {
        quint32 subid = 0;
        qint32 entry = -1;
        quint32 firstChild = 0;
        quint32 childCount = 0;
    };
    class Builder;

    quint32 child(quint32 node, quint32 subid) const;
    void clear();

    pugi::xml_document m_xml;
    std::vector<Entry> m_entries;
    std::vector<Enum> m_enums;
    std::vector<Range> m_ranges;
    std::vector<TrieNode> m_trie;
};
