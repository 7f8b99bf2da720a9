// The MIB walk dialog against a private snmpd on loopback (compared with
// net-snmp's own snmpwalk), and against a tiny agent of the test's own for
// what snmpd never does: stay silent, or answer GET NEXT without moving on.
// The log file is read byte for byte from the suite's own current directory.

#include "appsettings.h"
#include "mibwalkdlg.h"
#include "oidcombobox.h"
#include "reportlistctrl.h"
#include "snmpdpeer.h"
#include "snmprender.h"
#include "snmpstack.h"
#include "testsupport.h"
#include "walklog.h"
#include "xmlread.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <memory>

namespace {

constexpr int kWalkTimeoutMs = 30000;
constexpr int kAgentEndTimeoutMs = 240000; // thousands of objects, one request each
constexpr int kQuietMs = 400;              // how long "nothing more happens" is watched
constexpr int kModalPollMs = 20;
// sysUpTime moves on between snmpwalk and the dialog's own walk
constexpr qint64 kUpTimeSlackHundredths = 60 * 100;
const QString kSystem = QStringLiteral("1.3.6.1.2.1.1");
const QString kThreeObjects = QStringLiteral("1.3.6.1.4.1.2021.10.1.2"); // laNames: Load-1, -5, -15
const SnmpOid kRepeated{1, 3, 6, 1, 2, 1, 1, 5, 0};

// Answers every message box that opens and keeps its text.
class MessageCatcher : public QObject
{
public:
    MessageCatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->reject();
            }
        });
        m_timer.start(kModalPollMs);
    }
    QStringList texts;

private:
    QTimer m_timer;
};

// An agent of the test's own on loopback: silent; answering every GET NEXT
// with the same OID; or a slow one with a MIB of four objects.
class FakeAgent : public QObject
{
public:
    enum Mode { Silent, RepeatOid, SlowTable };
    static constexpr int kSlowAnswerMs = 100; // far beyond the walk's pace
    explicit FakeAgent(Mode mode) : m_mode(mode)
    {
        m_socket.bind(QHostAddress::LocalHost, TestSupport::freeUdpPort());
        connect(&m_socket, &QUdpSocket::readyRead, this, &FakeAgent::onReadyRead);
    }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_socket.localPort()); }
    QUdpSocket &socket() { return m_socket; }
    // the slow agent's objects, three of them in the system group
    static const std::vector<SnmpOid> &table()
    {
        static const std::vector<SnmpOid> objects = {
            {1, 3, 6, 1, 2, 1, 1, 1, 0}, {1, 3, 6, 1, 2, 1, 1, 2, 0}, {1, 3, 6, 1, 2, 1, 1, 3, 0}, {1, 3, 6, 1, 2, 1, 2, 1, 0}};
        return objects;
    }
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
            SnmpOid answer = kRepeated;
            if (m_mode == SlowTable) {
                const SnmpOid &asked = request->pdu.varbinds.front().oid;
                const auto next = std::find_if(table().begin(), table().end(), [&](const SnmpOid &o) { return o > asked; });
                if (next == table().end())
                    continue; // no walk of this suite gets that far
                answer = *next;
            }
            reply.pdu.varbinds = {{answer, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "same")}};
            const QByteArray bytes = SnmpEncodeMessage(reply);
            const QHostAddress sender = datagram.senderAddress();
            const quint16 port = datagram.senderPort();
            QTimer::singleShot(m_mode == SlowTable ? kSlowAnswerMs : 0, this,
                               [this, bytes, sender, port] { m_socket.writeDatagram(bytes, sender, port); });
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
    if (syntax == QLatin1String("(oid)"))
        return ours == theirs || ours.endsWith(QStringLiteral(" (%1)").arg(theirs));
    // an enumerated INTEGER is shown as "label(n)"
    return ours == theirs || ours.endsWith(QStringLiteral("(%1)").arg(theirs));
}

} // namespace

class TestMibWalkDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void isInSubtree_data();
    void isInSubtree();
    void systemGroupMatchesSnmpwalk();
    void defaultOidWalksToAgentEnd();
    void logCountKeepsNewestRows();
    void pauseAndResume_data();
    void pauseAndResume();
    void resumeBeforeAnswerSendsNoSecondRequest();
    void requestEndsWithMessage_data();
    void requestEndsWithMessage();
    void stopDuringGetReturnsToIdle();
    void openFailureReturnsToIdle_data();
    void openFailureReturnsToIdle();
    void refusesEmptyFields_data();
    void refusesEmptyFields();
    void logFile_data();
    void logFile();
    void logFileThatCannotOpen();
    void layoutFollowsSize_data();
    void layoutFollowsSize();

private:
    bool needSnmpd();
    QString agent() const { return QStringLiteral("127.0.0.1:%1").arg(m_snmpd.port()); }
    std::vector<WalkedObject> snmpwalk(const QString &oid);
    void start(QPushButton *button, const QString &device, const QString &oid);
    QStringList column(int column) const;

    QTemporaryDir m_dir;
    QString m_previousDir;
    TestSupport::Snmpd m_snmpd;
    QString m_snmpdFailure;
    CXMLRead m_reader;
    CAppSettings m_settings;
    DeviceList m_devices;
    std::unique_ptr<CMibWalkDlg> m_dlg;
    std::unique_ptr<MessageCatcher> m_messages;
};

