#pragma once
// The schema explorer's tree: the schemas and users of a database, each
// level loaded on demand by the explorer's worker thread, and items dragged
// out as SQL or PL/SQL text. Used by the explorer control and by the job
// detail dialog's What page.

#include "controls/CExplorerNode.h"
#include "controls/CExplorerWorker.h"

#include <QTreeWidget>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

class COracleExplorerTree : public QTreeWidget {
public:
    explicit COracleExplorerTree(QWidget* parent = nullptr);
    ~COracleExplorerTree() override;

    // Logon details; they take effect at the next Login.
    void SetDatabase(const std::string& host);
    void SetUserName(const std::string& user);
    void SetPassword(const std::string& password);
    std::string Database() const;
    std::string UserName() const;
    std::string Password() const;
    std::string ConnectString() const;

    // Disconnects when connected, then connects with the stored details.
    void Login();
    void Disconnect();
    // When connected: empties the tree and loads the two roots again.
    void Reset();
    bool Connected() const;
    bool Connecting() const;
    long MajorVersion() const;

    // Called on the worker thread whenever a connect starts or ends and
    // after a disconnect; a handler only notes the event.
    void SetLoginHandler(std::function<void()> handler);

    // The node of an item, or null.
    const CExplorerNode* Node(const QTreeWidgetItem* item) const;
    // The text dragging this item gives (empty: it cannot be dragged).
    std::string DragText(const QTreeWidgetItem* item) const;

    // Stops the worker (the tree is empty and loads nothing afterwards);
    // also done on destruction.
    void Stop(std::function<bool()> askRetry = nullptr);
    CExplorerWorker& Worker() { return *m_worker; }

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    // Drags copy: a target taking a move must never remove tree items.
    Qt::DropActions supportedDropActions() const override;

private:
    void OnExpanded(QTreeWidgetItem* item);
    void OnReply(CExplorerReply reply);
    void Clear();
    QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, const CExplorerNode& node);
    void ShowNode(QTreeWidgetItem* item, const CExplorerNode& node);
    std::vector<CExplorerNode> Path(const QTreeWidgetItem* item) const;
    int Id(const QTreeWidgetItem* item) const;

    struct Entry {
        QTreeWidgetItem* item;
        CExplorerNode node;
        bool requested = false;
    };
    std::unordered_map<int, Entry> m_entries;
    int m_nextId = 1;
    std::function<void()> m_onLogin;
    std::unique_ptr<CExplorerWorker> m_worker;
};
