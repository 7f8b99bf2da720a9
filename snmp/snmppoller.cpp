#include "snmppoller.h"

#include "snmpwalker.h"

#include <algorithm>

SnmpPoller::SnmpPoller(QObject *parent) : QObject(parent)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] { fail(Failure::Timeout); });
    m_session = new CSnmpSession(this);
    m_session->Initialise();
    connect(m_session, &CSnmpSession::snmpNotify, this, &SnmpPoller::onSessionEvent);
    m_clock.start();
}

SnmpPoller::~SnmpPoller()
{
    m_session->Close();
}

bool SnmpPoller::start(const SnmpTarget &target, const QStringList &oids, int timeoutMs)
{
    stop();
    m_target = target;
    m_oids = oids;
    m_timeoutMs = timeoutMs;
    if (m_session->Open(target) != 1) {
        fail(Failure::OpenFailed);
        return false;
    }
    m_running = true;
    return true;
}

void SnmpPoller::poll()
{
    // A refused request comes back as a send error, a sent one as "sent".
    if (m_running)
        m_session->SendGetList(m_oids);
}

void SnmpPoller::stop()
{
    m_running = false;
    m_timeout.stop();
    m_outstanding.clear();
    m_session->Close();
}

bool SnmpPoller::hasException(const SnmpPdu &pdu)
{
    return std::any_of(pdu.varbinds.begin(), pdu.varbinds.end(),
                       [](const SnmpVarBind &vb) { return SnmpIsException(vb.value.syntax); });
}

void SnmpPoller::armTimeout()
{
    if (m_outstanding.empty()) {
        m_timeout.stop();
        return;
    }
    const qint64 due = m_outstanding.front().sentMs + m_timeoutMs;
    m_timeout.start(int(std::max<qint64>(0, due - m_clock.elapsed())));
}

void SnmpPoller::fail(Failure failure, const QString &message)
{
    stop();
    emit failed(failure, message);
}

void SnmpPoller::onSessionEvent(SnmpNotifyCode code, const SnmpNotifyPayload &payload)
{
    // queued: it may arrive after polling stopped
    if (!m_running)
        return;
    switch (code) {
    case SNMPN_GET_SENT:
        m_outstanding.push_back({payload.requestId, m_clock.elapsed()});
        if (m_outstanding.size() == 1)
            armTimeout();
        emit requestSent(payload.requestId);
        break;
    case SNMPN_RECEIVED: {
        const SnmpPdu &pdu = payload.received.pdu;
        const auto found = std::find_if(m_outstanding.begin(), m_outstanding.end(),
                                           [&pdu](const Outstanding &o) { return o.requestId == pdu.requestId; });
        if (found == m_outstanding.end())
            return; // not ours, or already forgotten
        // an answer shows the agent alive: requests older than the one
        // answered will not be answered any more
        m_outstanding.erase(m_outstanding.begin(), found + 1);
        armTimeout();
        if (pdu.type == SNMP_PDU_REPORT) {
            fail(Failure::Report, SnmpWalker::reportText(pdu, m_target));
            return;
        }
        emit answered(pdu);
        break;
    }
    case SNMPN_SEND_ERROR:
        // a name that does not resolve is only found out by the first send
        if (payload.error == SNMPAPI_ENTITY_INVALID)
            fail(Failure::OpenFailed, SnmpWalker::sendErrorText(payload.error, m_target));
        else
            fail(Failure::SendError, SnmpErrorText(payload.error));
        break;
    case SNMPN_RECV_ERROR:
        fail(Failure::ReceiveError, SnmpErrorText(payload.error));
        break;
    default:
        break;
    }
}
