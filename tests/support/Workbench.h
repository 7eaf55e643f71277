#pragma once

#include "workbench/OwnerNumberFormUi.h"

#include <QString>

// The owner-number workbench's controls as a test drives them: the form's own control list,
// found by designer name. A missing control ends the test program with its name.
struct Workbench : OwnerNumberFormUi
{
    explicit Workbench(QWidget& shown) : OwnerNumberFormUi(find(shown)), form(shown) {}

    QWidget& form;

    // A click on the office whose item starts with `code`; false when none is offered.
    bool chooseOffice(const QString& code) const;
    // A click on 全选, ticked.
    void tickAll() const;
};
