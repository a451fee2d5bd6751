// Palettes through the running program: queue windows on the demo
// databases saved into palette files, opened again, damaged files refused,
// the demo palette and a restart.

#include "app/CMainFrame.h"
#include "app/CQuorvaneApp.h"
#include "app/CQuorvaneDemoPalette.h"
#include "app/CQuorvaneDoc.h"
#include "app/CQuorvaneScreenshot.h"
#include "app/CQuorvaneView.h"
#include "app/CSchedulerCtrl.h"
#include "framework/TwCommandIds.h"
#include "framework/TwLogonDlg.h"
#include "framework/TwMDIClientWnd.h"
#include "framework/TwPalette.h"
#include "framework/TwPaletteFile.h"
#include "generic/VkDocTemplate.h"
#include "generic/VkModalScript.h"
#include "platform/Archive.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

using qvtest::WaitUntil;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Reads the file's fields one by one, as the format says, not through the
// program's reader.
class FieldReader {
public:
    explicit FieldReader(std::string bytes) : m_bytes(std::move(bytes)) {}
    DWORD Dword()
    {
        EXPECT_LE(m_pos + 4, m_bytes.size());
        DWORD v = 0;
        for (int i = 0; i < 4 && m_pos < m_bytes.size(); ++i)
            v |= DWORD(static_cast<unsigned char>(m_bytes[m_pos++])) << (8 * i);
        return v;
    }
    std::string Str()
    {
        const std::size_t length = static_cast<unsigned char>(m_bytes.at(m_pos++));
        EXPECT_LT(length, 255u);
        std::string s = m_bytes.substr(m_pos, length);
        m_pos += length;
        return s;
    }
    void Skip(std::size_t n)
    {
        EXPECT_LE(m_pos + n, m_bytes.size());
        m_pos += n;
    }
    std::size_t Position() const { return m_pos; }
    bool AtEnd() const { return m_pos == m_bytes.size(); }

private:
    std::string m_bytes;
    std::size_t m_pos = 0;
};

class Palettes : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        std::string output;
        if (qvtest::RunCommand("'" + qvtest::BinPath("oradmin").string() + "' demo", &output, true) != 0)
            FAIL() << "the demo databases could not be provisioned:\n" << output;
        ASSERT_TRUE(qvtest::RegisterModule("VkReg"));
        ASSERT_TRUE(qvtest::RegisterModule("QVCtrl"));
        Start();
    }
    void TearDown() override
    {
        app.reset();
        FreshRootTest::TearDown();
    }
    void Start()
    {
        app = std::make_unique<CQuorvaneApp>();
        ASSERT_TRUE(app->InitInstance({"-nologo"}));
        frame = static_cast<CMainFrame*>(app->MainFrame());
        frame->showNormal();
        frame->resize(1200, 800);
    }
    // Ends the program as closing its window does, then starts it again.
    void Restart()
    {
        EXPECT_TRUE(frame->close());
        app->ExitInstance();
        app.reset();
        Start();
    }

    CQuorvaneDoc* NewQueue(const char* user, const char* password, const char* database)
    {
        modal.AnswerDialog([=](QDialog* d) {
            auto* dlg = dynamic_cast<TwLogonDlg*>(d);
            EXPECT_NE(dlg, nullptr);
            if (!dlg)
                return int(QDialog::Rejected);
            dlg->userCombo()->lineEdit()->setText(QString::fromLatin1(user));
            dlg->passwordEdit()->setText(QString::fromLatin1(password));
            const int index = dlg->databaseCombo()->findText(QString::fromLatin1(database));
            dlg->databaseCombo()->setCurrentIndex(index);
            emit dlg->databaseCombo()->activated(index);
            return int(QDialog::Accepted);
        });
        const int before = Template()->DocumentCount();
        app->Router().Execute(ID_FILE_NEW);
        if (Template()->DocumentCount() == before)
            return nullptr;
        return static_cast<CQuorvaneDoc*>(Template()->Documents().back());
    }
    VkMultiDocTemplate* Template() const { return app->FirstTemplate(); }
    std::vector<CQuorvaneDoc*> Queues() const
    {
        std::vector<CQuorvaneDoc*> docs;
        for (VkDocument* d : Template()->Documents())
            docs.push_back(static_cast<CQuorvaneDoc*>(d));
        return docs;
    }
    // The titles of the queue windows from the bottom-most up.
    QStringList Stacking() const
    {
        QStringList titles;
        for (QMdiSubWindow* w : app->MDIFrame()->subWindowList(QMdiArea::StackingOrder))
            titles << w->windowTitle();
        return titles;
    }
    bool AllConnected() const
    {
        for (CQuorvaneDoc* doc : Queues())
            if (!doc->GetTitle().endsWith(" - Connected") || doc->Control()->Items() == 0)
                return false;
        return true;
    }
    std::string PathIn(const char* name) const { return (root() / name).string(); }
    QString QPathIn(const char* name) const { return QString::fromStdString(PathIn(name)); }

    VkModalScript modal;
    std::unique_ptr<CQuorvaneApp> app;
    CMainFrame* frame = nullptr;
};

