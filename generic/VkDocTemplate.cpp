#include "generic/VkDocTemplate.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

VkDocument::VkDocument() = default;
VkDocument::~VkDocument() = default;

void VkDocument::SetTitle(const QString& title)
{
    m_title = title;
    UpdateFrameTitles();
}

void VkDocument::UpdateFrameTitles()
{
    const bool numbered = m_frames.size() > 1;
    for (std::size_t i = 0; i < m_frames.size(); ++i)
        m_frames[i]->setWindowTitle(numbered ? QStringLiteral("%1:%2").arg(m_title).arg(i + 1) : m_title);
}

bool VkDocument::CanCloseFrame(QMdiSubWindow*)
{
    return true;
}

void VkDocument::OnCloseDocument()
{
    if (m_closing)
        return;
    m_closing = true;
    while (!m_frames.empty())
        if (m_template)
            m_template->DetachFrame(this, m_frames.back());
        else
            m_frames.pop_back();
    if (m_template)
        m_template->RemoveDocument(this);
    deleteLater();
}

VkMultiDocTemplate::VkMultiDocTemplate(UINT resourceId, DocumentFactory document, FrameFactory frame,
                                       ViewFactory view, QObject* parent)
    : QObject(parent), m_resourceId(resourceId), m_makeDocument(std::move(document)),
      m_makeFrame(std::move(frame)), m_makeView(std::move(view))
{
}

VkMultiDocTemplate::~VkMultiDocTemplate()
{
    for (VkDocument* doc : m_documents) {
        doc->m_template = nullptr;
        for (QMdiSubWindow* frame : doc->m_frames)
            frame->removeEventFilter(this);
        delete doc;
    }
}

VkDocument* VkMultiDocTemplate::OpenDocumentFile(bool visible)
{
    if (!m_makeDocument || !m_area)
        return nullptr;
    VkDocument* doc = m_makeDocument();
    if (!doc)
        return nullptr;
    doc->m_template = this;
    m_documents.push_back(doc);
    if (!CreateNewFrame(doc, false)) {
        doc->OnCloseDocument();
        return nullptr;
    }
    if (!doc->OnNewDocument()) {
        doc->OnCloseDocument();
        return nullptr;
    }
    if (visible)
        for (QMdiSubWindow* frame : doc->m_frames)
            frame->show();
    return doc;
}

QMdiSubWindow* VkMultiDocTemplate::CreateNewFrame(VkDocument* doc, bool visible)
{
    if (!doc || !m_area || !m_makeFrame)
        return nullptr;
    QMdiSubWindow* frame = m_makeFrame(doc);
    if (!frame)
        return nullptr;
    if (m_makeView)
        if (QWidget* view = m_makeView(doc))
            frame->setWidget(view);
    frame->installEventFilter(this);
    // A frame destroyed by someone else (its MDI area going away) leaves
    // its document's list at once.
    connect(frame, &QObject::destroyed, this, [this, frame] {
        for (VkDocument* d : m_documents) {
            auto& frames = d->m_frames;
            frames.erase(std::remove(frames.begin(), frames.end(), frame), frames.end());
        }
    });
    m_area->addSubWindow(frame);
    doc->m_frames.push_back(frame);
    doc->UpdateFrameTitles();
    if (visible)
        frame->show();
    return frame;
}

VkDocument* VkMultiDocTemplate::DocumentOfFrame(const QMdiSubWindow* frame) const
{
    for (VkDocument* doc : m_documents)
        if (std::find(doc->m_frames.begin(), doc->m_frames.end(), frame) != doc->m_frames.end())
            return doc;
    return nullptr;
}

QWidget* VkMultiDocTemplate::ViewOfFrame(const QMdiSubWindow* frame)
{
    return frame ? frame->widget() : nullptr;
}

void VkMultiDocTemplate::CloseAllDocuments()
{
    // Closing may change the list; work on a copy.
    const std::vector<VkDocument*> docs = m_documents;
    for (VkDocument* doc : docs)
        if (std::find(m_documents.begin(), m_documents.end(), doc) != m_documents.end())
            doc->OnCloseDocument();
}

bool VkMultiDocTemplate::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Close)
        return QObject::eventFilter(watched, event);
    auto* frame = qobject_cast<QMdiSubWindow*>(watched);
    VkDocument* doc = DocumentOfFrame(frame);
    if (!doc)
        return QObject::eventFilter(watched, event);
    // The template decides the frame's fate; Qt's own close must not run.
    event->ignore();
    if (!doc->CanCloseFrame(frame))
        return true;
    if (doc->m_frames.size() <= 1)
        doc->OnCloseDocument();
    else {
        DetachFrame(doc, frame);
        doc->UpdateFrameTitles();
    }
    return true;
}

void VkMultiDocTemplate::DetachFrame(VkDocument* doc, QMdiSubWindow* frame)
{
    auto& frames = doc->m_frames;
    frames.erase(std::remove(frames.begin(), frames.end(), frame), frames.end());
    frame->removeEventFilter(this);
    frame->hide();
    if (m_area)
        m_area->removeSubWindow(frame);
    frame->deleteLater();
}

void VkMultiDocTemplate::RemoveDocument(VkDocument* doc)
{
    m_documents.erase(std::remove(m_documents.begin(), m_documents.end(), doc), m_documents.end());
    doc->m_template = nullptr;
}
