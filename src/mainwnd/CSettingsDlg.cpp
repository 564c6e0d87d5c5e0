#include "mainwnd/CSettingsDlg.h"

#include "controls/GbkByteLimit.h"
#include "core/CConfig.h"
#include "core/Gbk.h"
#include "mainwnd/DialogButtons.h"
#include "mainwnd/TreeStyleEditor.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kNameBytes = 49;

} // namespace

CSettingsDlg::CSettingsDlg(CConfig &config, QWidget *parent)
    : QDialog(parent)
    , m_config(config)
{
    setObjectName(QStringLiteral("CSettingsDlg"));
    setWindowTitle(QStringLiteral("个人及系统设置"));
    auto *layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    layout->addWidget(m_pages, 1);

    auto *own = new QWidget(m_pages);
    auto *ownForm = new QFormLayout(own);
    m_nick = new QLineEdit(own);
    m_group = new QLineEdit(own);
    // The edits take no more than is kept.
    LimitGbkBytes(m_nick, kNameBytes);
    LimitGbkBytes(m_group, kNameBytes);
    ownForm->addRow(QStringLiteral("我的用户名:"), m_nick);
    ownForm->addRow(QStringLiteral("我的组名:"), m_group);
    m_pages->addTab(own, QStringLiteral("个人设置"));

    auto *list = new QWidget(m_pages);
    auto *listForm = new QFormLayout(list);
    m_columns = new QLineEdit(list);
    m_columns->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[1-6]{1,6}")), m_columns));
    listForm->addRow(QStringLiteral("列表的列(按顺序):"), m_columns);
    listForm->addRow(new QLabel(QStringLiteral("1 用户名, 2 主机, 3 登录名, 4 组名, 5 自定义组名, 6 IP地址"), list));
    m_autoWidth = new QCheckBox(QStringLiteral("自动调整列宽"), list);
    listForm->addRow(m_autoWidth);
    m_pages->addTab(list, QStringLiteral("列表风格"));

    m_treePage = new QWidget(m_pages);
    new QVBoxLayout(m_treePage);
    m_pages->addTab(m_treePage, QStringLiteral("树型背景"));

    AddOkCancel(this, layout);
    Fill();
}

void CSettingsDlg::Fill()
{
    m_nick->setText(m_config.NICKNAMESTR_STR);
    m_group->setText(m_config.GROUPNAMESTR_STR);
    m_columns->setText(m_config.ListColStryle_STR);
    m_autoWidth->setChecked(m_config.AutoWidth != 0);
    delete m_tree;
    m_tree = new TreeStyleEditor(TreeStyleValues::Read(m_config), m_treePage);
    m_treePage->layout()->addWidget(m_tree);
}

CSettingsDlg::Changes CSettingsDlg::Store()
{
    Changes changes;
    const QString nick = Gbk::truncate(m_nick->text().trimmed(), kNameBytes);
    const QString group = Gbk::truncate(m_group->text().trimmed(), kNameBytes);
    changes.identity = nick != m_config.NICKNAMESTR_STR || group != m_config.GROUPNAMESTR_STR;
    m_config.NICKNAMESTR_STR = nick;
    m_config.GROUPNAMESTR_STR = group;

    const QString columns = m_columns->text().trimmed();
    changes.columns = !columns.isEmpty() && columns != m_config.ListColStryle_STR;
    if (changes.columns)
        m_config.ListColStryle_STR = columns;
    m_config.AutoWidth = m_autoWidth->isChecked() ? 1 : 0;

    const TreeStyleValues before = TreeStyleValues::Read(m_config);
    TreeStyleValues tree = m_tree->values();
    tree.FallBackIfMissing();
    changes.treeStyle = !(tree == before);
    changes.oldTreeBackground = before.bkStyle;
    tree.Write(m_config);
    m_config.Save(CFG_GENERAL);
    return changes;
}
