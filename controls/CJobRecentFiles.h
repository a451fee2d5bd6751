#pragma once
// The export and import file names the dialogs remember, in the scheduler
// control's settings store: "Import_Export\Recent" holds the names under
// consecutive numbers with "Next ID" for the next one, and "Import_Export"
// holds the name last used by each dialog.

#include <string>
#include <vector>

class CJobRecentFiles {
public:
    enum Kind { Export, Import };

    // The remembered names in the store's order, each once; last receives
    // the name last used for kind (empty when there is none). Empty when
    // the store cannot be opened.
    static std::vector<std::string> Load(Kind kind, std::string* last = nullptr);
    // Replaces the remembered names by current followed by every entry of
    // listed that differs from it (empty names are skipped), numbered on
    // from "Next ID", and makes current the last name of kind. Failures of
    // the store are swallowed: the export or import goes on.
    static void Remember(Kind kind, const std::string& current, const std::vector<std::string>& listed);
};
