#pragma once
// A modal answerer that plays a script: queued answers per kind of request,
// taken in order, and a record of every request seen. Installed for its
// lifetime. A request with no queued answer is answered with Cancel (or
// rejected) and counted as unexpected, so a test can fail on it.

#include "generic/VkModalService.h"

#include <deque>
#include <functional>
#include <vector>

class VkModalScript : public VkModalAnswerer {
public:
    using MessageAnswer = std::function<int(const VkMessageBoxRequest&)>;
    using FileAnswer = std::function<bool(VkFileDialogRequest&)>;
    using DialogAnswer = std::function<int(QDialog*)>;

    VkModalScript();
    ~VkModalScript() override;
    VkModalScript(const VkModalScript&) = delete;
    VkModalScript& operator=(const VkModalScript&) = delete;

    void AnswerMessage(int result);
    void AnswerMessage(MessageAnswer answer);
    void AnswerFile(const QString& path); // empty: cancel
    void AnswerFile(FileAnswer answer);
    void AnswerDialog(DialogAnswer answer);

    int OnMessageBox(const VkMessageBoxRequest& request) override;
    bool OnFileDialog(VkFileDialogRequest& request) override;
    int OnDialog(QDialog* dialog) override;

    const std::vector<VkMessageBoxRequest>& Messages() const { return m_messages; }
    const std::vector<VkFileDialogRequest>& FileDialogs() const { return m_files; }
    // Class names of the dialogs seen, in order.
    const std::vector<QString>& Dialogs() const { return m_dialogs; }
    int Unexpected() const { return m_unexpected; }
    // True when every queued answer was used.
    bool Exhausted() const { return m_messageAnswers.empty() && m_fileAnswers.empty() && m_dialogAnswers.empty(); }

private:
    VkModalAnswerer* m_previous;
    std::deque<MessageAnswer> m_messageAnswers;
    std::deque<FileAnswer> m_fileAnswers;
    std::deque<DialogAnswer> m_dialogAnswers;
    std::vector<VkMessageBoxRequest> m_messages;
    std::vector<VkFileDialogRequest> m_files;
    std::vector<QString> m_dialogs;
    int m_unexpected = 0;
};
