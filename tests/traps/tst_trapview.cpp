// The trap list end to end: the real program's frame and view, traps sent by
// net-snmp's snmptrap and snmpinform to its trap port on loopback, the
// filter, the action against a recording script and the export's bytes; and
// the list's model where only a model test reaches cheaply.
// A trap port that is taken is reported as tst_snmp_session shows; the cell
// tip's column rule is checked at its edges in tst_reportlistctrl.

#include "i18n.h"
#include "journalcheck.h"
#include "mainframe.h"
#include "messagecatcher.h"
#include "orvelleview.h"
#include "snmpdpeer.h"
#include "snmpstack.h"
#include "testsupport.h"
#include "trapaction.h"
#include "trapfilterbar.h"
#include "trapjournal.h"
#include "traplistmodel.h"
#include "trapreceiver.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QMouseEvent>
#include <QTest>

#include <cmath>
#include <QUdpSocket>

#include <memory>

namespace {

struct Config
{
    quint32 maxRows = 10000;
    QString filter;
    QString program;
    QString args;
    QString journal; // its file; empty: no journal
};

using TestSupport::MessageCatcher;

#define REQUIRE_TOOLS()                                                                                                \
    if (!m_haveTools)                                                                                                  \
    QSKIP("net-snmp's snmptrap/snmpinform are not installed (Debian package snmp)")

// Trap "t<n>", whose variable values are "t<n>-v1", "t<n>-v2" ...
tagTRAPRECORD makeTrap(int n, int varbinds)
{
    tagTRAPRECORD record;
    record.strDescription = QStringLiteral("t%1").arg(n);
    for (int i = 1; i <= varbinds; ++i)
        record.lstVarbinds.push_back({4, QStringLiteral("1.3.6.1.2.1.1.%1.0").arg(i), QString(),
                                      QStringLiteral("t%1-v%2").arg(n).arg(i), QString()});
    return record;
}

// Lists traps of these sizes under `limit`, flushing after every `batch` of
// them; the rows are "H:t<n>" for a header row, else the value.
QStringList listed(quint32 limit, const QList<int> &traps, int batch)
{
    TrapListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setMaxRows(limit);
    for (int i = 0; i < traps.size(); ++i) {
        model.appendTrap(makeTrap(i, traps[i]));
        if ((i + 1) % batch == 0)
            model.flush();
    }
    model.flush();
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        const bool header = !model.cellText(row, TrapListModel::ColDateTime).isEmpty();
        rows << (header ? QStringLiteral("H:") : QString()) + model.cellText(row, TrapListModel::ColValueDescription);
    }
    return rows;
}

QByteArray sequencedTrap(int n)
{
    SnmpMessage m;
    m.version = SNMP_VERSION_V2C;
    m.community = "public";
    m.pdu.type = SNMP_PDU_TRAP;
    m.pdu.requestId = n;
    m.pdu.varbinds = {{*SnmpOid::fromString(QStringLiteral("1.3.6.1.2.1.1.3.0")), SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, 1)},
                      {SnmpOids::snmpTrapOid0(), SnmpValue::objectId(*SnmpOid::fromString(QStringLiteral("1.3.6.1.4.1.99999.0.1")))},
                      {*SnmpOid::fromString(QStringLiteral("1.3.6.1.4.1.99999.1")), SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "seq-" + QByteArray::number(n))}};
    return SnmpEncodeMessage(m);
}

} // namespace

