// The SNMPv3 users of the device profiles become the trap receiver's users,
// at start and on every change, and a trap from one of them is listed under
// its user; without a keyring no profile gives a user, and the Devices
// dialog says which, beside the receiver's engine ID.

#include "deviceprofilestore.h"
#include "devicesdialog.h"
#include "secretstore.h"
#include "snmplocalengine.h"
#include "snmpdpeer.h"
#include "testsupport.h"
#include "trapreceiver.h"
#include "trapusersource.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

DeviceProfile profile(const QString &name, int version, const QString &user, SnmpSecurityLevel level)
{
    DeviceProfile p;
    p.name = name;
    p.target.host = u"127.0.0.1"_s;
    p.target.version = version;
    p.readCommunity = u"public"_s;
    p.target.usm = {user, level, SnmpAuthProtocol::SHA1, u"auth-pass-%1"_s.arg(name), SnmpPrivProtocol::AES128,
                    u"priv-pass-%1"_s.arg(name), {}};
    return p;
}

QStringList userNames(const QList<SnmpTrapUser> &users)
{
    QStringList names;
    for (const SnmpTrapUser &u : users)
        names << u.usm.userName + u'/' + u.usm.authPassphrase + u'/' + (u.usm.level == SnmpSecurityLevel::AuthPriv ? u.usm.privPassphrase : u"-"_s);
    return names;
}

} // namespace

class TestTrapUsers : public QObject
{
    Q_OBJECT
private slots:
    void profilesBecomeUsers()
    {
        MemorySecretStore secrets;
        DeviceProfileStore store(&secrets);
        store.load();
        QVERIFY(!store.add(profile(u"edge"_s, SNMP_VERSION_V3, u"ops"_s, SnmpSecurityLevel::AuthPriv)));
        QVERIFY(!store.add(profile(u"core"_s, SNMP_VERSION_V2C, u"unused"_s, SnmpSecurityLevel::AuthPriv)));
        QVERIFY(!store.add(profile(u"fw"_s, SNMP_VERSION_V3, u"fw1"_s, SnmpSecurityLevel::AuthNoPriv)));
        CTrapReceiver receiver;
        QCOMPARE(receiver.Create(nullptr, nullptr, 0), int(CTrapReceiver::CreateOk));
        TrapUserSource *source = receiver.followDeviceProfiles(&store);
        QSignalSpy applied(source, &TrapUserSource::usersApplied);
        QVERIFY(applied.wait());
        QCOMPARE(userNames(receiver.trapUsers()), QStringList({u"ops/auth-pass-edge/priv-pass-edge"_s, u"fw1/auth-pass-fw/-"_s}));
        QVERIFY(store.remove(u"fw"_s));
        QVERIFY(applied.wait());
        QCOMPARE(userNames(receiver.trapUsers()), QStringList({u"ops/auth-pass-edge/priv-pass-edge"_s}));

        if (TestSupport::findProgram(u"snmptrap"_s).isEmpty())
            QSKIP("snmptrap is not installed (Debian package snmp)");
        const quint16 port = TestSupport::freeUdpPort();
        qputenv("ORVELLE_TRAP_ADDRESSES", "127.0.0.1");
        receiver.session()->setTrapPort(port);
        QCOMPARE(receiver.EnableService(true), 1);
        QSignalSpy records(&receiver, &CTrapReceiver::trapRecord);
        QTemporaryDir dir;
        const auto r = TestSupport::runSnmpTool(u"snmptrap"_s, {u"-v3"_s, u"-e"_s, u"80001f8804010203"_s, u"-u"_s, u"ops"_s,
            u"-l"_s, u"authPriv"_s, u"-a"_s, u"SHA"_s, u"-A"_s, u"auth-pass-edge"_s, u"-x"_s, u"AES"_s, u"-X"_s,
            u"priv-pass-edge"_s, u"127.0.0.1:%1"_s.arg(port), QString(), u"1.3.6.1.6.3.1.1.5.1"_s}, dir.path());
        QVERIFY2(r.exitCode == 0, qPrintable(r.output));
        QTRY_VERIFY_WITH_TIMEOUT(!records.isEmpty(), 15000); // the tool ran the event loop
        QCOMPARE(records.at(0).at(0).value<std::shared_ptr<tagTRAPRECORD>>()->strCommunity, u"ops"_s);
    }

    void noKeyringNoUsers()
    {
        MemorySecretStore secrets;
        {
            DeviceProfileStore writer(&secrets);
            writer.load();
            QVERIFY(writer.setProfiles({profile(u"edge"_s, SNMP_VERSION_V3, u"ops"_s, SnmpSecurityLevel::AuthPriv),
                                        profile(u"open"_s, SNMP_VERSION_V3, u"any"_s, SnmpSecurityLevel::NoAuthNoPriv)})
                    == std::nullopt);
        }
        secrets.simulateUnavailable(u"no session bus"_s);
        DeviceProfileStore store(&secrets);
        store.load();
        CTrapReceiver receiver;
        TrapUserSource *source = receiver.followDeviceProfiles(&store);
        QSignalSpy applied(source, &TrapUserSource::usersApplied);
        QVERIFY(applied.wait());
        QCOMPARE(userNames(receiver.trapUsers()), QStringList({u"any//-"_s})); // needs no passphrase
        QCOMPARE(source->profilesWithoutSecrets(), QStringList({u"edge"_s}));

        DevicesDialog dialog(&store);
        QVERIFY(dialog.trapUserHint()->isVisibleTo(&dialog));
        QVERIFY(dialog.trapUserHint()->text().contains(u"edge"_s));
        QVERIFY(!dialog.trapUserHint()->text().contains(u"open"_s));
        QVERIFY(dialog.engineIdField()->isReadOnly());
        QCOMPARE(dialog.engineIdField()->text(), SnmpLocalEngine::engineIdText(CTrapReceiver::engineId()));
        QCOMPARE(QByteArray::fromHex(dialog.engineIdField()->text().toLatin1()), CTrapReceiver::engineId());
        // passphrases typed at a prompt for the run make it a trap user
        store.rememberSecrets(profile(u"edge"_s, SNMP_VERSION_V3, u"ops"_s, SnmpSecurityLevel::AuthPriv));
        QVERIFY(applied.wait());
        QCOMPARE(userNames(receiver.trapUsers()), QStringList({u"ops/auth-pass-edge/priv-pass-edge"_s, u"any//-"_s}));
        QVERIFY(source->profilesWithoutSecrets().isEmpty());
    }
};

QTEST_MAIN(TestTrapUsers)
#include "tst_trapusers.moc"
