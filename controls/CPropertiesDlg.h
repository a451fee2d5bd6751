#pragma once
// The queue properties dialog: refresh mode and interval, the status bar
// and the flashing of job alerts. The caller fills Values() before showing
// it and reads them back after OK; the rules live in CQueueProperties.

#include "controls/CQueueProperties.h"
#include "platform/WinTypes.h"

#include <QDialog>


class QCheckBox;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

class CPropertiesDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr UINT kHelpContext = 10004;

    explicit CPropertiesDlg(QWidget* parent = nullptr);

    CQueueProperties& Values() { return m_values; }
    const CQueueProperties& Values() const { return m_values; }

    // The help context of a control (by its dialog identifier); 0 for none.
    static UINT HelpContextOf(int controlId);

    void accept() override;

    QLabel* headingLabel() const { return m_heading; }
    QGroupBox* refreshGroup() const { return m_refreshGroup; }
    QRadioButton* manualRadio() const { return m_manual; }
    QRadioButton* fixedRadio() const { return m_fixed; }
    QLineEdit* intervalEdit() const { return m_interval; }
    QToolButton* spinUp() const { return m_up; }
    QToolButton* spinDown() const { return m_down; }
    QCheckBox* statusBarCheck() const { return m_statusBar; }
    QCheckBox* flashCheck() const { return m_flash; }
    QCheckBox* notifyCheck() const { return m_notify; }
    QPushButton* okButton() const;
    QPushButton* helpButton() const { return m_helpButton; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void InitDialog();
    void TakeValues();
    void CheckEnableOK();
    void OnIntervalEdited();
    void Step(int delta);
    void Help();

    CQueueProperties m_values;
    // Set once the controls show the values; before, OK is left alone.
    bool m_initialised = false;

    QLabel* m_heading;
    QGroupBox* m_refreshGroup;
    QRadioButton* m_manual;
    QRadioButton* m_fixed;
    QLineEdit* m_interval;
    QToolButton* m_up;
    QToolButton* m_down;
    QCheckBox* m_statusBar;
    QCheckBox* m_flash;
    QCheckBox* m_notify;
    QDialogButtonBox* m_buttons;
    QPushButton* m_helpButton;
};
