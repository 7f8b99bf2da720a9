#include "profileuse.h"

#include "deviceprofilestore.h"
#include "messagebox.h"
#include "profiledialog.h"
#include "secretstore.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace {

DeviceProfileField fieldOf(SecretKind kind)
{
    switch (kind) {
    case SecretKind::ReadCommunity: return DeviceProfileField::ReadCommunity;
    case SecretKind::WriteCommunity: return DeviceProfileField::WriteCommunity;
    case SecretKind::AuthPassphrase: return DeviceProfileField::AuthPassphrase;
    case SecretKind::PrivPassphrase: return DeviceProfileField::PrivPassphrase;
    }
    return DeviceProfileField::ReadCommunity;
}

// The secrets this profile sends with.
bool needed(const DeviceProfile &profile, SecretKind kind)
{
    const bool v3 = profile.target.version == SNMP_VERSION_V3;
    const SnmpSecurityLevel level = profile.target.usm.level;
    switch (kind) {
    case SecretKind::ReadCommunity:
    case SecretKind::WriteCommunity: return !v3;
    case SecretKind::AuthPassphrase: return v3 && level != SnmpSecurityLevel::NoAuthNoPriv;
    case SecretKind::PrivPassphrase: return v3 && level == SnmpSecurityLevel::AuthPriv;
    }
    return false;
}

} // namespace

void showSecretStoreNoticeOnce(DeviceProfileStore *store, QWidget *parent)
{
    if (store->secretStoreNoticeGiven())
        return;
    store->setSecretStoreNoticeGiven();
    MessageBox::show(parent, SecretsPromptDialog::tr("No secret store (Secret Service or KWallet) can be used: %1\n"
                                                     "Communities and passphrases of device profiles are not saved. "
                                                     "Orvelle asks for them when a device is first used and keeps "
                                                     "them in memory until it ends.")
                                 .arg(store->secretStore()->unavailableReason()));
}

void useDeviceProfile(DeviceProfileStore *store, const QString &name, QWidget *parent,
                      std::function<void(const DeviceProfile &)> done)
{
    store->withSecrets(name, parent, [store, parent, done](const DeviceProfile &profile,
                                                           DeviceProfileStore::SecretsState state) {
        switch (state) {
        case DeviceProfileStore::SecretsState::NoSuchProfile:
            return;
        case DeviceProfileStore::SecretsState::Complete:
            return done(profile);
        case DeviceProfileStore::SecretsState::AskUser:
            break;
        }
        const QPointer<QWidget> guard(parent);
        showSecretStoreNoticeOnce(store, parent);
        if (!guard)
            return;
        SecretsPromptDialog prompt(profile, parent);
        if (prompt.exec() != QDialog::Accepted || !guard)
            return;
        store->rememberSecrets(prompt.profile());
        done(prompt.profile());
    });
}

SecretsPromptDialog::SecretsPromptDialog(const DeviceProfile &profile, QWidget *parent)
    : QDialog(parent), m_profile(profile)
{
    setWindowTitle(tr("Secrets of %1").arg(profile.name));
    auto *form = new QFormLayout(this);
    auto *intro = new QLabel(tr("Enter the secrets of the device profile \"%1\" (%2). They are kept in memory "
                                "until Orvelle ends.")
                                 .arg(profile.name, profile.target.host),
                             this);
    intro->setWordWrap(true);
    form->addRow(intro);
    for (size_t i = 0; i < std::size(kAllSecretKinds); ++i) {
        const SecretKind kind = kAllSecretKinds[i];
        if (!needed(profile, kind))
            continue;
        auto *edit = new QLineEdit(secretOf(profile, kind), this);
        edit->setEchoMode(QLineEdit::Password);
        m_fields[i] = edit;
        form->addRow(ProfileDialog::fieldLabel(fieldOf(kind)), edit);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SecretsPromptDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SecretsPromptDialog::reject);
    form->addRow(buttons);
}

QLineEdit *SecretsPromptDialog::field(SecretKind kind) const
{
    for (size_t i = 0; i < std::size(kAllSecretKinds); ++i)
        if (kAllSecretKinds[i] == kind)
            return m_fields[i];
    return nullptr;
}

DeviceProfile SecretsPromptDialog::profile() const
{
    DeviceProfile p = m_profile;
    for (size_t i = 0; i < std::size(kAllSecretKinds); ++i)
        if (m_fields[i])
            setSecret(p, kAllSecretKinds[i], m_fields[i]->text());
    return p;
}

void SecretsPromptDialog::accept()
{
    // Only the secrets are this dialog's to judge.
    if (const auto problem = validateProfile(profile(), {}, ValidationScope::Complete)) {
        for (size_t i = 0; i < std::size(kAllSecretKinds); ++i) {
            if (m_fields[i] && fieldOf(kAllSecretKinds[i]) == problem->field) {
                MessageBox::show(this, problem->message);
                m_fields[i]->setFocus();
                m_fields[i]->selectAll();
                return;
            }
        }
    }
    QDialog::accept();
}
