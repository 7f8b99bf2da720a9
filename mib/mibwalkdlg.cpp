#include "mibwalkdlg.h"

#include "appsettings.h"
#include "deviceprofilestore.h"
#include "profileuse.h"
#include "monitorsettingsdlg.h"
#include "monitorwnd.h"
#include "oidcombobox.h"
#include "reportlistctrl.h"
#include "snmprender.h"
#include "snmpstack.h"
#include "snmpwalker.h"
#include "walklog.h"
#include "xmlread.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>

#include <algorithm>
#include <limits>

namespace {

const QString kDefaultOid = QStringLiteral("1.3.6.1.");
const QString kDefaultCommunity = QStringLiteral("daveza");
const QString kBuiltInDevice = QStringLiteral("127.0.0.1");
const QString kBuiltInDeviceSecond = QStringLiteral("localhost");

constexpr int kInitialWidth = 820;
constexpr int kInitialHeight = 520;
constexpr int kFieldsMargin = 8;  // around the fields, left and top
constexpr int kButtonSpacing = 6; // between the stacked buttons
constexpr int kMinButtonWidth = 96;
constexpr int kListTopGap = 8;    // between the fields and the list
constexpr int kDropDownHeight = 300;
constexpr int kMsPerSecond = 1000;
// "Show monitoring data" stacks the windows down the screen; a column that
// runs off the bottom starts again this much further right.
constexpr int kMonitorCascadeStep = 40;
// Every other row (by rows added since the run started) is shaded.
const QColor kShadeColor(240, 240, 240);

struct ColumnSpec
{
    const char *heading;
    Qt::Alignment alignment;
    int width;
};

// The result list's columns, in order (both name columns are headed "oid").
const ColumnSpec kColumns[CMibWalkDlg::ColumnCount] = {
    {QT_TRANSLATE_NOOP("CMibWalkDlg", "oid"), Qt::AlignLeft, 160},
    {QT_TRANSLATE_NOOP("CMibWalkDlg", "oid"), Qt::AlignLeft, 160},
    {QT_TRANSLATE_NOOP("CMibWalkDlg", "Syntax"), Qt::AlignHCenter, 60},
    {QT_TRANSLATE_NOOP("CMibWalkDlg", "value"), Qt::AlignLeft, 320},
    {QT_TRANSLATE_NOOP("CMibWalkDlg", "Description"), Qt::AlignLeft, 620},
};

} // namespace

CMibWalkDlg::CMibWalkDlg(QWidget *parent)
    : QDialog(parent), m_strOid(kDefaultOid), m_strCommunity(kDefaultCommunity)
{
    m_pWalker = new SnmpWalker(this);
    connect(m_pWalker, &SnmpWalker::requestSent, this,
            [this](SnmpNotifyCode kind, const SnmpOid &oid) { WriteLog(OidToText(oid), kind); });
    connect(m_pWalker, &SnmpWalker::variablesReceived, this, &CMibWalkDlg::onVariables);
    connect(m_pWalker, &SnmpWalker::emptyAnswer, this, &CMibWalkDlg::AddNoDataRow);
    connect(m_pWalker, &SnmpWalker::finished, this, &CMibWalkDlg::onWalkFinished);
    m_listRepaint.setSingleShot(true);
    m_listRepaint.setInterval(kListRepaintMs);
    connect(&m_listRepaint, &QTimer::timeout, this, [this] { m_pList->setUpdatesEnabled(true); });
}

CMibWalkDlg::~CMibWalkDlg()
{
    for (CMonitorWnd *monitor : m_lstMonitors)
        delete monitor;
    m_lstMonitors.clear();
    // no finished() into a half-destroyed dialog
    disconnect(m_pWalker, nullptr, this, nullptr);
    m_pWalker->stop();
    m_pLogFile.reset();
    if (m_pList)
        ClearResults();
}

