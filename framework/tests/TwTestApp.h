#pragma once
// A small application for the framework's tests: memory settings that the
// test fills and reads, a frame without tool bars, and a template of test
// documents that count themselves like queue documents.

#include "framework/TwChildFrame.h"
#include "framework/TwMainFrame.h"
#include "framework/TwMDIClientWnd.h"
#include "framework/TwQuillApp.h"
#include "framework/TwSettings.h"
#include "generic/VkDocTemplate.h"

#include <QCoreApplication>
#include <QLabel>

#include <ostream>

// Readable failures for texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace twtest {

class TestFrame : public TwMainFrame {
public:
    using TwMainFrame::TwMainFrame;

protected:
    bool CreateToolBars() override { return true; }
};

class TestDoc : public VkDocument {
public:
    bool OnNewDocument() override
    {
        if (!s_accept)
            return false;
        SetTitle(QStringLiteral("Queue %1").arg(++s_made));
        TwQuillApp::App()->DocumentCreated(this);
        return true;
    }
    void OnCloseDocument() override
    {
        VkDocument::OnCloseDocument();
        TwQuillApp::App()->OnCloseDocument(this);
    }
    static inline bool s_accept = true;
    static inline int s_made = 0;
};

class TestApp : public TwQuillApp {
public:
    // settings: what the store holds at start-up (the app takes a copy and
    // the test reads the live one through Store()).
    explicit TestApp(const TwMemorySettings& settings = {}) : m_initial(settings)
    {
        m_helpFileName = QStringLiteral("twtest.chm");
        m_title = QStringLiteral("Quorvane");
        m_company = QStringLiteral("Tarnwick");
        m_docName = QStringLiteral("Queue");
        m_longName = QStringLiteral("Quorvane for Oracle");
        m_versionText = QStringLiteral("Quorvane for Oracle Version 2.1");
        m_paletteExt = QStringLiteral("qvp");
        m_paletteFilter = QStringLiteral("Quorvane Palette Files (*.qvp)|*.qvp|All Files (*.*)|*.*||");
        TestDoc::s_accept = true;
    }

    void RegisterDocTemplates() override
    {
        AddDocTemplate(new VkMultiDocTemplate(
            127, [] { return new TestDoc; }, [](VkDocument*) { return new TwChildFrame; },
            [](VkDocument* d) { return new QLabel(d->GetTitle()); }));
    }
    TwMainFrame* CreateMainFrame() override { return new TestFrame(this); }
    void RefreshDocument(VkDocument* doc) override { refreshed.push_back(doc); }
    VkMenuTable DocumentMenu() const override
    {
        return {VkMenuPopup("&Window"), VkMenuItem(32784, "A&uto Tile"), VkMenuEnd(), VkMenuPopup("&Help"),
                VkMenuItem(57664, "&About Quorvane..."), VkMenuEnd()};
    }
    std::string CommandPrompt(UINT id) const override
    {
        return id == 32784 ? "Automatically tile windows as the application is resized\nAuto Tile" : "";
    }

    TwMemorySettings* Store() const { return m_store; }
    void ProcessPosted() { QCoreApplication::sendPostedEvents(); }

    std::vector<VkDocument*> refreshed;
    bool oleWorks = true;
    int paletteSaves = 0;
    int paletteLoads = 0;

protected:
    bool InitOle() override { return oleWorks; }
    std::unique_ptr<TwSettings> OpenSettings(const QString&, const QString&) override
    {
        auto store = std::make_unique<TwMemorySettings>(m_initial);
        m_store = store.get();
        return store;
    }
    bool LoadStartupPalette() override { return ++paletteLoads, true; }
    bool SavePalette(bool) override { return ++paletteSaves, true; }

private:
    TwMemorySettings m_initial;
    TwMemorySettings* m_store = nullptr;
};

} // namespace twtest
