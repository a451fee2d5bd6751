#pragma once
// Answers modal requests when nobody sits at the program (--screenshot,
// --write-demo-palette): messages go to standard error and are answered
// OK, or Cancel where they ask something; file dialogs and dialogs are
// cancelled. Installed for its lifetime.

#include "generic/VkModalService.h"

class CQuorvaneBatchAnswerer : public VkModalAnswerer {
public:
    CQuorvaneBatchAnswerer();
    ~CQuorvaneBatchAnswerer() override;
    CQuorvaneBatchAnswerer(const CQuorvaneBatchAnswerer&) = delete;
    CQuorvaneBatchAnswerer& operator=(const CQuorvaneBatchAnswerer&) = delete;

    int OnMessageBox(const VkMessageBoxRequest& request) override;
    bool OnFileDialog(VkFileDialogRequest& request) override;
    int OnDialog(QDialog* dialog) override;

private:
    VkModalAnswerer* m_previous;
};