bool CMibWalkDlg::Create()
{
    if (m_bCreated)
        return true;
    m_bCreated = true;
    buildControls();

    // The list's cell tip: the full text of the cell under the pointer.
    m_balloon.Create(this);
    m_balloon.AddTool(m_pList, QString());
    //: Font face of the result list's cell tips.
    m_balloon.SetTipFont(tr("Verdana"), 12, 0, false, false);
    m_pList->SetBalloon(&m_balloon);

    for (int i = 0; i < ColumnCount; ++i)
        m_pList->InsertColumn(i, tr(kColumns[i].heading), kColumns[i].alignment, kColumns[i].width);

    if (!SnmpIsStarted())
        showMessage(tr("WinSNMP SNMP Open error!"));

    m_pOidField->CreateDropDown(0, kDropDownHeight, m_pReader ? m_pReader->getMIBTable() : nullptr);
    m_pOidField->setEditText(m_strOid);
    connect(m_pOidField, &COidComboBox::oidSelected, this, &CMibWalkDlg::OnOidSelected);

    const DeviceList known = devices();
    for (const tagDEVICE &device : known)
        AddDevice(device.strName, device.strSecond);
    AddDevice(kBuiltInDevice, kBuiltInDeviceSecond);
    addProfileNames();
    m_pDeviceCombo->setCurrentIndex(0);
    connect(m_pDeviceCombo, &QComboBox::currentTextChanged, this, &CMibWalkDlg::showCredentialsFor);
    if (m_profiles)
        connect(m_profiles, &DeviceProfileStore::changed, this, [this] {
            addProfileNames();
            showCredentialsFor(m_pDeviceCombo->currentText());
        });
    showCredentialsFor(m_pDeviceCombo->currentText());

    m_pContextMenu = new QMenu(this);
    QAction *monitoring = m_pContextMenu->addAction(tr("&Object Monitoring"));
    connect(monitoring, &QAction::triggered, this, &CMibWalkDlg::OnObjectMonitoring);

    layoutControls();
    return true;
}

