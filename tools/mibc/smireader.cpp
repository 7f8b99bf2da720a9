#include "smireader.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
        // traps is its own invention; the traps below it are real.
        if (!label.endsWith(u'#') && !label.isEmpty())
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
    static const QRegularExpression header(
        QStringLiteral("^\\s*([A-Za-z][A-Za-z0-9-]*)\\s+(?:\\{[^}]*\\}\\s*)?DEFINITIONS\\s*::=\\s*BEGIN"));
    const auto m = header.match(text);
    if (!m.hasMatch())
        return result;
    result.module = m.captured(1);
    result.smiV2 = text.contains(QLatin1String("MODULE-IDENTITY")) || text.contains(QLatin1String("SNMPv2-SMI"));

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
    // files' own folders come after the search path: a module given on the
    // command line beats a same-named one on the search path.
    QStringList dirs = searchDirs;
    for (const SmiModuleFile &f : files)
        dirs << QFileInfo(f.path).absolutePath();
    dirs.removeDuplicates();
    for (const QString &dir : dirs) {
        if (QFileInfo(dir).isDir())
            add_mibdir(QFile::encodeName(dir).constData());
    }
    g_log.clear();

    if (!files.isEmpty() && which_module(baseModuleName().toLatin1().constData()) < 0) {
        m_baseMissing = true;
        m_messages << QCoreApplication::translate("SmiReader", "The base module %1 is not on the MIB search path (%2). Debian installs only "
                         "net-snmp's own modules; the IETF base modules (SNMPv2-SMI, SNMPv2-TC, SNMPv2-CONF, "
                         "RFC1155-SMI, RFC-1212, RFC-1215 ...) come with the package snmp-mibs-downloader "
                         "(non-free: apt install snmp-mibs-downloader, then download-mibs) or with your "
                         "vendor's MIB bundle. Name their folder with -M DIR.")
                          .arg(baseModuleName(), searchDirs.join(u':'));
    }

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
    for (const SmiModuleFile *f : order) {
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
            m_messages << QStringLiteral("%1 (%2): %3").arg(owner->module, owner->path, line);
        }
    }
    g_log.clear();

    Walker walker{db, byModule, defaultSeverity, {}};
    for (const tree *root = get_tree_head(); root; root = root->next_peer) {
        SnmpOid oid;
        walker.visit(root, oid);
    }
}
