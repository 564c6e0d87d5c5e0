#include "net/FileList.h"
#include "net/Commands.h"
#include "core/Gbk.h"

#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

OfferedFile offered(quint32 id, const QString &path, quint64 size, quint32 mtime, quint32 flags = FILE_ATTR_REGULAR)
{
    OfferedFile f;
    f.fileId = id;
    f.path = path;
    f.size = size;
    f.mtime = mtime;
    f.flags = flags;
    return f;
}

// The entries of a decoded list on one line each.
std::string describe(const DecodedFileList &list)
{
    std::string out;
    for (const auto &e : list)
        out += QString::asprintf("%u|%s|%llx|%x|%x\n", e.fileId, qUtf8Printable(e.name),
            static_cast<unsigned long long>(e.size), e.mtime, e.attributes)
                   .toStdString();
    return out;
}

} // namespace

TEST(FileList, EncodeGolden)
{
    const std::vector<OfferedFile> files {
        offered(0, QStringLiteral("/home/u/a.txt"), 500, 0x5f5e1000),
        // Above 4 GiB the low word keeps its leading zeros behind the high word.
        offered(1, QStringLiteral("/home/u/disk.img"), 0x100000005ULL, 0x60000000),
        offered(2, QStringLiteral("/home/u/a:b"), 0xffffffffULL, 1, FILE_ATTR_FOLDER),
        offered(3, QString::fromUtf8("/home/u/中文.doc"), 0, 0),
        // Control characters would break the list, '\' would be a path separator to the peer.
        offered(0x80000000u, QStringLiteral("/x/b\ael\\x"), 1, 2),
    };
    QByteArray text;
    EXPECT_EQ(EncodeFileList(files, text), 5);
    EXPECT_EQ(text,
        QByteArray("0:a.txt:1f4:5f5e1000:1:\a"
                   "1:disk.img:100000005:60000000:1:\a"
                   "2:a;b:ffffffff:1:2:\a"
                   "3:\xd6\xd0\xce\xc4.doc:0:0:1:\a"
                   "-2147483648:b_el_x:1:2:1:\a"));

    // Round trip: ids, 64-bit sizes and GBK names come back, a ':' as ';'.
    DecodedFileList list;
    EXPECT_EQ(DecodeFileList(text, list), FileListStatus::Ok);
    EXPECT_EQ(describe(list),
        "0|a.txt|1f4|5f5e1000|1\n1|disk.img|100000005|60000000|1\n2|a;b|ffffffff|1|2\n3|中文.doc|0|0|1\n"
        "2147483648|b_el_x|1|2|1\n");
    // A "::" that a peer writes is still a ':'.
    EXPECT_EQ(DecodeFileList("7:x::y:1:2:1:\a", list), FileListStatus::Ok);
    EXPECT_EQ(describe(list), "7|x:y|1|2|1\n");
}

// A Windows peer reads a list by splitting it at BEL into entries and each
// entry at every ':' into its fields: every name must come through as one
// field, stored the way a Windows file system stores it (':' as ';').
TEST(FileList, WindowsReaderTakesNamesWithColonsAsOneField)
{
    const QStringList names { QStringLiteral("a:b"), QStringLiteral(":lead"), QStringLiteral("trail:"),
        QStringLiteral("x::y"), QStringLiteral(":"), QString::fromUtf8("报告:终稿.doc") };
    std::vector<OfferedFile> files;
    for (int i = 0; i < names.size(); ++i)
        files.push_back(offered(quint32(i), QStringLiteral("/home/u/") + names[i], quint64(i) + 10, 0x60000000));
    QByteArray text;
    ASSERT_EQ(EncodeFileList(files, text), names.size());

    QList<QByteArray> entries = text.split('\a');
    ASSERT_EQ(entries.takeLast(), QByteArray()); // the list ends with BEL
    ASSERT_EQ(entries.size(), names.size());
    for (int i = 0; i < names.size(); ++i) {
        const QList<QByteArray> fields = entries[i].split(':');
        ASSERT_EQ(fields.size(), 6) << entries[i].toStdString(); // five fields, each ended by ':'
        EXPECT_EQ(fields[0].toInt(), i);
        EXPECT_EQ(Gbk::decode(fields[1]), QString(names[i]).replace(u':', u';'));
        EXPECT_EQ(fields[2].toULongLong(nullptr, 16), quint64(i) + 10);
        EXPECT_EQ(fields[3], "60000000");
        EXPECT_EQ(fields[4], "1");
    }
}

TEST(FileList, EncodeStopsShortOfTheBufferAndSaysSo)
{
    std::vector<OfferedFile> files;
    for (quint32 i = 0; i < 400; ++i)
        files.push_back(offered(i, QStringLiteral("/d/file-%1.bin").arg(i, 4, 10, QLatin1Char('0')), i, 0));
    QByteArray text;
    const qsizetype n = EncodeFileList(files, text);
    EXPECT_LT(n, qsizetype(files.size()));
    EXPECT_LE(text.size(), kFileListBuffer - kFileListReserve);
    EXPECT_EQ(text.count('\a'), n); // whole entries only
    EXPECT_EQ(EncodeFileList(files, text, 1024), 0);
    EXPECT_TRUE(text.isEmpty());
}

TEST(FileList, DecodeHostileLists)
{
    DecodedFileList list;
    // Unsafe names, unknown kinds, bad numbers, missing fields and repeated ids are
    // dropped; the good entries stay in order.
    const QByteArray hostile = "1:..:5:0:1:\a2:a/b:5:0:1:\a3:x\\y:5:0:2:\a4:.:5:0:1:\a5::5:0:1:\a"
                               "6:ok:5:0:1:\a7:kind:5:0:3:\a8:n:zz:0:1:\a9:n:5:100000000:1:\a"
                               "10:n:11112222333344445:0:1:\a4294967296:n:5:0:1:\a11:short:5:0\a"
                               "6:again:5:0:1:\a12:last:1:2:102:key=v:\a";
    EXPECT_EQ(DecodeFileList(hostile, list), FileListStatus::SomeDropped);
    EXPECT_EQ(describe(list), "6|ok|5|0|1\n12|last|1|2|102\n");

    // A NUL ends the list; a GBK trail byte 0x5c is not a backslash.
    EXPECT_EQ(DecodeFileList(QByteArray(QByteArray("1:\xd5\x5c:5:0:1:\a", 12) + '\0' + "2:b:5:0:1:\a"), list),
        FileListStatus::Ok);
    EXPECT_EQ(describe(list), "1|" + QString::fromUtf8("誠").toStdString() + "|5|0|1\n");

    EXPECT_EQ(DecodeFileList("\a\a1:..:1:1:1:\a", list), FileListStatus::NoEntries);
    EXPECT_EQ(DecodeFileList(QByteArray(16385, 'a'), list), FileListStatus::TooLong);
    // A name of 260 GBK bytes is refused, 259 taken.
    EXPECT_EQ(DecodeFileList(QByteArray("1:" + QByteArray(260, 'n') + ":1:1:1:"), list), FileListStatus::NoEntries);
    EXPECT_EQ(DecodeFileList(QByteArray("1:" + QByteArray(259, 'n') + ":1:1:1:"), list), FileListStatus::Ok);
}
