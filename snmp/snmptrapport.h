#pragma once

// The UDP sockets of trap reception and the thread that drains them.
//
// A burst of traps must not overflow the socket while the GUI thread is busy
// decoding or drawing, so a thread of its own does nothing but read
// datagrams into a queue; the GUI thread is told by a queued signal and
// takes whole batches. The socket buffer is sized explicitly and the
// kernel's drops for these sockets are counted, so loss is never silent.

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

    quint64 datagramsRead() const { return m_datagramsRead; }
    quint64 bytesRead() const { return m_bytesRead; }
    quint64 queueDrops() const { return m_queueDrops; }
    // Datagrams the kernel dropped because a socket buffer was full.
    quint64 kernelDrops() const;
    // Bytes waiting in the sockets (not yet read by the thread).
    quint64 socketBacklog() const;
    int receiveBufferBytes() const { return m_receiveBufferBytes; }

signals:
    void datagramsReady();

private:
    void run();
    void drain(int index);

    struct Socket
    {
        int fd = -1;
        int family = 0;
        unsigned long inode = 0;
    };
    std::vector<Socket> m_sockets;
    int m_wakeFd = -1;
    std::thread m_thread;

    std::mutex m_mutex;
    std::deque<Datagram> m_queue;
    qint64 m_queuedBytes = 0;
    bool m_signalPending = false;

    std::atomic<quint64> m_datagramsRead{0};
    std::atomic<quint64> m_bytesRead{0};
    std::atomic<quint64> m_queueDrops{0};
    int m_receiveBufferBytes = 0;
};
