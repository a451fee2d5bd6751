#pragma once
// A SQL grid document: one window whose view hosts a SQL grid control. A
// new one logs on through the control's own dialog, its window title
// follows the control's title, and the connection commands and refresh act
// on the control while it is active. Grid windows are not part of palettes.

#include "app/CQuillView.h"
#include "generic/VkDocTemplate.h"

#include <QPointer>

class CGridView;

class CGridDoc : public VkDocument {
    Q_OBJECT

public:
    CGridDoc();

    // The control of the document's view; null until the view made one.
    CQuillView* Control() const { return m_control; }
    void SetControl(CQuillView* control) { m_control = control; }
    std::vector<CGridView*> Views() const;

    // Asks for the logon; false (no window) when it is cancelled or the
    // control is missing.
    bool OnNewDocument() override;
    // The control's title.
    void UpdateTitle();
    void OnCloseDocument() override;

private:
    void MapGridCommands();

    QPointer<CQuillView> m_control;
};
