#pragma once
// "Export Jobs": the file to save the queue's jobs in and whether only the
// selected ones go. The name always gets the extension "qvx"; OK asks
// before an existing file is overwritten and remembers the name.

#include "controls/CJobFileDlg.h"

class QCheckBox;

class CExportJobsDlg : public CJobFileDlg {
    Q_OBJECT

public:
    static constexpr UINT kHelpContext = 10002;

    // hasSelection enables "Export selected items only".
    CExportJobsDlg(const QString& header, bool hasSelection, QWidget* parent = nullptr);

    // After OK: the full path to write and the option.
    const std::filesystem::path& Path() const { return m_path; }
    bool SelectedOnly() const;

    QLabel* pathLabel() const { return m_pathLabel; }
    QCheckBox* selectedOnlyCheck() const { return m_selectedOnly; }

    void accept() override;

protected:
    void CheckName() override;
    void PrepareBrowse(VkFileDialogRequest& request) override;

private:
    std::filesystem::path m_path;
    QLabel* m_pathLabel;
    QCheckBox* m_selectedOnly;
};
