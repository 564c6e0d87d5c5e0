#include "core/SaveFileChoice.h"

#include "core/PathUtil.h"
#include "core/Prompter.h"

#include <QFileInfo>

SaveFileType StillPictureFile()
{
    return { QStringLiteral("bmp"), { QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("jpeg") } };
}

QString WithSaveExtension(const QString &chosen, const SaveFileType &type)
{
    const QString extension = GetPathExtension(chosen).toLower();
    const bool keeps = type.kept.isEmpty() ? !extension.isEmpty() : type.kept.contains(extension);
    if (keeps || type.extension.isEmpty())
        return chosen;
    return chosen + QLatin1Char('.') + type.extension;
}

QString ChooseSaveFile(
    QObject *owner, const QString &caption, const QString &suggestion, const QString &filter, const SaveFileType &type)
{
    Prompter &prompter = Prompter::current();
    const QString chosen = prompter.saveFile(owner, caption, suggestion, filter);
    if (chosen.isEmpty())
        return {};
    const QString path = WithSaveExtension(chosen, type);
    if (path != chosen && QFileInfo::exists(path)) {
        const QString question = QStringLiteral("%1 已存在。\n要替换它吗?").arg(QFileInfo(path).fileName());
        if (prompter.messageBox(owner, question, QStringLiteral("确认另存为"), Prompter::Buttons::YesNo,
                Prompter::Icon::Warning)
            != Prompter::Button::Yes)
            return {};
    }
    return path;
}
