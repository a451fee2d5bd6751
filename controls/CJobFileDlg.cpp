#include "controls/CJobFileDlg.h"

#include "controls/QVCtrlStrings.h"
#include "generic/VkHtmlHelp.h"
#include "generic/VkModalService.h"
#include "generic/VkPaths.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

CJobFileDlg::CJobFileDlg(CJobRecentFiles::Kind kind, const QString& header, UINT helpTopicId, QWidget* parent)
    : QDialog(parent), m_kind(kind), m_helpTopicId(helpTopicId), m_base(VkPersonalFolder())
{
    m_header = new QLabel(header, this);
    m_name = new QComboBox(this);
    m_name->setEditable(true);
    m_name->setInsertPolicy(QComboBox::NoInsert);
    m_name->setMinimumContentsLength(40);
    m_browse = new QPushButton(QVCtrlString(IDS_JX_BROWSE_BUTTON), this);
    m_browse->setAutoDefault(false);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* help = m_buttons->addButton(QVCtrlString(IDS_QD_HELP), QDialogButtonBox::HelpRole);
    help->setAutoDefault(false);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(m_name, 1);
    nameRow->addWidget(m_browse);
    m_body = new QVBoxLayout;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_header);
    layout->addLayout(m_body);
    m_body->addLayout(nameRow);
    layout->addStretch(1);
    layout->addWidget(m_buttons);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_buttons, &QDialogButtonBox::helpRequested, this, &CJobFileDlg::Help);
    connect(m_browse, &QPushButton::clicked, this, &CJobFileDlg::Browse);
    // Typing and choosing an entry both end here once the text has changed.
    connect(m_name, &QComboBox::currentTextChanged, this, [this] {
        if (m_filled)
            CheckName();
    });
}

QPushButton* CJobFileDlg::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

void CJobFileDlg::showEvent(QShowEvent* event)
{
    if (!m_filled) {
        std::string last;
        for (const std::string& name : CJobRecentFiles::Load(m_kind, &last))
            m_name->addItem(QString::fromStdString(name));
        m_name->setCurrentText(QString::fromStdString(last));
        m_filled = true;
        CheckName();
    }
    QDialog::showEvent(event);
}

std::string CJobFileDlg::NameText() const
{
    return m_name->currentText().toStdString();
}

void CJobFileDlg::SetNameText(const QString& text)
{
    m_name->setCurrentText(text);
}

void CJobFileDlg::RememberName() const
{
    std::vector<std::string> listed;
    for (int i = 0; i < m_name->count(); ++i)
        listed.push_back(m_name->itemText(i).toStdString());
    CJobRecentFiles::Remember(m_kind, NameText(), listed);
}

void CJobFileDlg::Browse()
{
    VkFileDialogRequest request;
    request.owner = this;
    request.title = QVCtrlString(IDS_JX_BROWSE_TITLE);
    request.okText = QVCtrlString(IDS_JX_BROWSE_OK);
    request.initialDir = QString::fromStdString(m_base.string());
    request.filter = QVCtrlString(IDS_JX_FILE_TYPES);
    PrepareBrowse(request);
    if (!VkModalService::FileDialog(request) || request.path.isEmpty())
        return;
    SetNameText(request.path);
    CheckName();
}

void CJobFileDlg::Help()
{
    std::string file = QVCtrlStrings().Load(IDS_JL_HELP_FILE);
    std::replace(file.begin(), file.end(), '\\', '/');
    VkShowHelpTopic(this, (VkProgramFolder() / file).lexically_normal(), QVCtrlStrings().Load(m_helpTopicId));
}
