// The MIB walk dialog against a private snmpd on loopback (compared with
// net-snmp's own snmpwalk), and against a tiny agent of the test's own for
// what snmpd never does: stay silent, or answer GET NEXT
// without moving on. The log file is read byte for byte from the suite's own
// current directory.

#include "appsettings.h"
#include "deviceprofilestore.h"
#include "mibwalkdlg.h"
#include "monitorsettingsdlg.h"
#include "oidcombobox.h"
#include "reportlistctrl.h"
#include "secretstore.h"
#include "v3credentials.h"
#include "snmprender.h"
#include "snmpstack.h"
#include "messagecatcher.h"
#include "testsupport.h"
#include "userinput.h"
#include "walklog.h"
#include "xmlread.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWalkTimeoutMs = 30000;
constexpr int kQuietMs = 400;              // how long "nothing more happens" is watched
// sysUpTime moves on between snmpwalk and the dialog's own walk
constexpr qint64 kUpTimeSlackHundredths = 60 * 100;
const QString kSystem = QStringLiteral("1.3.6.1.2.1.1");
const QString kThreeObjects = QStringLiteral("1.3.6.1.4.1.2021.10.1.2"); // laNames: Load-1, -5, -15
const QString kNoSuchName = QStringLiteral("\nReceived an error SNMP data from remote agent: no such name (2)\noid '%1'");
const SnmpOid kRepeated{1, 3, 6, 1, 2, 1, 1, 5, 0};
const QByteArray kFolderInTheWay("<a folder where the log file goes>");

using TestSupport::MessageCatcher;
using TestSupport::typeInto;

// An agent of the test's own on loopback: silent, or answering every GET
// NEXT with the same OID.
class FakeAgent : public QObject
{
public:
    enum Mode { Silent, RepeatOid };
    explicit FakeAgent(Mode mode) : m_mode(mode)
    {
        m_socket.bind(QHostAddress::LocalHost, TestSupport::freeUdpPort());
        connect(&m_socket, &QUdpSocket::readyRead, this, &FakeAgent::onReadyRead);
    }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_socket.localPort()); }
    QUdpSocket &socket() { return m_socket; }
    int requests = 0;

private:
    void onReadyRead()
    {
        while (m_socket.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = m_socket.receiveDatagram();
            ++requests;
            const std::optional<SnmpMessage> request = SnmpDecodeMessage(datagram.data());
            if (m_mode == Silent || !request || request->pdu.varbinds.empty())
                continue;
            SnmpMessage reply = *request;
            reply.pdu.type = SNMP_PDU_RESPONSE;
            reply.pdu.varbinds = {{kRepeated, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "same")}};
            m_socket.writeDatagram(SnmpEncodeMessage(reply), datagram.senderAddress(), datagram.senderPort());
        }
    }
    Mode m_mode;
    QUdpSocket m_socket;
};

struct WalkedObject
{
    QString oid;
    QString value;
};

// TimeTicks as the dialog writes them, back in hundredths; -1 if not that form.
qint64 ticksOf(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d+) days? (\\d\\d)h:(\\d\\d)m:(\\d\\d)s\\.(\\d\\d)th$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return -1;
    auto n = [&m](int i) { return m.captured(i).toLongLong(); };
    return (((n(1) * 24 + n(2)) * 60 + n(3)) * 60 + n(4)) * 100 + n(5);
}

// Whether the dialog's value text says what snmpwalk -Oq -Ot printed.
bool sameValue(const QString &syntax, const QString &ours, const QString &theirs)
{
    if (syntax == QLatin1String("(timeticks)")) {
        const qint64 t = ticksOf(ours);
        return t >= theirs.toLongLong() && t - theirs.toLongLong() <= kUpTimeSlackHundredths;
    }
    // an enumerated INTEGER is shown as "label(n)", an OID as "name (oid)"
    return ours == theirs || ours.endsWith(QStringLiteral("(%1)").arg(theirs));
}

} // namespace

#define REQUIRE_SNMPD()                                                                                                \
    do {                                                                                                               \
        if (!m_snmpdFailure.isEmpty())                                                                                 \
            QSKIP(qPrintable(m_snmpdFailure));                                                                         \
    } while (false)
