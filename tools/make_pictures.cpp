// Draws the pictures that ship in dist/: the stage backgrounds img/0.jpg to
// img/10.jpg in the colour themes of the background menu, the results window
// background img/show.jpg and the demo prize picture Awardimg/photest.jpg.
// Usage: make_pictures <dist folder>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <cmath>

namespace {

struct Theme {
    QColor top, bottom, glow, accent;
};

void drawStar(QPainter &p, QPointF c, double r, QColor color)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        double a = -M_PI / 2 + i * M_PI / 5;
        double rr = (i % 2) ? r * 0.42 : r;
        QPointF pt(c.x() + rr * std::cos(a), c.y() + rr * std::sin(a));
        i ? path.lineTo(pt) : path.moveTo(pt);
    }
    path.closeSubpath();
    p.fillPath(path, color);
}

QImage background(const Theme &t, quint32 seed, QSize size = {1920, 1080})
{
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient base(0, 0, 0, size.height());
    base.setColorAt(0, t.top);
    base.setColorAt(1, t.bottom);
    p.fillRect(img.rect(), base);

    // A soft light in the upper middle, where the titles stand.
    QRadialGradient glow(QPointF(size.width() / 2.0, size.height() * 0.28), size.width() * 0.55);
    QColor g = t.glow;
    g.setAlpha(55);  // enough to lift the titles' area, not enough to wash out light text
    glow.setColorAt(0, g);
    g.setAlpha(0);
    glow.setColorAt(1, g);
    p.fillRect(img.rect(), glow);

    // Light rays from the top centre.
    p.save();
    p.translate(size.width() / 2.0, -size.height() * 0.15);
    for (int i = 0; i < 18; ++i) {
        QColor ray = t.glow;
        ray.setAlpha(i % 2 ? 18 : 30);
        QPainterPath wedge;
        wedge.moveTo(0, 0);
        double a0 = M_PI * (0.08 + i * 0.047), a1 = a0 + 0.022;
        double len = size.width() * 1.4;
        wedge.lineTo(len * std::cos(a0), len * std::sin(a0));
        wedge.lineTo(len * std::cos(a1), len * std::sin(a1));
        wedge.closeSubpath();
        p.fillPath(wedge, ray);
    }
    p.restore();

    QRandomGenerator rng(seed);
    // Bright decoration keeps to the side margins and the very top edge, where no text stands.
    auto margin = [&rng, size]() {
        const double side = size.width() * 0.11;
        const double x = rng.bounded(2 * side);
        return x < side ? x : size.width() - 2 * side + x;
    };
    // Bokeh circles.
    for (int i = 0; i < 70; ++i) {
        QPointF c(i % 2 ? margin() : rng.bounded(size.width()), rng.bounded(size.height()));
        double r = 8 + rng.bounded(60);
        QColor col = (i % 3) ? t.glow : t.accent;
        QRadialGradient bokeh(c, r);
        col.setAlpha(i % 2 ? 40 + rng.bounded(50) : 15 + rng.bounded(20));
        bokeh.setColorAt(0, col);
        col.setAlpha(0);
        bokeh.setColorAt(1, col);
        p.setPen(Qt::NoPen);
        p.setBrush(bokeh);
        p.drawEllipse(c, r, r);
    }
    // Confetti along the top edge and down the sides.
    for (int i = 0; i < 160; ++i) {
        bool topEdge = i % 2;
        QPointF c = topEdge ? QPointF(rng.bounded(size.width()), rng.bounded(size.height() * 0.015))
                            : QPointF(margin(), rng.bounded(size.height()));
        QColor col = (i % 4 == 0) ? QColor(255, 255, 255) : ((i % 4 == 1) ? t.accent : t.glow);
        col.setAlpha(150 + rng.bounded(100));
        p.save();
        p.translate(c);
        p.rotate(rng.bounded(360));
        p.fillRect(QRectF(-6, -2.5, 12 + rng.bounded(8), 5), col);
        p.restore();
    }
    for (int i = 0; i < 40; ++i) {
        QColor col = t.accent;
        col.setAlpha(120 + rng.bounded(120));
        drawStar(p, QPointF(margin(), rng.bounded(size.height())), 4 + rng.bounded(12), col);
    }
    // Darker floor so the marquee line reads well.
    QLinearGradient floor(0, size.height() * 0.82, 0, size.height());
    floor.setColorAt(0, QColor(0, 0, 0, 0));
    floor.setColorAt(1, QColor(0, 0, 0, 110));
    p.fillRect(img.rect(), floor);
    return img;
}

