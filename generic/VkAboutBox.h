#pragma once
// The About box: a picture beside the long name, the version line, a notice
// and a web address; shown modally through the modal service.

#include <QDialog>
#include <QImage>

class VkAboutBox : public QDialog {
    Q_OBJECT
public:
    VkAboutBox(const QImage& picture, const QString& notice, const QString& version, const QString& longName,
               const QString& webAddress, QWidget* parent = nullptr);

    int DoModal();
};
