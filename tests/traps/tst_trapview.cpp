// The trap list end to end: the real program's frame and view, traps sent by
// net-snmp's snmptrap and snmpinform to its trap port on loopback, the
// filter, the action against a recording script, the export's bytes and the
// cell tip.

#include "i18n.h"
#include "mibwalkdlg.h"
#include "mainframe.h"
#include "orvelleview.h"
#include "testsupport.h"
#include "trapaction.h"
#include "trapreceiver.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#include <functional>
#include <memory>

namespace {

struct Config
{
    quint32 maxRows = 10000;
    QString filter;
    QString program;
    QString args;
};

QString xmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// Runs `check` on the next modal dialog that opens, then closes it.
void onNextModal(std::function<void(QWidget *)> check)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, check] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            check(modal);
            if (auto *box = qobject_cast<QDialog *>(modal))
                box->reject();
        }
    });
    timer->start();
}

QString modalText(QWidget *modal)
{
    auto *box = qobject_cast<QMessageBox *>(modal);
    return box ? box->text() : QString();
}

} // namespace

class TestTrapView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void realTraps_data();
    void realTraps();
    void filteredTrapAddsNoRowButReachesTray();
    void rowLimit_data();
    void rowLimit();
    void informAcknowledgedWhileGuiIsBlocked();
    void actionGetsHostileTextAsLiteralArguments();
    void exportWritesExactBytes();
    void exportFailures();
    void portInUseLeavesServiceStopped();
    void cellTipFollowsMouse();
    void toolCommandsOpenTheDialogs();
    void translatedHeadingsFit(); // last: installs the Japanese catalogue

private:
    CMainFrame *startFrame(const Config &config = {});
    QList<QStringList> rows() const;
    bool send(const QString &tool, const QStringList &arguments, QString *output = nullptr);
    QString target() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
    QString m_snmptrap;
    QString m_snmpinform;
    quint16 m_port = 0;
    std::unique_ptr<CMainFrame> m_frame;
};

void TestTrapView::initTestCase()
{
    m_snmptrap = TestSupport::findProgram(QStringLiteral("snmptrap"));
    m_snmpinform = TestSupport::findProgram(QStringLiteral("snmpinform"));
    m_env = TestSupport::isolatedEnvironment(m_dir.path() + QStringLiteral("/env"));
    // net-snmp's tools: no configuration of the host or the user, no MIBs
    m_env.insert(QStringLiteral("SNMPCONFPATH"), m_dir.path() + QStringLiteral("/env"));
    m_env.insert(QStringLiteral("MIBS"), QString());
    m_env.insert(QStringLiteral("MIBDIRS"), QString());
    // receive on loopback only
    qputenv("ORVELLE_TRAP_ADDRESSES", "127.0.0.1");
    QDir().mkpath(m_dir.path() + QStringLiteral("/DATA"));
    QVERIFY(QFile::copy(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml"),
                        m_dir.path() + QStringLiteral("/DATA/MIBTable.xml")));
    qputenv("ORVELLE_DATA_DIR", QFile::encodeName(m_dir.path() + QStringLiteral("/DATA")));
}

void TestTrapView::init()
{
    m_port = TestSupport::freeUdpPort();
}

void TestTrapView::cleanup()
{
    m_frame.reset();
}

