// The face library without windows: the index, adding and deleting faces,
// page caches, packages and the manager's edits.
#include "chat/ChatTestUtil.h"
#include "TestEnv.h"
#include "chat/facestore/FaceIndex.h"
#include "chat/facestore/FaceManagerModel.h"
#include "chat/facestore/FacePickerModel.h"
#include "chat/facestore/FaceProgress.h"
#include "chat/facestore/FaceStore.h"
#include "core/BmpFile.h"
#include "core/FacePackage.h"
#include "core/Gbk.h"
#include "core/PictureId.h"
#include "platform/ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

struct Library
{
    explicit Library(const QString &name)
        : data(TestEnv::freshDir(name) + QStringLiteral("/kwel"))
        , store(PictureStore(data))
    {
        EXPECT_TRUE(store.Prepare());
    }
    // A new GIF file outside the library.
    QString gif(const QString &name, QColor color = Qt::red) const
    {
        const QString path = data + QStringLiteral("/../") + name;
        EXPECT_TRUE(ChatTest::writeGif(path, { color, Qt::blue }));
        return QFileInfo(path).absoluteFilePath();
    }
    quint32 add(const QString &source, const QString &tip = {})
    {
        FaceStore::AddRequest r;
        r.source = source;
        r.tip = tip;
        quint32 id = 0;
        EXPECT_EQ(store.AddCustomFace(r, &id), FaceStore::AddStatus::Added) << source.toStdString();
        return id;
    }
    QList<FaceEntry> faces() const
    {
        QList<FaceEntry> list;
        store.index().Read(list);
        return list;
    }
    QByteArray indexBytes() const { return TestEnv::readAll(store.index().path()); }
    QStringList files() const { return QDir(store.folder()).entryList(QDir::Files, QDir::Name); }

    QString data;
    FaceStore store;
};

struct RecordingProgress final : FaceProgress
{
    void SetRange(int lower, int upper) override { range = { lower, upper }; }
    int SetPos(int position) override { return std::exchange(pos, position); }
    bool CheckCancel() override { return cancelAt > 0 && pos >= cancelAt; }
    QPair<int, int> range;
    int pos = 0;
    int cancelAt = 0;
};

} // namespace

