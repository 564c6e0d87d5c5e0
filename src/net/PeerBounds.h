// What a peer on the LAN, listed or not, may cost us: the one home of the
// bounds on what peers' packets make the program keep, store, show or send,
// and the names of the refusals that the event log counts
// (docs/peer-costs.md lists them with their reasons).
#pragma once

#include <QString>
#include <QtGlobal>

namespace PeerBounds {

// ---- pictures being received (all senders together, and per sender) ----
inline constexpr int kIncomingPictures = 32; // entries at once
inline constexpr qint64 kIncomingPictureBytes = qint64(64) << 20; // chunks held, all entries
// Kept back for senders that hold nothing (their first picture): the
// others together use only the rest, so no set of addresses starves a new
// sender.
inline constexpr int kIncomingReserveEntries = 4;
inline constexpr qint64 kIncomingReserveBytes = qint64(16) << 20; // one picture of the largest size
// A picture in the reserve that got no new chunk for this long gives way to
// a new sender that finds the reserve full.
inline constexpr qint64 kIncomingReserveIdleMs = 1000;
// No sender holds more than this part of what the others use (entries,
// bytes).
inline constexpr int kIncomingShareDivisor = 4;
// An entry without a new chunk for this long is dropped...
inline constexpr qint64 kIncomingIdleMs = 60000;
// ...and one older than this whatever arrives.
inline constexpr qint64 kIncomingMaxAgeMs = 180000;
// A received chat picture is stored only when a message of its sender names
// it: before the picture completes, or within this time after.
inline constexpr qint64 kPictureClaimMs = kIncomingIdleMs;
// Message picture ids remembered per window of time (all senders).
inline constexpr int kClaimedPictures = 4096;

// ---- the picture folders ----
// RecvFace and UserHeadPhoto together: reaching it deletes the oldest
// pictures of the sender that holds the most (the user's own faces in
// CustomFace and SendFace are never counted against it nor deleted).
inline constexpr qint64 kPictureFolderBytes = qint64(512) << 20;
// A sending address holds at most this part of it; beyond, its own oldest
// pictures go first.
inline constexpr int kPictureFolderShareDivisor = 8;

// ---- the data folder's disk ----
// What peers make the program write there (the chat log, the received
// pictures) is not written while the file system would keep less free than
// this, or than this part of it in per cent, whichever is larger
// (FreeSpaceFloor; KWEL_FREE_SPACE_FLOOR, in bytes, takes the place of the
// first for tests)...
inline constexpr qint64 kFreeSpaceFloorBytes = qint64(200) << 20;
inline constexpr int kFreeSpaceFloorPercent = 1;
// ...the file system is asked again once this much was written since, or
// this long after (other programs write too), never for every record.
inline constexpr qint64 kFreeSpaceCheckBytes = qint64(1) << 20;
inline constexpr qint64 kFreeSpaceCheckMs = 1000;

// ---- showing messages ----
// Picture markers of one message shown as pictures; those beyond show as text.
inline constexpr int kPicturesPerMessage = 64;
// Blocks (paragraphs) a history view keeps; the oldest go first. The chat
// log keeps everything.
inline constexpr int kHistoryBlocks = 5000;
// Chat windows that messages from the network may open in one minute.
inline constexpr int kNetworkWindowsPerMinute = 20;
inline constexpr qint64 kNetworkWindowsPeriodMs = 60000;
// While that allowance is used up, the peers listed before the flood that
// used it (and the peers the user talked with) have one more in each period
// (NetworkWindows): an address gets a window from it while it has had fewer
// than kEarlierWindowsPerAddress in the period; the peers listed no later
// than the asker have had fewer than kEarlierWindowsPerMinute of it; all
// together at most kEarlierWindowsMax.
inline constexpr int kEarlierWindowsPerAddress = 10;
inline constexpr int kEarlierWindowsPerMinute = 20;
inline constexpr int kEarlierWindowsMax = 60;
// A peer the user talked with (sent a message to in this run, had among the
// recent contacts when the run began, or keeps a memo for) has, before both, one window of its own in this interval.
inline constexpr qint64 kOwnPeerWindowIntervalMs = 10000;
// Peers the user sent messages to that are remembered as talked with.
inline constexpr qsizetype kTalkedPeersKept = 1024;
// Messages held back by that bound are told in one tip with their count, at
// most once in this interval.
inline constexpr qint64 kHeldBackTipIntervalMs = 10000;
// A peer's request notices (voice, assistance, control) and their sounds:
// at most one per kind in this interval.
inline constexpr qint64 kRequestNoticeIntervalMs = 5000;
// A peer's screen shakes reach the user at most once in this interval (the
// sender's own rule).
inline constexpr qint64 kIncomingShakeIntervalMs = 5000;
// What the program could not send on a peer's request (a share download whose
// answer does not fit): one history line per peer in this interval.
inline constexpr qint64 kServeNoticeIntervalMs = 10000;

// ---- messages remembered, so that a resent copy is shown only once ----
// Messages of one address (its ports together); beyond, the port that holds
// the most gives up its oldest. Peers resend a message a few times within
// seconds (three tries 1.5 s apart, six times that with pictures), so a
// sender's last messages are what its resends name.
inline constexpr qsizetype kRecentMessagesPerAddress = 64;
// Messages of all senders; beyond, the address that holds the most gives up
// its oldest.
inline constexpr qsizetype kRecentMessages = 16384;

// ---- file offers made at a peer's request (share downloads) ----
// Offers one address holds that it asked for and has not fetched yet.
inline constexpr int kRequestedOffersPerAddress = 16;
// Such offers of all peers together, and their entries.
inline constexpr int kRequestedOffers = 128;
inline constexpr qsizetype kRequestedOfferEntries = 4096;

// ---- files peers offer us in their messages ----
// Files and folders one address offers (all its conversations together)
// that the user has neither received nor refused yet; an offer that would
// go beyond is refused whole and released to the sender.
inline constexpr qsizetype kOfferedFilesPerAddress = 1000;
// The same, all addresses together; it refuses only an address that would
// then hold more than kOfferedFilesAlwaysListed, so that forged peers that
// filled it refuse themselves, never a peer with an ordinary offer.
inline constexpr qsizetype kOfferedFiles = 20000;
inline constexpr qsizetype kOfferedFilesAlwaysListed = 200;

// ---- answers ----
// Answers that can be larger than their request (the own pictures, the
// acknowledgements of a picture already stored): listed peers only, at most
// once per address (whatever the port) and picture in this interval.
inline constexpr qint64 kLargeAnswerIntervalMs = 10000;
// Short answers (entry answers, information, absence text, the entry sent to
// an unknown sender): at most one per peer and command in this interval.
inline constexpr qint64 kSmallAnswerIntervalMs = 1000;
// The entry answer to an entry from an address of our own network goes
// whatever the length of our names (a plain peer announces itself once, with
// a short entry, and would never list us): once per address in this interval;
// any other within the answer budget.
inline constexpr qint64 kEntryAnswerIntervalMs = 3000;
// Introductions to senders the host table does not list (our entry, so that
// they answer with theirs): at most this many a second, all senders together.
inline constexpr int kIntroductionsPerSecond = 20;
// An entry answer from our network within this time of our introduction
// to that address and port is listed even when the host table is full.
inline constexpr qint64 kIntroductionAnswerMs = 10000;
// Peers the answer limiters remember at once (further ones are refused).
inline constexpr qsizetype kAnswerPeers = 4096;

// ---- what waits in the kernel toward an address (UnresolvedSends) ----
// A datagram to an address that no host has answered the kernel's neighbour
// (ARP) query for waits in the kernel's queue for it this long, charged to
// our one UDP socket's send buffer; when that buffer is full, every send
// fails, to anyone.
inline constexpr qint64 kNeighbourResolveMs = 3000;
// The send buffer asked for (the kernel gives at most twice its
// net.core.wmem_max).
inline constexpr int kSendBufferBytes = 1 << 20;
// What a small datagram takes of the send buffer beyond its bytes (the
// kernel's own bookkeeping: a 120-byte datagram takes 832 bytes).
inline constexpr qint64 kDatagramOverheadBytes = 768;
// Toward an address whose neighbour the kernel has not resolved: at most
// this much of the send buffer in kNeighbourResolveMs, whatever the port...
inline constexpr qint64 kUnresolvedBytesPerAddress = 16 << 10;
// ...and toward all such addresses that never echoed our challenge, only
// while the socket holds less than this part of its send buffer: the rest
// is kept for the peers that showed they exist.
inline constexpr int kUnresolvedShareDivisor = 2;
// Addresses remembered for the bound per address (beyond, the one whose
// time began first gives way).
inline constexpr qsizetype kUnresolvedAddresses = 8192;
// How often the kernel's neighbour table is read again for an address it
// did not resolve, and for one that reached its bound (a new peer that
// sends a burst at once, resolved by our first answer a moment ago).
inline constexpr qint64 kNeighbourReadMs = 250;
inline constexpr qint64 kNeighbourRecheckMs = 10;
// Sends that failed are counted in the event log at most once in this
// interval.
inline constexpr qint64 kSendFailureReportMs = 1000;

// ---- bytes sent in answer (AnswerBudget) ----
// An answer no larger than the packet it answers costs nothing; of the rest,
// toward an address that has not shown it receives there, the answers stay
// within this many times the bytes that arrived from it...
inline constexpr int kAnswerRatio = 2;
// ...of which at most this much credit is saved up (proven or not).
inline constexpr qint64 kAnswerCreditBytes = 64 << 10;
// Toward an address that has shown it receives there (a forger may use its
// address too): this many times what arrived from it, so that with the free
// answers it never gets more than four times what came. Only the answers
// that waited for an echo of its own go beyond it.
inline constexpr int kProvenAnswerRatio = 3;
// All answers together, to every address, proven or not, per second.
inline constexpr qint64 kAnswerBytesPerSecond = qint64(4) << 20;
// Addresses the budget remembers at once; when full, the one heard from
// longest ago that never proved itself gives way.
inline constexpr qsizetype kAnswerAddresses = 8192;
// An address that echoed our challenge (a random number in a read notice
// asking for its check, as its body and its packet number) counts as
// receiving there for this long...
inline constexpr qint64 kReceiverProvenMs = 30 * 60000;
// ...and a challenge waits this long for its echo, with the answers that
// need it: at most kWaitingAnswers, kWaitingAnswersPerAddress of one address;
// beyond, the address that holds the most gives up its oldest.
inline constexpr qint64 kChallengeMs = 10000;
// A new challenge goes to an address at most once in this interval (peers
// echo one read notice a second); what is asked meanwhile waits for the one
// on its way.
inline constexpr qint64 kChallengeRepeatMs = 1000;
// We echo a challenge (a read notice asking for its check that names no
// message of ours) only from an address we asked something of within this
// time: else any host could have our echo prove its requests forged in our
// name to whoever challenges them.
inline constexpr qint64 kAskedEchoMs = 5000;
// The messages we sent asking for a read notice, remembered so that the
// peer's notice for one is echoed whenever it comes (the oldest go first).
inline constexpr qsizetype kSentReadChecks = 1024;
inline constexpr int kWaitingAnswers = 64;
inline constexpr int kWaitingAnswersPerAddress = 4;

// ---- share passwords ----
// Wrong share passwords from one address are checked at a rate: this many at
// once, then one more each kSharePasswordTryMs (12 a minute); a password
// from an address that has none left is not answered, right or wrong, so a
// right one waits a few seconds at most.
inline constexpr int kSharePasswordTries = 3;
inline constexpr qint64 kSharePasswordTryMs = 5000;
// The share password requests we sent, remembered for kAskedEchoMs so that
// the challenge that names one is echoed, once.
inline constexpr qsizetype kSentPasswordRequests = 256;

// ---- the host table ----
// Answers toward one address to senders the host table does not list,
// whatever their source ports: at most this many a second, free answers
// too, so that new ports buy no new answers (the listed peers of the
// address are answered as ever).
inline constexpr int kStrangerAnswersPerSecond = 20;
inline constexpr qint64 kStrangerAnswersPeriodMs = 1000;

// Answers to addresses off our network that have not shown they receive
// there: at most this many a second, all together (a flood from forged
// addresses would fill the kernel's neighbour table, and the answers to the
// peers of our network would find no room there).
inline constexpr int kOffNetworkAnswersPerSecond = 50;
// Records at most, all senders together, and from one address (ports).
inline constexpr qsizetype kHosts = 4096;
inline constexpr qsizetype kHostsPerAddress = 32;

} // namespace PeerBounds

