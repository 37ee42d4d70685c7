// The stage laid out offscreen on the usual screens, full screen and in a
// window, for every batch size the awards may use and entries short and long:
// every visible element stands inside the stage, nothing covers anything, and
// names stay readable on a 1920x1080 projector.
#include "support/TestServices.h"
#include "ui/common/AppSetup.h"
#include "ui/common/StageWidgets.h"
#include "ui/stage/TFrmFloat.h"
#include "ui/stage/StageLayout.h"
#include "ui/stage/TFrmMain.h"

#include "core/draw/DrawSession.h"
#include "core/settings/Settings.h"
#include "core/stage/PhotoGrid.h"
#include "core/stage/StageFit.h"
#include "core/text/Gbk.h"
#include "ui/common/CellText.h"
#include "ui/common/Fonts.h"
#include "ui/common/GbkText.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/TAAScrollText.h"
#include "ui/effects/TSkyScrollText.h"
#include "ui/effects/TStretchHandle.h"
#include "ui/event/RehearsalBadge.h"
#include "ui/hall/HallService.h"
#include "ui/hall/HallStage.h"
#include "ui/proof/GuestNumbersDialog.h"

#include <QPainter>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyleOptionToolButton>
#include <QToolButton>
#include <QTimer>
#include <functional>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

using namespace tessaly;

namespace {

void writeGbkLines(const std::filesystem::path &file, const std::vector<std::string> &utf8Lines)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (const auto &l : utf8Lines)
        out << utf8ToGbk(l) << "\r\n";
}

// A list of 300 entries whose longest is exactly `bytes` long in GBK.
std::vector<std::string> participants(int bytes)
{
    const std::string longest = bytes == 4 ? "王伟" : bytes == 12 ? "研发部张三丰" : "研发中心-软件部-张三丰 0012345";
    std::vector<std::string> out{longest};
    for (int i = 1; i < 300; ++i)
        out.push_back(bytes == 4 ? "李娜" : "张" + std::to_string(i % 10));
    return out;
}

// How far two paintings of the same text differ, channel by channel, over the pixels
// the reference inked (those that differ from its corner pixel, the background).
struct PixelDifference {
    int largest = 0;
    int beyondOne = 0;  // pixels differing by more than one level in some channel
    int inked = 0;
};

PixelDifference pixelDifference(const QImage &painted, const QImage &reference)
{
    PixelDifference d;
    const QRgb background = reference.pixel(0, 0);
    for (int y = 0; y < reference.height(); ++y)
        for (int x = 0; x < reference.width(); ++x) {
            const QRgb a = painted.pixel(x, y), b = reference.pixel(x, y);
            d.inked += b != background;
            const int diff = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                       std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            d.largest = std::max(d.largest, diff);
            d.beyondOne += diff > 1;
        }
    return d;
}

// Measures a block as it was always measured, shaping every run of every line anew:
// the reference the faster measurement of the fit must agree with.
class RunByRunMeasurer : public TextMeasurer {
public:
    TextSize measure(const FontSpec &spec, std::string_view gbkText) const override
    {
        const QFont font = toQFont(spec);
        const QFontMetricsF m(font);
        const qreal cell = cellWidth(font);
        const QStringList lines = toQt(gbkText).split(QLatin1Char('\r'));
        qreal widest = 0;
        for (const QString &line : lines) {
            widest = std::max(widest, cellCount(line) * cell);
            int column = 0;
            for (int i = 0; i < line.size();) {
                if (line[i] == QLatin1Char(' ')) {
                    ++column;
                    ++i;
                    continue;
                }
                int end = i;
                while (end < line.size() && line[end] != QLatin1Char(' '))
                    ++end;
                const QString run = line.mid(i, end - i);
                widest = std::max(widest, column * cell + m.horizontalAdvance(run));
                column += cellCount(run);
                i = end;
            }
        }
        return {static_cast<int>(std::ceil(widest)),
                static_cast<int>(std::ceil(m.height() * std::max<qsizetype>(lines.size(), 1)))};
    }
};

// The marks the program lays over the stage, and those of them always in view
// (the guests' numbers go when the names start rolling; the hall's QR code
// stands over the middle of the stage on purpose, clear of the other marks).
const QStringList kOverlays{"ProofBadge", "HallCode", "LabelRehearsal", "GuestNumbers", "HallQr"};
const QStringList kOverlaysWhileRolling{"ProofBadge", "HallCode", "LabelRehearsal"};

// The program's own marks over the stage besides the commitment's badge: the
// hall's code in its corner and its QR code (F8), the rehearsal mark, and the
// guests' numbers, as a few guests type them.
struct Overlays {
    void show(TFrmMain &w, const std::filesystem::path &dir)
    {
        const auto scale = [&w] { return w.overlayScale(); };
        auto started = HallService::start(w.control(), dir, WebSettings{}, "127.0.0.1", 0);
        QVERIFY(started);
        hall = std::move(*started);
        code = new HallStageCode(*hall, &w, scale);
        code->toggle();
        new RehearsalBadge(&w, scale);
        w.findChild<GuestNumbersBanner *>()->showNumbers(QStringLiteral("4821   90217   33"));
        QCoreApplication::processEvents();
        for (const QString &name : kOverlays)
            QVERIFY2(w.findChild<QWidget *>(name)->isVisibleTo(&w), qPrintable(name));
    }
    ~Overlays() { clear(); }
    void clear()
    {
        delete code;  // it reads the hall's service
        hall.reset();
    }
    std::unique_ptr<HallService> hall;
    QPointer<HallStageCode> code;
};

struct Stage {
    Stage(QSize stage, bool windowMode, int entryBytes, const std::string &extraOptions = {})
    {
        dir = tmp.path().toStdString();
        std::filesystem::copy(TESSALY_DIST_DIR, dir, std::filesystem::copy_options::recursive);
        writeGbkLines(dir / "data.txt", participants(entryBytes));
        auto settings = openSettings(dir);
        settings->writeBool("Option", "runfrom", windowMode);
        // A logo in the corner, as an operator may add one.
        settings->writeString("Option", "logoImgBG", "Awardimg\\photest.jpg");
        if (!extraOptions.empty())
            settings->writeString("Option", extraOptions, "1");
        (void)settings->commit();
        window = std::make_unique<TFrmMain>(dir, TFrmMain::Services{s.messages, s.opener, s.pickers}, stage);
        window->resize(stage);
        window->show();
        window->FormShow();
        marks.show(*window, dir);
    }
    QTemporaryDir tmp;
    std::filesystem::path dir;
    test::TestServices s;
    std::unique_ptr<TFrmMain> window;
    Overlays marks;
};

using tessaly::rectOf;

StageRect rectOf(const QRect &r)
{
    return {r.x(), r.y(), r.width(), r.height()};
}

// Everything the audience sees while a batch rolls, by component name.
QList<QPair<QString, StageRect>> visibleElements(const TFrmMain &w, bool withReady)
{
    QList<QPair<QString, StageRect>> out;
    for (const TAALabel *l : {w.FirstTitle, w.SecondTitle, w.Status, w.Award, w.boss})
        if (l->isVisibleTo(&w) && !l->caption().isEmpty())
            out.append({l->objectName(), rectOf(l)});
    if (withReady)
        out.append({w.readyLuck->objectName(), rectOf(w.readyLuck)});
    for (const QWidget *e : std::initializer_list<const QWidget *>{w.Image_Award, w.Image_logo, w.GoButton,
                                                                   w.StopButton, w.RzMarqueeStatus1})
        if (e->isVisibleTo(&w))
            out.append({e->objectName(), rectOf(e)});
    // The program's marks in their corners and the guests' numbers.
    for (const QString &name : withReady ? kOverlays.mid(0, 4) : kOverlaysWhileRolling)
        if (const auto *mark = w.findChild<const QWidget *>(name); mark && mark->isVisibleTo(&w))
            out.append({name, rectOf(mark)});
    if (!withReady) {
        for (const SlotLabel *slot : w.Labels)
            if (slot->isVisibleTo(&w))
                out.append({slot->objectName(), rectOf(slot)});
        if (w.Label21->isVisibleTo(&w))
            out.append({w.Label21->objectName(), rectOf(w.Label21)});
    }
    return out;
}

