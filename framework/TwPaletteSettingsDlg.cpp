#include "framework/TwPaletteSettingsDlg.h"

#include "framework/TwStrings.h"
#include "generic/VkColourButton.h"
#include "generic/VkHtmlHelp.h"
#include "generic/VkModalService.h"
#include "generic/VkPaths.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The preview frame: the picture stretched into it, or an empty sunken box.
class PreviewFrame : public QWidget {
public:
    PreviewFrame(const VkPicture& picture, QWidget* parent) : QWidget(parent), m_picture(picture)
    {
        setMinimumSize(96, 72);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect inner = rect().adjusted(1, 1, -1, -1);
        if (!m_picture.DrawStretched(painter, inner))
            painter.fillRect(inner, palette().color(QPalette::Base));
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    const VkPicture& m_picture;
};

} // namespace

TwPaletteSettingsDlg::TwPaletteSettingsDlg(const TwPaletteSettings& settings, const QString& appTitle,
                                           QWidget* parent)
    : QDialog(parent), m_data(settings), m_appTitle(appTitle)
{
    setObjectName(QStringLiteral("TwPaletteSettingsDlg"));
    setWindowTitle(m_data.Caption());

    m_header = new QLabel(m_data.Header(), this);
    m_header->setObjectName(QStringLiteral("header"));
    m_header->setWordWrap(true);
    m_header->setFrameShape(QFrame::StyledPanel);
    m_header->setMargin(6);

    m_title = new QLineEdit(m_data.title, this);
    m_title->setObjectName(QStringLiteral("title"));
    auto* titleLabel = new QLabel(TwString(IDS_TW_DLG_DISPLAY_TITLE), this);
    titleLabel->setBuddy(m_title);

    auto* background = new QGroupBox(TwString(IDS_TW_DLG_BACKGROUND), this);
    m_picture = new QRadioButton(TwString(IDS_TW_DLG_PICTURE), background);
    m_picture->setObjectName(QStringLiteral("picture"));
    m_colourRadio = new QRadioButton(TwString(IDS_TW_DLG_COLOUR), background);
    m_colourRadio->setObjectName(QStringLiteral("colour"));
    m_pathLabel = new QLabel(TwString(IDS_TW_NONE), background);
    m_pathLabel->setObjectName(QStringLiteral("picturePath"));
    m_pathLabel->setMinimumWidth(220);
    m_browse = new QPushButton(TwString(IDS_TW_DLG_BROWSE), background);
    m_browse->setObjectName(QStringLiteral("browse"));
    m_previewFrame = new PreviewFrame(m_preview, background);
    m_previewFrame->setObjectName(QStringLiteral("preview"));
    m_colour = new VkColourButton(background);
    m_colour->setObjectName(QStringLiteral("colourButton"));
    m_colour->setColour(VkColorFromRef(m_data.colour));

    auto* grid = new QGridLayout(background);
    grid->addWidget(m_picture, 0, 0);
    grid->addWidget(m_pathLabel, 0, 1);
    grid->addWidget(m_browse, 0, 2);
    grid->addWidget(m_previewFrame, 1, 1, 1, 2);
    grid->addWidget(m_colourRadio, 2, 0);
    grid->addWidget(m_colour, 2, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);

    auto* all = new QGroupBox(TwString(IDS_TW_DLG_ALL_PALETTES), this);
    m_autoLoad = new QCheckBox(TwString(IDS_TW_DLG_AUTOLOAD), all);
    m_autoLoad->setObjectName(QStringLiteral("autoLoad"));
    m_autoLoad->setChecked(m_data.autoLoad);
    m_autoSave = new QCheckBox(TwString(IDS_TW_DLG_AUTOSAVE), all);
    m_autoSave->setObjectName(QStringLiteral("autoSave"));
    m_autoSave->setChecked(m_data.autoSave);
    auto* checks = new QHBoxLayout(all);
    checks->addWidget(m_autoLoad);
    checks->addWidget(m_autoSave);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    if (!m_data.OkText().isEmpty())
        okButton()->setText(m_data.OkText());

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(titleLabel);
    titleRow->addWidget(m_title, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_header);
    layout->addLayout(titleRow);
    layout->addWidget(background);
    layout->addWidget(all);
    layout->addWidget(m_buttons);

    (m_data.radio == TwPaletteSettings::RadioPicture ? m_picture : m_colourRadio)->setChecked(true);
    showPicturePath();
    updateOk();

    connect(m_title, &QLineEdit::textChanged, this, [this] { updateOk(); });
    connect(m_picture, &QRadioButton::clicked, this, [this] { updateOk(); });
    connect(m_colourRadio, &QRadioButton::clicked, this, [this] { updateOk(); });
    connect(m_colour, &VkColourButton::colourPicked, this, [this] { m_colourRadio->setChecked(true); });
    connect(m_browse, &QPushButton::clicked, this, [this] { browse(); });
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_buttons, &QDialogButtonBox::helpRequested, this, [this] { help(); });
}

