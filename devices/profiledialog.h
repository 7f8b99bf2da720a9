#pragma once

// ProfileDialog: adds or edits one device profile. Every setting has a
// field; the communities are shown for SNMPv1/v2c, the user-based security
// fields for SNMPv3, and of those only what the chosen level uses is
// enabled. Protocols the installed net-snmp cannot do are not offered.
//
// OK checks the fields (validateProfile), then whether the host resolves
// (HostResolveCheck, without blocking); a refusal names the field in a
// message, puts the cursor there, and the dialog stays open.

#include "deviceprofile.h"

#include <QDialog>
#include <QMap>

class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class ProfileDialog : public QDialog
{
    Q_OBJECT
public:
    // `others` are the profiles beside this one, for the name check.
    ProfileDialog(const DeviceProfile &profile, const QList<DeviceProfile> &others, QWidget *parent = nullptr);

    // The profile as the fields hold it. Secrets the version does not use
    // are left out.
    DeviceProfile profile() const;

    // The widget of a field (where a refusal puts the cursor).
    QWidget *fieldWidget(DeviceProfileField field) const { return m_fieldWidgets.value(field); }
    QPushButton *okButton() const;

    // The label of a field as the dialogs show it ("&Read community:").
    static QString fieldLabel(DeviceProfileField field);

    void accept() override;

private:
    void buildFields();
    void load(const DeviceProfile &profile);
    void updateVersionFields();
    void refuse(const ProfileProblem &problem);
    template <typename Widget>
    Widget *add(DeviceProfileField field, Widget *widget);

    DeviceProfile m_original;
    QList<DeviceProfile> m_others;
    QMap<DeviceProfileField, QWidget *> m_fieldWidgets;
    bool m_checkingHost = false;

    QLineEdit *m_name = nullptr;
    QLineEdit *m_host = nullptr;
    QSpinBox *m_port = nullptr;
    QComboBox *m_version = nullptr;
    QGroupBox *m_communities = nullptr;
    QLineEdit *m_readCommunity = nullptr;
    QLineEdit *m_writeCommunity = nullptr;
    QGroupBox *m_usm = nullptr;
    QLineEdit *m_user = nullptr;
    QComboBox *m_level = nullptr;
    QComboBox *m_authProtocol = nullptr;
    QLineEdit *m_authPassphrase = nullptr;
    QComboBox *m_privProtocol = nullptr;
    QLineEdit *m_privPassphrase = nullptr;
    QLineEdit *m_context = nullptr;
    QSpinBox *m_timeout = nullptr;
    QSpinBox *m_retries = nullptr;
    QSpinBox *m_maxRepetitions = nullptr;
    QComboBox *m_encoding = nullptr;
    QLabel *m_status = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
