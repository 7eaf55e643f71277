#include "widgets/TwipsGeometry.h"

#include "core/Twips.h"

#include <QVariant>
#include <QWidget>

namespace {
const char* const kLeft = "twipsLeft";
const char* const kTop = "twipsTop";
const char* const kWidth = "twipsWidth";
const char* const kHeight = "twipsHeight";

double read(const QWidget* w, const char* name, int pixels)
{
    const QVariant v = w->property(name);
    return v.isValid() ? v.toDouble() : pixelsToTwips(pixels);
}

void apply(QWidget* w)
{
    w->setGeometry(twipsRect(Tw::left(w), Tw::top(w), Tw::width(w), Tw::height(w)));
}
} // namespace

namespace Tw {
double left(const QWidget* w)
{
    return read(w, kLeft, w->x());
}
double top(const QWidget* w)
{
    return read(w, kTop, w->y());
}
double width(const QWidget* w)
{
    return read(w, kWidth, w->width());
}
double height(const QWidget* w)
{
    return read(w, kHeight, w->height());
}

void setLeft(QWidget* w, double twips)
{
    w->setProperty(kLeft, twips);
    apply(w);
}

void setTop(QWidget* w, double twips)
{
    w->setProperty(kTop, twips);
    apply(w);
}

bool setWidth(QWidget* w, double twips)
{
    if (twips < 0)
        return false;
    w->setProperty(kWidth, twips);
    apply(w);
    return true;
}

bool setHeight(QWidget* w, double twips)
{
    if (twips < 0)
        return false;
    w->setProperty(kHeight, twips);
    apply(w);
    return true;
}

void place(QWidget* w, double l, double t, double wd, double h)
{
    w->setProperty(kLeft, l);
    w->setProperty(kTop, t);
    w->setProperty(kWidth, wd);
    w->setProperty(kHeight, h);
    apply(w);
}

double scaleWidth(const QWidget* w)
{
    return pixelsToTwips(w->width());
}

double scaleHeight(const QWidget* w)
{
    return pixelsToTwips(w->height());
}
} // namespace Tw
