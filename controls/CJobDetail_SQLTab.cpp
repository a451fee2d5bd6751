#include "controls/CJobDetail_SQLTab.h"

#include "controls/CJobDetailText.h"
#include "controls/QVCtrlStrings.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTextCursor>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

QAction* AddTextAction(QToolBar* bar, UINT id)
{
    const QStringList parts = QVCtrlString(id).split(QLatin1Char('\n'));
    QAction* action = bar->addAction(parts.value(0));
    action->setToolTip(parts.value(1));
    return action;
}

// A label over an edit, with Format and Evaluate beside the label.
QWidget* Section(QWidget* parent, UINT label, QPlainTextEdit*& edit, QAction*& format, QAction*& evaluate,
                 QAction** forecast = nullptr)
{
    auto* section = new QWidget(parent);
    auto* caption = new QLabel(QVCtrlString(label), section);
    auto* bar = new QToolBar(section);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    format = AddTextAction(bar, IDS_JD_FORMAT);
    evaluate = AddTextAction(bar, IDS_JD_EVALUATE);
    if (forecast)
        *forecast = AddTextAction(bar, IDS_JD_FORECAST);
    edit = new QPlainTextEdit(section);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    caption->setBuddy(edit);
    auto* heading = new QHBoxLayout;
    heading->addWidget(caption);
    heading->addStretch(1);
    heading->addWidget(bar);
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(heading);
    layout->addWidget(edit, 1);
    return section;
}

} // namespace

CJobDetail_SQLTab::CJobDetail_SQLTab(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AdvancedTab"));
    auto* divider = new QSplitter(Qt::Vertical, this);
    divider->addWidget(Section(divider, IDS_JD_NEXT_DATE_LABEL, m_nextDate, m_formatNext, m_evaluateNext));
    divider->addWidget(Section(divider, IDS_JD_INTERVAL_LABEL, m_interval, m_formatInterval, m_evaluateInterval,
                                &m_forecast));
    divider->setChildrenCollapsible(false);
    m_nextDate->setObjectName(QStringLiteral("NextDateEdit"));
    m_interval->setObjectName(QStringLiteral("IntervalEdit"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(divider);

    connect(m_nextDate, &QPlainTextEdit::textChanged, this, [this] { onEdited(m_nextDate); });
    connect(m_interval, &QPlainTextEdit::textChanged, this, [this] { onEdited(m_interval); });
    connect(m_formatNext, &QAction::triggered, this, [this] { format(m_nextDate); });
    connect(m_formatInterval, &QAction::triggered, this, [this] { format(m_interval); });
    connect(m_evaluateNext, &QAction::triggered, this, [this] { emit evaluateRequested(nextDate()); });
    connect(m_evaluateInterval, &QAction::triggered, this, [this] { emit evaluateRequested(interval()); });
    connect(m_forecast, &QAction::triggered, this, &CJobDetail_SQLTab::forecastRequested);
    updateButtons();
}

std::string CJobDetail_SQLTab::nextDate() const
{
    return m_nextDate->toPlainText().toStdString();
}

std::string CJobDetail_SQLTab::interval() const
{
    return m_interval->toPlainText().toStdString();
}

void CJobDetail_SQLTab::setNextDate(const std::string& text)
{
    setText(m_nextDate, text);
}

void CJobDetail_SQLTab::setInterval(const std::string& text)
{
    setText(m_interval, text);
}

void CJobDetail_SQLTab::setText(QPlainTextEdit* edit, const std::string& text)
{
    m_settingText = true;
    QString shown = QString::fromStdString(CJobDetailText::ToEditText(text));
    if (edit == m_interval)
        shown.truncate(kMaxInterval);
    edit->setPlainText(shown);
    m_settingText = false;
    updateButtons();
}

void CJobDetail_SQLTab::onEdited(QPlainTextEdit* edit)
{
    if (m_settingText)
        return;
    if (edit == m_interval && m_interval->toPlainText().size() > kMaxInterval) {
        // The edit takes no more than the limit, like a limited edit control.
        m_settingText = true;
        QTextCursor cursor = m_interval->textCursor();
        const int position = cursor.position();
        m_interval->setPlainText(m_interval->toPlainText().left(kMaxInterval));
        cursor = m_interval->textCursor();
        cursor.setPosition(std::min(position, kMaxInterval));
        m_interval->setTextCursor(cursor);
        m_settingText = false;
    }
    updateButtons();
    emit userEdited();
}

void CJobDetail_SQLTab::format(QPlainTextEdit* edit)
{
    // A user action: the page reports it like typing.
    const std::string tabulated = CJobDetailText::Tabulate(edit->toPlainText().toStdString());
    edit->setPlainText(QString::fromStdString(CJobDetailText::ToEditText(tabulated)));
}

void CJobDetail_SQLTab::updateButtons()
{
    const bool next = !m_nextDate->toPlainText().isEmpty();
    const bool interval = !m_interval->toPlainText().isEmpty();
    m_formatNext->setEnabled(next);
    m_evaluateNext->setEnabled(next);
    m_formatInterval->setEnabled(interval);
    m_evaluateInterval->setEnabled(interval);
    // An empty interval is worth a forecast too: it says the job runs once.
    m_forecast->setEnabled(next);
}
