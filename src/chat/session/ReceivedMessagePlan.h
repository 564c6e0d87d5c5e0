// What a chat window does with a received message, decided without any
// widget: blocked by a spam rule (with its tip, log entry, release of the
// offered files and automatic reply) or shown (sender line, text, log entry,
// offer notice, read notice, tip).
#pragma once

#include "core/ChatFont.h"
#include "core/ConfigRecords.h"
#include "core/SpamFilter.h"

#include <QList>
#include <QString>

// The text of a message without its font block, and the font the block names
// (the standard font when there is none). The block is taken only from the
// very end of the text, by its last "{/font;": every other "{" stays.
struct StrippedText
{
    QString text;
    ChatFont font;
};
StrippedText StripFontBlock(const QString &text);

struct ReceivedInput
{
    QString text; // the decoded (and decrypted) body; may end with a font block
    bool multiSend = false; // OPT_MULTICAST
    bool sealed = false; // OPT_SECRET: the sender waits for a read notice
    bool automatic = false; // OPT_AUTO_RETURN: itself an automatic reply
    bool offersFiles = false; // OPT_FILE_ATTACH
    QList<OfferedItemName> files; // the usable entries of the offer
    bool applyRules = false; // the window has a configuration and the engine asks for filtering
    QList<SpamRuleRecord> rules;
    bool notify = false; // a tip is wanted after showing
    QString nick;
    QString hostName;
    quint32 address = 0;
    QString time; // "%H:%M:%S"
};

struct ReceivedPlan
{
    bool blocked = false;

    // Blocked: what the deciding rule asks for.
    int rule = -1;
    bool tip = false;
    QString tipTitle;
    QString tipText;
    bool log = false;
    QString logText; // header line, text and the refused file names
    bool releaseOffer = false;
    QString autoReply; // empty: none (never in answer to an automatic reply)

    // Shown.
    QString senderLine; // empty when the text is empty
    QString shownText; // "  " + text + "\n", font block included: the history cuts it
    QString logBody; // the text without its font block
    ChatFont logFont;
    QString offerNotice; // empty without files
    bool queueReadNotice = false;
    bool showTip = false; // shown-message tip (notify)
};

ReceivedPlan PlanReceivedMessage(const ReceivedInput &input);

namespace ReceivedTexts {
QString BlockedTipTitle();
QString BlockedLogUser();
QString BlockedLogTitle();
} // namespace ReceivedTexts
