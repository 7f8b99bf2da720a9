// The trap journal: what it keeps across a reopening, what a search finds
// (the same as the list's own filter), retention by age and size, files it
// cannot use. The program's own use of it (the filter bar, a restart, a
// SIGKILL in a burst) is in tst_trapview.

#include "journalcheck.h"
#include "testsupport.h"
#include "trapjournal.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <sys/resource.h>

#include <csignal>

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

} // namespace

class TestTrapJournal : public QObject
{
    Q_OBJECT

private slots:
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
        QCOMPARE(journalIntegrity(path), QStringLiteral("ok"));
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

    // A disk that fills up while the program runs: said once, with the
    // file and the reason; what could not be written is counted, and the
    // journal goes on once there is room again.
    void diskFullWhileWriting()
    {
        const QString path = m_dir.filePath(QStringLiteral("full.db"));
        TrapJournal journal;
        QVERIFY(journal.open({path, 0, 0}, nullptr));
        QSignalSpy failed(&journal, &TrapJournal::failed);
        QVERIFY(fill(journal, fixture()));
        // a file-size limit makes every write beyond it fail as a full disk does
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        rlimit small = before;
        small.rlim_cur = rlim_t(QFileInfo(path + QStringLiteral("-wal")).size());
        setrlimit(RLIMIT_FSIZE, &small);
        std::vector<tagTRAPRECORD> more;
        for (int i = 0; i < 2000; ++i)
            more.push_back(trap("10.9.9.9", "public", "burst", 1, kT0 + 400, QString(300, u'b')));
        QVERIFY(fill(journal, more));
        QVERIFY(fill(journal, more));
        setrlimit(RLIMIT_FSIZE, &before);
        QTRY_COMPARE(failed.size(), 1); // once, not once per batch
        const QString message = failed.first().first().toString();
        QVERIFY2(message.contains(path) && message.contains(QStringLiteral("cannot write")), qPrintable(message));
        QVERIFY(journal.dropped() > 0);
        QVERIFY(fill(journal, {trap("10.9.9.9", "public", "after", 1, kT0 + 500, QStringLiteral("room again"))}));
        QCOMPARE(journal.newest(2).back().strDescription, QStringLiteral("after"));
        journal.close();
        QCOMPARE(journalIntegrity(path), QStringLiteral("ok"));
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

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestTrapJournal)
#include "tst_trapjournal.moc"
