#include "profiledialog.h"

#include "hostresolvecheck.h"
#include "messagebox.h"
#include "textencodings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr SnmpAuthProtocol kAuthProtocols[] = {SnmpAuthProtocol::MD5,    SnmpAuthProtocol::SHA1,
                                               SnmpAuthProtocol::SHA224, SnmpAuthProtocol::SHA256,
                                               SnmpAuthProtocol::SHA384, SnmpAuthProtocol::SHA512};
constexpr SnmpPrivProtocol kPrivProtocols[] = {SnmpPrivProtocol::DES, SnmpPrivProtocol::AES128,
                                               SnmpPrivProtocol::AES192, SnmpPrivProtocol::AES256};
constexpr SnmpSecurityLevel kLevels[] = {SnmpSecurityLevel::NoAuthNoPriv, SnmpSecurityLevel::AuthNoPriv,
                                         SnmpSecurityLevel::AuthPriv};
constexpr int kVersions[] = {SNMP_VERSION_V1, SNMP_VERSION_V2C, SNMP_VERSION_V3};

// Selects the entry whose data is `value`; an entry the combo box does not
// offer (a protocol this net-snmp lacks, an encoding this system lacks) is
// added as it is, marked, so that OK names it instead of silently changing it.
void select(QComboBox *box, const QVariant &value, const QString &text)
{
    int i = box->findData(value);
    if (i < 0) {
        box->addItem(ProfileDialog::tr("%1 (not available here)").arg(text), value);
        i = box->count() - 1;
    }
    box->setCurrentIndex(i);
}

QLineEdit *secretEdit(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QSpinBox *spin(QWidget *parent, int min, int max)
{
    auto *box = new QSpinBox(parent);
    box->setRange(min, max);
    return box;
}

} // namespace

ProfileDialog::ProfileDialog(const DeviceProfile &profile, const QList<DeviceProfile> &others, QWidget *parent)
    : QDialog(parent), m_original(profile), m_others(others)
{
    setWindowTitle(profile.name.isEmpty() ? tr("New Device Profile") : tr("Device Profile %1").arg(profile.name));
    buildFields();
    load(profile);
}

QString ProfileDialog::fieldLabel(DeviceProfileField field)
{
    switch (field) {
    case DeviceProfileField::Name: return tr("&Name:");
    case DeviceProfileField::Host: return tr("&Host:");
    case DeviceProfileField::Port: return tr("&Port:");
    case DeviceProfileField::Version: return tr("SNMP &version:");
    case DeviceProfileField::ReadCommunity: return tr("&Read community:");
    case DeviceProfileField::WriteCommunity: return tr("&Write community:");
    case DeviceProfileField::Timeout: return tr("&Timeout (seconds):");
    case DeviceProfileField::Retries: return tr("Retr&ies:");
    case DeviceProfileField::MaxRepetitions: return tr("GETBULK &max-repetitions:");
    case DeviceProfileField::TextEncoding: return tr("Text &encoding:");
    case DeviceProfileField::UserName: return tr("&User name:");
    case DeviceProfileField::SecurityLevel: return tr("Security &level:");
    case DeviceProfileField::AuthProtocol: return tr("&Authentication protocol:");
    case DeviceProfileField::AuthPassphrase: return tr("Authentication pa&ssphrase:");
    case DeviceProfileField::PrivProtocol: return tr("P&rivacy protocol:");
    case DeviceProfileField::PrivPassphrase: return tr("Privac&y passphrase:");
    case DeviceProfileField::ContextName: return tr("&Context name:");
    }
    return {};
}

template <typename Widget>
Widget *ProfileDialog::add(DeviceProfileField field, Widget *widget)
{
    m_fieldWidgets.insert(field, widget);
    return widget;
}

