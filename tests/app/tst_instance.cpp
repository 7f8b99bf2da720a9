// The program as a user starts it: one copy per user, a second copy brings
// the first forward and ends, a crashed copy does not block the next.

#include "singleinstance.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QDir>
#include <QTest>
#include <QUdpSocket>

#include <csignal>

class TestInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void secondCopyActivatesFirstAndExits();
    void secondCopyEndsWhileFirstRuns();
    void crashedCopyDoesNotBlock();
    void exportedRoutinesVisible();
    void movedInstallationFindsItsData();

private:
    QProcess *startProgram(const QStringList &args = {});
    QString socketPath() const;

    QString m_program;
    std::unique_ptr<QTemporaryDir> m_root;
    QProcessEnvironment m_env;
    QList<QProcess *> m_processes;
};

void TestInstance::initTestCase()
{
    m_program = qEnvironmentVariable("ORVELLE_EXECUTABLE");
    QVERIFY2(QFileInfo(m_program).isExecutable(), "ORVELLE_EXECUTABLE does not name the program");
}

void TestInstance::init()
{
    // A private runtime folder per test function: the lock and socket live
    // there, so parallel tests never see each other's copies.
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    m_env = TestSupport::isolatedEnvironment(m_root->path());
    m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_env.insert(QStringLiteral("ORVELLE_DATA_DIR"), TestSupport::sourceDir() + QStringLiteral("/DATA"));
}

void TestInstance::cleanup()
{
    for (QProcess *process : std::as_const(m_processes)) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
        delete process;
    }
    m_processes.clear();
}

QProcess *TestInstance::startProgram(const QStringList &args)
{
    auto *process = new QProcess;
    process->setProcessEnvironment(m_env);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setWorkingDirectory(m_root->path());
    process->start(m_program, args);
    m_processes << process;
    return process;
}

void TestInstance::movedInstallationFindsItsData()
{
    // An installation copied to another prefix, started from a folder
    // without DATA: it must read <prefix>/share/orvelle/DATA. Its Config.xml
    // names a trap port, and with the service switch the program opens it:
    // the port in use proves which configuration was read.
    const QString prefix = m_root->path() + QStringLiteral("/prefix");
    QVERIFY(QDir().mkpath(prefix + QStringLiteral("/bin")));
    QVERIFY(QDir().mkpath(prefix + QStringLiteral("/share/orvelle/DATA")));
    QVERIFY(QFile::copy(m_program, prefix + QStringLiteral("/bin/orvelle")));
    QVERIFY(QFile::copy(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml"),
                        prefix + QStringLiteral("/share/orvelle/DATA/MIBTable.xml")));
    const quint16 port = TestSupport::freeUdpPort();
    QFile config(prefix + QStringLiteral("/share/orvelle/DATA/Config.xml"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("<config><trap_port>%1</trap_port></config>").arg(port).toUtf8());
    config.close();
    m_env.remove(QStringLiteral("ORVELLE_DATA_DIR"));
    m_env.insert(QStringLiteral("ORVELLE_TRAP_ADDRESSES"), QStringLiteral("127.0.0.1"));
    const QString program = m_program;
    m_program = prefix + QStringLiteral("/bin/orvelle");
    QProcess *process = startProgram({QStringLiteral("-service")});
    m_program = program;
    QVERIFY(process->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(!QUdpSocket().bind(QHostAddress::LocalHost, port), 10000);
    QCOMPARE(process->state(), QProcess::Running);
}

QString TestInstance::socketPath() const
{
    return m_env.value(QStringLiteral("XDG_RUNTIME_DIR")) + QStringLiteral("/Orvelle-Utility-")
        + QString::number(::getuid()) + QStringLiteral(".sock");
}

void TestInstance::secondCopyActivatesFirstAndExits()
{
    // This process plays the first copy, in the same runtime folder.
    qputenv("XDG_RUNTIME_DIR", m_env.value(QStringLiteral("XDG_RUNTIME_DIR")).toLocal8Bit());
    SingleInstance first(QStringLiteral("Orvelle Utility"));
    QCOMPARE(first.start(), SingleInstance::Result::Primary);
    QCOMPARE(first.serverPath(), socketPath());
    QSignalSpy activated(&first, &SingleInstance::activationRequested);

    QProcess *second = startProgram();
    QVERIFY(activated.wait(10000));
    QVERIFY(second->waitForFinished(10000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    qunsetenv("XDG_RUNTIME_DIR");
}

void TestInstance::secondCopyEndsWhileFirstRuns()
{
    QProcess *first = startProgram();
    QVERIFY(first->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socketPath()), 15000);

    // Even with the service switch, the second copy starts nothing.
    QProcess *second = startProgram({QStringLiteral("-service")});
    QVERIFY(second->waitForFinished(10000));
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(first->state(), QProcess::Running);
}

void TestInstance::crashedCopyDoesNotBlock()
{
    QProcess *first = startProgram();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socketPath()), 15000);
    ::kill(static_cast<pid_t>(first->processId()), SIGKILL);
    QVERIFY(first->waitForFinished(5000));
    // Lock file and socket are left behind, as after any crash.
    QVERIFY(QFileInfo::exists(socketPath()));

    QProcess *next = startProgram();
    QVERIFY(next->waitForStarted());
    // The new copy takes over: it must still be running after a second copy
    // has come and gone.
    const QString lockPath = QString(socketPath()).replace(QStringLiteral(".sock"), QStringLiteral(".lock"));
    auto lockOwner = [&lockPath] {
        QFile lock(lockPath);
        return lock.open(QIODevice::ReadOnly) ? lock.readLine().trimmed().toLongLong() : 0;
    };
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), next->processId(), 15000);
    QProcess *probe = startProgram();
    QVERIFY(probe->waitForFinished(10000));
    QCOMPARE(probe->exitCode(), 0);
    QCOMPARE(next->state(), QProcess::Running);
}

void TestInstance::exportedRoutinesVisible()
{
    const QString nm = TestSupport::findProgram(QStringLiteral("nm"));
    if (nm.isEmpty())
        QSKIP("nm (binutils) is not installed");
    QProcess process;
    process.start(nm, {QStringLiteral("-D"), QStringLiteral("--defined-only"), m_program});
    QVERIFY(process.waitForFinished(30000));
    const QString symbols = QString::fromLatin1(process.readAllStandardOutput());
    for (const char *name : {"toUtf8", "toQP", "utf8_toUtf16"})
        QVERIFY2(symbols.contains(QRegularExpression(QStringLiteral(" T %1$").arg(QLatin1String(name)),
                                                     QRegularExpression::MultilineOption)),
                 name);
}

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