class TestTrapView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_haveTools = !TestSupport::findProgram(QStringLiteral("snmptrap")).isEmpty()
            && !TestSupport::findProgram(QStringLiteral("snmpinform")).isEmpty();
        // receive on loopback only
        qputenv("ORVELLE_TRAP_ADDRESSES", "127.0.0.1");
        QDir().mkpath(m_dir.path() + QStringLiteral("/DATA"));
        QVERIFY(QFile::copy(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml"),
                            m_dir.path() + QStringLiteral("/DATA/MIBTable.xml")));
        qputenv("ORVELLE_DATA_DIR", QFile::encodeName(m_dir.path() + QStringLiteral("/DATA")));
    }

    void init()
    {
        m_port = TestSupport::freeUdpPort();
    }

    void cleanup() { m_frame.reset(); }

    void realTraps_data()
    {
        QTest::addColumn<QStringList>("arguments"); // snmptrap's
        QTest::addColumn<QString>("enterprise");
        QTest::addColumn<int>("specific");
        QTest::addColumn<QString>("severity");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QStringList>("names"); // column 2 of the variable rows

        const QString linkDown = QStringLiteral("An interface has left the up state");
        const QString ucdStart = QStringLiteral("1.3.6.1.4.1.2021.251");
        const QStringList v1Tail{"snmpTrapAddress.0", "snmpTrapCommunity.0", "snmpTrapEnterprise.0"};
        QTest::newRow("v1 generic linkDown")
            << QStringList{"-v", "1", "1.3.6.1.4.1.8072.3.2.10", "127.0.0.1", "2", "0", "", "1.3.6.1.2.1.2.2.1.1.3", "i", "3"}
            << "1.3.6.1.6.3.1.1.5" << 3 << "Major" << linkDown
            << (QStringList{"sysUpTime.0", "snmpTrapOID.0", "ifIndex.3"} + v1Tail);
        QTest::newRow("v1 enterprise-specific")
            << QStringList{"-v", "1", ucdStart, "127.0.0.1", "6", "1", ""}
            << "2021.251" << 1 << "Informational" << "The agent has started"
            << (QStringList{"sysUpTime.0", "snmpTrapOID.0"} + v1Tail);
        // an inform: informAcknowledgedWhileGuiIsBlocked
        QTest::newRow("unknown enterprise trap keeps its OID as description")
            << QStringList{"-v", "2c", "", "1.3.6.1.4.1.99999.0.7"} << "99999" << 7 << "Unknown"
            << "1.3.6.1.4.1.99999.0.7" << QStringList{"sysUpTime.0", "snmpTrapOID.0"};
    }

    void realTraps()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, names);
        REQUIRE_TOOLS();
        CMainFrame *frame = startFrame();
        QVERIFY(frame);
        QSignalSpy records(frame->view()->trapReceiver(), &CTrapReceiver::trapRecord);
        QSignalSpy arrived(frame->view(), &COrvelleView::trapArrived);

        QStringList args{"-c", "pub,\"lic"};
        args << arguments;
        args.insert(4, target()); // after -c COMMUNITY -v VERSION
        QVERIFY(send("snmptrap", args));
        QTRY_COMPARE(arrived.size(), 1);
        QCOMPARE(records.size(), 1);
        const auto record = records.first().first().value<std::shared_ptr<tagTRAPRECORD>>();
        QTEST(record->strEnterprise, "enterprise");
        QTEST(int(record->nSpecific), "specific");

        const QList<QStringList> list = rows();
        QCOMPARE(list.size(), 1 + names.size());
        const QStringList header = list.first();
        // the whole time stamp as the locale writes it: the C locale the tests run in
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{1,2} [A-Z][a-z]{2} \\d{4} \\d\\d:\\d\\d:\\d\\d$")).match(header[0]).hasMatch(),
                 qPrintable(header[0]));
        QTEST(header[1], "severity");
        QCOMPARE(header[2], QStringLiteral("127.0.0.1"));
        QCOMPARE(header[3], QStringLiteral("pub,\"lic"));
        QFETCH(QString, description);
        QVERIFY2(header[4].startsWith(description), qPrintable(header[4]));

        for (int i = 0; i < names.size(); ++i) {
            QVERIFY2(list[i + 1][0].isEmpty(), "variable rows have no time");
            QCOMPARE(list[i + 1][2], names[i]);
        }
        QCOMPARE(list[1][1], QStringLiteral("1.3.6.1.2.1.1.3.0"));
        QCOMPARE(list[1][3], QStringLiteral("(timeticks)"));
        // an OID value is shown by name with the dotted form after it, where the
        // database knows the name
        if (record->nSpecific == 3)
            QCOMPARE(list[2][4], QStringLiteral("linkDown (1.3.6.1.6.3.1.1.5.3)"));
        QCOMPARE(list[2][3], QStringLiteral("(oid)"));
    }

    void filteredTrapAddsNoRowButReachesTray()
    {
        REQUIRE_TOOLS();
        Config config;
        config.filter = QStringLiteral(" 311 ; 2021.251 ");
        CMainFrame *frame = startFrame(config);
        QVERIFY(frame);
        QSignalSpy arrived(frame->view(), &COrvelleView::trapArrived);
        const std::time_t before = frame->lastTrapTime();
        QVERIFY(send("snmptrap", {"-v", "2c", "-c", "public", target(), "", "1.3.6.1.6.3.1.1.5.3"}));
        QTRY_COMPARE(arrived.size(), 1);
        QVERIFY(frame->lastTrapTime() != before);
        QCOMPARE(rows().size(), 0);
        QVERIFY(send("snmptrap", {"-v", "1", "-c", "public", target(), "1.3.6.1.4.1.2021.251", "127.0.0.1", "6", "1", ""}));
        QTRY_COMPARE(arrived.size(), 2);
        QCOMPARE(rows().size(), 6);
    }

    void informAcknowledgedWhileGuiIsBlocked()
    {
        REQUIRE_TOOLS();
        CMainFrame *frame = startFrame();
        QVERIFY(frame);
        // This thread does nothing else until the sender has ended, and the
        // sender sends once: only the trap port's own thread can answer.
        const TestSupport::ToolResult r = TestSupport::runSnmpTool(
            QStringLiteral("snmpinform"), {"-v", "2c", "-c", "public", "-r", "0", "-t", "5", target(), "", "1.3.6.1.6.3.1.1.5.1"},
            m_dir.path(), 30000, true);
        QVERIFY2(r.started && r.exitCode == 0, qPrintable(r.output));
        QTRY_COMPARE(rows().size(), 3);
        QCOMPARE(rows().first()[1], QStringLiteral("Minor")); // coldStart, listed once
    }

    void actionGetsHostileTextAsLiteralArguments()
    {
        REQUIRE_TOOLS();
        const QString out = m_dir.path() + QStringLiteral("/action-out");
        const QString pwned = m_dir.path() + QStringLiteral("/pwned");
        const QString script = TestSupport::writeArgumentRecorder(m_dir.path(), out);
        Config config;
        config.program = script;
        config.args = QStringLiteral("-a %AGENT% -c \"%CONTEXT%\" -m %msg% -d '%DESCRIPTION%' %ENTERPRISE% %OID% %SEVERITY%");
        CMainFrame *frame = startFrame(config);
        QVERIFY(frame);
        const QString hostile = QStringLiteral("-rf \"q\" 'x'; touch %1 $(touch %1) `touch %1`").arg(pwned);
        const QString community = hostile + QStringLiteral("\nnext line");
        QVERIFY(send("snmptrap", {"-v", "2c", "-c", community, target(), "", "1.3.6.1.6.3.1.1.5.3",
                                  "1.3.6.1.2.1.2.2.1.2.3", "s", hostile}));
        QTRY_COMPARE_WITH_TIMEOUT(TestSupport::recordedCalls(out).size(), 1, 10000);
        QStringList args = TestSupport::recordedCalls(out).first();
        QCOMPARE(args.takeFirst(), m_dir.path()); // the program's own folder
        QString msg = hostile;
        msg.replace(u' ', u'_');
        const QStringList expected{"-a", "127.0.0.1", "-c", community, "-m", msg, "-d", rows().first()[4],
                                   "1.3.6.1.6.3.1.1.5", "3", "3"};
        QCOMPARE(args, expected);
        QVERIFY2(!QFile::exists(pwned), "a trap's text ran a command");
    }

    // A NUL in the community ends its text, in the list and in the action's
    // argument, and what the template has after it stays. No tool puts a
    // NUL into a community: the datagram is made here.
    void nulInCommunity()
    {
        const QString out = m_dir.path() + QStringLiteral("/nul-out");
        Config config;
        config.program = TestSupport::writeArgumentRecorder(m_dir.path(), out);
        config.args = QStringLiteral("-c %CONTEXT% -z after");
        CMainFrame *frame = startFrame(config);
        QVERIFY(frame);
        SnmpMessage trap;
        trap.version = SNMP_VERSION_V2C;
        trap.community = QByteArray("ab\0cd", 5);
        trap.pdu.type = SNMP_PDU_TRAP;
        trap.pdu.requestId = 7;
        trap.pdu.varbinds = {{SnmpOids::sysUpTime0(), SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, 1)},
                             {SnmpOids::snmpTrapOid0(), SnmpValue::objectId({1, 3, 6, 1, 6, 3, 1, 1, 5, 3})}};
        QUdpSocket sender;
        QVERIFY(sender.writeDatagram(SnmpEncodeMessage(trap), QHostAddress::LocalHost, m_port) > 0);
        QTRY_COMPARE_WITH_TIMEOUT(TestSupport::recordedCalls(out).size(), 1, 10000);
        QCOMPARE(TestSupport::recordedCalls(out).first().mid(1), (QStringList{"-c", "ab", "-z", "after"}));
        QCOMPARE(rows().first()[3], QStringLiteral("ab"));
    }

    // A huge value: the cell and its tip show 2,047 characters and the full
    // length; the export keeps it whole. Pointing at the header, where no
    // row is, hides the tip (that path once crashed).
    void hugeValueAndHeaderTip()
    {
        COrvelleView view;
        tagTRAPRECORD record = makeTrap(0, 1);
        record.lstVarbinds.front().strValue = QString(60000, u'v');
        // a Counter64 reads in decimal; its tip adds the hex form
        record.lstVarbinds.push_back({0x46, QStringLiteral("1.3.6.1.2.1.31.1.1.1.6.1"), QString(), QStringLiteral("4294967551"), QString()});
        view.OnTrapRecord(std::make_shared<tagTRAPRECORD>(record));
        TrapListModel *model = view.trapModel();
        model->flush();
        const QString shown = model->data(model->index(1, TrapListModel::ColValueDescription), Qt::DisplayRole).toString();
        QCOMPARE(shown, QString(TrapListModel::kMaxShownChars, u'v') + QStringLiteral("\u2026 (60000 characters)"));
        QCOMPARE(model->cellTip(1, TrapListModel::ColValueDescription), shown);
        QCOMPARE(model->cellText(1, TrapListModel::ColValueDescription).size(), 60000);
        QCOMPARE(model->cellTip(2, TrapListModel::ColValueDescription), QStringLiteral("4294967551 (0x00000001000000ff)"));
        // sent to the header itself, where the list watches it
        for (QWidget *target : {static_cast<QWidget *>(view.horizontalHeader()), view.viewport(),
                                static_cast<QWidget *>(view.horizontalHeader())}) {
            const QPointF at(20, 5);
            QMouseEvent move(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &move);
        }
    }

    // The export's bytes, and the file it cannot open or fill said so.
    void exportList()
    {
        CMainFrame *frame = startFrame();
        QVERIFY(frame);
        COrvelleView *view = frame->view();
        const QString path = m_dir.path() + QStringLiteral("/list.csv");

        QVERIFY(view->ExportListToCsv(path));
        QCOMPARE(QFileInfo(path).size(), 0); // an empty list gives an empty file

        auto trap = std::make_shared<tagTRAPRECORD>();
        trap->nSeverity = 3;
        trap->strAgent = QStringLiteral("192.0.2.1");
        trap->strCommunity = QString(); // an empty cell
        trap->strDescription = QStringLiteral("say \"hi\", then \u65e5\u672c");
        tagTRAPVARBIND vb;
        vb.nSyntax = 4;
        vb.strOid = QStringLiteral("1.3.6.1.2.1.1.5.0");
        vb.strName = QStringLiteral("sysName.0");
        vb.strValue = QStringLiteral("a,b");
        trap->lstVarbinds.push_back(vb);
        view->OnTrapRecord(trap);
        QVERIFY(view->ExportListToCsv(path));
        const QString time = view->trapModel()->cellText(0, 0);
        const QByteArray expected = QStringLiteral("\"%1\",\"Major\",\"192.0.2.1\",\"\",\"say \"\"hi\"\", then \u65e5\u672c\"\r\n"
                                                   "\"\",\"1.3.6.1.2.1.1.5.0\",\"sysName.0\",\"(octets)\",\"a,b\"\r\n")
                                        .arg(time)
                                        .toUtf8();
        QCOMPARE(TestSupport::readFile(path), expected);

        MessageCatcher shown;
        QVERIFY(!view->ExportListToCsv(m_dir.path() + QStringLiteral("/no/such/folder/list.csv")));
        QCOMPARE(shown.texts, QStringList{QStringLiteral("File Open error!")});
        if (QFile::exists(QStringLiteral("/dev/full"))) {
            QVERIFY(!view->ExportListToCsv(QStringLiteral("/dev/full")));
            QVERIFY2(shown.texts.size() == 2 && shown.texts[1].contains(QLatin1String("/dev/full")),
                     qPrintable(shown.texts.join(u'|')));
        }
    }

    void trimming_data()
    {
        QTest::addColumn<quint32>("limit");
        QTest::addColumn<QList<int>>("traps"); // variable bindings per trap
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("exactly at the limit keeps everything")
            << 4u << QList<int>{1, 1} << QStringList{"H:t0", "t0-v1", "H:t1", "t1-v1"};
        QTest::newRow("one over the limit deletes row 0 only")
            << 4u << QList<int>{1, 2} << QStringList{"t0-v1", "H:t1", "t1-v1", "t1-v2"};
        QTest::newRow("over the limit by more than a trap keeps the newest rows")
            << 3u << QList<int>{2, 2, 1} << QStringList{"t1-v2", "H:t2", "t2-v1"};
        QTest::newRow("limit 0") << 0u << QList<int>{2, 1} << QStringList{};
    }

    // Trap by trap, and all in one batch.
    void trimming()
    {
        QFETCH(quint32, limit);
        QFETCH(QList<int>, traps);
        QTEST(listed(limit, traps, 1), "expected");
        QTEST(listed(limit, traps, int(traps.size())), "expected");
    }

    // Header rows stand apart: bold, on a tint of their severity's colour
    // that keeps the text readable in a light and in a dark theme; the date
    // column is wide enough for the whole time stamp.
    void headerRowsStandApart()
    {
        COrvelleView view;
        for (quint32 severity : {1u, 2u, 3u, 0u}) {
            tagTRAPRECORD record = makeTrap(int(severity), 1);
            record.nSeverity = severity;
            view.OnTrapRecord(std::make_shared<tagTRAPRECORD>(record));
        }
        TrapListModel *model = view.trapModel();
        model->flush();
        QSet<QRgb> tints;
        for (int row = 0; row < model->rowCount(); row += 2) {
            QVERIFY(model->data(model->index(row, 0), Qt::FontRole).value<QFont>().bold());
            QVERIFY(!model->data(model->index(row + 1, 0), Qt::FontRole).isValid());
            tints.insert(model->data(model->index(row, 0), Qt::BackgroundRole).value<QBrush>().color().rgb());
        }
        QCOMPARE(tints.size(), 4);
        // WCAG's contrast ratio, light and dark
        const auto lum = [](const QColor &c) { return 0.2126 * std::pow(c.redF(), 2.2) + 0.7152 * std::pow(c.greenF(), 2.2) + 0.0722 * std::pow(c.blueF(), 2.2); };
        QPalette dark(QColor(0xe8, 0xe8, 0xe8), QColor(0x1e, 0x1e, 0x1e));
        dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
        for (const QPalette &palette : {QPalette(Qt::white), dark})
            for (quint32 severity : {0u, 1u, 2u, 3u}) {
                const qreal t = lum(palette.color(QPalette::Text)), b = lum(TrapListModel::severityBackground(severity, palette));
                QVERIFY2((std::max(t, b) + 0.05) / (std::min(t, b) + 0.05) >= 4.5, qPrintable(palette.color(QPalette::Base).name()));
            }
        QFont bold = view.font();
        bold.setBold(true);
        QVERIFY(view.columnWidth(TrapListModel::ColDateTime) > QFontMetrics(bold).horizontalAdvance(model->cellText(0, 0)));
    }

    void newClearsQueuedRowsToo()
    {
        COrvelleView view;
        view.OnTrapRecord(std::make_shared<tagTRAPRECORD>(makeTrap(0, 2)));
        view.trapModel()->flush();
        view.OnTrapRecord(std::make_shared<tagTRAPRECORD>(makeTrap(1, 1))); // still queued
        view.OnNew();
        // neither what was listed nor what was queued comes back with the next flush
        view.trapModel()->flush();
        QCOMPARE(view.trapModel()->rowCount(), 0);
    }
    // last: installs the Japanese catalogue
    void translatedHeadingsFit()
    {
        QVERIFY(Orvelle::installTranslations(qApp, QLocale(QLocale::Japanese, QLocale::Japan)));
        COrvelleView view;
        QVERIFY(view.trapModel()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString() != QLatin1String("Source Agent/OID"));
        for (int column = 0; column < TrapListModel::ColumnCount; ++column)
            QVERIFY2(view.columnWidth(column) >= view.horizontalHeader()->sectionSizeHint(column), qPrintable(QString::number(column)));
    }

    void filterBarAndRestart()
    {
        REQUIRE_TOOLS();
        const QString path = m_dir.filePath(QStringLiteral("program.db"));
        QVERIFY(startFrame({12, {}, {}, {}, path}));
        COrvelleView *view = m_frame->view();
        QSignalSpy arrived(view, &COrvelleView::trapArrived);
        // four rows a trap: the list's limit of 12 trims the first
        for (int n = 1; n <= 4; ++n) {
            const auto r = TestSupport::runSnmpTool(QStringLiteral("snmptrap"),
                {"-v", "2c", "-c", "public", QStringLiteral("127.0.0.1:%1").arg(m_port), "", "1.3.6.1.4.1.99999.0.1",
                 "1.3.6.1.4.1.99999.1", "s", QStringLiteral("m%1-marker").arg(n)}, m_dir.path());
            QVERIFY(r.started && r.exitCode == 0);
        }
        QTRY_COMPARE(arrived.size(), 4);
        view->trapModel()->flush();
        QCOMPARE(view->trapModel()->rowCount(), 12);
        QVERIFY(view->journal()->sync());

        m_frame->show();
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
        QTest::keyClick(m_frame.get(), Qt::Key_F, Qt::ControlModifier);
        auto *text = view->filterBar()->findChild<QLineEdit *>(QStringLiteral("filterText"));
        QTRY_VERIFY(text->hasFocus());
        QTest::keyClicks(text, QStringLiteral("m1-marker"));
        QTRY_VERIFY(view->isFiltering());
        QCOMPARE(view->shownModel()->rowCount(), 4); // the trap with its variable rows
        QCOMPARE(view->shownModel()->cellText(3, TrapListModel::ColValueDescription), QStringLiteral("m1-marker"));
        const QString exported = m_dir.filePath(QStringLiteral("shown.csv"));
        QVERIFY(view->ExportListToCsv(exported));
        QCOMPARE(TestSupport::readFile(exported).count("\r\n"), 4);
        QTest::keyClick(text, Qt::Key_Escape);
        QVERIFY(!view->isFiltering());
        QCOMPARE(view->shownModel()->rowCount(), 12);

        // the next start shows the newest traps, marked as from before
        m_frame.reset();
        QVERIFY(startFrame({12, {}, {}, {}, path}));
        view = m_frame->view();
        QCOMPARE(view->trapModel()->rowCount(), 12);
        QCOMPARE(view->trapModel()->cellText(11, TrapListModel::ColValueDescription), QStringLiteral("m4-marker"));
        // the tip says so after the time (in the language the suite runs in by now)
        const QString time = view->trapModel()->cellText(0, TrapListModel::ColDateTime);
        const QString tip = view->trapModel()->cellTip(0, TrapListModel::ColDateTime);
        QVERIFY2(tip.startsWith(time) && tip.size() > time.size() + 4, qPrintable(tip));
        QVERIFY(view->trapModel()->index(0, 0).data(Qt::FontRole).value<QFont>().italic());
        // New empties the list, not the journal
        view->OnNew();
        QCOMPARE(view->trapModel()->rowCount(), 0);
        QCOMPARE(view->journal()->newest(100).size(), size_t(4));
    }

    void killedDuringBurst()
    {
        const QString program = qEnvironmentVariable("ORVELLE_EXECUTABLE");
        QVERIFY(QFileInfo(program).isExecutable());
        const QString path = m_dir.filePath(QStringLiteral("killed.db"));
        QTemporaryDir data;
        QVERIFY(QFile::copy(m_dir.filePath(QStringLiteral("DATA/MIBTable.xml")), data.filePath(QStringLiteral("MIBTable.xml"))));
        const quint16 port = TestSupport::freeUdpPort();
        QVERIFY(TestSupport::writeFile(data.filePath(QStringLiteral("Config.xml")),
            QStringLiteral("<config><max_rows>100000</max_rows><trap_port>%1</trap_port><journal><file>%2</file></journal></config>")
                .arg(port).arg(path.toHtmlEscaped()).toUtf8()));
        QProcess orvelle;
        QProcessEnvironment env = TestSupport::isolatedEnvironment(m_dir.filePath(QStringLiteral("killed-home")));
        env.insert(QStringLiteral("ORVELLE_DATA_DIR"), data.path());
        orvelle.setProcessEnvironment(env);
        orvelle.setProcessChannelMode(QProcess::ForwardedChannels);
        orvelle.start(program, {QStringLiteral("-service")});
        QVERIFY(orvelle.waitForStarted());

        QUdpSocket out;
        auto journaled = [&] {
            TrapJournal reader;
            return reader.open({path, 0, 0}, nullptr) ? reader.newest(10000000) : TrapRecords{};
        };
        // the first trap that is journaled says the program receives
        QTRY_VERIFY_WITH_TIMEOUT((out.writeDatagram(sequencedTrap(0), QHostAddress::LocalHost, port), !journaled().empty()), 20000);
        const int burst = 3000;
        for (int n = 1; n <= burst; ++n) {
            out.writeDatagram(sequencedTrap(n), QHostAddress::LocalHost, port);
            if (n % 200 == 0)
                QTest::qWait(20); // 10,000 a second
        }
        QTest::qWait(1500);
        for (int n = burst + 1; n <= 2 * burst; ++n) { // killed in the middle of this one
            out.writeDatagram(sequencedTrap(n), QHostAddress::LocalHost, port);
            if (n == burst + burst / 2)
                orvelle.kill();
        }
        QVERIFY(orvelle.waitForFinished());
        QCOMPARE(journalIntegrity(path), QStringLiteral("ok"));
        QSet<QString> seen;
        for (const tagTRAPRECORD &r : journaled())
            seen.insert(r.lstVarbinds.back().strValue);
        for (int n = 1; n <= burst; ++n)
            QVERIFY2(seen.contains(QStringLiteral("seq-%1").arg(n)), qPrintable(QString::number(n)));
    }

