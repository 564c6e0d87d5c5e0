#include "net/CMsgSenderWnd.h"

#include "TestEnv.h"
#include "TestKeys.h"
#include "core/CConfig.h"
#include "core/Gbk.h"
#include "net/CFileOfferTable.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/FileList.h"
#include "net/KeyExchange.h"
#include "net/ListBusyCounter.h"
#include "net/MessengerEngine.h"
#include "net/PacketCodec.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

struct Sent
{
    quint32 address;
    PacketRecord packet;
};

// The engine without sockets: the sender's packets land in a list, and the
// tests drive the resend timer by hand.
struct Fixture
{
    Fixture()
        : config(TestEnv::freshDir(QStringLiteral("sender")) + QStringLiteral("/kwel.ini"))
        , engine(config, net)
        , keys(engine)
    {
        config.RETRYMAX_STR = 3;
        config.RETRYMSEC_STR = 1500;
        keys.setOwnKeys(TestKeys::full(0));
    }

    HostPtr peer(quint32 address, const QString &name, bool encrypting = false)
    {
        HostPtr h(new HostRecord);
        h->key = HostKey(name, name + QStringLiteral("-pc"), address, 2425);
        h->displayName = name;
        h->capabilities = encrypting ? OPT_ENCRYPT : 0;
        return h;
    }

    CMsgSenderWnd *sender(const QString &text, const std::vector<HostPtr> &peers, quint32 options = 0)
    {
        auto *s = new CMsgSenderWnd(engine, &keys);
        s->setDatagramSink([this](quint32 address, quint16, const QByteArray &data) {
            Sent sent { address, {} };
            EXPECT_LE(data.size(), PacketCodec::kMaxPacket);
            EXPECT_EQ(PacketCodec::ParsePacket(data, address, 2425, sent.packet), PacketStatus::Ok);
            out.append(sent);
            return true;
        });
        EXPECT_TRUE(s->SetMessage(text, ChatFont(), options, &config));
        for (const HostPtr &p : peers)
            s->AddRecipient(p.data());
        s->AllocDestinations();
        return s;
    }

    QList<Sent> to(quint32 address) const
    {
        QList<Sent> r;
        for (const Sent &s : out)
            if (s.address == address)
                r.append(s);
        return r;
    }

    CConfig config;
    CNetManager net;
    MessengerEngine engine;
    KeyExchange keys;
    QList<Sent> out;
};

void runDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(CMsgSenderWnd, ResendsUntilConfirmedThenNamesTheSilentPeers)
{
    Fixture f;
    HostPtr one = f.peer(0x0A000001, QStringLiteral("张三"));
    HostPtr two = f.peer(0x0A000002, QStringLiteral("李四"));
    HostPtr stranger = f.peer(0x0A000009, QStringLiteral("x"));
    QPointer<CMsgSenderWnd> s = f.sender(QStringLiteral("开会了\r\n三楼"), { one, two }, OPT_MULTICAST);
    QSignalSpy failed(s.data(), &CMsgSenderWnd::sendFailed);
    QSignalSpy finished(s.data(), &CMsgSenderWnd::finished);
    // The first time the tries are spent the user asks to try again.
    QObject::connect(s.data(), &CMsgSenderWnd::sendFailed, s.data(), [&] {
        if (failed.size() == 1)
            s->Retry();
    });
    ASSERT_EQ(s->StartSending(true), CMsgSenderWnd::Status::Ok);
    EXPECT_EQ(s->resendInterval(), 1500 * 6) << "with pictures";
    ASSERT_EQ(f.out.size(), 2);
    const PacketRecord &first = f.out.first().packet;
    EXPECT_EQ(first.commandWord, CMD_SEND_MESSAGE | OPT_SEND_CHECK | OPT_MULTICAST);
    EXPECT_EQ(first.packetNumber, s->packetNumber());
    EXPECT_EQ(first.bodyText(), QStringLiteral("开会了\n三楼"));

    EXPECT_FALSE(s->OnReceiptArrived(one.data(), s->packetNumber() + 1)) << "another message's receipt";
    EXPECT_FALSE(s->OnReceiptArrived(stranger.data(), s->packetNumber()));
    // The engine reports receipts; one that carries 0 confirms whatever the number.
    emit f.engine.receiptArrived(one.data(), 0);
    EXPECT_FALSE(s->OnReceiptArrived(one.data(), s->packetNumber())) << "already confirmed";

    // RETRYMAX_STR 3: four resends (counter 0 to 3), the fifth tick gives up.
    for (int tick = 0; tick < 5; ++tick)
        s->OnTimer(CMsgSenderWnd::TimerSend);
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed.first().at(0).toStringList(), QStringList { QStringLiteral("李四") });
    EXPECT_EQ(f.to(0x0A000001).size(), 1);
    EXPECT_EQ(f.to(0x0A000002).size(), 1 + 4 + 1) << "four resends, then the retry sends at once";
    EXPECT_TRUE(finished.isEmpty());
    for (int tick = 0; tick < 5; ++tick)
        s->OnTimer(CMsgSenderWnd::TimerSend);
    EXPECT_EQ(f.to(0x0A000002).size(), 10);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_FALSE(finished.first().at(0).toBool());
    runDeferredDeletes();
    EXPECT_TRUE(s.isNull());
}

