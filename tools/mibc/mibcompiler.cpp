#include "mibcompiler.h"

#include "builtinmodules.h"
#include "datafolder.h"
#include "factsreader.h"
#include "smireader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

namespace {

bool isFacts(const QString &path)
{
    return path.endsWith(QLatin1String(".facts"));
}

// Reads "NAME-or-OID  rest of line" files: severity overrides and
// translations. Returns (line number, key, value) triples.
struct OverlayLine
{
    int line;
    QString key;
    QString value;
};

bool readOverlay(const QString &path, QList<OverlayLine> *out, QStringList *errors)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *errors << QCoreApplication::translate("MibCompiler", "%1: cannot open: %2").arg(path, file.errorString());
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype blank = line.indexOf(QRegularExpression(QStringLiteral("\\s")));
        if (blank < 0) {
            *errors << QCoreApplication::translate("MibCompiler", "%1:%2: write NAME-or-OID, a blank, then the value").arg(path).arg(i + 1);
            continue;
        }
        out->append({i + 1, line.left(blank), line.mid(blank + 1).trimmed()});
    }
    return true;
}

// The compiled modules replace the base's definitions of the same modules;
// what they import is added where the base has nothing at that OID.
void mergeIntoBase(MibcDatabase &base, const MibcDatabase &compiled, const QList<SmiModuleFile> &files, MibcResult *result)
{
    QHash<QString, const SmiModuleFile *> inputs;
    for (const SmiModuleFile &f : files) {
        if (const SmiModuleFile *other = inputs.value(f.module)) {
            if (other->path != f.path)
                result->errors << QCoreApplication::translate("MibCompiler", "%1 and %2 both define the module %3: add one of them")
                                      .arg(other->path, f.path, f.module);
            continue;
        }
        inputs.insert(f.module, &f);
    }
    QHash<QString, SnmpOid> baseNames; // "MODULE::name"
    for (const auto &[oid, n] : base.nodes())
        baseNames.insert(n.module + QLatin1String("::") + n.name, oid);
    for (const auto &[oid, n] : compiled.nodes()) {
        const SmiModuleFile *file = inputs.value(n.module);
        if (!file)
            continue;
        const QString where = QStringLiteral("%1:%2").arg(file->path).arg(file->lines.value(n.name, 0));
        const auto same = baseNames.constFind(n.module + QLatin1String("::") + n.name);
        if (same != baseNames.cend() && *same != oid) {
            result->errors << QCoreApplication::translate("MibCompiler", "%1: %2 redefines %3::%2, which is %4 in the database, as %5")
                                  .arg(where, n.name, n.module, same->toString(), oid.toString());
            continue;
        }
        const auto there = base.nodes().find(oid);
        if (there != base.nodes().end() && there->second.name != n.name && !inputs.contains(there->second.module)) {
            result->errors << QCoreApplication::translate("MibCompiler", "%1: %2 takes the OID %3, which is %4::%5 in the database")
                                  .arg(where, n.name, oid.toString(), there->second.module, there->second.name);
        }
    }
    if (!result->errors.isEmpty())
        return;
    for (auto it = base.nodes().begin(); it != base.nodes().end();) {
        if (inputs.contains(it->second.module))
            it = base.nodes().erase(it);
        else
            ++it;
    }
    for (const auto &[oid, n] : compiled.nodes()) {
        if (inputs.contains(n.module))
            base.nodes()[oid] = n;
        else
            base.nodes().emplace(oid, n);
    }
}

} // namespace

QStringList defaultMibSearchPath()
{
    // snmp-mibs-downloader puts the IETF and IANA modules in /usr/share/mibs
    const QStringList candidates{DataFolder::userMibFolder(),
                                 QDir::homePath() + QStringLiteral("/.snmp/mibs"),
                                 QStringLiteral("/usr/share/snmp/mibs"),
                                 QStringLiteral("/usr/share/snmp/mibs/iana"),
                                 QStringLiteral("/usr/share/snmp/mibs/ietf"),
                                 QStringLiteral("/usr/share/mibs/iana"),
                                 QStringLiteral("/usr/share/mibs/ietf")};
    QStringList dirs;
    for (const QString &dir : candidates) {
        if (QFileInfo(dir).isDir())
            dirs << dir;
    }
    return dirs;
}

