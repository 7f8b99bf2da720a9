#include "smireader.h"

#include "builtinmodules.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

namespace {

// net-snmp reports through its log; the compiler collects the lines. The
// library is process-global and so is this.
QStringList g_log;
QString g_partial;

int logHandler(int, int, void *serverArg, void *)
{
    const auto *message = static_cast<const snmp_log_message *>(serverArg);
    if (!message || !message->msg)
        return 0;
    g_partial += QString::fromLocal8Bit(message->msg);
    qsizetype nl;
    while ((nl = g_partial.indexOf(u'\n')) >= 0) {
        const QString line = g_partial.left(nl).trimmed();
        if (!line.isEmpty())
            g_log << line;
        g_partial.remove(0, nl + 1);
    }
    return 0;
}

// MIB modules should be ASCII; in practice some carry UTF-8 and some
// Latin-1 in their descriptions. Whatever is not valid UTF-8 is Latin-1.
QString mibText(const char *text)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(QByteArrayView(text));
    return utf8.hasError() ? QString::fromLatin1(text) : decoded;
}

QString accessText(int access)
{
    switch (access) {
    case MIB_ACCESS_READONLY: return QStringLiteral("read-only");
    case MIB_ACCESS_READWRITE: return QStringLiteral("read-write");
    case MIB_ACCESS_WRITEONLY: return QStringLiteral("write-only");
    case MIB_ACCESS_NOACCESS: return QStringLiteral("not-accessible");
    case MIB_ACCESS_NOTIFY: return QStringLiteral("accessible-for-notify");
    case MIB_ACCESS_CREATE: return QStringLiteral("read-create");
    default: return {};
    }
}

QString statusText(int status)
{
    switch (status) {
    case MIB_STATUS_MANDATORY: return QStringLiteral("mandatory");
    case MIB_STATUS_OPTIONAL: return QStringLiteral("optional");
    case MIB_STATUS_OBSOLETE: return QStringLiteral("obsolete");
    case MIB_STATUS_DEPRECATED: return QStringLiteral("deprecated");
    case MIB_STATUS_CURRENT: return QStringLiteral("current");
    default: return {};
    }
}

QString syntaxText(int type)
{
    switch (type) {
    case TYPE_OBJID: return QStringLiteral("OBJECT IDENTIFIER");
    case TYPE_OCTETSTR: return QStringLiteral("OCTET STRING");
    case TYPE_INTEGER: return QStringLiteral("INTEGER");
    case TYPE_NETADDR: return QStringLiteral("NetworkAddress");
    case TYPE_IPADDR: return QStringLiteral("IpAddress");
    case TYPE_COUNTER: return QStringLiteral("Counter32");
    case TYPE_GAUGE: return QStringLiteral("Gauge32");
    case TYPE_TIMETICKS: return QStringLiteral("TimeTicks");
    case TYPE_OPAQUE: return QStringLiteral("Opaque");
    case TYPE_NULL: return QStringLiteral("NULL");
    case TYPE_COUNTER64: return QStringLiteral("Counter64");
    case TYPE_BITSTRING: return QStringLiteral("BITS");
    case TYPE_NSAPADDRESS: return QStringLiteral("NsapAddress");
    case TYPE_UINTEGER: return QStringLiteral("UInteger32");
    case TYPE_UNSIGNED32: return QStringLiteral("Unsigned32");
    case TYPE_INTEGER32: return QStringLiteral("Integer32");
    default: return {};
    }
}

QString moduleOf(const tree *node)
{
    const module *m = find_module(node->modid);
    return m && m->name ? QString::fromLatin1(m->name) : QString();
}

bool isEntry(const tree *node)
{
    return node->indexes || node->augments;
}


// The words, quoted strings and punctuation of comment-free module text.
QStringList smiTokens(const QString &text)
{
    QStringList out;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (c == u'"') {
            const qsizetype end = text.indexOf(u'"', i + 1);
            const qsizetype stop = end < 0 ? n : end + 1;
            out << text.mid(i, stop - i);
            i = stop;
        } else if (text.mid(i, 3) == QLatin1String("::=")) {
            out << QStringLiteral("::=");
            i += 3;
        } else if (text.mid(i, 2) == QLatin1String("..")) {
            out << QStringLiteral("..");
            i += 2;
        } else if (c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'\'') {
            qsizetype j = i;
            while (j < n && (text.at(j).isLetterOrNumber() || text.at(j) == u'-' || text.at(j) == u'_' || text.at(j) == u'\''))
                ++j;
            out << text.mid(i, j - i);
            i = j;
        } else {
            out << QString(c);
            ++i;
        }
    }
    return out;
}

