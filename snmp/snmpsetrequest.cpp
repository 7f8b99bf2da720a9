#include "snmpsetrequest.h"

SnmpSetRequest::SnmpSetRequest(QObject *parent)
    : QObject(parent)
    , m_session(new CSnmpSession(this))
{
    m_answerTimer.setSingleShot(true);
    connect(&m_answerTimer, &QTimer::timeout, this, [this] { finish(SnmpSetResult::NoAnswer); });
    connect(m_session, &CSnmpSession::snmpNotify, this, &SnmpSetRequest::onSessionEvent);
}

SnmpSetRequest::~SnmpSetRequest()
{
    m_session->Close();
}

bool SnmpSetRequest::initialise()
{
    return m_session->Initialise() != 0;
}

bool SnmpSetRequest::start(const QString &device, const QString &community, const QString &oidText,
                           const SnmpValue &value)
{
    cancel();
    if (!m_session->Open(device, community))
        return false;
    return send(device, oidText, value);
}

bool SnmpSetRequest::start(const SnmpTarget &target, const QString &oidText, const SnmpValue &value)
{
    cancel();
    if (!m_session->Open(target))
        return false;
    return send(target.host, oidText, value);
}

bool SnmpSetRequest::send(const QString &device, const QString &oidText, const SnmpValue &value)
{
    m_pending = SnmpSetResult();
    m_pending.device = device;
    m_pending.timeout = m_answerTimeout;
    m_busy = true;
    // Started before the send: a refused send ends the request through its
    // queued notification, which stops the timer again.
    m_answerTimer.start(m_answerTimeout);
    m_session->SendRequest(oidText, SNMP_PDU_SET, value);
    return true;
}

void SnmpSetRequest::cancel()
{
    m_answerTimer.stop();
    m_busy = false;
    m_session->Close();
}

void SnmpSetRequest::onSessionEvent(SnmpNotifyCode code, const SnmpNotifyPayload &payload)
{
    // Notifications are queued: one may come after its request was cancelled
    // or has ended.
    if (!m_busy)
        return;
    switch (code) {
    case SNMPN_OTHER_SENT:
        if (payload.requestId == m_session->requestId())
            emit sent();
        break;
    case SNMPN_SEND_ERROR:
        if (payload.requestId == m_session->requestId())
            finish(SnmpSetResult::Failed, payload.error);
        break;
    case SNMPN_RECV_ERROR:
        finish(SnmpSetResult::Failed, payload.error);
        break;
    case SNMPN_RECEIVED:
        if (payload.received.pdu.type == SNMP_PDU_RESPONSE && payload.received.pdu.requestId == m_session->requestId())
            onAnswer(payload.received.pdu);
        break;
    default:
        break;
    }
}

void SnmpSetRequest::onAnswer(const SnmpPdu &pdu)
{
    SnmpSetResult result = m_pending;
    result.errorStatus = pdu.errorStatus;
    result.errorIndex = pdu.errorIndex;
    if (pdu.errorStatus == 0) {
        result.outcome = SnmpSetResult::Accepted;
        if (!pdu.varbinds.empty())
            result.variable = pdu.varbinds.front();
    } else {
        result.outcome = SnmpSetResult::Refused;
        // the index comes from the wire: anything outside the list names nothing
        if (pdu.errorIndex >= 1 && size_t(pdu.errorIndex) <= pdu.varbinds.size())
            result.variable = pdu.varbinds[size_t(pdu.errorIndex) - 1];
    }
    finish(std::move(result));
}

void SnmpSetRequest::finish(SnmpSetResult::Outcome outcome, quint32 layerError)
{
    SnmpSetResult result = m_pending;
    result.outcome = outcome;
    result.layerError = layerError;
    finish(std::move(result));
}

void SnmpSetRequest::finish(SnmpSetResult result)
{
    // Idle before telling: the receiver may show a modal box, whose event
    // loop must meet neither the timer nor a late answer.
    cancel();
    emit finished(result);
}
