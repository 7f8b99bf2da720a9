#pragma once

// The UDP sockets of trap reception and the thread that drains them.
//
// A burst of traps must not overflow the socket while the GUI thread is busy
// decoding or drawing, so a thread of its own does nothing but read
// datagrams into a queue; the GUI thread is told by a queued signal and
// takes whole batches. The socket buffer is sized explicitly and the
// kernel's drops for these sockets are counted, so loss is never silent.
//
// The same thread answers SNMPv2c informs the moment it reads them: a sender
// waits only a few seconds for its Response, and the GUI thread may be busy
// for longer. It uses the layer's own BER code (snmpinformack.h), never
// net-snmp, whose parser and encoder belong to the GUI thread. A
// retransmitted inform is answered again but not queued a second time. An
// inform that finds the queue full is not answered either, so that its
// sender tries again instead of taking it for delivered.

#include "snmpinformack.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <sys/socket.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class SnmpTrapPort : public QObject
{
    Q_OBJECT
public:
    struct Datagram
    {
        QByteArray data;
        sockaddr_storage source{};
        socklen_t sourceLength = 0;
        QString destination; // the local address it was sent to
        int socketIndex = 0;
        bool informAnswered = false; // a well-formed inform, answered by the reader thread
    };

    struct Failure
    {
        quint32 code = 0;   // the layer's error code
        int sysErrno = 0;
        QString address;    // the address that could not be bound
    };

    // Requested receive buffer; the kernel doubles it, and without root it
    // caps it at net.core.rmem_max.
    static constexpr int kReceiveBufferBytes = 8 * 1024 * 1024;
    // Datagrams held for the GUI thread at most, counted in bytes.
    static constexpr qint64 kMaxQueuedBytes = 256LL * 1024 * 1024;

    explicit SnmpTrapPort(QObject *parent = nullptr);
    ~SnmpTrapPort() override;

    // Binds every address (numeric IPv4 or IPv6) on `port` and starts the
    // thread. An IPv6 address on a host without IPv6 is skipped; any other
    // failure closes what was opened and fills `failure`.
    bool open(const QStringList &addresses, quint16 port, Failure *failure);
    void close();
    bool isOpen() const { return !m_sockets.empty(); }

    // Takes up to `max` queued datagrams in arrival order. *more tells
    // whether some are left; when none are left, the next arrival signals
    // datagramsReady() again.
    std::vector<Datagram> take(size_t max, bool *more);

    // Sends `payload` back to where `to` came from, from the socket it came
    // in on.
    bool reply(const Datagram &to, const QByteArray &payload);
    bool reply(int socketIndex, const sockaddr_storage &to, socklen_t length, const QByteArray &payload)
    {
        return sendTo(socketIndex, to, length, payload);
    }

    quint64 datagramsRead() const { return m_datagramsRead; }
    quint64 bytesRead() const { return m_bytesRead; }
    quint64 queueDrops() const { return m_queueDrops; }
    // Where the last datagram dropped for a full queue came from
    // ("address:port"); empty before the first.
    QString lastQueueDropSender() const;
    // Responses to informs sent, and those that could not be sent.
    quint64 informsAcknowledged() const { return m_informsAcknowledged; }
    quint64 acknowledgeFailures() const { return m_acknowledgeFailures; }
    // Retransmitted informs: answered, but not queued again.
    quint64 informDuplicates() const { return m_informDuplicates; }
    // Datagrams the kernel dropped because a socket buffer was full.
    quint64 kernelDrops() const;
    // Bytes waiting in the sockets (not yet read by the thread).
    quint64 socketBacklog() const;
    int receiveBufferBytes() const { return m_receiveBufferBytes; }

signals:
    void datagramsReady();

private:
    void run();
    // Reads one batch from the socket; true when it came back full (more
    // may be waiting).
    bool drain(int index);
    static qint64 queuedCost(const Datagram &d);
    bool sendTo(int socketIndex, const sockaddr_storage &to, socklen_t length, const QByteArray &payload);

    struct Socket
    {
        int fd = -1;
        int family = 0;
        unsigned long inode = 0;
    };
    std::vector<Socket> m_sockets;
    int m_wakeFd = -1;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    std::deque<Datagram> m_queue;
    sockaddr_storage m_lastQueueDrop{}; // formatted only when asked for: a flood costs no text
    socklen_t m_lastQueueDropLength = 0;
    qint64 m_queuedBytes = 0;
    bool m_signalPending = false;

    std::atomic<quint64> m_datagramsRead{0};
    std::atomic<quint64> m_bytesRead{0};
    std::atomic<quint64> m_queueDrops{0};
    std::atomic<quint64> m_informsAcknowledged{0};
    std::atomic<quint64> m_acknowledgeFailures{0};
    std::atomic<quint64> m_informDuplicates{0};
    SnmpInformMemory m_informs; // the reader thread's alone
    int m_receiveBufferBytes = 0;
};
