#include "mibnameindex.h"

#include "mibdocument.h"

#include <algorithm>
#include <cctype>
#include <cstring>

void MibNameIndex::build(const MibDocument &document)
{
    m_names.clear();
    m_oids.clear();
    m_entries.clear();
    struct Pending
    {
        pugi::xml_node element;
        std::string parentOid;
    };
    std::vector<Pending> stack;
    for (pugi::xml_node n = document.table().child(MibXml::kOid); n; n = n.next_sibling(MibXml::kOid))
        stack.push_back({n, {}});
    while (!stack.empty()) {
        Pending p = std::move(stack.back());
        stack.pop_back();
        std::string key = p.element.attribute(MibXml::kKey).value();
        if (!key.empty() && key.back() == '.')
            key.pop_back();
        const std::string oid = p.parentOid.empty() ? key : p.parentOid + '.' + key;
        for (pugi::xml_node c = p.element.child(MibXml::kOid); c; c = c.next_sibling(MibXml::kOid))
            stack.push_back({c, oid});
        const char *name = p.element.child_value(MibXml::kName);
        if (!*name)
            continue;
        Entry e;
        e.nameAt = static_cast<quint32>(m_names.size());
        e.nameLength = static_cast<quint32>(std::strlen(name));
        for (const char *c = name; *c; ++c)
            m_names += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
        m_names += '\0';
        e.oidAt = static_cast<quint32>(m_oids.size());
        e.oidLength = static_cast<quint32>(oid.size());
        m_oids += oid;
        m_oids += '\0';
        e.name = QString::fromUtf8(name);
        e.module = QString::fromUtf8(p.element.child_value(MibXml::kModule));
        m_entries.push_back(std::move(e));
    }
}

std::vector<MibNameIndex::Match> MibNameIndex::find(const QString &text, size_t limit) const
{
    std::vector<Match> out;
    const QByteArray typed = text.trimmed().toLower().toUtf8();
    if (typed.isEmpty() || limit == 0)
        return out;
    struct Hit
    {
        int rank; // 0 equal, 1 prefix, 2 inside
        quint32 length;
        size_t entry;
    };
    std::vector<Hit> hits;
    const bool numeric = std::isdigit(static_cast<unsigned char>(typed.front()));
    const std::string needle(typed.constData(), static_cast<size_t>(typed.size()));
    if (numeric) {
        std::string dotted = needle;
        if (!dotted.empty() && dotted.back() == '.')
            dotted.pop_back();
        for (size_t i = 0; i < m_entries.size(); ++i) {
            const Entry &e = m_entries[i];
            const char *oid = m_oids.data() + e.oidAt;
            // whole sub-identifiers: 1.3.6.1.2 is not a prefix of 1.3.6.1.25
            if (e.oidLength >= dotted.size() && std::memcmp(oid, dotted.data(), dotted.size()) == 0
                && (e.oidLength == dotted.size() || oid[dotted.size()] == '.'))
                hits.push_back({e.oidLength == dotted.size() ? 0 : 1, e.oidLength, i});
        }
    } else {
        // one pass over the buffer: every occurrence, mapped to its entry
        const char *base = m_names.data();
        const char *end = base + m_names.size();
        size_t entry = 0;
        for (const char *at = base; at < end;) {
            const char *found = static_cast<const char *>(memmem(at, static_cast<size_t>(end - at), needle.data(), needle.size()));
            if (!found)
                break;
            const auto offset = static_cast<quint32>(found - base);
            while (entry + 1 < m_entries.size() && m_entries[entry + 1].nameAt <= offset)
                ++entry;
            const Entry &e = m_entries[entry];
            const bool prefix = offset == e.nameAt;
            hits.push_back({prefix ? (e.nameLength == needle.size() ? 0 : 1) : 2, e.nameLength, entry});
            at = base + e.nameAt + e.nameLength + 1; // on to the next name
        }
    }
    const size_t keep = std::min(limit, hits.size());
    std::partial_sort(hits.begin(), hits.begin() + static_cast<std::ptrdiff_t>(keep), hits.end(), [this](const Hit &a, const Hit &b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        if (a.length != b.length)
            return a.length < b.length;
        return m_entries[a.entry].name < m_entries[b.entry].name;
    });
    for (size_t i = 0; i < keep; ++i) {
        const Entry &e = m_entries[hits[i].entry];
        out.push_back({e.name, e.module, QString::fromLatin1(m_oids.data() + e.oidAt, e.oidLength)});
    }
    return out;
}
