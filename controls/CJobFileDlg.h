#pragma once
// What the export and import dialogs share: the queue's header line, an
// editable list of the remembered file names, the "..." button that browses
// through the modal service, OK, Cancel and Help. Every change of the name
// runs the derived dialog's check.

#include "controls/CJobRecentFiles.h"
#include "platform/WinTypes.h"

#include <QDialog>

#include <filesystem>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

class CJobFileDlg : public QDialog {
    Q_OBJECT

public:
    QComboBox* nameCombo() const { return m_name; }
    QPushButton* browseButton() const { return m_browse; }
    QPushButton* okButton() const;
    QLabel* headerLabel() const { return m_header; }
    // The folder names are relative to and browsing starts in.
    const std::filesystem::path& BaseFolder() const { return m_base; }

protected:
    CJobFileDlg(CJobRecentFiles::Kind kind, const QString& header, UINT helpTopicId, QWidget* parent);

    // The layout to add the dialog's own rows to, above the buttons.
    QVBoxLayout* Body() const { return m_body; }
    std::string NameText() const;
    void SetNameText(const QString& text);
    // Remembers the present name with the others of the list.
    void RememberName() const;
    // The derived dialog's check after a change of the name.
    virtual void CheckName() = 0;
    // The browse dialog's request (its title, button, folder and filter are set).
    virtual void PrepareBrowse(struct VkFileDialogRequest& request) = 0;

    void showEvent(QShowEvent* event) override;

private:
    void Browse();
    void Help();

    CJobRecentFiles::Kind m_kind;
    UINT m_helpTopicId;
    std::filesystem::path m_base;
    bool m_filled = false;
    QLabel* m_header;
    QComboBox* m_name;
    QPushButton* m_browse;
    QVBoxLayout* m_body;
    QDialogButtonBox* m_buttons;
};