QString describe(const QString &name, const StageRect &r)
{
    return QStringLiteral("%1(%2,%3 %4x%5)").arg(name).arg(r.left).arg(r.top).arg(r.width).arg(r.height);
}

// What is wrong with the stage as it stands: elements outside it and pairs that overlap.
QStringList faults(const TFrmMain &w, bool withReady)
{
    const auto elements = visibleElements(w, withReady);
    const StageRect stage{0, 0, w.StageWidth(), w.StageHeight()};
    QStringList out;
    // The hall's QR code stands over the middle of the stage, whole and clear of
    // the other marks (a stage lower than 1080 has no room beside it for the guests' numbers).
    if (const auto *qr = w.findChild<const QWidget *>(QStringLiteral("HallQr")); qr && qr->isVisibleTo(&w)) {
        if (!rectOf(qr).inside(stage))
            out << QStringLiteral("outside: ") + describe(qr->objectName(), rectOf(qr));
        for (const auto &[name, r] : elements)
            if (kOverlays.contains(name) && r.intersects(rectOf(qr)) &&
                (name != QLatin1String("GuestNumbers") || stage.height >= 1080))
                out << QStringLiteral("overlap: %1 %2").arg(describe(name, r), describe(qr->objectName(), rectOf(qr)));
    }
    std::vector<StageRect> rects;
    for (const auto &[name, r] : elements) {
        rects.push_back(r);
        if (!r.inside(stage))
            out << QStringLiteral("outside: ") + describe(name, r);
    }
    for (auto [i, j] : overlappingPairs(rects))
        out << QStringLiteral("overlap: %1 %2").arg(describe(elements[int(i)].first, elements[int(i)].second),
                                                     describe(elements[int(j)].first, elements[int(j)].second));
    return out;
}

// The shipped program folder in the temporary directory, set to run in a window.
std::filesystem::path windowModeFolder(const QTemporaryDir &tmp)
{
    const std::filesystem::path dir = tmp.path().toStdString();
    std::filesystem::copy(TESSALY_DIST_DIR, dir, std::filesystem::copy_options::recursive);
    auto settings = openSettings(dir);
    settings->writeBool("Option", "runfrom", true);
    (void)settings->commit();
    return dir;
}

int g_dpr = 1;  // the device pixel ratio the offscreen screen runs at

const int kBatchSizes[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,  14,  15,
                           16, 17, 18, 19, 20, 25, 35, 50, 100, 200, 500};

}  // namespace

