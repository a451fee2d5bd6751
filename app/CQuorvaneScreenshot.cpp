#include "app/CQuorvaneScreenshot.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTimer>

bool CQuorvaneScreenshot::Save(QWidget* window, const QString& path)
{
    if (!window || path.isEmpty())
        return false;
    const QPixmap picture = window->grab();
    return !picture.isNull() && picture.save(path, "PNG");
}

int CQuorvaneScreenshot::Run()
{
    int result = 1;
    // Two turns of the loop: the first lays out and polishes what start-up
    // queued, the second catches what that in turn posted.
    QTimer::singleShot(0, qApp, [this, &result] {
        QTimer::singleShot(0, qApp, [this, &result] {
            QCoreApplication::sendPostedEvents();
            result = Save(m_window, m_path) ? 0 : 1;
            QCoreApplication::exit(0);
        });
    });
    QApplication::exec();
    return result;
}
