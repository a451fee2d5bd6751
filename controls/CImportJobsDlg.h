#pragma once
// "Import Job(s)": the export file to create jobs from and the options.
// OK reads the whole file (a damaged one is reported and nothing is taken),
// asks whether to import its jobs, and remembers the name.

#include "controls/CJobFileDlg.h"
#include "controls/CJobListData.h"

#include <vector>

class QCheckBox;

struct CJobImportOptions {
    bool regenerate = true;   // "Regenerate job number"
    bool stopOnError = false; // "Stop on error"
    bool makeBroken = false;  // "Make broken on import"
};

class CImportJobsDlg : public CJobFileDlg {
    Q_OBJECT

public:
    static constexpr UINT kHelpContext = 10003;

    explicit CImportJobsDlg(const QString& header, QWidget* parent = nullptr);

    // After OK: the file, its jobs and the options.
    const std::filesystem::path& Path() const { return m_path; }
    std::vector<CJobListData>& Jobs() { return m_jobs; }
    CJobImportOptions Options() const;

    QCheckBox* regenerateCheck() const { return m_regenerate; }
    QCheckBox* stopOnErrorCheck() const { return m_stopOnError; }
    QCheckBox* makeBrokenCheck() const { return m_makeBroken; }

    void accept() override;

protected:
    void CheckName() override;
    void PrepareBrowse(VkFileDialogRequest& request) override;

private:
    std::filesystem::path m_path;
    std::vector<CJobListData> m_jobs;
    QCheckBox* m_regenerate;
    QCheckBox* m_stopOnError;
    QCheckBox* m_makeBroken;
};
