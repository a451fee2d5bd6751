#include "platform/Archive.h"

#include "platform/ArchiveFile.h"
#include "platform/Serializable.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr WORD wNullTag = 0;
constexpr WORD wNewClassTag = 0xFFFF;
constexpr WORD wClassTag = 0x8000;
constexpr DWORD dwBigClassTag = 0x80000000u;
constexpr WORD wBigObjectTag = 0x7FFF;
constexpr DWORD nMaxMapCount = 0x3FFFFFFE;
// Longest class name a reader accepts (the framework's limit).
constexpr WORD nMaxClassName = 63;
constexpr std::size_t nMinBuffer = 128;

void PutLE(BYTE* p, ULONGLONG v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<BYTE>(v >> (8 * i));
}

ULONGLONG GetLE(const BYTE* p, int bytes)
{
    ULONGLONG v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16LE bytes to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    const std::size_t n = bytes.size() / 2;
    auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<BYTE>(bytes[2 * i]) | (static_cast<BYTE>(bytes[2 * i + 1]) << 8));
    };
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < n && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

} // namespace

CArchive::CArchive(CFile* file, UINT mode, int bufSize)
    : m_file(file), m_mode(mode),
      m_buffer(std::max<std::size_t>(bufSize > 0 ? static_cast<std::size_t>(bufSize) : 0, nMinBuffer))
{
    if (m_file)
        m_strFileName = m_file->GetFilePath();
}

CArchive::~CArchive()
{
    if (m_file && !(m_mode & bNoFlushOnDelete)) {
        try {
            Close();
        } catch (...) {
            // A destructor cannot report; callers who care call Close().
        }
    }
}

void CArchive::Throw(int cause) const
{
    throw CArchiveException(cause, m_strFileName);
}

void CArchive::NeedStoring() const
{
    if (IsLoading())
        Throw(CArchiveException::readOnly);
    if (!m_file)
        Throw(CArchiveException::generic);
}

void CArchive::NeedLoading() const
{
    if (IsStoring())
        Throw(CArchiveException::writeOnly);
    if (!m_file)
        Throw(CArchiveException::generic);
}

// ------------------------------------------------------------ buffering

void CArchive::WriteBuffer()
{
    if (m_cur > 0) {
        m_file->Write(m_buffer.data(), static_cast<UINT>(m_cur));
        m_cur = 0;
    }
}

BYTE* CArchive::Put(std::size_t count)
{
    NeedStoring();
    if (m_buffer.size() - m_cur < count)
        WriteBuffer();
    BYTE* p = m_buffer.data() + m_cur;
    m_cur += count;
    return p;
}

void CArchive::Fill(std::size_t count)
{
    NeedLoading();
    if (m_end - m_cur >= count)
        return;
    const std::size_t kept = m_end - m_cur;
    std::memmove(m_buffer.data(), m_buffer.data() + m_cur, kept);
    m_cur = 0;
    m_end = kept;
    while (m_end < count) {
        const UINT n = m_file->Read(m_buffer.data() + m_end, static_cast<UINT>(m_buffer.size() - m_end));
        if (n == 0)
            Throw(CArchiveException::endOfFile);
        m_end += n;
    }
}

const BYTE* CArchive::Take(std::size_t count)
{
    Fill(count);
    const BYTE* p = m_buffer.data() + m_cur;
    m_cur += count;
    return p;
}

void CArchive::Flush()
{
    if (!m_file)
        return;
    if (IsStoring()) {
        WriteBuffer();
    } else {
        if (m_end > m_cur)
            m_file->Seek(-static_cast<LONGLONG>(m_end - m_cur), CFile::current);
        m_cur = m_end = 0;
    }
}

void CArchive::Close()
{
    Flush();
    m_file = nullptr;
}

void CArchive::Abort()
{
    m_file = nullptr;
    m_cur = m_end = 0;
}

UINT CArchive::Read(void* buffer, UINT count)
{
    NeedLoading();
    auto* out = static_cast<BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        if (m_cur < m_end) {
            const std::size_t n = std::min<std::size_t>(m_end - m_cur, count - done);
            std::memcpy(out + done, m_buffer.data() + m_cur, n);
            m_cur += n;
            done += static_cast<UINT>(n);
            continue;
        }
        const UINT wanted = count - done;
        if (wanted >= m_buffer.size())
            return done + m_file->Read(out + done, wanted);
        m_cur = 0;
        m_end = m_file->Read(m_buffer.data(), static_cast<UINT>(m_buffer.size()));
        if (m_end == 0)
            break;
    }
    return done;
}

void CArchive::Write(const void* buffer, UINT count)
{
    NeedStoring();
    if (count <= m_buffer.size() - m_cur) {
        std::memcpy(m_buffer.data() + m_cur, buffer, count);
        m_cur += count;
        return;
    }
    WriteBuffer();
    if (count >= m_buffer.size()) {
        m_file->Write(buffer, count);
    } else {
        std::memcpy(m_buffer.data(), buffer, count);
        m_cur = count;
    }
}

