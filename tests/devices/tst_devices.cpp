// Device profiles: what reaches the settings file, the secret store and an
// export (never a secret), import beside existing profiles, the refusals,
// a settings file with broken entries, life without a secret store, and
// with widgets the profile dialog driven by keys and the Test against a
// real snmpd.

#include "deviceprofilestore.h"
#include "hostresolvecheck.h"
#include "keychainsecretstore.h"
#include "secretstore.h"
#include "snmpdpeer.h"
#include "testsupport.h"

#ifdef ORVELLE_DEVICES_WIDGETS
#include "devicesdialog.h"
#include "messagecatcher.h"
#include "profiledialog.h"

#include <QLabel>
#include <QPushButton>
#endif

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(DeviceProfileField)

namespace {

using State = DeviceProfileStore::SecretsState;

DeviceProfile v2cProfile()
{
    DeviceProfile p;
    p.name = QStringLiteral("core-router");
    p.target.host = QStringLiteral("127.0.0.1");
    p.target.port = 1161;
    p.target.version = SNMP_VERSION_V2C;
    p.readCommunity = QStringLiteral("rc-Secret-1a");
    p.writeCommunity = QStringLiteral("wc-Secret-2b");
    p.timeoutSec = 7;
    p.retries = 2;
    p.maxRepetitions = 40;
    p.textEncoding = "EUC-JP";
    return p;
}

DeviceProfile v3Profile()
{
    DeviceProfile p;
    p.name = QStringLiteral("edge");
    p.target.host = QStringLiteral("::1");
    p.target.version = SNMP_VERSION_V3;
    p.target.usm.userName = QStringLiteral("ops");
    p.target.usm.level = SnmpSecurityLevel::AuthPriv;
    p.target.usm.authProtocol = SnmpAuthProtocol::SHA1;
    p.target.usm.authPassphrase = QStringLiteral("auth-Pass-3c");
    p.target.usm.privProtocol = SnmpPrivProtocol::DES;
    p.target.usm.privPassphrase = QStringLiteral("priv-Pass-4d");
    p.target.usm.contextName = QStringLiteral("vrf-blue");
    return p;
}

// What withSecrets answers, waited for.
std::pair<DeviceProfile, State> secretsOf(DeviceProfileStore &store, const QString &name)
{
    std::optional<std::pair<DeviceProfile, State>> got;
    QObject context;
    store.withSecrets(name, &context, [&got](const DeviceProfile &p, State s) { got = {p, s}; });
    if (!QTest::qWaitFor([&got] { return got.has_value(); }, 10000))
        return {DeviceProfile(), State::NoSuchProfile};
    return *got;
}

void verifyNoSecretIn(const QByteArray &bytes, const QList<DeviceProfile> &profiles)
{
    for (const DeviceProfile &p : profiles)
        for (SecretKind kind : kAllSecretKinds)
            if (!secretOf(p, kind).isEmpty())
                QVERIFY2(!bytes.contains(secretOf(p, kind).toUtf8()), qPrintable(secretOf(p, kind)));
}

} // namespace

