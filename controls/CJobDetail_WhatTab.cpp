#include "controls/CJobDetail_WhatTab.h"

#include "controls/COracleExplorerTree.h"
#include "controls/QVCtrlStrings.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// A "text\ntool tip" string as a tool bar action.
QAction* AddTextAction(QToolBar* bar, UINT id)
{
    const QStringList parts = QVCtrlString(id).split(QLatin1Char('\n'));
    QAction* action = bar->addAction(parts.value(0));
    action->setToolTip(parts.value(1));
    return action;
}

} // namespace

CJobDetail_WhatTab::CJobDetail_WhatTab(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("WhatTab"));
    auto* top = new QWidget(this);
    auto* label = new QLabel(QVCtrlString(IDS_JD_WHAT_LABEL), top);
    auto* bar = new QToolBar(top);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_checkSyntax = AddTextAction(bar, IDS_JD_CHECK_SYNTAX);
    m_clear = AddTextAction(bar, IDS_JD_CLEAR);
    m_edit = new QPlainTextEdit(top);
    m_edit->setObjectName(QStringLiteral("WhatEdit"));
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    label->setBuddy(m_edit);
    auto* heading = new QHBoxLayout;
    heading->addWidget(label);
    heading->addStretch(1);
    heading->addWidget(bar);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addLayout(heading);
    topLayout->addWidget(m_edit, 1);

    auto* bottom = new QWidget(this);
    auto* dragLabel = new QLabel(QVCtrlString(IDS_JD_DRAG_LABEL), bottom);
    m_tree = new COracleExplorerTree(bottom);
    m_tree->setDragEnabled(true);
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->addWidget(dragLabel);
    bottomLayout->addWidget(m_tree, 1);

    // The divider between the edit and the tree.
    auto* divider = new QSplitter(Qt::Vertical, this);
    divider->addWidget(top);
    divider->addWidget(bottom);
    divider->setChildrenCollapsible(false);
    divider->setStretchFactor(0, 3);
    divider->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(divider);

    connect(m_edit, &QPlainTextEdit::textChanged, this, &CJobDetail_WhatTab::whatChanged);
    connect(m_checkSyntax, &QAction::triggered, this, &CJobDetail_WhatTab::checkSyntaxRequested);
    connect(m_clear, &QAction::triggered, this, &CJobDetail_WhatTab::clear);
}

void CJobDetail_WhatTab::logOn(const std::string& host, const std::string& user, const std::string& password)
{
    if (host.empty() && user.empty())
        return;
    m_tree->SetDatabase(host);
    m_tree->SetUserName(user);
    m_tree->SetPassword(password);
    m_tree->Login();
}

std::string CJobDetail_WhatTab::what() const
{
    return m_edit->toPlainText().toStdString();
}

void CJobDetail_WhatTab::setWhat(const std::string& what)
{
    m_edit->setPlainText(QString::fromStdString(what));
}

void CJobDetail_WhatTab::clear()
{
    // Through the selection, so that the edit's undo keeps the text.
    m_edit->selectAll();
    m_edit->textCursor().removeSelectedText();
}

void CJobDetail_WhatTab::selectAllAndFocus()
{
    m_edit->selectAll();
    m_edit->ensureCursorVisible();
    m_edit->setFocus();
}
