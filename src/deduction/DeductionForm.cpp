#include "deduction/DeductionForm.h"

#include "core/DeductionValue.h"
#include "core/Fonts.h"
#include "core/Twips.h"
#include "engine/Statements.h"
#include "startup/CenterInMainWindow.h"
#include "startup/Module1.h"
#include "widgets/CommandGuard.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// Layout in twips. Rows inside a group: label on the left, its box to the right.
constexpr double kFormWidth = 6120, kFormHeight = 4500;
constexpr double kFrameLeft = 240, kFrameWidth = 5640;
constexpr double kFrame1Top = 120, kFrame1Height = 1500;
constexpr double kFrame2Top = 1740, kFrame2Height = 1980;
constexpr double kRowTop[3] = {450, 930, 1410};
constexpr double kLabelLeft = 300, kLabelWidth = 1260;
constexpr double kBoxLeft = 1620, kBoxWidth = 3780, kRowHeight = 375;
constexpr double kButtonTop = 3900, kButtonWidth = 1200, kButtonHeight = 420;
constexpr double kCommand2Left = 3300, kCommand1Left = 4680;

QLabel* makeLabel(QWidget* parent, int index, const QString& caption, int row)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    label->setObjectName(QStringLiteral("Label1(%1)").arg(index));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setGeometry(twipsRect(kLabelLeft, kRowTop[row], kLabelWidth, kRowHeight));
    return label;
}

QLineEdit* makeText(QWidget* parent, int index, int row)
{
    // Display boxes: the stored setting and the computed month list are never typed in.
    auto* text = new QLineEdit(parent);
    text->setObjectName(QStringLiteral("Text1(%1)").arg(index));
    text->setReadOnly(true);
    text->setFocusPolicy(Qt::ClickFocus);
    text->setGeometry(twipsRect(kBoxLeft, kRowTop[row], kBoxWidth, kRowHeight));
    return text;
}

QComboBox* makeCombo(QWidget* parent, const QString& name, int row)
{
    auto* combo = new QComboBox(parent); // not editable: a drop-down list, no typed text
    combo->setObjectName(name);
    combo->setMaxVisibleItems(12);
    combo->setGeometry(twipsRect(kBoxLeft, kRowTop[row], kBoxWidth, kRowHeight));
    return combo;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, double left)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false); // Enter on a combo box must not save behind the user's back
    button->setGeometry(twipsRect(left, kButtonTop, kButtonWidth, kButtonHeight));
    return button;
}
} // namespace

DeductionForm::DeductionForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm扣款方式设置"));
    setWindowTitle(QStringLiteral("银行扣款方式设置"));
    setFont(yaheiFont(9));
    setFixedSize(twipsToPixels(kFormWidth), twipsToPixels(kFormHeight));
    // A fixed dialog: a title and a close button, nothing to minimize or maximize.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    createControls();
    Form_Load();
}

