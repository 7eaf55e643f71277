#pragma once

class QWidget;

// A new owner-number workbench (objectName "frm业主编号", caption "业主编号管理"), deleted when closed.
QWidget* createFrm业主编号();
