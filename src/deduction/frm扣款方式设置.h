#pragma once

// Shows the bank deduction form (objectName "frm扣款方式设置") as a modal dialog and returns when it is closed.
void showFrm扣款方式设置Modal();
