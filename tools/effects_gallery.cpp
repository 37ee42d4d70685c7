// Renders every text effect, both scrollers, the drag handle and both font
// dialogs to PNG files, so a developer can look at them. Not shipped.
// Usage: effects_gallery [output folder]   (default: effects-gallery)
#include "ui/common/AppSetup.h"
#include "ui/common/MessageService.h"
#include "ui/common/QtValues.h"
#include "ui/effects/TAAFontDialog.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/TAAScrollText.h"
#include "ui/effects/TSkyScrollText.h"
#include "ui/effects/TStretchHandle.h"
#include "ui/effects/TickClock.h"
#include "ui/effects/Tmyfontdialog.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <cstdio>
#include <functional>

using namespace tessaly;

namespace {

class GalleryClock : public TickClock {
public:
    qint64 nowMs() const override { return m_now; }
    void advance(qint64 ms) { m_now += ms; }

private:
    qint64 m_now = 0;
};

struct Case {
    const char *name;
    std::function<void(TAAEffect &, TAAFontEffect &)> set;
};

// A stage-like backdrop (deep blue, lighter below) that the components sit on,
// so transparency and shadows show as they would on the stage.
class Backdrop : public QWidget {
public:
    Backdrop(int w, int h) { resize(w, h); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, QColor(20, 40, 110));
        g.setColorAt(1, QColor(60, 110, 190));
        p.fillRect(rect(), g);
    }
};

