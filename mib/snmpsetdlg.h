#pragma once

// CSnmpSetDlg: the modal dialog that writes one object of one agent. The
// user names a device, a write community, an OID, a syntax and a value and
// presses Submit; the dialog sends one SET request (through SnmpSetRequest)
// and shows the agent's answer in the status box: the value the agent
// returned, or the error status and the variable it names. No answer within
// the request's timeout (a wrong community, a wrong device, an agent that
// does not allow SET) is said as such. Failures also come as a message box.
// Submit is disabled while a request is outstanding.
//
// Picking an object in the OID tree asks the MIB database whether the
// object is writable: if it is, its description is shown and its syntax
// preselected, otherwise a warning says that the fields are up to the user.
//
// The main view creates one per command, hands it the reader, the settings
// (for the description language) and its device list, and runs exec(). The
// dialog offers the listed devices and adds only the built-in 127.0.0.1 to
// the list; devices typed here are not remembered. The SNMP version and
// credentials stay inside the session.
//
// Values are checked before anything is sent: an integer that is not a
// number or does not fit its 32-bit range, and an address that is not four
// numbers from 0 to 255, are refused with a message naming what is wrong.

#include "devicelist.h"
#include "snmpsession.h"
#include "snmpsetrequest.h"
#include "snmptypes.h"

#include "deviceprofile.h"

#include <QDialog>

#include <memory>
#include <optional>

class CAppSettings;
class DeviceProfileStore;
class COidComboBox;
class CXMLRead;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
struct OidTreeItem;
struct tagVARBINDTEXT;

namespace Ui {
class CSnmpSetDlg;
}

class CSnmpSetDlg : public QDialog
{
    Q_OBJECT

public:
    // Entries of the syntax list, in their order (MibWriteSyntax - 1).
    enum SyntaxEntry : int {
        SyntaxSigned = 0,
        SyntaxUnsigned = 1,
        SyntaxOctets = 2,
        SyntaxOid = 3,
        SyntaxIpAddress = 4,
        SyntaxCount = 5,
    };

    // Height of the OID tree drop-down in pixels; its width follows the field.
    static constexpr int kDropDownHeight = 300;
    // Text of the OID field at start: the top of the usual subtree.
    static constexpr char kInitialOid[] = "1.3.6";
    // The device always offered, and the second name stored with it.
    static constexpr char kLocalDevice[] = "127.0.0.1";
    static constexpr char kLocalDeviceSecond[] = "localhost";
    // Longest OCTET STRING value: what one SNMP variable can carry.
    static constexpr qsizetype kMaxOctetStringBytes = 65535;

    // None of the three is owned; reader and settings may be null (no MIB
    // descriptions, English), devices too (only 127.0.0.1 is offered).
    CSnmpSetDlg(const CXMLRead *reader, const CAppSettings *settings, DeviceList *devices, QWidget *parent = nullptr);
    ~CSnmpSetDlg() override;
    // The device profiles, offered by name in the device field; a SET to a
    // profile goes out with its write community or its SNMPv3 user.
    void setDeviceProfiles(DeviceProfileStore *profiles);

    // The controls (tests, and the view's layout checks).
    QComboBox *deviceCombo() const;
    QLineEdit *communityEdit() const;
    COidComboBox *oidField() const;
    QComboBox *syntaxCombo() const;
    QLineEdit *valueEdit() const;
    // The object's enumeration, shown only for an object that has one.
    QComboBox *enumCombo() const;
    QPlainTextEdit *statusBox() const;
    QPushButton *submitButton() const;
    QPushButton *closeButton() const;
    // Null after Close has ended the dialog.
    SnmpSetRequest *request() const { return m_pRequest; }
    CSnmpSession *session() const { return m_pRequest ? m_pRequest->session() : nullptr; }
    // The OID of the last pick, without the instance suffix.
    QString pickedOid() const { return m_strOid; }

public slots:
    // Submit: builds the value and sends the SET request.
    void OnOK();
    // Close (and Escape): releases the session and ends the dialog.
    void OnCancel();

    // Also Escape and the window's close button: OnCancel.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void OnInitDialog();
    void OnOidSelected(const OidTreeItem *item);
    void onRequestSent();
    void onRequestFinished(const SnmpSetResult &result);
    // What the status box says of a finished request.
    QString resultText(const SnmpSetResult &result) const;
    // The variable with its MIB name (its dotted OID when unknown) and value text.
    tagVARBINDTEXT describeVariable(const SnmpVarBind &variable) const;
    // The value of the selected syntax entry, or nothing (a message was shown).
    std::optional<SnmpValue> buildValue(int entry, const QString &text);
    std::optional<SnmpValue> buildInteger(bool isUnsigned, const QString &text);
    // Four bytes of a dotted IPv4 address: exactly four parts, each a
    // decimal number from 0 to 255 (a single "." after the fourth part is
    // ignored). On failure shows the format message and gives nothing.
    std::optional<QByteArray> ParseIpAddress(const QString &text);
    void addDevice(const QString &name, const QString &second);
    void insertDeviceSorted(const QString &name);
    void setStatusText(const QString &text);
    void showCredentialsFor(const QString &device);
    // The enumeration list for the object the OID field names.
    void showEnumerationFor(const QString &oidText);
    // Which of the object's constraints `value` breaks; empty when none.
    QString valueProblem(const QString &oidText, const SnmpValue &value) const;
    std::optional<DeviceProfile> profileNamed(const QString &device) const;
    void appendStatusText(const QString &text);
    void showMessage(const QString &text);

    std::unique_ptr<Ui::CSnmpSetDlg> m_ui;
    const CXMLRead *m_pReader;
    const CAppSettings *m_pSettings;
    DeviceList *m_pDevices;
    SnmpSetRequest *m_pRequest = nullptr; // owned (child)
    DeviceProfileStore *m_profiles = nullptr;
    QString m_strOid;
    bool m_bInitFailed = false;
    bool m_bShown = false;
};
