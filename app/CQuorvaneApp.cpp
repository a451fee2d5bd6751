#include "app/CQuorvaneApp.h"

#include "app/CArtwork.h"
#include "app/CGridDoc.h"
#include "app/CGridView.h"
#include "app/CMainFrame.h"
#include "app/CQuorvaneResources.h"
#include "app/CQuorvaneDoc.h"
#include "app/CQuorvaneStrings.h"
#include "app/CQuorvaneView.h"
#include "app/CSchedulerCtrl.h"
#include "framework/TwChildFrame.h"
#include "framework/TwSplashWnd.h"
#include "framework/TwCommandIds.h"
#include "generic/VkDocTemplate.h"
#include "generic/VkModalService.h"
#include "platform/Archive.h"
#include "platform/ArchiveException.h"
#include "platform/ArchiveFile.h"

#include <QMdiArea>

CQuorvaneApp::CQuorvaneApp()
{
    m_helpFileName = QStringLiteral("quorvane.chm");
    m_title = QStringLiteral("Quorvane");
    m_company = QStringLiteral("Tarnwick");
    m_docName = QStringLiteral("Queue");
    m_longName = QStringLiteral("Quorvane for Oracle");
    m_versionText = VersionText();
    m_paletteExt = QStringLiteral("qvp");
    m_paletteFilter = QStringLiteral("Quorvane Palette Files (*.qvp)|*.qvp|All Files (*.*)|*.*||");
    TwSplashWnd::m_pic.SetImage(QvSplashPicture(m_title, m_versionText));
    // Open (Ctrl+O) reads a saved queue while no queue window is active;
    // an active queue document swallows it.
    MapCommand(ID_FILE_OPEN, [this] { OnQueueOpen(); });
    MapCommand(ID_VIEW_SQLGRID, [this] { OnViewSqlGrid(); }, [this](VkCmdUI& ui) {
        ui.Enable(m_gridTemplate && m_gridTemplate->CanCreateDocuments());
    });
}

QString CQuorvaneApp::VersionText()
{
    return QStringLiteral("Quorvane for Oracle Version 2.1");
}

void CQuorvaneApp::RegisterDocTemplates()
{
    TwChildFrame::m_hIcon = QvQueueIcon();
    AddDocTemplate(new VkMultiDocTemplate(
        IDR_QUEUETYPE, [] { return new CQuorvaneDoc; }, [](VkDocument*) { return new TwChildFrame; },
        [](VkDocument* doc) { return new CQuorvaneView(static_cast<CQuorvaneDoc*>(doc)); }));
    // After the queue template: palettes hold the first template's
    // documents only, so grid windows never enter a palette file.
    m_gridTemplate = new VkMultiDocTemplate(
        IDR_GRIDTYPE, [] { return new CGridDoc; }, [](VkDocument*) { return new TwChildFrame; },
        [](VkDocument* doc) { return new CGridView(static_cast<CGridDoc*>(doc)); });
    AddDocTemplate(m_gridTemplate);
}

void CQuorvaneApp::OnViewSqlGrid()
{
    if (m_gridTemplate)
        m_gridTemplate->OpenDocumentFile(true);
    AfterDocumentOpened();
}

void CQuorvaneApp::CloseGridWindows()
{
    if (m_gridTemplate)
        m_gridTemplate->CloseAllDocuments();
}

void CQuorvaneApp::OnQueueOpen()
{
    VkMultiDocTemplate* tpl = FirstTemplate();
    if (!tpl)
        return;
    VkFileDialogRequest request;
    request.owner = MainFrame();
    request.mustExist = true;
    if (!VkModalService::FileDialog(request) || request.path.isEmpty())
        return;
    const std::string path = request.path.toStdString();
    CQuorvaneDoc::OpeningSaved opening;
    auto* doc = static_cast<CQuorvaneDoc*>(tpl->OpenDocumentFile(false));
    if (!doc)
        return;
    try {
        CFile file;
        CFileException error;
        if (!file.Open(path.c_str(), CFile::modeRead, &error))
            throw CFileException(error);
        CArchive ar(&file, CArchive::load);
        doc->Serialize(ar);
    } catch (const CException&) {
        doc->OnCloseDocument();
        VkModalService::MessageBox(MainFrame(), QString::fromStdString(QvStrings().Format(IDS_QV_BAD_QUEUE_FILE, path.c_str())),
                                   Title(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    for (QMdiSubWindow* frame : doc->Frames())
        frame->show();
    DocumentCreated(doc);
    AfterDocumentOpened();
}

TwMainFrame* CQuorvaneApp::CreateMainFrame()
{
    return new CMainFrame(this);
}

void CQuorvaneApp::RefreshDocument(VkDocument* doc)
{
    if (auto* queue = dynamic_cast<CQuorvaneDoc*>(doc); queue && queue->Control())
        queue->Control()->Refresh();
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