void TestMibWalkDlg::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // the log file is written to the current directory
    m_previousDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    QVERIFY2(m_reader.loadMIBTable(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml")),
             qPrintable(m_reader.errorString()));
    m_settings.strLanguage = QStringLiteral("en");
    if (TestSupport::findProgram(QStringLiteral("snmpd")).isEmpty()) {
        m_snmpdFailure = QStringLiteral("snmpd is not installed (Debian package snmpd)");
        return;
    }
    const QString failure = m_snmpd.start(m_dir.path(), TestSupport::freeUdpPort());
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestMibWalkDlg::cleanupTestCase()
{
    m_snmpd.stop();
    QDir::setCurrent(m_previousDir);
}

void TestMibWalkDlg::init()
{
    m_devices = {{QStringLiteral("zeta.example"), QString()}};
    m_dlg = std::make_unique<CMibWalkDlg>();
    m_dlg->m_pReader = &m_reader;
    m_dlg->m_pSettings = &m_settings;
    m_dlg->m_pDevices = &m_devices;
    QVERIFY(m_dlg->Create());
    QVERIFY(m_dlg->isHidden());
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    m_dlg->communityEdit()->setText(QStringLiteral("public"));
    m_messages = std::make_unique<MessageCatcher>();
}

void TestMibWalkDlg::cleanup()
{
    m_messages.reset();
    m_dlg.reset();
    QFile::remove(CWalkLog::fileName());
}

bool TestMibWalkDlg::needSnmpd()
{
    return m_snmpdFailure.isEmpty();
}

#define REQUIRE_SNMPD()                                                                                                \
    do {                                                                                                               \
        if (!needSnmpd())                                                                                              \
            QSKIP(qPrintable(m_snmpdFailure));                                                                         \
    } while (false)

std::vector<WalkedObject> TestMibWalkDlg::snmpwalk(const QString &oid)
{
    const TestSupport::ToolResult result = TestSupport::runSnmpTool(
        QStringLiteral("snmpwalk"),
        {QStringLiteral("-v1"), QStringLiteral("-On"), QStringLiteral("-Oq"), QStringLiteral("-Ot"), QStringLiteral("-c"),
         QStringLiteral("public"), agent(), oid},
        m_dir.path());
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

void TestMibWalkDlg::start(QPushButton *button, const QString &device, const QString &oid)
{
    m_dlg->deviceCombo()->setEditText(device);
    m_dlg->oidField()->setEditText(oid);
    QTest::mouseClick(button, Qt::LeftButton);
}

QStringList TestMibWalkDlg::column(int column) const
{
    QStringList texts;
    for (int row = 0; row < m_dlg->resultList()->GetItemCount(); ++row)
        texts << m_dlg->resultList()->GetItemText(row, column);
    return texts;
}

void TestMibWalkDlg::isInSubtree_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("returned");
    QTest::addColumn<bool>("inside");
    QTest::newRow("final dot adds nothing") << "1.3.6.1." << "1.3.6.1.2.1.1.1.0" << true;
    QTest::newRow("10 is not 1") << "1.3.6.1" << "1.3.6.10" << false;
    QTest::newRow("the start itself") << kSystem << kSystem << true;
    QTest::newRow("returned shorter") << kSystem << "1.3.6.1.2.1" << false;
    QTest::newRow("next group") << kSystem << "1.3.6.1.2.1.2.1.0" << false;
    QTest::newRow("numbers, not text") << "1.3.6.01" << "1.3.6.1.5" << true;
    QTest::newRow("non-digit counts 0") << "1.3.x" << "1.3.0.7" << true;
    QTest::newRow("leading dot") << ".1.3.6.1" << "1.3.6.1.4.1" << true;
}

void TestMibWalkDlg::isInSubtree()
{
    QFETCH(QString, start);
    QFETCH(QString, returned);
    QFETCH(bool, inside);
    QCOMPARE(CMibWalkDlg::IsInSubtree(start, returned), inside);
}

void TestMibWalkDlg::systemGroupMatchesSnmpwalk()
{
    REQUIRE_SNMPD();
    const std::vector<WalkedObject> expected = snmpwalk(kSystem);
    QVERIFY(expected.size() > 10);
    // the device field starts with the first device, the built-in one
    QCOMPARE(m_dlg->deviceCombo()->currentText(), QStringLiteral("127.0.0.1"));
    QCOMPARE(m_dlg->oidField()->currentText(), QStringLiteral("1.3.6.1."));

    start(m_dlg->getNextButton(), agent(), kSystem);
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("MIB WALK %1").arg(agent()));
    QCOMPARE(m_dlg->getNextButton()->text(), QStringLiteral("Sto&p"));
    QVERIFY(!m_dlg->getButton()->isEnabled());
    QVERIFY(!m_dlg->closeButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!m_dlg->isBusy(), kWalkTimeoutMs);

    QCOMPARE(m_messages->texts, QStringList());
    QVERIFY(!m_dlg->isWalking());
    QVERIFY(!m_dlg->session()->isOpen());
    QCOMPARE(m_dlg->getNextButton()->text(), QStringLiteral("Get &Next"));
    QVERIFY(m_dlg->getButton()->isEnabled() && m_dlg->closeButton()->isEnabled());

    CReportListCtrl *list = m_dlg->resultList();
    QCOMPARE(list->GetItemCount(), int(expected.size()));
    for (int row = 0; row < list->GetItemCount(); ++row) {
        const QString syntax = list->GetItemText(row, CMibWalkDlg::ColSyntax);
        const QString value = list->GetItemText(row, CMibWalkDlg::ColValue);
        QCOMPARE(list->GetItemText(row, CMibWalkDlg::ColOid), expected[row].oid);
        QVERIFY2(sameValue(syntax, value, expected[row].value),
                 qPrintable(QStringLiteral("%1: %2 %3 / %4").arg(expected[row].oid, syntax, value, expected[row].value)));
        QCOMPARE(bool(list->GetRowStyle(row) & CReportListCtrl::RowBackground), row % 2 == 1);
    }
    // named and described from the bundled database; an OID value by name
    const int sysName = column(CMibWalkDlg::ColOid).indexOf(QStringLiteral("1.3.6.1.2.1.1.5.0"));
    QVERIFY(sysName >= 0);
    QCOMPARE(list->GetItemText(sysName, CMibWalkDlg::ColName), QStringLiteral("sysName.0"));
    QVERIFY(!list->GetItemText(sysName, CMibWalkDlg::ColDescription).isEmpty());
    const int sysObjectId = column(CMibWalkDlg::ColOid).indexOf(QStringLiteral("1.3.6.1.2.1.1.2.0"));
    QVERIFY(sysObjectId >= 0);
    QCOMPARE(list->GetItemText(sysObjectId, CMibWalkDlg::ColValue),
             QStringLiteral("linux (1.3.6.1.4.1.8072.3.2.10)"));

    // the device joined the shared list, sorted into the field's list
    QCOMPARE(m_devices.size(), 3);
    QCOMPARE(m_devices[1].strName, QStringLiteral("127.0.0.1"));
    QCOMPARE(m_devices[1].strSecond, QStringLiteral("localhost"));
    QCOMPARE(m_devices[2].strName, agent());
    QCOMPARE(m_devices[2].strSecond, QString());
    QStringList items;
    for (int i = 0; i < m_dlg->deviceCombo()->count(); ++i)
        items << m_dlg->deviceCombo()->itemText(i);
    QCOMPARE(items, QStringList({QStringLiteral("127.0.0.1"), agent(), QStringLiteral("zeta.example")}));

    // a double click copies the row's OID into the OID field
    const QRect fourth = list->visualRect(list->model()->index(4, CMibWalkDlg::ColValue));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, fourth.center());
    QCOMPARE(m_dlg->oidField()->currentText(), expected[4].oid);

    // the context menu offers monitoring of the selected rows
    list->clearSelection();
    list->selectionModel()->select(list->model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list->selectionModel()->select(list->model()->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QSignalSpy monitoring(m_dlg.get(), &CMibWalkDlg::objectMonitoringRequested);
    QString menuText;
    QTimer::singleShot(0, this, [&menuText] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        menuText = menu->actions().value(0)->text();
        menu->actions().value(0)->trigger();
        menu->close();
    });
    const QPoint third = list->visualRect(list->model()->index(3, 0)).center();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, third, list->viewport()->mapToGlobal(third));
    QApplication::sendEvent(list->viewport(), &rightClick);
    QCOMPARE(menuText, QStringLiteral("&Object Monitoring"));
    QCOMPARE(monitoring.size(), 1);
    QCOMPARE(monitoring[0][0].toString(), agent());
    QCOMPARE(monitoring[0][1].toString(), QStringLiteral("public"));
    QCOMPARE(monitoring[0][2].toStringList(), QStringList({expected[2].oid, expected[3].oid}));

    // Escape only hides; Close also empties the list
    QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
    QVERIFY(m_dlg->isHidden());
    QCOMPARE(list->GetItemCount(), int(expected.size()));
    m_dlg->show();
    QTest::mouseClick(m_dlg->closeButton(), Qt::LeftButton);
    QVERIFY(m_dlg->isHidden());
    QCOMPARE(list->GetItemCount(), 0);
}

