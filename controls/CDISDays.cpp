#include "controls/CDISDays.h"

#include "controls/QVCtrlStrings.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

CDISDays::CDISDays(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* commands = new QToolBar(this);
    for (UINT id : {CDISDaysModel::ID_CLEAR, CDISDaysModel::ID_WORKING_DAYS, CDISDaysModel::ID_ALL_DAYS})
        addButton(commands, id, false);
    auto* weekdays = new QToolBar(this);
    for (UINT id = CDISDaysModel::ID_MONDAY; id < CDISDaysModel::ID_MONDAY + 7; ++id)
        addButton(weekdays, id, true);
    auto* options = new QToolBar(this);
    for (UINT id : {CDISDaysModel::ID_FIRST, CDISDaysModel::ID_LAST})
        addButton(options, id, true);
    options->addSeparator();
    for (UINT id : {CDISDaysModel::ID_MONTH, CDISDaysModel::ID_QUARTER})
        addButton(options, id, true);
    layout->addWidget(commands);
    layout->addWidget(weekdays);
    layout->addWidget(options);

    // The days of the month, seven to a row.
    auto* days = new QWidget(this);
    auto* grid = new QGridLayout(days);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    for (int day = 1; day <= 31; ++day) {
        QAbstractButton* b = addButton(days, CDISDaysModel::ID_DAY_1 + static_cast<UINT>(day) - 1, true);
        grid->addWidget(b, (day - 1) / 7, (day - 1) % 7);
    }
    layout->addWidget(days);
    sync();
}

QAbstractButton* CDISDays::addButton(QWidget* bar, UINT id, bool checkable)
{
    auto* b = new QToolButton(bar);
    b->setObjectName(QStringLiteral("day%1").arg(id));
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    if (id >= CDISDaysModel::ID_DAY_1) {
        b->setText(QString::number(id - CDISDaysModel::ID_DAY_1 + 1));
    } else {
        const VkCommandPrompt prompt = VkSplitPrompt(QVCtrlStrings().Load(IDS_DIS_BUTTON_BASE + id));
        b->setText(QString::fromStdString(prompt.status));
        b->setToolTip(QString::fromStdString(prompt.toolTip));
    }
    if (auto* toolBar = qobject_cast<QToolBar*>(bar))
        toolBar->addWidget(b);
    connect(b, &QToolButton::clicked, this, [this, id] { onClicked(id); });
    m_buttons[id] = b;
    return b;
}

QAbstractButton* CDISDays::button(UINT id) const
{
    const auto it = m_buttons.find(id);
    return it == m_buttons.end() ? nullptr : it->second;
}

void CDISDays::clear()
{
    m_model.Clear();
    sync();
}

void CDISDays::onClicked(UINT id)
{
    m_model.Click(id);
    // The buttons show the model, whatever the click did to them.
    sync();
    emit changed();
}

void CDISDays::sync()
{
    for (int d = 0; d < 7; ++d)
        m_buttons[CDISDaysModel::ID_MONDAY + static_cast<UINT>(d)]->setChecked(m_model.Weekday(d));
    for (int day = 1; day <= 31; ++day)
        m_buttons[CDISDaysModel::ID_DAY_1 + static_cast<UINT>(day) - 1]->setChecked(m_model.MonthDay(day));
    const bool enabled = m_model.OptionsEnabled();
    const std::pair<UINT, bool> options[] = {
        {CDISDaysModel::ID_FIRST, m_model.FirstLast() == CDISDaysModel::First},
        {CDISDaysModel::ID_LAST, m_model.FirstLast() == CDISDaysModel::Last},
        {CDISDaysModel::ID_MONTH, m_model.MonthOrQuarter() == CDISDaysModel::Month},
        {CDISDaysModel::ID_QUARTER, m_model.MonthOrQuarter() == CDISDaysModel::Quarter},
    };
    for (auto [id, checked] : options) {
        m_buttons[id]->setChecked(checked);
        m_buttons[id]->setEnabled(enabled);
    }
}
