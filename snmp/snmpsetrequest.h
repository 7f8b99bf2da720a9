#pragma once

// SnmpSetRequest: one SNMP SET towards one agent, and what came of it.
//
// The SET dialog drives one: start() opens the request's own session towards
// the device, sends the SET and waits for the agent's answer. Exactly one
// finished(result) ends every started request: the agent accepted the value
// (and returned it), refused it with an error status, did not answer within
// the answer timeout, or the layer could not send or receive. Agents stay
// silent towards a community they do not know, so a wrong community ends in
// the timeout, never in an error answer.
//
//     m_request = new SnmpSetRequest(this);
//     connect(m_request, &SnmpSetRequest::finished, this, &Dlg::onFinished);
//     if (!m_request->initialise()) ...
//     if (!m_request->start(device, community, u"1.3.6.1.2.1.1.4.0"_s, value))
//         show(SnmpErrorText(SnmpGetLastError(m_request->session())));
//     // -> sent(), then finished(result)
//
// One request at a time: start() while one is outstanding forgets the earlier
// one (no finished for it). The session is closed whenever nothing is
// outstanding, so a late answer meets no socket. QtCore only.

#include "snmpsession.h"
#include "snmptypes.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <optional>

struct SnmpSetResult
{
    enum Outcome {
        Accepted,  // error status 0: variable is what the agent returned
        Refused,   // an error status: variable is the one the error index names
        NoAnswer,  // nothing within timeout
        Failed,    // the layer could not send or receive: layerError
    };
    Outcome outcome = Failed;
    QString device;                      // as given to start()
    std::chrono::milliseconds timeout{}; // the answer timeout of this request
    quint32 layerError = 0;              // Failed: an SnmpApiError
    qint32 errorStatus = 0;              // Refused
    qint32 errorIndex = 0;               // Refused: 1-based, as the agent sent it
    // Accepted: the first returned binding (none if the agent returned none);
    // Refused: the binding the error index names, none when the index is 0
    // or beyond the returned list.
    std::optional<SnmpVarBind> variable;
};

class SnmpSetRequest : public QObject
{
    Q_OBJECT
public:
    // How long an answer is awaited: agents answer a SET within milliseconds
    // unless the community is wrong, when they never do.
    static constexpr std::chrono::milliseconds kDefaultAnswerTimeout = std::chrono::seconds(5);

    explicit SnmpSetRequest(QObject *parent = nullptr);
    ~SnmpSetRequest() override;

    // Starts the session's stack; false when that failed (start() will then
    // fail at the send, with the stack's error in finished()).
    bool initialise();

    // Sends one SET of `value` to the OID. False when the session could not
    // be opened (nothing sent, no signal; SnmpGetLastError(session()) says
    // why); true otherwise, and finished() follows. An OID text that does not
    // parse or a device that does not resolve end as Failed.
    bool start(const QString &device, const QString &community, const QString &oidText, const SnmpValue &value);
    // The same towards a target (a profile's write target: its write
    // community, or its SNMPv3 user).
    bool start(const SnmpTarget &target, const QString &oidText, const SnmpValue &value);
    // Forgets an outstanding request without finished().
    void cancel();
    bool isBusy() const { return m_busy; }

    std::chrono::milliseconds answerTimeout() const { return m_answerTimeout; }
    // Applies from the next start().
    void setAnswerTimeout(std::chrono::milliseconds timeout) { m_answerTimeout = timeout; }

    // The request's own session (its version and agent port may be set).
    CSnmpSession *session() const { return m_session; }

signals:
    // The SET went out; the answer is awaited.
    void sent();
    void finished(const SnmpSetResult &result);

private:
    bool send(const QString &device, const QString &oidText, const SnmpValue &value);
    void onSessionEvent(SnmpNotifyCode code, const SnmpNotifyPayload &payload);
    void onAnswer(const SnmpPdu &pdu);
    void finish(SnmpSetResult::Outcome outcome, quint32 layerError = 0);
    void finish(SnmpSetResult result);

    CSnmpSession *m_session; // owned (child)
    QTimer m_answerTimer;
    std::chrono::milliseconds m_answerTimeout = kDefaultAnswerTimeout;
    bool m_busy = false;
    SnmpSetResult m_pending; // device and timeout of the outstanding request
};

Q_DECLARE_METATYPE(SnmpSetResult)
