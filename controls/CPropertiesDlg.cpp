#include "controls/CPropertiesDlg.h"

#include "controls/QVCtrlStrings.h"
#include "generic/VkHtmlHelp.h"
#include "generic/VkPaths.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace {

// Control identifiers of the dialog, for context help.
enum : int {
    IDC_REFRESH_GROUP = 329,
    IDC_MANUAL = 410,
    IDC_FIXED = 419,
    IDC_TIMEOUT_LABEL = 313,
    IDC_INTERVAL = 311,
    IDC_SPIN = 312,
    IDC_STATUS_BAR = 298,
    IDC_FLASH = 299,
    IDC_NOTIFY = 300,
};

void SetControlId(QWidget* widget, int id)
{
    widget->setObjectName(QString("ctl%1").arg(id));
    widget->setProperty("helpContext", CPropertiesDlg::HelpContextOf(id));
}

} // namespace

UINT CPropertiesDlg::HelpContextOf(int controlId)
{
    static const std::map<int, UINT> contexts = {
        {IDC_MANUAL, 80},        {IDC_FIXED, 81},      {IDC_TIMEOUT_LABEL, 82}, {IDC_INTERVAL, 82},
        {IDC_SPIN, 82},          {IDC_STATUS_BAR, 83}, {IDC_FLASH, 84},        {IDC_NOTIFY, 85},
    };
    const auto found = contexts.find(controlId);
    return found == contexts.end() ? 0 : found->second;
}

