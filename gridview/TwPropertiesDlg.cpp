#include "gridview/TwPropertiesDlg.h"

#include "gridview/TwQlVwStrings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

TwPropertiesDlg::TwPropertiesDlg(const TwGridProperties& properties, QWidget* parent)
    : QDialog(parent),
      m_manual(new QRadioButton(TwQlVwString(IDS_GV_PROP_MANUAL))),
      m_fixed(new QRadioButton(TwQlVwString(IDS_GV_PROP_FIXED))),
      m_timeout(new QSpinBox),
      m_limit(new QCheckBox(TwQlVwString(IDS_GV_PROP_LIMIT_ROWS))),
      m_maxRows(new QSpinBox),
      m_title(new QLineEdit),
      m_showStatus(new QCheckBox(TwQlVwString(IDS_GV_PROP_SHOW_STATUS))),
      m_showAlerts(new QCheckBox(TwQlVwString(IDS_GV_PROP_SHOW_ALERTS)))
{
    setWindowTitle(TwQlVwString(IDS_GV_PROP_TITLE));
    m_manual->setObjectName("manual");
    m_fixed->setObjectName("fixed");
    m_timeout->setObjectName("timeout");
    m_limit->setObjectName("limit");
    m_maxRows->setObjectName("maxRows");
    m_title->setObjectName("title");
    m_showStatus->setObjectName("showStatus");
    m_showAlerts->setObjectName("showAlerts");

    auto* refresh = new QGroupBox(TwQlVwString(IDS_GV_PROP_REFRESH_GROUP));
    auto* refreshLayout = new QVBoxLayout(refresh);
    refreshLayout->addWidget(m_manual);
    auto* fixedRow = new QHBoxLayout;
    fixedRow->addWidget(m_fixed);
    auto* timeoutLabel = new QLabel(TwQlVwString(IDS_GV_PROP_TIMEOUT));
    timeoutLabel->setBuddy(m_timeout);
    fixedRow->addWidget(timeoutLabel);
    fixedRow->addWidget(m_timeout);
    refreshLayout->addLayout(fixedRow);

    auto* limits = new QGroupBox(TwQlVwString(IDS_GV_PROP_LIMITS_GROUP));
    auto* limitsLayout = new QFormLayout(limits);
    limitsLayout->addRow(m_limit);
    limitsLayout->addRow(TwQlVwString(IDS_GV_PROP_MAX_ROWS), m_maxRows);

    auto* misc = new QGroupBox(TwQlVwString(IDS_GV_PROP_MISC_GROUP));
    auto* miscLayout = new QFormLayout(misc);
    miscLayout->addRow(TwQlVwString(IDS_GV_PROP_VIEW_TITLE), m_title);
    miscLayout->addRow(m_showStatus);
    miscLayout->addRow(m_showAlerts);

    auto* note = new QLabel(TwQlVwString(IDS_GV_PROP_NOTE));
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(refresh);
    layout->addWidget(limits);
    layout->addWidget(misc);
    layout->addWidget(note);
    layout->addWidget(buttons);

    // Intervals are seconds up to the largest the worker's wait can take.
    m_timeout->setRange(1, static_cast<int>(std::numeric_limits<DWORD>::max() / 1000 - 1));
    m_maxRows->setRange(0, std::numeric_limits<int>::max());

    const bool manual = properties.refreshInterval == TwGridProperties::kManualRefresh;
    m_manual->setChecked(manual);
    m_fixed->setChecked(!manual);
    m_timeout->setValue(manual || properties.refreshInterval == 0 ? static_cast<int>(kDefaultInterval)
                                                                  : static_cast<int>(std::min<DWORD>(
                                                                        properties.refreshInterval,
                                                                        static_cast<DWORD>(m_timeout->maximum()))));
    m_limit->setChecked(properties.maximumRows >= 0);
    m_maxRows->setValue(properties.maximumRows >= 0 ? properties.maximumRows : kDefaultRows);
    m_title->setText(properties.title);
    m_showStatus->setChecked(properties.showStatusBar);
    m_showAlerts->setChecked(properties.showAlerts);
    connect(m_fixed, &QRadioButton::toggled, this, &TwPropertiesDlg::UpdateEnabling);
    connect(m_limit, &QCheckBox::toggled, this, &TwPropertiesDlg::UpdateEnabling);
    UpdateEnabling();
}

void TwPropertiesDlg::UpdateEnabling()
{
    m_timeout->setEnabled(m_fixed->isChecked());
    m_maxRows->setEnabled(m_limit->isChecked());
}

TwGridProperties TwPropertiesDlg::Properties() const
{
    TwGridProperties properties;
    properties.refreshInterval =
        m_fixed->isChecked() ? static_cast<DWORD>(m_timeout->value()) : TwGridProperties::kManualRefresh;
    properties.maximumRows = m_limit->isChecked() ? m_maxRows->value() : -1;
    properties.title = m_title->text();
    properties.showStatusBar = m_showStatus->isChecked();
    properties.showAlerts = m_showAlerts->isChecked();
    return properties;
}
