#include "mibdocument.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <map>

namespace {

constexpr size_t kMaxOidLength = 128;

int lineOf(const QByteArray &data, ptrdiff_t offset)
{
    if (offset < 0)
        return 0;
    offset = std::min<ptrdiff_t>(offset, data.size());
    return 1 + static_cast<int>(std::count(data.constBegin(), data.constBegin() + offset, '\n'));
}

// Sub-identifiers of a key: "5", "1.3.6.1" or "1.3.6.1." (the final dot
// marks a branch and is dropped). False for anything else.
bool parseKey(const char *key, std::vector<quint32> *ids)
{
    ids->clear();
    const char *p = key;
    if (!*p)
        return false;
    while (*p) {
        if (*p < '0' || *p > '9')
            return false;
        quint64 v = 0;
        while (*p >= '0' && *p <= '9') {
            v = v * 10 + static_cast<quint64>(*p - '0');
            if (v > 0xffffffffULL)
                return false;
            ++p;
        }
        ids->push_back(static_cast<quint32>(v));
        if (*p == '.') {
            ++p;
            if (!*p)
                break; // trailing dot
        } else if (*p) {
            return false;
        }
    }
    return true;
}

bool parseInt(const char *text, qint64 min, qint64 max, qint64 *out)
{
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r')
        ++text;
    bool negative = false;
    if (*text == '-') {
        negative = true;
        ++text;
    }
    if (*text < '0' || *text > '9')
        return false;
    qint64 v = 0;
    while (*text >= '0' && *text <= '9') {
        v = v * 10 + (*text - '0');
        if (v > (qint64(1) << 40))
            return false;
        ++text;
    }
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r')
        ++text;
    if (*text)
        return false;
    if (negative)
        v = -v;
    if (v < min || v > max)
        return false;
    *out = v;
    return true;
}

} // namespace

// Walks the document once: checks every <oid>, collects the entries and
// builds the trie with sorted, contiguous children.
class MibDocument::Builder
{
public:
    Builder(MibDocument &doc, const QByteArray &data) : m_doc(doc), m_data(data)
    {
        // Growing these vectors one element at a time costs more than the
        // parse on large databases; the element count is a close estimate.
        const auto elements = static_cast<size_t>(data.count("<oid "));
        m_nodes.reserve(elements + 1);
        m_doc.m_entries.reserve(elements);
        m_nodes.emplace_back();
    }

    bool run(pugi::xml_node table, QString *reason, int *line)
    {
        for (pugi::xml_node n = table.first_child(); n; n = n.next_sibling()) {
            if (n.type() == pugi::node_element && std::strcmp(n.name(), MibXml::kOid) == 0) {
                if (!visit(n, 0, false, 0))
                    break;
            }
        }
        if (!m_error.isEmpty()) {
            *reason = m_error;
            *line = m_errorLine;
            return false;
        }
        flatten();
        return true;
    }

private:
    struct Node
    {
        std::map<quint32, quint32> kids;
        qint32 entry = -1;
    };

    bool fail(pugi::xml_node node, const QString &message)
    {
        m_error = message;
        m_errorLine = lineOf(m_data, node.offset_debug());
        return false;
    }

    quint32 descend(quint32 from, quint32 subid)
    {
        auto it = m_nodes[from].kids.find(subid);
        if (it != m_nodes[from].kids.end())
            return it->second;
        const auto index = static_cast<quint32>(m_nodes.size());
        m_nodes[from].kids.emplace(subid, index);
        m_nodes.emplace_back();
        return index;
    }

