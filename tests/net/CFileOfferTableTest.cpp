#include "net/CFileOfferTable.h"
#include "TestEnv.h"
#include "net/Commands.h"
#include "net/PeerBounds.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

HostPtr host(quint32 address, quint16 port = 2425)
{
    HostPtr h(new HostRecord);
    h->key = HostKey(QStringLiteral("u"), QStringLiteral("pc"), address, port);
    return h;
}

std::string statuses(const FileOffer &offer)
{
    std::string s;
    for (quint8 b : offer.status)
        s += char('0' + b);
    return s;
}

} // namespace

TEST(CFileOfferTable, OffersEntriesAndFolderSizes)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("offers"));
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/a.bin"), QByteArray(1000, 'a')));
    QDir(dir).mkpath(QStringLiteral("tree/sub"));
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/tree/x"), QByteArray(30, 'x')));
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/tree/sub/y"), QByteArray(12, 'y')));
    // Links (also one back up the tree) and FIFOs count for nothing.
    ASSERT_TRUE(QFile::link(dir + QStringLiteral("/a.bin"), dir + QStringLiteral("/tree/link-to-file")));
    ASSERT_TRUE(QFile::link(dir + QStringLiteral("/tree"), dir + QStringLiteral("/tree/sub/loop")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir + QStringLiteral("/tree/fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(dir + QStringLiteral("/a.bin"), dir + QStringLiteral("/chosen-link")));

    CFileOfferTable table;
    FileOffer *offer = table.CreateOffer(77);
    EXPECT_EQ(table.CreateOffer(77), offer);
    EXPECT_EQ(table.FindOffer(77), offer);

    for (const char *name : { "/a.bin", "/tree/", "/chosen-link" })
        EXPECT_TRUE(table.AddEntry(offer, dir + QLatin1String(name)));
    EXPECT_FALSE(table.AddEntry(offer, dir + QStringLiteral("/tree/fifo")));
    EXPECT_FALSE(table.AddEntry(offer, dir + QStringLiteral("/missing")));
    ASSERT_EQ(offer->entries.size(), 3u);
    EXPECT_EQ(offer->entries[0].size, 1000u);
    EXPECT_EQ(offer->entries[1].flags, FILE_ATTR_FOLDER);
    EXPECT_EQ(offer->entries[1].size, 42u);
    // A link the user chose is taken as the file it names.
    EXPECT_EQ(offer->entries[2].path, QDir(dir).canonicalPath() + QStringLiteral("/a.bin"));
}

TEST(CFileOfferTable, RecipientsStatesAndRelease)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("offer-states"));
    for (const char *name : { "/f1", "/f2", "/f3" })
        ASSERT_TRUE(TestEnv::writeAll(dir + QLatin1String(name), name));
    CFileOfferTable table;
    QSignalSpy texts(&table, &CFileOfferTable::transferStateText);
    QSignalSpy removed(&table, &CFileOfferTable::transferRemoved);

    FileOffer *offer = table.CreateOffer(5);
    const quint32 id1 = *table.AddEntry(offer, dir + QStringLiteral("/f1"));
    const quint32 id2 = *table.AddEntry(offer, dir + QStringLiteral("/f2"));
    HostPtr amy = host(0x0A000001);
    HostPtr bob = host(0x0A000002, 2426);
    table.SetRecipients(offer, { amy, bob });
    EXPECT_EQ(amy->refCount(), 2);
    EXPECT_EQ(statuses(*offer), "0000");
    // An entry added after the recipients gets a waiting byte for each of them.
    const quint32 id3 = *table.AddEntry(offer, dir + QStringLiteral("/f3"));
    EXPECT_EQ(statuses(*offer), "000000");

    EXPECT_TRUE(table.SetTransferStatus(5, id2, 0x0A000002, 2426, TransferReceiving));
    EXPECT_EQ(statuses(*offer), "000010");
    EXPECT_TRUE(offer->isBeingReceived());
    ASSERT_EQ(texts.count(), 1);
    EXPECT_EQ(texts[0][0].toString(), CFileOfferTable::TransferKey(5, id2, 0x0A000002, 2426));
    EXPECT_EQ(texts[0][1].toString(), QStringLiteral("对方正在接收..."));
    // The fields are kept apart: file 31 at 67772161:2425 and file 3 at
    // 167772161:2425 ran together once; the packet number tells offers apart.
    EXPECT_NE(CFileOfferTable::TransferKey(5, 3, 167772161, 2425), CFileOfferTable::TransferKey(5, 31, 67772161, 2425));
    EXPECT_NE(CFileOfferTable::TransferKey(5, 3, 167772161, 2425), CFileOfferTable::TransferKey(6, 3, 167772161, 2425));
    EXPECT_FALSE(table.SetTransferStatus(5, 99, 0x0A000002, 2426, TransferReceived));
    EXPECT_FALSE(table.SetTransferStatus(5, id1, 0x0A000003, 0, TransferReceived));

    // Amy declines: her row goes, Bob's stays.
    EXPECT_TRUE(table.ReleaseOffer(5, 0x0A000001, 2425));
    EXPECT_EQ(removed.count(), 3);
    EXPECT_EQ(amy->refCount(), 1);
    EXPECT_EQ(statuses(*offer), "010");

    // Once Bob has everything the offer is done and goes away.
    QSignalSpy gone(&table, &CFileOfferTable::offerRemoved);
    for (quint32 id : { id1, id2, id3 })
        EXPECT_TRUE(table.SetTransferStatus(5, id, 0x0A000002, 0, TransferReceived));
    EXPECT_EQ(table.FindOffer(5), nullptr);
    ASSERT_EQ(gone.count(), 1);
    EXPECT_EQ(gone[0][0].toUInt(), 5u);
    EXPECT_EQ(bob->refCount(), 1);
}

