#include "aboutdlg.h"
#include "helplauncher.h"
#include "mainframe.h"
#include "orvelleview.h"
#include "servicemode.h"
#include "testsupport.h"
#include "trayicon.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

QStringList menuTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

QMenu *topMenu(QMainWindow &frame, int index)
{
    return frame.menuBar()->actions().at(index)->menu();
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

// The data folder the frames of this suite start from: the bundled MIB
// database and a trap port of their own on loopback.
QString g_defaultData;

void restoreDefaultData()
{
    qputenv("ORVELLE_DATA_DIR", QFile::encodeName(g_defaultData));
}

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

} // namespace

class TestAppShell : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void serviceSwitch_data();
    void serviceSwitch();
    void menus();
    void statusPrompts_data();
    void statusPrompts();
    void captionAndMenuFollowService();
    void trayTip();
    void trayTipWithTrapTime();
    void hintDrawnOnlyWhenStoppedAndEmpty();
    void serviceModeStartsHiddenAndRunning();
    void activationRestoresMinimisedKeepsHidden();
    void activationRaisesModalDialog();
    void closingFrameEndsProgramClosingDialogDoesNot();
    void aboutBox();
    void userGuideMissing();
    void userGuideFound();
    void geometryRestored();
    void startupDataFiles_data();
    void startupDataFiles();
    void startupFromFolderWithoutData();
    void startupTakesRowLimit();

private:
    QTemporaryDir m_data;

private:
    QTemporaryDir m_home;
};

void TestAppShell::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Halvorn"));
    QCoreApplication::setApplicationName(QStringLiteral("Orvelle"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVELLE_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);

    QVERIFY(m_data.isValid());
    g_defaultData = m_data.path() + QStringLiteral("/DATA");
    QDir().mkpath(g_defaultData);
    QVERIFY(QFile::copy(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml"),
                        g_defaultData + QStringLiteral("/MIBTable.xml")));
    QFile config(g_defaultData + QStringLiteral("/Config.xml"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("<config><trap_port>%1</trap_port></config>")
                     .arg(TestSupport::freeUdpPort()).toUtf8());
    config.close();
    qputenv("ORVELLE_TRAP_ADDRESSES", "127.0.0.1");
    restoreDefaultData();
}

void TestAppShell::serviceSwitch_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("service");
    QTest::newRow("minus") << QStringList{"orvelle", "-service"} << true;
    QTest::newRow("slash") << QStringList{"orvelle", "/service"} << true;
    QTest::newRow("minus, more arguments after") << QStringList{"orvelle", "-service", "x"} << true;
    QTest::newRow("no argument") << QStringList{"orvelle"} << false;
    QTest::newRow("capitalised") << QStringList{"orvelle", "-Service"} << false;
    QTest::newRow("upper case") << QStringList{"orvelle", "/SERVICE"} << false;
    QTest::newRow("without prefix") << QStringList{"orvelle", "service"} << false;
    QTest::newRow("double minus") << QStringList{"orvelle", "--service"} << false;
    QTest::newRow("trailing text") << QStringList{"orvelle", "-services"} << false;
    QTest::newRow("trailing blank") << QStringList{"orvelle", "-service "} << false;
    QTest::newRow("prefix alone") << QStringList{"orvelle", "-"} << false;
    QTest::newRow("empty argument") << QStringList{"orvelle", ""} << false;
    QTest::newRow("second argument") << QStringList{"orvelle", "x", "-service"} << false;
    QTest::newRow("after Qt's own option") << QStringList{"orvelle", "-platform", "offscreen", "-service"} << false;
    QTest::newRow("backslash") << QStringList{"orvelle", "\\service"} << false;
}

void TestAppShell::serviceSwitch()
{
    QFETCH(QStringList, args);
    QFETCH(bool, service);
    std::vector<QByteArray> storage;
    std::vector<const char *> argv;
    for (const QString &arg : args)
        storage.push_back(arg.toLocal8Bit());
    for (const QByteArray &arg : storage)
        argv.push_back(arg.constData());
    argv.push_back(nullptr);
    QCOMPARE(isServiceMode(static_cast<int>(args.size()), argv.data()), service);
}