void TestMibWalkDlg::defaultOidWalksToAgentEnd()
{
    REQUIRE_SNMPD();
    const std::vector<WalkedObject> all = snmpwalk(QStringLiteral("1.3.6.1"));
    QVERIFY(!all.empty());
    // the pace between requests is not what this case is about
    m_dlg->setNextRequestDelay(0);
    m_dlg->deviceCombo()->setEditText(agent());
    QTest::mouseClick(m_dlg->getNextButton(), Qt::LeftButton); // the field's own "1.3.6.1."
    QTRY_VERIFY_WITH_TIMEOUT(!m_dlg->isBusy(), kAgentEndTimeoutMs);
    QCOMPARE(m_dlg->resultList()->GetItemCount(), CMibWalkDlg::kDefaultLogCount);
    const QString last = m_dlg->resultList()->GetItemText(CMibWalkDlg::kDefaultLogCount - 1, CMibWalkDlg::ColOid);
    QCOMPARE(last, all.back().oid);
    QTRY_COMPARE(m_messages->texts,
                 QStringList(QStringLiteral("\nReceived an error SNMP data from remote agent: %1 (2)\noid '%2'")
                                 .arg(ErrorStatusText(2), last)));
}

void TestMibWalkDlg::logCountKeepsNewestRows()
{
    REQUIRE_SNMPD();
    const std::vector<WalkedObject> expected = snmpwalk(kSystem);
    constexpr int kKept = CMibWalkDlg::kMinLogCount;
    QVERIFY(int(expected.size()) > kKept);
    m_dlg->logCountSpin()->setValue(kKept);
    start(m_dlg->getNextButton(), agent(), kSystem);
    QTRY_VERIFY_WITH_TIMEOUT(!m_dlg->isBusy(), kWalkTimeoutMs);
    QCOMPARE(m_messages->texts, QStringList());
    CReportListCtrl *list = m_dlg->resultList();
    QCOMPARE(list->GetItemCount(), kKept);
    const int firstKept = int(expected.size()) - kKept;
    for (int row = 0; row < kKept; ++row) {
        QCOMPARE(list->GetItemText(row, CMibWalkDlg::ColOid), expected[firstKept + row].oid);
        // shaded by the rows added since the start, not by the position
        QCOMPARE(bool(list->GetRowStyle(row) & CReportListCtrl::RowBackground), (firstKept + row) % 2 == 1);
    }
}