    bool visit(pugi::xml_node element, quint32 parent, bool underObject, size_t depth)
    {
        const char *key = element.attribute(MibXml::kKey).value();
        if (!*key)
            return fail(element, QCoreApplication::translate("MibDocument", "an <oid> element has no key"));
        if (!parseKey(key, &m_ids))
            return fail(element, QCoreApplication::translate("MibDocument", "the key \"%1\" is not a dotted number").arg(QString::fromUtf8(key)));
        // SNMP allows 128 sub-identifiers; a deeper document is broken, and
        // refusing it also bounds this recursion.
        if (depth + m_ids.size() > kMaxOidLength)
            return fail(element, QCoreApplication::translate("MibDocument", "the OIDs nest deeper than %1 sub-identifiers")
                                     .arg(kMaxOidLength));
        const size_t childDepth = depth + m_ids.size();
        quint32 node = parent;
        for (quint32 id : m_ids)
            node = descend(node, id);

        Entry entry;
        entry.node = element;
        std::vector<pugi::xml_node> children;
        bool named = false;
        const auto enumFirst = static_cast<quint32>(m_doc.m_enums.size());
        const auto rangeFirst = static_cast<quint32>(m_doc.m_ranges.size());
        for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element)
                continue;
            const char *tag = c.name();
            if (std::strcmp(tag, MibXml::kOid) == 0) {
                children.push_back(c);
            } else if (std::strcmp(tag, MibXml::kName) == 0) {
                entry.name = QString::fromUtf8(c.child_value());
                named = !entry.name.isEmpty();
            } else if (std::strcmp(tag, MibXml::kDescr) == 0) {
                const char *lang = c.attribute(MibXml::kLang).value();
                if (std::strcmp(lang, "ja") == 0)
                    entry.descrJa = c.child_value();
                else if (!*lang || std::strcmp(lang, "en") == 0)
                    entry.descrEn = c.child_value();
            } else if (std::strcmp(tag, MibXml::kEnum) == 0) {
                qint64 v = 0;
                if (!parseInt(c.attribute(MibXml::kValue).value(), INT32_MIN, INT32_MAX, &v))
                    return fail(c, QCoreApplication::translate("MibDocument", "an enumeration value is not a 32-bit integer"));
                m_doc.m_enums.push_back({static_cast<qint32>(v), QString::fromUtf8(c.child_value())});
            } else if (std::strcmp(tag, MibXml::kRange) == 0) {
                qint64 low = 0, high = 0;
                if (!parseInt(c.attribute(MibXml::kMin).value(), INT64_MIN, INT64_MAX, &low)
                    || !parseInt(c.attribute(MibXml::kMax).value(), low, INT64_MAX, &high))
                    return fail(c, QCoreApplication::translate("MibDocument", "a <range> needs min and max, min not above max"));
                m_doc.m_ranges.push_back({low, high});
            } else if (std::strcmp(tag, MibXml::kTc) == 0) {
                entry.tc = c.child_value();
            } else if (std::strcmp(tag, MibXml::kHint) == 0) {
                entry.hint = c.child_value();
            } else if (std::strcmp(tag, MibXml::kWrite) == 0) {
                qint64 v = 0;
                if (!parseInt(c.child_value(), MibWriteSigned, MibWriteIpAddress, &v))
                    return fail(c, QCoreApplication::translate("MibDocument", "<write> must hold a number from 1 to 5"));
                entry.writeSyntax = static_cast<quint8>(v);
            } else if (std::strcmp(tag, MibXml::kSeverity) == 0) {
                qint64 v = 0;
                if (!parseInt(c.child_value(), 0, 3, &v))
                    return fail(c, QCoreApplication::translate("MibDocument", "<severity> must hold a number from 0 to 3"));
                entry.severity = static_cast<quint8>(v);
            } else if (std::strcmp(tag, MibXml::kKind) == 0) {
                entry.notification = std::strcmp(c.child_value(), MibXml::kNotification) == 0;
            } else if (std::strcmp(tag, MibXml::kSyntax) == 0) {
                entry.object = true;
                entry.syntax = c.child_value();
                entry.bits = std::strcmp(c.child_value(), "BITS") == 0;
            }
        }
        if (!named)
            return fail(element, QCoreApplication::translate("MibDocument", "the <oid> element with key \"%1\" has no name").arg(QString::fromUtf8(key)));
        entry.instanceAlias = underObject && !entry.object;
        const bool childrenUnderObject = underObject || entry.object;
        entry.enumFirst = enumFirst;
        entry.enumCount = static_cast<quint32>(m_doc.m_enums.size()) - enumFirst;
        entry.rangeFirst = rangeFirst;
        entry.rangeCount = static_cast<quint32>(m_doc.m_ranges.size()) - rangeFirst;
        std::sort(m_doc.m_enums.begin() + enumFirst, m_doc.m_enums.end(),
                  [](const Enum &a, const Enum &b) { return a.value < b.value; });

        // The first definition of an OID wins; a later duplicate stays in the
        // document (the tree shows it) but not in the index.
        if (m_nodes[node].entry < 0) {
            m_nodes[node].entry = static_cast<qint32>(m_doc.m_entries.size());
            m_doc.m_entries.push_back(std::move(entry));
        }
        for (pugi::xml_node c : children) {
            if (!visit(c, node, childrenUnderObject, childDepth))
                return false;
        }
        return true;
    }

    void flatten()
    {
        auto &trie = m_doc.m_trie;
        trie.assign(m_nodes.size(), TrieNode{});
        // Breadth first, so that every node's children are contiguous and in
        // ascending order for the binary search.
        std::vector<quint32> order{0};
        std::vector<quint32> newIndex(m_nodes.size(), 0);
        for (size_t i = 0; i < order.size(); ++i) {
            const quint32 old = order[i];
            for (const auto &[subid, kid] : m_nodes[old].kids) {
                newIndex[kid] = static_cast<quint32>(order.size());
                order.push_back(kid);
            }
        }
        for (size_t i = 0; i < order.size(); ++i) {
            const Node &n = m_nodes[order[i]];
            TrieNode &t = trie[i];
            t.entry = n.entry;
            t.childCount = static_cast<quint32>(n.kids.size());
            t.firstChild = n.kids.empty() ? 0 : newIndex[n.kids.begin()->second];
            for (const auto &[subid, kid] : n.kids)
                trie[newIndex[kid]].subid = subid;
        }
    }

    MibDocument &m_doc;
    const QByteArray &m_data;
    std::vector<Node> m_nodes;
    std::vector<quint32> m_ids;
    QString m_error;
    int m_errorLine = 0;
};

MibDocument::MibDocument() = default;
MibDocument::~MibDocument() = default;

