#include "platform/MemoryStream.h"

#include "platform/ComObject.h"

#include <cstring>
#include <limits>
#include <memory>
#include <mutex>

namespace {

// The block a stream and its clones share.
struct Block {
    std::mutex mutex;
    std::vector<BYTE> bytes;
};

// Sizes beyond this are refused rather than attempted.
constexpr ULONGLONG MaxSize = std::numeric_limits<std::int32_t>::max();

class MemoryStream final : public VkComObject<MemoryStream, IStream> {
public:
    explicit MemoryStream(std::shared_ptr<Block> block, ULONGLONG position = 0)
        : m_block(std::move(block)), m_position(position)
    {
    }

    HRESULT Read(void* buffer, ULONG size, ULONG* read) override
    {
        if (!buffer && size)
            return STG_E_INVALIDPOINTER;
        std::lock_guard lock(m_block->mutex);
        const ULONGLONG available = m_position < m_block->bytes.size() ? m_block->bytes.size() - m_position : 0;
        const ULONG n = static_cast<ULONG>(std::min<ULONGLONG>(size, available));
        if (n)
            std::memcpy(buffer, m_block->bytes.data() + m_position, n);
        m_position += n;
        if (read)
            *read = n;
        return S_OK;
    }

    HRESULT Write(const void* buffer, ULONG size, ULONG* written) override
    {
        if (written)
            *written = 0;
        if (!buffer && size)
            return STG_E_INVALIDPOINTER;
        std::lock_guard lock(m_block->mutex);
        const ULONGLONG end = m_position + size;
        if (end > MaxSize)
            return STG_E_MEDIUMFULL;
        try {
            if (end > m_block->bytes.size())
                m_block->bytes.resize(static_cast<size_t>(end));
        } catch (const std::bad_alloc&) {
            return STG_E_MEDIUMFULL;
        }
        if (size)
            std::memcpy(m_block->bytes.data() + m_position, buffer, size);
        m_position = end;
        if (written)
            *written = size;
        return S_OK;
    }

    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override
    {
        std::lock_guard lock(m_block->mutex);
        LONGLONG base = 0;
        switch (origin) {
        case STREAM_SEEK_SET: base = 0; break;
        case STREAM_SEEK_CUR: base = static_cast<LONGLONG>(m_position); break;
        case STREAM_SEEK_END: base = static_cast<LONGLONG>(m_block->bytes.size()); break;
        default: return STG_E_INVALIDFUNCTION;
        }
        const LONGLONG target = base + move.QuadPart;
        if (target < 0 || (move.QuadPart > 0 && target < base) || static_cast<ULONGLONG>(target) > MaxSize)
            return STG_E_INVALIDFUNCTION;
        m_position = static_cast<ULONGLONG>(target);
        if (newPosition)
            newPosition->QuadPart = m_position;
        return S_OK;
    }

    HRESULT SetSize(ULARGE_INTEGER size) override
    {
        if (size.QuadPart > MaxSize)
            return STG_E_MEDIUMFULL;
        std::lock_guard lock(m_block->mutex);
        try {
            m_block->bytes.resize(static_cast<size_t>(size.QuadPart));
        } catch (const std::bad_alloc&) {
            return STG_E_MEDIUMFULL;
        }
        return S_OK;
    }

    HRESULT CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read, ULARGE_INTEGER* written) override
    {
        if (!target)
            return STG_E_INVALIDPOINTER;
        std::vector<BYTE> chunk;
        {
            std::lock_guard lock(m_block->mutex);
            const ULONGLONG available = m_position < m_block->bytes.size() ? m_block->bytes.size() - m_position : 0;
            const ULONGLONG n = std::min(size.QuadPart, available);
            chunk.assign(m_block->bytes.begin() + static_cast<std::ptrdiff_t>(m_position),
                         m_block->bytes.begin() + static_cast<std::ptrdiff_t>(m_position + n));
            m_position += n;
        }
        ULONG done = 0;
        HRESULT hr = target->Write(chunk.data(), static_cast<ULONG>(chunk.size()), &done);
        if (read)
            read->QuadPart = chunk.size();
        if (written)
            written->QuadPart = done;
        return hr;
    }

    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }

    HRESULT Stat(STATSTG* stat, DWORD) override
    {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        std::memset(stat, 0, sizeof *stat);
        stat->type = STGTY_STREAM;
        stat->grfMode = STGM_READWRITE;
        std::lock_guard lock(m_block->mutex);
        stat->cbSize.QuadPart = m_block->bytes.size();
        return S_OK;
    }

    HRESULT Clone(IStream** copy) override
    {
        ULONGLONG position;
        {
            std::lock_guard lock(m_block->mutex);
            position = m_position;
        }
        return VkCreateObject<MemoryStream>(IID_IStream, reinterpret_cast<void**>(copy), m_block, position);
    }

private:
    std::shared_ptr<Block> m_block;
    ULONGLONG m_position; // guarded by the block's mutex
};

} // namespace

HRESULT VkCreateMemoryStream(IStream** stream) { return VkCreateMemoryStream(nullptr, 0, stream); }

HRESULT VkCreateMemoryStream(const void* data, std::size_t size, IStream** stream)
{
    if (!stream)
        return E_POINTER;
    *stream = nullptr;
    if (size > MaxSize || (size && !data))
        return E_INVALIDARG;
    std::shared_ptr<Block> block;
    try {
        block = std::make_shared<Block>();
        if (size)
            block->bytes.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return VkCreateObject<MemoryStream>(IID_IStream, reinterpret_cast<void**>(stream), std::move(block));
}

HRESULT VkStreamBytes(IStream* stream, std::vector<BYTE>* bytes)
{
    if (!stream || !bytes)
        return E_POINTER;
    ULARGE_INTEGER saved{};
    HRESULT hr = stream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_CUR, &saved);
    if (FAILED(hr))
        return hr;
    STATSTG stat{};
    hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr))
        return hr;
    if (stat.cbSize.QuadPart > MaxSize)
        return E_OUTOFMEMORY;
    std::vector<BYTE> out(static_cast<size_t>(stat.cbSize.QuadPart));
    hr = stream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    if (SUCCEEDED(hr) && !out.empty())
        hr = stream->Read(out.data(), static_cast<ULONG>(out.size()), &read);
    stream->Seek(LARGE_INTEGER{static_cast<LONGLONG>(saved.QuadPart)}, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr))
        return hr;
    out.resize(read);
    *bytes = std::move(out);
    return S_OK;
}
