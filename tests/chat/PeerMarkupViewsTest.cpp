// Markup that reaches a text view (a pasted page, a web pane, a record) never
// makes it read a file or a device it names: only the pictures the view
// holds itself show.
#include "TestEnv.h"
#include "chat/CMsgRichEdit.h"
#include "controls/HtmlPaneView.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QImage>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

// Markup naming a 300 x 400 picture file by path and by URL, and /dev/zero.
QString hostilePage()
{
    const QString path = TestEnv::freshDir(QStringLiteral("markup-views")) + QStringLiteral("/tall.png");
    QImage tall(300, 400, QImage::Format_RGB32);
    tall.fill(Qt::red);
    EXPECT_TRUE(tall.save(path));
    return QStringLiteral("<p>x<img src=\"%1\"><img src=\"file://%1\"><img src=/dev/zero><img src=\"tall.png\"></p>")
        .arg(path);
}

// Lays the document out (which loads its pictures) and returns its height.
qreal laidOutHeight(QTextDocument *document)
{
    document->setTextWidth(800);
    return document->documentLayout()->documentSize().height();
}

TEST(PeerMarkupViews, HistoryAndWebPaneReadNothingTheMarkupNames)
{
    const QString page = hostilePage();
    CMsgRichEdit history;
    HtmlPaneView pane;
    for (QTextDocument *document : { history.document(), pane.document() }) {
        document->setBaseUrl(QUrl::fromLocalFile(TestEnv::freshDir(QStringLiteral("markup-views")) + u'/'));
        QElapsedTimer clock;
        clock.start();
        document->setHtml(page);
        EXPECT_LT(laidOutHeight(document), 200) << "the 400 pixels high file is not shown";
        EXPECT_LT(clock.elapsed(), 5000) << "and /dev/zero is never read";
    }
    // The pictures the view holds still show.
    QImage own(40, 250, QImage::Format_RGB32);
    own.fill(Qt::blue);
    history.document()->addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("kwel-own:1")), own);
    history.document()->setHtml(QStringLiteral("<img src=\"kwel-own:1\">"));
    EXPECT_GE(laidOutHeight(history.document()), 250);
}

} // namespace