void TestAppShell::menus()
{
    CMainFrame frame;
    const QStringList titles{"&File", "&View", "&Tools", "&Help"};
    QStringList actual;
    for (QAction *action : frame.menuBar()->actions())
        actual << action->text();
    QCOMPARE(actual, titles);
    QCOMPARE(menuTexts(topMenu(frame, 0)), (QStringList{"&New", "Save &As...", "-", "E&xit"}));
    QCOMPARE(menuTexts(topMenu(frame, 1)), QStringList{"Hide or Show main Window"});
    QCOMPARE(menuTexts(topMenu(frame, 2)), (QStringList{"&Start", "MIB &Walk", "S&NMP SET", "-",
                                                         "Show &monitoring data", "&Hide monitoring data"}));
    QCOMPARE(menuTexts(topMenu(frame, 3)), (QStringList{"&User Guide", "&About Orvelle..."}));
    QCOMPARE(menuTexts(frame.trayMenu()), (QStringList{"E&xit", "-", "&Main Dialog", "&Start", "MIB &Walk", "&About..."}));
    QCOMPARE(topMenu(frame, 0)->actions().at(0)->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    QVERIFY(frame.startStopAction()->isEnabled());
    QVERIFY(frame.trayStartStopAction()->isEnabled());
}

void TestAppShell::statusPrompts_data()
{
    QTest::addColumn<int>("menu");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("prompt");
    QTest::newRow("New") << 0 << 0 << "Create a new document";
    QTest::newRow("Save As") << 0 << 1 << "Save the active document with a new name";
    QTest::newRow("Exit") << 0 << 3 << "Quit the application; prompts to save documents";
    QTest::newRow("Show/Hide") << 1 << 0 << "Show or Hide main Window";
    QTest::newRow("Start/Stop") << 2 << 0 << "Start or Stop SNMP Trap Receive service";
    QTest::newRow("MIB Walk") << 2 << 1 << "Launch MIB walker";
    QTest::newRow("SET") << 2 << 2 << "Send SNMP SET request";
    QTest::newRow("Show monitoring") << 2 << 4 << "Show all active object monitoring window";
    QTest::newRow("Hide monitoring has none") << 2 << 5 << "";
    QTest::newRow("About has none") << 3 << 1 << "";
    QTest::newRow("User Guide") << 3 << 0 << "View User Guide";
}

void TestAppShell::statusPrompts()
{
    QFETCH(int, menu);
    QFETCH(int, item);
    QFETCH(QString, prompt);
    CMainFrame frame;
    // Without a tray the frame says so first; "Ready" otherwise.
    if (frame.trayAvailable())
        QCOMPARE(frame.statusBar()->currentMessage(), QStringLiteral("Ready"));
    else
        QVERIFY(frame.statusBar()->currentMessage().startsWith(QStringLiteral("No system tray is available")));
    QMenu *m = topMenu(frame, menu);
    emit m->hovered(m->actions().at(item));
    QCOMPARE(frame.statusBar()->currentMessage(), prompt);
    emit m->aboutToHide();
    QCOMPARE(frame.statusBar()->currentMessage(), QStringLiteral("Ready"));
}

void TestAppShell::captionAndMenuFollowService()
{
    CMainFrame frame;
    QVERIFY(frame.create());
    frame.view()->OnInitialUpdate(false);
    QCOMPARE(frame.windowTitle(), QStringLiteral("Orvelle - Trap receive service is not running - Orvelle"));
    QCOMPARE(frame.startStopAction()->text(), QStringLiteral("&Start"));

    frame.startStopAction()->trigger();
    QVERIFY(frame.view()->isRunning());
    QCOMPARE(frame.windowTitle(), QStringLiteral("Orvelle - Trap receive service is running - Orvelle"));
    QCOMPARE(frame.startStopAction()->text(), QStringLiteral("&Stop"));
    QCOMPARE(frame.trayStartStopAction()->text(), QStringLiteral("&Stop"));

    frame.trayStartStopAction()->trigger();
    QVERIFY(!frame.view()->isRunning());
    QCOMPARE(frame.windowTitle(), QStringLiteral("Orvelle - Trap receive service is not running - Orvelle"));
    QCOMPARE(frame.startStopAction()->text(), QStringLiteral("&Start"));
    QCOMPARE(frame.trayStartStopAction()->text(), QStringLiteral("&Start"));
}

void TestAppShell::trayTip()
{
    CMainFrame frame;
    QVERIFY(frame.create());
    frame.view()->OnInitialUpdate(false);
    QCOMPARE(frame.trayToolTip(), QStringLiteral("Orvelle"));
    frame.startStopAction()->trigger();
    QCOMPARE(frame.trayToolTip(), QStringLiteral("Orvelle\nOrvelle - Trap receive service is running"));
    frame.startStopAction()->trigger();
    QCOMPARE(frame.trayToolTip(), QStringLiteral("Orvelle\nOrvelle - Trap receive service is not running"));

    // A trap adds its local time as a third line.
    frame.view()->OnTrapRecord(std::make_shared<tagTRAPRECORD>());
    const QStringList lines = frame.trayToolTip().split(u'\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[1], QStringLiteral("Orvelle - Trap receive service is not running"));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{2}/\\d{2}/\\d{4} \\d{2}:\\d{2}:\\d{2}$")).match(lines[2]).hasMatch(),
             qPrintable(lines[2]));
}

void TestAppShell::trayTipWithTrapTime()
{
    // The exact rendering of a known time, in local time.
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 7;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 3;
    local.tm_isdst = -1;
    const std::time_t t = std::mktime(&local);
    QCOMPARE(trayTipText(false, true, t),
             QStringLiteral("Orvelle\nOrvelle - Trap receive service is running\n03/07/2026 09:05:03"));
    QCOMPARE(trayTipText(false, false, noTrapYetTime()),
             QStringLiteral("Orvelle\nOrvelle - Trap receive service is not running"));
    QCOMPARE(trayTipText(true, true, t), QStringLiteral("Orvelle"));
}

void TestAppShell::hintDrawnOnlyWhenStoppedAndEmpty()
{
    // The hint is judged by what is painted: the same list painted with the
    // service off and on must differ only while it is empty.
    COrvelleView view;
    QVERIFY(view.OnCreate());
    view.resize(900, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto paint = [&view] { return view.viewport()->grab().toImage(); };

    const QImage emptyStopped = paint();
    view.OnStartStop();
    const QImage emptyRunning = paint();
    QVERIFY2(emptyStopped != emptyRunning, "hint missing while stopped and empty");

    // An empty list while running is plain background.
    const QColor base = view.palette().color(QPalette::Base);
    for (int y = 0; y < emptyRunning.height(); y += 7)
        for (int x = 0; x < emptyRunning.width(); x += 7)
            QCOMPARE(emptyRunning.pixelColor(x, y), base);

    auto trap = std::make_shared<tagTRAPRECORD>();
    trap->strDescription = QStringLiteral("x");
    view.OnTrapRecord(trap);
    view.trapModel()->flush();
    const QImage rowRunning = paint();
    view.OnStartStop();
    const QImage rowStopped = paint();
    QCOMPARE(rowStopped, rowRunning);

    view.OnNew();
    QCOMPARE(paint(), emptyStopped);
}

void TestAppShell::serviceModeStartsHiddenAndRunning()
{
    CMainFrame frame;
    QVERIFY(frame.create());
    frame.view()->OnInitialUpdate(true);
    QVERIFY(frame.view()->isRunning());
    QVERIFY(!frame.view()->isMainVisible());
    QCOMPARE(frame.trayToolTip(), QStringLiteral("Orvelle\nOrvelle - Trap receive service is running"));
    if (frame.trayAvailable())
        QVERIFY(frame.isHidden());
    else
        QVERIFY(frame.isMinimized()); // never unreachable without a tray

    // Show/Hide brings it back.
    frame.view()->OnShowHideMain();
    QVERIFY(frame.isVisible());
    QVERIFY(!frame.isMinimized());
}

void TestAppShell::activationRestoresMinimisedKeepsHidden()
{
    CMainFrame frame;
    frame.view()->OnInitialUpdate(false);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    frame.showMinimized();
    QTRY_VERIFY(frame.isMinimized());
    frame.activateFromOtherInstance();
    QTRY_VERIFY(!frame.isMinimized());
    QVERIFY(frame.isVisible());

    frame.hide();
    frame.activateFromOtherInstance();
    QVERIFY(frame.isHidden());
}

void TestAppShell::activationRaisesModalDialog()
{
    CMainFrame frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    bool raised = false;
    QTimer::singleShot(0, &frame, [&] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        QWidget *modal = QApplication::activeModalWidget();
        frame.activateWindow();
        frame.activateFromOtherInstance();
        raised = QApplication::activeWindow() == modal || QTest::qWaitForWindowActive(modal);
        qobject_cast<QDialog *>(modal)->accept();
    });
    CAboutDlg about(&frame);
    about.exec();
    QVERIFY(raised);
}

void TestAppShell::closingFrameEndsProgramClosingDialogDoesNot()
{
    QSignalSpy quit(qApp, &QCoreApplication::aboutToQuit);
    auto frame = std::make_unique<CMainFrame>();
    QVERIFY(!QApplication::quitOnLastWindowClosed());
    // A dialog opened from the tray while the main window is hidden.
    frame->hide();
    onNextModal([](QWidget *) {});
    CAboutDlg about(frame.get());
    about.exec();
    QCoreApplication::processEvents();
    QVERIFY(frame->isHidden());
    QCOMPARE(quit.count(), 0);

    // Closing the main window is Exit: geometry saved, tray removed.
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    frame->close();
    QVERIFY(frame->trayToolTip().isEmpty());
    QVERIFY(QSettings().contains(QStringLiteral("MainFrame/geometry")));
}

void TestAppShell::aboutBox()
{
    CAboutDlg about;
    QVERIFY(about.isModal());
    QCOMPARE(about.windowTitle(), QStringLiteral("About Orvelle"));
    QVERIFY(about.versionText().contains(QStringLiteral(ORVELLE_VERSION)));
    auto *obtain = about.findChild<QPushButton *>(QStringLiteral("obtainButton"));
    QVERIFY(obtain);
    QCOMPARE(obtain->text(), QStringLiteral("&Obtain the latest MIB database"));

    // With the guide present the button hands its MIB chapter to the desktop.
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    QTemporaryDir data;
    QDir(data.path()).mkpath(QStringLiteral("DATA"));
    QDir(data.path()).mkpath(QStringLiteral("docs_en"));
    for (const char *name : {"docs_en/read1st.htm", "docs_en/mibdb.htm"}) {
        QFile f(data.path() + u'/' + QLatin1String(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    qputenv("ORVELLE_DATA_DIR", (data.path() + QStringLiteral("/DATA")).toLocal8Bit());
    obtain->click();
    QCOMPARE(catcher.urls.size(), 1);
    QCOMPARE(catcher.urls[0].toLocalFile(), QDir(data.path()).canonicalPath() + QStringLiteral("/docs_en/mibdb.htm"));

    // Without the chapter page, its summary in the guide.
    QFile::remove(data.path() + QStringLiteral("/docs_en/mibdb.htm"));
    obtain->click();
    QCOMPARE(catcher.urls.size(), 2);
    QCOMPARE(catcher.urls[1].fragment(), QStringLiteral("mibdb"));
    QVERIFY(catcher.urls[1].toLocalFile().endsWith(QStringLiteral("/docs_en/read1st.htm")));

    // Without a guide: the failure message with the caption "Error".
    QFile::remove(data.path() + QStringLiteral("/docs_en/read1st.htm"));
    QString caption, text;
    onNextModal([&](QWidget *w) {
        caption = w->windowTitle();
        text = qobject_cast<QMessageBox *>(w)->text();
    });
    obtain->click();
    QCOMPARE(caption, QStringLiteral("Error"));
    QCOMPARE(text, QStringLiteral("Unable to launch default browser.\nor File is not existing."));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    restoreDefaultData();
}

void TestAppShell::userGuideMissing()
{
    QTemporaryDir empty;
    qputenv("ORVELLE_DATA_DIR", (empty.path() + QStringLiteral("/DATA")).toLocal8Bit());
    QString caption, text;
    onNextModal([&](QWidget *w) {
        caption = w->windowTitle();
        text = qobject_cast<QMessageBox *>(w)->text();
    });
    QVERIFY(!HelpLauncher::openUserGuide(nullptr));
    QCOMPARE(caption, QStringLiteral("Orvelle"));
    QCOMPARE(text, QStringLiteral("Unable to launch default browser.\nor File is not existing."));
    restoreDefaultData();
}

void TestAppShell::userGuideFound()
{
    // The repository's own guide, found from its data folder.
    const QString source = TestSupport::sourceDir();
    if (!QFile::exists(source + QStringLiteral("/docs_en/read1st.htm")))
        QSKIP("the user guide is not in this tree");
    qputenv("ORVELLE_DATA_DIR", (source + QStringLiteral("/DATA")).toLocal8Bit());
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    QVERIFY(HelpLauncher::openUserGuide(nullptr));
    QCOMPARE(catcher.urls.size(), 1);
    QVERIFY(catcher.urls[0].toLocalFile().endsWith(QStringLiteral("/docs_en/read1st.htm")));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    restoreDefaultData();
}

void TestAppShell::geometryRestored()
{
    QRect saved;
    {
        CMainFrame frame;
        frame.setGeometry(100, 120, 640, 410);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        saved = frame.geometry();
        frame.exitApplication();
    }
    CMainFrame again;
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(again.size(), saved.size());
}

void TestAppShell::startupDataFiles_data()
{
    QTest::addColumn<QByteArray>("database"); // empty: no file
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QString>("message");
    const QByteArray goodDb = "<mib_table><oid key=\"1.3.6.1\"><name>internet</name></oid></mib_table>";
    const QByteArray goodConfig = "<config><max_rows>5</max_rows></config>";
    QTest::newRow("no files") << QByteArray() << QByteArray() << "XML database load error:DATA/MIBTable.xml";
    QTest::newRow("database only") << goodDb << QByteArray() << "XML database load error:DATA/Config.xml";
    QTest::newRow("malformed database") << QByteArray("<mib_table><oid") << goodConfig
                                        << "XML database load error:DATA/MIBTable.xml";
    QTest::newRow("port out of range") << goodDb << QByteArray("<config><trap_port>70000</trap_port></config>")
                                       << "XML database load error:DATA/Config.xml";
    QTest::newRow("negative row limit") << goodDb << QByteArray("<config><max_rows>-1</max_rows></config>")
                                        << "XML database load error:DATA/Config.xml";
}

void TestAppShell::startupDataFiles()
{
    QFETCH(QByteArray, database);
    QFETCH(QByteArray, config);
    QFETCH(QString, message);
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("DATA"));
    auto write = [&root](const char *name, const QByteArray &content) {
        if (content.isEmpty())
            return;
        QFile f(root.path() + QStringLiteral("/DATA/") + QLatin1String(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    };
    write("MIBTable.xml", database);
    write("Config.xml", config);
    qputenv("ORVELLE_DATA_DIR", (root.path() + QStringLiteral("/DATA")).toLocal8Bit());

    CMainFrame frame;
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    onNextModal([&](QWidget *w) {
        caption = w->windowTitle();
        text = qobject_cast<QMessageBox *>(w)->text();
        icon = qobject_cast<QMessageBox *>(w)->icon();
    });
    QVERIFY(!frame.create());
    QCOMPARE(text, message);
    QCOMPARE(caption, QStringLiteral("Orvelle"));
    QCOMPARE(icon, QMessageBox::Critical);
    restoreDefaultData();
}

void TestAppShell::startupFromFolderWithoutData()
{
    // The current directory comes first; with nothing anywhere the message
    // names the database.
    if (QFileInfo::exists(QStringLiteral(ORVELLE_INSTALLED_DATA_DIR "/DATA")))
        QSKIP("an installed copy of the data files would be found");
    QTemporaryDir cwd;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(cwd.path()));
    qunsetenv("ORVELLE_DATA_DIR");
    CMainFrame frame;
    QString text;
    onNextModal([&](QWidget *w) { text = qobject_cast<QMessageBox *>(w)->text(); });
    const bool created = frame.create();
    QDir::setCurrent(previous);
    restoreDefaultData();
    QVERIFY(!created);
    QCOMPARE(text, QStringLiteral("XML database load error:DATA/MIBTable.xml"));
}

void TestAppShell::startupTakesRowLimit()
{
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("DATA"));
    QVERIFY(QFile::copy(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml"),
                        root.path() + QStringLiteral("/DATA/MIBTable.xml")));
    QFile config(root.path() + QStringLiteral("/DATA/Config.xml"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("<config><max_rows>3</max_rows></config>");
    config.close();
    qputenv("ORVELLE_DATA_DIR", (root.path() + QStringLiteral("/DATA")).toLocal8Bit());
    CMainFrame frame;
    QVERIFY(frame.create());
    QCOMPARE(frame.view()->maxRows(), 3u);
    auto trap = std::make_shared<tagTRAPRECORD>();
    trap->lstVarbinds.resize(4);
    frame.view()->OnTrapRecord(trap);
    frame.view()->trapModel()->flush();
    QCOMPARE(frame.view()->trapModel()->rowCount(), 3);
    restoreDefaultData();
}

QTEST_MAIN(TestAppShell)
#include "tst_appshell.moc"
