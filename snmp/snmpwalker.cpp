#include "snmpwalker.h"

#include "snmprender.h"
#include "snmpstack.h"

namespace {

constexpr qint32 kTooBig = 1;

// usmStats (RFC 3414): the counter an agent names in its Report says what
// it refused.
const SnmpOid kUsmStats{1, 3, 6, 1, 6, 3, 15, 1, 1};
enum UsmStat : quint32 {
    UnsupportedSecLevels = 1,
    NotInTimeWindows = 2,
    UnknownUserNames = 3,
    UnknownEngineIds = 4,
    WrongDigests = 5,
    DecryptionErrors = 6,
};

// The OID as the stack parses it: the walk dialog's default "1.3.6.1." ends
// in a dot that names no component.
QString requestText(const QString &text)
{
    const QString trimmed = text.trimmed();
    return trimmed.endsWith(u'.') ? trimmed.chopped(1) : trimmed;
}

} // namespace

SnmpWalker::SnmpWalker(QObject *parent) : QObject(parent)
{
    m_nextTimer.setSingleShot(true);
    m_timeoutTimer.setSingleShot(true);
    connect(&m_nextTimer, &QTimer::timeout, this, &SnmpWalker::sendNext);
    connect(&m_timeoutTimer, &QTimer::timeout, this, &SnmpWalker::onResponseTimeout);
    m_session = new CSnmpSession(this);
    m_session->Initialise();
    connect(m_session, &CSnmpSession::snmpNotify, this, &SnmpWalker::onSessionEvent);
}

SnmpWalker::~SnmpWalker()
{
    m_session->Close();
}

bool SnmpWalker::walk(const SnmpTarget &target, const QString &oidText, const Options &options)
{
    return begin(target, oidText, options, true);
}

bool SnmpWalker::get(const SnmpTarget &target, const QString &oidText, const Options &options)
{
    return begin(target, oidText, options, false);
}

bool SnmpWalker::begin(const SnmpTarget &target, const QString &oidText, const Options &options, bool walking)
{
    if (m_running)
        stop();
    m_target = target;
    m_options = options;
    m_walking = walking;
    m_paused = false;
    m_awaiting = false;
    m_variableCount = 0;
    m_bulk = walking && target.version != SNMP_VERSION_V1;
    m_maxRepetitions = qMax(1, options.maxRepetitions);
    m_retriesLeft = options.retries;
    m_currentText = oidText.trimmed();
    m_running = true;
    m_session->Close();
    if (!m_session->Open(target)) {
        end(End::SendError, SnmpErrorText(SnmpGetLastError(m_session)));
        return false;
    }
    SnmpOid root;
    if (!SnmpStrToOid(requestText(oidText), root)) {
        // the session says so with its usual send error
        m_session->SendRequest(requestText(oidText), SNMP_PDU_GET);
        return false;
    }
    m_root = root;
    m_current = root;
    sendNext();
    return true;
}

void SnmpWalker::sendNext()
{
    if (!m_running || m_paused || m_awaiting)
        return;
    int sent = 0;
    if (!m_walking) {
        sent = m_session->SendOidRequest(m_current, SNMP_PDU_GET);
    } else if (m_bulk) {
        m_askedRepetitions = m_maxRepetitions;
        sent = m_session->SendBulkRequest(m_current, m_askedRepetitions);
    } else {
        sent = m_session->SendOidRequest(m_current, SNMP_PDU_GETNEXT);
    }
    m_awaiting = sent == 1;
}

void SnmpWalker::pause()
{
    if (m_running && m_walking)
        m_paused = true;
}

void SnmpWalker::resume()
{
    if (!m_paused)
        return;
    m_paused = false;
    // With the answer to the last request still to come, that answer
    // schedules the next request; a second one now would walk twice.
    if (m_running && !m_awaiting)
        m_nextTimer.start(m_bulk ? 0 : m_options.nextRequestDelayMs);
}

void SnmpWalker::stop()
{
    if (m_running)
        end(End::Stopped);
}

void SnmpWalker::end(End reason, const QString &message)
{
    m_nextTimer.stop();
    m_timeoutTimer.stop();
    m_session->Close();
    m_running = false;
    m_awaiting = false;
    m_paused = false;
    emit finished(reason, message);
}

