#pragma once

// What the trap benchmarks share: output, where the shared tools are, the
// trap blaster built from them, free loopback ports, and net-snmp's
// snmptrapd measured by the shared script, so that every trap benchmark
// compares against the same anchor in the same way.
//
// Users define ORVELLE_DEFAULT_SHARED_DIR (the configured ../shared).

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace BenchSupport {

inline void out(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// User and system CPU seconds of the whole process so far.
inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The shared material ($ORVELLE_SHARED_DIR, the configured folder, or
// ../shared from the repository root); empty when it is nowhere.
inline QString sharedDir()
{
    QString dir = qEnvironmentVariable("ORVELLE_SHARED_DIR");
    if (dir.isEmpty())
        dir = QStringLiteral(ORVELLE_DEFAULT_SHARED_DIR);
    if (!QFileInfo::exists(dir + QStringLiteral("/tools/trapblast.c")))
        dir = QStringLiteral("../shared");
    return QFileInfo::exists(dir + QStringLiteral("/tools/trapblast.c")) ? QDir(dir).absolutePath() : QString();
}

// An up-to-date trapblast: $TRAPBLAST, the one beside its source, or one
// built under the temporary folder (the shared folder may be read-only).
// Empty when it cannot be built.
inline QString trapblast(const QString &tools)
{
    const QString fromEnv = qEnvironmentVariable("TRAPBLAST");
    if (!fromEnv.isEmpty() && QFileInfo(fromEnv).isExecutable())
        return fromEnv;
    const QDateTime source = QFileInfo(tools + QStringLiteral("/trapblast.c")).lastModified();
    const QString beside = tools + QStringLiteral("/trapblast");
    if (QFileInfo(beside).isExecutable() && QFileInfo(beside).lastModified() >= source)
        return beside;
    const QString dir = QDir::tempPath() + QStringLiteral("/trapblast-build-%1").arg(getuid());
    const QString built = dir + QStringLiteral("/trapblast");
    if (QFileInfo(built).isExecutable() && QFileInfo(built).lastModified() >= source)
        return built;
    QDir().mkpath(dir);
    QProcess cc;
    cc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    cc.start(QStringLiteral("cc"),
             {QStringLiteral("-O2"), QStringLiteral("-o"), built, tools + QStringLiteral("/trapblast.c")});
    if (!cc.waitForFinished(60000) || cc.exitCode() != 0)
        return {};
    return built;
}

// The options every trap benchmark takes.
struct TrapBurstOptions
{
    int count = 20000;
    QString rates = QStringLiteral("5000 20000 50000 max");
    bool withTrapd = true;
    bool withJournal = true; // trap_storm: the trap journal on, as by default
};

// --count N, --rates "R1 R2 ... max", --no-snmptrapd; false, after the
// usage line, on anything else.
inline bool parseTrapBurstOptions(int argc, char **argv, const char *program, TrapBurstOptions *options)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--count" && i + 1 < argc)
            options->count = std::max(1, QByteArray(argv[++i]).toInt());
        else if (arg == "--rates" && i + 1 < argc)
            options->rates = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--no-snmptrapd")
            options->withTrapd = false;
        else if (arg == "--no-journal")
            options->withJournal = false;
        else {
            std::fprintf(stderr, "usage: %s [--count N] [--rates \"R1 R2 ... max\"] [--no-snmptrapd] [--no-journal]\n", program);
            return false;
        }
    }
    return true;
}

// The shared tools folder and an up-to-date trapblast; false after printing
// why the benchmark is skipped (it then exits 0).
inline bool findTrapTools(QString *tools, QString *blast)
{
    const QString shared = sharedDir();
    if (shared.isEmpty()) {
        out(QStringLiteral("skipped=1 reason=\"the shared tools (../shared/tools/trapblast.c and "
                           "measure-snmptrapd.sh, or $ORVELLE_SHARED_DIR) are not present\""));
        out(QStringLiteral("summary: skipped, ../shared is absent"));
        return false;
    }
    *tools = shared + QStringLiteral("/tools");
    *blast = trapblast(*tools);
    if (blast->isEmpty()) {
        out(QStringLiteral("skipped=1 reason=\"cannot build trapblast from %1/trapblast.c (needs cc)\"").arg(*tools));
        out(QStringLiteral("summary: skipped, no trapblast"));
        return false;
    }
    return true;
}

inline quint16 freeLoopbackPort()
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

inline QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll()).section(u' ', 0, 2);
}

inline bool snmptrapdAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("snmptrapd")).isEmpty()
        || !QStandardPaths::findExecutable(QStringLiteral("snmptrapd"), {QStringLiteral("/usr/sbin")}).isEmpty();
}

// One row of measure-snmptrapd.sh, as it prints it.
struct TrapdRow
{
    QString target;
    QString sent, received, lost, lossPct, sockdrop, recvPerS, cpuUsPerTrap;
};

// Runs measure-snmptrapd.sh (a fresh private snmptrapd per rate, logging to
// a file, on a free loopback port) with COUNT traps per rate; `rcvbuf`
// empty means the kernel's default buffer. Its comment lines and errors go
// to `comments`.
inline std::vector<TrapdRow> runSnmptrapd(const QString &script, const QString &blast, int count,
                                          const QString &rates, const QString &rcvbuf, QStringList *comments)
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
        if (line.startsWith(u'#')) {
            comments->append(line);
            continue;
        }
        const QStringList f = line.simplified().split(u' ');
        if (f.size() < 8 || f[0] == QLatin1String("target/s"))
            continue;
        rows.push_back({f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]});
    }
    return rows;
}

} // namespace BenchSupport
