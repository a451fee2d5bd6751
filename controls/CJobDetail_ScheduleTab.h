#pragma once
// The "Schedule" page of the job detail dialog: when a job starts and how it
// repeats. Every change rebuilds the schedule result through
// CScheduleBuilder and reports it with scheduleChanged().

#include "controls/CScheduleBuilder.h"
#include "controls/CScheduleResult.h"
#include "controls/CScheduleSettings.h"

#include <QDateTime>
#include <QWidget>

#include <memory>

class CDISDays;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QSpinBox;
class QTimeEdit;

class CJobDetail_ScheduleTab : public QWidget {
    Q_OBJECT

public:
    // now gives the pickers' initial values; formatter (null: the user's
    // locale) writes times and dates in the description and is not owned.
    explicit CJobDetail_ScheduleTab(QWidget* parent = nullptr, const QDateTime& now = QDateTime::currentDateTime(),
                                    const CScheduleFormatter* formatter = nullptr);
    ~CJobDetail_ScheduleTab() override;

    // The page describes nothing: the job's expressions are edited as text.
    // Both option groups are cleared.
    void setUserDefined();
    void setInvalid();

    const CScheduleResult& lastResult() const { return m_result; }
    // The settings as the controls show them.
    CScheduleSettings settings() const;
    // The start date combined with the start time (used with On).
    QDateTime startMoment() const;
    void focusStartTime();

signals:
    void scheduleChanged(const CScheduleResult& result);

private:
    void buildControls(const QDateTime& now);
    void connectControls();
    void rebuild();
    void send(const CScheduleResult& result);
    void selectStart(int choice);
    void selectRepeat(int choice);
    void onStartClicked();
    void onRepeatClicked(int choice);
    void onDaysChanged();
    void updateEveryAt();
    void updateUntilGroup();

    std::unique_ptr<CScheduleFormatter> m_ownFormatter;
    CScheduleBuilder m_builder;
    CScheduleResult m_result;
    bool m_ready = false;

    QButtonGroup* m_start = nullptr;
    QButtonGroup* m_repeat = nullptr;
    QDateEdit* m_startDate = nullptr;
    QTimeEdit* m_startTime = nullptr;
    QSpinBox* m_everyAmount = nullptr;
    QComboBox* m_everyUnit = nullptr;
    QLabel* m_everyAtLabel = nullptr;
    QTimeEdit* m_everyAt = nullptr;
    CDISDays* m_days = nullptr;
    QTimeEdit* m_dayAt = nullptr;
    QCheckBox* m_until = nullptr;
    QTimeEdit* m_untilTime = nullptr;
    QLabel* m_repeatLabel = nullptr;
    QSpinBox* m_repeatAmount = nullptr;
    QComboBox* m_repeatUnit = nullptr;
    QLabel* m_icon = nullptr;
    QLabel* m_description = nullptr;
};
