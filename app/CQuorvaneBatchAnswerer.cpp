#include "app/CQuorvaneBatchAnswerer.h"

#include <QDialog>

#include <cstdio>

CQuorvaneBatchAnswerer::CQuorvaneBatchAnswerer() : m_previous(VkModalService::SetAnswerer(this)) {}

CQuorvaneBatchAnswerer::~CQuorvaneBatchAnswerer()
{
    VkModalService::SetAnswerer(m_previous);
}

int CQuorvaneBatchAnswerer::OnMessageBox(const VkMessageBoxRequest& request)
{
    std::fprintf(stderr, "quorvane: %s\n", request.text.toLocal8Bit().constData());
    return (request.style & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
}

bool CQuorvaneBatchAnswerer::OnFileDialog(VkFileDialogRequest&)
{
    return false;
}

int CQuorvaneBatchAnswerer::OnDialog(QDialog*)
{
    return QDialog::Rejected;
}
