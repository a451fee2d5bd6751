#include "framework/TwPalette.h"
#include "framework/TwPaletteSettings.h"
#include "generic/VkPaths.h"
#include "platform/Archive.h"
#include "platform/ArchiveFile.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <QImage>

#include <fstream>

namespace {

class TwPaletteTest : public qvtest::FreshRootTest {};

TEST_F(TwPaletteTest, ResetNamesTheFirstFreePaletteFileInTheDocumentsFolder)
{
    const auto docs = VkPersonalFolder();
    TwPalette first;
    EXPECT_EQ(first.Path().toStdString(), (docs / "Palette1.qvp").string());
    EXPECT_EQ(first.Title(), "Palette1");
    EXPECT_TRUE(first.IsDefault());
    EXPECT_EQ(first.Mode(), TwPalette::ModeColour);
    EXPECT_EQ(first.BkColour(), TwPalette::WorkspaceColour());
    EXPECT_EQ(first.DefaultExtension(), "qvp");
    EXPECT_EQ(first.FileFilter(), "Quorvane Palette Files (*.qvp)|*.qvp|All Files (*.*)|*.*||");

    std::ofstream(docs / "Palette1.qvp") << "x";
    std::ofstream(docs / "Palette2.qvp") << "x";
    TwPalette third;
    EXPECT_EQ(third.Title(), "Palette3");

    third.SetPath("/tmp/elsewhere.qvp");
    EXPECT_FALSE(third.IsDefault());
    EXPECT_EQ(third.FileName(), "elsewhere.qvp");
    third.Reset();
    EXPECT_TRUE(third.IsDefault());
}

TEST_F(TwPaletteTest, BackgroundColourAndPicture)
{
    const auto picture = root() / "sky.png";
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(QString::fromStdString(picture.string())));
    std::ofstream(root() / "bad.bmp") << "not a picture";

    TwPalette p;
    p.SetBkPicture(QString::fromStdString(picture.string()));
    EXPECT_EQ(p.Mode(), TwPalette::ModePicture);
    EXPECT_TRUE(p.BkPicture().IsLoaded());
    EXPECT_EQ(p.BkPicture().Size(), QSize(8, 6));

    p.SetBkColour(VkRGB(1, 2, 3));
    EXPECT_EQ(p.Mode(), TwPalette::ModeColour);
    EXPECT_FALSE(p.BkPicture().IsLoaded());
    EXPECT_EQ(p.BkColour(), 0x030201u);
    EXPECT_EQ(VkColorFromRef(p.BkColour()), QColor(1, 2, 3));

    p.SetBkPicture(QString::fromStdString((root() / "bad.bmp").string()));
    EXPECT_EQ(p.Mode(), TwPalette::ModePicture);
    EXPECT_FALSE(p.BkPicture().IsLoaded());
}

TEST_F(TwPaletteTest, PaletteRecordLayoutAndRoundTrip)
{
    TwPalette p;
    p.SetTitle("Night runs");
    p.SetBkColour(VkRGB(0x10, 0x20, 0x30));

    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        p.Serialize(ar);
    }
    const std::string bytes(reinterpret_cast<const char*>(file.GetBuffer()), file.GetLength());
    // colour 0x00302010, mode 0, title with its one-byte length, empty path.
    const std::string expected = std::string("\x10\x20\x30\x00", 4) + std::string("\0\0\0\0", 4) + "\x0aNight runs" +
                                 std::string("\0", 1);
    EXPECT_EQ(bytes, expected);

    file.SeekToBegin();
    TwPalette back;
    {
        CArchive ar(&file, CArchive::load);
        back.Serialize(ar);
    }
    EXPECT_EQ(back.Title(), "Night runs");
    EXPECT_EQ(back.BkColour(), p.BkColour());
    EXPECT_EQ(back.Mode(), TwPalette::ModeColour);

    // A picture record naming a file that is gone: picture mode, unloaded.
    CMemFile pic;
    {
        CArchive ar(&pic, CArchive::store);
        ar << DWORD(0) << LONG(1);
        ar.WriteString("T");
        ar.WriteString("/nowhere/gone.bmp");
    }
    pic.SeekToBegin();
    {
        CArchive ar(&pic, CArchive::load);
        back.Serialize(ar);
    }
    EXPECT_EQ(back.Mode(), TwPalette::ModePicture);
    EXPECT_EQ(back.BkPicturePath(), "/nowhere/gone.bmp");
    EXPECT_FALSE(back.BkPicture().IsLoaded());
}

TEST_F(TwPaletteTest, SettingsRules)
{
    TwPalette p;
    p.SetTitle("Ops");
    struct Case {
        bool isNew;
        QString filePath;
        const char* caption;
        const char* ok;
        QString header;
    };
    const Case cases[] = {
        {true, "/x/Palette1.qvp", "NEW Palette Settings", "Continue",
         "Enter settings for new Palette and press Continue.\r\nA Palette is an arrangement of one or more job queues."},
        {false, "/x/Ops.qvp", "Palette Settings", "", "Path: /x/Ops.qvp"},
        {false, "", "Palette Settings", "", "Path: Unspecified"},
    };
    for (const Case& k : cases) {
        TwPaletteSettings s = TwPaletteSettings::From(p, true, false, k.isNew);
        s.filePath = k.filePath;
        EXPECT_EQ(s.Caption(), k.caption);
        EXPECT_EQ(s.OkText(), k.ok);
        EXPECT_EQ(s.Header(), k.header);
        EXPECT_TRUE(s.autoLoad);
        EXPECT_FALSE(s.autoSave);
    }

    TwPaletteSettings s = TwPaletteSettings::From(p, true, true, false);
    EXPECT_EQ(s.PictureLabel(), "-none specified-");
    EXPECT_EQ(s.radio, TwPaletteSettings::RadioColour);
    s.title.clear();
    EXPECT_FALSE(s.OkEnabled());
    // Picture chosen without a file keeps the colour.
    s.title = "New title";
    s.radio = TwPaletteSettings::RadioPicture;
    s.Confirm();
    EXPECT_EQ(s.radio, TwPaletteSettings::RadioColour);
    s.colour = VkRGB(9, 8, 7);
    s.ApplyTo(p);
    EXPECT_EQ(p.Title(), "New title");
    EXPECT_EQ(p.Mode(), TwPalette::ModeColour);
    EXPECT_EQ(p.BkColour(), VkRGB(9, 8, 7));
}

} // namespace
