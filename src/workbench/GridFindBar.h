#pragma once

#include "engine/GridFind.h"

#include <QWidget>

class FlexGrid;
class QLabel;
class QLineEdit;

// The find bar under the workbench grid: Enter finds the next row whose visible cells contain the
// text, Shift+Enter the previous one, wrapping around; "未找到" shows in the bar itself; Escape
// closes it. The rows' texts are folded once after each change of the grid.
class GridFindBar : public QWidget
{
    Q_OBJECT
public:
    explicit GridFindBar(FlexGrid* grid, QWidget* parent = nullptr);

    // Shows the bar with its text selected, ready for typing.
    void open();
    void close();
    // One step; the row found (made current and selected whole), or -1.
    int findNext(bool backwards);

signals:
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FlexGrid* m_grid;
    QLineEdit* m_text;
    QLabel* m_status;
    GridFinder m_finder;
    bool m_stale = true;
};