TEST(CFileOfferTable, OffersPeersAskedForAreBoundedPerAddressAndInAll)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("offer-bounds"));
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/f"), "x"));
    CFileOfferTable table;
    quint32 number = 1;
    auto offerTo = [&](quint32 address, int entries, bool requested) {
        FileOffer *offer = table.CreateOffer(number++);
        for (int i = 0; i < entries; ++i)
            table.AddEntry(offer, dir + QStringLiteral("/f"));
        offer->requested = requested;
        table.SetRecipients(offer, { host(address) });
        return offer;
    };
    // The user's own offers never count.
    for (int i = 0; i < PeerBounds::kRequestedOffersPerAddress + 5; ++i)
        offerTo(0x0A000001, 1, false);
    EXPECT_TRUE(table.AdmitsRequest(0x0A000001, 1));
    for (int i = 0; i < PeerBounds::kRequestedOffersPerAddress; ++i) {
        ASSERT_TRUE(table.AdmitsRequest(0x0A000001, 1)) << i;
        offerTo(0x0A000001, 1, true);
    }
    EXPECT_FALSE(table.AdmitsRequest(0x0A000001, 1)) << "whatever the port it asks from";
    EXPECT_TRUE(table.AdmitsRequest(0x0A000002, 1));
    // Entries of all peers together.
    EXPECT_FALSE(table.AdmitsRequest(0x0A000002, PeerBounds::kRequestedOfferEntries));
    // Offers of all peers together.
    for (quint32 a = 0x0A000100; table.AdmitsRequest(a, 1); ++a)
        offerTo(a, 1, true);
    int requested = 0;
    for (const auto &offer : table.offers())
        requested += offer->requested;
    EXPECT_EQ(requested, PeerBounds::kRequestedOffers);

    // A recipient that never confirmed is dropped, unless it began fetching.
    FileOffer *two = offerTo(0x0A000003, 1, false);
    const quint32 twoNumber = two->packetNumber;
    table.SetRecipients(two, { host(0x0A000003), host(0x0A000004) });
    table.SetTransferStatus(twoNumber, two->entries[0].fileId, 0x0A000004, 2425, TransferReceiving);
    EXPECT_FALSE(table.DropUnconfirmed(twoNumber, 0x0A000004, 2425));
    QSignalSpy changed(&table, &CFileOfferTable::offerChanged);
    EXPECT_TRUE(table.DropUnconfirmed(twoNumber, 0x0A000003, 2425));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(two->destinations.size(), 1u);
}
