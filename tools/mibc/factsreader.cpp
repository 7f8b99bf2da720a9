#include "factsreader.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

namespace {

// Splits on blanks; "double quoted" parts keep their blanks.
QStringList tokens(const QString &line)
{
    QStringList out;
    QString current;
    bool quoted = false;
    bool have = false;
    for (QChar c : line) {
        if (c == u'"') {
            quoted = !quoted;
            have = true;
        } else if (!quoted && (c == u' ' || c == u'\t')) {
            if (have)
                out << current;
            current.clear();
            have = false;
        } else {
            current += c;
            have = true;
        }
    }
    if (have)
        out << current;
    return out;
}

QString baseType(const QString &word)
{
    static const QStringList bases{
        QStringLiteral("INTEGER"), QStringLiteral("Integer32"), QStringLiteral("Unsigned32"),
        QStringLiteral("Gauge32"), QStringLiteral("Counter32"), QStringLiteral("Counter64"),
        QStringLiteral("TimeTicks"), QStringLiteral("IpAddress"), QStringLiteral("Opaque"),
        QStringLiteral("BITS"), QStringLiteral("OCTET STRING"), QStringLiteral("OBJECT IDENTIFIER"),
        QStringLiteral("NetworkAddress")};
    QString w = word;
    w.replace(u'-', u' ');
    return bases.contains(w) ? w : QString();
}

// "up(1) down(2)" -> pairs; false on anything else.
bool parseEnums(const QString &text, std::vector<std::pair<qint64, QString>> *enums)
{
    static const QRegularExpression item(QStringLiteral("^([A-Za-z][A-Za-z0-9-]*)\\((-?[0-9]+)\\)$"));
    for (const QString &t : tokens(text)) {
        const auto m = item.match(t);
        if (!m.hasMatch())
            return false;
        enums->emplace_back(m.captured(2).toLongLong(), m.captured(1));
    }
    return true;
}

void appendText(QString &to, const QString &text)
{
    if (text.isEmpty())
        return;
    if (!to.isEmpty())
        to += u' ';
    to += text;
}

} // namespace

qsizetype FactsReader::findTc(const QString &ref, const QString &module) const
{
    if (!ref.contains(QLatin1String("::"))) {
        const auto own = m_tcIndex.constFind(module + QLatin1String("::") + ref);
        if (own != m_tcIndex.constEnd())
            return *own;
    }
    return m_tcIndex.value(ref, -1);
}

