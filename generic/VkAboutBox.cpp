#include "generic/VkAboutBox.h"

#include "generic/VkModalService.h"
#include "generic/VkStrings.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

VkAboutBox::VkAboutBox(const QImage& picture, const QString& notice, const QString& version,
                       const QString& longName, const QString& webAddress, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("VkAboutBox"));
    setWindowTitle(QString::fromStdString(VkStrings().Format(IDS_VK_ABOUT_CAPTION, longName.toUtf8().constData())));
    auto* top = new QHBoxLayout;
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("picture"));
    image->setPixmap(QPixmap::fromImage(picture));
    image->setAlignment(Qt::AlignTop);
    top->addWidget(image);

    auto* texts = new QVBoxLayout;
    // Only the notice wraps; names, version and address stay on one line
    // each and set the column's width.
    auto add = [&](const char* name, const QString& text, bool bold = false, bool wrap = false) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QString::fromLatin1(name));
        label->setWordWrap(wrap);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (bold) {
            QFont font = label->font();
            font.setBold(true);
            label->setFont(font);
        }
        texts->addWidget(label);
    };
    add("longName", longName, true);
    add("version", version);
    add("notice", notice, false, true);
    add("webAddress", webAddress);
    texts->addStretch();
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

int VkAboutBox::DoModal()
{
    return VkModalService::DoModal(this);
}