TEST(FaceIndex, DefaultIndexPagesAndCountsFromTheEntries)
{
    Library lib(QStringLiteral("faces-index"));
    EXPECT_EQ(lib.indexBytes(),
        QByteArray("<?xml version=\"1.0\" encoding=\"gb2312\" ?>\n<FACESETTING>\n\t<CUSTOMFACE version=\"1000\" "
                   "imagecount=\"0\" pagecount=\"1\" />\n</FACESETTING>\n"));
    EXPECT_EQ(FacePages::PageCount(0), 1);
    EXPECT_EQ(FacePages::PageCount(32), 1);
    EXPECT_EQ(FacePages::PageCount(33), 2);
    EXPECT_EQ(FacePages::PageCount(160), 2);
    EXPECT_EQ(FacePages::PageCount(161), 3);
    EXPECT_EQ(FacePages::PageOfPosition(32), 1);
    EXPECT_EQ(FacePages::PageOfPosition(33), 2);
    EXPECT_EQ(FacePages::FacePosition(1, 95), -1);
    EXPECT_EQ(FacePages::FacePosition(1, 96), 0);
    EXPECT_EQ(FacePages::FacePosition(2, 0), 32);

    // The attributes in their order, GBK on disk; a file that lies about
    // its counts is corrected by the next write.
    const FaceIndex index = lib.store.index();
    QByteArray lying = lib.indexBytes().replace("imagecount=\"0\"", "imagecount=\"99\"");
    ASSERT_TRUE(TestEnv::writeAll(index.path(), lying));
    bool newPage = true;
    int pages = 0;
    ASSERT_EQ(index.Append(FaceIndex::MakeEntry(0x3e8, QStringLiteral("gif"), QStringLiteral("微笑"), {}), &newPage, &pages),
        FaceIndex::Status::Ok);
    EXPECT_FALSE(newPage);
    EXPECT_EQ(pages, 1);
    const QByteArray bytes = lib.indexBytes();
    EXPECT_TRUE(bytes.contains("imagecount=\"1\" pagecount=\"1\""));
    const QByteArray face = QByteArray("<FACE id=\"000003e8\" shortcut=\"000003e8\" tip=\"")
        + Gbk::encode(QStringLiteral("微笑")) + QByteArray("\" org=\"000003e8.gif\" fixed=\"000003e8fixed.bmp\" />");
    EXPECT_TRUE(bytes.contains(face)) << bytes.toStdString();

    // 32 faces stay on one page; the 33rd opens the second.
    for (quint32 id = 0x3e9; id < 0x3e8 + 32; ++id)
        index.Append(FaceIndex::MakeEntry(id, QStringLiteral("bmp"), {}, {}));
    index.Append(FaceIndex::MakeEntry(0x500, QStringLiteral("bmp"), {}, {}), &newPage, &pages);
    EXPECT_TRUE(newPage);
    EXPECT_EQ(pages, 2);
    int position = 0, before = 0, after = 0;
    ASSERT_EQ(index.Remove(0x500, &position, &before, &after), FaceIndex::Status::Ok);
    EXPECT_EQ(position, 33);
    EXPECT_EQ(before, 2);
    EXPECT_EQ(after, 1);
    EXPECT_TRUE(lib.indexBytes().contains("imagecount=\"32\" pagecount=\"1\""));
    EXPECT_EQ(index.Remove(0x777, &position), FaceIndex::Status::Ok);
    EXPECT_EQ(position, 0);

    // A removed index is written anew by the next writer.
    QFile::remove(index.path());
    ASSERT_EQ(index.Append(FaceIndex::MakeEntry(0x600, QStringLiteral("gif"), {}, {})), FaceIndex::Status::Ok);
    EXPECT_EQ(lib.faces().size(), 1);
    // An index without CUSTOMFACE is refused, not overwritten.
    ASSERT_TRUE(TestEnv::writeAll(index.path(), "<?xml version=\"1.0\" encoding=\"gb2312\" ?>\n<OTHER/>\n"));
    EXPECT_EQ(index.Append(FaceIndex::MakeEntry(0x601, QStringLiteral("gif"), {}, {})), FaceIndex::Status::NoCustomFace);
}

