// Carries out the packet admission on the engine: installed as its
// admission hook, it works out the sender's key and group, asks
// PacketAdmission for the decision and records, answers or silently
// removes the sender as decided.
#pragma once

#include "net/PacketAdmission.h"

#include <QObject>
#include <QString>
#include <functional>

class MessengerEngine;
struct PacketRecord;

class PeerAdmission : public QObject
{
    Q_OBJECT
public:
    // Share answers are cut to this many bytes of text.
    static constexpr qsizetype kShareListBytes = 16383;

    // Installs itself as the engine's admission hook (removed again when
    // it goes).
    explicit PeerAdmission(MessengerEngine &engine, QObject *parent = nullptr);
    ~PeerAdmission() override;

    // The share list answered to the groups that see the shares without the
    // password (the reply text built from FileShareInfo). Without a source
    // those requests go on to the normal handler.
    using ShareListSource = std::function<QString()>;
    void setShareListSource(ShareListSource source) { m_shares = std::move(source); }
    // The kernel's neighbour table, read for a sender without a MAC text
    // while the user is hidden (tests use a file of their own).
    void setNeighbourTablePath(const QString &path) { m_neighbourPath = path; }

    // True when the packet is consumed (the dispatcher stops).
    bool Admit(const PacketRecord &packet);
    // The memo key under which the sender's group is looked up.
    QString SenderKey(const PacketRecord &packet) const;
    // Whether the sender's user group lets it see the shares without the
    // password. A group keyed by a MAC grants it only to a sender on our
    // network whose MAC the kernel's neighbour table confirms: every peer
    // announces its MAC text, so anyone can claim a member's (a refusal is
    // counted).
    bool SharesWithoutPassword(const PacketRecord &packet);
    // True when the key is no MAC text, or the neighbour table gives that
    // MAC for the sender's address on our network.
    bool KeyConfirmed(const QString &key, quint32 address) const;

private:
    void answerShares(const PacketRecord &packet, PacketAdmission::ShareAnswer kind);

    MessengerEngine &m_engine;
    ShareListSource m_shares;
    QString m_neighbourPath = QStringLiteral("/proc/net/arp");
};
