#pragma once

// SnmpPoller: asks one agent for a fixed set of objects, one GET each time
// poll() is called, and says what came back. A monitor window drives it
// with its polling timer and shows the answers; the benchmark and the tests
// drive it without a window.
//
// The response timeout runs from the oldest request still unanswered, so an
// agent that stops answering is noticed even when requests go out more
// often than the timeout; an answer to request N forgets the requests
// before N, which the agent will not answer any more.
//
//     auto *poller = new SnmpPoller(this);
//     connect(poller, &SnmpPoller::answered, this, &Window::takeAnswer);
//     connect(poller, &SnmpPoller::failed, this, &Window::end);
//     poller->start(target, oids, timeoutMs);
//     ... poller->poll();   // each interval

#include "snmpsession.h"
#include "snmptarget.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>

class SnmpPoller : public QObject
{
    Q_OBJECT

public:
    enum class Failure {
        Timeout,     // no answer within the timeout
        OpenFailed,  // the device name does not resolve, or the session could not open
        SendError,   // a request could not go out
        ReceiveError,
        Report,      // an SNMPv3 Report: unknown user, wrong passphrase, ...
    };
    Q_ENUM(Failure)

    explicit SnmpPoller(QObject *parent = nullptr);
    ~SnmpPoller() override;

    // Opens the session; false (after failed(OpenFailed)) when it cannot.
    bool start(const SnmpTarget &target, const QStringList &oids, int timeoutMs);
    // One GET of every OID.
    void poll();
    // Forgets everything outstanding and closes the session.
    void stop();

    bool isRunning() const { return m_running; }
    int outstanding() const { return static_cast<int>(m_outstanding.size()); }
    CSnmpSession *session() const { return m_session; }

    // True when an answer carries an SNMPv2 exception (noSuchObject,
    // noSuchInstance, endOfMibView) in place of a value.
    static bool hasException(const SnmpPdu &pdu);

signals:
    void requestSent(qint32 requestId);
    // An answer, error-status or exceptions included: what they mean is the
    // window's business.
    void answered(const SnmpPdu &pdu);
    // The polling cannot go on; `message` says why, ready to show (empty
    // where the window has its own words).
    void failed(SnmpPoller::Failure failure, const QString &message);

private:
    void onSessionEvent(SnmpNotifyCode code, const SnmpNotifyPayload &payload);
    void armTimeout();
    void fail(Failure failure, const QString &message = QString());

    struct Outstanding
    {
        qint32 requestId;
        qint64 sentMs; // on m_clock
    };

    CSnmpSession *m_session = nullptr;
    SnmpTarget m_target;
    QStringList m_oids;
    int m_timeoutMs = 5000;
    bool m_running = false;
    std::deque<Outstanding> m_outstanding;
    QElapsedTimer m_clock;
    QTimer m_timeout;
};
