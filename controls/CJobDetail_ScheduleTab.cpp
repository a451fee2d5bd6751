#include "controls/CJobDetail_ScheduleTab.h"

#include "controls/CDISDays.h"
#include "controls/QVCtrlStrings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <limits>

namespace {

QTime WithoutSeconds(const QTime& time)
{
    return QTime(time.hour(), time.minute());
}

CScheduleTime ToScheduleTime(const QTime& time)
{
    return {time.hour(), time.minute(), time.second()};
}

QTimeEdit* NewTimeEdit(QWidget* parent, const QTime& time, const char* name)
{
    auto* edit = new QTimeEdit(time, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return edit;
}

QSpinBox* NewAmount(QWidget* parent, const char* name)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(1, std::numeric_limits<int>::max());
    spin->setValue(1);
    return spin;
}

QComboBox* NewUnits(QWidget* parent, int count, const char* name)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    for (int u = 0; u < count; ++u)
        combo->addItem(QVCtrlString(IDS_SCH_SECONDS + static_cast<UINT>(u)));
    combo->setCurrentIndex(CScheduleSettings::Hours);
    return combo;
}

QRadioButton* AddOption(QButtonGroup* group, QWidget* parent, UINT textId, int id, const char* name)
{
    auto* radio = new QRadioButton(QVCtrlString(textId), parent);
    radio->setObjectName(QLatin1String(name));
    group->addButton(radio, id);
    return radio;
}

// An exclusive group cannot be unchecked directly.
void ClearGroup(QButtonGroup* group)
{
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}

} // namespace

CJobDetail_ScheduleTab::CJobDetail_ScheduleTab(QWidget* parent, const QDateTime& now,
                                               const CScheduleFormatter* formatter)
    : QWidget(parent),
      m_ownFormatter(formatter ? nullptr : std::make_unique<CScheduleLocaleFormatter>()),
      m_builder(formatter ? *formatter : *m_ownFormatter)
{
    setObjectName(QStringLiteral("scheduleTab"));
    buildControls(now);
    connectControls();
    updateEveryAt();
    updateUntilGroup();
    m_ready = true;
    rebuild();
}

CJobDetail_ScheduleTab::~CJobDetail_ScheduleTab() = default;

