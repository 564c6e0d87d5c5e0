// "个人及系统设置": the user's own name and group, the list's columns and the
// tree's background. Made once by the messenger page, filled from the
// configuration each time it opens; OK stores and applies what changed.
#pragma once

#include "mainwnd/TreeStyleValues.h"

#include <QDialog>

class CConfig;
class QCheckBox;
class QLineEdit;
class QTabWidget;
class TreeStyleEditor;

class CSettingsDlg : public QDialog
{
    Q_OBJECT
public:
    // What OK changed, for the page to apply.
    struct Changes
    {
        bool identity = false; // nick name or group: announce again
        bool columns = false; // the list's columns are to be made anew
        bool treeStyle = false;
        int oldTreeBackground = 0;
    };

    explicit CSettingsDlg(CConfig &config, QWidget *parent = nullptr);

    // Fills the controls from the configuration.
    void Fill();
    // Stores the controls into the configuration and saves it.
    Changes Store();

    QLineEdit *nickEdit() const { return m_nick; }
    QLineEdit *groupEdit() const { return m_group; }
    QLineEdit *columnsEdit() const { return m_columns; }
    QCheckBox *autoWidthBox() const { return m_autoWidth; }
    TreeStyleEditor *treeEditor() const { return m_tree; }
    QTabWidget *pages() const { return m_pages; }

private:
    CConfig &m_config;
    QTabWidget *m_pages = nullptr;
    QLineEdit *m_nick = nullptr;
    QLineEdit *m_group = nullptr;
    QLineEdit *m_columns = nullptr;
    QCheckBox *m_autoWidth = nullptr;
    TreeStyleEditor *m_tree = nullptr;
    QWidget *m_treePage = nullptr;
};
