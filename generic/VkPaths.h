#pragma once
// Folders and file names the shell needs: the program's folder, the user's
// documents folder, a folder level replaced, the first free numbered name,
// and a path shortened to fit a width.

#include <QString>

#include <filesystem>

class QFontMetrics;

// The folder of the running program.
std::filesystem::path VkProgramFolder();

// The personal documents folder: under the data root ("documents") while
// QUORVANE_ROOT is set, so that tests never see the user's files; else the
// user's documents folder when there is one, else the data root's.
std::filesystem::path VkPersonalFolder();

// folder with its last component replaced by name ("/a/bin", "Help" gives
// "/a/Help").
std::filesystem::path VkReplaceLastFolder(const std::filesystem::path& folder, const std::string& name);

// The first folder/<stem><n><ext> (n from 1) that does not exist; ext with
// its dot.
std::filesystem::path VkFirstFreeNumberedFile(const std::filesystem::path& folder, const std::string& stem,
                                              const std::string& ext);

// path shortened with "..." in the middle (keeping the file name) so that
// it fits width pixels in metrics.
QString VkFitPathToWidth(const QString& path, const QFontMetrics& metrics, int width);
