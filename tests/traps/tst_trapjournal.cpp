// The trap journal: what it keeps across a restart, what a search finds
// (the same as the list's own filter), retention by age and size, files it
// cannot use; then the real program: the filter bar finding a trap the row
// limit trimmed, the list of an earlier run coming back, and a SIGKILL in
// the middle of a burst.

#include "mainframe.h"
#include "messagecatcher.h"
#include "orvelleview.h"
#include "snmpdpeer.h"
#include "snmpstack.h"
#include "testsupport.h"
#include "trapfilterbar.h"
#include "trapjournal.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <sqlite3.h>

namespace {

constexpr std::time_t kT0 = 1765000000;

tagTRAPRECORD trap(const char *agent, const char *community, const char *description, quint32 severity, std::time_t time,
                   const QString &value, const QString &oid = QStringLiteral("1.3.6.1.2.1.2.2.1.2.1"))
{
    tagTRAPRECORD r;
    r.strAgent = QString::fromUtf8(agent);
    r.strCommunity = QString::fromUtf8(community);
    r.strDescription = QString::fromUtf8(description);
    r.nSeverity = severity;
    r.tmReceived = time;
    r.lstVarbinds.push_back({4, oid, QStringLiteral("ifDescr.1"), value, QString()});
    r.nVarbindCount = 1;
    return r;
}

std::vector<tagTRAPRECORD> fixture()
{
    return {trap("10.0.0.1", "public", "linkDown", 3, kT0, QStringLiteral("eth0 Uplink")),
            trap("10.0.0.2", "private", "linkUp", 1, kT0 + 100, QStringLiteral("ポート3 障害")),
            trap("192.168.1.7", "public", "coldStart", 2, kT0 + 200, QStringLiteral("x"), QStringLiteral("1.3.6.1.4.1.99999.1")),
            trap("10.0.0.1", "public", "authenticationFailure", 0, kT0 + 300, QStringLiteral("line one\nline two ") + QString(3000, u'v'))};
}

QStringList descriptions(const std::vector<tagTRAPRECORD> &records)
{
    QStringList out;
    for (const auto &r : records)
        out << r.strDescription;
    return out;
}

bool fill(TrapJournal &journal, const std::vector<tagTRAPRECORD> &records)
{
    for (const auto &r : records)
        journal.append(std::make_shared<tagTRAPRECORD>(r));
    return journal.sync();
}

// PRAGMA integrity_check and the text index's own check, on a connection of the test's.
QString integrity(const QString &path)
{
    sqlite3 *db = nullptr;
    QString result = QStringLiteral("cannot open");
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr);
        result = sqlite3_step(s) == SQLITE_ROW ? QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0))) : QStringLiteral("no answer");
        sqlite3_finalize(s);
        if (sqlite3_exec(db, "INSERT INTO trap_text(trap_text) VALUES('integrity-check')", nullptr, nullptr, nullptr) != SQLITE_OK)
            result += QStringLiteral(", index: ") + QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_close(db);
    return result;
}