void MibDocument::clear()
{
    m_xml.reset();
    m_entries.clear();
    m_enums.clear();
    m_ranges.clear();
    m_trie.clear();
}

bool MibDocument::load(const QString &path, QString *reason, int *line)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        clear();
        *reason = QCoreApplication::translate("MibDocument", "cannot open %1: %2").arg(path, file.errorString());
        *line = 0;
        return false;
    }
    const QByteArray data = file.readAll();
    if (!loadFromData(data, reason, line)) {
        *reason = QStringLiteral("%1: %2").arg(path, *reason);
        return false;
    }
    return true;
}

bool MibDocument::loadFromData(const QByteArray &data, QString *reason, int *line)
{
    clear();
    const pugi::xml_parse_result result =
        m_xml.load_buffer(data.constData(), static_cast<size_t>(data.size()),
                          pugi::parse_default | pugi::parse_embed_pcdata, pugi::encoding_utf8);
    if (!result) {
        *reason = QString::fromUtf8(result.description());
        *line = lineOf(data, result.offset);
        clear();
        return false;
    }
    const pugi::xml_node root = m_xml.document_element();
    if (!root || std::strcmp(root.name(), MibXml::kRoot) != 0) {
        *reason = QCoreApplication::translate("MibDocument", "the document element is not <mib_table>");
        *line = root ? lineOf(data, root.offset_debug()) : 0;
        clear();
        return false;
    }
    // Later formats may mean other things by the same elements: refused
    // rather than misread. Additions that older readers can skip keep 1.
    if (root.attribute("format").as_int(1) > kFormat) {
        *reason = QCoreApplication::translate("MibDocument", "written by a newer version of Orvelle (format %1; this one reads %2)")
                      .arg(root.attribute("format").as_int()).arg(kFormat);
        *line = lineOf(data, root.offset_debug());
        clear();
        return false;
    }
    Builder builder(*this, data);
    if (!builder.run(root, reason, line)) {
        clear();
        return false;
    }
    return true;
}

pugi::xml_node MibDocument::table() const
{
    return m_xml.child(MibXml::kRoot);
}

pugi::xml_node MibDocument::firstOid() const
{
    return table().child(MibXml::kOid);
}

QString MibDocument::text(pugi::xml_node node)
{
    return node ? QString::fromUtf8(node.child_value()) : QString();
}

QString MibDocument::childText(pugi::xml_node node, const char *child)
{
    return node ? QString::fromUtf8(node.child(child).child_value()) : QString();
}

quint32 MibDocument::child(quint32 node, quint32 subid) const
{
    const TrieNode &n = m_trie[node];
    const TrieNode *first = m_trie.data() + n.firstChild;
    const TrieNode *last = first + n.childCount;
    const TrieNode *it = std::lower_bound(first, last, subid,
                                          [](const TrieNode &t, quint32 s) { return t.subid < s; });
    if (it == last || it->subid != subid)
        return 0; // the root is never anyone's child
    return static_cast<quint32>(it - m_trie.data());
}

const MibDocument::Entry *MibDocument::exact(const SnmpOid &oid) const
{
    if (m_trie.empty() || oid.ids.empty())
        return nullptr;
    quint32 node = 0;
    for (quint32 id : oid.ids) {
        node = child(node, id);
        if (!node)
            return nullptr;
    }
    const qint32 e = m_trie[node].entry;
    return e >= 0 ? &m_entries[static_cast<size_t>(e)] : nullptr;
}

MibDocument::Match MibDocument::longest(const std::vector<quint32> &ids) const
{
    Match match;
    if (m_trie.empty())
        return match;
    quint32 node = 0;
    for (size_t i = 0; i < ids.size(); ++i) {
        node = child(node, ids[i]);
        if (!node)
            break;
        const qint32 e = m_trie[node].entry;
        if (e >= 0 && !m_entries[static_cast<size_t>(e)].instanceAlias) {
            match.entry = &m_entries[static_cast<size_t>(e)];
            match.length = i + 1;
        }
    }
    return match;
}

const QString *MibDocument::enumLabel(const Entry &entry, qint32 value) const
{
    const Enum *first = m_enums.data() + entry.enumFirst;
    const Enum *last = first + entry.enumCount;
    const Enum *it = std::lower_bound(first, last, value, [](const Enum &e, qint32 v) { return e.value < v; });
    return (it != last && it->value == value) ? &it->label : nullptr;
}

std::vector<MibDocument::Enum> MibDocument::enums(const Entry &entry) const
{
    return {m_enums.begin() + entry.enumFirst, m_enums.begin() + entry.enumFirst + entry.enumCount};
}

std::vector<MibDocument::Range> MibDocument::ranges(const Entry &entry) const
{
    return {m_ranges.begin() + entry.rangeFirst, m_ranges.begin() + entry.rangeFirst + entry.rangeCount};
}

QString MibDocument::description(const Entry &entry, const QString &language)
{
    if (language == QLatin1String("ja") && entry.descrJa && *entry.descrJa)
        return QString::fromUtf8(entry.descrJa);
    return entry.descrEn ? QString::fromUtf8(entry.descrEn) : QString();
}
