#include "workbench/frm业主编号.h"

#include "workbench/OwnerNumberForm.h"

QWidget* createFrm业主编号()
{
    return new OwnerNumberForm;
}
