#include "deduction/frm扣款方式设置.h"

#include <QDialog>

void showFrm扣款方式设置Modal()
{
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("frm扣款方式设置"));
    dialog.setWindowTitle(QStringLiteral("银行扣款方式设置"));
    dialog.exec();
}
