#include "controls/CJobDetail_CredTab.h"

#include "controls/QVCtrlStrings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

CJobDetail_CredTab::CJobDetail_CredTab(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CustomTab"));
    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(size, size));
    auto* info = new QLabel(QVCtrlString(IDS_JD_CUSTOM_INFO), this);
    info->setWordWrap(true);
    auto* infoLine = new QHBoxLayout;
    infoLine->addWidget(icon, 0, Qt::AlignTop);
    infoLine->addWidget(info, 1);

    m_instanceGroup = new QGroupBox(QVCtrlString(IDS_JD_INSTANCE_GROUP), this);
    m_numberLabel = new QLabel(QVCtrlString(IDS_JD_INSTANCE_NUMBER), m_instanceGroup);
    m_instance = new QSpinBox(m_instanceGroup);
    m_instance->setRange(0, 99);
    m_instance->setValue(0);
    m_numberLabel->setBuddy(m_instance);
    m_mustRun = new QCheckBox(QVCtrlString(IDS_JD_INSTANCE_MUST_RUN), m_instanceGroup);
    m_mustRun->setChecked(true);
    auto* number = new QHBoxLayout;
    number->addWidget(m_numberLabel);
    number->addWidget(m_instance);
    number->addStretch(1);
    auto* instanceLayout = new QVBoxLayout(m_instanceGroup);
    instanceLayout->addLayout(number);
    instanceLayout->addWidget(m_mustRun);

    m_schemaGroup = new QGroupBox(QVCtrlString(IDS_JD_SCHEMA_GROUP), this);
    m_schema = new QComboBox(m_schemaGroup);
    auto* schemaLayout = new QVBoxLayout(m_schemaGroup);
    schemaLayout->addWidget(m_schema);

    m_parse = new QCheckBox(QVCtrlString(IDS_JD_PARSE), this);
    m_parse->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(infoLine);
    layout->addWidget(m_instanceGroup);
    layout->addWidget(m_schemaGroup);
    layout->addWidget(m_parse);
    layout->addStretch(1);

    connect(m_instance, &QSpinBox::valueChanged, this, &CJobDetail_CredTab::customChanged);
    connect(m_mustRun, &QCheckBox::clicked, this, &CJobDetail_CredTab::customChanged);
    connect(m_parse, &QCheckBox::clicked, this, &CJobDetail_CredTab::customChanged);
    connect(m_schema, &QComboBox::activated, this, &CJobDetail_CredTab::customChanged);
}

void CJobDetail_CredTab::setup(const std::vector<std::string>& schemas, const std::string& user,
                               long serverMajorVersion)
{
    const QSignalBlocker blocker(m_schema);
    m_schema->clear();
    for (const std::string& schema : schemas)
        m_schema->addItem(QString::fromStdString(schema));
    const QString me = QString::fromStdString(user);
    int index = m_schema->findText(me, Qt::MatchFixedString);
    if (index < 0 && !me.isEmpty()) {
        m_schema->addItem(me.toUpper());
        index = m_schema->count() - 1;
    }
    m_schema->setCurrentIndex(index);

    const bool submitOptions = serverMajorVersion >= 8;
    m_instanceGroup->setEnabled(submitOptions);
    m_schemaGroup->setEnabled(submitOptions);
}

LONG CJobDetail_CredTab::instance() const
{
    return m_instance->value();
}

bool CJobDetail_CredTab::instanceMustRun() const
{
    return m_mustRun->isChecked();
}

std::string CJobDetail_CredTab::schema() const
{
    return m_schema->currentText().toStdString();
}

bool CJobDetail_CredTab::parse() const
{
    return m_parse->isChecked();
}
