// MIB database figures: load time and memory of the bundled database, of one
// compiled from the shared MIB corpus and of a generated 100,000-object one,
// the time to compile the corpus's modules, a search of the OID field's
// finder among 100,000 objects, and OID translations per second. Prints key=value lines; the last line is
// a summary. No arguments; runs from anywhere.

#include "benchmib.h"
#include "mibcompiler.h"
#include "mibnameindex.h"
#include "xmlread.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kLoadRuns = 5;
constexpr int kGeneratedObjects = 100000;
constexpr double kTargetSharedLoadMs = 100.0;
constexpr double kTargetGeneratedLoadMs = 1000.0;
constexpr double kTargetTranslationsPerSecond = 1e6;
constexpr int kTranslationRounds = 2000000;
constexpr double kTargetCorpusCompileMs = 2000.0;
constexpr double kTargetFindMs = 20.0;
constexpr int kCompileRuns = 3;

size_t heapInUse()
{
    return mallinfo2().uordblks;
}

void print(const char *key, const QString &value)
{
    std::printf("%s=%s\n", key, qPrintable(value));
    std::fflush(stdout);
}

struct LoadFigures
{
    double medianMs = -1;
    double heapMiB = 0;
    size_t entries = 0;
    qint64 fileBytes = 0;
};

// Loads the file kLoadRuns times; the median time, and the heap the last
// load holds.
LoadFigures measureLoad(const QString &path, CXMLRead *keep)
{
    LoadFigures f;
    f.fileBytes = QFileInfo(path).size();
    std::vector<double> times;
    for (int i = 0; i < kLoadRuns; ++i) {
        CXMLRead reader;
        QElapsedTimer t;
        t.start();
        if (!reader.loadMIBTable(path)) {
            std::fprintf(stderr, "mibdb: %s\n", qPrintable(reader.errorString()));
            return f;
        }
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    f.medianMs = times[times.size() / 2];
    malloc_trim(0);
    const size_t before = heapInUse();
    if (!keep->loadMIBTable(path))
        return f;
    f.heapMiB = (heapInUse() - before) / (1024.0 * 1024.0);
    f.entries = keep->getMIBTable()->entryCount();
    return f;
}

void report(const char *prefix, const LoadFigures &f)
{
    print(qPrintable(QStringLiteral("%1_objects").arg(QLatin1String(prefix))), QString::number(f.entries));
    print(qPrintable(QStringLiteral("%1_file_bytes").arg(QLatin1String(prefix))), QString::number(f.fileBytes));
    print(qPrintable(QStringLiteral("%1_load_ms").arg(QLatin1String(prefix))), QString::number(f.medianMs, 'f', 2));
    print(qPrintable(QStringLiteral("%1_heap_mib").arg(QLatin1String(prefix))), QString::number(f.heapMiB, 'f', 2));
}

// 100,000 objects: 1,000 tables of an entry and 98 columns.
bool generate(const QString &path)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(benchMibTables(kGeneratedObjects, false).toXml()) > 0;
}

