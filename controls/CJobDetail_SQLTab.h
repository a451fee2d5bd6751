#pragma once
// The "Advanced" page of the job detail dialog: the job's Next Date and
// Interval expressions as text, each with Format and Evaluate buttons that
// are enabled while its edit holds text.

#include <QWidget>

#include <string>

class QAction;
class QPlainTextEdit;

class CJobDetail_SQLTab : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxInterval = 300;

    explicit CJobDetail_SQLTab(QWidget* parent = nullptr);

    std::string nextDate() const;
    std::string interval() const;
    // Setting a text raises no userEdited().
    void setNextDate(const std::string& text);
    void setInterval(const std::string& text);

    QPlainTextEdit* nextDateEdit() const { return m_nextDate; }
    QPlainTextEdit* intervalEdit() const { return m_interval; }
    QAction* formatNextDateAction() const { return m_formatNext; }
    QAction* evaluateNextDateAction() const { return m_evaluateNext; }
    QAction* formatIntervalAction() const { return m_formatInterval; }
    QAction* evaluateIntervalAction() const { return m_evaluateInterval; }
    QAction* forecastAction() const { return m_forecast; }

signals:
    // The user changed one of the texts.
    void userEdited();
    void evaluateRequested(const std::string& expression);
    void forecastRequested();

private:
    void setText(QPlainTextEdit* edit, const std::string& text);
    void onEdited(QPlainTextEdit* edit);
    void format(QPlainTextEdit* edit);
    void updateButtons();

    QPlainTextEdit* m_nextDate;
    QPlainTextEdit* m_interval;
    QAction* m_formatNext;
    QAction* m_evaluateNext;
    QAction* m_formatInterval;
    QAction* m_evaluateInterval;
    QAction* m_forecast = nullptr;
    bool m_settingText = false;
};