ULONGLONG CArchive::GetRemaining() const
{
    NeedLoading();
    const ULONGLONG length = m_file->GetLength();
    const ULONGLONG position = m_file->GetPosition();
    return (m_end - m_cur) + (length > position ? length - position : 0);
}

std::string CArchive::ReadBytes(ULONGLONG count)
{
    if (count > GetRemaining())
        Throw(CArchiveException::endOfFile);
    std::string bytes(static_cast<std::size_t>(count), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const UINT chunk = static_cast<UINT>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        const UINT n = Read(bytes.data() + done, chunk);
        if (n == 0)
            Throw(CArchiveException::endOfFile);
        done += n;
    }
    return bytes;
}

// --------------------------------------------------------------- numbers

CArchive& CArchive::operator<<(BYTE v)
{
    *Put(1) = v;
    return *this;
}

CArchive& CArchive::operator<<(WORD v)
{
    PutLE(Put(2), v, 2);
    return *this;
}

CArchive& CArchive::operator<<(DWORD v)
{
    PutLE(Put(4), v, 4);
    return *this;
}

CArchive& CArchive::operator<<(ULONGLONG v)
{
    PutLE(Put(8), v, 8);
    return *this;
}

CArchive& CArchive::operator<<(float v)
{
    DWORD bits;
    std::memcpy(&bits, &v, sizeof bits);
    return *this << bits;
}

CArchive& CArchive::operator<<(double v)
{
    ULONGLONG bits;
    std::memcpy(&bits, &v, sizeof bits);
    return *this << bits;
}

CArchive& CArchive::operator>>(BYTE& v)
{
    v = *Take(1);
    return *this;
}

CArchive& CArchive::operator>>(char& v)
{
    v = static_cast<char>(*Take(1));
    return *this;
}

CArchive& CArchive::operator>>(WORD& v)
{
    v = static_cast<WORD>(GetLE(Take(2), 2));
    return *this;
}

CArchive& CArchive::operator>>(short& v)
{
    v = static_cast<short>(GetLE(Take(2), 2));
    return *this;
}

CArchive& CArchive::operator>>(DWORD& v)
{
    v = static_cast<DWORD>(GetLE(Take(4), 4));
    return *this;
}

CArchive& CArchive::operator>>(LONG& v)
{
    v = static_cast<LONG>(GetLE(Take(4), 4));
    return *this;
}

CArchive& CArchive::operator>>(LONGLONG& v)
{
    v = static_cast<LONGLONG>(GetLE(Take(8), 8));
    return *this;
}

CArchive& CArchive::operator>>(ULONGLONG& v)
{
    v = GetLE(Take(8), 8);
    return *this;
}

CArchive& CArchive::operator>>(float& v)
{
    const auto bits = static_cast<DWORD>(GetLE(Take(4), 4));
    std::memcpy(&v, &bits, sizeof v);
    return *this;
}

CArchive& CArchive::operator>>(double& v)
{
    const ULONGLONG bits = GetLE(Take(8), 8);
    std::memcpy(&v, &bits, sizeof v);
    return *this;
}

// --------------------------------------------------------------- strings

void CArchive::WriteStringLength(ULONGLONG length)
{
    if (length < 255) {
        *this << static_cast<BYTE>(length);
    } else if (length < 0xFFFE) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(length);
    } else if (length <= 0xFFFFFFFFull) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << static_cast<DWORD>(length);
    } else {
        Throw(CArchiveException::generic);
    }
}

ULONGLONG CArchive::ReadStringLength(bool* wide)
{
    if (wide)
        *wide = false;
    BYTE b;
    *this >> b;
    if (b < 0xFF)
        return b;
    WORD w;
    *this >> w;
    if (w == 0xFFFE) {
        // Wide-character marker; the real length follows.
        if (wide)
            *wide = true;
        *this >> b;
        if (b < 0xFF)
            return b;
        *this >> w;
    }
    if (w < 0xFFFF)
        return w;
    DWORD d;
    *this >> d;
    return d;
}

void CArchive::WriteString(std::string_view text)
{
    WriteStringLength(text.size());
    Write(text.data(), static_cast<UINT>(text.size()));
}

std::string CArchive::ReadString()
{
    bool wide = false;
    const ULONGLONG length = ReadStringLength(&wide);
    if (!wide)
        return ReadBytes(length);
    return Utf16ToUtf8(ReadBytes(length * 2));
}

// --------------------------------------------------------------- objects

void CArchive::CheckCount() const
{
    if (m_mapCount >= nMaxMapCount)
        Throw(CArchiveException::badIndex);
}

void CArchive::InitMaps()
{
    if (m_mapCount != 0)
        return;
    if (IsStoring())
        m_storeMap.emplace(nullptr, 0);
    else
        m_loadArray.push_back({nullptr, false, 0});
    m_mapCount = 1;
}

