#pragma once

#include <QString>
#include <functional>

class QWidget;

enum class MsgIcon { None, Information, Question, Exclamation, Critical };
enum class MsgButtons { OK, YesNo, YesNoDefaultNo };
enum class MsgAnswer { OK, Yes, No };

struct MsgRecord
{
    QString text;
    MsgButtons buttons;
    MsgIcon icon;
    QString title; // as shown: the application title when none was given
};

// The application title, shown by every box that is given no title of its own.
QString applicationTitle();

// Every message box of the program goes through here: a modal box over the active window.
MsgAnswer MsgBox(const QString& text, MsgButtons buttons = MsgButtons::OK, MsgIcon icon = MsgIcon::None,
                 const QString& title = {});

// The tool's own notice: information icon, OK, titled "系统提示".
void notice(const QString& text);

// The tool's own question: question icon, Yes and No, titled "系统提示"; true when answered Yes.
bool confirm(const QString& text);

namespace MsgBoxSeam {
// Tests answer boxes through a script instead of showing them; it sees each box as shown.
using Script = std::function<MsgAnswer(const MsgRecord&)>;
void setScript(Script script);
void clearScript();
} // namespace MsgBoxSeam
