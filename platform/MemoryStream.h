#pragma once
// An IStream over a growable block of memory (the stand-in for a stream on
// global memory). Writing past the end grows the block (a gap reads as
// zeros); seeking past the end is allowed; reading at the end gives 0
// bytes and S_OK. Clones share the block and keep their own position.
// Thread-safe.

#include "platform/ComInterfaces.h"

#include <cstddef>
#include <vector>

// A new empty stream, or one holding a copy of size bytes at data (the
// position at 0).
HRESULT VkCreateMemoryStream(IStream** stream);
HRESULT VkCreateMemoryStream(const void* data, std::size_t size, IStream** stream);

// The whole content of any stream, read from its start; the stream's
// position is left where it was.
HRESULT VkStreamBytes(IStream* stream, std::vector<BYTE>* bytes);