QString smiBaseType(const QStringList &t, qsizetype &j)
{
    const QString w = t.value(j);
    if ((w == QLatin1String("OCTET") && t.value(j + 1) == QLatin1String("STRING"))
        || (w == QLatin1String("OBJECT") && t.value(j + 1) == QLatin1String("IDENTIFIER"))) {
        j += 2;
        return w + u' ' + t.value(j - 1);
    }
    static const QHash<QString, QString> words{
        {QStringLiteral("INTEGER"), QStringLiteral("INTEGER")}, {QStringLiteral("Integer32"), QStringLiteral("Integer32")},
        {QStringLiteral("Unsigned32"), QStringLiteral("Unsigned32")}, {QStringLiteral("Gauge32"), QStringLiteral("Gauge32")},
        {QStringLiteral("Gauge"), QStringLiteral("Gauge32")}, {QStringLiteral("Counter32"), QStringLiteral("Counter32")},
        {QStringLiteral("Counter"), QStringLiteral("Counter32")}, {QStringLiteral("Counter64"), QStringLiteral("Counter64")},
        {QStringLiteral("TimeTicks"), QStringLiteral("TimeTicks")}, {QStringLiteral("IpAddress"), QStringLiteral("IpAddress")},
        {QStringLiteral("NetworkAddress"), QStringLiteral("NetworkAddress")}, {QStringLiteral("Opaque"), QStringLiteral("Opaque")},
        {QStringLiteral("BITS"), QStringLiteral("BITS")}};
    const QString base = words.value(w);
    if (!base.isEmpty())
        ++j;
    return base;
}

// "{ a(1), b(2) }", "(1..3 | 5)" or "(SIZE (0..255))" at t[j], if any.
void smiRefinement(const QStringList &t, qsizetype j, MibcTc &tc)
{
    if (t.value(j) == QLatin1String("{")) {
        for (++j; j + 3 < t.size() && t[j] != QLatin1String("}"); ++j) {
            if (t[j + 1] == QLatin1String("(") && t[j + 3] == QLatin1String(")")) {
                tc.enums.emplace_back(t[j + 2].toLongLong(), t[j]);
                j += 3;
            }
        }
        std::sort(tc.enums.begin(), tc.enums.end());
        return;
    }
    if (t.value(j) != QLatin1String("("))
        return;
    ++j;
    int depth = 1;
    if (t.value(j) == QLatin1String("SIZE") && t.value(j + 1) == QLatin1String("(")) {
        j += 2;
        ++depth;
    }
    QString range;
    for (; j < t.size() && t[j] != QLatin1String(")"); ++j)
        range += t[j] == QLatin1String("..") ? t[j] : t[j] + u' ';
    range.replace(QLatin1String(" .."), QLatin1String(".."));
    parseMibRanges(range.simplified(), &tc.ranges);
}

} // namespace

QList<MibcTc> SmiReader::scanTextualConventions(const QString &text)
{
    QList<MibcTc> out;
    const QStringList t = smiTokens(text);
    for (qsizetype i = 0; i + 2 < t.size(); ++i) {
        if (t[i + 1] != QLatin1String("::=") || !t[i].at(0).isUpper())
            continue;
        MibcTc tc;
        tc.name = t[i];
        qsizetype j = i + 2;
        if (t[j] == QLatin1String("TEXTUAL-CONVENTION")) {
            for (++j; j < t.size() && t[j] != QLatin1String("SYNTAX"); ++j) {
                if (t[j] == QLatin1String("DISPLAY-HINT") && j + 1 < t.size())
                    tc.hint = t[j + 1].mid(1).chopped(1);
                else if (t[j] == QLatin1String("STATUS") && j + 1 < t.size())
                    tc.status = t[j + 1];
            }
            ++j;
        } else {
            // an SMIv1-style type assignment: Name ::= [APPLICATION n] IMPLICIT type
            if (t[j] == QLatin1String("[")) {
                while (j < t.size() && t[j] != QLatin1String("]"))
                    ++j;
                ++j;
            }
            if (t.value(j) == QLatin1String("IMPLICIT"))
                ++j;
        }
        tc.base = smiBaseType(t, j);
        if (tc.base.isEmpty())
            continue; // CHOICE, SEQUENCE, a macro or a value
        smiRefinement(t, j, tc);
        out << tc;
    }
    return out;
}

