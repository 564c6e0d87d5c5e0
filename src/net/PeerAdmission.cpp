#include "net/PeerAdmission.h"

#include "core/CConfig.h"
#include "core/Gbk.h"
#include "core/GroupRights.h"
#include "core/PeerKey.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/HostRecord.h"
#include "net/MessengerEngine.h"
#include "net/NeighbourTable.h"
#include "net/PacketCodec.h"
#include "net/PacketRecord.h"
#include "net/VisibleToList.h"

#include <algorithm>
#include <cctype>

PeerAdmission::PeerAdmission(MessengerEngine &engine, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
{
    m_engine.setAdmissionHook([this](const PacketRecord &packet) { return Admit(packet); });
}

PeerAdmission::~PeerAdmission()
{
    m_engine.setAdmissionHook({});
}

QString PeerAdmission::SenderKey(const PacketRecord &packet) const
{
    if (!packet.macText.isEmpty())
        return packet.macText;
    const CConfig &config = m_engine.config();
    if (config.StatusValue & OwnStatus::Hidden) {
        // Worked out from what is known without asking the network: the
        // address-to-MAC map, the kernel's neighbour table, else the names.
        const QString style = config.GetMacStryle_STR;
        const auto made = [&](const QString &mac) {
            return MakePeerKey(packet.key.address, packet.key.loginName(), packet.key.hostName(), mac, style);
        };
        if (config.IpToMac.contains(packet.key.address))
            return made(config.IpToMac.value(packet.key.address));
        NeighbourTable neighbours;
        neighbours.Load(m_neighbourPath);
        if (const auto mac = neighbours.Mac(packet.key.address))
            return *mac;
        return made(QString());
    }
    // The key the list gave the peer when it was placed.
    const HostRecord *host = m_engine.FindHost(packet.key.address, packet.key.port);
    return host ? host->keyText : QString();
}

namespace {

bool isMacText(const QString &key)
{
    if (key.size() != 12)
        return false;
    return std::all_of(key.cbegin(), key.cend(), [](QChar c) { return std::isxdigit(c.unicode()) && c.unicode() < 128; });
}

} // namespace

bool PeerAdmission::KeyConfirmed(const QString &key, quint32 address) const
{
    if (!isMacText(key))
        return true;
    if (!m_engine.net().IsOnOwnNetwork(address))
        return false;
    NeighbourTable neighbours;
    neighbours.Load(m_neighbourPath);
    const auto mac = neighbours.Mac(address);
    return mac && mac->compare(key, Qt::CaseInsensitive) == 0;
}

bool PeerAdmission::SharesWithoutPassword(const PacketRecord &packet)
{
    const QString key = SenderKey(packet);
    if (!GroupRights::SharesWithoutPassword(m_engine.config(), key))
        return false;
    if (KeyConfirmed(key, packet.key.address))
        return true;
    m_engine.Refuse(PeerRefusal::MacUnconfirmed, packet.key.address);
    return false;
}

bool PeerAdmission::Admit(const PacketRecord &packet)
{
    const CConfig &config = m_engine.config();
    const CNetManager &net = m_engine.net();
    PacketAdmission::Facts facts;
    facts.commandWord = packet.commandWord;
    facts.extVersion = packet.extVersion;
    facts.senderHidden = (packet.statusBits & OwnStatus::Hidden) != 0;
    facts.own = packet.key.address == net.ownAddress() && packet.key.port == net.port();
    facts.userHidden = (config.StatusValue & OwnStatus::Hidden) != 0;
    facts.ipmsgCompatible = config.IPMsgCompatible != 0;
    facts.allBlackList = config.AllBlackList != 0;
    facts.screenShake = config.ScreenShake != 0;
    facts.sharesListed = !config.FileShareInfo.trimmed().isEmpty();

    PacketAdmission::SenderGroup group;
    if (PacketAdmission::NeedsGroup(facts)) {
        const QString key = SenderKey(packet);
        group.blacklistGroup = GroupRights::GroupNameOf(config, key) == DefaultGroups::BlackList();
        if (!group.blacklistGroup)
            group.rights = GroupRights::RightsOf(config, key);
        // Seeing the shares without the password is granted by a claimed
        // MAC only when the neighbour table confirms it.
        const quint32 command = GET_MODE(packet.commandWord);
        if (group.rights && group.rights->sharesWithoutPassword
            && (command == CMD_GET_SHARE_LIST || command == CMD_GET_ALL_SHARES)
            && !KeyConfirmed(key, packet.key.address)) {
            m_engine.Refuse(PeerRefusal::MacUnconfirmed, packet.key.address);
            group.rights->sharesWithoutPassword = 0;
        }
    }
    const PacketAdmission::Decision d = PacketAdmission::Decide(facts, group);
    if (d.record) {
        m_engine.AddOrUpdateHost(packet, packet.commandWord, packet.bodyText(), packet.extensionText(),
            packet.extVersion, packet.headIcon, packet.statusBits, packet.macText, packet.headPictureSize,
            packet.customPictureSize);
    }
    if (d.answerEntry)
        m_engine.SendEntryAnswer(packet, CMD_ANSWER_ENTRY | (d.answerVisible ? OPT_VISIBLE_WHEN_HIDDEN : 0));
    if (d.removeSender) {
        // A hidden peer is not to be seen: it leaves the list without a notice.
        m_engine.RemoveHost(m_engine.FindHost(packet.key.address, packet.key.port), false);
    }
    if (d.share != PacketAdmission::ShareAnswer::None) {
        if (!m_shares)
            return false; // the normal handler answers
        answerShares(packet, d.share);
    }
    return d.consume;
}

void PeerAdmission::answerShares(const PacketRecord &packet, PacketAdmission::ShareAnswer kind)
{
    const quint32 command = kind == PacketAdmission::ShareAnswer::ShareList ? CMD_SHARE_LIST : CMD_ALL_SHARES;
    // A list can be many times the request: listed peers only, once a second.
    if (!m_engine.MayAnswerListed(packet.key, command))
        return;
    // ...and to an address that shows it receives there.
    m_engine.AnswerWhenReceiver(packet.key, this, [this, to = packet.key, command] {
        // Entries that would not fit the packet are left out whole.
        const qsizetype room = std::min(kShareListBytes, VisibleToList::BodyRoom(m_engine.ownHeader(), command));
        m_engine.SendAnswer(to, command, VisibleToList::CutAtEntry(Gbk::encode(m_shares()), "||", room));
    });
}
