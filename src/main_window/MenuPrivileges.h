#pragma once

#include <QList>
#include <QString>

class QAction;
class QMenuBar;

// A menu item of the main window as the privilege tables name it: each top-level menu
// (through its menu action) and every item under it; a separator's caption is "-".
struct MenuItem
{
    QString name;
    QString caption;
    QAction* action;
};

// The menu items in control order: menu-bar order, each menu followed by its items, depth first.
QList<MenuItem> menuItems(const QMenuBar& bar);

// Items never disabled for want of a privilege: signing off, the About menu, leaving, and separators.
bool isAlwaysKept(const MenuItem& item);

// Disables every item the post is not granted: all but the kept items first, then each row of
// the privilege query (in Popedom order, so the last row for a name decides) sets its item.
// A failure is reported in a message box, leaving the items disabled so far as they are.
void applyPostPrivileges(const QMenuBar& bar, const QString& postCode, const QString& memo);