QPushButton* TwPaletteSettingsDlg::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

void TwPaletteSettingsDlg::updateOk()
{
    okButton()->setEnabled(!m_title->text().isEmpty());
}

void TwPaletteSettingsDlg::showPicturePath()
{
    if (m_data.picturePath.isEmpty()) {
        m_preview.Unload();
        m_pathLabel->setText(m_data.PictureLabel());
    } else {
        m_pathLabel->setText(VkFitPathToWidth(m_data.picturePath, m_pathLabel->fontMetrics(),
                                              m_pathLabel->width() > 0 ? m_pathLabel->width() : 220));
        m_pathLabel->setToolTip(m_data.picturePath);
        m_preview.Load(m_data.picturePath);
    }
    m_previewFrame->update();
}

void TwPaletteSettingsDlg::browse()
{
    VkFileDialogRequest request;
    request.owner = this;
    request.title = TwString(IDS_TW_SELECT_PICTURE);
    request.okText = TwString(IDS_TW_SELECT);
    request.initialDir = QString::fromStdString(VkPersonalFolder().string());
    request.defaultExt = TwString(IDS_TW_PICTURE_DEFEXT);
    request.filter = TwString(IDS_TW_PICTURE_FILTER);
    request.mustExist = true;
    if (VkModalService::FileDialog(request))
        choosePicture(request.path);
}

void TwPaletteSettingsDlg::choosePicture(const QString& path)
{
    m_data.picturePath = path;
    VkPicture probe;
    if (!probe.Load(path)) {
        const QString text =
            QString::fromStdString(TwStrings().Format(IDS_TW_BAD_PICTURE, path.toUtf8().constData()));
        VkModalService::MessageBox(this, text, m_appTitle, MB_OK | MB_ICONSTOP);
        m_colourRadio->setChecked(true);
    } else {
        m_picture->setChecked(true);
    }
    // The path is shown either way; OK without a usable picture keeps the
    // colour because the colour button is selected.
    showPicturePath();
    updateOk();
}

void TwPaletteSettingsDlg::help()
{
    const std::filesystem::path file =
        (VkProgramFolder() / TwStrings().Load(IDS_TW_PALETTE_HELP_FILE)).generic_string();
    std::string normal = file.string();
    for (char& c : normal)
        if (c == '\\')
            c = '/';
    VkHtmlHelp(this, std::filesystem::path(normal).lexically_normal(), HH_DISPLAY_TOPIC,
               TwStrings().Load(IDS_TW_PALETTE_HELP_TOPIC).c_str());
}

void TwPaletteSettingsDlg::accept()
{
    if (m_title->text().isEmpty())
        return;
    m_data.title = m_title->text();
    m_data.colour = VkRefFromColor(m_colour->colour());
    m_data.radio = m_picture->isChecked() ? TwPaletteSettings::RadioPicture : TwPaletteSettings::RadioColour;
    m_data.autoLoad = m_autoLoad->isChecked();
    m_data.autoSave = m_autoSave->isChecked();
    m_data.Confirm();
    QDialog::accept();
}
