// Object monitoring: the settings dialog, the history's arithmetic, the
// graph as painted, and monitor windows polling a real snmpd through the
// MIB walk dialog that owns them.

#include "messagecatcher.h"
#include "mibwalkdlg.h"
#include "monitordatafile.h"
#include "monitorsettingsdlg.h"
#include "monitorwnd.h"
#include "v3credentials.h"
#include "testsupport.h"
#include "xmlread.h"
#include "userinput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

#include <memory>


namespace {

const QString kIfInOctets1 = QStringLiteral("1.3.6.1.2.1.2.2.1.10.1"); // Counter32
const QString kIfNumber = QStringLiteral("1.3.6.1.2.1.2.1.0");      // INTEGER: ifNumber.0
const QString kTimeoutText = QStringLiteral("SNMP request timeout occured.\nMonitoring window will be terminated.");
const QString kErrorText = QStringLiteral("Received SNMP error.\nMonitoring window will be terminated.");
const QString kOpenText = QStringLiteral("Unable to open SNMP service.\nPlease verify device name.");
enum MenuEntry { CloseEntry = 0, PauseEntry = 1 };

using TestSupport::chooseFromContextMenu;
using TestSupport::typeInto;

SnmpVarBind number(quint32 syntax, qint64 value)
{
    return {SnmpOid{1, 3, 6, 1}, SnmpValue::unsignedValue(syntax, quint32(value))};
}

SnmpVarBind counter64(quint64 value)
{
    return {SnmpOid{1, 3, 6, 1}, SnmpValue::counter(value)};
}

using Responses = QList<SnmpVarList>;
using Values = std::vector<qint64>;

} // namespace

