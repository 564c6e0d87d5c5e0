// The one-line fields that keep to GBK: what is typed or pasted is kept as
// the field can store it, with a note only for what had to go.
#include "controls/GbkByteLimit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

QString u(const char *s)
{
    return QString::fromUtf8(s);
}

} // namespace

// Text copied from a web page or an office document: its no-break spaces
// stay spaces and its line and paragraph separators become spaces (the
// field has one line, and shows them so), with no note naming an invisible
// character; the caret stays after what was pasted.
TEST(GbkByteLimit, PastedSpacesAndLineBreaksBecomeSpaces)
{
    QLineEdit edit;
    LimitGbkBytes(&edit, 16);
    QGuiApplication::clipboard()->setText(u("下午\u00a03点\u2028晚\u2029"));
    edit.paste();
    EXPECT_EQ(edit.text(), u("下午 3点 晚 "));
    EXPECT_EQ(edit.cursorPosition(), 8);
    EXPECT_TRUE(QToolTip::text().isEmpty()) << "no note: " << QToolTip::text().toStdString();

    // Typed or committed the same; only what GBK cannot carry is named.
    edit.setCursorPosition(2);
    QInputMethodEvent ime;
    ime.setCommitString(u("\u00a0😀"));
    QApplication::sendEvent(&edit, &ime);
    EXPECT_EQ(edit.text(), u("下午  3点 晚 "));
    EXPECT_EQ(edit.cursorPosition(), 3);
    EXPECT_TRUE(QToolTip::text().contains(u("😀"))) << QToolTip::text().toStdString();
    EXPECT_FALSE(QToolTip::text().contains(QChar(0xA0)));

    // The byte limit counts the space as the one byte it is stored in.
    edit.clear();
    QGuiApplication::clipboard()->setText(QString(7, QChar(0x738B)) + QChar(0xA0) + u("ab"));
    edit.paste();
    EXPECT_EQ(edit.text(), QString(7, QChar(0x738B)) + u(" a"));
}
