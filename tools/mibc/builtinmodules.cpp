#include "builtinmodules.h"

#include "factsreader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSet>

#include <algorithm>

namespace {

bool isSize(const QString &base)
{
    return base == QLatin1String("OCTET STRING") || base == QLatin1String("Opaque");
}

QString kindKeyword(const QString &kind)
{
    if (kind == QLatin1String("scalar") || kind == QLatin1String("column"))
        return QStringLiteral("object");
    static const QStringList same{QStringLiteral("node"), QStringLiteral("identity"), QStringLiteral("table"),
                                  QStringLiteral("entry"), QStringLiteral("notification"),
                                  QStringLiteral("module-identity"), QStringLiteral("group")};
    // compliances and capabilities: nothing refers to them
    return same.contains(kind) ? kind : QString();
}

QString quoted(const QString &value)
{
    return value.contains(u' ') || value.isEmpty() ? u'"' + value + u'"' : value;
}

QString enumsText(const std::vector<std::pair<qint64, QString>> &enums, const QString &separator)
{
    QStringList parts;
    for (const auto &[value, label] : enums)
        parts << QStringLiteral("%1(%2)").arg(label).arg(value);
    return parts.join(separator);
}

// The SMI form of a syntax: "Integer32 (1..3 | 5)", "OCTET STRING (SIZE (0..255))".
QString smiSyntax(const QString &type, const QString &base, const std::vector<std::pair<qint64, QString>> &enums,
                  const MibRanges &ranges)
{
    QString text = type;
    if (!enums.empty())
        return text + QStringLiteral(" { ") + enumsText(enums, QStringLiteral(", ")) + QStringLiteral(" }");
    if (ranges.empty())
        return text;
    QString r = mibRangesText(ranges);
    r.replace(u'|', QLatin1String(" | "));
    return isSize(base) ? QStringLiteral("%1 (SIZE (%2))").arg(text, r) : QStringLiteral("%1 (%2)").arg(text, r);
}

QString smiV1Base(const QString &base)
{
    if (base == QLatin1String("Counter32"))
        return QStringLiteral("Counter");
    if (base == QLatin1String("Gauge32"))
        return QStringLiteral("Gauge");
    return base;
}

QString entryTypeName(const QString &entry)
{
    return entry.isEmpty() ? entry : entry.at(0).toUpper() + entry.mid(1);
}

// A convention by name: the module's own, else the first of that name.
const MibcTc *findTc(const QList<MibcTc> &tcs, const QString &name, const QString &module)
{
    const MibcTc *found = nullptr;
    for (const MibcTc &tc : tcs) {
        if (tc.name != name)
            continue;
        if (tc.module == module)
            return &tc;
        if (!found)
            found = &tc;
    }
    return found;
}

} // namespace

const BuiltinMibModules &BuiltinMibModules::instance()
{
    static const BuiltinMibModules modules;
    return modules;
}

BuiltinMibModules::BuiltinMibModules()
{
    FactsReader reader;
    const QDir dir(QStringLiteral(":/mibc/builtin"));
    for (const QString &name : dir.entryList({QStringLiteral("*.facts")}, QDir::Files, QDir::Name)) {
        MibcDatabase db;
        const qsizetype before = reader.modules().size();
        reader.read(dir.filePath(name), db, &m_errors);
        if (reader.modules().size() != before + 1)
            m_errors << QStringLiteral("%1: one module per file").arg(name);
        else
            m_dbs[reader.modules().last()] = std::move(db);
    }
    m_tcs = reader.textualConventions();
    m_modules = reader.modules();
    m_smiV1 = reader.smiV1Modules();
}

QString BuiltinMibModules::moduleOfName(const QString &name, const QString &preferred) const
{
    const auto own = m_dbs.find(preferred);
    if (own != m_dbs.end() && !own->second.resolve(name).empty())
        return preferred;
    for (const QString &module : m_modules) {
        if (!m_dbs.at(module).resolve(name).empty())
            return module;
    }
    return {};
}

