#pragma once

// DevicesDialog: the user's device profiles (name, host, version) with Add,
// Edit, Copy, Delete, Test, Import..., Export... and Close. Changes go to
// the store at once; the dialog is handed the run's store and owns nothing
// of it. Test asks the device for sysDescr.0 and sysObjectID.0 with the
// profile's settings (ProfileTester) and shows the answer below the list.
// Below it stand the trap receiver's engine ID, which agents are given to
// send SNMPv3 informs, and, where no keyring runs, which SNMPv3 profiles
// give no trap user for want of their passphrases.

#include "deviceprofile.h"

#include <QDialog>

#include <optional>

class DeviceProfileModel;
class DeviceProfileStore;
class ProfileTester;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
struct ProfileTestResult;

class DevicesDialog : public QDialog
{
    Q_OBJECT
public:
    enum Button { AddButton, EditButton, CopyButton, DeleteButton, TestButton, ImportButton, ExportButton,
                  CloseButton, ButtonCount };

    explicit DevicesDialog(DeviceProfileStore *store, QWidget *parent = nullptr);

    QTableView *list() const { return m_list; }
    QPushButton *button(Button which) const { return m_buttons[which]; }
    // What the last Test found, or that it runs.
    QLabel *testResult() const { return m_testResult; }
    // The receiver's own engine ID, to configure agents that send informs.
    QLineEdit *engineIdField() const { return m_engineId; }
    // Which SNMPv3 profiles give no trap user, as no keyring holds their
    // passphrases; hidden when all do.
    QLabel *trapUserHint() const { return m_trapUserHint; }

private:
    QString currentName() const;
    void selectName(const QString &name);
    void updateButtons();
    // Runs the profile dialog; the accepted profile, or nothing.
    std::optional<DeviceProfile> runProfileDialog(const DeviceProfile &profile, const QString &replacing);
    void onAdd();
    void onEdit();
    void onCopy();
    void onDelete();
    void onTest();
    void onImport();
    void onExport();
    void showTestResult(const ProfileTestResult &result);
    void updateTrapUserHint();

    DeviceProfileStore *m_store;
    DeviceProfileModel *m_model;
    ProfileTester *m_tester;
    QTableView *m_list = nullptr;
    QLabel *m_testResult = nullptr;
    QLineEdit *m_engineId = nullptr;
    QLabel *m_trapUserHint = nullptr;
    QPushButton *m_buttons[ButtonCount] = {};
    QString m_testedName;
};
