#include "generic/VkModalScript.h"

#include <QDialog>

VkModalScript::VkModalScript() : m_previous(VkModalService::SetAnswerer(this)) {}

VkModalScript::~VkModalScript()
{
    VkModalService::SetAnswerer(m_previous);
}

void VkModalScript::AnswerMessage(int result)
{
    m_messageAnswers.push_back([result](const VkMessageBoxRequest&) { return result; });
}

void VkModalScript::AnswerMessage(MessageAnswer answer)
{
    m_messageAnswers.push_back(std::move(answer));
}

void VkModalScript::AnswerFile(const QString& path)
{
    m_fileAnswers.push_back([path](VkFileDialogRequest& request) {
        if (path.isEmpty())
            return false;
        request.path = path;
        return true;
    });
}

void VkModalScript::AnswerFile(FileAnswer answer)
{
    m_fileAnswers.push_back(std::move(answer));
}

void VkModalScript::AnswerDialog(DialogAnswer answer)
{
    m_dialogAnswers.push_back(std::move(answer));
}

int VkModalScript::OnMessageBox(const VkMessageBoxRequest& request)
{
    m_messages.push_back(request);
    if (m_messageAnswers.empty()) {
        ++m_unexpected;
        const UINT type = request.style & MB_TYPEMASK;
        return type == MB_OK ? IDOK : type == MB_YESNO ? IDNO : IDCANCEL;
    }
    MessageAnswer answer = std::move(m_messageAnswers.front());
    m_messageAnswers.pop_front();
    return answer(request);
}

bool VkModalScript::OnFileDialog(VkFileDialogRequest& request)
{
    m_files.push_back(request);
    if (m_fileAnswers.empty()) {
        ++m_unexpected;
        return false;
    }
    FileAnswer answer = std::move(m_fileAnswers.front());
    m_fileAnswers.pop_front();
    return answer(request);
}

int VkModalScript::OnDialog(QDialog* dialog)
{
    m_dialogs.push_back(QString::fromLatin1(dialog->metaObject()->className()));
    if (m_dialogAnswers.empty()) {
        ++m_unexpected;
        return QDialog::Rejected;
    }
    DialogAnswer answer = std::move(m_dialogAnswers.front());
    m_dialogAnswers.pop_front();
    return answer(dialog);
}