QImage textureImage()
{
    QImage img(24, 24, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    p.fillRect(img.rect(), QColor(255, 220, 40));
    p.fillRect(0, 0, 12, 12, QColor(220, 30, 30));
    p.fillRect(12, 12, 12, 12, QColor(30, 160, 60));
    return img;
}

bool save(const QImage &image, const QString &folder, const QString &name)
{
    const QString path = folder + QLatin1Char('/') + name;
    const bool ok = image.save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

QFont stageFont(int points)
{
    QFont f(QStringLiteral("黑体"));
    f.setPointSize(points);
    f.setBold(true);
    return f;
}

bool labelSheet(const QString &folder, const QString &texturePath)
{
    const std::vector<Case> cases{
        {"plain", [](TAAEffect &, TAAFontEffect &) {}},
        {"Alpha 40", [](TAAEffect &e, TAAFontEffect &) { e.Alpha = 40; }},
        {"Angle 30", [](TAAEffect &e, TAAFontEffect &) { e.Angle = 30; }},
        {"Angle -90", [](TAAEffect &e, TAAFontEffect &) { e.Angle = -90; }},
        {"Blur 30", [](TAAEffect &e, TAAFontEffect &) { e.Blur = 30; }},
        {"gsLeftToRight", [](TAAEffect &e, TAAFontEffect &) {
             e.Gradual = {true, colors::clYellow, colors::clRed, GradientStyle::gsLeftToRight};
         }},
        {"gsRightToLeft", [](TAAEffect &e, TAAFontEffect &) {
             e.Gradual = {true, colors::clYellow, colors::clRed, GradientStyle::gsRightToLeft};
         }},
        {"gsTopToBottom", [](TAAEffect &e, TAAFontEffect &) {
             e.Gradual = {true, colors::clYellow, colors::clRed, GradientStyle::gsTopToBottom};
         }},
        {"gsBottomToTop", [](TAAEffect &e, TAAFontEffect &) {
             e.Gradual = {true, colors::clYellow, colors::clRed, GradientStyle::gsBottomToTop};
         }},
        {"gsCenterToLR", [](TAAEffect &e, TAAFontEffect &) {
             e.Gradual = {true, colors::clYellow, colors::clRed, GradientStyle::gsCenterToLR};
         }},
        {"gsCenterToTB", [](TAAEffect &e, TAAFontEffect &) {
             e.Gradual = {true, colors::clYellow, colors::clRed, GradientStyle::gsCenterToTB};
         }},
        {"tmTiled", [&](TAAEffect &e, TAAFontEffect &) {
             e.Texture = {true, TextureMode::tmTiled, texturePath.toStdString()};
         }},
        {"tmStretched", [&](TAAEffect &e, TAAFontEffect &) {
             e.Texture = {true, TextureMode::tmStretched, texturePath.toStdString()};
         }},
        {"tmCenter", [&](TAAEffect &e, TAAFontEffect &) {
             e.Texture = {true, TextureMode::tmCenter, texturePath.toStdString()};
         }},
        {"tmNormal", [&](TAAEffect &e, TAAFontEffect &) {
             e.Texture = {true, TextureMode::tmNormal, texturePath.toStdString()};
         }},
        {"HorzMirror", [](TAAEffect &e, TAAFontEffect &) { e.HorzMirror = true; }},
        {"VertMirror", [](TAAEffect &e, TAAFontEffect &) { e.VertMirror = true; }},
        {"Noise 120", [](TAAEffect &e, TAAFontEffect &) { e.Noise = 120; }},
        {"Outline", [](TAAEffect &e, TAAFontEffect &) { e.Outline = true; }},
        {"Spray 40", [](TAAEffect &e, TAAFontEffect &) { e.Spray = 40; }},
        {"Shadow 70/80 +4+4", [](TAAEffect &e, TAAFontEffect &) {
             e.Shadow = {true, 70, 80, colors::clBlack, 4, 4};
         }},
        {"Shadow sharp red -6+6", [](TAAEffect &e, TAAFontEffect &) {
             e.Shadow = {true, 100, 0, colors::clRed, -6, 6};
         }},
        {"stage title", [](TAAEffect &e, TAAFontEffect &) {
             e.Gradual = {true, colors::clYellow, static_cast<TColor>(0x0000A5FF), GradientStyle::gsTopToBottom};
             e.Shadow = {true, 70, 40, colors::clBlack, 3, 3};
         }},
        {"opaque back", [](TAAEffect &, TAAFontEffect &fe) {
             fe.Transparent = false;
             fe.BackColor = colors::clGreen;
         }},
        {"quality High", [](TAAEffect &, TAAFontEffect &fe) { fe.Quality = RenderQuality::High; }},
        {"quality Low", [](TAAEffect &, TAAFontEffect &fe) { fe.Quality = RenderQuality::Low; }},
        {"quality None", [](TAAEffect &, TAAFontEffect &fe) { fe.Quality = RenderQuality::None; }},
    };

    const int cellW = 520, cellH = 250, columns = 4;
    const int rows = static_cast<int>((cases.size() + columns - 1) / columns);
    QImage sheet(cellW * columns, cellH * rows, QImage::Format_ARGB32_Premultiplied);
    QPainter sp(&sheet);
    for (size_t i = 0; i < cases.size(); ++i) {
        const int cx = static_cast<int>(i % columns) * cellW, cy = static_cast<int>(i / columns) * cellH;
        Backdrop backdrop(cellW, cellH);
        auto *label = new TAALabel(QStringLiteral("年度盛典 Ab"), &backdrop);
        label->move(10, 30);
        label->setFont(stageFont(36));
        label->setFontColor(colors::clWhite);
        TAAFontEffect fe;
        fe.Transparent = true;
        cases[i].set(fe.FontEffect, fe);
        label->setEffect(fe);
        sp.drawImage(cx, cy, backdrop.grab().toImage());
        sp.setPen(QColor(255, 255, 255, 90));
        sp.drawRect(label->geometry().translated(cx, cy).adjusted(0, 0, -1, -1));  // the label's bounds
        sp.setPen(Qt::white);
        sp.setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        sp.drawText(cx + 10, cy + 18, QString::fromLatin1(cases[i].name));
    }
    sp.end();
    return save(sheet, folder, QStringLiteral("label_effects.png"));
}

// Several frames of a scrolling component, one under the other, each after `ticks` more ticks.
QImage filmStrip(QWidget &stage, GalleryClock &clock, int interval, const std::function<void()> &process,
                 const std::vector<int> &ticks)
{
    std::vector<QImage> frames;
    for (int t : ticks) {
        for (int i = 0; i < t; ++i) {
            clock.advance(interval);
            process();
        }
        frames.push_back(stage.grab().toImage());
    }
    QImage strip(stage.width(), static_cast<int>(frames.size()) * (stage.height() + 6), QImage::Format_RGB32);
    strip.fill(Qt::black);
    QPainter p(&strip);
    for (size_t i = 0; i < frames.size(); ++i)
        p.drawImage(0, static_cast<int>(i) * (stage.height() + 6), frames[i]);
    return strip;
}

bool scrollers(const QString &folder)
{
    bool ok = true;
    GalleryClock clock;
    {
        Backdrop stage(900, 60);
        auto *marquee = new TSkyScrollText(&stage);
        marquee->setClock(&clock);
        marquee->setGeometry(0, 10, 900, 40);
        marquee->setFont(stageFont(20));
        marquee->setFontColor(colors::clYellow);
        marquee->setTransparent(false);
        marquee->setColor(colors::clNavy);
        marquee->setStep(10);
        marquee->setText(QStringLiteral("恭喜!   一等奖:张三  李四        二等奖:王五  赵六"));
        ok &= save(filmStrip(stage, clock, marquee->interval(), [&] { marquee->processDueTicks(); }, {0, 10, 30, 60}),
                   folder, QStringLiteral("sky_scroll_left.png"));
    }
    {
        Backdrop stage(500, 240);
        auto *results = new TSkyScrollText(&stage);
        results->setClock(&clock);
        results->setGeometry(50, 20, 400, 200);
        results->setFont(stageFont(16));
        results->setFontColor(colors::clWhite);
        results->setScrollDirection(ScrollDirection::sdUp);
        results->setLayout(TextLayout::Top);
        results->setAlignment(TextAlignment::Center);
        results->setStep(4);
        results->setInterval(100);
        results->setText(QStringLiteral("一等奖(2名)\n张三  \n李四  \n  \n二等奖(3名)\n王五  \n赵六  \n钱七  "));
        ok &= save(filmStrip(stage, clock, results->interval(), [&] { results->processDueTicks(); }, {0, 15, 30, 30}),
                   folder, QStringLiteral("sky_scroll_up.png"));
    }
    {
        Backdrop stage(520, 300);
        auto *scroller = new TAAScrollText(&stage);
        scroller->setClock(&clock);
        scroller->setGeometry(20, 20, 480, 260);
        QFont font = stageFont(22);
        scroller->setFont(font);
        scroller->setFontColor(colors::clYellow);
        scroller->setBackColor(colors::clNavy);
        TAAEffect e;
        e.Gradual = {true, colors::clYellow, static_cast<TColor>(0x0000A5FF), GradientStyle::gsTopToBottom};
        e.Shadow = {true, 70, 40, colors::clBlack, 2, 2};
        scroller->setFontEffect(e);
        scroller->setFadeHeight(40);
        scroller->setScrollStep(3);
        scroller->setLines({QStringLiteral("一等奖(2名)"), QStringLiteral("张三    李四"), QStringLiteral("  "),
                            QStringLiteral("二等奖(3名)"), QStringLiteral("王五    赵六"), QStringLiteral("钱七"),
                            QStringLiteral("  "), QStringLiteral("三等奖(1名)"), QStringLiteral("孙八")});
        const int toStart = scroller->repeatDelay() / scroller->scrollDelay() + 1;
        ok &= save(filmStrip(stage, clock, scroller->scrollDelay(), [&] { scroller->processDueTicks(); },
                             {0, toStart, 40, 60}),
                   folder, QStringLiteral("aa_scroll_text.png"));
    }
    return ok;
}

bool handle(const QString &folder)
{
    Backdrop stage(420, 160);
    auto *label = new TAALabel(QStringLiteral("第一轮抽奖"), &stage);
    label->setFont(stageFont(28));
    label->setFontColor(colors::clWhite);
    label->setTransparent(true);
    label->move(60, 50);
    TStretchHandle grip(&stage);
    if (!grip.attach(label).ok())
        return false;
    return save(stage.grab().toImage(), folder, QStringLiteral("stretch_handle.png"));
}

bool dialogs(const QString &folder)
{
    bool ok = true;
    {
        TAAFontDialog dialog;
        TAAEffect e;
        e.Gradual = {true, colors::clYellow, colors::clRed, GradientStyle::gsTopToBottom};
        e.Shadow = {true, 70, 40, colors::clBlack, 3, 3};
        dialog.setEffect(e);
        dialog.show();
        QApplication::processEvents();
        ok &= save(dialog.grab().toImage(), folder, QStringLiteral("effect_dialog.png"));
    }
    {
        QtMessageService messages;
        Tmyfontdialog dialog(messages);
        dialog.setFontName(QStringLiteral("黑体"));
        dialog.setStyleName(QStringLiteral("粗体"));
        dialog.setSizeText(QStringLiteral("36"));
        dialog.setColor(colors::clRed);
        dialog.show();
        QApplication::processEvents();
        ok &= save(dialog.grab().toImage(), folder, QStringLiteral("font_dialog.png"));
    }
    return ok;
}

}  // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setupApplication(app);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("effects-gallery");
    QDir().mkpath(folder);
    const QString texturePath = QDir(folder).absoluteFilePath(QStringLiteral("texture.png"));
    textureImage().save(texturePath);

    bool ok = labelSheet(folder, texturePath);
    ok &= scrollers(folder);
    ok &= handle(folder);
    ok &= dialogs(folder);
    return ok ? 0 : 1;
}