void CMibWalkDlg::buildControls()
{
    setWindowTitle(tr("MIB WALK"));
    setSizeGripEnabled(true);
    setMinimumSize(kMinWidth, kMinHeight);
    resize(kInitialWidth, kInitialHeight);

    m_pFields = new QWidget(this);
    auto *grid = new QGridLayout(m_pFields);
    grid->setContentsMargins(0, 0, 0, 0);

    m_pDeviceCombo = new QComboBox(m_pFields);
    m_pDeviceCombo->setEditable(true);
    // Devices join the list through AddDevice only, in sorted order.
    m_pDeviceCombo->setInsertPolicy(QComboBox::NoInsert);
    m_pDeviceCombo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    m_pCommunityEdit = new QLineEdit(m_strCommunity, m_pFields);
    m_pCommunityEdit->setEchoMode(QLineEdit::Password);

    m_pOidField = new COidComboBox(m_pFields);
    if (!m_pOidField->isEditable())
        m_pOidField->setEditable(true);
    m_pOidField->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    m_pTimeoutSpin = new RangeSpinBox(m_pFields);
    m_pTimeoutSpin->setRange(kMinTimeoutSec, kMaxTimeoutSec);
    m_pTimeoutSpin->setValue(m_nTimeout);
    m_pLogCountSpin = new RangeSpinBox(m_pFields);
    m_pLogCountSpin->setRange(kMinLogCount, kMaxLogCount);
    m_pLogCountSpin->setValue(m_nLogCount);

    m_pLogCheck = new QCheckBox(tr("Generate &Log file"), m_pFields);

    auto label = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, m_pFields);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label(tr("&Device:"), m_pDeviceCombo), 0, 0);
    grid->addWidget(m_pDeviceCombo, 0, 1);
    m_communityLabel = label(tr("Co&mmunity String:"), m_pCommunityEdit);
    grid->addWidget(m_communityLabel, 0, 2);
    grid->addWidget(m_pCommunityEdit, 0, 3);
    m_v3Summary = new QLabel(m_pFields);
    m_v3Summary->hide();
    grid->addWidget(m_v3Summary, 0, 2, 1, 2);
    grid->addWidget(label(tr("&OID:"), m_pOidField), 1, 0);
    grid->addWidget(m_pOidField, 1, 1, 1, 3);
    grid->addWidget(label(tr("&Timeout (seconds):"), m_pTimeoutSpin), 2, 0);
    grid->addWidget(m_pTimeoutSpin, 2, 1, Qt::AlignLeft);
    grid->addWidget(label(tr("Log co&unt:"), m_pLogCountSpin), 2, 2);
    grid->addWidget(m_pLogCountSpin, 2, 3, Qt::AlignLeft);
    grid->addWidget(m_pLogCheck, 3, 0, 1, 4);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 1);

    m_pGetNextButton = new QPushButton(tr("Get &Next"), this);
    m_pGetNextButton->setDefault(true);
    m_pGetButton = new QPushButton(tr("&Get"), this);
    m_pCloseButton = new QPushButton(tr("&Close"), this);
    connect(m_pGetNextButton, &QPushButton::clicked, this, &CMibWalkDlg::OnGetNext);
    connect(m_pGetButton, &QPushButton::clicked, this, &CMibWalkDlg::OnGet);
    connect(m_pCloseButton, &QPushButton::clicked, this, &CMibWalkDlg::OnClose);

    // The buttons keep one size, wide enough for "Get &Next" and "Sto&p".
    QFontMetrics metrics(m_pGetNextButton->font());
    int width = kMinButtonWidth;
    for (const QString &text : {tr("Get &Next"), tr("Sto&p"), tr("&Get"), tr("&Close")})
        width = qMax(width, metrics.horizontalAdvance(text) + 2 * metrics.averageCharWidth() + 16);
    const int height = m_pGetNextButton->sizeHint().height();
    int y = kFieldsMargin;
    for (QPushButton *button : {m_pGetNextButton, m_pGetButton, m_pCloseButton}) {
        button->setGeometry(kInitialWidth - kButtonRightMargin - width, y, width, height);
        y += height + kButtonSpacing;
    }

    m_pList = new CReportListCtrl(this);
    m_pList->setShowGrid(true);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    // several rows can be chosen for monitoring
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pList->EnableCellTips(nullptr, 0);
    m_pList->viewport()->installEventFilter(this);

    const int fieldsWidth = kInitialWidth - kButtonRightMargin - width - 2 * kFieldsMargin;
    const int fieldsHeight = m_pFields->sizeHint().height();
    m_pFields->setGeometry(kFieldsMargin, kFieldsMargin, fieldsWidth, fieldsHeight);
    const int listTop = qMax(kFieldsMargin + fieldsHeight, y - kButtonSpacing) + kListTopGap;
    m_pList->setGeometry(kListSideMargin, listTop, kInitialWidth - 2 * kListSideMargin,
                         kInitialHeight - kListBottomMargin - listTop);
}

void CMibWalkDlg::layoutControls()
{
    if (!m_pGetNextButton)
        return;
    const int width = this->width();
    const int height = this->height();
    int buttonsLeft = width;
    for (QPushButton *button : {m_pGetNextButton, m_pGetButton, m_pCloseButton}) {
        QRect r = button->geometry();
        r.moveRight(width - kButtonRightMargin - 1);
        button->setGeometry(r);
        buttonsLeft = qMin(buttonsLeft, r.left());
    }
    QRect fields = m_pFields->geometry();
    fields.setRight(buttonsLeft - kFieldsMargin - 1);
    m_pFields->setGeometry(fields);
    QRect list = m_pList->geometry();
    list.setLeft(kListSideMargin);
    list.setRight(width - kListSideMargin - 1);
    list.setBottom(height - kListBottomMargin - 1);
    m_pList->setGeometry(list);
}

void CMibWalkDlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    layoutControls();
}

DeviceList &CMibWalkDlg::devices()
{
    return m_pDevices ? *m_pDevices : m_ownDevices;
}

