#include "controls/CJobListMenu.h"

#include "controls/QVCtrlStrings.h"

namespace {

CJobListMenuItem Separator()
{
    CJobListMenuItem item;
    item.separator = true;
    return item;
}

CJobListMenuItem Command(UINT command, UINT text, bool enabled = true)
{
    CJobListMenuItem item;
    item.command = command;
    item.text = QVCtrlString(text);
    item.enabled = enabled;
    return item;
}

} // namespace

std::vector<CJobListMenuItem> CJobListMenu::Build(const CJobListMenuState& state)
{
    std::vector<CJobListMenuItem> items;
    if (state.connection == TwConnection::Connected) {
        items.push_back(Separator());
        items.push_back(Command(ID_JL_NEW, IDS_JL_MENU_NEW));
        if (state.selected == 1) {
            items.push_back(Command(ID_JL_MODIFY, IDS_JL_MENU_MODIFY));
            items.push_back(Command(ID_JL_FORECAST, IDS_JL_MENU_FORECAST));
        }
        CJobListMenuItem transfer;
        transfer.text = QVCtrlString(IDS_JL_MENU_IMPORT_EXPORT);
        transfer.children.push_back(Command(ID_JL_EXPORT, IDS_JL_MENU_EXPORT));
        transfer.children.push_back(Command(ID_JL_IMPORT, IDS_JL_MENU_IMPORT));
        items.push_back(transfer);
        items.push_back(Command(ID_JL_COMPARE, IDS_JL_MENU_COMPARE));
        if (state.selected > 0 || state.rows > 0) {
            items.push_back(Separator());
            if (state.selected > 0) {
                const bool allRunning = state.selectedRunning == state.selected;
                items.push_back(Command(ID_JL_REMOVE, IDS_JL_MENU_REMOVE));
                items.push_back(Separator());
                items.push_back(Command(ID_JL_RUN, IDS_JL_MENU_RUN, !allRunning));
                items.push_back(Command(ID_JL_STOP, IDS_JL_MENU_STOP, allRunning));
                items.push_back(Command(ID_JL_STOP_SAFELY, IDS_JL_MENU_STOP_SAFELY,
                                        allRunning && state.selected == 1));
            }
            if (state.rows > 0)
                items.push_back(Command(ID_JL_STOP_ALL, IDS_JL_MENU_STOP_ALL));
        }
        if (state.selected > 0) {
            items.push_back(Separator());
            UINT text = IDS_JL_MENU_BREAK_UNBREAK;
            if (state.selectedBroken == 0)
                text = IDS_JL_MENU_BREAK;
            else if (state.selectedBroken == state.selected)
                text = IDS_JL_MENU_UNBREAK;
            items.push_back(Command(ID_JL_BREAK, text));
        }
    } else if (state.connection == TwConnection::NotConnected) {
        items.push_back(Separator());
        items.push_back(Command(ID_JL_RECONNECT, IDS_JL_MENU_RECONNECT));
        items.push_back(Command(ID_JL_CHANGE_CONNECTION, IDS_JL_MENU_CHANGE_CONNECTION));
    }
    items.push_back(Separator());
    items.push_back(Command(ID_JL_PROPERTIES, IDS_JL_MENU_PROPERTIES));
    return items;
}
