#include "controls/CJobListActions.h"

#include "controls/CJobClipboard.h"
#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CJobPaste.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

CJobListActions::CJobListActions(CJobListCtrl* list) : QObject(list), m_list(list)
{
    connect(list, &CJobListCtrl::commandRequested, this, [this](UINT command) { OnCommand(command); });
    list->installEventFilter(this);
    m_viewport = list->viewport();
    m_viewport->installEventFilter(this);
    list->viewport()->setAcceptDrops(true);
    m_dragRunner = [](QDrag& drag) { return drag.exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction); };
}

bool CJobListActions::Perform(CJobAction action)
{
    return CJobActions::Perform(action, *this) >= 0;
}

bool CJobListActions::OnCommand(UINT command)
{
    CJobAction action;
    if (!CJobActions::FromCommand(command, action))
        return false;
    Perform(action);
    return true;
}

std::vector<CJobListData> CJobListActions::SelectedJobs() const
{
    std::vector<CJobListData> jobs;
    for (int row : m_list->SelectedRows())
        jobs.push_back(m_list->Model().Job(row));
    return jobs;
}

std::vector<CJobListData> CJobListActions::AllJobs() const
{
    std::vector<CJobListData> jobs;
    for (int row = 0; row < m_list->Model().rowCount(); ++row)
        jobs.push_back(m_list->Model().Job(row));
    return jobs;
}

void CJobListActions::BeginInteraction()
{
    m_list->BeginInteraction();
}

void CJobListActions::EndInteraction()
{
    m_list->EndInteraction();
}

bool CJobListActions::Confirm(const std::string& question)
{
    return VkModalService::MessageBox(m_list, QString::fromStdString(question), QVCtrlString(IDS_QV_CAPTION),
                                      MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool CJobListActions::PostRequest(LONG kind, const CJobListData& job)
{
    return m_list->Worker().PostRequest(kind, nullptr, &job);
}

std::unique_ptr<QMimeData> CJobListActions::RenderSelection() const
{
    const std::vector<int> rows = m_list->SelectedRows();
    // The model's text of no rows is every row's: only a selection is copied.
    const QString text = rows.empty() ? QString() : m_list->Model().RowsAsText(rows);
    return CJobClipboard::Render(text, m_list->Worker().Host(), SelectedJobs());
}

bool CJobListActions::CopySelected()
{
    // Copying nothing leaves the clipboard as it was.
    if (m_list->SelectedRows().empty())
        return false;
    std::unique_ptr<QMimeData> data = RenderSelection();
    if (!data)
        return false;
    QApplication::clipboard()->setMimeData(data.release());
    return true;
}

bool CJobListActions::CanPaste() const
{
    // Without a paste target nothing would be made of a paste: not offered.
    return m_pasteTarget && CJobClipboard::HasJobs(QApplication::clipboard()->mimeData());
}

bool CJobListActions::DoPaste()
{
    const QByteArray block = CJobClipboard::JobsBlock(QApplication::clipboard()->mimeData());
    if (block.isEmpty())
        return false;
    return PasteRecords(block);
}

bool CJobListActions::PasteRecords(const QByteArray& block)
{
    if (!m_pasteTarget)
        return false;
    return CJobPaste::PasteRecords(block, *m_pasteTarget);
}

bool CJobListActions::StartDrag()
{
    if (!m_list->IsConnected() || m_list->SelectedRows().empty())
        return false;
    std::unique_ptr<QMimeData> data = RenderSelection();
    if (!data)
        return false;
    QDrag drag(m_list);
    drag.setMimeData(data.release());
    m_list->BeginInteraction();
    if (m_dragRunner)
        m_dragRunner(drag);
    m_list->EndInteraction();
    return true;
}

bool CJobListActions::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list)
        return FilterListKey(event);
    // The viewport as it was attached: events can still arrive while the
    // list is being destroyed, when it may no longer be asked for it.
    if (watched == m_viewport)
        return FilterViewport(event);
    return false;
}

bool CJobListActions::FilterListKey(QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy)) {
        CopySelected();
        return true;
    }
    if (key->matches(QKeySequence::Paste)) {
        DoPaste();
        return true;
    }
    return false;
}

bool CJobListActions::FilterViewport(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_dragPending = false;
        if (mouse->button() != Qt::LeftButton || mouse->modifiers() != Qt::NoModifier)
            return false;
        const QModelIndex index = m_list->indexAt(mouse->position().toPoint());
        // A press on a selected row keeps the selection for a drag; the
        // release without one selects that row alone, as a plain click does.
        if (index.isValid() && m_list->selectionModel()->isRowSelected(index.row(), QModelIndex())) {
            m_dragPending = true;
            m_pressPos = mouse->position().toPoint();
            return true;
        }
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_dragPending || !(mouse->buttons() & Qt::LeftButton))
            return false;
        if ((mouse->position().toPoint() - m_pressPos).manhattanLength() < QApplication::startDragDistance())
            return true;
        m_dragPending = false;
        StartDrag();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (!m_dragPending)
            return false;
        m_dragPending = false;
        const QModelIndex index = m_list->indexAt(m_pressPos);
        if (index.isValid()) {
            m_list->selectionModel()->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        // A drop nothing would come of is refused, not shown as a copy.
        if (m_pasteTarget && CJobClipboard::HasJobs(drag->mimeData())) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!m_pasteTarget || !CJobClipboard::HasJobs(drop->mimeData())) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        PasteRecords(CJobClipboard::JobsBlock(drop->mimeData()));
        return true;
    }
    default:
        return false;
    }
}