void TestMibWalkDlg::pauseAndResume_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("pause, then resume") << "resume";
    QTest::newRow("stop while paused, fields emptied") << "stop";
}

void TestMibWalkDlg::pauseAndResume()
{
    REQUIRE_SNMPD();
    QFETCH(QString, how);
    const std::vector<WalkedObject> expected = snmpwalk(kSystem);
    QVERIFY(!expected.empty());
    QWidget *viewport = m_dlg->resultList()->viewport();
    const QString caption = QStringLiteral("MIB WALK %1").arg(agent());

    start(m_dlg->getNextButton(), agent(), kSystem);
    // the first GET NEXT is out, its answer not yet handled
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(m_dlg->windowTitle(), caption + QStringLiteral(" - Pause"));
    // the request already sent is answered and listed; no further one goes out
    QTRY_COMPARE(m_dlg->resultList()->GetItemCount(), 1);
    QSignalSpy notifications(m_dlg->session(), &CSnmpSession::snmpNotify);
    QVERIFY(!notifications.wait(kQuietMs));
    QCOMPARE(m_dlg->session()->requestId(), 1);
    QVERIFY(m_dlg->isBusy() && m_dlg->isPaused());
    if (how == QLatin1String("stop")) {
        // Stop stops whatever the fields hold by now
        m_dlg->deviceCombo()->setEditText(QString());
        m_dlg->oidField()->setEditText(QString());
        QTest::mouseClick(m_dlg->getNextButton(), Qt::LeftButton);
        QVERIFY(!m_dlg->isBusy() && !m_dlg->isWalking());
        QVERIFY(!m_dlg->session()->isOpen());
        QCOMPARE(m_dlg->windowTitle(), caption);
        QCOMPARE(m_dlg->resultList()->GetItemCount(), 1);
        QCOMPARE(m_messages->texts, QStringList());
        return;
    }
    m_dlg->deviceCombo()->setEditText(agent());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(m_dlg->windowTitle(), caption);
    QTRY_VERIFY_WITH_TIMEOUT(!m_dlg->isBusy(), kWalkTimeoutMs);
    QCOMPARE(m_messages->texts, QStringList());
    // resumed from the last OID received: every object once, in order
    QStringList oids;
    for (const WalkedObject &object : expected)
        oids << object.oid;
    QCOMPARE(column(CMibWalkDlg::ColOid), oids);
}

void TestMibWalkDlg::resumeBeforeAnswerSendsNoSecondRequest()
{
    FakeAgent slow(FakeAgent::SlowTable);
    QWidget *viewport = m_dlg->resultList()->viewport();
    start(m_dlg->getNextButton(), slow.address(), kSystem);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(m_dlg->isPaused());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!m_dlg->isPaused());
    QTRY_VERIFY_WITH_TIMEOUT(!m_dlg->isBusy(), kWalkTimeoutMs);
    QCOMPARE(m_messages->texts, QStringList());
    QStringList oids;
    for (size_t i = 0; i < 3; ++i)
        oids << OidToText(FakeAgent::table()[i]);
    QCOMPARE(column(CMibWalkDlg::ColOid), oids);
    // one request per object and the one answered from outside the subtree
    QCOMPARE(slow.requests, 4);
}

