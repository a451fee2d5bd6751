#pragma once
// The grid's properties dialog: refresh settings (monitor mode), the row
// limit, the view's title and what the grid shows.

#include "gridview/TwGridProperties.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

class TwPropertiesDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr DWORD kDefaultInterval = 100;
    static constexpr LONG kDefaultRows = 1000;

    explicit TwPropertiesDlg(const TwGridProperties& properties, QWidget* parent = nullptr);

    // The settings as the controls stand.
    TwGridProperties Properties() const;

private:
    void UpdateEnabling();

    QRadioButton* m_manual;
    QRadioButton* m_fixed;
    QSpinBox* m_timeout;
    QCheckBox* m_limit;
    QSpinBox* m_maxRows;
    QLineEdit* m_title;
    QCheckBox* m_showStatus;
    QCheckBox* m_showAlerts;
};
