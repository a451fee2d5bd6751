#include "controls/CJobExportFile.h"

#include "controls/QVCtrlStrings.h"
#include "generic/VkPaths.h"
#include "platform/Archive.h"
#include "platform/ArchiveFile.h"
#include "platform/VkPrivateFiles.h"

#include <cerrno>
#include <memory>
#include <system_error>

namespace {

// Removes the temporary file unless released: every way out of a failed
// export leaves no stray file behind.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : m_path(std::move(path)) {}
    ~TemporaryFile()
    {
        if (!m_path.empty()) {
            std::error_code ignored;
            std::filesystem::remove(m_path, ignored);
        }
    }
    const std::filesystem::path& Path() const { return m_path; }
    void Release() { m_path.clear(); }

private:
    std::filesystem::path m_path;
};

void SetError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

} // namespace

void CJobExportFile::Store(CArchive& ar, const std::vector<CJobListData>& jobs, const Progress& progress)
{
    ar << kVersion << static_cast<LONG>(jobs.size());
    for (size_t i = 0; i < jobs.size(); ++i) {
        // Each job is its own object: the first carries the class, the
        // later ones refer back to it (0x8001), never to an earlier job.
        ar << static_cast<const CObject*>(&jobs[i]);
        if (progress)
            progress(i + 1);
    }
}

std::vector<CJobListData> CJobExportFile::Load(CArchive& ar)
{
    LONG version = 0;
    LONG count = 0;
    ar >> version >> count; // the version is not checked: every file so far is 1
    if (count < 0 || static_cast<ULONGLONG>(count) > ar.GetRemaining() / kMinJobBytes)
        throw CArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    // The archive may refer back to any object read, so all stay alive
    // until the end.
    std::vector<std::unique_ptr<CJobListData>> owned;
    std::vector<CJobListData> jobs;
    jobs.reserve(static_cast<size_t>(count));
    for (LONG i = 0; i < count; ++i) {
        auto* read = static_cast<CJobListData*>(ar.ReadObject(RUNTIME_CLASS(CJobListData)));
        if (!read)
            continue; // a null object carries no job
        jobs.push_back(*read);
        bool seen = false;
        for (const auto& known : owned)
            seen = seen || known.get() == read;
        if (!seen)
            owned.emplace_back(read);
    }
    return jobs;
}

bool CJobExportFile::Parse(const std::string& bytes, std::vector<CJobListData>& jobs, std::string* error)
{
    try {
        CMemFile file;
        file.Assign(bytes.data(), bytes.size());
        CArchive ar(&file, CArchive::load);
        std::vector<CJobListData> read = Load(ar);
        ar.Close();
        jobs = std::move(read);
        return true;
    } catch (const CException& e) {
        SetError(error, e.GetErrorMessage());
    } catch (const std::exception& e) {
        SetError(error, e.what());
    }
    return false;
}

bool CJobExportFile::Read(const std::filesystem::path& path, std::vector<CJobListData>& jobs, std::string* error)
{
    try {
        CFile file;
        CFileException openError;
        if (!file.Open(path.string().c_str(), CFile::modeRead | CFile::shareDenyWrite, &openError))
            throw CFileException(openError);
        CArchive ar(&file, CArchive::load);
        ar.m_strFileName = path.string();
        std::vector<CJobListData> read = Load(ar);
        ar.Close();
        file.Close();
        jobs = std::move(read);
        return true;
    } catch (const CException& e) {
        SetError(error, e.GetErrorMessage());
    } catch (const std::exception& e) {
        SetError(error, e.what());
    }
    return false;
}

bool CJobExportFile::Write(const std::filesystem::path& path, const std::vector<CJobListData>& jobs,
                           std::string* error, const Progress& progress)
{
    try {
        const std::filesystem::path folder = path.parent_path();
        // Folders made here are the user's alone, as the file itself.
        if (!folder.empty() && !VkCreatePrivateDirectories(folder))
            throw CFileException(CFileException::badPath, errno, folder.string());
        const VkStringTable& strings = QVCtrlStrings();
        TemporaryFile temporary(VkFirstFreeNumberedFile(folder.empty() ? "." : folder,
                                                        strings.Load(IDS_JX_TEMP_STEM),
                                                        strings.Load(IDS_JX_TEMP_EXTENSION)));
        CFile file;
        CFileException openError;
        if (!file.Open(temporary.Path().string().c_str(), CFile::modeCreate | CFile::modeWrite, &openError))
            throw CFileException(openError);
        CArchive ar(&file, CArchive::store);
        ar.m_strFileName = temporary.Path().string();
        Store(ar, jobs, progress);
        ar.Close();
        // On the disk before it replaces anything.
        file.Flush();
        file.Close();
        std::error_code renamed;
        std::filesystem::rename(temporary.Path(), path, renamed);
        if (renamed)
            throw CFileException(CFileException::OsErrorToException(renamed.value()), renamed.value(),
                                 path.string());
        temporary.Release();
        return true;
    } catch (const CException& e) {
        SetError(error, e.GetErrorMessage());
    } catch (const std::exception& e) {
        SetError(error, e.what());
    }
    return false;
}