void TestMibWalkDlg::requestEndsWithMessage_data()
{
    QTest::addColumn<bool>("walk");
    QTest::addColumn<int>("agentKind"); // -1 snmpd, else FakeAgent::Mode
    QTest::addColumn<QString>("oid");
    QTest::addColumn<int>("timeout");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("rows");
    QTest::newRow("GET answered") << false << -1 << "1.3.6.1.2.1.1.5.0" << 5 << QString() << 1;
    QTest::newRow("GET without instance")
        << false << -1 << "1.3.6.1.2.1.1.1" << 5
        << "\nReceived an error SNMP data from remote agent: no such name (2)\noid '1.3.6.1.2.1.1.1'" << 0;
    QTest::newRow("GET unanswered") << false << int(FakeAgent::Silent) << "1.3.6.1.2.1.1.1.0" << 1
                                    << "SNMP request timeout! oid '1.3.6.1.2.1.1.1.0'" << 0;
    QTest::newRow("GET NEXT unanswered") << true << int(FakeAgent::Silent) << kSystem << 1
                                         << "SNMP request timeout! oid '1.3.6.1.2.1.1'" << 0;
    QTest::newRow("GET NEXT answered with the OID asked for")
        << true << int(FakeAgent::RepeatOid) << kSystem << 5
        << "The agent answered GET NEXT for 1.3.6.1.2.1.1.5.0 with 1.3.6.1.2.1.1.5.0, which does not follow it: the "
           "walk stops here."
        << 1;
}

void TestMibWalkDlg::requestEndsWithMessage()
{
    QFETCH(bool, walk);
    QFETCH(int, agentKind);
    QFETCH(QString, oid);
    QFETCH(int, timeout);
    QFETCH(QString, message);
    QFETCH(int, rows);
    std::unique_ptr<FakeAgent> fake;
    QString device;
    if (agentKind < 0) {
        REQUIRE_SNMPD();
        device = agent();
    } else {
        fake = std::make_unique<FakeAgent>(FakeAgent::Mode(agentKind));
        device = fake->address();
    }
    m_dlg->timeoutSpin()->setValue(timeout);
    QElapsedTimer elapsed;
    elapsed.start();
    start(walk ? m_dlg->getNextButton() : m_dlg->getButton(), device, oid);
    QVERIFY(m_dlg->isBusy());
    QTRY_VERIFY_WITH_TIMEOUT(!m_dlg->isBusy(), kWalkTimeoutMs);
    QTRY_COMPARE(m_messages->texts, message.isEmpty() ? QStringList() : QStringList(message));
    if (message.startsWith(QLatin1String("SNMP request timeout")))
        QVERIFY(elapsed.elapsed() >= timeout * 1000 * 9 / 10); // timers may be coarse
    QCOMPARE(m_dlg->resultList()->GetItemCount(), rows);
    QVERIFY(!m_dlg->isWalking());
    QVERIFY(!m_dlg->session()->isOpen());
    QVERIFY(!m_dlg->requestTimeoutTimer().isActive());
    QCOMPARE(m_dlg->getNextButton()->text(), QStringLiteral("Get &Next"));
    QVERIFY(m_dlg->getButton()->isEnabled());
}

