#pragma once
// Menu, accelerator and tool bar resources as tables, in the order a
// resource script lists them. Menu texts keep their "&" mnemonics and their
// "\t" shortcut texts.

#include "platform/WinTypes.h"

#include <string>
#include <vector>

struct VkMenuDef {
    enum Kind { Item, Separator, Popup, EndPopup };
    Kind kind;
    UINT id = 0;
    const char* text = nullptr;
};

// Shorthands for writing tables.
inline VkMenuDef VkMenuPopup(const char* text) { return {VkMenuDef::Popup, 0, text}; }
inline VkMenuDef VkMenuItem(UINT id, const char* text) { return {VkMenuDef::Item, id, text}; }
inline VkMenuDef VkMenuSeparator() { return {VkMenuDef::Separator, 0, nullptr}; }
inline VkMenuDef VkMenuEnd() { return {VkMenuDef::EndPopup, 0, nullptr}; }

using VkMenuTable = std::vector<VkMenuDef>;

// One accelerator: a key in Qt's portable text form ("Ctrl+N", "Shift+F1",
// "Alt+Backspace") and the command it sends.
struct VkAccelDef {
    const char* key;
    UINT id;
};
using VkAccelTable = std::vector<VkAccelDef>;

// Tool bar buttons in order; 0 is a separator.
using VkToolBarTable = std::vector<UINT>;

// True when the table's popups open and close in pairs.
bool VkMenuTableIsBalanced(const VkMenuTable& table);
// Every command identifier the table names, in order.
std::vector<UINT> VkMenuTableCommands(const VkMenuTable& table);
