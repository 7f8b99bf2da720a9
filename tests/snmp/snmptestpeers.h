#pragma once

// Real peers for the SNMP tests: a private snmpd on a loopback high port,
// net-snmp's command-line tools, and a recorder of session notifications.

#include "snmpsession.h"

#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

namespace SnmpTest {

// snmpd on 127.0.0.1:port with a private configuration: community "public"
// reads everything, "private" may also write sysContact, sysName and
// sysLocation; anything else gets no answer.
class Snmpd
{
public:
    ~Snmpd() { stop(); }
    // Empty text on success, else why it failed. With `ipv6`, it also
    // listens on [::1]:port.
    QString start(const QString &workDir, quint16 port, bool ipv6 = false);
    void stop();
    quint16 port() const { return m_port; }

private:
    QProcess m_process;
    QString m_dir;
    quint16 m_port = 0;
};

struct ToolResult
{
    bool started = false;
    int exitCode = -1;
    QString output; // stdout and stderr
};

// Runs a net-snmp tool (snmptrap, snmpinform, snmpget ...) with a private
// environment and no configuration from /etc/snmp or $HOME.
ToolResult runTool(const QString &program, const QStringList &arguments, const QString &workDir,
                   int timeoutMs = 30000);

// True when this host has an IPv6 loopback address to bind.
bool haveIpv6Loopback();

// Records every notification of a session in arrival order.
class NotifyLog : public QObject
{
    Q_OBJECT
public:
    explicit NotifyLog(CSnmpSession *session);
    struct Entry
    {
        SnmpNotifyCode code;
        SnmpNotifyPayload payload;
    };
    std::vector<Entry> entries;
    size_t count(SnmpNotifyCode code) const;
    // The entries of one code, in order.
    std::vector<Entry> of(SnmpNotifyCode code) const;
};

// The value of the varbind with this OID, or nothing.
const SnmpValue *findValue(const SnmpPdu &pdu, const SnmpOid &oid);

} // namespace SnmpTest
