#include "net/PeerBounds.h"

QString PeerRefusalWord(PeerRefusal refusal)
{
    switch (refusal) {
    case PeerRefusal::PictureTooLarge:
        return QStringLiteral("picture-too-large");
    case PeerRefusal::PictureBudget:
        return QStringLiteral("picture-budget");
    case PeerRefusal::PictureExpired:
        return QStringLiteral("picture-expired");
    case PeerRefusal::PictureUnclaimed:
        return QStringLiteral("picture-unclaimed");
    case PeerRefusal::PictureFolderFull:
        return QStringLiteral("picture-folder-full");
    case PeerRefusal::PictureUnlisted:
        return QStringLiteral("picture-unlisted");
    case PeerRefusal::AnswerUnlisted:
        return QStringLiteral("answer-unlisted");
    case PeerRefusal::AnswerRate:
        return QStringLiteral("answer-rate");
    case PeerRefusal::MessageUnlisted:
        return QStringLiteral("message-unlisted");
    case PeerRefusal::OfferBudget:
        return QStringLiteral("offer-budget");
    case PeerRefusal::OfferExpired:
        return QStringLiteral("offer-expired");
    case PeerRefusal::OfferedFiles:
        return QStringLiteral("offered-files");
    case PeerRefusal::WindowRate:
        return QStringLiteral("window-rate");
    case PeerRefusal::ShakeRate:
        return QStringLiteral("shake-rate");
    case PeerRefusal::RequestRate:
        return QStringLiteral("request-rate");
    case PeerRefusal::ShareUnsent:
        return QStringLiteral("share-unsent");
    case PeerRefusal::PictureEvicted:
        return QStringLiteral("picture-evicted");
    case PeerRefusal::AnswerBudget:
        return QStringLiteral("answer-budget");
    case PeerRefusal::AnswerUnproven:
        return QStringLiteral("answer-unproven");
    case PeerRefusal::SharePassword:
        return QStringLiteral("share-password");
    case PeerRefusal::MacUnconfirmed:
        return QStringLiteral("mac-unconfirmed");
    case PeerRefusal::HostTableFull:
        return QStringLiteral("host-table-full");
    case PeerRefusal::SourceAddress:
        return QStringLiteral("source-address");
    case PeerRefusal::DiskFloor:
        return QStringLiteral("disk-floor");
    case PeerRefusal::SendUnresolved:
        return QStringLiteral("send-unresolved");
    }
    return QString::number(int(refusal));
}
