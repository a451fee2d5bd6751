#pragma once
// The day picker: tool bars of text buttons for weekdays, first/last,
// month/quarter and the days of the month, over a CDISDaysModel that holds
// the rules. Reports every change with changed().

#include "controls/CDISDaysModel.h"

#include <QWidget>

#include <map>

class QAbstractButton;

class CDISDays : public QWidget {
    Q_OBJECT

public:
    explicit CDISDays(QWidget* parent = nullptr);

    const CDISDaysModel& model() const { return m_model; }
    // The picker's "Clear" without a change report (the page clears it when
    // Every is chosen).
    void clear();
    // A button by its identifier (CDISDaysModel::ID_...), or null.
    QAbstractButton* button(UINT id) const;

signals:
    void changed();

private:
    QAbstractButton* addButton(QWidget* bar, UINT id, bool checkable);
    void onClicked(UINT id);
    void sync();

    CDISDaysModel m_model;
    std::map<UINT, QAbstractButton*> m_buttons;
};
