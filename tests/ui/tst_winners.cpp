// The winners window after a real draw on the stage: both views, the paging
// keys, fonts and per-row counts stored per award, the photo layout dialog,
// the background rules and both exports, checked on screen and on disk.
#include "support/ProcessMemory.h"
#include "support/StageFixture.h"
#include "ui/effects/TStretchHandle.h"
#include "ui/photo/PhotoStage.h"
#include "ui/common/GbkText.h"
#include "ui/common/StageWidgets.h"
#include "ui/stage/TFrmFloat.h"
#include "ui/stage/TFrmMain.h"
#include "ui/winners/TForm_float2.h"
#include "ui/winners/WinnersWidgets.h"

#include "core/draw/DrawSession.h"
#include "core/event/OperatorNotices.h"
#include "core/participants/PhotoTable.h"
#include "core/settings/Settings.h"
#include "core/text/Gbk.h"
#include "core/text/Lines.h"

#include <QApplication>
#include <QBuffer>
#include <QScrollArea>
#include <QScrollBar>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <functional>

using namespace tessaly;

namespace {

// Three awards drawn to the end on the real stage, then "显示中奖名单".
struct Drawn : test::StageFixture {
    explicit Drawn(const std::string &options = "scrolldown=1\r\n")
        : StageFixture(options + "Lucks=3\r\n[Grade]\r\n0=一等奖|2|1|2|电视|\r\n1=二等奖|7|1|7|手机|\r\n2=三等奖|3|1|3|耳机|\r\n")
    {
        for (int i = 0; i < 3; ++i)
            batch();
    }
    TForm_float2 *openWithF7()
    {
        QTest::keyPress(stage.get(), Qt::Key_F7);
        return stage->findChild<TForm_float2 *>();
    }
    // The window over the same draw in photo mode.
    std::unique_ptr<TForm_float2> openPhotos()
    {
        const DrawSession &session = stage->session();
        const WinnerArray &display = session.AwardWinners();
        const WinnerArray &names = session.AwardWinnerNames();
        auto w = std::make_unique<TForm_float2>(
            dir, TForm_float2::Services{s.messages, s.pickers}, QSize(1024, 768),
            TForm_float2::Winners{session.awards(), WinnerLists(display.data(), 50), WinnerLists(names.data(), 50), true,
                                  session.grade().ScrollDown, true},
            session.state().BatchAward);
        w->show();
        w->FormShow();
        return w;
    }
    const std::vector<std::string> &names(int award) { return stage->session().AwardWinnerNames()[award]; }

    std::unique_ptr<TFrmMain> &stage = window;
};

using test::field;
using test::onDialog;

void writeJpeg(const std::filesystem::path &file, QColor color)
{
    std::filesystem::create_directories(file.parent_path());
    QImage image(80, 100, QImage::Format_RGB32);
    image.fill(color);
    QVERIFY(image.save(QString::fromStdString(file.string()), "JPG"));
}

}  // namespace

