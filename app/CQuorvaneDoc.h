#pragma once
// A job queue document: one queue window whose view hosts a job scheduler
// control. It logs a new queue on, keeps its window title in step with the
// connection, carries out the queue and job commands on the control,
// asks before a logged-on queue is closed, and saves and restores the
// queue inside a palette.

#include "generic/VkDocTemplate.h"

#include <QPointer>

class CArchive;
class CQuorvaneView;
class CSchedulerCtrl;

class CQuorvaneDoc : public VkDocument {
    Q_OBJECT

public:
    enum TitleState { TitleConnecting = 0, TitleConnected = 1, TitleNotConnected = 2 };

    CQuorvaneDoc();

    // While one exists, new documents skip the logon: they are being read
    // from a saved queue, which logs on by itself.
    struct OpeningSaved {
        OpeningSaved();
        ~OpeningSaved();
        OpeningSaved(const OpeningSaved&) = delete;
        OpeningSaved& operator=(const OpeningSaved&) = delete;
    };

    // The control of the document's view; null until the view made one.
    CSchedulerCtrl* Control() const { return m_control; }
    void SetControl(CSchedulerCtrl* control) { m_control = control; }
    std::vector<CQuorvaneView*> Views() const;

    bool OnNewDocument() override;
    // "user (database) - Connecting|Connected|NOT Connected", or "Loading..."
    // while either is unknown.
    void UpdateTitle(int state);
    bool CanCloseFrame(QMdiSubWindow* frame) override;
    void OnCloseDocument() override;

    // The queue record of each view: frame and view window records, then the
    // control's data in chunks. Loading logs the queue on with what it read.
    // Throws CArchiveException for damaged data.
    void Serialize(CArchive& ar) override;
    // Writes the queue record alone to a file chosen by the user.
    void OnFileSave();

    // The title for a user and database in a state; "Loading..." when
    // either is empty.
    static QString TitleFor(const std::string& user, const std::string& database, int state);

private:
    void MapQueueCommands();

    QPointer<CSchedulerCtrl> m_control;
};