CMainFrame *TestTrapView::startFrame(const Config &config)
{
    QFile file(m_dir.path() + QStringLiteral("/DATA/Config.xml"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return nullptr;
    file.write(QStringLiteral("<config><max_rows>%1</max_rows><action_program>%2</action_program>"
                              "<action_args>%3</action_args><enterprise_filter>%4</enterprise_filter>"
                              "<trap_port>%5</trap_port></config>")
                   .arg(config.maxRows)
                   .arg(xmlEscaped(config.program), xmlEscaped(config.args), xmlEscaped(config.filter))
                   .arg(m_port)
                   .toUtf8());
    file.close();
    m_frame = std::make_unique<CMainFrame>();
    if (!m_frame->create())
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

bool TestTrapView::send(const QString &tool, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessEnvironment(m_env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(tool, arguments);
    // the event loop keeps running, so the program under test receives
    // while the sender waits for an inform's answer
    QSignalSpy finished(&process, &QProcess::finished);
    if (!process.waitForStarted() || !finished.wait(20000))
        return false;
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void TestTrapView::realTraps_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("enterprise");
    QTest::addColumn<int>("specific");
    QTest::addColumn<QString>("severity");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QStringList>("names"); // column 2 of the variable rows

    const QString linkDown = QStringLiteral("An interface has left the up state");
    const QString ucdStart = QStringLiteral("1.3.6.1.4.1.2021.251");
    const QStringList v1Tail{"snmpTrapAddress.0", "snmpTrapCommunity.0", "snmpTrapEnterprise.0"};
    QTest::newRow("v1 generic linkDown")
        << "snmptrap" << QStringList{"-v", "1", "1.3.6.1.4.1.8072.3.2.10", "127.0.0.1", "2", "0", "",
                                     "1.3.6.1.2.1.2.2.1.1.3", "i", "3"}
        << "1.3.6.1.6.3.1.1.5" << 3 << "Major" << linkDown
        << (QStringList{"sysUpTime.0", "snmpTrapOID.0", "ifIndex.3"} + v1Tail);
    QTest::newRow("v1 enterprise-specific")
        << "snmptrap" << QStringList{"-v", "1", ucdStart, "127.0.0.1", "6", "1", ""}
        << "2021.251" << 1 << "Informational" << "The agent has started"
        << (QStringList{"sysUpTime.0", "snmpTrapOID.0"} + v1Tail);
    QTest::newRow("v2c linkDown")
        << "snmptrap" << QStringList{"-v", "2c", "", "1.3.6.1.6.3.1.1.5.3", "1.3.6.1.2.1.2.2.1.1.3", "i", "3"}
        << "1.3.6.1.6.3.1.1.5" << 3 << "Major" << linkDown
        << QStringList{"sysUpTime.0", "snmpTrapOID.0", "ifIndex.3"};
    QTest::newRow("v2c inform")
        << "snmpinform" << QStringList{"-v", "2c", "", "1.3.6.1.6.3.1.1.5.3", "1.3.6.1.2.1.2.2.1.1.3", "i", "3"}
        << "1.3.6.1.6.3.1.1.5" << 3 << "Major" << linkDown
        << QStringList{"sysUpTime.0", "snmpTrapOID.0", "ifIndex.3"};
    QTest::newRow("unknown enterprise trap keeps its OID as description")
        << "snmptrap" << QStringList{"-v", "2c", "", "1.3.6.1.4.1.99999.0.7"} << "99999" << 7 << "Unknown"
        << "1.3.6.1.4.1.99999.0.7" << QStringList{"sysUpTime.0", "snmpTrapOID.0"};
}

void TestTrapView::realTraps()
{
    QFETCH(QString, tool);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, names);
    const QString program = tool == QLatin1String("snmptrap") ? m_snmptrap : m_snmpinform;
    if (program.isEmpty())
        QSKIP("net-snmp's snmptrap/snmpinform are not installed (Debian package snmp)");
    CMainFrame *frame = startFrame();
    QVERIFY(frame);
    QSignalSpy records(frame->view()->trapReceiver(), &CTrapReceiver::trapRecord);
    QSignalSpy arrived(frame->view(), &COrvelleView::trapArrived);

    QStringList args{"-c", "pub,\"lic"};
    args << arguments;
    args.insert(4, target()); // after -c COMMUNITY -v VERSION
    QVERIFY(send(program, args));
    QTRY_COMPARE(arrived.size(), 1);
    QCOMPARE(records.size(), 1);
    const auto record = records.first().first().value<std::shared_ptr<tagTRAPRECORD>>();
    QTEST(record->strEnterprise, "enterprise");
    QTEST(int(record->nSpecific), "specific");

    const QList<QStringList> list = rows();
    QCOMPARE(list.size(), 1 + names.size());
    const QStringList header = list.first();
    // "%y-%d-%b %H:%M:%S %A" in the C locale the tests run in
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d-\\d\\d-[A-Z][a-z]{2} \\d\\d:\\d\\d:\\d\\d [A-Z][a-z]+day$"))
                 .match(header[0]).hasMatch(), qPrintable(header[0]));
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
    const QString trapOid = record->strEnterprise.startsWith(QLatin1String("1.3."))
        ? record->strEnterprise + u'.' + QString::number(record->nSpecific)
        : QString();
    if (record->nSpecific == 3)
        QCOMPARE(list[2][4], QStringLiteral("linkDown (%1)").arg(trapOid));
    QCOMPARE(list[2][3], QStringLiteral("(oid)"));

    // the loss field shows what came in
    auto lossField = [frame] {
        for (QLabel *label : frame->statusBar()->findChildren<QLabel *>())
            if (!label->isHidden() && label->text().startsWith(QLatin1String("Traps received")))
                return label->text();
        return QString();
    };
    QTRY_COMPARE_WITH_TIMEOUT(lossField(), QStringLiteral("Traps received: 1  Dropped: 0"), 3000);
    frame->view()->OnStartStop();
    QCOMPARE(lossField(), QString());
}

void TestTrapView::filteredTrapAddsNoRowButReachesTray()
{
    if (m_snmptrap.isEmpty())
        QSKIP("net-snmp's snmptrap is not installed (Debian package snmp)");
    Config config;
    config.filter = QStringLiteral(" 311 ; 2021.251 ");
    CMainFrame *frame = startFrame(config);
    QVERIFY(frame);
    QSignalSpy arrived(frame->view(), &COrvelleView::trapArrived);
    const std::time_t before = frame->lastTrapTime();
    QVERIFY(send(m_snmptrap, {"-v", "2c", "-c", "public", target(), "", "1.3.6.1.6.3.1.1.5.3"}));
    QTRY_COMPARE(arrived.size(), 1);
    QVERIFY(frame->lastTrapTime() != before);
    QCOMPARE(rows().size(), 0);
    QVERIFY(send(m_snmptrap, {"-v", "1", "-c", "public", target(), "1.3.6.1.4.1.2021.251", "127.0.0.1", "6", "1", ""}));
    QTRY_COMPARE(arrived.size(), 2);
    QCOMPARE(rows().size(), 6);
}

void TestTrapView::rowLimit_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("expectedRows");
    QTest::newRow("limit 5, one trap of five variables: its header row goes") << 5 << 5;
    QTest::newRow("limit 0 empties the list after every trap") << 0 << 0;
}

void TestTrapView::rowLimit()
{
    if (m_snmptrap.isEmpty())
        QSKIP("net-snmp's snmptrap is not installed (Debian package snmp)");
    QFETCH(int, limit);
    Config config;
    config.maxRows = static_cast<quint32>(limit);
    CMainFrame *frame = startFrame(config);
    QVERIFY(frame);
    QSignalSpy arrived(frame->view(), &COrvelleView::trapArrived);
    QVERIFY(send(m_snmptrap, {"-v", "2c", "-c", "public", target(), "", "1.3.6.1.6.3.1.1.5.3",
                              "1.3.6.1.2.1.2.2.1.1.3", "i", "3", "1.3.6.1.2.1.2.2.1.7.3", "i", "2",
                              "1.3.6.1.2.1.2.2.1.8.3", "i", "2"}));
    QTRY_COMPARE(arrived.size(), 1);
    const QList<QStringList> list = rows();
    QTEST(int(list.size()), "expectedRows");
    if (!list.isEmpty()) {
        QVERIFY(list.first()[0].isEmpty()); // a variable row is now the first
        QCOMPARE(list.first()[2], QStringLiteral("sysUpTime.0"));
    }
}

void TestTrapView::informAcknowledgedWhileGuiIsBlocked()
{
    if (m_snmpinform.isEmpty())
        QSKIP("net-snmp's snmpinform is not installed (Debian package snmp)");
    CMainFrame *frame = startFrame();
    QVERIFY(frame);
    // The sender times itself: retries every second, so a reply within one
    // second means the first copy was answered.
    QProcess sender;
    sender.setProcessEnvironment(m_env);
    sender.setProcessChannelMode(QProcess::MergedChannels);
    sender.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("s=$(date +%s%N); \"$0\" -v 2c -c public -r 4 -t 1 \"$1\" '' 1.3.6.1.6.3.1.1.5.1; "
                                 "rc=$?; e=$(date +%s%N); echo \"$rc $(( (e - s) / 1000000 ))\""),
                  m_snmpinform, target()});
    QVERIFY(sender.waitForStarted());
    QThread::sleep(3); // the GUI thread is busy for 3 s
    QSignalSpy finished(&sender, &QProcess::finished);
    QVERIFY(sender.state() == QProcess::NotRunning || finished.wait(20000));
    const QStringList result = QString::fromLocal8Bit(sender.readAll()).trimmed().split(u' ');
    QCOMPARE(result.size(), 2);
    QCOMPARE(result[0], QStringLiteral("0"));
    QVERIFY2(result[1].toInt() < 1000, qPrintable(result[1] + QStringLiteral(" ms")));
    QTRY_COMPARE(rows().size(), 3);
    QCOMPARE(rows().first()[1], QStringLiteral("Minor")); // coldStart, listed once
}

