#pragma once

// CMibWalkDlg: the program's SNMP browser, a modeless, resizable dialog.
//
// The user names a device, a read community and an OID, then sends one GET
// ("&Get") or walks the subtree under the OID with a chain of GET NEXT
// requests ("Get &Next", which reads "Sto&p" while a request runs). Every
// variable that comes back becomes a row of the result list with its OID, MIB
// name, syntax, value and description; the list keeps only the newest
// "Log count" rows. Requests time out after "Timeout" seconds, a click in the
// list pauses and resumes a walk, and with "Generate Log file" checked the
// traffic goes to a log (CWalkLog).
//
// The main view creates one, hands it the MIB reader, its settings and the
// run's device list, and calls Create() once at start; the dialog then lives
// hidden until the view's MIB Walk command shows it. Hiding does not stop a
// walk. The requests themselves are an SnmpWalker's: the dialog hands it the
// fields, lists what it reports and shows how it ended.
//
//     auto *walk = new CMibWalkDlg(view);
//     walk->m_pReader = reader; walk->m_pSettings = &settings; walk->m_pDevices = &devices;
//     walk->Create();
//     ...MIB Walk command: walk->hide(); walk->show(); walk->raise();

#include "balloonwnd.h"
#include "devicelist.h"
#include "deviceprofile.h"
#include "rangespinbox.h"
#include "snmpwalker.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <vector>

class CAppSettings;
class DeviceProfileStore;
class QLabel;
class CMonitorWnd;
struct MonitorSettings;
class COidComboBox;
class CReportListCtrl;
class CWalkLog;
class CXMLRead;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QWidget;
struct OidTreeItem;

class CMibWalkDlg : public QDialog
{
    Q_OBJECT

public:
    // Field defaults and ranges.
    static constexpr int kDefaultTimeoutSec = 5;
    static constexpr int kMinTimeoutSec = 1;
    static constexpr int kMaxTimeoutSec = 30;
    static constexpr int kDefaultLogCount = 200; // rows kept
    static constexpr int kMinLogCount = 10;
    static constexpr int kMaxLogCount = 500;
    // The walk's pace: the next GET NEXT goes out this long after an answer.
    static constexpr int kNextRequestDelayMs = 10;
    // A bulk walk lists thousands of rows a second; the list is repainted at
    // most this often meanwhile, as painting them all is what would cost.
    static constexpr int kListRepaintMs = 250;
    // Layout: buttons and list keep these distances to the client edges.
    static constexpr int kButtonRightMargin = 8;
    static constexpr int kListSideMargin = 8;
    static constexpr int kListBottomMargin = 20;
    static constexpr int kMinWidth = 660;
    static constexpr int kMinHeight = 220;
    // Result list columns.
    enum Column { ColOid = 0, ColName, ColSyntax, ColValue, ColDescription, ColumnCount };
    // The longest OID text a double click copies into the OID field.
    static constexpr int kMaxCopiedOidChars = 2047;

    explicit CMibWalkDlg(QWidget *parent = nullptr);
    ~CMibWalkDlg() override;

    // Handed over by the view before Create; not owned. Without a device
    // list the dialog keeps one of its own.
    const CXMLRead *m_pReader = nullptr;
    const CAppSettings *m_pSettings = nullptr;
    DeviceList *m_pDevices = nullptr;
    // The device profiles, offered by name in the Device field beside the
    // devices typed in this run; not owned. Set before Create.
    void setDeviceProfiles(DeviceProfileStore *profiles) { m_profiles = profiles; }

    // Builds the dialog, hidden: controls, cell tip, session, OID tree and
    // device list. An SNMP stack that cannot start is reported here; the
    // dialog still opens (its requests then fail). Gives true.
    bool Create();

    // State and controls, for the view and the tests.
    bool isWalking() const { return m_pWalker->isWalking(); }
    bool isPaused() const { return m_pWalker->isPaused(); }
    bool isBusy() const { return m_bBusy; }
    QComboBox *deviceCombo() const { return m_pDeviceCombo; }
    COidComboBox *oidField() const { return m_pOidField; }
    QLineEdit *communityEdit() const { return m_pCommunityEdit; }
    // Shown instead of the community for an SNMPv3 profile: its user and level.
    QLabel *v3Summary() const { return m_v3Summary; }
    RangeSpinBox *timeoutSpin() const { return m_pTimeoutSpin; }
    RangeSpinBox *logCountSpin() const { return m_pLogCountSpin; }
    QCheckBox *logCheckBox() const { return m_pLogCheck; }
    QPushButton *getNextButton() const { return m_pGetNextButton; }
    QPushButton *getButton() const { return m_pGetButton; }
    QPushButton *closeButton() const { return m_pCloseButton; }
    CReportListCtrl *resultList() const { return m_pList; }
    CSnmpSession *session() const { return m_pWalker->session(); }
    SnmpWalker *walker() const { return m_pWalker; }
    CBalloonWnd *balloon() { return &m_balloon; }
    QMenu *contextMenu() const { return m_pContextMenu; }
    // Test and tuning hook: the pause between an answer and the next GET
    // NEXT (kNextRequestDelayMs unless changed).
    void setNextRequestDelay(int ms) { m_nextRequestDelayMs = ms; }
    // The MIB database was loaded again: the OID tree is built anew.
    void mibDatabaseChanged();

public slots:
    void OnGetNext();
    void OnGet();
    // Clears the result list and hides the dialog.
    void OnClose();