TEST(CMsgSenderWnd, ARetryQuestionOutlivedByItsSender)
{
    // While the user is asked whether to try again, the late receipt
    // arrives: the sender finishes and is deleted before the answer.
    Fixture f;
    HostPtr one = f.peer(0x0A000001, QStringLiteral("张三"));
    QPointer<CMsgSenderWnd> s = f.sender(QStringLiteral("x"), { one }, 0);
    QSignalSpy finished(s.data(), &CMsgSenderWnd::finished);
    QObject::connect(s.data(), &CMsgSenderWnd::sendFailed, &f.engine, [&] {
        emit f.engine.receiptArrived(one.data(), s->packetNumber());
        runDeferredDeletes();
    });
    ASSERT_EQ(s->StartSending(false), CMsgSenderWnd::Status::Ok);
    CMsgSenderWnd *raw = s.data();
    for (int tick = 0; tick < 5 && s; ++tick)
        raw->OnTimer(CMsgSenderWnd::TimerSend);
    EXPECT_TRUE(s.isNull());
    ASSERT_EQ(finished.size(), 1);
    EXPECT_TRUE(finished.first().at(0).toBool()) << "confirmed after all, not failed";
}

TEST(CMsgSenderWnd, AsksAnEncryptingPeerForItsKeyFirst)
{
    Fixture f;
    const OwnKeyState &peerKeys = TestKeys::full(1);
    HostPtr secret = f.peer(0x0A000001, QStringLiteral("secret"), true);
    HostPtr plain = f.peer(0x0A000002, QStringLiteral("plain"));
    HostPtr oldTimer = f.peer(0x0A000003, QStringLiteral("old"), true);
    secret->publicKey = TestKeys::peerKey(*peerKeys.pair512, 0x1001); // from an earlier message
    QPointer<CMsgSenderWnd> s = f.sender(QStringLiteral("机密\n内容"), { secret, plain, oldTimer });
    QList<HostRecord *> toldFailed;
    s->setEncryptionFailureHandler([&](HostRecord *peer, const CryptFailure &) { toldFailed.append(peer); });
    QSignalSpy finished(s.data(), &CMsgSenderWnd::finished);
    ASSERT_EQ(s->StartSending(), CMsgSenderWnd::Status::Ok);
    EXPECT_TRUE(secret->publicKey.key.isEmpty()) << "a fresh key is asked for every message";

    ASSERT_EQ(f.to(0x0A000001).size(), 1);
    const PacketRecord request = f.to(0x0A000001).first().packet;
    EXPECT_EQ(request.command(), CMD_GET_PUBLIC_KEY);
    EXPECT_EQ(request.body, QByteArray("21003"));
    EXPECT_EQ(f.to(0x0A000002).first().packet.commandWord, CMD_SEND_MESSAGE | OPT_SEND_CHECK);
    EXPECT_EQ(f.to(0x0A000003).first().packet.command(), CMD_GET_PUBLIC_KEY);
    s->OnTimer(CMsgSenderWnd::TimerSend);
    EXPECT_EQ(f.to(0x0A000001).last().packet.command(), CMD_GET_PUBLIC_KEY) << "asked again until the key comes";

    // The key arrives (the key exchange has stored it in the record).
    secret->publicKey = TestKeys::peerKey(*peerKeys.pair1024, peerKeys.capabilities());
    emit f.keys.publicKeyArrived(secret.data());
    const PacketRecord message = f.to(0x0A000001).last().packet;
    EXPECT_EQ(message.commandWord, CMD_SEND_MESSAGE | OPT_SEND_CHECK | OPT_ENCRYPT);
    const DecryptedMessage opened = DecryptMessageBody(peerKeys, message.body);
    ASSERT_EQ(opened.status, CryptStatus::Ok);
    EXPECT_EQ(Gbk::decode(opened.text), QStringLiteral("机密\r\n内容"));

    // A peer whose key offers no cipher of ours gets the plain message, and
    // the user is not told of a failure.
    oldTimer->publicKey = TestKeys::peerKey(*peerKeys.pair1024, 0);
    EXPECT_TRUE(s->OnPublicKeyArrived(oldTimer.data()));
    const PacketRecord plainForOld = f.to(0x0A000003).last().packet;
    EXPECT_EQ(plainForOld.commandWord, CMD_SEND_MESSAGE | OPT_SEND_CHECK);
    EXPECT_EQ(plainForOld.bodyText(), QStringLiteral("机密\n内容"));
    EXPECT_TRUE(toldFailed.isEmpty());
    for (const HostPtr &peer : { secret, plain, oldTimer })
        emit f.engine.receiptArrived(peer.data(), s->packetNumber());
    ASSERT_EQ(finished.size(), 1);
    EXPECT_TRUE(finished.first().at(0).toBool());

    // More peers than ENCRYPTNUM_STR: nobody gets encrypted messages.
    f.config.ENCRYPTNUM_STR = 1;
    f.out.clear();
    QPointer<CMsgSenderWnd> many = f.sender(QStringLiteral("x"), { secret, oldTimer });
    ASSERT_EQ(many->StartSending(), CMsgSenderWnd::Status::Ok);
    ASSERT_EQ(f.out.size(), 2);
    EXPECT_EQ(f.out[1].packet.commandWord, CMD_SEND_MESSAGE | OPT_SEND_CHECK);
    delete many.data();
}