void CMibWalkDlg::AddDevice(const QString &name, const QString &second)
{
    // a profile's name is the profile's, not a typed device of this run
    if (!profileNamed(name))
        ::AddDevice(devices(), name, second);
    insertDeviceItem(name);
}

void CMibWalkDlg::addProfileNames()
{
    if (!m_profiles)
        return;
    for (const QString &name : m_profiles->names())
        insertDeviceItem(name);
}

std::optional<DeviceProfile> CMibWalkDlg::profileNamed(const QString &device) const
{
    return m_profiles ? m_profiles->profile(device) : std::nullopt;
}

void CMibWalkDlg::showCredentialsFor(const QString &device)
{
    const std::optional<DeviceProfile> profile = profileNamed(device);
    const bool v3 = profile && profile->target.version == SNMP_VERSION_V3;
    if (profile && m_pCommunityEdit->isEnabled()) {
        m_typedCommunity = m_pCommunityEdit->text();
        m_pCommunityEdit->clear();
    } else if (!profile && !m_pCommunityEdit->isEnabled()) {
        m_pCommunityEdit->setText(m_typedCommunity);
    }
    // a profile brings its own community: the field only says so
    m_pCommunityEdit->setEnabled(!profile);
    m_pCommunityEdit->setPlaceholderText(profile ? tr("from the profile") : QString());
    m_communityLabel->setVisible(!v3);
    m_pCommunityEdit->setVisible(!v3);
    m_v3Summary->setVisible(v3);
    if (v3)
        m_v3Summary->setText(tr("SNMPv3 user %1 (%2)")
                                 .arg(profile->target.usm.userName, snmpSecurityLevelName(profile->target.usm.level)));
}

void CMibWalkDlg::insertDeviceItem(const QString &name)
{
    // The combo box may lack a name the list has (the list is the view's and
    // was filled before this dialog existed).
    if (m_pDeviceCombo->findText(name, Qt::MatchFixedString) >= 0)
        return;
    // Sorted without regard to case; inserting must not change what the
    // user typed into the field.
    const QString typed = m_pDeviceCombo->currentText();
    int at = 0;
    while (at < m_pDeviceCombo->count() && m_pDeviceCombo->itemText(at).compare(name, Qt::CaseInsensitive) <= 0)
        ++at;
    const bool hadItems = m_pDeviceCombo->count() > 0;
    m_pDeviceCombo->insertItem(at, name);
    if (hadItems)
        m_pDeviceCombo->setEditText(typed);
}

bool CMibWalkDlg::UpdateData()
{
    if (!m_pTimeoutSpin->confirmInRange() || !m_pLogCountSpin->confirmInRange())
        return false;
    // the request and the subtree test both read this text
    m_strOid = m_pOidField->currentText().trimmed();
    m_strCommunity = m_pCommunityEdit->text();
    m_nTimeout = m_pTimeoutSpin->value();
    m_nLogCount = m_pLogCountSpin->value();
    return true;
}

void CMibWalkDlg::setCaption(const QString &device, bool paused)
{
    setWindowTitle(paused ? tr("MIB WALK %1 - Pause").arg(device) : tr("MIB WALK %1").arg(device));
}

void CMibWalkDlg::OnGetNext()
{
    // While busy the button reads "Stop": it ends the walk, and also a
    // single Get (which would otherwise start a walk beside the outstanding
    // request), whatever the fields hold by now.
    if (m_bBusy) {
        m_pWalker->stop();
        setCaption(m_strDevice, false);
        return;
    }
    startRequest(true);
}

void CMibWalkDlg::OnGet()
{
    if (m_bBusy)
        return; // the button is disabled meanwhile
    startRequest(false);
}

