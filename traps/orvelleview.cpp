#include "orvelleview.h"

#include "xmlread.h"

#include <QHeaderView>
#include <QMessageBox>
#include <QPainter>
#include <QScrollBar>

#include <cstdio>

COrvelleView::COrvelleView(QWidget *parent)
    : QTableView(parent)
    , m_model(new TrapListModel(this))
{
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
    const qreal scale = logicalDpiX() / 96.0;
    for (int column = 0; column < TrapListModel::ColumnCount; ++column)
        setColumnWidth(column, qRound(kColumnWidths[column] * scale));
    setMaxRows(m_nMaxRows);

    //: Font family of the empty-list hint
    m_fontHint = QFont(tr("Verdana"));
    m_fontHint.setPixelSize(14);
    m_fontHint.setBold(true);

    connect(m_model, &TrapListModel::rowsFlushed, this, &COrvelleView::scrollToNewRows);
    // The hint disappears with the first row and comes back with New.
    connect(m_model, &QAbstractItemModel::rowsInserted, viewport(), qOverload<>(&QWidget::update));
    connect(m_model, &QAbstractItemModel::modelReset, viewport(), qOverload<>(&QWidget::update));
    connect(m_model, &QAbstractItemModel::rowsRemoved, viewport(), qOverload<>(&QWidget::update));
}

COrvelleView::~COrvelleView() = default;

bool COrvelleView::OnCreate()
{
    auto reader = std::make_unique<CXMLRead>();
    QString failedFile, reason;
    if (!loadDataFiles(*reader, m_settings, &failedFile, &reason)) {
        std::fprintf(stderr, "orvelle: %s\n", qPrintable(reason));
        QMessageBox box(QMessageBox::Critical, tr("Orvelle"), dataLoadErrorMessage(failedFile), QMessageBox::Ok, this);
        box.exec();
        return false;
    }
    m_pReader = std::move(reader);
    setMaxRows(m_settings.config.nMaxRows);
    return true;
}

void COrvelleView::setMaxRows(quint32 maxRows)
{
    m_nMaxRows = maxRows;
    m_model->setMaxRows(maxRows);
}

void COrvelleView::OnInitialUpdate(bool serviceMode)
{
    setDocumentTitle(tr("Orvelle - Trap receive service is not running"));
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
    m_bRunning = !m_bRunning;
    setDocumentTitle(m_bRunning ? tr("Orvelle - Trap receive service is running")
                                : tr("Orvelle - Trap receive service is not running"));
    emit serviceStateChanged(m_bRunning);
    viewport()->update();
}

void COrvelleView::OnNew()
{
    m_model->clear();
    viewport()->update();
}

void COrvelleView::OnShowHideMain()
{
    m_bMainVisible = !m_bMainVisible;
    emit mainWindowVisibilityRequested(m_bMainVisible);
}

void COrvelleView::OnTrapRecord(std::shared_ptr<tagTRAPRECORD> record)
{
    emit trapArrived();
    if (!record)
        return;
    m_model->appendTrap(*record);
}

void COrvelleView::scrollToNewRows()
{
    // Follow the newest trap only while the user is looking at the end of
    // the list; someone reading older rows keeps their place.
    QScrollBar *bar = verticalScrollBar();
    if (bar->value() >= bar->maximum() - 1 || m_model->rowCount() <= 1)
        scrollToBottom();
}

void COrvelleView::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    if (m_model->rowCount() != 0 || m_bRunning)
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