TEST(CMsgSenderWnd, RefusesWhileBusyAndWhatDoesNotFit)
{
    Fixture f;
    HostPtr peer = f.peer(0x0A000001, QStringLiteral("p"));
    HostPtr secret = f.peer(0x0A000002, QStringLiteral("s"), true);
    std::unique_ptr<CMsgSenderWnd> s(f.sender(QStringLiteral("hello"), { peer }));
    {
        ListBusyCounter::Raiser busy;
        EXPECT_EQ(s->StartSending(), CMsgSenderWnd::Status::Busy);
        EXPECT_EQ(s->errorText(), QStringLiteral("正忙...正稍候重试!"));
    }
    EXPECT_TRUE(f.out.isEmpty());
    EXPECT_EQ(s->StartSending(), CMsgSenderWnd::Status::Ok);

    // A text that fills the packet is taken whole; one that does not is refused, never cut.
    const qsizetype header = f.net.BuildPacket(0x80000000u, 0x80000000u, {}).size() - 1;
    const QString fits(PacketCodec::kMaxPacket - header - 1, QLatin1Char('a'));
    CMsgSenderWnd big(f.engine, &f.keys);
    EXPECT_TRUE(big.SetMessage(fits, ChatFont(), 0, nullptr));
    EXPECT_EQ(big.messageBytes().size(), fits.size());
    EXPECT_FALSE(big.SetMessage(fits + QStringLiteral("中"), ChatFont(), 0, nullptr));
    EXPECT_EQ(big.messageBytes().size(), fits.size()) << "the refused text replaced nothing";

    // Plain it would go; encrypted it does not fit, so it is refused whole.
    f.out.clear();
    std::unique_ptr<CMsgSenderWnd> enc(f.sender(QString(kMaxEncryptedPlain, QLatin1Char('b')), { peer, secret }));
    EXPECT_EQ(enc->StartSending(), CMsgSenderWnd::Status::TooLongToEncrypt);
    EXPECT_TRUE(f.out.isEmpty());
    std::unique_ptr<CMsgSenderWnd> ok(f.sender(QString(kMaxEncryptedPlain - 1, QLatin1Char('b')), { peer, secret }));
    EXPECT_EQ(ok->StartSending(), CMsgSenderWnd::Status::Ok);
}

