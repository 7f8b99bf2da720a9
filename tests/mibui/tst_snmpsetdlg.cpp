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
#include "userinput.h"
#include "xmlread.h"

#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <algorithm>
#include <chrono>

Q_DECLARE_METATYPE(SnmpValue)

using namespace Qt::StringLiterals;

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
    // what the MIB allows: an enumeration, a range, a size
    " <oid key=\"98\"><name>sysMode</name><syntax>INTEGER</syntax><access>read-write</access><write>1</write>"
    "  <enum value=\"1\">up</enum><enum value=\"2\">down</enum></oid>"
    " <oid key=\"7\"><name>sysServices</name><syntax>INTEGER</syntax><access>read-write</access><write>1</write>"
    "  <range min=\"0\" max=\"127\"/></oid>"
    " <oid key=\"97\"><name>sysTag</name><syntax>OCTET STRING</syntax><access>read-write</access><write>3</write>"
    "  <range min=\"0\" max=\"4\"/></oid>"
    "</oid>"
    "</mib_table>";

using TestSupport::MessageCatcher;
using TestSupport::typeInto;

} // namespace

class TestSnmpSetDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("MIBTable.xml"));
        QVERIFY(TestSupport::writeFile(path, kDatabase));
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
        QTest::addColumn<QString>("oid");
        QTest::addColumn<QString>("community");
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("answer"); // %1: the device
        QTest::addColumn<bool>("written");

        using TestSupport::row;
        const int v1 = SNMP_VERSION_V1, v2c = SNMP_VERSION_V2C;
        row("written, named by the database", kSysLocation0, u"private"_s, v1, u"Lab 7, rack 3"_s,
            u"SNMP SET succeeded: sysLocation.0 = Lab 7, rack 3"_s, true);
        row("written, named by its parent", kSysContact0, u"private"_s, v2c, u"rack 7"_s, u"SNMP SET succeeded: system.4.0 = rack 7"_s, true);
        // snmpd refuses an object outside the community's write view as
        // noAccess, which SNMPv1 can only say as noSuchName
        row("read-only, SNMPv1", kSysDescr0, u"private"_s, v1, u"mine now"_s, u"SNMP SET failed: noSuchName (2) at variable 1: sysDescr.0"_s, false);
        row("read-only, SNMPv2c", kSysDescr0, u"private"_s, v2c, u"mine now"_s, u"SNMP SET failed: noAccess (6) at variable 1: sysDescr.0"_s, false);
        row("wrong community", kSysContact0, u"secret"_s, v1, u"never"_s, kNoAnswer, false);
        // a profile's SNMPv3 user, picked by the profile's name
        row("written through an SNMPv3 profile", kSysContact0, u"v3 profile"_s, v1, u"v3 was here"_s, u"SNMP SET succeeded: system.4.0 = v3 was here"_s, true);
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
        const QString address = m_agent.address();
        QString device = address;
        // short only where no answer comes: a busy machine may answer late
        if (answer == kNoAnswer)
            m_dlg->request()->setAnswerTimeout(kShortTimeout);
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
        m_dlg->show(); // Return reaches the default button of a shown dialog only
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
        // the last two lines: a profile's SNMPv3 user stands above them
        const QStringList lines = m_dlg->statusBox()->toPlainText().split(u'\n');
        QCOMPARE(lines.mid(lines.size() - 2), QStringList({kSent, answer}));
        QCOMPARE(m_messages->texts, written ? QStringList() : QStringList{answer});
        const auto isSent = [](const QList<QVariant> &n) { return n.at(0).value<SnmpNotifyCode>() == SNMPN_OTHER_SENT; };
        QCOMPARE(std::count_if(notes.cbegin(), notes.cend(), isSent), qsizetype(1));
        const QString got = TestSupport::snmpGetValue({"-v2c", "-cpublic"}, m_agent.address(), oid, m_dir.path());
        QVERIFY2((got == value) == written, qPrintable(got));
        QCOMPARE(m_devices.size(), 3); // the device typed here is not remembered
    }

    // What leaves on the wire for a typed value, and how an odd answer to it
    // (from the test's socket, as no snmpd would give it) is reported; or,
    // with no value, the refusal of the input before anything is sent, also
    // by the object's enumeration, range and size from the database (an
    // enumeration is offered and may be named).
    void wire_data()
    {
        QTest::addColumn<QString>("oid");
        QTest::addColumn<int>("syntax");
        QTest::addColumn<QString>("text");
        QTest::addColumn<SnmpValue>("value"); // null: refused
        QTest::addColumn<int>("status");      // of the answer; 0: none is given
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("message"); // empty: nothing is shown
        const auto row = [](const char *name, int syntax, const QString &text, const SnmpValue &value, int status, int index,
                            const QString &message) { TestSupport::row(name, kSysLocation0, syntax, text, value, status, index, message); };
        const auto mib = [](const char *name, const char *oid, int syntax, const QString &text, const SnmpValue &value,
                            const QString &message) { TestSupport::row(name, QString::fromLatin1(oid), syntax, text, value, 0, 0, message); };
        const SnmpValue refused;
        const int ip = CSnmpSetDlg::SyntaxIpAddress, u32 = CSnmpSetDlg::SyntaxUnsigned, i32 = CSnmpSetDlg::SyntaxSigned;
        const int octets = CSnmpSetDlg::SyntaxOctets;
        // Unsigned32 travels with the tag of Gauge32
        row("unsigned, highest", u32, u"4294967295"_s, SnmpValue::unsignedValue(SNMP_SYNTAX_GAUGE32, 4294967295u), 0, 0, QString());
        row("signed, lowest", i32, u"-2147483648"_s, SnmpValue::integer(std::numeric_limits<qint32>::min()), 0, 0, QString());
        row("signed, leading number", i32, u" 42 volts"_s, SnmpValue::integer(42), 0, 0, QString());
        row("address, final dot", ip, u"192.0.2.255."_s, SnmpValue::bytes(SNMP_SYNTAX_IPADDR, "\xC0\x00\x02\xFF"_ba), 0, 0, QString());
        row("object identifier", int(CSnmpSetDlg::SyntaxOid), u"1.3.6.1.4.1.8072"_s, SnmpValue::objectId({1, 3, 6, 1, 4, 1, 8072}), 0, 0, QString());
        const SnmpValue x = SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "x");
        row("octets, UTF-8", octets, u"Büro 3"_s, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "B\xC3\xBCro 3"), 0, 0, QString());
        row("answer of index 0", octets, u"x"_s, x, 5, 0, u"SNMP SET failed: genErr (5); the agent named no variable (error index 0)."_s);
        row("answer of index beyond the list", octets, u"x"_s, x, 17, 2, u"SNMP SET failed: notWritable (17); the agent named no variable (error index 2)."_s);
        row("answer of unknown status", octets, u"x"_s, x, 25, 1, u"SNMP SET failed: unknown error status (25) at variable 1: sysLocation.0"_s);
        const QString unsignedRange = u"is outside the range of a 32-bit unsigned integer.\nEnter a number from 0 to 4294967295."_s;
        const QString signedRange = u"is outside the range of a 32-bit signed integer.\nEnter a number from -2147483648 to 2147483647."_s;
        for (const char *address : {"10.0.0.256", "10.0.0", "1.2.3.4.5", "10.0.x.1"})
            row(qPrintable(u"address "_s + QLatin1String(address)), ip, QString::fromLatin1(address), refused, 0, 0, kBadAddress);
        for (const char *number : {"-1", "4294967296", "123456789012345678901234"})
            row(qPrintable(u"unsigned "_s + QLatin1String(number)), u32, QString::fromLatin1(number), refused, 0, 0,
                u"The value %1 "_s.arg(QLatin1String(number)) + unsignedRange);
        for (const char *number : {"2147483648", "-2147483649"})
            row(qPrintable(u"signed "_s + QLatin1String(number)), i32, QString::fromLatin1(number), refused, 0, 0,
                u"The value %1 "_s.arg(QLatin1String(number)) + signedRange);
        row("integer abc", i32, u"abc"_s, refused, 0, 0, u"The value \"abc\" is not a decimal number.\nEnter a number from -2147483648 to 2147483647."_s);
        row("OID value not an OID", int(CSnmpSetDlg::SyntaxOid), u"1.3.x"_s, refused, 0, 0, SnmpErrorText(SNMPAPI_OID_INVALID));
        // what the session itself refuses (an OID that is no OID, an empty
        // device) is proven in tst_snmp_session
        row("no syntax", -1, u"5"_s, refused, 0, 0, QString());
        mib("enumeration by label", "1.3.6.1.2.1.1.98.0", i32, u"down"_s, SnmpValue::integer(2), QString());
        mib("not in the enumeration", "1.3.6.1.2.1.1.98.0", i32, u"3"_s, refused, u"3 is not a value of sysMode, which takes up(1), down(2)."_s);
        mib("no such label", "1.3.6.1.2.1.1.98.0", i32, u"sideways"_s, refused, u"\"sideways\" is not a value of sysMode, which takes up(1), down(2)."_s);
        mib("outside the range", "1.3.6.1.2.1.1.7.0", i32, u"128"_s, refused, u"128 is outside the range of sysServices (0..127)."_s);
        mib("size that fits", "1.3.6.1.2.1.1.97.0", octets, u"abcd"_s, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "abcd"), QString());
        mib("too long", "1.3.6.1.2.1.1.97.0", octets, u"abcde"_s, refused, u"The value is 5 octets long; sysTag takes 0..4 octets."_s);
    }

    void wire()
    {
        QFETCH(QString, oid);
        QFETCH(SnmpValue, value);
        QFETCH(int, status);
        QFETCH(QString, message);
        QSignalSpy notes(m_dlg->session(), &CSnmpSession::snmpNotify);
        QFETCH(int, syntax);
        QFETCH(QString, text);
        submit(catcherDevice(), oid, syntax, text);
        QCOMPARE(m_dlg->enumCombo()->isVisibleTo(m_dlg.get()), oid.startsWith(u"1.3.6.1.2.1.1.98"));
        const bool refused = value == SnmpValue();
        if (refused) {
            if (!message.isEmpty())
                QTRY_COMPARE(m_messages->texts, QStringList{message});
            // Then a good request: the first datagram to arrive must be that
            // one, so the refused one never went out.
            value = SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "marker");
            oid = kSysLocation0;
            submit(catcherDevice(), oid, CSnmpSetDlg::SyntaxOctets, u"marker"_s);
        }
        QVERIFY(m_catcher.hasPendingDatagrams() || QSignalSpy(&m_catcher, &QUdpSocket::readyRead).wait(10000));
        const QNetworkDatagram request = m_catcher.receiveDatagram();
        std::optional<SnmpMessage> sent = SnmpDecodeMessage(request.data());
        QVERIFY(sent);
        QCOMPARE(sent->community, QByteArray("private"));
        QCOMPARE(sent->pdu.type, quint32(SNMP_PDU_SET));
        QCOMPARE(sent->pdu.varbinds, (SnmpVarList{{SnmpOid::fromString(oid).value(), value}}));
        QTRY_COMPARE(m_dlg->statusBox()->toPlainText(), kSent);
        if (refused) {
            // the session itself refuses a bad OID text and an empty device
            for (qsizetype i = 0; i < notes.size(); ++i)
                QCOMPARE(notes.at(i).at(0).value<SnmpNotifyCode>(), i + 1 == notes.size() ? SNMPN_OTHER_SENT : SNMPN_SEND_ERROR);
        }
        if (!status) {
            QCOMPARE(m_messages->texts, message.isEmpty() ? QStringList() : QStringList{message});
            return;
        }
        sent->pdu.type = SNMP_PDU_RESPONSE;
        sent->pdu.errorStatus = status;
        QFETCH(int, index);
        sent->pdu.errorIndex = index;
        m_catcher.writeDatagram(SnmpEncodeMessage(*sent), request.senderAddress(), request.senderPort());
        QTRY_COMPARE(m_messages->texts, QStringList{message});
    }

    void pick_data()
    {
        QTest::addColumn<QString>("oid");
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("syntaxBefore");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("syntaxAfter");

        using TestSupport::row;
        const int i32 = CSnmpSetDlg::SyntaxSigned, oidSyntax = CSnmpSetDlg::SyntaxOid;
        row("writable, Japanese", u"1.3.6.1.2.1.1.6"_s, u"ja"_s, i32, u"設置場所。"_s, int(CSnmpSetDlg::SyntaxOctets));
        row("read-only keeps the syntax", u"1.3.6.1.2.1.1.1"_s, u"en"_s, oidSyntax, kNotWritable, oidSyntax);
        row("unknown object", u"1.3.6.1.4.1.99999.1"_s, u"en"_s, -1, kNotWritable, -1);
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
                const QString &community = QStringLiteral("private"))
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

QTEST_MAIN(TestSnmpSetDlg)
#include "tst_snmpsetdlg.moc"
