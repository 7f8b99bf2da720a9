#pragma once

// CMonitorSettingsDlg: the modal dialog in which the user sets up a monitor
// window for the rows chosen in the MIB walk list: when to start, how long
// and how often to poll, how many samples to keep, whether and how to draw
// the graph, and whether to save the samples to a file. It sends nothing.
//
// The MIB walk dialog fills the agent's part of m_settings (device,
// community, OID list, timeout), runs exec(), and on Accepted hands
// m_settings to a new CMonitorWnd.

#include "monitorsettings.h"
#include "rangespinbox.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class CMonitorSettingsDlg : public QDialog
{
    Q_OBJECT

public:
    // Minutes of polling of each "Long:" entry, in list order; 0: no end.
    static constexpr std::array<quint32, 8> kDurations = {0, 10, 30, 60, 120, 360, 720, 1440};

    explicit CMonitorSettingsDlg(QWidget *parent = nullptr);

    MonitorSettings m_settings;

    // Controls, for the tests.
    QPlainTextEdit *oidText() const { return m_pOidText; }
    QDateTimeEdit *startTimeEdit() const { return m_pStartTime; }
    QComboBox *durationCombo() const { return m_pDuration; }
    RangeSpinBox *intervalSpin() const { return m_pInterval; }
    RangeSpinBox *maxHistoriesSpin() const { return m_pMaxHistories; }
    QCheckBox *graphCheck() const { return m_pGraph; }
    QRadioButton *modeButton(int mode) const { return m_pModes[size_t(mode)]; }
    QCheckBox *saveCheck() const { return m_pSave; }
    QLineEdit *fileNameEdit() const { return m_pFileName; }
    QPushButton *browseButton() const { return m_pBrowse; }

public slots:
    // OK (or Enter): checks the numbers as typed and fills m_settings; a
    // number out of its range keeps the dialog open with a message.
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void OnInitDialog();
    void OnGraphClicked();
    void OnSaveClicked();
    void OnBrowse();

    bool m_bInitialised = false;
    QPlainTextEdit *m_pOidText = nullptr;
    QDateTimeEdit *m_pStartTime = nullptr;
    QComboBox *m_pDuration = nullptr;
    RangeSpinBox *m_pInterval = nullptr;
    RangeSpinBox *m_pMaxHistories = nullptr;
    QCheckBox *m_pGraph = nullptr;
    std::array<QRadioButton *, 3> m_pModes{};
    QCheckBox *m_pSave = nullptr;
    QLineEdit *m_pFileName = nullptr;
    QPushButton *m_pBrowse = nullptr;
};