void TestTrapView::actionGetsHostileTextAsLiteralArguments()
{
    if (m_snmptrap.isEmpty())
        QSKIP("net-snmp's snmptrap is not installed (Debian package snmp)");
    const QString out = m_dir.path() + QStringLiteral("/action-out");
    const QString pwned = m_dir.path() + QStringLiteral("/pwned");
    QDir().mkpath(out);
    const QString script = m_dir.path() + QStringLiteral("/record.sh");
    {
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\nprintf '%s\\0' \"$@\" > %1/args.tmp && mv %1/args.tmp %1/args\n")
                    .arg(out).toUtf8());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    Config config;
    config.program = script;
    config.args = QStringLiteral("-a %AGENT% -c \"%CONTEXT%\" -m %msg% -d '%DESCRIPTION%' %ENTERPRISE% %OID% %SEVERITY%");
    CMainFrame *frame = startFrame(config);
    QVERIFY(frame);
    const QString hostile = QStringLiteral("-rf \"q\" 'x'; touch %1 $(touch %1) `touch %1`").arg(pwned);
    const QString community = hostile + QStringLiteral("\nnext line");
    QVERIFY(send(m_snmptrap, {"-v", "2c", "-c", community, target(), "", "1.3.6.1.6.3.1.1.5.3",
                              "1.3.6.1.2.1.2.2.1.2.3", "s", hostile}));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out + QStringLiteral("/args")), 10000);
    QFile f(out + QStringLiteral("/args"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QStringList args = QString::fromUtf8(f.readAll()).split(QChar(0));
    args.removeLast();
    QString msg = hostile;
    msg.replace(u' ', u'_');
    const QStringList expected{"-a", "127.0.0.1", "-c", community, "-m", msg, "-d", rows().first()[4],
                               "1.3.6.1.6.3.1.1.5", "3", "3"};
    QCOMPARE(args, expected);
    QVERIFY2(!QFile::exists(pwned), "a trap's text ran a command");
}

void TestTrapView::exportWritesExactBytes()
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
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString time = view->trapModel()->cellText(0, 0);
    const QByteArray expected = QStringLiteral("\"%1\",\"Major\",\"192.0.2.1\",\"\",\"say \"\"hi\"\", then \u65e5\u672c\"\r\n"
                                               "\"\",\"1.3.6.1.2.1.1.5.0\",\"sysName.0\",\"(octets)\",\"a,b\"\r\n")
                                    .arg(time)
                                    .toUtf8();
    QCOMPARE(f.readAll(), expected);
}

