// A prompter for tests: answers from queues filled beforehand, records every
// call and never blocks. A call without a queued answer gets Cancel or
// nothing.
#pragma once

#include "core/Prompter.h"

#include <QList>
#include <QQueue>
#include <functional>

class ScriptedPrompter final : public Prompter
{
public:
    enum class Kind { MessageBox, OpenFile, OpenFiles, SaveFile, ChooseFolder };

    struct Call
    {
        Kind kind;
        QObject *owner = nullptr;
        QString text; // message boxes
        QString caption;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        QString directory; // file choosers: start folder or suggestion
        QString filter;
    };

    void queueButton(Button button) { m_buttons.enqueue(button); }
    void queueOpenFile(const QString &path) { m_paths[int(Kind::OpenFile)].enqueue({ path }); }
    void queueOpenFiles(const QStringList &paths) { m_paths[int(Kind::OpenFiles)].enqueue(paths); }
    void queueSaveFile(const QString &path) { m_paths[int(Kind::SaveFile)].enqueue({ path }); }
    void queueFolder(const QString &path) { m_paths[int(Kind::ChooseFolder)].enqueue({ path }); }

    // Runs while each prompt is "open", before its answer is taken: what the
    // program may meet when it gets control back (a peer that left...).
    void setWhileOpen(std::function<void(const Call &)> action) { m_whileOpen = std::move(action); }

    const QList<Call> &calls() const { return m_calls; }
    qsizetype count(Kind kind) const;
    // True when every queued answer was taken.
    bool exhausted() const;
    void clear();

    Button messageBox(QObject *owner, const QString &text, const QString &caption, Buttons buttons, Icon icon) override;
    QString openFile(QObject *owner, const QString &caption, const QString &directory, const QString &filter) override;
    QStringList openFiles(
        QObject *owner, const QString &caption, const QString &directory, const QString &filter) override;
    QString saveFile(QObject *owner, const QString &caption, const QString &suggestion, const QString &filter) override;
    QString chooseFolder(QObject *owner, const QString &caption, const QString &directory) override;

private:
    QStringList answerFor(
        Kind kind, QObject *owner, const QString &caption, const QString &directory, const QString &filter);

    QList<Call> m_calls;
    std::function<void(const Call &)> m_whileOpen;
    QQueue<Button> m_buttons;
    QQueue<QStringList> m_paths[5];
};
