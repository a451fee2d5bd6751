#pragma once
// The MDI client area: paints the current palette's background, its
// picture stretched when one is loaded, else its colour.

#include <QMdiArea>

#include <functional>

class TwPalette;

class TwMDIClientWnd : public QMdiArea {
    Q_OBJECT
public:
    using PaletteSource = std::function<const TwPalette*()>;

    explicit TwMDIClientWnd(PaletteSource palette, QWidget* parent = nullptr);

    // What paints the background now: the picture when the palette is in
    // picture mode with a loaded picture, else the colour.
    bool PaintsPicture() const;

    // Arranges the visible child windows side by side (more than four: a
    // grid, columns first).
    void TileVertically();
    // The rectangles TileVertically gives count windows in area.
    static QList<QRect> VerticalTiles(const QRect& area, int count);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PaletteSource m_palette;
};
