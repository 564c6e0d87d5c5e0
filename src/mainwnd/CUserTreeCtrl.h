// The tree style of the contact list (control 1193): the rows of a
// ContactTreeModel over a picture, a gradient or a fill colour that scrolls
// with the content. A click on a group node opens or closes it; a double
// click on a peer asks for its chat window.
#pragma once

#include "mainwnd/TreePainting.h"

#include <QListView>
#include <QPersistentModelIndex>

class CConfig;
class ContactTreeModel;
class HostRecord;

class CUserTreeCtrl : public QListView
{
    Q_OBJECT
public:
    static constexpr int kDefaultBackground = 316;

    explicit CUserTreeCtrl(QWidget *parent = nullptr);

    void setTreeModel(ContactTreeModel *model);
    ContactTreeModel *treeModel() const { return m_model; }
    void setConfig(CConfig *config) { m_config = config; }

    // Large (32 × 32) or small (16 × 16) head icons.
    void SetLargeIcons(bool large);
    bool largeIcons() const { return m_large; }
    // The program's own picture (the default 316) or a picture file; a file
    // that does not load falls back to the default.
    void SetBackgroundBitmap(int resourceId);
    void SetBackgroundImageFile(const QString &path);
    const QPixmap &backgroundPicture() const { return m_picture; }

    // The painting values as of the last paint.
    const TreeStyle &treeStyle() const { return m_style; }
    // The peer shown large in small-icon mode after a click.
    QPersistentModelIndex enlargedRow() const { return m_enlarged; }
    // The enlarged peer goes back to its normal height.
    void ResetEnlarged();

signals:
    void userDoubleClicked(HostRecord *host);
    // A right click: on a peer (host), a node (name, user group or not) or
    // empty space (neither).
    void contextMenuAt(const QPoint &globalPos, HostRecord *host, const QString &nodeName, bool userGroup);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void readStyle();
    void relayout();

    ContactTreeModel *m_model = nullptr;
    CConfig *m_config = nullptr;
    TreeStyle m_style;
    QPixmap m_picture;
    QString m_pictureFile; // the file m_picture came from, empty for the default
    bool m_large = false;
    bool m_afterDoubleClick = false;
    QPersistentModelIndex m_enlarged;
};
