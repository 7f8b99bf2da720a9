#include "reportlistmodel.h"

#include "reportlistctrl.h"

#include <QBrush>

#include <algorithm>

namespace {

constexpr quint32 kFontStyleMask =
    CReportListCtrl::RowBold | CReportListCtrl::RowItalic | CReportListCtrl::RowUnderline | CReportListCtrl::RowStrikeOut;

// Headings and cells sit in the middle of their row's height; only the
// horizontal part of a column's format is the caller's.
Qt::Alignment cellAlignment(Qt::Alignment format)
{
    Qt::Alignment horizontal = format & Qt::AlignHorizontal_Mask;
    if (!horizontal)
        horizontal = Qt::AlignLeft;
    return horizontal | Qt::AlignVCenter;
}

} // namespace

ReportListModel::ReportListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

ReportListModel::~ReportListModel() = default;

int ReportListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ReportListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant ReportListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row &row = m_rows[index.row()];
    const RowStyle *style = row.style.get();
    switch (role) {
    case Qt::DisplayRole:
        return row.cells.value(index.column());
    case Qt::TextAlignmentRole:
        return int(m_columns[index.column()].alignment);
    case Qt::FontRole:
        if (style && style->hasFontStyle)
            return styleFont(*style);
        break;
    case Qt::ForegroundRole:
        if (style && (style->flags & CReportListCtrl::RowTextColor) && style->textColor.isValid())
            return QBrush(style->textColor);
        break;
    case Qt::BackgroundRole:
        if (style && (style->flags & CReportListCtrl::RowBackground) && style->backgroundColor.isValid())
            return QBrush(style->backgroundColor);
        break;
    default:
        break;
    }
    return {};
}

QVariant ReportListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(m_columns.size()))
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return m_columns[section].heading;
    case Qt::TextAlignmentRole:
        return int(m_columns[section].alignment);
    default:
        return {};
    }
}

bool ReportListModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || count <= 0 || row < 0 || row + count > static_cast<int>(m_rows.size()))
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    const auto first = m_rows.begin() + row;
    m_rows.erase(first, first + count);
    endRemoveRows();
    return true;
}

int ReportListModel::addColumn(int index, const QString &heading, Qt::Alignment format)
{
    if (index < 0)
        return -1;
    const int column = std::min(index, static_cast<int>(m_columns.size()));
    beginInsertColumns(QModelIndex(), column, column);
    m_columns.insert(m_columns.begin() + column, Column{heading, cellAlignment(format)});
    // The texts right of the new column move with their columns.
    for (Row &row : m_rows) {
        if (column < row.cells.size())
            row.cells.insert(column, QString());
    }
    endInsertColumns();
    return column;
}

int ReportListModel::addRow(int row, const QString &text, std::optional<quint32> data)
{
    if (row < 0)
        return -1;
    const int at = std::min(row, static_cast<int>(m_rows.size()));
    Row record;
    record.cells.append(text);
    if (data) {
        record.userData = *data;
        record.hasUserData = true;
    }
    beginInsertRows(QModelIndex(), at, at);
    m_rows.insert(m_rows.begin() + at, std::move(record));
    endInsertRows();
    return at;
}

int ReportListModel::appendRows(std::vector<QStringList> cells, std::vector<QStringList> tips)
{
    const int first = static_cast<int>(m_rows.size());
    if (cells.empty())
        return first;
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(cells.size()) - 1);
    for (size_t i = 0; i < cells.size(); ++i) {
        Row record;
        record.cells = std::move(cells[i]);
        if (i < tips.size())
            record.tips = std::move(tips[i]);
        m_rows.push_back(std::move(record));
    }
    endInsertRows();
    return first;
}

bool ReportListModel::setCellText(int row, int column, const QString &text)
{
    if (!validRow(row) || column < 0 || column >= static_cast<int>(m_columns.size()))
        return false;
    QStringList &cells = m_rows[row].cells;
    if (column >= cells.size()) {
        if (text.isEmpty())
            return true;
        cells.resize(column + 1);
    }
    cells[column] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
    return true;
}

QString ReportListModel::cellText(int row, int column) const
{
    return validRow(row) ? m_rows[row].cells.value(column) : QString();
}

bool ReportListModel::setCellTip(int row, int column, const QString &tip)
{
    if (!validRow(row) || column < 0 || column >= static_cast<int>(m_columns.size()))
        return false;
    QStringList &tips = m_rows[row].tips;
    if (column >= tips.size())
        tips.resize(column + 1);
    tips[column] = tip;
    return true;
}

QString ReportListModel::cellTip(int row, int column) const
{
    if (!validRow(row))
        return {};
    const QString tip = m_rows[row].tips.value(column);
    return tip.isEmpty() ? m_rows[row].cells.value(column) : tip;
}

bool ReportListModel::setUserData(int row, quint32 data)
{
    if (!validRow(row))
        return false;
    m_rows[row].userData = data;
    m_rows[row].hasUserData = true;
    return true;
}

quint32 ReportListModel::userData(int row) const
{
    if (!validRow(row) || !m_rows[row].hasUserData)
        return 0;
    return m_rows[row].userData;
}

void ReportListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

bool ReportListModel::setRowStyle(int row, quint32 flags, bool notify)
{
    if (!validRow(row))
        return false;
    RowStyle &style = styleOf(row);
    style.flags = flags;
    style.hasFontStyle = (flags & kFontStyleMask) != 0;
    style.font.reset();
    if (notify)
        rowChanged(row);
    return true;
}

bool ReportListModel::setRowBackground(int row, const QColor &color, bool notify)
{
    if (!validRow(row))
        return false;
    styleOf(row).backgroundColor = color;
    if (notify)
        rowChanged(row);
    return true;
}

bool ReportListModel::setRowTextColor(int row, const QColor &color, bool notify)
{
    if (!validRow(row))
        return false;
    styleOf(row).textColor = color;
    if (notify)
        rowChanged(row);
    return true;
}

quint32 ReportListModel::rowStyle(int row) const
{
    if (!validRow(row) || !m_rows[row].style)
        return 0;
    return m_rows[row].style->flags;
}

void ReportListModel::setBaseFont(const QFont &font)
{
    if (font == m_baseFont)
        return;
    m_baseFont = font;
    bool anyFont = false;
    for (Row &row : m_rows) {
        if (row.style && row.style->font) {
            row.style->font.reset();
            anyFont = true;
        }
    }
    if (anyFont && !m_columns.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::FontRole});
}

ReportListModel::RowStyle &ReportListModel::styleOf(int row)
{
    std::unique_ptr<RowStyle> &style = m_rows[row].style;
    if (!style)
        style = std::make_unique<RowStyle>();
    return *style;
}

const QFont &ReportListModel::styleFont(const RowStyle &style) const
{
    if (!style.font) {
        QFont font = m_baseFont;
        font.setWeight((style.flags & CReportListCtrl::RowBold) ? QFont::Bold : QFont::Normal);
        font.setItalic(style.flags & CReportListCtrl::RowItalic);
        font.setUnderline(style.flags & CReportListCtrl::RowUnderline);
        font.setStrikeOut(style.flags & CReportListCtrl::RowStrikeOut);
        style.font = font;
    }
    return *style.font;
}

void ReportListModel::rowChanged(int row)
{
    if (m_columns.empty())
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::FontRole, Qt::ForegroundRole, Qt::BackgroundRole});
}
