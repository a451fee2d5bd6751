#include "generic/VkModalService.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace {

VkModalAnswerer* s_answerer = nullptr;

QMessageBox::Icon IconOf(UINT style)
{
    switch (style & MB_ICONMASK) {
    case MB_ICONSTOP: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

struct ButtonChoice {
    QMessageBox::StandardButton button;
    int id;
};

QList<ButtonChoice> ButtonsOf(UINT style)
{
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
        return {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
    case MB_YESNOCANCEL: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case MB_RETRYCANCEL: return {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
    default: return {{QMessageBox::Ok, IDOK}};
    }
}

} // namespace

VkModalAnswerer* VkModalService::SetAnswerer(VkModalAnswerer* answerer)
{
    VkModalAnswerer* previous = s_answerer;
    s_answerer = answerer;
    return previous;
}

VkModalAnswerer* VkModalService::Answerer()
{
    return s_answerer;
}

int VkModalService::MessageBox(QWidget* owner, const QString& text, const QString& caption, UINT style)
{
    VkMessageBoxRequest request;
    request.owner = owner;
    request.text = text;
    request.caption = caption;
    request.style = style;
    return MessageBox(request);
}

int VkModalService::MessageBox(const VkMessageBoxRequest& request)
{
    if (s_answerer)
        return s_answerer->OnMessageBox(request);
    QMessageBox box(IconOf(request.style), request.caption, request.text, QMessageBox::NoButton, request.owner);
    const QList<ButtonChoice> buttons = ButtonsOf(request.style);
    QMessageBox::StandardButtons all;
    for (const ButtonChoice& choice : buttons)
        all |= choice.button;
    box.setStandardButtons(all);
    box.setDefaultButton(buttons.front().button);
    const int pressed = box.exec();
    for (const ButtonChoice& choice : buttons)
        if (pressed == choice.button)
            return choice.id;
    // Closed without a button: what Escape would give.
    const UINT type = request.style & MB_TYPEMASK;
    return type == MB_OK ? IDOK : type == MB_YESNO ? IDNO : IDCANCEL;
}

QStringList VkModalService::QtFilters(const QString& windowsFilter)
{
    QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString name = parts[i].trimmed();
        QString patterns = parts[i + 1];
        if (name.isEmpty())
            break;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns = patterns.simplified();
        if (patterns.isEmpty())
            break;
        // Qt shows the patterns itself; do not repeat them.
        QString label = name;
        const int paren = label.indexOf(QLatin1String(" ("));
        if (paren > 0)
            label = label.left(paren);
        filters << QStringLiteral("%1 (%2)").arg(label, patterns);
    }
    return filters;
}

bool VkModalService::FileDialog(VkFileDialogRequest& request)
{
    if (s_answerer)
        return s_answerer->OnFileDialog(request);
    QFileDialog dialog(request.owner, request.title, request.initialDir);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save || !request.mustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.save && request.mustExist)
        dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    if (!request.okText.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, request.okText);
    if (!request.defaultExt.isEmpty())
        dialog.setDefaultSuffix(request.defaultExt);
    const QStringList filters = QtFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    const QString proposal = !request.path.isEmpty() ? request.path : request.initialFile;
    if (!proposal.isEmpty() && !proposal.contains(QLatin1Char('*')))
        dialog.selectFile(proposal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    request.path = dialog.selectedFiles().front();
    return true;
}

int VkModalService::DoModal(QDialog* dialog)
{
    if (!dialog)
        return QDialog::Rejected;
    if (!s_answerer)
        return dialog->exec();
    QPointer<QDialog> guard(dialog);
    dialog->setResult(QDialog::Rejected);
    dialog->show();
    const int answer = s_answerer->OnDialog(dialog);
    if (guard.isNull())
        return answer;
    // The answerer may already have ended the dialog through its buttons.
    if (dialog->isVisible()) {
        if (answer == QDialog::Accepted)
            dialog->accept(); // through the dialog's own checks
        else
            dialog->reject();
    }
    if (guard.isNull())
        return answer;
    if (dialog->isVisible())
        dialog->done(QDialog::Rejected);
    return dialog->result();
}
