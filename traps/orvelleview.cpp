#include "orvelleview.h"

#include "datafolder.h"
#include "mibmodulesdlg.h"

#include "celltip.h"
#include "deviceprofilestore.h"
#include "devicesdialog.h"
#include "i18n.h"
#include "keychainsecretstore.h"
#include "localecodec.h"
#include "messagebox.h"
#include "mibwalkdlg.h"
#include "snmpsetdlg.h"
#include "trapaction.h"
#include "trapfilter.h"
#include "trapfilterbar.h"
#include "trapforwarder.h"
#include "trapreceiver.h"
#include "xmlread.h"

#include <QDir>
#include <QFile>
#include <QDateTime>
#include <QFileDialog>
#include <QTimer>
#include <QHeaderView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <cstdio>

namespace {
// The trap service's message number towards the view; records travel by a
// queued signal, the number only names the conversation.
constexpr int WM_TRAP_RECORD = 0x402;
} // namespace

COrvelleView::COrvelleView(QWidget *parent)
    : QTableView(parent)
    , m_model(new TrapListModel(this))
    , m_pActions(new CTrapActionRunner(this))
{
    m_filterModel = new TrapListModel(this);
    m_filterBar = new TrapFilterBar(this);
    connect(m_filterBar, &TrapFilterBar::queryChanged, this, &COrvelleView::applyQuery);
    connect(m_filterBar, &TrapFilterBar::closed, this, &COrvelleView::showEveryTrap);
    setModel(m_model);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    // Uniform rows keep scrolling cheap with 100,000 rows.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSortIndicatorShown(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setMaxRows(m_nMaxRows);
    // A translated heading wider than its column gets the room it needs.
    const qreal scale = logicalDpiX() / 96.0;
    for (int column = 0; column < TrapListModel::ColumnCount; ++column) {
        const int wanted = qRound(kColumnWidths[column] * scale);
        const int heading = horizontalHeader()->sectionSizeHint(column);
        setColumnWidth(column, qMax(wanted, heading));
    }
    // the whole time stamp fits at the default width (a wide one: two-digit
    // day, month and hour)
    const QString widest = TrapListModel::timeText(QDateTime(QDate(2026, 12, 28), QTime(23, 58, 58)).toSecsSinceEpoch());
    QFont bold = font();
    bold.setBold(true);
    setColumnWidth(TrapListModel::ColDateTime,
                   qMax(columnWidth(TrapListModel::ColDateTime), QFontMetrics(bold).horizontalAdvance(widest) + 16));
    m_nColumns = TrapListModel::ColumnCount;

    //: Font family of the empty-list hint
    m_fontHint = QFont(tr("Verdana"));
    m_fontHint.setPixelSize(14);
    m_fontHint.setBold(true);

    // The cell tip follows the mouse without a button pressed.
    viewport()->setMouseTracking(true);
    viewport()->installEventFilter(this);
    horizontalHeader()->setMouseTracking(true);
    horizontalHeader()->installEventFilter(this);

    for (TrapListModel *model : {m_model, m_filterModel}) {
        connect(model, &TrapListModel::rowsFlushed, this, &COrvelleView::scrollToNewRows);
        // The hint disappears with the first row and comes back with New.
        connect(model, &QAbstractItemModel::rowsInserted, viewport(), qOverload<>(&QWidget::update));
        connect(model, &QAbstractItemModel::modelReset, viewport(), qOverload<>(&QWidget::update));
        connect(model, &QAbstractItemModel::rowsRemoved, viewport(), qOverload<>(&QWidget::update));
    }
    connect(m_pActions, &CTrapActionRunner::statusChanged, this, &COrvelleView::actionStatusChanged);

    m_statisticsTimer.setInterval(kStatisticsIntervalMs);
    connect(&m_statisticsTimer, &QTimer::timeout, this, &COrvelleView::publishStatistics);

    // Reading the settings is quick; secrets are read only when a profile
    // is used.
    m_secretStore = new KeychainSecretStore(this);
    m_deviceProfiles = new DeviceProfileStore(m_secretStore, this);
    m_deviceProfiles->load();
}

