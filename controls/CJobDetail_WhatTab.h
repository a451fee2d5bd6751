#pragma once
// The "What" page of the job detail dialog: the job's PL/SQL body, its
// Check Syntax and Clear buttons, and a schema tree logged on with the
// queue's connection from which calls are dragged into the edit.

#include <QWidget>

#include <string>

class COracleExplorerTree;
class QAction;
class QPlainTextEdit;

class CJobDetail_WhatTab : public QWidget {
    Q_OBJECT

public:
    explicit CJobDetail_WhatTab(QWidget* parent = nullptr);

    // Logs the schema tree on; nothing happens without a host.
    void logOn(const std::string& host, const std::string& user, const std::string& password);

    // The body as the edit holds it, line feeds only.
    std::string what() const;
    void setWhat(const std::string& what);
    void clear();
    // Selects the whole text, shows the caret and takes the focus.
    void selectAllAndFocus();

    QPlainTextEdit* edit() const { return m_edit; }
    QAction* checkSyntaxAction() const { return m_checkSyntax; }
    QAction* clearAction() const { return m_clear; }
    COracleExplorerTree* tree() const { return m_tree; }

signals:
    void whatChanged();
    void checkSyntaxRequested();

private:
    QPlainTextEdit* m_edit;
    QAction* m_checkSyntax;
    QAction* m_clear;
    COracleExplorerTree* m_tree;
};
