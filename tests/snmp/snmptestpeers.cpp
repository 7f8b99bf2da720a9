#include "snmptestpeers.h"

#include "testsupport.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace SnmpTest {

QString Snmpd::start(const QString &workDir, quint16 port, bool ipv6)
{
    const QString snmpd = TestSupport::findProgram(QStringLiteral("snmpd"));
    if (snmpd.isEmpty())
        return QStringLiteral("snmpd is not installed (Debian package snmpd)");
    m_dir = workDir + QStringLiteral("/snmpd");
    QDir().mkpath(m_dir + QStringLiteral("/persist"));
    QFile conf(m_dir + QStringLiteral("/snmpd.conf"));
    if (!conf.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QStringLiteral("cannot write %1").arg(conf.fileName());
    conf.write("rocommunity public 127.0.0.1\n"
               "com2sec rwsec 127.0.0.1 private\n"
               "group   rwgroup v1  rwsec\n"
               "group   rwgroup v2c rwsec\n"
               "view    all      included .1\n"
               "view    writable included .1.3.6.1.2.1.1.4\n"
               "view    writable included .1.3.6.1.2.1.1.5\n"
               "view    writable included .1.3.6.1.2.1.1.6\n"
               "access  rwgroup \"\" any noauth exact all writable none\n"
               "dontLogTCPWrappersConnects yes\n");
    if (ipv6)
        conf.write("rocommunity6 public ::1\n");
    conf.close();
    QProcessEnvironment env = TestSupport::isolatedEnvironment(m_dir + QStringLiteral("/env"));
    env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"), m_dir + QStringLiteral("/persist"));
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setWorkingDirectory(m_dir);
    m_port = port;
    // log to stderr (unbuffered): "NET-SNMP version" tells when it listens
    m_process.start(snmpd, {QStringLiteral("-f"), QStringLiteral("-C"), QStringLiteral("-c"), conf.fileName(),
                            QStringLiteral("-m"), QString(), QStringLiteral("-I"), QStringLiteral("-smux"),
                            QStringLiteral("-LE"), QStringLiteral("6"),
                            ipv6 ? QStringLiteral("udp:127.0.0.1:%1,udp6:[::1]:%1").arg(port)
                                 : QStringLiteral("udp:127.0.0.1:%1").arg(port)});
    if (!m_process.waitForStarted(10000))
        return QStringLiteral("snmpd did not start: %1").arg(m_process.errorString());
    QByteArray output;
    while (!output.contains("NET-SNMP version")) {
        if (m_process.state() != QProcess::Running || !m_process.waitForReadyRead(30000)) {
            output += m_process.readAll();
            return QStringLiteral("snmpd did not come up on port %1: %2").arg(port).arg(QString::fromLocal8Bit(output));
        }
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

ToolResult runTool(const QString &program, const QStringList &arguments, const QString &workDir, int timeoutMs)
{
    ToolResult result;
    const QString path = TestSupport::findProgram(program);
    if (path.isEmpty())
        return result;
    QDir().mkpath(workDir + QStringLiteral("/persist"));
    QProcessEnvironment env = TestSupport::isolatedEnvironment(workDir + QStringLiteral("/env"));
    env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"), workDir + QStringLiteral("/persist"));
    env.insert(QStringLiteral("SNMPCONFPATH"), workDir + QStringLiteral("/persist"));
    env.insert(QStringLiteral("MIBS"), QString());
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    // The event loop keeps running while the tool runs: the session under
    // test must answer an inform while its sender waits for the answer.
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    process.start(path, arguments);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.started = process.error() != QProcess::FailedToStart;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromLocal8Bit(process.readAll());
    return result;
}

bool haveIpv6Loopback()
{
    const int fd = ::socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in6 in6{};
    in6.sin6_family = AF_INET6;
    in6.sin6_addr = in6addr_loopback;
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr *>(&in6), sizeof(in6)) == 0;
    ::close(fd);
    return ok;
}

NotifyLog::NotifyLog(CSnmpSession *session) : QObject(session)
{
    connect(session, &CSnmpSession::snmpNotify, this,
            [this](SnmpNotifyCode code, const SnmpNotifyPayload &payload) { entries.push_back({code, payload}); });
}

size_t NotifyLog::count(SnmpNotifyCode code) const
{
    size_t n = 0;
    for (const Entry &e : entries)
        n += e.code == code;
    return n;
}

std::vector<NotifyLog::Entry> NotifyLog::of(SnmpNotifyCode code) const
{
    std::vector<Entry> out;
    for (const Entry &e : entries)
        if (e.code == code)
            out.push_back(e);
    return out;
}

const SnmpValue *findValue(const SnmpPdu &pdu, const SnmpOid &oid)
{
    for (const SnmpVarBind &vb : pdu.varbinds)
        if (vb.oid == oid)
            return &vb.value;
    return nullptr;
}

} // namespace SnmpTest
