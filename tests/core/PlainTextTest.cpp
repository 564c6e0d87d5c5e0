#include "core/PlainText.h"
#include "TestEnv.h"

#include <QImage>
#include <QTextDocumentFragment>
#include <gtest/gtest.h>

namespace {

const QString kHostile[] = {
    QStringLiteral("<img src=/dev/zero>"),
    QStringLiteral("<b>bold</b> &#47;etc&#47;passwd &amp; &lt;"),
    QStringLiteral("two\nlines\r\nand  blanks"),
    QStringLiteral("<qt><a href=\"file:///etc\">x</a>"),
    QStringLiteral("%1 %2 <style>p{}</style>"),
};

// Whatever a name holds, the tooltip and the HTML show exactly that text.
TEST(PlainText, ShowsTextAsWritten)
{
    for (const QString &text : kHostile) {
        const QString expected = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        for (const QString &html : { PlainText::ToolTip(text), PlainText::BlueToolTip(text), PlainText::Html(text) }) {
            EXPECT_TRUE(Qt::mightBeRichText(html) || html == PlainText::Html(text)) << html.toStdString();
            EXPECT_EQ(QTextDocumentFragment::fromHtml(html).toPlainText().replace(QChar::LineSeparator, u'\n'),
                expected)
                << html.toStdString();
        }
    }
    EXPECT_TRUE(PlainText::ToolTip(QString()).isEmpty());
    EXPECT_TRUE(PlainText::BlueToolTip(QString()).isEmpty());
}

// A view's resource answer is never null (Qt would read the name as a file
// then): the program's own art, else an empty picture.
TEST(PlainText, GuardedResourceReadsNoFile)
{
    const QString path = TestEnv::freshDir(QStringLiteral("guard")) + QStringLiteral("/big.png");
    QImage big(300, 200, QImage::Format_RGB32);
    big.fill(Qt::red);
    ASSERT_TRUE(big.save(path));
    for (const QUrl &name : { QUrl::fromLocalFile(path), QUrl(path), QUrl(QStringLiteral("/dev/zero")),
             QUrl(QStringLiteral("http://192.0.2.1/x.png")), QUrl(QStringLiteral("qrc:/no/such.png")) }) {
        const QVariant answer = PlainText::GuardedResource(name);
        ASSERT_FALSE(answer.isNull()) << name.toString().toStdString();
        EXPECT_EQ(answer.value<QImage>().size(), QSize(1, 1)) << name.toString().toStdString();
    }
}

} // namespace