void ProfileDialog::buildFields()
{
    using F = DeviceProfileField;
    auto *top = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    top->addLayout(form);
    const auto row = [](QFormLayout *layout, F field, QWidget *widget) { layout->addRow(fieldLabel(field), widget); };

    row(form, F::Name, m_name = add(F::Name, new QLineEdit(this)));
    row(form, F::Host, m_host = add(F::Host, new QLineEdit(this)));
    row(form, F::Port, m_port = add(F::Port, spin(this, DeviceProfile::kMinPort, DeviceProfile::kMaxPort)));
    row(form, F::Version, m_version = add(F::Version, new QComboBox(this)));
    for (int version : kVersions)
        m_version->addItem(snmpVersionName(version), version);

    m_communities = new QGroupBox(tr("Communities"), this);
    auto *communities = new QFormLayout(m_communities);
    row(communities, F::ReadCommunity, m_readCommunity = add(F::ReadCommunity, secretEdit(this)));
    row(communities, F::WriteCommunity, m_writeCommunity = add(F::WriteCommunity, secretEdit(this)));
    top->addWidget(m_communities);

    m_usm = new QGroupBox(tr("SNMPv3 user-based security"), this);
    auto *usm = new QFormLayout(m_usm);
    row(usm, F::UserName, m_user = add(F::UserName, new QLineEdit(this)));
    row(usm, F::SecurityLevel, m_level = add(F::SecurityLevel, new QComboBox(this)));
    for (SnmpSecurityLevel level : kLevels)
        m_level->addItem(snmpSecurityLevelName(level), int(level));
    row(usm, F::AuthProtocol, m_authProtocol = add(F::AuthProtocol, new QComboBox(this)));
    for (SnmpAuthProtocol protocol : kAuthProtocols)
        if (snmpAuthProtocolSupported(protocol))
            m_authProtocol->addItem(snmpAuthProtocolName(protocol), int(protocol));
    row(usm, F::AuthPassphrase, m_authPassphrase = add(F::AuthPassphrase, secretEdit(this)));
    row(usm, F::PrivProtocol, m_privProtocol = add(F::PrivProtocol, new QComboBox(this)));
    for (SnmpPrivProtocol protocol : kPrivProtocols)
        if (snmpPrivProtocolSupported(protocol))
            m_privProtocol->addItem(snmpPrivProtocolName(protocol), int(protocol));
    row(usm, F::PrivPassphrase, m_privPassphrase = add(F::PrivPassphrase, secretEdit(this)));
    row(usm, F::ContextName, m_context = add(F::ContextName, new QLineEdit(this)));
    top->addWidget(m_usm);

    auto *requests = new QGroupBox(tr("Requests"), this);
    auto *requestForm = new QFormLayout(requests);
    row(requestForm, F::Timeout,
        m_timeout = add(F::Timeout, spin(this, DeviceProfile::kMinTimeoutSec, DeviceProfile::kMaxTimeoutSec)));
    row(requestForm, F::Retries,
        m_retries = add(F::Retries, spin(this, DeviceProfile::kMinRetries, DeviceProfile::kMaxRetries)));
    row(requestForm, F::MaxRepetitions,
        m_maxRepetitions = add(F::MaxRepetitions,
                               spin(this, DeviceProfile::kMinMaxRepetitions, DeviceProfile::kMaxMaxRepetitions)));
    row(requestForm, F::TextEncoding, m_encoding = add(F::TextEncoding, new QComboBox(this)));
    for (const QByteArray &encoding : availableTextEncodings())
        m_encoding->addItem(QString::fromLatin1(encoding), encoding);
    top->addWidget(requests);

    m_status = new QLabel(this);
    m_status->hide();
    top->addWidget(m_status);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    top->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &ProfileDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &ProfileDialog::reject);

    connect(m_version, &QComboBox::currentIndexChanged, this, &ProfileDialog::updateVersionFields);
    connect(m_level, &QComboBox::currentIndexChanged, this, &ProfileDialog::updateVersionFields);
}

