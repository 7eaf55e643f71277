#pragma once

#include <QFont>

// The designed face "微软雅黑" is drawn with Noto Sans CJK on Linux; Windows has it.
void installFontSubstitutions();

// "微软雅黑" at a point size, as the forms are designed.
QFont yaheiFont(double pointSize, bool bold = false);
