#include "chat/shares/ShareRecords.h"

#include "core/CConfig.h"
#include "core/Password.h"
#include "core/SizeFormat.h"
#include "net/ShareService.h"

#include <QFileInfo>
#include <map>

ShareRecord ShareRecord::FromEntry(const ShareList::SharedEntry &entry)
{
    ShareRecord r;
    r.name = entry.name;
    r.file = entry.file;
    r.size = entry.size;
    r.modified = entry.modified;
    r.id = entry.id;
    return r;
}

ShareRecord ShareRecord::FromLive(const LiveShare &share, qint32 id)
{
    ShareRecord r;
    r.name = QFileInfo(share.path).fileName();
    r.path = share.path;
    r.file = share.file;
    r.size = share.size;
    r.modified = share.modified;
    r.id = id;
    return r;
}

namespace ShareRows {

namespace {

QStringList common(const ShareRecord &r)
{
    QString size;
    if (r.file || r.size != 0)
        size = FormatFileSize(r.size);
    return { r.name.trimmed(), r.file ? QStringLiteral("文件") : QStringLiteral("目录"), size };
}

QString timeText(const ShareRecord &r)
{
    return r.modified.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

QList<Column> SettingsColumns()
{
    return { { QStringLiteral("名称"), 200 }, { QStringLiteral("类型"), 60 }, { QStringLiteral("大小"), 80 },
        { QStringLiteral("全路径名"), 320 } };
}

QList<Column> BrowseColumns()
{
    return { { QStringLiteral("名称"), 200 }, { QStringLiteral("类型"), 60 }, { QStringLiteral("大小"), 80 },
        { QStringLiteral("修改时间"), 130 } };
}

QList<Column> AllFilesColumns()
{
    return { { QStringLiteral("名称"), 150 }, { QStringLiteral("类型"), 50 }, { QStringLiteral("大小"), 60 },
        { QStringLiteral("修改时间"), 130 }, { QStringLiteral("来自于"), 800 } };
}

QStringList SettingsTexts(const ShareRecord &record)
{
    return common(record) << record.path;
}

QStringList BrowseTexts(const ShareRecord &record)
{
    return common(record) << timeText(record);
}

QStringList AllFilesTexts(const ShareRecord &record)
{
    return common(record) << timeText(record) << record.peer;
}

QByteArray Request(const QByteArray &password, const std::vector<ShareRecord> &chosen)
{
    std::vector<ShareList::RequestItem> items;
    for (const ShareRecord &r : chosen)
        items.push_back({ r.id, ShareList::RequestTime(r.modified) });
    return ShareList::BuildRequest(password, items);
}

std::vector<std::pair<quint32, std::vector<ShareRecord>>> GroupByPeer(const std::vector<ShareRecord> &chosen)
{
    std::vector<std::pair<quint32, std::vector<ShareRecord>>> out;
    for (const ShareRecord &r : chosen) {
        auto it = std::find_if(out.begin(), out.end(), [&](const auto &g) { return g.first == r.address; });
        if (it == out.end()) {
            out.push_back({ r.address, {} });
            it = out.end() - 1;
        }
        it->second.push_back(r);
    }
    return out;
}

} // namespace ShareRows

void ShareSettingsModel::Load(const CConfig &config)
{
    m_records.clear();
    for (const ShareList::StoredShare &stored : ShareList::ParseStored(config.FileShareInfo)) {
        const auto live = ShareService::Inspect(stored.path);
        if (!live)
            continue;
        const bool known = std::any_of(
            m_records.begin(), m_records.end(), [&](const ShareRecord &r) { return r.path == live->path; });
        if (known)
            continue;
        m_records.push_back(ShareRecord::FromLive(*live, stored.id));
    }
}

ShareSettingsModel::AddResult ShareSettingsModel::Add(const QString &path, CConfig &config)
{
    // The real path is kept: serving refuses a path with a link in it.
    const QString real = QFileInfo(path).canonicalFilePath();
    const auto live = real.isEmpty() ? std::nullopt : ShareService::Inspect(real);
    if (!live)
        return AddResult::Unreadable;
    if (ShareList::CheckStorablePath(live->path) != ShareList::PathProblem::None)
        return AddResult::Unstorable;
    if (std::any_of(m_records.begin(), m_records.end(), [&](const ShareRecord &r) { return r.path == live->path; }))
        return AddResult::Duplicate;
    m_records.push_back(ShareRecord::FromLive(*live, ++config.FileShareNo));
    return AddResult::Added;
}

void ShareSettingsModel::Remove(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (row >= 0 && row < int(m_records.size()))
            m_records.erase(m_records.begin() + row);
    }
}

QString ShareSettingsModel::StoredText() const
{
    std::vector<ShareList::StoredShare> stored;
    for (const ShareRecord &r : m_records)
        stored.push_back({ r.id, r.path });
    return ShareList::BuildStored(stored);
}

QString ShareSettingsModel::UnstorableText(const QString &path)
{
    return QStringLiteral("不能共享该路径(路径中含有\"::\"或\"||\"，或含有无法保存的字符)：\n%1").arg(path);
}

PasswordChange CheckPasswordChange(
    const QByteArray &stored, const QString &oldPassword, const QString &newPassword, const QString &again)
{
    if (newPassword != again)
        return PasswordChange::Mismatch;
    const qsizetype nul = stored.indexOf('\0');
    const bool protectedNow = (nul < 0 ? stored.size() : nul) > 0;
    if (protectedNow && !VerifyScrambledPassword(oldPassword, stored))
        return PasswordChange::WrongOld;
    return PasswordChange::Accepted;
}
