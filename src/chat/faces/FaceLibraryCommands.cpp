#include "chat/faces/FaceLibraryCommands.h"

#include "chat/faces/CEditFaceDlg.h"
#include "chat/faces/CFaceProgressDlg.h"
#include "core/Prompter.h"

void AddCustomFacesFromFiles(const FaceStore &store, QWidget *owner)
{
    const QStringList files = Prompter::current().openFiles(owner, QStringLiteral("增加表情"), QString(),
        Prompter::filterFromWindows(u"BMP,JPG,GIF图像文件(*.bmp;*.jpg;*.gif)|*.bmp;*.jpg;*.gif||"));
    if (files.isEmpty())
        return;
    store.Prepare();
    CFaceProgressDlg progress(QStringLiteral("增加"), owner);
    progress.Create();
    const FaceStore::BatchResult result = store.AddFiles(files, &progress, owner, QStringLiteral("增加至自定义表情文件 "));
    progress.Destroy();
    Prompter &prompter = Prompter::current();
    if (result.failed == 0)
        prompter.messageBox(owner, QStringLiteral("成功增加了 %1 个表情至表情库.").arg(result.added),
            QStringLiteral("增加成功"), Prompter::Buttons::Ok, Prompter::Icon::Information);
    else
        prompter.messageBox(owner,
            QStringLiteral("成功增加了 %1 个表情至表情库. %2 个增加失败!").arg(result.added).arg(result.failed),
            QStringLiteral("部分增加成功"), Prompter::Buttons::Ok, Prompter::Icon::Information);
}

FaceLibraryDialogAdder::FaceLibraryDialogAdder(FaceStore store)
    : m_store(std::move(store))
{
}

bool FaceLibraryDialogAdder::AddPictureAsFace(QWidget *owner, quint32 id, const QString &path, const QString &shortcut)
{
    CEditFaceDlg dialog(owner);
    dialog.SetCaption(QStringLiteral("新增自定义表情"));
    dialog.SetPicturePath(path);
    dialog.SetName(shortcut);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    m_store.Prepare();
    FaceStore::AddRequest request;
    request.id = id;
    request.tip = dialog.name();
    request.shortcut = shortcut;
    return m_store.AddCustomFaceWithMessages(request, owner);
}