// Waits, bounded, until the dialog is idle again.
#define WAIT_IDLE(timeoutMs) QTRY_VERIFY_WITH_TIMEOUT(!m_dlg->isBusy() && !m_dlg->isWalking(), timeoutMs)

class TestMibWalkDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // the log file is written to the current directory
        m_previousDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        QVERIFY2(m_reader.loadMIBTable(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml")),
                 qPrintable(m_reader.errorString()));
        m_settings.strLanguage = QStringLiteral("en");
        m_snmpdFailure = m_snmpd.start(m_dir.path(), TestSupport::freeUdpPort());
        QVERIFY2(m_snmpdFailure.isEmpty() || m_snmpdFailure.contains(QLatin1String("not installed")), qPrintable(m_snmpdFailure));
    }

    void cleanupTestCase()
    {
        m_snmpd.stop();
        QDir::setCurrent(m_previousDir);
    }

    void init()
    {
        m_devices = {{QStringLiteral("zeta.example"), QString()}};
        m_dlg = std::make_unique<CMibWalkDlg>();
        m_dlg->m_pReader = &m_reader;
        m_dlg->m_pSettings = &m_settings;
        m_dlg->m_pDevices = &m_devices;
        m_dlg->setDeviceProfiles(&m_profiles);
        QVERIFY(m_dlg->Create());
        QVERIFY(m_dlg->isHidden());
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
        m_dlg->communityEdit()->setText(QStringLiteral("public"));
        m_messages = std::make_unique<MessageCatcher>();
    }

    void cleanup()
    {
        m_messages.reset();
        m_dlg.reset();
        QFile::remove(CWalkLog::fileName());
        QDir().rmdir(CWalkLog::fileName());
    }

    // The rows as snmpwalk lists them, then what the list offers: a double
    // click copies a row's OID into the OID field, the context menu offers
    // monitoring of the selected rows, Escape only hides, Close also empties.
    void walkMatchesSnmpwalk_data()
    {
        QTest::addColumn<int>("logCount");
        QTest::addColumn<QString>("oid"); // as typed
        QTest::newRow("the newest rows kept") << CMibWalkDlg::kMinLogCount << kSystem;
        QTest::newRow("every row kept, OID typed with a leading space") << CMibWalkDlg::kDefaultLogCount << u' ' + kSystem;
    }

    void walkMatchesSnmpwalk()
    {
        REQUIRE_SNMPD();
        QFETCH(int, logCount);
        QFETCH(QString, oid);
        const std::vector<WalkedObject> expected = snmpwalk(kSystem);
        QVERIFY(int(expected.size()) > CMibWalkDlg::kMinLogCount && int(expected.size()) < CMibWalkDlg::kDefaultLogCount);
        m_dlg->logCountSpin()->setValue(logCount);
        start(m_dlg->getNextButton(), agent(), oid);
        QVERIFY(!m_dlg->getButton()->isEnabled() && !m_dlg->closeButton()->isEnabled());
        WAIT_IDLE(kWalkTimeoutMs);
        QCOMPARE(m_messages->texts, QStringList());
        QVERIFY(!m_dlg->session()->isOpen());
        QVERIFY(m_dlg->getButton()->isEnabled() && m_dlg->closeButton()->isEnabled());

        CReportListCtrl *list = m_dlg->resultList();
        const int kept = std::min(logCount, int(expected.size()));
        const int firstKept = int(expected.size()) - kept;
        QCOMPARE(list->GetItemCount(), kept);
        for (int row = 0; row < kept; ++row) {
            const WalkedObject &object = expected[firstKept + row];
            const QString syntax = list->GetItemText(row, CMibWalkDlg::ColSyntax);
            const QString value = list->GetItemText(row, CMibWalkDlg::ColValue);
            QCOMPARE(list->GetItemText(row, CMibWalkDlg::ColOid), object.oid);
            QVERIFY2(sameValue(syntax, value, object.value),
                     qPrintable(QStringLiteral("%1: %2 %3 / %4").arg(object.oid, syntax, value, object.value)));
            // shaded by the rows added since the start, not by the position
            QCOMPARE(bool(list->GetRowStyle(row) & CReportListCtrl::RowBackground), (firstKept + row) % 2 == 1);
        }

        const QRect fourth = list->visualRect(list->model()->index(4, CMibWalkDlg::ColValue));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, fourth.center());
        QCOMPARE(m_dlg->oidField()->currentText(), expected[firstKept + 4].oid);
        list->clearSelection();
        for (int row : {2, 3})
            list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        // ... in the settings dialog, which gets the dialog's agent and timeout
        MonitorSettings offered;
        m_messages = std::make_unique<MessageCatcher>([&](QDialog *dialog) {
            if (auto *settings = qobject_cast<CMonitorSettingsDlg *>(dialog)) {
                offered = settings->m_settings;
                offered.oidList = settings->oidText()->toPlainText();
            }
        });
        TestSupport::chooseFromContextMenu(list->viewport(), 0, list->visualRect(list->model()->index(3, 0)).center());
        QTRY_COMPARE(offered.oidList, expected[firstKept + 2].oid + u'\n' + expected[firstKept + 3].oid);
        QCOMPARE(offered.device, agent());
        QCOMPARE(offered.community, QStringLiteral("public"));
        QCOMPARE(offered.timeout, quint32(m_dlg->timeoutSpin()->value()));
        QVERIFY(m_dlg->monitors().empty()); // cancelled
        QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
        QVERIFY(m_dlg->isHidden());
        QCOMPARE(list->GetItemCount(), kept);
        m_dlg->show();
        QTest::mouseClick(m_dlg->closeButton(), Qt::LeftButton);
        QVERIFY(m_dlg->isHidden());
        QCOMPARE(list->GetItemCount(), 0);
    }

    void pauseAndResume_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("pause, then resume") << "resume";
        QTest::newRow("stop while paused, fields emptied") << "stop";
        QTest::newRow("resume before the answer, no second request") << "early";
    }

    void pauseAndResume()
    {
        REQUIRE_SNMPD();
        QFETCH(QString, how);
        QStringList oids;
        for (const WalkedObject &object : snmpwalk(kSystem))
            oids << object.oid;
        QVERIFY(!oids.isEmpty());
        QWidget *viewport = m_dlg->resultList()->viewport();
        const QString caption = QStringLiteral("MIB WALK %1").arg(agent());
        QSignalSpy notifications(m_dlg->session(), &CSnmpSession::snmpNotify);

        start(m_dlg->getNextButton(), agent(), kSystem);
        // the first GET NEXT is out, its answer not yet handled
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(m_dlg->windowTitle(), caption + QStringLiteral(" - Pause"));
        QVERIFY(m_dlg->isBusy() && m_dlg->isPaused() && m_dlg->resultList()->GetItemCount() == 0);
        if (how != QLatin1String("early")) {
            // the request already sent is answered and listed; no further one goes out
            QTRY_COMPARE(m_dlg->resultList()->GetItemCount(), 1);
            QVERIFY(!QSignalSpy(m_dlg->session(), &CSnmpSession::snmpNotify).wait(kQuietMs));
            QCOMPARE(m_dlg->session()->requestId(), 1);
        }
        if (how == QLatin1String("stop")) {
            // Stop stops whatever the fields hold by now
            m_dlg->deviceCombo()->setEditText(QString());
            m_dlg->oidField()->setEditText(QString());
            QTest::mouseClick(m_dlg->getNextButton(), Qt::LeftButton);
            QVERIFY(!m_dlg->isBusy() && !m_dlg->isWalking() && !m_dlg->session()->isOpen());
            QCOMPARE(m_dlg->windowTitle(), caption);
            QCOMPARE(m_dlg->resultList()->GetItemCount(), 1);
            QCOMPARE(m_messages->texts, QStringList());
            return;
        }
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(m_dlg->windowTitle(), caption);
        QVERIFY(!m_dlg->isPaused());
        WAIT_IDLE(kWalkTimeoutMs);
        QCOMPARE(m_messages->texts, QStringList());
        // resumed from the last OID received: every object once, in order, one
        // GET NEXT for each and the one answered from outside the subtree
        QCOMPARE(column(CMibWalkDlg::ColOid), oids);
        const auto getNext = [](const QList<QVariant> &n) { return n.at(0).value<SnmpNotifyCode>() == SNMPN_GETNEXT_SENT; };
        QCOMPARE(std::count_if(notifications.cbegin(), notifications.cend(), getNext), oids.size() + 1);
    }

    // How a request ends, and the log file it leaves: an earlier run's log
    // stays as it was unless the box is clicked on, then it is replaced. The
    // numbers are typed, and a number out of range is refused as typed, with
    // nothing sent; Get Next is given by Enter in the timeout field.
    void requestEnds_data()
    {
        QTest::addColumn<bool>("walk");
        // "snmpd", "silent", "repeat", "stopped" (silent, Stop clicked while the
        // request is out) or the device text itself
        QTest::addColumn<QString>("agentKind");
        QTest::addColumn<QString>("oid");
        QTest::addColumn<QString>("timeout");
        QTest::addColumn<QString>("logCount"); // empty: left as it is
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QByteArray>("log"); // null: the box stays off
        const auto row = [](const char *name, bool walk, const QString &agent, const QString &oid, const char *timeout,
                            const QString &message, int rows, const QByteArray &log, const QString &logCount = QString()) {
            TestSupport::row(name, walk, agent, oid, QString::fromLatin1(timeout), logCount, message, rows, log);
        };
        const QString noDevice = QStringLiteral("Please enter device name or IP address.");
        const QString noOid = QStringLiteral("Please enter request OID.");
        const QString sysName0 = QStringLiteral("1.3.6.1.2.1.1.5.0");
        const QByteArray off;
        // the default OID "1.3.6.1." ends in a dot, which the stack refuses
        row("GET, final dot", false, u"snmpd"_s, sysName0 + u'.', "5", QString(), 1, off);
        row("GET without instance, logged", false, u"snmpd"_s, u"1.3.6.1.2.1.1.1"_s, "5", kNoSuchName.arg("1.3.6.1.2.1.1.1"), 0,
            QByteArray("GET request: 1.3.6.1.2.1.1.1\r\n"
                       ">>>> reply->\nReceived an error SNMP data from remote agent: no such name (2)\r\n"
                       "oid '1.3.6.1.2.1.1.1'\r\n"));
        row("Get Next of three objects, logged", true, u"snmpd"_s, kThreeObjects, "5", QString(), 3,
            QByteArray("GET NEXT request: 1.3.6.1.4.1.2021.10.1.2\r\n>>>> reply->Load-1\r\n"
                       "GET NEXT request: 1.3.6.1.4.1.2021.10.1.2.1\r\n>>>> reply->Load-5\r\n"
                       "GET NEXT request: 1.3.6.1.4.1.2021.10.1.2.2\r\n>>>> reply->Load-15\r\n"
                       "GET NEXT request: 1.3.6.1.4.1.2021.10.1.2.3\r\n"));
        row("GET, log file cannot be opened: the request goes on without", false, u"snmpd"_s, sysName0, "5",
            u"Log file open error! file:DIROvazur.log"_s, 1, kFolderInTheWay);
        row("GET unanswered", false, u"silent"_s, u"1.3.6.1.2.1.1.1.0"_s, "1", u"SNMP request timeout! oid '1.3.6.1.2.1.1.1.0'"_s, 0, off);
        row("GET NEXT unanswered", true, u"silent"_s, kSystem, "1", u"SNMP request timeout! oid '1.3.6.1.2.1.1'"_s, 0, off);
        row("GET stopped: no walk starts, no timeout later", false, u"stopped"_s, sysName0, "1", QString(), 0, off);
        row("GET NEXT answered with the OID asked for", true, u"repeat"_s, kSystem, "5",
            u"The agent answered GET NEXT for 1.3.6.1.2.1.1.5.0 with 1.3.6.1.2.1.1.5.0, which does not follow it: the "
            "walk stops here."_s, 1, off);
        row("Get Next, no device", true, QString(), kSystem, "5", noDevice, 0, off);
        row("Get, no OID", false, u"127.0.0.1"_s, QString(), "5", noOid, 0, off);
        row("Get Next, timeout 0", true, u"silent"_s, kSystem, "0", u"Please enter an integer between 1 and 30."_s, 0, off);
        row("Get, log count 501", false, u"silent"_s, sysName0, "1", u"Please enter an integer between 10 and 500."_s, 0, off, u"501"_s);
    }

    void requestEnds()
    {
        QFETCH(bool, walk);
        QFETCH(QString, agentKind);
        QFETCH(QString, oid);
        QFETCH(QString, timeout);
        QFETCH(QString, logCount);
        QFETCH(QString, message);
        QFETCH(QByteArray, log);
        std::unique_ptr<FakeAgent> fake;
        QString device = agentKind;
        if (agentKind == QLatin1String("snmpd")) {
            REQUIRE_SNMPD();
            device = agent();
        } else if (agentKind == QLatin1String("silent") || agentKind == QLatin1String("repeat") || agentKind == QLatin1String("stopped")) {
            fake = std::make_unique<FakeAgent>(agentKind == QLatin1String("repeat") ? FakeAgent::RepeatOid : FakeAgent::Silent);
            device = fake->address();
        }
        const QByteArray earlier("an earlier run's log\r\n");
        QVERIFY(log == kFolderInTheWay ? QDir().mkdir(CWalkLog::fileName()) : TestSupport::writeFile(CWalkLog::fileName(), earlier));
        if (!log.isNull())
            QTest::keyClick(m_dlg->logCheckBox(), Qt::Key_Space);
        QVERIFY(m_dlg->logCheckBox()->isChecked() == !log.isNull());
        m_dlg->deviceCombo()->setEditText(device);
        typeInto(m_dlg->oidField()->lineEdit(), oid);
        if (!logCount.isEmpty())
            typeInto(m_dlg->logCountSpin(), logCount);
        typeInto(m_dlg->timeoutSpin(), timeout);
        if (walk)
            QTest::keyClick(m_dlg->timeoutSpin(), Qt::Key_Return);
        else
            QTest::mouseClick(m_dlg->getButton(), Qt::LeftButton);
        if (agentKind == QLatin1String("stopped")) {
            QTRY_COMPARE(fake->requests, 1);
            QTest::mouseClick(m_dlg->getNextButton(), Qt::LeftButton);
            QVERIFY(!m_dlg->isBusy() && !m_dlg->isWalking() && !m_dlg->session()->isOpen());
            QVERIFY(!QSignalSpy(&fake->socket(), &QUdpSocket::readyRead).wait(timeout.toInt() * 1000 + kQuietMs));
        }
        WAIT_IDLE(kWalkTimeoutMs);
        QTRY_COMPARE(m_messages->texts, message.isEmpty() ? QStringList() : QStringList(message));
        QTEST(m_dlg->resultList()->GetItemCount(), "rows");
        QCOMPARE(m_dlg->timeoutSpin()->cleanText(), timeout);
        if (message.startsWith(u"Please enter an integer"))
            QCOMPARE(fake->requests, 0);
        QCOMPARE(m_dlg->logCountSpin()->cleanText(), logCount.isEmpty() ? QString::number(CMibWalkDlg::kDefaultLogCount) : logCount);
        QVERIFY(!m_dlg->walker()->isRunning());
        QCOMPARE(m_dlg->getNextButton()->text(), QStringLiteral("Get &Next"));
        QVERIFY(m_dlg->getButton()->isEnabled());
        QVERIFY(!m_dlg->session()->isOpen());
        // read byte for byte from where the dialog was started
        if (log != kFolderInTheWay)
            QCOMPARE(TestSupport::readFile(QDir(m_dir.path()).filePath(QStringLiteral("DIROvazur.log"))), log.isNull() ? earlier : log);
    }

    // A profile picked in the Device field: its SNMPv3 user shown instead of
    // a community, the walk through it, Counter64 in decimal with its hex in
    // the tip. That such a walk lists what snmpbulkwalk lists: tst_snmp_walker.
    // A v2c profile's read community: tst_devices.
    void walkThroughProfile()
    {
        REQUIRE_SNMPD();
        DeviceProfile profile;
        profile.name = QStringLiteral("lab agent");
        profile.target = TestSupport::v3PrivTarget(m_snmpd.port());
        QVERIFY(!m_profiles.add(profile));
        typeInto(m_dlg->deviceCombo()->lineEdit(), profile.name);
        QVERIFY(!m_dlg->communityEdit()->isVisible() && m_dlg->v3Summary()->isVisible());
        const QString ifXTable = QStringLiteral("1.3.6.1.2.1.31.1.1");
        typeInto(m_dlg->oidField()->lineEdit(), ifXTable);
        // the profile's secrets are read before the walk starts
        QSignalSpy ended(m_dlg->walker(), &SnmpWalker::finished);
        QTest::mouseClick(m_dlg->getNextButton(), Qt::LeftButton);
        QVERIFY(ended.wait(kWalkTimeoutMs));
        QCOMPARE(m_messages->texts, QStringList());
        const QStringList oids = column(CMibWalkDlg::ColOid);
        QVERIFY(oids.size() > 5);
        for (const QString &oid : oids)
            QVERIFY2(oid.startsWith(ifXTable + u'.'), qPrintable(oid));
        const int row = int(column(CMibWalkDlg::ColSyntax).indexOf(QStringLiteral("(cntr64)")));
        QVERIFY(row >= 0);
        const QString value = m_dlg->resultList()->GetItemText(row, CMibWalkDlg::ColValue);
        bool decimal = false;
        const quint64 n = value.toULongLong(&decimal);
        QVERIFY2(decimal, qPrintable(value));
        QCOMPARE(m_dlg->resultList()->itemTip(row, CMibWalkDlg::ColValue),
                 QStringLiteral("%1 (0x%2)").arg(value).arg(n, 16, 16, QLatin1Char('0')));
    }