COrvelleView::~COrvelleView()
{
    // The walk dialog's session goes first; then the service is switched
    // off and the stack shut down, before the reader they use goes away.
    delete m_pMibWalkDlg;
    m_pMibWalkDlg = nullptr;
    delete m_pTrapReceiver;
    m_pTrapReceiver = nullptr;
    // what is queued for the journal is committed before the program ends
    delete m_journal;
    m_journal = nullptr;
    m_balloon.HideTip();
}

void COrvelleView::warnAfterStart(const QString &logged, const QString &shown)
{
    std::fprintf(stderr, "orvelle: %s\n", qPrintable(logged));
    // after start-up, so that the main window is there to hold it
    QTimer::singleShot(0, this, [this, shown] { showMessage(shown); });
}

void COrvelleView::showMessage(const QString &text)
{
    MessageBox::show(this, text);
}

bool COrvelleView::OnCreate()
{
    auto *receiver = new CTrapReceiver(this);
    if (receiver->Create(this, &m_settings, WM_TRAP_RECORD) != CTrapReceiver::CreateOk) {
        delete receiver;
        std::fprintf(stderr, "orvelle: the SNMP stack could not be started\n");
        showMessage(tr("Unable to initialize WinSNMP"));
        return false;
    }
    m_pTrapReceiver = receiver;
    receiver->followDeviceProfiles(m_deviceProfiles); // SNMPv3 trap users: the device profiles' users
    // Queued, as a posted message: the list changes only after the
    // service's own handling has returned.
    connect(m_pTrapReceiver, &CTrapReceiver::trapRecord, this, &COrvelleView::OnTrapRecord, Qt::QueuedConnection);
    connect(m_pTrapReceiver, &CTrapReceiver::failureMessage, this, &COrvelleView::showMessage);


    auto reader = std::make_unique<CXMLRead>();
    QString failedFile, reason, warning;
    if (!loadDataFiles(*reader, m_settings, &failedFile, &reason, &warning)) {
        std::fprintf(stderr, "orvelle: %s\n", qPrintable(reason));
        QMessageBox box(QMessageBox::Critical, tr("Orvelle"), dataLoadErrorMessage(failedFile), QMessageBox::Ok, this);
        box.exec();
        return false;
    }
    m_pReader = std::move(reader);
    m_pTrapReceiver->setReader(m_pReader.get());
    if (!warning.isEmpty()) {
        warnAfterStart(warning, warning);
    }
    setMaxRows(m_settings.config.nMaxRows);
    openJournal();
    if (!m_settings.config.forward.host.isEmpty())
        m_forwarder = new TrapForwarder(m_settings.config.forward, this);

    // Created once, hidden, and kept for the whole run; a top-level window
    // of its own, as the walk runs beside the trap list.
    m_pMibWalkDlg = new CMibWalkDlg(nullptr);
    m_pMibWalkDlg->m_pReader = m_pReader.get();
    m_pMibWalkDlg->m_pSettings = &m_settings;
    m_pMibWalkDlg->m_pDevices = &m_lstDevices;
    m_pMibWalkDlg->setDeviceProfiles(m_deviceProfiles);
    m_pMibWalkDlg->Create();

    return true;
}

void COrvelleView::setMaxRows(quint32 maxRows)
{
    m_nMaxRows = maxRows;
    m_model->setMaxRows(maxRows);
    m_filterModel->setMaxRows(maxRows);
}

void COrvelleView::openJournal()
{
    const JournalConfig &config = m_settings.config.journal;
    if (!config.enabled)
        return;
    TrapJournal::Options options;
    options.path = config.path.isEmpty() ? TrapJournal::defaultPath() : QDir::cleanPath(config.path);
    options.retentionDays = config.retentionDays;
    options.maxBytes = quint64(config.maxSizeMiB) * 1024 * 1024;
    auto *journal = new TrapJournal(this);
    QString error;
    if (!journal->open(options, &error)) {
        delete journal;
        // the list works without it
        warnAfterStart(error, tr("%1\n\nTraps are listed but not kept after the program ends, and the filter bar "
                                 "searches only the list.").arg(error));
        return;
    }
    m_journal = journal;
    connect(m_journal, &TrapJournal::searchFinished, this, &COrvelleView::onSearchFinished, Qt::QueuedConnection);
    connect(m_journal, &TrapJournal::failed, this, [this](const QString &message) {
        std::fprintf(stderr, "orvelle: %s\n", qPrintable(message));
        showMessage(message);
    }, Qt::QueuedConnection);
    // The list starts where the last run ended.
    for (const tagTRAPRECORD &record : m_journal->newest(m_nMaxRows))
        m_model->appendTrap(record);
    m_model->flush();
}

