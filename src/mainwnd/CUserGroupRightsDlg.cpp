#include "mainwnd/CUserGroupRightsDlg.h"
#include "controls/PlainLabel.h"

#include "core/CConfig.h"
#include "mainwnd/DialogButtons.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

using Field = uint32_t UserGroupRecord::*;

struct RightText
{
    int customId; // 0: no switch
    int valueId;
    Field custom;
    Field value;
    const char16_t *text;
};

constexpr RightText kRights[] = {
    { 1208, 1209, &UserGroupRecord::assistCustom, &UserGroupRecord::assistAllowed, u"允许该组用户发出远程协助请求" },
    { 1210, 1158, &UserGroupRecord::voiceCustom, &UserGroupRecord::voiceAllowed, u"允许该组用户发出语音聊天请求" },
    { 1212, 1052, &UserGroupRecord::groupInviteCustom, &UserGroupRecord::groupInviteAllowed, u"允许该组用户加我至群中" },
    { 1211, 1051, &UserGroupRecord::pictureCustom, &UserGroupRecord::picturesAllowed, u"接收来自该组成员的表情和图片" },
    { 0, 1053, nullptr, &UserGroupRecord::sharesWithoutPassword, u"该组成员无需密码可查看我的共享文件" },
    { 0, 1054, nullptr, &UserGroupRecord::groupBlacklisted, u"把该组成员设置为黑名单" },
    { 1059, 1060, &UserGroupRecord::onlineNoticeCustom, &UserGroupRecord::onlineNotice, u"该组成员上线时通知我" },
    { 1057, 1156, &UserGroupRecord::shakeCustom, &UserGroupRecord::shakeAllowed, u"允许对方发送闪屏振动功能" },
    { 1063, 1064, &UserGroupRecord::offlineNoticeCustom, &UserGroupRecord::offlineNotice, u"该组成员下线时通知我" },
    { 1067, 1068, &UserGroupRecord::tipOnlyCustom, &UserGroupRecord::tipOnly, u"收到消息时只提示,不弹出窗口" },
    { 1069, 1070, &UserGroupRecord::filePopupCustom, &UserGroupRecord::filePopup, u"收到文件时弹出窗口" },
    { 1065, 1167, &UserGroupRecord::spamCustom, &UserGroupRecord::blockSpam, u"过滤该组成员的垃圾消息" },
    { 1071, 1072, &UserGroupRecord::soundCustom, &UserGroupRecord::sound, u"收到消息时播放声音" },
};

// The system setting that applies while a right's switch is off.
bool systemValue(const CConfig &c, Field value)
{
    if (value == &UserGroupRecord::assistAllowed)
        return !(c.StatusValue & OwnStatus::RefusesAssistance);
    if (value == &UserGroupRecord::voiceAllowed)
        return !(c.StatusValue & OwnStatus::RefusesVoice);
    if (value == &UserGroupRecord::picturesAllowed)
        return !(c.StatusValue & OwnStatus::RefusesPictures);
    if (value == &UserGroupRecord::groupInviteAllowed)
        return !(c.StatusValue & OwnStatus::RefusesGroupInvites);
    if (value == &UserGroupRecord::onlineNotice)
        return c.NoTice != 0;
    if (value == &UserGroupRecord::offlineNotice)
        return c.NoTice2 != 0;
    if (value == &UserGroupRecord::shakeAllowed)
        return c.ScreenShake != 0;
    if (value == &UserGroupRecord::blockSpam)
        return c.StopRubbish != 0;
    if (value == &UserGroupRecord::tipOnly)
        return c.NOPOPUPCHECK_STR != 0;
    if (value == &UserGroupRecord::filePopup)
        return c.FilePopup != 0;
    if (value == &UserGroupRecord::sound)
        return c.NOBEEP_STR == 0;
    return false;
}

} // namespace

CUserGroupRightsDlg::CUserGroupRightsDlg(const UserGroupRecord &group, const CConfig &config, QWidget *parent)
    : QDialog(parent)
    , m_group(group)
    , m_systemSound(config.SOUNDFILE_STR)
{
    setObjectName(QStringLiteral("337"));
    setWindowTitle(QStringLiteral("组权限及其它设置"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PlainLabel(QStringLiteral("组名: %1").arg(group.name), this));
    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    int line = 0;
    for (const RightText &right : kRights) {
        Row row;
        row.customField = right.custom;
        row.valueField = right.value;
        row.system = systemValue(config, right.value);
        row.value = new QCheckBox(QString::fromUtf16(right.text), this);
        row.value->setObjectName(QString::number(right.valueId));
        if (right.custom) {
            row.custom = new QCheckBox(QStringLiteral("自定义设置"), this);
            row.custom->setObjectName(QString::number(right.customId));
            row.custom->setChecked(group.*right.custom != 0);
            grid->addWidget(row.custom, line, 0);
        }
        grid->addWidget(row.value, line, 1);
        row.value->setChecked(group.*right.value != 0);
        m_rows.push_back(row);
        ++line;
    }
    m_soundFile = new QLineEdit(group.soundFile, this);
    m_soundFile->setObjectName(QStringLiteral("1073"));
    grid->addWidget(new QLabel(QStringLiteral("声音文件:"), this), line, 0);
    grid->addWidget(m_soundFile, line, 1);
    for (size_t i = 0; i < m_rows.size(); ++i) {
        Row &row = m_rows[i];
        if (!row.custom)
            continue;
        showSystem(row);
        connect(row.custom, &QCheckBox::toggled, this, [this, i] { showSystem(m_rows[i]); });
    }
    AddOkCancel(this, layout);
}

void CUserGroupRightsDlg::showSystem(Row &row)
{
    const bool custom = row.custom->isChecked();
    row.value->setEnabled(custom);
    if (!custom)
        row.value->setChecked(row.system);
    if (row.customField == &UserGroupRecord::soundCustom) {
        m_soundFile->setEnabled(custom);
        if (!custom)
            m_soundFile->setText(m_systemSound);
    }
}

UserGroupRecord CUserGroupRightsDlg::record() const
{
    UserGroupRecord r = m_group;
    for (const Row &row : m_rows) {
        if (row.custom)
            r.*row.customField = row.custom->isChecked() ? 1 : 0;
        r.*row.valueField = row.value->isChecked() ? 1 : 0;
    }
    r.soundFile = m_soundFile->text();
    return r;
}

QWidget *CUserGroupRightsDlg::control(int id) const
{
    return findChild<QWidget *>(QString::number(id));
}
