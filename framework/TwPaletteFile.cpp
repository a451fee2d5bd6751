#include "framework/TwPaletteFile.h"

#include "framework/TwStrings.h"
#include "generic/VkPaths.h"
#include "generic/VkWndRecord.h"
#include "platform/Archive.h"
#include "platform/ArchiveException.h"
#include "platform/ArchiveFile.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <filesystem>
#include <system_error>

namespace {

// Window coordinates beyond this are no screen's; they come from damage.
constexpr LONG kMaxCoordinate = 1 << 20;

// Reads from a byte string and names what it was reading when it ran out.
class Reader {
public:
    explicit Reader(const std::string& bytes) : m_bytes(bytes) {}

    bool Dword(DWORD& value)
    {
        if (m_bytes.size() - m_pos < 4)
            return false;
        const auto* p = reinterpret_cast<const unsigned char*>(m_bytes.data() + m_pos);
        value = DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
        m_pos += 4;
        return true;
    }
    bool Byte(BYTE& value)
    {
        if (m_pos >= m_bytes.size())
            return false;
        value = static_cast<BYTE>(m_bytes[m_pos++]);
        return true;
    }
    bool Word(WORD& value)
    {
        BYTE lo = 0, hi = 0;
        if (!Byte(lo) || !Byte(hi))
            return false;
        value = WORD(lo | hi << 8);
        return true;
    }
    // An archive string: 1-byte length below 255, else 0xFF and a 16-bit
    // length below 0xFFFF, else 0xFF, 0xFFFF and a 32-bit length.
    bool String(std::string& text)
    {
        BYTE b = 0;
        if (!Byte(b))
            return false;
        unsigned long long length = b;
        if (b == 0xFF) {
            WORD w = 0;
            if (!Word(w))
                return false;
            length = w;
            if (w == 0xFFFF) {
                DWORD d = 0;
                if (!Dword(d))
                    return false;
                length = d;
            }
        }
        return Bytes(length, &text);
    }
    bool Bytes(unsigned long long count, std::string* out)
    {
        if (m_bytes.size() - m_pos < count)
            return false;
        if (out)
            out->assign(m_bytes, m_pos, static_cast<std::size_t>(count));
        m_pos += static_cast<std::size_t>(count);
        return true;
    }
    std::size_t Position() const { return m_pos; }
    bool AtEnd() const { return m_pos == m_bytes.size(); }

private:
    const std::string& m_bytes;
    std::size_t m_pos = 0;
};

// Checks one window record; false when it ends early or lies off any screen.
bool WindowRecord(Reader& in, bool& plausible)
{
    plausible = true;
    for (int i = 0; i < VkWndRecord::kFieldCount; ++i) {
        DWORD raw = 0;
        if (!in.Dword(raw))
            return false;
        const LONG value = static_cast<LONG>(raw);
        // Fields 2-5: the normal rectangle.
        if (i >= 1 && i <= 4 && (value > kMaxCoordinate || value < -kMaxCoordinate))
            plausible = false;
    }
    return true;
}


// Reads queue record q of count; false with a reason.
bool QueueRecord(Reader& in, const std::string& bytes, DWORD q, DWORD count, std::string& record, std::string& reason)
{
    const std::size_t start = in.Position();
    bool framePlausible = true, viewPlausible = true;
    if (!WindowRecord(in, framePlausible) || !WindowRecord(in, viewPlausible)) {
        reason = TwStrings().Format(IDS_TW_PALETTE_SHORT_QUEUE, long(q), long(count));
        return false;
    }
    if (!framePlausible || !viewPlausible) {
        reason = TwStrings().Format(IDS_TW_PALETTE_BAD_WINDOW, long(q));
        return false;
    }
    for (;;) {
        DWORD length = 0;
        if (!in.Dword(length)) {
            reason = TwStrings().Format(IDS_TW_PALETTE_SHORT_QUEUE, long(q), long(count));
            return false;
        }
        if (length == 0)
            break;
        if (length > TwPaletteFile::kMaxChunk) {
            reason = TwStrings().Format(IDS_TW_PALETTE_BAD_CHUNK, long(q), static_cast<unsigned long>(length));
            return false;
        }
        if (!in.Bytes(length, nullptr)) {
            reason = TwStrings().Format(IDS_TW_PALETTE_SHORT_QUEUE, long(q), long(count));
            return false;
        }
    }
    record = bytes.substr(start, in.Position() - start);
    return true;
}

} // namespace