private:
    CMainFrame *startFrame(const Config &config = {});
    QList<QStringList> rows() const;
    // The event loop runs meanwhile, so the program under test receives.
    bool send(const QString &tool, const QStringList &arguments)
    {
        const auto r = TestSupport::runSnmpTool(tool, arguments, m_dir.path());
        return r.started && r.exitCode == 0;
    }
    QString target() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

    QTemporaryDir m_dir;
    bool m_haveTools = false;
    quint16 m_port = 0;
    std::unique_ptr<CMainFrame> m_frame;
};

CMainFrame *TestTrapView::startFrame(const Config &config)
{
    const QString xml = QStringLiteral("<config><max_rows>%1</max_rows><action_program>%2</action_program>"
                                       "<action_args>%3</action_args><enterprise_filter>%4</enterprise_filter>"
                                       "<trap_port>%5</trap_port><journal>%6</journal></config>")
                            .arg(config.maxRows)
                            .arg(config.program.toHtmlEscaped(), config.args.toHtmlEscaped(), config.filter.toHtmlEscaped())
                            .arg(m_port)
                            .arg(config.journal.isEmpty() ? QStringLiteral("<enabled>0</enabled>")
                                                          : QStringLiteral("<file>%1</file>").arg(config.journal.toHtmlEscaped()));
    if (!TestSupport::writeFile(m_dir.path() + QStringLiteral("/DATA/Config.xml"), xml.toUtf8()))
        return nullptr;
    m_frame = std::make_unique<CMainFrame>();
    if (!m_frame->create() || (m_frame->view()->journal() == nullptr) != config.journal.isEmpty())
        return nullptr;
    m_frame->view()->OnInitialUpdate(false);
    m_frame->view()->OnStartStop();
    return m_frame->view()->isRunning() ? m_frame.get() : nullptr;
}

QList<QStringList> TestTrapView::rows() const
{
    QList<QStringList> result;
    TrapListModel *model = m_frame->view()->trapModel();
    model->flush();
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < TrapListModel::ColumnCount; ++c)
            cells << model->cellText(r, c);
        result << cells;
    }
    return result;
}

QTEST_MAIN(TestTrapView)
#include "tst_trapview.moc"
