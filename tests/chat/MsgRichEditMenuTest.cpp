#include "ChatTestUtil.h"
#include "TestEnv.h"
#include "chat/CMsgRichEdit.h"
#include "chat/PictureFileCommands.h"
#include "net/PictureStore.h"
#include "chat/faces/FaceLibraryAdder.h"
#include "core/CConfig.h"
#include "platform/ScriptedPrompter.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QStringList commands(QMenu *menu, bool enabledOnly = false)
{
    QStringList out;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            out.append(QStringLiteral("-"));
        else if (!enabledOnly || action->isEnabled())
            out.append(action->objectName());
    }
    delete menu;
    return out;
}

class RecordingAdder final : public FaceLibraryAdder
{
public:
    bool AddPictureAsFace(QWidget *, quint32 id, const QString &path, const QString &shortcut) override
    {
        calls.append(QStringLiteral("%1 %2 %3").arg(id).arg(QFileInfo(path).fileName(), shortcut));
        existed = QFile::exists(path);
        return answer;
    }
    QStringList calls;
    bool answer = false;
    bool existed = false;
};

class MsgRichEditMenuTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = TestEnv::freshDir(QStringLiteral("menu"));
        PictureStore::SetProgramFolder(dir + QStringLiteral("/kwel"));
        QGuiApplication::clipboard()->clear();
    }
    void TearDown() override { PictureStore::SetProgramFolder(QString()); }
    void selectObject(int position)
    {
        QTextCursor cursor(edit.document());
        cursor.setPosition(position);
        cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
        edit.setTextCursor(cursor);
    }
    QString dir;
    CMsgRichEdit edit;
    ScriptedPrompter prompter;
    PrompterScope scope { prompter };
};

} // namespace

TEST_F(MsgRichEditMenuTest, ItemsFollowTheModeAndTheSelection)
{
    CConfig config(dir + QStringLiteral("/settings.ini"));
    config.ShowInputStatus = 0;
    EXPECT_EQ(commands(edit.CreateContextMenu(nullptr)),
        QStringList({ u"32787"_s, u"-"_s, u"32788"_s, u"32789"_s, u"32790"_s, u"-"_s, u"32791"_s, u"-"_s, u"32792"_s,
            u"-"_s, u"32793"_s }));
    // Empty box: nothing to cut, copy, clear or select.
    EXPECT_EQ(
        commands(edit.CreateContextMenu(nullptr), true), QStringList({ u"-"_s, u"-"_s, u"-"_s, u"-"_s, u"32793"_s }));

    edit.SetConfig(&config);
    edit.InsertTextWithFaces(u"ab", 0);
    edit.InsertPicture(ChatTest::patternImage(4, 4, 0), 0x3e8);
    QStringList enabled = commands(edit.CreateContextMenu(nullptr), true);
    EXPECT_TRUE(enabled.contains(u"32792"_s)); // select all
    EXPECT_TRUE(enabled.contains(u"32794"_s)); // input status
    EXPECT_FALSE(enabled.contains(u"32789"_s)); // no selection, no copy
    edit.OnMenuCommand(CMsgRichEdit::CmdInputStatus);
    EXPECT_EQ(config.ShowInputStatus, 1);
    edit.OnMenuCommand(CMsgRichEdit::CmdSelectAll);
    enabled = commands(edit.CreateContextMenu(nullptr), true);
    EXPECT_FALSE(enabled.contains(u"32792"_s)); // everything is selected already
    EXPECT_FALSE(enabled.contains(u"32797"_s)); // text and a picture: not one picture

    // One static picture selected in the history view.
    edit.SetViewMode(CMsgRichEdit::HistoryView);
    selectObject(2);
    EXPECT_EQ(commands(edit.CreateContextMenu(nullptr)),
        QStringList({ u"32789"_s, u"-"_s, u"32798"_s, u"-"_s, u"32792"_s, u"-"_s, u"32795"_s, u"-"_s, u"32797"_s,
            u"32796"_s }));
    edit.OnMenuCommand(CMsgRichEdit::CmdCopyAsBitmap);
    EXPECT_TRUE(ChatTest::sameRgb(QGuiApplication::clipboard()->image(), ChatTest::patternImage(4, 4, 0)));

    QSignalSpy font(&edit, &CMsgRichEdit::fontCommand);
    edit.OnMenuCommand(CMsgRichEdit::CmdFont);
    EXPECT_EQ(font.count(), 1);
    edit.OnMenuCommand(CMsgRichEdit::CmdClearContent);
    EXPECT_TRUE(edit.document()->isEmpty());
}