void SnmpWalker::onSessionEvent(SnmpNotifyCode code, const SnmpNotifyPayload &payload)
{
    // Notifications are queued: one may come after the run it belongs to.
    if (!m_running)
        return;
    switch (code) {
    case SNMPN_GET_SENT:
    case SNMPN_GETNEXT_SENT:
        if (payload.requestId != m_session->requestId())
            return;
        emit requestSent(code, payload.oid);
        m_timeoutTimer.start(m_options.timeoutMs);
        break;
    case SNMPN_RECEIVED:
        if (payload.received.pdu.requestId != m_session->requestId())
            return; // the answer to an earlier request
        m_timeoutTimer.stop();
        m_awaiting = false;
        m_retriesLeft = m_options.retries;
        onResponse(payload.received.pdu);
        break;
    case SNMPN_SEND_ERROR:
        end(End::SendError, sendErrorText(payload.error, m_target));
        break;
    case SNMPN_RECV_ERROR:
        end(End::ReceiveError, SnmpErrorText(payload.error));
        break;
    default:
        break;
    }
}

QString SnmpWalker::sendErrorText(quint32 error, const SnmpTarget &target)
{
    if (error == SNMPAPI_ENTITY_INVALID && !target.host.trimmed().isEmpty())
        return tr("Host not found: %1").arg(target.host.trimmed());
    return SnmpErrorText(error);
}

QString SnmpWalker::errorStatusText(const SnmpPdu &pdu) const
{
    return tr("\nReceived an error SNMP data from remote agent: %1 (%2)\r\noid '%3'")
        .arg(ErrorStatusText(pdu.errorStatus), QString::number(pdu.errorStatus), m_currentText);
}

void SnmpWalker::onResponse(const SnmpPdu &pdu)
{
    if (pdu.type == SNMP_PDU_REPORT) {
        end(End::SecurityReport, reportText(pdu, m_target));
        return;
    }
    if (m_bulk && pdu.errorStatus == kTooBig && m_askedRepetitions > 1) {
        m_maxRepetitions = qMax(1, m_askedRepetitions / 2);
        sendNext();
        return;
    }
    if (pdu.errorStatus != 0) {
        end(End::ErrorStatus, errorStatusText(pdu));
        return;
    }
    if (!m_walking) {
        if (pdu.varbinds.empty())
            emit emptyAnswer();
        else
            emit variablesReceived(pdu.varbinds);
        m_variableCount += pdu.varbinds.size();
        if (m_running)
            end(End::Completed);
        return;
    }
    if (!(m_bulk ? takeBulk(pdu) : takeNext(pdu)))
        return;
    if (m_paused)
        return;
    // A bulk walk asks on at once (takeBulk may have asked already; a
    // request in flight makes this one a no-op): a trip through the event
    // loop per request is what would cost.
    if (m_bulk)
        sendNext();
    else
        m_nextTimer.start(m_options.nextRequestDelayMs);
}

bool SnmpWalker::takeNext(const SnmpPdu &pdu)
{
    if (pdu.varbinds.empty()) {
        emit emptyAnswer();
        end(End::Completed);
        return false;
    }
    SnmpVarList listed;
    bool inside = true;
    for (const SnmpVarBind &variable : pdu.varbinds) {
        if (!variable.oid.startsWith(m_root)) {
            inside = false;
            break;
        }
        if (variable.oid <= m_current) {
            if (!listed.empty())
                emit variablesReceived(listed);
            end(End::NotIncreasing,
                tr("The agent answered GET NEXT for %1 with %2, which does not follow it: the walk stops here.")
                    .arg(OidToText(m_current), OidToText(variable.oid)));
            return false;
        }
        if (variable.value.syntax == SNMP_SYNTAX_ENDOFMIBVIEW) {
            inside = false;
            break;
        }
        m_current = variable.oid;
        m_currentText = OidToText(variable.oid);
        listed.push_back(variable);
    }
    m_variableCount += listed.size();
    if (!listed.empty())
        emit variablesReceived(listed);
    if (!m_running)
        return false;
    if (!inside) {
        end(End::Completed);
        return false;
    }
    return true;
}

