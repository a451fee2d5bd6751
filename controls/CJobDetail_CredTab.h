#pragma once
// The "Custom" page of the job detail dialog: the instance, schema and
// parse settings of a new job's submit. Servers before version 8 know only
// the parse setting.

#include "platform/WinTypes.h"

#include <QWidget>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QSpinBox;

class CJobDetail_CredTab : public QWidget {
    Q_OBJECT

public:
    explicit CJobDetail_CredTab(QWidget* parent = nullptr);

    // Fills the schema list in the given order and selects user's entry
    // (added when missing); before version 8 the instance and schema
    // settings are disabled.
    void setup(const std::vector<std::string>& schemas, const std::string& user, long serverMajorVersion);

    LONG instance() const;
    bool instanceMustRun() const;
    std::string schema() const;
    bool parse() const;

    QSpinBox* instanceEdit() const { return m_instance; }
    QCheckBox* mustRunCheck() const { return m_mustRun; }
    QComboBox* schemaList() const { return m_schema; }
    QCheckBox* parseCheck() const { return m_parse; }
    QGroupBox* instanceGroup() const { return m_instanceGroup; }
    QGroupBox* schemaGroup() const { return m_schemaGroup; }

signals:
    // The user changed one of the settings.
    void customChanged();

private:
    QGroupBox* m_instanceGroup;
    QLabel* m_numberLabel;
    QSpinBox* m_instance;
    QCheckBox* m_mustRun;
    QGroupBox* m_schemaGroup;
    QComboBox* m_schema;
    QCheckBox* m_parse;
};
