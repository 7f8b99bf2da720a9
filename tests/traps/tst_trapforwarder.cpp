// The trap forwarder against a real rsyslogd on loopback: what arrives is
// strict RFC 5424 with every field intact over UDP and TCP, within the size
// rsyslog takes by default; a collector that is down or does not read never
// holds up the caller, and one that comes up later is reached.

#include "testsupport.h"
#include "trapforwarder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSysInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <optional>
#include <time.h>

namespace {

struct Message
{
    int pri = -1;
    QByteArray raw, timestamp, host, app, procId, msgId, sdId;
    QMap<QByteArray, QString> params;
    QString msg;
};

// Strict RFC 5424 as we send it: one SD element, every backslash an escape
// of `"`, `\` or `]`, the MSG after a BOM.
std::optional<Message> parse(const QByteArray &raw)
{
    Message m;
    m.raw = raw;
    const qsizetype gt = raw.indexOf('>');
    bool ok = false;
    m.pri = raw.mid(1, gt - 1).toInt(&ok);
    if (!raw.startsWith('<') || gt < 2 || gt > 4 || !ok || m.pri > 191 || raw.mid(gt + 1, 2) != "1 ")
        return {};
    qsizetype i = gt + 3;
    for (auto [field, most] : {std::pair{&m.timestamp, 64}, {&m.host, 255}, {&m.app, 48}, {&m.procId, 128}, {&m.msgId, 32}}) {
        const qsizetype sp = raw.indexOf(' ', i);
        for (*field = raw.mid(i, sp - i); i < sp; ++i)
            if (raw[i] < 33 || raw[i] > 126)
                return {};
        if (field->isEmpty() || field->size() > most)
            return {};
        ++i;
    }
    auto nameAt = [&](const char *ends) {
        const qsizetype start = i;
        while (i < raw.size() && !QByteArrayView(ends).contains(raw[i]) && raw[i] > 32 && raw[i] != '"')
            ++i;
        return raw.mid(start, i - start);
    };
    if (raw.mid(i++, 1) != "[" || (m.sdId = nameAt("=]")).isEmpty())
        return {};
    while (raw.mid(i, 1) == " ") {
        ++i;
        const QByteArray name = nameAt("=]");
        if (name.isEmpty() || raw.mid(i, 2) != "=\"" || m.params.contains(name))
            return {};
        QByteArray value;
        for (i += 2; i < raw.size() && raw[i] != '"'; ++i) {
            if (raw[i] == ']' || (raw[i] == '\\' && (++i == raw.size() || !QByteArrayView("\"\\]").contains(raw[i]))))
                return {};
            value += raw[i];
        }
        m.params[name] = QString::fromUtf8(value);
        ++i;
    }
    if (raw.mid(i, 5) != "] \xEF\xBB\xBF")
        return {};
    m.msg = QString::fromUtf8(raw.mid(i + 5));
    return m;
}

quint16 freeTcpPort()
{
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost) ? server.serverPort() : 0;
}