private:
    QString agent() const { return QStringLiteral("127.0.0.1:%1").arg(m_snmpd.port()); }

    std::vector<WalkedObject> snmpwalk(const QString &oid)
    {
        const TestSupport::ToolResult result = TestSupport::runSnmpTool(
            QStringLiteral("snmpwalk"), {"-v1", "-On", "-Oq", "-Ot", "-c", "public", agent(), oid}, m_dir.path());
        std::vector<WalkedObject> objects;
        if (!result.started || result.exitCode != 0) {
            qWarning("snmpwalk failed: %s", qPrintable(result.output));
            return objects;
        }
        for (const QString &line : result.output.split(u'\n', Qt::SkipEmptyParts)) {
            if (!line.startsWith(u'.'))
                continue; // "End of MIB"
            const qsizetype blank = line.indexOf(u' ');
            WalkedObject object{line.mid(1, blank - 1), line.mid(blank + 1)};
            if (object.value.size() >= 2 && object.value.startsWith(u'"') && object.value.endsWith(u'"'))
                object.value = object.value.mid(1, object.value.size() - 2);
            else if (object.value.startsWith(u'.'))
                object.value = object.value.mid(1); // an OID value
            objects.push_back(object);
        }
        return objects;
    }

    void start(QPushButton *button, const QString &device, const QString &oid)
    {
        m_dlg->deviceCombo()->setEditText(device);
        typeInto(m_dlg->oidField()->lineEdit(), oid);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QStringList column(int column) const
    {
        QStringList texts;
        for (int row = 0; row < m_dlg->resultList()->GetItemCount(); ++row)
            texts << m_dlg->resultList()->GetItemText(row, column);
        return texts;
    }

    QTemporaryDir m_dir;
    QString m_previousDir;
    TestSupport::Snmpd m_snmpd;
    QString m_snmpdFailure;
    CXMLRead m_reader;
    CAppSettings m_settings;
    DeviceList m_devices;
    MemorySecretStore m_secrets;
    DeviceProfileStore m_profiles{&m_secrets};
    std::unique_ptr<CMibWalkDlg> m_dlg;
    std::unique_ptr<MessageCatcher> m_messages;
};

QTEST_MAIN(TestMibWalkDlg)
#include "tst_mibwalkdlg.moc"
