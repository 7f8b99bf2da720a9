#include "mibmodel.h"

#include "mibdocument.h"

#include <QFile>
#include <QRegularExpression>

#include <cstring>
#include <functional>

int mibWriteSyntax(const QString &syntax, const QString &access)
{
    if (access != QLatin1String("read-write") && access != QLatin1String("read-create")
        && access != QLatin1String("write-only"))
        return MibWriteNone;
    if (syntax == QLatin1String("INTEGER") || syntax == QLatin1String("Integer32"))
        return MibWriteSigned;
    if (syntax == QLatin1String("Unsigned32") || syntax == QLatin1String("Gauge32")
        || syntax == QLatin1String("TimeTicks") || syntax == QLatin1String("UInteger32"))
        return MibWriteUnsigned;
    if (syntax == QLatin1String("OCTET STRING") || syntax == QLatin1String("Opaque")
        || syntax == QLatin1String("BITS") || syntax == QLatin1String("NsapAddress"))
        return MibWriteOctets;
    if (syntax == QLatin1String("OBJECT IDENTIFIER"))
        return MibWriteOid;
    if (syntax == QLatin1String("IpAddress") || syntax == QLatin1String("NetworkAddress"))
        return MibWriteIpAddress;
    return MibWriteNone;
}

bool parseMibRanges(const QString &text, MibRanges *ranges)
{
    static const QRegularExpression item(
        QStringLiteral("^\\s*(-?(?:0x[0-9a-fA-F]+|[0-9]+))(?:\\s*\\.\\.\\s*(-?(?:0x[0-9a-fA-F]+|[0-9]+)))?\\s*$"));
    auto number = [](const QString &t, bool *ok) {
        return t.startsWith(QLatin1String("0x")) ? t.mid(2).toLongLong(ok, 16) : t.toLongLong(ok);
    };
    MibRanges out;
    for (const QString &part : text.split(u'|')) {
        const auto m = item.match(part);
        if (!m.hasMatch())
            return false;
        bool ok1 = false, ok2 = true;
        const qint64 low = number(m.captured(1), &ok1);
        const qint64 high = m.captured(2).isEmpty() ? low : number(m.captured(2), &ok2);
        if (!ok1 || !ok2 || high < low)
            return false;
        out.emplace_back(low, high);
    }
    *ranges = std::move(out);
    return true;
}

QString mibRangesText(const MibRanges &ranges)
{
    QStringList parts;
    for (const auto &[low, high] : ranges)
        parts << (low == high ? QString::number(low) : QStringLiteral("%1..%2").arg(low).arg(high));
    return parts.join(u'|');
}

QString normalizeDescription(const QString &text)
{
    QStringList paragraphs;
    QString current;
    const QStringList lines = text.split(u'\n');
    for (const QString &raw : lines) {
        const QString line = raw.simplified();
        if (line.isEmpty()) {
            if (!current.isEmpty())
                paragraphs << current;
            current.clear();
            continue;
        }
        if (!current.isEmpty())
            current += u' ';
        current += line;
    }
    if (!current.isEmpty())
        paragraphs << current;
    return paragraphs.join(u'\n');
}

int severityFromText(const QString &word)
{
    const QString w = word.trimmed().toLower();
    if (w == QLatin1String("1") || w == QLatin1String("informational") || w == QLatin1String("info")
        || w == QLatin1String("normal") || w == QLatin1String("notice"))
        return 1;
    if (w == QLatin1String("2") || w == QLatin1String("minor") || w == QLatin1String("warning"))
        return 2;
    if (w == QLatin1String("3") || w == QLatin1String("major") || w == QLatin1String("critical")
        || w == QLatin1String("severe") || w == QLatin1String("error"))
        return 3;
    return 0;
}

MibcDatabase::AddResult MibcDatabase::add(const SnmpOid &oid, MibcNode node)
{
    auto it = m_nodes.find(oid);
    if (it == m_nodes.end()) {
        m_nodes.emplace(oid, std::move(node));
        return AddResult::Added;
    }
    if (node.smiV2 && !it->second.smiV2) {
        it->second = std::move(node);
        return AddResult::Replaced;
    }
    return AddResult::Kept;
}

