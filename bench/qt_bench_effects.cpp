// Figures for the effect components, offscreen: repainting a cached 48 pt
// label with shadow and blur, re-rendering it after a caption change, and one
// tick of the effect scroller.
#include "ui/common/AppSetup.h"
#include "ui/effects/EffectRenderer.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/TAAScrollText.h"
#include "ui/effects/TickClock.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace tessaly;

namespace {

class BenchClock : public TickClock {
public:
    qint64 nowMs() const override { return m_now; }
    void advance(qint64 ms) { m_now += ms; }

private:
    qint64 m_now = 0;
};

TAALabel &titleLabel()
{
    static TAALabel *label = [] {
        auto *l = new TAALabel(QStringLiteral("2027 年度盛典 幸运大抽奖"));
        QFont font(QStringLiteral("黑体"));
        font.setPointSize(48);
        font.setBold(true);
        l->setFont(font);
        l->setFontColor(colors::clYellow);
        TAAFontEffect fe;
        fe.Transparent = true;
        fe.Alignment = TextAlignment::Center;
        fe.FontEffect.Gradual = {true, colors::clYellow, static_cast<TColor>(0x0000A5FF), GradientStyle::gsTopToBottom};
        fe.FontEffect.Shadow = {true, 70, 80, colors::clBlack, 3, 3};
        fe.FontEffect.Blur = 5;
        l->setEffect(fe);
        return l;
    }();
    return *label;
}

QImage &screen()
{
    static QImage image(1920, 200, QImage::Format_ARGB32_Premultiplied);
    return image;
}

// What a repaint costs: the label paints itself onto the stage's backing store.
void paint(QWidget &widget)
{
    QPainter p(&screen());
    widget.render(&p, QPoint(), QRegion(), QWidget::RenderFlags());
}

void BM_RepaintCachedLabel(benchmark::State &state)
{
    TAALabel &label = titleLabel();
    paint(label);
    const int renders = label.renderCount();
    for (auto _ : state)
        paint(label);
    if (label.renderCount() != renders)
        state.SkipWithError("the label re-rendered on a repaint");
    state.counters["width"] = label.width();
    state.counters["height"] = label.height();
}
BENCHMARK(BM_RepaintCachedLabel)->Unit(benchmark::kMicrosecond);

void BM_RerenderAfterCaptionChange(benchmark::State &state)
{
    TAALabel &label = titleLabel();
    const QString captions[] = {QStringLiteral("2027 年度盛典 幸运大抽奖"), QStringLiteral("2027 年度盛典 幸运大抽奖!")};
    int i = 0;
    for (auto _ : state) {
        label.setCaption(captions[++i % 2]);
        paint(label);
    }
}
BENCHMARK(BM_RerenderAfterCaptionChange)->Unit(benchmark::kMillisecond);

// One rendering of a 48 pt caption per effect, to see which effects cost the most.
void BM_RenderEffect(benchmark::State &state)
{
    EffectTextStyle style;
    style.font = QFont(QStringLiteral("黑体"));
    style.font.setPointSize(48);
    style.color = colors::clWhite;
    switch (state.range(0)) {
    case 0:
        state.SetLabel("plain");
        break;
    case 1:
        state.SetLabel("shadow blur 80");
        style.effect.Shadow = {true, 70, 80, colors::clBlack, 3, 3};
        break;
    case 2:
        state.SetLabel("blur 100");
        style.effect.Blur = 100;
        break;
    case 3:
        state.SetLabel("spray 50, noise 100");
        style.effect.Spray = 50;
        style.effect.Noise = 100;
        break;
    case 4:
        state.SetLabel("high quality, angle 30");
        style.quality = RenderQuality::High;
        style.effect.Angle = 30;
        break;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(renderEffectText(QStringLiteral("2027 年度盛典 幸运大抽奖"), style));
}
BENCHMARK(BM_RenderEffect)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void BM_ScrollTextTickAndPaint(benchmark::State &state)
{
    TAAScrollText scroller;
    scroller.resize(900, 600);
    QFont font(QStringLiteral("黑体"));
    font.setPointSize(36);
    scroller.setFont(font);
    TAAEffect e;
    e.Shadow = {true, 70, 40, colors::clBlack, 2, 2};
    scroller.setFontEffect(e);
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("第%1名  张三  李四  王五").arg(i + 1);
    scroller.setLines(lines);
    BenchClock clock;
    scroller.setClock(&clock);
    scroller.setRepeatDelay(0);
    auto tick = [&] {
        clock.advance(scroller.scrollDelay());
        scroller.processDueTicks();
    };
    // Every line once, so the figure is the steady state and not the first rendering of each line.
    scroller.setScrollStep(300);
    for (int y = 0; y < scroller.stripHeight(); y += 300) {
        tick();
        paint(scroller);
    }
    scroller.setScrollStep(1);
    for (auto _ : state) {
        tick();
        paint(scroller);
    }
}
BENCHMARK(BM_ScrollTextTickAndPaint)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
