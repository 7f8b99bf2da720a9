// Trap reception under load: how many traps of a burst the trap session
// receives at several offered rates, next to net-snmp's snmptrapd measured
// in the same run on the same machine.
//
//   trap_receive [--count N] [--rates "5000 20000 50000 max"] [--no-snmptrapd]
//
// Prints key=value lines; the last line is a one-line summary. Needs the
// shared tools (../shared/tools: trapblast.c, measure-snmptrapd.sh); without
// them it says so and exits 0.

#include "benchsupport.h"
#include "snmpsession.h"
#include "snmpstack.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace {

using namespace BenchSupport;

constexpr int kSettleMs = 600;       // no progress for this long: the run is over
constexpr int kRunTimeoutMs = 30000;
const SnmpOid kSequenceOid{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 1, 0};

struct RunResult
{
    QString target;
    int count = 0;
    double sentPerSecond = 0;
    quint64 received = 0;
    quint64 kernelDrops = 0;
    quint64 queueDrops = 0;
    double receivedPerSecond = 0;
    QString blastLine;
    bool ok = false;
};

class Receiver : public QObject
{
public:
    explicit Receiver(CSnmpSession *session) : m_session(session)
    {
        connect(session, &CSnmpSession::snmpNotify, this, [this](SnmpNotifyCode code, const SnmpNotifyPayload &p) {
            if (code != SNMPN_RECEIVED)
                return;
            for (const SnmpVarBind &vb : p.received.pdu.varbinds) {
                if (vb.oid == kSequenceOid && vb.value.syntax == SNMP_SYNTAX_CNTR32) {
                    const quint32 n = vb.value.number;
                    if (n >= m_first && n - m_first < m_seen.size() && !m_seen[n - m_first]) {
                        m_seen[n - m_first] = true;
                        ++m_distinct;
                        m_lastArrival = m_clock.nsecsElapsed();
                    }
                }
            }
        });
    }

    RunResult run(const QString &blast, quint16 port, const QString &rate, int count, quint32 first,
                  const QString &version = QStringLiteral("2c"))
    {
        RunResult r;
        r.target = rate;
        r.count = count;
        m_first = first;
        m_seen.assign(static_cast<size_t>(count), false);
        m_distinct = 0;
        const SnmpTrapStatistics before = m_session->trapStatistics();
        QProcess p;
        QEventLoop loop;
        bool blastDone = false;
        QObject::connect(&p, &QProcess::finished, &loop, [&] { blastDone = true; });
        m_clock.start();
        m_lastArrival = 0;
        p.start(blast, {QStringLiteral("-p"), QString::number(port), QStringLiteral("-n"), QString::number(count),
                        QStringLiteral("-r"), rate == QLatin1String("max") ? QStringLiteral("0") : rate,
                        QStringLiteral("-o"), QString::number(first), QStringLiteral("-v"), version});
        // Wait for the blaster, then until nothing moves any more.
        quint64 lastDistinct = 0;
        QElapsedTimer idle;
        idle.start();
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            if (m_distinct != lastDistinct) {
                lastDistinct = m_distinct;
                idle.restart();
            }
            const SnmpTrapStatistics s = m_session->trapStatistics();
            const bool drained =
                s.malformed + s.ignored + s.delivered + s.queueDrops + s.informDuplicates >= s.datagrams;
            if (blastDone && (m_distinct == quint64(count) || (drained && idle.elapsed() > kSettleMs)))
                loop.quit();
            if (m_clock.elapsed() > kRunTimeoutMs)
                loop.quit();
        });
        tick.start(20);
        loop.exec();
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished(5000);
        }
        r.blastLine = QString::fromLatin1(p.readAllStandardOutput()).trimmed();
        const QRegularExpression rateRe(QStringLiteral("rate_per_s=([0-9.]+)"));
        const auto m = rateRe.match(r.blastLine);
        r.sentPerSecond = m.hasMatch() ? m.captured(1).toDouble() : 0;
        const SnmpTrapStatistics after = m_session->trapStatistics();
        r.received = m_distinct;
        r.kernelDrops = after.kernelDrops - before.kernelDrops;
        r.queueDrops = after.queueDrops - before.queueDrops;
        r.receivedPerSecond = m_lastArrival > 0 ? double(m_distinct) / (double(m_lastArrival) / 1e9) : 0;
        r.ok = p.exitStatus() == QProcess::NormalExit;
        return r;
    }