void CArchive::WriteClass(const CRuntimeClass* cls)
{
    NeedStoring();
    if (!cls || cls->m_wSchema == 0xFFFF || !cls->m_lpszClassName)
        Throw(CArchiveException::badClass);
    InitMaps();
    const auto found = m_storeMap.find(cls);
    if (found != m_storeMap.end()) {
        const DWORD index = found->second;
        if (index < wBigObjectTag)
            *this << static_cast<WORD>(wClassTag | index);
        else
            *this << wBigObjectTag << (dwBigClassTag | index);
        return;
    }
    const std::size_t nameLength = std::strlen(cls->m_lpszClassName);
    if (nameLength > nMaxClassName)
        Throw(CArchiveException::badClass);
    *this << wNewClassTag << static_cast<WORD>(cls->m_wSchema) << static_cast<WORD>(nameLength);
    Write(cls->m_lpszClassName, static_cast<UINT>(nameLength));
    CheckCount();
    m_storeMap.emplace(cls, m_mapCount++);
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* requested, UINT* schema, DWORD* objectTag)
{
    NeedLoading();
    if (requested && requested->m_wSchema == 0xFFFF)
        Throw(CArchiveException::badClass);
    InitMaps();

    WORD wTag;
    *this >> wTag;
    DWORD tag;
    if (wTag == wBigObjectTag)
        *this >> tag;
    else
        tag = (static_cast<DWORD>(wTag & wClassTag) << 16) | (wTag & ~wClassTag);

    if (!(tag & dwBigClassTag)) {
        if (!objectTag)
            Throw(CArchiveException::badIndex);
        *objectTag = tag;
        return nullptr;
    }

    const CRuntimeClass* cls;
    UINT storedSchema;
    if (wTag == wNewClassTag) {
        WORD wSchema, nameLength;
        *this >> wSchema >> nameLength;
        if (nameLength > nMaxClassName)
            Throw(CArchiveException::badClass);
        const std::string name = ReadBytes(nameLength);
        cls = VkFindSerialClass(name.c_str());
        if (!cls || cls->m_wSchema == 0xFFFF)
            Throw(CArchiveException::badClass);
        storedSchema = wSchema;
        if ((cls->m_wSchema & ~VERSIONABLE_SCHEMA) != storedSchema && !(cls->m_wSchema & VERSIONABLE_SCHEMA))
            Throw(CArchiveException::badSchema);
        CheckCount();
        m_loadArray.push_back({cls, true, storedSchema});
        ++m_mapCount;
    } else {
        const DWORD index = tag & ~dwBigClassTag;
        if (index == 0 || index >= m_loadArray.size() || !m_loadArray[index].isClass)
            Throw(CArchiveException::badIndex);
        cls = static_cast<const CRuntimeClass*>(m_loadArray[index].pointer);
        storedSchema = m_loadArray[index].schema;
    }

    if (requested && !cls->IsDerivedFrom(requested))
        Throw(CArchiveException::badClass);
    if (schema)
        *schema = storedSchema;
    else
        m_objectSchema = storedSchema;
    return cls;
}

void CArchive::WriteObject(const CObject* object)
{
    NeedStoring();
    InitMaps();
    if (!object) {
        *this << wNullTag;
        return;
    }
    const auto found = m_storeMap.find(object);
    if (found != m_storeMap.end()) {
        const DWORD index = found->second;
        if (index < wBigObjectTag)
            *this << static_cast<WORD>(index);
        else
            *this << wBigObjectTag << index;
        return;
    }
    WriteClass(object->GetRuntimeClass());
    CheckCount();
    m_storeMap.emplace(object, m_mapCount++);
    // Serialize is not const, but storing must not change the object.
    const_cast<CObject*>(object)->Serialize(*this);
}

CObject* CArchive::ReadObject(const CRuntimeClass* requested)
{
    UINT schema = 0;
    DWORD tag = 0;
    const CRuntimeClass* cls = ReadClass(requested, &schema, &tag);
    if (!cls) {
        if (tag >= m_loadArray.size() || m_loadArray[tag].isClass)
            Throw(CArchiveException::badIndex);
        auto* object = static_cast<CObject*>(const_cast<void*>(m_loadArray[tag].pointer));
        if (object && requested && !object->IsKindOf(requested))
            Throw(CArchiveException::badClass);
        return object;
    }

    std::unique_ptr<CObject> object(cls->CreateObject());
    if (!object)
        Throw(CArchiveException::badClass);
    const std::size_t slot = m_loadArray.size();
    CheckCount();
    m_loadArray.push_back({object.get(), false, schema});
    ++m_mapCount;
    const UINT savedSchema = m_objectSchema;
    m_objectSchema = schema;
    try {
        object->Serialize(*this);
    } catch (...) {
        m_objectSchema = savedSchema;
        m_loadArray[slot].pointer = nullptr;
        throw;
    }
    m_objectSchema = savedSchema;
    // The caller owns what it reads.
    return object.release();
}

CArchive& CArchive::operator>>(CObject*& object)
{
    object = ReadObject(nullptr);
    return *this;
}
