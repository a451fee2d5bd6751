#pragma once
// CArchive: the Windows framework's binary archive over a CFile, with its
// byte layout (little-endian numbers, length-prefixed strings, objects with
// class tags and back-references). Errors throw CArchiveException (bad or
// truncated data) or CFileException (the file failed); callers catch them.

#include "platform/ArchiveException.h"
#include "platform/WinTypes.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CFile;
class CObject;
struct CRuntimeClass;

class CArchive {
public:
    enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2 };

    // Reads (load) or writes (store) the file from its current position
    // through a buffer of bufSize bytes.
    CArchive(CFile* file, UINT mode, int bufSize = 4096);
    // Closes the archive (writing what is buffered) unless it was closed,
    // aborted or opened with bNoFlushOnDelete; errors here are swallowed.
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return (m_mode & load) != 0; }
    bool IsStoring() const { return !IsLoading(); }
    CFile* GetFile() const { return m_file; }

    // Storing: writes the buffer to the file. Loading: moves the file back
    // to the first byte not yet read.
    void Flush();
    // Flushes and detaches from the file (the file stays open).
    void Close();
    // Detaches from the file without writing anything.
    void Abort();

    // Raw bytes. Read returns how many were read, fewer only at the end.
    UINT Read(void* buffer, UINT count);
    void Write(const void* buffer, UINT count);
    // Exactly count bytes; throws endOfFile, before allocating, when fewer
    // remain.
    std::string ReadBytes(ULONGLONG count);
    // Bytes left to read: buffered plus what the file holds after its position.
    ULONGLONG GetRemaining() const;

    // Archive strings: a length prefix (one byte below 255; 0xFF and a
    // 16-bit length below 0xFFFE; 0xFF, 0xFFFF and a 32-bit length), then the
    // bytes without terminator. Reading also accepts the wide-character form
    // (0xFF 0xFFFE before the length) and returns it as UTF-8.
    void WriteString(std::string_view text);
    std::string ReadString();
    // Only the length prefix.
    void WriteStringLength(ULONGLONG length);
    // The length in characters; *wide tells whether two bytes each follow.
    ULONGLONG ReadStringLength(bool* wide = nullptr);

    CArchive& operator<<(BYTE v);
    CArchive& operator<<(char v) { return *this << static_cast<BYTE>(v); }
    CArchive& operator<<(WORD v);
    CArchive& operator<<(short v) { return *this << static_cast<WORD>(v); }
    CArchive& operator<<(DWORD v);
    CArchive& operator<<(LONG v) { return *this << static_cast<DWORD>(v); } // also int
    CArchive& operator<<(LONGLONG v) { return *this << static_cast<ULONGLONG>(v); }
    CArchive& operator<<(ULONGLONG v);
    CArchive& operator<<(float v);
    CArchive& operator<<(double v);
    CArchive& operator<<(std::string_view text) { WriteString(text); return *this; }
    CArchive& operator<<(const std::string& text) { WriteString(text); return *this; }
    CArchive& operator<<(const char* text) { WriteString(text ? text : ""); return *this; }
    CArchive& operator<<(const CObject* object) { WriteObject(object); return *this; }

    CArchive& operator>>(BYTE& v);
    CArchive& operator>>(char& v);
    CArchive& operator>>(WORD& v);
    CArchive& operator>>(short& v);
    CArchive& operator>>(DWORD& v);
    CArchive& operator>>(LONG& v);
    CArchive& operator>>(LONGLONG& v);
    CArchive& operator>>(ULONGLONG& v);
    CArchive& operator>>(float& v);
    CArchive& operator>>(double& v);
    CArchive& operator>>(std::string& text) { text = ReadString(); return *this; }
    CArchive& operator>>(CObject*& object);

    // Objects. A null object is the tag 0; an object stored before in this
    // archive is its index (a WORD below 0x7FFF, else 0x7FFF and a DWORD);
    // otherwise the class tag (below) and the object's Serialize data.
    void WriteObject(const CObject* object);
    // The object read, new (owned by the caller) or one read before in this
    // archive; null for a null object. With a requested class the object
    // must be of that class or derived from it (else badClass).
    CObject* ReadObject(const CRuntimeClass* requested = nullptr);

    // Class tags. A class new to this archive: 0xFFFF, the 16-bit schema, the
    // 16-bit name length and the name. One stored before: 0x8000 | its
    // index (0x7FFF and 0x80000000 | index from index 0x7FFF on). Indices
    // count classes and objects together in the order they were first
    // stored, from 1.
    void WriteClass(const CRuntimeClass* cls);
    // The class read. A tag naming an object instead of a class throws
    // badIndex unless objectTag is given, in which case it receives the
    // tag and the result is null.
    const CRuntimeClass* ReadClass(const CRuntimeClass* requested = nullptr, UINT* schema = nullptr,
                                   DWORD* objectTag = nullptr);
    // The schema stored for the object now being read (for classes with
    // VERSIONABLE_SCHEMA); (UINT)-1 outside ReadObject.
    UINT GetObjectSchema() const { return m_objectSchema; }

    std::string m_strFileName; // named in exceptions

private:
    struct LoadEntry {
        const void* pointer; // CObject* or CRuntimeClass*
        bool isClass;
        UINT schema;
    };

    [[noreturn]] void Throw(int cause) const;
    void NeedStoring() const;
    void NeedLoading() const;
    // Makes count bytes available in the buffer or throws endOfFile.
    void Fill(std::size_t count);
    const BYTE* Take(std::size_t count);
    BYTE* Put(std::size_t count);
    void WriteBuffer();
    void CheckCount() const;
    void InitMaps();

    CFile* m_file;
    UINT m_mode;
    std::vector<BYTE> m_buffer;
    std::size_t m_cur = 0; // next byte to read or write
    std::size_t m_end = 0; // loading: end of valid bytes
    UINT m_objectSchema = static_cast<UINT>(-1);

    DWORD m_mapCount = 0; // 0: maps not started
    std::unordered_map<const void*, DWORD> m_storeMap;
    std::vector<LoadEntry> m_loadArray;
};