TEST(FaceStore, AddsFacesByContentAndLeavesNothingBehindOnFailure)
{
    Library lib(QStringLiteral("faces-add"));
    const quint32 gif = lib.add(lib.gif(QStringLiteral("a.gif")), QStringLiteral("第一"));
    ASSERT_GE(gif, kFirstPictureId);
    const QString stem = PictureIdText(gif);
    const QStringList stored = lib.files();
    EXPECT_EQ(QSet<QString>(stored.cbegin(), stored.cend()),
        QSet<QString>({ stem + QStringLiteral(".gif"), stem + QStringLiteral("fixed.bmp"), QStringLiteral("face.xml") }));
    EXPECT_EQ(LoadBitmapFile(lib.store.folder() + QLatin1Char('/') + stem + QStringLiteral("fixed.bmp")).size(),
        QSize(20, 20));

    // A JPEG becomes a .bmp face.
    const QString jpeg = lib.data + QStringLiteral("/../photo.jpg");
    ASSERT_TRUE(ChatTest::patternImage(40, 30, 7).save(jpeg, "JPG"));
    const quint32 photo = lib.add(jpeg);
    EXPECT_EQ(lib.faces().last().org, PictureIdText(photo) + QStringLiteral(".bmp"));

    // Text named .gif is not a picture: no file, no entry.
    const QString fake = lib.data + QStringLiteral("/../fake.gif");
    TestEnv::writeAll(fake, "not a picture at all");
    const QStringList before = lib.files();
    FaceStore::AddRequest r;
    r.source = fake;
    EXPECT_EQ(lib.store.AddCustomFace(r), FaceStore::AddStatus::NotAPicture);
    EXPECT_EQ(lib.files(), before);
    EXPECT_EQ(lib.faces().size(), 2);

    // By id: a received picture joins the faces; twice is refused; a JPEG
    // in SendFace is not looked for.
    QDir().mkpath(lib.store.pictures().folderPath(PictureStore::recvFace()));
    ASSERT_TRUE(ChatTest::writeGif(lib.store.pictures().picturePath(PictureStore::recvFace(), 0x7777, QStringLiteral("gif")),
        { Qt::green }));
    FaceStore::AddRequest byId;
    byId.id = 0x7777;
    byId.tip = QStringLiteral("收到的");
    EXPECT_EQ(lib.store.AddCustomFace(byId), FaceStore::AddStatus::Added);
    EXPECT_EQ(lib.store.AddCustomFace(byId), FaceStore::AddStatus::AlreadyExists);
    EXPECT_TRUE(QFileInfo::exists(lib.store.pictures().picturePath(PictureStore::recvFace(), 0x7777, QStringLiteral("gif"))))
        << "the received picture stays where the chat log finds it";
    QDir().mkpath(lib.store.pictures().folderPath(PictureStore::sendFace()));
    ChatTest::patternImage(8, 8, 1).save(
        lib.store.pictures().picturePath(PictureStore::sendFace(), 0x8888, QStringLiteral("jpg")), "JPG");
    byId.id = 0x8888;
    EXPECT_EQ(lib.store.AddCustomFace(byId), FaceStore::AddStatus::NotFound);
    EXPECT_EQ(FaceStore::AddStatusText(FaceStore::AddStatus::NotFound), QStringLiteral("未找到相应的表情文件!"));

    // Many files: a failure asks whether to go on; No stops.
    ScriptedPrompter answers;
    answers.queueButton(Prompter::Button::No);
    PrompterScope scope(answers);
    RecordingProgress progress;
    const FaceStore::BatchResult batch = lib.store.AddFiles(
        { lib.gif(QStringLiteral("b.gif")), fake, lib.gif(QStringLiteral("c.gif")) }, &progress, nullptr,
        QStringLiteral("增加至自定义表情文件 "));
    EXPECT_EQ(batch.added, 1);
    EXPECT_EQ(batch.failed, 1);
    EXPECT_EQ(progress.range, qMakePair(0, 3));
    ASSERT_EQ(answers.calls().size(), 1);
    EXPECT_EQ(answers.calls()[0].text, QStringLiteral("增加至自定义表情文件 ") + fake
            + QStringLiteral(" 时出错.是否继续增加其它的表情文件？"));
    EXPECT_EQ(answers.calls()[0].caption, QStringLiteral("增加失败"));
}

TEST(FaceStore, PageCachesGoWhenTheirPagesChange)
{
    Library lib(QStringLiteral("faces-cache"));
    const QString source = lib.gif(QStringLiteral("x.gif"));
    for (int i = 0; i < 32; ++i)
        lib.add(source);
    auto touch = [&](int page) { TestEnv::writeAll(lib.store.pageCacheFile(page), "cache"); };
    auto cached = [&](int page) { return QFileInfo::exists(lib.store.pageCacheFile(page)); };
    touch(0);
    const quint32 thirtyThird = lib.add(source); // opens page 2: page 1 stays
    EXPECT_TRUE(cached(0));
    touch(1);
    lib.add(source); // lands on page 2
    EXPECT_TRUE(cached(0));
    EXPECT_FALSE(cached(1));
    touch(1);
    ASSERT_TRUE(lib.store.DeleteCustomFace(thirtyThird));
    EXPECT_TRUE(cached(0));
    EXPECT_FALSE(cached(1));
    EXPECT_FALSE(QFileInfo::exists(lib.store.pictures().picturePath(PictureStore::customFace(), thirtyThird, QStringLiteral("gif"))));
    EXPECT_FALSE(lib.store.DeleteCustomFace(thirtyThird));
}