void TestTrapView::exportFailures()
{
    CMainFrame *frame = startFrame();
    QVERIFY(frame);
    QString shown;
    onNextModal([&shown](QWidget *modal) { shown = modalText(modal); });
    QVERIFY(!frame->view()->ExportListToCsv(m_dir.path() + QStringLiteral("/no/such/folder/list.csv")));
    QCOMPARE(shown, QStringLiteral("File Open error!"));
    if (QFile::exists(QStringLiteral("/dev/full"))) {
        frame->view()->OnTrapRecord(std::make_shared<tagTRAPRECORD>());
        onNextModal([&shown](QWidget *modal) { shown = modalText(modal); });
        QVERIFY(!frame->view()->ExportListToCsv(QStringLiteral("/dev/full")));
        QVERIFY2(shown.contains(QLatin1String("/dev/full")), qPrintable(shown));
    }
}

void TestTrapView::portInUseLeavesServiceStopped()
{
    QUdpSocket holder;
    QVERIFY(holder.bind(QHostAddress::LocalHost, m_port));
    QString shown;
    onNextModal([&shown](QWidget *modal) { shown = modalText(modal); });
    QVERIFY(!startFrame());
    QVERIFY2(shown.contains(QString::number(m_port)), qPrintable(shown));
    QVERIFY(!m_frame->view()->isRunning());
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("Orvelle - Trap receive service is not running - Orvelle"));
    QCOMPARE(m_frame->startStopAction()->text(), QStringLiteral("&Start"));
    QCOMPARE(m_frame->trayToolTip(), QStringLiteral("Orvelle")); // as at start: never "running"
    // once the port is free, Start works
    holder.close();
    m_frame->view()->OnStartStop();
    QVERIFY(m_frame->view()->isRunning());
}

