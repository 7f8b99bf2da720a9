// Monitor windows under a day's typical load: N windows (default 20), each
// polling 10 numeric objects of the loopback interface every second from a
// private snmpd on a loopback port, shown, for 60 s. Prints the program's
// CPU time, the requests sent and answers received, windows that ended,
// and the area repainted per second. Target: under 2% of one core.
//
//   build/bench/monitor/monitor [--seconds N] [--windows N]

#include "../benchagent.h"
#include "../benchsupport.h"
#include "mibwalkdlg.h"
#include "monitorwnd.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QPaintEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

namespace {

constexpr int kObjectsPerWindow = 10;
constexpr double kTargetPercent = 2.0;

// ifIndex, ifType, ifMtu, ifSpeed, ifAdminStatus, ifOperStatus, ifInOctets,
// ifInUcastPkts, ifOutOctets, ifOutUcastPkts of interface 1 (lo).
const int kColumns[kObjectsPerWindow] = {1, 3, 4, 5, 7, 8, 10, 11, 16, 17};

using BenchSupport::cpuSeconds;
using BenchSupport::out;

// user + system seconds of another process, from /proc
double processCpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

} // namespace

int main(int argc, char **argv)
{
    BenchAgent::preferOffscreen();
    QApplication app(argc, argv);

    int seconds = 60;
    int windows = 20;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds"))
            seconds = args[++i].toInt();
        else if (args[i] == QLatin1String("--windows"))
            windows = args[++i].toInt();
    }
    if (seconds <= 0 || windows <= 0) {
        std::fprintf(stderr, "usage: monitor [--seconds N] [--windows N]\n");
        return 2;
    }

    QTemporaryDir work;
    QProcess snmpd;
    const quint16 port = BenchAgent::freeUdpPort();
    if (!work.isValid() || !port || !BenchAgent::start(snmpd, work.filePath(QStringLiteral("agent")), port)) {
        out(QStringLiteral("summary: snmpd did not start (Debian package snmpd); nothing measured"));
        return 1;
    }

    QStringList oids;
    for (int column : kColumns)
        oids << QStringLiteral("1.3.6.1.2.1.2.2.1.%1.1").arg(column);
    MonitorSettings settings;
    settings.pollingInterval = 1;
    settings.timeout = 5;
    settings.device = QStringLiteral("127.0.0.1:%1").arg(port);
    settings.community = QStringLiteral("public");
    settings.oidList = oids.join(QLatin1String("\r\n"));

    // Counts what the windows send, receive and repaint.
    struct Counter : QObject
    {
        quint64 sent = 0, received = 0, paints = 0;
        double area = 0;
        bool counting = false;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (counting && event->type() == QEvent::Paint) {
                ++paints;
                for (const QRect &r : static_cast<QPaintEvent *>(event)->region())
                    area += double(r.width()) * r.height();
            }
            return false;
        }
    } counter;

    CMibWalkDlg owner;
    owner.Create();
    std::vector<CMonitorWnd *> started;
    for (int i = 0; i < windows; ++i) {
        CMonitorWnd *w = owner.StartMonitor(settings);
        if (!w) {
            out(QStringLiteral("summary: a monitor window could not be set up; nothing measured"));
            return 1;
        }
        w->installEventFilter(&counter);
        QObject::connect(w->session(), &CSnmpSession::snmpNotify, &counter, [&counter](SnmpNotifyCode code) {
            if (!counter.counting)
                return;
            if (code == SNMPN_GET_SENT)
                ++counter.sent;
            else if (code == SNMPN_RECEIVED)
                ++counter.received;
        });
        started.push_back(w);
    }
    owner.ShowMonitors();

    // Measure once every window polls (the first request goes out at the
    // first tick of its start timer).
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 10000 &&
           !std::all_of(started.begin(), started.end(), [](CMonitorWnd *w) { return w->sampleCount() > 0; }))
        app.processEvents(QEventLoop::WaitForMoreEvents, 50);

    const double cpu0 = cpuSeconds();
    const double agent0 = processCpuSeconds(snmpd.processId());
    QElapsedTimer clock;
    clock.start();
    counter.counting = true;
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    app.exec();
    counter.counting = false;
    const double elapsed = double(clock.elapsed()) / 1000.0;
    const double cpu = cpuSeconds() - cpu0;
    const double agentCpu = processCpuSeconds(snmpd.processId()) - agent0;
    const int ended = windows - int(owner.monitors().size());

    const double percent = 100.0 * cpu / elapsed;
    out(QStringLiteral("windows=%1 objects_per_window=%2 interval_s=1 seconds=%3")
            .arg(windows).arg(kObjectsPerWindow).arg(elapsed, 0, 'f', 1));
    out(QStringLiteral("cpu_s=%1 cpu_percent_of_core=%2 cpu_us_per_request=%3")
            .arg(cpu, 0, 'f', 3).arg(percent, 0, 'f', 2)
            .arg(counter.sent ? 1e6 * cpu / double(counter.sent) : 0.0, 0, 'f', 1));
    out(QStringLiteral("requests_sent=%1 responses_received=%2 windows_ended=%3")
            .arg(counter.sent).arg(counter.received).arg(ended));
    out(QStringLiteral("repaint_px_per_s=%1 paint_events_per_s=%2 window_px=%3")
            .arg(counter.area / elapsed, 0, 'f', 0).arg(double(counter.paints) / elapsed, 0, 'f', 1)
            .arg(started.empty() || ended ? 0 : started.front()->width() * started.front()->height()));
    out(QStringLiteral("snmpd_cpu_percent_of_core=%1").arg(100.0 * agentCpu / elapsed, 0, 'f', 2));
    const bool ok = percent < kTargetPercent && ended == 0 && counter.received + windows >= counter.sent;
    out(QStringLiteral("summary: %1 windows x %2 objects at 1 s for %3 s: %4% of one core (target < %5%: %6), "
                       "%7/%8 requests answered, %9 px/s repainted")
            .arg(windows).arg(kObjectsPerWindow).arg(elapsed, 0, 'f', 0).arg(percent, 0, 'f', 2)
            .arg(kTargetPercent, 0, 'f', 0).arg(ok ? QStringLiteral("ok") : QStringLiteral("MISSED"))
            .arg(counter.received).arg(counter.sent).arg(counter.area / elapsed, 0, 'f', 0));
    snmpd.terminate();
    snmpd.waitForFinished(5000);
    return 0;
}
