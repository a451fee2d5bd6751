#pragma once
// The queue logon dialog: the framework's logon dialog with the queue's own
// title and help and the "&Administrator View" check box, which shows every
// job of the database instead of the user's own. Same remembered users in
// the same store, so a user remembered here is offered by every logon.

#include "framework/TwLogonDlg.h"

class CQueueLogonDlg : public TwLogonDlg {
    Q_OBJECT

public:
    static constexpr UINT kHelpContextOffered = 10000;
    static constexpr UINT kHelpContextPlain = 10011;

    // The window title is the prefix and "Logon" joined by a blank.
    CQueueLogonDlg(const QString& titlePrefix, QWidget* parent);

    // Before the dialog is shown.
    void SetAdministratorView(bool on);
    void SetOfferAdministratorView(bool offer);
    bool AdministratorViewOffered() const { return m_offered; }
    // After OK: the check box's state when it was offered, else as set.
    bool AdministratorView() const;

    const std::string& Host() const { return Database(); }

    // The help context of a control (by its dialog identifier); 0 for none.
    static UINT HelpContextOf(int controlId);

private:
    void ApplyHelp();

    bool m_adminView = false;
    bool m_offered = false;
};
