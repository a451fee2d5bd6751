#pragma once
// Documents, their frames and views inside an MDI area: a multi-document
// template creates document + child frame + view triples, knows its open
// documents and closes them. A document is a command target, so the active
// one takes part in command routing.

#include "generic/VkCommand.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class CArchive;
class QMdiArea;
class QMdiSubWindow;
class QWidget;
class VkMultiDocTemplate;

class VkDocument : public QObject, public VkCommandTarget {
    Q_OBJECT
public:
    VkDocument();
    ~VkDocument() override;

    VkMultiDocTemplate* GetDocTemplate() const { return m_template; }
    const std::vector<QMdiSubWindow*>& Frames() const { return m_frames; }

    const QString& GetTitle() const { return m_title; }
    // Sets the title and the captions of every frame.
    void SetTitle(const QString& title);

    // A new document was created; false abandons it (its frame closes).
    virtual bool OnNewDocument() { return true; }
    // May frame close? Asked before a frame of this document closes.
    virtual bool CanCloseFrame(QMdiSubWindow* frame);
    // Closes every frame and removes the document from its template; the
    // object is deleted once the event loop runs.
    virtual void OnCloseDocument();
    // Writes or reads the document's saved state; archive exceptions pass
    // to the caller. Nothing by default.
    virtual void Serialize(CArchive&) {}

private:
    friend class VkMultiDocTemplate;
    void UpdateFrameTitles();

    VkMultiDocTemplate* m_template = nullptr;
    std::vector<QMdiSubWindow*> m_frames;
    QString m_title;
    bool m_closing = false;
};

class VkMultiDocTemplate : public QObject {
    Q_OBJECT
public:
    using DocumentFactory = std::function<VkDocument*()>;
    using FrameFactory = std::function<QMdiSubWindow*(VkDocument*)>;
    using ViewFactory = std::function<QWidget*(VkDocument*)>;

    VkMultiDocTemplate(UINT resourceId, DocumentFactory document, FrameFactory frame, ViewFactory view,
                       QObject* parent = nullptr);
    ~VkMultiDocTemplate() override;

    UINT ResourceId() const { return m_resourceId; }
    // False while the template has no way to make documents.
    bool CanCreateDocuments() const { return static_cast<bool>(m_makeDocument); }
    void SetMdiArea(QMdiArea* area) { m_area = area; }
    QMdiArea* MdiArea() const { return m_area; }

    // A new document with a frame and view, shown when visible; null when
    // the document refused (OnNewDocument false) or nothing could be made.
    VkDocument* OpenDocumentFile(bool visible = true);
    // Another frame and view for doc (Window, New Window).
    QMdiSubWindow* CreateNewFrame(VkDocument* doc, bool visible = true);

    const std::vector<VkDocument*>& Documents() const { return m_documents; }
    int DocumentCount() const { return static_cast<int>(m_documents.size()); }
    VkDocument* DocumentOfFrame(const QMdiSubWindow* frame) const;
    // The view shown in frame.
    static QWidget* ViewOfFrame(const QMdiSubWindow* frame);

    // Closes every document without asking.
    void CloseAllDocuments();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class VkDocument;
    void RemoveDocument(VkDocument* doc);
    void DetachFrame(VkDocument* doc, QMdiSubWindow* frame);

    UINT m_resourceId;
    DocumentFactory m_makeDocument;
    FrameFactory m_makeFrame;
    ViewFactory m_makeView;
    QMdiArea* m_area = nullptr;
    std::vector<VkDocument*> m_documents;
};
