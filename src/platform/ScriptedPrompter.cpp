#include "platform/ScriptedPrompter.h"

qsizetype ScriptedPrompter::count(Kind kind) const
{
    qsizetype n = 0;
    for (const Call &c : m_calls)
        n += c.kind == kind ? 1 : 0;
    return n;
}

bool ScriptedPrompter::exhausted() const
{
    for (const auto &queue : m_paths)
        if (!queue.isEmpty())
            return false;
    return m_buttons.isEmpty();
}

void ScriptedPrompter::clear()
{
    m_calls.clear();
    m_buttons.clear();
    for (auto &queue : m_paths)
        queue.clear();
}

Prompter::Button ScriptedPrompter::messageBox(
    QObject *owner, const QString &text, const QString &caption, Buttons buttons, Icon icon)
{
    m_calls.append(Call { Kind::MessageBox, owner, text, caption, buttons, icon, {}, {} });
    if (m_whileOpen)
        m_whileOpen(m_calls.constLast());
    return m_buttons.isEmpty() ? Button::Cancel : m_buttons.dequeue();
}

QStringList ScriptedPrompter::answerFor(
    Kind kind, QObject *owner, const QString &caption, const QString &directory, const QString &filter)
{
    m_calls.append(Call { kind, owner, {}, caption, Buttons::Ok, Icon::None, directory, filter });
    if (m_whileOpen)
        m_whileOpen(m_calls.constLast());
    auto &queue = m_paths[int(kind)];
    return queue.isEmpty() ? QStringList() : queue.dequeue();
}

QString ScriptedPrompter::openFile(
    QObject *owner, const QString &caption, const QString &directory, const QString &filter)
{
    return answerFor(Kind::OpenFile, owner, caption, directory, filter).value(0);
}

QStringList ScriptedPrompter::openFiles(
    QObject *owner, const QString &caption, const QString &directory, const QString &filter)
{
    return answerFor(Kind::OpenFiles, owner, caption, directory, filter);
}

QString ScriptedPrompter::saveFile(
    QObject *owner, const QString &caption, const QString &suggestion, const QString &filter)
{
    return answerFor(Kind::SaveFile, owner, caption, suggestion, filter).value(0);
}

QString ScriptedPrompter::chooseFolder(QObject *owner, const QString &caption, const QString &directory)
{
    return answerFor(Kind::ChooseFolder, owner, caption, directory, {}).value(0);
}
