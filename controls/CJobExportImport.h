#pragma once
// The job list's "Export..." and "Import..." commands: the dialogs, then
// the file written, or its jobs created one by one through the list's save
// path. New lists are held back while a dialog is open and the automatic
// refresh is paused while the jobs are created.

#include "controls/CJobImportRun.h"
#include "platform/WinTypes.h"

#include <QObject>
#include <QPointer>

class CJobListCtrl;

class CJobExportImport : public QObject {
    Q_OBJECT

public:
    // Becomes list's child and carries out its two commands from now on.
    explicit CJobExportImport(CJobListCtrl* list);
    // Ends the wait cursor of an import cut short by the list's end.
    ~CJobExportImport() override;

    // False when command is not one of the two.
    bool OnCommand(UINT command);
    // True when the file was written.
    bool Export();
    // True when the import was started (the dialog accepted); false also
    // while an import is still running.
    bool Import();
    // The import in progress; null when none.
    CJobImportRun* ActiveImport() const { return m_import; }

    // Replaces the save operation imports use (the list's by default).
    void SetSave(CJobImportRun::Save save) { m_save = std::move(save); }

signals:
    // An import has ended; run goes once the signal returns.
    void importFinished(CJobImportRun* run);

private:
    void OnImportFinished();

    CJobListCtrl* m_list;
    CJobImportRun::Save m_save;
    QPointer<CJobImportRun> m_import;
    DWORD m_pausedInterval = 0;
};
