#include "widgets/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
MsgBoxSeam::Script& script()
{
    static MsgBoxSeam::Script s;
    return s;
}
} // namespace

QString applicationTitle()
{
    return QStringLiteral("澄岭物业工具");
}

MsgAnswer MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    const MsgRecord record{text, buttons, icon, title.isEmpty() ? applicationTitle() : title};
    if (script())
        return script()(record);

    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(record.title);
    // Texts carry the database's and the settings' own words: never read as markup, which could
    // load a picture from any path or host named in them.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    if (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoDefaultNo) {
        QPushButton* yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(buttons == MsgButtons::YesNo ? yes : no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    QPushButton* ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return MsgAnswer::OK;
}

void notice(const QString& text)
{
    MsgBox(text, MsgButtons::OK, MsgIcon::Information, QStringLiteral("系统提示"));
}

bool confirm(const QString& text)
{
    return MsgBox(text, MsgButtons::YesNo, MsgIcon::Question, QStringLiteral("系统提示")) == MsgAnswer::Yes;
}

void MsgBoxSeam::setScript(Script s)
{
    script() = std::move(s);
}

void MsgBoxSeam::clearScript()
{
    script() = nullptr;
}
