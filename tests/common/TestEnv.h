#pragma once

#include <QString>

namespace TestEnv {
// The temporary folder that stands in for HOME during the whole test run.
QString home();
// A fresh, empty folder under the temporary HOME.
QString freshDir(const QString &name);
// Bytes of a file, or an empty array.
QByteArray readAll(const QString &path);
bool writeAll(const QString &path, const QByteArray &data);
}
