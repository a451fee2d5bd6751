#include "controls/COracleExplorerTree.h"

#include "controls/CExplorerDragText.h"
#include "controls/CSchemaQueries.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"

#include <QMetaObject>
#include <QMimeData>
#include <QPointer>

namespace {
constexpr int kIdRole = Qt::UserRole + 1;
}

COracleExplorerTree::COracleExplorerTree(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemExpanded, this, &COracleExplorerTree::OnExpanded);

    QPointer<COracleExplorerTree> self(this);
    m_worker = std::make_unique<CExplorerWorker>(
        [self](CExplorerReply reply) {
            // The worker is stopped before the tree goes, so self is alive
            // here; the queued call checks again when it runs.
            QTreeWidget* target = self.data();
            if (!target)
                return;
            QMetaObject::invokeMethod(
                target,
                [self, reply = std::move(reply)]() mutable {
                    if (self)
                        self->OnReply(std::move(reply));
                },
                Qt::QueuedConnection);
        },
        [this] {
            if (m_onLogin)
                m_onLogin();
        });
    m_worker->Start();
}

COracleExplorerTree::~COracleExplorerTree()
{
    Stop();
}

void COracleExplorerTree::Stop(std::function<bool()> askRetry)
{
    m_worker->Stop(std::move(askRetry));
}

void COracleExplorerTree::SetDatabase(const std::string& host)
{
    m_worker->SetLogon(host, m_worker->UserName(), m_worker->Password());
}

void COracleExplorerTree::SetUserName(const std::string& user)
{
    m_worker->SetLogon(m_worker->Host(), user, m_worker->Password());
}

void COracleExplorerTree::SetPassword(const std::string& password)
{
    m_worker->SetLogon(m_worker->Host(), m_worker->UserName(), password);
}

std::string COracleExplorerTree::Database() const { return m_worker->Host(); }
std::string COracleExplorerTree::UserName() const { return m_worker->UserName(); }
std::string COracleExplorerTree::Password() const { return m_worker->Password(); }
std::string COracleExplorerTree::ConnectString() const { return m_worker->ConnectString(); }

void COracleExplorerTree::Login() { m_worker->Login(); }
void COracleExplorerTree::Disconnect() { m_worker->Disconnect(); }
bool COracleExplorerTree::Connected() const { return m_worker->State() == CExplorerWorker::Connected; }
bool COracleExplorerTree::Connecting() const { return m_worker->State() == CExplorerWorker::Connecting; }
long COracleExplorerTree::MajorVersion() const { return m_worker->MajorVersion(); }

void COracleExplorerTree::SetLoginHandler(std::function<void()> handler)
{
    m_onLogin = std::move(handler);
}

void COracleExplorerTree::Reset()
{
    if (!Connected())
        return;
    m_worker->NewGeneration();
    Clear();
    m_worker->QueueRoots();
}

void COracleExplorerTree::Clear()
{
    clear();
    m_entries.clear();
}

int COracleExplorerTree::Id(const QTreeWidgetItem* item) const
{
    return item ? item->data(0, kIdRole).toInt() : 0;
}

const CExplorerNode* COracleExplorerTree::Node(const QTreeWidgetItem* item) const
{
    auto it = m_entries.find(Id(item));
    return it == m_entries.end() ? nullptr : &it->second.node;
}

std::vector<CExplorerNode> COracleExplorerTree::Path(const QTreeWidgetItem* item) const
{
    std::vector<CExplorerNode> path;
    for (; item; item = item->parent()) {
        if (const CExplorerNode* node = Node(item))
            path.insert(path.begin(), *node);
    }
    return path;
}

void COracleExplorerTree::ShowNode(QTreeWidgetItem* item, const CExplorerNode& node)
{
    QString text = QString::fromStdString(node.name);
    const QString description = QString::fromStdString(node.description).trimmed();
    if (!description.isEmpty())
        text = text.isEmpty() ? description : text + "  " + description;
    if (node.status == "INVALID" || node.status == "DISABLED")
        text += " (" + QString::fromStdString(node.status) + ")";
    item->setText(0, text);
    item->setToolTip(0, text);
}

