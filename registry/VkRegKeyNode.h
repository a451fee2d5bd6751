#pragma once
// One key of a key tree: a name, its sub-keys and its values, each held in a
// map slot (an entry) with the flags that tell the next write what to do:
// `modified` (write it) and `removed` (delete it from the store; the entry
// stays until that write). Maps are ordered byte-wise by name. Sub-key names
// given to Key, KeyExists, AddKey and RemoveKey may span levels separated by
// "\". Removed items are invisible to lookups, counts and iterators.
//
// Every call runs under the module's key lock. A tree built in memory may be
// deeper than a thread's stack allows, so walks and the tree's destruction
// keep stacks of their own.

#include "registry/VkRegValueNode.h"

#include "platform/WinTypes.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

class VkRegKeyNode;
using VkRegKeyPtr = std::shared_ptr<VkRegKeyNode>;

class VkRegKeyNode {
public:
    template <class Item>
    struct Entry {
        bool modified = false;
        bool removed = false;
        // Delete whatever the store holds under this name before writing
        // the item (it replaced a removed one).
        bool purge = false;
        std::shared_ptr<Item> item;
    };
    using KeyMap = std::map<std::string, Entry<VkRegKeyNode>>;
    using ValueMap = std::map<std::string, Entry<VkRegValueNode>>;

    explicit VkRegKeyNode(std::string name = {});
    ~VkRegKeyNode();
    VkRegKeyNode(const VkRegKeyNode&) = delete;
    VkRegKeyNode& operator=(const VkRegKeyNode&) = delete;

    std::string Name() const;
    void SetName(std::string name);

    // S_FALSE, leaving *data alone, when there is no such value.
    HRESULT GetValue(const std::string& name, VkRegDataPtr* data) const;
    // Creates the value (typed from the data) or replaces its data (type
    // kept); marks it modified and no longer removed.
    void PutValue(const std::string& name, VkRegDataPtr data);

    LONG Values() const;
    LONG Keys() const;
    bool ValueExists(const std::string& name) const;
    bool KeyExists(const std::string& path) const;

    VkRegValuePtr ValueObject(const std::string& name) const;
    VkRegKeyPtr Key(const std::string& path) const;
    // Depth first, in name order; the first match.
    VkRegKeyPtr TraverseKeyFind(const std::string& name) const;
    VkRegValuePtr TraverseValueFind(const std::string& name) const;

    // The existing sub-key, or a new empty one with every missing level.
    // Null for a path without any name.
    VkRegKeyPtr AddKey(const std::string& path);
    // Enters key under its own name, replacing a sub-key of that name.
    // E_INVALIDARG for a null key, a key without a name, or one whose tree
    // holds this key (a cycle).
    HRESULT AddKeyObject(const VkRegKeyPtr& key);
    // Marks the item removed and hands it back; S_FALSE when absent or
    // already removed.
    HRESULT RemoveKey(const std::string& path, VkRegKeyPtr* removed);
    HRESULT RemoveValue(const std::string& name, VkRegValuePtr* removed);
    void Clear();
    void RemoveAllValues();
    void RemoveAllKeys();

    void ResetKeys();
    VkRegKeyPtr NextKey();
    void ResetValues();
    VkRegValuePtr NextValue();

    // The stores' access to the slots; call with VkRegKeyLock() held.
    KeyMap& KeyEntries() { return m_keys; }
    ValueMap& ValueEntries() { return m_values; }
    // A value read from a store: flags clear.
    void LoadValue(const std::string& name, VkRegDataPtr data, VkRegTypes type);
    VkRegKeyPtr LoadKey(const std::string& name);

private:
    // The live sub-key at path (null when any level is missing or removed);
    // *parent gets the key holding it and *leaf its last name.
    VkRegKeyPtr FindLocked(const std::string& path, VkRegKeyNode** parent = nullptr,
                           std::string* leaf = nullptr) const;
    bool ContainsLocked(const VkRegKeyNode* key) const;

    std::string m_name;
    KeyMap m_keys;
    ValueMap m_values;
    // The name last returned by each iterator; empty optional: from the start.
    std::optional<std::string> m_keyIter;
    std::optional<std::string> m_valueIter;
};
