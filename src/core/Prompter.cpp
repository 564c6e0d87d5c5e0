#include "core/Prompter.h"

#include <atomic>

namespace {

class SilentPrompter final : public Prompter
{
public:
    Button messageBox(QObject *, const QString &, const QString &, Buttons, Icon) override { return Button::Cancel; }
    QString openFile(QObject *, const QString &, const QString &, const QString &) override { return {}; }
    QStringList openFiles(QObject *, const QString &, const QString &, const QString &) override { return {}; }
    QString saveFile(QObject *, const QString &, const QString &, const QString &) override { return {}; }
    QString chooseFolder(QObject *, const QString &, const QString &) override { return {}; }
};

SilentPrompter g_silent;
std::atomic<Prompter *> g_current { nullptr };

} // namespace

bool Prompter::askYesNo(QObject *owner, const QString &text, const QString &caption)
{
    return messageBox(owner, text, caption, Buttons::YesNo, Icon::Question) == Button::Yes;
}

Prompter &Prompter::current()
{
    Prompter *p = g_current.load();
    return p ? *p : g_silent;
}

Prompter *Prompter::setCurrent(Prompter *prompter)
{
    return g_current.exchange(prompter);
}

QString Prompter::filterFromWindows(QStringView filter)
{
    const auto parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringView description = parts[i].trimmed();
        if (description.isEmpty())
            break;
        // The patterns shown in the description are replaced by the real ones.
        if (description.endsWith(QLatin1Char(')')) && description.lastIndexOf(QLatin1Char('(')) > 0)
            description = description.first(description.lastIndexOf(QLatin1Char('('))).trimmed();
        QStringList patterns;
        for (QStringView pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            pattern = pattern.trimmed();
            patterns.append(pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern.toString());
        }
        out.append(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return out.join(QStringLiteral(";;"));
}

QString LastErrorText(QStringView name, int error)
{
    return QStringLiteral("%1 error = %2").arg(name, QString::number(static_cast<uint>(error), 16));
}

void ShowLastErrorBox(QStringView name, QObject *owner, int error)
{
    Prompter::current().messageBox(owner, LastErrorText(name, error), QStringLiteral("消息"));
}
