#include "framework/TwPaletteSettingsDlg.h"
#include "generic/VkColourButton.h"
#include "generic/VkModalScript.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <fstream>

namespace {

class TwPaletteSettingsDlgTest : public qvtest::FreshRootTest {
protected:
    TwPaletteSettings Settings(bool isNew) const
    {
        TwPaletteSettings s;
        s.title = "Night runs";
        s.filePath = "/x/Night.qvp";
        s.colour = VkRGB(10, 20, 30);
        s.radio = TwPaletteSettings::RadioColour;
        s.autoLoad = true;
        s.autoSave = false;
        s.isNew = isNew;
        return s;
    }
    QString Picture()
    {
        const auto path = root() / "pic.bmp";
        QImage image(12, 9, QImage::Format_RGB32);
        image.fill(Qt::red);
        image.save(QString::fromStdString(path.string()));
        return QString::fromStdString(path.string());
    }
};

TEST_F(TwPaletteSettingsDlgTest, ModesShowTheirCaptionHeaderAndButton)
{
    TwPaletteSettingsDlg newDlg(Settings(true), "Quorvane");
    EXPECT_EQ(newDlg.windowTitle(), "NEW Palette Settings");
    EXPECT_EQ(newDlg.okButton()->text(), "Continue");
    EXPECT_TRUE(newDlg.headerLabel()->text().startsWith("Enter settings for new Palette"));

    TwPaletteSettingsDlg props(Settings(false), "Quorvane");
    EXPECT_EQ(props.windowTitle(), "Palette Settings");
    EXPECT_NE(props.okButton()->text(), "Continue");
    EXPECT_EQ(props.headerLabel()->text(), "Path: /x/Night.qvp");
    EXPECT_EQ(props.titleEdit()->text(), "Night runs");
    EXPECT_TRUE(props.colourRadio()->isChecked());
    EXPECT_EQ(props.pathLabel()->text(), "-none specified-");
    EXPECT_TRUE(props.autoLoadCheck()->isChecked());
    EXPECT_FALSE(props.autoSaveCheck()->isChecked());
    EXPECT_EQ(props.colourButton()->colour(), QColor(10, 20, 30));
}

TEST_F(TwPaletteSettingsDlgTest, OkNeedsATitle)
{
    TwPaletteSettingsDlg dlg(Settings(false), "Quorvane");
    EXPECT_TRUE(dlg.okButton()->isEnabled());
    dlg.titleEdit()->clear();
    EXPECT_FALSE(dlg.okButton()->isEnabled());
    dlg.pictureRadio()->click();
    EXPECT_FALSE(dlg.okButton()->isEnabled());
    dlg.titleEdit()->setText("x");
    EXPECT_TRUE(dlg.okButton()->isEnabled());
}

TEST_F(TwPaletteSettingsDlgTest, UnloadablePictureFallsBackToColourWithMessage613)
{
    const auto bad = root() / "broken.jpg";
    std::ofstream(bad) << "no picture here";
    VkModalScript script;
    script.AnswerFile(QString::fromStdString(bad.string()));
    script.AnswerMessage(IDOK);

    TwPaletteSettingsDlg dlg(Settings(false), "Quorvane");
    dlg.pictureRadio()->setChecked(true);
    dlg.browseButton()->click();

    ASSERT_EQ(script.FileDialogs().size(), 1u);
    const VkFileDialogRequest& asked = script.FileDialogs()[0];
    EXPECT_EQ(asked.title, "Select Picture");
    EXPECT_EQ(asked.okText, "Select");
    EXPECT_EQ(asked.defaultExt, "bmp");
    EXPECT_TRUE(asked.mustExist);
    EXPECT_TRUE(asked.filter.startsWith("Picture Files (*.bmp; *.gif; *.jpg)|"));

    ASSERT_EQ(script.Messages().size(), 1u);
    const VkMessageBoxRequest& msg = script.Messages()[0];
    EXPECT_EQ(msg.text, QString("The file \"%1\" is not of a supported picture type or the file is corrupt.\n"
                                "Please select another file.")
                            .arg(QString::fromStdString(bad.string())));
    EXPECT_EQ(msg.caption, "Quorvane");
    EXPECT_EQ(msg.style & MB_ICONMASK, MB_ICONSTOP);
    EXPECT_TRUE(dlg.colourRadio()->isChecked());
    EXPECT_FALSE(dlg.preview().IsLoaded());

    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Settings().radio, TwPaletteSettings::RadioColour);
}

TEST_F(TwPaletteSettingsDlgTest, PictureChosenShowsPreviewAndIsKept)
{
    const QString pic = Picture();
    VkModalScript script;
    script.AnswerFile(pic);
    TwPaletteSettingsDlg dlg(Settings(false), "Quorvane");
    dlg.browseButton()->click();
    EXPECT_TRUE(script.Messages().empty());
    EXPECT_TRUE(dlg.pictureRadio()->isChecked());
    EXPECT_TRUE(dlg.preview().IsLoaded());
    EXPECT_NE(dlg.pathLabel()->text(), "-none specified-");

    dlg.titleEdit()->setText("Day shift");
    dlg.autoSaveCheck()->setChecked(true);
    dlg.accept();
    const TwPaletteSettings& s = dlg.Settings();
    EXPECT_EQ(s.title, "Day shift");
    EXPECT_EQ(s.radio, TwPaletteSettings::RadioPicture);
    EXPECT_EQ(s.picturePath, pic);
    EXPECT_TRUE(s.autoSave);
}

TEST_F(TwPaletteSettingsDlgTest, ColourButtonSelectsColour)
{
    VkModalScript script;
    script.AnswerDialog([](QDialog* d) {
        auto* colours = qobject_cast<QColorDialog*>(d);
        EXPECT_NE(colours, nullptr);
        if (colours)
            colours->setCurrentColor(QColor(200, 100, 50));
        return QDialog::Accepted;
    });
    TwPaletteSettings start = Settings(false);
    start.radio = TwPaletteSettings::RadioPicture;
    TwPaletteSettingsDlg dlg(start, "Quorvane");
    EXPECT_TRUE(dlg.pictureRadio()->isChecked());
    dlg.colourButton()->click();
    EXPECT_TRUE(dlg.colourRadio()->isChecked());
    dlg.accept();
    EXPECT_EQ(dlg.Settings().colour, VkRGB(200, 100, 50));
}

} // namespace