class TestDevices : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QFile::remove(DeviceProfileStore::settingsFileName());
        m_secrets = std::make_unique<MemorySecretStore>();
        m_store = std::make_unique<DeviceProfileStore>(m_secrets.get());
        m_store->load();
    }

    void roundTripKeepsSecretsOutOfFiles()
    {
        const QList<DeviceProfile> saved = {v2cProfile(), v3Profile()};
        for (const DeviceProfile &p : saved)
            QVERIFY(!m_store->add(p));

        DeviceProfileStore reread(m_secrets.get());
        reread.load();
        QVERIFY(reread.loadProblems().isEmpty());
        QCOMPARE(reread.names(), QStringList({saved[0].name, saved[1].name}));
        QCOMPARE(reread.profiles().at(1), withoutSecrets(saved[1])); // nothing read yet
        for (const DeviceProfile &p : saved)
            QCOMPARE(secretsOf(reread, p.name), std::pair(p, State::Complete));

        const QByteArray settings = TestSupport::readFile(DeviceProfileStore::settingsFileName());
        QVERIFY(settings.contains("vrf-blue"));
        verifyNoSecretIn(settings, saved);
        QTemporaryDir dir;
        const QString exported = dir.filePath(QStringLiteral("devices.json"));
        QString error;
        QVERIFY2(reread.exportFile(exported, &error), qPrintable(error));
        const QByteArray file = TestSupport::readFile(exported);
        QVERIFY(file.contains("core-router") && file.contains("vrf-blue"));
        verifyNoSecretIn(file, saved);

        // A rename moves the secrets; a removal takes them away.
        DeviceProfile renamed = saved[0];
        renamed.name = QStringLiteral("Core-Router");
        QVERIFY(!reread.update(saved[0].name, renamed));
        QVERIFY(reread.remove(saved[1].name));
        for (const QString &key : m_secrets->secrets().keys())
            QVERIFY2(key.startsWith(QLatin1String("Core-Router/")), qPrintable(key));
        QCOMPARE(m_secrets->secrets().size(), 2);
    }

    void importRenamesAndSkips()
    {
        QVERIFY(!m_store->add(v2cProfile()));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("in.json"));
        QVERIFY(TestSupport::writeFile(path, R"({"orvelleDeviceProfiles": 1, "profiles": [
            {"name": "core-router", "host": "10.0.0.1", "port": 161, "version": "1"},
            {"name": "far-away", "host": "10.0.0.2", "port": 70000, "version": "2c"},
            {"name": "fresh", "host": "10.0.0.3", "port": 162, "version": "3", "user": "u",
             "securityLevel": "noAuthNoPriv"}]})"));
        const DeviceProfileImportReport report = m_store->importFile(path);
        QVERIFY2(report.error.isEmpty(), qPrintable(report.error));
        QCOMPARE(report.imported, QStringList({QStringLiteral("core-router (2)"), QStringLiteral("fresh")}));
        QCOMPARE(report.messages.size(), 2);
        QVERIFY(report.messages.join(u' ').contains(QLatin1String("far-away")));
        QCOMPARE(m_store->profile(QStringLiteral("core-router (2)"))->target.host, QStringLiteral("10.0.0.1"));
        QCOMPARE(m_store->profile(QStringLiteral("fresh"))->target.port, quint16(162));
        // the existing profile and its secrets are as they were
        QCOMPARE(secretsOf(*m_store, QStringLiteral("core-router")).first, v2cProfile());

        QVERIFY(TestSupport::writeFile(path, "{\"profiles\": []}"));
        QVERIFY(m_store->importFile(path).error.contains(QLatin1String("in.json")));
    }

    // The passphrase rule: the profile dialog's test.
    void refusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("field"); // -1: accepted
        QTest::addColumn<QString>("named");
        using F = DeviceProfileField;
        using TestSupport::row;
        const QString local = QStringLiteral("127.0.0.1"), fresh = QStringLiteral("new");
        row("accepted", fresh, local, 161, -1, QString());
        row("no name", QString(), local, 161, int(F::Name), QStringLiteral("name"));
        row("duplicate", QStringLiteral("CORE-router"), local, 161, int(F::Name), QStringLiteral("CORE-router"));
        row("port 0", fresh, local, 0, int(F::Port), QStringLiteral("port"));
        row("port 65536", fresh, local, 65536, int(F::Port), QStringLiteral("port"));
        const QString unresolvable = QStringLiteral("no-such-host.invalid");
        row("unresolvable host", fresh, unresolvable, 161, int(F::Host), unresolvable);
    }

    void refusals()
    {
        QFETCH(QString, host);
        const QList<DeviceProfile> others = {v2cProfile()};
        QFETCH(QString, name);
        QFETCH(int, port);
        QVariantMap map = profileToMap(v3Profile());
        map[QStringLiteral("name")] = name;
        map[QStringLiteral("host")] = host;
        map[QStringLiteral("port")] = port;
        map[QStringLiteral("securityLevel")] = QStringLiteral("authNoPriv");

        // the road of a profile from a file, then from the dialog
        DeviceProfile profile;
        std::optional<ProfileProblem> problem = profileFromMap(map, others, &profile);
        if (!problem) {
            profile.target.usm.authPassphrase = QStringLiteral("eight888");
            problem = validateProfile(profile, others);
        }
        if (!problem) {
            bool done = false;
            HostResolveCheck::start(host, this, [&](const std::optional<ProfileProblem> &p) {
                problem = p;
                done = true;
            });
            QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
        }
        QFETCH(int, field);
        QFETCH(QString, named);
        QCOMPARE(problem ? int(problem->field) : -1, field);
        if (problem)
            QVERIFY2(problem->message.contains(named, Qt::CaseInsensitive), qPrintable(problem->message));
    }

    void brokenProfilesSkippedAndKept()
    {
        QVERIFY(TestSupport::writeFile(DeviceProfileStore::settingsFileName(),
                                       "[devices]\n"
                                       "1\\name=alpha\n1\\host=10.0.0.1\n1\\port=161\n1\\version=2c\n"
                                       "2\\name=beta\n2\\host=10.0.0.2\n2\\port=abc\n2\\version=2c\n"
                                       "3\\name=gamma\n3\\host=10.0.0.3\n3\\port=161\n"
                                       "4\\name=delta\n4\\host=10.0.0.4\n4\\port=161\n4\\version=1\n"
                                       "size=4\n"));
        for (int pass = 0; pass < 2; ++pass) {
            m_store->load();
            QCOMPARE(m_store->names(), QStringList({"alpha", "delta", "epsilon"}).mid(0, 2 + pass)); // epsilon: added below
            const QStringList problems = m_store->loadProblems();
            QCOMPARE(problems.size(), 2);
            QVERIFY2(problems[0].contains(QLatin1String("beta")) && problems[1].contains(QLatin1String("gamma")),
                     qPrintable(problems.join(u'\n')));
            // a save must not lose the entries it could not read
            DeviceProfile added = v2cProfile();
            added.name = QStringLiteral("epsilon");
            if (pass == 0)
                QVERIFY(!m_store->add(added));
        }
    }

    void withoutSecretStore()
    {
        // No session bus to reach: as on CI and headless hosts, and never
        // the keyring of whoever runs the tests.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/orvelle-test-bus");
        KeychainSecretStore keychain;
        DeviceProfileStore store(&keychain);
        store.load();
        QSignalSpy unavailable(&store, &DeviceProfileStore::secretStoreUnavailable);
        QVERIFY(!store.add(v2cProfile()));
        QVERIFY(unavailable.wait(10000));
        QVERIFY(!store.secretStoreAvailable());

        // A later run knows the profile but not its secrets: it asks.
        DeviceProfileStore later(&keychain);
        later.load();
        auto [asked, state] = secretsOf(later, v2cProfile().name);
        QCOMPARE(state, State::AskUser);
        QCOMPARE(asked, withoutSecrets(v2cProfile()));
        later.rememberSecrets(v2cProfile());
        QCOMPARE(secretsOf(later, v2cProfile().name), std::pair(v2cProfile(), State::Complete));
        verifyNoSecretIn(TestSupport::readFile(DeviceProfileStore::settingsFileName()), {v2cProfile()});
        QCOMPARE(unavailable.size(), 1);
    }