void CMibWalkDlg::startRequest(bool walk)
{
    if (!UpdateData())
        return;
    m_strStartOid = m_strOid;
    const QString device = m_pDeviceCombo->currentText();
    if (!device.isEmpty())
        AddDevice(device, QString());
    if (walk)
        setCaption(device, false);
    else
        ClearResults();
    if (!requestFieldsFilled(device))
        return;

    m_strDevice = device;
    ClearResults();
    m_nRowCounter = 0;
    SnmpWalker::Options options;
    options.timeoutMs = m_nTimeout * kMsPerSecond;
    options.nextRequestDelayMs = m_nextRequestDelayMs;
    if (profileNamed(device)) {
        // the profile's secrets may have to be read, or asked for, first
        useDeviceProfile(m_profiles, device.trimmed(), this, [this, walk, options](const DeviceProfile &profile) {
            if (m_bBusy)
                return;
            SnmpWalker::Options patience = options;
            patience.timeoutMs = profile.timeoutSec * kMsPerSecond;
            patience.retries = profile.retries;
            patience.maxRepetitions = profile.maxRepetitions;
            m_activeProfile = profile;
            m_textEncoding = profile.textEncoding;
            startWith(walk, profile.readTarget(), patience);
        });
        return;
    }
    m_activeProfile.reset();
    m_textEncoding.clear();
    startWith(walk, targetFromFields(device), options);
}

void CMibWalkDlg::startWith(bool walk, const SnmpTarget &target, const SnmpWalker::Options &options)
{
    // busy before the walker starts: a failure to start ends the run at once
    SetBusy(true);
    if (walk)
        m_pWalker->walk(target, m_strStartOid, options);
    else
        m_pWalker->get(target, m_strStartOid, options);
}

bool CMibWalkDlg::requestFieldsFilled(const QString &device)
{
    if (device.isEmpty()) {
        showMessage(tr("Please enter device name or IP address."));
        return false;
    }
    if (m_strStartOid.isEmpty()) {
        showMessage(tr("Please enter request OID."));
        return false;
    }
    return true;
}

SnmpTarget CMibWalkDlg::targetFromFields(const QString &device) const
{
    SnmpTarget target;
    target.host = device;
    target.community = m_strCommunity;
    return target;
}

void CMibWalkDlg::onVariables(const SnmpVarList &variables)
{
    AddResultRows(variables);
}

void CMibWalkDlg::onWalkFinished(SnmpWalker::End end, const QString &message)
{
    if (m_listRepaint.isActive()) {
        m_listRepaint.stop();
        m_pList->setUpdatesEnabled(true);
    }
    if (!m_bBusy)
        return;
    if (end != SnmpWalker::End::Stopped && !message.isEmpty()) {
        EndWithMessage(message);
        return;
    }
    SetBusy(false);
}

void CMibWalkDlg::OnClose()
{
    ClearResults();
    hide();
}

void CMibWalkDlg::SetBusy(bool busy)
{
    m_bBusy = busy;
    if (busy) {
        m_pGetNextButton->setText(tr("Sto&p"));
        m_pGetButton->setEnabled(false);
        m_pCloseButton->setEnabled(false);
        if (m_pLogCheck->isChecked()) {
            m_pLogFile = std::make_unique<CWalkLog>();
            if (!m_pLogFile->Open()) {
                m_pLogFile.reset();
                // the request goes on without a log
                showMessage(tr("Log file open error! file:%1").arg(CWalkLog::fileName()));
            }
        }
    } else {
        m_pGetNextButton->setText(tr("Get &Next"));
        m_pGetNextButton->setEnabled(true);
        m_pGetButton->setEnabled(true);
        m_pCloseButton->setEnabled(true);
        m_pLogFile.reset();
    }
}

void CMibWalkDlg::EndWithMessage(const QString &text)
{
    WriteLog(text, SNMPN_RECEIVED);
    // Idle before the message box: its event loop must not meet a late
    // answer or a timer of a run that has ended.
    m_pWalker->stop();
    SetBusy(false);
    showMessage(text);
}

void CMibWalkDlg::WriteLog(const QString &text, SnmpNotifyCode kind)
{
    if (m_pLogFile)
        m_pLogFile->WriteLog(text, kind);
}

void CMibWalkDlg::showMessage(const QString &text)
{
    QString body = text;
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(QMessageBox::NoIcon, tr("Orvelle"), body, QMessageBox::Ok, this);
    box.exec();
}

