// The face picker, the face manager and the rich edit's "添加到表情库(&T)"
// as the user drives them.
#include "chat/ChatTestUtil.h"
#include "TestEnv.h"
#include "chat/CMsgRichEdit.h"
#include "chat/faces/CEditFaceDlg.h"
#include "chat/faces/CFaceManagerDlg.h"
#include "chat/faces/CFacePickerDlg.h"
#include "chat/faces/CFaceProgressDlg.h"
#include "chat/faces/FaceLibraryCommands.h"
#include "chat/facestore/FaceStore.h"
#include "core/PictureId.h"
#include "platform/ScriptedPrompter.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

struct Library
{
    explicit Library(const QString &name)
        : root(TestEnv::freshDir(name))
        , store(PictureStore(root + QStringLiteral("/kwel")))
    {
        store.Prepare();
        PictureStore::SetProgramFolder(root + QStringLiteral("/kwel"));
    }
    ~Library() { PictureStore::SetProgramFolder(QString()); }
    quint32 add(const QString &tip, QColor color = Qt::red)
    {
        const QString path = root + QStringLiteral("/") + tip + QStringLiteral(".gif");
        ChatTest::writeGif(path, { color, Qt::white });
        FaceStore::AddRequest r;
        r.source = path;
        r.tip = tip;
        quint32 id = 0;
        store.AddCustomFace(r, &id);
        return id;
    }
    QList<FaceEntry> faces() const
    {
        QList<FaceEntry> list;
        store.index().Read(list);
        return list;
    }
    QString root;
    FaceStore store;
};

// Accepts the next modal dialog once it is up.
void acceptNextDialog()
{
    QTimer::singleShot(50, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->accept();
    });
}

QPoint cellCenter(int cell)
{
    return FacePickerModel::CellFrame(cell).center();
}

} // namespace

TEST(FacePicker, PicksPagesDeletesAndAdds)
{
    Library lib(QStringLiteral("picker-window"));
    const quint32 first = lib.add(QStringLiteral("one"));
    const quint32 second = lib.add(QStringLiteral("two"), Qt::green);
    CFacePickerDlg picker;
    picker.SetStore(lib.store);
    picker.LoadFaceIndex();
    QList<QPair<QString, int>> chosen;
    picker.SetCallback([&](const QString &path, int index) { chosen.append({ path, index }); });

    // A built-in face by its index; a custom face by its picture path.
    picker.OnMouseMove(cellCenter(5));
    picker.OnLButtonDown(cellCenter(5));
    picker.OnMouseMove(cellCenter(96));
    EXPECT_EQ(picker.hoverCell(), 96);
    picker.OnLButtonDown(cellCenter(96));
    picker.OnMouseMove(cellCenter(110)); // an empty cell keeps the old hover
    EXPECT_EQ(picker.hoverCell(), 96);
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen[0], qMakePair(QString(), 5));
    EXPECT_EQ(chosen[1].second, -1);
    EXPECT_TRUE(chosen[1].first.endsWith(PictureIdText(first) + QStringLiteral(".gif")));

    // One page: previous wraps to itself, the strip shows 1/1.
    picker.OnLButtonDown(CFacePickerDlg::HotRect(1).center());
    EXPECT_EQ(picker.model().currentPage(), 1);

    // The manager picture opens the manager modally over the hidden picker.
    picker.ShowAt(QRect(300, 400, 20, 20));
    QString opened;
    QTimer::singleShot(50, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            opened = modal->windowTitle();
            modal->close();
        }
    });
    picker.OnLButtonDown(CFacePickerDlg::HotRect(0).center());
    EXPECT_EQ(opened, QStringLiteral("表情管理"));
    EXPECT_FALSE(picker.isVisible());

    // Deleting the hovered face from the context menu: that face, even when
    // the index names its file after the other face.
    const QString indexPath = lib.store.folder() + QStringLiteral("/face.xml");
    const QByteArray firstFile = PictureIdText(first).toLatin1() + ".gif";
    ASSERT_TRUE(TestEnv::writeAll(
        indexPath, TestEnv::readAll(indexPath).replace(firstFile, QByteArray(PictureIdText(second).toLatin1() + ".gif"))));
    picker.LoadFaceIndex();
    picker.OnMouseMove(cellCenter(96));
    picker.OnDeleteFace();
    ASSERT_EQ(lib.faces().size(), 1);
    EXPECT_EQ(lib.faces().first().id, second);
    EXPECT_EQ(picker.model().imageCount(), 1);

    // "增加表情": files chosen, added with the progress window, counted.
    ScriptedPrompter answers;
    const QString more = lib.root + QStringLiteral("/more.gif");
    ChatTest::writeGif(more, { Qt::yellow });
    answers.queueOpenFiles({ more });
    PrompterScope scope(answers);
    picker.OnLButtonDown(CFacePickerDlg::HotRect(3).center());
    EXPECT_EQ(lib.faces().size(), 2);
    EXPECT_EQ(picker.model().imageCount(), 2);
    ASSERT_FALSE(answers.calls().isEmpty());
    EXPECT_EQ(answers.calls().last().text, QStringLiteral("成功增加了 1 个表情至表情库."));
}

