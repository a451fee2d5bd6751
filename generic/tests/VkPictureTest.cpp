#include "generic/VkPicture.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <fstream>

namespace {

class VkPictureTest : public qvtest::FreshRootTest {};

TEST_F(VkPictureTest, LoadsCommonFormatsAndRefusesTheRest)
{
    QImage image(10, 7, QImage::Format_RGB32);
    image.fill(QColor(0, 128, 255));
    struct Case {
        const char* name;
        const char* format;
    };
    const Case cases[] = {{"a.bmp", "BMP"}, {"a.jpg", "JPG"}, {"a.png", "PNG"}};
    for (const Case& k : cases) {
        const QString path = QString::fromStdString((root() / k.name).string());
        ASSERT_TRUE(image.save(path, k.format)) << k.name;
        VkPicture picture;
        EXPECT_TRUE(picture.Load(path)) << k.name;
        EXPECT_EQ(picture.Size(), QSize(10, 7)) << k.name;
    }
    std::ofstream(root() / "fake.gif") << "GIF89a but nothing after";
    std::ofstream(root() / "text.bmp") << "hello";
    VkPicture picture;
    for (const char* bad : {"fake.gif", "text.bmp", "missing.jpg"}) {
        EXPECT_FALSE(picture.Load(QString::fromStdString((root() / bad).string()))) << bad;
        EXPECT_FALSE(picture.IsLoaded()) << bad;
    }
    EXPECT_FALSE(picture.Load(QString()));
}

TEST(VkPicture, DrawsStretchedOnlyWhenLoaded)
{
    QImage canvas(40, 20, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    VkPicture picture;
    EXPECT_FALSE(picture.DrawStretched(painter, canvas.rect()));
    EXPECT_FALSE(picture.Draw(painter, QPoint(0, 0)));
    QImage red(2, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    picture.SetImage(red);
    EXPECT_TRUE(picture.DrawStretched(painter, canvas.rect()));
    painter.end();
    EXPECT_EQ(QColor(canvas.pixel(39, 19)), QColor(Qt::red));
    EXPECT_EQ(QColor(canvas.pixel(0, 0)), QColor(Qt::red));
}

} // namespace
