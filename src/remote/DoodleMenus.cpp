#include "remote/DoodleMenus.h"

#include "remote/CDoodleBoard.h"
#include "remote/DoodleCommands.h"

#include <QMenu>

namespace {

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Items whose ids run from firstId, one per text, with the values given.
QList<DoodleMenuItem> run(int firstId, int code, const QStringList &texts, const QList<int> &values)
{
    QList<DoodleMenuItem> items;
    for (qsizetype i = 0; i < texts.size(); ++i)
        items.append({ firstId + int(i), texts[i], code, values[i], true });
    return items;
}

QStringList numbers(const QList<int> &values)
{
    QStringList texts;
    for (const int v : values)
        texts.append(QString::number(v));
    return texts;
}

QStringList penTexts()
{
    return { u("─────────"), u("─　─　─　─　─"), u("┄┄┄┄┄┄┄┄┄"), u("─┄─┄─┄─┄─"), u("─┄┄─┄┄─┄─"),
        u("空画笔"), QStringLiteral("INSIDEFRAME") };
}

const QList<int> kSevenTypes{ 0, 1, 2, 3, 4, 5, 6 };

bool isShapeOrLine(int tool)
{
    return tool == DoodleTool::Pencil || (tool >= DoodleTool::Curve && tool <= DoodleTool::RoundRect);
}

} // namespace

QList<DoodlePropertyButton> DoodlePropertyButtons(int tool)
{
    using namespace DoodleButton;
    switch (tool) {
    case DoodleTool::Eraser:
        return { { LineWidth, u("橡皮宽度") } };
    case DoodleTool::Brush:
    case DoodleTool::Pencil:
    case DoodleTool::Curve:
    case DoodleTool::Line:
    case DoodleTool::Arrow:
        return { { LineWidth, u("设置线宽") }, { LineType, u("设置线型") } };
    case DoodleTool::Text:
        return { { LineWidth, u("透明模式") } };
    case DoodleTool::Spray:
        return { { LineWidth, u("喷枪大小") } };
    case DoodleTool::Rectangle:
    case DoodleTool::Polygon:
    case DoodleTool::Ellipse:
    case DoodleTool::RoundRect:
        return { { LineWidth, u("线宽") }, { LineType, u("线型") }, { Fill, u("填充模式") } };
    default:
        return {};
    }
}

std::optional<DoodleSubMenu> DoodlePropertyMenu(int buttonId, int tool)
{
    using namespace DoodleButton;
    if (buttonId == Image)
        return DoodleImageMenu();
    if (buttonId == LineWidth) {
        switch (tool) {
        case DoodleTool::Eraser:
            return DoodleSubMenu{ u("橡皮宽度"),
                run(32860, DoodleCmd::EraserWidth, numbers({ 2, 4, 8, 12, 16, 20 }), { 2, 4, 8, 12, 16, 20 }) };
        case DoodleTool::Brush:
            return DoodleSubMenu{ u("刷子线宽"),
                run(32919, DoodleCmd::BrushWidth, numbers({ 2, 4, 8, 10, 15, 20 }), { 2, 4, 8, 10, 15, 20 }) };
        case DoodleTool::Text:
            return DoodleSubMenu{ u("文字填充类型"),
                run(32893, DoodleCmd::TextFill, { u("透明"), u("不透明"), u("不透明(自动尺寸)") }, { 1, 2, 3 }) };
        case DoodleTool::Spray:
            return DoodleSubMenu{ u("喷枪大小"),
                run(32856, DoodleCmd::SpraySize, numbers({ 5, 10, 15, 20 }), { 5, 10, 15, 20 }) };
        default:
            if (isShapeOrLine(tool)) {
                const QList<int> widths{ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 };
                return DoodleSubMenu{ u("线宽"), run(32881, DoodleCmd::LineWidth, numbers(widths), widths) };
            }
            return std::nullopt;
        }
    }
    if (buttonId == LineType) {
        if (tool == DoodleTool::Brush)
            return DoodleSubMenu{ u("刷子类型"),
                run(32925, DoodleCmd::BrushType,
                    { QStringLiteral("SOLID"), QStringLiteral("DASH"), QStringLiteral("DOT"), QStringLiteral("DASHDOT"),
                        QStringLiteral("DASHDOTDOT"), QStringLiteral("NULL"), QStringLiteral("INSIDEFRAME") },
                    kSevenTypes) };
        if (tool == DoodleTool::Pencil)
            return DoodleSubMenu{ u("铅笔类型"), run(32903, DoodleCmd::PencilType, penTexts(), kSevenTypes) };
        if (tool >= DoodleTool::Curve && tool <= DoodleTool::RoundRect)
            return DoodleSubMenu{ u("线类型"), run(32910, DoodleCmd::LineType, penTexts(), kSevenTypes) };
        return std::nullopt;
    }
    if (buttonId == Fill && tool >= DoodleTool::Curve && tool <= DoodleTool::RoundRect) {
        QList<DoodleMenuItem> items{
            { 32870, u("只有边框"), DoodleCmd::FillType, 1, true },
            { 32917, u("只有填充"), DoodleCmd::FillType, 2, true },
            { 32918, u("两者都有"), DoodleCmd::FillType, 3, true },
        };
        items += run(33107, DoodleCmd::FillType,
            { u("水平渐变(有边框)"), u("垂直渐变(有边框)"), u("水平渐变(无边框)"), u("垂直渐变(无边框)"),
                u("中心渐变(有边框)"), u("中心渐变(无边框)") },
            { 4, 5, 6, 7, 8, 9 });
        return DoodleSubMenu{ u("矩/圆/圆矩填充类型"), items };
    }
    return std::nullopt;
}

DoodleSubMenu DoodleImageMenu()
{
    return { u("图像"),
        {
            { 32874, u("左右[L]"), DoodleCmd::FlipHorizontal, 0, false },
            { 32875, u("上下[U]"), DoodleCmd::FlipVertical, 0, false },
            { 32876, u("横向[H]"), DoodleCmd::StretchHorizontal, 0, false },
            { 32877, u("竖向[V]"), DoodleCmd::StretchVertical, 0, false },
            { 32871, u("反色[E]"), DoodleCmd::Invert, 0, false },
            { 32872, u("清除图像[C]"), DoodleCmd::Clear, 0, false },
            { 32873, u("复原[R]"), DoodleCmd::Restore, 0, false },
            { 32878, u("保存为(&S)"), DoodleCmd::SaveAs, 0, false },
            { 33096, u("复制(&C)"), DoodleCmd::Copy, 0, false },
            { 32879, u("剪切(&X)"), DoodleCmd::Cut, 0, false },
            { 32880, u("粘贴(&V)"), DoodleCmd::Paste, 0, false },
        } };
}

QMenu *CreateDoodleMenu(QWidget *parent, CDoodleBoard *board, int buttonId)
{
    if (!board)
        return nullptr;
    const std::optional<DoodleSubMenu> sub = DoodlePropertyMenu(buttonId, board->tool());
    if (!sub)
        return nullptr;
    auto *menu = new QMenu(sub->title, parent);
    menu->setObjectName(QStringLiteral("doodleMenu"));
    for (const DoodleMenuItem &item : sub->items) {
        QAction *action = menu->addAction(item.text);
        action->setData(item.id);
        if (item.checkable) {
            action->setCheckable(true);
            action->setChecked(board->properties().value(item.code) == item.value);
        }
        const int code = item.code, value = item.value;
        QObject::connect(action, &QAction::triggered, board, [board, code, value] { board->Command(code, value); });
    }
    return menu;
}
