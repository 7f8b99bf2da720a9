// Walks of a whole private snmpd (about 8,000 objects when it runs as root)
// by Orvelle and by net-snmp's own tools, in the same run:
//   - SNMPv1 GET NEXT through the walk dialog, shown offscreen, at the
//     dialog's pace (one request 10 ms after each answer), next to snmpwalk -v1;
//     at about 90 objects a second the whole agent takes minutes, so by
//     default only the interfaces group (--v1-oid 1 for the whole agent);
//   - SNMPv2c GETBULK and SNMPv3 authPriv (SHA-256/AES-128) GETBULK through the
//     walk engine alone and through the walk dialog (a device profile picked
//     by its name, every row listed), next to snmpbulkwalk with the same
//     max-repetitions.
// Prints varbinds per second for each and whether Orvelle listed exactly the
// variables the tool listed. Target: each bulk walk at least as many
// varbinds per second as snmpbulkwalk.
//
//   build/bench/walk/walk [--oid OID] [--v1-oid OID] [--reps N] [--max-repetitions N] [--skip-v1]

#include "../benchagent.h"
#include "deviceprofilestore.h"
#include "mibwalkdlg.h"
#include "oidcombobox.h"
#include "secretstore.h"
#include "snmprender.h"
#include "snmpwalker.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

constexpr char kUser[] = "orvbench";
constexpr char kPass[] = "bench-pass-8";

void out(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

struct Run
{
    QStringList oids;
    double seconds = 0;
    QString failure;
};

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Run engineWalk(const SnmpTarget &target, const QString &oid, int maxRepetitions)
{
    Run run;
    SnmpWalker walker;
    QObject::connect(&walker, &SnmpWalker::variablesReceived, [&run](const SnmpVarList &vars) {
        for (const SnmpVarBind &vb : vars)
            run.oids << OidToText(vb.oid);
    });
    bool done = false;
    QObject::connect(&walker, &SnmpWalker::finished, [&](SnmpWalker::End, const QString &message) {
        run.failure = message;
        done = true;
    });
    SnmpWalker::Options options;
    options.maxRepetitions = maxRepetitions;
    QElapsedTimer clock;
    clock.start();
    walker.walk(target, oid, options);
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    run.seconds = double(clock.nsecsElapsed()) / 1e9;
    return run;
}

// The walk dialog as a user drives it: device (or a profile's name),
// community and OID typed, Get Next clicked, every row listed (the list
// keeps its newest rows).
Run dialogWalk(const QString &device, const QString &oid, DeviceProfileStore *profiles = nullptr)
{
    Run run;
    CMibWalkDlg dialog;
    dialog.setDeviceProfiles(profiles);
    dialog.Create();
    dialog.show();
    QObject::connect(dialog.walker(), &SnmpWalker::variablesReceived, [&run](const SnmpVarList &vars) {
        for (const SnmpVarBind &vb : vars)
            run.oids << OidToText(vb.oid);
    });
    QObject::connect(dialog.walker(), &SnmpWalker::finished,
                     [&run](SnmpWalker::End, const QString &message) { run.failure = message; });
    dialog.deviceCombo()->setEditText(device);
    dialog.communityEdit()->setText(QStringLiteral("public"));
    dialog.oidField()->setEditText(oid);
    // a user clicks a dialog that is on the screen: its first paint is not the walk's
    if (!QTest::qWaitForWindowExposed(&dialog))
        run.failure = QStringLiteral("the walk dialog was not shown");
    QTest::qWait(200);
    bool done = false;
    QObject::connect(dialog.walker(), &SnmpWalker::finished, [&done] { done = true; });
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(dialog.getNextButton(), Qt::LeftButton);
    // a profile's secrets are read before the walk starts
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    run.seconds = double(clock.nsecsElapsed()) / 1e9;
    return run;
}

Run toolWalk(const QString &program, QStringList args, const QString &work)
{
    Run run;
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"), work + QStringLiteral("/tool-persist"));
    env.insert(QStringLiteral("SNMPCONFPATH"), work);
    env.insert(QStringLiteral("MIBS"), QString());
    env.insert(QStringLiteral("MIBDIRS"), QString());
    tool.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    tool.start(program, args);
    if (!tool.waitForFinished(120000) || tool.exitCode() != 0) {
        run.failure = QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(tool.readAllStandardError()));
        return run;
    }
    run.seconds = double(clock.nsecsElapsed()) / 1e9;
    for (const QByteArray &line : tool.readAllStandardOutput().split('\n')) {
        const QByteArray first = line.left(line.indexOf(' '));
        // the tools print the endOfMibView that ends the walk as a line of its own
        if (first.startsWith('.') && !line.contains("No more variables left"))
            run.oids << QString::fromLatin1(first.mid(1));
    }
    return run;
}