// rsyslogd in the foreground, writing every message from the network as it
// came, JSON-escaped so that a message is one line whatever it holds.
struct Collector
{
    QProcess process;
    QString file;
    ~Collector()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
    bool start(const QString &dir, quint16 udp, quint16 tcp)
    {
        file = dir + "/received.log";
        QDir().mkpath(dir + "/work");
        const QString conf = QStringLiteral("global(workDirectory=\"%1/work\" parser.escapeControlCharactersOnReceive=\"off\")\n"
                                            "module(load=\"imudp\")\nmodule(load=\"imtcp\")\n"
                                            "template(name=\"raw\" type=\"string\" string=\"%rawmsg:::json%\\n\")\n"
                                            "ruleset(name=\"net\") { action(type=\"omfile\" file=\"%2\" template=\"raw\") }\n"
                                            "input(type=\"imudp\" address=\"127.0.0.1\" port=\"%3\" ruleset=\"net\")\n"
                                            "input(type=\"imtcp\" address=\"127.0.0.1\" port=\"%4\" ruleset=\"net\")\n")
                                 .arg(dir, file).arg(udp).arg(tcp);
        TestSupport::writeFile(dir + "/rsyslog.conf", conf.toUtf8());
        process.start(TestSupport::findProgram("rsyslogd"), {"-n", "-f", dir + "/rsyslog.conf", "-i", dir + "/rsyslogd.pid"});
        QUdpSocket probe;
        return process.waitForStarted() && QTest::qWaitFor([&] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, tcp);
            probe.writeDatagram("probe", QHostAddress::LocalHost, udp);
            return socket.waitForConnected(100) && TestSupport::readFile(file).contains("probe");
        }, 10000);
    }
    // Our whole lines with the given specific number that parse.
    QList<Message> received(int specific) const
    {
        QList<Message> out;
        QList<QByteArray> lines = TestSupport::readFile(file).split('\n');
        lines.removeLast(); // empty, or a line still being written
        for (const QByteArray &line : std::as_const(lines)) {
            if (!line.contains("specific=\\\"" + QByteArray::number(specific) + "\\\""))
                continue;
            const QByteArray raw = QJsonDocument::fromJson("[\"" + line + "\"]").array().at(0).toString().toUtf8();
            if (const std::optional<Message> m = parse(raw))
                out.append(*m);
            else
                qWarning("not RFC 5424: %s", line.constData());
        }
        return out;
    }
};

std::shared_ptr<tagTRAPRECORD> trap(int specific, quint32 severity, const QString &value, int count = 2)
{
    auto r = std::make_shared<tagTRAPRECORD>();
    r->nSeverity = severity;
    r->nSpecific = specific;
    r->strEnterprise = "9.9.41.2";
    r->strAgent = "192.0.2.7";
    r->strCommunity = "pub\"l]c\\";
    r->strDescription = "リンク " + value + "\n2行目";
    r->tmReceived = 1700000000; // 2023-11-14T22:13:20Z
    for (int i = 1; i <= count; ++i)
        r->lstVarbinds.push_back({0, "1.3.6.1.4.1.99999." + QString::number(i), i == 2 ? QString() : "ifIndex." + QString::number(i), value, {}});
    return r;
}

int nextSpecific = 1000;

} // namespace

class TestTrapForwarder : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    Collector m_collector;
    quint16 m_ports[2] = {}; // by ForwardConfig::Protocol

    ForwardConfig config(int protocol, quint16 port)
    {
        return {"127.0.0.1", port, ForwardConfig::Protocol(protocol)};
    }

