#include "support/Workbench.h"

#include <QCheckBox>
#include <QComboBox>

bool Workbench::chooseOffice(const QString& code) const
{
    for (int i = 0; i < Combo1->count(); ++i)
        if (Combo1->itemText(i).startsWith(code + u' ')) {
            Combo1->setCurrentIndex(i);
            emit Combo1->activated(i);
            return true;
        }
    return false;
}

void Workbench::tickAll() const
{
    Check1->setChecked(true);
    emit Check1->clicked(true);
}
