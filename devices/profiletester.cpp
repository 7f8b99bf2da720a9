#include "profiletester.h"

#include "snmperror.h"
#include "snmprender.h"

namespace {

using Texts = DeviceProfileTexts;

// As the walk list shows it: text in the device's encoding, hex where the
// bytes are not text in it.
QString valueText(const SnmpValue &value, const QByteArray &encoding)
{
    QString text;
    ValueToText(value, text, encoding);
    return text;
}

} // namespace

ProfileTester::ProfileTester(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ProfileTester::onTimeout);
}

void ProfileTester::start(const DeviceProfile &profile)
{
    cancel();
    m_profile = profile;
    m_triesLeft = 1 + profile.retries;
    m_session = new CSnmpSession(this);
    connect(m_session, &CSnmpSession::snmpNotify, this, &ProfileTester::onNotify);
    if (!m_session->Initialise() || !m_session->Open(profile.readTarget())) {
        const quint32 error = SnmpGetLastError(m_session);
        // after start() has returned, as every other outcome
        QTimer::singleShot(0, this, [this, error] { fail(SnmpErrorText(error)); });
        return;
    }
    send();
}

void ProfileTester::send()
{
    --m_triesLeft;
    // A refused send comes back as SNMPN_SEND_ERROR.
    m_session->SendGetList({kSysDescrOid, kSysObjectIdOid});
    m_requestIds.insert(m_session->requestId());
    m_timer.start(m_profile.timeoutSec * kMsPerSecond);
}

void ProfileTester::cancel()
{
    m_timer.stop();
    m_requestIds.clear();
    if (m_session) {
        m_session->Close();
        m_session->deleteLater(); // may be inside its own signal
        m_session = nullptr;
    }
}

void ProfileTester::finish(const ProfileTestResult &result)
{
    cancel();
    emit finished(result);
}

void ProfileTester::fail(const QString &error)
{
    ProfileTestResult result;
    result.error = error;
    finish(result);
}

void ProfileTester::onTimeout()
{
    if (m_triesLeft > 0)
        return send();
    const int seconds = m_profile.timeoutSec * (1 + m_profile.retries);
    fail(Texts::tr("SNMP request timeout: %1 did not answer within %n second(s).", nullptr, seconds)
             .arg(m_profile.target.host));
}

void ProfileTester::onNotify(SnmpNotifyCode code, const SnmpNotifyPayload &payload)
{
    if (sender() != m_session)
        return; // a notification of a session already given up
    switch (code) {
    case SNMPN_SEND_ERROR:
    case SNMPN_RECV_ERROR:
        return fail(SnmpErrorText(payload.error));
    case SNMPN_RECEIVED:
        break;
    default:
        return;
    }
    const SnmpPdu &pdu = payload.received.pdu;
    if (pdu.type != SNMP_PDU_RESPONSE || !m_requestIds.contains(pdu.requestId))
        return;
    if (pdu.errorStatus != 0)
        return fail(Texts::tr("The agent answered with an error: %1 (error index %2).")
                        .arg(ErrorStatusText(pdu.errorStatus))
                        .arg(pdu.errorIndex));
    ProfileTestResult result;
    result.ok = true;
    for (const SnmpVarBind &varbind : pdu.varbinds) {
        const QString oid = OidToText(varbind.oid);
        if (oid == kSysDescrOid)
            result.sysDescr = valueText(varbind.value, m_profile.textEncoding);
        else if (oid == kSysObjectIdOid)
            result.sysObjectId = valueText(varbind.value, m_profile.textEncoding);
    }
    finish(result);
}
