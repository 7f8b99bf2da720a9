// The trap journal at scale: a journal of a million traps (four variables
// each, like those of the trap storm) is written through TrapJournal as the
// program writes it, then searched the way the filter bar searches it.
//
//   journal [--traps N] [--runs R]
//
// Prints key=value lines; the last line is a one-line summary with the
// targets (text search under 200 ms, under 1 KiB per variable on disk).

#include "benchsupport.h"
#include "trapjournal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr double kSearchLimitMs = 200;
constexpr double kBytesPerVariableLimit = 1024;
constexpr quint32 kListRows = 10000; // the default row limit: what a search fills
constexpr int kVariables = 4;

using BenchSupport::cpuSeconds;
using BenchSupport::out;

const char *const kNames[] = {"linkDown", "linkUp", "coldStart", "warmStart", "authenticationFailure",
                              "entConfigChange", "bgpBackwardTransition", "ospfIfStateChange"};

// Trap n: one of a few kinds from one of 500 agents; trap `rare` carries a
// text no other has.
tagTRAPRECORD makeTrap(int n, int rare, std::time_t time)
{
    tagTRAPRECORD r;
    r.tmReceived = time;
    r.strAgent = QStringLiteral("10.0.%1.%2").arg(n % 500 / 250).arg(n % 250 + 1);
    r.strCommunity = QStringLiteral("public");
    const char *name = kNames[n % 8];
    r.strDescription = QString::fromLatin1(name);
    r.nSeverity = quint32(n % 4);
    r.lstVarbinds = {{0x43, QStringLiteral("1.3.6.1.2.1.1.3.0"), QStringLiteral("sysUpTime.0"), QString::number(n * 7) + QStringLiteral(" (0:12:34.56)"), {}},
                     {0x06, QStringLiteral("1.3.6.1.6.3.1.1.4.1.0"), QStringLiteral("snmpTrapOID.0"), QString::fromLatin1(name) + QStringLiteral(" (1.3.6.1.6.3.1.1.5.3)"), {}},
                     {0x02, QStringLiteral("1.3.6.1.2.1.2.2.1.1.%1").arg(n % 48 + 1), QStringLiteral("ifIndex.%1").arg(n % 48 + 1), QString::number(n % 48 + 1), {}},
                     {0x04, QStringLiteral("1.3.6.1.2.1.2.2.1.2.%1").arg(n % 48 + 1), QStringLiteral("ifDescr.%1").arg(n % 48 + 1),
                      n == rare ? QStringLiteral("uplink to core-rtr-zx81") : QStringLiteral("GigabitEthernet1/0/%1").arg(n % 48 + 1), {}}};
    r.nVarbindCount = kVariables;
    return r;
}

struct SearchResult
{
    double ms = 0;
    size_t matches = 0;
};

SearchResult timedSearch(TrapJournal &journal, const TrapQuery &query, int runs)
{
    std::vector<double> times;
    size_t matches = 0;
    for (int i = 0; i < runs; ++i) {
        QEventLoop loop;
        QElapsedTimer timer;
        const auto connection = QObject::connect(&journal, &TrapJournal::searchFinished, &loop,
            [&](quint64, std::shared_ptr<const TrapRecords> found, bool) {
                times.push_back(double(timer.nsecsElapsed()) / 1e6);
                matches = found->size();
                loop.quit();
            }, Qt::QueuedConnection);
        timer.start();
        journal.search(query, kListRows);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        QObject::disconnect(connection);
    }
    std::sort(times.begin(), times.end());
    return {times.empty() ? 0 : times[times.size() / 2], matches};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int traps = 1000000, runs = 5;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--traps"))
            traps = std::max(1000, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--runs"))
            runs = std::max(1, args[i + 1].toInt());
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("traps.db"));
    TrapJournal journal;
    QString error;
    if (!journal.open({path, 0, 0}, &error)) {
        out(QStringLiteral("summary: failed, %1").arg(error));
        return 1;
    }
    const std::time_t start = std::time(nullptr) - traps / 100;
    const int rare = 7; // among the oldest: the search reads the index, not the table, to find it
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = cpuSeconds();
    for (int n = 0; n < traps; ++n) {
        journal.append(std::make_shared<tagTRAPRECORD>(makeTrap(n, rare, start + n / 100)));
        if (n % 50000 == 49999)
            journal.sync(600000); // the queue holds at most a few hundred thousand
    }
    journal.sync(600000);
    const double writeS = double(wall.nsecsElapsed()) / 1e9;
    const double writeCpuUs = 1e6 * (cpuSeconds() - cpuBefore) / traps;
    journal.close();
    const qint64 bytes = QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
    const double perVariable = double(bytes) / (double(traps) * kVariables);
    out(QStringLiteral("traps=%1 variables_per_trap=%2 write_s=%3 write_traps_per_s=%4 write_cpu_us_per_trap=%5 file_bytes=%6 "
                       "bytes_per_trap=%7 bytes_per_variable=%8")
            .arg(traps).arg(kVariables).arg(writeS, 0, 'f', 1).arg(traps / writeS, 0, 'f', 0).arg(writeCpuUs, 0, 'f', 1)
            .arg(bytes).arg(double(bytes) / traps, 0, 'f', 0).arg(perVariable, 0, 'f', 0));

    if (!journal.open({path, 0, 0}, &error)) {
        out(QStringLiteral("summary: failed, %1").arg(error));
        return 1;
    }
    struct Case
    {
        const char *name;
        TrapQuery query;
        bool text; // a text search: the target applies
    };
    TrapQuery rareText, common, agent, twoTerms, severityTime, shortTerm;
    rareText.terms = {QStringLiteral("core-rtr-zx81")};
    common.terms = {QStringLiteral("linkdown")};
    agent.agent = QStringLiteral("10.0.1.17");
    twoTerms.terms = {QStringLiteral("10.0.0.99"), QStringLiteral("ifDescr.11")};
    severityTime.severities = TrapQuery::severityBit(3);
    severityTime.from = start + traps / 200;
    severityTime.to = start + traps / 200 + 600;
    shortTerm.terms = {QStringLiteral("zx")};
    const Case cases[] = {{"rare_text", rareText, true},      {"common_text", common, true},
                          {"agent", agent, true},             {"two_terms", twoTerms, true},
                          {"severity_and_time", severityTime, false}, {"two_letter_term", shortTerm, false}};
    double worstText = 0;
    bool found = true;
    for (const Case &c : cases) {
        const SearchResult r = timedSearch(journal, c.query, runs);
        out(QStringLiteral("search=%1 median_ms=%2 matches=%3").arg(QLatin1String(c.name)).arg(r.ms, 0, 'f', 1).arg(r.matches));
        if (c.text)
            worstText = std::max(worstText, r.ms);
        found = found && r.matches > 0;
    }
    const bool searchOk = worstText < kSearchLimitMs && found;
    const bool diskOk = perVariable < kBytesPerVariableLimit;
    out(QStringLiteral("summary: %1 traps journaled at %2/s (%3 us CPU each), %4 B per variable on disk, slowest text search "
                       "%5 ms; targets: search %6, disk %7")
            .arg(traps).arg(traps / writeS, 0, 'f', 0).arg(writeCpuUs, 0, 'f', 1).arg(perVariable, 0, 'f', 0)
            .arg(worstText, 0, 'f', 1).arg(searchOk ? QStringLiteral("ok") : QStringLiteral("FAIL"))
            .arg(diskOk ? QStringLiteral("ok") : QStringLiteral("FAIL")));
    return 0;
}
