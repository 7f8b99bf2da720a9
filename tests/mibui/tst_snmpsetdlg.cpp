// The SNMP SET dialog: what a real snmpd answers to a write (accepted,
// refused, or no answer at all), the values as they leave on the wire
// (caught by a UDP socket of the test), the inputs that must be refused
// before anything is sent, and what a pick in the OID tree does with the MIB
// database.

#include "oidcombobox.h"
#include "v3credentials.h"
#include "deviceprofilestore.h"
#include "secretstore.h"
#include "snmpsetdlg.h"
#include "snmpstack.h"
#include "messagecatcher.h"
#include "testsupport.h"
#include "xmlread.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <chrono>

Q_DECLARE_METATYPE(SnmpValue)

namespace {

const QString kSent = QStringLiteral("SNMP SET request has been sent.");
const QString kBadAddress = QStringLiteral("Invalid IP Address format.\nUse \"xxx.xxx.xxx.xxx\"\n");
const QString kNotWritable = QStringLiteral("This object is not defined as \"write enable' object.\n"
                                            "Enter necessay information to operate SET request.\n");
const QString kSysLocation0 = QStringLiteral("1.3.6.1.2.1.1.6.0");
const QString kSysContact0 = QStringLiteral("1.3.6.1.2.1.1.4.0"); // only its parent is in the database below
const QString kSysDescr0 = QStringLiteral("1.3.6.1.2.1.1.1.0");
constexpr std::chrono::milliseconds kShortTimeout{300};
const QString kNoAnswer = QStringLiteral("No answer from %1 within 0.3 seconds: check the device name, the write "
                                         "community and that the agent allows SET.");

// Replaces a field's text as a user does: select all, type (characters
// beyond ASCII as a keyboard layout or input method sends them).
void typeInto(QLineEdit *edit, const QString &text)
{
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(edit, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// A few objects of the system group: writable ones of two syntaxes, a
// read-only one.
const char kDatabase[] =
    "<mib_table>"
    "<oid key=\"1.3.6.1.2.1.1\"><name>system</name>"
    " <oid key=\"1\"><name>sysDescr</name><syntax>OCTET STRING</syntax><access>read-only</access>"
    "  <descr lang=\"en\">What the system is.</descr></oid>"
    " <oid key=\"6\"><name>sysLocation</name><syntax>OCTET STRING</syntax><access>read-write</access><write>3</write>"
    "  <descr lang=\"en\">Where the system stands.</descr><descr lang=\"ja\">設置場所。</descr></oid>"
    " <oid key=\"99\"><name>sysGateway</name><syntax>IpAddress</syntax><access>read-write</access><write>5</write>"
    "  <descr lang=\"en\">A writable address.</descr></oid>"
    "</oid>"
    "</mib_table>";

using TestSupport::MessageCatcher;

} // namespace

class TestSnmpSetDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("MIBTable.xml"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(kDatabase) > 0);
        file.close();
        QVERIFY2(m_reader.loadMIBTable(path), qPrintable(m_reader.errorString()));
        QVERIFY(m_catcher.bind(QHostAddress::LocalHost, 0));
        m_agentFailure = m_agent.start(m_dir.path(), TestSupport::freeUdpPort());
    }

    void cleanupTestCase() { m_agent.stop(); }

    void init()
    {
        m_settings.strLanguage = QStringLiteral("en");
        m_devices = {{QStringLiteral("router.example"), QString()}, {QStringLiteral("10.1.1.1"), QString()}};
        m_dlg = std::make_unique<CSnmpSetDlg>(&m_reader, &m_settings, &m_devices);
        m_messages = std::make_unique<MessageCatcher>();
        while (m_catcher.hasPendingDatagrams())
            m_catcher.receiveDatagram();
    }

    void cleanup()
    {
        m_messages.reset();
        m_dlg.reset();
    }


    void initialState()
    {
        // sorted, the first selected; the built-in device joins the shared list once
        QStringList shown;
        for (int i = 0; i < m_dlg->deviceCombo()->count(); ++i)
            shown << m_dlg->deviceCombo()->itemText(i);
        QCOMPARE(shown, QStringList({"10.1.1.1", "127.0.0.1", "router.example"}));
        QCOMPARE(m_dlg->deviceCombo()->currentText(), QStringLiteral("10.1.1.1"));
        QCOMPARE(m_devices.last().strName + u' ' + m_devices.last().strSecond, QStringLiteral("127.0.0.1 localhost"));
        QCOMPARE(CSnmpSetDlg(&m_reader, &m_settings, &m_devices).deviceCombo()->count(), 3);
        QCOMPARE(m_devices.size(), 3);
    }