#ifdef ORVELLE_DEVICES_WIDGETS
    void profileDialogRefusesShortPassphrase()
    {
        ProfileDialog dialog(DeviceProfile(), {v2cProfile()});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const auto field = [&dialog](DeviceProfileField f) { return dialog.fieldWidget(f); };
        using F = DeviceProfileField;
        QTest::keyClicks(field(F::Name), QStringLiteral("edge"));
        QTest::keyClicks(field(F::Host), QStringLiteral("127.0.0.1"));
        QTest::keyClick(field(F::Version), Qt::Key_End); // 3
        QVERIFY(!field(F::ReadCommunity)->isVisible() && field(F::PrivPassphrase)->isVisible());
        QTest::keyClicks(field(F::UserName), QStringLiteral("ops"));
        QTest::keyClicks(field(F::AuthPassphrase), QStringLiteral("short"));
        QTest::keyClicks(field(F::PrivPassphrase), QStringLiteral("long-enough"));
        {
            TestSupport::MessageCatcher catcher;
            QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
            QCOMPARE(catcher.texts.size(), 1);
            QVERIFY2(catcher.texts[0].contains(QLatin1String("authentication passphrase")), qPrintable(catcher.texts[0]));
        }
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.focusWidget(), field(F::AuthPassphrase));

        // the refused text is selected: typing replaces it
        QTest::keyClicks(field(F::AuthPassphrase), QStringLiteral("long-enough-now"));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialog.result(), int(QDialog::Accepted), 10000);
        QCOMPARE(dialog.profile().target.usm.authPassphrase, QStringLiteral("long-enough-now"));
        QCOMPARE(dialog.profile().target.version, int(SNMP_VERSION_V3));
    }

    void testShowsAnswer_data()
    {
        QTest::addColumn<QString>("community");
        QTest::addColumn<bool>("answers");
        TestSupport::row("answer", QStringLiteral("public"), true);
        TestSupport::row("silent agent", QStringLiteral("not-this-one"), false);
    }

    void testShowsAnswer()
    {
        QFETCH(QString, community);
        QFETCH(bool, answers);
        QTemporaryDir dir;
        TestSupport::Snmpd agent;
        const QString failure = agent.start(dir.path(), TestSupport::freeUdpPort());
        if (!failure.isEmpty())
            QSKIP(qPrintable(failure));
        const QString sysDescr = TestSupport::snmpGetValue({"-v2c", "-cpublic"}, agent.address(), "1.3.6.1.2.1.1.1.0", dir.path());
        QVERIFY(!sysDescr.isEmpty());

        DeviceProfile profile = v2cProfile();
        profile.target.port = agent.port();
        profile.readCommunity = community;
        profile.timeoutSec = 1;
        profile.retries = 1;
        profile.textEncoding = "UTF-8";
        QVERIFY(!m_store->add(profile));
        DevicesDialog dialog(m_store.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.button(DevicesDialog::TestButton), Qt::LeftButton);
        const QString expected = answers ? sysDescr : QStringLiteral("timeout");
        QTRY_VERIFY2_WITH_TIMEOUT(dialog.testResult()->text().contains(expected),
                                  qPrintable(dialog.testResult()->text() + u'|' + expected), 15000);
        QCOMPARE(dialog.button(DevicesDialog::TestButton)->isEnabled(), true);
    }
#endif

private:
    std::unique_ptr<MemorySecretStore> m_secrets;
    std::unique_ptr<DeviceProfileStore> m_store;
};

#ifdef ORVELLE_DEVICES_WIDGETS
QTEST_MAIN(TestDevices)
#else
QTEST_GUILESS_MAIN(TestDevices)
#endif
#include "tst_devices.moc"
