#include "trapreceiver.h"

#include "appsettings.h"
#include "snmprender.h"
#include "snmpstack.h"
#include "trapusersource.h"
#include "xmlread.h"

#include <ctime>

namespace {

const SnmpOid &enterprisesPrefix()
{
    static const SnmpOid prefix{1, 3, 6, 1, 4, 1};
    return prefix;
}

// Tests and benchmarks receive on loopback only; operators get every
// address. A space-separated list of numeric addresses.
QStringList trapAddressesFromEnvironment()
{
    const QString text = qEnvironmentVariable("ORVELLE_TRAP_ADDRESSES").simplified();
    return text.isEmpty() ? QStringList() : text.split(u' ');
}

} // namespace

CTrapReceiver::CTrapReceiver(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<std::shared_ptr<tagTRAPRECORD>>();
}

CTrapReceiver::~CTrapReceiver()
{
    if (m_pSession) {
        EnableService(false);
        delete m_pSession;
        m_pSession = nullptr;
    }
    // Request sessions of the tool windows keep their own start-up count,
    // so this does not pull the stack from under them.
    if (m_bStackStarted)
        SnmpCleanup();
}

int CTrapReceiver::Create(QObject *owner, const CAppSettings *settings, int message)
{
    m_pOwner = owner;
    m_pSettings = settings;
    m_nMessage = message;
    if (!SnmpStartup())
        return CreateNoStack;
    m_bStackStarted = true;
    m_pSession = new CSnmpSession(this);
    m_pSession->setTrapUsers(m_trapUsers);
    connect(m_pSession, &CSnmpSession::snmpNotify, this, &CTrapReceiver::OnSessionEvent);
    if (!m_pSession->Initialise())
        return CreateNoSession;
    m_strLocalAddress = m_pSession->localAddress();
    return CreateOk;
}

int CTrapReceiver::EnableService(bool on)
{
    if (!m_pSession)
        return 0;
    if (!on) {
        if (!m_pSession->UnregisterTraps())
            emit failureMessage(m_pSession->trapFailureText());
        return 0;
    }
    if (m_pSession->isOpen())
        return 0;
    if (m_pSettings)
        m_pSession->setTrapPort(m_pSettings->config.nTrapPort);
    const QStringList addresses = trapAddressesFromEnvironment();
    if (!addresses.isEmpty())
        m_pSession->setTrapAddresses(addresses);
    if (m_pSession->RegisterTraps())
        return 1;
    emit failureMessage(m_pSession->trapFailureText());
    return 0;
}

bool CTrapReceiver::isReceiving() const
{
    return m_pSession && m_pSession->isReceivingTraps();
}

SnmpTrapStatistics CTrapReceiver::trapStatistics() const
{
    return m_pSession ? m_pSession->trapStatistics() : SnmpTrapStatistics();
}

void CTrapReceiver::setTrapUsers(const QList<SnmpTrapUser> &users)
{
    m_trapUsers = users;
    if (m_pSession)
        m_pSession->setTrapUsers(users);
}

QList<SnmpTrapUser> CTrapReceiver::trapUsers() const
{
    return m_trapUsers;
}

TrapUserSource *CTrapReceiver::followDeviceProfiles(DeviceProfileStore *store)
{
    delete m_userSource;
    m_userSource = store ? new TrapUserSource(store, this, this) : nullptr;
    return m_userSource;
}

QByteArray CTrapReceiver::engineId()
{
    return CSnmpSession::localEngineId();
}

int CTrapReceiver::OnSessionEvent(SnmpNotifyCode code, const SnmpNotifyPayload &payload)
{
    switch (code) {
    case SNMPN_RECV_ERROR:
        emit failureMessage(SnmpErrorText(payload.error));
        break;
    case SNMPN_RECEIVED:
        DecodeTrap(payload.received);
        break;
    default:
        break; // the trap session sends no requests
    }
    return 0;
}

void CTrapReceiver::SplitTrapOid(const SnmpOid &trapOid, QString *enterprise, qint32 *specific)
{
    const std::vector<quint32> &ids = trapOid.ids;
    enterprise->clear();
    *specific = 0;
    if (ids.empty())
        return;
    *specific = static_cast<qint32>(ids.back());
    size_t first = 0;
    size_t end = ids.size() - 1;
    if (ids.size() >= 7 && trapOid.startsWith(enterprisesPrefix())) {
        // enterprise.0.specific as an SNMPv1 enterprise trap arrives: the
        // enterprise number without the "0" before the specific number
        first = 6;
        end = ids.size() >= 8 ? ids.size() - 2 : 6;
    }
    QString text;
    for (size_t i = first; i < end; ++i) {
        if (i > first)
            text += u'.';
        text += QString::number(ids[i]);
    }
    *enterprise = text;
}

void CTrapReceiver::DecodeTrap(const tagSNMPRECEIVED &received)
{
    const SnmpPdu &pdu = received.pdu;
    // An inform's error fields mean nothing to a receiver, and it has been
    // acknowledged: it is listed. A trap with an error status is dropped.
    if ((pdu.errorStatus != 0 && !pdu.inform) || pdu.type != SNMP_PDU_TRAP)
        return;

    auto record = std::make_shared<tagTRAPRECORD>();
    record->tmReceived = std::time(nullptr);
    record->strAgent = received.strAgent;
    // SNMPv3 has no community; its user stands in that column
    record->strCommunity = received.strSecurityName.isEmpty() ? received.strCommunity : received.strSecurityName;
    record->nVarbindCount = static_cast<qint32>(pdu.varbinds.size());
    record->nSpecific = 0;

    const QString language = m_pSettings ? m_pSettings->strLanguage : QStringLiteral("en");
    const MibDocument *document = m_pReader ? m_pReader->getMIBTable() : nullptr;
    static const SnmpOid trapOidName = SnmpOids::snmpTrapOid0();

    for (const SnmpVarBind &vb : pdu.varbinds) {
        tagVARBINDTEXT text = TranslateVarBind(document, vb, language);
        if (vb.oid == trapOidName) {
            // the trap OID as it came, not its name: the database looks it up
            record->strDescription = text.strPlainValue;
            if (vb.value.syntax == SNMP_SYNTAX_OID)
                SplitTrapOid(vb.value.oid, &record->strEnterprise, &record->nSpecific);
        }
        tagTRAPVARBIND var;
        var.nSyntax = vb.value.syntax;
        var.strOid = std::move(text.strOid);
        var.strName = std::move(text.strName);
        var.strValue = std::move(text.strValue);
        var.strRawValue = std::move(text.strRawValue);
        record->lstVarbinds.push_back(std::move(var));
    }

    if (m_pReader) {
        const QString key = record->strEnterprise + u'\n' + QString::number(record->nSpecific) + u'\n'
            + record->strDescription + u'\n' + language;
        const auto cached = m_descriptions.constFind(key);
        if (cached != m_descriptions.cend()) {
            record->strDescription = cached->text;
            record->nSeverity = cached->severity;
        } else {
            m_pReader->GetTrapDesciption(record->strEnterprise, record->nSpecific, record->strDescription,
                                         &record->nSeverity, language);
            if (m_descriptions.size() >= kMaxCachedDescriptions)
                m_descriptions.clear();
            m_descriptions.insert(key, {record->strDescription, record->nSeverity});
        }
    }

    emit trapRecord(std::move(record));
}
