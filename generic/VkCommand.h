#pragma once
// Numeric commands and their routing. A command target answers two
// questions for an identifier: "do you handle it?" (with its enabled and
// checked state) and "run it". A router asks an ordered chain of targets
// (active document, its frame, the main frame, the application); the first
// target with a handler wins, and a command nobody handles is disabled.

#include "platform/WinTypes.h"

#include <functional>
#include <map>
#include <vector>

// The state of one command as the user interface should show it.
class VkCmdUI {
public:
    explicit VkCmdUI(UINT id) : m_id(id) {}

    UINT Id() const { return m_id; }
    void Enable(bool on = true) { m_enabled = on; }
    // 0 unchecked, 1 checked.
    void SetCheck(int check = 1) { m_checked = check != 0; m_checkable = true; }

    bool IsEnabled() const { return m_enabled; }
    bool IsChecked() const { return m_checked; }
    bool IsCheckable() const { return m_checkable; }
    bool IsHandled() const { return m_handled; }
    void SetHandled(bool handled) { m_handled = handled; }

private:
    UINT m_id;
    bool m_enabled = false;
    bool m_checked = false;
    bool m_checkable = false;
    bool m_handled = false;
};

// Something that can handle commands: a table from identifiers (or ranges
// of them) to a handler and an optional update handler.
class VkCommandTarget {
public:
    using Handler = std::function<void(UINT id)>;
    using UpdateHandler = std::function<void(VkCmdUI& ui)>;

    virtual ~VkCommandTarget() = default;

    // Adds a handler for first..last (last 0: only first). Without an update
    // handler the command is enabled whenever this target is in the chain.
    void MapCommand(UINT first, Handler handler, UpdateHandler update = {}, UINT last = 0);
    void MapCommand(UINT id, std::function<void()> handler, UpdateHandler update = {});
    void UnmapCommand(UINT id);

    // Fills ui and returns true when this target handles ui.Id().
    virtual bool OnUpdateCommand(VkCmdUI& ui);
    // Runs the handler; false when this target has none for id.
    virtual bool OnCommand(UINT id);

private:
    struct Entry {
        UINT last;
        Handler handler;
        UpdateHandler update;
    };
    const Entry* Find(UINT id) const;

    std::map<UINT, Entry> m_map; // keyed by the first identifier of the range
};

// Asks the targets that a chain function returns, in order. The chain is
// computed afresh for every question so that it follows the active window.
class VkCommandRouter {
public:
    using Chain = std::function<std::vector<VkCommandTarget*>()>;

    explicit VkCommandRouter(Chain chain = {}) : m_chain(std::move(chain)) {}
    void SetChain(Chain chain) { m_chain = std::move(chain); }

    // The state of id; disabled when no target in the chain handles it.
    VkCmdUI Update(UINT id) const;
    // Runs id on the first target that handles it and is enabled there;
    // false when none ran it.
    bool Execute(UINT id) const;

private:
    std::vector<VkCommandTarget*> Targets() const;

    Chain m_chain;
};