    void answers_data()
    {
        QTest::addColumn<QString>("oid"); // empty: sysLocation.0 picked in the tree
        QTest::addColumn<QString>("community");
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("answer"); // %1: the device
        QTest::addColumn<bool>("written");

        const int v1 = SNMP_VERSION_V1;
        const int v2c = SNMP_VERSION_V2C;
        QTest::newRow("written, named by the database") << QString() << "private" << v1 << "Lab 7, rack 3"
                                                        << "SNMP SET succeeded: sysLocation.0 = Lab 7, rack 3" << true;
        QTest::newRow("written, named by its parent") << kSysContact0 << "private" << v2c << "rack 7"
                                                      << "SNMP SET succeeded: system.4.0 = rack 7" << true;
        // snmpd refuses an object outside the community's write view as
        // noAccess, which SNMPv1 can only say as noSuchName
        QTest::newRow("read-only, SNMPv1") << kSysDescr0 << "private" << v1 << "mine now"
                                           << "SNMP SET failed: noSuchName (2) at variable 1: sysDescr.0" << false;
        QTest::newRow("read-only, SNMPv2c") << kSysDescr0 << "private" << v2c << "mine now"
                                            << "SNMP SET failed: noAccess (6) at variable 1: sysDescr.0" << false;
        QTest::newRow("unknown object") << "1.3.6.1.4.1.99999.1.0" << "private" << v2c << "nobody's"
                                        << "SNMP SET failed: noAccess (6) at variable 1: 1.3.6.1.4.1.99999.1.0" << false;
        QTest::newRow("wrong community") << kSysContact0 << "secret" << v1 << "never" << kNoAnswer << false;
        // a profile's SNMPv3 user, picked by the profile's name
        QTest::newRow("written through an SNMPv3 profile") << kSysContact0 << "v3 profile" << v1 << "v3 was here"
                                                           << "SNMP SET succeeded: system.4.0 = v3 was here" << true;
    }