bool FactsReader::read(const QString &path, MibcDatabase &db, QStringList *errors)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *errors << QCoreApplication::translate("FactsReader", "%1: cannot open: %2").arg(path, file.errorString());
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    int errorCount = 0;
    auto error = [&](int line, const QString &what) {
        *errors << QStringLiteral("%1:%2: %3").arg(path).arg(line).arg(what);
        ++errorCount;
    };

    QString module;
    // The definition the indented lines belong to.
    enum class Target { None, Node, Tc, Skip } target = Target::None;
    SnmpOid currentOid;
    MibcNode current;
    qsizetype currentTc = -1;
    bool currentEnumsFromTc = false; // until an enum: line of its own
    bool smiV2 = true;
    auto flush = [&]() {
        if (target == Target::Node) {
            m_names.insert(current.name, currentOid);
            db.add(currentOid, current);
        }
        target = Target::None;
    };

    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;

        if (line.at(0).isSpace()) {
            // en: / ja: / enum: under the definition above.
            const qsizetype colon = trimmed.indexOf(u':');
            const QString field = colon > 0 ? trimmed.left(colon) : QString();
            const QString value = colon > 0 ? trimmed.mid(colon + 1).trimmed() : QString();
            if (target == Target::None) {
                error(lineNo, QCoreApplication::translate("FactsReader", "an indented line without a definition above it"));
                continue;
            }
            // The lines of a refused definition: its fault is reported once.
            if (target == Target::Skip)
                continue;
            std::vector<std::pair<qint64, QString>> *enums =
                target == Target::Node ? &current.enums : &m_tcs[currentTc].enums;
            QString *en = target == Target::Node ? &current.descrEn : &m_tcs[currentTc].descrEn;
            QString *ja = target == Target::Node ? &current.descrJa : &m_tcs[currentTc].descrJa;
            if (field == QLatin1String("enum") && target == Target::Node && currentEnumsFromTc) {
                // the object's own list replaces its convention's
                current.enums.clear();
                currentEnumsFromTc = false;
            }
            if (field == QLatin1String("en")) {
                appendText(*en, value);
            } else if (field == QLatin1String("ja")) {
                // Japanese runs on without blanks between lines.
                *ja += value;
            } else if (field == QLatin1String("enum")) {
                if (!parseEnums(value, enums))
                    error(lineNo, QCoreApplication::translate("FactsReader", "enumerations are written label(number), separated by blanks"));
            } else {
                error(lineNo, QCoreApplication::translate("FactsReader", "unknown field \"%1\" (en:, ja: or enum:)").arg(field));
            }
            continue;
        }

        flush();
        // Until the definition below is accepted, its indented lines are
        // skipped.
        target = Target::Skip;
        const QStringList t = tokens(trimmed);
        const QString keyword = t.value(0);
        if (keyword == QLatin1String("module")) {
            if (t.size() < 2 || t.size() > 3 || (t.size() == 3 && t[2] != QLatin1String("smi=v1")))
                error(lineNo, QCoreApplication::translate("FactsReader", "write: module NAME [smi=v1]"));
            module = t.value(1);
            smiV2 = t.value(2) != QLatin1String("smi=v1");
            if (!m_modules.contains(module))
                m_modules << module;
            if (!smiV2 && !m_smiV1.contains(module))
                m_smiV1 << module;
            target = Target::None;
            continue;
        }
        if (keyword == QLatin1String("tc")) {
            if (t.size() < 3 || baseType(t[2]).isEmpty()) {
                error(lineNo, QCoreApplication::translate("FactsReader", "write: tc NAME BASE-TYPE [hint=...]"));
                continue;
            }
            MibcTc tc;
            tc.name = t[1];
            tc.module = module;
            tc.base = baseType(t[2]);
            for (int k = 3; k < t.size(); ++k) {
                if (t[k].startsWith(QLatin1String("hint="))) {
                    tc.hint = t[k].mid(5);
                } else if (t[k].startsWith(QLatin1String("status="))) {
                    tc.status = t[k].mid(7);
                } else if (t[k].startsWith(QLatin1String("range=")) || t[k].startsWith(QLatin1String("size="))) {
                    if (!parseMibRanges(t[k].mid(t[k].indexOf(u'=') + 1), &tc.ranges))
                        error(lineNo, QCoreApplication::translate("FactsReader", "ranges are written 1..3|5"));
                } else {
                    error(lineNo, QCoreApplication::translate("FactsReader", "unknown attribute \"%1\"").arg(t[k]));
                }
            }
            currentTc = m_tcs.size();
            m_tcs << tc;
            m_tcIndex.insert(module + QLatin1String("::") + tc.name, currentTc);
            m_tcIndex.insert(tc.name, currentTc);
            target = Target::Tc;
            continue;
        }
        static const QStringList kinds{QStringLiteral("node"), QStringLiteral("identity"), QStringLiteral("object"),
                                       QStringLiteral("table"), QStringLiteral("entry"),
                                       QStringLiteral("notification"), QStringLiteral("module-identity"),
                                       QStringLiteral("group")};
        if (!kinds.contains(keyword)) {
            error(lineNo, QCoreApplication::translate("FactsReader", "unknown definition \"%1\"").arg(keyword));
            continue;
        }
        if (module.isEmpty()) {
            error(lineNo, QCoreApplication::translate("FactsReader", "a definition before the first \"module\" line"));
            continue;
        }
        if (t.size() < 3) {
            error(lineNo, QCoreApplication::translate("FactsReader", "write: %1 NAME OID [attribute=value ...]").arg(keyword));
            continue;
        }
        // OID: dotted numbers, or a known name followed by sub-identifiers.
        const QString ref = t[2];
        std::optional<SnmpOid> oid = SnmpOid::fromString(ref);
        if (!oid) {
            const qsizetype dot = ref.indexOf(u'.');
            const QString base = dot < 0 ? ref : ref.left(dot);
            auto known = m_names.constFind(base);
            std::optional<SnmpOid> rest = dot < 0 ? SnmpOid() : SnmpOid::fromString(ref.mid(dot + 1));
            if (known == m_names.constEnd() || !rest) {
                error(lineNo, QCoreApplication::translate("FactsReader", "\"%1\" is not an OID: use dotted numbers or a name defined above, "
                                 "such as system.1").arg(ref));
                continue;
            }
            SnmpOid full = *known;
            full.ids.insert(full.ids.end(), rest->ids.begin(), rest->ids.end());
            oid = full;
        }

        MibcNode node;
        node.name = t[1];
        node.module = module;
        node.smiV2 = smiV2;
        if (keyword == QLatin1String("object")) {
            SnmpOid parent = *oid;
            parent.ids.pop_back();
            auto p = db.nodes().find(parent);
            node.kind = (p != db.nodes().end() && p->second.kind == QLatin1String("entry"))
                ? QStringLiteral("column") : QStringLiteral("scalar");
            node.access = QStringLiteral("read-only");
            node.status = QStringLiteral("current");
        } else if (keyword == QLatin1String("table") || keyword == QLatin1String("entry")) {
            node.kind = keyword;
            node.access = QStringLiteral("not-accessible");
            node.status = QStringLiteral("current");
        } else {
            node.kind = keyword;
            if (keyword == QLatin1String("notification") || keyword == QLatin1String("group"))
                node.status = QStringLiteral("current");
        }
        bool ok = true;
        bool enumsFromTc = false;
        for (int k = 3; k < t.size(); ++k) {
            const qsizetype eq = t[k].indexOf(u'=');
            const QString name = eq > 0 ? t[k].left(eq) : t[k];
            const QString value = eq > 0 ? t[k].mid(eq + 1) : QString();
            if (name == QLatin1String("syntax")) {
                const QString base = baseType(value);
                const qsizetype tcIndex = base.isEmpty() ? findTc(value, module) : -1;
                if (!base.isEmpty()) {
                    node.syntax = base;
                } else if (tcIndex >= 0) {
                    const MibcTc &tc = m_tcs[tcIndex];
                    node.syntax = tc.base;
                    node.tc = tc.name;
                    node.hint = tc.hint;
                    node.enums = tc.enums;
                    enumsFromTc = !tc.enums.empty();
                    if (node.ranges.empty())
                        node.ranges = tc.ranges;
                } else {
                    error(lineNo, QCoreApplication::translate("FactsReader", "unknown syntax \"%1\": a base type or a tc defined above").arg(value));
                    ok = false;
                }
            } else if (name == QLatin1String("access")) {
                static const QStringList accesses{
                    QStringLiteral("read-only"), QStringLiteral("read-write"), QStringLiteral("read-create"),
                    QStringLiteral("write-only"), QStringLiteral("not-accessible"),
                    QStringLiteral("accessible-for-notify")};
                if (!accesses.contains(value)) {
                    error(lineNo, QCoreApplication::translate("FactsReader", "unknown access \"%1\"").arg(value));
                    ok = false;
                }
                node.access = value;
            } else if (name == QLatin1String("status")) {
                node.status = value;
            } else if (name == QLatin1String("range") || name == QLatin1String("size")) {
                if (!parseMibRanges(value, &node.ranges)) {
                    error(lineNo, QCoreApplication::translate("FactsReader", "ranges are written 1..3|5"));
                    ok = false;
                }
            } else if (name == QLatin1String("units")) {
                node.units = value;
            } else if (name == QLatin1String("hint")) {
                node.hint = value;
            } else if (name == QLatin1String("augments")) {
                node.augments = value;
            } else if (name == QLatin1String("index")) {
                for (QString index : value.split(u',', Qt::SkipEmptyParts)) {
                    const bool implied = index.startsWith(u'*');
                    if (implied)
                        index.remove(0, 1);
                    node.indexes.emplace_back(index, implied);
                }
            } else if (name == QLatin1String("objects")) {
                node.objects = value.split(u',', Qt::SkipEmptyParts);
            } else if (name == QLatin1String("severity")) {
                node.severity = severityFromText(value);
                if (!node.severity) {
                    error(lineNo, QCoreApplication::translate("FactsReader", "severity is 1 (informational), 2 (minor) or 3 (major)"));
                    ok = false;
                }
            } else {
                error(lineNo, QCoreApplication::translate("FactsReader", "unknown attribute \"%1\"").arg(name));
                ok = false;
            }
        }
        if (ok && (node.kind == QLatin1String("scalar") || node.kind == QLatin1String("column")) && node.syntax.isEmpty()) {
            error(lineNo, QCoreApplication::translate("FactsReader", "an object needs syntax="));
            ok = false;
        }
        if (!ok)
            continue;
        current = node;
        currentEnumsFromTc = enumsFromTc;
        currentOid = *oid;
        target = Target::Node;
    }
    flush();
    return errorCount == 0;
}
