#include "generic/VkWndRecord.h"

#include "platform/Archive.h"

#include <QMdiSubWindow>
#include <QWidget>

QRect VkWndRecord::NormalRect() const
{
    return QRect(QPoint(normalLeft, normalTop), QPoint(normalRight - 1, normalBottom - 1));
}

void VkWndRecord::SetNormalRect(const QRect& rect)
{
    normalLeft = rect.left();
    normalTop = rect.top();
    // Windows rectangles exclude their right and bottom edges.
    normalRight = rect.left() + rect.width();
    normalBottom = rect.top() + rect.height();
}

std::array<LONG, VkWndRecord::kFieldCount> VkWndRecord::Fields() const
{
    return {state, normalLeft, normalTop, normalRight, normalBottom, minX, minY, maxX, maxY,
            showCmd, visible, enabled, flags};
}

void VkWndRecord::SetFields(const std::array<LONG, kFieldCount>& f)
{
    state = f[0];
    normalLeft = f[1];
    normalTop = f[2];
    normalRight = f[3];
    normalBottom = f[4];
    minX = f[5];
    minY = f[6];
    maxX = f[7];
    maxY = f[8];
    showCmd = f[9];
    visible = f[10];
    enabled = f[11];
    flags = f[12];
}

void VkWndRecord::Write(CArchive& ar) const
{
    for (LONG value : Fields())
        ar << value;
}

void VkWndRecord::Read(CArchive& ar)
{
    std::array<LONG, kFieldCount> fields{};
    for (LONG& value : fields)
        ar >> value;
    SetFields(fields);
}

VkWndRecord VkWndRecord::Capture(const QWidget* window, bool recordVisibility)
{
    VkWndRecord record;
    const bool maximized = window->isMaximized();
    const bool minimized = window->isMinimized();
    record.state = maximized ? 1 : minimized ? 2 : 0;
    record.flags = minimized ? VK_WPF_SETMINPOSITION : 0;

    QRect normal;
    if (window->isWindow())
        normal = window->normalGeometry();
    if (!normal.isValid() && (maximized || minimized)) {
        const QVariant stored = window->property(kVkNormalGeometryProperty);
        if (stored.canConvert<QRect>())
            normal = stored.toRect();
    }
    if (!normal.isValid())
        normal = window->geometry();
    record.SetNormalRect(normal);
    if (minimized) {
        record.minX = window->x();
        record.minY = window->y();
    }
    if (maximized) {
        record.maxX = window->x();
        record.maxY = window->y();
    }
    const bool visible = !recordVisibility || window->isVisible();
    record.showCmd = !visible ? SW_HIDE : maximized ? SW_SHOWMAXIMIZED : minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    record.visible = visible ? 1 : 0;
    record.enabled = window->isEnabled() ? 1 : 0;
    return record;
}

void VkWndRecord::Apply(QWidget* window) const
{
    const QRect normal = NormalRect();
    if (normal.isValid()) {
        if (window->isMaximized() || window->isMinimized())
            window->showNormal();
        window->setGeometry(normal);
        window->setProperty(kVkNormalGeometryProperty, normal);
    }
    switch (showCmd) {
    case SW_HIDE:
        window->hide();
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        window->showMinimized();
        break;
    case SW_SHOWMAXIMIZED:
        window->showMaximized();
        break;
    default:
        window->showNormal();
        break;
    }
    if (visible == 0) {
        if (showCmd == SW_SHOWNORMAL)
            window->show();
        else
            window->hide();
    }
    window->setEnabled(enabled != 0);
}

void SerializeWnd(CArchive& ar, QWidget* window, bool recordVisibility)
{
    VkWndRecord record;
    if (ar.IsStoring()) {
        if (window)
            record = VkWndRecord::Capture(window, recordVisibility);
        record.Write(ar);
    } else {
        record.Read(ar);
        if (window)
            record.Apply(window);
    }
}