QTreeWidgetItem* COracleExplorerTree::AddItem(QTreeWidgetItem* parent, const CExplorerNode& node)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    const int id = m_nextId++;
    item->setData(0, kIdRole, id);
    ShowNode(item, node);
    Entry entry{item, node};
    const auto fixed = CExplorerLoader::FixedChildren(node.kind, MajorVersion());
    entry.node.loaded = node.loaded || !CSchemaQueries::Loads(node.kind);
    m_entries.emplace(id, entry);
    for (const CExplorerNode& child : fixed)
        AddItem(item, child);
    if (!m_entries.at(id).node.loaded)
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!CExplorerDragText::Build(Path(item), {}).empty())
        flags |= Qt::ItemIsDragEnabled;
    item->setFlags(flags);
    return item;
}

void COracleExplorerTree::OnExpanded(QTreeWidgetItem* item)
{
    auto it = m_entries.find(Id(item));
    if (it == m_entries.end() || it->second.node.loaded || it->second.requested)
        return;
    it->second.requested = true;
    CExplorerRequest request;
    request.kind = it->second.node.kind;
    request.item = it->first;
    request.path = Path(item);
    request.option1 = m_worker->Generation();
    m_worker->Post(std::move(request));
}

void COracleExplorerTree::OnReply(CExplorerReply reply)
{
    if (reply.type == CExplorerReply::Type::Clear) {
        Clear();
        return;
    }
    if (reply.generation != m_worker->Generation())
        return;
    QTreeWidgetItem* parent = nullptr;
    if (reply.item == 0) {
        CExplorerNode root;
        root.kind = reply.kind;
        root.name = CSchemaQueries::CategoryName(reply.kind);
        root.loaded = true;
        parent = AddItem(nullptr, root);
    } else {
        auto it = m_entries.find(reply.item);
        if (it == m_entries.end())
            return;
        parent = it->second.item;
        it->second.node.loaded = true;
    }
    if (reply.result.failed) {
        CExplorerNode error;
        error.kind = ExplorerKind::Error;
        error.name = QVCtrlStrings().Format(IDS_EX_ERROR_ITEM, reply.result.error.c_str());
        error.loaded = true;
        AddItem(parent, error);
    }
    for (const CExplorerNode& child : reply.result.children)
        AddItem(parent, child);
    parent->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    if (reply.item == 0)
        parent->setExpanded(true);
    if (reply.result.failed && reply.result.oracleError == 942) {
        VkModalService::MessageBox(this, QString::fromStdString(QVCtrlStrings().Format(IDS_EX_NO_DBA_ACCESS, UserName().c_str())),
                                   QVCtrlString(IDS_QV_CAPTION), MB_OK | MB_ICONEXCLAMATION);
    }
}

std::string COracleExplorerTree::DragText(const QTreeWidgetItem* item) const
{
    const CExplorerNode* node = Node(item);
    if (!node)
        return {};
    // What the text is built from: the names under a table's "Columns"
    // node, or a callable object's argument descriptions.
    std::vector<std::string> loaded;
    const ExplorerKind kind = node->kind;
    if (kind == ExplorerKind::Table || kind == ExplorerKind::View) {
        for (int i = 0; i < item->childCount(); ++i) {
            const CExplorerNode* category = Node(item->child(i));
            if (!category || (category->kind != ExplorerKind::TableColumns && category->kind != ExplorerKind::ViewColumns))
                continue;
            for (int c = 0; c < item->child(i)->childCount(); ++c) {
                const CExplorerNode* column = Node(item->child(i)->child(c));
                if (column && column->kind == ExplorerKind::Leaf)
                    loaded.push_back(column->name);
            }
        }
    } else if (kind == ExplorerKind::Procedure || kind == ExplorerKind::Function || kind == ExplorerKind::PackageMember) {
        for (int i = 0; i < item->childCount(); ++i) {
            const CExplorerNode* argument = Node(item->child(i));
            if (argument && argument->kind == ExplorerKind::Argument)
                loaded.push_back(argument->description);
        }
    }
    return CExplorerDragText::Build(Path(item), loaded);
}

QStringList COracleExplorerTree::mimeTypes() const
{
    return {QStringLiteral("text/plain")};
}

QMimeData* COracleExplorerTree::mimeData(const QList<QTreeWidgetItem*>& items) const
{
    if (items.isEmpty())
        return nullptr;
    const std::string text = DragText(items.first());
    if (text.empty())
        return nullptr;
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(text));
    return data;
}

Qt::DropActions COracleExplorerTree::supportedDropActions() const
{
    return Qt::CopyAction;
}