void TestTrapView::cellTipFollowsMouse()
{
    CMainFrame *frame = startFrame();
    QVERIFY(frame);
    COrvelleView *view = frame->view();
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    auto trap = std::make_shared<tagTRAPRECORD>();
    trap->strAgent = QStringLiteral("192.0.2.7");
    tagTRAPVARBIND vb;
    vb.strOid = QStringLiteral("1.3.6.1.2.1.1.5.0");
    trap->lstVarbinds.push_back(vb);
    view->OnTrapRecord(trap);
    view->trapModel()->flush();

    auto moveTo = [view](int row, int column, int dy = 0) {
        const QRect cell = view->visualRect(view->trapModel()->index(row, column));
        const QPoint local = row >= 0 ? cell.center() : QPoint(30, dy);
        QCursor::setPos(view->viewport()->mapToGlobal(local));
        QMouseEvent move(QEvent::MouseMove, local, view->viewport()->mapToGlobal(local), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
    };
    CBalloonWnd *balloon = view->balloon();
    moveTo(0, 2);
    QCOMPARE(balloon->body(), QStringLiteral("192.0.2.7"));
    QCOMPARE(balloon->state(), 1);
    moveTo(1, 4); // empty cell: the tip keeps the last text
    QCOMPARE(balloon->body(), QStringLiteral("192.0.2.7"));
    moveTo(1, 1);
    QCOMPARE(balloon->body(), QStringLiteral("1.3.6.1.2.1.1.5.0"));
    moveTo(-1, 0, view->viewport()->height() - 2); // below the last row
    QCOMPARE(balloon->state(), 0);
    moveTo(0, 2);
    QCOMPARE(balloon->state(), 1);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->trapModel()->index(0, 2)).center());
    QCOMPARE(balloon->state(), 0);
}

void TestTrapView::toolCommandsOpenTheDialogs()
{
    CMainFrame *frame = startFrame();
    QVERIFY(frame);
    // the walk dialog exists from the start, hidden, and the command brings it up
    CMibWalkDlg *walk = frame->view()->mibWalkDialog();
    QVERIFY(walk);
    QVERIFY(!walk->isVisible());
    for (QAction *action : frame->findChildren<QAction *>())
        if (action->text() == QLatin1String("MIB &Walk") && action->isEnabled()) {
            action->trigger();
            break;
        }
    QVERIFY(walk->isVisible());
    // SNMP SET runs modally and offers the devices the walk has used
    AddDevice(frame->view()->devices(), QStringLiteral("192.0.2.9"), QString());
    QStringList offered;
    onNextModal([&offered](QWidget *modal) {
        if (auto *combo = modal->findChild<QComboBox *>())
            for (int i = 0; i < combo->count(); ++i)
                offered << combo->itemText(i);
    });
    frame->view()->OnSnmpSet();
    QVERIFY2(offered.contains(QStringLiteral("192.0.2.9")), qPrintable(offered.join(u' ')));
}

void TestTrapView::translatedHeadingsFit()
{
    QVERIFY(Orvelle::installTranslations(qApp, QLocale(QLocale::Japanese, QLocale::Japan)));
    COrvelleView view;
    QHeaderView *header = view.horizontalHeader();
    for (int column = 0; column < TrapListModel::ColumnCount; ++column) {
        QVERIFY(view.trapModel()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()
                != QLatin1String("Source Agent/OID") || column != 2);
        QVERIFY2(view.columnWidth(column) >= header->sectionSizeHint(column),
                 qPrintable(QString::number(column)));
    }
}

QTEST_MAIN(TestTrapView)
#include "tst_trapview.moc"