TEST(FaceStore, PackagesTravelAndHostileOnesLeaveNoTrace)
{
    Library from(QStringLiteral("faces-pkg-from"));
    const quint32 a = from.add(from.gif(QStringLiteral("a.gif")), QStringLiteral("甲"));
    const quint32 b = from.add(from.gif(QStringLiteral("b.gif"), Qt::green), QStringLiteral("乙"));
    const QString package = from.data + QStringLiteral("/../faces.kcf");
    const FaceStore::ExportResult exported = from.store.ExportPackage(package, from.faces());
    EXPECT_EQ(exported.exported, 2);
    EXPECT_EQ(exported.failed, 0);
    const QByteArray bytes = TestEnv::readAll(package);
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + FacePackage::kCountOffset), 2u);

    // Into a library that holds the first id already: that face gets a new
    // id, and its tip and shortcut become the new id text.
    Library to(QStringLiteral("faces-pkg-to"));
    FaceStore::AddRequest clash;
    QDir().mkpath(to.store.pictures().folderPath(PictureStore::recvFace()));
    ChatTest::writeGif(to.store.pictures().picturePath(PictureStore::recvFace(), a, QStringLiteral("gif")), { Qt::black });
    clash.id = a;
    ASSERT_EQ(to.store.AddCustomFace(clash), FaceStore::AddStatus::Added);
    RecordingProgress progress;
    const FaceStore::ImportResult imported = to.store.ImportPackage(package, &progress);
    EXPECT_EQ(imported.outcome, FaceStore::ImportResult::Outcome::Done);
    EXPECT_EQ(imported.imported, 2);
    const QList<FaceEntry> faces = to.faces();
    ASSERT_EQ(faces.size(), 3);
    EXPECT_NE(faces[1].id, a);
    EXPECT_EQ(faces[1].tip, PictureIdText(faces[1].id));
    EXPECT_EQ(faces[1].shortcut, PictureIdText(faces[1].id));
    EXPECT_EQ(faces[2].id, b);
    EXPECT_EQ(faces[2].tip, QStringLiteral("乙"));
    EXPECT_EQ(progress.range, qMakePair(0, 2));

    // Hostile packages: wrong content, a truncated tail, a wrong version.
    Library victim(QStringLiteral("faces-pkg-hostile"));
    const QStringList clean = victim.files();
    FacePackage::Entry text;
    text.id = 0x9999;
    text.extension = QStringLiteral("gif");
    text.picture = "MZ not a gif";
    FacePackage::Entry escape;
    escape.id = 0x9998;
    escape.extension = QStringLiteral("../../x");
    escape.picture = TestEnv::readAll(from.store.pictureFile(from.faces()[0]));
    const QString hostile = victim.data + QStringLiteral("/../hostile.kcf");
    TestEnv::writeAll(hostile, FacePackage::HeaderBytes(3) + FacePackage::EntryBytes(text)
            + FacePackage::EntryBytes(escape) + FacePackage::EntryBytes(text).left(100));
    const FaceStore::ImportResult refused = victim.store.ImportPackage(hostile, nullptr);
    EXPECT_EQ(refused.outcome, FaceStore::ImportResult::Outcome::Truncated);
    EXPECT_EQ(refused.imported, 0);
    EXPECT_EQ(refused.skipped, 2);
    EXPECT_EQ(victim.files(), clean);
    EXPECT_TRUE(QDir(victim.data + QStringLiteral("/..")).entryList({ QStringLiteral("x*") }).isEmpty());

    QByteArray v2 = bytes;
    v2[32] = 2;
    TestEnv::writeAll(hostile, v2);
    EXPECT_EQ(victim.store.ImportPackage(hostile, nullptr).outcome, FaceStore::ImportResult::Outcome::BadVersion);
    TestEnv::writeAll(hostile, "short");
    EXPECT_EQ(victim.store.ImportPackage(hostile, nullptr).outcome, FaceStore::ImportResult::Outcome::NotAPackage);
    EXPECT_EQ(victim.store.ImportPackage(victim.data + QStringLiteral("/missing.kcf"), nullptr).outcome,
        FaceStore::ImportResult::Outcome::Unreadable);
    EXPECT_EQ(victim.files(), clean);

    // An export that cannot be written says so and leaves no file.
    const QString nowhere = victim.data + QStringLiteral("/no/such/folder/x.kcf");
    const FaceStore::ExportResult failed = from.store.ExportPackage(nowhere, from.faces());
    EXPECT_TRUE(failed.writeFailed);
    EXPECT_FALSE(QFileInfo::exists(nowhere));
    // A face whose picture is gone counts as failed; the count says what was written.
    QFile::remove(from.store.pictureFile(from.faces()[0]));
    const FaceStore::ExportResult partial = from.store.ExportPackage(package, from.faces());
    EXPECT_EQ(partial.exported, 1);
    EXPECT_EQ(partial.failed, 1);
    EXPECT_EQ(qFromLittleEndian<quint32>(TestEnv::readAll(package).constData() + FacePackage::kCountOffset), 1u);

    // Face folders: only files whose title has 32 characters.
    const QString qq = TestEnv::freshDir(QStringLiteral("faces-qq"));
    ChatTest::writeGif(qq + QLatin1Char('/') + QString(32, QLatin1Char('a')) + QStringLiteral(".gif"), { Qt::red });
    ChatTest::writeGif(qq + QStringLiteral("/short.gif"), { Qt::red });
    EXPECT_EQ(FaceStore::FolderFaceFiles(qq).size(), 1);
}