void CJobDetail_ScheduleTab::buildControls(const QDateTime& now)
{
    const QTime nowTime = WithoutSeconds(now.time());
    auto* layout = new QVBoxLayout(this);

    auto* startBox = new QGroupBox(QVCtrlString(IDS_SCH_WHEN_TO_START), this);
    auto* startGrid = new QGridLayout(startBox);
    m_start = new QButtonGroup(this);
    startGrid->addWidget(AddOption(m_start, startBox, IDS_SCH_NOW, CScheduleSettings::StartNow, "startNow"), 0, 0);
    startGrid->addWidget(AddOption(m_start, startBox, IDS_SCH_ON, CScheduleSettings::StartOn, "startOn"), 1, 0);
    m_startDate = new QDateEdit(now.date(), startBox);
    m_startDate->setObjectName(QStringLiteral("startDate"));
    m_startDate->setCalendarPopup(true);
    m_startTime = NewTimeEdit(startBox, nowTime, "startTime");
    startGrid->addWidget(m_startDate, 1, 1);
    startGrid->addWidget(new QLabel(QVCtrlString(IDS_SCH_AT_LABEL), startBox), 1, 2);
    startGrid->addWidget(m_startTime, 1, 3);
    startGrid->addWidget(
        AddOption(m_start, startBox, IDS_SCH_BY_REPEAT, CScheduleSettings::StartByRepeat, "startByRepeat"), 2, 0, 1, 4);
    startGrid->setColumnStretch(4, 1);
    layout->addWidget(startBox);

    auto* repeatBox = new QGroupBox(QVCtrlString(IDS_SCH_WHEN_TO_REPEAT), this);
    auto* repeatGrid = new QGridLayout(repeatBox);
    m_repeat = new QButtonGroup(this);
    repeatGrid->addWidget(AddOption(m_repeat, repeatBox, IDS_SCH_NEVER, CScheduleSettings::RepeatNever, "repeatNever"),
                          0, 0);
    repeatGrid->addWidget(AddOption(m_repeat, repeatBox, IDS_SCH_EVERY, CScheduleSettings::RepeatEvery, "repeatEvery"),
                          1, 0);
    m_everyAmount = NewAmount(repeatBox, "everyAmount");
    m_everyUnit = NewUnits(repeatBox, CScheduleSettings::UnitCount, "everyUnit");
    m_everyAtLabel = new QLabel(QVCtrlString(IDS_SCH_AT_LABEL), repeatBox);
    m_everyAt = NewTimeEdit(repeatBox, nowTime, "everyAt");
    repeatGrid->addWidget(m_everyAmount, 1, 1);
    repeatGrid->addWidget(m_everyUnit, 1, 2);
    repeatGrid->addWidget(m_everyAtLabel, 1, 3);
    repeatGrid->addWidget(m_everyAt, 1, 4);
    repeatGrid->addWidget(
        AddOption(m_repeat, repeatBox, IDS_SCH_EVERY_DAY_DATE, CScheduleSettings::RepeatDayDate, "repeatDayDate"), 2,
        0, Qt::AlignTop);
    m_days = new CDISDays(repeatBox);
    m_days->setObjectName(QStringLiteral("days"));
    repeatGrid->addWidget(m_days, 2, 1, 1, 2);
    auto* dayAtRow = new QHBoxLayout;
    dayAtRow->addWidget(new QLabel(QVCtrlString(IDS_SCH_AT_LABEL), repeatBox));
    m_dayAt = NewTimeEdit(repeatBox, nowTime, "dayAt");
    dayAtRow->addWidget(m_dayAt);
    dayAtRow->addStretch();
    repeatGrid->addLayout(dayAtRow, 2, 3, 1, 2, Qt::AlignTop);

    auto* untilRow = new QHBoxLayout;
    m_until = new QCheckBox(QVCtrlString(IDS_SCH_UNTIL), repeatBox);
    m_until->setObjectName(QStringLiteral("until"));
    m_untilTime = NewTimeEdit(repeatBox, WithoutSeconds(now.time().addSecs(3600)), "untilTime");
    m_repeatLabel = new QLabel(QVCtrlString(IDS_SCH_REPEAT_EVERY), repeatBox);
    m_repeatAmount = NewAmount(repeatBox, "repeatAmount");
    m_repeatUnit = NewUnits(repeatBox, CScheduleSettings::IntraDayUnitCount, "repeatUnit");
    for (QWidget* w : std::initializer_list<QWidget*>{m_until, m_untilTime, m_repeatLabel, m_repeatAmount, m_repeatUnit})
        untilRow->addWidget(w);
    untilRow->addStretch();
    repeatGrid->addLayout(untilRow, 3, 1, 1, 4);
    repeatGrid->setColumnStretch(5, 1);
    layout->addWidget(repeatBox);

    auto* foot = new QHBoxLayout;
    m_icon = new QLabel(this);
    m_description = new QLabel(this);
    m_description->setObjectName(QStringLiteral("description"));
    m_description->setWordWrap(true);
    foot->addWidget(m_icon, 0, Qt::AlignTop);
    foot->addWidget(m_description, 1);
    layout->addLayout(foot);
    layout->addStretch();

    m_start->button(CScheduleSettings::StartNow)->setChecked(true);
    m_repeat->button(CScheduleSettings::RepeatNever)->setChecked(true);
}

void CJobDetail_ScheduleTab::connectControls()
{
    connect(m_start, &QButtonGroup::idClicked, this, [this] { onStartClicked(); });
    connect(m_repeat, &QButtonGroup::idClicked, this, [this](int id) { onRepeatClicked(id); });

    auto chooseOn = [this] {
        selectStart(CScheduleSettings::StartOn);
        rebuild();
    };
    connect(m_startDate, &QDateEdit::dateChanged, this, chooseOn);
    connect(m_startTime, &QTimeEdit::timeChanged, this, chooseOn);

    auto chooseEvery = [this] {
        selectRepeat(CScheduleSettings::RepeatEvery);
        rebuild();
    };
    connect(m_everyAmount, &QSpinBox::valueChanged, this, chooseEvery);
    connect(m_everyAt, &QTimeEdit::timeChanged, this, chooseEvery);
    connect(m_everyUnit, &QComboBox::currentIndexChanged, this, [this] {
        updateEveryAt();
        selectRepeat(CScheduleSettings::RepeatEvery);
        rebuild();
    });

    connect(m_dayAt, &QTimeEdit::timeChanged, this, [this] {
        selectRepeat(CScheduleSettings::RepeatDayDate);
        rebuild();
    });
    auto chooseUntil = [this] {
        m_until->setChecked(true);
        selectRepeat(CScheduleSettings::RepeatDayDate);
        rebuild();
    };
    connect(m_untilTime, &QTimeEdit::timeChanged, this, chooseUntil);
    connect(m_repeatAmount, &QSpinBox::valueChanged, this, chooseUntil);
    connect(m_repeatUnit, &QComboBox::currentIndexChanged, this, chooseUntil);
    connect(m_until, &QCheckBox::clicked, this, [this] {
        selectRepeat(CScheduleSettings::RepeatDayDate);
        rebuild();
    });
    connect(m_days, &CDISDays::changed, this, [this] { onDaysChanged(); });
}

