// The effect label: its size follows the rendered text with every effect, it
// paints from a cache, and each effect looks like what it is called.
#include "ui/common/AppSetup.h"
#include "ui/common/QtValues.h"
#include "ui/effects/EffectRenderer.h"
#include "ui/effects/TAALabel.h"

#include <QTemporaryDir>
#include <QtTest>
#include <functional>

using namespace tessaly;

namespace {

QFont titleFont()
{
    QFont f(QStringLiteral("黑体"));
    f.setPointSize(36);
    f.setBold(true);
    return f;
}

QImage render(const TAAEffect &effect, const QString &text = QStringLiteral("年度盛典"), TColor color = colors::clWhite)
{
    EffectTextStyle style;
    style.font = titleFont();
    style.color = color;
    style.effect = effect;
    return renderEffectText(text, style).convertToFormat(QImage::Format_ARGB32);
}

// The bounds of the pixels that are at least half covered.
QRect inkBounds(const QImage &img)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) >= 128)
                r = r.united(QRect(x, y, 1, 1));
    return r;
}

// The mean colour of the well covered pixels inside `region` (fractions of the ink bounds).
QColor meanColor(const QImage &img, QRectF region)
{
    const QRect ink = inkBounds(img);
    const QRect r(ink.x() + int(region.x() * ink.width()), ink.y() + int(region.y() * ink.height()),
                  std::max(1, int(region.width() * ink.width())), std::max(1, int(region.height() * ink.height())));
    double red = 0, green = 0, blue = 0;
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAlpha(p) < 230)
                continue;
            red += qRed(p), green += qGreen(p), blue += qBlue(p), ++n;
        }
    return n ? QColor(int(red / n), int(green / n), int(blue / n)) : QColor();
}

int covered(const QImage &img, int minAlpha = 128)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qAlpha(img.pixel(x, y)) >= minAlpha;
    return n;
}

// Mean difference of the alpha channels, 0 (same) to 1.
double alphaDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 1;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y)));
    return sum / (255.0 * a.width() * a.height());
}

bool near(QColor actual, QColor wanted, int tolerance = 60)
{
    return actual.isValid() && std::abs(actual.red() - wanted.red()) <= tolerance &&
           std::abs(actual.green() - wanted.green()) <= tolerance && std::abs(actual.blue() - wanted.blue()) <= tolerance;
}

}  // namespace

