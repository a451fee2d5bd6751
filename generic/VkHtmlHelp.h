#pragma once
// Help: a help "file" is a folder of HTML topics named like the compiled
// help file without its extension ("<dir>/quorvane.chm" is the folder
// "<dir>/quorvane"). A missing folder or topic does nothing.

#include "platform/WinTypes.h"

#include <QString>

#include <filesystem>

class QWidget;

// Help commands of the classic help call.
constexpr UINT HELP_CONTEXT = 0x0001;
constexpr UINT HELP_QUIT = 0x0002;
constexpr UINT HELP_CONTENTS = 0x0003;
constexpr UINT HELP_FINDER = 0x000B;
// Commands of the HTML help control.
constexpr UINT HH_DISPLAY_TOPIC = 0x0000;
constexpr UINT HH_DISPLAY_TOC = 0x0001;
constexpr UINT HH_CLOSE_ALL = 0x0012;

// The topic file for helpFile and topic ("text\Palette.txt" style paths
// accepted; an .html or .htm file of the same name is preferred; an empty
// topic is the folder's index.html). Empty when either is missing.
std::filesystem::path VkHelpTopicPath(const std::filesystem::path& helpFile, const std::string& topic);

// Shows topic of helpFile in the one help window (created on demand).
// False when nothing could be shown.
bool VkShowHelpTopic(QWidget* owner, const std::filesystem::path& helpFile, const std::string& topic);

// The HTML help call: HH_DISPLAY_TOPIC (data a topic text or null),
// HH_DISPLAY_TOC (the index), HH_CLOSE_ALL. Other commands do nothing.
bool VkHtmlHelp(QWidget* owner, const std::filesystem::path& helpFile, UINT command, const char* data);

// The help window that exists now, if any.
QWidget* VkHelpWindow();
