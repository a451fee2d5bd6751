#include "generic/VkPicture.h"

#include <QImageReader>
#include <QPainter>

bool VkPicture::Load(const QString& path)
{
    m_image = QImage();
    if (path.isEmpty())
        return false;
    QImageReader reader(path);
    // Hostile files must not make us allocate without bound.
    reader.setAllocationLimit(256);
    m_image = reader.read();
    return !m_image.isNull();
}

bool VkPicture::Draw(QPainter& painter, const QPoint& at) const
{
    if (m_image.isNull())
        return false;
    painter.drawImage(at, m_image);
    return true;
}

bool VkPicture::DrawStretched(QPainter& painter, const QRect& into) const
{
    if (m_image.isNull() || into.isEmpty())
        return false;
    painter.drawImage(into, m_image);
    return true;
}
