#include "controls/CCopyJobDlg.h"

#include "controls/QVCtrlStrings.h"
#include "generic/VkHtmlHelp.h"
#include "generic/VkPaths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

void ShowOnly(QComboBox* combo, const QString& host)
{
    combo->clear();
    combo->addItem(host);
    combo->setCurrentIndex(0);
}

} // namespace

CCopyJobDlg::CCopyJobDlg(size_t count, bool lock, QWidget* parent) : QDialog(parent), m_lock(lock)
{
    setWindowTitle(QVCtrlString(IDS_JC_TITLE));
    const std::string header =
        QVCtrlStrings().Format(count == 1 ? IDS_JC_READY_ONE : IDS_JC_READY_MANY, static_cast<long>(count));
    m_header = new QLabel(QString::fromStdString(header), this);
    m_from = new QComboBox(this);
    m_to = new QComboBox(this);
    auto* databases = new QFormLayout;
    databases->addRow(QVCtrlString(IDS_JC_FROM), m_from);
    databases->addRow(QVCtrlString(IDS_JC_TO), m_to);
    auto* options = new QGroupBox(QVCtrlString(IDS_JX_OPTIONS), this);
    m_makeBroken = new QCheckBox(QVCtrlString(IDS_JC_MAKE_BROKEN), options);
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(m_makeBroken);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->addButton(QVCtrlString(IDS_QD_HELP), QDialogButtonBox::HelpRole)->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_header);
    layout->addLayout(databases);
    layout->addWidget(options);
    layout->addStretch(1);
    layout->addWidget(m_buttons);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_buttons, &QDialogButtonBox::helpRequested, this, &CCopyJobDlg::Help);
    m_from->setEnabled(!lock);
    m_to->setEnabled(!lock);
    CheckEnableOK();
}

QPushButton* CCopyJobDlg::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

void CCopyJobDlg::SetFrom(const QString& host)
{
    ShowOnly(m_from, host);
    CheckEnableOK();
}

void CCopyJobDlg::SetTo(const QString& host)
{
    ShowOnly(m_to, host);
    CheckEnableOK();
}

QString CCopyJobDlg::From() const
{
    return m_from->currentText();
}

QString CCopyJobDlg::To() const
{
    return m_to->currentText();
}

bool CCopyJobDlg::MakeBroken() const
{
    return m_makeBroken->isChecked();
}

void CCopyJobDlg::CheckEnableOK()
{
    // Locked, the databases are the caller's: nothing to choose.
    okButton()->setEnabled(m_lock || (!From().isEmpty() && !To().isEmpty()));
}

void CCopyJobDlg::Help()
{
    std::string file = QVCtrlStrings().Load(IDS_JL_HELP_FILE);
    std::replace(file.begin(), file.end(), '\\', '/');
    VkShowHelpTopic(this, (VkProgramFolder() / file).lexically_normal(), QVCtrlStrings().Load(IDS_JC_HELP_TOPIC));
}