TEST(FaceManagerModel, EditsApplyToTheCurrentIndex)
{
    Library lib(QStringLiteral("faces-manager"));
    const QString source = lib.gif(QStringLiteral("m.gif"));
    const quint32 first = lib.add(source, QStringLiteral("一"));
    const quint32 second = lib.add(source, QStringLiteral("二"));
    const quint32 third = lib.add(source, QStringLiteral("三"));

    // Nothing changed: the index is not touched.
    FaceManagerModel model;
    model.Load(lib.store);
    const QByteArray untouched = lib.indexBytes();
    EXPECT_FALSE(model.Apply(lib.store));
    EXPECT_EQ(lib.indexBytes(), untouched);
    EXPECT_EQ(model.MoveUp(0), -1);
    EXPECT_EQ(model.MoveDown(2), -1);

    // Deleting the first of three: two remain, its files go, page 1's cache goes.
    TestEnv::writeAll(lib.store.pageCacheFile(0), "cache");
    model.Delete({ 0 });
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.row(0).id, second);
    // Meanwhile another window adds a face: it survives the manager's write.
    const quint32 late = lib.add(source, QStringLiteral("后来"));
    ASSERT_TRUE(model.Apply(lib.store));
    QList<FaceEntry> faces = lib.faces();
    ASSERT_EQ(faces.size(), 3);
    EXPECT_EQ(faces[0].id, second);
    EXPECT_EQ(faces[1].id, third);
    EXPECT_EQ(faces[2].id, late);
    EXPECT_TRUE(lib.indexBytes().contains("imagecount=\"3\""));
    EXPECT_FALSE(QFileInfo::exists(lib.store.pictures().picturePath(PictureStore::customFace(), first, QStringLiteral("gif"))));
    EXPECT_FALSE(QFileInfo::exists(lib.store.pageCacheFile(0)));

    // Renaming writes the new tip (cut to 63 GBK bytes) and no cache goes.
    model.Load(lib.store);
    TestEnv::writeAll(lib.store.pageCacheFile(0), "cache");
    model.Rename(1, QString(40, QChar(0x4E2D)));
    ASSERT_TRUE(model.Apply(lib.store));
    EXPECT_EQ(lib.faces()[1].tip, QString(31, QChar(0x4E2D)));
    EXPECT_TRUE(QFileInfo::exists(lib.store.pageCacheFile(0)));

    // Moving and exporting: the chosen rows in list order, all when none.
    model.Load(lib.store);
    EXPECT_EQ(model.MoveDown(0), 1);
    ASSERT_TRUE(model.Apply(lib.store));
    EXPECT_EQ(lib.faces()[0].id, third);
    EXPECT_EQ(model.ExportFaces({ 2, 0 }).first().id, third);
    EXPECT_EQ(model.ExportFaces({}).size(), 3);
}