void ProfileDialog::load(const DeviceProfile &profile)
{
    const SnmpUsmCredentials &usm = profile.target.usm;
    m_name->setText(profile.name);
    m_host->setText(profile.target.host);
    m_port->setValue(profile.target.port);
    select(m_version, profile.target.version, QString::number(profile.target.version));
    m_readCommunity->setText(profile.readCommunity);
    m_writeCommunity->setText(profile.writeCommunity);
    m_user->setText(usm.userName);
    select(m_level, int(usm.level), snmpSecurityLevelName(usm.level));
    select(m_authProtocol, int(usm.authProtocol), snmpAuthProtocolName(usm.authProtocol));
    m_authPassphrase->setText(usm.authPassphrase);
    select(m_privProtocol, int(usm.privProtocol), snmpPrivProtocolName(usm.privProtocol));
    m_privPassphrase->setText(usm.privPassphrase);
    m_context->setText(usm.contextName);
    m_timeout->setValue(profile.timeoutSec);
    m_retries->setValue(profile.retries);
    m_maxRepetitions->setValue(profile.maxRepetitions);
    select(m_encoding, profile.textEncoding, QString::fromLatin1(profile.textEncoding));
    updateVersionFields();
}

void ProfileDialog::updateVersionFields()
{
    const bool v3 = m_version->currentData().toInt() == SNMP_VERSION_V3;
    const auto level = static_cast<SnmpSecurityLevel>(m_level->currentData().toInt());
    m_communities->setVisible(!v3);
    m_usm->setVisible(v3);
    const bool auth = level != SnmpSecurityLevel::NoAuthNoPriv;
    const bool priv = level == SnmpSecurityLevel::AuthPriv;
    m_authProtocol->setEnabled(auth);
    m_authPassphrase->setEnabled(auth);
    m_privProtocol->setEnabled(priv);
    m_privPassphrase->setEnabled(priv);
    adjustSize();
}

DeviceProfile ProfileDialog::profile() const
{
    DeviceProfile p = m_original;
    SnmpUsmCredentials &usm = p.target.usm;
    p.name = m_name->text().trimmed();
    p.target.host = m_host->text().trimmed();
    p.target.port = static_cast<quint16>(m_port->value());
    p.target.version = m_version->currentData().toInt();
    p.target.community.clear();
    p.timeoutSec = m_timeout->value();
    p.retries = m_retries->value();
    p.maxRepetitions = m_maxRepetitions->value();
    p.textEncoding = m_encoding->currentData().toByteArray();
    p.readCommunity = m_readCommunity->text();
    p.writeCommunity = m_writeCommunity->text();
    usm.userName = m_user->text().trimmed();
    usm.level = static_cast<SnmpSecurityLevel>(m_level->currentData().toInt());
    usm.authProtocol = static_cast<SnmpAuthProtocol>(m_authProtocol->currentData().toInt());
    usm.authPassphrase = m_authPassphrase->text();
    usm.privProtocol = static_cast<SnmpPrivProtocol>(m_privProtocol->currentData().toInt());
    usm.privPassphrase = m_privPassphrase->text();
    usm.contextName = m_context->text();
    // No secret is kept for what the profile does not send.
    if (p.target.version == SNMP_VERSION_V3) {
        p.readCommunity.clear();
        p.writeCommunity.clear();
        if (usm.level == SnmpSecurityLevel::NoAuthNoPriv)
            usm.authPassphrase.clear();
        if (usm.level != SnmpSecurityLevel::AuthPriv)
            usm.privPassphrase.clear();
    } else {
        usm.authPassphrase.clear();
        usm.privPassphrase.clear();
    }
    return p;
}

QPushButton *ProfileDialog::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

void ProfileDialog::refuse(const ProfileProblem &problem)
{
    MessageBox::show(this, problem.message);
    if (QWidget *widget = fieldWidget(problem.field)) {
        widget->setFocus(Qt::OtherFocusReason);
        if (auto *edit = qobject_cast<QLineEdit *>(widget))
            edit->selectAll();
    }
}

void ProfileDialog::accept()
{
    if (m_checkingHost)
        return;
    const DeviceProfile p = profile();
    if (const auto problem = validateProfile(p, m_others, ValidationScope::Complete))
        return refuse(*problem);

    m_checkingHost = true;
    okButton()->setEnabled(false);
    m_status->setText(tr("Looking up %1...").arg(p.target.host));
    m_status->show();
    HostResolveCheck::start(p.target.host, this, [this](const std::optional<ProfileProblem> &problem) {
        m_checkingHost = false;
        okButton()->setEnabled(true);
        m_status->hide();
        if (!isVisible())
            return; // cancelled meanwhile
        if (problem)
            return refuse(*problem);
        QDialog::accept();
    });
}