void CMibWalkDlg::AddResultRows(const SnmpVarList &variables)
{
    const QString language = m_pSettings ? m_pSettings->strLanguage : QStringLiteral("en");
    const MibDocument *document = m_pReader ? m_pReader->getMIBTable() : nullptr;
    // A bulk answer lists many rows at once: they enter the list in one
    // insertion, and those the row limit would drop at once never enter.
    const size_t kept = std::min(variables.size(), size_t(std::max(m_nLogCount, 0)));
    const size_t firstKept = variables.size() - kept;
    std::vector<QStringList> rows;
    std::vector<QStringList> tips;
    std::vector<bool> shaded;
    rows.reserve(kept);
    for (size_t i = 0; i < variables.size(); ++i) {
        const SnmpVarBind &variable = variables[i];
        const tagVARBINDTEXT text = TranslateVarBind(document, variable, language, m_textEncoding);
        WriteLog(text.strValue, SNMPN_RECEIVED);
        const bool shade = m_nRowCounter % 2 == 1;
        ++m_nRowCounter;
        if (i < firstKept)
            continue;
        rows.push_back({text.strOid, text.strName, text.strSyntax, text.strValue, text.strDescription});
        // the value as it came, where its convention shows it otherwise
        QStringList tip;
        if (variable.value.syntax == SNMP_SYNTAX_CNTR64)
            tip = QStringList{QString(), QString(), QString(),
                              QStringLiteral("%1 (%2)").arg(text.strValue, Counter64HexText(variable.value.counter64))};
        else if (!text.strRawValue.isEmpty())
            tip = QStringList{QString(), QString(), QString(), QStringLiteral("%1 (%2)").arg(text.strValue, text.strRawValue)};
        tips.push_back(tip);
        shaded.push_back(shade);
    }
    // the rows show at the next repaint, within kListRepaintMs
    if (!m_listRepaint.isActive()) {
        m_pList->setUpdatesEnabled(false);
        m_listRepaint.start();
    }
    const int first = m_pList->appendRows(std::move(rows), std::move(tips));
    for (size_t k = 0; k < shaded.size(); ++k) {
        if (!shaded[k])
            continue;
        // every other row (by rows added since the run started) is shaded
        m_pList->SetRowStyle(first + int(k), CReportListCtrl::RowBackground, false);
        m_pList->SetRowBackground(first + int(k), kShadeColor, false);
    }
    TrimRows();
}

void CMibWalkDlg::mibDatabaseChanged()
{
    const QString typed = m_pOidField->currentText();
    m_pOidField->CreateDropDown(0, kDropDownHeight, m_pReader ? m_pReader->getMIBTable() : nullptr);
    m_pOidField->setEditText(typed);
}

void CMibWalkDlg::AddNoDataRow()
{
    const QString text = tr("No data is available");
    WriteLog(text, SNMPN_RECEIVED);
    const int row = m_pList->InsertItem(m_pList->GetItemCount(), m_pWalker->currentOidText());
    m_pList->SetItem(row, ColName, QString());
    m_pList->SetItem(row, ColValue, text);
    ++m_nRowCounter;
    TrimRows();
}

void CMibWalkDlg::TrimRows()
{
    m_pList->deleteFirstRows(m_pList->GetItemCount() - m_nLogCount);
}

void CMibWalkDlg::ClearResults()
{
    while (m_pList->GetItemCount() > 0)
        m_pList->DeleteItem(0);
}

void CMibWalkDlg::OnOidSelected(const OidTreeItem *item)
{
    if (!item)
        return;
    m_strOid = item->strOid;
    m_pOidField->setEditText(m_strOid);
}