bool SnmpWalker::takeBulk(const SnmpPdu &pdu)
{
    const auto count = static_cast<int>(pdu.varbinds.size());
    if (count == 0) {
        end(End::BadResponse, tr("The agent answered GETBULK for %1 with no variables: the walk stops here.")
                                  .arg(OidToText(m_current)));
        return false;
    }
    SnmpVarList listed;
    listed.reserve(static_cast<size_t>(qMin(count, m_askedRepetitions)));
    End reason = End::Completed;
    QString message;
    bool more = true;
    for (int i = 0; i < count; ++i) {
        const SnmpVarBind &variable = pdu.varbinds[static_cast<size_t>(i)];
        if (i >= m_askedRepetitions) {
            reason = End::BadResponse;
            message = tr("The agent answered GETBULK with %1 variables where at most %2 were asked for: "
                         "the walk stops after the first %2.")
                          .arg(count)
                          .arg(m_askedRepetitions);
            more = false;
            break;
        }
        if (variable.value.syntax == SNMP_SYNTAX_ENDOFMIBVIEW) {
            reason = End::EndOfMibView;
            more = false;
            break;
        }
        if (!variable.oid.startsWith(m_root)) {
            more = false;
            break;
        }
        if (variable.oid <= m_current) {
            reason = End::NotIncreasing;
            message = tr("The agent answered GETBULK for %1 with %2, which does not follow it: the walk stops here.")
                          .arg(OidToText(m_current), OidToText(variable.oid));
            more = false;
            break;
        }
        if (SnmpIsException(variable.value.syntax)) {
            reason = End::BadResponse;
            message = tr("The agent answered GETBULK with %1 for %2: the walk stops here.")
                          .arg(ValueToText(variable.value), OidToText(variable.oid));
            more = false;
            break;
        }
        m_current = variable.oid;
        listed.push_back(variable);
    }
    // The next request goes out before the rows are listed: the agent
    // works on it while the listeners do theirs, rather than after them.
    if (more && m_running && !m_paused)
        sendNext();
    if (!listed.empty()) {
        m_currentText = OidToText(m_current);
        m_variableCount += listed.size();
        emit variablesReceived(listed);
    }
    if (!m_running)
        return false;
    if (!more) {
        end(reason, message);
        return false;
    }
    return true;
}

void SnmpWalker::onResponseTimeout()
{
    if (!m_running)
        return;
    m_awaiting = false;
    if (m_retriesLeft > 0) {
        --m_retriesLeft;
        sendNext();
        return;
    }
    if (m_bulk && m_askedRepetitions > 1) {
        // a large answer may be what got lost (or what the agent could not
        // build in time): ask for less
        m_maxRepetitions = qMax(1, m_askedRepetitions / 2);
        m_retriesLeft = m_options.retries;
        sendNext();
        return;
    }
    QString text = tr("SNMP request timeout! oid '%1'").arg(m_currentText);
    if (m_target.version == SNMP_VERSION_V3 && m_target.usm.level == SnmpSecurityLevel::AuthPriv)
        text += u'\n'
            + tr("An agent that cannot decrypt a request stays silent: check the privacy passphrase and protocol "
                 "(%1) of user \"%2\" too.")
                  .arg(snmpPrivProtocolName(m_target.usm.privProtocol), m_target.usm.userName);
    end(End::Timeout, text);
}

QString SnmpWalker::reportText(const SnmpPdu &report, const SnmpTarget &target)
{
    const QString host = target.host;
    const QString user = target.usm.userName;
    quint32 stat = 0;
    QString counter;
    if (!report.varbinds.empty()) {
        const SnmpOid &oid = report.varbinds.front().oid;
        counter = OidToText(oid);
        if (oid.startsWith(kUsmStats) && oid.size() > kUsmStats.size())
            stat = oid.ids[kUsmStats.size()];
    }
    switch (stat) {
    case UnknownUserNames:
        return tr("The agent %1 does not know the user \"%2\". Check the user name in the device profile and the "
                  "agent's SNMPv3 users.")
            .arg(host, user);
    case WrongDigests:
        return tr("The agent %1 refused the authentication of user \"%2\". Check the authentication passphrase "
                  "and protocol (%3).")
            .arg(host, user, snmpAuthProtocolName(target.usm.authProtocol));
    case DecryptionErrors:
        return tr("The agent %1 could not decrypt the request of user \"%2\". Check the privacy passphrase and "
                  "protocol (%3).")
            .arg(host, user, snmpPrivProtocolName(target.usm.privProtocol));
    case UnsupportedSecLevels:
        return tr("The agent %1 does not accept user \"%2\" at the security level %3. Check the level in the "
                  "device profile against the agent's configuration.")
            .arg(host, user, snmpSecurityLevelName(target.usm.level));
    case NotInTimeWindows:
        return tr("The agent %1 found the request of user \"%2\" outside its time window. Try again; if it "
                  "persists, check the agent's clock and engine boots.")
            .arg(host, user);
    case UnknownEngineIds:
        CSnmpSession::forgetEngineIds();
        return tr("The agent %1 did not recognise the engine ID the request of user \"%2\" carried (the agent may "
                  "have been replaced or reset). Try again to discover it anew.")
            .arg(host, user);
    default:
        return tr("The agent %1 refused the request of user \"%2\" with a report (%3).")
            .arg(host, user, counter.isEmpty() ? tr("no variables") : counter);
    }
}
