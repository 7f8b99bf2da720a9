// Trap storm: the whole program under bursts of traps. The main frame is
// built and shown as the program starts itself (offscreen, so painting
// counts), the view receives on a loopback port of its own, and the shared
// trap blaster sends bursts at rising rates. For every burst: traps listed
// (distinct sequence numbers read back from the list), loss, the longest
// stall of the GUI event loop, CPU per listed trap and heap per listed
// variable row; then net-snmp's snmptrapd takes the same bursts in the same
// run.
//
//   trap_storm [--count N] [--rates "5000 20000 50000 max"] [--no-snmptrapd] [--no-journal]
//
// The trap journal is on, as it is by default; its writer's CPU is counted
// up to the moment it has committed the burst.
//
// Prints key=value lines; the last line is a one-line summary with the
// targets. Needs the shared tools (../shared/tools); without them it says so
// and exits 0.

#include "benchsupport.h"
#include "mainframe.h"
#include "orvelleapp.h"
#include "orvelleview.h"
#include "traplistmodel.h"
#include "trapreceiver.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <malloc.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>

namespace {

using namespace BenchSupport;

constexpr int kProbeIntervalMs = 5;     // the GUI thread's heartbeat; a longer gap is a stall
constexpr int kSettleMs = 500;          // list unchanged this long after the blaster ended: burst over
constexpr int kDrainAllowanceMs = 30000; // beyond twice the send time, at most
constexpr int kStartupSettleMs = 300;   // lets the shown frame paint before the first burst
constexpr int kRowsPerTrap = 5;         // header + sysUpTime, snmpTrapOID, sequence, payload
constexpr quint32 kListRows = 100000;   // max_rows of the private configuration, at least
constexpr quint32 kSequenceGap = 1000;  // between bursts' sequence numbers
constexpr double kLossFreeUpToPerS = 50000;
constexpr double kStallLimitMs = 100;
constexpr double kCpuRatioLimit = 0.6;
constexpr double kBytesPerRowLimit = 2048;
constexpr char kTrapdRcvbuf[] = "4194304";
const QString kSequenceOid = QStringLiteral("1.3.6.1.4.1.8072.9999.1.1.0");

// The whole process (the receive thread included): user and system CPU
// seconds, and context switches, which tell where a trap's time goes.
struct Usage
{
    double user = 0, system = 0, switches = 0;
    Usage operator-(const Usage &o) const { return {user - o.user, system - o.system, switches - o.switches}; }
};

qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

Usage usage()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return {seconds(ru.ru_utime), seconds(ru.ru_stime), double(ru.ru_nvcsw + ru.ru_nivcsw)};
}

struct Burst
{
    QString rate;
    int sent = 0;
    QString sentPerSecond;
    int listed = 0;
    qint64 variableRows = 0;
    double maxStallMs = 0;
    double stallCpuMs = 0; // the GUI thread's own CPU in that gap; the rest it waited for a processor
    Usage cpu;
    qint64 heapGrowth = 0;
    quint64 kernelDrops = 0;
    quint64 queueDrops = 0;
    int paints = 0;
    bool timedOut = false;
};

// Counts the list's repaints: drawing is a cost per flush, not per trap.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// Distinct sequence numbers first..first+count-1 in the list, as it shows
// them, and its variable rows (header rows are the ones with a time).
void readList(TrapListModel *model, quint32 first, int count, Burst *b)
{
    std::vector<bool> seen(size_t(count), false);
    for (int row = 0; row < model->rowCount(); ++row) {
        if (!model->cellText(row, TrapListModel::ColDateTime).isEmpty())
            continue;
        ++b->variableRows;
        if (model->cellText(row, TrapListModel::ColOidSeverity) != kSequenceOid)
            continue;
        bool ok = false;
        const quint32 n = model->cellText(row, TrapListModel::ColValueDescription).toUInt(&ok) - first;
        if (ok && n < quint32(count) && !seen[n]) {
            seen[n] = true;
            ++b->listed;
        }
    }
}