bool CMibWalkDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (m_pList && watched == m_pList->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton)
                OnListClick();
            break;
        }
        case QEvent::MouseButtonDblClick: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton)
                OnListDoubleClick(mouse->position().toPoint());
            break;
        }
        case QEvent::ContextMenu: {
            const auto *menu = static_cast<QContextMenuEvent *>(event);
            OnListRightClick(menu->pos(), menu->globalPos());
            return true;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CMibWalkDlg::OnListClick()
{
    if (!m_pWalker->isWalking())
        return;
    if (m_pWalker->isPaused()) {
        m_pWalker->resume();
        setCaption(m_pDeviceCombo->currentText(), false);
    } else {
        m_pWalker->pause();
        setCaption(m_pDeviceCombo->currentText(), true);
    }
}

void CMibWalkDlg::OnListDoubleClick(const QPoint &position)
{
    const QModelIndex index = m_pList->indexAt(position);
    if (!index.isValid())
        return;
    m_pOidField->setEditText(m_pList->GetItemText(index.row(), ColOid).left(kMaxCopiedOidChars));
}

void CMibWalkDlg::OnListRightClick(const QPoint &position, const QPoint &globalPosition)
{
    if (!m_pList->indexAt(position).isValid())
        return;
    m_pContextMenu->exec(globalPosition);
}

void CMibWalkDlg::OnObjectMonitoring()
{
    if (!UpdateData())
        return;
    QStringList oids;
    for (int row : m_pList->selectedRows())
        oids << m_pList->GetItemText(row, ColOid);
    if (oids.isEmpty())
        return;

    CMonitorSettingsDlg settings(this);
    settings.m_settings.timeout = quint32(m_nTimeout);
    settings.m_settings.oidList = oids.join(QLatin1String("\r\n"));
    settings.m_settings.device = m_pDeviceCombo->currentText();
    settings.m_settings.community = m_pCommunityEdit->text();
    // rows of a profile's walk are polled through the same profile
    if (m_activeProfile && m_activeProfile->name.compare(settings.m_settings.device.trimmed(), Qt::CaseInsensitive) == 0) {
        settings.m_settings.target = m_activeProfile->readTarget();
        settings.m_settings.textEncoding = m_activeProfile->textEncoding;
        settings.m_settings.timeout = quint32(m_activeProfile->timeoutSec);
        settings.m_settings.community.clear();
    }
    if (settings.exec() == QDialog::Accepted)
        StartMonitor(settings.m_settings);
}

CMonitorWnd *CMibWalkDlg::StartMonitor(const MonitorSettings &settings)
{
    auto *monitor = new CMonitorWnd(this);
    monitor->setMibReader(m_pReader);
    connect(monitor, &CMonitorWnd::ownerNotify, this, &CMibWalkDlg::OnMonitorNotify, Qt::QueuedConnection);
    if (!monitor->Create(this, settings)) {
        delete monitor;
        showMessage(tr("Unable to open new window for device object monitoring."));
        return nullptr;
    }
    monitor->show();
    m_lstMonitors.push_back(monitor);
    return monitor;
}

void CMibWalkDlg::OnMonitorNotify(int, CMonitorWnd *window)
{
    // Closed by the user or ended by itself: either way it goes.
    const auto found = std::find(m_lstMonitors.begin(), m_lstMonitors.end(), window);
    if (found == m_lstMonitors.end())
        return;
    m_lstMonitors.erase(found);
    delete window;
}

void CMibWalkDlg::ShowMonitors()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const int screenWidth = area.width();
    int screenHeight = area.height();
    int x = 1;
    int y = 1;
    for (CMonitorWnd *monitor : m_lstMonitors) {
        const QSize size = monitor->size();
        if (y > screenHeight) {
            x += kMonitorCascadeStep;
            y = 0;
        }
        if (x > screenWidth) {
            screenHeight -= kMonitorCascadeStep;
            x = 0;
        }
        monitor->setAttribute(Qt::WA_ShowWithoutActivating);
        monitor->setGeometry(area.x() + x, area.y() + y, size.width(), size.height());
        monitor->show();
        monitor->raise();
        y += size.height();
    }
}

void CMibWalkDlg::HideMonitors()
{
    for (CMonitorWnd *monitor : m_lstMonitors)
        monitor->hide();
}
