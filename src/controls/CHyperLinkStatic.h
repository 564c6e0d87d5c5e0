// A hyperlink label: underlined text in its unvisited, visited or hover
// colour, a hand cursor, a tip showing the address; a click opens the
// address through the desktop services (never as a command line).
#pragma once

#include <QColor>
#include <QWidget>

class CHyperLinkStatic : public QWidget
{
    Q_OBJECT
public:
    explicit CHyperLinkStatic(QWidget *parent = nullptr);
    CHyperLinkStatic(const QString &text, const QString &url, QWidget *parent = nullptr);

    void SetURL(const QString &url);
    QString GetURL() const { return m_url; }
    void SetText(const QString &text);
    QString text() const { return m_text; }
    void SetColors(const QColor &unvisited, const QColor &visited, const QColor &hover);
    bool isVisited() const { return m_visited; }
    // The colour the text is drawn in now.
    QColor currentColor() const;

    // Opens the address; true when the desktop took it. Marks the link visited.
    bool Open();

    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QString m_text;
    QString m_url;
    QColor m_unvisitedColor, m_visitedColor, m_hoverColor;
    bool m_hovered = false;
    bool m_visited = false;
};