bool TwPaletteFile::Decode(const std::string& bytes, TwPaletteContents& contents, std::string& reason)
{
    Reader in(bytes);
    TwPaletteContents result;
    DWORD mode = 0, count = 0;
    if (!in.Dword(result.header) || !in.Dword(result.record.colour) || !in.Dword(mode) ||
        !in.String(result.record.title) || !in.String(result.record.picturePath) || !in.Dword(count)) {
        reason = TwStrings().Load(IDS_TW_PALETTE_SHORT_HEAD);
        return false;
    }
    result.record.mode = static_cast<LONG>(mode);
    for (DWORD q = 1; q <= count; ++q) {
        std::string record;
        if (!QueueRecord(in, bytes, q, count, record, reason))
            return false;
        result.queues.push_back(std::move(record));
    }
    if (!in.AtEnd()) {
        reason = TwStrings().Load(IDS_TW_PALETTE_TRAILING);
        return false;
    }
    contents = std::move(result);
    return true;
}

bool TwPaletteFile::SplitQueueRecords(const std::string& bytes, std::vector<std::string>& records,
                                      std::string& reason)
{
    Reader in(bytes);
    std::vector<std::string> result;
    for (DWORD q = 1; !in.AtEnd(); ++q) {
        std::string record;
        if (!QueueRecord(in, bytes, q, q, record, reason))
            return false;
        result.push_back(std::move(record));
    }
    records.insert(records.end(), result.begin(), result.end());
    return true;
}

bool TwPaletteFile::Read(const std::string& path, TwPaletteContents& contents, std::string& reason)
{
    try {
        CFile file;
        CFileException error(CFileException::none, -1, path);
        if (!file.Open(path.c_str(), CFile::modeRead, &error))
            throw CFileException(error);
        const ULONGLONG length = file.GetLength();
        if (length > kMaxFileSize) {
            reason = TwStrings().Load(IDS_TW_PALETTE_TOO_LARGE);
            return false;
        }
        std::string bytes(static_cast<std::size_t>(length), '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            const UINT n = file.Read(bytes.data() + done, static_cast<UINT>(bytes.size() - done));
            if (n == 0)
                break;
            done += n;
        }
        bytes.resize(done);
        return Decode(bytes, contents, reason);
    } catch (const CException& e) {
        reason = e.GetErrorMessage();
        return false;
    }
}

bool TwPaletteFile::WriteReplacing(const std::string& target, const std::function<void(CArchive&)>& fill,
                                   std::string& reason, const std::function<void()>& afterWritten)
{
    namespace fs = std::filesystem;
    const fs::path targetPath(target);
    const fs::path folder = targetPath.has_parent_path() ? targetPath.parent_path() : fs::path(".");
    const std::string temp = VkFirstFreeNumberedFile(folder, "shl", ".tmp").string();
    try {
        CFile file;
        CFileException error(CFileException::none, -1, temp);
        // Exclusive creation would be better still; the name is free now and
        // only this process hands out such names in this folder.
        if (!file.Open(temp.c_str(), CFile::modeCreate | CFile::modeWrite, &error))
            throw CFileException(error);
        {
            CArchive ar(&file, CArchive::store);
            fill(ar);
            ar.Close();
        }
        file.Flush();
        file.Close();
    } catch (const CException& e) {
        reason = e.GetErrorMessage();
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    } catch (const std::exception& e) {
        reason = e.what();
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    if (afterWritten)
        afterWritten();
    std::error_code ec;
    fs::rename(temp, targetPath, ec);
    if (ec) {
        reason = CFileException(CFileException::OsErrorToException(ec.value()), ec.value(), target).GetErrorMessage();
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    // The rename itself reaches the disk with its folder.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}