private:
    CSnmpSession *m_session;
    QElapsedTimer m_clock;
    qint64 m_lastArrival = 0;
    quint32 m_first = 0;
    std::vector<bool> m_seen;
    quint64 m_distinct = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TrapBurstOptions options;
    QString tools, blast;
    if (!parseTrapBurstOptions(argc, argv, "trap_receive", &options))
        return 2;
    if (!findTrapTools(&tools, &blast))
        return 0;
    const int count = options.count;
    const QString rates = options.rates;
    const bool withTrapd = options.withTrapd;

    const quint16 port = freeLoopbackPort();
    CSnmpSession session(nullptr, port);
    session.setTrapAddresses({QStringLiteral("127.0.0.1")});
    session.Initialise(QStringLiteral("127.0.0.1"));
    if (!session.RegisterTraps()) {
        out(QStringLiteral("error=\"%1\"").arg(session.trapFailureText()));
        out(QStringLiteral("summary: failed, the trap session could not be opened"));
        return 1;
    }
    Receiver receiver(&session);

    out(QStringLiteral("# trap session on 127.0.0.1:%1, %2 v2c traps per rate (trapblast: 1 x 32-byte varbind), "
                       "receive buffer %3 bytes granted")
            .arg(port).arg(count).arg(session.trapStatistics().receiveBufferBytes));
    out(QStringLiteral("# %1 CPUs, load average %2").arg(QThread::idealThreadCount()).arg(loadAverage()));

    double bestNoLoss = 0;
    QString bestNoLossTarget;
    RunResult at50k;
    bool have50k = false;
    quint32 first = 1;
    for (const QString &rate : rates.split(u' ', Qt::SkipEmptyParts)) {
        const RunResult r = receiver.run(blast, port, rate, count, first);
        first += quint32(count) + 1000;
        const quint64 lost = quint64(r.count) - r.received;
        out(QStringLiteral("orvelle target_per_s=%1 sent_per_s=%2 received=%3 lost=%4 loss_pct=%5 kernel_drops=%6 "
                           "queue_drops=%7 recv_per_s=%8")
                .arg(r.target).arg(r.sentPerSecond, 0, 'f', 0).arg(r.received).arg(lost)
                .arg(100.0 * double(lost) / r.count, 0, 'f', 2).arg(r.kernelDrops).arg(r.queueDrops)
                .arg(r.receivedPerSecond, 0, 'f', 0));
        if (lost == 0 && r.sentPerSecond > bestNoLoss) {
            bestNoLoss = r.sentPerSecond;
            bestNoLossTarget = r.target;
        }
        if (r.target == QLatin1String("50000")) {
            at50k = r;
            have50k = true;
        }
    }
    // informs: every one must be acknowledged and delivered
    {
        const int informs = qMin(count, 5000);
        const RunResult r = receiver.run(blast, port, QStringLiteral("20000"), informs, first, QStringLiteral("inform"));
        const QRegularExpression ackRe(QStringLiteral("acked=(\\d+)"));
        const auto m = ackRe.match(r.blastLine);
        out(QStringLiteral("orvelle_inform target_per_s=20000 sent=%1 received=%2 acked=%3")
                .arg(informs).arg(r.received).arg(m.hasMatch() ? m.captured(1) : QStringLiteral("?")));
    }
    out(QStringLiteral("orvelle_highest_no_loss_per_s=%1").arg(bestNoLoss, 0, 'f', 0));
    session.UnregisterTraps();

    QString trapdSummary = QStringLiteral("snmptrapd not measured");
    const QString script = tools + QStringLiteral("/measure-snmptrapd.sh");
    if (withTrapd && QFileInfo::exists(script) && snmptrapdAvailable()) {
        for (const QString &rcvbuf : {QStringLiteral("4194304"), QString()}) {
            QStringList comments;
            const QString trapdRates = rcvbuf.isEmpty() ? QStringLiteral("50000") : QStringLiteral("20000 50000 max");
            const auto rows = runSnmptrapd(script, blast, count, trapdRates, rcvbuf, &comments);
            for (const QString &c : comments)
                if (c.contains(QLatin1String("rcvbuf")) || !c.startsWith(u'#'))
                    out(c.startsWith(u'#') ? c : QStringLiteral("# ") + c);
            for (const TrapdRow &row : rows) {
                out(QStringLiteral("snmptrapd rcvbuf=%1 target_per_s=%2 sent_per_s=%3 received=%4 lost=%5 loss_pct=%6 "
                                   "kernel_drops=%7 recv_per_s=%8")
                        .arg(rcvbuf.isEmpty() ? QStringLiteral("default") : rcvbuf, row.target, row.sent,
                             row.received, row.lost, row.lossPct, row.sockdrop, row.recvPerS));
                if (row.target == QLatin1String("50000") && rcvbuf == QLatin1String("4194304"))
                    trapdSummary = QStringLiteral("snmptrapd (4 MiB buffer) lost %1% at 50000/s").arg(row.lossPct);
            }
        }
    } else if (withTrapd) {
        out(QStringLiteral("# snmptrapd or %1 missing: not measured").arg(script));
    }

    QString ours = have50k ? QStringLiteral("orvelle lost %1 of %2 at 50000/s").arg(quint64(at50k.count) - at50k.received).arg(at50k.count)
                           : QStringLiteral("orvelle not run at 50000/s");
    out(QStringLiteral("summary: %1 (highest rate without loss %2/s, target %3); %4 in the same run")
            .arg(ours).arg(bestNoLoss, 0, 'f', 0).arg(bestNoLossTarget.isEmpty() ? QStringLiteral("none") : bestNoLossTarget)
            .arg(trapdSummary));
    return 0;
}
