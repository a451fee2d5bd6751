#pragma once
// The grid view: the SQL statement edit above the grid. It carries the
// operations of the grid control (run, pause, stop, abort, refresh,
// monitor mode, title) and hands every server call to the grid's worker.

#include "gridview/TwGridProperties.h"
#include "gridview/TwQuillGridMessages.h"

#include <QWidget>

#include <string>
#include <vector>

class QMenu;
class QPlainTextEdit;
class QSplitter;
class TwQuillGrid;
class TwQuillGridWorker;

class TwGridViewReal : public QWidget {
    Q_OBJECT

public:
    explicit TwGridViewReal(QWidget* parent = nullptr);
    ~TwGridViewReal() override;

    TwQuillGrid* Grid() const { return m_grid; }
    QPlainTextEdit* SqlEdit() const { return m_edit; }
    TwQuillGridWorker& Worker();

    void SetLogon(const std::string& host, const std::string& user, const std::string& password);
    // Connects with the stored details.
    bool Login();
    // The framework's logon dialog with the stored details; on OK the
    // details change and the grid connects with them. False on Cancel.
    bool Interactive_Login();
    bool Connected();

    // Takes the SQL text from the edit and runs it.
    bool Run();
    // Re-runs the grid's SQL text.
    bool Refresh();
    void Pause();
    void Stop();
    void Abort();
    // Empties the SQL text and the grid.
    void Reset();

    TwGridProperties Properties();
    void SetProperties(const TwGridProperties& properties);
    // The properties dialog; true when the user changed the settings.
    bool Interactive_Properties();

    // The persisted state; without the connection the logon details and
    // the cells are stored blank. Loading refuses damaged bytes and then
    // changes nothing.
    std::vector<BYTE> SaveState(bool includeConnection);
    bool LoadState(const std::vector<BYTE>& bytes, bool includeConnection, std::string& error);

    // The grid's context menu for the shown cell (row and column -1 when
    // none): change connection, cell SQL, refresh, properties.
    QMenu* ContextMenu(int row, int column);

    bool Running();
    bool Paused();
    bool Idle();

    bool MonitorMode();
    void SetMonitorMode(bool on);
    bool SQLVisible() const;
    void SetSQLVisible(bool visible);
    QString Title() const { return m_title; }
    void SetTitle(const QString& title);

signals:
    void titleChanged();
    void loginFinished();
    void runStateChanged(LONG state);

private:
    QSplitter* m_splitter;
    QPlainTextEdit* m_edit;
    TwQuillGrid* m_grid;
    QString m_title;
    bool m_showAlerts = true;
};