void TestMibWalkDlg::stopDuringGetReturnsToIdle()
{
    FakeAgent silent(FakeAgent::Silent);
    m_dlg->timeoutSpin()->setValue(CMibWalkDlg::kMinTimeoutSec);
    QSignalSpy received(&silent.socket(), &QUdpSocket::readyRead);
    start(m_dlg->getButton(), silent.address(), QStringLiteral("1.3.6.1.2.1.1.5.0"));
    QVERIFY(received.wait());
    QCOMPARE(m_dlg->getNextButton()->text(), QStringLiteral("Sto&p"));
    QTest::mouseClick(m_dlg->getNextButton(), Qt::LeftButton);
    QVERIFY(!m_dlg->isBusy() && !m_dlg->isWalking());
    QVERIFY(!m_dlg->session()->isOpen());
    QCOMPARE(m_dlg->getNextButton()->text(), QStringLiteral("Get &Next"));
    // no walk starts and the stopped GET does not time out later
    QVERIFY(!received.wait(CMibWalkDlg::kMinTimeoutSec * 1000 + kQuietMs));
    QCOMPARE(silent.requests, 1);
    QCOMPARE(m_messages->texts, QStringList());
}

void TestMibWalkDlg::openFailureReturnsToIdle_data()
{
    QTest::addColumn<bool>("walk");
    QTest::newRow("Get") << false;
    QTest::newRow("Get Next") << true;
}

void TestMibWalkDlg::openFailureReturnsToIdle()
{
    QFETCH(bool, walk);
    FakeAgent silent(FakeAgent::Silent);
    // a session that is open already refuses Open
    QVERIFY(m_dlg->session()->Open(silent.address(), QStringLiteral("public")));
    start(walk ? m_dlg->getNextButton() : m_dlg->getButton(), silent.address(), kSystem);
    QTRY_COMPARE(m_messages->texts, QStringList(SnmpErrorText(SnmpGetLastError(m_dlg->session()))));
    QVERIFY(!m_dlg->isBusy() && !m_dlg->isWalking());
    QCOMPARE(m_dlg->getNextButton()->text(), QStringLiteral("Get &Next"));
    QVERIFY(m_dlg->getButton()->isEnabled());
    QCOMPARE(silent.requests, 0);
    m_dlg->session()->Close();
}

void TestMibWalkDlg::refusesEmptyFields_data()
{
    QTest::addColumn<bool>("walk");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("oid");
    QTest::addColumn<QString>("message");
    const QString noDevice = QStringLiteral("Please enter device name or IP address.");
    const QString noOid = QStringLiteral("Please enter request OID.");
    QTest::newRow("Get Next, no device") << true << QString() << kSystem << noDevice;
    QTest::newRow("Get Next, no OID") << true << "127.0.0.1" << QString() << noOid;
    QTest::newRow("Get, no device") << false << QString() << kSystem << noDevice;
    QTest::newRow("Get, no OID") << false << "127.0.0.1" << QString() << noOid;
}

void TestMibWalkDlg::refusesEmptyFields()
{
    QFETCH(bool, walk);
    QFETCH(QString, device);
    QFETCH(QString, oid);
    QFETCH(QString, message);
    start(walk ? m_dlg->getNextButton() : m_dlg->getButton(), device, oid);
    QTRY_COMPARE(m_messages->texts, QStringList(message));
    QVERIFY(!m_dlg->isBusy() && !m_dlg->isWalking());
    QVERIFY(!m_dlg->session()->isOpen());
    QCOMPARE(m_dlg->getNextButton()->text(), QStringLiteral("Get &Next"));
}

void TestMibWalkDlg::logFile_data()
{
    QTest::addColumn<bool>("walk");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("oid");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray old = "old content\r\n";
    QTest::newRow("walk of three objects")
        << true << true << kThreeObjects
        << QByteArray("GET NEXT request: 1.3.6.1.4.1.2021.10.1.2\r\n"
                      ">>>> reply->Load-1\r\n"
                      "GET NEXT request: 1.3.6.1.4.1.2021.10.1.2.1\r\n"
                      ">>>> reply->Load-5\r\n"
                      "GET NEXT request: 1.3.6.1.4.1.2021.10.1.2.2\r\n"
                      ">>>> reply->Load-15\r\n"
                      "GET NEXT request: 1.3.6.1.4.1.2021.10.1.2.3\r\n");
    QTest::newRow("GET with an error status")
        << false << true << "1.3.6.1.2.1.1.1"
        << QByteArray("GET request: 1.3.6.1.2.1.1.1\r\n"
                      ">>>> reply->\nReceived an error SNMP data from remote agent: no such name (2)\r\n"
                      "oid '1.3.6.1.2.1.1.1'\r\n");
    QTest::newRow("box not checked") << true << false << kThreeObjects << old;
}

