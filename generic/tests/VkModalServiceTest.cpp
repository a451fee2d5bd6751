#include "generic/VkModalScript.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

TEST(VkModalService, WindowsFiltersBecomeQtFilters)
{
    struct Case {
        const char* windows;
        QStringList qt;
    };
    const Case cases[] = {
        {"Quorvane Palette Files (*.qvp)|*.qvp|All Files (*.*)|*.*||",
         {"Quorvane Palette Files (*.qvp)", "All Files (*.*)"}},
        {"Picture Files (*.bmp; *.gif; *.jpg)|*.bmp;*.gif; *.jpg|GIF Files (*.gif)|*.gif||",
         {"Picture Files (*.bmp *.gif *.jpg)", "GIF Files (*.gif)"}},
        {"", {}},
        {"Dangling|", {}},
    };
    for (const Case& k : cases)
        EXPECT_EQ(VkModalService::QtFilters(k.windows), k.qt) << k.windows;
}

TEST(VkModalScript, AnswersInOrderAndRecordsRequests)
{
    VkModalScript script;
    script.AnswerMessage(IDYES);
    script.AnswerFile("/tmp/chosen.qvp");
    script.AnswerFile(QString());

    EXPECT_EQ(VkModalService::MessageBox(nullptr, "Save?", "Quorvane", MB_YESNOCANCEL | MB_ICONQUESTION), IDYES);
    VkFileDialogRequest open;
    open.defaultExt = "qvp";
    EXPECT_TRUE(VkModalService::FileDialog(open));
    EXPECT_EQ(open.path, "/tmp/chosen.qvp");
    VkFileDialogRequest second;
    EXPECT_FALSE(VkModalService::FileDialog(second));
    EXPECT_TRUE(script.Exhausted());
    EXPECT_EQ(script.Unexpected(), 0);

    // Unscripted requests get the cautious answer and are counted.
    EXPECT_EQ(VkModalService::MessageBox(nullptr, "Again?", "Quorvane", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(VkModalService::MessageBox(nullptr, "Note", "Quorvane", MB_OK), IDOK);
    EXPECT_EQ(script.Unexpected(), 2);

    ASSERT_EQ(script.Messages().size(), 3u);
    EXPECT_EQ(script.Messages()[0].text, "Save?");
    EXPECT_EQ(script.Messages()[0].caption, "Quorvane");
    EXPECT_EQ(script.Messages()[0].style & MB_ICONMASK, MB_ICONQUESTION);
    ASSERT_EQ(script.FileDialogs().size(), 2u);
    EXPECT_EQ(script.FileDialogs()[0].defaultExt, "qvp");
}

// A dialog whose OK refuses while its box is unchecked.
class GuardedDialog : public QDialog {
public:
    GuardedDialog()
    {
        auto* layout = new QVBoxLayout(this);
        box = new QCheckBox("Sure", this);
        buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        layout->addWidget(box);
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    }
    void accept() override
    {
        if (box->isChecked())
            QDialog::accept();
    }
    void showEvent(QShowEvent* e) override
    {
        shown = true;
        QDialog::showEvent(e);
    }
    QCheckBox* box;
    QDialogButtonBox* buttons;
    bool shown = false;
};

TEST(VkModalScript, DialogsAreShownAndEndThroughTheirOwnChecks)
{
    VkModalScript script;
    script.AnswerDialog([](QDialog* d) {
        auto* g = static_cast<GuardedDialog*>(d);
        EXPECT_TRUE(g->shown);
        g->buttons->button(QDialogButtonBox::Ok)->click();
        EXPECT_TRUE(g->isVisible()); // refused
        g->box->setChecked(true);
        g->buttons->button(QDialogButtonBox::Ok)->click();
        return QDialog::Accepted;
    });
    script.AnswerDialog([](QDialog*) { return QDialog::Accepted; }); // box unchecked: refused
    script.AnswerDialog([](QDialog*) { return QDialog::Rejected; });

    GuardedDialog a, b, c;
    EXPECT_EQ(VkModalService::DoModal(&a), QDialog::Accepted);
    EXPECT_FALSE(a.isVisible());
    EXPECT_EQ(VkModalService::DoModal(&b), QDialog::Rejected);
    EXPECT_FALSE(b.isVisible());
    c.box->setChecked(true);
    EXPECT_EQ(VkModalService::DoModal(&c), QDialog::Rejected);
    ASSERT_EQ(script.Dialogs().size(), 3u);

}

TEST(VkModalScript, RestoresThePreviousAnswerer)
{
    EXPECT_EQ(VkModalService::Answerer(), nullptr);
    {
        VkModalScript outer;
        {
            VkModalScript inner;
            EXPECT_EQ(VkModalService::Answerer(), &inner);
        }
        EXPECT_EQ(VkModalService::Answerer(), &outer);
    }
    EXPECT_EQ(VkModalService::Answerer(), nullptr);
}

} // namespace
