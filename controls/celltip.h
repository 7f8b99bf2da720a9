#pragma once

// The column a cell tip belongs to: the one whose span holds the pointer
// with both edges excluded, so that a pointer exactly on a column border
// belongs to no column. Columns are walked in index order from the left
// edge of the content (the horizontal scroll position added).

#include <QHeaderView>
#include <QTableView>

inline int CellTipColumnAt(const QTableView *view, int viewportX)
{
    const int x = viewportX + view->horizontalHeader()->offset();
    int left = 0;
    const int columns = view->model() ? view->model()->columnCount() : 0;
    for (int c = 0; c < columns; ++c) {
        const int width = view->columnWidth(c);
        if (x > left && x < left + width)
            return c;
        left += width;
    }
    return -1;
}
