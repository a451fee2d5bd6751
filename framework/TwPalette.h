#pragma once
// A palette: the user's saved arrangement of queue windows with a title and
// a background (colour or picture) for the MDI client area. Exactly one is
// current; see TwQuillApp.

#include "generic/VkPicture.h"
#include "platform/WinTypes.h"

#include <QColor>
#include <QString>

#include <functional>
#include <string>

using COLORREF = DWORD; // 0x00BBGGRR

constexpr COLORREF VkRGB(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
QColor VkColorFromRef(COLORREF colour);
COLORREF VkRefFromColor(const QColor& colour);

class CArchive;
class QWidget;
class TwQuillApp;
struct TwPaletteRecord;

class TwPalette {
public:
    enum BkMode : LONG { ModeColour = 0, ModePicture = 1 };

    TwPalette();
    virtual ~TwPalette() = default;

    // A fresh palette: PaletteN.qvp in the documents folder (the first that
    // does not exist), titled PaletteN, workspace colour, default.
    void Reset();

    bool IsDefault() const { return m_default; }
    bool IsLoading() const { return m_loading != 0; }
    void SetLoading(bool loading) { m_loading = loading ? 1 : 0; }

    const QString& Title() const { return m_title; }
    void SetTitle(const QString& title) { m_title = title; }

    COLORREF BkColour() const { return m_bkColour; }
    BkMode Mode() const { return m_mode; }
    const QString& BkPicturePath() const { return m_bkPicturePath; }
    const VkPicture& BkPicture() const { return m_bkPicture; }

    // Colour mode with colour; the picture is unloaded.
    void SetBkColour(COLORREF colour);
    // Picture mode with path; a picture that cannot be loaded stays unloaded.
    void SetBkPicture(const QString& path);

    // Sets the file and clears the default flag.
    void SetPath(const QString& path);
    // Counts the palette as new again (it was never loaded or saved).
    void MarkDefault() { m_default = true; }
    // The full path of the palette file.
    QString Path() const;
    // The file name part of the path.
    QString FileName() const;

    const QString& DefaultExtension() const { return m_defaultExt; }
    const QString& FileFilter() const { return m_filter; }

    // The palette record: colour, mode, title and picture path. Loading a
    // picture-mode record loads the picture. Archive exceptions pass to the
    // caller.
    void Serialize(CArchive& ar);

    // The palette record as stored and back; applying a picture-mode record
    // loads its picture.
    TwPaletteRecord Record() const;
    void ApplyRecord(const TwPaletteRecord& record);

    // The open dialog for a palette file: true when a file with the palette
    // extension was chosen (the path is then the palette's); message 32824
    // for another extension.
    bool InteractPalettePath(TwQuillApp& app);
    // Reads the palette file (asking for it when askForPath or when it does
    // not exist) and opens its queue windows, blank covered meanwhile. A
    // file that cannot be read whole is reported with its path and why, and
    // changes nothing: this palette keeps its settings and path, and the
    // windows opened so far are closed again.
    bool Load(TwQuillApp& app, bool askForPath, QWidget* blank);
    // Writes the palette and the app's queue windows (asking for a path when
    // askForPath or while the palette has no file of its own). A failure is
    // reported with the path and why; the palette keeps its path then.
    bool Save(TwQuillApp& app, bool askForPath, bool copy = false);
    // Writes to path without asking or reporting; false with a reason.
    // afterWritten (tests) runs once the new file is complete, before it
    // replaces the old one.
    bool WriteTo(TwQuillApp& app, const QString& path, std::string& reason,
                 const std::function<void()>& afterWritten = {});

    // The system colour of the MDI application workspace.
    static COLORREF WorkspaceColour();

private:
    LONG m_loading = 0;
    QString m_title;
    COLORREF m_bkColour = 0;
    QString m_bkPicturePath;
    VkPicture m_bkPicture;
    BkMode m_mode = ModeColour;
    QString m_path;
    bool m_default = true;
    QString m_defaultExt;
    QString m_filter;
};