class TestStageFit : public QObject {
    Q_OBJECT
private slots:
    void everyBatchFitsEveryScreen_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("windowMode");
        for (QSize screen : {QSize(1024, 768), QSize(1366, 768), QSize(1920, 1080), QSize(2560, 1440),
                             QSize(3840, 2160), QSize(3840, 1080), QSize(5760, 1080)}) {
            const QByteArray name = QByteArray::number(screen.width()) + "x" + QByteArray::number(screen.height());
            QTest::newRow(name + " full screen") << screen << false;
            // A window as large as the screen leaves beside its frame and a task bar.
            QTest::newRow(name + " window") << QSize(screen.width() - 16, screen.height() - 87) << true;
        }
    }
    void everyBatchFitsEveryScreen()
    {
        QFETCH(QSize, screen);
        QFETCH(bool, windowMode);
        const bool projector = screen == QSize(1920, 1080);
        QStringList problems;
        for (int bytes : {4, 12, 30}) {
            Stage st(screen, windowMode, bytes);
            TFrmMain &w = *st.window;
            QCOMPARE(QSize(w.StageWidth(), w.StageHeight()), screen);
            // The longest captions the demo's templates produce, and a long prize name.
            w.Status->setCaption(QStringLiteral("正在抽取：幸运奖 第2/2批，本批 500 名，共 500/500 名"));
            w.Award->setCaption(QStringLiteral("新能源汽车一辆（含三年免费保养）"));
            w.boss->setCaption(QStringLiteral("有请董事长为特等奖抽奖"));
            w.layout().placeCaptions();
            for (const SlotLabel *slot : w.Labels)
                const_cast<SlotLabel *>(slot)->hide();
            w.Label21->hide();
            for (const QString &f : faults(w, true))
                problems << QStringLiteral("%1 bytes, ready: %2").arg(bytes).arg(f);

            const std::string longest = w.session().lists().LongestEntry;
            QCOMPARE(int(longest.size()), bytes);
            for (int n : kBatchSizes) {
                w.layout().ArrangeSlots(n);
                int nameHeight = 0;
                if (n <= kMaxSlots) {
                    w.layout().ReadConfiglabel(n, false);
                    for (int k = 0; k < n; ++k)
                        w.Labels[size_t(k)]->setText(toQt(longest));
                    nameHeight = w.Labels[0]->height();
                    int shown = 0;
                    for (const SlotLabel *slot : w.Labels)
                        shown += slot->isVisibleTo(&w) ? 1 : 0;
                    if (shown != n)
                        problems << QStringLiteral("%1 bytes, batch %2: %3 slots shown").arg(bytes).arg(n).arg(shown);
                } else {
                    w.layout().ReadConfiglabel20(n, false);
                    const SlotBlockLayout block = readSlotBlockLayout(*openSettings(st.dir), n);
                    w.Label21->setText(toQt(composeSlotBlockText(
                        std::vector<std::string>(size_t(n), padEntry(longest, longest.size())), block.row,
                        block.space, block.blankLine, false)));
                    nameHeight = QtTextMeasurer().measure(block.font, longest).height;
                }
                for (const QString &f : faults(w, false))
                    problems << QStringLiteral("%1 bytes, batch %2: %3").arg(bytes).arg(n).arg(f);
                if (projector && !windowMode && n <= 100 && bytes <= 12 && nameHeight < 24)
                    problems << QStringLiteral("%1 bytes, batch %2: names %3 px tall").arg(bytes).arg(n).arg(nameHeight);
            }
        }
        QStringList distinct;
        for (const QString &p : problems) {
            const QString what = p.section(QLatin1Char(':'), 1);
            if (!distinct.contains(what))
                distinct << what, qWarning().noquote() << p;
        }
        QVERIFY2(problems.isEmpty(), qPrintable(QStringLiteral("%1 faults").arg(problems.size())));
    }

    void aNewEventOpenedFirstOnALargerScreenShowsTheShippedLookInProportion_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::newRow("3840x2160") << QSize(3840, 2160);
        QTest::newRow("2560x1440") << QSize(2560, 1440);
    }
    void aNewEventOpenedFirstOnALargerScreenShowsTheShippedLookInProportion()
    {
        // The shipped layout has never been arranged: on a 4K television it is
        // arranged as on a 1080 projector and shown in proportion, not at 1080 sizes.
        QFETCH(QSize, screen);
        const double f = screen.height() / 1080.0;
        struct Look {
            QMap<QString, QRect> places;
            QMap<QString, int> fonts;
            std::string stored;
        };
        auto lookOf = [](QSize size) {
            Stage st(size, false, 12);
            TFrmMain &w = *st.window;
            w.Status->setCaption(QStringLiteral("正在抽取：幸运奖 第1/2批，本批 15 名"));
            w.layout().placeCaptions();
            Look look;
            for (const TAALabel *e : {w.FirstTitle, w.SecondTitle, w.Status, w.readyLuck}) {
                look.places[e->objectName()] = e->geometry();
                look.fonts[e->objectName()] = e->font().pixelSize() > 0 ? e->font().pixelSize() : e->font().pointSize();
            }
            look.places[w.GoButton->objectName()] = w.GoButton->geometry();
            for (int n : {15, 100}) {
                w.layout().ArrangeSlots(n);
                n <= kMaxSlots ? w.layout().ReadConfiglabel(n, false) : w.layout().ReadConfiglabel20(n, false);
                const QFont font = (n <= kMaxSlots ? w.Labels[0] : w.Label21)->font();
                look.fonts[QString::number(n)] = font.pixelSize() > 0 ? font.pixelSize() : font.pointSize();
            }
            QStringList problems = faults(w, true);
            if (!problems.isEmpty())
                qWarning().noquote() << problems.join(QLatin1String("; "));
            look.stored = openSettings(st.dir)->readString("Option", "screenmain");
            return look;
        };
        const Look at1080 = lookOf(QSize(1920, 1080)), large = lookOf(screen);
        QCOMPARE(at1080.stored, std::string("1920*1080"));
        QCOMPARE(large.stored, std::string("1920*1080"));  // stored as made for 1080 lines
        for (auto it = at1080.fonts.begin(); it != at1080.fonts.end(); ++it) {
            const int now = large.fonts.value(it.key());
            QVERIFY2(std::abs(now - it.value() * f) <= 1 + it.value() * f * 0.05,
                     qPrintable(QStringLiteral("%1: %2, %3 at 1080").arg(it.key()).arg(now).arg(it.value())));
        }
        for (auto it = at1080.places.begin(); it != at1080.places.end(); ++it) {
            const QRect was = it.value(), now = large.places.value(it.key());
            const double slack = 4 * f + was.width() * f * 0.05;
            QVERIFY2(std::abs(now.center().x() - was.center().x() * f) <= slack &&
                         std::abs(now.center().y() - was.center().y() * f) <= slack &&
                         std::abs(now.height() - was.height() * f) <= slack,
                     qPrintable(QStringLiteral("%1 at (%2,%3) %4x%5, (%6,%7) %8x%9 at 1080")
                                    .arg(it.key()).arg(now.x()).arg(now.y()).arg(now.width()).arg(now.height())
                                    .arg(was.x()).arg(was.y()).arg(was.width()).arg(was.height())));
        }
    }

    void aStageArrangedForOneScreenShowsInProportionOnAnother_data()
    {
        QTest::addColumn<QSize>("screen");
        for (QSize screen : {QSize(3840, 2160), QSize(3840, 1080), QSize(5760, 1080), QSize(1024, 768)})
            QTest::newRow(QByteArray::number(screen.width()) + "x" + QByteArray::number(screen.height())) << screen;
    }
    void aStageArrangedForOneScreenShowsInProportionOnAnother()
    {
        QFETCH(QSize, screen);
        const int batches[] = {15, 100};
        auto captions = [](TFrmMain &w) {
            w.Status->setCaption(QStringLiteral("正在抽取：幸运奖 第1/2批，本批 15 名"));
            w.Award->setCaption(QStringLiteral("蓝牙耳机"));
            w.layout().placeCaptions();
        };
        auto hideSlots = [](TFrmMain &w) {
            for (SlotLabel *slot : w.Labels)
                slot->hide();
            w.Label21->hide();
        };
        // Arranged and saved on a 1920x1080 projector.
        Stage at1080(QSize(1920, 1080), false, 12);
        TFrmMain &a = *at1080.window;
        captions(a);
        QMap<QString, QRect> placed;
        QMap<QString, int> sizes;
        for (const QWidget *e : std::initializer_list<const QWidget *>{a.FirstTitle, a.SecondTitle, a.Status, a.Award,
                                                                       a.Image_Award, a.Image_logo, a.GoButton,
                                                                       a.StopButton, a.RzMarqueeStatus1}) {
            placed[e->objectName()] = e->geometry();
            if (e != a.Image_Award && e != a.Image_logo)  // the pictures have no font
                sizes[e->objectName()] = e->font().pointSize();
        }
        for (int n : batches) {
            n <= kMaxSlots ? a.layout().ReadConfiglabel(n, false) : a.layout().ReadConfiglabel20(n, false);
            sizes[QString::number(n)] = (n <= kMaxSlots ? a.Labels[0] : a.Label21)->font().pointSize();
        }
        QMap<QString, QSize> marksAt1080;
        for (const QString &name : kOverlays)
            marksAt1080[name] = a.findChild<QWidget *>(name)->size();
        a.layout().WriteConfig();
        at1080.marks.clear();
        at1080.window.reset();
        auto storedText = [&] {
            std::ifstream in(at1080.dir / "set.dat", std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        };
        const std::string stored = storedText();

        // Shown on another screen: asked about arranging anew only for another shape; answered no.
        test::TestServices s;
        TFrmMain w(at1080.dir, {s.messages, s.opener, s.pickers}, screen);
        w.resize(screen);
        w.show();
        w.FormShow();
        Overlays marks;
        marks.show(w, at1080.dir);
        QCOMPARE(int(w.devicePixelRatioF()), g_dpr);
        const bool sameShape = screen.width() * 1080 == screen.height() * 1920;
        QCOMPARE(s.messages.shown.size(), sameShape ? 0 : 1);
        captions(w);
        hideSlots(w);
        QVERIFY2(faults(w, true).isEmpty(), qPrintable(faults(w, true).join(QLatin1String("; "))));
        const double f = std::min(screen.width() / 1920.0, screen.height() / 1080.0);
        // The program's marks grow with the stage (by the smaller factor), and never
        // shrink below their size at 1080; not fitted to the screen, they keep that size.
        auto marksProblems = [&](double grown, const QStringList &names = kOverlays) {
            QStringList out;
            for (const QString &name : names) {
                const QSize was = marksAt1080[name], now = w.findChild<QWidget *>(name)->size();
                const double slack = 8 * grown + was.height() * grown / 30;  // text, and a QR code's whole modules
                if (std::abs(now.width() - was.width() * grown) > slack ||
                    std::abs(now.height() - was.height() * grown) > slack)
                    out << QStringLiteral("%1 %2x%3, %4x%5 at 1080").arg(name).arg(now.width()).arg(now.height())
                               .arg(was.width()).arg(was.height());
            }
            return out.join(QLatin1String("; "));
        };
        // (the QR code smaller on a stage that has no room for it).
        const QStringList grownMarks = f < 1 ? kOverlays.mid(0, 4) : kOverlays;
        const QString grownProblems = marksProblems(std::max(1.0, f), grownMarks);
        QVERIFY2(grownProblems.isEmpty(), qPrintable(grownProblems));
        for (auto it = placed.cbegin(); it != placed.cend(); ++it) {
            const QWidget *e = w.findChild<QWidget *>(it.key());
            QVERIFY(e);
            if (sameShape) {
                // Every element twice its size, twice as far from the corner (text a
                // little more or less: it does not grow exactly with its font).
                const int slack = std::max(4, it.value().width() / 50), high = std::max(4, it.value().height() / 6);
                QVERIFY2(std::abs(e->width() - it.value().width() * f) <= 2 * slack &&
                             std::abs(e->height() - it.value().height() * f) <= high &&
                             std::abs(e->x() - it.value().x() * f) <= slack && std::abs(e->y() - it.value().y() * f) <= high,
                         qPrintable(QStringLiteral("%1: %2 from %3").arg(it.key(), describe(it.key(), rectOf(e)),
                                                                          describe(it.key(), rectOf(it.value())))));
            }
            if (sizes.contains(it.key()))
                QCOMPARE(e->font().pointSize(), std::max(1, int(std::nearbyint(sizes[it.key()] * f))));
        }
        for (int n : batches) {
            n <= kMaxSlots ? w.layout().ReadConfiglabel(n, false) : w.layout().ReadConfiglabel20(n, false);
            const int size = (n <= kMaxSlots ? w.Labels[0] : w.Label21)->font().pointSize();
            if (sameShape)
                QCOMPARE(size, int(std::nearbyint(sizes[QString::number(n)] * f)));
            else if (f >= 1)  // a wider stage: the names are never smaller, and take the room there is
                QVERIFY2(size >= sizes[QString::number(n)], qPrintable(QStringLiteral("batch %1: %2 pt, %3 pt at 1080")
                                                                       .arg(n).arg(size).arg(sizes[QString::number(n)])));
            QVERIFY2(faults(w, false).isEmpty(), qPrintable(faults(w, false).join(QLatin1String("; "))));
            hideSlots(w);
        }
        // The fit lives in memory: what is stored is as it was.
        QVERIFY(storedText() == stored);
        // Saved on this screen, the layout is stored for the screen it was arranged for.
        w.layout().WriteConfig();
        auto settings = openSettings(at1080.dir);
        QCOMPARE(settings->readString("Option", "screenmain"), std::string("1920*1080"));
        for (auto it = placed.cbegin(); it != placed.cend(); ++it) {
            const std::string section = it.key().toStdString();
            const QRect back(settings->readInteger(section, "Left", 0), settings->readInteger(section, "Top", 0),
                             settings->readInteger(section, "Width", 0), settings->readInteger(section, "Height", 0));
            // A centred caption is centred again by its text, which a smaller font measures a little apart.
            const int slack = f < 1 || it.key() == QLatin1String("Status") ? 8 : 1;
            QVERIFY2(std::abs(back.x() - it.value().x()) <= slack && std::abs(back.y() - it.value().y()) <= slack,
                     qPrintable(QStringLiteral("%1 stored at %2,%3, was %4,%5").arg(it.key()).arg(back.x()).arg(back.y())
                                    .arg(it.value().x()).arg(it.value().y())));
            if (sizes.contains(it.key()))
                QCOMPARE(settings->readInteger(section, "Font.Size", 0), sizes[it.key()]);
        }
        // Twenty guests' numbers of 18 digits wrap within the stage.
        auto *banner = w.findChild<GuestNumbersBanner *>();
        banner->showNumbers(QStringList(20, QStringLiteral("123456789012345678")).join(QStringLiteral("   ")));
        QVERIFY(rectOf(banner).inside({0, 0, screen.width(), screen.height()}));
        banner->showNumbers(QStringLiteral("4821   90217   33"));
        // Not fitted to the screen (the QR code keeps its share of the stage, as it always did).
        w.layout().setFitToScreen(false);
        QCoreApplication::processEvents();
        const QStringList fixedMarks = kOverlays.mid(0, 4);
        QVERIFY2(marksProblems(1, fixedMarks).isEmpty(), qPrintable(marksProblems(1, fixedMarks)));
    }

    void photoLayoutsFitEveryScreen()
    {
        // Photo mode lays its picture pictures out from the shipped defaults for the screen.
        QStringList problems;
        for (QSize screen : {QSize(1024, 768), QSize(1366, 768), QSize(1920, 1080), QSize(2560, 1440),
                             QSize(3840, 2160), QSize(1008, 681), QSize(1904, 993)}) {
            QTemporaryDir tmp;
            const std::filesystem::path dir = tmp.path().toStdString();
            std::filesystem::copy(TESSALY_DIST_DIR "/set.dat", dir / "set.dat");
            auto store = openSettings(dir);
            const std::string key = screenKey(screen.width(), screen.height());
            const StageRect stage{0, 0, screen.width(), screen.height()};
            for (int n : kBatchSizes) {
                QVERIFY(ensurePhotoSlotLayout(*store, n, screen.width(), screen.height(), key).ok());
                const PhotoSlotLayout layout = readPhotoSlotLayout(*store, n);
                std::vector<StageRect> pictures;
                for (int i = 1; i <= n; ++i) {
                    const PhotoRect r = layout.rect(i);
                    pictures.push_back({r.left, r.top, r.width, r.height});
                    if (!pictures.back().inside(stage))
                        problems << QStringLiteral("%1x%2 batch %3: photo %4 outside")
                                        .arg(screen.width()).arg(screen.height()).arg(n).arg(i);
                }
                if (!overlappingPairs(pictures).empty())
                    problems << QStringLiteral("%1x%2 batch %3: photos overlap").arg(screen.width()).arg(screen.height()).arg(n);
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.mid(0, 10).join(QLatin1String("; "))));
    }

    void aTextBlockIsAsWideAsWhatIsDrawn()
    {
        // Digits and Latin letters may be wider than their cells: the measured size must still hold them.
        const QStringList lines{QStringLiteral("研发中心-软件部-张三丰 0012345  市场中心-销售部-李四 WWWWMMMM")};
        for (int size : {9, 13, 20, 36}) {
            QFont font = toQFont(withSize(defaultSlotFont(), size));
            const QSize measured = cellTextSize(font, lines);
            QImage canvas(measured.width() * 2 + 100, measured.height() + 10, QImage::Format_ARGB32);
            canvas.fill(Qt::transparent);
            {
                QPainter p(&canvas);
                p.setPen(Qt::black);
                drawCellText(p, font, lines, QPointF(0, 0));
            }
            int rightmost = 0;
            for (int y = 0; y < canvas.height(); ++y)
                for (int x = canvas.width() - 1; x > rightmost; --x)
                    if (qAlpha(canvas.pixel(x, y)) > 0) {
                        rightmost = x;
                        break;
                    }
            QVERIFY2(rightmost < measured.width(), qPrintable(QStringLiteral("size %1: drawn to %2, measured %3")
                                                                  .arg(size).arg(rightmost).arg(measured.width())));
        }
    }

    void aRollingBlockPaintsWhatTheDirectDrawingPaints()
    {
        // The rolling block keeps its runs shaped between ticks and paints its glyphs through
        // sprites: it must still measure what drawing each run afresh gives, and paint the same
        // pixels, whatever the font, the text, the colours and the kind of surface, within a
        // level of rounding (a sprite blended onto the background rounds once more than a glyph).
        QFont underlined = toQFont(withSize(defaultSlotFont(), 14));
        underlined.setUnderline(true);
        const struct {
            QFont font;
            QStringList lines;
        } cases[] = {
            {toQFont(withSize(defaultSlotFont(), 19)),
             {QStringLiteral("张三1   李四22  王五333 "), QStringLiteral("赵六4444 WWMM    孙七 "), QString()}},
            {toQFont(withSize(defaultSlotFont(), 9)), {QStringLiteral("0012345  ab cd"), QStringLiteral("  x")}},
            {toQFont(withSize(defaultSlotFont(), 37)), {QStringLiteral("张三丰7  研发中心-软件部"), QStringLiteral("Wang Xiaoming 0042")}},
            {toQFont(withSize(defaultSlotFont(), 90)), {QStringLiteral("奖 1j")}},
            // Many lines, glyphs reaching above and below their neighbours: laid out band by band.
            {toQFont(withSize(defaultSlotFont(), 14)),
             QStringList(12, QStringLiteral("张三丰 0012  Wang Üj|  李四 ÅÇgq")) << QStringLiteral("末行 jjj")},
            {QFont(QStringLiteral("DejaVu Serif"), 24), {QStringLiteral("研发中心-软件部 Ünïcødé 12")}},
            {underlined, {QStringLiteral("张三丰 0012  李四"), QStringLiteral("李四 张三丰")}},
        };
        const struct {
            QImage::Format format;
            QColor background, pen;
            qreal scale;  // a scaled painter draws glyph runs, whose large glyphs Qt fills as
                          // outlines a little differently from text: a few edge pixels may differ
        } surfaces[] = {
            {QImage::Format_ARGB32_Premultiplied, Qt::white, Qt::black, 1},
            {QImage::Format_RGB32, QColor(20, 40, 120), Qt::yellow, 1},
            {QImage::Format_ARGB32_Premultiplied, Qt::transparent, QColor(200, 30, 60), 1},
            {QImage::Format_RGB32, Qt::white, Qt::blue, 2},
        };
        CellTextCache cache;
        // Twice over: the second round finds every run shaped and every sprite drawn, and each
        // font or colour change starts afresh.
        for (int round = 0; round < 2; ++round)
            for (const auto &s : surfaces)
                for (const auto &c : cases) {
                    const QSize size = cache.layout(c.font, c.lines);
                    QCOMPARE(size, cellTextSize(c.font, c.lines));
                    auto paint = [&](const std::function<void(QPainter &)> &draw) {
                        QImage canvas((size + QSize(40, 10)) * s.scale, s.format);
                        canvas.fill(s.background);
                        QPainter p(&canvas);
                        p.scale(s.scale, s.scale);
                        p.setClipRect(QRect(QPoint(5, 3), size));  // as the block's own widget clips it
                        p.setPen(s.pen);
                        draw(p);
                        return canvas;
                    };
                    const QImage cached = paint([&](QPainter &p) { cache.draw(p, QPointF(5, 3)); });
                    const QImage direct = paint([&](QPainter &p) { drawCellText(p, c.font, c.lines, QPointF(5, 3)); });
                    const QString where = QStringLiteral("%1 px on %2: %3").arg(QFontInfo(c.font).pixelSize()).arg(s.background.name(QColor::HexArgb)).arg(c.lines.join(QLatin1Char('|')));
                    const PixelDifference d = pixelDifference(cached, direct);
                    QVERIFY2(d.inked > 500, qPrintable(where));
                    QVERIFY2(s.scale == 1 ? d.largest <= 1 : d.beyondOne * 100 <= d.inked, qPrintable(QStringLiteral("%1: %2 pixels differ by up to %3 levels")
                                                            .arg(where).arg(d.beyondOne).arg(d.largest)));
                }
    }

    void aResizedWindowKeepsItsCaptions()
    {
        // A window the window manager frames (or the operator resizes) is laid out anew: the
        // status line and the prize name keep their text's size and stay inside the window.
        for (QSize size : {QSize(1024, 768), QSize(1920, 1080)}) {
            Stage st(size, true, 30);
            TFrmMain &w = *st.window;
            const QSize before[] = {w.Status->size(), w.Award->size()};
            w.resize(size - QSize(20, 40));
            QTRY_COMPARE(QSize(w.StageWidth(), w.StageHeight()), w.size());
            QTest::qWait(1000);  // the layout follows once the resize has settled
            const TAALabel *captions[] = {w.Status, w.Award};
            for (int i = 0; i < 2; ++i) {
                const TAALabel *c = captions[i];
                const QString where = QStringLiteral("%1x%2 %3").arg(size.width()).arg(size.height()).arg(c->objectName());
                QVERIFY2(c->isVisible() && !c->caption().isEmpty(), qPrintable(where));
                QVERIFY2(c->width() >= before[i].width() / 2, qPrintable(QStringLiteral("%1: %2 px wide, %3 before")
                                                                            .arg(where).arg(c->width()).arg(before[i].width())));
                QVERIFY2(w.rect().contains(c->geometry()), qPrintable(where));
            }
        }
    }

    void aBlockFitsToTheSameSizeAsWhenEveryRunWasMeasuredAnew()
    {
        // The fit measures each distinct run of a block once: the size, the entries per line
        // and the block's place must be those that measuring every run anew gives.
        const QtTextMeasurer measurer;
        const RunByRunMeasurer reference;
        SlotAutoSet autoset;
        autoset.size100 = 14;
        const struct {
            int n;
            const char *longest;
            StageRect area;
            int styleSize;
        } cases[] = {
            {500, "张三9999", {0, 180, 1920, 700}, 9},
            {500, "研发中心-软件部-张三丰 0012345", {0, 180, 1920, 700}, 9},
            {100, "研发中心-软件部-张三丰 0012345", {0, 150, 1024, 500}, 9},
            {100, "Wang Xiaoming", {200, 300, 3840, 1400}, 18},
            {35, "李娜", {0, 120, 1366, 520}, 9},
            {1000, "张 三12", {0, 200, 3840, 760}, 9},
        };
        for (const auto &c : cases) {
            FontSpec style = defaultSlotFont();
            style.size = c.styleSize;
            const std::string longest = utf8ToGbk(c.longest);
            const auto fast = fitSlotBlock(c.n, longest, autoset, c.area, {3840, 2160}, style, measurer);
            const auto slow = fitSlotBlock(c.n, longest, autoset, c.area, {3840, 2160}, style, reference);
            const QString where = QStringLiteral("%1 of %2").arg(c.n).arg(QString::fromUtf8(c.longest));
            QVERIFY2(fast && slow, qPrintable(where));
            QVERIFY2(fast->font.size == slow->font.size && fast->row == slow->row && fast->blankLine == slow->blankLine &&
                         fast->width == slow->width && fast->height == slow->height && fast->left == slow->left &&
                         fast->top == slow->top && fast->maxwidth == slow->maxwidth,
                     qPrintable(QStringLiteral("%1: size %2 against %3, %4 against %5 a line")
                                    .arg(where).arg(fast->font.size).arg(slow->font.size).arg(fast->row).arg(slow->row)));
        }
    }

    void thePrizePictureSizeAndTheBlockArrangementAreStoredWhereTheyBelong()
    {
        Stage st(QSize(1024, 768), false, 12);
        TFrmMain &w = *st.window;
        // A popup menu item is picked, then the dialog it opens is filled in and confirmed.
        auto pick = [](const char *item, std::function<void(QDialog *)> fill) {
            auto *poll = new QTimer;
            QObject::connect(poll, &QTimer::timeout, poll, [poll, item, fill] {
                auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
                QAction *action = menu ? menu->findChild<QAction *>(QLatin1String(item)) : nullptr;
                if (!action)
                    return;
                poll->stop();
                QTimer::singleShot(50, [fill] {
                    if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                        fill(dialog);
                });
                action->trigger();
                menu->close();
                poll->deleteLater();
            });
            poll->start(20);
        };
        auto confirm = [](QDialog *dialog, std::initializer_list<std::pair<const char *, QString>> fields) {
            for (const auto &[name, text] : fields)
                dialog->findChild<QLineEdit *>(QLatin1String(name))->setText(text);
            dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        };

        // The prize picture's size reaches its own section, so the next start shows it.
        pick("Npaw1", [&](QDialog *d) { confirm(d, {{"Edit1", QStringLiteral("200")}, {"Edit2", QStringLiteral("150")}}); });
        emit w.Image_Award->customContextMenuRequested(QPoint(5, 5));
        QCOMPARE(w.Image_Award->size(), QSize(200, 150));
        QCOMPARE(openSettings(st.dir)->readInteger("Image_Award", "Width", 0), 200);
        QCOMPARE(openSettings(st.dir)->readInteger("Image_Award", "Height", 0), 150);

        // A batch of 35 rolls after one of 25: its arrangement goes to its own section.
        DrawSession &session = w.session();
        auto press = [&] {
            QTest::keyPress(&w, Qt::Key_Space);
            QTest::keyRelease(&w, Qt::Key_Space);
        };
        press();
        press();
        press();
        press();
        QVERIFY(session.flags().Rolling);
        QCOMPARE(session.state().BatchSize, 35);
        const int rowOf25 = openSettings(st.dir)->readInteger("25", "row", 0);
        pick("Np54", [&](QDialog *d) { confirm(d, {{"Edit1", QStringLiteral("3")}}); });
        emit w.Label21->customContextMenuRequested(QPoint(5, 5));
        QCOMPARE(openSettings(st.dir)->readInteger("35", "row", 0), 3);
        QCOMPARE(openSettings(st.dir)->readInteger("25", "row", 0), rowOf25);
        QVERIFY(rowOf25 != 3);
    }

    void aWindowLaysOutItsClientAreaAndFollowsAResize()
    {
        test::TestServices s;
        QTemporaryDir tmp;
        const std::filesystem::path dir = windowModeFolder(tmp);
        TFrmMain w(dir, {s.messages, s.opener, s.pickers}, QSize(3840, 2160));
        w.resize(900, 700);
        w.show();
        w.FormShow();
        // The stage is the client area, not the screen, from the first layout on.
        QCOMPARE(QSize(w.StageWidth(), w.StageHeight()), QSize(900, 700));
        QCOMPARE(w.RzMarqueeStatus1->geometry(), QRect(0, 700 - 44, 900, 44));
        QVERIFY2(faults(w, true).isEmpty(), qPrintable(faults(w, true).join(QLatin1String("; "))));

        w.resize(1200, 640);
        QTRY_COMPARE_WITH_TIMEOUT(openSettings(dir)->readString("Option", "screenmain"), std::string("1200*640"), 3000);
        auto settings = openSettings(dir);
        // The client size is kept, so the window does not grow by its frame at every start.
        QCOMPARE(settings->readInteger("Option", "fromwidth", 0), 1200);
        QCOMPARE(settings->readInteger("Option", "fromheight", 0), 640);
        // Arranged anew for the new shape, in proportion: 44 * 640 / 700 high.
        QCOMPARE(w.RzMarqueeStatus1->geometry(), QRect(0, 640 - 40, 1200, 40));
        QVERIFY2(faults(w, true).isEmpty(), qPrintable(faults(w, true).join(QLatin1String("; "))));
    }

    void aWindowPastTheScreenEdgeIsBroughtBackAndLaidOut()
    {
        // The window manager framed the window after it was shown, or it was moved off:
        // once the move settles the window stands on the screen and is laid out for its size.
        test::TestServices s;
        QTemporaryDir tmp;
        const std::filesystem::path dir = windowModeFolder(tmp);
        TFrmMain w(dir, {s.messages, s.opener, s.pickers}, QSize(3840, 2160));
        w.resize(1200, 900);
        w.show();
        w.FormShow();
        w.setGeometry(3000, 1800, 1200, 900);
        const QRect screen = w.screen()->availableGeometry();
        QTRY_VERIFY_WITH_TIMEOUT(screen.contains(w.geometry()), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(openSettings(dir)->readString("Option", "screenmain"),
                                  screenKey(w.width(), w.height()), 3000);
        QCOMPARE(QSize(w.StageWidth(), w.StageHeight()), w.size());
        QVERIFY2(faults(w, true).isEmpty(), qPrintable(faults(w, true).join(QLatin1String("; "))));
    }

    void aMaximisedWindowIsLaidOutInItsClientArea()
    {
        // The desktop maximises the window while the start-up question is open; the
        // operator accepts the automatic layout, later restores and maximises again.
        struct MaximiseOnQuestion : test::ScriptedMessages {
            QWidget *window = nullptr;
            bool ask(QWidget *parent, const QString &title, const QString &text) override
            {
                window->showMaximized();
                QTest::qWait(50);
                return ScriptedMessages::ask(parent, title, text);
            }
        } messages;
        test::TestServices s;
        QTemporaryDir tmp;
        const std::filesystem::path dir = windowModeFolder(tmp);
        {
            auto settings = openSettings(dir);
            settings->writeBool("Option", "onerun", false);
            // Arranged for a much wider screen: the question is asked.
            settings->writeString("Option", "screenmain", "1280*400");
            (void)settings->commit();
        }
        TFrmMain w(dir, {messages, s.opener, s.pickers}, QSize(1024, 768));
        messages.window = &w;
        messages.setNextAnswer(true);
        w.resize(900, 700);
        w.show();
        w.FormShow();
        QVERIFY(w.isMaximized());
        QCOMPARE(QSize(w.StageWidth(), w.StageHeight()), w.size());
        const StageRect client{0, 0, w.width(), w.height()};
        for (const QWidget *e : std::initializer_list<const QWidget *>{w.Status, w.GoButton, w.StopButton,
                                                                       w.RzMarqueeStatus1})
            QVERIFY2(rectOf(e).inside(client), qPrintable(describe(e->objectName(), rectOf(e))));
        QVERIFY2(faults(w, true).isEmpty(), qPrintable(faults(w, true).join(QLatin1String("; "))));

        // Back to its normal size and maximised again: the layout follows, and the
        // normal size is the one kept for the next start.
        w.showNormal();
        QTRY_COMPARE_WITH_TIMEOUT(openSettings(dir)->readString("Option", "screenmain"), std::string("900*700"), 3000);
        w.showMaximized();
        const std::string maximised = screenKey(w.width(), w.height());
        QTRY_COMPARE_WITH_TIMEOUT(openSettings(dir)->readString("Option", "screenmain"), maximised, 3000);
        QVERIFY2(faults(w, true).isEmpty(), qPrintable(faults(w, true).join(QLatin1String("; "))));
        QCOMPARE(openSettings(dir)->readInteger("Option", "fromwidth", 0), 900);
        QCOMPARE(openSettings(dir)->readInteger("Option", "fromheight", 0), 700);
    }

    void aMenuButtonIsReleasedAfterItsDialogCloses()
    {
        Stage st(QSize(1024, 768), false, 4);
        TFrmMain &w = *st.window;
        QToolButton *help = nullptr;
        for (QToolButton *b : w.ControlBar1->findChildren<QToolButton *>())
            if (b->text() == QStringLiteral("帮助"))
                help = b;
        QVERIFY(help);
        // The pointer rests on the title, opens its menu and picks "操作提示"; while the
        // dialog shows, the pointer moves away over the stage; then the dialog closes.
        QCursor::setPos(help->mapToGlobal(help->rect().center()));
        QTRY_VERIFY(help->testAttribute(Qt::WA_UnderMouse));
        bool dialogSeen = false, downBehindDialog = true;
        QTimer dialogPoll, menuPoll;  // two timers: a timer does not run again inside its own handler
        QObject::connect(&dialogPoll, &QTimer::timeout, &dialogPoll, [&] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                dialogSeen = true;
                dialogPoll.stop();
                // The stage behind the dialog shows the title released already.
                QApplication::processEvents();
                downBehindDialog = help->isDown();
                QCursor::setPos(w.mapToGlobal(QPoint(w.width() / 2, w.height() / 2)));
                QApplication::processEvents();
                dialog->reject();
            }
        });
        QObject::connect(&menuPoll, &QTimer::timeout, &menuPoll, [&] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget()))
                if (QAction *item = menu->findChild<QAction *>(QStringLiteral("ND1"))) {
                    menuPoll.stop();
                    dialogPoll.start(20);
                    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
                }
        });
        menuPoll.start(20);
        QTest::mousePress(help, Qt::LeftButton, {}, help->rect().center());
        QTRY_VERIFY(dialogSeen);
        QTRY_VERIFY(!QApplication::activeModalWidget() && !QApplication::activePopupWidget());
        menuPoll.stop();
        dialogPoll.stop();
        QApplication::processEvents();
        // Neither pressed nor lit as if the pointer were still on it.
        QVERIFY(!downBehindDialog);
        QVERIFY(!help->isDown());
        QVERIFY(!help->testAttribute(Qt::WA_UnderMouse));
        QStyleOptionToolButton option;
        option.initFrom(help);
        QVERIFY(!(option.state & QStyle::State_MouseOver));
    }

    void aLongPrizeNameIsBrokenIntoLinesAboveItsPicture()
    {
        Stage st(QSize(1024, 768), false, 12);
        TFrmMain &w = *st.window;
        const QString name = QStringLiteral("新能源汽车一辆（含三年免费保养及全年保险）");
        const int oneLineTop = w.Award->y();
        const int oneLineBottom = w.Award->y() + w.Award->height();
        for (int round = 0; round < 3; ++round) {
            // Placed again and again, as every caption change does, and stored on the way.
            w.Award->setCaption(name);
            w.layout().placeCaptions();
            QCOMPARE(w.Award->caption(), name);
            QVERIFY2(w.Award->height() > 1.3 * (oneLineBottom - oneLineTop), "one line");  // two lines
            QCOMPARE(w.Award->y() + w.Award->height(), oneLineBottom);  // grown upwards, off the picture
            QVERIFY(w.Award->x() + w.Award->width() <= w.StageWidth() - 10);
            QVERIFY(w.Award->font().pointSize() >= 12);
            QVERIFY2(faults(w, true).isEmpty(), qPrintable(faults(w, true).join(QLatin1String("; "))));
            w.layout().WriteConfig();
            QCOMPARE(openSettings(st.dir)->readInteger("Award", "Top", 0), oneLineTop);
        }
        // A short name is one line again, where it stood.
        w.Award->setCaption(QStringLiteral("电视"));
        w.layout().placeCaptions();
        QCOMPARE(w.Award->y(), oneLineTop);
    }

    void adjustmentModeStoresOnlyTheSlotsOnTheStage()
    {
        Stage st(QSize(1024, 768), false, 12);
        TFrmMain &w = *st.window;
        DrawSession &session = w.session();
        auto press = [&] {
            QTest::keyPress(&w, Qt::Key_Space);
            QTest::keyRelease(&w, Qt::Key_Space);
        };
        // The first batch (25) rolls and stops; the next (35) is prepared but shows no slots yet.
        if (!session.flags().BatchReady)
            press();
        const int first = session.state().BatchSize;
        press();
        press();
        press();
        const int next = session.state().BatchSize;
        QVERIFY(session.flags().BatchReady);
        QVERIFY(next != first);
        QCOMPARE(w.slotsOnStage(), 0);
        const std::string before = openSettings(st.dir)->readString(blockSection(next), "screen");
        w.NA2Click();
        w.NA2Click();
        QVERIFY(!w.adjustMode());
        QCOMPARE(openSettings(st.dir)->readString(blockSection(next), "screen"), before);
        QVERIFY(!openSettings(st.dir)->hasKey(blockSection(next), "Left"));

        // Once the batch rolls, its own layout is what adjustment mode stores.
        press();
        QCOMPARE(w.slotsOnStage(), next);
        w.Label21->move(w.Label21->x(), w.Label21->y() + 7);
        const int top = w.Label21->y();
        w.NA2Click();
        w.NA2Click();
        QCOMPARE(openSettings(st.dir)->readInteger(blockSection(next), "Top", 0), top);
    }

    void theResultsWindowArrangedAt1080ShowsInProportionOnAnother_data()
    {
        QTest::addColumn<QSize>("screen");
        for (QSize screen : {QSize(3840, 2160), QSize(3840, 1080), QSize(5760, 1080), QSize(1024, 768)})
            QTest::newRow(QByteArray::number(screen.width()) + "x" + QByteArray::number(screen.height())) << screen;
    }
    void theResultsWindowArrangedAt1080ShowsInProportionOnAnother()
    {
        QFETCH(QSize, screen);
        test::TestServices s;
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        std::filesystem::copy(TESSALY_DIST_DIR, dir, std::filesystem::copy_options::recursive);
        // 122 winners of 30 bytes in five awards, three to a line as shipped.
        AwardTable awards;
        std::array<std::vector<std::string>, 50> winners;
        const int counts[] = {40, 40, 30, 10, 2};
        for (int a = 0; a < 5; ++a) {
            awards[a] = LGrade{utf8ToGbk("奖项") + std::to_string(a), 1, std::to_string(counts[a]), counts[a],
                               utf8ToGbk("奖品"), ""};
            for (int i = 0; i < counts[a]; ++i)
                winners[size_t(a)].push_back(utf8ToGbk("研发中心-软件部-张三丰 00") + std::to_string(10000 + a * 100 + i));
        }
        awards.AwardCount = 5;
        QCOMPARE(int(winners[0][0].size()), 30);
        auto open = [&](QSize size) {
            auto w = std::make_unique<TFrmFloat>(dir, TFrmFloat::Services{s.messages, s.pickers}, size,
                                                 TFrmFloat::Results{awards, WinnerLists(winners.data(), 50), true});
            w->resize(size);
            w->show();
            w->ShowResultsWindow();
            return w;
        };
        auto elements = [](const TFrmFloat &w) {
            return QList<const QWidget *>{w.SFirstTitle, w.SSecondTitle, w.SresultText, w.Sline, w.Label_return,
                                          w.SkyScrollText1};
        };
        auto problems = [&](const TFrmFloat &w, QSize size) {
            QStringList out;
            std::vector<StageRect> rects;
            QStringList names;
            for (const QWidget *e : elements(w)) {
                if (!e->isVisibleTo(&w))
                    out << QStringLiteral("hidden: ") + e->objectName();
                rects.push_back(rectOf(e));
                names << e->objectName();
                if (!rectOf(e).inside({0, 0, size.width(), size.height()}))
                    out << QStringLiteral("outside: ") + describe(e->objectName(), rectOf(e));
            }
            for (auto [i, j] : overlappingPairs(rects))
                out << QStringLiteral("overlap: %1 %2").arg(describe(names[int(i)], rects[i]), describe(names[int(j)], rects[j]));
            return out.join(QLatin1String("; "));
        };
        auto setText = [&] {
            std::ifstream in(dir / "set.dat", std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        };

        // Arranged on a 1920x1080 projector the first time it opens there.
        QMap<QString, QRect> placed;
        QMap<QString, int> sizes;
        {
            auto w = open(QSize(1920, 1080));
            QVERIFY2(problems(*w, QSize(1920, 1080)).isEmpty(), qPrintable(problems(*w, QSize(1920, 1080))));
            for (const QWidget *e : elements(*w)) {
                placed[e->objectName()] = e->geometry();
                sizes[e->objectName()] = e->font().pointSize();
            }
            w->close();
        }
        QCOMPARE(openSettings(dir)->readString("Option", "screensec"), std::string("1920*1080"));
        const std::string stored = setText();

        // Shown on another screen: in proportion, nothing outside, nothing over anything.
        const double f = std::min(screen.width() / 1920.0, screen.height() / 1080.0);
        const bool sameShape = screen.width() * 1080 == screen.height() * 1920;
        {
            auto w = open(screen);
            QVERIFY2(problems(*w, screen).isEmpty(), qPrintable(problems(*w, screen)));
            for (const QWidget *e : elements(*w)) {
                const QRect was = placed[e->objectName()];
                if (sameShape) {
                    // Twice the size, twice as far from the corner (text a little more or less).
                    const int slack = std::max(8, was.width() / 30), high = std::max(6, was.height() / 8);
                    QVERIFY2(std::abs(e->width() - was.width() * f) <= 2 * slack &&
                                 std::abs(e->height() - was.height() * f) <= high &&
                                 std::abs(e->x() - was.x() * f) <= slack && std::abs(e->y() - was.y() * f) <= high,
                             qPrintable(describe(e->objectName(), rectOf(e)) + QStringLiteral(" from ") +
                                        describe(e->objectName(), rectOf(was))));
                }
                const int size = e->font().pointSize(), scaled = int(std::nearbyint(sizes[e->objectName()] * f));
                if (e == w->SkyScrollText1 && !sameShape)  // the names take the room a stage of another shape offers
                    QVERIFY2(size >= scaled && (f < 1 || size > sizes[e->objectName()]),
                             qPrintable(QStringLiteral("list %1 pt, %2 pt at 1080").arg(size).arg(sizes[e->objectName()])));
                else
                    QCOMPARE(size, scaled);
            }
            // The lines are as wide as the block was measured, and the block fits the window.
            QCOMPARE(w->SkyScrollText1->textSize().width(), w->results().blockWidth);
            w->close();
        }
        // The fit lives in memory: what is stored is as it was.
        QVERIFY(setText() == stored);

        // Saved on this screen, the layout is stored for the screen it was arranged for.
        {
            auto w = open(screen);
            w->WriteConfigFloat();
            auto settings = openSettings(dir);
            QCOMPARE(settings->readString("Option", "screensec"), std::string("1920*1080"));
            for (const QWidget *e : elements(*w)) {
                const std::string section = e->objectName().toStdString();
                const QRect back(settings->readInteger(section, "Left", 0), settings->readInteger(section, "Top", 0),
                                 settings->readInteger(section, "Width", 0), settings->readInteger(section, "Height", 0));
                const QRect was = placed[e->objectName()];
                // The list is as wide as its block, which a wider stage sets in larger names.
                const bool list = e == w->SkyScrollText1;
                const int slack = f < 1 ? 8 : 2;
                QVERIFY2(std::abs(back.y() - was.y()) <= slack && (list || std::abs(back.x() - was.x()) <= slack),
                         qPrintable(describe(e->objectName(), rectOf(back)) + QStringLiteral(" stored, was ") +
                                    describe(e->objectName(), rectOf(was))));
                if (!list || sameShape)
                    QCOMPARE(settings->readInteger(section, "Font.Size", 0), sizes[e->objectName()]);
            }
            w->close();
        }

        // Not fitted to the screen, the window is arranged anew for it, as it always was.
        {
            auto settings = openSettings(dir);
            settings->writeBool("Option", kFitToScreenKey, false);
            (void)settings->commit();
        }
        {
            auto w = open(screen);
            QCOMPARE(w->SFirstTitle->font().pointSize(), sizes[QStringLiteral("SFirstTitle")]);
            QCOMPARE(openSettings(dir)->readString("Option", "screensec"),
                     QStringLiteral("%1*%2").arg(screen.width()).arg(screen.height()).toStdString());
            QVERIFY2(problems(*w, screen).isEmpty(), qPrintable(problems(*w, screen)));
            w->close();
        }
    }

    void theResultsOpenAtTheTopAndCanBeReadWithoutScrolling()
    {
        test::TestServices s;
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        std::filesystem::copy(TESSALY_DIST_DIR, dir, std::filesystem::copy_options::recursive);
        {
            // Six long entries to a line, as an operator might ask for.
            auto settings = openSettings(dir);
            settings->writeInteger("Option", "Floatrownum", 6);
            (void)settings->commit();
        }
        AwardTable awards;
        std::array<std::vector<std::string>, 50> winners;
        for (int a = 0; a < 5; ++a) {
            awards[a] = LGrade{utf8ToGbk("奖项") + std::to_string(a), 1, "40", 40, utf8ToGbk("奖品"), ""};
            for (int i = 0; i < 40; ++i)
                winners[size_t(a)].push_back(utf8ToGbk("研发中心-软件部-张三丰 00") + std::to_string(10000 + a * 100 + i));
        }
        awards.AwardCount = 5;
        TFrmFloat w(dir, {s.messages, s.pickers}, QSize(1024, 768), {awards, WinnerLists(winners.data(), 50), true});
        w.show();
        w.ShowResultsWindow();
        TSkyScrollText *list = w.SkyScrollText1;
        // The columns fit the window: fewer winners to a line than asked.
        QVERIFY(w.results().blockWidth <= 1024 - 40);
        QVERIFY(list->x() >= 0 && list->x() + list->width() <= 1024);
        QVERIFY(list->y() + list->height() <= w.Label_return->y());
        // The lines are as wide as the block was measured: the numbers at their ends are whole.
        QCOMPARE(list->textSize().width(), w.results().blockWidth);
        // It opens at the top and rests there before it scrolls.
        QCOMPARE(list->textPosition().y(), 0);
        QTest::qWait(600);
        QCOMPARE(list->textPosition().y(), 0);

        // Stopped, it moves by hand: a page, a line, to the end and back to the top.
        QTest::keyClick(&w, Qt::Key_G);
        QVERIFY(!list->active());
        QTest::keyClick(&w, Qt::Key_PageDown);
        const int page = -list->textPosition().y();
        QVERIFY(page > 100);
        QTest::keyClick(&w, Qt::Key_Down);
        QVERIFY(-list->textPosition().y() > page);
        QTest::keyClick(&w, Qt::Key_End);
        QCOMPARE(list->textPosition().y() + list->textSize().height(), list->height());
        QTest::keyClick(&w, Qt::Key_PageUp);
        QVERIFY(list->textPosition().y() + list->textSize().height() > list->height());
        QTest::keyClick(&w, Qt::Key_Home);
        QCOMPARE(list->textPosition().y(), 0);
        QWheelEvent wheel(QPointF(500, 400), QPointF(500, 400), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&w, &wheel);
        QVERIFY(list->textPosition().y() < 0);
        w.close();
    }

    void theShippedBackgroundsLeaveTheTextReadable()
    {
        // Where text stands on a stretched background, as parts of its width and height.
        struct Area {
            const char *what;
            QRectF part;
        };
        const Area stageAreas[] = {{"titles", {0.2, 0.02, 0.6, 0.14}},
                                   {"slots", {0.15, 0.16, 0.7, 0.56}},
                                   {"captions and buttons", {0.1, 0.72, 0.65, 0.2}},
                                   {"marquee", {0.0, 0.955, 1.0, 0.045}}};
        const Area resultsAreas[] = {{"titles", {0.2, 0.02, 0.6, 0.2}}, {"list", {0.2, 0.2, 0.6, 0.75}}};
        // The shipped text colours: yellow, white and aqua; silver on the results window.
        const QColor stageTexts[] = {QColor(255, 255, 0), QColor(255, 255, 255), QColor(0, 255, 255)};
        const QColor resultsTexts[] = {QColor(255, 255, 0), QColor(255, 255, 255), QColor(192, 192, 192)};
        const QColor buttonFace(255, 200, 0);
        QStringList problems;
        auto check = [&](const QString &file, const auto &areas, const auto &texts, bool buttons) {
            const QImage picture(QStringLiteral(TESSALY_DIST_DIR "/") + file);
            QVERIFY2(!picture.isNull(), qPrintable(file));
            for (const Area &area : areas) {
                const QRect r(int(area.part.x() * picture.width()), int(area.part.y() * picture.height()),
                              int(area.part.width() * picture.width()), int(area.part.height() * picture.height()));
                std::vector<double> lum;
                for (int y = r.top(); y <= r.bottom(); y += 3)
                    for (int x = r.left(); x <= r.right(); x += 3) {
                        const QRgb c = picture.pixel(x, y);
                        lum.push_back(relativeLuminance(qRed(c), qGreen(c), qBlue(c)));
                    }
                std::sort(lum.begin(), lum.end());
                double mean = 0;
                for (double l : lum)
                    mean += l / lum.size();
                const double bright = lum[lum.size() * 95 / 100];  // all but the brightest specks
                for (const QColor &t : texts) {
                    const double text = relativeLuminance(t.red(), t.green(), t.blue());
                    if (contrastRatio(text, mean) < 4.5 || contrastRatio(text, bright) < 3.0)
                        problems << QStringLiteral("%1 %2: %3 on it %4:1 (brightest parts %5:1)")
                                        .arg(file, area.what, t.name())
                                        .arg(contrastRatio(text, mean), 0, 'f', 1)
                                        .arg(contrastRatio(text, bright), 0, 'f', 1);
                }
                if (buttons && QByteArray(area.what) == "captions and buttons") {
                    const double face = relativeLuminance(buttonFace.red(), buttonFace.green(), buttonFace.blue());
                    if (contrastRatio(face, mean) < 3.0)
                        problems << QStringLiteral("%1: buttons %2:1").arg(file).arg(contrastRatio(face, mean));
                }
            }
        };
        for (int i = 0; i <= 10; ++i)
            check(QStringLiteral("img/%1.jpg").arg(i), stageAreas, stageTexts, true);
        check(QStringLiteral("img/show.jpg"), resultsAreas, resultsTexts, false);
        for (const QString &p : problems)
            qWarning().noquote() << p;
        QVERIFY(problems.isEmpty());
        // The shipped buttons carry that face.
        auto settings = openSettings(TESSALY_DIST_DIR);
        QCOMPARE(settings->readString("GoButton", "Color"), std::string("$0000C8FF"));
    }
};

// The offscreen screen is as large as the largest stage, so that a window keeps
// its size; TESSALY_TEST_DPR=2 runs the same stages on a screen of twice the
// pixels at device pixel ratio 2 (every size is in logical pixels).
int main(int argc, char *argv[])
{
    g_dpr = std::max(1, qEnvironmentVariableIntValue("TESSALY_TEST_DPR"));
    const std::string config = (std::filesystem::temp_directory_path() /
                                ("tessaly_stagefit_screen" + std::to_string(g_dpr) + ".json")).string();
    std::ofstream(config) << R"({"windowFrameMargins": false, "screens": [{"name": "big", "x": 0, "y": 0,
        "width": )" << 5760 * g_dpr << R"(, "height": )" << 2160 * g_dpr
                          << R"(, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": )" << g_dpr << "}]}";
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QByteArray::fromStdString(config));
    // Measured as the program draws: bold at every size.
    keepSyntheticBoldAtEverySize();
    QApplication app(argc, argv);
    TestStageFit test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_stagefit.moc"
