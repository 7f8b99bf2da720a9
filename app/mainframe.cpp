#include "mainframe.h"

#include "aboutdlg.h"
#include "helplauncher.h"
#include "lockkeys.h"
#include "orvelleview.h"
#include "droppedwindow.h"
#include "trapfilterbar.h"
#include "trapforwarder.h"
#include "trapreceiver.h"
#include "trayicon.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

static void initAppResources()
{
    Q_INIT_RESOURCE(app);
}

namespace {
constexpr int kNoTrayNoticeMs = 15000;
const char *const kGeometryKey = "MainFrame/geometry";
const char *const kStateKey = "MainFrame/maximized";

QIcon iconFamily(const QString &name, std::initializer_list<int> sizes)
{
    // The icons are a resource of this static library: the linker keeps its
    // object only when something refers to it (without this every icon was
    // empty, the tray's too).
    initAppResources();
    QIcon icon;
    for (int size : sizes)
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size), QSize(size, size));
    return icon;
}
} // namespace

CMainFrame::CMainFrame(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowIcon(iconFamily(QStringLiteral("orvelle"), {16, 22, 32, 48, 64, 128, 256}));
    m_view = new COrvelleView(this);
    // the filter bar sits above the list it filters
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view->filterBar());
    layout->addWidget(m_view, 1);
    setCentralWidget(central);

    createActions();
    createMenus();
    createStatusBar();

    m_hIconStopped = iconFamily(QStringLiteral("tray-stopped"), {16, 22, 32, 48, 64});
    m_hIconRunning = iconFamily(QStringLiteral("tray-running"), {16, 22, 32, 48, 64});
    m_timeLastTrap = noTrapYetTime();
    createTray();
    SetTrayIcon(TrayAdd, m_hIconStopped);

    connect(m_view, &COrvelleView::documentTitleChanged, this, &CMainFrame::onDocumentTitleChanged);
    connect(m_view, &COrvelleView::serviceStateChanged, this, &CMainFrame::SetServiceState);
    connect(m_view, &COrvelleView::trapArrived, this, &CMainFrame::OnTrapArrived);
    connect(m_view, &COrvelleView::mainWindowVisibilityRequested, this, &CMainFrame::setMainWindowVisible);
    connect(m_view, &COrvelleView::trapStatisticsChanged, this, &CMainFrame::onTrapStatistics);
    connect(m_view, &COrvelleView::actionStatusChanged, this, &CMainFrame::onActionStatus);

    const QSettings profile;
    if (!restoreGeometry(profile.value(QLatin1String(kGeometryKey)).toByteArray()))
        resize(1000, 600);
    if (profile.value(QLatin1String(kStateKey), false).toBool())
        setWindowState(windowState() | Qt::WindowMaximized);

    qApp->installEventFilter(this);
    updateLockKeys();
}

bool CMainFrame::create()
{
    return m_view->OnCreate();
}

CMainFrame::~CMainFrame()
{
    if (qApp)
        qApp->removeEventFilter(this);
    SetTrayIcon(TrayDelete);
}

QAction *CMainFrame::addCommand(QMenu *menu, const QString &text, const QString &prompt)
{
    auto *action = new QAction(text, this);
    // The prompt's second line (after "\n") is a tooltip text in the
    // original tables; the status bar shows the first.
    action->setData(prompt.section(u'\n', 0, 0));
    if (menu)
        menu->addAction(action);
    return action;
}

