#pragma once
// One value of a key tree: a name, its data, its registry type and the data
// split into sub-values at a set of delimiter characters. Every call runs
// under the module's value lock.

#include "registry/VkRegData.h"

#include <memory>
#include <string>
#include <vector>

class VkRegValueNode {
public:
    explicit VkRegValueNode(std::string name = {});
    VkRegValueNode(const VkRegValueNode&) = delete;
    VkRegValueNode& operator=(const VkRegValueNode&) = delete;

    std::string Name() const;
    void SetName(std::string name);

    // Never null: a new value holds empty data.
    VkRegDataPtr Data() const;
    // Takes the data and the type that follows from it.
    void PutData(VkRegDataPtr data);
    // Takes the data and keeps the type (a put into an existing value).
    void ReplaceData(VkRegDataPtr data);
    // The data and type as read from a store.
    void Load(VkRegDataPtr data, VkRegTypes type);

    // True once the data or type was changed other than by Load, until
    // TakeChanged: a value changed through its own object is written even
    // though its key's entry was never marked.
    bool TakeChanged();

    int Type() const;
    // Accepts dtypeEmpty to dtypeBinary; false for anything else.
    bool SetType(int type);

    std::string Delimiters() const;
    void SetDelimiters(std::string delimiters);

    // The data as text split at any delimiter character; empty parts count.
    // Text that is empty, or data with no text form, has no parts.
    LONG Parts();
    // False when index is outside 0 .. Parts() - 1.
    bool SubValue(LONG index, std::string* part);
    // Replaces part index, or appends a part when index equals Parts(); the
    // other parts and their delimiters stay as they were. The value becomes
    // text. False for any other index.
    bool SetSubValue(LONG index, const std::string& part);

private:
    struct Part {
        std::size_t begin;
        std::size_t length;
    };
    void SplitLocked();

    std::string m_name;
    VkRegDataPtr m_data;
    int m_type = dtypePre;
    std::string m_delimiters = "|";
    bool m_needsSplit = true;
    bool m_changed = false;
    std::string m_text;
    std::vector<Part> m_parts;
};

using VkRegValuePtr = std::shared_ptr<VkRegValueNode>;
