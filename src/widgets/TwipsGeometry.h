#pragma once

class QWidget;

// Position and size of a control kept in twips, as the forms are designed and as their resize
// arithmetic reads them back; the widget's pixel geometry follows. A width or height below
// zero is not applied (the control keeps its size), as the platform refuses such a value.
namespace Tw {
double left(const QWidget* w);
double top(const QWidget* w);
double width(const QWidget* w);
double height(const QWidget* w);
void setLeft(QWidget* w, double twips);
void setTop(QWidget* w, double twips);
bool setWidth(QWidget* w, double twips);
bool setHeight(QWidget* w, double twips);
void place(QWidget* w, double left, double top, double width, double height);
// The inner size of a container in twips (a form's ScaleWidth / ScaleHeight).
double scaleWidth(const QWidget* w);
double scaleHeight(const QWidget* w);
} // namespace Tw
