#pragma once
// A picture loaded from a file (BMP, GIF, JPEG, PNG) or handed over as an
// image, drawn at a point or stretched into a rectangle.

#include <QImage>
#include <QString>

class QPainter;
class QPoint;
class QRect;

class VkPicture {
public:
    VkPicture() = default;

    // False (and unloaded) when the file is missing or not a picture.
    bool Load(const QString& path);
    void SetImage(const QImage& image) { m_image = image; }
    void Unload() { m_image = QImage(); }

    bool IsLoaded() const { return !m_image.isNull(); }
    QSize Size() const { return m_image.size(); }
    const QImage& Image() const { return m_image; }

    // False when nothing is loaded.
    bool Draw(QPainter& painter, const QPoint& at) const;
    bool DrawStretched(QPainter& painter, const QRect& into) const;

private:
    QImage m_image;
};
