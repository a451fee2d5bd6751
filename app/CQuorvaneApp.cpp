#include "app/CQuorvaneApp.h"

#include "app/CArtwork.h"
#include "app/CMainFrame.h"
#include "app/CQuorvaneResources.h"
#include "app/CQuorvaneStrings.h"
#include "framework/TwChildFrame.h"
#include "framework/TwSplashWnd.h"
#include "generic/VkDocTemplate.h"

CQuorvaneApp::CQuorvaneApp()
{
    m_helpFileName = QStringLiteral("quorvane.chm");
    m_title = QStringLiteral("Quorvane");
    m_company = QStringLiteral("Tarnwick");
    m_docName = QStringLiteral("Queue");
    m_longName = QStringLiteral("Quorvane for Oracle");
    m_versionText = QStringLiteral("Quorvane for Oracle Version 2.1");
    m_paletteExt = QStringLiteral("qvp");
    m_paletteFilter = QStringLiteral("Quorvane Palette Files (*.qvp)|*.qvp|All Files (*.*)|*.*||");
    TwSplashWnd::m_pic.SetImage(QvSplashPicture(m_title, m_versionText));
}

void CQuorvaneApp::RegisterDocTemplates()
{
    TwChildFrame::m_hIcon = QvQueueIcon();
    // The queue document and its view join the template with the scheduler
    // control; until then the template makes no documents and Connect New
    // Queue stays disabled.
    AddDocTemplate(new VkMultiDocTemplate(IDR_QUEUETYPE, {}, [](VkDocument*) { return new TwChildFrame; }, {}));
}

TwMainFrame* CQuorvaneApp::CreateMainFrame()
{
    return new CMainFrame(this);
}

void CQuorvaneApp::RefreshDocument(VkDocument*)
{
    // Refreshing asks the queue's scheduler control, which queue documents
    // bring along.
}

VkMenuTable CQuorvaneApp::DocumentMenu() const
{
    return QvQueueMenu();
}

VkAccelTable CQuorvaneApp::Accelerators() const
{
    return QvAccelerators();
}

std::string CQuorvaneApp::CommandPrompt(UINT id) const
{
    return QvStrings().Load(id);
}

QIcon CQuorvaneApp::FrameIcon() const
{
    return QvFrameIcon();
}

QIcon CQuorvaneApp::CommandIcon(UINT id) const
{
    return QvToolBarIcon(id);
}
