#include "WindowLayoutCheck.h"

#include "mainwnd/CSkinHeaderCtrl.h"

#include "controls/CImageButton.h"
#include "platform/WindowTitleRoom.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTableView>
#include <QTreeView>
#include <QToolButton>

namespace LayoutCheck {

namespace {

// Room a button's frame keeps on each side of its text.
constexpr int kButtonPadding = 1;
// Room the skinned header keeps beside its title (5 + 3); Qt's own header
// says itself what a title needs.
constexpr int kSkinHeaderPadding = 8;

QString nameOf(const QWidget &w)
{
    return w.objectName().isEmpty() ? QString::fromLatin1(w.metaObject()->className()) : w.objectName();
}

QString plain(QString text)
{
    // "&&" shows one ampersand, a single one marks the shortcut.
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

int widest(const QFontMetrics &fm, const QString &text)
{
    int width = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        width = std::max(width, fm.horizontalAdvance(line));
    return width;
}

bool scrolled(const QWidget &w)
{
    // Children of a scroll area's viewport move with its contents.
    for (const QWidget *p = w.parentWidget(); p; p = p->parentWidget()) {
        if (const auto *area = qobject_cast<const QAbstractScrollArea *>(p->parentWidget()); area && area->viewport() == p)
            return true;
    }
    return false;
}

void checkLabel(const QLabel &label, const QString &where, QStringList &out)
{
    if (label.text().isEmpty() || label.textFormat() == Qt::RichText
        || (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(label.text())))
        return;
    const QFontMetrics fm(label.font());
    const QRect room = label.contentsRect().adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
    if (label.wordWrap()) {
        if (label.heightForWidth(label.width()) > label.height())
            out << where + QStringLiteral(": wrapped text needs %1 px, has %2").arg(label.heightForWidth(label.width())).arg(label.height());
        return;
    }
    const QString text = plain(label.text());
    const int lines = int(text.count(QLatin1Char('\n'))) + 1;
    if (widest(fm, text) > room.width())
        out << where + QStringLiteral(": text \"%1\" needs %2 px, has %3").arg(text).arg(widest(fm, text)).arg(room.width());
    if (lines * fm.height() > room.height() + 1)
        out << where + QStringLiteral(": text \"%1\" needs %2 px height, has %3").arg(text).arg(lines * fm.height()).arg(room.height());
}

void checkButton(const QAbstractButton &button, const QString &where, QStringList &out)
{
    const QString text = plain(button.text());
    if (text.isEmpty())
        return;
    if (const auto *tool = qobject_cast<const QToolButton *>(&button); tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
        return;
    const QFontMetrics fm(button.font());
    int need = widest(fm, text);
    if (const auto *image = qobject_cast<const CImageButton *>(&button)) {
        // It draws its caption in its text rectangle, right of its own icon.
        const QRect room = image->TextRect();
        if (need > room.width())
            out << where + QStringLiteral(": caption \"%1\" needs %2 px, has %3").arg(text).arg(need).arg(room.width());
        return;
    }
    if (!button.icon().isNull())
        need += button.iconSize().width() + 4;
    if (qobject_cast<const QCheckBox *>(&button) || qobject_cast<const QRadioButton *>(&button)) {
        const bool check = qobject_cast<const QCheckBox *>(&button);
        const QStyle *style = button.style();
        need += style->pixelMetric(check ? QStyle::PM_IndicatorWidth : QStyle::PM_ExclusiveIndicatorWidth, nullptr, &button)
            + style->pixelMetric(check ? QStyle::PM_CheckBoxLabelSpacing : QStyle::PM_RadioButtonLabelSpacing, nullptr, &button);
    } else if (const auto *push = qobject_cast<const QPushButton *>(&button);
               push && push->metaObject() == &QPushButton::staticMetaObject) {
        // A plain push button: its style says where the text goes.
        QStyleOptionButton option;
        option.initFrom(push);
        option.text = push->text();
        option.icon = push->icon();
        option.iconSize = push->iconSize();
        const QRect contents = push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push);
        need += push->width() - contents.width();
    } else {
        need += 2 * kButtonPadding;
    }
    const int lines = int(text.count(QLatin1Char('\n'))) + 1;
    if (need > button.width())
        out << where + QStringLiteral(": caption \"%1\" needs %2 px, has %3").arg(text).arg(need).arg(button.width());
    if (lines * fm.height() > button.height() + 1)
        out << where + QStringLiteral(": caption \"%1\" needs %2 px height, has %3").arg(text).arg(lines * fm.height()).arg(button.height());
}

void checkTabs(const QTabBar &bar, const QString &where, QStringList &out)
{
    const QFontMetrics fm(bar.font());
    for (int i = 0; i < bar.count(); ++i) {
        if (!bar.isTabVisible(i))
            continue;
        const QRect r = bar.tabRect(i);
        const QString text = plain(bar.tabText(i));
        if (fm.horizontalAdvance(text) + 2 * kButtonPadding > r.width())
            out << where + QStringLiteral(": tab \"%1\" is elided (%2 px)").arg(text).arg(r.width());
        if (!bar.rect().contains(r))
            out << where + QStringLiteral(": tab \"%1\" lies outside the bar").arg(text);
    }
}

void checkHeader(const QHeaderView &header, const QString &where, QStringList &out)
{
    if (!header.model() || header.orientation() != Qt::Horizontal)
        return;
    const QFontMetrics fm(header.font());
    for (int logical = 0; logical < header.count(); ++logical) {
        if (header.isSectionHidden(logical) || header.sectionSize(logical) == 0)
            continue;
        const QString title = header.model()->headerData(logical, Qt::Horizontal).toString();
        const int size = header.sectionSize(logical);
        const int need = qobject_cast<const CSkinHeaderCtrl *>(&header)
            ? fm.horizontalAdvance(title) + kSkinHeaderPadding
            : header.sectionSizeHint(logical);
        if (!title.isEmpty() && need > size)
            out << where + QStringLiteral(": column \"%1\" is %2 px, its title needs %3").arg(title).arg(size).arg(need);
        // At the start of the list the whole column is in view.
        const int right = header.sectionPosition(logical) + size;
        if (right > header.viewport()->width())
            out << where + QStringLiteral(": column \"%1\" ends at %2, the view at %3").arg(title).arg(right).arg(header.viewport()->width());
    }
}

void checkWidget(const QWidget &w, const QString &windowName, QStringList &out)
{
    const QString where = windowName + QLatin1Char('/') + nameOf(w);
    if (const auto *label = qobject_cast<const QLabel *>(&w))
        checkLabel(*label, where, out);
    else if (const auto *button = qobject_cast<const QAbstractButton *>(&w))
        checkButton(*button, where, out);
    else if (const auto *bar = qobject_cast<const QTabBar *>(&w))
        checkTabs(*bar, where, out);
    else if (const auto *header = qobject_cast<const QHeaderView *>(&w))
        checkHeader(*header, where, out);

    const QWidget *parent = w.parentWidget();
    if (parent && !w.isWindow() && !scrolled(w) && !qobject_cast<const QScrollBar *>(&w)
        && !parent->rect().contains(w.geometry()))
        out << where + QStringLiteral(": lies at (%1,%2 %3x%4) outside its parent (%5x%6)")
                           .arg(w.x()).arg(w.y()).arg(w.width()).arg(w.height()).arg(parent->width()).arg(parent->height());
}

void walk(const QWidget &w, const QString &windowName, QStringList &out)
{
    for (const QObject *child : w.children()) {
        const auto *widget = qobject_cast<const QWidget *>(child);
        if (!widget || widget->isWindow() || !widget->isVisible() || widget->size().isEmpty())
            continue;
        checkWidget(*widget, windowName, out);
        walk(*widget, windowName, out);
    }
}

} // namespace

QStringList Problems(const QWidget &window, const QString &windowName)
{
    QStringList out;
    // A framed window's title bar: the window manager cuts what does not fit.
    const Qt::WindowType type = window.windowType();
    if (window.isWindow() && !window.windowFlags().testFlag(Qt::FramelessWindowHint) && type != Qt::Popup
        && type != Qt::ToolTip && type != Qt::SplashScreen) {
        const int need = WindowTitleRoom::TitleBarWidth(window.windowTitle());
        if (need > window.width())
            out << windowName + QStringLiteral("/title: \"%1\" needs %2 px, the window is %3")
                                    .arg(WindowTitleRoom::ShownTitle(window.windowTitle()))
                                    .arg(need)
                                    .arg(window.width());
    }
    walk(window, windowName, out);
    return out;
}

QStringList Unexcused(const QStringList &problems, const QList<Exception> &exceptions)
{
    QStringList out;
    for (const QString &problem : problems) {
        const bool excused = std::any_of(exceptions.cbegin(), exceptions.cend(), [&](const Exception &e) {
            return problem.startsWith(e.window + QLatin1Char('/') + e.widget + QLatin1Char(':'))
                && (e.what.isEmpty() || problem.contains(e.what));
        });
        if (!excused)
            out << problem;
    }
    return out;
}

QStringList CellTexts(const QAbstractItemView &view, const QList<int> &columns, const QString &where)
{
    const QHeaderView *header = nullptr;
    if (const auto *tree = qobject_cast<const QTreeView *>(&view))
        header = tree->header();
    else if (const auto *table = qobject_cast<const QTableView *>(&view))
        header = table->horizontalHeader();
    QStringList out;
    if (!header || !view.model())
        return out;
    for (const int column : columns) {
        const QString title = view.model()->headerData(column, Qt::Horizontal).toString();
        // The view's own measure of its widest cell in the rows shown: text,
        // icon, margins and, for the first column of a tree, its indent.
        const int need = view.sizeHintForColumn(column);
        const int size = header->isSectionHidden(column) ? 0 : header->sectionSize(column);
        if (need > size)
            out << where + QStringLiteral(": the texts of column \"%1\" need %2 px, it has %3").arg(title).arg(need).arg(size);
        const int right = header->sectionViewportPosition(column) + size;
        if (right > header->viewport()->width())
            out << where + QStringLiteral(": column \"%1\" ends at %2, the view at %3").arg(title).arg(right).arg(header->viewport()->width());
    }
    return out;
}

QStringList PaintedText(const QString &where, const QString &text, const QRect &room, const QFont &font, bool wrap)
{
    const QFontMetrics fm(font);
    const QRect need = fm.boundingRect(room, (wrap ? Qt::TextWordWrap : Qt::TextSingleLine) | Qt::AlignLeft | Qt::AlignTop, text);
    QStringList out;
    if (need.width() > room.width() || need.height() > room.height())
        out << where + QStringLiteral(": \"%1\" needs %2x%3 px, has %4x%5")
                           .arg(text).arg(need.width()).arg(need.height()).arg(room.width()).arg(room.height());
    return out;
}

} // namespace LayoutCheck
