#include "monitorsettingsdlg.h"

#include "i18n.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The "Long:" entries, in the order of CMonitorSettingsDlg::kDurations.
const char *const kDurationTexts[] = {
    QT_TRANSLATE_NOOP("CMonitorSettingsDlg", "Infinity"),   QT_TRANSLATE_NOOP("CMonitorSettingsDlg", "10 Minutes"),
    QT_TRANSLATE_NOOP("CMonitorSettingsDlg", "30 Minutes"), QT_TRANSLATE_NOOP("CMonitorSettingsDlg", "1 Hour"),
    QT_TRANSLATE_NOOP("CMonitorSettingsDlg", "2 Hours"),    QT_TRANSLATE_NOOP("CMonitorSettingsDlg", "6 Hours"),
    QT_TRANSLATE_NOOP("CMonitorSettingsDlg", "12 Hours"),   QT_TRANSLATE_NOOP("CMonitorSettingsDlg", "24 Hours"),
};
static_assert(std::size(kDurationTexts) == CMonitorSettingsDlg::kDurations.size());

constexpr int kOidLines = 4; // the OID box shows this many lines before it scrolls

} // namespace

CMonitorSettingsDlg::CMonitorSettingsDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Device Object Monitor"));

    m_pOidText = new QPlainTextEdit(this);
    m_pOidText->setReadOnly(true);
    m_pOidText->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_pOidText->setFixedHeight(m_pOidText->fontMetrics().lineSpacing() * kOidLines + 2 * m_pOidText->frameWidth() + 8);

    auto *group = new QGroupBox(tr("Settings for Monitoring"), this);
    m_pStartTime = new QDateTimeEdit(group);
    m_pDuration = new QComboBox(group);
    m_pDuration->setEditable(true);
    m_pDuration->setInsertPolicy(QComboBox::NoInsert);
    for (const char *text : kDurationTexts)
        m_pDuration->addItem(tr(text));
    m_pInterval = new RangeSpinBox(group);
    m_pInterval->setRange(int(MonitorSettings::kMinInterval), int(MonitorSettings::kMaxInterval));
    m_pInterval->setValue(int(MonitorSettings::kDefaultInterval));
    m_pMaxHistories = new RangeSpinBox(group);
    m_pMaxHistories->setRange(int(MonitorSettings::kMinMaxHistories), int(MonitorSettings::kMaxMaxHistories));
    m_pMaxHistories->setValue(int(MonitorSettings::kDefaultMaxHistories));
    m_pGraph = new QCheckBox(tr("&Graph view"), group);
    m_pModes = {new QRadioButton(tr("&Value"), group), new QRadioButton(tr("Delta from i&nitial value"), group),
                new QRadioButton(tr("&Delta"), group)};
    auto *modes = new QButtonGroup(this);
    for (QRadioButton *mode : m_pModes)
        modes->addButton(mode);
    m_pSave = new QCheckBox(tr("Save data to file(&F)"), group);
    m_pFileName = new QLineEdit(group);
    m_pFileName->setEnabled(false);
    m_pBrowse = new QPushButton(tr("&Browse"), group);
    m_pBrowse->setEnabled(false);
    m_pBrowse->setAutoDefault(false);

    auto label = [](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, buddy->parentWidget());
        l->setBuddy(buddy);
        return l;
    };
    auto *grid = new QGridLayout(group);
    grid->addWidget(label(tr("&Start time:"), m_pStartTime), 0, 0);
    grid->addWidget(m_pStartTime, 0, 1);
    grid->addWidget(label(tr("Long:"), m_pDuration), 0, 2);
    grid->addWidget(m_pDuration, 0, 3);
    grid->addWidget(label(tr("Polling &Interval:"), m_pInterval), 1, 0);
    grid->addWidget(m_pInterval, 1, 1);
    grid->addWidget(label(tr("Max Histories:"), m_pMaxHistories), 1, 2);
    grid->addWidget(m_pMaxHistories, 1, 3);
    auto *modeRow = new QHBoxLayout;
    modeRow->addWidget(m_pGraph);
    for (QRadioButton *mode : m_pModes)
        modeRow->addWidget(mode);
    modeRow->addStretch();
    grid->addLayout(modeRow, 2, 0, 1, 4);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_pSave);
    fileRow->addWidget(m_pFileName, 1);
    fileRow->addWidget(m_pBrowse);
    grid->addLayout(fileRow, 3, 0, 1, 4);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CMonitorSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMonitorSettingsDlg::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Please enter parameters for monitoring selected object."), this));
    layout->addWidget(label(tr("Target OID:"), m_pOidText));
    layout->addWidget(m_pOidText);
    layout->addWidget(group);
    layout->addWidget(buttons);

    connect(m_pGraph, &QCheckBox::clicked, this, &CMonitorSettingsDlg::OnGraphClicked);
    connect(m_pSave, &QCheckBox::clicked, this, &CMonitorSettingsDlg::OnSaveClicked);
    connect(m_pBrowse, &QPushButton::clicked, this, &CMonitorSettingsDlg::OnBrowse);
}

void CMonitorSettingsDlg::showEvent(QShowEvent *event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CMonitorSettingsDlg::OnInitDialog()
{
    m_pOidText->setPlainText(QString(m_settings.oidList).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    m_pGraph->setChecked(true);
    m_pModes[MonitorGraphValue]->setChecked(true);
    m_pDuration->setCurrentIndex(0);
    // Only the time of day is shown: the date stays today's, so a time
    // that has passed starts at once.
    m_pStartTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    m_pStartTime->setDateTime(QDateTime::currentDateTime());
    m_pFileName->setText(m_settings.device + QLatin1String(".csv"));
}

void CMonitorSettingsDlg::OnGraphClicked()
{
    for (QRadioButton *mode : m_pModes)
        mode->setEnabled(m_pGraph->isChecked());
}

void CMonitorSettingsDlg::OnSaveClicked()
{
    m_pFileName->setEnabled(m_pSave->isChecked());
    m_pBrowse->setEnabled(m_pSave->isChecked());
}

void CMonitorSettingsDlg::OnBrowse()
{
    QFileDialog dialog(this, tr("Save data to file"));
    // New names are welcome; the folder must exist. The monitor empties the
    // file it is given, as the user chose it for that.
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setNameFilters(Orvelle::dataFileFilters());
    dialog.selectFile(m_settings.device);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_pFileName->setText(dialog.selectedFiles().constFirst());
}

void CMonitorSettingsDlg::accept()
{
    if (!m_pInterval->confirmInRange() || !m_pMaxHistories->confirmInRange())
        return;
    m_settings.startTime = m_pStartTime->dateTime().toSecsSinceEpoch();
    m_settings.graph = m_pGraph->isChecked();
    m_settings.graphMode = m_pModes[MonitorGraphValue]->isChecked()          ? MonitorGraphValue
                           : m_pModes[MonitorGraphDeltaFromInitial]->isChecked() ? MonitorGraphDeltaFromInitial
                                                                                 : MonitorGraphDelta;
    m_settings.maxHistories = quint32(m_pMaxHistories->value());
    // Checked with an empty name: the monitor runs without a file.
    const QString fileName = m_pFileName->text();
    m_settings.save = m_pSave->isChecked() && !fileName.isEmpty();
    m_settings.fileName = m_settings.save ? fileName : QString();
    // A typed text that names no entry has no end.
    const int entry = m_pDuration->findText(m_pDuration->currentText(), Qt::MatchFixedString);
    m_settings.duration = entry >= 0 ? kDurations[size_t(entry)] : 0;
    m_settings.pollingInterval = quint32(m_pInterval->value());
    QDialog::accept();
}