void CMainFrame::createActions()
{
    m_actNew = addCommand(nullptr, tr("&New"), tr("Create a new document\nNew"));
    m_actNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m_actSaveAs = addCommand(nullptr, tr("Save &As..."), tr("Save the active document with a new name\nSave As"));
    m_actExit = addCommand(nullptr, tr("E&xit"), tr("Quit the application; prompts to save documents\nExit"));
    m_actShowHide = addCommand(nullptr, tr("Hide or Show main Window"), tr("Show or Hide main Window\nShow/Hide"));
    m_actFind = addCommand(nullptr, tr("&Find Traps..."),
                           tr("Filter the trap list by text, severity, agent and time; searches the trap journal"));
    m_actFind->setShortcut(QKeySequence::Find);
    m_actStartStop = addCommand(nullptr, tr("&Start"), tr("Start or Stop SNMP Trap Receive service"));
    m_actMibWalk = addCommand(nullptr, tr("MIB &Walk"), tr("Launch MIB walker"));
    m_actSnmpSet = addCommand(nullptr, tr("S&NMP SET"), tr("Send SNMP SET request"));
    m_actDevices = addCommand(nullptr, tr("&Devices..."), tr("Add, edit and test device profiles"));
    m_actMibModules = addCommand(nullptr, tr("MIB M&odules..."), tr("List the MIB modules in use, add your own or remove them"));
    m_actShowMonitoring = addCommand(nullptr, tr("Show &monitoring data"), tr("Show all active object monitoring window"));
    m_actHideMonitoring = addCommand(nullptr, tr("&Hide monitoring data"), QString());
    m_actUserGuide = addCommand(nullptr, tr("&User Guide"), tr("View User Guide\nView User Guide"));
    m_actAbout = addCommand(nullptr, tr("&About Orvelle..."), QString());

    m_actTrayExit = addCommand(nullptr, tr("E&xit"), m_actExit->data().toString());
    m_actTrayMain = addCommand(nullptr, tr("&Main Dialog"), m_actShowHide->data().toString());
    m_actTrayStartStop = addCommand(nullptr, tr("&Start"), m_actStartStop->data().toString());
    m_actTrayMibWalk = addCommand(nullptr, tr("MIB &Walk"), m_actMibWalk->data().toString());
    m_actTrayAbout = addCommand(nullptr, tr("&About..."), QString());

    connect(m_actNew, &QAction::triggered, m_view, &COrvelleView::OnNew);
    connect(m_actSaveAs, &QAction::triggered, m_view, &COrvelleView::OnSaveAs);
    connect(m_actMibWalk, &QAction::triggered, m_view, &COrvelleView::OnMibWalk);
    connect(m_actTrayMibWalk, &QAction::triggered, m_view, &COrvelleView::OnMibWalk);
    connect(m_actSnmpSet, &QAction::triggered, m_view, &COrvelleView::OnSnmpSet);
    connect(m_actDevices, &QAction::triggered, m_view, &COrvelleView::OnDevices);
    connect(m_actMibModules, &QAction::triggered, m_view, &COrvelleView::onMibModules);
    connect(m_actShowMonitoring, &QAction::triggered, m_view, &COrvelleView::OnShowMonitoring);
    connect(m_actHideMonitoring, &QAction::triggered, m_view, &COrvelleView::OnHideMonitoring);
    connect(m_actExit, &QAction::triggered, this, &CMainFrame::exitApplication);
    connect(m_actTrayExit, &QAction::triggered, this, &CMainFrame::exitApplication);
    connect(m_actShowHide, &QAction::triggered, m_view, &COrvelleView::OnShowHideMain);
    connect(m_actFind, &QAction::triggered, m_view, &COrvelleView::onFind);
    connect(m_actTrayMain, &QAction::triggered, m_view, &COrvelleView::OnShowHideMain);
    connect(m_actStartStop, &QAction::triggered, m_view, &COrvelleView::OnStartStop);
    connect(m_actTrayStartStop, &QAction::triggered, m_view, &COrvelleView::OnStartStop);
    connect(m_actUserGuide, &QAction::triggered, this, &CMainFrame::showUserGuide);
    connect(m_actAbout, &QAction::triggered, this, &CMainFrame::showAbout);
    connect(m_actTrayAbout, &QAction::triggered, this, &CMainFrame::showAbout);
}

