#include "support/Workbench.h"

#include "platform/FlexGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>

namespace {
template <typename T> T* find(QWidget& form, const QString& name)
{
    T* control = form.findChild<T*>(name);
    if (!control)
        qFatal("the workbench has no control %s", qPrintable(name));
    return control;
}
} // namespace

Workbench::Workbench(QWidget& form)
    : form(form), Picture1(find<QWidget>(form, QStringLiteral("Picture1"))),
      Picture2(find<QWidget>(form, QStringLiteral("Picture2"))),
      Picture3(find<QWidget>(form, QStringLiteral("Picture3"))),
      Picture4(find<QWidget>(form, QStringLiteral("Picture4"))),
      Picture5(find<QWidget>(form, QStringLiteral("Picture5"))),
      Picture6(find<QWidget>(form, QStringLiteral("Picture6"))), Label1{},
      Label2(find<QLabel>(form, QStringLiteral("Label2"))), Label3(find<QLabel>(form, QStringLiteral("Label3"))),
      Label4(find<QLabel>(form, QStringLiteral("Label4"))), Combo1(find<QComboBox>(form, QStringLiteral("Combo1"))),
      Combo2(find<QComboBox>(form, QStringLiteral("Combo2"))), Check1(find<QCheckBox>(form, QStringLiteral("Check1"))),
      TreeView1(find<QTreeWidget>(form, QStringLiteral("TreeView1"))),
      MSFlexGrid1(find<FlexGrid>(form, QStringLiteral("MSFlexGrid1"))),
      Command1(find<QPushButton>(form, QStringLiteral("Command1"))),
      Command2(find<QPushButton>(form, QStringLiteral("Command2"))),
      Command3(find<QPushButton>(form, QStringLiteral("Command3"))),
      Command4(find<QPushButton>(form, QStringLiteral("Command4"))),
      Command5(find<QPushButton>(form, QStringLiteral("Command5"))),
      Command6(find<QPushButton>(form, QStringLiteral("Command6"))),
      ProgressBar1(find<QProgressBar>(form, QStringLiteral("ProgressBar1"))),
      StatusBar1(find<QStatusBar>(form, QStringLiteral("StatusBar1"))), Panels{}
{
    for (int i = 0; i < 5; ++i)
        Label1[i] = find<QLabel>(form, QStringLiteral("Label1(%1)").arg(i));
    for (int i = 0; i < 9; ++i)
        Panels[i] = find<QLabel>(form, QStringLiteral("Panel%1").arg(i + 1));
}

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
