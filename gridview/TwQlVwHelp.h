#pragma once
// The grid view module's help: its help file beside the program and the
// topics its windows open.

#include "platform/WinTypes.h"

#include <filesystem>

class QWidget;

// The help file the module's string table names, beside the program.
std::filesystem::path TwQlVwHelpFile();
// Shows the topic with string identifier topicId; false when it is missing.
bool TwQlVwShowHelp(QWidget* owner, UINT topicId);
