#include "registry/VkRegKeyNode.h"

#include "registry/VkRegLocks.h"

#include <mutex>
#include <vector>

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

std::vector<std::string> SplitPath(const std::string& path)
{
    std::vector<std::string> names;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t at = path.find('\\', begin);
        if (at == std::string::npos)
            at = path.size();
        if (at > begin)
            names.push_back(path.substr(begin, at - begin));
        begin = at + 1;
    }
    return names;
}

template <class Map>
LONG CountLive(const Map& map)
{
    LONG count = 0;
    for (const auto& [name, entry] : map)
        if (!entry.removed)
            ++count;
    return count;
}

// The next live item after the iterator's position, which then moves on.
template <class Map>
auto NextLive(const Map& map, std::optional<std::string>& position) -> decltype(map.begin()->second.item)
{
    auto it = position ? map.upper_bound(*position) : map.begin();
    while (it != map.end() && it->second.removed)
        ++it;
    if (it == map.end()) {
        if (!map.empty())
            position = map.rbegin()->first;
        return nullptr;
    }
    position = it->first;
    return it->second.item;
}

template <class Map>
void MarkAllRemoved(Map& map)
{
    for (auto& [name, entry] : map)
        entry.removed = true;
}

} // namespace

VkRegKeyNode::VkRegKeyNode(std::string name) : m_name(std::move(name)) {}

VkRegKeyNode::~VkRegKeyNode()
{
    // Sub-keys only this tree holds are emptied one at a time here, so that
    // no destructor runs inside another one level down.
    std::vector<VkRegKeyPtr> pending;
    for (auto& [name, entry] : m_keys)
        pending.push_back(std::move(entry.item));
    m_keys.clear();
    while (!pending.empty()) {
        VkRegKeyPtr node = std::move(pending.back());
        pending.pop_back();
        if (node && node.use_count() == 1) {
            for (auto& [name, entry] : node->m_keys)
                pending.push_back(std::move(entry.item));
            node->m_keys.clear();
        }
    }
}

std::string VkRegKeyNode::Name() const
{
    Guard guard(VkRegKeyLock());
    return m_name;
}

void VkRegKeyNode::SetName(std::string name)
{
    Guard guard(VkRegKeyLock());
    m_name = std::move(name);
}

HRESULT VkRegKeyNode::GetValue(const std::string& name, VkRegDataPtr* data) const
{
    Guard guard(VkRegKeyLock());
    auto it = m_values.find(name);
    if (it == m_values.end() || it->second.removed)
        return S_FALSE;
    *data = it->second.item->Data();
    return S_OK;
}

void VkRegKeyNode::PutValue(const std::string& name, VkRegDataPtr data)
{
    Guard guard(VkRegKeyLock());
    auto it = m_values.find(name);
    if (it == m_values.end()) {
        auto value = std::make_shared<VkRegValueNode>(name);
        value->PutData(std::move(data));
        m_values[name] = Entry<VkRegValueNode>{true, false, false, std::move(value)};
    } else {
        it->second.item->ReplaceData(std::move(data));
        it->second.modified = true;
        it->second.removed = false;
    }
    m_valueIter.reset();
}

LONG VkRegKeyNode::Values() const
{
    Guard guard(VkRegKeyLock());
    return CountLive(m_values);
}

LONG VkRegKeyNode::Keys() const
{
    Guard guard(VkRegKeyLock());
    return CountLive(m_keys);
}

bool VkRegKeyNode::ValueExists(const std::string& name) const
{
    return ValueObject(name) != nullptr;
}

bool VkRegKeyNode::KeyExists(const std::string& path) const
{
    return Key(path) != nullptr;
}

VkRegValuePtr VkRegKeyNode::ValueObject(const std::string& name) const
{
    Guard guard(VkRegKeyLock());
    auto it = m_values.find(name);
    if (it == m_values.end() || it->second.removed)
        return nullptr;
    return it->second.item;
}

VkRegKeyPtr VkRegKeyNode::FindLocked(const std::string& path, VkRegKeyNode** parent, std::string* leaf) const
{
    const std::vector<std::string> names = SplitPath(path);
    const VkRegKeyNode* at = this;
    VkRegKeyPtr found;
    for (const std::string& name : names) {
        auto it = at->m_keys.find(name);
        if (it == at->m_keys.end() || it->second.removed)
            return nullptr;
        if (parent)
            *parent = const_cast<VkRegKeyNode*>(at);
        if (leaf)
            *leaf = name;
        found = it->second.item;
        at = found.get();
    }
    return found;
}

VkRegKeyPtr VkRegKeyNode::Key(const std::string& path) const
{
    Guard guard(VkRegKeyLock());
    return FindLocked(path);
}

VkRegKeyPtr VkRegKeyNode::TraverseKeyFind(const std::string& name) const
{
    Guard guard(VkRegKeyLock());
    // Depth first in name order, each key before its own sub-keys.
    std::vector<std::pair<KeyMap::const_iterator, KeyMap::const_iterator>> stack{{m_keys.begin(), m_keys.end()}};
    while (!stack.empty()) {
        auto& [at, end] = stack.back();
        if (at == end) {
            stack.pop_back();
            continue;
        }
        const auto& [childName, entry] = *at++;
        if (entry.removed)
            continue;
        if (childName == name)
            return entry.item;
        stack.emplace_back(entry.item->m_keys.begin(), entry.item->m_keys.end());
    }
    return nullptr;
}

