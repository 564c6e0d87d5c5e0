#include "platform/DialogFolders.h"
#include "platform/QtPrompter.h"
#include "TestEnv.h"
#include "platform/ScriptedPrompter.h"
#include "platform/WindowTitleRoom.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}
using Button = Prompter::Button;
using Kind = ScriptedPrompter::Kind;

// The file dialogs never start in the working folder: the caller's folder,
// else the last folder of that kind of file, else home.
TEST(DialogFolders, StartFolders)
{
    DialogFolders folders;
    const QString pics = TestEnv::freshDir(QStringLiteral("dlg-pics"));
    const QString docs = TestEnv::freshDir(QStringLiteral("dlg-docs"));
    const QString bmp = QStringLiteral("BMP (*.bmp)");
    const QString all = QStringLiteral("All Files (*)");

    EXPECT_EQ(folders.start(bmp, QString()), QDir::homePath());
    EXPECT_EQ(folders.start(bmp, u("图.bmp")), QDir::homePath() + u("/图.bmp"));
    EXPECT_EQ(folders.start(bmp, docs), docs);
    EXPECT_EQ(folders.start(bmp, docs + u("/a.bmp")), docs + u("/a.bmp"));

    folders.chosenFile(bmp, pics + u("/a.bmp"));
    EXPECT_EQ(folders.start(bmp, QString()), pics);
    EXPECT_EQ(folders.start(bmp, u("b.bmp")), pics + u("/b.bmp"));
    // Another kind keeps its own folder; the caller's folder still wins.
    EXPECT_EQ(folders.start(all, QString()), QDir::homePath());
    EXPECT_EQ(folders.start(bmp, docs), docs);
    // A cancelled dialog changes nothing.
    folders.chosenFile(bmp, QString());
    EXPECT_EQ(folders.start(bmp, QString()), pics);

    folders.chosenFolder(all, docs);
    EXPECT_EQ(folders.start(all, QString()), docs);
    // A remembered folder that went away falls back to home.
    ASSERT_TRUE(QDir(pics).removeRecursively());
    EXPECT_EQ(folders.start(bmp, QString()), QDir::homePath());
}

TEST(ScriptedPrompter, AnswersFromQueuesAndRecordsCalls)
{
    // Before anything is installed nobody is asked and nothing is chosen.
    EXPECT_EQ(Prompter::current().messageBox(nullptr, u("x"), u("y")), Button::Cancel);

    ScriptedPrompter script;
    {
        PrompterScope scope(script);
        script.queueButton(Button::Yes);
        script.queueOpenFiles({ u("/a"), u("/b") });
        script.queueSaveFile(u("/s"));
        EXPECT_TRUE(Prompter::current().askYesNo(nullptr, u("删除?"), u("消息")));
        EXPECT_FALSE(Prompter::current().askYesNo(nullptr, u("again"), u("消息"))); // unanswered
        EXPECT_EQ(Prompter::current().openFiles(nullptr, u("文件"), u("/home"), u("All Files (*)")),
            QStringList({ u("/a"), u("/b") }));
        EXPECT_EQ(Prompter::current().saveFile(nullptr, {}, u("/tmp/x.txt"), {}), u("/s"));
        ShowLastErrorBox(u"CryptImportKey", nullptr, 0x57);
    }
    EXPECT_TRUE(script.exhausted());
    ASSERT_EQ(script.calls().size(), 5);
    EXPECT_EQ(script.count(Kind::MessageBox), 3);
    EXPECT_EQ(script.calls()[0].buttons, Prompter::Buttons::YesNo);
    EXPECT_EQ(script.calls()[3].directory, u("/tmp/x.txt"));
    const auto &error = script.calls().back();
    EXPECT_EQ(error.text, u("CryptImportKey error = 57"));
    EXPECT_EQ(error.caption, u("消息"));
    // The scope put the silent prompter back.
    EXPECT_EQ(Prompter::current().messageBox(nullptr, u("x"), u("y")), Button::Cancel);
}

TEST(Prompter, WindowsFiltersBecomeQtFilters)
{
    EXPECT_EQ(Prompter::filterFromWindows(u"All Files (*.*)|*.*||"), u("All Files (*)"));
    EXPECT_EQ(Prompter::filterFromWindows(u"图片(*.bmp;*.jpg)|*.bmp; *.jpg|All Files (*.*)|*.*||"),
        u("图片 (*.bmp *.jpg);;All Files (*)"));
}

// Presses a button of the message box once it is shown; gives up by closing
// every window so that a test never hangs.
void pressWhenShown(QMessageBox::StandardButton which)
{
    auto *timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, which] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            box->button(which)->click();
        } else if (++*tries > 200) {
            timer->deleteLater();
            QApplication::closeAllWindows();
        }
    });
    timer->start(10);
}

TEST(QtPrompter, MapsThePressedButton)
{
    QtPrompter prompter;
    pressWhenShown(QMessageBox::No);
    EXPECT_EQ(prompter.messageBox(nullptr, u("t"), u("c"), Prompter::Buttons::YesNoCancel, Prompter::Icon::Question),
        Button::No);
    EXPECT_EQ(static_cast<int>(Button::Yes), 6); // IDYES, where results are stored as numbers
}

// A name with markup is shown as written: the box never takes it as rich
// text, so "<img src=/dev/zero>" loads nothing.
TEST(QtPrompter, ShowsTextAsWritten)
{
    QtPrompter prompter;
    const QString name = u("<img src=/dev/zero><b>&#47;x</b>");
    auto seen = std::make_shared<QString>();
    auto format = std::make_shared<Qt::TextFormat>(Qt::RichText);
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, seen, format] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            *format = box->textFormat();
            *seen = box->text();
            box->button(QMessageBox::Ok)->click();
        }
    });
    timer->start(10);
    prompter.messageBox(nullptr, name, name, Prompter::Buttons::Ok, Prompter::Icon::Warning);
    EXPECT_EQ(*format, Qt::PlainText);
    EXPECT_EQ(*seen, name);
}

// A short text under a long caption: the box is as wide as the title bar
// needs, and a long text still sets the width itself.
TEST(QtPrompter, TheBoxIsWideEnoughForItsCaption)
{
    QtPrompter prompter;
    for (const QString &caption : { u("提示"), u("文件共享设置(支持文件拖放)"), u("/home/用户/下载/很长的文件夹名字/另一个文件夹") }) {
        for (const QString &text : { u("设置成功！"), u("创建文件失败"), QString(60, QLatin1Char('x')) }) {
            auto width = std::make_shared<int>(0);
            auto *timer = new QTimer;
            QObject::connect(timer, &QTimer::timeout, [timer, width] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    timer->deleteLater();
                    *width = box->width();
                    box->button(QMessageBox::Ok)->click();
                }
            });
            timer->start(10);
            prompter.messageBox(nullptr, text, caption, Prompter::Buttons::Ok, Prompter::Icon::Information);
            EXPECT_GE(*width, WindowTitleRoom::TitleBarWidth(caption)) << caption.toStdString() << " / " << text.toStdString();
            EXPECT_GE(*width, QFontMetrics(QApplication::font()).horizontalAdvance(text)) << text.toStdString();
        }
    }
}

} // namespace
