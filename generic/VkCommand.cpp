#include "generic/VkCommand.h"

void VkCommandTarget::MapCommand(UINT first, Handler handler, UpdateHandler update, UINT last)
{
    m_map[first] = Entry{last < first ? first : last, std::move(handler), std::move(update)};
}

void VkCommandTarget::MapCommand(UINT id, std::function<void()> handler, UpdateHandler update)
{
    MapCommand(id, Handler([h = std::move(handler)](UINT) { if (h) h(); }), std::move(update), id);
}

void VkCommandTarget::UnmapCommand(UINT id)
{
    m_map.erase(id);
}

const VkCommandTarget::Entry* VkCommandTarget::Find(UINT id) const
{
    auto it = m_map.upper_bound(id);
    if (it == m_map.begin())
        return nullptr;
    --it;
    return id <= it->second.last ? &it->second : nullptr;
}

bool VkCommandTarget::OnUpdateCommand(VkCmdUI& ui)
{
    const Entry* entry = Find(ui.Id());
    if (!entry)
        return false;
    ui.SetHandled(true);
    ui.Enable(true);
    if (entry->update)
        entry->update(ui);
    return true;
}

bool VkCommandTarget::OnCommand(UINT id)
{
    const Entry* entry = Find(id);
    if (!entry || !entry->handler)
        return false;
    // The handler may unmap itself; run a copy.
    Handler handler = entry->handler;
    handler(id);
    return true;
}

std::vector<VkCommandTarget*> VkCommandRouter::Targets() const
{
    std::vector<VkCommandTarget*> targets;
    if (m_chain)
        for (VkCommandTarget* target : m_chain())
            if (target)
                targets.push_back(target);
    return targets;
}

VkCmdUI VkCommandRouter::Update(UINT id) const
{
    for (VkCommandTarget* target : Targets()) {
        VkCmdUI ui(id);
        if (target->OnUpdateCommand(ui))
            return ui;
    }
    return VkCmdUI(id);
}

bool VkCommandRouter::Execute(UINT id) const
{
    for (VkCommandTarget* target : Targets()) {
        VkCmdUI ui(id);
        if (!target->OnUpdateCommand(ui))
            continue;
        // A disabled command does not fall through to the next target.
        return ui.IsEnabled() && target->OnCommand(id);
    }
    return false;
}