void COrvelleView::OnInitialUpdate(bool serviceMode)
{
    setDocumentTitle(tr("Orvelle - Trap receive service is not running"));
    m_balloon.Create(this);
    m_balloon.AddTool(this, QString());
    if (serviceMode) {
        OnStartStop();
        OnShowHideMain();
    }
}

void COrvelleView::setDocumentTitle(const QString &title)
{
    m_documentTitle = title;
    emit documentTitleChanged(title);
}

void COrvelleView::OnStartStop()
{
    if (m_pTrapReceiver) {
        const bool on = !m_bRunning;
        const int result = m_pTrapReceiver->EnableService(on);
        // The state follows what the service really does: a port that could
        // not be opened leaves everything showing "not running" (the service
        // has told the user why).
        const bool receiving = on ? (result != 0 || m_pTrapReceiver->isReceiving()) : m_pTrapReceiver->isReceiving();
        if (receiving != m_bRunning) {
            m_bRunning = receiving;
            setDocumentTitle(m_bRunning ? tr("Orvelle - Trap receive service is running")
                                        : tr("Orvelle - Trap receive service is not running"));
            emit serviceStateChanged(m_bRunning);
        }
        if (m_bRunning)
            m_statisticsTimer.start();
        else
            m_statisticsTimer.stop();
        publishStatistics();
    }
    viewport()->update();
}

void COrvelleView::publishStatistics()
{
    if (!m_pTrapReceiver || !m_bRunning) {
        emit trapStatisticsChanged(false, 0, 0);
        return;
    }
    const SnmpTrapStatistics stats = m_pTrapReceiver->trapStatistics();
    emit trapStatisticsChanged(true, stats.delivered, stats.dropped());
}

void COrvelleView::OnNew()
{
    // The journal keeps what New takes off the list.
    m_model->clear();
    m_filterModel->clear();
    m_nTipItem = m_nTipColumn = -1;
    m_balloon.HideTip(); // its row is gone
    viewport()->update();
}

void COrvelleView::OnShowHideMain()
{
    m_bMainVisible = !m_bMainVisible;
    emit mainWindowVisibilityRequested(m_bMainVisible);
}

bool COrvelleView::PassesEnterpriseFilter(const tagTRAPRECORD &record) const
{
    return ::PassesEnterpriseFilter(m_settings.config.strEnterpriseFilter, record);
}

void COrvelleView::RunTrapAction(const tagTRAPRECORD &record)
{
    m_pActions->RunTrapAction(m_settings.config.strActionProgram, m_settings.config.strActionArgs, record);
}

void COrvelleView::OnTrapRecord(std::shared_ptr<tagTRAPRECORD> record)
{
    // The tray notes every trap, also one the filter drops.
    emit trapArrived();
    if (!record || !PassesEnterpriseFilter(*record))
        return;
    // before any row, while the record still holds all its variables
    RunTrapAction(*record);
    m_model->appendTrap(*record);
    if (m_filtering && m_query.matches(*record)) {
        m_filterModel->appendTrap(*record);
        ++m_matchCount;
        showMatchCount();
    }
    if (m_forwarder)
        m_forwarder->forward(record);
    if (m_journal)
        m_journal->append(std::move(record));
}

void COrvelleView::onFind()
{
    m_filterBar->open();
}