MibcResult runMibCompiler(const MibcOptions &options, MibcDatabase *database)
{
    MibcResult result;
    MibcDatabase local;
    MibcDatabase &db = database ? *database : local;

    QStringList factsFiles;
    QList<SmiModuleFile> smiFiles;
    auto addSmi = [&](const QString &path, bool named) {
        SmiModuleFile f = SmiReader::scanFile(path);
        if (f.module.isEmpty()) {
            // A folder may hold READMEs and the like; a file named on the
            // command line must be a module.
            if (named) {
                result.errors << QCoreApplication::translate("MibCompiler", "%1: not a MIB module (no \"NAME DEFINITIONS ::= BEGIN\")").arg(path);
                result.failedModules << QStringLiteral("? (%1)").arg(path);
            }
            return;
        }
        smiFiles << f;
    };
    for (const QString &input : options.inputs) {
        const QFileInfo info(input);
        if (info.isDir()) {
            QStringList entries = QDir(input).entryList(QDir::Files, QDir::Name);
            for (const QString &name : entries) {
                const QString path = QDir(input).filePath(name);
                if (isFacts(path))
                    factsFiles << path;
                else
                    addSmi(path, false);
            }
        } else if (info.isFile()) {
            if (isFacts(input))
                factsFiles << input;
            else
                addSmi(input, true);
        } else {
            result.errors << QCoreApplication::translate("MibCompiler", "%1: no such file or folder").arg(input);
        }
    }

    MibcDatabase base;
    if (!options.baseFile.isEmpty()) {
        QString why;
        if (!base.readXml(options.baseFile, &why)) {
            result.errors << why;
            return result;
        }
    }
    if (!smiFiles.isEmpty()) {
        SmiReader smi;
        smi.progress = options.progress;
        smi.compile(smiFiles, options.searchDirs, options.defaultSeverity, db);
        result.errors << smi.messages();
        result.failedModules << smi.failedModules();
    }
    if (!options.baseFile.isEmpty()) {
        mergeIntoBase(base, db, smiFiles, &result);
        if (!result.errors.isEmpty()) {
            result.errors << QCoreApplication::translate("MibCompiler", "nothing was merged; %1 was not written").arg(options.output);
            return result;
        }
        db = std::move(base);
    }
    if (!options.factsOutput.isEmpty()) {
        // A convention of the input's own, else of the module it names in
        // its imports (read from the search path).
        QList<MibcTc> tcs;
        QStringList modules;
        QStringList smiV1;
        QHash<QString, QString> importedFrom;
        for (const SmiModuleFile &f : std::as_const(smiFiles)) {
            tcs << f.tcs;
            modules << f.module;
            if (!f.smiV2)
                smiV1 << f.module;
            for (auto i = f.importedFrom.cbegin(); i != f.importedFrom.cend(); ++i)
                importedFrom.insert(i.key(), i.value());
        }
        for (const QString &dir : options.searchDirs) {
            for (const QFileInfo &info : QDir(dir).entryInfoList(QDir::Files, QDir::Name)) {
                const SmiModuleFile f = SmiReader::scanFile(info.filePath());
                if (modules.contains(f.module))
                    continue;
                for (const MibcTc &tc : f.tcs) {
                    if (importedFrom.value(tc.name) == f.module)
                        tcs << tc;
                }
            }
        }
        QSaveFile out(options.factsOutput);
        if (!out.open(QIODevice::WriteOnly) || out.write(mibFactsText(db, tcs, modules, smiV1)) < 0 || !out.commit()) {
            result.errors << QCoreApplication::translate("MibCompiler", "%1: cannot write: %2").arg(options.factsOutput, out.errorString());
            return result;
        }
        result.written = true;
        return result;
    }
    FactsReader facts;
    for (const QString &path : factsFiles) {
        if (!facts.read(path, db, &result.errors))
            result.failedModules << QStringLiteral("facts (%1)").arg(path);
    }
    for (auto &[oid, node] : db.nodes()) {
        if (node.kind == QLatin1String("notification") && node.severity == 0)
            node.severity = options.defaultSeverity;
    }

    for (const QString &path : options.severityFiles) {
        QList<OverlayLine> lines;
        readOverlay(path, &lines, &result.errors);
        for (const OverlayLine &l : lines) {
            const int severity = severityFromText(l.value);
            if (!severity) {
                result.errors << QCoreApplication::translate("MibCompiler", "%1:%2: severity \"%3\" is not 1/informational, 2/minor or 3/major")
                                     .arg(path).arg(l.line).arg(l.value);
                continue;
            }
            const auto oids = db.resolve(l.key);
            if (oids.empty())
                result.errors << QCoreApplication::translate("MibCompiler", "%1:%2: %3 is not defined by the compiled modules").arg(path).arg(l.line).arg(l.key);
            for (const SnmpOid &oid : oids)
                db.nodes()[oid].severity = severity;
        }
    }
    for (const QString &path : options.japaneseFiles) {
        QList<OverlayLine> lines;
        readOverlay(path, &lines, &result.errors);
        for (const OverlayLine &l : lines) {
            const auto oids = db.resolve(l.key);
            if (oids.empty())
                result.errors << QCoreApplication::translate("MibCompiler", "%1:%2: %3 is not defined by the compiled modules").arg(path).arg(l.line).arg(l.key);
            QString text = l.value;
            text.replace(QLatin1String("\\n"), QLatin1String("\n"));
            for (const SnmpOid &oid : oids)
                db.nodes()[oid].descrJa = text;
        }
    }

    QSet<QString> modules;
    for (const auto &[oid, node] : db.nodes()) {
        if (!node.module.isEmpty())
            modules.insert(node.module);
        if (node.kind == QLatin1String("notification"))
            ++result.notifications;
        else if (!node.syntax.isEmpty())
            ++result.objects;
    }
    result.modules = static_cast<int>(modules.size());
    if (db.nodes().empty()) {
        result.errors << QCoreApplication::translate("MibCompiler", "nothing could be compiled; %1 was not written").arg(options.output);
        return result;
    }
    QSaveFile out(options.output);
    if (!out.open(QIODevice::WriteOnly) || out.write(db.toXml()) < 0 || !out.commit()) {
        result.errors << QCoreApplication::translate("MibCompiler", "%1: cannot write: %2").arg(options.output, out.errorString());
        return result;
    }
    result.written = true;
    return result;
}
