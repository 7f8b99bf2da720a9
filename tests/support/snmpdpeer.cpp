#include "snmpdpeer.h"

#include "testsupport.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

namespace TestSupport {

QString Snmpd::start(const QString &workDir, quint16 port, bool ipv6, const QByteArray &extraConfig)
{
    const QString snmpd = findProgram(QStringLiteral("snmpd"));
    if (snmpd.isEmpty())
        return QStringLiteral("snmpd is not installed (Debian package snmpd)");
    m_port = port;
    const QString dir = workDir + QStringLiteral("/snmpd");
    QDir().mkpath(dir + QStringLiteral("/persist"));
    QFile conf(dir + QStringLiteral("/snmpd.conf"));
    if (!conf.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QStringLiteral("cannot write %1").arg(conf.fileName());
    conf.write("rocommunity public 127.0.0.1\n"
               "rocommunity6 public ::1\n"
               "com2sec rwsec 127.0.0.1 private\n"
               "group   rwgroup v1  rwsec\n"
               "group   rwgroup v2c rwsec\n"
               "view    all      included .1\n"
               "view    writable included .1.3.6.1.2.1.1.4\n"
               "view    writable included .1.3.6.1.2.1.1.5\n"
               "view    writable included .1.3.6.1.2.1.1.6\n"
               "access  rwgroup \"\" any noauth exact all writable none\n"
               "dontLogTCPWrappersConnects yes\n");
    // SNMPv3 users: one per security level, and DES where this net-snmp has it
    const QByteArray v3 = QStringLiteral(
        "createUser %1 SHA-256 \"%2\" AES \"%3\"\n"
        "createUser %4 SHA \"%5\"\n"
        "createUser %6\n"
        "group v3rw usm %1\n"
        "access v3rw \"\" usm priv exact all writable none\n"
        "rouser %4 auth\n"
        "rouser %6 noauth\n")
        .arg(QLatin1String(kV3PrivUser), QLatin1String(kV3AuthPass), QLatin1String(kV3PrivPass),
             QLatin1String(kV3AuthUser), QLatin1String(kV3AuthPass), QLatin1String(kV3NoAuthUser)).toLatin1();
    conf.write(v3);
    conf.write(QStringLiteral("createUser %1 MD5 \"%2\" DES \"%3\"\nrouser %1 priv\n")
                   .arg(QLatin1String(kV3DesUser), QLatin1String(kV3AuthPass), QLatin1String(kV3PrivPass))
                   .toLatin1());
    conf.write(extraConfig);
    conf.close();
    QProcessEnvironment env = isolatedEnvironment(dir + QStringLiteral("/env"));
    env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"), dir + QStringLiteral("/persist"));
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setWorkingDirectory(dir);
    const QString listen = ipv6 ? QStringLiteral("udp:127.0.0.1:%1,udp6:[::1]:%1") : QStringLiteral("udp:127.0.0.1:%1");
    // log to stderr (unbuffered): "NET-SNMP version" tells when it listens
    m_process.start(snmpd, {QStringLiteral("-f"), QStringLiteral("-C"), QStringLiteral("-c"), conf.fileName(),
                            QStringLiteral("-m"), QString(), QStringLiteral("-I"), QStringLiteral("-smux"),
                            QStringLiteral("-LE"), QStringLiteral("6"), listen.arg(port)});
    if (!m_process.waitForStarted(10000))
        return QStringLiteral("snmpd did not start: %1").arg(m_process.errorString());
    QByteArray output;
    while (!output.contains("NET-SNMP version")) {
        if (m_process.state() != QProcess::Running || !m_process.waitForReadyRead(30000))
            return QStringLiteral("snmpd did not come up on port %1: %2")
                .arg(port)
                .arg(QString::fromLocal8Bit(output + m_process.readAll()));
        output += m_process.readAll();
    }
    return {};
}

void Snmpd::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate(); // SIGTERM to this pid only
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

ToolResult runSnmpTool(const QString &program, const QStringList &arguments, const QString &workDir, int timeoutMs,
                       bool blockThread)
{
    ToolResult result;
    const QString path = findProgram(program);
    if (path.isEmpty())
        return result;
    const QString dir = workDir + QStringLiteral("/tools");
    QDir().mkpath(dir + QStringLiteral("/persist"));
    QProcessEnvironment env = isolatedEnvironment(dir + QStringLiteral("/env"));
    env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"), dir + QStringLiteral("/persist"));
    env.insert(QStringLiteral("SNMPCONFPATH"), dir);
    env.insert(QStringLiteral("MIBS"), QString());
    env.insert(QStringLiteral("MIBDIRS"), QString());
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    process.start(path, arguments);
    if (!process.waitForStarted(10000))
        return result;
    result.started = true;
    if (blockThread)
        process.waitForFinished(timeoutMs);
    else if (process.state() != QProcess::NotRunning)
        loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
        result.output = QString::fromLocal8Bit(process.readAll()) + QStringLiteral("\n(timed out)");
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromLocal8Bit(process.readAll());
    return result;
}

QString snmpGetValue(const QStringList &credentials, const QString &agent, const QString &oid, const QString &workDir)
{
    const ToolResult r = runSnmpTool(QStringLiteral("snmpget"), credentials + QStringList{"-Oqv", agent, oid}, workDir);
    if (r.exitCode != 0)
        return {};
    const QString value = r.output.trimmed().section(u'\n', -1).trimmed();
    return value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"') ? value.mid(1, value.size() - 2) : value;
}

QStringList listedOids(const ToolResult &walk)
{
    QStringList oids;
    for (const QString &line : walk.output.split(u'\n', Qt::SkipEmptyParts))
        if (line.startsWith(u'.') && !line.contains(QLatin1String("No more variables")))
            oids << line.section(u' ', 0, 0).mid(1);
    return oids;
}

} // namespace TestSupport