class TestMonitor : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    TestSupport::Snmpd m_agent;
    std::unique_ptr<CMibWalkDlg> m_walk;
    CXMLRead m_reader; // the bundled database

    QString agent() const { return m_agent.address(); }

    MonitorSettings settings(const QStringList &oids, const QString &device) const
    {
        MonitorSettings s;
        s.pollingInterval = 1;
        s.timeout = 2;
        s.device = device;
        s.community = QStringLiteral("public");
        s.oidList = oids.join(QLatin1String("\r\n"));
        return s;
    }

    // A window that never starts polling, fed with answers by the test.
    std::unique_ptr<CMonitorWnd> fedWindow(int mode, const Responses &answers)
    {
        auto w = std::make_unique<CMonitorWnd>();
        MonitorSettings s = settings({kIfInOctets1, kIfNumber}, QStringLiteral("10.0.0.1"));
        s.startTime = std::numeric_limits<qint32>::max();
        s.graphMode = mode;
        if (!w->Create(nullptr, s))
            return nullptr;
        w->resize(400, 260);
        SnmpPdu pdu;
        for (const SnmpVarList &variables : answers) {
            pdu.varbinds = variables;
            w->ProcessResponse(pdu);
        }
        return w;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_reader.loadMIBTable(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml")));
        const QString why = m_agent.start(m_dir.filePath(QStringLiteral("agent")), TestSupport::freeUdpPort());
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
    }

    void init()
    {
        m_walk = std::make_unique<CMibWalkDlg>();
        m_walk->m_pReader = &m_reader;
        m_walk->Create();
    }

    void cleanup() { m_walk.reset(); }

    void settingsDialog_data()
    {
        QTest::addColumn<QString>("durationText");
        QTest::addColumn<quint32>("duration");
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("interval"); // typed, as are the max histories
        QTest::addColumn<QString>("histories");
        QTest::addColumn<bool>("enter");      // confirmed with Enter, else with a click on OK
        QTest::addColumn<QString>("message"); // empty: accepted
        const QString interval = QStringLiteral("Please enter an integer between 1 and 360.");
        const QString histories = QStringLiteral("Please enter an integer between 200 and 999.");
        QTest::newRow("24 hours, saved") << "24 Hours" << 1440u << true << "10.0.0.1.csv" << "360" << "999" << true << "";
        QTest::newRow("typed text: no end") << "90 Minutes" << 0u << false << "" << "1" << "200" << false << "";
        QTest::newRow("save with no name") << "1 Hour" << 60u << true << "" << "5" << "200" << false << "";
        QTest::newRow("interval 0") << "1 Hour" << 60u << false << "" << "0" << "200" << false << interval;
        QTest::newRow("max histories 1000") << "1 Hour" << 60u << false << "" << "5" << "1000" << true << histories;
    }

    void settingsDialog()
    {
        CMonitorSettingsDlg dlg;
        dlg.m_settings.device = QStringLiteral("10.0.0.1");
        dlg.m_settings.oidList = kIfInOctets1 + QLatin1String("\r\n") + kIfNumber;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QCOMPARE(dlg.oidText()->toPlainText(), kIfInOctets1 + u'\n' + kIfNumber);
        QCOMPARE(dlg.fileNameEdit()->text(), QStringLiteral("10.0.0.1.csv"));
        QVERIFY(!dlg.fileNameEdit()->isEnabled() && !dlg.browseButton()->isEnabled());
        QTest::mouseClick(dlg.modeButton(MonitorGraphDelta), Qt::LeftButton);
        QTest::mouseClick(dlg.graphCheck(), Qt::LeftButton); // off: the modes grey out, the choice stays
        QVERIFY(!dlg.modeButton(MonitorGraphDelta)->isEnabled());
        QFETCH(bool, save);
        QFETCH(QString, fileName);
        if (save) {
            QTest::mouseClick(dlg.saveCheck(), Qt::LeftButton);
            QVERIFY(dlg.fileNameEdit()->isEnabled() && dlg.browseButton()->isEnabled());
            typeInto(dlg.fileNameEdit(), fileName);
        }
        QFETCH(QString, durationText);
        typeInto(dlg.durationCombo()->lineEdit(), durationText);
        QFETCH(QString, interval);
        QFETCH(QString, histories);
        typeInto(dlg.intervalSpin(), interval);
        typeInto(dlg.maxHistoriesSpin(), histories);

        TestSupport::MessageCatcher boxes;
        QFETCH(bool, enter);
        if (enter)
            QTest::keyClick(dlg.maxHistoriesSpin(), Qt::Key_Return);
        else
            QTest::mouseClick(dlg.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        // a number out of range is refused as typed: no other one is put in its
        // place (the message names both ends of the range)
        QFETCH(QString, message);
        QCOMPARE(boxes.texts, message.isEmpty() ? QStringList() : QStringList(message));
        QCOMPARE(dlg.intervalSpin()->cleanText(), interval);
        QCOMPARE(dlg.maxHistoriesSpin()->cleanText(), histories);
        QCOMPARE(dlg.isVisible(), !message.isEmpty());
        if (!message.isEmpty())
            return;
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        const MonitorSettings &s = dlg.m_settings;
        QTEST(s.duration, "duration");
        QCOMPARE(s.save, save && !fileName.isEmpty());
        QCOMPARE(s.fileName, s.save ? fileName : QString());
        QVERIFY(!s.graph);
        QCOMPARE(s.graphMode, int(MonitorGraphDelta));
        QCOMPARE(s.pollingInterval, interval.toUInt());
        QCOMPARE(s.maxHistories, histories.toUInt());
        QVERIFY(qAbs(s.startTime - std::time(nullptr)) < 5);
    }

    // The history's arithmetic, as a window that never polls keeps it; the
    // rows named "painted" also check the graph as painted.
    void history_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Responses>("answers");
        QTest::addColumn<Values>("lastPlotted");
        QTest::addColumn<quint64>("maximum");
        QTest::addColumn<int>("samples");
        using TestSupport::row;
        const auto gauge = [](qint64 v) { return SnmpVarList{number(SNMP_SYNTAX_GAUGE32, v)}; };
        const SnmpVarBind text{SnmpOid{1, 3}, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "up")};
        row("counter above 2^31 stays unsigned", 0, Responses{{number(SNMP_SYNTAX_CNTR32, 3000000000)}}, Values{3000000000}, quint64(3000000000), 1);
        row("integer is signed", 0, Responses{{number(SNMP_SYNTAX_INT32, -5), number(SNMP_SYNTAX_GAUGE32, 7)}}, Values{-5, 7}, quint64(7), 1);
        row("text and ticks skipped: the counter is position 0", 0,
            Responses{{text, number(SNMP_SYNTAX_TIMETICKS, 5), number(SNMP_SYNTAX_CNTR32, 9)}}, Values{9}, quint64(9), 1);
        row("no numbers: no sample", 0, Responses{{text}}, Values{}, quint64(0), 0);
        row("delta from initial, gauge falls below the start", 1, Responses{gauge(10), gauge(30), gauge(4)}, Values{-6}, quint64(20), 3);
        row("delta of a wrapping counter", 2, Responses{{number(SNMP_SYNTAX_CNTR32, 4294967290)}, {number(SNMP_SYNTAX_CNTR32, 5)}}, Values{11}, quint64(11), 2);
        row("delta, falling integer", 2, Responses{{number(SNMP_SYNTAX_INT32, 100)}, {number(SNMP_SYNTAX_INT32, -100)}}, Values{-200}, quint64(200), 2);
        const quint64 top = std::numeric_limits<quint64>::max();
        row("counter64 kept whole, plotted at the top", 0, Responses{{counter64(top)}}, Values{std::numeric_limits<qint64>::max()}, top, 1);
        row("delta of a counter64 wrapping past 2^64", 2, Responses{{counter64(top - 5)}, {counter64(5)}}, Values{11}, quint64(11), 2);
        Responses many, eleven;
        for (int i = 1; i <= 201; ++i)
            many << gauge(i);
        row("201 samples keep the newest 200", 0, many, Values{201}, quint64(201), 200);
        row("painted: value, one sample", 0, Responses{{number(SNMP_SYNTAX_GAUGE32, 50), number(SNMP_SYNTAX_GAUGE32, 0)}}, Values{50, 0}, quint64(50), 1);
        const SnmpVarList seven{number(SNMP_SYNTAX_CNTR32, 7)};
        row("painted: delta from initial, constant", 1, Responses{seven, seven, seven}, Values{0}, quint64(0), 3);
        for (int i = 0; i < 11; ++i)
            eleven << gauge(10 + i);
        row("painted: eleven samples", 0, eleven, Values{20}, quint64(20), 11);
        row("painted: delta, falling gauge", 2, Responses{gauge(10), gauge(4)}, Values{-6}, quint64(6), 2);
    }

    void history()
    {
        QFETCH(int, mode);
        QFETCH(Responses, answers);
        const auto w = fedWindow(mode, answers);
        QVERIFY(w);
        const MonitorHistory &history = w->history();
        QTEST(int(history.samples().size()), "samples");
        QTEST(history.maximum(), "maximum");
        if (!history.samples().empty())
            QTEST(history.samples().back().values, "lastPlotted");
        if (answers.size() == 201)
            QCOMPARE(history.samples().front().values, Values{2});
        const QString row = QTest::currentDataTag();
        if (!row.startsWith(u"painted: "))
            return;
        const QImage image = w->grab().toImage();
        const QRect g = w->graphRect();
        QVERIFY(g.height() > 20);
        const int n = int(answers.size());
        const auto x = [&](int i) { return g.left() + i * (g.right() - g.left()) / (n + 2); };
        const auto at = [&](int px, int py) { return QColor(image.pixel(px, py)); };
        const int zero = g.bottom() - (g.bottom() - g.top()) / 2;
        if (row.endsWith(u"value, one sample")) {
            // both points at the left edge: the largest at the top, 0 on the axis
            QCOMPARE(at(g.left(), g.top() - 1), CMonitorWnd::seriesColor(0));
            QCOMPARE(at(g.left(), g.bottom() - 1), CMonitorWnd::seriesColor(1));
            QCOMPARE(w->maxLabel(), QStringLiteral("Max=50"));
        } else if (row.endsWith(u"delta from initial, constant")) {
            for (int i = 0; i < n; ++i)
                QCOMPARE(at(x(i), zero), CMonitorWnd::seriesColor(0));
            QCOMPARE(at(g.right() - 1, zero), QColor(Qt::red));
            QCOMPARE(w->maxLabel(), QStringLiteral("Max=0"));
        } else if (row.endsWith(u"eleven samples")) {
            // ticks below the axis at i = 0 and 10 only
            QCOMPARE(at(x(0), g.bottom() + 2), QColor(Qt::white));
            QCOMPARE(at(x(10), g.bottom() + 2), QColor(Qt::white));
            QCOMPARE(at(x(5), g.bottom() + 2), QColor(Qt::black));
        } else {
            // -6 with a maximum of 6 lies a half height below the zero line
            QCOMPARE(at(x(0), zero), CMonitorWnd::seriesColor(0));
            QCOMPARE(at(x(1), g.bottom()), CMonitorWnd::seriesColor(0));
            QCOMPARE(w->maxLabel(), QStringLiteral("Max=6"));
        }
    }

    void dataFileErrors()
    {
        CMonitorDataFile file;
        QVERIFY(!file.Open(m_dir.filePath(QStringLiteral("no/such/folder/x.csv"))));
        // a full disk: the first failed line closes the file and says so
        QVERIFY(file.Open(QStringLiteral("/dev/full")));
        QVERIFY(!file.WriteLine(QStringLiteral("10.0.0.1")));
        QVERIFY(!file.isOpen());
    }

    void polling_data()
    {
        QTest::addColumn<QStringList>("oids");
        QTest::addColumn<int>("fields");
        QTest::addColumn<bool>("v3"); // the SNMPv3 authPriv user as the target, else SNMPv1
        QTest::addColumn<QString>("shown"); // the first value line's value, as the MIB names it; empty: a number
        QTest::newRow("two numbers") << QStringList{kIfInOctets1, kIfNumber} << 2 << false << QString();
        // ifHCInOctets of the loopback interface
        QTest::newRow("Counter64 through SNMPv3") << QStringList{"1.3.6.1.2.1.31.1.1.1.6.1"} << 1 << true << QString();
        // ifAdminStatus of the loopback interface, named by its enumeration
        QTest::newRow("an enumeration") << QStringList{"1.3.6.1.2.1.2.2.1.7.1"} << 1 << false << QStringLiteral("up(1)");
    }

    void polling()
    {
        QFETCH(QStringList, oids);
        QFETCH(int, fields);
        QFETCH(bool, v3);
        // the last object's value before and after: every sample lies in between, in full
        const QStringList credentials = v3 ? TestSupport::v3PrivToolArguments() : QStringList{"-v1", "-cpublic"};
        const auto lastValue = [&] { return TestSupport::snmpGetValue(credentials, agent(), oids.last(), m_dir.path()).toULongLong(); };
        const quint64 before = lastValue();
        QVERIFY(before > 0);

        MonitorSettings s = settings(oids, v3 ? QStringLiteral("v3 device") : agent());
        if (v3)
            s.target = TestSupport::v3PrivTarget(m_agent.port());
        s.maxHistories = 3;
        s.save = true;
        s.fileName = m_dir.filePath(QStringLiteral("%1.csv").arg(QTest::currentDataTag()));
        QVERIFY(TestSupport::writeFile(s.fileName, "old contents\r\n"));
        CMonitorWnd *w = m_walk->StartMonitor(s);
        QVERIFY(w && w->isSaving());
        QTRY_VERIFY_WITH_TIMEOUT(w->sampleCount() >= 5, 15000);
        QCOMPARE(int(w->history().samples().size()), 3);
        // a second window set up to save to the file this one writes is
        // refused the file, which stays whole
        TestSupport::MessageCatcher boxes;
        CMonitorWnd *second = m_walk->StartMonitor(s);
        QVERIFY(second && !second->isSaving());
        QCOMPARE(boxes.texts, QStringList(QStringLiteral("File Open error!")));
        const int refused = w->sampleCount();
        QTRY_VERIFY(w->sampleCount() >= refused + 2);
        QCOMPARE(w->history().seriesCount(), size_t(fields));
        // the number on the first value line is the first numeric object's
        QTRY_VERIFY(w->textLines().at(2).startsWith(oids[0] + QLatin1String(" Current Value: ")));
        QFETCH(QString, shown);
        if (!shown.isEmpty())
            QCOMPARE(w->textLines().at(2), oids[0] + QLatin1String(" Current Value: ") + shown);
        const quint64 after = lastValue();
        const auto between = [&](quint64 v) { return v >= before && v <= after; };
        const MonitorValue current = w->history().currentValues().back();
        QCOMPARE(current.syntax, quint32(v3 ? SNMP_SYNTAX_CNTR64 : SNMP_SYNTAX_INT32));
        QVERIFY2(between(current.text().toULongLong()), qPrintable(current.text()));

        const QByteArray bytes = TestSupport::readFile(s.fileName);
        QVERIFY(!bytes.contains('\0'));
        QVERIFY(!bytes.contains(TestSupport::kV3AuthPass) && !bytes.contains(TestSupport::kV3PrivPass));
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines[0], s.device.toLatin1() + '\r');
        QCOMPARE(lines[1], "sampling time, " + oids.join(QLatin1String(", ")).toLatin1() + '\r');
        const QRegularExpression data(QStringLiteral("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d(,\\d+){%1}\r$").arg(fields));
        QCOMPARE(lines.size() - 3, w->sampleCount()); // a line per sample, none trimmed or lost
        for (qsizetype i = 2; i < lines.size() - 1; ++i) {
            QVERIFY2(data.match(QString::fromLatin1(lines[i])).hasMatch(), lines[i].constData());
            QVERIFY2(between(lines[i].mid(lines[i].lastIndexOf(',') + 1).trimmed().toULongLong()), lines[i].constData());
        }
        QCOMPARE(lines.last(), QByteArray());

        // closed from its menu, or as the program quits: the owner lets go of it
        QPointer<CMonitorWnd> gone(w);
        if (fields == 2)
            chooseFromContextMenu(w, CloseEntry);
        else
            QVERIFY(w->close());
        QTRY_VERIFY(!gone);
        QCOMPARE(m_walk->monitors(), std::vector<CMonitorWnd *>{second});
    }

    void endings_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("oid");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("v2c");
        QTest::newRow("agent stops answering") << "own agent" << kIfNumber << kTimeoutText << false;
        QTest::newRow("error status") << "" << "1.3.6.1.2.1.1.99.0" << kErrorText << false;
        // SNMPv2c answers a missing object with an exception: an error answer too
        QTest::newRow("exception") << "" << "1.3.6.1.2.1.1.99.0" << kErrorText << true;
        QTest::newRow("unknown device") << "no-such-host.invalid" << kIfNumber << kOpenText << false;
    }

    void endings()
    {
        QFETCH(QString, device);
        QFETCH(QString, oid);
        QFETCH(QString, message);
        TestSupport::Snmpd own;
        if (device == QLatin1String("own agent")) {
            const QString why = own.start(m_dir.filePath(QStringLiteral("own")), TestSupport::freeUdpPort());
            QVERIFY2(why.isEmpty(), qPrintable(why));
            device = QStringLiteral("127.0.0.1:%1").arg(own.port());
        } else if (device.isEmpty()) {
            device = agent();
        }
        MonitorSettings s = settings({oid}, device);
        s.save = true;
        s.fileName = m_dir.filePath(QStringLiteral("ending.csv"));
        QFETCH(bool, v2c);
        if (v2c) {
            s.target.host = device;
            s.target.version = SNMP_VERSION_V2C;
            s.target.community = s.community;
        }
        TestSupport::MessageCatcher boxes;
        QPointer<CMonitorWnd> w = m_walk->StartMonitor(s);
        QVERIFY(w);
        if (own.isRunning()) {
            QTRY_VERIFY(w->sampleCount() >= 1);
            // timeout (2 s) longer than the interval (1 s): the window still ends
            own.stop();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!w, 10000);
        QCOMPARE(boxes.texts.value(0), message);
        QVERIFY(m_walk->monitors().empty());
        // an error answer leaves an empty line after the samples
        QCOMPARE(TestSupport::readFile(s.fileName).endsWith("\r\n\r\n"), message == kErrorText);
    }

    void pauseDurationAndShowAll()
    {
        std::time_t offset = 0;
        const auto clock = [&offset] { return std::time(nullptr) + offset; };
        CMonitorWnd *w = m_walk->StartMonitor(settings({kIfNumber}, agent()));
        QVERIFY(w);
        w->setClock(clock);
        QTRY_VERIFY(w->sampleCount() >= 1);

        chooseFromContextMenu(w, PauseEntry);
        QVERIFY(w->isPaused() && !w->isPolling());
        const int paused = w->sampleCount();
        QTest::qWait(2500); // two intervals: nothing may go out
        QCOMPARE(w->sampleCount(), paused);
        chooseFromContextMenu(w, PauseEntry);
        QTRY_VERIFY(w->sampleCount() > paused);

        // A one-minute duration ends the polling, the window stays; restarted
        // after its time was up, it polls on, also when the time ran out
        // while it was paused.
        for (const bool pausedFirst : {false, true}) {
            MonitorSettings timed = settings({kIfNumber}, agent());
            timed.duration = 1;
            CMonitorWnd *t = m_walk->StartMonitor(timed);
            QVERIFY(t);
            t->setClock(clock);
            QTRY_VERIFY(t->isPolling());
            if (pausedFirst)
                chooseFromContextMenu(t, PauseEntry);
            offset += 61;
            if (!pausedFirst) {
                QTRY_VERIFY(!t->isPolling());
                chooseFromContextMenu(t, PauseEntry);
            }
            chooseFromContextMenu(t, PauseEntry);
            const int restarted = t->sampleCount();
            // two samples: past the next elapsed tick
            QTRY_VERIFY2(t->sampleCount() >= restarted + 2, pausedFirst ? "ran out while paused" : "ran out polling");
            QVERIFY(t->isPolling());
        }

        // paused while waiting for its start: nothing goes out at the start
        MonitorSettings later = settings({kIfNumber}, agent());
        later.startTime = std::time(nullptr) + 1800;
        CMonitorWnd *l = m_walk->StartMonitor(later);
        l->setClock(clock);
        chooseFromContextMenu(l, PauseEntry);
        offset += 1800;
        QTRY_VERIFY(l->isStarted());
        QTest::qWait(1500);
        QCOMPARE(l->sampleCount(), 0);

        // show all: stacked down the left edge; hide all
        CMonitorWnd *t = m_walk->monitors().at(1);
        m_walk->HideMonitors();
        QVERIFY(!w->isVisible() && !t->isVisible());
        m_walk->ShowMonitors();
        QVERIFY(w->isVisible() && t->isVisible());
        QCOMPARE(w->pos(), QPoint(1, 1));
        QCOMPARE(t->pos(), QPoint(1, 1 + w->height()));
    }
};

QTEST_MAIN(TestMonitor)
#include "tst_monitor.moc"
