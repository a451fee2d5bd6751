#pragma once
// The palette settings dialog, in new mode (a palette being created) or
// properties mode (the current palette).

#include "framework/TwPaletteSettings.h"
#include "generic/VkPicture.h"

#include <QDialog>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class VkColourButton;

class TwPaletteSettingsDlg : public QDialog {
    Q_OBJECT
public:
    TwPaletteSettingsDlg(const TwPaletteSettings& settings, const QString& appTitle, QWidget* parent = nullptr);

    // The settings as confirmed (valid after Accepted).
    const TwPaletteSettings& Settings() const { return m_data; }

    QLineEdit* titleEdit() const { return m_title; }
    QRadioButton* pictureRadio() const { return m_picture; }
    QRadioButton* colourRadio() const { return m_colourRadio; }
    QLabel* pathLabel() const { return m_pathLabel; }
    QLabel* headerLabel() const { return m_header; }
    QPushButton* browseButton() const { return m_browse; }
    VkColourButton* colourButton() const { return m_colour; }
    QCheckBox* autoLoadCheck() const { return m_autoLoad; }
    QCheckBox* autoSaveCheck() const { return m_autoSave; }
    QPushButton* okButton() const;
    const VkPicture& preview() const { return m_preview; }

    void accept() override;

    // Browse's work after the file dialog: shows path or refuses it.
    void choosePicture(const QString& path);

private:
    void browse();
    void showPicturePath();
    void updateOk();
    void help();

    TwPaletteSettings m_data;
    QString m_appTitle;
    VkPicture m_preview;
    QLabel* m_header;
    QLineEdit* m_title;
    QRadioButton* m_picture;
    QRadioButton* m_colourRadio;
    QLabel* m_pathLabel;
    QPushButton* m_browse;
    QWidget* m_previewFrame;
    VkColourButton* m_colour;
    QCheckBox* m_autoLoad;
    QCheckBox* m_autoSave;
    QDialogButtonBox* m_buttons;
};
