#pragma once

// net-snmp's snmpd as the agent of a test: on 127.0.0.1 (and ::1 when asked)
// at a free port, with a private configuration and state folder. Community
// "public" reads everything; "private" may also write sysContact, sysName
// and sysLocation; any other community gets no answer. SNMPv3 users:
// kV3PrivUser (SHA-256/AES-128, authPriv, may write like "private"),
// kV3DesUser (MD5/DES, authPriv, reads), kV3AuthUser (SHA-1, authNoPriv,
// reads) and kV3NoAuthUser (noAuthNoPriv, reads).

#include <QProcess>
#include <QString>
#include <QStringList>

namespace TestSupport {

inline constexpr char kV3PrivUser[] = "orvsha256";
inline constexpr char kV3DesUser[] = "orvmd5des";
inline constexpr char kV3AuthUser[] = "orvsha1";
inline constexpr char kV3NoAuthUser[] = "orvnoauth";
inline constexpr char kV3AuthPass[] = "auth-pass-8x";
inline constexpr char kV3PrivPass[] = "priv-pass-8x";

class Snmpd
{
public:
    ~Snmpd() { stop(); }
    // Empty text when it listens, else why not (for QSKIP or QFAIL).
    // `extraConfig` is added to its snmpd.conf (e.g. "override" lines that
    // serve objects of a test module).
    QString start(const QString &workDir, quint16 port, bool ipv6 = false, const QByteArray &extraConfig = {});
    void stop();
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    quint16 port() const { return m_port; }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

private:
    QProcess m_process;
    quint16 m_port = 0;
};

struct ToolResult
{
    bool started = false;
    int exitCode = -1;
    QString output; // standard output and error
};

// Runs one of net-snmp's tools (snmpget, snmpwalk, snmptrap ...) with a
// private environment, no configuration from /etc/snmp or $HOME and no MIBs,
// and waits for it. The event loop runs meanwhile, unless `blockThread`:
// then this thread does nothing else until the tool has ended, as a busy GUI
// thread would.
ToolResult runSnmpTool(const QString &program, const QStringList &arguments, const QString &workDir,
                       int timeoutMs = 30000, bool blockThread = false);

// The value snmpget -Oqv prints for `oid` at `agent`, without the quotes
// around a text; empty when snmpget failed.
QString snmpGetValue(const QStringList &credentials, const QString &agent, const QString &oid, const QString &workDir);

// The OIDs, without their leading dot, that a walk run with -On -Oq listed.
QStringList listedOids(const ToolResult &walk);

} // namespace TestSupport