// The journal answers from its own thread: taken by a queued connection,
// as the view takes it. Null when no answer came.
std::shared_ptr<const TrapRecords> searched(TrapJournal &journal, const TrapQuery &query, quint32 maxRows = 1000)
{
    std::shared_ptr<const TrapRecords> result;
    QEventLoop loop;
    quint64 ticket = 0;
    QObject::connect(&journal, &TrapJournal::searchFinished, &loop, [&](quint64 t, std::shared_ptr<const TrapRecords> found, bool) {
        if (t == ticket) {
            result = std::move(found);
            loop.quit();
        }
    }, Qt::QueuedConnection);
    ticket = journal.search(query, maxRows);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return result;
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

class TestTrapJournal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("ORVELLE_TRAP_ADDRESSES", "127.0.0.1");
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("DATA"))));
        QVERIFY(QFile::copy(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml"), m_dir.filePath(QStringLiteral("DATA/MIBTable.xml"))));
        qputenv("ORVELLE_DATA_DIR", QFile::encodeName(m_dir.filePath(QStringLiteral("DATA"))));
    }

    void cleanup() { m_frame.reset(); }

    void keptAcrossReopen()
    {
        const QString path = m_dir.filePath(QStringLiteral("reopen.db"));
        {
            TrapJournal journal;
            QString error;
            QVERIFY2(journal.open({path, 0, 0}, &error), qPrintable(error));
            QVERIFY(fill(journal, fixture()));
            QVERIFY(!journal.newest(1000).front().fromEarlierRun);
        }
        TrapJournal journal;
        QVERIFY(journal.open({path, 0, 0}, nullptr));
        const auto back = journal.newest(1000);
        const auto sent = fixture();
        QCOMPARE(back.size(), sent.size());
        for (size_t i = 0; i < sent.size(); ++i) {
            QCOMPARE(back[i].strAgent, sent[i].strAgent);
            QCOMPARE(back[i].strCommunity, sent[i].strCommunity);
            QCOMPARE(back[i].nSeverity, sent[i].nSeverity);
            QCOMPARE(back[i].tmReceived, sent[i].tmReceived);
            QCOMPARE(back[i].lstVarbinds.front().strValue, sent[i].lstVarbinds.front().strValue);
            QVERIFY(back[i].fromEarlierRun);
        }
        // rows, not traps, fill the list: two rows are the newest trap alone
        QCOMPARE(descriptions(journal.newest(2)), QStringList{"authenticationFailure"});
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("severities");
        QTest::addColumn<QString>("agent");
        QTest::addColumn<qint64>("from"); // 0: open
        QTest::addColumn<qint64>("to");
        QTest::addColumn<QStringList>("found");
        using TestSupport::row;
        const quint32 all = 0;
        row("a value, any case", QStringLiteral("UPLINK"), all, QString(), 0LL, 0LL, QStringList{"linkDown"});
        row("a term of two letters", QStringLiteral("up"), all, QString(), 0LL, 0LL, QStringList{"linkDown", "linkUp"});
        row("every term must appear", QStringLiteral("10.0.0.1 auth"), all, QString(), 0LL, 0LL, QStringList{"authenticationFailure"});
        row("a quoted phrase", QStringLiteral("\"eth0 uplink\""), all, QString(), 0LL, 0LL, QStringList{"linkDown"});
        row("Japanese", QStringLiteral("ポート3"), all, QString(), 0LL, 0LL, QStringList{"linkUp"});
        row("Japanese, two characters", QStringLiteral("障害"), all, QString(), 0LL, 0LL, QStringList{"linkUp"});
        row("an OID", QStringLiteral("99999"), all, QString(), 0LL, 0LL, QStringList{"coldStart"});
        row("a community", QStringLiteral("private"), all, QString(), 0LL, 0LL, QStringList{"linkUp"});
        row("a value's second line", QStringLiteral("line two"), all, QString(), 0LL, 0LL, QStringList{"authenticationFailure"});
        row("not across two fields", QStringLiteral("public linkDown"), all, QString(), 0LL, 0LL, QStringList{"linkDown"});
        row("nothing", QStringLiteral("zzz"), all, QString(), 0LL, 0LL, QStringList{});
        row("severity major and unknown", QString(), TrapQuery::severityBit(3) | TrapQuery::severityBit(0), QString(), 0LL, 0LL,
            QStringList{"linkDown", "authenticationFailure"});
        row("agent", QString(), all, QStringLiteral("10.0.0.1"), 0LL, 0LL, QStringList{"linkDown", "authenticationFailure"});
        row("time range, ends included", QString(), all, QString(), qint64(kT0 + 100), qint64(kT0 + 200), QStringList{"linkUp", "coldStart"});
        row("all at once", QStringLiteral("link"), TrapQuery::severityBit(1), QStringLiteral("10.0.0.2"), qint64(kT0), 0LL, QStringList{"linkUp"});
    }

    void search()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        TrapQuery query;
        query.terms = TrapQuery::termsOf(text);
        QFETCH(quint32, severities);
        query.severities = severities;
        QFETCH(QString, agent);
        query.agent = agent;
        QFETCH(qint64, from);
        QFETCH(qint64, to);
        if (from)
            query.from = from;
        if (to)
            query.to = to;

        // the list's own filter, used where there is no journal
        std::vector<tagTRAPRECORD> inMemory;
        for (const auto &r : fixture())
            if (query.matches(r))
                inMemory.push_back(r);
        QCOMPARE(descriptions(inMemory), found);

        TrapJournal journal;
        QVERIFY(journal.open({m_dir.filePath(QStringLiteral("search-%1.db").arg(QTest::currentDataTag())), 0, 0}, nullptr));
        QVERIFY(fill(journal, fixture()));
        const auto matches = searched(journal, query);
        QVERIFY(matches);
        QCOMPARE(descriptions(*matches), found);
    }

    void retention_data()
    {
        QTest::addColumn<bool>("bySize");
        QTest::newRow("by age") << false;
        QTest::newRow("by size") << true;
    }

    void retention()
    {
        QFETCH(bool, bySize);
        const QString path = m_dir.filePath(QStringLiteral("retention-%1.db").arg(bySize));
        const std::time_t now = std::time(nullptr);
        TrapJournal journal;
        QVERIFY(journal.open({path, 0, 0}, nullptr));
        std::vector<tagTRAPRECORD> records;
        const int count = bySize ? 20000 : 4;
        for (int i = 0; i < count; ++i) {
            records.push_back(trap("10.1.1.1", "public", "t", 1, now - (i < count / 2 ? 40 * 86400 : 0),
                                   QStringLiteral("value-%1 ").arg(i) + QString(200, u'x')));
            if (i % 100 == 99 || i == count / 2 - 1 || i == count - 1) { // written as a program writes them: a few at a time
                QVERIFY(fill(journal, records));
                records.clear();
            }
        }
        journal.close();
        const quint64 limit = 2 << 20;
        QVERIFY(journal.open({path, bySize ? 0u : 30u, bySize ? limit : 0}, nullptr)); // retention runs at open
        const auto kept = journal.newest(1000000);
        QVERIFY(!kept.empty());
        QCOMPARE(kept.back().lstVarbinds.front().strValue, QStringLiteral("value-%1 ").arg(count - 1) + QString(200, u'x'));
        if (bySize) {
            QVERIFY2(kept.size() < size_t(count) && kept.size() > size_t(count) / 10, qPrintable(QString::number(kept.size())));
            journal.close();
            QVERIFY2(QFileInfo(path).size() <= qint64(limit) * 11 / 10, qPrintable(QString::number(QFileInfo(path).size())));
        } else {
            QCOMPARE(int(kept.size()), count / 2);
            journal.close();
        }
        QCOMPARE(integrity(path), QStringLiteral("ok"));
        // the index still finds what is left, and nothing that went
        QVERIFY(journal.open({path, 0, 0}, nullptr));
        TrapQuery newest, gone;
        newest.terms = QStringList{QStringLiteral("value-%1 ").arg(count - 1)};
        gone.terms = QStringList{QStringLiteral("value-0 ")};
        QCOMPARE(searched(journal, newest)->size(), size_t(1));
        QCOMPARE(searched(journal, gone)->size(), size_t(0));
    }

    void unusableFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder is a file") << QStringLiteral("plain/traps.db") << QByteArray() << QStringLiteral("cannot create the folder");
        QTest::newRow("not a database") << QStringLiteral("junk.db") << QByteArray(8192, 'j') << QStringLiteral("not a database");
        QTest::newRow("newer format") << QStringLiteral("newer.db") << QByteArray("newer") << QStringLiteral("newer version");
    }

    void unusableFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        const QString path = m_dir.filePath(name);
        QVERIFY(TestSupport::writeFile(m_dir.filePath(QStringLiteral("plain")), "a file"));
        if (content == "newer") {
            sqlite3 *db = nullptr;
            sqlite3_open(QFile::encodeName(path).constData(), &db);
            sqlite3_exec(db, "PRAGMA user_version = 9", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        } else if (!content.isEmpty()) {
            QVERIFY(TestSupport::writeFile(path, content));
        }
        TrapJournal journal;
        QString error;
        QVERIFY(!journal.open({path, 0, 0}, &error));
        QVERIFY2(error.contains(path) && error.contains(QTest::currentDataTag() == QByteArray("folder is a file") ? QStringLiteral("plain") : name), qPrintable(error));
        QFETCH(QString, reason);
        QVERIFY2(error.contains(reason), qPrintable(error));
        if (!content.isEmpty() && content != "newer")
            QCOMPARE(TestSupport::readFile(path), content); // the user's file is left as it was
    }

    void filterBarAndRestart()
    {
        if (TestSupport::findProgram(QStringLiteral("snmptrap")).isEmpty())
            QSKIP("net-snmp's snmptrap is not installed (Debian package snmp)");
        const QString path = m_dir.filePath(QStringLiteral("program.db"));
        QVERIFY(startFrame(path));
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
        QVERIFY(startFrame(path));
        view = m_frame->view();
        QCOMPARE(view->trapModel()->rowCount(), 12);
        QCOMPARE(view->trapModel()->cellText(11, TrapListModel::ColValueDescription), QStringLiteral("m4-marker"));
        QVERIFY(view->trapModel()->cellTip(0, TrapListModel::ColDateTime).contains(QStringLiteral("earlier run")));
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
        QCOMPARE(integrity(path), QStringLiteral("ok"));
        QSet<QString> seen;
        for (const tagTRAPRECORD &r : journaled())
            seen.insert(r.lstVarbinds.back().strValue);
        for (int n = 1; n <= burst; ++n)
            QVERIFY2(seen.contains(QStringLiteral("seq-%1").arg(n)), qPrintable(QString::number(n)));
    }

private:
    bool startFrame(const QString &journal)
    {
        m_port = TestSupport::freeUdpPort();
        const QString xml = QStringLiteral("<config><max_rows>12</max_rows><trap_port>%1</trap_port><journal><file>%2</file></journal></config>")
                                .arg(m_port).arg(journal.toHtmlEscaped());
        if (!TestSupport::writeFile(m_dir.filePath(QStringLiteral("DATA/Config.xml")), xml.toUtf8()))
            return false;
        m_frame = std::make_unique<CMainFrame>();
        if (!m_frame->create() || !m_frame->view()->journal())
            return false;
        m_frame->view()->OnInitialUpdate(false);
        m_frame->view()->OnStartStop();
        return m_frame->view()->isRunning();
    }

    QTemporaryDir m_dir;
    quint16 m_port = 0;
    std::unique_ptr<CMainFrame> m_frame;
};

QTEST_MAIN(TestTrapJournal)
#include "tst_trapjournal.moc"
