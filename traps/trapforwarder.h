#pragma once

// Sends every listed trap to a central syslog collector (<forward> in
// Config.xml) as one RFC 5424 message: the trap's fields as the structured
// data element trap@kEnterpriseNumber, its description as the message.
//
// The main view owns one and calls forward() for each trap it lists. That
// call only puts the record in a queue: a collector that is slow, down or
// unknown must never slow trap reception, so resolving the host, connecting,
// formatting and sending all happen in a thread of its own. The queue holds
// at most kMaxQueued records; a record that finds it full is dropped and
// counted, as is one that could not be sent, so loss is never silent.
//
//   UDP: one message per datagram; a refusal reported by ICMP costs the
//        refused datagram (counted), never the forwarding.
//   TCP: octet-counted frames (RFC 6587, "LEN SP MSG"). While the collector
//        cannot be reached, records wait in the queue and the connection is
//        tried again after kFirstRetryMs, doubling up to kMaxRetryMs, the
//        host name resolved anew each time. A frame cut short by a lost
//        connection is sent whole on the next one, never followed by
//        another frame's bytes on the same connection.
//
// Every message stays within kMaxMessageBytes: each text is cut at
// kMaxValueChars characters as the trap list cuts it, trailing variables
// that do not fit are left out and counted in the param "omitted", and the
// description is cut last. The destructor ends the thread at once, whatever
// the collector does; records still queued then are not sent.

#include "appsettings.h"
#include "traprecord.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

class TrapForwarder : public QObject
{
    Q_OBJECT

public:
    // The SD-ID is trap@32473: the private enterprise number RFC 5612
    // reserves for documentation, until we have one of our own.
    static constexpr int kEnterpriseNumber = 32473;
    static constexpr size_t kMaxQueued = 10000; // records
    // Longest text of one field, in UTF-16 characters (as the trap list).
    static constexpr qsizetype kMaxValueChars = kMaxShownTextChars;
    // rsyslog's default maxMessageSize is 8096 bytes ("8k"); its imtcp cuts
    // a longer frame and logs the rest as a second, broken message.
    static constexpr qsizetype kMaxMessageBytes = 8096;
    static constexpr int kConnectTimeoutMs = 5000;
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kMaxRetryMs = 30000;
    // Unacknowledged TCP data for this long takes the connection for lost.
    static constexpr int kTcpUserTimeoutMs = 30000;
    // After a failure the status keeps saying so at least this long, so that
    // a collector refusing every other datagram does not flood the UI.
    static constexpr int kStateHoldMs = 2000;

    // Starts the thread unless config.host is empty.
    explicit TrapForwarder(const ForwardConfig &config, QObject *parent = nullptr);
    ~TrapForwarder() override;

    bool isEnabled() const { return !m_host.empty(); }

    // Queues the record for the collector; never blocks. Any thread.
    void forward(std::shared_ptr<const tagTRAPRECORD> record);

    // Messages handed to the network whole. UDP: to the kernel; one is moved
    // to dropped() when the collector's host refuses a datagram (ICMP).
    quint64 sent() const { return m_sent; }
    // Records dropped: the queue was full, or the message could not be sent.
    quint64 dropped() const { return m_dropped; }
    // The collector, and what is wrong with it if anything; empty when
    // forwarding is off.
    QString stateText() const;

    // The RFC 5424 message for `record`, without TCP framing.
    static QByteArray formatMessage(const tagTRAPRECORD &record, const QByteArray &hostName, qint64 processId);

signals:
    // stateText() changed; emitted from the forwarder's thread.
    void stateChanged(const QString &text);

private:
    void run();
    // Resolves the host and connects; false (the status says why) if not.
    bool connectCollector(int retryMs);
    void closeSocket();
    // Waits for `events` on `fd` (none when fd < 0), a wake-up or the
    // timeout (-1: none); gives fd's revents, 0 when it did not become ready.
    short waitFor(int fd, short events, int timeoutMs);
    void wake();
    void setState(const QString &text, bool failure);
    QString collectorText() const;

    std::string m_host;
    quint16 m_port = 0;
    ForwardConfig::Protocol m_protocol = ForwardConfig::Udp;

    std::thread m_thread;
    int m_wakeFd = -1;
    std::atomic<bool> m_stopping{false};

    std::mutex m_queueMutex;
    std::deque<std::shared_ptr<const tagTRAPRECORD>> m_queue;

    std::atomic<quint64> m_sent{0};
    std::atomic<quint64> m_dropped{0};

    mutable std::mutex m_stateMutex;
    QString m_state;
    qint64 m_lastFailureMs = 0; // the thread's alone, like m_fd
    int m_fd = -1;
};