TEST(FacePickerModel, PagesCellsRereadsAndPlacement)
{
    Library lib(QStringLiteral("faces-picker"));
    QFile::remove(lib.store.index().path());
    FacePickerModel picker;
    const QList<QImage> builtIns(96, ChatTest::patternImage(24, 24, 3));
    EXPECT_TRUE(picker.LoadFaceIndex(lib.store, builtIns)) << "a missing index is written and read";
    EXPECT_TRUE(QFileInfo::exists(lib.store.index().path()));
    EXPECT_TRUE(QFileInfo::exists(lib.store.pageCacheFile(0)));
    EXPECT_FALSE(picker.LoadFaceIndex(lib.store, builtIns)) << "unchanged: nothing is read";

    const QString source = lib.gif(QStringLiteral("p.gif"));
    for (int i = 0; i < 33; ++i)
        lib.add(source);
    QFile f(lib.store.index().path());
    f.open(QIODevice::ReadWrite);
    f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    f.close();
    EXPECT_TRUE(picker.LoadFaceIndex(lib.store, builtIns));
    EXPECT_EQ(picker.pageCount(), 2);
    EXPECT_EQ(picker.FaceAt(95), -1);
    EXPECT_EQ(picker.FaceAt(96), 0);
    EXPECT_TRUE(picker.IsBuiltInCell(0));
    picker.PreviousPage();
    EXPECT_EQ(picker.currentPage(), 2) << "page 1 wraps to the last";
    EXPECT_EQ(picker.FaceAt(0), 32);
    EXPECT_EQ(picker.FaceAt(1), -1);
    picker.NextPage();
    EXPECT_EQ(picker.currentPage(), 2) << "the last page stays";
    EXPECT_EQ(FacePickerModel::CellAt(QPoint(26, 51)), 33);
    EXPECT_EQ(FacePickerModel::PreviewPos(11), QPoint(325, 0));
    EXPECT_EQ(FacePickerModel::PreviewPos(12), QPoint(0, 0));
    // A page shows its thumbnails; the first page its separator line in blue.
    const QImage page = picker.RenderPage(0, lib.store, builtIns);
    EXPECT_EQ(page.pixelColor(200, 150), QColor(0, 0, 0xFF));

    const QRect work(0, 0, 1280, 800);
    EXPECT_EQ(FacePickerPlacement(QRect(600, 500, 24, 24), work), QPoint(400, 275));
    EXPECT_EQ(FacePickerPlacement(QRect(50, 500, 24, 24), work), QPoint(50, 275)) << "near the left edge: the button's left";
    EXPECT_EQ(FacePickerPlacement(QRect(1200, 500, 24, 24), work), QPoint(880, 275));
    EXPECT_EQ(FacePickerPlacement(QRect(600, 100, 24, 24), work), QPoint(400, 124)) << "no room above: below the button";
    const QRect second(1280, 40, 1024, 700); // a work area that does not start at 0
    EXPECT_EQ(FacePickerPlacement(QRect(1290, 100, 24, 24), second), QPoint(1290, 124));
    EXPECT_EQ(FacePickerPlacement(QRect(1290, 720, 24, 20), second), QPoint(1290, 495));
}

TEST(FaceProgress, PercentagesAndTexts)
{
    EXPECT_EQ(FaceProgressText(QStringLiteral("导入"), 3, 0, 10), QStringLiteral("正在导入第 3 个表情，共 10 个 (30%)"));
    EXPECT_EQ(FaceProgressPercent(10, 0, 10), 100);
    EXPECT_EQ(FaceProgressPercent(5, 0, 0), 0) << "an empty range never divides by zero";
    EXPECT_EQ(FaceProgressCaption(QStringLiteral("增加")), QStringLiteral("正在增加表情库，请稍候..."));
}
