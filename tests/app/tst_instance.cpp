// The program as a user starts it: one copy per user, a second copy brings
// the first forward and ends, a crashed copy does not block the next, and an
// installation moved to another prefix still finds its data.

#include "singleinstance.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <csignal>

class TestInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_program = qEnvironmentVariable("ORVELLE_EXECUTABLE");
        QVERIFY2(QFileInfo(m_program).isExecutable(), "ORVELLE_EXECUTABLE does not name the program");
    }

    void init()
    {
        // A private runtime folder per test function: the lock and socket live
        // there, so parallel tests never see each other's copies.
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        m_env = TestSupport::isolatedEnvironment(m_root->path());
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_env.insert(QStringLiteral("ORVELLE_DATA_DIR"), TestSupport::sourceDir() + QStringLiteral("/DATA"));
        // This process looks into the same runtime folder.
        qputenv("XDG_RUNTIME_DIR", m_env.value(QStringLiteral("XDG_RUNTIME_DIR")).toLocal8Bit());
    }

    void cleanup()
    {
        m_processes.clear(); // a QProcess kills its program when it goes
    }

    void secondCopyActivatesFirstAndExits()
    {
        // This process plays the first copy.
        SingleInstance first(QStringLiteral("Orvelle Utility"));
        QCOMPARE(first.start(), SingleInstance::Result::Primary);
        QSignalSpy activated(&first, &SingleInstance::activationRequested);

        QProcess *second = startProgram();
        QVERIFY(activated.wait(10000));
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
    }

    void crashedCopyDoesNotBlock()
    {
        QProcess *first = startProgram();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(paths().serverPath()), 15000);
        ::kill(static_cast<pid_t>(first->processId()), SIGKILL);
        QVERIFY(first->waitForFinished(5000));
        // Lock file and socket are left behind, as after any crash.
        QVERIFY(QFileInfo::exists(paths().serverPath()));

        // The next copy takes over the lock ...
        QProcess *next = startProgram();
        QVERIFY(next->waitForStarted());
        auto lockOwner = [] {
            QFile lock(paths().lockPath());
            return lock.open(QIODevice::ReadOnly) ? lock.readLine().trimmed().toLongLong() : 0;
        };
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), next->processId(), 15000);
        // ... and stays while another copy, even with the service switch, comes
        // and goes without starting anything.
        QProcess *probe = startProgram({QStringLiteral("-service")});
        QVERIFY(probe->waitForFinished(10000));
        QCOMPARE(probe->exitCode(), 0);
        QCOMPARE(next->state(), QProcess::Running);
    }

    void movedInstallationFindsItsData()
    {
        // An installation copied to another prefix, started from a folder
        // without DATA: it must read <prefix>/share/orvelle/DATA. Its Config.xml
        // names a trap port, and with the service switch the program opens it:
        // the port in use proves which configuration was read.
        const QString prefix = m_root->path() + QStringLiteral("/prefix");
        const QString data = prefix + QStringLiteral("/share/orvelle/DATA");
        QVERIFY(QDir().mkpath(prefix + QStringLiteral("/bin")) && QDir().mkpath(data));
        QVERIFY(QFile::copy(m_program, prefix + QStringLiteral("/bin/orvelle")));
        QVERIFY(QFile::copy(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml"), data + QStringLiteral("/MIBTable.xml")));
        const quint16 port = TestSupport::freeUdpPort();
        QFile config(data + QStringLiteral("/Config.xml"));
        QVERIFY(config.open(QIODevice::WriteOnly)
                && config.write(QStringLiteral("<config><trap_port>%1</trap_port></config>").arg(port).toUtf8()) > 0);
        config.close();
        m_env.remove(QStringLiteral("ORVELLE_DATA_DIR"));
        m_env.insert(QStringLiteral("ORVELLE_TRAP_ADDRESSES"), QStringLiteral("127.0.0.1"));
        QProcess *process = startProgram({QStringLiteral("-service")}, prefix + QStringLiteral("/bin/orvelle"));
        QVERIFY(process->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!QUdpSocket().bind(QHostAddress::LocalHost, port), 10000);
        QCOMPARE(process->state(), QProcess::Running);
    }

    void terminationSignalEndsIt_data()
    {
        QTest::addColumn<bool>("goodConfig");
        QTest::newRow("receiving") << true;
        QTest::newRow("while the start-up error is shown") << false; // it ran until OK was clicked
    }

    // SIGTERM (logout, kill) ends the program as Exit does, so that the
    // journal is written, also while a message box runs a loop of its own.
    void terminationSignalEndsIt()
    {
        QFETCH(bool, goodConfig);
        const QString data = m_root->path() + QStringLiteral("/DATA");
        QVERIFY(QDir().mkpath(data));
        QVERIFY(QFile::copy(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml"), data + QStringLiteral("/MIBTable.xml")));
        const quint16 port = TestSupport::freeUdpPort();
        QVERIFY(TestSupport::writeFile(data + QStringLiteral("/Config.xml"),
            goodConfig ? QStringLiteral("<config><trap_port>%1</trap_port></config>").arg(port).toUtf8() : QByteArray("<config><max_rows>x</max_rows></config>")));
        m_env.insert(QStringLiteral("ORVELLE_DATA_DIR"), data);
        m_env.insert(QStringLiteral("ORVELLE_TRAP_ADDRESSES"), QStringLiteral("127.0.0.1"));
        QProcess *process = startProgram({QStringLiteral("-service")});
        QVERIFY(process->waitForStarted());
        if (goodConfig)
            QTRY_VERIFY_WITH_TIMEOUT(!QUdpSocket().bind(QHostAddress::LocalHost, port), 10000);
        else
            QTest::qWait(1500); // the message box is up
        QCOMPARE(process->state(), QProcess::Running);
        ::kill(pid_t(process->processId()), SIGTERM);
        QVERIFY(process->waitForFinished(5000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), goodConfig ? 0 : 1);
    }

    void exportedRoutinesVisible()
    {
        const QString nm = TestSupport::findProgram(QStringLiteral("nm"));
        if (nm.isEmpty())
            QSKIP("nm (binutils) is not installed");
        QProcess process;
        process.start(nm, {QStringLiteral("-D"), QStringLiteral("--defined-only"), m_program});
        QVERIFY(process.waitForFinished(30000));
        const QString symbols = QString::fromLatin1(process.readAllStandardOutput());
        // by their C names only, as the routines' callers look them up
        const std::pair<const char *, const char *> routines[] = {
            {"toUtf8", "_Z6toUtf8PKhPh"}, {"toQP", "_Z4toQPPKcPKhPc"}, {"utf8_toUtf16", "_Z12utf8_toUtf16PKhPt"}};
        for (const auto &[name, mangled] : routines) {
            QVERIFY2(symbols.contains(QStringLiteral(" T %1\n").arg(QLatin1String(name))), name);
            QVERIFY2(!symbols.contains(QLatin1String(mangled)), mangled);
        }
    }

private:
    QProcess *startProgram(const QStringList &args = {}, const QString &program = {});
    // Where the first copy keeps its lock and its socket.
    static SingleInstance paths() { return SingleInstance(QStringLiteral("Orvelle Utility")); }

    QString m_program;
    std::unique_ptr<QTemporaryDir> m_root;
    QProcessEnvironment m_env;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

QProcess *TestInstance::startProgram(const QStringList &args, const QString &program)
{
    auto &process = m_processes.emplace_back(std::make_unique<QProcess>());
    process->setProcessEnvironment(m_env);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setWorkingDirectory(m_root->path());
    process->start(program.isEmpty() ? m_program : program, args);
    return process.get();
}

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
