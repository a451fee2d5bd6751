#include "generic/VkColourButton.h"

#include "generic/VkModalService.h"

#include <QColorDialog>
#include <QPainter>

VkColourButton::VkColourButton(QWidget* parent) : QPushButton(parent)
{
    setMinimumSize(40, 24);
    connect(this, &QPushButton::clicked, this, [this] { pickColour(); });
}

void VkColourButton::setColour(const QColor& colour)
{
    m_colour = colour;
    update();
}

bool VkColourButton::pickColour()
{
    QColorDialog dialog(m_colour, window());
    if (VkModalService::DoModal(&dialog) != QDialog::Accepted || !dialog.selectedColor().isValid())
        return false;
    setColour(dialog.selectedColor());
    emit colourPicked(m_colour);
    return true;
}

void VkColourButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    QPainter painter(this);
    const QRect swatch = rect().adjusted(6, 6, -7, -7);
    painter.fillRect(swatch, isEnabled() ? m_colour : palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(swatch);
}
