// The filter of the chat-log viewer ("设置过滤条件"): which fields of a logged
// entry must equal the peer's, and the period of time shown. The opener
// runs it modally and reads the members after IDOK.
#pragma once

#include <QDialog>
#include <array>

class QButtonGroup;
class QCheckBox;

class CUserLogFilterDlg : public QDialog
{
    Q_OBJECT
public:
    // The periods, in the order of their radio buttons.
    enum Period { Today, TwoDays, Week, Month, AllTime };

    explicit CUserLogFilterDlg(QWidget *parent = nullptr);

    // The members, exchanged with the controls when the dialog is shown
    // (members to controls) and on OK (controls to members).
    bool m_groupEqual = false; // 1087 "组 名相等"
    bool m_hostEqual = false; // 1088 "主机名相等"
    bool m_addressEqual = false; // 1079 "IP地址相等"
    bool m_loginEqual = false; // 1089 "登录名相等"
    bool m_userEqual = false; // 1086 "用户名相等"
    int m_period = Today; // radio group from 1162
    bool m_macEqual = true; // 1080 "MAC地址相等"

    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // true: controls to members; false: members to controls.
    void exchange(bool save);

    std::array<QCheckBox *, 6> m_boxes {};
    QButtonGroup *m_periods = nullptr;
};
