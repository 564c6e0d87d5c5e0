// The messenger page's commands of the look: the colour schemes, the custom
// colours, the tree's style, the windows' transparency and the enlarged
// selection of the tree. Dialogs preview their values live and put the old
// ones back when they are not accepted.
#include "mainwnd/CMessengerDlg.h"

#include "controls/SkinColor.h"
#include "core/CConfig.h"
#include "core/Prompter.h"
#include "mainwnd/CMainToolBar.h"
#include "mainwnd/CSettingsDlg.h"
#include "mainwnd/CSkinColorDlg.h"
#include "mainwnd/CTransparencyDlg.h"
#include "mainwnd/CTreeStyleDlg.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/CUserTreeCtrl.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "platform/WindowAlpha.h"

namespace {

std::array<int CConfig::*, CTransparencyDlg::kKinds> opacityFields()
{
    return { &CConfig::MainOpacity, &CConfig::ChatOpacity, &CConfig::MsgOpacity, &CConfig::OtherOpacity };
}

} // namespace

void CMessengerDlg::ApplyColorScheme()
{
    m_toolBar->SetBkColor(ColorFromRef(m_engine.config().MainBarLeftTopColor));
    m_toolBar->update();
    emit colorSchemeChanged();
}

void CMessengerDlg::OnColorScheme(int id)
{
    const auto scheme = ContactCommands::SchemeOf(id);
    if (!scheme)
        return;
    ContactCommands::SetSkin(m_engine.config(), *scheme);
    ApplyColorScheme();
}

void CMessengerDlg::OnCustomColor()
{
    CConfig &config = m_engine.config();
    const ContactCommands::SkinColors before = ContactCommands::CurrentSkin(config);
    CSkinColorDlg dialog(before, config.SkinWeekChange, window());
    bool previewed = false;
    connect(&dialog, &CSkinColorDlg::previewChanged, this, [&](const ContactCommands::SkinColors &colors) {
        ContactCommands::SetSkin(config, colors);
        ApplyColorScheme();
        previewed = true;
    });
    if (dialog.exec() == QDialog::Accepted) {
        config.SkinWeekChange = dialog.weekChange();
        const ContactCommands::SkinColors chosen = dialog.colors();
        if (chosen.frame != before.frame || chosen.leftTop != before.leftTop
            || chosen.rightBottom != before.rightBottom) {
            ContactCommands::SetSkin(config, chosen);
            ApplyColorScheme();
        }
        config.Save(CFG_GENERAL);
        return;
    }
    if (previewed) {
        ContactCommands::SetSkin(config, before);
        ApplyColorScheme();
    }
}

void CMessengerDlg::OnCustomTreeStyle()
{
    CConfig &config = m_engine.config();
    TreeStyleValues before = TreeStyleValues::Read(config);
    if (before.FallBackIfMissing())
        before.Write(config);
    CTreeStyleDlg dialog(before, window());
    connect(&dialog, &CTreeStyleDlg::previewChanged, this, [this, &config](const TreeStyleValues &values) {
        values.Write(config);
        m_tree->viewport()->update();
    });
    if (dialog.exec() != QDialog::Accepted) {
        before.Write(config);
        m_tree->viewport()->update();
        return;
    }
    TreeStyleValues chosen = dialog.values();
    const QString path = chosen.picturePath;
    if (chosen.FallBackIfMissing())
        Prompter::current().messageBox(nullptr, path + QStringLiteral("  不存在"), QStringLiteral("提示"),
            Prompter::Buttons::Ok, Prompter::Icon::Information);
    chosen.Write(config);
    if (before.bkStyle == 0 || chosen.bkStyle == 0)
        RebuildUserViews(false);
    m_tree->viewport()->update();
    config.Save(CFG_GENERAL);
}

void CMessengerDlg::OnSetTransparency()
{
    CConfig &config = m_engine.config();
    const auto fields = opacityFields();
    std::array<int, CTransparencyDlg::kKinds> before{};
    for (size_t kind = 0; kind < fields.size(); ++kind)
        before[kind] = config.*fields[kind];
    CTransparencyDlg dialog(before, window());
    connect(&dialog, &CTransparencyDlg::previewChanged, this,
        [](int kind, int percent) { WindowAlpha::ApplyToKind(kind, WindowAlpha::FromPercent(percent)); });
    const bool accepted = dialog.exec() == QDialog::Accepted;
    const auto chosen = dialog.values();
    if (accepted) {
        if (!dialog.anyChanged())
            return;
        for (size_t kind = 0; kind < fields.size(); ++kind)
            config.*fields[kind] = chosen[kind];
        config.Save(CFG_GENERAL);
        return;
    }
    // Cancelled: every class the preview changed gets its old alpha back.
    for (int kind = 0; kind < CTransparencyDlg::kKinds; ++kind)
        if (dialog.changed(kind) && chosen[size_t(kind)] != before[size_t(kind)])
            WindowAlpha::ApplyToKind(kind, WindowAlpha::FromPercent(before[size_t(kind)]));
}

void CMessengerDlg::OnToggleSelectedLarge()
{
    CConfig &config = m_engine.config();
    config.SmallIconSelShowLarge = config.SmallIconSelShowLarge != 0 ? 0 : 1;
    if (config.SmallIconSelShowLarge == 0)
        m_tree->ResetEnlarged();
}

void CMessengerDlg::OnSettings()
{
    CConfig &config = m_engine.config();
    if (!m_settings)
        m_settings = new CSettingsDlg(config, window());
    else
        m_settings->Fill();
    if (m_settings->exec() != QDialog::Accepted)
        return;
    const CSettingsDlg::Changes changes = m_settings->Store();
    if (changes.identity)
        m_engine.AnnouncePresence(CMD_ANNOUNCE_STATUS);
    if (changes.columns) {
        // The columns anew; the list's rows follow in the list style.
        m_contacts.listModel()->DeleteAllItems();
        m_list->SetColumnOrder(config.ListColStryle_STR);
        if (config.MembersShowMode == 0)
            RefillUserList();
    }
    if (changes.treeStyle && (changes.oldTreeBackground == 0 || config.TreeBkStyle == 0))
        RebuildUserViews(false);
    m_tree->viewport()->update();
}
