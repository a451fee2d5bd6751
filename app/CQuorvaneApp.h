#pragma once
// The program's application: its names, resources, main frame and queue
// document template.

#include "framework/TwQuillApp.h"

class CQuorvaneApp : public TwQuillApp {
    Q_OBJECT
public:
    CQuorvaneApp();

    // The version line of the About box (needs no running application).
    static QString VersionText();

    void RegisterDocTemplates() override;
    TwMainFrame* CreateMainFrame() override;
    void RefreshDocument(VkDocument* doc) override;

    VkMenuTable DocumentMenu() const override;
    VkAccelTable Accelerators() const override;
    std::string CommandPrompt(UINT id) const override;
    QIcon FrameIcon() const override;
    QIcon CommandIcon(UINT id) const override;

    // Opens a queue saved on its own (Ctrl+O while no queue is active).
    void OnQueueOpen();
    // View > SQL Grid: a new grid window, after its logon.
    void OnViewSqlGrid();
    // The template of the SQL grid windows (not part of palettes).
    VkMultiDocTemplate* GridTemplate() const { return m_gridTemplate; }
    // Closes every grid window, ending their workers (the program closing).
    void CloseGridWindows();

private:
    VkMultiDocTemplate* m_gridTemplate = nullptr;
};