TEST(CMsgSenderWnd, OffersTheCheckedFilesWithTheMessage)
{
    Fixture f;
    const QString dir = TestEnv::freshDir(QStringLiteral("sender-files"));
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/a.txt"), "hello"));
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/b:c.bin"), QByteArray(300, 'b')));
    HostPtr peer = f.peer(0x0A000001, QStringLiteral("p"));
    CFileOfferTable table;

    std::unique_ptr<CMsgSenderWnd> s(f.sender(QString(), { peer }));
    EXPECT_EQ(s->StartSending(), CMsgSenderWnd::Status::NothingToSend);
    s->SetFiles({ dir + QStringLiteral("/a.txt"), dir + QStringLiteral("/b:c.bin") });
    ASSERT_EQ(s->StartSending(), CMsgSenderWnd::Status::Ok);
    const PacketRecord &p = f.out.last().packet;
    EXPECT_EQ(p.commandWord, CMD_SEND_MESSAGE | OPT_SEND_CHECK | OPT_FILE_ATTACH);
    DecodedFileList list;
    ASSERT_EQ(DecodeFileList(p.extension, list), FileListStatus::Ok);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].name, QStringLiteral("b;c.bin")); // as a Windows peer stores it
    FileOffer *offer = f.engine.fileOffers().FindOffer(s->packetNumber());
    ASSERT_TRUE(offer && offer->destinations.size() == 1u);

    // More files than the list can carry: refused, not cut.
    QStringList many;
    for (int i = 0; i < 80; ++i) {
        many.append(dir + QStringLiteral("/%1-%2").arg(i).arg(QString(90, QLatin1Char('n'))));
        ASSERT_TRUE(TestEnv::writeAll(many.last(), "x"));
    }
    std::unique_ptr<CMsgSenderWnd> tooMany(f.sender(QStringLiteral("x"), { peer }));
    tooMany->SetFiles(many, &table);
    EXPECT_EQ(tooMany->StartSending(), CMsgSenderWnd::Status::FileListTooLong);
    EXPECT_EQ(table.FindOffer(tooMany->packetNumber()), nullptr);
}

TEST(CMsgSenderWnd, AFailedEncryptionIsToldBeforeThePlainMessageGoesOut)
{
    Fixture f;
    HostPtr secret = f.peer(0x0A000001, QStringLiteral("secret"), true);
    QPointer<CMsgSenderWnd> s = f.sender(QStringLiteral("机密"), { secret });
    qsizetype sentWhenTold = -1;
    CryptFailure told;
    s->setEncryptionFailureHandler([&](HostRecord *peer, const CryptFailure &failure) {
        EXPECT_EQ(peer, secret.data());
        sentWhenTold = f.to(0x0A000001).size();
        told = failure;
    });
    ASSERT_EQ(s->StartSending(), CMsgSenderWnd::Status::Ok);
    ASSERT_EQ(f.to(0x0A000001).size(), 1); // the key request

    // A key that cannot be imported: the user hears which call failed, then
    // the message goes plain.
    secret->publicKey = PeerPublicKey { QByteArray(128, '\0'), 65537, 0x21003 };
    EXPECT_TRUE(s->OnPublicKeyArrived(secret.data()));
    EXPECT_EQ(sentWhenTold, 1) << "told before anything but the request went out";
    EXPECT_EQ(told.call, QStringLiteral("CryptImportKey"));
    EXPECT_EQ(told.code, 0x80090015u);
    ASSERT_EQ(f.to(0x0A000001).size(), 2);
    const PacketRecord plain = f.to(0x0A000001).last().packet;
    EXPECT_FALSE(plain.hasOption(OPT_ENCRYPT));
    EXPECT_EQ(plain.bodyText(), QStringLiteral("机密"));
    emit f.engine.receiptArrived(secret.data(), s->packetNumber());
}