void COrvelleView::applyQuery(const TrapQuery &query)
{
    if (query.isEmpty()) {
        showEveryTrap();
        return;
    }
    m_query = query;
    if (m_journal) {
        m_searchTicket = m_journal->search(query, m_nMaxRows);
        m_filterBar->setStatus(tr("Searching\u2026"));
        return;
    }
    // Without a journal the list itself is searched.
    auto matches = std::make_shared<TrapRecords>();
    m_model->flush();
    for (tagTRAPRECORD &record : m_model->records()) {
        if (query.matches(record))
            matches->push_back(std::move(record));
    }
    m_searchTicket = 0;
    onSearchFinished(0, std::move(matches), false);
}

void COrvelleView::onSearchFinished(quint64 ticket, std::shared_ptr<const TrapRecords> matches, bool truncated)
{
    if (ticket != m_searchTicket || !m_filterBar->isVisible() || !matches)
        return;
    m_filterModel->clear();
    for (const tagTRAPRECORD &record : *matches)
        m_filterModel->appendTrap(record);
    m_filterModel->flush();
    m_matchCount = int(matches->size());
    m_matchesTruncated = truncated;
    showMatchCount();
    m_filtering = true;
    showModel(m_filterModel);
}

void COrvelleView::showMatchCount()
{
    m_filterBar->setStatus(m_matchCount == 0 ? tr("No trap matches")
                           : m_matchesTruncated ? tr("Matching traps: the newest %L1").arg(m_matchCount)
                                                : tr("Matching traps: %L1").arg(m_matchCount));
}

void COrvelleView::showEveryTrap()
{
    m_filtering = false;
    m_query = {};
    ++m_searchTicket; // a search still running is of no use now
    m_filterBar->setStatus(QString());
    showModel(m_model);
    m_filterModel->clear();
}

void COrvelleView::showModel(TrapListModel *model)
{
    if (this->model() == model)
        return;
    // the user's column widths stay as they are
    const QByteArray columns = horizontalHeader()->saveState();
    setModel(model);
    horizontalHeader()->restoreState(columns);
    m_nTipItem = m_nTipColumn = -1;
    m_balloon.HideTip();
    scrollToBottom();
    viewport()->update();
}

void COrvelleView::scrollToNewRows()
{
    // Follow the newest trap only while the user is looking at the end of
    // the list; someone reading older rows keeps their place.
    QScrollBar *bar = verticalScrollBar();
    if (bar->value() >= bar->maximum() - 1 || shownModel()->rowCount() <= 1)
        scrollToBottom();
}

void COrvelleView::OnMibWalk()
{
    if (!m_pMibWalkDlg)
        return;
    // hide and show again: brings it up wherever it was
    m_pMibWalkDlg->hide();
    m_pMibWalkDlg->show();
    m_pMibWalkDlg->raise();
    m_pMibWalkDlg->activateWindow();
}

void COrvelleView::OnShowMonitoring()
{
    if (m_pMibWalkDlg)
        m_pMibWalkDlg->ShowMonitors();
}

void COrvelleView::OnHideMonitoring()
{
    if (m_pMibWalkDlg)
        m_pMibWalkDlg->HideMonitors();
}

void COrvelleView::OnSnmpSet()
{
    if (!m_pReader)
        return;
    CSnmpSetDlg dialog(m_pReader.get(), &m_settings, &m_lstDevices, nullptr);
    dialog.setDeviceProfiles(m_deviceProfiles);
    dialog.exec();
}

void COrvelleView::OnDevices()
{
    // Profiles the settings file held but that could not be read: said once.
    if (!m_deviceLoadProblemsShown && !m_deviceProfiles->loadProblems().isEmpty()) {
        m_deviceLoadProblemsShown = true;
        showMessage(m_deviceProfiles->loadProblems().join(u'\n'));
    }
    DevicesDialog dialog(m_deviceProfiles, window());
    dialog.exec();
}

void COrvelleView::onMibModules()
{
    if (!m_pReader)
        return;
    MibModulesDialog dialog(m_pReader.get(), DataFolder::dataDir() + QStringLiteral("/MIBTable.xml"), window());
    connect(&dialog, &MibModulesDialog::databaseChanged, this, &COrvelleView::reloadMibDatabase);
    dialog.exec();
}

