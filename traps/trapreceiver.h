#pragma once

// CTrapReceiver: the program's trap receive service.
//
// The main view creates it at start, before the MIB database is loaded, and
// owns it for the whole run. It owns the one CSnmpSession that is registered
// for traps, turns every received trap into a tagTRAPRECORD (time, agent,
// community, enterprise and specific number, variables rendered and named
// by the MIB database, description and severity) and hands each record to
// the view by the queued signal trapRecord(). The view starts and stops
// reception with EnableService.
//
// It knows no widgets: failures it has to tell the user about (the trap port
// cannot be opened, a receive error) come out of failureMessage(), which
// the view shows in a message box.

#include "traprecord.h"

#include "snmpsession.h"

#include <QHash>
#include <QObject>

#include <memory>

class CAppSettings;
class CXMLRead;
class DeviceProfileStore;
class TrapUserSource;

class CTrapReceiver : public QObject
{
    Q_OBJECT

public:
    // Results of Create.
    enum CreateResult { CreateOk = 0, CreateNoSockets = 1, CreateNoSession = 2, CreateNoStack = 3 };

    explicit CTrapReceiver(QObject *parent = nullptr);
    ~CTrapReceiver() override;

    // Starts the SNMP stack for the whole program and initialises the trap
    // session (not receiving yet). `message` is kept for the owner's sake
    // only: records always travel by trapRecord().
    int Create(QObject *owner, const CAppSettings *settings, int message);

    // The MIB database; set after it has loaded, before the service starts.
    void setReader(const CXMLRead *reader)
    {
        m_pReader = reader;
        m_descriptions.clear();
    }

    // on: registers for traps on the configured port and gives 1 when
    // receiving, 0 when not (already receiving: nothing shown; failure:
    // failureMessage() has said why). off: stops and gives 0.
    int EnableService(bool on);
    bool isReceiving() const;

    // Handler of the trap session's notifications; gives 0.
    int OnSessionEvent(SnmpNotifyCode code, const SnmpNotifyPayload &payload);
    // Decodes one received message into a record and hands it on.
    void DecodeTrap(const tagSNMPRECEIVED &received);

    // Splits a trap OID as the list and the filter show it: for
    // 1.3.6.1.4.1.E...S the enterprise is the part after 1.3.6.1.4.1 without
    // the last two sub-identifiers (empty for 7 or 8 of them), otherwise all
    // but the last; the specific number is the last sub-identifier.
    static void SplitTrapOid(const SnmpOid &trapOid, QString *enterprise, qint32 *specific);

    SnmpTrapStatistics trapStatistics() const;
    CSnmpSession *session() const { return m_pSession; }

    // SNMPv3: the USM users whose traps and informs are listed (kept while
    // the service is off). A v3 record shows its user in the community
    // column, as it has no community.
    void setTrapUsers(const QList<SnmpTrapUser> &users);
    QList<SnmpTrapUser> trapUsers() const;
    // Takes the users of the SNMPv3 device profiles of `store`, now and
    // whenever they change (a TrapUserSource owned by the receiver).
    TrapUserSource *followDeviceProfiles(DeviceProfileStore *store);
    // The engine ID agents send informs to (CSnmpSession::localEngineId()).
    static QByteArray engineId();

signals:
    void trapRecord(std::shared_ptr<tagTRAPRECORD> record);
    void failureMessage(const QString &text);

private:
    QObject *m_pOwner = nullptr;
    int m_nMessage = 0;
    const CAppSettings *m_pSettings = nullptr;
    const CXMLRead *m_pReader = nullptr;
    QString m_strLocalAddress;
    CSnmpSession *m_pSession = nullptr;
    bool m_bStackStarted = false;
    QList<SnmpTrapUser> m_trapUsers; // also before Create()
    TrapUserSource *m_userSource = nullptr;

    // A storm repeats a few kinds of trap: their descriptions are looked up
    // once. The database does not change while the program runs.
    struct Description
    {
        QString text;
        quint32 severity = 0;
    };
    static constexpr qsizetype kMaxCachedDescriptions = 4096;
    QHash<QString, Description> m_descriptions;
};

Q_DECLARE_METATYPE(std::shared_ptr<tagTRAPRECORD>)