void DeductionForm::createControls()
{
    Frame1 = new QGroupBox(QStringLiteral("当前银行扣款方式"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twipsRect(kFrameLeft, kFrame1Top, kFrameWidth, kFrame1Height));
    Label1[2] = makeLabel(Frame1, 2, QStringLiteral("扣款方式"), 0);
    Text1[0] = makeText(Frame1, 0, 0);
    Label1[1] = makeLabel(Frame1, 1, QStringLiteral("扣款开始月份"), 1);
    Text1[1] = makeText(Frame1, 1, 1);

    Frame2 = new QGroupBox(QStringLiteral("设置银行扣款方式"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(twipsRect(kFrameLeft, kFrame2Top, kFrameWidth, kFrame2Height));
    Label1[0] = makeLabel(Frame2, 0, QStringLiteral("选择扣款方式"), 0);
    Combo1 = makeCombo(Frame2, QStringLiteral("Combo1"), 0);
    Label1[4] = makeLabel(Frame2, 4, QStringLiteral("选择开始月份"), 1);
    Combo2 = makeCombo(Frame2, QStringLiteral("Combo2"), 1);
    Label1[3] = makeLabel(Frame2, 3, QStringLiteral("扣款开始月份"), 2);
    Text1[2] = makeText(Frame2, 2, 2);

    Command2 = makeButton(this, QStringLiteral("Command2"), QStringLiteral("保存"), kCommand2Left);
    Command1 = makeButton(this, QStringLiteral("Command1"), QStringLiteral("退出"), kCommand1Left);

    setTabOrder(Combo1, Combo2);
    setTabOrder(Combo2, Command2);
    setTabOrder(Command2, Command1);

    connect(Combo1, &QComboBox::activated, this, [this] { RunCommand([this] { Combo1_Click(); }); });
    connect(Combo2, &QComboBox::activated, this, [this] { RunCommand([this] { Combo2_Click(); }); });
    connect(Command1, &QPushButton::clicked, this, [this] { RunCommand([this] { Command1_Click(); }); });
    connect(Command2, &QPushButton::clicked, this, [this] { RunCommand([this] { Command2_Click(); }); });
}

void DeductionForm::Form_Load()
{
    CenterInMainWindow(*this);
    for (QLineEdit* text : Text1)
        text->clear();
    Combo1->addItems(DeductionValue::cycles());
    Combo1->setCurrentIndex(-1);
    for (int month = 1; month <= 12; ++month)
        Combo2->addItem(DeductionValue::monthItemText(month));
    Combo2->setCurrentIndex(-1);
    showStoredSetting();
}

// Reads the stored setting into the "current" group. A failure ends the reading with a
// notice; the boxes keep what was filled before it.
void DeductionForm::showStoredSetting()
{
    try {
        Recordset rs = gConn().openRecordset(deductionSettingSql());
        Text1[0]->clear();
        Text1[1]->clear();
        while (!rs.eof()) {
            const QVariant value = rs.field(QStringLiteral("Value"));
            if (!value.isNull()) {
                const QString text = value.toString();
                const DeductionValue::Stored stored = DeductionValue::parse(text);
                if (stored.recognised) {
                    Text1[0]->setText(stored.cycle);
                    // A value cut short by another program: say which, rather than show half of it.
                    if (!stored.complete)
                        throw RuntimeError(ErrorNumber::SubscriptOutOfRange,
                                           QStringLiteral("设置值不完整（") + text + QStringLiteral("）"));
                    Text1[1]->setText(stored.months);
                }
            }
            rs.moveNext();
        }
    } catch (const RuntimeError& e) {
        notice(QStringLiteral("错误码: ") + QString::number(e.number()) + QStringLiteral(" 错误描述: ") +
               e.description());
    } catch (const std::exception& e) {
        notice(QStringLiteral("错误码: 0 错误描述: ") + QString::fromLocal8Bit(e.what()));
    }
}

void DeductionForm::Combo1_Click()
{
    if (Combo1->currentIndex() < 0)
        return;
    Text1[2]->clear();
    Combo2->setCurrentIndex(-1);
    // Monthly deduction has no start month.
    Combo2->setEnabled(Combo1->currentText() != DeductionValue::kMonthly);
}

void DeductionForm::Combo2_Click()
{
    if (Combo2->currentIndex() < 0)
        return;
    if (Combo1->currentIndex() < 0) {
        notice(QStringLiteral("请先选择扣款方式！"));
        Combo1->setFocus();
        Combo2->setCurrentIndex(-1);
        return;
    }
    const int month = DeductionValue::monthOfItem(Combo2->currentText());
    Text1[2]->setText(DeductionValue::startMonths(Combo1->currentText(), month));
}

void DeductionForm::Command1_Click()
{
    reject();
}

void DeductionForm::Command2_Click()
{
    const QString cycle = Combo1->currentText();
    // Without a cycle the stored text would be a bare "," that other programs cannot read.
    if (cycle.isEmpty()) {
        notice(QStringLiteral("请先选择扣款方式！"));
        Combo1->setFocus();
        return;
    }
    if ((cycle == DeductionValue::kYearly || cycle == DeductionValue::kQuarterly) && Text1[2]->text().isEmpty()) {
        notice(QStringLiteral("请选择扣款开始月份！"));
        Combo2->setFocus();
        return;
    }
    KeysetRow row =
        gConn().openKeysetRow(QStringLiteral("SystemSetup"), QStringLiteral("Code"), DeductionValue::kSettingCode);
    if (row.eof()) {
        row.addNew();
        row.setField(QStringLiteral("Code"), DeductionValue::kSettingCode);
    }
    row.setField(QStringLiteral("Value"), DeductionValue::format(cycle, Text1[2]->text()));
    row.update(); // a failure leaves the "current" group showing what is really stored

    Text1[0]->setText(cycle);
    Text1[1]->setText(Text1[2]->text());
    notice(QStringLiteral("银行扣款方式保存成功！"));
}

void showFrm扣款方式设置Modal()
{
    DeductionForm form(QApplication::activeWindow());
    form.exec();
}
