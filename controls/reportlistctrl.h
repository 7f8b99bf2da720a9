#pragma once

// CReportListCtrl: a list in columns whose rows can each carry a style of
// their own (bold, italic, underline, strike-out, text and background
// colours), whose selected rows are painted in the highlight colours while
// keeping their font, and which shows the full text of the cell under the
// pointer in a CBalloonWnd. It keeps a record per row (the caller's 32-bit
// data and the style). No sorting. A generic control: it knows no SNMP.
//
// Typical use (the MIB walk dialog's result list):
//
//     auto *list = new CReportListCtrl(this);
//     list->InsertColumn(0, tr("oid"), Qt::AlignLeft, 160);
//     const int row = list->InsertItem(list->GetItemCount(), oidText);
//     list->SetItem(row, 1, name);
//     list->SetRowStyle(row, CReportListCtrl::RowBackground, true);
//     list->SetRowBackground(row, QColor(240, 240, 240), true);
//     list->EnableCellTips(nullptr, 0);
//     list->SetBalloon(&m_balloon);   // registered with AddTool(list, ...)

#include <QColor>
#include <QPointer>
#include <QTableView>

#include <memory>
#include <optional>

class CBalloonWnd;
class ReportListModel;

class CReportListCtrl : public QTableView
{
    Q_OBJECT

public:
    // Row style flags.
    enum RowStyleFlag : quint32 {
        RowBold = 0x01,
        RowItalic = 0x02,
        RowUnderline = 0x04,
        RowStrikeOut = 0x08,
        RowTextColor = 0x10,  // use the row's text colour
        RowBackground = 0x20, // use the row's background colour
    };

    explicit CReportListCtrl(QWidget *parent = nullptr);
    ~CReportListCtrl() override;

    // Inserts a column before `index` (appends when index >= count) with
    // its heading, alignment of its cells and width in pixels (-1: default).
    // Gives the new column's index, or -1.
    int InsertColumn(int index, const QString &heading, Qt::Alignment format, int width = -1);
    int GetColumnCount() const;

    // Inserts a row before `row` (appends when row >= count) with the text of
    // column 0 and optionally the caller's data. Gives the new row's index,
    // or -1.
    int InsertItem(int row, const QString &text, std::optional<quint32> data = std::nullopt);
    // Sets the text of one cell; with `data`, also the row's data.
    bool SetItem(int row, int column, const QString &text, std::optional<quint32> data = std::nullopt);
    QString GetItemText(int row, int column) const;
    // The cell tip's text for one cell, when it should say more than the cell.
    bool setItemTip(int row, int column, const QString &tip);
    // Many rows at once: one insertion at the end, and the oldest `count`
    // rows gone in one removal. Long lists fill without the view reacting
    // to every row.
    int appendRows(std::vector<QStringList> cells, std::vector<QStringList> tips = {});
    bool deleteFirstRows(int count);
    QString itemTip(int row, int column) const;
    // The caller's data of the row, 0 when it has none.
    quint32 GetItemData(int row) const;
    int GetItemCount() const;
    bool DeleteItem(int row);
    void DeleteAllItems();

    // Sets the row's style flags (RowStyleFlag), and its colours. A colour
    // takes effect only with its flag. With `redraw` the row is repainted;
    // otherwise the change shows the next time the row is painted.
    bool SetRowStyle(int row, quint32 flags, bool redraw);
    bool SetRowBackground(int row, const QColor &color, bool redraw);
    bool SetRowTextColor(int row, const QColor &color, bool redraw);
    quint32 GetRowStyle(int row) const;

    // Cell tips: off until enabled; a message of -1 turns them off again.
    // While `owner` (may be null) is set, each new tip cell is announced by
    // the signal cellTipShown(row), after the mouse move has been handled.
    void EnableCellTips(QObject *owner, int message);
    void SetBalloon(CBalloonWnd *balloon);
    // The cell whose text the tip holds; -1/-1 when none.
    int hotRow() const { return m_hotRow; }
    int hotColumn() const { return m_hotColumn; }

    // Rows selected now, in ascending order.
    QList<int> selectedRows() const;

signals:
    void cellTipShown(int row);

protected:
    bool viewportEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void updateCellTip(const QPoint &position, const QEvent *event);
    void applyFont();
    void forgetHotCell() { m_hotRow = m_hotColumn = -1; }
    void hotRowsMoved(int first);

    ReportListModel *m_model = nullptr;
    QPointer<CBalloonWnd> m_balloon;
    QPointer<QObject> m_tipOwner;
    int m_tipMessage = -1;
    int m_hotRow = -1;
    int m_hotColumn = -1;
};