class TestWinners : public QObject {
    Q_OBJECT
private slots:
    void theTextViewPagesWithTheClickerKeys_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QList<int>>("shown");  // award after Space, Enter, PgUp, PgDn, Space
        QTest::newRow("awards upwards") << QStringLiteral("scrolldown=1\r\n") << QList<int>{0, 1, 0, 2, 1};
        QTest::newRow("awards downwards") << QStringLiteral("scrolldown=0\r\n") << QList<int>{2, 1, 2, 0, 1};
    }
    void theTextViewPagesWithTheClickerKeys()
    {
        QFETCH(QString, options);
        QFETCH(QList<int>, shown);
        Drawn d(options.toStdString());
        TForm_float2 *w = d.openWithF7();
        QVERIFY(w);
        QVERIFY(!w->photoMode());
        QCOMPARE(w->viewedAward(), d.stage->session().state().BatchAward);
        const int keys[] = {Qt::Key_Space, Qt::Key_Return, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Space};
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(w, Qt::Key(keys[i]));
            QCOMPARE(w->viewedAward(), shown[i]);
        }
        // Award 1 holds 7 winners, 3 to a row: the last one is padded under the others.
        while (w->viewedAward() != 1)
            QTest::keyClick(w, Qt::Key_Return);
        const QStringList lines = w->Label_tx->lines();
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QStringLiteral("二等奖(7名)"));
        QCOMPARE(lines[1], QStringLiteral("(手机)"));
        QCOMPARE(lines[4].size(), lines[2].size());
        QVERIFY(w->Label_tx->isVisible());
        QCOMPARE(w->Label_tx->x(), roundHalfEven((1024 - w->Label_tx->width()) / 2.0));
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(!w->isVisible());
    }

    void fontsAndPerRowCountsAreStoredPerAward()
    {
        Drawn d;
        TForm_float2 *w = d.openWithF7();
        const int award = w->viewedAward();
        const char *key = award == 0 ? "0" : award == 1 ? "1" : "2";
        onDialog([](QWidget *dialog) {
            field<QLineEdit>(dialog, "sizeEdit")->setText(QStringLiteral("28"));
            field<QPushButton>(dialog, "okButton")->click();
        });
        w->chooseTextFont();
        QCOMPARE(QString::fromStdString(gbkToUtf8(d.value("float2txt", key))).section(QLatin1Char('|'), 0, 5),
                 QStringLiteral("3|clYellow|28|黑体|[fsBold]|134"));
        QVERIFY(w->Label_tx->font().pointSize() >= 28);  // the chosen size is the least the names are set in

        // Blank and zero are refused; 1 is stored with the font and position.
        onDialog([](QWidget *dialog) {
            for (const char *text : {"", "0"}) {
                field<QLineEdit>(dialog, "Edit1")->setText(QString::fromLatin1(text));
                field<QPushButton>(dialog, "Button1")->click();
            }
            field<QLineEdit>(dialog, "Edit1")->setText(QStringLiteral("1"));
            field<QPushButton>(dialog, "Button1")->click();
        });
        d.s.messages.shown.clear();
        const int left = w->Label_tx->x();
        w->choosePerRow();
        QCOMPARE(d.s.messages.shown.size(), 2);
        QCOMPARE(d.s.messages.shown[0].text, QStringLiteral("每行显示个数：您输入的不是数字，请输入数字"));
        const QString stored = QString::fromStdString(gbkToUtf8(d.value("float2txt", key)));
        QCOMPARE(stored.section(QLatin1Char('|'), 0, 2), QStringLiteral("1|clYellow|28"));
        QCOMPARE(stored.section(QLatin1Char('|'), 6, 6).toInt(), left);
        QCOMPARE(w->Label_tx->lines().size(), 1 + int(d.names(award).size()) + 1);  // heading, prize, names

        // Another award keeps its own look; coming back shows the stored one.
        QTest::keyClick(w, Qt::Key_PageUp);
        QTest::keyClick(w, Qt::Key_PageDown);
        QTest::keyClick(w, Qt::Key_PageUp);
        QCOMPARE(w->viewedAward(), 0);
        QCOMPARE(QString::fromStdString(gbkToUtf8(d.value("float2txt", "0"))).section(QLatin1Char('|'), 2, 2).toInt(),
                 award == 0 ? 28 : 20);
        QVERIFY(w->Label_tx->font().pointSize() >= (award == 0 ? 28 : 20));
    }

    void aPerRowCountOutOfRangeIsRefusedWhereTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");  // field 1 of float2txt afterwards; empty: refused, unchanged
        QTest::newRow("the crash") << "2000000000" << "";
        QTest::newRow("past 32 bits") << "99999999999" << "";
        QTest::newRow("one past") << "101" << "";
        QTest::newRow("zero") << "0" << "";
        QTest::newRow("the most") << "100" << "100";
    }
    void aPerRowCountOutOfRangeIsRefusedWhereTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        Drawn d;
        TForm_float2 *w = d.openWithF7();
        const std::string key = std::to_string(w->viewedAward());
        const std::string before = d.value("float2txt", key.c_str());
        onDialog([typed](QWidget *dialog) {
            field<QLineEdit>(dialog, "Edit1")->setText(typed);
            field<QPushButton>(dialog, "Button1")->click();
            if (dialog->isVisible()) {
                QCOMPARE(dialog->focusWidget(), field<QLineEdit>(dialog, "Edit1"));
                field<QPushButton>(dialog, "Button2")->click();
            }
        });
        d.s.messages.shown.clear();
        w->choosePerRow();
        if (stored.isEmpty()) {
            QCOMPARE(d.s.messages.shown.size(), 1);
            QCOMPARE(d.s.messages.shown[0].text, QStringLiteral("每行显示个数必须是 1 到 100 之间的数字。"));
            QCOMPARE(d.value("float2txt", key.c_str()), before);
        } else {
            QCOMPARE(QString::fromStdString(d.value("float2txt", key.c_str())).section(QLatin1Char('|'), 0, 0), stored);
        }
    }

    void aStoredPerRowCountOutOfRangeIsShownClampedAndNamedInTheNoticePlace_data()
    {
        QTest::addColumn<bool>("winners");  // F7's winners window, or F6's results window
        QTest::addColumn<QString>("named");
        QTest::newRow("winners window") << true << QStringLiteral("奖项“一等奖”保存的每行显示个数“2000000000”超出范围");
        QTest::newRow("results window") << false << QStringLiteral("结果窗口保存的每行显示个数“2000000000”超出范围");
    }
    void aStoredPerRowCountOutOfRangeIsShownClampedAndNamedInTheNoticePlace()
    {
        QFETCH(bool, winners);
        QFETCH(QString, named);
        Drawn d;
        {
            auto s = openSettings(d.dir);
            s->writeString("float2txt", "0", utf8ToGbk("2000000000|clYellow|20|黑体|[fsBold]|134|50|20"));
            s->writeString("Option", "Floatrownum", "2000000000");
            QVERIFY(s->commit());
        }
        const long peakBefore = test::processMiB("VmHWM:");
        if (winners) {
            TForm_float2 *w = d.openWithF7();
            QTest::keyClick(w, Qt::Key_PageUp);
            QCOMPARE(w->viewedAward(), 0);
            QCOMPARE(w->Label_tx->lines().size(), 1 + 1 + 1);  // heading, prize, both winners in one row
        } else {
            QTest::keyPress(d.stage.get(), Qt::Key_F6);
            auto *w = d.stage->findChild<TFrmFloat *>();
            QVERIFY(w);
            QVERIFY(w->results().lines.size() > 0);
        }
        // A row of that many cells was built as text: gigabytes, then bad_alloc.
        QVERIFY2(test::processMiB("VmHWM:") - peakBefore < 256, qPrintable(QString::number(test::processMiB("VmHWM:"))));
        // Named once in the operator's notice place: the tool bar's line, log.txt, no box over the show.
        int found = 0;
        for (const OperatorNotice &n : d.stage->session().notices().recent())
            found += toQt(n.text).startsWith(named) ? 1 : 0;
        QCOMPARE(found, 1);
        auto *line = d.stage->ControlBar1->findChild<QLabel *>(QStringLiteral("NoticeLine"));
        QVERIFY(line);
        QVERIFY2(line->toolTip().contains(named), qPrintable(line->toolTip()));
        QVERIFY(d.s.messages.shown.isEmpty());
        std::ifstream in(d.dir / "log.txt", std::ios::binary);
        const std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        QVERIFY(toQt(log).contains(named));
    }

    void centringAndTheAdjustModeLeaveTextcenterOff()
    {
        Drawn d;
        TForm_float2 *w = d.openWithF7();
        w->toggleAdjustMode();
        QVERIFY(w->adjustMode());
        QCOMPARE(d.value("float2txt", "Textcenter"), std::string("0"));
        // Moving the mouse over the block puts the drag handle on it.
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), w->Label_tx->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w->Label_tx, &move);
        QVERIFY(w->findChild<TStretchHandle *>(QStringLiteral("myDrag"))->isAttached(w->Label_tx));
        w->Label_tx->move(33, 44);
        QTest::keyClick(w, Qt::Key_Escape);  // leaves the mode and stores where the block stands
        QVERIFY(!w->adjustMode());
        QVERIFY(w->isVisible());
        const QString stored =
            QString::fromStdString(gbkToUtf8(d.value("float2txt", std::to_string(w->viewedAward()).c_str())));
        QCOMPARE(stored.section(QLatin1Char('|'), 6, 7), QStringLiteral("33|44"));
        QCOMPARE(d.value("float2txt", "Textcenter"), std::string("0"));
        w->toggleCentre();
        QCOMPARE(d.value("float2txt", "Textcenter"), std::string("1"));
        QCOMPARE(w->Label_tx->x(), roundHalfEven((1024 - w->Label_tx->width()) / 2.0));
        std::unique_ptr<QMenu> menu(w->createPopupMenu(w));
        QCOMPARE(menu->objectName(), QStringLiteral("PopupMenu1"));
        QVERIFY(menu->findChild<QAction *>(QStringLiteral("N9"))->isChecked());
        QVERIFY(!menu->findChild<QAction *>(QStringLiteral("N12"))->isChecked());
    }

    void thePhotoViewShowsEveryWinnerWithANameAndAPlaceholder()
    {
        Drawn d;
        // Award 0 has two winners: the second one's photo is missing.
        writeJpeg(d.dir / "photo" / (d.names(0)[0] + ".jpg"), Qt::red);
        auto w = d.openPhotos();
        while (w->viewedAward() != 0)
            QTest::keyClick(w.get(), Qt::Key_PageUp);
        QCOMPARE(w->Label_li->text(), QStringLiteral("一等奖(2名，电视)"));
        QCOMPARE(w->Label_li->x(), qRound((1024 - w->Label_li->width()) / 2.0));
        QVERIFY(!w->Label_tx->isVisible());
        const auto pictures = w->pictures();
        QCOMPARE(int(pictures.size()), 2);
        QCOMPARE(pictures[0]->objectName(), QStringLiteral("imgli_1"));
        QVERIFY(!pictures[0]->missing());
        QCOMPARE(pictures[0]->image().pixelColor(40, 40).red(), 254);
        QVERIFY(pictures[1]->missing());
        // 2 winners and 5 columns: one row of two, centred on the stage.
        QCOMPARE(pictures[0]->geometry(), QRect((1024 - 2 * 160 - 10) / 2, 50 + w->Label_li->height() + 10, 160, 120));
        QCOMPARE(pictures[1]->x(), pictures[0]->x() + 170);
        const auto captions = w->captions();
        QCOMPARE(captions[1]->text(), QString::fromStdString(d.names(0)[1]));
        QCOMPARE(captions[1]->y() + captions[1]->height(), pictures[1]->y() + 120 - 10);

        // Paging reuses the pictures; a larger award adds more.
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        QCOMPARE(int(w->pictures().size()), int(d.names(2).size()));
        QTest::keyClick(w.get(), Qt::Key_Space);
        QCOMPARE(int(w->pictures().size()), 7);
        std::unique_ptr<QMenu> menu(w->createPopupMenu(w.get()));
        QCOMPARE(menu->objectName(), QStringLiteral("PopupMenu_pho"));
        QVERIFY(menu->findChild<QAction *>(QStringLiteral("Npho3")));
    }

    void thePhotosHeldStayBoundedForAnyAwardAndAnyStoredSize_data()
    {
        QTest::addColumn<int>("winners");
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<QString>("stored");  // float2pho/0
        QTest::newRow("camera photos shown 4000 by 3000") << 25 << QSize(400, 300) << "5|50|10|10|4000|3000";
        QTest::newRow("any stored size") << 25 << QSize(400, 300) << "3|50|10|10|99999|99999";
        QTest::newRow("2001 winners") << 2001 << QSize(60, 80) << "5|50|10|10|160|120";
    }
    void thePhotosHeldStayBoundedForAnyAwardAndAnyStoredSize()
    {
        QFETCH(int, winners);
        QFETCH(QSize, photo);
        QFETCH(QString, stored);
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        std::ofstream(dir / "set.dat", std::ios::binary) << "[float2pho]\r\n0=" << stored.toStdString() << "\r\n";
        QByteArray jpeg;
        {
            QImage image(photo, QImage::Format_RGB32);
            image.fill(Qt::cyan);
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(image.save(&buffer, "JPG"));
        }
        std::filesystem::create_directories(dir / "photo");
        AwardTable awards;
        awards[0] = LGrade{utf8ToGbk("大奖"), 1, std::to_string(winners), winners, utf8ToGbk("奖品"), ""};
        awards.AwardCount = 1;
        WinnerArray names;
        for (int i = 0; i < winners; ++i) {
            names[0].push_back("W" + std::to_string(i));
            std::ofstream(dir / "photo" / (names[0].back() + ".jpg"), std::ios::binary) << jpeg.toStdString();
        }
        test::TestServices s;
        const QSize stage(1024, 768);
        TForm_float2 w(dir, {s.messages, s.pickers}, stage,
                       {awards, WinnerLists(names.data(), 50), WinnerLists(names.data(), 50), true, true, true}, 0);
        w.show();
        w.FormShow();
        QCOMPARE(int(w.pictures().size()), winners);
        auto *scroll = w.findChild<QScrollArea *>();
        // Only pictures within a screen of the view hold pixels, and every one of those does.
        auto checkHeld = [&] {
            const QRect view(scroll->horizontalScrollBar()->value(), scroll->verticalScrollBar()->value(),
                             scroll->viewport()->width(), scroll->viewport()->height());
            const QRect near = view.adjusted(-view.width(), -view.height(), view.width(), view.height());
            for (PhotoTile *p : w.pictures()) {
                QVERIFY(p->width() <= stage.width() && p->height() <= stage.height());
                QCOMPARE(p->loaded(), p->geometry().intersects(near));
                QVERIFY(!p->missing());
                QVERIFY(p->image().width() <= std::min(photo.width(), p->width()));
            }
            QVERIFY2(w.photoBytes() < 256ll * 1024 * 1024, qPrintable(QString::number(w.photoBytes())));
        };
        checkHeld();
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->maximum());
        checkHeld();
        QCOMPARE(w.pictures().back()->loaded(), true);
        // A new layout empties the cache: only the pictures now near the view are decoded again.
        onDialog([](QWidget *dialog) {
            field<QLineEdit>(dialog, "Edit4")->setText(QStringLiteral("100"));
            field<QLineEdit>(dialog, "Edit5")->setText(QStringLiteral("90"));
            field<QPushButton>(dialog, "Button1")->click();
        });
        w.arrangePhotos();
        checkHeld();
        int held = 0;
        for (PhotoTile *p : w.pictures())
            held += p->loaded() ? 1 : 0;
        const QSize tile = w.pictures().front()->size();  // grown from 100 by 90 where the window has room
        QVERIFY(tile.width() >= 100 && tile.height() >= 90);
        QVERIFY(w.photoCache().bytes() <= qint64(held) * tile.width() * tile.height() * 4);
    }

    void photosComeFromPhotoModesTableWhenItIsLoaded()
    {
        Drawn d;
        const std::vector<std::string> &list = d.stage->session().lists().NameList;
        for (const auto &name : list)
            writeJpeg(d.dir / "photo" / (name + ".jpg"), Qt::green);
        PhotoTable table;
        QVERIFY(table.load(d.dir, list, {80, 100}, 2).empty());
        std::filesystem::remove_all(d.dir / "photo");  // only the table still has them
        auto w = d.openPhotos();
        w->photoCache().clear();
        w->photoCache().setSource(photoTableSource(table, list));
        QTest::keyClick(w.get(), Qt::Key_Space);
        QVERIFY(!w->pictures().empty());
        for (PhotoTile *p : w->pictures()) {
            QVERIFY(!p->missing());
            QVERIFY(p->image().pixelColor(20, 20).green() > 200);
        }
    }

    void theEndOfAPhotoDrawOffersThisWindowWithTheLoadedPhotos()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        std::filesystem::copy(TESSALY_DIST_DIR, dir, std::filesystem::copy_options::recursive);
        {
            auto s = openSettings(dir);
            s->writeString("Option", "Lucks", "2");
            s->writeString("Option", "scrolldown", "0");
            s->writeString("Grade", "0", utf8ToGbk("三人奖|3|1|3|奖品甲|"));
            s->writeString("Grade", "1", utf8ToGbk("五人奖|5|1|5|奖品乙|"));
            for (const char *k : {"2", "3", "4"})
                s->deleteKey("Grade", k);
            QVERIFY(s->commit());
        }
        test::TestServices services;
        TFrmMain stage(dir, {services.messages, services.opener, services.pickers}, QSize(1024, 768));
        stage.resize(1024, 768);
        stage.show();
        stage.FormShow();
        stage.photos().NB7->trigger();
        auto press = [&stage] {
            QTest::keyPress(&stage, Qt::Key_Space);
            QTest::keyRelease(&stage, Qt::Key_Space);
        };
        press();  // 加载
        QCOMPARE(stage.GoButton->text(), QStringLiteral("开始"));
        for (int i = 0; i < 6 && stage.session().state().DrawnInAward < 5; ++i)
            press();
        QCOMPARE(int(stage.session().AwardWinnerNames()[1].size()), 5);
        services.messages.setNextAnswer(true);  // "奖项已抽完!是否要查看抽取结果?"
        press();
        QCOMPARE(services.messages.shown.last().text, QStringLiteral("奖项已抽完!是否要查看抽取结果?"));
        auto *w = stage.findChild<TForm_float2 *>();
        QVERIFY(w);
        QVERIFY(w->photoMode());
        QCOMPARE(w->viewedAward(), 1);
        QCOMPARE(int(w->pictures().size()), 5);
        for (PhotoTile *p : w->pictures())
            QVERIFY(!p->missing());
    }

    void theLayoutDialogRefusesBlankAndZeroAndStoresTheGrid()
    {
        Drawn d;
        auto w = d.openPhotos();
        const std::string key = std::to_string(w->viewedAward());
        onDialog([](QWidget *dialog) {
            QCOMPARE(field<QLineEdit>(dialog, "Edit1")->text(), QStringLiteral("5"));
            QCOMPARE(field<QLineEdit>(dialog, "Edit4")->text(), QStringLiteral("160"));  // the first picture's size
            field<QLineEdit>(dialog, "Edit1")->setText(QString());
            field<QPushButton>(dialog, "Button1")->click();
            field<QLineEdit>(dialog, "Edit1")->setText(QStringLiteral("0"));
            field<QPushButton>(dialog, "Button1")->click();
            field<QLineEdit>(dialog, "Edit1")->setText(QStringLiteral("2"));
            field<QLineEdit>(dialog, "Edit4")->setText(QStringLiteral("100"));
            field<QLineEdit>(dialog, "Edit5")->setText(QStringLiteral("150"));
            field<QPushButton>(dialog, "Button1")->click();
        });
        w->arrangePhotos();
        QCOMPARE(d.s.messages.shown.size(), 2);
        QCOMPARE(d.s.messages.shown[0].text, QStringLiteral("列数不能为空。"));
        QCOMPARE(d.s.messages.shown[1].text, QStringLiteral("列数应在1到2001之间。"));
        QCOMPARE(d.value("float2pho", key.c_str()), std::string("2|50|10|10|100|150"));
        QCOMPARE(w->pictures().front()->size(), QSize(100, 150));
        QCOMPARE(w->pictures()[1]->y(), w->pictures()[0]->y());
    }

    void theLayoutDialogRefusesWhatTheStageCannotShow_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("a picture 99999999 wide") << "Edit4" << "99999999" << QStringLiteral("图片宽应在1到1024之间。");
        QTest::newRow("past 32 bits") << "Edit5" << "99999999999" << QStringLiteral("图片高应在1到768之间。");
        QTest::newRow("one past the stage") << "Edit4" << "1025" << QStringLiteral("图片宽应在1到1024之间。");
        QTest::newRow("columns") << "Edit1" << "2002" << QStringLiteral("列数应在1到2001之间。");
        QTest::newRow("column gap") << "Edit2" << "2147483647" << QStringLiteral("列间距应在0到1024之间。");
        QTest::newRow("top margin") << "Edit3" << "769" << QStringLiteral("上边距应在0到768之间。");
        QTest::newRow("row gap") << "Edit8" << "100000" << QStringLiteral("行间距应在0到768之间。");
    }
    void theLayoutDialogRefusesWhatTheStageCannotShow()
    {
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        Drawn d;
        auto w = d.openPhotos();
        const std::string key = std::to_string(w->viewedAward());
        const std::string before = d.value("float2pho", key.c_str());
        QSize grown;
        onDialog([&](QWidget *dialog) {
            field<QLineEdit>(dialog, edit.toLatin1().constData())->setText(typed);
            field<QPushButton>(dialog, "Button1")->click();
            grown = dialog->findChild<QLabel *>(QStringLiteral("Image1"))->size();
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->focusWidget(), field<QLineEdit>(dialog, edit.toLatin1().constData()));
            field<QPushButton>(dialog, "Button2")->click();
        });
        w->arrangePhotos();
        QCOMPARE(d.s.messages.shown.size(), 1);
        QCOMPARE(d.s.messages.shown[0].text, message);
        QCOMPARE(d.value("float2pho", key.c_str()), before);
        QVERIFY(grown.width() <= 512 && grown.height() <= 384);  // the preview keeps the dialog on the screen
        QCOMPARE(w->pictures().front()->size(), QSize(160, 120));
    }

    void captionAndNameFontsAreStoredPerAward()
    {
        Drawn d;
        auto w = d.openPhotos();
        const std::string key = std::to_string(w->viewedAward());
        onDialog([](QWidget *dialog) {
            field<QLineEdit>(dialog, "sizeEdit")->setText(QStringLiteral("30"));
            field<QPushButton>(dialog, "okButton")->click();
        });
        std::unique_ptr<QMenu> menu(w->createCaptionMenu(w.get()));
        QCOMPARE(menu->objectName(), QStringLiteral("PopupMenu_phoGrade"));
        menu->findChild<QAction *>(QStringLiteral("NPPG1"))->trigger();
        QCOMPARE(gbkToUtf8(d.value("float2Labelli", key.c_str())), std::string("5|clWhite|30|黑体|[fsBold]|134"));
        QCOMPARE(w->Label_li->font().pointSize(), 30);
        onDialog([](QWidget *dialog) { field<QPushButton>(dialog, "cancelButton")->click(); });
        w->chooseNamesFont();  // a cancel still writes the names' font as it stands
        QCOMPARE(gbkToUtf8(d.value("float2Labeltx", key.c_str())), std::string("5|clYellow|16|黑体|[fsBold]|134"));
    }

    void anAwardWithoutWinnersStartsTheLayoutFromTheStoredSize()
    {
        Drawn d;
        const AwardTable &awards = d.stage->session().awards();
        WinnerArray none;
        {
            auto s = openSettings(d.dir);
            s->writeString("float2pho", "0", "4|60|12|14|90|110");
            QVERIFY(s->commit());
        }
        TForm_float2 w(d.dir, {d.s.messages, d.s.pickers}, QSize(1024, 768),
                       {awards, WinnerLists(none.data(), 50), WinnerLists(none.data(), 50), true, true, true}, 0);
        w.show();
        w.FormShow();
        QVERIFY(w.pictures().empty());
        onDialog([](QWidget *dialog) {
            QCOMPARE(field<QLineEdit>(dialog, "Edit4")->text(), QStringLiteral("90"));
            QCOMPARE(field<QLineEdit>(dialog, "Edit5")->text(), QStringLiteral("110"));
        });
        w.arrangePhotos();
    }

    void theExportsWriteTheResultsAndCopyThePhotos()
    {
        Drawn d;
        for (int a = 0; a < 3; ++a)
            for (size_t i = 0; i < d.names(a).size(); ++i)
                if (!(a == 1 && i == 0))  // one photo is missing
                    writeJpeg(d.dir / "photo" / (d.names(a)[i] + ".jpg"), Qt::blue);
        auto w = d.openPhotos();
        const QString out = QString::fromStdString((d.dir / "out").string());
        QDir().mkpath(out);
        d.s.pickers.setNextFile(out);
        w->exportPictures();
        QCOMPARE(d.s.messages.shown.size(), 1);
        QVERIFY(d.s.messages.shown[0].text.startsWith(QStringLiteral("导出中奖图片完成")));
        QVERIFY(d.s.messages.shown[0].text.contains(QString::fromStdString(d.names(1)[0])));
        QVERIFY(QFileInfo::exists(out + QStringLiteral("/一等奖(2)/") + QString::fromStdString(d.names(0)[1]) +
                                  QStringLiteral(".jpg")));
        QCOMPARE(QDir(out + QStringLiteral("/二等奖(7)")).entryList(QDir::Files).size(), 6);

        d.s.pickers.setNextFile(out + QStringLiteral("/results.csv"));
        d.s.pickers.setNextType(2);
        w->exportResults();
        std::ifstream csv((d.dir / "out" / "results.csv").string(), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(csv), std::istreambuf_iterator<char>()};
        QCOMPARE(int(splitLines(text).size()), 1 + 12);
        QVERIFY(text.rfind("\xEF\xBB\xBF", 0) == 0);
        // No failure; the operator is told where the file went, and the picker opened in the event folder.
        QCOMPARE(d.s.messages.shown.size(), 2);
        QCOMPARE(d.s.messages.shown[1].text, QStringLiteral("抽奖结果已保存到：\n") + out + QStringLiteral("/results.csv"));
        QCOMPARE(d.s.pickers.saveStarts.last(), QString::fromStdString((d.dir / "抽奖结果.txt").string()));
    }

    void theChosenTypeDecidesTheFormatAndTheSuffix_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("start");  // the first bytes of the file
        QTest::newRow("text") << "results" << 0 << "results.txt" << QByteArray("\xd2\xbb");  // "一" in GBK
        QTest::newRow("Excel without a suffix") << "results" << 1 << "results.xlsx" << QByteArray("PK");
        QTest::newRow("CSV without a suffix") << "results" << 2 << "results.csv" << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("Excel over a .txt name") << "results.txt" << 1 << "results.txt.xlsx" << QByteArray("PK");
        QTest::newRow("CSV in capitals") << "RESULTS.CSV" << 2 << "RESULTS.CSV" << QByteArray("\xEF\xBB\xBF");
    }
    void theChosenTypeDecidesTheFormatAndTheSuffix()
    {
        QFETCH(QString, typed);
        QFETCH(int, type);
        QFETCH(QString, written);
        QFETCH(QByteArray, start);
        Drawn d;
        TForm_float2 *w = d.openWithF7();
        const QString out = QString::fromStdString(d.dir.string()) + QStringLiteral("/out/");
        QDir().mkpath(out);
        d.s.pickers.setNextFile(out + typed);
        d.s.pickers.setNextType(type);
        w->exportResults();
        QVERIFY(d.s.pickers.offeredTypes.value(type).contains(QStringLiteral("*.") + QFileInfo(written).suffix().toLower()));
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{written});
        QFile file(out + written);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith(start));
        QCOMPARE(d.s.messages.shown.last().text, QStringLiteral("抽奖结果已保存到：\n") + out + written);
    }

    void anyKeyStopsAutomaticPagingAndDoesNothingElse_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("Page Down") << int(Qt::Key_PageDown);
        QTest::newRow("a letter") << int(Qt::Key_A);
    }
    void anyKeyStopsAutomaticPagingAndDoesNothingElse()
    {
        QFETCH(int, key);
        Drawn d;
        TForm_float2 *w = d.openWithF7();
        // A period out of bounds is refused where it is typed; the one accepted is stored.
        onDialog([](QWidget *dialog) {
            QCOMPARE(field<QLineEdit>(dialog, "Edit1")->text(), QStringLiteral("8"));
            field<QLineEdit>(dialog, "Edit1")->setText(QStringLiteral("1"));
            field<QPushButton>(dialog, "Button1")->click();
            field<QLineEdit>(dialog, "Edit1")->setText(QStringLiteral("3"));
            field<QPushButton>(dialog, "Button1")->click();
        });
        d.s.messages.shown.clear();
        std::unique_ptr<QMenu> menu(w->createPopupMenu(w));
        menu->findChild<QAction *>(QStringLiteral("N13"))->trigger();
        QCOMPARE(d.s.messages.shown.size(), 1);
        QCOMPARE(d.s.messages.shown[0].text, QStringLiteral("每页停留秒数必须是 2 到 600 之间的数字。"));
        QCOMPARE(d.value("float2txt", "AutoPage"), std::string("3"));
        QVERIFY(w->autoPaging());
        QVERIFY(w->Label_page->isVisible());
        QCOMPARE(w->Label_page->text(), QStringLiteral("第 1/1 页"));

        // Each tick shows the next award in the window's order, round again after the last.
        const int start = w->viewedAward();
        QList<int> seen;
        for (int i = 0; i < 3; ++i) {
            w->autoPageTick();
            seen << w->viewedAward();
        }
        QCOMPARE(seen, (QList<int>{(start + 1) % 3, (start + 2) % 3, start}));

        const int shown = w->viewedAward();
        const QStringList lines = w->Label_tx->lines();
        QTest::keyClick(w, Qt::Key(key));
        QVERIFY(!w->autoPaging());
        QVERIFY(w->isVisible());
        QCOMPARE(w->viewedAward(), shown);
        QCOMPARE(w->Label_tx->lines(), lines);
        QVERIFY(!w->Label_page->isVisible());
        std::unique_ptr<QMenu> after(w->createPopupMenu(w));
        QVERIFY(!after->findChild<QAction *>(QStringLiteral("N13"))->isChecked());
        // Keys work again once it has stopped.
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(!w->isVisible());
    }

    void aLongAwardIsPagedWithTheClickerAndNamesItsPage()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        std::ofstream(dir / "set.dat", std::ios::binary) << "[Option]\r\n";
        AwardTable awards;
        awards[0] = LGrade{utf8ToGbk("大奖"), 1, "300", 300, utf8ToGbk("奖品"), ""};
        awards[1] = LGrade{utf8ToGbk("小奖"), 1, "2", 2, utf8ToGbk("奖品"), ""};
        awards.AwardCount = 2;
        WinnerArray names;
        for (int i = 0; i < 300; ++i)
            names[0].push_back(utf8ToGbk("欧阳") + std::to_string(100000 + i) + "xx");
        names[1] = {"A", "B"};
        test::TestServices s;
        TForm_float2 w(dir, {s.messages, s.pickers}, QSize(1024, 768),
                       {awards, WinnerLists(names.data(), 50), WinnerLists(names.data(), 50), true, true, false}, 0);
        w.show();
        w.FormShow();
        QVERIFY(w.pageCount() > 1);
        QVERIFY(w.Label_page->isVisible());
        QCOMPARE(w.Label_page->text(), QStringLiteral("第 1/%1 页").arg(w.pageCount()));
        const QRect window(0, 0, 1024, 768);
        QStringList shown;
        const int pages = w.pageCount();
        for (int page = 0; page < pages; ++page) {
            QCOMPARE(w.viewedPage(), page);
            QCOMPARE(w.Label_page->text(), QStringLiteral("第 %1/%2 页").arg(page + 1).arg(pages));
            QVERIFY(window.contains(w.Label_tx->geometry()));
            QVERIFY(!w.Label_page->geometry().intersects(w.Label_tx->geometry()));
            const QStringList lines = w.Label_tx->lines();
            QCOMPARE(lines.first(), QStringLiteral("大奖(300名)"));
            for (const QString &line : lines.mid(2))
                shown << line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            QTest::keyClick(&w, Qt::Key_Return);
        }
        // Every winner was on one page, in order; the next press goes on to the next award.
        QCOMPARE(shown.size(), 300);
        QCOMPARE(shown.last(), QStringLiteral("欧阳100299xx"));
        QCOMPARE(w.viewedAward(), 1);
        QCOMPARE(w.viewedPage(), 0);
        QVERIFY(!w.Label_page->isVisible());
        // Two winners fill the window: larger than the stored 20 points.
        QVERIFY(w.Label_tx->font().pointSize() > 40);
        QVERIFY(window.contains(w.Label_tx->geometry()));
    }

    void backgroundsAreStretchedKeptOrLeftBlank()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        QImage small(40, 30, QImage::Format_RGB32);
        small.fill(Qt::green);
        QDir().mkpath(tmp.path() + QStringLiteral("/img"));
        QVERIFY(small.save(tmp.path() + QStringLiteral("/img/show.jpg")));
        QVERIFY(small.save(tmp.path() + QStringLiteral("/img/show.bmp")));
        QVERIFY(small.save(tmp.path() + QStringLiteral("/img/show.png")));
        QVERIFY(small.save(tmp.path() + QStringLiteral("/img/show.jpeg"), "JPG"));
        QVERIFY(small.save(tmp.path() + QStringLiteral("/img/show.gif.txt"), "PNG"));
        const QSize stage(200, 100);
        QCOMPARE(winnersBackground(dir, "img\\show.bmp", stage).size(), QSize(40, 30));
        // The picker offers .jpeg and .png too: they are stretched like .jpg.
        for (const char *stretched : {"img\\show.jpg", "img\\show.jpeg", "img\\show.png"}) {
            const QImage image = winnersBackground(dir, stretched, stage);
            QCOMPARE(image.size(), stage);
            QVERIFY(qAbs(image.pixelColor(190, 90).green() - 255) < 8);
            QVERIFY(image.pixelColor(190, 90).red() < 8);
        }
        QCOMPARE(winnersBackground(dir, "img\\show.gif.txt", stage).pixelColor(10, 10), QColor(Qt::black));
        QCOMPARE(winnersBackground(dir, "img\\gone.jpg", stage).pixelColor(10, 10), QColor(Qt::black));
    }
};

QTEST_MAIN(TestWinners)
#include "tst_winners.moc"
