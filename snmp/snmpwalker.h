#pragma once

// SnmpWalker: one GET, or one walk of a subtree, towards one agent. The MIB
// walk dialog, the benchmark and the tests drive it; it knows no widgets.
//
// A walk of an SNMPv1 target is a chain of GET NEXT requests, one at a time,
// the next going out a short delay after each answer (the agent is asked
// gently, as the dialog always did). SNMPv2c and SNMPv3 targets are walked
// with GETBULK: `maxRepetitions` variables per request; an answer of tooBig,
// or a timeout after a request that asked for more than one, halves the
// number for the rest of the walk and asks again, down to 1.
//
// The walk ends at the first variable outside the subtree, at endOfMibView,
// or at an OID that does not follow the one before it (an agent that does
// not move forward would be asked for ever); finished() says which, with a
// message ready to show when the end was not the normal one.
//
//     auto *walker = new SnmpWalker(this);
//     connect(walker, &SnmpWalker::variablesReceived, this, &Dialog::addRows);
//     connect(walker, &SnmpWalker::finished, this, &Dialog::walkEnded);
//     walker->walk(target, u"1.3.6.1.2.1"_s, options);
//     ... walker->pause(); walker->resume(); walker->stop();

#include "snmpsession.h"
#include "snmptarget.h"

#include <QObject>
#include <QString>
#include <QTimer>

class SnmpWalker : public QObject
{
    Q_OBJECT

public:
    enum class End {
        Completed,      // the GET was answered, or the subtree has been walked
        EndOfMibView,   // the agent has nothing after the last variable
        NotIncreasing,  // an OID that does not follow the one asked for
        ErrorStatus,    // an error-status other than tooBig at one repetition
        BadResponse,    // an answer a GETBULK cannot have (too many variables, none, an exception)
        Timeout,
        SecurityReport, // an SNMPv3 Report: unknown user, wrong passphrase, ...
        SendError,      // the request could not go out (host not found, ...)
        ReceiveError,
        Stopped,        // stop() was called
    };
    Q_ENUM(End)

    struct Options
    {
        int timeoutMs = 5000;     // per request
        int retries = 0;          // the same request again after a timeout
        int maxRepetitions = 25;  // GETBULK; SNMPv1 walks ask for one at a time
        int nextRequestDelayMs = 10; // SNMPv1: between an answer and the next GET NEXT
    };

    explicit SnmpWalker(QObject *parent = nullptr);
    ~SnmpWalker() override;

    // Starts a walk of the subtree under `oidText` (a final "." is taken
    // as naming no component; blanks around it are ignored). False, with
    // finished() following, when nothing could be sent.
    bool walk(const SnmpTarget &target, const QString &oidText, const Options &options);
    // One GET of one object.
    bool get(const SnmpTarget &target, const QString &oidText, const Options &options);

    // A paused walk lists the answer on its way but asks nothing more until
    // it is resumed.
    void pause();
    void resume();
    // Ends a running GET or walk at once: finished(Stopped) follows.
    void stop();

    bool isRunning() const { return m_running; }
    bool isWalking() const { return m_running && m_walking; }
    bool isPaused() const { return m_paused; }
    bool isAwaitingReply() const { return m_awaiting; }
    // GETBULK size in use (smaller than asked for after a halving).
    int maxRepetitions() const { return m_maxRepetitions; }
    // The OID the walk has reached, as text: what was typed until the
    // first variable came back.
    QString currentOidText() const { return m_currentText; }
    quint64 variableCount() const { return m_variableCount; }
    CSnmpSession *session() const { return m_session; }

    // The message for an SNMPv3 Report of `target`'s agent: what was refused
    // and what to check.
    static QString reportText(const SnmpPdu &report, const SnmpTarget &target);
    // "Host not found: NAME" or the layer's text for an error code.
    static QString sendErrorText(quint32 error, const SnmpTarget &target);

signals:
    // A request went out (SNMPN_GET_SENT or SNMPN_GETNEXT_SENT, the latter
    // for GETBULK too) for `oid`; for the walk log.
    void requestSent(SnmpNotifyCode kind, const SnmpOid &oid);
    // The variables of one answer that belong to the result, in order.
    void variablesReceived(const SnmpVarList &variables);
    // An SNMPv1 answer without variables ("no data").
    void emptyAnswer();
    // The end; `message` is empty for a normal end.
    void finished(SnmpWalker::End end, const QString &message);

private:
    bool begin(const SnmpTarget &target, const QString &oidText, const Options &options, bool walking);
    void sendNext();
    void onSessionEvent(SnmpNotifyCode code, const SnmpNotifyPayload &payload);
    void onResponse(const SnmpPdu &pdu);
    void onResponseTimeout();
    // Processes a GETBULK answer; false when it ended the walk.
    bool takeBulk(const SnmpPdu &pdu);
    bool takeNext(const SnmpPdu &pdu);
    void end(End reason, const QString &message = QString());
    QString errorStatusText(const SnmpPdu &pdu) const;

    CSnmpSession *m_session = nullptr;
    SnmpTarget m_target;
    Options m_options;
    SnmpOid m_root;
    SnmpOid m_current;       // the last OID listed, or the root
    QString m_currentText;
    bool m_running = false;
    bool m_walking = false;
    bool m_paused = false;
    bool m_awaiting = false;
    bool m_bulk = false;
    int m_maxRepetitions = 1;
    int m_askedRepetitions = 1;
    int m_retriesLeft = 0;
    quint64 m_variableCount = 0;
    QTimer m_nextTimer;
    QTimer m_timeoutTimer;
};