TEST(CMsgSenderWnd, TheFontBlockGoesOnlyToPeersThatSpeakTheExtensions)
{
    Fixture f;
    HostPtr plainA = f.peer(0x0A000001, QStringLiteral("a"));
    HostPtr plainB = f.peer(0x0A000002, QStringLiteral("b"));
    HostPtr extC = f.peer(0x0A000003, QStringLiteral("c"));
    HostPtr extD = f.peer(0x0A000004, QStringLiteral("d"));
    extC->extension = extD->extension = 1;
    const QString block = QStringLiteral("{/font;-18 0 0 0 700 0 0 0 134 0 16 0 32 宋体 255;}");
    QPointer<CMsgSenderWnd> s = f.sender(QStringLiteral("通知"), { plainA, extC, plainB, extD }, OPT_MULTICAST);
    ASSERT_TRUE(s->SetExtensionTail(block));
    ASSERT_EQ(s->StartSending(), CMsgSenderWnd::Status::Ok);
    ASSERT_EQ(f.out.size(), 4);
    EXPECT_EQ(f.to(0x0A000001).first().packet.bodyText(), QStringLiteral("通知"));
    EXPECT_EQ(f.to(0x0A000002).first().packet.bodyText(), QStringLiteral("通知"));
    EXPECT_EQ(f.to(0x0A000003).first().packet.bodyText(), QStringLiteral("通知") + block);
    EXPECT_EQ(f.to(0x0A000004).first().packet.bodyText(), QStringLiteral("通知") + block);
    // One packet number for the message, whatever its text.
    for (const Sent &sent : f.out)
        EXPECT_EQ(sent.packet.packetNumber, s->packetNumber());

    // A tail that makes the text too long for one packet is refused, not cut.
    std::unique_ptr<CMsgSenderWnd> tooLong(f.sender(QString(8000, QChar(0x4E00)), { extC }));
    EXPECT_FALSE(tooLong->SetExtensionTail(QString(400, QLatin1Char('x'))));
    EXPECT_FALSE(tooLong->errorText().isEmpty());
    delete s.data();
}

TEST(CMsgSenderWnd, AnOfferNoLongerWaitsForPeersThatNeverConfirmed)
{
    Fixture f;
    const QString dir = TestEnv::freshDir(QStringLiteral("sender-expiry"));
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/a.txt"), "hello"));
    HostPtr one = f.peer(0x0A000001, QStringLiteral("one"));
    HostPtr two = f.peer(0x0A000002, QStringLiteral("two"));
    QSignalSpy refused(&f.engine, &MessengerEngine::refused);
    auto giveUp = [](CMsgSenderWnd *s) {
        for (int tick = 0; tick < 5; ++tick)
            s->OnTimer(CMsgSenderWnd::TimerSend);
    };

    // The user's offer: the peer that confirmed keeps it, nothing is counted.
    QPointer<CMsgSenderWnd> own = f.sender(QStringLiteral("x"), { one, two });
    own->SetFiles({ dir + QStringLiteral("/a.txt") });
    ASSERT_EQ(own->StartSending(), CMsgSenderWnd::Status::Ok);
    const quint32 ownNumber = own->packetNumber();
    own->OnReceiptArrived(one.data(), ownNumber);
    giveUp(own);
    const FileOffer *offer = f.engine.fileOffers().FindOffer(ownNumber);
    ASSERT_NE(offer, nullptr);
    ASSERT_EQ(offer->destinations.size(), 1u);
    EXPECT_EQ(offer->destinations[0]->key.address, 0x0A000001u);
    EXPECT_TRUE(refused.isEmpty());

    // An offer a peer asked for and never confirmed goes, counted; one it
    // began to fetch stays.
    QPointer<CMsgSenderWnd> asked = f.sender(QString(), { two }, OPT_AUTO_SEND);
    asked->SetFiles({ dir + QStringLiteral("/a.txt") });
    ASSERT_EQ(asked->StartSending(), CMsgSenderWnd::Status::Ok);
    ASSERT_TRUE(f.engine.fileOffers().FindOffer(asked->packetNumber())->requested);
    QPointer<CMsgSenderWnd> fetched = f.sender(QString(), { two }, OPT_AUTO_SEND);
    fetched->SetFiles({ dir + QStringLiteral("/a.txt") });
    ASSERT_EQ(fetched->StartSending(), CMsgSenderWnd::Status::Ok);
    const FileOffer *fetching = f.engine.fileOffers().FindOffer(fetched->packetNumber());
    f.engine.fileOffers().SetTransferStatus(
        fetched->packetNumber(), fetching->entries[0].fileId, 0x0A000002, 2425, TransferReceiving);
    const quint32 askedNumber = asked->packetNumber();
    const quint32 fetchedNumber = fetched->packetNumber();
    giveUp(asked);
    giveUp(fetched);
    EXPECT_EQ(f.engine.fileOffers().FindOffer(askedNumber), nullptr);
    EXPECT_NE(f.engine.fileOffers().FindOffer(fetchedNumber), nullptr);
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused[0][0].value<PeerRefusal>(), PeerRefusal::OfferExpired);
    EXPECT_EQ(refused[0][1].toUInt(), 0x0A000002u);
    runDeferredDeletes();
}
