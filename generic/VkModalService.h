#pragma once
// The one way to put modal UI in front of the user: message boxes, file
// dialogs and modal dialogs. Normally they are shown; while an answerer is
// installed (tests, automation) every request goes to it instead and nothing
// blocks.

#include "platform/WinTypes.h"

#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class QWidget;

// Message box styles and results, with the Windows values.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_ICONSTOP = 0x10;
constexpr UINT MB_ICONERROR = MB_ICONSTOP;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_TYPEMASK = 0xF;
constexpr UINT MB_ICONMASK = 0xF0;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

struct VkMessageBoxRequest {
    QWidget* owner = nullptr;
    QString text;
    QString caption;
    UINT style = MB_OK;
};

struct VkFileDialogRequest {
    QWidget* owner = nullptr;
    bool save = false;
    QString title;       // empty: the platform's default
    QString okText;      // empty: the platform's default
    QString initialDir;
    QString initialFile; // may be a pattern such as "*.qvp"
    QString defaultExt;  // without dot
    // Windows form "Description|pattern;pattern|...||".
    QString filter;
    bool mustExist = false;
    bool overwritePrompt = false;
    // The chosen path (in, the proposal; out, the answer).
    QString path;
};

// Answers modal requests instead of a user.
class VkModalAnswerer {
public:
    virtual ~VkModalAnswerer() = default;
    // One of IDOK, IDCANCEL, IDYES, ...
    virtual int OnMessageBox(const VkMessageBoxRequest& request) = 0;
    // True with request.path set to accept the dialog.
    virtual bool OnFileDialog(VkFileDialogRequest& request) = 0;
    // The dialog is shown and initialised; act on it and return the result
    // (QDialog::Accepted or Rejected) it should end with.
    virtual int OnDialog(QDialog* dialog) = 0;
};

class VkModalService {
public:
    // Installs an answerer (null removes it); the previous one is returned.
    static VkModalAnswerer* SetAnswerer(VkModalAnswerer* answerer);
    static VkModalAnswerer* Answerer();

    static int MessageBox(const VkMessageBoxRequest& request);
    static int MessageBox(QWidget* owner, const QString& text, const QString& caption, UINT style);
    // True when a file was chosen (request.path).
    static bool FileDialog(VkFileDialogRequest& request);
    // Runs dialog modally; its result code.
    static int DoModal(QDialog* dialog);

    // "Text files (*.txt)|*.txt|All (*.*)|*.*||" as Qt name filters.
    static QStringList QtFilters(const QString& windowsFilter);
};