namespace {

struct Walker
{
    MibcDatabase &db;
    const QHash<QString, const SmiModuleFile *> &files;
    int defaultSeverity;
    // Modules loaded for their imports were not scanned beforehand.
    QHash<QString, SmiModuleFile> scanned;

    const SmiModuleFile *fileOf(const tree *node, const QString &module)
    {
        if (const SmiModuleFile *f = files.value(module))
            return f;
        auto it = scanned.find(module);
        if (it == scanned.end()) {
            const struct module *m = find_module(node->modid);
            it = scanned.insert(module, m && m->file ? SmiReader::scanFile(QFile::decodeName(m->file))
                                                     : SmiModuleFile{});
        }
        return it->module.isEmpty() ? nullptr : &*it;
    }

    void visit(const tree *node, SnmpOid &oid)
    {
        oid.ids.push_back(static_cast<quint32>(node->subid));
        const QString label = QString::fromLatin1(node->label ? node->label : "");
        // The "enterprise#" node that net-snmp puts at enterprise.0 for SMIv1
        // traps and the "anonymous#n" nodes of numeric OIDs are its own
        // inventions; the definitions below them are real.
        if (!label.contains(u'#') && !label.isEmpty())
            db.add(oid, convert(node, label));
        for (const tree *c = node->child_list; c; c = c->next_peer)
            visit(c, oid);
        oid.ids.pop_back();
    }

    MibcNode convert(const tree *node, const QString &label)
    {
        MibcNode n;
        n.name = label;
        n.module = moduleOf(node);
        const SmiModuleFile *file = fileOf(node, n.module);
        n.smiV2 = file ? file->smiV2 : true;
        n.access = accessText(node->access);
        n.status = statusText(node->status);
        n.syntax = syntaxText(node->type);
        if (node->tc_index >= 0) {
            if (const char *tc = get_tc_descriptor(node->tc_index))
                n.tc = QString::fromLatin1(tc);
        }
        if (node->units)
            n.units = mibText(node->units);
        if (node->hint)
            n.hint = mibText(node->hint);
        for (const enum_list *e = node->enums; e; e = e->next)
            n.enums.emplace_back(e->value, QString::fromLatin1(e->label));
        std::sort(n.enums.begin(), n.enums.end());
        // net-snmp keeps range bounds in an int: (0..4294967295) of an
        // unsigned type comes back as (0..-1).
        const bool unsignedBase = node->type == TYPE_UNSIGNED32 || node->type == TYPE_GAUGE
            || node->type == TYPE_TIMETICKS || node->type == TYPE_COUNTER || node->type == TYPE_UINTEGER;
        for (const range_list *r = node->ranges; r; r = r->next) {
            if (unsignedBase)
                n.ranges.emplace_back(quint32(r->low), quint32(r->high));
            else
                n.ranges.emplace_back(r->low, r->high);
        }
        for (const index_list *i = node->indexes; i; i = i->next)
            n.indexes.emplace_back(QString::fromLatin1(i->ilabel), i->isimplied != 0);
        if (node->augments)
            n.augments = QString::fromLatin1(node->augments);
        for (const varbind_list *v = node->varbinds; v; v = v->next)
            n.objects << QString::fromLatin1(v->vblabel);
        if (node->description)
            n.descrEn = normalizeDescription(mibText(node->description));

        const bool v1Trap = node->parent && node->parent->label
            && QByteArray(node->parent->label).endsWith('#');
        switch (node->type) {
        case TYPE_NOTIFTYPE:
        case TYPE_TRAPTYPE:
            n.kind = QStringLiteral("notification");
            break;
        case TYPE_OBJGROUP:
        case TYPE_NOTIFGROUP:
            n.kind = QStringLiteral("group");
            break;
        case TYPE_MODCOMP:
            n.kind = QStringLiteral("compliance");
            break;
        case TYPE_AGENTCAP:
            n.kind = QStringLiteral("capabilities");
            break;
        case TYPE_MODID:
            n.kind = QStringLiteral("module-identity");
            break;
        case TYPE_OBJIDENTITY:
            n.kind = QStringLiteral("identity");
            break;
        default:
            if (v1Trap) {
                n.kind = QStringLiteral("notification");
                n.syntax.clear();
            } else if (isEntry(node)) {
                n.kind = QStringLiteral("entry");
            } else if (!n.syntax.isEmpty()) {
                n.kind = (node->parent && isEntry(node->parent)) ? QStringLiteral("column") : QStringLiteral("scalar");
            } else if (node->access && node->child_list && isEntry(node->child_list)) {
                n.kind = QStringLiteral("table");
            } else {
                n.kind = QStringLiteral("node");
            }
        }
        if (n.kind == QLatin1String("module-identity") && file)
            n.revision = file->revision;
        if (n.kind == QLatin1String("notification")) {
            n.severity = file ? file->severities.value(label, 0) : 0;
            if (!n.severity)
                n.severity = defaultSeverity;
        }
        return n;
    }
};

} // namespace

