#include "ui/effects/TAAFontDialog.h"

#include "ui/common/GbkText.h"
#include "ui/common/PickerService.h"
#include "ui/common/QtValues.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/ui_TAAFontDialog.h"

#include <QFileInfo>
#include <QPainter>
#include <QPixmap>

namespace tessaly {
namespace {

constexpr GradientStyle kDirections[] = {GradientStyle::gsLeftToRight, GradientStyle::gsRightToLeft,
                                         GradientStyle::gsTopToBottom, GradientStyle::gsBottomToTop,
                                         GradientStyle::gsCenterToLR,  GradientStyle::gsCenterToTB};
constexpr TextureMode kModes[] = {TextureMode::tmTiled, TextureMode::tmStretched, TextureMode::tmCenter,
                                  TextureMode::tmNormal};

}  // namespace

TAAFontDialog::TAAFontDialog(PickerService &pickers, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TAAFontDialog>()), m_pickers(&pickers)
{
    setUp();
}

TAAFontDialog::TAAFontDialog(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TAAFontDialog>()),
      m_ownPickers(std::make_unique<QtPickerService>()), m_pickers(m_ownPickers.get())
{
    setUp();
}

void TAAFontDialog::setUp()
{
    m_ui->setupUi(this);
    m_preview = new TAALabel(QStringLiteral("平滑特效字体 AaBb"));
    QFont font(QStringLiteral("黑体"));
    font.setPointSize(24);
    font.setBold(true);
    m_preview->setFont(font);
    m_preview->setFontColor(colors::clWhite);
    m_preview->setTransparent(true);
    // A mid-tone behind the preview, so light text, dark shadows and transparency all show.
    QPalette palette = m_ui->previewArea->viewport()->palette();
    palette.setColor(QPalette::Window, QColor(70, 95, 150));
    m_ui->previewArea->viewport()->setPalette(palette);
    m_ui->previewArea->viewport()->setAutoFillBackground(true);
    m_ui->previewArea->setWidget(m_preview);
    connectFields();
    setEffect(TAAEffect{});
}

TAAFontDialog::~TAAFontDialog() = default;

bool TAAFontDialog::execute(TAAEffect &effect)
{
    setEffect(effect);
    if (exec() != QDialog::Accepted)
        return false;
    effect = this->effect();
    return true;
}

void TAAFontDialog::connectFields()
{
    const auto changed = [this] { fieldsChanged(); };
    for (QSpinBox *spin : {m_ui->shadowBlur, m_ui->shadowAlpha, m_ui->shadowOffsetX, m_ui->shadowOffsetY, m_ui->blur,
                           m_ui->alpha, m_ui->noise, m_ui->spray, m_ui->angle})
        connect(spin, &QSpinBox::valueChanged, this, changed);
    for (QAbstractButton *box : std::initializer_list<QAbstractButton *>{
             m_ui->shadowEnabled, m_ui->gradientEnabled, m_ui->textureEnabled, m_ui->outline, m_ui->horzMirror,
             m_ui->vertMirror, m_ui->gradientLeftToRight, m_ui->gradientRightToLeft, m_ui->gradientTopToBottom,
             m_ui->gradientBottomToTop, m_ui->gradientCenterToLR, m_ui->gradientCenterToTB, m_ui->textureTiled,
             m_ui->textureStretched, m_ui->textureCenter, m_ui->textureNormal})
        connect(box, &QAbstractButton::toggled, this, changed);
    connect(m_ui->shadowColor, &QToolButton::clicked, this, [this] { pickColor(m_shadowColor, m_ui->shadowColor); });
    connect(m_ui->gradientStartColor, &QToolButton::clicked, this,
            [this] { pickColor(m_startColor, m_ui->gradientStartColor); });
    connect(m_ui->gradientEndColor, &QToolButton::clicked, this,
            [this] { pickColor(m_endColor, m_ui->gradientEndColor); });
    connect(m_ui->textureChoose, &QPushButton::clicked, this, &TAAFontDialog::pickTexture);
    connect(m_ui->textureClear, &QPushButton::clicked, this, [this] {
        m_picture.clear();
        fieldsChanged();
    });
}

TAAEffect TAAFontDialog::effect() const
{
    TAAEffect e;
    e.Alpha = m_ui->alpha->value();
    e.Angle = m_ui->angle->value();
    e.Blur = m_ui->blur->value();
    e.Gradual.Enabled = m_ui->gradientEnabled->isChecked();
    e.Gradual.StartColor = m_startColor;
    e.Gradual.EndColor = m_endColor;
    const QRadioButton *directions[] = {m_ui->gradientLeftToRight, m_ui->gradientRightToLeft,
                                        m_ui->gradientTopToBottom, m_ui->gradientBottomToTop,
                                        m_ui->gradientCenterToLR,  m_ui->gradientCenterToTB};
    for (int i = 0; i < 6; ++i)
        if (directions[i]->isChecked())
            e.Gradual.Style = kDirections[i];
    e.HorzMirror = m_ui->horzMirror->isChecked();
    e.VertMirror = m_ui->vertMirror->isChecked();
    e.Noise = m_ui->noise->value();
    e.Outline = m_ui->outline->isChecked();
    e.Shadow.Enabled = m_ui->shadowEnabled->isChecked();
    e.Shadow.Alpha = m_ui->shadowAlpha->value();
    e.Shadow.Blur = m_ui->shadowBlur->value();
    e.Shadow.Color = m_shadowColor;
    e.Shadow.OffsetX = m_ui->shadowOffsetX->value();
    e.Shadow.OffsetY = m_ui->shadowOffsetY->value();
    e.Spray = m_ui->spray->value();
    e.Texture.Enabled = m_ui->textureEnabled->isChecked();
    const QRadioButton *modes[] = {m_ui->textureTiled, m_ui->textureStretched, m_ui->textureCenter,
                                   m_ui->textureNormal};
    for (int i = 0; i < 4; ++i)
        if (modes[i]->isChecked())
            e.Texture.Mode = kModes[i];
    e.Texture.Picture = m_picture;
    return e;
}

void TAAFontDialog::setEffect(const TAAEffect &effect)
{
    const TAAEffect e = clampEffect(effect);
    m_loading = true;
    m_ui->alpha->setValue(e.Alpha);
    m_ui->angle->setValue(e.Angle);
    m_ui->blur->setValue(e.Blur);
    m_ui->gradientEnabled->setChecked(e.Gradual.Enabled);
    m_startColor = e.Gradual.StartColor;
    m_endColor = e.Gradual.EndColor;
    QRadioButton *directions[] = {m_ui->gradientLeftToRight, m_ui->gradientRightToLeft, m_ui->gradientTopToBottom,
                                  m_ui->gradientBottomToTop, m_ui->gradientCenterToLR,  m_ui->gradientCenterToTB};
    for (int i = 0; i < 6; ++i)
        if (kDirections[i] == e.Gradual.Style)
            directions[i]->setChecked(true);
    m_ui->horzMirror->setChecked(e.HorzMirror);
    m_ui->vertMirror->setChecked(e.VertMirror);
    m_ui->noise->setValue(e.Noise);
    m_ui->outline->setChecked(e.Outline);
    m_ui->shadowEnabled->setChecked(e.Shadow.Enabled);
    m_ui->shadowAlpha->setValue(e.Shadow.Alpha);
    m_ui->shadowBlur->setValue(e.Shadow.Blur);
    m_shadowColor = e.Shadow.Color;
    m_ui->shadowOffsetX->setValue(e.Shadow.OffsetX);
    m_ui->shadowOffsetY->setValue(e.Shadow.OffsetY);
    m_ui->spray->setValue(e.Spray);
    m_ui->textureEnabled->setChecked(e.Texture.Enabled);
    QRadioButton *modes[] = {m_ui->textureTiled, m_ui->textureStretched, m_ui->textureCenter, m_ui->textureNormal};
    for (int i = 0; i < 4; ++i)
        if (kModes[i] == e.Texture.Mode)
            modes[i]->setChecked(true);
    m_picture = e.Texture.Picture;
    m_loading = false;
    fieldsChanged();
}

void TAAFontDialog::setPreviewFont(const QFont &font, TColor color)
{
    m_preview->setFont(font);
    m_preview->setFontColor(color);
}

void TAAFontDialog::setPreviewText(const QString &text)
{
    m_preview->setCaption(text);
}

void TAAFontDialog::pickColor(TColor &target, QToolButton *button)
{
    if (auto chosen = m_pickers->pickColor(this, toQColor(target))) {
        // A colour picked unchanged keeps its stored form (a system colour stays one).
        if (*chosen != toQColor(target))
            target = toTColor(*chosen);
        showColor(button, target);
        fieldsChanged();
    }
}

void TAAFontDialog::pickTexture()
{
    const QString file = m_pickers->pickOpenFile(this, QStringLiteral("选择纹理图片"),
                                                QStringLiteral("图片文件 (*.bmp *.jpg *.jpeg *.png *.gif);;所有文件 (*)"));
    if (file.isEmpty())
        return;
    m_picture = fromQt(file);
    // Choosing a picture means filling with it.
    m_ui->textureEnabled->setChecked(true);
    fieldsChanged();
}

void TAAFontDialog::showColor(QToolButton *button, TColor color)
{
    QPixmap swatch(button->iconSize());
    swatch.fill(toQColor(color));
    QPainter p(&swatch);
    p.setPen(Qt::gray);
    p.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    button->setIcon(QIcon(swatch));
    button->setToolTip(QString::fromStdString(colorToString(color)));
}

void TAAFontDialog::fieldsChanged()
{
    if (m_loading)
        return;
    showColor(m_ui->shadowColor, m_shadowColor);
    showColor(m_ui->gradientStartColor, m_startColor);
    showColor(m_ui->gradientEndColor, m_endColor);
    m_ui->texturePicture->setText(m_picture.empty() ? QStringLiteral("(无图片)")
                                                    : QFileInfo(toQt(m_picture)).fileName());
    m_ui->texturePicture->setToolTip(toQt(m_picture));
    m_preview->setFontEffect(effect());
    m_preview->adjustSize();
}

}  // namespace tessaly
