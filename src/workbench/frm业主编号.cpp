#include "workbench/frm业主编号.h"

#include <QWidget>

QWidget* createFrm业主编号()
{
    auto* form = new QWidget;
    form->setObjectName(QStringLiteral("frm业主编号"));
    form->setWindowTitle(QStringLiteral("业主编号管理"));
    form->setAttribute(Qt::WA_DeleteOnClose);
    return form;
}
