#include "controls/CQueueLogonDlg.h"

#include "controls/QVCtrlStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <map>
#include <utility>

CQueueLogonDlg::CQueueLogonDlg(const QString& titlePrefix, QWidget* parent) : TwLogonDlg(parent)
{
    const std::string prefix = titlePrefix.toStdString();
    const std::string title = QVCtrlStrings().Load(IDS_QD_LOGON_TITLE);
    SetCaption(QString::fromStdString(QVCtrlStrings().Format(IDS_QD_TITLE_FORMAT, prefix.c_str(), title.c_str())));
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    // Context help of the single controls.
    const std::pair<QWidget*, int> controls[] = {
        {userCombo(), 286},    {passwordEdit(), 284},    {databaseCombo(), 285},
        {messageLabel(), 291}, {refreshButton(), 3},     {checkBox(), 423},
    };
    for (const auto& [widget, id] : controls) {
        widget->setObjectName(QString("ctl%1").arg(id));
        widget->setProperty("helpContext", HelpContextOf(id));
    }
    ApplyHelp();
}

void CQueueLogonDlg::SetAdministratorView(bool on)
{
    m_adminView = on;
    checkBox()->setChecked(on);
}

void CQueueLogonDlg::SetOfferAdministratorView(bool offer)
{
    m_offered = offer;
    if (offer)
        SetCheckBox(QVCtrlString(IDS_QD_ADMIN_VIEW), m_adminView);
    ApplyHelp();
}

bool CQueueLogonDlg::AdministratorView() const
{
    return m_offered ? CheckBoxChecked() : m_adminView;
}

void CQueueLogonDlg::ApplyHelp()
{
    SetHelp(m_offered ? kHelpContextOffered : kHelpContextPlain, QVCtrlStrings().Load(IDS_JL_HELP_FILE),
            QVCtrlStrings().Load(IDS_QD_LOGON_HELP_TOPIC));
}

UINT CQueueLogonDlg::HelpContextOf(int controlId)
{
    static const std::map<int, UINT> contexts = {
        {326, 70}, {286, 70}, {327, 71}, {284, 71}, {292, 72}, {285, 72}, {291, 73}, {3, 74}, {423, 75},
    };
    const auto found = contexts.find(controlId);
    return found == contexts.end() ? 0 : found->second;
}
