// "组权限及其它设置" (dialog 337): the rights of one user group. Each right
// has a "自定义设置" switch; while it is off, the value beside it shows the
// system setting and cannot be changed.
#pragma once

#include "core/ConfigRecords.h"

#include <QDialog>
#include <vector>

class CConfig;
class QCheckBox;
class QLineEdit;

class CUserGroupRightsDlg : public QDialog
{
    Q_OBJECT
public:
    CUserGroupRightsDlg(const UserGroupRecord &group, const CConfig &config, QWidget *parent = nullptr);

    // The record as the controls say (its other fields as given).
    UserGroupRecord record() const;
    // The control of a dialog id (1208, 1209, ..., 1073), or null.
    QWidget *control(int id) const;

private:
    struct Row
    {
        QCheckBox *custom = nullptr; // null: a right without a switch
        QCheckBox *value = nullptr;
        uint32_t UserGroupRecord::*customField = nullptr;
        uint32_t UserGroupRecord::*valueField = nullptr;
        bool system = false; // the value while the switch is off
    };
    void showSystem(Row &row);

    UserGroupRecord m_group;
    std::vector<Row> m_rows;
    QLineEdit *m_soundFile = nullptr;
    QString m_systemSound;
};