SmiModuleFile SmiReader::scanFile(const QString &path)
{
    SmiModuleFile result;
    result.path = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    // MIB files are ASCII in principle and Latin-1 in practice.
    const QString raw = QString::fromLatin1(file.read(4 * 1024 * 1024));

    // Without comments ("--" to the end of the line or to the next "--").
    QString text;
    text.reserve(raw.size());
    bool inComment = false;
    bool inString = false;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c == u'\n') {
            inComment = false;
            text += c;
            continue;
        }
        if (!inComment && c == u'"')
            inString = !inString;
        if (!inString && c == u'-' && i + 1 < raw.size() && raw.at(i + 1) == u'-') {
            inComment = !inComment;
            ++i;
            continue;
        }
        if (!inComment)
            text += c;
    }
    result.tcs = scanTextualConventions(text);
    const qsizetype importsAt = text.indexOf(QLatin1String("IMPORTS"));
    if (importsAt >= 0) {
        const qsizetype end = text.indexOf(u';', importsAt);
        const QStringList t = smiTokens(text.mid(importsAt + 7, end < 0 ? -1 : end - importsAt - 7));
        QStringList names;
        for (qsizetype i = 0; i < t.size(); ++i) {
            if (t[i] == QLatin1String("FROM") && i + 1 < t.size()) {
                for (const QString &name : std::as_const(names))
                    result.importedFrom.insert(name, t[i + 1]);
                names.clear();
                ++i;
            } else if (t[i] != QLatin1String(",")) {
                names << t[i];
            }
        }
    }
    static const QRegularExpression header(
        QStringLiteral("^\\s*([A-Za-z][A-Za-z0-9-]*)\\s+(?:\\{[^}]*\\}\\s*)?DEFINITIONS\\s*::=\\s*BEGIN"));
    const auto m = header.match(text);
    if (!m.hasMatch())
        return result;
    result.module = m.captured(1);
    for (MibcTc &tc : result.tcs)
        tc.module = result.module;
    // The SMI base modules define the base types themselves, which the
    // parser knows by name; they are no conventions to import.
    if (result.module == baseModuleName() || result.module == QLatin1String("RFC1155-SMI"))
        result.tcs.removeIf([](const MibcTc &tc) { return tc.status.isEmpty(); });
    result.smiV2 = text.contains(QLatin1String("MODULE-IDENTITY")) || text.contains(QLatin1String("SNMPv2-SMI"));

    // Where each definition starts, for messages that name a line.
    static const QRegularExpression defined(QStringLiteral(
        "^[ \\t]*([a-zA-Z][A-Za-z0-9-]*)[ \\t]+(?:OBJECT-TYPE|OBJECT[ \\t]+IDENTIFIER|MODULE-IDENTITY|NOTIFICATION-TYPE|TRAP-TYPE|"
        "OBJECT-IDENTITY|OBJECT-GROUP|NOTIFICATION-GROUP|MODULE-COMPLIANCE|AGENT-CAPABILITIES)\\b"),
        QRegularExpression::MultilineOption);
    for (auto it = defined.globalMatch(text); it.hasNext();) {
        const auto d = it.next();
        if (!result.lines.contains(d.captured(1)))
            result.lines.insert(d.captured(1), int(text.left(d.capturedStart()).count(u'\n')) + 1);
    }
    static const QRegularExpression lastUpdated(QStringLiteral("MODULE-IDENTITY\\s+LAST-UPDATED\\s+\"([0-9]{10,12}Z)\""));
    result.revision = lastUpdated.match(text).captured(1);

    // --#SEVERITY hints belong to the TRAP-TYPE or NOTIFICATION-TYPE above.
    static const QRegularExpression definition(
        QStringLiteral("(?:^|\\s)([a-z][A-Za-z0-9-]*)\\s+(TRAP-TYPE|NOTIFICATION-TYPE)\\b|--#SEVERITY\\s+([A-Za-z]+)"));
    QString last;
    for (auto it = definition.globalMatch(raw); it.hasNext();) {
        const auto d = it.next();
        if (!d.captured(1).isEmpty()) {
            last = d.captured(1);
        } else if (!last.isEmpty()) {
            if (const int s = severityFromText(d.captured(3)))
                result.severities.insert(last, s);
        }
    }
    return result;
}