QImage prizePicture()
{
    QImage img(600, 450, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, 450);
    bg.setColorAt(0, QColor(255, 248, 225));
    bg.setColorAt(1, QColor(255, 214, 140));
    p.fillRect(img.rect(), bg);
    // A gift box with a ribbon and a bow.
    QRectF box(170, 190, 260, 200), lid(150, 150, 300, 60);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 30, 40));
    p.drawRoundedRect(box, 10, 10);
    p.setBrush(QColor(225, 45, 55));
    p.drawRoundedRect(lid, 10, 10);
    p.setBrush(QColor(255, 200, 40));
    p.drawRect(QRectF(280, 150, 40, 240));
    p.drawRect(QRectF(150, 170, 300, 20));
    QPainterPath bow;
    bow.moveTo(300, 150);
    bow.cubicTo(230, 60, 180, 130, 300, 150);
    bow.moveTo(300, 150);
    bow.cubicTo(370, 60, 420, 130, 300, 150);
    p.setBrush(QColor(255, 190, 30));
    p.setPen(QPen(QColor(200, 140, 0), 4));
    p.drawPath(bow);
    QRandomGenerator rng(7);
    for (int i = 0; i < 24; ++i)
        drawStar(p, QPointF(rng.bounded(600), rng.bounded(140)), 6 + rng.bounded(10), QColor(255, 170, 0, 200));
    return img;
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QDir dist(QString::fromLocal8Bit(argv[1]));
    dist.mkpath(QStringLiteral("img"));
    dist.mkpath(QStringLiteral("Awardimg"));
    // 0: the default stage; 1 to 10: 经典蓝 活力橙 水粉蓝 绚目黄 梦幻蓝 水粉绿 荧光绿 粉红心 溏心粉 喜庆红.
    // Each theme keeps its hue but is deep enough that the shipped yellow, white and aqua texts read
    // at 4.5:1 or better wherever they stand, and the light buttons stand out.
    const Theme themes[] = {
        {QColor(120, 8, 18), QColor(60, 0, 8), QColor(255, 120, 60), QColor(255, 210, 80)},
        {QColor(10, 40, 120), QColor(2, 12, 50), QColor(60, 140, 255), QColor(255, 215, 90)},
        {QColor(150, 50, 0), QColor(80, 18, 0), QColor(255, 150, 40), QColor(255, 230, 150)},
        {QColor(20, 70, 135), QColor(8, 30, 80), QColor(120, 190, 255), QColor(220, 240, 255)},
        {QColor(115, 78, 0), QColor(60, 36, 0), QColor(255, 210, 60), QColor(255, 150, 40)},
        {QColor(60, 20, 140), QColor(10, 20, 80), QColor(150, 110, 255), QColor(120, 220, 255)},
        {QColor(16, 92, 64), QColor(4, 46, 32), QColor(120, 230, 180), QColor(230, 255, 200)},
        {QColor(12, 96, 22), QColor(0, 46, 10), QColor(140, 255, 80), QColor(255, 255, 120)},
        {QColor(140, 22, 70), QColor(76, 4, 38), QColor(255, 120, 190), QColor(255, 220, 240)},
        {QColor(130, 40, 84), QColor(74, 14, 46), QColor(255, 170, 210), QColor(255, 235, 245)},
        {QColor(160, 8, 14), QColor(90, 0, 0), QColor(255, 90, 40), QColor(255, 215, 0)},
    };
    int index = 0;
    for (const Theme &t : themes) {
        background(t, 1000u + index).save(dist.filePath(QStringLiteral("img/%1.jpg").arg(index)), "JPG", 85);
        ++index;
    }
    background({QColor(20, 20, 70), QColor(0, 0, 20), QColor(90, 90, 220), QColor(255, 215, 90)}, 77u)
        .save(dist.filePath(QStringLiteral("img/show.jpg")), "JPG", 85);
    prizePicture().save(dist.filePath(QStringLiteral("Awardimg/photest.jpg")), "JPG", 90);
    return 0;
}