// The OIDs without what changes from one walk to the next on a machine in
// use: the running processes (hrSWRunTable, hrSWRunPerfTable; the tool's
// own process is among them while the tool walks) and the sockets of TCP
// and UDP (tcpConnTable, tcpConnectionTable, tcpListenerTable, udpTable,
// udpEndpointTable; each walker's own socket is among them).
QStringList stable(const QStringList &oids)
{
    static const QStringList volatilePrefixes{"1.3.6.1.2.1.25.4.", "1.3.6.1.2.1.25.5.", "1.3.6.1.2.1.6.13.",
                                              "1.3.6.1.2.1.6.19.", "1.3.6.1.2.1.6.20.", "1.3.6.1.2.1.7.5.",
                                              "1.3.6.1.2.1.7.7."};
    QStringList kept;
    for (const QString &oid : oids)
        if (std::none_of(volatilePrefixes.begin(), volatilePrefixes.end(), [&](const QString &p) { return oid.startsWith(p); }))
            kept << oid;
    return kept;
}

QString rate(const Run &run)
{
    return run.seconds > 0 ? QString::number(qRound64(run.oids.size() / run.seconds)) : QStringLiteral("0");
}

} // namespace

int main(int argc, char **argv)
{
    BenchAgent::preferOffscreen();
    QApplication app(argc, argv);

    QString oid = QStringLiteral("1");
    QString v1Oid = QStringLiteral("1.3.6.1.2.1.2");
    int reps = 5;
    int maxRepetitions = 25;
    bool skipV1 = false;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--oid") && i + 1 < args.size())
            oid = args[++i];
        else if (args[i] == QLatin1String("--v1-oid") && i + 1 < args.size())
            v1Oid = args[++i];
        else if (args[i] == QLatin1String("--reps") && i + 1 < args.size())
            reps = qMax(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--max-repetitions") && i + 1 < args.size())
            maxRepetitions = qMax(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--skip-v1"))
            skipV1 = true;
        else {
            std::fprintf(stderr, "usage: walk [--oid OID] [--v1-oid OID] [--reps N] [--max-repetitions N] [--skip-v1]\n");
            return 2;
        }
    }

    QTemporaryDir work;
    // the profiles of this run stay out of the user's own settings
    qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toLocal8Bit());
    QProcess snmpd;
    const quint16 port = BenchAgent::freeUdpPort();
    const QByteArray v3 = QStringLiteral("createUser %1 SHA-256 \"%2\" AES \"%2\"\nrouser %1 priv\n")
                              .arg(QLatin1String(kUser), QLatin1String(kPass))
                              .toLatin1();
    if (!work.isValid() || !port || !BenchAgent::start(snmpd, work.filePath(QStringLiteral("agent")), port, v3)) {
        out(QStringLiteral("summary: snmpd did not start (Debian package snmpd); nothing measured"));
        return 1;
    }
    const QString address = QStringLiteral("127.0.0.1:%1").arg(port);
    const QString snmpwalk = QStandardPaths::findExecutable(QStringLiteral("snmpwalk"));
    const QString snmpbulkwalk = QStandardPaths::findExecutable(QStringLiteral("snmpbulkwalk"));
    if (snmpwalk.isEmpty() || snmpbulkwalk.isEmpty()) {
        out(QStringLiteral("summary: snmpwalk/snmpbulkwalk not found (Debian package snmp); nothing measured"));
        return 1;
    }
    const QStringList common{QStringLiteral("-On"), QStringLiteral("-Oq"), QStringLiteral("-t"), QStringLiteral("5"),
                             QStringLiteral("-r"), QStringLiteral("1")};
    const QString cr = QStringLiteral("-Cr%1").arg(maxRepetitions);
    const QStringList v3Args{QStringLiteral("-v3"), QStringLiteral("-l"), QStringLiteral("authPriv"),
                             QStringLiteral("-u"), QLatin1String(kUser), QStringLiteral("-a"),
                             QStringLiteral("SHA-256"), QStringLiteral("-A"), QLatin1String(kPass),
                             QStringLiteral("-x"), QStringLiteral("AES"), QStringLiteral("-X"), QLatin1String(kPass)};

    SnmpTarget v2c;
    v2c.host = QStringLiteral("127.0.0.1");
    v2c.port = port;
    v2c.version = SNMP_VERSION_V2C;
    v2c.community = QStringLiteral("public");
    SnmpTarget v3t = v2c;
    v3t.version = SNMP_VERSION_V3;
    v3t.community.clear();
    v3t.usm.userName = QLatin1String(kUser);
    v3t.usm.level = SnmpSecurityLevel::AuthPriv;
    v3t.usm.authProtocol = SnmpAuthProtocol::SHA256;
    v3t.usm.privProtocol = SnmpPrivProtocol::AES128;
    v3t.usm.authPassphrase = QLatin1String(kPass);
    v3t.usm.privPassphrase = QLatin1String(kPass);

    MemorySecretStore secrets;
    DeviceProfileStore profiles(&secrets);
    for (const SnmpTarget &target : {v2c, v3t}) {
        DeviceProfile profile;
        profile.name = target.version == SNMP_VERSION_V3 ? QStringLiteral("bench v3") : QStringLiteral("bench v2c");
        profile.target = target;
        profile.target.community.clear();
        profile.readCommunity = target.community;
        profile.maxRepetitions = maxRepetitions;
        if (const auto problem = profiles.add(profile)) {
            out(QStringLiteral("summary: the bench profile was refused: %1").arg(problem->message));
            return 1;
        }
    }

    out(QStringLiteral("oid=%1 v1_oid=%2 reps=%3 max_repetitions=%4").arg(oid, v1Oid).arg(reps).arg(maxRepetitions));
    struct Pair
    {
        QString name;
        std::function<Run()> orvelle;
        std::function<Run()> tool;
        int reps;
    };
    std::vector<Pair> pairs;
    if (!skipV1)
        pairs.push_back({QStringLiteral("v1_getnext"), [&] { return dialogWalk(address, v1Oid); },
                         [&] { return toolWalk(snmpwalk, QStringList{QStringLiteral("-v1"), QStringLiteral("-cpublic")} + common + QStringList{address, v1Oid}, work.path()); },
                         1});
    pairs.push_back({QStringLiteral("v2c_bulk_engine"), [&] { return engineWalk(v2c, oid, maxRepetitions); },
                     [&] { return toolWalk(snmpbulkwalk, QStringList{QStringLiteral("-v2c"), QStringLiteral("-cpublic"), cr} + common + QStringList{address, oid}, work.path()); },
                     reps});
    pairs.push_back({QStringLiteral("v3_bulk_engine"), [&] { return engineWalk(v3t, oid, maxRepetitions); },
                     [&] { return toolWalk(snmpbulkwalk, v3Args + QStringList{cr} + common + QStringList{address, oid}, work.path()); },
                     reps});
    pairs.push_back({QStringLiteral("v2c_bulk_dialog"), [&] { return dialogWalk(QStringLiteral("bench v2c"), oid, &profiles); },
                     [&] { return toolWalk(snmpbulkwalk, QStringList{QStringLiteral("-v2c"), QStringLiteral("-cpublic"), cr} + common + QStringList{address, oid}, work.path()); },
                     reps});
    pairs.push_back({QStringLiteral("v3_bulk_dialog"), [&] { return dialogWalk(QStringLiteral("bench v3"), oid, &profiles); },
                     [&] { return toolWalk(snmpbulkwalk, v3Args + QStringList{cr} + common + QStringList{address, oid}, work.path()); },
                     reps});

    QStringList verdicts;
    bool allOk = true;
    for (const Pair &pair : pairs) {
        std::vector<double> ours, theirs;
        Run lastOurs, lastTheirs;
        // interleaved, so that a busy moment of the machine hits both
        for (int i = 0; i < pair.reps; ++i) {
            lastOurs = pair.orvelle();
            lastTheirs = pair.tool();
            ours.push_back(lastOurs.seconds);
            theirs.push_back(lastTheirs.seconds);
        }
        Run o = lastOurs, t = lastTheirs;
        o.seconds = median(ours);
        t.seconds = median(theirs);
        const bool equal = o.failure.isEmpty() && t.failure.isEmpty() && stable(o.oids) == stable(t.oids);
        if (!equal && qEnvironmentVariableIsSet("WALK_BENCH_DIFF")) {
            for (qsizetype i = 0; i < qMax(o.oids.size(), t.oids.size()); ++i)
                if (o.oids.value(i) != t.oids.value(i)) {
                    out(QStringLiteral("first_difference=%1 orvelle=%2 tool=%3").arg(i).arg(o.oids.value(i), t.oids.value(i)));
                    break;
                }
        }
        out(QStringLiteral("walk=orvelle_%1 varbinds=%2 seconds=%3 varbinds_per_s=%4 equal=%5%6")
                .arg(pair.name)
                .arg(o.oids.size())
                .arg(o.seconds, 0, 'f', 3)
                .arg(rate(o), equal ? QStringLiteral("yes") : QStringLiteral("no"),
                     o.failure.isEmpty() ? QString() : QStringLiteral(" failure=\"%1\"").arg(o.failure.simplified())));
        out(QStringLiteral("walk=tool_%1 varbinds=%2 seconds=%3 varbinds_per_s=%4%5")
                .arg(pair.name)
                .arg(t.oids.size())
                .arg(t.seconds, 0, 'f', 3)
                .arg(rate(t), t.failure.isEmpty() ? QString() : QStringLiteral(" failure=\"%1\"").arg(t.failure.simplified())));
        const bool bulk = pair.name.contains(QLatin1String("bulk"));
        const bool fastEnough = !bulk || (o.seconds > 0 && t.seconds > 0 && o.seconds <= t.seconds);
        allOk = allOk && equal && fastEnough;
        verdicts << QStringLiteral("%1 %2 vb/s vs %3 (%4%5)")
                        .arg(pair.name, rate(o), rate(t), equal ? QStringLiteral("equal") : QStringLiteral("DIFFERENT"),
                             bulk ? (fastEnough ? QStringLiteral(", ok") : QStringLiteral(", SLOWER")) : QString());
    }
    snmpd.terminate();
    snmpd.waitForFinished(5000);
    out(QStringLiteral("summary: %1; target bulk >= snmpbulkwalk: %2")
            .arg(verdicts.join(QStringLiteral("; ")), allOk ? QStringLiteral("met") : QStringLiteral("not met")));
    return 0;
}