void CMainFrame::createMenus()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->addAction(m_actNew);
    file->addAction(m_actSaveAs);
    file->addSeparator();
    file->addAction(m_actExit);

    QMenu *view = menuBar()->addMenu(tr("&View"));
    view->addAction(m_actFind);
    view->addAction(m_actShowHide);

    QMenu *tools = menuBar()->addMenu(tr("&Tools"));
    tools->addAction(m_actStartStop);
    tools->addAction(m_actMibWalk);
    tools->addAction(m_actSnmpSet);
    tools->addAction(m_actDevices);
    tools->addAction(m_actMibModules);
    tools->addSeparator();
    tools->addAction(m_actShowMonitoring);
    tools->addAction(m_actHideMonitoring);

    QMenu *help = menuBar()->addMenu(tr("&Help"));
    help->addAction(m_actUserGuide);
    help->addAction(m_actAbout);

    m_trayMenu = new QMenu(this);
    m_trayMenu->addAction(m_actTrayExit);
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_actTrayMain);
    m_trayMenu->addAction(m_actTrayStartStop);
    m_trayMenu->addAction(m_actTrayMibWalk);
    m_trayMenu->addAction(m_actTrayAbout);

    // Prompts follow the hovered item (an item without one leaves the line
    // empty); "Ready" returns when the menu closes.
    for (QMenu *menu : {file, view, tools, help, m_trayMenu}) {
        connect(menu, &QMenu::hovered, this, [this](QAction *action) {
            m_inMenu = true;
            statusBar()->showMessage(action->data().toString());
        });
        connect(menu, &QMenu::aboutToHide, this, [this] {
            m_inMenu = false;
            statusBar()->showMessage(tr("Ready"));
        });
    }
}

void CMainFrame::createStatusBar()
{
    QStatusBar *bar = statusBar();
    auto makePane = [bar](const QString &text) {
        auto *pane = new QLabel(text, bar);
        pane->setAlignment(Qt::AlignCenter);
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(text) + 12);
        pane->setEnabled(false);
        bar->addPermanentWidget(pane);
        return pane;
    };
    // Loss must never be silent: while the service runs, what came in and
    // what the kernel had to drop stay in view.
    m_trapCountPane = new QLabel(bar);
    m_trapCountPane->setFrameShape(QFrame::Panel);
    m_trapCountPane->setFrameShadow(QFrame::Sunken);
    m_trapCountPane->setToolTip(tr("Traps received since the service started, and datagrams that were not listed; "
                                   "click for the reasons"));
    m_trapCountPane->setCursor(Qt::PointingHandCursor);
    m_trapCountPane->installEventFilter(this);
    m_trapCountPane->hide();
    bar->addPermanentWidget(m_trapCountPane);
    m_actionPane = new QLabel(bar);
    m_actionPane->setFrameShape(QFrame::Panel);
    m_actionPane->setFrameShadow(QFrame::Sunken);
    m_actionPane->hide();
    bar->addPermanentWidget(m_actionPane);
    m_capsPane = makePane(tr("CAP"));
    m_numPane = makePane(tr("NUM"));
    m_scrollPane = makePane(tr("SCRL"));
    connect(bar, &QStatusBar::messageChanged, this, [this](const QString &message) {
        if (message.isEmpty() && !m_exiting && !m_inMenu)
            statusBar()->showMessage(tr("Ready"));
    });
    statusBar()->showMessage(tr("Ready"));
}

void CMainFrame::updateLockKeys()
{
    const std::optional<LockKeyState> state = queryLockKeys();
    m_capsPane->setEnabled(state && state->caps);
    m_numPane->setEnabled(state && state->num);
    m_scrollPane->setEnabled(state && state->scroll);
}

void CMainFrame::createTray()
{
    m_tray = new QSystemTrayIcon(this);
    m_tray->setContextMenu(m_trayMenu);
    // Left clicks and double clicks do nothing: the menu belongs to the right
    // button, which QSystemTrayIcon gives the context menu.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        statusBar()->showMessage(tr("No system tray is available: Hide or Show main Window minimises the window instead of hiding it."),
                                 kNoTrayNoticeMs);
    }
}

bool CMainFrame::trayAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void CMainFrame::SetTrayIcon(TrayAction action, const QIcon &icon)
{
    if (!m_tray)
        return;
    switch (action) {
    case TrayAdd:
        m_trayTip = trayTipText(true, m_bServiceOn, m_timeLastTrap);
        m_tray->setIcon(icon);
        m_bTrayShowsRunning = icon.cacheKey() == m_hIconRunning.cacheKey();
        m_tray->setToolTip(m_trayTip);
        m_tray->show();
        break;
    case TrayModify:
        m_trayTip = trayTipText(false, m_bServiceOn, m_timeLastTrap);
        if (!icon.isNull()) {
            m_tray->setIcon(icon);
            m_bTrayShowsRunning = icon.cacheKey() == m_hIconRunning.cacheKey();
        }
        m_tray->setToolTip(m_trayTip);
        break;
    case TrayDelete:
        m_tray->hide();
        m_trayTip.clear();
        break;
    }
}

