#pragma once
// The rules the export and import dialogs apply to a typed file name,
// without a window: the export name always gets the extension "qvx" and is
// taken relative to the user's documents folder; the import name must name
// an existing ".qvx" file.

#include <filesystem>
#include <string>

class CJobFileNames {
public:
    // The extension, without its dot.
    static std::string Extension();
    // text with its extension replaced by (or extended with) "qvx", made
    // absolute against base; empty for text whose name part is empty or
    // not a file name.
    static std::filesystem::path ExportPath(const std::string& text, const std::filesystem::path& base);
    // text made absolute against base when it names an existing file whose
    // extension is "qvx" in any case; else empty.
    static std::filesystem::path ImportPath(const std::string& text, const std::filesystem::path& base);
    // The first base/default<n>.qvx not present, n from 1.
    static std::filesystem::path DefaultExportName(const std::filesystem::path& base);
};
