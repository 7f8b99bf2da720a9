#pragma once

// ProfileTester: the Test of a device profile. One GET of sysDescr.0 and
// sysObjectID.0 through the profile's read target, with its timeout and
// retries; the answer or the failure, named, comes back as finished().
// QtCore only: the Devices dialog drives it and shows what it says.
//
//     auto *tester = new ProfileTester(this);
//     connect(tester, &ProfileTester::finished, this, &Dialog::showTestResult);
//     tester->start(profileWithSecrets);

#include "deviceprofile.h"
#include "snmpsession.h"

#include <QObject>
#include <QSet>
#include <QTimer>

struct ProfileTestResult
{
    bool ok = false;
    QString sysDescr;    // decoded in the profile's text encoding
    QString sysObjectId; // dotted
    QString error;       // translated, when !ok
};

class ProfileTester : public QObject
{
    Q_OBJECT
public:
    static inline const QString kSysDescrOid = QStringLiteral("1.3.6.1.2.1.1.1.0");
    static inline const QString kSysObjectIdOid = QStringLiteral("1.3.6.1.2.1.1.2.0");
    static constexpr int kMsPerSecond = 1000;

    explicit ProfileTester(QObject *parent = nullptr);

    // Starts a test (ending one still running, without a result). The
    // result always comes from the event loop, after start() has returned.
    void start(const DeviceProfile &profile);
    void cancel();
    bool isRunning() const { return m_session != nullptr; }

signals:
    void finished(const ProfileTestResult &result);

private:
    void onNotify(SnmpNotifyCode code, const SnmpNotifyPayload &payload);
    void onTimeout();
    void send();
    void finish(const ProfileTestResult &result);
    void fail(const QString &error);

    CSnmpSession *m_session = nullptr;
    DeviceProfile m_profile;
    QSet<qint32> m_requestIds; // of every send: an answer to an earlier try still counts
    int m_triesLeft = 0;
    QTimer m_timer;
};