void CMainFrame::SetServiceState(bool on)
{
    m_bServiceOn = on;
    const QString text = on ? tr("&Stop") : tr("&Start");
    m_actStartStop->setText(text);
    m_actTrayStartStop->setText(text);
    SetTrayIcon(TrayModify, on ? m_hIconRunning : m_hIconStopped);
}

void CMainFrame::OnTrapArrived()
{
    // The tip shows whole seconds: during a storm, once a second is enough.
    const std::time_t now = std::time(nullptr);
    if (now == m_timeLastTrap && m_bTrayShowsRunning)
        return;
    m_timeLastTrap = now;
    SetTrayIcon(TrayModify, m_hIconRunning);
}

void CMainFrame::onTrapStatistics(bool receiving, quint64 received, quint64 dropped)
{
    m_trapCountPane->setVisible(receiving);
    if (receiving)
        m_trapCountPane->setText(tr("Traps received: %L1  Dropped: %L2").arg(received).arg(dropped));
    updateDropped();
}

void CMainFrame::updateDropped()
{
    if (!m_dropped || !m_dropped->isVisible() || !m_view->trapReceiver())
        return;
    const TrapJournal *journal = m_view->journal();
    const TrapForwarder *forwarder = m_view->forwarder();
    m_dropped->setStatistics(m_view->trapReceiver()->trapStatistics(), journal ? journal->dropped() : 0,
                             forwarder ? forwarder->dropped() : 0);
    m_dropped->setStates(journal ? tr("Trap journal %1 (traps written in this run: %L2)").arg(journal->path()).arg(journal->written())
                                 : tr("No trap journal: traps are not kept after the program ends"),
                         forwarder ? forwarder->stateText() : QString());
}

void CMainFrame::showDropped()
{
    if (!m_dropped)
        m_dropped = new DroppedWindow(this);
    m_dropped->show();
    m_dropped->raise();
    m_dropped->activateWindow();
    updateDropped();
}

void CMainFrame::onActionStatus(const QString &text)
{
    m_actionPane->setText(text);
    m_actionPane->setVisible(!text.isEmpty());
}

void CMainFrame::onDocumentTitleChanged(const QString &title)
{
    setWindowTitle(tr("%1 - %2", "window caption: document title - program name").arg(title, tr("Orvelle")));
}

void CMainFrame::setMainWindowVisible(bool visible)
{
    if (visible) {
        if (isMinimized())
            setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
        raise();
        activateWindow();
        return;
    }
    // Without a tray a hidden window could never be found again.
    if (trayAvailable())
        hide();
    else
        showMinimized();
}

void CMainFrame::activateFromOtherInstance()
{
    // A hidden (tray-only) window stays hidden; a minimised one comes back.
    if (isVisible() && isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    QWidget *target = QApplication::activeModalWidget();
    if (!target && isVisible())
        target = this;
    if (target && target->isVisible()) {
        if (target->isMinimized())
            target->setWindowState(target->windowState() & ~Qt::WindowMinimized);
        target->raise();
        target->activateWindow();
    }
}

void CMainFrame::exitApplication()
{
    if (m_exiting)
        return;
    m_exiting = true;
    QSettings profile;
    profile.setValue(QLatin1String(kGeometryKey), saveGeometry());
    profile.setValue(QLatin1String(kStateKey), isMaximized());
    SetTrayIcon(TrayDelete);
    QCoreApplication::quit();
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    // Closing the main window ends the program, exactly like Exit.
    exitApplication();
    event->accept();
}

bool CMainFrame::event(QEvent *event)
{
    // Prompts come from the menus' hovered signal; Qt's own status tips
    // would clear them.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

bool CMainFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_trapCountPane && event->type() == QEvent::MouseButtonRelease) {
        showDropped();
        return true;
    }
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // A key event travels from the window through its widgets; look once.
        if (watched->isWindowType())
            updateLockKeys();
        break;
    case QEvent::ApplicationActivate:
        updateLockKeys();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::showAbout()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::showUserGuide()
{
    HelpLauncher::openUserGuide(this);
}
