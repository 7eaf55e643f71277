#pragma once

#include "main_window/BannerLayout.h"

#include <QPixmap>
#include <QWidget>

// Picture1: the banner strip along the top of the main window. The banner picture sits at its
// natural size at the left; every resize redraws the repeated middle and the tail on top.
class BannerStrip : public QWidget
{
public:
    explicit BannerStrip(QWidget* parent = nullptr);

    // The strip's fill colour, the banner's own plain colour.
    static QColor backColor();
    const QPixmap& picture() const { return m_picture; }
    const QList<BannerCopy>& drawn() const { return m_drawn; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Picture1_Resize();
    QSizeF pictureTwips() const;

    QPixmap m_picture;
    QList<BannerCopy> m_drawn;
};
