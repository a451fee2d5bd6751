#include "controls/CImportJobsDlg.h"

#include "controls/CJobExportFile.h"
#include "controls/CJobFileNames.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CImportJobsDlg::CImportJobsDlg(const QString& header, QWidget* parent)
    : CJobFileDlg(CJobRecentFiles::Import, header, IDS_JX_IMPORT_HELP_TOPIC, parent)
{
    setWindowTitle(QVCtrlString(IDS_JX_IMPORT_TITLE));
    Body()->insertWidget(0, new QLabel(QVCtrlString(IDS_JX_IMPORT_PROMPT), this));
    auto* options = new QGroupBox(QVCtrlString(IDS_JX_OPTIONS), this);
    m_regenerate = new QCheckBox(QVCtrlString(IDS_JX_REGENERATE), options);
    m_regenerate->setChecked(true);
    m_stopOnError = new QCheckBox(QVCtrlString(IDS_JX_STOP_ON_ERROR), options);
    m_makeBroken = new QCheckBox(QVCtrlString(IDS_JX_MAKE_BROKEN), options);
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(m_regenerate);
    optionsLayout->addWidget(m_stopOnError);
    optionsLayout->addWidget(m_makeBroken);
    Body()->addWidget(options);
    okButton()->setEnabled(false);
}

CJobImportOptions CImportJobsDlg::Options() const
{
    return {m_regenerate->isChecked(), m_stopOnError->isChecked(), m_makeBroken->isChecked()};
}

void CImportJobsDlg::CheckName()
{
    m_path = CJobFileNames::ImportPath(NameText(), BaseFolder());
    okButton()->setEnabled(!m_path.empty());
}

void CImportJobsDlg::PrepareBrowse(VkFileDialogRequest& request)
{
    request.save = false;
    request.mustExist = true;
}

void CImportJobsDlg::accept()
{
    CheckName();
    if (m_path.empty())
        return;
    const std::string path = m_path.string();
    const QString caption = QVCtrlString(IDS_QV_CAPTION);
    // The whole file is read and checked now, so a damaged one creates nothing.
    std::vector<CJobListData> jobs;
    std::string error;
    if (!CJobExportFile::Read(m_path, jobs, &error)) {
        VkModalService::MessageBox(this,
                                   QString::fromStdString(QVCtrlStrings().Format(IDS_JX_DAMAGED, path.c_str(),
                                                                                 error.c_str())),
                                   caption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const std::string question =
        QVCtrlStrings().Format(IDS_JX_IMPORT_ASK, path.c_str(), static_cast<long>(jobs.size()));
    switch (VkModalService::MessageBox(this, QString::fromStdString(question), caption,
                                       MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        m_jobs = std::move(jobs);
        RememberName();
        QDialog::accept();
        return;
    case IDNO:
        reject();
        return;
    default:
        return; // Cancel: the dialog stays
    }
}
