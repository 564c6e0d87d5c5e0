// What the shared-file dialogs show and keep, without widgets: the rows of
// the three share lists, the user's own share list being edited, and the
// rule of the share password change.
#pragma once

#include "net/ShareList.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

class CConfig;
struct LiveShare;

// One row of a share list: a share of the user (with its path) or an entry
// of a peer's list (with the peer it came from).
struct ShareRecord
{
    QString name;
    QString path; // the user's own shares only
    bool file = true;
    qint64 size = 0;
    QDateTime modified;
    qint32 id = 0;
    QString peer; // the all-files list only: the peer's text and address
    quint32 address = 0;

    static ShareRecord FromEntry(const ShareList::SharedEntry &entry);
    static ShareRecord FromLive(const LiveShare &share, qint32 id);
};

namespace ShareRows {
// Columns of the lists (title, width).
struct Column
{
    QString title;
    int width;
};
QList<Column> SettingsColumns();
QList<Column> BrowseColumns();
QList<Column> AllFilesColumns();
// The texts of a row: name, type, size, then the path (settings) or the time
// (browse) or the time and the peer (all files).
QStringList SettingsTexts(const ShareRecord &record);
QStringList BrowseTexts(const ShareRecord &record);
QStringList AllFilesTexts(const ShareRecord &record);

// The download request of the chosen rows, with the password in front when
// there is one.
QByteArray Request(const QByteArray &password, const std::vector<ShareRecord> &chosen);
// The chosen rows grouped by peer address in order of first appearance.
std::vector<std::pair<quint32, std::vector<ShareRecord>>> GroupByPeer(const std::vector<ShareRecord> &chosen);

inline const QString &NothingChosenText()
{
    static const QString text = QStringLiteral("您还没有选择要下载的文件呢。");
    return text;
}
} // namespace ShareRows

// The user's shares while the settings dialog edits them.
class ShareSettingsModel
{
public:
    enum class AddResult { Added, Duplicate, Unreadable, Unstorable };

    // Reads FileShareInfo: entries whose path is gone or repeated are dropped.
    void Load(const CConfig &config);
    // A path chosen or dropped by the user; a new entry takes the id after
    // FileShareNo, which advances.
    AddResult Add(const QString &path, CConfig &config);
    // Removes the rows (indexes into records()).
    void Remove(QList<int> rows);
    // The stored text of the rows in order.
    QString StoredText() const;
    const std::vector<ShareRecord> &records() const { return m_records; }
    // The message for a path that cannot stand in the list.
    static QString UnstorableText(const QString &path);

private:
    std::vector<ShareRecord> m_records;
};

// The change of the share password ("确定" of the password dialog).
enum class PasswordChange { Accepted, Mismatch, WrongOld };
PasswordChange CheckPasswordChange(
    const QByteArray &stored, const QString &oldPassword, const QString &newPassword, const QString &again);