TEST(FaceManager, DeletesExportsAndImports)
{
    Library lib(QStringLiteral("manager-window"));
    lib.add(QStringLiteral("a"));
    const quint32 b = lib.add(QStringLiteral("b"), Qt::green);
    lib.add(QStringLiteral("c"), Qt::blue);
    ScriptedPrompter answers;
    PrompterScope scope(answers);

    CFaceManagerDlg manager(lib.store);
    QTreeWidget *list = manager.list();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(1)->text(1), PictureIdText(b));
    EXPECT_FALSE(list->topLevelItem(0)->icon(0).isNull()) << "each row shows its thumbnail";

    // Export of two selected faces.
    list->topLevelItem(0)->setSelected(true);
    list->topLevelItem(2)->setSelected(true);
    const QString package = lib.root + QStringLiteral("/out.kcf");
    answers.queueSaveFile(package);
    manager.findChild<QPushButton *>(QStringLiteral("1007"))->click();
    EXPECT_EQ(answers.calls().last().text, QStringLiteral("成功导出 2 个表情!"));
    EXPECT_TRUE(QFileInfo::exists(package));
    // A name without its extension: the package it names exists, so the
    // user is asked; No keeps it, Yes replaces it.
    answers.queueSaveFile(lib.root + QStringLiteral("/out"));
    answers.queueButton(Prompter::Button::No);
    manager.findChild<QPushButton *>(QStringLiteral("1007"))->click();
    EXPECT_EQ(answers.calls().last().text, QStringLiteral("out.kcf 已存在。\n要替换它吗?"));
    EXPECT_EQ(answers.calls().last().caption, QStringLiteral("确认另存为"));
    answers.queueSaveFile(lib.root + QStringLiteral("/out"));
    answers.queueButton(Prompter::Button::Yes);
    manager.findChild<QPushButton *>(QStringLiteral("1007"))->click();
    EXPECT_EQ(answers.calls().last().text, QStringLiteral("成功导出 2 个表情!"));

    // Delete the first, confirm: two remain on disk and in the index.
    list->clearSelection();
    list->topLevelItem(0)->setSelected(true);
    manager.findChild<QPushButton *>(QStringLiteral("1002"))->click();
    EXPECT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(lib.faces().size(), 3) << "nothing is written before OK";
    manager.findChild<QPushButton *>(QStringLiteral("1005"))->click();
    EXPECT_EQ(manager.result(), QDialog::Accepted);
    EXPECT_EQ(lib.faces().size(), 2);

    // Importing the package again: both ids are taken, both come in with new ids.
    CFaceManagerDlg again(lib.store);
    answers.queueOpenFile(package);
    again.findChild<QPushButton *>(QStringLiteral("1008"))->click();
    EXPECT_EQ(answers.calls().last().text, QStringLiteral("成功导入!成功导入 2 个表情"));
    EXPECT_EQ(again.list()->topLevelItemCount(), 4);

    // A file that is no package reports 0 faces.
    const QString junk = lib.root + QStringLiteral("/junk.kcf");
    TestEnv::writeAll(junk, QByteArray(100, 'x'));
    answers.queueOpenFile(junk);
    again.findChild<QPushButton *>(QStringLiteral("1008"))->click();
    EXPECT_EQ(answers.calls().last().text, QStringLiteral("成功导入!成功导入 0 个表情"));

    // The progress window: range, text, cancel.
    CFaceProgressDlg progress(QStringLiteral("导入"), &again);
    progress.Create();
    EXPECT_FALSE(again.isEnabled());
    progress.SetRange(0, 10);
    progress.SetPos(3);
    EXPECT_EQ(progress.text(), QStringLiteral("正在导入第 3 个表情，共 10 个 (30%)"));
    progress.findChild<QPushButton *>(QStringLiteral("2"))->click();
    EXPECT_TRUE(progress.CheckCancel());
    EXPECT_FALSE(progress.CheckCancel());
    progress.Destroy();
    EXPECT_TRUE(again.isEnabled());
}

