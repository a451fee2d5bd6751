#include "registry/VkRegValueNode.h"

#include "registry/VkRegLocks.h"

#include <mutex>
#include <utility>

namespace {
using Guard = std::lock_guard<std::recursive_mutex>;
}

VkRegValueNode::VkRegValueNode(std::string name) : m_name(std::move(name)), m_data(VkRegPlainData::Empty()) {}

std::string VkRegValueNode::Name() const
{
    Guard guard(VkRegValueLock());
    return m_name;
}

void VkRegValueNode::SetName(std::string name)
{
    Guard guard(VkRegValueLock());
    m_name = std::move(name);
}

VkRegDataPtr VkRegValueNode::Data() const
{
    Guard guard(VkRegValueLock());
    return m_data;
}

void VkRegValueNode::PutData(VkRegDataPtr data)
{
    if (!data)
        data = VkRegPlainData::Empty();
    Guard guard(VkRegValueLock());
    m_type = data->NaturalType();
    m_data = std::move(data);
    m_needsSplit = true;
    m_changed = true;
}

void VkRegValueNode::ReplaceData(VkRegDataPtr data)
{
    if (!data)
        data = VkRegPlainData::Empty();
    Guard guard(VkRegValueLock());
    m_data = std::move(data);
    if (m_type == dtypePre)
        m_type = m_data->NaturalType();
    m_needsSplit = true;
    m_changed = true;
}

void VkRegValueNode::Load(VkRegDataPtr data, VkRegTypes type)
{
    if (!data)
        data = VkRegPlainData::Empty();
    Guard guard(VkRegValueLock());
    m_data = std::move(data);
    m_type = type;
    m_needsSplit = true;
}

bool VkRegValueNode::TakeChanged()
{
    Guard guard(VkRegValueLock());
    return std::exchange(m_changed, false);
}

int VkRegValueNode::Type() const
{
    Guard guard(VkRegValueLock());
    return m_type;
}

bool VkRegValueNode::SetType(int type)
{
    if (type <= dtypePre || type >= dtypeMax)
        return false;
    Guard guard(VkRegValueLock());
    m_type = type;
    m_changed = true;
    return true;
}

std::string VkRegValueNode::Delimiters() const
{
    Guard guard(VkRegValueLock());
    return m_delimiters;
}

void VkRegValueNode::SetDelimiters(std::string delimiters)
{
    Guard guard(VkRegValueLock());
    m_delimiters = std::move(delimiters);
    m_needsSplit = true;
}

void VkRegValueNode::SplitLocked()
{
    if (!m_needsSplit)
        return;
    m_needsSplit = false;
    m_parts.clear();
    m_text.clear();
    if (!m_data->ToText(&m_text) || m_text.empty())
        return;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t at = m_delimiters.empty() ? std::string::npos : m_text.find_first_of(m_delimiters, begin);
        if (at == std::string::npos) {
            m_parts.push_back({begin, m_text.size() - begin});
            break;
        }
        m_parts.push_back({begin, at - begin});
        begin = at + 1;
    }
}

LONG VkRegValueNode::Parts()
{
    Guard guard(VkRegValueLock());
    SplitLocked();
    return static_cast<LONG>(m_parts.size());
}

bool VkRegValueNode::SubValue(LONG index, std::string* part)
{
    Guard guard(VkRegValueLock());
    SplitLocked();
    if (index < 0 || static_cast<std::size_t>(index) >= m_parts.size())
        return false;
    *part = m_text.substr(m_parts[index].begin, m_parts[index].length);
    return true;
}

bool VkRegValueNode::SetSubValue(LONG index, const std::string& part)
{
    Guard guard(VkRegValueLock());
    SplitLocked();
    if (index < 0 || static_cast<std::size_t>(index) > m_parts.size())
        return false;
    std::string text = m_text;
    if (static_cast<std::size_t>(index) == m_parts.size()) {
        if (!m_parts.empty())
            text += m_delimiters.empty() ? '|' : m_delimiters[0];
        text += part;
    } else {
        text.replace(m_parts[index].begin, m_parts[index].length, part);
    }
    m_data = VkRegPlainData::Text(std::move(text));
    m_type = dtypeString;
    m_needsSplit = true;
    m_changed = true;
    return true;
}
