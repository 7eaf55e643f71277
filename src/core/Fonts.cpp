#include "core/Fonts.h"

#include <QStringList>

void installFontSubstitutions()
{
#ifndef _WIN32 // Windows has the face itself
    QFont::insertSubstitutions(QStringLiteral("微软雅黑"),
                               QStringList{QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
                                           QStringLiteral("WenQuanYi Micro Hei")});
#endif
}

QFont yaheiFont(double pointSize, bool bold)
{
    QFont font(QStringLiteral("微软雅黑"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