void COrvelleView::reloadMibDatabase()
{
    if (!m_pReader)
        return;
    QString reason, warning;
    if (!loadMibDatabase(*m_pReader, &reason, &warning))
        showMessage(reason);
    else if (!warning.isEmpty())
        showMessage(warning);
    // whatever held the old document lets go of it now
    m_pTrapReceiver->setReader(m_pReader.get());
    if (m_pMibWalkDlg)
        m_pMibWalkDlg->mibDatabaseChanged();
}

void COrvelleView::OnSaveAs()
{
    QFileDialog dialog(window(), tr("Save data to file"));
    // An open-style dialog that takes new names: no overwrite question, the
    // folder must exist.
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setNameFilters(Orvelle::dataFileFilters());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    ExportListToCsv(dialog.selectedFiles().constFirst());
}

QString COrvelleView::csvLine(const QStringList &cells)
{
    QString line;
    for (const QString &cell : cells) {
        if (!line.isEmpty())
            line += u',';
        // a quote inside a cell is doubled, so every line parses as exactly
        // as many fields as the list has columns
        QString text = cell;
        text.replace(u'"', QLatin1String("\"\""));
        line += u'"' + text + u'"';
    }
    return line;
}

bool COrvelleView::ExportListToCsv(const QString &path)
{
    // what is shown: with the filter bar in use, its matches
    TrapListModel *shown = shownModel();
    shown->flush();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        showMessage(tr("File Open error!"));
        return false;
    }
    bool ok = true;
    QStringList cells;
    for (int row = 0; row < shown->rowCount() && ok; ++row) {
        cells.clear();
        for (int column = 0; column < m_nColumns; ++column)
            cells << shown->cellText(row, column);
        const QByteArray bytes = LocaleCodec::fromUnicode(csvLine(cells) + QLatin1String("\r\n"));
        ok = file.write(bytes) == bytes.size();
    }
    if (ok)
        ok = file.flush();
    file.close();
    if (!ok) {
        showMessage(tr("Unable to write the file %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    return true;
}

bool COrvelleView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == viewport() || watched == horizontalHeader()) {
        switch (event->type()) {
        case QEvent::MouseMove:
            updateCellTip(static_cast<QMouseEvent *>(event), static_cast<QWidget *>(watched));
            break;
        case QEvent::MouseButtonPress:
            // a click means the user is done reading the tip
            m_balloon.RelayEvent(event);
            break;
        case QEvent::Leave:
            // no move arrives once the pointer has left the list sideways
            m_nTipItem = m_nTipColumn = -1;
            m_balloon.HideTip();
            break;
        default:
            break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void COrvelleView::updateCellTip(QMouseEvent *event, QWidget *source)
{
    // through the screen: the header is the viewport's sibling, not its parent
    const QPoint inViewport = viewport()->mapFromGlobal(source->mapToGlobal(event->position().toPoint()));
    // Over the header there is no row: the tip goes.
    const int row = source == viewport() ? rowAt(inViewport.y()) : -1;
    const int column = row >= 0 ? CellTipColumnAt(this, inViewport.x()) : -1;
    if (row < 0 || column < 0) {
        m_nTipItem = m_nTipColumn = -1;
        m_balloon.HideTip();
        return;
    }
    if (row != m_nTipItem || column != m_nTipColumn) {
        const QString text = shownModel()->cellTip(row, column);
        // an empty cell keeps the text of the last one
        if (!text.isEmpty()) {
            m_nTipItem = row;
            m_nTipColumn = column;
            m_balloon.UpdateTipText(this, QString(), text);
        }
    }
    m_balloon.RelayEvent(event);
}

void COrvelleView::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    if (m_model->rowCount() != 0 || m_bRunning || m_filtering)
        return;

    QPainter painter(viewport());
    QRect rect = viewport()->rect();
    rect.setTop(rect.top() + kHintTopMargin);
    painter.fillRect(rect, palette().color(QPalette::Base));
    painter.setFont(m_fontHint);
    painter.setPen(palette().color(QPalette::Text));
    QString hint = tr("To start or Stop the Trap receive service, select Start/Stop from Tool Menu.\r\n");
    hint.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    painter.drawText(rect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, hint.trimmed());
}
