#pragma once

// Using a device profile from a window: its secrets from the store, or,
// where no secret store runs, from the user, who is told once per run why
// they are asked. Every window that sends to a profile's device goes
// through useDeviceProfile():
//
//     useDeviceProfile(m_store, name, this, [this](const DeviceProfile &p) {
//         m_session->Open(p.readTarget());
//     });

#include "deviceprofile.h"

#include <QDialog>

#include <functional>

class DeviceProfileStore;
class QLineEdit;

// Calls `done` with the profile and its secrets, once they are had; not at
// all when the profile is gone or the user cancelled the prompt. `parent`
// owns the prompt and the notice, and `done` is dropped with it.
void useDeviceProfile(DeviceProfileStore *store, const QString &name, QWidget *parent,
                      std::function<void(const DeviceProfile &)> done);

// "No secret store runs: ..." unless already said in this run.
void showSecretStoreNoticeOnce(DeviceProfileStore *store, QWidget *parent);

// Asks for the secrets a profile needs (the communities for SNMPv1/v2c, the
// passphrases its SNMPv3 level uses) for this run. OK refuses a passphrase
// net-snmp would refuse, naming it.
class SecretsPromptDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SecretsPromptDialog(const DeviceProfile &profile, QWidget *parent = nullptr);

    // The profile with the secrets as typed.
    DeviceProfile profile() const;
    QLineEdit *field(SecretKind kind) const;

    void accept() override;

private:
    DeviceProfile m_profile;
    QLineEdit *m_fields[std::size(kAllSecretKinds)] = {};
};
