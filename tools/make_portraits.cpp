// Draws the demo participant photos of dist/photo/: a head-and-shoulders
// portrait of an invented person for each of the first names of the demo
// list, 400 by 300 pixels (the photo slots' 4:3), saved under the name as
// photo mode expects ("<name>.jpg"). Nobody real is pictured.
// Usage: make_portraits <dist folder> [count]
#include "core/text/Gbk.h"
#include "core/text/Lines.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

namespace {

const QColor kSkins[] = {{255, 224, 196}, {241, 194, 160}, {224, 172, 130}, {198, 144, 104}, {250, 212, 180}};
const QColor kHair[] = {{30, 25, 22}, {58, 40, 30}, {90, 60, 40}, {20, 20, 26}, {120, 90, 60}, {150, 150, 150}};
const QColor kShirts[] = {{40, 70, 140}, {170, 40, 50}, {40, 120, 90}, {90, 90, 100},
                          {200, 140, 40}, {110, 60, 140}, {240, 240, 240}, {30, 30, 35}};

QImage portrait(quint32 seed)
{
    QRandomGenerator rng(seed);
    auto pick = [&rng](const auto &array) { return array[rng.bounded(static_cast<quint32>(std::size(array)))]; };
    QImage image(400, 300, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // A studio backdrop: a soft light behind the head.
    const QColor backdrop = QColor::fromHsv(rng.bounded(360), 40 + rng.bounded(60), 150 + rng.bounded(80));
    QRadialGradient light(QPointF(200, 120), 260);
    light.setColorAt(0, backdrop.lighter(135));
    light.setColorAt(1, backdrop.darker(140));
    p.fillRect(image.rect(), light);

    const QColor skin = pick(kSkins), hair = pick(kHair), shirt = pick(kShirts);
    const bool longHair = rng.bounded(2) == 1;
    const double cx = 200 + rng.bounded(-12, 13), headW = 96 + rng.bounded(0, 16), headH = 122 + rng.bounded(0, 14);
    const double headTop = 56 + rng.bounded(0, 12);

    // Long hair falls behind the shoulders.
    if (longHair) {
        QPainterPath back;
        back.addRoundedRect(QRectF(cx - headW * 0.68, headTop + 10, headW * 1.36, headH * 1.35), 50, 50);
        p.fillPath(back, hair);
    }
    // Shoulders and shirt, with a collar opening.
    QPainterPath body;
    body.moveTo(cx - 150, 300);
    body.cubicTo(cx - 140, 225, cx - 80, 212, cx - 34, 205);
    body.lineTo(cx + 34, 205);
    body.cubicTo(cx + 80, 212, cx + 140, 225, cx + 150, 300);
    body.closeSubpath();
    QLinearGradient cloth(0, 200, 0, 300);
    cloth.setColorAt(0, shirt.lighter(115));
    cloth.setColorAt(1, shirt.darker(125));
    p.fillPath(body, cloth);
    // Neck.
    p.setPen(Qt::NoPen);
    p.setBrush(skin.darker(108));
    p.drawRoundedRect(QRectF(cx - 22, headTop + headH - 22, 44, 52), 12, 12);
    QPainterPath collar;
    collar.moveTo(cx - 30, 205);
    collar.lineTo(cx, 240);
    collar.lineTo(cx + 30, 205);
    collar.closeSubpath();
    p.fillPath(collar, skin.darker(108));
    if (rng.bounded(3) == 0) {  // a tie
        QPainterPath tie;
        tie.moveTo(cx - 7, 232);
        tie.lineTo(cx + 7, 232);
        tie.lineTo(cx + 11, 290);
        tie.lineTo(cx, 300);
        tie.lineTo(cx - 11, 290);
        tie.closeSubpath();
        p.fillPath(tie, QColor::fromHsv(rng.bounded(360), 160, 150));
    }

    // Head, ears and face.
    const QRectF head(cx - headW / 2, headTop, headW, headH);
    p.setBrush(skin.darker(104));
    p.drawEllipse(QRectF(head.left() - 9, head.center().y() - 14, 18, 28));
    p.drawEllipse(QRectF(head.right() - 9, head.center().y() - 14, 18, 28));
    QRadialGradient face(head.center() - QPointF(10, 14), headW * 0.8);
    face.setColorAt(0, skin.lighter(106));
    face.setColorAt(1, skin.darker(112));
    p.setBrush(face);
    p.drawEllipse(head);

    // Hair on top: a cap of hair with a parting or a fringe.
    QPainterPath top;
    top.moveTo(head.left() - 4, head.top() + headH * 0.45);
    top.cubicTo(head.left() - 6, head.top() - 22, head.right() + 6, head.top() - 22, head.right() + 4,
                head.top() + headH * 0.45);
    const double fringe = head.top() + headH * (0.18 + rng.bounded(12) / 100.0);
    top.cubicTo(head.right() - 8, fringe - 6, cx + rng.bounded(-20, 21), fringe + 10, head.left() - 4,
                head.top() + headH * 0.45);
    p.fillPath(top, hair);

    // Eyes, brows, nose and mouth.
    const double eyeY = head.top() + headH * 0.5, eyeDx = headW * 0.21;
    for (int side : {-1, 1}) {
        const QPointF eye(cx + side * eyeDx, eyeY);
        p.setBrush(Qt::white);
        p.drawEllipse(eye, 9, 5.5);
        p.setBrush(QColor(45, 35, 30));
        p.drawEllipse(eye, 4.2, 4.2);
        p.setPen(QPen(hair.darker(110), 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(eye + QPointF(-10, -12 - side * rng.bounded(2)), eye + QPointF(10, -13));
        p.setPen(Qt::NoPen);
    }
    if (rng.bounded(4) == 0) {  // glasses
        p.setPen(QPen(QColor(30, 30, 30), 2.4));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(cx - eyeDx - 15, eyeY - 10, 30, 21), 6, 6);
        p.drawRoundedRect(QRectF(cx + eyeDx - 15, eyeY - 10, 30, 21), 6, 6);
        p.drawLine(QPointF(cx - eyeDx + 15, eyeY - 2), QPointF(cx + eyeDx - 15, eyeY - 2));
        p.setPen(Qt::NoPen);
    }
    p.setPen(QPen(skin.darker(135), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(cx, eyeY + 8), QPointF(cx - 4, eyeY + 26));
    p.drawLine(QPointF(cx - 4, eyeY + 26), QPointF(cx + 3, eyeY + 27));
    QPainterPath smile;
    const double mouthY = head.top() + headH * 0.77, mouthW = 16 + rng.bounded(0, 8);
    smile.moveTo(cx - mouthW, mouthY);
    smile.quadTo(cx, mouthY + 9 + rng.bounded(0, 5), cx + mouthW, mouthY);
    p.setPen(QPen(QColor(170, 70, 70), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(smile);
    return image;
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        qWarning("usage: make_portraits <dist folder> [count]");
        return 2;
    }
    const QString dist = QString::fromLocal8Bit(argv[1]);
    const int count = argc > 2 ? std::atoi(argv[2]) : 60;
    QFile list(dist + QStringLiteral("/data.txt"));
    if (!list.open(QIODevice::ReadOnly)) {
        qWarning("cannot read data.txt");
        return 1;
    }
    const auto names = tessaly::splitLines(list.readAll().toStdString());
    QDir(dist).mkpath(QStringLiteral("photo"));
    int written = 0;
    for (size_t i = 0; i < names.size() && written < count; ++i) {
        const QString name = QString::fromStdString(tessaly::gbkToUtf8(names[i]));
        if (name.trimmed().isEmpty())
            continue;
        const QString file = dist + QStringLiteral("/photo/") + name + QStringLiteral(".jpg");
        if (!portrait(0x5eed0000u + static_cast<quint32>(i)).save(file, "JPG", 85)) {
            qWarning("cannot write %s", qPrintable(file));
            return 1;
        }
        ++written;
    }
    return 0;
}
