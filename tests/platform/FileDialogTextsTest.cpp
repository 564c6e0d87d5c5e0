#include "TestEnv.h"
#include "platform/FileDialogTexts.h"
#include "platform/QtPrompter.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLibraryInfo>
#include <QLocale>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

QString u(const char *s) { return QString::fromUtf8(s); }

// The program's own file dialog, opened through the prompter, speaks the
// program's language in its columns whatever the environment's locale
// (the test runs under C): sizes as the transfers write them, dates of the
// default locale, folders by the dialog's translation.
TEST(QtPrompter, FileDialogColumnsInTheProgramsLanguage)
{
    const QLocale before;
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    QTranslator qt;
    const bool translated
        = qt.load(chinese, QStringLiteral("qt"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && QCoreApplication::installTranslator(&qt);

    const QDir dir(TestEnv::freshDir(QStringLiteral("filedialog")));
    dir.mkdir(QStringLiteral("子目录"));
    {
        QFile f(dir.filePath(QStringLiteral("a.txt")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(9770, 'k'));
    }
    const QDateTime stamp(QDate(2026, 12, 7), QTime(9, 30));
    {
        QFile f(dir.filePath(QStringLiteral("a.txt")));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }

    QStringList file, folder;
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        sawDialog = true;
        QAbstractItemModel *shown = dialog->proxyModel();
        auto *files = shown ? qobject_cast<QFileSystemModel *>(dialog->proxyModel()->sourceModel()) : nullptr;
        if (files) {
            const auto row = [&](const QString &path) {
                QStringList texts;
                QModelIndex source = files->index(path);
                for (int k = 0; k < 100 && !source.isValid(); ++k) {
                    QTest::qWait(20);
                    source = files->index(path);
                }
                const QModelIndex index = dialog->proxyModel()->mapFromSource(source);
                for (int column = 1; column < 4; ++column)
                    texts << index.siblingAtColumn(column).data().toString();
                return texts;
            };
            file = row(dir.filePath(QStringLiteral("a.txt")));
            folder = row(dir.filePath(QStringLiteral("子目录")));
        }
        dialog->reject();
    });
    QtPrompter prompter;
    EXPECT_TRUE(prompter.openFile(nullptr, u("打开"), dir.path(), QStringLiteral("All Files (*)")).isEmpty());
    ASSERT_TRUE(sawDialog);
    ASSERT_EQ(file.size(), 3);
    EXPECT_EQ(file[0], QStringLiteral("10 KB"));
    EXPECT_EQ(file[2], chinese.toString(stamp, QLocale::ShortFormat));
    EXPECT_FALSE(file[2].contains(QStringLiteral("Dec")));
    ASSERT_EQ(folder.size(), 3);
    EXPECT_TRUE(folder[0].isEmpty());
    if (translated) {
        EXPECT_EQ(folder[1], u("文件夹"));
    }

    if (translated)
        QCoreApplication::removeTranslator(&qt);
    QLocale::setDefault(before);
}

} // namespace
