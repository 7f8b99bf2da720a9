// The application shell in one process, run by the program's own
// application object: the service switch, what follows the service state,
// start-up with broken data files (their texts in
// detail: tst_mibconfig), and closing. Coming forward for another copy is
// seen from outside in tst_instance.

#include "mainframe.h"
#include "messagecatcher.h"
#include "orvelleapp.h"
#include "orvelleview.h"
#include "servicemode.h"
#include "testsupport.h"
#include "trayicon.h"

#include <QDateTime>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using TestSupport::MessageCatcher;
using TestSupport::writeFile;

class TestAppShell : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_cwd = QDir::currentPath();
        // The bundled MIB database and a trap port of the suite's own on loopback.
        QVERIFY(QDir(m_data.path()).mkpath(QStringLiteral("DATA")));
        QVERIFY(QFile::copy(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml"),
                            m_data.path() + QStringLiteral("/DATA/MIBTable.xml")));
        QVERIFY(writeFile(m_data.path() + QStringLiteral("/DATA/Config.xml"),
                          QStringLiteral("<config><trap_port>%1</trap_port></config>")
                              .arg(TestSupport::freeUdpPort()).toUtf8()));
        qputenv("ORVELLE_TRAP_ADDRESSES", "127.0.0.1");
    }

    void init()
    {
        qputenv("ORVELLE_DATA_DIR", QFile::encodeName(m_data.path() + QStringLiteral("/DATA")));
        QDir::setCurrent(m_cwd);
    }

    void serviceSwitch_data()
    {
        QTest::addColumn<QByteArrayList>("args");
        QTest::addColumn<bool>("service");
        // only the first argument counts, and only "-service" or "/service" exactly
        for (const char *yes : {"-service", "/service"})
            QTest::newRow(yes) << QByteArrayList{"orvelle", yes, "x"} << true;
        for (const char *no : {"-Service", "service", "--service", "-services", "-service ", "-", "", "\\service"})
            QTest::newRow(*no ? no : "empty") << QByteArrayList{"orvelle", no} << false;
        QTest::newRow("no argument") << QByteArrayList{"orvelle"} << false;
        QTest::newRow("second argument") << QByteArrayList{"orvelle", "x", "-service"} << false;
        QTest::newRow("after Qt's own option") << QByteArrayList{"orvelle", "-platform", "offscreen", "-service"} << false;
    }

    void serviceSwitch()
    {
        QFETCH(QByteArrayList, args);
        std::vector<const char *> argv;
        for (const QByteArray &arg : args)
            argv.push_back(arg.constData());
        argv.push_back(nullptr);
        QTEST(isServiceMode(static_cast<int>(args.size()), argv.data()), "service");
    }

    void serviceStateShown()
    {
        // With the service switch: receiving and out of sight, yet never
        // unreachable (without a tray the window is minimised instead).
        CMainFrame frame;
        QVERIFY(frame.create());
        COrvelleView *view = frame.view();
        view->OnInitialUpdate(true);
        QVERIFY(frame.trayAvailable() ? frame.isHidden() : frame.isMinimized());
        view->OnShowHideMain();
        QVERIFY(QTest::qWaitForWindowExposed(&frame) && !frame.isMinimized());

        // Caption, both Start/Stop commands and the tray tip follow the
        // service, whichever of the two commands switched it.
        for (QAction *command : {static_cast<QAction *>(nullptr), frame.trayStartStopAction(), frame.trayStartStopAction(),
                                 frame.startStopAction(), frame.startStopAction()}) {
            const bool on = command ? !view->isRunning() : true;
            if (command)
                command->trigger();
            QCOMPARE(view->isRunning(), on);
            const QString state = QStringLiteral("Orvelle - Trap receive service is ") + (on ? "running" : "not running");
            QCOMPARE(frame.windowTitle(), state + QStringLiteral(" - Orvelle"));
            QCOMPARE(frame.startStopAction()->text(), on ? QStringLiteral("&Stop") : QStringLiteral("&Start"));
            QCOMPARE(frame.trayStartStopAction()->text(), frame.startStopAction()->text());
            QCOMPARE(frame.trayToolTip(), QStringLiteral("Orvelle\n") + state);
        }

        // A trap adds its time to the tip, in local time.
        view->OnTrapRecord(std::make_shared<tagTRAPRECORD>());
        view->trapModel()->flush();
        QVERIFY(frame.lastTrapTime() != noTrapYetTime());
        QCOMPARE(frame.trayToolTip(), QStringLiteral("Orvelle\nOrvelle - Trap receive service is running\n")
                                          + QDateTime::fromSecsSinceEpoch(frame.lastTrapTime()).toString(QStringLiteral("MM/dd/yyyy hh:mm:ss")));
    }

    // With no data folder anywhere (started from an empty folder), or with
    // one whose configuration limits the rows.
    void startup_data()
    {
        QTest::addColumn<bool>("dataFolder");
        QTest::addColumn<QString>("message"); // empty: it starts
        QTest::newRow("no DATA folder") << false << QStringLiteral("XML database load error:DATA/MIBTable.xml");
        QTest::newRow("row limit from the configuration") << true << QString();
    }

    void startup()
    {
        QFETCH(bool, dataFolder);
        QFETCH(QString, message);
        QTemporaryDir root;
        if (dataFolder) {
            QVERIFY(QDir(root.path()).mkpath(QStringLiteral("DATA")));
            QVERIFY(writeFile(root.path() + QStringLiteral("/DATA/MIBTable.xml"),
                              "<mib_table><oid key=\"1.3.6.1\"><name>internet</name></oid></mib_table>"));
            QVERIFY(writeFile(root.path() + QStringLiteral("/DATA/Config.xml"), "<config><max_rows>3</max_rows></config>"));
            qputenv("ORVELLE_DATA_DIR", QFile::encodeName(root.path() + QStringLiteral("/DATA")));
        } else {
            // The current folder comes first in the search.
            if (QFile::exists(QStringLiteral(ORVELLE_INSTALLED_DATA_DIR "/DATA")))
                QSKIP("an installed copy of the data files would be found");
            qunsetenv("ORVELLE_DATA_DIR");
            QVERIFY(QDir::setCurrent(root.path()));
        }

        CMainFrame frame;
        MessageCatcher shown;
        QCOMPARE(frame.create(), message.isEmpty());
        if (message.isEmpty()) {
            QCOMPARE(shown.texts, QStringList());
            QCOMPARE(frame.view()->trapModel()->maxRows(), 3u);
        } else {
            QCOMPARE(shown.texts, QStringList{message});
            QCOMPARE(shown.captions, QStringList{"Orvelle"});
            QCOMPARE(shown.icons.value(0), QMessageBox::Critical);
        }
    }

    void closingDialogKeepsProgramClosingFrameEndsIt()
    {
        // Run in the program's event loop, where closing the last window would
        // end it: a dialog opened from the tray while the main window is hidden
        // may close, the main window closing is Exit.
        QSettings().remove(QStringLiteral("MainFrame"));
        const QRect geometry(100, 120, 640, 410);
        QString dialog;
        bool frameClosed = false;
        QSize saved;
        {
            CMainFrame frame;
            QTimer::singleShot(0, &frame, [&] {
                const MessageCatcher closer;
                frame.trayMenu()->actions().constLast()->trigger(); // About...
                dialog = closer.captions.value(0);
                // Later than anything the closing dialog may have posted.
                QTimer::singleShot(100, &frame, [&] {
                    frame.setGeometry(geometry);
                    frame.show();
                    if (QTest::qWaitForWindowExposed(&frame)) {
                        saved = frame.size();
                        frameClosed = frame.close();
                    }
                });
            });
            QTimer::singleShot(20000, &frame, [] { QCoreApplication::exit(1); }); // should it never end
            QCOMPARE(QApplication::exec(), 0);
            QCOMPARE(dialog, QStringLiteral("About Orvelle"));
            QVERIFY2(frameClosed, "the program ended before its main window closed");
            QVERIFY(frame.trayToolTip().isEmpty());
        }
        CMainFrame again;
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.size(), saved);
    }

private:
    QTemporaryDir m_data;
    QString m_cwd;
};

int main(int argc, char *argv[])
{
    COrvelleApp app(argc, argv, false);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestAppShell test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appshell.moc"
