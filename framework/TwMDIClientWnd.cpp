#include "framework/TwMDIClientWnd.h"

#include "framework/TwPalette.h"

#include <QMdiSubWindow>
#include <QPainter>

#include <cmath>

TwMDIClientWnd::TwMDIClientWnd(PaletteSource palette, QWidget* parent)
    : QMdiArea(parent), m_palette(std::move(palette))
{
    setObjectName(QStringLiteral("TwMDIClientWnd"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

bool TwMDIClientWnd::PaintsPicture() const
{
    const TwPalette* palette = m_palette ? m_palette() : nullptr;
    return palette && palette->Mode() == TwPalette::ModePicture && palette->BkPicture().IsLoaded();
}

void TwMDIClientWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    const TwPalette* palette = m_palette ? m_palette() : nullptr;
    if (PaintsPicture() && palette->BkPicture().DrawStretched(painter, area))
        return;
    const QColor colour = palette ? VkColorFromRef(palette->BkColour()) : viewport()->palette().color(QPalette::Dark);
    painter.fillRect(area, colour);
}

QList<QRect> TwMDIClientWnd::VerticalTiles(const QRect& area, int count)
{
    QList<QRect> tiles;
    if (count <= 0 || area.isEmpty())
        return tiles;
    const int columns = count <= 4 ? count : static_cast<int>(std::ceil(std::sqrt(double(count))));
    const int baseRows = count / columns;
    const int extra = count % columns; // the last columns get one more row
    int x = area.left();
    for (int c = 0; c < columns; ++c) {
        const int right = area.left() + area.width() * (c + 1) / columns;
        const int rows = baseRows + (c >= columns - extra ? 1 : 0);
        int y = area.top();
        for (int r = 0; r < rows; ++r) {
            const int bottom = area.top() + area.height() * (r + 1) / rows;
            tiles.push_back(QRect(QPoint(x, y), QPoint(right - 1, bottom - 1)));
            y = bottom;
        }
        x = right;
    }
    return tiles;
}

void TwMDIClientWnd::TileVertically()
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized())
            windows.push_back(w);
    const QList<QRect> tiles = VerticalTiles(viewport()->rect(), windows.size());
    for (int i = 0; i < windows.size() && i < tiles.size(); ++i) {
        if (windows[i]->isMaximized())
            windows[i]->showNormal();
        windows[i]->setGeometry(tiles[i]);
    }
}