std::vector<SnmpOid> MibcDatabase::resolve(const QString &nameOrOid) const
{
    std::vector<SnmpOid> found;
    if (auto oid = SnmpOid::fromString(nameOrOid)) {
        if (m_nodes.count(*oid))
            found.push_back(*oid);
        return found;
    }
    QString module;
    QString name = nameOrOid;
    const qsizetype sep = nameOrOid.indexOf(QLatin1String("::"));
    if (sep > 0) {
        module = nameOrOid.left(sep);
        name = nameOrOid.mid(sep + 2);
    }
    for (const auto &[oid, node] : m_nodes) {
        if (node.name == name && (module.isEmpty() || node.module == module))
            found.push_back(oid);
    }
    return found;
}

namespace {

void escape(QByteArray &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    for (char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            // XML 1.0 has no place for other control characters.
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\n' || c == '\t')
                out += c;
            else
                out += ' ';
        }
    }
}

void element(QByteArray &out, int depth, const char *tag, const QString &text)
{
    if (text.isEmpty())
        return;
    out += QByteArray(depth, ' ');
    out += '<';
    out += tag;
    out += '>';
    escape(out, text);
    out += "</";
    out += tag;
    out += ">\n";
}

QString keyText(const SnmpOid &oid, size_t from)
{
    QString key;
    for (size_t i = from; i < oid.ids.size(); ++i) {
        if (i > from)
            key += u'.';
        key += QString::number(oid.ids[i]);
    }
    return key;
}

struct Writer
{
    using Iter = std::map<SnmpOid, MibcNode>::const_iterator;
    std::vector<Iter> items;
    std::vector<std::vector<size_t>> children;
    QByteArray out;

    void writeNode(size_t index, size_t parentLength, int depth, bool topLevel)
    {
        const SnmpOid &oid = items[index]->first;
        const MibcNode &n = items[index]->second;
        QString key = keyText(oid, parentLength);
        // A top-level key is a full OID; the final dot marks it as a branch.
        if (topLevel && !children[index].empty())
            key += u'.';
        out += QByteArray(depth, ' ');
        out += "<oid key=\"";
        escape(out, key);
        out += '"';
        if (n.kind == QLatin1String("entry"))
            out += " sequence=\"1\"";
        out += ">\n";
        const int d = depth + 1;
        element(out, d, MibXml::kName, n.name);
        element(out, d, MibXml::kKind, n.kind);
        element(out, d, MibXml::kModule, n.module);
        element(out, d, MibXml::kSyntax, n.syntax);
        element(out, d, MibXml::kTc, n.tc);
        element(out, d, MibXml::kAccess, n.access);
        element(out, d, MibXml::kStatus, n.status);
        element(out, d, MibXml::kUnits, n.units);
        element(out, d, MibXml::kHint, n.hint);
        for (const auto &[value, label] : n.enums) {
            out += QByteArray(d, ' ');
            out += "<enum value=\"" + QByteArray::number(value) + "\">";
            escape(out, label);
            out += "</enum>\n";
        }
        for (const auto &[low, high] : n.ranges) {
            out += QByteArray(d, ' ');
            out += "<range min=\"" + QByteArray::number(low) + "\" max=\"" + QByteArray::number(high) + "\"/>\n";
        }
        for (const auto &[name, implied] : n.indexes) {
            out += QByteArray(d, ' ');
            out += implied ? "<index implied=\"1\">" : "<index>";
            escape(out, name);
            out += "</index>\n";
        }
        element(out, d, MibXml::kAugments, n.augments);
        element(out, d, MibXml::kRevision, n.revision);
        for (const QString &object : n.objects)
            element(out, d, MibXml::kObject, object);
        if (n.severity > 0)
            element(out, d, MibXml::kSeverity, QString::number(n.severity));
        const int write = mibWriteSyntax(n.syntax, n.access);
        if (write > 0)
            element(out, d, MibXml::kWrite, QString::number(write));
        if (!n.descrEn.isEmpty()) {
            out += QByteArray(d, ' ') + "<descr lang=\"en\">";
            escape(out, n.descrEn);
            out += "</descr>\n";
        }
        if (!n.descrJa.isEmpty()) {
            out += QByteArray(d, ' ') + "<descr lang=\"ja\">";
            escape(out, n.descrJa);
            out += "</descr>\n";
        }
        for (size_t child : children[index])
            writeNode(child, oid.size(), d, false);
        out += QByteArray(depth, ' ');
        out += "</oid>\n";
    }

    // Nests the items of one pass by OID prefix (they come sorted, so a
    // parent always precedes its children) and writes the roots.
    void pass(const std::vector<size_t> &members)
    {
        std::vector<size_t> roots;
        std::vector<size_t> stack;
        for (size_t i : members) {
            const SnmpOid &oid = items[i]->first;
            while (!stack.empty() && !oid.startsWith(items[stack.back()]->first))
                stack.pop_back();
            if (stack.empty())
                roots.push_back(i);
            else
                children[stack.back()].push_back(i);
            stack.push_back(i);
        }
        for (size_t r : roots)
            writeNode(r, 0, 1, true);
    }
};

} // namespace