    // The monitor windows started from this dialog, oldest first. The
    // dialog owns them: it deletes each when it asks to go (closed by the
    // user, or ended by itself) and all of them when it goes itself.
    const std::vector<CMonitorWnd *> &monitors() const { return m_lstMonitors; }
    // A new monitor window with these settings, shown and listed; nullptr
    // (after saying so) when it could not be set up.
    CMonitorWnd *StartMonitor(const MonitorSettings &settings);
    // The main view's "Show monitoring data": every monitor window shown,
    // stacked down the screen's left edge, without taking the focus.
    void ShowMonitors();
    // "Hide monitoring data": hidden; they go on polling.
    void HideMonitors();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Tells the user which field is missing; false when one is.
    bool requestFieldsFilled(const QString &device);
    void buildControls();
    void layoutControls();
    // Reads the fields into the members, as the dialog's data exchange does;
    // false (after saying so) when Timeout or Log count is out of its range.
    bool UpdateData();
    void AddDevice(const QString &name, const QString &second);
    DeviceList &devices();

    // Starts a GET or a walk from the fields.
    void startRequest(bool walk);
    SnmpTarget targetFromFields(const QString &device) const;
    // Runs the GET or walk towards `target` with the dialog's patience or
    // a profile's.
    void startWith(bool walk, const SnmpTarget &target, const SnmpWalker::Options &options);
    // The profile named like the Device field, if any.
    std::optional<DeviceProfile> profileNamed(const QString &device) const;
    // The community field for a typed device, the profile's user for an
    // SNMPv3 profile, a disabled community field for an SNMPv1/v2c one.
    void showCredentialsFor(const QString &device);
    void addProfileNames();
    // Puts `name` into the Device field's list, sorted, keeping what is typed.
    void insertDeviceItem(const QString &name);
    void onVariables(const SnmpVarList &variables);
    void onWalkFinished(SnmpWalker::End end, const QString &message);
    void OnOidSelected(const OidTreeItem *item);
    void OnListClick();
    void OnListDoubleClick(const QPoint &position);
    void OnListRightClick(const QPoint &position, const QPoint &globalPosition);
    // "&Object Monitoring": the settings dialog for the selected rows, then
    // a monitor window.
    void OnObjectMonitoring();
    void OnMonitorNotify(int code, CMonitorWnd *window);

    void AddResultRows(const SnmpVarList &variables);
    void AddNoDataRow();
    void TrimRows();
    void ClearResults();
    void SetBusy(bool busy);
    // Logs `text` as a reply, ends the run, then tells the user.
    void EndWithMessage(const QString &text);
    void WriteLog(const QString &text, SnmpNotifyCode kind);
    void showMessage(const QString &text);
    void setCaption(const QString &device, bool paused);

    // Data exchange texts and numbers.
    QString m_strOid;
    QString m_strCommunity;
    int m_nTimeout = kDefaultTimeoutSec;
    int m_nLogCount = kDefaultLogCount;
    QString m_strDevice;      // device of the running Get or walk
    QString m_strStartOid;
    bool m_bBusy = false;
    int m_nRowCounter = 0;
    int m_nextRequestDelayMs = kNextRequestDelayMs;

    SnmpWalker *m_pWalker = nullptr;
    DeviceProfileStore *m_profiles = nullptr;
    // The profile of the running (or last) request, secrets included, so a
    // monitor started from its rows polls through it too.
    std::optional<DeviceProfile> m_activeProfile;
    QByteArray m_textEncoding; // of the running request's agent
    QTimer m_listRepaint;      // while it runs, the list's viewport waits
    QString m_typedCommunity;  // kept while a profile fills the field
    QLabel *m_communityLabel = nullptr;
    QLabel *m_v3Summary = nullptr;
    std::unique_ptr<CWalkLog> m_pLogFile;
    QMenu *m_pContextMenu = nullptr;
    DeviceList m_ownDevices;
    bool m_bCreated = false;

    QWidget *m_pFields = nullptr;
    QComboBox *m_pDeviceCombo = nullptr;
    COidComboBox *m_pOidField = nullptr;
    QLineEdit *m_pCommunityEdit = nullptr;
    RangeSpinBox *m_pTimeoutSpin = nullptr;
    RangeSpinBox *m_pLogCountSpin = nullptr;
    QCheckBox *m_pLogCheck = nullptr;
    QPushButton *m_pGetNextButton = nullptr;
    QPushButton *m_pGetButton = nullptr;
    QPushButton *m_pCloseButton = nullptr;
    CReportListCtrl *m_pList = nullptr;
    CBalloonWnd m_balloon;
    std::vector<CMonitorWnd *> m_lstMonitors;
};