TEST_F(MsgRichEditMenuTest, SavesPicturesInTheFormatsItOffers)
{
    const QImage picture = ChatTest::patternImage(6, 5, qRgb(0, 128, 255));
    edit.InsertPicture(picture, 0x3e8);
    selectObject(0);
    const QString out = TestEnv::freshDir(QStringLiteral("saved"));

    prompter.queueSaveFile(out + QStringLiteral("/pic"));
    edit.OnMenuCommand(CMsgRichEdit::CmdSaveAs);
    EXPECT_TRUE(ChatTest::sameRgb(QImage(out + QStringLiteral("/pic.bmp")), picture));
    ASSERT_EQ(prompter.count(ScriptedPrompter::Kind::SaveFile), 1);
    EXPECT_TRUE(prompter.calls()[0].filter.contains(u"*.jpg"));
    EXPECT_EQ(prompter.calls().last().text, u"保存成功!");

    prompter.queueSaveFile(out + QStringLiteral("/pic.jpg"));
    edit.OnMenuCommand(CMsgRichEdit::CmdSaveAs);
    EXPECT_TRUE(TestEnv::readAll(out + QStringLiteral("/pic.jpg")).startsWith("\xFF\xD8"));

    // A stored bitmap is copied; a name that already ends in ".bmp" keeps it.
    const QString stored = GetPicturePath(0x3e8, PictureFileKind::Bitmap, kRecvFaceFolder, false);
    QDir().mkpath(FaceFolderPath(kRecvFaceFolder));
    ASSERT_TRUE(TestEnv::writeAll(stored, QByteArrayLiteral("BMstored")));
    prompter.queueSaveFile(out + QStringLiteral("/copy.BMP"));
    edit.OnMenuCommand(CMsgRichEdit::CmdSaveAs);
    EXPECT_EQ(TestEnv::readAll(out + QStringLiteral("/copy.BMP")), QByteArrayLiteral("BMstored"));

    // An animated picture without its GIF cannot be saved; a cancelled dialog says nothing.
    prompter.clear();
    SavePictureAs(nullptr, 0x3e9, true, QImage());
    EXPECT_EQ(prompter.calls().last().text, u"保存失败.");
    prompter.clear();
    edit.OnMenuCommand(CMsgRichEdit::CmdSaveAs);
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::MessageBox), 0);
}

TEST_F(MsgRichEditMenuTest, AddsPicturesToTheFaceLibrary)
{
    RecordingAdder adder;
    FaceLibraryAdder::setCurrent(&adder);
    edit.InsertPicture(ChatTest::patternImage(6, 6, 0), 0x3e8);
    selectObject(0);
    const QString sent = GetPicturePath(0x3e8, PictureFileKind::Bitmap, kSendFaceFolder, false);

    // No stored file: written to SendFace for the dialog, removed when not added.
    edit.OnMenuCommand(CMsgRichEdit::CmdAddToFaces);
    EXPECT_EQ(adder.calls, QStringList({ u"1000 000003e8.bmp 000003e8"_s }));
    EXPECT_TRUE(adder.existed);
    EXPECT_FALSE(QFile::exists(sent));
    adder.answer = true;
    edit.OnMenuCommand(CMsgRichEdit::CmdAddToFaces);
    EXPECT_TRUE(QFile::exists(sent));

    // An animated picture needs its GIF.
    FaceLibraryAdder::setCurrent(nullptr);
    AddPictureToFaces(nullptr, 0x3e9, true, QImage());
    EXPECT_EQ(prompter.calls().last().text, u"增加至自定义表情出错,未找到相应表情.");
    EXPECT_EQ(prompter.calls().last().caption, u"增加失败");
}
