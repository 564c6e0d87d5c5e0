#include "mainwnd/TreeStyleEditor.h"

#include "core/Prompter.h"
#include "mainwnd/ColorRefEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {

struct ColorField
{
    uint32_t TreeStyleValues::*field;
    const char16_t *label;
};

constexpr ColorField kColorFields[] = {
    { &TreeStyleValues::gradient1, u"渐变颜色1:" },
    { &TreeStyleValues::gradient2, u"渐变颜色2:" },
    { &TreeStyleValues::fill, u"填充颜色:" },
    { &TreeStyleValues::selectionFrame, u"选中项边框:" },
    { &TreeStyleValues::selectionFill, u"选中项填充:" },
    { &TreeStyleValues::nick, u"用户名颜色:" },
    { &TreeStyleValues::host, u"主机名颜色:" },
    { &TreeStyleValues::signature, u"个性签名颜色:" },
    { &TreeStyleValues::address, u"IP地址颜色:" },
    { &TreeStyleValues::type, u"类型颜色:" },
    { &TreeStyleValues::objectGroup, u"对方组名颜色:" },
    { &TreeStyleValues::user, u"用户颜色:" },
    { &TreeStyleValues::group, u"组名颜色:" },
};

} // namespace

TreeStyleEditor::TreeStyleEditor(const TreeStyleValues &values, QWidget *parent)
    : QWidget(parent)
    , m_base(values)
{
    auto *form = new QFormLayout(this);
    m_background = new QComboBox(this);
    m_background->addItems({ QStringLiteral("不绘制背景"), QStringLiteral("背景图片"), QStringLiteral("渐变颜色"),
        QStringLiteral("填充颜色") });
    m_background->setCurrentIndex(std::clamp(values.bkStyle, 0, 3));
    form->addRow(QStringLiteral("背景:"), m_background);
    m_default = new QCheckBox(QStringLiteral("使用默认图片"), this);
    m_default->setChecked(values.defaultPicture != 0);
    form->addRow(m_default);
    auto *pathRow = new QHBoxLayout;
    m_path = new QLineEdit(values.picturePath, this);
    auto *browseButton = new QPushButton(QStringLiteral("浏览..."), this);
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(browseButton);
    form->addRow(QStringLiteral("图片文件:"), pathRow);
    m_stretch = new QCheckBox(QStringLiteral("拉伸图片"), this);
    m_stretch->setChecked(values.stretch != 0);
    form->addRow(m_stretch);
    m_gradient = new QComboBox(this);
    m_gradient->addItems({ QStringLiteral("水平渐变"), QStringLiteral("垂直渐变"), QStringLiteral("中心渐变") });
    m_gradient->setCurrentIndex(std::clamp(values.gradientMode, 0, 2));
    form->addRow(QStringLiteral("渐变方式:"), m_gradient);
    for (const ColorField &c : kColorFields) {
        auto *edit = new ColorRefEdit(values.*c.field, this);
        m_colors.push_back(edit);
        form->addRow(QString::fromUtf16(c.label), edit);
        connect(edit, &ColorRefEdit::valueChanged, this, &TreeStyleEditor::changed);
    }
    m_noHost = new QCheckBox(QStringLiteral("有备注名时不显示主机名"), this);
    m_noHost->setChecked(values.noHostIfMemo != 0);
    form->addRow(m_noHost);

    connect(m_background, &QComboBox::currentIndexChanged, this, &TreeStyleEditor::changed);
    connect(m_gradient, &QComboBox::currentIndexChanged, this, &TreeStyleEditor::changed);
    connect(m_path, &QLineEdit::editingFinished, this, &TreeStyleEditor::changed);
    for (QCheckBox *box : { m_default, m_stretch, m_noHost })
        connect(box, &QCheckBox::toggled, this, &TreeStyleEditor::changed);
    connect(browseButton, &QPushButton::clicked, this, &TreeStyleEditor::browse);
}

void TreeStyleEditor::browse()
{
    const QString path = Prompter::current().openFile(this, QStringLiteral("选择背景图片"), QString(),
        QStringLiteral("图片文件 (*.bmp *.jpg *.jpeg *.png *.gif);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    m_path->setText(path);
    m_default->setChecked(false);
    emit changed();
}

TreeStyleValues TreeStyleEditor::values() const
{
    TreeStyleValues v = m_base;
    v.bkStyle = m_background->currentIndex();
    v.defaultPicture = m_default->isChecked() ? 1 : 0;
    v.picturePath = m_path->text().trimmed();
    v.stretch = m_stretch->isChecked() ? 1 : 0;
    v.gradientMode = m_gradient->currentIndex();
    for (size_t i = 0; i < m_colors.size(); ++i)
        v.*kColorFields[i].field = m_colors[i]->value();
    v.noHostIfMemo = m_noHost->isChecked() ? 1 : 0;
    return v;
}