Burst runBurst(COrvelleView *view, const QString &blast, quint16 port, const QString &rate, int count, quint32 first)
{
    Burst b;
    b.rate = rate;
    TrapListModel *model = view->trapModel();
    view->OnNew();
    QCoreApplication::processEvents();
    const SnmpTrapStatistics before = view->trapReceiver()->trapStatistics();
    const size_t heapBefore = mallinfo2().uordblks;
    const Usage cpuBefore = usage();

    const double perSecond = rate == QLatin1String("max") ? 0 : rate.toDouble();
    const qint64 deadlineMs = (perSecond > 0 ? qint64(2000.0 * count / perSecond) : 0) + kDrainAllowanceMs;
    QElapsedTimer clock;
    clock.start();
    qint64 lastBeat = -1, lastBeatCpu = 0, longestGap = 0, longestGapCpu = 0, lastGrowth = 0;
    int lastRows = -1;
    bool blastDone = false;
    PaintCounter painted;
    view->viewport()->installEventFilter(&painted);
    QEventLoop loop;
    QProcess p;
    const auto ended = [&] { blastDone = true; lastGrowth = clock.elapsed(); };
    QObject::connect(&p, &QProcess::finished, &loop, ended);
    QObject::connect(&p, &QProcess::errorOccurred, &loop, ended);
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.nsecsElapsed();
        const qint64 cpuNow = threadCpuNs();
        if (lastBeat >= 0 && now - lastBeat > longestGap) {
            longestGap = now - lastBeat;
            longestGapCpu = cpuNow - lastBeatCpu;
        }
        lastBeat = now;
        lastBeatCpu = cpuNow;
        if (model->rowCount() != lastRows) {
            lastRows = model->rowCount();
            lastGrowth = clock.elapsed();
        }
        if (blastDone && clock.elapsed() - lastGrowth >= kSettleMs)
            loop.quit();
        if (clock.elapsed() > deadlineMs) {
            b.timedOut = true;
            loop.quit();
        }
    });
    probe.start(kProbeIntervalMs);
    p.start(blast, {QStringLiteral("-p"), QString::number(port), QStringLiteral("-n"), QString::number(count),
                    QStringLiteral("-r"), perSecond > 0 ? rate : QStringLiteral("0"), QStringLiteral("-o"),
                    QString::number(first)});
    loop.exec();
    probe.stop();
    b.paints = painted.paints;
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(5000);
    }
    model->flush();
    // the journal's writer finishes its share of the burst within the measurement
    if (view->journal())
        view->journal()->sync(kDrainAllowanceMs);
    b.cpu = usage() - cpuBefore;
    b.heapGrowth = qint64(mallinfo2().uordblks) - qint64(heapBefore);
    b.maxStallMs = std::max(0.0, double(longestGap) / 1e6 - kProbeIntervalMs);
    b.stallCpuMs = double(longestGapCpu) / 1e6;
    const SnmpTrapStatistics after = view->trapReceiver()->trapStatistics();
    b.kernelDrops = after.kernelDrops - before.kernelDrops;
    b.queueDrops = after.queueDrops - before.queueDrops;

    const QString blastLine = QString::fromLatin1(p.readAllStandardOutput());
    b.sent = QRegularExpression(QStringLiteral("\\bsent=(\\d+)")).match(blastLine).captured(1).toInt();
    b.sentPerSecond = QRegularExpression(QStringLiteral("rate_per_s=(\\d+)")).match(blastLine).captured(1);
    readList(model, first, count, &b);
    return b;
}

// A private profile and data folder: the copied MIB database and a
// configuration whose list holds a whole burst, receiving on `port`.
bool prepareEnvironment(const QString &root, quint16 port, int count, bool journal)
{
    const QString data = root + QStringLiteral("/DATA");
    QDir().mkpath(data);
    const QString mibs = QStringLiteral(ORVELLE_SOURCE_DIR "/DATA/MIBTable.xml");
    const QString source = QFileInfo::exists(mibs) ? mibs : QStringLiteral("DATA/MIBTable.xml");
    if (!QFile::copy(source, data + QStringLiteral("/MIBTable.xml")))
        return false;
    QFile config(data + QStringLiteral("/Config.xml"));
    if (!config.open(QIODevice::WriteOnly))
        return false;
    const quint32 rows = std::max(kListRows, quint32(count) * kRowsPerTrap);
    config.write(QStringLiteral("<config><max_rows>%1</max_rows><trap_port>%2</trap_port><journal><enabled>%3</enabled>"
                                "</journal></config>\n")
                     .arg(rows).arg(port).arg(journal ? 1 : 0).toUtf8());
    config.close();
    for (const char *sub : {"home", "config", "data", "cache", "runtime"})
        QDir().mkpath(root + u'/' + QLatin1String(sub));
    QFile::setPermissions(root + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const auto set = [&](const char *name, const QString &value) { qputenv(name, QFile::encodeName(value)); };
    set("ORVELLE_DATA_DIR", data);
    set("ORVELLE_TRAP_ADDRESSES", QStringLiteral("127.0.0.1"));
    set("QT_QPA_PLATFORM", QStringLiteral("offscreen"));
    set("HOME", root + QStringLiteral("/home"));
    set("XDG_CONFIG_HOME", root + QStringLiteral("/config"));
    set("XDG_DATA_HOME", root + QStringLiteral("/data"));
    set("XDG_CACHE_HOME", root + QStringLiteral("/cache"));
    set("XDG_RUNTIME_DIR", root + QStringLiteral("/runtime"));
    return true;
}

QString okOrFail(bool ok)
{
    return ok ? QStringLiteral("ok") : QStringLiteral("FAIL");
}

} // namespace