void TestMibWalkDlg::logFile()
{
    REQUIRE_SNMPD();
    QFETCH(bool, walk);
    QFETCH(bool, checked);
    QFETCH(QString, oid);
    QFETCH(QByteArray, expected);
    {
        // an earlier run's log, to be replaced
        QFile old(CWalkLog::fileName());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old content\r\n");
    }
    m_dlg->logCheckBox()->setChecked(checked);
    start(walk ? m_dlg->getNextButton() : m_dlg->getButton(), agent(), oid);
    QTRY_VERIFY_WITH_TIMEOUT(!m_dlg->isBusy(), kWalkTimeoutMs);
    QTRY_COMPARE(m_messages->texts.size(), walk ? 0 : 1);
    QFile log(QDir(m_dir.path()).filePath(QStringLiteral("DIROvazur.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), expected);
}

void TestMibWalkDlg::logFileThatCannotOpen()
{
    REQUIRE_SNMPD();
    QVERIFY(QDir().mkdir(CWalkLog::fileName())); // a folder of that name is in the way
    m_dlg->logCheckBox()->setChecked(true);
    start(m_dlg->getButton(), agent(), QStringLiteral("1.3.6.1.2.1.1.5.0"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_dlg->isBusy(), kWalkTimeoutMs);
    QDir().rmdir(CWalkLog::fileName());
    QCOMPARE(m_messages->texts, QStringList(QStringLiteral("Log file open error! file:DIROvazur.log")));
    // the request went on without the log
    QCOMPARE(m_dlg->resultList()->GetItemCount(), 1);
}

void TestMibWalkDlg::layoutFollowsSize_data()
{
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("size");
    QTest::newRow("larger") << QSize(1000, 600) << QSize(1000, 600);
    QTest::newRow("minimum") << QSize(CMibWalkDlg::kMinWidth, CMibWalkDlg::kMinHeight)
                             << QSize(CMibWalkDlg::kMinWidth, CMibWalkDlg::kMinHeight);
    QTest::newRow("below minimum") << QSize(400, 100) << QSize(CMibWalkDlg::kMinWidth, CMibWalkDlg::kMinHeight);
}

void TestMibWalkDlg::layoutFollowsSize()
{
    QFETCH(QSize, requested);
    QFETCH(QSize, size);
    const QList<QPushButton *> buttons = {m_dlg->getNextButton(), m_dlg->getButton(), m_dlg->closeButton()};
    QList<QRect> before;
    for (QPushButton *button : buttons)
        before << button->geometry();
    const int listTop = m_dlg->resultList()->geometry().top();

    m_dlg->resize(requested);
    QTRY_COMPARE(m_dlg->size(), size);
    for (int i = 0; i < buttons.size(); ++i) {
        const QRect r = buttons[i]->geometry();
        QCOMPARE(r.size(), before[i].size());
        QCOMPARE(r.top(), before[i].top());
        QCOMPARE(r.x() + r.width(), size.width() - CMibWalkDlg::kButtonRightMargin);
    }
    const QRect list = m_dlg->resultList()->geometry();
    QCOMPARE(list.top(), listTop);
    QCOMPARE(list.x(), CMibWalkDlg::kListSideMargin);
    QCOMPARE(list.x() + list.width(), size.width() - CMibWalkDlg::kListSideMargin);
    QCOMPARE(list.y() + list.height(), size.height() - CMibWalkDlg::kListBottomMargin);
}

QTEST_MAIN(TestMibWalkDlg)
#include "tst_mibwalkdlg.moc"
