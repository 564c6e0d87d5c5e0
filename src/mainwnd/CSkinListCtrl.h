// A report-style list whose header is a CSkinHeaderCtrl.
#pragma once

#include <QTableView>

class CSkinHeaderCtrl;

class CSkinListCtrl : public QTableView
{
    Q_OBJECT
public:
    explicit CSkinListCtrl(QWidget *parent = nullptr);
    CSkinHeaderCtrl *skinHeader() const { return m_header; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    CSkinHeaderCtrl *m_header;
};
