#pragma once
// A push button showing a colour; clicking it lets the user pick another
// (through the modal service's dialog) and emits colourPicked.

#include <QColor>
#include <QPushButton>

class VkColourButton : public QPushButton {
    Q_OBJECT
public:
    explicit VkColourButton(QWidget* parent = nullptr);

    QColor colour() const { return m_colour; }
    void setColour(const QColor& colour);

    // Opens the colour dialog; true when a colour was picked.
    bool pickColour();

signals:
    void colourPicked(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour = Qt::gray;
};
