#include "TestEnv.h"
#include "platform/QtPrompter.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLibraryInfo>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

// The prompter's file dialog writes its columns in the program's language
// whatever the environment's locale (the test runs under C): sizes as the
// transfers write them, dates of the default locale, folders as translated.
TEST(QtPrompter, FileDialogColumnsInTheProgramsLanguage)
{
    const QLocale before;
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    QTranslator qt;
    ASSERT_TRUE(
        qt.load(chinese, QStringLiteral("qt"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QCoreApplication::installTranslator(&qt);
    const QDir dir(TestEnv::freshDir(QStringLiteral("filedialog")));
    dir.mkdir(QStringLiteral("sub"));
    QFile file(dir.filePath(QStringLiteral("a.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QByteArray(9770, 'k')) == 9770);
    file.close();

    QList<QStringList> rows; // a.txt, sub: size, type, date
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        auto *files = dialog && dialog->proxyModel() ? qobject_cast<QFileSystemModel *>(dialog->proxyModel()->sourceModel()) : nullptr;
        for (const QString &name : { QStringLiteral("a.txt"), QStringLiteral("sub") }) {
            QModelIndex source = files ? files->index(dir.filePath(name)) : QModelIndex();
            for (int k = 0; files && k < 100 && !source.isValid(); ++k, source = files->index(dir.filePath(name)))
                QTest::qWait(20);
            const QModelIndex shown = files ? dialog->proxyModel()->mapFromSource(source) : QModelIndex();
            rows.append({ shown.siblingAtColumn(1).data().toString(), shown.siblingAtColumn(2).data().toString(),
                shown.siblingAtColumn(3).data().toString() });
        }
        if (dialog)
            dialog->reject();
    });
    QtPrompter prompter;
    EXPECT_TRUE(prompter.openFile(nullptr, QStringLiteral("open"), dir.path(), QStringLiteral("All Files (*)")).isEmpty());
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][0], QStringLiteral("10 KB"));
    EXPECT_EQ(rows[0][2], chinese.toString(QFileInfo(file).lastModified(), QLocale::ShortFormat));
    EXPECT_EQ(rows[1], (QStringList{ QString(), QString::fromUtf8("文件夹"), rows[1][2] }));
    QCoreApplication::removeTranslator(&qt);
    QLocale::setDefault(before);
}

} // namespace
