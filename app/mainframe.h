#pragma once

#include <QIcon>
#include <QMainWindow>

#include <ctime>

class COrvelleView;
class DroppedWindow;
class QLabel;
class QMenu;
class QSystemTrayIcon;

// The main window: menus, status bar, the trap list as its content, and the
// tray icon that shows whether the trap service runs and when the last trap
// came.
class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    enum TrayAction { TrayAdd = 0, TrayModify = 1, TrayDelete = 2 };

    explicit CMainFrame(QWidget *parent = nullptr);
    ~CMainFrame() override;

    COrvelleView *view() const { return m_view; }
    // Creates what the view needs (data files); false ends the program.
    bool create();

    void SetServiceState(bool on);
    void OnTrapArrived();
    void SetTrayIcon(TrayAction action, const QIcon &icon = {});

    // The tip as the tray shows it now.
    QString trayToolTip() const { return m_trayTip; }
    bool trayAvailable() const;
    std::time_t lastTrapTime() const { return m_timeLastTrap; }

    // Another copy of the program asked this one to come forward.
    void activateFromOtherInstance();

    // Ends the program exactly as Exit does (closing the window does too).
    void exitApplication();

    QAction *startStopAction() const { return m_actStartStop; }
    QAction *devicesAction() const { return m_actDevices; }
    QAction *mibModulesAction() const { return m_actMibModules; }
    QAction *trayStartStopAction() const { return m_actTrayStartStop; }
    QMenu *trayMenu() const { return m_trayMenu; }
    QLabel *trapCountPane() const { return m_trapCountPane; }
    // The reasons behind the Dropped count (a click on that count).
    void showDropped();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createActions();
    void createMenus();
    void createStatusBar();
    void createTray();
    QAction *addCommand(QMenu *menu, const QString &text, const QString &prompt);
    void updateLockKeys();
    void setMainWindowVisible(bool visible);
    void onDocumentTitleChanged(const QString &title);
    void showAbout();
    void showUserGuide();
    void onTrapStatistics(bool receiving, quint64 received, quint64 dropped);
    void onActionStatus(const QString &text);
    void updateDropped();

    COrvelleView *m_view = nullptr;
    QIcon m_hIconStopped;
    QIcon m_hIconRunning;
    QMenu *m_trayMenu = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    bool m_bServiceOn = false;
    std::time_t m_timeLastTrap = 0;
    QString m_trayTip;
    bool m_exiting = false;
    bool m_inMenu = false;

    QLabel *m_capsPane = nullptr;
    QLabel *m_numPane = nullptr;
    QLabel *m_scrollPane = nullptr;
    QLabel *m_trapCountPane = nullptr;
    DroppedWindow *m_dropped = nullptr;
    QLabel *m_actionPane = nullptr;
    bool m_bTrayShowsRunning = false;

    QAction *m_actNew = nullptr;
    QAction *m_actSaveAs = nullptr;
    QAction *m_actExit = nullptr;
    QAction *m_actFind = nullptr;
    QAction *m_actShowHide = nullptr;
    QAction *m_actStartStop = nullptr;
    QAction *m_actMibWalk = nullptr;
    QAction *m_actSnmpSet = nullptr;
    QAction *m_actDevices = nullptr;
    QAction *m_actMibModules = nullptr;
    QAction *m_actShowMonitoring = nullptr;
    QAction *m_actHideMonitoring = nullptr;
    QAction *m_actUserGuide = nullptr;
    QAction *m_actAbout = nullptr;
    QAction *m_actTrayExit = nullptr;
    QAction *m_actTrayMain = nullptr;
    QAction *m_actTrayStartStop = nullptr;
    QAction *m_actTrayMibWalk = nullptr;
    QAction *m_actTrayAbout = nullptr;
};
