#pragma once

// A private snmpd for the benchmarks that poll or walk an agent: on
// 127.0.0.1 at a free port, with its own configuration and state folder,
// answering community "public". Header only.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QUdpSocket>

#include <unistd.h>

namespace BenchAgent {

// Windows are shown on the offscreen platform where no display is set, so
// that a benchmark runs the same on a desktop and on CI.
inline void preferOffscreen()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline quint16 freeUdpPort()
{
    for (quint16 port = 30000 + quint16(getpid() % 5000); port < 60000; port += 7) {
        QUdpSocket probe;
        if (probe.bind(QHostAddress::LocalHost, port))
            return port;
    }
    return 0;
}

// Starts snmpd on 127.0.0.1:port with `extraConfig` appended to its
// configuration; false when it does not answer within 10 s.
inline bool start(QProcess &snmpd, const QString &dir, quint16 port, const QByteArray &extraConfig = {})
{
    QString program = QStandardPaths::findExecutable(QStringLiteral("snmpd"));
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(QStringLiteral("snmpd"), {QStringLiteral("/usr/sbin")});
    if (program.isEmpty())
        return false;
    QDir().mkpath(dir + QStringLiteral("/persist"));
    QFile conf(dir + QStringLiteral("/snmpd.conf"));
    if (!conf.open(QIODevice::WriteOnly))
        return false;
    conf.write("rocommunity public 127.0.0.1\ndontLogTCPWrappersConnects yes\n");
    conf.write(extraConfig);
    conf.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"), dir + QStringLiteral("/persist"));
    snmpd.setProcessEnvironment(env);
    snmpd.setStandardOutputFile(dir + QStringLiteral("/snmpd.out"));
    snmpd.setStandardErrorFile(dir + QStringLiteral("/snmpd.out"));
    snmpd.start(program, {QStringLiteral("-f"), QStringLiteral("-C"), QStringLiteral("-c"), conf.fileName(),
                          QStringLiteral("-m"), QString(), QStringLiteral("-I"), QStringLiteral("-smux"),
                          QStringLiteral("-LF"), QStringLiteral("n"), dir + QStringLiteral("/snmpd.log"),
                          QStringLiteral("udp:127.0.0.1:%1").arg(port)});
    if (!snmpd.waitForStarted(5000))
        return false;
    // ready when a GET of sysUpTime.0 comes back
    static const QByteArray get = QByteArray::fromHex("302602010004067075626c6963a01902010102010002010030"
                                                      "0e300c06082b060102010103000500");
    QUdpSocket socket;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && snmpd.state() == QProcess::Running) {
        socket.writeDatagram(get, QHostAddress::LocalHost, port);
        if (socket.waitForReadyRead(200))
            return true;
    }
    return false;
}

} // namespace BenchAgent
