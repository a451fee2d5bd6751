#include "controls/CExportJobsDlg.h"

#include "controls/CJobFileNames.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CExportJobsDlg::CExportJobsDlg(const QString& header, bool hasSelection, QWidget* parent)
    : CJobFileDlg(CJobRecentFiles::Export, header, IDS_JX_EXPORT_HELP_TOPIC, parent)
{
    setWindowTitle(QVCtrlString(IDS_JX_EXPORT_TITLE));
    auto* prompt = new QLabel(QVCtrlString(IDS_JX_EXPORT_PROMPT), this);
    Body()->insertWidget(0, prompt);
    m_pathLabel = new QLabel(QVCtrlString(IDS_JX_PATH_NONE), this);
    m_pathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Body()->addWidget(m_pathLabel);
    m_selectedOnly = new QCheckBox(QVCtrlString(IDS_JX_SELECTED_ONLY), this);
    m_selectedOnly->setEnabled(hasSelection);
    Body()->addWidget(m_selectedOnly);
    okButton()->setEnabled(false);
}

bool CExportJobsDlg::SelectedOnly() const
{
    return m_selectedOnly->isEnabled() && m_selectedOnly->isChecked();
}

void CExportJobsDlg::CheckName()
{
    m_path = CJobFileNames::ExportPath(NameText(), BaseFolder());
    m_pathLabel->setText(m_path.empty() ? QVCtrlString(IDS_JX_PATH_NONE) : QString::fromStdString(m_path.string()));
    okButton()->setEnabled(!m_path.empty());
}

void CExportJobsDlg::PrepareBrowse(VkFileDialogRequest& request)
{
    request.save = true;
    request.defaultExt = QString::fromStdString(CJobFileNames::Extension());
    request.path = QString::fromStdString(CJobFileNames::DefaultExportName(BaseFolder()).string());
    request.initialFile = request.path;
}

void CExportJobsDlg::accept()
{
    CheckName();
    // Enter, or an answerer, may ask for OK while it is not allowed.
    if (m_path.empty())
        return;
    const QString path = QString::fromStdString(m_path.string());
    SetNameText(path);
    std::error_code ignored;
    if (std::filesystem::exists(m_path, ignored)) {
        const std::string question = QVCtrlStrings().Format(IDS_JX_OVERWRITE, m_path.string().c_str());
        if (VkModalService::MessageBox(this, QString::fromStdString(question), QVCtrlString(IDS_QV_CAPTION),
                                       MB_YESNO | MB_ICONQUESTION)
            != IDYES)
            return;
    }
    RememberName();
    QDialog::accept();
}