// Why something a peer sent was refused: counted in the event log as
// "REFUSED <word> <ip>".
enum class PeerRefusal {
    SourceAddress, // a datagram from a source no peer can have (0.0.0.0, a broadcast or multicast address)
    PictureTooLarge, // decoded beyond the picture limits
    PictureBudget, // the incoming-picture budget, or the sender's part of it
    PictureExpired, // an incomplete picture dropped for its age
    PictureUnclaimed, // a chat picture no message of its sender named
    PictureFolderFull, // the picture folders reached their bound
    PictureUnlisted, // a picture from a peer the host table does not list
    AnswerUnlisted, // a large answer asked for by a peer the host table does not list
    AnswerRate, // an answer the peer asked for again too soon
    MessageUnlisted, // a message from a sender the host table does not list
    OfferBudget, // a download request beyond the offers a peer may hold
    OfferExpired, // an offer made at a peer's request that the peer never confirmed
    OfferedFiles, // a peer's offer beyond the files waiting to be received that it may hold
    WindowRate, // a chat window the network may not open this minute
    ShakeRate, // a screen shake too soon after the peer's last
    RequestRate, // a request notice too soon after the peer's last
    ShareUnsent, // a granted share download that could not be sent
    PictureEvicted, // a stored picture deleted to make room (the sender held the most)
    AnswerBudget, // an answer beyond the bytes the address sent us, or beyond all answers' budget
    AnswerUnproven, // an answer that waited for the address to show it receives there, in vain
    SharePassword, // a share password from an address that guessed wrong too often
    MacUnconfirmed, // a group right claimed with a MAC the neighbour table does not confirm
    HostTableFull, // a record the host table has no room for (or one it dropped)
    DiskFloor, // a chat-log record or picture not written: the disk is down to its free-space floor
    SendUnresolved, // a datagram not sent: its address never showed it exists, and what waits there is at its bound
};

QString PeerRefusalWord(PeerRefusal refusal);
