#include "reportlistctrl.h"

#include "celltip.h"

#include "balloonwnd.h"
#include "reportlistmodel.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// Space above and below a row's text, in pixels.
constexpr int kRowPaddingPx = 6;

// Paints a selected row itself: as an unselected row whose background is the
// highlight colour and whose text is the highlighted-text colour. The style's
// own selection would use the inactive colours while the list has no focus
// and would leave the row's own background showing around the text; painting
// it this way also keeps the row's font (a bold row stays bold).
class ReportRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!(option->state & QStyle::State_Selected))
            return;
        option->state &= ~QStyle::State_Selected;
        option->backgroundBrush = option->palette.brush(QPalette::Active, QPalette::Highlight);
        const QColor text = option->palette.color(QPalette::Active, QPalette::HighlightedText);
        option->palette.setColor(QPalette::Active, QPalette::Text, text);
        option->palette.setColor(QPalette::Inactive, QPalette::Text, text);
    }
};

} // namespace

CReportListCtrl::CReportListCtrl(QWidget *parent)
    : QTableView(parent)
    , m_model(new ReportListModel(this))
{
    setModel(m_model);
    setItemDelegate(new ReportRowDelegate(this));
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSortingEnabled(false);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSortIndicatorShown(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    applyFont();

    // The cell tip follows the pointer without a button pressed.
    viewport()->setMouseTracking(true);

    // The hot cell names a row by its index. Once rows move under it, or its
    // text changes, the index no longer stands for the text the tip holds:
    // forgetting it makes the next move read the cell again.
    connect(m_model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int) { hotRowsMoved(first); });
    connect(m_model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int) { hotRowsMoved(first); });
    connect(m_model, &QAbstractItemModel::columnsInserted, this, &CReportListCtrl::forgetHotCell);
    connect(m_model, &QAbstractItemModel::modelReset, this, &CReportListCtrl::forgetHotCell);
    connect(m_model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
                if (m_hotRow >= topLeft.row() && m_hotRow <= bottomRight.row() && m_hotColumn >= topLeft.column()
                    && m_hotColumn <= bottomRight.column() && (roles.isEmpty() || roles.contains(Qt::DisplayRole)))
                    forgetHotCell();
            });
}

CReportListCtrl::~CReportListCtrl() = default;

int CReportListCtrl::InsertColumn(int index, const QString &heading, Qt::Alignment format, int width)
{
    const int column = m_model->addColumn(index, heading, format);
    if (column >= 0 && width >= 0)
        setColumnWidth(column, width);
    return column;
}

int CReportListCtrl::GetColumnCount() const
{
    return m_model->columnCount();
}

int CReportListCtrl::InsertItem(int row, const QString &text, std::optional<quint32> data)
{
    return m_model->addRow(row, text, data);
}

bool CReportListCtrl::SetItem(int row, int column, const QString &text, std::optional<quint32> data)
{
    if (data && !m_model->setUserData(row, *data))
        return false;
    return m_model->setCellText(row, column, text);
}

QString CReportListCtrl::GetItemText(int row, int column) const
{
    return m_model->cellText(row, column);
}

bool CReportListCtrl::setItemTip(int row, int column, const QString &tip)
{
    return m_model->setCellTip(row, column, tip);
}

int CReportListCtrl::appendRows(std::vector<QStringList> cells, std::vector<QStringList> tips)
{
    return m_model->appendRows(std::move(cells), std::move(tips));
}

bool CReportListCtrl::deleteFirstRows(int count)
{
    return count <= 0 || m_model->removeRows(0, count);
}

QString CReportListCtrl::itemTip(int row, int column) const
{
    return m_model->cellTip(row, column);
}

quint32 CReportListCtrl::GetItemData(int row) const
{
    return m_model->userData(row);
}

int CReportListCtrl::GetItemCount() const
{
    return m_model->rowCount();
}

bool CReportListCtrl::DeleteItem(int row)
{
    return m_model->removeRows(row, 1);
}

void CReportListCtrl::DeleteAllItems()
{
    m_model->clear();
}

bool CReportListCtrl::SetRowStyle(int row, quint32 flags, bool redraw)
{
    return m_model->setRowStyle(row, flags, redraw);
}

bool CReportListCtrl::SetRowBackground(int row, const QColor &color, bool redraw)
{
    return m_model->setRowBackground(row, color, redraw);
}

bool CReportListCtrl::SetRowTextColor(int row, const QColor &color, bool redraw)
{
    return m_model->setRowTextColor(row, color, redraw);
}

quint32 CReportListCtrl::GetRowStyle(int row) const
{
    return m_model->rowStyle(row);
}

void CReportListCtrl::EnableCellTips(QObject *owner, int message)
{
    m_tipOwner = owner;
    m_tipMessage = message;
    forgetHotCell();
}

void CReportListCtrl::SetBalloon(CBalloonWnd *balloon)
{
    m_balloon = balloon;
}

QList<int> CReportListCtrl::selectedRows() const
{
    QList<int> rows;
    const QModelIndexList selected = selectionModel()->selectedRows();
    rows.reserve(selected.size());
    for (const QModelIndex &index : selected)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool CReportListCtrl::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        updateCellTip(static_cast<QMouseEvent *>(event)->position().toPoint(), event);
        break;
    case QEvent::MouseButtonPress:
    case QEvent::Leave:
        // as in the trap list: a click, or leaving the rows sideways, means
        // the user is done with the tip
        if (m_tipMessage != -1 && m_balloon) {
            forgetHotCell();
            m_balloon->HideTip();
        }
        break;
    case QEvent::ToolTip:
        // The balloon is the list's tooltip.
        return true;
    default:
        break;
    }
    return QTableView::viewportEvent(event);
}

void CReportListCtrl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        applyFont();
    QTableView::changeEvent(event);
}

void CReportListCtrl::updateCellTip(const QPoint &position, const QEvent *event)
{
    if (m_tipMessage == -1)
        return;
    const int row = rowAt(position.y());
    if (row < 0) {
        forgetHotCell();
        if (m_balloon)
            m_balloon->HideTip();
        return;
    }

    const int column = CellTipColumnAt(this, position.x());
    if (column < 0) {
        forgetHotCell();
        return;
    }

    if (row != m_hotRow || column != m_hotColumn) {
        const QString text = m_model->cellTip(row, column);
        // An empty cell leaves the hot cell where it was; the tip goes below.
        if (!text.isEmpty()) {
            m_hotRow = row;
            m_hotColumn = column;
            if (m_balloon)
                m_balloon->UpdateTipText(this, QString(), text);
            // Told after this move has been handled, as a posted message.
            if (m_tipOwner)
                QMetaObject::invokeMethod(this, [this, row] { emit cellTipShown(row); }, Qt::QueuedConnection);
        }
    }
    if (!m_balloon)
        return;
    if (row == m_hotRow && column == m_hotColumn)
        m_balloon->RelayEvent(event);
    else
        m_balloon->HideTip();
}

void CReportListCtrl::applyFont()
{
    m_model->setBaseFont(font());
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + kRowPaddingPx);
}

void CReportListCtrl::hotRowsMoved(int first)
{
    if (m_hotRow >= 0 && first <= m_hotRow)
        forgetHotCell();
}