CPropertiesDlg::CPropertiesDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QVCtrlString(IDS_QD_PROPS_TITLE));
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);

    m_heading = new QLabel(this);
    m_heading->setWordWrap(true);

    m_refreshGroup = new QGroupBox(QVCtrlString(IDS_QD_REFRESH_GROUP), this);
    SetControlId(m_refreshGroup, IDC_REFRESH_GROUP);
    m_manual = new QRadioButton(QVCtrlString(IDS_QD_MANUAL), m_refreshGroup);
    SetControlId(m_manual, IDC_MANUAL);
    m_fixed = new QRadioButton(QVCtrlString(IDS_QD_FIXED), m_refreshGroup);
    SetControlId(m_fixed, IDC_FIXED);
    auto* timeout = new QLabel(QVCtrlString(IDS_QD_TIMEOUT), m_refreshGroup);
    SetControlId(timeout, IDC_TIMEOUT_LABEL);
    m_interval = new QLineEdit(m_refreshGroup);
    SetControlId(m_interval, IDC_INTERVAL);
    // A number edit: digits only.
    m_interval->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,10}"), m_interval));
    timeout->setBuddy(m_interval);
    auto* spin = new QWidget(m_refreshGroup);
    SetControlId(spin, IDC_SPIN);
    m_up = new QToolButton(spin);
    m_up->setArrowType(Qt::UpArrow);
    m_up->setAutoRepeat(true);
    m_down = new QToolButton(spin);
    m_down->setArrowType(Qt::DownArrow);
    m_down->setAutoRepeat(true);
    auto* spinLayout = new QVBoxLayout(spin);
    spinLayout->setContentsMargins(0, 0, 0, 0);
    spinLayout->setSpacing(0);
    spinLayout->addWidget(m_up);
    spinLayout->addWidget(m_down);
    auto* note = new QLabel(QVCtrlString(IDS_QD_NOTE), m_refreshGroup);
    note->setWordWrap(true);

    auto* refresh = new QGridLayout(m_refreshGroup);
    refresh->addWidget(m_manual, 0, 0, 1, 3);
    refresh->addWidget(m_fixed, 1, 0, 1, 3);
    refresh->addWidget(timeout, 2, 0);
    refresh->addWidget(m_interval, 2, 1);
    refresh->addWidget(spin, 2, 2);
    refresh->addWidget(note, 3, 0, 1, 3);
    refresh->setColumnStretch(1, 1);

    auto* misc = new QGroupBox(QVCtrlString(IDS_QD_MISC_GROUP), this);
    m_statusBar = new QCheckBox(QVCtrlString(IDS_QD_SHOW_STATUS_BAR), misc);
    SetControlId(m_statusBar, IDC_STATUS_BAR);
    m_flash = new QCheckBox(QVCtrlString(IDS_QD_FLASH_ALERTS), misc);
    SetControlId(m_flash, IDC_FLASH);
    m_notify = new QCheckBox(QVCtrlString(IDS_QD_NOTIFY_ALERTS), misc);
    SetControlId(m_notify, IDC_NOTIFY);
    auto* miscLayout = new QVBoxLayout(misc);
    miscLayout->addWidget(m_statusBar);
    miscLayout->addWidget(m_flash);
    miscLayout->addWidget(m_notify);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_helpButton = m_buttons->addButton(QVCtrlString(IDS_QD_HELP), QDialogButtonBox::HelpRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_refreshGroup);
    layout->addWidget(misc);
    layout->addStretch(1);
    layout->addWidget(m_buttons);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &CPropertiesDlg::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CPropertiesDlg::reject);
    connect(m_buttons, &QDialogButtonBox::helpRequested, this, &CPropertiesDlg::Help);
    connect(m_manual, &QRadioButton::toggled, this, &CPropertiesDlg::CheckEnableOK);
    connect(m_fixed, &QRadioButton::toggled, this, &CPropertiesDlg::CheckEnableOK);
    connect(m_statusBar, &QCheckBox::toggled, this, &CPropertiesDlg::CheckEnableOK);
    connect(m_flash, &QCheckBox::toggled, this, &CPropertiesDlg::CheckEnableOK);
    connect(m_notify, &QCheckBox::toggled, this, &CPropertiesDlg::CheckEnableOK);
    connect(m_interval, &QLineEdit::textChanged, this, &CPropertiesDlg::CheckEnableOK);
    connect(m_interval, &QLineEdit::textEdited, this, &CPropertiesDlg::OnIntervalEdited);
    connect(m_up, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

QPushButton* CPropertiesDlg::okButton() const { return m_buttons->button(QDialogButtonBox::Ok); }

void CPropertiesDlg::showEvent(QShowEvent* event)
{
    if (!m_initialised)
        InitDialog();
    QDialog::showEvent(event);
}

void CPropertiesDlg::InitDialog()
{
    m_heading->setText(QString::fromStdString(m_values.heading));
    m_heading->setVisible(!m_values.heading.empty());
    (m_values.refreshMode == CQueueProperties::FixedInterval ? m_fixed : m_manual)->setChecked(true);
    m_interval->setText(QString::number(m_values.interval));
    m_statusBar->setChecked(m_values.showStatusBar);
    m_flash->setChecked(m_values.flashAlerts);
    m_notify->setChecked(m_values.notifyAlerts);
    m_initialised = true;
    CheckEnableOK();
}

void CPropertiesDlg::TakeValues()
{
    m_values.refreshMode = m_fixed->isChecked() ? CQueueProperties::FixedInterval : CQueueProperties::Manual;
    m_values.interval = CQueueProperties::ParseInterval(m_interval->text().toStdString());
    m_values.showStatusBar = m_statusBar->isChecked();
    m_values.flashAlerts = m_flash->isChecked();
    m_values.notifyAlerts = m_notify->isChecked();
}

void CPropertiesDlg::CheckEnableOK()
{
    if (!m_initialised)
        return;
    TakeValues();
    okButton()->setEnabled(m_values.OkAllowed());
}

void CPropertiesDlg::OnIntervalEdited()
{
    // Typing an interval means the fixed mode.
    if (m_manual->isChecked())
        m_fixed->setChecked(true);
}

void CPropertiesDlg::Step(int delta)
{
    const long long current = CQueueProperties::ParseInterval(m_interval->text().toStdString());
    const long long next = std::clamp<long long>(current + delta, CQueueProperties::kMinInterval,
                                                 CQueueProperties::kMaxInterval);
    m_interval->setText(QString::number(next));
    OnIntervalEdited();
}

void CPropertiesDlg::accept()
{
    if (!m_initialised)
        return;
    TakeValues();
    // Enter, or an answerer, may ask for OK while it is not allowed.
    if (!m_values.OkAllowed())
        return;
    QDialog::accept();
}

void CPropertiesDlg::Help()
{
    std::string file = QVCtrlStrings().Load(IDS_JL_HELP_FILE);
    std::replace(file.begin(), file.end(), '\\', '/');
    VkShowHelpTopic(this, (VkProgramFolder() / file).lexically_normal(), QVCtrlStrings().Load(IDS_QD_PROPS_HELP_TOPIC));
}
