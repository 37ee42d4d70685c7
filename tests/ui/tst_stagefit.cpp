// The stage laid out offscreen on the usual screens, full screen and in a
// window, for every batch size the awards may use and entries short and long:
// every visible element stands inside the stage, nothing covers anything, and
// names stay readable on a 1920x1080 projector.
#include "support/TestServices.h"
#include "ui/stage/StageWidgets.h"
#include "ui/stage/TFrmMain.h"

#include "core/draw/DrawSession.h"
#include "core/settings/Settings.h"
#include "core/stage/StageFit.h"
#include "core/text/Gbk.h"
#include "ui/common/Fonts.h"
#include "ui/common/GbkText.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/TSkyScrollText.h"
#include "ui/effects/TStretchHandle.h"

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

struct Stage {
    Stage(QSize stage, bool windowMode, int entryBytes, const std::string &extraOptions = {})
    {
        dir = tmp.path().toStdString();
        std::filesystem::copy(TESSALY_DIST_DIR, dir, std::filesystem::copy_options::recursive);
        writeGbkLines(dir / "data.txt", participants(entryBytes));
        auto settings = openSettings(dir);
        settings->writeBool("Option", "runfrom", windowMode);
        if (!extraOptions.empty())
            settings->writeString("Option", extraOptions, "1");
        (void)settings->commit();
        window = std::make_unique<TFrmMain>(dir, TFrmMain::Services{s.messages, s.opener, s.pickers}, stage);
        window->resize(stage);
        window->show();
        window->FormShow();
    }
    QTemporaryDir tmp;
    std::filesystem::path dir;
    test::TestServices s;
    std::unique_ptr<TFrmMain> window;
};

StageRect rectOf(const QWidget *w)
{
    return {w->x(), w->y(), w->width(), w->height()};
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
                             QSize(3840, 2160)}) {
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
            w.placeCaptions();
            for (const SlotLabel *slot : w.Labels)
                const_cast<SlotLabel *>(slot)->hide();
            w.Label21->hide();
            for (const QString &f : faults(w, true))
                problems << QStringLiteral("%1 bytes, ready: %2").arg(bytes).arg(f);

            const std::string longest = w.session().lists().LongestEntry;
            QCOMPARE(int(longest.size()), bytes);
            for (int n : kBatchSizes) {
                w.ArrangeSlots(n);
                int nameHeight = 0;
                if (n <= kMaxSlots) {
                    w.ReadConfiglabel(n, false);
                    for (int k = 0; k < n; ++k)
                        w.Labels[size_t(k)]->setText(toQt(longest));
                    nameHeight = w.Labels[0]->height();
                    int shown = 0;
                    for (const SlotLabel *slot : w.Labels)
                        shown += slot->isVisibleTo(&w) ? 1 : 0;
                    if (shown != n)
                        problems << QStringLiteral("%1 bytes, batch %2: %3 slots shown").arg(bytes).arg(n).arg(shown);
                } else {
                    w.ReadConfiglabel20(n, false);
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
};

// The offscreen screen is as large as the largest stage, so that a window keeps its size.
int main(int argc, char *argv[])
{
    const std::string config = (std::filesystem::temp_directory_path() / "tessaly_stagefit_screen.json").string();
    std::ofstream(config) << R"({"windowFrameMargins": false, "screens": [{"name": "big", "x": 0, "y": 0,
        "width": 3840, "height": 2160, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QByteArray::fromStdString(config));
    QApplication app(argc, argv);
    TestStageFit test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_stagefit.moc"