    void answers()
    {
        if (!m_agentFailure.isEmpty())
            QSKIP(qPrintable(m_agentFailure));
        QFETCH(QString, oid);
        QFETCH(QString, community);
        QFETCH(QString, value);
        QFETCH(QString, answer);
        QFETCH(bool, written);
        const QString address = QStringLiteral("127.0.0.1:%1").arg(m_agent.port());
        QString device = address;
        answer.replace(QLatin1String("%1"), device);
        MemorySecretStore secrets;
        DeviceProfileStore profiles(&secrets);
        if (community == u"v3 profile") {
            DeviceProfile profile;
            profile.name = QStringLiteral("v3 lab");
            profile.target = TestSupport::v3PrivTarget(m_agent.port());
            QVERIFY(!profiles.add(profile));
            m_dlg->setDeviceProfiles(&profiles);
            device = profile.name;
            community.clear();
        }
        // the dialog has no version field: the session's own setting
        QFETCH(int, version);
        m_dlg->session()->setVersion(version);
        // short only where no answer comes: a busy machine may answer late
        if (community != u"private" && community != u"v3 profile")
            m_dlg->request()->setAnswerTimeout(kShortTimeout);
        m_dlg->show(); // Return reaches the default button of a shown dialog only
        if (oid.isEmpty()) {
            // stepping through the tree (system, sysDescr, sysLocation): the
            // syntax comes from the database
            QTest::keyClick(m_dlg->oidField(), Qt::Key_Down);
            QTest::keyClick(m_dlg->oidField(), Qt::Key_Down);
            QCOMPARE(m_dlg->oidField()->currentText(), kSysLocation0);
            QCOMPARE(m_dlg->syntaxCombo()->currentIndex(), int(CSnmpSetDlg::SyntaxOctets));
            oid = kSysLocation0;
        }
        QSignalSpy notes(m_dlg->session(), &CSnmpSession::snmpNotify);
        submit(device, oid, CSnmpSetDlg::SyntaxOctets, value, community);
        // a second Submit while the first is outstanding sends nothing (a
        // profile's request goes out once its secrets have been read)
        if (device == address)
            QVERIFY(!m_dlg->submitButton()->isEnabled());
        else
            QTRY_VERIFY(!notes.isEmpty());
        QTest::keyClick(m_dlg->valueEdit(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(m_dlg->submitButton()->isEnabled(), 10000);
        // under the description of a picked object
        const QStringList lines = m_dlg->statusBox()->toPlainText().split(u'\n');
        QCOMPARE(lines.mid(lines.size() - 2), QStringList({kSent, answer}));
        QCOMPARE(m_messages->texts, written ? QStringList() : QStringList{answer});
        const auto isSent = [](const QList<QVariant> &n) { return n.at(0).value<SnmpNotifyCode>() == SNMPN_OTHER_SENT; };
        QCOMPARE(std::count_if(notes.cbegin(), notes.cend(), isSent), qsizetype(1));
        const TestSupport::ToolResult got = TestSupport::runSnmpTool(
            QStringLiteral("snmpget"), {"-v2c", "-c", "public", "-Ov", address, oid}, m_dir.path());
        QVERIFY2(got.started && got.exitCode == 0, qPrintable(got.output));
        QVERIFY2(got.output.contains(value) == written, qPrintable(got.output));
        QCOMPARE(m_devices.size(), 3); // the device typed here is not remembered
    }

    void oddAnswers_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("answer");

        QTest::newRow("index 0")
            << 5 << 0 << "SNMP SET failed: genErr (5); the agent named no variable (error index 0).";
        QTest::newRow("index beyond the list")
            << 17 << 2 << "SNMP SET failed: notWritable (17); the agent named no variable (error index 2).";
        QTest::newRow("status unknown")
            << 25 << 1 << "SNMP SET failed: unknown error status (25) at variable 1: sysLocation.0";
    }

    void oddAnswers()
    {
        // answered by the test's socket, as no snmpd would
        QFETCH(int, status);
        QFETCH(int, index);
        QFETCH(QString, answer);
        submit(catcherDevice(), kSysLocation0, CSnmpSetDlg::SyntaxOctets, QStringLiteral("x"));
        QVERIFY(m_catcher.hasPendingDatagrams() || QSignalSpy(&m_catcher, &QUdpSocket::readyRead).wait(10000));
        const QNetworkDatagram request = m_catcher.receiveDatagram();
        std::optional<SnmpMessage> reply = SnmpDecodeMessage(request.data());
        QVERIFY(reply);
        reply->pdu.type = SNMP_PDU_RESPONSE;
        reply->pdu.errorStatus = status;
        reply->pdu.errorIndex = index;
        m_catcher.writeDatagram(SnmpEncodeMessage(*reply), request.senderAddress(), request.senderPort());
        QTRY_COMPARE(m_messages->texts, QStringList{answer});
    }

    void sentValues_data()
    {
        QTest::addColumn<int>("syntax");
        QTest::addColumn<QString>("text");
        QTest::addColumn<SnmpValue>("value");

        // Unsigned32 travels with the tag of Gauge32
        QTest::newRow("unsigned, highest") << int(CSnmpSetDlg::SyntaxUnsigned) << "4294967295"
                                           << SnmpValue::unsignedValue(SNMP_SYNTAX_GAUGE32, 4294967295u);
        QTest::newRow("signed, lowest") << int(CSnmpSetDlg::SyntaxSigned) << "-2147483648"
                                        << SnmpValue::integer(std::numeric_limits<qint32>::min());
        QTest::newRow("signed, leading number") << int(CSnmpSetDlg::SyntaxSigned) << " 42 volts" << SnmpValue::integer(42);
        QTest::newRow("address, final dot") << int(CSnmpSetDlg::SyntaxIpAddress) << "192.0.2.255."
                                            << SnmpValue::bytes(SNMP_SYNTAX_IPADDR, QByteArray("\xC0\x00\x02\xFF", 4));
        QTest::newRow("object identifier") << int(CSnmpSetDlg::SyntaxOid) << "1.3.6.1.4.1.8072"
                                           << SnmpValue::objectId({1, 3, 6, 1, 4, 1, 8072});
        QTest::newRow("octets, UTF-8") << int(CSnmpSetDlg::SyntaxOctets) << QStringLiteral("Büro 3")
                                       << SnmpValue::bytes(SNMP_SYNTAX_OCTETS, QByteArray("B\xC3\xBCro 3"));
    }

    void sentValues()
    {
        QFETCH(int, syntax);
        QFETCH(QString, text);
        QFETCH(SnmpValue, value);
        submit(catcherDevice(), kSysLocation0, syntax, text);
        const std::optional<SnmpMessage> message = caught();
        QVERIFY(message);
        QCOMPARE(message->community, QByteArray("private"));
        QCOMPARE(message->pdu.type, quint32(SNMP_PDU_SET));
        QCOMPARE(message->pdu.varbinds.size(), size_t(1));
        QCOMPARE(message->pdu.varbinds[0].oid, SnmpOid::fromString(kSysLocation0).value());
        const SnmpValue &sent = message->pdu.varbinds[0].value;
        QCOMPARE(sent.syntax, value.syntax);
        QCOMPARE(sent.number, value.number);
        QCOMPARE(sent.octets, value.octets);
        QCOMPARE(sent.oid, value.oid);
        QTRY_COMPARE(m_dlg->statusBox()->toPlainText(), kSent);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("device"); // "@": the test's socket
        QTest::addColumn<QString>("oid");
        QTest::addColumn<int>("syntax");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: nothing is shown

        const int ip = CSnmpSetDlg::SyntaxIpAddress;
        const int u32 = CSnmpSetDlg::SyntaxUnsigned;
        const int i32 = CSnmpSetDlg::SyntaxSigned;
        const QString s = kSysLocation0;
        const QString unsignedRange = QStringLiteral("is outside the range of a 32-bit unsigned integer.\nEnter a number from 0 to 4294967295.");
        const QString signedRange = QStringLiteral("is outside the range of a 32-bit signed integer.\nEnter a number from -2147483648 to 2147483647.");
        // 255 is sent (sentValues)
        QTest::newRow("address part 256") << "@" << s << ip << "10.0.0.256" << kBadAddress;
        QTest::newRow("address of three parts") << "@" << s << ip << "10.0.0" << kBadAddress;
        QTest::newRow("address of five parts") << "@" << s << ip << "1.2.3.4.5" << kBadAddress;
        QTest::newRow("address part not a number") << "@" << s << ip << "10.0.x.1" << kBadAddress;
        QTest::newRow("unsigned -1") << "@" << s << u32 << "-1" << "The value -1 " + unsignedRange;
        QTest::newRow("unsigned 2^32") << "@" << s << u32 << "4294967296" << "The value 4294967296 " + unsignedRange;
        QTest::newRow("unsigned beyond 64 bits") << "@" << s << u32 << "123456789012345678901234"
                                                 << "The value 123456789012345678901234 " + unsignedRange;
        QTest::newRow("signed 2^31") << "@" << s << i32 << "2147483648" << "The value 2147483648 " + signedRange;
        QTest::newRow("signed below -2^31") << "@" << s << i32 << "-2147483649" << "The value -2147483649 " + signedRange;
        QTest::newRow("integer abc") << "@" << s << i32 << "abc"
                                     << "The value \"abc\" is not a decimal number.\nEnter a number from -2147483648 to 2147483647.";
        QTest::newRow("OID value not an OID") << "@" << s << int(CSnmpSetDlg::SyntaxOid) << "1.3.x" << SnmpErrorText(SNMPAPI_OID_INVALID);
        // what the session itself refuses (an OID that is no OID, an empty
        // device) is proven in tst_snmp_session
        QTest::newRow("no syntax") << "@" << s << -1 << "5" << QString();
    }

    void refused()
    {
        QFETCH(QString, device);
        QFETCH(QString, oid);
        QFETCH(int, syntax);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QSignalSpy notes(m_dlg->session(), &CSnmpSession::snmpNotify);
        submit(device == u"@" ? catcherDevice() : device, oid, syntax, text);
        if (!message.isEmpty())
            QTRY_COMPARE(m_messages->texts, QStringList{message});
        // Then a good request: the first datagram to arrive must be that one,
        // so the refused one never went out.
        const QString marker = QStringLiteral("marker");
        submit(catcherDevice(), kSysLocation0, CSnmpSetDlg::SyntaxOctets, marker);
        const std::optional<SnmpMessage> first = caught();
        QVERIFY(first && first->pdu.varbinds.size() == 1);
        QCOMPARE(first->pdu.varbinds[0].value.octets, marker.toUtf8());
        QTRY_COMPARE(m_dlg->statusBox()->toPlainText(), kSent);
        QCOMPARE(m_messages->texts, message.isEmpty() ? QStringList() : QStringList{message});
        // the session itself refuses a bad OID text and an empty device
        for (qsizetype i = 0; i < notes.size(); ++i)
            QCOMPARE(notes.at(i).at(0).value<SnmpNotifyCode>(), i + 1 == notes.size() ? SNMPN_OTHER_SENT : SNMPN_SEND_ERROR);
    }

    void pick_data()
    {
        QTest::addColumn<QString>("oid");
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("syntaxBefore");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("syntaxAfter");

        QTest::newRow("writable, Japanese") << "1.3.6.1.2.1.1.6" << "ja" << int(CSnmpSetDlg::SyntaxSigned) << "設置場所。"
                                            << int(CSnmpSetDlg::SyntaxOctets);
        QTest::newRow("read-only keeps the syntax") << "1.3.6.1.2.1.1.1" << "en" << int(CSnmpSetDlg::SyntaxOid) << kNotWritable
                                                    << int(CSnmpSetDlg::SyntaxOid);
        QTest::newRow("unknown object") << "1.3.6.1.4.1.99999.1" << "en" << -1 << kNotWritable << -1;
    }

    void pick()
    {
        QFETCH(QString, oid);
        QFETCH(QString, language);
        QFETCH(int, syntaxBefore);
        m_settings.strLanguage = language;
        m_dlg->syntaxCombo()->setCurrentIndex(syntaxBefore);
        OidTreeItem item;
        item.strOid = oid;
        emit m_dlg->oidField()->oidSelected(&item);
        QCOMPARE(m_dlg->oidField()->currentText(), oid + QStringLiteral(".0"));
        QCOMPARE(m_dlg->pickedOid(), oid);
        QTEST(m_dlg->statusBox()->toPlainText(), "status");
        QTEST(m_dlg->syntaxCombo()->currentIndex(), "syntaxAfter");
        QVERIFY(m_messages->texts.isEmpty());
    }


private:
    // Fills the fields and presses Submit as a user does; syntax -1 leaves
    // the list as it is.
    void submit(const QString &device, const QString &oid, int syntax, const QString &value,
                const QString &community = QStringLiteral("private"));
    // The next datagram the catcher socket receives, decoded.
    std::optional<SnmpMessage> caught();
    QString catcherDevice() const { return QStringLiteral("127.0.0.1:%1").arg(m_catcher.localPort()); }

    QTemporaryDir m_dir;
    TestSupport::Snmpd m_agent;
    QString m_agentFailure;
    CXMLRead m_reader;
    CAppSettings m_settings;
    QUdpSocket m_catcher;
    DeviceList m_devices;
    std::unique_ptr<CSnmpSetDlg> m_dlg;
    std::unique_ptr<MessageCatcher> m_messages;
};

void TestSnmpSetDlg::submit(const QString &device, const QString &oid, int syntax, const QString &value,
                            const QString &community)
{
    typeInto(m_dlg->deviceCombo()->lineEdit(), device);
    QCOMPARE(m_dlg->deviceCombo()->currentText(), device); // not completed to a listed device
    typeInto(m_dlg->communityEdit(), community);
    typeInto(m_dlg->oidField()->lineEdit(), oid);
    if (syntax >= 0) {
        QTest::keyClick(m_dlg->syntaxCombo(), Qt::Key_Home);
        for (int i = 0; i < syntax; ++i)
            QTest::keyClick(m_dlg->syntaxCombo(), Qt::Key_Down);
        QCOMPARE(m_dlg->syntaxCombo()->currentIndex(), syntax);
    }
    typeInto(m_dlg->valueEdit(), value);
    QTest::mouseClick(m_dlg->submitButton(), Qt::LeftButton);
}

std::optional<SnmpMessage> TestSnmpSetDlg::caught()
{
    if (!m_catcher.hasPendingDatagrams() && !QSignalSpy(&m_catcher, &QUdpSocket::readyRead).wait(10000))
        return std::nullopt;
    return SnmpDecodeMessage(m_catcher.receiveDatagram().data());
}

QTEST_MAIN(TestSnmpSetDlg)
#include "tst_snmpsetdlg.moc"
