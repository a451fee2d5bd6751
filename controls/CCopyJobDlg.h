#pragma once
// "Copy Job(s)": shown before jobs pasted or dropped into a queue are
// created; tells how many, from which database to which, and offers to
// create them broken.

#include "platform/WinTypes.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;

class CCopyJobDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr UINT kHelpContext = 10001;

    // With lock set the databases cannot be changed.
    CCopyJobDlg(size_t count, bool lock, QWidget* parent = nullptr);

    void SetFrom(const QString& host);
    void SetTo(const QString& host);
    QString From() const;
    QString To() const;
    // "Make broken", read back after OK.
    bool MakeBroken() const;

    QLabel* headerLabel() const { return m_header; }
    QComboBox* fromCombo() const { return m_from; }
    QComboBox* toCombo() const { return m_to; }
    QCheckBox* makeBrokenCheck() const { return m_makeBroken; }
    QPushButton* okButton() const;

private:
    void CheckEnableOK();
    void Help();

    bool m_lock;
    QLabel* m_header;
    QComboBox* m_from;
    QComboBox* m_to;
    QCheckBox* m_makeBroken;
    QDialogButtonBox* m_buttons;
};
