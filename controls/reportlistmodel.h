#pragma once

// ReportListModel: the rows behind CReportListCtrl. One record per row holds
// the texts of its cells, the caller's 32-bit data and, once a style setter
// has touched the row, its style (flags, colours and the font made from
// them). The roles the view paints with (font, text and background colour)
// are answered from that record when asked, so a style costs nothing until
// the row is painted.
//
// Rows live in a deque: the MIB walk drops its oldest row every time a new
// one arrives past its row limit, and that has to stay cheap.

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

class ReportListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ReportListModel(QObject *parent = nullptr);
    ~ReportListModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool removeRows(int row, int count, const QModelIndex &parent = {}) override;

    // Index of the new column (appended when index >= count), or -1.
    int addColumn(int index, const QString &heading, Qt::Alignment format);
    // Index of the new row (appended when row >= count), or -1.
    int addRow(int row, const QString &text, std::optional<quint32> data);
    // Rows appended at the end in one insertion, each with the texts of its
    // cells (and a tip per cell where `tips` has one); index of the first.
    int appendRows(std::vector<QStringList> cells, std::vector<QStringList> tips = {});
    bool setCellText(int row, int column, const QString &text);
    QString cellText(int row, int column) const;
    // What the cell tip shows for a cell: its text unless a tip was set
    // (a value's other forms beside the one in the cell).
    bool setCellTip(int row, int column, const QString &tip);
    QString cellTip(int row, int column) const;
    bool setUserData(int row, quint32 data);
    quint32 userData(int row) const;
    // Every row gone, in one reset.
    void clear();

    // Style setters create the row's style record; `notify` announces the
    // change to the view (which repaints the row), otherwise it shows with
    // the row's next repaint.
    bool setRowStyle(int row, quint32 flags, bool notify);
    bool setRowBackground(int row, const QColor &color, bool notify);
    bool setRowTextColor(int row, const QColor &color, bool notify);
    quint32 rowStyle(int row) const;

    // The font the style fonts are derived from (the view's own font).
    void setBaseFont(const QFont &font);

private:
    struct RowStyle
    {
        quint32 flags = 0;
        bool hasFontStyle = false;
        QColor textColor;       // invalid until set: the list's own colour
        QColor backgroundColor; // likewise
        mutable std::optional<QFont> font; // made on first use
    };

    struct Row
    {
        QStringList cells; // only as long as the last cell set
        QStringList tips;  // likewise; empty for most rows
        quint32 userData = 0;
        bool hasUserData = false;
        std::unique_ptr<RowStyle> style;
    };

    struct Column
    {
        QString heading;
        Qt::Alignment alignment;
    };

    bool validRow(int row) const { return row >= 0 && row < static_cast<int>(m_rows.size()); }
    RowStyle &styleOf(int row);
    const QFont &styleFont(const RowStyle &style) const;
    void rowChanged(int row);

    std::deque<Row> m_rows;
    std::vector<Column> m_columns;
    QFont m_baseFont;
};
