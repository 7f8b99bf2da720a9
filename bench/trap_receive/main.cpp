// Trap reception under load: how many traps of a burst the trap session
// receives at several offered rates, next to net-snmp's snmptrapd measured
// in the same run on the same machine.
//
//   trap_receive [--count N] [--rates "5000 20000 50000 max"] [--no-snmptrapd]
//
// Prints key=value lines; the last line is a one-line summary. Needs the
// shared tools (../shared/tools: trapblast.c, measure-snmptrapd.sh); without
// them it says so and exits 0.

#include "snmpsession.h"
#include "snmpstack.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace {

constexpr int kDefaultCount = 20000;
constexpr int kSettleMs = 600;       // no progress for this long: the run is over
constexpr int kRunTimeoutMs = 30000;
const SnmpOid kSequenceOid{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 1, 0};

void out(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QString sharedDir()
{
    QString dir = qEnvironmentVariable("ORVELLE_SHARED_DIR");
    if (dir.isEmpty())
        dir = QStringLiteral(ORVELLE_DEFAULT_SHARED_DIR);
    if (!QFileInfo::exists(dir + QStringLiteral("/tools/trapblast.c")))
        dir = QStringLiteral("../shared");
    return QFileInfo::exists(dir + QStringLiteral("/tools/trapblast.c")) ? QDir(dir).absolutePath() : QString();
}

QString trapblast(const QString &tools)
{
    const QString fromEnv = qEnvironmentVariable("TRAPBLAST");
    if (!fromEnv.isEmpty() && QFileInfo(fromEnv).isExecutable())
        return fromEnv;
    const QString beside = tools + QStringLiteral("/trapblast");
    if (QFileInfo(beside).isExecutable()
        && QFileInfo(beside).lastModified() >= QFileInfo(tools + QStringLiteral("/trapblast.c")).lastModified())
        return beside;
    const QString dir = QDir::tempPath() + QStringLiteral("/trapblast-build-%1").arg(getuid());
    const QString built = dir + QStringLiteral("/trapblast");
    if (QFileInfo(built).isExecutable()
        && QFileInfo(built).lastModified() >= QFileInfo(tools + QStringLiteral("/trapblast.c")).lastModified())
        return built;
    QDir().mkpath(dir);
    QProcess cc;
    cc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    cc.start(QStringLiteral("cc"), {QStringLiteral("-O2"), QStringLiteral("-o"), built, tools + QStringLiteral("/trapblast.c")});
    if (!cc.waitForFinished(60000) || cc.exitCode() != 0)
        return {};
    return built;
}

quint16 freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(in);
    quint16 port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&in), sizeof(in)) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&in), &length) == 0)
        port = ntohs(in.sin_port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll()).section(u' ', 0, 2);
}

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
            const bool drained = s.malformed + s.ignored + s.delivered + s.queueDrops >= s.datagrams;
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

struct TrapdRow
{
    QString target;
    QString sent, received, lost, lossPct, sockdrop, recvPerS;
};

std::vector<TrapdRow> runSnmptrapd(const QString &script, const QString &blast, int count, const QString &rates,
                                   const QString &rcvbuf, QStringList *comments)
{
    std::vector<TrapdRow> rows;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TRAPBLAST"), blast);
    p.setProcessEnvironment(env);
    QStringList args{QStringLiteral("-p"), QString::number(freeLoopbackPort()), QStringLiteral("-n"),
                     QString::number(count), QStringLiteral("-r"), rates};
    if (!rcvbuf.isEmpty())
        args << QStringLiteral("-B") << rcvbuf;
    p.start(QStringLiteral("bash"), QStringList{script} + args);
    if (!p.waitForFinished(90000)) {
        p.kill();
        p.waitForFinished(5000);
        comments->append(QStringLiteral("measure-snmptrapd.sh did not finish in time"));
        return rows;
    }
    const QString err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    if (!err.isEmpty())
        comments->append(err);
    const QStringList lines = QString::fromLocal8Bit(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        if (line.startsWith(u'#') || line.startsWith(QLatin1String("target"))) {
            if (line.startsWith(u'#'))
                comments->append(line);
            continue;
        }
        const QStringList f = line.simplified().split(u' ');
        if (f.size() < 7)
            continue;
        rows.push_back({f[0], f[1], f[2], f[3], f[4], f[5], f[6]});
    }
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int count = kDefaultCount;
    QString rates = QStringLiteral("5000 20000 50000 max");
    bool withTrapd = true;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--count") && i + 1 < args.size())
            count = qMax(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--rates") && i + 1 < args.size())
            rates = args[++i];
        else if (args[i] == QLatin1String("--no-snmptrapd"))
            withTrapd = false;
        else {
            std::fprintf(stderr, "usage: trap_receive [--count N] [--rates \"R1 R2 ... max\"] [--no-snmptrapd]\n");
            return 2;
        }
    }

    const QString shared = sharedDir();
    if (shared.isEmpty()) {
        out(QStringLiteral("skipped=1 reason=\"the shared tools (../shared/tools/trapblast.c and "
                           "measure-snmptrapd.sh, or $ORVELLE_SHARED_DIR) are not present\""));
        out(QStringLiteral("summary: skipped, ../shared is absent"));
        return 0;
    }
    const QString tools = shared + QStringLiteral("/tools");
    const QString blast = trapblast(tools);
    if (blast.isEmpty()) {
        out(QStringLiteral("skipped=1 reason=\"cannot build trapblast from %1/trapblast.c (needs cc)\"").arg(tools));
        out(QStringLiteral("summary: skipped, no trapblast"));
        return 0;
    }

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
    const bool haveTrapd = !QStandardPaths::findExecutable(QStringLiteral("snmptrapd")).isEmpty()
        || !QStandardPaths::findExecutable(QStringLiteral("snmptrapd"), {QStringLiteral("/usr/sbin")}).isEmpty();
    if (withTrapd && QFileInfo::exists(script) && haveTrapd) {
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