int main(int argc, char **argv)
{
    TrapBurstOptions options;
    QString tools, blast;
    if (!parseTrapBurstOptions(argc, argv, "trap_storm", &options))
        return 2;
    if (!findTrapTools(&tools, &blast))
        return 0;
    const int count = options.count;

    // Before the application object: the platform and the profile folders
    // are read when it is created.
    QTemporaryDir work;
    const quint16 port = freeLoopbackPort();
    if (!work.isValid() || !prepareEnvironment(work.path(), port, count, options.withJournal)) {
        out(QStringLiteral("summary: failed, cannot prepare the private data folder"));
        return 1;
    }
    COrvelleApp app(argc, argv, false);
    int exitCode = 0;
    if (!app.InitInstance(&exitCode)) {
        out(QStringLiteral("summary: failed, the program did not start (exit code %1)").arg(exitCode));
        return 1;
    }
    COrvelleView *view = app.mainFrame()->view();
    view->OnStartStop();
    if (!view->isRunning()) {
        out(QStringLiteral("summary: failed, the trap service did not start on 127.0.0.1:%1").arg(port));
        return 1;
    }
    {
        QEventLoop settle;
        QTimer::singleShot(kStartupSettleMs, &settle, &QEventLoop::quit);
        settle.exec();
    }
    out(QStringLiteral("# orvelle main frame shown (offscreen) %1x%2, receiving on 127.0.0.1:%3, list limit %4 rows, "
                       "receive buffer %5 bytes granted")
            .arg(app.mainFrame()->width()).arg(app.mainFrame()->height()).arg(port).arg(view->maxRows())
            .arg(view->trapReceiver()->trapStatistics().receiveBufferBytes));
    out(QStringLiteral("# %1 v2c traps per burst (1 x 32-byte payload), list cleared (New) before each burst; "
                       "bytes_per_row = heap in use (mallinfo2) growth / variable rows listed")
            .arg(count));
    out(QStringLiteral("# %1 CPUs, load average %2").arg(QThread::idealThreadCount()).arg(loadAverage()));

    std::vector<Burst> bursts;
    quint32 first = 1;
    for (const QString &rate : options.rates.split(u' ', Qt::SkipEmptyParts)) {
        const Burst b = runBurst(view, blast, port, rate, count, first);
        first += quint32(count) + kSequenceGap;
        const int lost = b.sent - b.listed;
        const auto perTrap = [&](double total) { return b.listed > 0 ? total / b.listed : 0.0; };
        out(QStringLiteral("orvelle rate=%1 sent=%2 sent_per_s=%3 listed=%4 lost=%5 loss_pct=%6 kernel_drops=%7 "
                           "queue_drops=%8 max_stall_ms=%9 stall_cpu_ms=%17 cpu_us_per_trap=%10 sys_pct=%11 switches_per_trap=%12 "
                           "paints=%13 variable_rows=%14 bytes_per_row=%15%16")
                .arg(b.rate).arg(b.sent).arg(b.sentPerSecond).arg(b.listed).arg(lost)
                .arg(b.sent > 0 ? 100.0 * lost / b.sent : 0.0, 0, 'f', 2).arg(b.kernelDrops).arg(b.queueDrops)
                .arg(b.maxStallMs, 0, 'f', 1).arg(perTrap(1e6 * (b.cpu.user + b.cpu.system)), 0, 'f', 1)
                .arg(100.0 * b.cpu.system / std::max(1e-9, b.cpu.user + b.cpu.system), 0, 'f', 0)
                .arg(perTrap(b.cpu.switches), 0, 'f', 2).arg(b.paints)
                .arg(b.variableRows).arg(b.variableRows > 0 ? double(b.heapGrowth) / b.variableRows : 0.0, 0, 'f', 0)
                .arg(b.timedOut ? QStringLiteral(" timed_out=1") : QString()).arg(b.stallCpuMs, 0, 'f', 1));
        bursts.push_back(b);
    }
    view->OnStartStop();

    // snmptrapd: same bursts, 4 MiB receive buffer, every trap logged.
    double trapdCpuUs = 0, trapdLogged = 0;
    const QString script = tools + QStringLiteral("/measure-snmptrapd.sh");
    if (options.withTrapd && QFileInfo::exists(script) && snmptrapdAvailable()) {
        QStringList comments;
        const auto rows = runSnmptrapd(script, blast, count, options.rates, QLatin1String(kTrapdRcvbuf), &comments);
        for (const QString &c : comments)
            out(c.startsWith(u'#') ? c : QStringLiteral("# ") + c);
        for (const TrapdRow &row : rows) {
            out(QStringLiteral("snmptrapd rate=%1 sent=%2 sent_per_s=%3 logged=%4 lost=%5 loss_pct=%6 kernel_drops=%7 "
                               "cpu_us_per_trap=%8")
                    .arg(row.target).arg(count).arg(row.sent, row.received, row.lost, row.lossPct, row.sockdrop,
                                                    row.cpuUsPerTrap));
            trapdCpuUs += row.cpuUsPerTrap.toDouble() * row.received.toDouble();
            trapdLogged += row.received.toDouble();
        }
    } else if (options.withTrapd) {
        out(QStringLiteral("# snmptrapd or %1 missing: not measured").arg(script));
    }

    // Targets over all bursts; CPU as totals over the same bursts.
    bool lossOk = true;
    double maxStall = 0, cpu = 0, worstBytes = 0;
    qint64 listed = 0;
    const Burst *shown = nullptr; // the fastest burst the loss target covers
    for (const Burst &b : bursts) {
        const double perSecond = b.rate.toDouble();
        if (perSecond > 0 && perSecond <= kLossFreeUpToPerS) {
            lossOk = lossOk && b.listed == count && !b.timedOut;
            if (!shown || perSecond > shown->rate.toDouble())
                shown = &b;
        }
        maxStall = std::max(maxStall, b.maxStallMs);
        cpu += b.cpu.user + b.cpu.system;
        listed += b.listed;
        if (b.variableRows > 0)
            worstBytes = std::max(worstBytes, double(b.heapGrowth) / b.variableRows);
    }
    if (!shown && !bursts.empty())
        shown = &bursts.back();
    const double ourUs = listed > 0 ? 1e6 * cpu / listed : 0;
    const double trapdUs = trapdLogged > 0 ? trapdCpuUs / trapdLogged : 0;
    const QString cpuText = trapdUs > 0
        ? QStringLiteral("%1 us/trap vs snmptrapd %2 us/trap (%3x)").arg(ourUs, 0, 'f', 1).arg(trapdUs, 0, 'f', 1)
              .arg(ourUs / trapdUs, 0, 'f', 2)
        : QStringLiteral("%1 us/trap (snmptrapd not measured)").arg(ourUs, 0, 'f', 1);
    const QString cpuVerdict = trapdUs > 0 ? okOrFail(ourUs <= kCpuRatioLimit * trapdUs) : QStringLiteral("n/a");
    out(QStringLiteral("orvelle_cpu_us_per_trap=%1 snmptrapd_cpu_us_per_trap=%2 max_stall_ms=%3 worst_bytes_per_row=%4")
            .arg(ourUs, 0, 'f', 1).arg(trapdUs, 0, 'f', 1).arg(maxStall, 0, 'f', 1).arg(worstBytes, 0, 'f', 0));
    out(QStringLiteral("summary: orvelle listed %1/%2 at %3/s, max stall %4 ms, %5, %6 B/row; "
                       "targets: loss %7, stall %8, cpu %9, memory %10")
            .arg(shown ? shown->listed : 0).arg(shown ? shown->sent : 0).arg(shown ? shown->rate : QStringLiteral("-"))
            .arg(maxStall, 0, 'f', 0).arg(cpuText).arg(worstBytes, 0, 'f', 0)
            .arg(okOrFail(lossOk), okOrFail(maxStall < kStallLimitMs), cpuVerdict,
                 okOrFail(worstBytes > 0 && worstBytes < kBytesPerRowLimit)));
    return 0;
}