bool MibcDatabase::readXml(const QString &path, QString *error)
{
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_file(QFile::encodeName(path).constData());
    if (!parsed) {
        *error = QStringLiteral("%1: %2").arg(path, QString::fromUtf8(parsed.description()));
        return false;
    }
    const pugi::xml_node root = doc.child(MibXml::kRoot);
    if (!root) {
        *error = QStringLiteral("%1: not a MIB database (no <%2>)").arg(path, QLatin1String(MibXml::kRoot));
        return false;
    }
    std::function<bool(pugi::xml_node, const SnmpOid &)> visit = [&](pugi::xml_node parent, const SnmpOid &base) {
        for (pugi::xml_node e = parent.child(MibXml::kOid); e; e = e.next_sibling(MibXml::kOid)) {
            QString key = QString::fromUtf8(e.attribute(MibXml::kKey).value());
            if (key.endsWith(u'.'))
                key.chop(1);
            const std::optional<SnmpOid> rest = SnmpOid::fromString(key);
            if (!rest) {
                *error = QStringLiteral("%1: the key \"%2\" is not a dotted number").arg(path, key);
                return false;
            }
            SnmpOid oid = base;
            oid.ids.insert(oid.ids.end(), rest->ids.begin(), rest->ids.end());
            MibcNode n;
            auto text = [&e](const char *tag) { return QString::fromUtf8(e.child_value(tag)); };
            n.name = text(MibXml::kName);
            n.kind = text(MibXml::kKind);
            n.module = text(MibXml::kModule);
            n.syntax = text(MibXml::kSyntax);
            n.tc = text(MibXml::kTc);
            n.access = text(MibXml::kAccess);
            n.status = text(MibXml::kStatus);
            n.units = text(MibXml::kUnits);
            n.hint = text(MibXml::kHint);
            n.augments = text(MibXml::kAugments);
            n.revision = text(MibXml::kRevision);
            n.severity = text(MibXml::kSeverity).toInt();
            for (pugi::xml_node c = e.first_child(); c; c = c.next_sibling()) {
                const char *tag = c.name();
                if (!std::strcmp(tag, MibXml::kEnum))
                    n.enums.emplace_back(c.attribute(MibXml::kValue).as_llong(), QString::fromUtf8(c.child_value()));
                else if (!std::strcmp(tag, MibXml::kRange))
                    n.ranges.emplace_back(c.attribute(MibXml::kMin).as_llong(), c.attribute(MibXml::kMax).as_llong());
                else if (!std::strcmp(tag, MibXml::kIndex))
                    n.indexes.emplace_back(QString::fromUtf8(c.child_value()), c.attribute(MibXml::kImplied).as_bool());
                else if (!std::strcmp(tag, MibXml::kObject))
                    n.objects << QString::fromUtf8(c.child_value());
                else if (!std::strcmp(tag, MibXml::kDescr))
                    (std::strcmp(c.attribute(MibXml::kLang).value(), "ja") ? n.descrEn : n.descrJa) = QString::fromUtf8(c.child_value());
            }
            if (!n.name.isEmpty())
                m_nodes[oid] = std::move(n);
            if (!visit(e, oid))
                return false;
        }
        return true;
    };
    return visit(root, SnmpOid());
}

QByteArray MibcDatabase::toXml() const
{
    Writer w;
    for (auto it = m_nodes.cbegin(); it != m_nodes.cend(); ++it)
        w.items.push_back(it);
    w.children.resize(w.items.size());
    w.out.reserve(static_cast<qsizetype>(m_nodes.size()) * 200);
    w.out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<!-- Written by orvelle-mibc. Edit the MIB modules or facts it was compiled from, not this file. -->\n"
             "<mib_table format=\"1\">\n";
    // The internet subtree first: the OID tree opens its first item, and
    // that is where nearly everything lives.
    const SnmpOid internet{1, 3, 6, 1};
    std::vector<size_t> first;
    std::vector<size_t> rest;
    for (size_t i = 0; i < w.items.size(); ++i)
        (w.items[i]->first.startsWith(internet) ? first : rest).push_back(i);
    w.pass(first);
    w.pass(rest);
    w.out += "</mib_table>\n";
    return w.out;
}