QByteArray BuiltinMibModules::moduleText(const QString &module) const
{
    if (!m_dbs.count(module))
        return {};
    const bool v1 = m_smiV1.contains(module);
    QMap<QString, QStringList> imports; // module -> names
    auto import = [&](const QString &name, const QString &from) {
        if (!from.isEmpty() && from != module && !imports[from].contains(name))
            imports[from] << name;
    };
    auto importName = [&](const QString &name) {
        if (!name.isEmpty())
            import(name, moduleOfName(name, module));
    };
    QString body;
    auto line = [&body](const QString &text) { body += text + u'\n'; };

    for (const MibcTc &tc : m_tcs) {
        if (tc.module != module)
            continue;
        if (v1 || tc.status.isEmpty()) {
            line(QStringLiteral("%1 ::= %2").arg(tc.name, smiSyntax(v1 ? smiV1Base(tc.base) : tc.base, tc.base, tc.enums, tc.ranges)));
        } else {
            line(QStringLiteral("%1 ::= TEXTUAL-CONVENTION").arg(tc.name));
            if (!tc.hint.isEmpty())
                line(QStringLiteral("    DISPLAY-HINT \"%1\"").arg(tc.hint));
            line(QStringLiteral("    STATUS %1").arg(tc.status));
            line(QStringLiteral("    DESCRIPTION \"\""));
            line(QStringLiteral("    SYNTAX %1").arg(smiSyntax(tc.base, tc.base, tc.enums, tc.ranges)));
        }
        line(QString());
    }

    // the parent of a node: the module's own, else the first module's that has it
    auto parentOf = [&](const SnmpOid &oid) -> const MibcNode * {
        const auto own = m_dbs.at(module).nodes().find(oid);
        if (own != m_dbs.at(module).nodes().end())
            return &own->second;
        for (const QString &m : m_modules) {
            const auto found = m_dbs.at(m).nodes().find(oid);
            if (found != m_dbs.at(m).nodes().end())
                return &found->second;
        }
        return nullptr;
    };
    const auto &nodes = m_dbs.at(module).nodes();
    for (auto it = nodes.cbegin(); it != nodes.cend(); ++it) {
        const SnmpOid &oid = it->first;
        const MibcNode &n = it->second;
        if (kindKeyword(n.kind).isEmpty())
            continue;
        // ::= { parent N }
        SnmpOid parentOid = oid;
        parentOid.ids.pop_back();
        QString parent;
        if (const MibcNode *p = parentOf(parentOid)) {
            parent = p->name;
            import(parent, p->module);
        } else if (parentOid.size() == 1 && parentOid.ids[0] <= 2) {
            static const char *const roots[] = {"ccitt", "iso", "joint-iso-ccitt"};
            parent = QLatin1String(roots[parentOid.ids[0]]);
        } else {
            continue; // a built-in node without a parent: nothing to hang it on
        }
        const QString assignment = QStringLiteral("    ::= { %1 %2 }").arg(parent).arg(oid.ids.back());
        const QString status = n.status.isEmpty() ? (v1 ? QStringLiteral("mandatory") : QStringLiteral("current")) : n.status;

        if (n.kind == QLatin1String("node")) {
            line(QStringLiteral("%1 OBJECT IDENTIFIER ::= { %2 %3 }").arg(n.name, parent).arg(oid.ids.back()));
        } else if (n.kind == QLatin1String("module-identity")) {
            line(QStringLiteral("%1 MODULE-IDENTITY").arg(n.name));
            line(QStringLiteral("    LAST-UPDATED \"200001010000Z\"\n    ORGANIZATION \"\"\n    CONTACT-INFO \"\"\n    DESCRIPTION \"\""));
            line(assignment);
        } else if (n.kind == QLatin1String("group")) {
            // The parser keeps no members, other modules' compliances name
            // the group only, yet it wants one: any object of the module.
            QString member;
            for (const auto &[o, c] : nodes) {
                if (c.kind == QLatin1String("scalar") || c.kind == QLatin1String("column")) {
                    member = c.name;
                    break;
                }
            }
            if (member.isEmpty()) {
                line(QStringLiteral("%1 OBJECT IDENTIFIER ::= { %2 %3 }").arg(n.name, parent).arg(oid.ids.back()));
            } else {
                line(QStringLiteral("%1 OBJECT-GROUP\n    OBJECTS { %2 }\n    STATUS %3\n    DESCRIPTION \"\"").arg(n.name, member, status));
                line(assignment);
            }
        } else if (n.kind == QLatin1String("identity")) {
            line(QStringLiteral("%1 OBJECT-IDENTITY\n    STATUS %2\n    DESCRIPTION \"\"").arg(n.name, status));
            line(assignment);
        } else if (n.kind == QLatin1String("notification")) {
            line(QStringLiteral("%1 NOTIFICATION-TYPE").arg(n.name));
            if (!n.objects.isEmpty()) {
                line(QStringLiteral("    OBJECTS { %1 }").arg(n.objects.join(QLatin1String(", "))));
                for (const QString &o : n.objects)
                    importName(o);
            }
            line(QStringLiteral("    STATUS %1\n    DESCRIPTION \"\"").arg(status));
            line(assignment);
        } else {
            QString syntax;
            if (n.kind == QLatin1String("table")) {
                // the entry is the table's only child
                SnmpOid entryOid = oid;
                entryOid.ids.push_back(1);
                const auto e = nodes.find(entryOid);
                syntax = QStringLiteral("SEQUENCE OF %1").arg(entryTypeName(e != nodes.end() ? e->second.name : QString()));
            } else if (n.kind == QLatin1String("entry")) {
                syntax = entryTypeName(n.name);
                QStringList columns;
                for (auto c = std::next(it); c != nodes.cend() && c->first.startsWith(oid); ++c) {
                    if (c->first.size() == oid.size() + 1 && c->second.kind == QLatin1String("column"))
                        columns << QStringLiteral("%1 %2").arg(c->second.name, v1 ? smiV1Base(c->second.syntax) : c->second.syntax);
                }
                body.prepend(QStringLiteral("%1 ::= SEQUENCE { %2 }\n\n").arg(syntax, columns.join(QLatin1String(", "))));
            } else {
                const MibcTc *tc = n.tc.isEmpty() ? nullptr : findTc(m_tcs, n.tc, module);
                if (tc) {
                    import(tc->name, tc->module);
                    // only what the object narrows is written; the rest comes with the convention
                    syntax = smiSyntax(tc->name, tc->base, n.enums == tc->enums ? decltype(n.enums)() : n.enums,
                                       n.ranges == tc->ranges ? MibRanges() : n.ranges);
                } else {
                    syntax = smiSyntax(v1 ? smiV1Base(n.syntax) : n.syntax, n.syntax, n.enums, n.ranges);
                }
            }
            line(QStringLiteral("%1 OBJECT-TYPE").arg(n.name));
            line(QStringLiteral("    SYNTAX %1").arg(syntax));
            if (!n.units.isEmpty())
                line(QStringLiteral("    UNITS \"%1\"").arg(n.units));
            line(QStringLiteral("    %1 %2").arg(QLatin1String(v1 ? "ACCESS" : "MAX-ACCESS"),
                                                  n.access.isEmpty() ? QStringLiteral("not-accessible") : n.access));
            line(QStringLiteral("    STATUS %1\n    DESCRIPTION \"\"").arg(status));
            if (!n.indexes.empty()) {
                QStringList indexes;
                for (const auto &[name, implied] : n.indexes) {
                    indexes << (implied ? QStringLiteral("IMPLIED ") + name : name);
                    importName(name);
                }
                line(QStringLiteral("    INDEX { %1 }").arg(indexes.join(QLatin1String(", "))));
            } else if (!n.augments.isEmpty()) {
                line(QStringLiteral("    AUGMENTS { %1 }").arg(n.augments));
                importName(n.augments);
            }
            line(assignment);
        }
        line(QString());
    }

    // The macros are the parser's own; naming their module marks the
    // module's SMI version for the compiler.
    if (v1)
        import(QStringLiteral("OBJECT-TYPE"), QStringLiteral("RFC-1212"));
    else
        import(QStringLiteral("OBJECT-TYPE"), QStringLiteral("SNMPv2-SMI"));
    QString text = QStringLiteral("%1 DEFINITIONS ::= BEGIN\n\n").arg(module);
    if (!imports.isEmpty()) {
        QStringList clauses;
        for (auto i = imports.cbegin(); i != imports.cend(); ++i)
            clauses << QStringLiteral("    %1\n        FROM %2").arg(i.value().join(QLatin1String(", ")), i.key());
        text += QStringLiteral("IMPORTS\n") + clauses.join(u'\n') + QStringLiteral(";\n\n");
    }
    text += body + QStringLiteral("END\n");
    return text.toUtf8();
}