void SmiReader::compile(const QList<SmiModuleFile> &files, const QStringList &searchDirs, int defaultSeverity,
                        MibcDatabase &db)
{
    // net-snmp keeps MIB directory indexes in its persistent folder; a
    // private one keeps parallel runs apart and leaves /var/lib/snmp alone.
    QTemporaryDir persistent;
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_SAVE_MIB_DESCRS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_ERRORS, 1);
    netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_WARNINGS, 1);
    if (persistent.isValid())
        netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_PERSISTENT_DIR,
                              QFile::encodeName(persistent.path()).constData());
    setenv("MIBDIRS", "", 1);
    setenv("MIBS", "", 1);
    snmp_disable_log();
    snmp_enable_calllog();
    snmp_register_callback(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_LOGGING, logHandler, nullptr);
    netsnmp_init_mib();
    g_log.clear();

    // net-snmp takes the last file it is shown for a module name, so the
    // built-in modules come first, then the search path, then the files'
    // own folders: a module given on the command line beats a same-named
    // one on the search path, and either beats the built-in one.
    QTemporaryDir builtinDir;
    QStringList dirs;
    if (builtinDir.isValid() && BuiltinMibModules::instance().writeModules(builtinDir.path(), &m_messages))
        dirs << builtinDir.path();
    dirs << searchDirs;
    for (const SmiModuleFile &f : files)
        dirs << QFileInfo(f.path).absolutePath();
    dirs.removeDuplicates();
    for (const QString &dir : dirs) {
        if (QFileInfo(dir).isDir())
            add_mibdir(QFile::encodeName(dir).constData());
    }
    g_log.clear();

    QHash<QString, const SmiModuleFile *> byModule;
    QList<const SmiModuleFile *> order;
    for (const SmiModuleFile &f : files) {
        if (!byModule.contains(f.module)) {
            byModule.insert(f.module, &f);
            order << &f;
        }
    }
    // SMIv2 modules first: where RFC1213-MIB and SNMPv2-MIB (or IF-MIB ...)
    // define the same OID, the definition read first keeps it.
    std::sort(order.begin(), order.end(), [](const SmiModuleFile *a, const SmiModuleFile *b) {
        if (a->smiV2 != b->smiV2)
            return a->smiV2;
        return a->module < b->module;
    });
    int done = 0;
    for (const SmiModuleFile *f : order) {
        if (progress)
            progress(done++, int(order.size()), f->module);
        g_log.clear();
        g_partial.clear();
        read_module(f->module.toLatin1().constData());
        if (!g_partial.trimmed().isEmpty())
            g_log << g_partial.trimmed();
        g_partial.clear();
        // net-snmp notes each macro definition it skips; that is not a fault.
        static const QRegularExpression macroNote(QStringLiteral("MACRO \\(lines \\d+\\.\\.\\d+ parsed and ignored\\)"));
        // It also prints its search path before a missing module; the
        // compiler's own message names the path.
        g_log.removeIf([](const QString &line) {
            return macroNote.match(line).hasMatch() || line.startsWith(QLatin1String("MIB search path"));
        });
        // A message about a file of another module read for its imports
        // (a broken module imported by this one) belongs to that module.
        for (const QString &line : std::as_const(g_log)) {
            const SmiModuleFile *owner = f;
            for (const SmiModuleFile &other : files) {
                if (&other != f && line.contains(other.path)) {
                    owner = &other;
                    break;
                }
            }
            const QString failed = QStringLiteral("%1 (%2)").arg(owner->module, owner->path);
            if (!m_failed.contains(failed))
                m_failed << failed;
            static const QRegularExpression missing(QStringLiteral("Cannot find module \\(([^)]+)\\)"));
            QString text = line;
            if (const auto m = missing.match(line); m.hasMatch())
                text += QCoreApplication::translate("SmiReader", " (add the file of module %1 too, or name its folder with -M)")
                            .arg(m.captured(1));
            m_messages << QStringLiteral("%1 (%2): %3").arg(owner->module, owner->path, text);
        }
    }
    g_log.clear();

    Walker walker{db, byModule, defaultSeverity, {}};
    for (const tree *root = get_tree_head(); root; root = root->next_peer) {
        SnmpOid oid;
        walker.visit(root, oid);
    }
}