TEST(FaceManager, AnIndexThatCannotBeWrittenKeepsTheEditsAndTheDialog)
{
    Library lib(QStringLiteral("manager-unwritable"));
    lib.add(QStringLiteral("a"));
    lib.add(QStringLiteral("b"), Qt::green);
    ScriptedPrompter answers;
    PrompterScope scope(answers);
    CFaceManagerDlg manager(lib.store);
    manager.show();
    manager.list()->topLevelItem(0)->setSelected(true);
    manager.findChild<QPushButton *>(QStringLiteral("1002"))->click();
    ASSERT_EQ(manager.list()->topLevelItemCount(), 1);

    // A folder in the index's place: neither "确定" nor an import may act as saved.
    const QString index = lib.store.index().path();
    const QByteArray before = TestEnv::readAll(index);
    ASSERT_TRUE(QFile::remove(index));
    ASSERT_TRUE(QDir(index).mkpath(QStringLiteral("held")));
    manager.findChild<QPushButton *>(QStringLiteral("1005"))->click();
    EXPECT_TRUE(answers.calls().last().text.startsWith(QStringLiteral("保存失败!")));
    EXPECT_TRUE(answers.calls().last().text.contains(QStringLiteral("face.xml")));
    EXPECT_TRUE(manager.isVisible());
    EXPECT_EQ(manager.list()->topLevelItemCount(), 1) << "the deletion waits for another try";
    const int calls = int(answers.calls().size());
    answers.queueOpenFile(lib.root + QStringLiteral("/any.kcf"));
    manager.findChild<QPushButton *>(QStringLiteral("1008"))->click();
    ASSERT_EQ(answers.calls().size(), calls + 2) << "the chooser, then the failure; no import";
    EXPECT_TRUE(answers.calls().last().text.startsWith(QStringLiteral("保存失败!")));

    // With the index back, "确定" writes the deletion and closes.
    ASSERT_TRUE(QDir(index).removeRecursively());
    TestEnv::writeAll(index, before);
    manager.findChild<QPushButton *>(QStringLiteral("1005"))->click();
    EXPECT_EQ(manager.result(), QDialog::Accepted);
    EXPECT_EQ(lib.faces().size(), 1);
}

TEST(FaceLibraryAdder, AddsAPictureShownInAMessage)
{
    Library lib(QStringLiteral("adder-window"));
    FaceLibraryDialogAdder adder(lib.store);
    const FaceLibraryAdder *previous = FaceLibraryAdder::setCurrent(&adder);
    ScriptedPrompter answers;
    PrompterScope scope(answers);

    // A received picture in the history: "添加到表情库(&T)" names it and adds it.
    CMsgRichEdit history;
    history.SetViewMode(CMsgRichEdit::HistoryView);
    history.InsertPicture(ChatTest::patternImage(30, 20, 9), 0x4444);
    history.selectAll();
    acceptNextDialog();
    history.OnMenuCommand(CMsgRichEdit::CmdAddToFaces);
    const QList<FaceEntry> faces = lib.faces();
    ASSERT_EQ(faces.size(), 1);
    EXPECT_EQ(faces[0].id, 0x4444u);
    EXPECT_EQ(faces[0].org, QStringLiteral("00004444.bmp"));
    ASSERT_FALSE(answers.calls().isEmpty());
    EXPECT_EQ(answers.calls().last().text, QStringLiteral("已成功添加至表情库!"));
    FaceLibraryAdder::setCurrent(const_cast<FaceLibraryAdder *>(previous));
}