bool BuiltinMibModules::writeModules(const QString &dir, QStringList *errors) const
{
    for (const QString &module : m_modules) {
        QSaveFile file(QDir(dir).filePath(module + QStringLiteral(".txt")));
        if (!file.open(QIODevice::WriteOnly) || file.write(moduleText(module)) < 0 || !file.commit()) {
            *errors << QCoreApplication::translate("MibCompiler", "%1: cannot write: %2").arg(file.fileName(), file.errorString());
            return false;
        }
    }
    return true;
}

QByteArray mibFactsText(const MibcDatabase &db, const QList<MibcTc> &tcs, const QStringList &modules,
                        const QStringList &smiV1Modules)
{
    QString out = QStringLiteral("# Written by orvelle-mibc --write-facts: names, numbers and types, no descriptions.\n");
    QHash<QString, int> nameCount;
    for (const auto &[oid, node] : db.nodes())
        ++nameCount[node.name];
    for (const QString &module : modules) {
        out += QStringLiteral("module %1%2\n").arg(module, smiV1Modules.contains(module) ? QStringLiteral(" smi=v1") : QString());
        for (const MibcTc &tc : tcs) {
            if (tc.module != module)
                continue;
            QString base = tc.base;
            base.replace(u' ', u'-');
            out += QStringLiteral("tc %1 %2").arg(tc.name, base);
            if (!tc.hint.isEmpty())
                out += QStringLiteral(" hint=") + quoted(tc.hint);
            if (!tc.status.isEmpty())
                out += QStringLiteral(" status=") + tc.status;
            if (!tc.ranges.empty())
                out += (isSize(tc.base) ? QStringLiteral(" size=") : QStringLiteral(" range=")) + mibRangesText(tc.ranges);
            out += u'\n';
            if (!tc.enums.empty())
                out += QStringLiteral("  enum: ") + enumsText(tc.enums, QStringLiteral(" ")) + u'\n';
        }
        for (const auto &[oid, n] : db.nodes()) {
            const QString keyword = kindKeyword(n.kind);
            if (n.module != module || keyword.isEmpty())
                continue;
            SnmpOid parentOid = oid;
            parentOid.ids.pop_back();
            const auto p = db.nodes().find(parentOid);
            // by its parent's name where the facts define that name once
            const bool named = p != db.nodes().end() && nameCount.value(p->second.name) == 1
                && !p->second.module.isEmpty() && !kindKeyword(p->second.kind).isEmpty();
            const QString oidText = named
                ? QStringLiteral("%1.%2").arg(p->second.name).arg(oid.ids.back())
                : oid.toString();
            out += QStringLiteral("%1 %2 %3").arg(keyword, n.name, oidText);
            const MibcTc *tc = n.tc.isEmpty() ? nullptr : findTc(tcs, n.tc, n.module);
            if (keyword == QLatin1String("object")) {
                if (tc) {
                    out += QStringLiteral(" syntax=") + (tc->module == module ? tc->name : tc->module + QStringLiteral("::") + tc->name);
                } else {
                    QString base = n.syntax;
                    base.replace(u' ', u'-');
                    out += QStringLiteral(" syntax=") + base;
                }
                if (n.access != QLatin1String("read-only"))
                    out += QStringLiteral(" access=") + n.access;
            }
            if (!n.status.isEmpty() && n.status != QLatin1String("current"))
                out += QStringLiteral(" status=") + n.status;
            if (!n.units.isEmpty())
                out += QStringLiteral(" units=") + quoted(n.units);
            if (!n.ranges.empty() && (!tc || tc->ranges != n.ranges))
                out += (isSize(n.syntax) ? QStringLiteral(" size=") : QStringLiteral(" range=")) + mibRangesText(n.ranges);
            if (!n.indexes.empty()) {
                QStringList indexes;
                for (const auto &[name, implied] : n.indexes)
                    indexes << (implied ? u'*' + name : name);
                out += QStringLiteral(" index=") + indexes.join(u',');
            }
            if (!n.augments.isEmpty())
                out += QStringLiteral(" augments=") + n.augments;
            if (!n.objects.isEmpty() && keyword == QLatin1String("notification"))
                out += QStringLiteral(" objects=") + n.objects.join(u',');
            out += u'\n';
            if (!n.enums.empty() && (!tc || tc->enums != n.enums))
                out += QStringLiteral("  enum: ") + enumsText(n.enums, QStringLiteral(" ")) + u'\n';
        }
        out += u'\n';
    }
    return out.toUtf8();
}
