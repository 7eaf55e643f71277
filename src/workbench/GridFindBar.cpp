#include "workbench/GridFindBar.h"

#include "engine/GridBuilders.h"
#include "widgets/FlexGrid.h"

#include <QAbstractItemModel>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

GridFindBar::GridFindBar(FlexGrid* grid, QWidget* parent) : QWidget(parent), m_grid(grid)
{
    setObjectName(QStringLiteral("FindBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    auto* caption = new QLabel(QStringLiteral("查找："), this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("FindText"));
    m_text->setPlaceholderText(QStringLiteral("姓名、地址或编号；回车找下一个，Shift+回车找上一个"));
    m_text->installEventFilter(this);
    m_status = new QLabel(this);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setObjectName(QStringLiteral("FindStatus"));
    m_status->setMinimumWidth(
        m_status->fontMetrics().horizontalAdvance(QStringLiteral("第 100000 / 100000 处，已从末尾开始")) + 8);
    auto* previous = new QToolButton(this);
    previous->setText(QStringLiteral("上一个"));
    auto* next = new QToolButton(this);
    next->setText(QStringLiteral("下一个"));
    auto* hide = new QToolButton(this);
    hide->setObjectName(QStringLiteral("FindClose"));
    hide->setText(QStringLiteral("关闭"));
    layout->addWidget(caption);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_status);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(hide);
    connect(previous, &QToolButton::clicked, this, [this] { findNext(true); });
    connect(next, &QToolButton::clicked, this, [this] { findNext(false); });
    connect(hide, &QToolButton::clicked, this, &GridFindBar::close);
    connect(m_text, &QLineEdit::textChanged, m_status, &QLabel::clear);
    // Any change of the grid makes the folded texts stale; they are folded again on the next step.
    QAbstractItemModel* model = m_grid->model();
    const auto stale = [this] { m_stale = true; };
    connect(model, &QAbstractItemModel::modelReset, this, stale);
    connect(model, &QAbstractItemModel::dataChanged, this, stale);
    connect(model, &QAbstractItemModel::rowsInserted, this, stale);
    connect(model, &QAbstractItemModel::rowsRemoved, this, stale);
    // Enter and Shift+Enter step from the text box; the buttons are for the mouse.
    for (QToolButton* b : {previous, next, hide})
        b->setFocusPolicy(Qt::NoFocus);
    QWidget::hide();
}

void GridFindBar::open()
{
    show();
    m_text->setFocus();
    m_text->selectAll();
}

void GridFindBar::close()
{
    hide();
    m_status->clear();
    m_grid->setFocus();
    emit closed();
}

int GridFindBar::findNext(bool backwards)
{
    if (m_stale) {
        // The data columns: 序 is the row's index, which a search for a number must not stop at.
        m_finder.reset(m_grid->rows(), [this](int row) {
            QString text;
            for (int c = GridColumn::Name; c < GridColumn::kShownCount; ++c)
                text += m_grid->textMatrix(row, c) + u'\n';
            return text;
        });
        m_stale = false;
    }
    GridFinder::Step step;
    const int row = m_finder.find(m_text->text(), m_grid->row(), backwards, &step);
    if (row < 0) {
        m_status->setText(m_text->text().isEmpty() ? QString() : QStringLiteral("未找到"));
        return -1;
    }
    // The whole visible row, as a click on the grid marks it, scrolled into view.
    m_grid->setRow(row);
    m_grid->setCol(GridColumn::Index);
    m_grid->setColSel(GridColumn::kShownCount - 1);
    m_grid->scrollTo(m_grid->model()->index(row - 1, 0));
    QString status = QStringLiteral("第 %1 / %2 处").arg(step.ordinal).arg(step.count);
    if (step.wrapped)
        status += backwards ? QStringLiteral("，已从末尾开始") : QStringLiteral("，已从头开始");
    m_status->setText(status);
    return row;
}

void GridFindBar::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool GridFindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            findNext(key->modifiers().testFlag(Qt::ShiftModifier));
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
