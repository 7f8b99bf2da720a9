#include "devicesdialog.h"

#include "deviceprofilemodel.h"
#include "deviceprofilestore.h"
#include "messagebox.h"
#include "profiledialog.h"
#include "profiletester.h"
#include "profileuse.h"
#include "snmplocalengine.h"
#include "snmpsession.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int kInitialWidth = 640;
constexpr int kInitialHeight = 400;

QStringList fileFilters()
{
    return {DevicesDialog::tr("Device profiles (*.json)"), DevicesDialog::tr("All files (*)")};
}

} // namespace

DevicesDialog::DevicesDialog(DeviceProfileStore *store, QWidget *parent)
    : QDialog(parent), m_store(store), m_model(new DeviceProfileModel(store, this)), m_tester(new ProfileTester(this))
{
    setWindowTitle(tr("Devices"));
    resize(kInitialWidth, kInitialHeight);

    m_list = new QTableView(this);
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setColumnWidth(DeviceProfileModel::NameColumn, 200);
    m_list->setColumnWidth(DeviceProfileModel::HostColumn, 200);

    m_testResult = new QLabel(this);
    m_testResult->setWordWrap(true);
    m_testResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_testResult->setTextFormat(Qt::PlainText);

    m_engineId = new QLineEdit(SnmpLocalEngine::engineIdText(CSnmpSession::localEngineId()), this);
    m_engineId->setReadOnly(true);
    m_engineId->setCursorPosition(0); // the start of the ID in sight, not its end
    m_engineId->setMinimumWidth(m_engineId->fontMetrics().horizontalAdvance(m_engineId->text() + u'0') + 12);
    auto *engineLabel = new QLabel(tr("Engine ID of this receiver (for SNMPv3 informs):"), this);
    engineLabel->setBuddy(m_engineId);
    auto *engineRow = new QHBoxLayout;
    engineRow->addWidget(engineLabel);
    engineRow->addWidget(m_engineId, 1);

    m_trapUserHint = new QLabel(this);
    m_trapUserHint->setWordWrap(true);
    m_trapUserHint->setTextFormat(Qt::PlainText);
    m_trapUserHint->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *left = new QVBoxLayout;
    left->addWidget(m_list, 1);
    left->addWidget(m_testResult);
    left->addLayout(engineRow);
    left->addWidget(m_trapUserHint);

    const QString texts[ButtonCount] = {tr("&Add..."),    tr("&Edit..."),   tr("&Copy..."),   tr("&Delete"),
                                        tr("&Test"),      tr("&Import..."), tr("E&xport..."), tr("C&lose")};
    auto *right = new QVBoxLayout;
    for (int i = 0; i < ButtonCount; ++i) {
        m_buttons[i] = new QPushButton(texts[i], this);
        m_buttons[i]->setAutoDefault(false);
        if (i == CloseButton)
            right->addStretch(1);
        right->addWidget(m_buttons[i]);
    }
    auto *top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(right);

    connect(m_buttons[AddButton], &QPushButton::clicked, this, &DevicesDialog::onAdd);
    connect(m_buttons[EditButton], &QPushButton::clicked, this, &DevicesDialog::onEdit);
    connect(m_buttons[CopyButton], &QPushButton::clicked, this, &DevicesDialog::onCopy);
    connect(m_buttons[DeleteButton], &QPushButton::clicked, this, &DevicesDialog::onDelete);
    connect(m_buttons[TestButton], &QPushButton::clicked, this, &DevicesDialog::onTest);
    connect(m_buttons[ImportButton], &QPushButton::clicked, this, &DevicesDialog::onImport);
    connect(m_buttons[ExportButton], &QPushButton::clicked, this, &DevicesDialog::onExport);
    connect(m_buttons[CloseButton], &QPushButton::clicked, this, &DevicesDialog::accept);
    connect(m_list, &QAbstractItemView::doubleClicked, this, &DevicesDialog::onEdit);
    connect(m_tester, &ProfileTester::finished, this, &DevicesDialog::showTestResult);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DevicesDialog::updateButtons);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &DevicesDialog::updateButtons);
    connect(m_store, &DeviceProfileStore::saveFailed, this, [this](const QString &message) {
        MessageBox::show(this, message);
    });
    // A write that finds no keyring: the user learns here that nothing is kept.
    connect(m_store, &DeviceProfileStore::secretStoreUnavailable, this,
            [this] { showSecretStoreNoticeOnce(m_store, this); });
    connect(m_store, &DeviceProfileStore::secretStoreUnavailable, this, &DevicesDialog::updateTrapUserHint);
    connect(m_store, &DeviceProfileStore::changed, this, &DevicesDialog::updateTrapUserHint);
    updateTrapUserHint();

    if (m_model->rowCount() > 0)
        m_list->selectRow(0);
    updateButtons();
}

void DevicesDialog::updateTrapUserHint()
{
    // The store holds a profile's secrets only once they are known in this
    // run; without a keyring that is only after the user typed them.
    QStringList names;
    if (!m_store->secretStoreAvailable()) {
        for (const DeviceProfile &p : m_store->profiles())
            if (p.target.version == SNMP_VERSION_V3 && p.target.usm.level != SnmpSecurityLevel::NoAuthNoPriv
                && p.target.usm.authPassphrase.isEmpty())
                names << p.name;
    }
    m_trapUserHint->setVisible(!names.isEmpty());
    m_trapUserHint->setText(names.isEmpty() ? QString()
                                            : tr("No keyring runs, so the passphrases of these SNMPv3 profiles are "
                                                 "not known and their SNMPv3 traps and informs are not received: "
                                                 "%1. Edit a profile and enter its passphrases to receive them "
                                                 "until Orvelle ends.")
                                                  .arg(names.join(QStringLiteral(", "))));
}

