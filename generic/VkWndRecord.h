#pragma once
// The window record: a window's placement, visibility and enabled state as
// 13 signed 32-bit integers (52 bytes) in an archive.
//   1 state (1 maximized, 2 minimized, 0 otherwise)
//   2-5 normal rectangle left, top, right, bottom (parent client coordinates)
//   6-7 minimized position, 8-9 maximized position
//   10 show command, 11 visible, 12 enabled
//   13 placement flags (VK_WPF_SETMINPOSITION when minimized)

#include "platform/WinTypes.h"

#include <QRect>

#include <array>

class CArchive;
class QWidget;

// Show commands of a window placement, with the Windows values.
constexpr LONG SW_HIDE = 0;
constexpr LONG SW_SHOWNORMAL = 1;
constexpr LONG SW_SHOWMINIMIZED = 2;
constexpr LONG SW_SHOWMAXIMIZED = 3;
constexpr LONG SW_SHOWNOACTIVATE = 4;
constexpr LONG SW_SHOW = 5;
constexpr LONG SW_MINIMIZE = 6;
constexpr LONG SW_SHOWMINNOACTIVE = 7;
constexpr LONG SW_SHOWNA = 8;
constexpr LONG SW_RESTORE = 9;
constexpr LONG VK_WPF_SETMINPOSITION = 1;

// The property a window sets to tell its restored rectangle while it is
// maximized or minimized (child windows have no such notion of their own).
constexpr const char* kVkNormalGeometryProperty = "vkNormalGeometry";

struct VkWndRecord {
    LONG state = 0;
    LONG normalLeft = 0, normalTop = 0, normalRight = 0, normalBottom = 0;
    LONG minX = -1, minY = -1;
    LONG maxX = -1, maxY = -1;
    LONG showCmd = SW_SHOWNORMAL;
    LONG visible = 1;
    LONG enabled = 1;
    LONG flags = 0;

    static constexpr int kFieldCount = 13;
    static constexpr int kByteSize = kFieldCount * 4;

    QRect NormalRect() const;
    void SetNormalRect(const QRect& rect);

    std::array<LONG, kFieldCount> Fields() const;
    void SetFields(const std::array<LONG, kFieldCount>& fields);

    // Archive exceptions pass to the caller.
    void Write(CArchive& ar) const;
    void Read(CArchive& ar);

    // The record of window; with recordVisibility false the window counts as
    // visible.
    static VkWndRecord Capture(const QWidget* window, bool recordVisibility);
    // Places, shows or hides and enables window as recorded.
    void Apply(QWidget* window) const;
};

// Writes (storing archive) or reads and applies (loading archive) the
// record of window. Archive exceptions pass to the caller.
void SerializeWnd(CArchive& ar, QWidget* window, bool recordVisibility);
