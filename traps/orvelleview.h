#pragma once

#include "appsettings.h"
#include "balloonwnd.h"
#include "devicelist.h"
#include "trapjournal.h"
#include "traplistmodel.h"
#include "trapquery.h"
#include "traprecord.h"

#include <QFont>
#include <QTableView>
#include <QTimer>

#include <memory>

class CMibWalkDlg;
class CTrapActionRunner;
class DeviceProfileStore;
class SecretStore;
class CTrapReceiver;
class CXMLRead;
class TrapFilterBar;
class TrapForwarder;

// The main window's content and the centre of the program: the trap list.
// Creating it starts the trap receive service and loads the MIB database;
// every decoded trap comes to OnTrapRecord, which applies the enterprise
// filter, runs the trap action and lists the trap. It tells the frame
// about state changes through signals and never reaches into the frame's
// widgets.
class COrvelleView : public QTableView
{
    Q_OBJECT

public:
    explicit COrvelleView(QWidget *parent = nullptr);
    ~COrvelleView() override;

    // Column widths in pixels at 96 dpi, in column order; a translated
    // heading that needs more gets more.
    static constexpr int kColumnWidths[TrapListModel::ColumnCount] = {120, 180, 120, 98, 620};
    // The hint starts this far below the header.
    static constexpr int kHintTopMargin = 10;
    // How often the received/dropped counts are refreshed while receiving.
    static constexpr int kStatisticsIntervalMs = 1000;

    // Creation: starts the SNMP stack with the trap receive service, loads
    // the MIB database and the configuration. On failure it has told the
    // user (and standard error) why, and the program is to end.
    bool OnCreate();

    // First update: the service-state title, the cell tip, and with the
    // service switch the service goes on and the main window goes hidden.
    void OnInitialUpdate(bool serviceMode);

    const CAppSettings &settings() const { return m_settings; }
    CAppSettings &settings() { return m_settings; }
    const CXMLRead *reader() const { return m_pReader.get(); }
    CTrapReceiver *trapReceiver() const { return m_pTrapReceiver; }
    CTrapActionRunner *actionRunner() const { return m_pActions; }
    CBalloonWnd *balloon() { return &m_balloon; }
    CMibWalkDlg *mibWalkDialog() const { return m_pMibWalkDlg; }
    DeviceList &devices() { return m_lstDevices; }
    // The user's device profiles, one store for the run, for every window
    // that offers devices.
    DeviceProfileStore *deviceProfiles() const { return m_deviceProfiles; }

    bool isRunning() const { return m_bRunning; }
    bool isMainVisible() const { return m_bMainVisible; }
    QString documentTitle() const { return m_documentTitle; }
    // Every trap of this run (and those the journal brought back).
    TrapListModel *trapModel() const { return m_model; }
    // What the list shows: every trap, or the filter bar's matches.
    TrapListModel *shownModel() const { return m_filtering ? m_filterModel : m_model; }
    bool isFiltering() const { return m_filtering; }
    // The filter bar; the frame places it above the list.
    TrapFilterBar *filterBar() const { return m_filterBar; }
    // Null where the journal is off or could not be opened.
    TrapJournal *journal() const { return m_journal; }
    // Null where no collector is configured.
    TrapForwarder *forwarder() const { return m_forwarder; }
    int columns() const { return m_nColumns; }

    quint32 maxRows() const { return m_nMaxRows; }
    void setMaxRows(quint32 maxRows);

    // The enterprise filter and the trap action of the configuration.
    bool PassesEnterpriseFilter(const tagTRAPRECORD &record) const;
    void RunTrapAction(const tagTRAPRECORD &record);

    // Writes every shown row as five quoted fields; false (after telling the user)
    // when the file cannot be opened or written.
    bool ExportListToCsv(const QString &path);
    // One exported line for these cells, without the line end.
    static QString csvLine(const QStringList &cells);

public slots:
    void OnStartStop();
    void OnNew();
    void OnSaveAs();
    // MIB Walk brings up the walk dialog; SNMP SET runs the SET dialog.
    void OnMibWalk();
    void OnSnmpSet();
    // Devices...: the device profiles.
    void OnDevices();
    void onMibModules();
    // Loads the MIB database in use again (after the user's modules
    // changed): trap descriptions, names, the OID trees.
    void reloadMibDatabase();
    // Show/Hide monitoring data: forwarded to the walk dialog, which owns
    // the monitor windows.
    void OnShowMonitoring();
    void OnHideMonitoring();
    void OnShowHideMain();
    // Find (Ctrl+F): the filter bar.
    void onFind();
    // Takes a decoded trap: notes its arrival, filters it, runs the action
    // and lists it.
    void OnTrapRecord(std::shared_ptr<tagTRAPRECORD> record);

signals:
    void documentTitleChanged(const QString &title);
    void serviceStateChanged(bool running);
    void trapArrived();
    // The Show/Hide main window command: the frame decides how to hide where
    // no tray exists.
    void mainWindowVisibilityRequested(bool visible);
    // While receiving: traps decoded and datagrams lost since the start.
    void trapStatisticsChanged(bool receiving, quint64 received, quint64 dropped);
    // The trap action's status for the status bar (empty: nothing to say).
    void actionStatusChanged(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setDocumentTitle(const QString &title);
    void scrollToNewRows();
    void updateCellTip(QMouseEvent *event, QWidget *source);
    void publishStatistics();
    void showMessage(const QString &text);
    // Standard error at once, a message box once the event loop runs.
    void warnAfterStart(const QString &logged, const QString &shown);
    void openJournal();
    void applyQuery(const TrapQuery &query);
    void showEveryTrap();
    void onSearchFinished(quint64 ticket, std::shared_ptr<const TrapRecords> matches, bool truncated);
    void showModel(TrapListModel *model);
    void showMatchCount();

    CAppSettings m_settings;
    std::unique_ptr<CXMLRead> m_pReader;
    int m_nColumns = 0;
    DeviceList m_lstDevices;
    int m_nTipItem = -1;
    int m_nTipColumn = -1;
    bool m_bMainVisible = true;
    quint32 m_nMaxRows = 50;
    CTrapReceiver *m_pTrapReceiver = nullptr;
    bool m_bRunning = false;
    CMibWalkDlg *m_pMibWalkDlg = nullptr;
    CBalloonWnd m_balloon;
    QFont m_fontHint;

    TrapListModel *m_model = nullptr;
    TrapListModel *m_filterModel = nullptr;
    TrapFilterBar *m_filterBar = nullptr;
    TrapJournal *m_journal = nullptr;
    TrapForwarder *m_forwarder = nullptr;
    TrapQuery m_query;
    quint64 m_searchTicket = 0;
    bool m_filtering = false;
    int m_matchCount = 0;
    bool m_matchesTruncated = false;
    CTrapActionRunner *m_pActions = nullptr;
    QString m_documentTitle;
    QTimer m_statisticsTimer;
    SecretStore *m_secretStore = nullptr;
    DeviceProfileStore *m_deviceProfiles = nullptr;
    bool m_deviceLoadProblemsShown = false;
};
