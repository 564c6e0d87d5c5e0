#include "TestEnv.h"

#include <QDir>
#include <QFile>

namespace TestEnv {

QString home()
{
    return QDir::homePath();
}

QString freshDir(const QString &name)
{
    QDir dir(home() + QStringLiteral("/work/") + name);
    dir.removeRecursively();
    dir.mkpath(QStringLiteral("."));
    return dir.absolutePath();
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool writeAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

} // namespace TestEnv