QString DevicesDialog::currentName() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : m_model->nameAt(rows.constFirst().row());
}

void DevicesDialog::selectName(const QString &name)
{
    const int row = m_model->rowOf(name);
    if (row >= 0)
        m_list->selectRow(row);
}

void DevicesDialog::updateButtons()
{
    const bool any = !currentName().isEmpty();
    for (Button b : {EditButton, CopyButton, DeleteButton})
        m_buttons[b]->setEnabled(any);
    m_buttons[TestButton]->setEnabled(any && !m_tester->isRunning());
    m_buttons[ExportButton]->setEnabled(m_model->rowCount() > 0);
}

std::optional<DeviceProfile> DevicesDialog::runProfileDialog(const DeviceProfile &profile, const QString &replacing)
{
    QList<DeviceProfile> others = m_store->profiles();
    if (const qsizetype i = indexOfProfile(others, replacing); i >= 0)
        others.removeAt(i);
    ProfileDialog dialog(profile, others, this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.profile();
}

void DevicesDialog::onAdd()
{
    const std::optional<DeviceProfile> profile = runProfileDialog(DeviceProfile(), QString());
    if (!profile)
        return;
    if (const auto problem = m_store->add(*profile))
        return MessageBox::show(this, problem->message);
    selectName(profile->name);
}

void DevicesDialog::onEdit()
{
    const QString name = currentName();
    if (name.isEmpty())
        return;
    m_store->withSecrets(name, this, [this, name](const DeviceProfile &stored, DeviceProfileStore::SecretsState state) {
        if (state == DeviceProfileStore::SecretsState::NoSuchProfile)
            return;
        // Without a secret store the fields start empty: what is typed is
        // kept for this run.
        if (state == DeviceProfileStore::SecretsState::AskUser)
            showSecretStoreNoticeOnce(m_store, this);
        const std::optional<DeviceProfile> edited = runProfileDialog(stored, name);
        if (!edited)
            return;
        if (const auto problem = m_store->update(name, *edited))
            return MessageBox::show(this, problem->message);
        selectName(edited->name);
    });
}

void DevicesDialog::onCopy()
{
    const QString name = currentName();
    if (name.isEmpty())
        return;
    useDeviceProfile(m_store, name, this, [this](const DeviceProfile &source) {
        DeviceProfile copy = source;
        copy.name = uniqueProfileName(source.name, m_store->profiles());
        const std::optional<DeviceProfile> added = runProfileDialog(copy, QString());
        if (!added)
            return;
        if (const auto problem = m_store->add(*added))
            return MessageBox::show(this, problem->message);
        selectName(added->name);
    });
}

void DevicesDialog::onDelete()
{
    const QString name = currentName();
    if (name.isEmpty() || !MessageBox::ask(this, tr("Delete the device profile \"%1\"?").arg(name)))
        return;
    const int row = m_model->rowOf(name);
    m_store->remove(name);
    if (m_model->rowCount() > 0)
        m_list->selectRow(qMin(row, m_model->rowCount() - 1));
}

void DevicesDialog::onTest()
{
    const QString name = currentName();
    if (name.isEmpty() || m_tester->isRunning())
        return;
    useDeviceProfile(m_store, name, this, [this](const DeviceProfile &profile) {
        QList<DeviceProfile> others = m_store->profiles();
        others.removeAt(indexOfProfile(others, profile.name));
        if (const auto problem = validateProfile(profile, others, ValidationScope::Complete)) {
            m_testResult->setText(tr("%1 cannot be tested: %2").arg(profile.name, problem->message));
            return;
        }
        m_testedName = profile.name;
        m_testResult->setText(tr("Asking %1 (%2) for sysDescr and sysObjectID...").arg(profile.name, profile.target.host));
        m_tester->start(profile);
        updateButtons();
    });
}

void DevicesDialog::showTestResult(const ProfileTestResult &result)
{
    if (result.ok)
        m_testResult->setText(tr("%1 answered.\nsysDescr: %2\nsysObjectID: %3")
                                  .arg(m_testedName, result.sysDescr, result.sysObjectId));
    else
        m_testResult->setText(tr("%1 did not answer as asked: %2").arg(m_testedName, result.error));
    updateButtons();
}

void DevicesDialog::onImport()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Import Device Profiles"), QString(),
                                                      fileFilters().join(QLatin1String(";;")));
    if (path.isEmpty())
        return;
    const DeviceProfileImportReport report = m_store->importFile(path);
    if (!report.error.isEmpty())
        return MessageBox::show(this, report.error);
    QStringList lines;
    lines << tr("%n device profile(s) imported.", nullptr, int(report.imported.size()));
    lines << report.messages;
    if (!report.imported.isEmpty()) {
        lines << tr("The file holds no communities or passphrases: edit the imported profiles to enter them.");
        selectName(report.imported.constFirst());
    }
    MessageBox::show(this, lines.join(u'\n'));
}

void DevicesDialog::onExport()
{
    QFileDialog dialog(this, tr("Export Device Profiles"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("json"));
    dialog.setNameFilters(fileFilters());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString error;
    if (!m_store->exportFile(dialog.selectedFiles().constFirst(), &error))
        MessageBox::show(this, error);
}