private slots:
    void initTestCase()
    {
        if (TestSupport::findProgram("rsyslogd").isEmpty())
            QSKIP("rsyslogd is not installed (Debian package rsyslog)");
        qputenv("TZ", "NST+3:30"); // an offset with minutes, west of UTC
        tzset();
        m_ports[ForwardConfig::Udp] = TestSupport::freeUdpPort();
        m_ports[ForwardConfig::Tcp] = freeTcpPort();
        QVERIFY(m_collector.start(m_dir.path() + "/main", m_ports[0], m_ports[1]));
    }

    void delivery_data()
    {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<quint32>("severity");
        QTest::addColumn<int>("pri");
        QTest::addColumn<QString>("severityText");
        QTest::addColumn<QString>("value");
        using TestSupport::row;
        const int udp = ForwardConfig::Udp, tcp = ForwardConfig::Tcp;
        row("udp informational", udp, 1u, 30, QString("Informational"), QString("up"));
        row("udp minor: quote, backslash, bracket", udp, 2u, 28, QString("Minor"), QString("a\"b\\c]d\\"));
        row("udp major: newline", udp, 3u, 27, QString("Major"), QString("line 1\nline 2\r\n\tend"));
        row("udp unknown: Japanese", udp, 0u, 29, QString("Unknown"), QString("インターフェース停止"));
        row("tcp informational: newline", tcp, 1u, 30, QString("Informational"), QString("a\nb\n"));
        row("tcp minor: Japanese and a surrogate pair", tcp, 2u, 28, QString("Minor"), QString("日本語 \U0001D11E"));
        row("tcp major: escapes only", tcp, 3u, 27, QString("Major"), QString("\\\"]\\\\"));
        row("tcp severity 9 is unknown", tcp, 9u, 29, QString("Unknown"), QString("x"));
    }

    void delivery()
    {
        QFETCH(int, protocol);
        QFETCH(quint32, severity);
        QFETCH(QString, value);
        const int specific = ++nextSpecific;
        TrapForwarder forwarder(config(protocol, m_ports[protocol]));
        forwarder.forward(trap(specific, severity, value));
        QTRY_COMPARE(m_collector.received(specific).size(), 1);
        const Message m = m_collector.received(specific).first();
        QTEST(m.pri, "pri");
        QCOMPARE((QByteArrayList{m.timestamp, m.host, m.app, m.procId, m.msgId, m.sdId}),
                 (QByteArrayList{"2023-11-14T18:43:20-03:30", QSysInfo::machineHostName().toLatin1(), "orvelle",
                                 QByteArray::number(QCoreApplication::applicationPid()), "trap", "trap@32473"}));
        QFETCH(QString, severityText);
        const QMap<QByteArray, QString> expected{{"agent", "192.0.2.7"}, {"community", "pub\"l]c\\"}, {"enterprise", "9.9.41.2"},
                                                 {"specific", QString::number(specific)}, {"severity", severityText},
                                                 {"oid.1", "1.3.6.1.4.1.99999.1"}, {"name.1", "ifIndex.1"}, {"value.1", value},
                                                 {"oid.2", "1.3.6.1.4.1.99999.2"}, {"value.2", value}};
        QCOMPARE(m.params, expected);
        QCOMPARE(m.msg, "リンク " + value + "\n2行目");
        QCOMPARE(forwarder.sent(), 1u);
    }

    void limits_data()
    {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("length");
        for (int protocol : {ForwardConfig::Udp, ForwardConfig::Tcp}) {
            const QByteArray p = protocol == ForwardConfig::Udp ? "udp " : "tcp ";
            TestSupport::row(p + "one value of 60,000 characters", protocol, 1, 60000);
            TestSupport::row(p + "400 variables", protocol, 400, 60);
        }
    }

    void limits()
    {
        QFETCH(int, protocol);
        QFETCH(int, count);
        QFETCH(int, length);
        const int specific = ++nextSpecific;
        TrapForwarder forwarder(config(protocol, m_ports[protocol]));
        const auto record = trap(specific, 1, QString(length, u'v'), count);
        record->strDescription = QString(3000, u'd');
        forwarder.forward(record);
        QTRY_COMPARE(m_collector.received(specific).size(), 1);
        const Message m = m_collector.received(specific).first();
        QVERIFY(m.raw.size() <= 8096); // rsyslog's default maxMessageSize
        QVERIFY(m.msg.endsWith(QStringLiteral("\u2026 (3000 characters)")));
        if (length > 2047)
            QCOMPARE(m.params.value("value.1"), QString(2047, u'v') + QStringLiteral("\u2026 (60000 characters)"));
        int listed = 0;
        while (m.params.contains("value." + QByteArray::number(listed + 1)))
            ++listed;
        QCOMPARE(listed + m.params.value("omitted", "0").toInt(), count);
        // Variables give way only where the description would get less than
        // 1 KiB (one here takes < 120 bytes); the description fills the rest.
        if (listed < count)
            QVERIFY2(m.msg.size() < 1024 + 120 && m.raw.size() > 8096 - 4, QByteArray::number(m.raw.size()));
    }

    void collectorDown_data()
    {
        QTest::addColumn<int>("protocol");
        TestSupport::row("udp", int(ForwardConfig::Udp));
        TestSupport::row("tcp: queued, then sent once it is up", int(ForwardConfig::Tcp));
    }

    void collectorDown()
    {
        QFETCH(int, protocol);
        const bool tcp = protocol == ForwardConfig::Tcp;
        const quint16 udpPort = TestSupport::freeUdpPort(), tcpPort = freeTcpPort();
        TrapForwarder forwarder(config(protocol, tcp ? tcpPort : udpPort));
        const int specific = ++nextSpecific;
        const auto record = trap(specific, 2, "down");
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 20000; ++i)
            forwarder.forward(record);
        QVERIFY2(timer.elapsed() < 250, QByteArray::number(timer.elapsed()) + " ms for 20,000 records");
        if (tcp)
            QCOMPARE(forwarder.dropped(), quint64(20000 - TrapForwarder::kMaxQueued));
        else
            QTRY_COMPARE(forwarder.sent() + forwarder.dropped(), quint64(20000));
        QTRY_VERIFY2(forwarder.stateText().contains("unreachable"), qPrintable(forwarder.stateText()));
        QVERIFY(forwarder.stateText().contains(QString::number(tcp ? tcpPort : udpPort)) && forwarder.dropped() > 0);

        Collector late;
        QVERIFY(late.start(m_dir.path() + "/late-" + QTest::currentDataTag(), udpPort, tcpPort));
        if (tcp) // what waited in the queue arrives once the collector is up
            QTRY_COMPARE_WITH_TIMEOUT(late.received(specific).size(), qsizetype(TrapForwarder::kMaxQueued), 40000);
        forwarder.forward(trap(specific + 100000, 1, "up again"));
        QTRY_COMPARE(late.received(specific + 100000).size(), 1);
        if (tcp)
            QCOMPARE(forwarder.sent(), quint64(TrapForwarder::kMaxQueued + 1));
    }

    void slowCollector()
    {
        QTcpServer server; // takes the connection only once the socket is full
        QVERIFY(server.listen(QHostAddress::LocalHost));
        server.pauseAccepting();
        auto forwarder = std::make_unique<TrapForwarder>(config(ForwardConfig::Tcp, server.serverPort()));
        const int specific = ++nextSpecific;
        const auto record = trap(specific, 3, QString(3000, u'日')); // 8 KB: far more than the socket buffers hold
        const auto fillAndStall = [&] {
            const quint64 before = forwarder->sent();
            for (int i = 0; i < 20000; ++i)
                forwarder->forward(record);
            quint64 last = before;
            return QTest::qWaitFor([&] {
                const quint64 now = forwarder->sent();
                return std::exchange(last, now) == now && now > before;
            }, 20000) && last - before < TrapForwarder::kMaxQueued;
        };
        QVERIFY(fillAndStall());
        // Read while the forwarder writes into a socket that is mostly full:
        // writes end mid-frame, yet every frame arrives whole.
        server.resumeAccepting();
        QVERIFY(server.waitForNewConnection(5000));
        std::unique_ptr<QTcpSocket> peer(server.nextPendingConnection());
        QByteArray stream;
        int frames = 0;
        bool whole = true;
        QVERIFY(QTest::qWaitFor([&] {
            stream += peer->readAll();
            qsizetype at = 0;
            for (qsizetype sp; whole && (sp = stream.indexOf(' ', at)) > at;) {
                const qsizetype length = stream.mid(at, sp - at).toLongLong();
                if (stream.size() - sp - 1 < length)
                    break;
                const std::optional<Message> m = parse(stream.mid(sp + 1, length));
                whole = length > 0 && length <= 8096 && m && m->params.value("specific") == QString::number(specific);
                at = sp + 1 + length;
                ++frames;
            }
            stream.remove(0, at);
            return !whole || (frames == int(forwarder->sent()) && forwarder->sent() + forwarder->dropped() == 20000);
        }, 60000));
        QVERIFY2(whole, stream.left(100));
        QVERIFY(frames >= int(TrapForwarder::kMaxQueued));
        // stopping at once while the thread waits for a collector that does
        // not read (the connection it makes again once this one is gone)
        server.pauseAccepting();
        peer.reset();
        QVERIFY(fillAndStall());
        QElapsedTimer timer;
        timer.start();
        forwarder.reset();
        QVERIFY2(timer.elapsed() < 200, QByteArray::number(timer.elapsed()) + " ms to stop");
    }
};

QTEST_GUILESS_MAIN(TestTrapForwarder)
#include "tst_trapforwarder.moc"