TEST_F(Palettes, FourQueuesComeBackInTheirStackingOrderAndLogOnWithoutADialog)
{
    ASSERT_NE(NewQueue("scott", "tiger", "DEMO"), nullptr);
    ASSERT_NE(NewQueue("scott", "tiger", "LEGACY"), nullptr);
    CQuorvaneDoc* system = NewQueue("system", "manager", "DEMO");
    ASSERT_NE(system, nullptr);
    ASSERT_NE(NewQueue("system", "manager", "LEGACY"), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Queues().size() == 4 && AllConnected(); }));
    system->Frames().at(0)->setGeometry(15, 25, 500, 300);
    app->MDIFrame()->setActiveSubWindow(system->Frames().at(0));
    const QStringList before = Stacking();
    ASSERT_EQ(before.size(), 4);
    EXPECT_EQ(before.back(), "SYSTEM (DEMO) - Connected");
    app->CurrentPalette()->SetTitle("Night runs");

    const std::string path = PathIn("night.qvp");
    modal.AnswerFile(QString::fromStdString(path));
    ASSERT_TRUE(app->Router().Execute(ID_PALETTE_SAVEAS));
    ASSERT_EQ(modal.FileDialogs().size(), 1u);
    EXPECT_TRUE(modal.FileDialogs()[0].save);
    EXPECT_TRUE(modal.FileDialogs()[0].overwritePrompt);
    EXPECT_EQ(modal.FileDialogs()[0].defaultExt, "qvp");
    EXPECT_EQ(app->CurrentPalette()->Path().toStdString(), path);
    EXPECT_FALSE(app->CurrentPalette()->IsDefault());

    // The file, field by field.
    FieldReader in(ReadAll(path));
    EXPECT_EQ(in.Dword(), 1u); // header
    EXPECT_EQ(in.Dword(), app->CurrentPalette()->BkColour());
    EXPECT_EQ(in.Dword(), 0u); // colour mode
    EXPECT_EQ(in.Str(), "Night runs");
    EXPECT_EQ(in.Str(), "");
    ASSERT_EQ(in.Dword(), 4u);
    for (int q = 0; q < 4; ++q) {
        LONG frameRecord[13], viewRecord[13];
        for (LONG& v : frameRecord)
            v = LONG(in.Dword());
        for (LONG& v : viewRecord)
            v = LONG(in.Dword());
        EXPECT_EQ(frameRecord[0], 0) << q;  // neither maximized nor minimized
        EXPECT_EQ(frameRecord[10], 1) << q; // visible
        EXPECT_EQ(frameRecord[11], 1) << q; // enabled
        if (q == 3) {                       // the active one, on top
            EXPECT_EQ(frameRecord[1], 15);
            EXPECT_EQ(frameRecord[2], 25);
            EXPECT_EQ(frameRecord[3], 515);
            EXPECT_EQ(frameRecord[4], 325);
        }
        // The control's data: chunks of 1 to 1024 bytes, only the last one
        // shorter than 1024, then a length of 0.
        DWORD total = 0, last = 1024;
        for (DWORD length = in.Dword(); length != 0; length = in.Dword()) {
            ASSERT_LE(length, 1024u);
            EXPECT_EQ(last, 1024u) << "a short chunk before the last";
            last = length;
            total += length;
            in.Skip(length);
        }
        EXPECT_GT(total, 0u) << q;
    }
    EXPECT_TRUE(in.AtEnd());

    // Open it again: the question (No), then the same windows in the same
    // order, the formerly active on top, logged on without a dialog.
    const std::size_t dialogs = modal.Dialogs().size();
    modal.AnswerFile(QString::fromStdString(path));
    modal.AnswerMessage(IDNO);
    ASSERT_TRUE(app->Router().Execute(ID_PALETTE_OPEN));
    ASSERT_EQ(modal.Messages().size(), 1u) << modal.Messages().front().text.toStdString();
    EXPECT_EQ(modal.Messages()[0].text, QString("Do you want to save the current Palette first (\"%1\")?").arg(QString::fromStdString(path)));
    ASSERT_EQ(Queues().size(), 4u);
    ASSERT_TRUE(WaitUntil([&] { return AllConnected(); }));
    EXPECT_EQ(Stacking(), before);
    EXPECT_EQ(app->MDIFrame()->activeSubWindow()->windowTitle(), "SYSTEM (DEMO) - Connected");
    EXPECT_EQ(app->MDIFrame()->activeSubWindow()->geometry(), QRect(15, 25, 500, 300));
    EXPECT_EQ(modal.Dialogs().size(), dialogs);
    EXPECT_EQ(app->CurrentPalette()->Title(), "Night runs");
    EXPECT_EQ(app->OpenDocumentCount(), 4);
    EXPECT_TRUE(frame->windowTitle().endsWith("Night runs (4 Queues)")) << frame->windowTitle().toStdString();
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(Palettes, YesInTheSaveQuestionSavesAndSaveAgainWritesSilently)
{
    ASSERT_NE(NewQueue("scott", "tiger", "DEMO"), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return AllConnected(); }));
    const std::string other = PathIn("other.qvp");
    {
        // Another palette to open: an empty one.
        std::string reason;
        TwPalette empty;
        ASSERT_TRUE(TwPaletteFile::WriteReplacing(other, [&](CArchive& ar) {
            ar << DWORD(1);
            empty.Serialize(ar);
            ar << DWORD(0);
        }, reason)) << reason;
    }
    const std::string kept = PathIn("kept.qvp");
    modal.AnswerFile(QString::fromStdString(other)); // which palette to open
    modal.AnswerMessage(IDYES);                      // save the current one first
    modal.AnswerFile(QString::fromStdString(kept));  // where: it has no file yet
    ASSERT_TRUE(app->Router().Execute(ID_PALETTE_OPEN));
    ASSERT_EQ(modal.FileDialogs().size(), 2u);
    // The proposal: the title, a number and the extension.
    EXPECT_TRUE(modal.FileDialogs()[1].path.endsWith("Palette11.qvp")) << modal.FileDialogs()[1].path.toStdString();
    TwPaletteContents contents;
    std::string reason;
    ASSERT_TRUE(TwPaletteFile::Read(kept, contents, reason)) << reason;
    EXPECT_EQ(contents.queues.size(), 1u);
    EXPECT_EQ(Queues().size(), 0u);
    EXPECT_EQ(app->CurrentPalette()->Path().toStdString(), other);

    // Saving the opened palette writes to its own file without asking.
    ASSERT_NE(NewQueue("scott", "tiger", "LEGACY"), nullptr);
    ASSERT_TRUE(app->Router().Execute(ID_PALETTE_SAVE));
    EXPECT_EQ(modal.FileDialogs().size(), 2u);
    ASSERT_TRUE(TwPaletteFile::Read(other, contents, reason)) << reason;
    EXPECT_EQ(contents.queues.size(), 1u);

    // The Recent menu lists both, the newest first.
    ASSERT_EQ(app->RecentPalettePaths().size(), 2u);
    EXPECT_EQ(app->RecentPalettePaths()[0].toStdString(), other);
    EXPECT_EQ(app->RecentPalettePaths()[1].toStdString(), kept);
    const QList<QMenu*> recent = frame->RecentPopups();
    ASSERT_EQ(recent.size(), 2);
    for (QMenu* menu : recent) {
        ASSERT_EQ(menu->actions().size(), 2);
        EXPECT_EQ(menu->actions()[0]->text(), "&1 " + app->CurrentPalette()->Title() + " (" + QString::fromStdString(other) + ")");
    }
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(Palettes, DamagedFilesAreNamedAndChangeNothing)
{
    CQuorvaneDoc* doc = NewQueue("scott", "tiger", "DEMO");
    ASSERT_NE(doc, nullptr);
    ASSERT_NE(NewQueue("scott", "tiger", "LEGACY"), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return AllConnected(); }));
    const std::string good = PathIn("good.qvp");
    modal.AnswerFile(QString::fromStdString(good));
    ASSERT_TRUE(app->Router().Execute(ID_PALETTE_SAVEAS));
    const std::string bytes = ReadAll(good);
    const TwPalette* palette = app->CurrentPalette();
    const std::vector<CQuorvaneDoc*> queues = Queues();

    // Cut anywhere, a chunk above 1024 bytes, control data the control
    // refuses: each is reported with the path and why.
    std::vector<std::pair<std::string, std::string>> damaged;
    for (std::size_t cut : {std::size_t(3), std::size_t(20), std::size_t(40), std::size_t(150), bytes.size() / 2,
                            bytes.size() - 1})
        damaged.push_back({bytes.substr(0, cut), "ends"});
    {
        TwPaletteContents contents;
        std::string reason;
        ASSERT_TRUE(TwPaletteFile::Decode(bytes, contents, reason));
        std::string big = bytes;
        const std::size_t firstChunk = bytes.size() - contents.queues[0].size() - contents.queues[1].size() + 104;
        big[firstChunk + 1] = 0x10; // length 4096 + n
        damaged.push_back({big, "at most 1024"});
        // The first queue's data replaced by bytes the control cannot read.
        std::string garbage = bytes.substr(0, bytes.size() - contents.queues[0].size() - contents.queues[1].size());
        garbage += contents.queues[0].substr(0, 104) + std::string("\x04\0\0\0JUNK\0\0\0\0", 12) + contents.queues[1];
        damaged.push_back({garbage, "Queue 1"});
    }
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        const std::string path = (root() / ("damaged" + std::to_string(i) + ".qvp")).string();
        WriteAll(path, damaged[i].first);
        modal.AnswerFile(QString::fromStdString(path));
        modal.AnswerMessage(IDNO);  // do not save the current one
        modal.AnswerMessage(IDOK);  // the report
        const std::size_t messages = modal.Messages().size();
        ASSERT_TRUE(app->Router().Execute(ID_PALETTE_OPEN));
        ASSERT_EQ(modal.Messages().size(), messages + 2) << i;
        const QString report = modal.Messages().back().text;
        EXPECT_TRUE(report.contains(QString::fromStdString(path))) << report.toStdString();
        EXPECT_TRUE(report.contains(QString::fromStdString(damaged[i].second))) << report.toStdString();
        EXPECT_TRUE(report.contains("The current Palette is unchanged.")) << report.toStdString();
        // The same palette and the same windows, still working.
        EXPECT_EQ(app->CurrentPalette(), palette);
        EXPECT_EQ(app->CurrentPalette()->Path().toStdString(), good);
        ASSERT_TRUE(WaitUntil([&] { return Queues() == queues; })) << i;
        EXPECT_EQ(app->OpenDocumentCount(), 2);
    }
    ASSERT_TRUE(WaitUntil([&] { return AllConnected(); }));
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(Palettes, ClosingSavesThePaletteAndTheNextStartOpensIt)
{
    ASSERT_NE(NewQueue("scott", "tiger", "DEMO"), nullptr);
    ASSERT_NE(NewQueue("scott", "tiger", "LEGACY"), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return AllConnected(); }));
    const QStringList before = Stacking();
    // Auto save: a palette without a file asks where once.
    const std::string path = PathIn("auto.qvp");
    modal.AnswerFile(QString::fromStdString(path));
    Restart();
    EXPECT_EQ(modal.FileDialogs().size(), 1u);
    EXPECT_EQ(app->CurrentPalette()->Path().toStdString(), path);
    ASSERT_EQ(Queues().size(), 2u);
    ASSERT_TRUE(WaitUntil([&] { return AllConnected(); }));
    EXPECT_EQ(Stacking(), before);
    // Now it has a file: closing writes it without asking.
    Restart();
    EXPECT_EQ(modal.FileDialogs().size(), 1u);
    ASSERT_EQ(Queues().size(), 2u);
    EXPECT_EQ(modal.Dialogs().size(), 2u); // only the two first logons
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(Palettes, TheDemoPaletteOpensTwoConnectedQueues)
{
    const QString path = QPathIn("Demo.qvp");
    std::string reason;
    ASSERT_TRUE(CQuorvaneDemoPalette::Write(*app, path, reason)) << reason;
    EXPECT_EQ(app->CurrentPalette()->Title(), "Demo");
    app->ExitInstance();
    app.reset();
    Start();
    ASSERT_EQ(app->CurrentPalette()->Path(), path);
    ASSERT_EQ(Queues().size(), 2u);
    ASSERT_TRUE(WaitUntil([&] { return AllConnected(); }));
    EXPECT_EQ(Stacking(), (QStringList{"SCOTT (DEMO) - Connected", "SCOTT (LEGACY) - Connected"}));
    EXPECT_TRUE(modal.Dialogs().empty());

    // What --screenshot prints about it.
    CQuorvaneScreenshot shot(app.get(), QPathIn("shot.png"));
    EXPECT_TRUE(shot.LogonsFinished());
    const QStringList lines = shot.Describe();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "Quorvane - Demo (2 Queues)");
    EXPECT_EQ(lines[1], "SCOTT (DEMO) - Connected\t9");
    EXPECT_TRUE(lines[2].startsWith("SCOTT (LEGACY) - Connected\t")) << lines[2].toStdString();
    EXPECT_EQ(modal.Unexpected(), 0);
}

} // namespace