VkRegValuePtr VkRegKeyNode::TraverseValueFind(const std::string& name) const
{
    Guard guard(VkRegKeyLock());
    if (VkRegValuePtr own = ValueObject(name))
        return own;
    std::vector<std::pair<KeyMap::const_iterator, KeyMap::const_iterator>> stack{{m_keys.begin(), m_keys.end()}};
    while (!stack.empty()) {
        auto& [at, end] = stack.back();
        if (at == end) {
            stack.pop_back();
            continue;
        }
        const auto& [childName, entry] = *at++;
        if (entry.removed)
            continue;
        if (VkRegValuePtr found = entry.item->ValueObject(name))
            return found;
        stack.emplace_back(entry.item->m_keys.begin(), entry.item->m_keys.end());
    }
    return nullptr;
}

VkRegKeyPtr VkRegKeyNode::AddKey(const std::string& path)
{
    Guard guard(VkRegKeyLock());
    const std::vector<std::string> names = SplitPath(path);
    if (names.empty())
        return nullptr;
    VkRegKeyNode* at = this;
    VkRegKeyPtr key;
    for (const std::string& name : names) {
        auto it = at->m_keys.find(name);
        if (it == at->m_keys.end()) {
            key = std::make_shared<VkRegKeyNode>(name);
            at->m_keys[name] = Entry<VkRegKeyNode>{true, false, false, key};
            at->m_keyIter.reset();
        } else if (it->second.removed) {
            // A fresh key; what the store held under the name goes first.
            key = std::make_shared<VkRegKeyNode>(name);
            it->second = Entry<VkRegKeyNode>{true, false, true, key};
            at->m_keyIter.reset();
        } else {
            key = it->second.item;
        }
        at = key.get();
    }
    return key;
}

bool VkRegKeyNode::ContainsLocked(const VkRegKeyNode* key) const
{
    std::vector<const VkRegKeyNode*> pending{this};
    while (!pending.empty()) {
        const VkRegKeyNode* node = pending.back();
        pending.pop_back();
        if (node == key)
            return true;
        for (const auto& [name, entry] : node->m_keys)
            pending.push_back(entry.item.get());
    }
    return false;
}

HRESULT VkRegKeyNode::AddKeyObject(const VkRegKeyPtr& key)
{
    Guard guard(VkRegKeyLock());
    if (!key || key->m_name.empty() || key->ContainsLocked(this))
        return E_INVALIDARG;
    const std::string name = key->m_name;
    auto it = m_keys.find(name);
    if (it == m_keys.end())
        m_keys[name] = Entry<VkRegKeyNode>{true, false, false, key};
    else if (it->second.item != key)
        it->second = Entry<VkRegKeyNode>{true, false, true, key};
    else
        it->second.removed = false;
    m_keyIter.reset();
    return S_OK;
}

HRESULT VkRegKeyNode::RemoveKey(const std::string& path, VkRegKeyPtr* removed)
{
    Guard guard(VkRegKeyLock());
    VkRegKeyNode* parent = nullptr;
    std::string leaf;
    VkRegKeyPtr key = FindLocked(path, &parent, &leaf);
    if (!key)
        return S_FALSE;
    parent->m_keys[leaf].removed = true;
    parent->m_keyIter.reset();
    if (removed)
        *removed = std::move(key);
    return S_OK;
}

HRESULT VkRegKeyNode::RemoveValue(const std::string& name, VkRegValuePtr* removed)
{
    Guard guard(VkRegKeyLock());
    auto it = m_values.find(name);
    if (it == m_values.end() || it->second.removed)
        return S_FALSE;
    it->second.removed = true;
    m_valueIter.reset();
    if (removed)
        *removed = it->second.item;
    return S_OK;
}

void VkRegKeyNode::Clear()
{
    Guard guard(VkRegKeyLock());
    RemoveAllValues();
    RemoveAllKeys();
}

void VkRegKeyNode::RemoveAllValues()
{
    Guard guard(VkRegKeyLock());
    MarkAllRemoved(m_values);
    m_valueIter.reset();
}

void VkRegKeyNode::RemoveAllKeys()
{
    Guard guard(VkRegKeyLock());
    MarkAllRemoved(m_keys);
    m_keyIter.reset();
}

void VkRegKeyNode::ResetKeys()
{
    Guard guard(VkRegKeyLock());
    m_keyIter.reset();
}

VkRegKeyPtr VkRegKeyNode::NextKey()
{
    Guard guard(VkRegKeyLock());
    return NextLive(m_keys, m_keyIter);
}

void VkRegKeyNode::ResetValues()
{
    Guard guard(VkRegKeyLock());
    m_valueIter.reset();
}

VkRegValuePtr VkRegKeyNode::NextValue()
{
    Guard guard(VkRegKeyLock());
    return NextLive(m_values, m_valueIter);
}

void VkRegKeyNode::LoadValue(const std::string& name, VkRegDataPtr data, VkRegTypes type)
{
    auto value = std::make_shared<VkRegValueNode>(name);
    value->Load(std::move(data), type);
    m_values[name] = Entry<VkRegValueNode>{false, false, false, std::move(value)};
}

VkRegKeyPtr VkRegKeyNode::LoadKey(const std::string& name)
{
    auto key = std::make_shared<VkRegKeyNode>(name);
    m_keys[name] = Entry<VkRegKeyNode>{false, false, false, key};
    return key;
}