class TestEffectLabel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        keepSyntheticBoldAtEverySize();
        installFontSubstitutions();
    }

    void aBoldTitleStaysBoldOnA4KStage()
    {
        // The title's 44 points at 1080p and twice that on a 3840x2160 stage,
        // in the settings' font, which has no bold face of its own here.
        for (int pixels : {59, 117, 235}) {
            int ink[2] = {};
            for (bool bold : {false, true}) {
                QFont f(QStringLiteral("黑体"));
                f.setPixelSize(pixels);
                f.setBold(bold);
                EffectTextStyle style;
                style.font = f;
                style.color = colors::clBlack;
                ink[bold] = covered(renderEffectText(QStringLiteral("中奖名单"), style));
            }
            QVERIFY2(ink[1] > ink[0] * 1.25, qPrintable(QStringLiteral("%1 px: %2 against %3").arg(pixels).arg(ink[1]).arg(ink[0])));
        }
    }

    void chineseCaptionsRenderWithTheSettingsFontNames()
    {
        // "黑体" is not installed here; it must still draw glyphs, not boxes or nothing.
        for (const char *family : {"黑体", "宋体", "宋书"}) {
            QFont f(QString::fromUtf8(family));
            f.setPointSize(36);
            EffectTextStyle style;
            style.font = f;
            style.color = colors::clBlack;
            const QImage img = renderEffectText(QStringLiteral("抽奖"), style);
            QVERIFY2(covered(img) > 300, family);
            QVERIFY(QFontInfo(f).family().contains(QLatin1String("WenQuanYi")));
        }
    }

    void autoSizeTakesTheRenderedTextWithItsEffects()
    {
        TAALabel plain(QStringLiteral("年度盛典"));
        plain.setFont(titleFont());
        const QSize base = plain.size();
        QVERIFY(base.width() >= QFontMetrics(titleFont()).horizontalAdvance(QStringLiteral("年度盛典")));

        struct Case {
            const char *name;
            std::function<void(TAALabel &)> set;
            std::function<bool(QSize)> fits;
        };
        const std::vector<Case> cases{
            {"shadow offset grows the label by the offset",
             [](TAALabel &l) {
                 TAAEffect e;
                 e.Shadow = {true, 70, 0, colors::clBlack, 6, 9};
                 l.setFontEffect(e);
             },
             [&](QSize s) { return s == base + QSize(6, 9); }},
            {"a shadow up and to the left grows it too",
             [](TAALabel &l) {
                 TAAEffect e;
                 e.Shadow = {true, 70, 0, colors::clBlack, -20, -4};
                 l.setFontEffect(e);
             },
             [&](QSize s) { return s == base + QSize(20, 4); }},
            {"a blurred shadow reaches beyond its offset",
             [](TAALabel &l) {
                 TAAEffect e;
                 e.Shadow = {true, 70, 80, colors::clBlack, 2, 2};
                 l.setFontEffect(e);
             },
             [&](QSize s) { return s.width() > base.width() + 10 && s.height() > base.height() + 10; }},
            {"blur widens the text on every side",
             [](TAALabel &l) {
                 TAAEffect e;
                 e.Blur = 50;
                 l.setFontEffect(e);
             },
             [&](QSize s) { return s.width() > base.width() + 10 && s.height() > base.height() + 10; }},
            {"a quarter turn swaps width and height",
             [](TAALabel &l) {
                 TAAEffect e;
                 e.Angle = 90;
                 l.setFontEffect(e);
             },
             [&](QSize s) { return std::abs(s.width() - base.height()) <= 2 && std::abs(s.height() - base.width()) <= 2; }},
            {"mirrors keep the size",
             [](TAALabel &l) {
                 TAAEffect e;
                 e.HorzMirror = e.VertMirror = true;
                 l.setFontEffect(e);
             },
             [&](QSize s) { return s == base; }},
            {"the border is kept on every side", [](TAALabel &l) { l.setBorder(3); },
             [&](QSize s) { return s == base + QSize(6, 6); }},
            {"a longer caption is wider", [](TAALabel &l) { l.setCaption(QStringLiteral("年度盛典年度盛典")); },
             [&](QSize s) { return s.width() > base.width() * 3 / 2 && s.height() == base.height(); }},
            {"a second line makes it taller", [](TAALabel &l) { l.setCaption(QStringLiteral("年度\n盛典")); },
             [&](QSize s) { return s.height() > base.height() * 3 / 2 && s.width() < base.width(); }},
        };
        for (const Case &c : cases) {
            TAALabel label(QStringLiteral("年度盛典"));
            label.setFont(titleFont());
            c.set(label);
            QVERIFY2(c.fits(label.size()), c.name);
            QCOMPARE(label.size(), label.sizeHint());
            QCOMPARE(label.renderedText().size() + QSize(2, 2) * label.border(), label.size());
        }
    }

    void withoutAutoSizeTheLabelKeepsItsSize()
    {
        TAALabel label(QStringLiteral("年度盛典"));
        label.setAutoSize(false);
        label.resize(40, 20);
        label.setFont(titleFont());
        label.setCaption(QStringLiteral("更长的标题文字"));
        QCOMPARE(label.size(), QSize(40, 20));
        label.setAutoSize(true);
        QCOMPARE(label.size(), label.sizeHint());
    }

    void repaintsComeFromTheCache()
    {
        TAALabel label(QStringLiteral("年度盛典"));
        label.setFont(titleFont());
        TAAEffect e;
        e.Shadow = {true, 70, 80, colors::clBlack, 3, 3};
        label.setFontEffect(e);
        label.setFontColor(colors::clYellow);
        // Setting a label up sizes it without painting; it renders once, when painted.
        QCOMPARE(label.renderCount(), 0);
        label.grab();
        const int rendered = label.renderCount();
        QCOMPARE(rendered, 1);
        for (int i = 0; i < 5; ++i)
            label.grab();
        label.setTransparent(!label.transparent());  // the background is not the text
        label.setBackColor(colors::clRed);
        label.setLayout(TextLayout::Center);
        label.setCaption(label.caption());
        label.setFontEffect(e);
        label.grab();
        QCOMPARE(label.renderCount(), rendered);

        label.setCaption(QStringLiteral("第二轮"));
        label.grab();
        label.grab();
        QCOMPARE(label.renderCount(), rendered + 1);
        QFont bigger = titleFont();
        bigger.setPointSize(40);
        label.setFont(bigger);
        label.grab();
        QCOMPARE(label.renderCount(), rendered + 2);
        e.Angle = 10;
        label.setFontEffect(e);
        label.grab();
        QCOMPARE(label.renderCount(), rendered + 3);
    }

    void aMirroredLabelReadsBackwards()
    {
        const QImage plain = render({});
        TAAEffect h;
        h.HorzMirror = true;
        TAAEffect v;
        v.VertMirror = true;
        QVERIFY(alphaDifference(plain.mirrored(true, false), plain) > 0.05);  // the check can tell them apart
        QVERIFY(alphaDifference(render(h), plain.mirrored(true, false)) < 0.01);
        QVERIFY(alphaDifference(render(v), plain.mirrored(false, true)) < 0.01);
    }

    void aGradientRunsTheWayItsNameSays_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QRectF>("startRegion");
        QTest::addColumn<QRectF>("endRegion");
        const QRectF left(0, 0, 0.15, 1), right(0.85, 0, 0.15, 1), top(0, 0.15, 1, 0.2), bottom(0, 0.7, 1, 0.2),
            middleX(0.45, 0, 0.1, 1), middleY(0, 0.45, 1, 0.1), leftEdge(0, 0, 0.06, 1), topEdge(0, 0, 1, 0.08);
        QTest::newRow("gsLeftToRight") << int(GradientStyle::gsLeftToRight) << left << right;
        QTest::newRow("gsRightToLeft") << int(GradientStyle::gsRightToLeft) << right << left;
        QTest::newRow("gsTopToBottom") << int(GradientStyle::gsTopToBottom) << top << bottom;
        QTest::newRow("gsBottomToTop") << int(GradientStyle::gsBottomToTop) << bottom << top;
        QTest::newRow("gsCenterToLR") << int(GradientStyle::gsCenterToLR) << middleX << leftEdge;
        QTest::newRow("gsCenterToTB") << int(GradientStyle::gsCenterToTB) << middleY << topEdge;
    }

    void aGradientRunsTheWayItsNameSays()
    {
        QFETCH(int, style);
        QFETCH(QRectF, startRegion);
        QFETCH(QRectF, endRegion);
        TAAEffect e;
        e.Gradual = {true, colors::clRed, colors::clBlue, GradientStyle(style)};
        const QImage img = render(e, QStringLiteral("■■■■"));
        const QColor start = meanColor(img, startRegion), end = meanColor(img, endRegion);
        QVERIFY2(start.red() - start.blue() > 60, qPrintable(start.name()));
        QVERIFY2(end.blue() - end.red() > 60, qPrintable(end.name()));
    }

    void aShadowLiesAtItsOffsetInItsColour()
    {
        TAAEffect e;
        e.Shadow = {true, 100, 0, colors::clRed, 8, 8};
        const QImage img = render(e, QStringLiteral("■"));
        // The bottom-right corner holds only shadow, the top-left only text.
        QVERIFY(near(meanColor(img, QRectF(0.9, 0.9, 0.1, 0.1)), Qt::red, 10));
        QVERIFY(near(meanColor(img, QRectF(0, 0, 0.1, 0.1)), Qt::white, 10));

        e.Shadow.Alpha = 50;
        const QImage half = render(e, QStringLiteral("■"));
        const QRect ink = inkBounds(img);
        QVERIFY(std::abs(qAlpha(half.pixel(ink.right() - 2, ink.bottom() - 2)) - 128) < 10);

        e.Shadow.Blur = 60;
        e.Shadow.Alpha = 100;
        const QImage soft = render(e, QStringLiteral("■"));
        // A blurred shadow fades out: its outer edge is faint, not solid.
        QVERIFY(qAlpha(soft.pixel(soft.width() - 1, soft.height() / 2)) < 40);
    }

    void opacityOutlineAndTextureChangeTheGlyphs()
    {
        const QImage plain = render({});
        TAAEffect half;
        half.Alpha = 50;
        int maxAlpha = 0;
        const QImage faded = render(half);
        for (int y = 0; y < faded.height(); ++y)
            for (int x = 0; x < faded.width(); ++x)
                maxAlpha = std::max(maxAlpha, qAlpha(faded.pixel(x, y)));
        QVERIFY(std::abs(maxAlpha - 128) <= 2);

        TAAEffect outline;
        outline.Outline = true;
        QVERIFY(covered(render(outline)) < covered(plain) * 2 / 3);

        QTemporaryDir dir;
        QImage tex(8, 8, QImage::Format_RGB32);
        tex.fill(Qt::green);
        const QString file = dir.filePath(QStringLiteral("tex.png"));
        QVERIFY(tex.save(file));
        TAAEffect textured;
        textured.Texture = {true, TextureMode::tmTiled, file.toStdString()};
        TAALabel label(QStringLiteral("■■"));
        label.setFont(titleFont());
        label.setFontColor(colors::clWhite);
        label.setFontEffect(textured);
        QVERIFY(near(meanColor(label.renderedText().convertToFormat(QImage::Format_ARGB32), QRectF(0.2, 0.3, 0.6, 0.4)),
                     Qt::green, 10));
        // A picture that cannot be read leaves the font colour.
        textured.Texture.Picture = "/no/such/picture.png";
        label.setFontEffect(textured);
        QVERIFY(near(meanColor(label.renderedText().convertToFormat(QImage::Format_ARGB32), QRectF(0.2, 0.3, 0.6, 0.4)),
                     Qt::white, 10));
    }

    void theBackgroundIsPaintedUnlessTransparent()
    {
        QWidget parent;
        parent.resize(300, 120);
        parent.setAutoFillBackground(true);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, Qt::blue);
        parent.setPalette(pal);
        auto *label = new TAALabel(QStringLiteral("盛典"), &parent);
        label->setFont(titleFont());
        label->setBackColor(colors::clGreen);
        label->setTransparent(false);
        QCOMPARE(parent.grab().toImage().pixelColor(label->x() + 1, label->y() + 1), QColor(0, 128, 0));
        label->setTransparent(true);
        QCOMPARE(parent.grab().toImage().pixelColor(label->x() + 1, label->y() + 1), QColor(Qt::blue));
    }

    void alignmentAndLayoutPlaceTheTextInALargerLabel()
    {
        TAALabel label(QStringLiteral("盛"));
        label.setFont(titleFont());
        const QSize text = label.size();
        label.setAutoSize(false);
        label.resize(text.width() * 5, text.height() * 3);
        label.setTransparent(true);
        struct Case {
            TextAlignment alignment;
            TextLayout layout;
            QPoint cell;  // which of the 5 x 3 cells holds the text
        };
        for (const Case &c : {Case{TextAlignment::Left, TextLayout::Top, {0, 0}},
                              Case{TextAlignment::Center, TextLayout::Center, {2, 1}},
                              Case{TextAlignment::Right, TextLayout::Bottom, {4, 2}}}) {
            label.setAlignment(c.alignment);
            label.setLayout(c.layout);
            QImage shot(label.size(), QImage::Format_ARGB32);
            shot.fill(Qt::transparent);
            label.render(&shot, QPoint(), QRegion(), QWidget::RenderFlags());
            const QRect cell(c.cell.x() * text.width(), c.cell.y() * text.height(), text.width(), text.height());
            QVERIFY(covered(shot.copy(cell)) > 100);
            QCOMPARE(covered(shot), covered(shot.copy(cell)));
        }
    }
};

QTEST_MAIN(TestEffectLabel)
#include "tst_effects_label.moc"