void CJobDetail_ScheduleTab::selectStart(int choice)
{
    m_start->button(choice)->setChecked(true);
}

void CJobDetail_ScheduleTab::selectRepeat(int choice)
{
    m_repeat->button(choice)->setChecked(true);
    updateUntilGroup();
}

void CJobDetail_ScheduleTab::onStartClicked()
{
    if (m_repeat->checkedId() < 0)
        selectRepeat(CScheduleSettings::RepeatNever);
    rebuild();
}

void CJobDetail_ScheduleTab::onRepeatClicked(int choice)
{
    if (m_start->checkedId() < 0)
        selectStart(CScheduleSettings::StartNow);
    if (choice == CScheduleSettings::RepeatEvery)
        m_days->clear();
    updateUntilGroup();
    rebuild();
}

void CJobDetail_ScheduleTab::onDaysChanged()
{
    selectRepeat(CScheduleSettings::RepeatDayDate);
    rebuild();
}

void CJobDetail_ScheduleTab::updateEveryAt()
{
    const bool enabled = m_everyUnit->currentIndex() >= CScheduleSettings::Days;
    m_everyAtLabel->setEnabled(enabled);
    m_everyAt->setEnabled(enabled);
}

void CJobDetail_ScheduleTab::updateUntilGroup()
{
    const bool enabled = m_repeat->checkedId() == CScheduleSettings::RepeatDayDate && m_days->model().AllWeekdays();
    for (QWidget* w : std::initializer_list<QWidget*>{m_until, m_untilTime, m_repeatLabel, m_repeatAmount, m_repeatUnit})
        w->setEnabled(enabled);
}

CScheduleSettings CJobDetail_ScheduleTab::settings() const
{
    CScheduleSettings s;
    s.start = m_start->checkedId();
    const QDateTime start = startMoment();
    s.startMoment = {start.date().year(),  start.date().month(),  start.date().day(),
                     start.time().hour(), start.time().minute(), start.time().second()};
    s.repeat = m_repeat->checkedId();
    s.everyAmount = m_everyAmount->value();
    s.everyUnit = m_everyUnit->currentIndex();
    s.everyAt = ToScheduleTime(m_everyAt->time());
    s.days = m_days->model();
    s.dayAt = ToScheduleTime(m_dayAt->time());
    s.until = m_until->isChecked();
    s.untilTime = ToScheduleTime(m_untilTime->time());
    s.repeatAmount = m_repeatAmount->value();
    s.repeatUnit = m_repeatUnit->currentIndex();
    return s;
}

QDateTime CJobDetail_ScheduleTab::startMoment() const
{
    return QDateTime(m_startDate->date(), m_startTime->time());
}

void CJobDetail_ScheduleTab::focusStartTime()
{
    m_startTime->setFocus();
}

void CJobDetail_ScheduleTab::rebuild()
{
    if (m_ready)
        send(m_builder.Build(settings()));
}

void CJobDetail_ScheduleTab::send(const CScheduleResult& result)
{
    m_result = result;
    m_description->setText(QString::fromStdString(result.description));
    const auto icon = result.valid ? QStyle::SP_MessageBoxInformation : QStyle::SP_MessageBoxWarning;
    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
    m_icon->setPixmap(style()->standardIcon(icon).pixmap(size, size));
    m_icon->setProperty("valid", result.valid);
    emit scheduleChanged(m_result);
}

void CJobDetail_ScheduleTab::setUserDefined()
{
    send(CScheduleBuilder::UserDefined());
    ClearGroup(m_start);
    ClearGroup(m_repeat);
    updateUntilGroup();
}

void CJobDetail_ScheduleTab::setInvalid()
{
    send(CScheduleBuilder::Invalid());
}