// The median time of one search of the OID field's finder, over searches
// of the kinds a user types: part of a name, its start, a numeric OID.
double findMs(const MibDocument &doc, size_t *indexed, double *buildMs, size_t *firstHits)
{
    QElapsedTimer t;
    t.start();
    MibNameIndex index;
    index.build(doc);
    *buildMs = t.nsecsElapsed() / 1e6;
    *indexed = index.size();
    const QStringList queries{QStringLiteral("Column42"), QStringLiteral("bench77"), QStringLiteral("benchTable9"),
                              QStringLiteral("entry5"), QStringLiteral("1.3.6.1.4.1.99999.500"), QStringLiteral("zzz")};
    std::vector<double> times;
    for (int round = 0; round < 5; ++round) {
        for (const QString &q : queries) {
            t.restart();
            const auto hits = index.find(q);
            times.push_back(t.nsecsElapsed() / 1e6);
            if (round == 0 && q == queries.first())
                *firstHits = hits.size();
        }
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A mix of what the trap list and the walk translate: instances of table
// columns and scalars, enumerated values, OID values in mode 1, unknown OIDs.
double translationsPerSecond(const MibDocument *doc, double *namedShare)
{
    struct Case
    {
        SnmpOid oid;
        SnmpValue value;
        bool hasValue;
        int mode;
    };
    std::vector<Case> cases;
    std::mt19937 rng(42);
    auto add = [&](const char *text, SnmpValue v, bool hasValue, int mode) {
        cases.push_back({*SnmpOid::fromString(QString::fromLatin1(text)), std::move(v), hasValue, mode});
    };
    for (int i = 0; i < 64; ++i) {
        const quint32 n = rng() % 48 + 1;
        SnmpOid ifDescr{1, 3, 6, 1, 2, 1, 2, 2, 1, 2, n};
        cases.push_back({ifDescr, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "eth0"), true, 0});
        SnmpOid ifOper{1, 3, 6, 1, 2, 1, 2, 2, 1, 8, n};
        cases.push_back({ifOper, SnmpValue::integer(static_cast<qint32>(rng() % 2 + 1)), true, 0});
        SnmpOid hc{1, 3, 6, 1, 2, 1, 31, 1, 1, 1, 6, n};
        cases.push_back({hc, SnmpValue::counter(rng()), true, 0});
    }
    add("1.3.6.1.2.1.1.3.0", SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, 12345), true, 0);
    add("1.3.6.1.6.3.1.1.4.1.0", SnmpValue::objectId(SnmpOid{1, 3, 6, 1, 6, 3, 1, 1, 5, 3}), true, 0);
    add("1.3.6.1.6.3.1.1.5.3", SnmpValue(), false, 1);
    add("1.3.6.1.4.1.8072.3.2.10", SnmpValue(), false, 1);
    add("1.3.6.1.2.1.4.20.1.2.192.0.2.1", SnmpValue::integer(3), true, 0);
    add("1.3.6.1.2.1.6.13.1.1.10.0.0.1.22.10.0.0.2.40000", SnmpValue::integer(5), true, 0);
    add("1.3.6.1.4.1.2021.10.1.5.1", SnmpValue::integer(42), true, 0);
    add("1.3.6.1.4.1.99999.7.7.7", SnmpValue::integer(1), true, 0);
    add("3.6.1.2", SnmpValue::integer(1), true, 0);
    std::shuffle(cases.begin(), cases.end(), rng);

    tagMIBTran t;
    t.pDocument = doc;
    t.strLang = QStringLiteral("en");
    int named = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kTranslationRounds; ++i) {
        const Case &c = cases[static_cast<size_t>(i) % cases.size()];
        t.pOid = &c.oid;
        t.pValue = c.hasValue ? &c.value : nullptr;
        t.strOidName.clear();
        t.strValueText = QStringLiteral("1");
        named += SNMPOidToTranStr(&t, c.mode);
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    *namedShare = double(named) / kTranslationRounds;
    return kTranslationRounds / seconds;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    bool allMet = true;
    QStringList summary;

    print("load_runs", QString::number(kLoadRuns));

    // Judges one database's load time against its target for the summary.
    auto judgeLoad = [&](const char *name, const LoadFigures &figures, double targetMs) {
        const bool met = figures.medianMs >= 0 && figures.medianMs < targetMs;
        allMet = allMet && met;
        summary << QStringLiteral("%1 %2 objects %3 ms (<%4: %5)")
                       .arg(QLatin1String(name)).arg(figures.entries).arg(figures.medianMs, 0, 'f', 1)
                       .arg(targetMs).arg(met ? QStringLiteral("ok") : QStringLiteral("MISSED"));
    };

    // The bundled database.
    CXMLRead bundled;
    const LoadFigures b = measureLoad(QStringLiteral(ORVELLE_SOURCE_DIR "/DATA/MIBTable.xml"), &bundled);
    report("bundled", b);
    summary << QStringLiteral("bundled %1 objects %2 ms").arg(b.entries).arg(b.medianMs, 0, 'f', 1);

    // One compiled from the shared corpus and net-snmp's own modules.
    QString shared = qEnvironmentVariable("ORVELLE_SHARED_DIR");
    if (shared.isEmpty())
        shared = QStringLiteral(ORVELLE_DEFAULT_SHARED_DIR);
    const QString mibs = QDir(shared).filePath(QStringLiteral("mibs"));
    CXMLRead corpus;
    const CXMLRead *translateWith = &bundled;
    if (QFileInfo(mibs).isDir()) {
        const QString out = tmp.filePath(QStringLiteral("corpus.xml"));
        QElapsedTimer t;
        t.start();
        QProcess mibc;
        mibc.start(QStringLiteral(ORVELLE_MIBC_PATH),
                   {QStringLiteral("-q"), QStringLiteral("-M"), mibs + QStringLiteral(":/usr/share/snmp/mibs"),
                    QStringLiteral("-o"), out, mibs, QStringLiteral("/usr/share/snmp/mibs")});
        mibc.waitForFinished(120000);
        print("corpus_compile_ms", QString::number(t.elapsed()));
        print("corpus_compile_exit", QString::number(mibc.exitCode()));
        const LoadFigures c = measureLoad(out, &corpus);
        // the corpus's own modules alone, as the MIB Modules dialog compiles a folder
        std::vector<double> compiles;
        int exitCode = -1;
        for (int i = 0; i < kCompileRuns; ++i) {
            QProcess alone;
            t.restart();
            alone.start(QStringLiteral(ORVELLE_MIBC_PATH),
                        {QStringLiteral("-q"), QStringLiteral("-M"), mibs, QStringLiteral("-o"),
                         tmp.filePath(QStringLiteral("alone.xml")), mibs});
            alone.waitForFinished(120000);
            compiles.push_back(double(t.elapsed()));
            exitCode = alone.exitCode();
        }
        std::sort(compiles.begin(), compiles.end());
        const double compileMs = compiles[compiles.size() / 2];
        const int modules = int(QDir(mibs).entryList({QStringLiteral("*.txt")}).size());
        print("shared_modules", QString::number(modules));
        print("shared_compile_ms", QString::number(compileMs, 'f', 0));
        print("shared_compile_exit", QString::number(exitCode));
        const bool compileMet = exitCode == 0 && compileMs < kTargetCorpusCompileMs;
        allMet = allMet && compileMet;
        summary << QStringLiteral("compile %1 modules %2 ms (<%3: %4)").arg(modules).arg(compileMs, 0, 'f', 0)
                       .arg(kTargetCorpusCompileMs).arg(compileMet ? QStringLiteral("ok") : QStringLiteral("MISSED"));
        report("corpus", c);
        judgeLoad("corpus", c, kTargetSharedLoadMs);
        if (corpus.getMIBTable())
            translateWith = &corpus;
    } else {
        print("corpus", QStringLiteral("skipped: %1 not found (set ORVELLE_SHARED_DIR)").arg(mibs));
        summary << QStringLiteral("corpus skipped");
    }

    // A generated 100,000-object database.
    const QString generated = tmp.filePath(QStringLiteral("generated.xml"));
    QElapsedTimer g;
    g.start();
    if (generate(generated)) {
        print("generated_write_ms", QString::number(g.elapsed()));
        CXMLRead big;
        const LoadFigures f = measureLoad(generated, &big);
        report("generated", f);
        judgeLoad("generated", f, kTargetGeneratedLoadMs);
        if (big.getMIBTable()) {
            size_t indexed = 0, hits = 0;
            double buildMs = 0;
            const double ms = findMs(*big.getMIBTable(), &indexed, &buildMs, &hits);
            print("find_objects", QString::number(indexed));
            print("find_index_build_ms", QString::number(buildMs, 'f', 1));
            print("find_median_ms", QString::number(ms, 'f', 2));
            print("find_first_query_hits", QString::number(hits));
            const bool met = ms < kTargetFindMs && hits > 0;
            allMet = allMet && met;
            summary << QStringLiteral("find among %1 %2 ms (<%3: %4)").arg(indexed).arg(ms, 0, 'f', 2).arg(kTargetFindMs)
                           .arg(met ? QStringLiteral("ok") : QStringLiteral("MISSED"));
        }
    } else {
        allMet = false;
        summary << QStringLiteral("generated: could not write %1").arg(generated);
    }

    // Translations.
    double namedShare = 0;
    const double rate = translationsPerSecond(translateWith->getMIBTable(), &namedShare);
    print("translate_database", translateWith == &corpus ? QStringLiteral("corpus") : QStringLiteral("bundled"));
    print("translate_count", QString::number(kTranslationRounds));
    print("translate_named_share", QString::number(namedShare, 'f', 3));
    print("translations_per_second", QString::number(rate, 'f', 0));
    const bool rateMet = rate > kTargetTranslationsPerSecond;
    allMet = allMet && rateMet;
    summary << QStringLiteral("%1 M translations/s (>1: %2)").arg(rate / 1e6, 0, 'f', 2)
                   .arg(rateMet ? QStringLiteral("ok") : QStringLiteral("MISSED"));

    print("targets_met", allMet ? QStringLiteral("yes") : QStringLiteral("no"));
    std::printf("summary: mibdb %s%s\n", qPrintable(summary.join(QStringLiteral("; "))),
                allMet ? "; all targets met" : "; TARGETS MISSED");
    return 0;
}
