#pragma once
// The job actions on a job list window: its commands (run, remove, stop,
// stop all, break), asking through the modal service and posting to the
// list's worker; copy and paste through the clipboard; dragging the
// selected jobs out and accepting jobs dropped in. Creating jobs from a
// paste or drop is handed to a paste target (the copy dialog's part).

#include "controls/CJobActions.h"

#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>

class CJobListCtrl;
class CJobPasteTarget;
class QDrag;
class QMimeData;

class CJobListActions : public QObject, private CJobActionTarget {
    Q_OBJECT

public:
    // Runs a drag and returns its outcome; replaced by tests.
    using DragRunner = std::function<Qt::DropAction(QDrag& drag)>;

    // Attaches to list (and becomes its child).
    explicit CJobListActions(CJobListCtrl* list);

    // Asks and posts; false when the user said No.
    bool Perform(CJobAction action);
    // Carries out a job list command; false for commands of other parts.
    bool OnCommand(UINT command);

    // Copies the selected jobs to the clipboard; false, leaving the
    // clipboard alone, without a selection or when nothing could be rendered.
    bool CopySelected();
    bool CanPaste() const;
    // Pastes the clipboard's jobs; false when it holds none or the paste
    // was not made.
    bool DoPaste();
    // The common end of paste and drop; false without a paste target.
    bool PasteRecords(const QByteArray& block);
    // Null until the copy dialog's part provides one; not owned.
    void SetPasteTarget(CJobPasteTarget* target) { m_pasteTarget = target; }

    // The item for a copy or drag of the selection; null when neither
    // format could be produced.
    std::unique_ptr<QMimeData> RenderSelection() const;
    // Starts a drag of the selection, only while connected and with a
    // selection; false when none started.
    bool StartDrag();
    void SetDragRunner(DragRunner runner) { m_dragRunner = std::move(runner); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<CJobListData> SelectedJobs() const override;
    std::vector<CJobListData> AllJobs() const override;
    void BeginInteraction() override;
    void EndInteraction() override;
    bool Confirm(const std::string& question) override;
    bool PostRequest(LONG kind, const CJobListData& job) override;

    bool FilterListKey(QEvent* event);
    bool FilterViewport(QEvent* event);

    CJobListCtrl* m_list;
    CJobPasteTarget* m_pasteTarget = nullptr;
    DragRunner m_dragRunner;
    // A press on a selected row that may become a drag.
    bool m_dragPending = false;
    QPoint m_pressPos;
    QObject* m_viewport = nullptr; // compared only, never called
};
