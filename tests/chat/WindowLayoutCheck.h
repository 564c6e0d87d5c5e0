// The layout check of the window test: what of a shown window a user cannot
// read whole. A label, button, check box, tab or header title that is elided
// or wider (or taller) than its widget, a column that lies outside its view,
// and a child widget outside its parent's visible area are each one problem,
// named "<window>/<widget>: <what>"; so is a framed window narrower than its
// title bar needs ("<window>/title: ...").
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

class QAbstractItemView;
class QWidget;

namespace LayoutCheck {

// An allowed problem: the widget's object name (or class name) inside the
// window's name, and why it may be cut.
struct Exception
{
    QString window;
    QString widget;
    QString reason;
    QString what = QString(); // only problems that contain this text; all when empty
};

// The problems of the shown window and all its visible descendants.
QStringList Problems(const QWidget &window, const QString &windowName);
// The problems that no exception allows.
QStringList Unexcused(const QStringList &problems, const QList<Exception> &exceptions);

// For the columns a user reads in a list or table: one problem for each
// column whose texts, in the rows shown, need more than the column has.
QStringList CellTexts(const QAbstractItemView &view, const QList<int> &columns, const QString &where);

// For text a window paints itself: one problem when the lines (word-wrapped
// when `wrap`) do not fit the rectangle in the font.
QStringList PaintedText(const QString &where, const QString &text, const QRect &room, const QFont &font,
    bool wrap = false);

} // namespace LayoutCheck
