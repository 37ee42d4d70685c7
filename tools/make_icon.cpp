// Draws the program's desktop icon (packaging/tessaly.png): a red lantern-like
// disc with a gold ring and the character 奖. Run: make_icon OUT.png
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_icon OUT.png\n");
        return 2;
    }
    const int size = 256;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QRadialGradient red(QPointF(size * 0.4, size * 0.35), size * 0.6);
    red.setColorAt(0, QColor(236, 64, 52));
    red.setColorAt(1, QColor(150, 16, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawEllipse(QRectF(12, 12, size - 24, size - 24));

    QPen gold(QColor(250, 200, 70), 10);
    p.setPen(gold);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(26, 26, size - 52, size - 52));

    // Sparkles around the ring.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 230, 140));
    for (int i = 0; i < 8; ++i) {
        QPainterPath star;
        const double a = i * 3.14159265 / 4;
        const QPointF c(size / 2 + std::cos(a) * 103, size / 2 + std::sin(a) * 103);
        star.addEllipse(c, 5, 5);
        p.drawPath(star);
    }

    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(132);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(120, 10, 10));
    p.drawText(QRectF(4, 8, size, size), Qt::AlignCenter, QStringLiteral("奖"));
    p.setPen(QColor(255, 215, 90));
    p.drawText(QRectF(0, 2, size, size), Qt::AlignCenter, QStringLiteral("奖"));
    p.end();
    return image.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
