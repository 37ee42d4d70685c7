// Photo mode driven offscreen on the shipped demo photos: the switch, the load
// with a broken and a vanished photo, batches of 3 and 40 to the stop with the
// winners' photos and captions, the records, the slot layout dialog, slots moved
// by hand, and a restart that resumes in photo mode.
#include "support/TestServices.h"
#include "ui/photo/PhotoSlot.h"
#include "ui/photo/PhotoStage.h"
#include "ui/photo/TForm_changpspho.h"
#include "ui/common/StageWidgets.h"
#include "ui/stage/TFrmMain.h"

#include "core/draw/DrawSession.h"
#include "core/event/OperatorNotices.h"
#include "core/settings/Settings.h"
#include "core/stage/PhotoGrid.h"
#include "core/text/Gbk.h"
#include "ui/common/GbkText.h"
#include "ui/effects/TAALabel.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

using namespace tessaly;
namespace fs = std::filesystem;

namespace {

bool sameColours(const QImage &a, const QImage &b)
{
    const QColor ca = a.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
    const QColor cb = b.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
    return std::abs(ca.red() - cb.red()) < 10 && std::abs(ca.green() - cb.green()) < 10 &&
           std::abs(ca.blue() - cb.blue()) < 10;
}

std::string readAll(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The demo folder with two awards drawn first to last: 3 winners, then 40.
struct PhotoStageFixture {
    PhotoStageFixture()
    {
        dir = tmp.path().toStdString();
        fs::copy(TESSALY_DIST_DIR, dir, fs::copy_options::recursive);
        auto s = openSettings(dir);
        s->writeString("Option", "Lucks", "2");
        s->writeString("Option", "scrolldown", "0");
        s->writeString("Grade", "0", utf8ToGbk("三人奖|3|1|3|奖品甲|Awardimg\\photest.jpg"));
        s->writeString("Grade", "1", utf8ToGbk("四十人奖|40|1|40|奖品乙|Awardimg\\photest.jpg"));
        for (const char *k : {"2", "3", "4"})
            s->deleteKey("Grade", k);
        s->commit();
        open();
    }
    void open()
    {
        window = std::make_unique<TFrmMain>(dir, TFrmMain::Services{s.messages, s.opener, s.pickers}, QSize(1024, 768));
        window->resize(1024, 768);
        window->show();
        window->FormShow();
    }
    void press()
    {
        QTest::keyPress(window.get(), Qt::Key_Space);
        QTest::keyRelease(window.get(), Qt::Key_Space);
    }
    DrawSession &session() { return window->session(); }
    PhotoStage &photos() { return window->photos(); }
    QStringList shownTexts() const
    {
        QStringList texts;
        for (const auto &m : s.messages.shown)
            texts << m.text;
        return texts;
    }

    QTemporaryDir tmp;
    fs::path dir;
    test::TestServices s;
    std::unique_ptr<TFrmMain> window;
};

}  // namespace

class TestPhoto : public QObject {
    Q_OBJECT
private slots:
    void theLoadPromptFitsTheStage_data()
    {
        QTest::addColumn<int>("captionSize");  // readyLuck's font, in points
        QTest::newRow("as shipped") << 48;
        QTest::newRow("large") << 96;
        QTest::newRow("small") << 12;
    }
    void theLoadPromptFitsTheStage()
    {
        QFETCH(int, captionSize);
        PhotoStageFixture f;
        {
            auto s = openSettings(f.dir);
            s->writeInteger("readyLuck", "Font.Size", captionSize);
            s->deleteKey("readyLuck", "Font.Height");
            QVERIFY(s->commit());
        }
        f.window.reset();
        f.open();
        f.photos().NB7->trigger();
        const QLabel *prompt = f.photos().Label_loadpho;
        QVERIFY(prompt->isVisible());
        QVERIFY2(prompt->x() >= 0 && prompt->geometry().right() < 1024,
                 qPrintable(QStringLiteral("%1 wide at %2").arg(prompt->width()).arg(prompt->x())));
        QCOMPARE(prompt->x(), qRound((1024 - prompt->width()) / 2.0));
        const int expected = captionSize >= 11 ? captionSize - 10 : captionSize;
        QVERIFY(prompt->font().pointSizeF() <= expected);
        if (captionSize == 12)
            QCOMPARE(prompt->font().pointSizeF(), qreal(expected));  // a prompt that fits keeps its size
    }

    void switchingOffersTheLoadAndTheLoadSurvivesBrokenAndVanishedPhotos()
    {
        PhotoStageFixture f;
        QVERIFY(f.photos().NB6->isChecked());
        f.photos().NB7->trigger();
        QCOMPARE(openSettings(f.dir)->readString("Option", "ispho"), std::string("1"));
        QVERIFY(f.photos().NB7->isChecked());
        QCOMPARE(f.window->GoButton->text(), QStringLiteral("加载"));
        QVERIFY(f.photos().Label_loadpho->isVisible());
        QCOMPARE(f.photos().Label_loadpho->text(), QStringLiteral("图片抽奖模式。请先按加载按钮载入参选图片!"));
        QVERIFY(!f.window->readyLuck->isVisible());
        QCOMPARE(f.session().lists().size(), 60u);

        // One photo turns out undecodable, one vanishes before the load.
        const std::string broken = f.session().lists().NameList[5], vanished = f.session().lists().NameList[9];
        std::ofstream(f.dir / "photo" / (gbkToUtf8(broken) + ".jpg"), std::ios::binary) << "not a picture";
        fs::remove(f.dir / "photo" / (gbkToUtf8(vanished) + ".jpg"));
        f.press();
        QVERIFY(!f.photos().loading());
        QVERIFY(f.shownTexts().contains(QStringLiteral("参选图片已有改变，将重新加载图片，可能需要几分钟，请耐心等待")));
        QCOMPARE(f.session().lists().size(), 59u);  // the list was rebuilt without the vanished photo
        const QString failures = f.shownTexts().last();
        QVERIFY2(failures.contains(toQt(broken) + QStringLiteral(".jpg")), qPrintable(failures));
        QVERIFY(f.window->GoButton->isEnabled());
        QCOMPARE(f.window->GoButton->text(), QStringLiteral("开始"));
        QVERIFY(!f.photos().Label_loadpho->isVisible());
        QCOMPARE(f.photos().table().count(), 58);
        int brokenIndex = -1;
        for (size_t i = 0; i < f.session().lists().size(); ++i)
            if (f.session().lists().NameList[i] == broken)
                brokenIndex = static_cast<int>(i);
        QVERIFY(brokenIndex >= 0);
        QVERIFY(!f.photos().photo(brokenIndex).isNull());  // the placeholder with the name

        // Back to text mode and again to photo mode: 加载 again.
        f.photos().NB6->trigger();
        QCOMPARE(openSettings(f.dir)->readString("Option", "ispho"), std::string("0"));
        QCOMPARE(f.window->GoButton->text(), QStringLiteral("开始"));
        QVERIFY(!f.photos().Label_loadpho->isVisible());
        QVERIFY(f.photos().photo(0).isNull());
        f.photos().NB7->trigger();
        QCOMPARE(f.window->GoButton->text(), QStringLiteral("加载"));
    }

    void batchesStopOnTheWinnersPhotosWithCaptionsAndAreRecorded()
    {
        PhotoStageFixture f;
        f.photos().NB7->trigger();
        f.press();  // 加载
        QCOMPARE(f.session().captions().GoButton, utf8ToGbk("开始"));
        for (int expected : {3, 40}) {
            if (!f.session().flags().BatchReady)
                f.press();
            f.press();
            QVERIFY(f.session().flags().Rolling);
            QCOMPARE(f.photos().slotCount(), expected);
            QTRY_VERIFY(f.photos().slot(1)->picture() != nullptr);
            f.press();
            QVERIFY(!f.session().flags().Rolling);
            const auto &winners = f.session().lastBatch();
            QCOMPARE(static_cast<int>(winners.size()), expected);
            // A paint queued before the stop must not cover the winners.
            f.photos().PaintRollingPhotos();
            QTest::qWait(60);
            for (int i = 1; i <= expected; ++i) {
                const int entry = winners[static_cast<size_t>(i - 1)];
                PhotoSlot *slot = f.photos().slot(i);
                // The table's photo, or the same photo decoded again for a larger slot.
                QVERIFY(sameColours(*slot->picture(), f.photos().photo(entry)));
                QLabel *caption = f.photos().caption(i);
                QVERIFY(caption->isVisible());
                QCOMPARE(caption->text(), toQt(f.session().lists().DisplayList[static_cast<size_t>(entry)]));
                const SlotPosition at = photoCaptionPosition({slot->x(), slot->y(), slot->width(), slot->height()},
                                                             {caption->width(), caption->height()});
                QCOMPARE(caption->pos(), QPoint(at.left, at.top));
            }
            // Every slot stands on the stage.
            for (int i = 1; i <= expected; ++i)
                QVERIFY(QRect(0, 0, 1024, 768).contains(f.photos().slot(i)->geometry()));
        }
        const std::string record = readAll(f.dir / "ARecord.dat");
        for (int entry : f.session().lastBatch())
            QVERIFY(record.find(f.session().lists().NameList[static_cast<size_t>(entry)]) != std::string::npos);

        // A restart resumes in photo mode: 加载 first, and nobody drawn comes back.
        const auto drawnBefore = f.session().lists().StateList;
        f.window.reset();
        f.open();
        QCOMPARE(f.window->GoButton->text(), QStringLiteral("加载"));
        QVERIFY(f.photos().NB7->isChecked());
        QCOMPARE(f.session().lists().StateList, drawnBefore);
        QVERIFY(f.session().IsDrawComplete());
    }

    void theLayoutDialogRefusesZeroColumnsAndStoresTheGrid()
    {
        PhotoStageFixture f;
        f.photos().NB7->trigger();
        f.press();
        f.press();  // start the batch of 3
        f.press();  // stop
        QCOMPARE(f.photos().slotCount(), 3);
        int round = 0;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<TForm_changpspho *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("抽奖滚动区位置编排"));
            auto edit = [dialog](const char *name) { return dialog->findChild<QLineEdit *>(name); };
            QCOMPARE(edit("Edit4")->text(), QString::number(f.photos().slot(1)->width()));
            QCOMPARE(edit("Edit6")->text(), QStringLiteral("35"));
            auto *ok = dialog->findChild<QPushButton *>("Button1");
            ok->click();  // columns blank
            edit("Edit1")->setText(QStringLiteral("0"));
            edit("Edit3")->setText(QStringLiteral("60"));
            ok->click();  // zero columns
            edit("Edit1")->setText(QStringLiteral("3"));
            dialog->findChild<QCheckBox *>("CheckBox1")->click();
            edit("Edit4")->setText(QStringLiteral("210"));
            QCOMPARE(edit("Edit5")->text(), QStringLiteral("318"));  // 210 * 53 / 35
            round = 1;
            ok->click();
        });
        f.photos().Npp1Click();
        QCOMPARE(round, 1);
        QCOMPARE(f.shownTexts().mid(f.shownTexts().size() - 2),
                 (QStringList{QStringLiteral("列数不能为空。"), QStringLiteral("列数应在1到2001之间。")}));
        auto s = openSettings(f.dir);
        QCOMPARE(s->readInteger("3phoall", "Width", 0), 210);
        QCOMPARE(s->readInteger("3pho", "1Top", 0), 60);
        QCOMPARE(f.photos().slot(1)->geometry(), QRect(s->readInteger("3pho", "1Left", 0), 60, 210, 318));
        QVERIFY(f.photos().caption(1)->text().isEmpty());
    }

    void slotsMovedByHandAreKeptWhenAdjustmentEnds()
    {
        PhotoStageFixture f;
        f.photos().NB7->trigger();
        f.press();
        f.press();
        f.press();
        f.s.messages.setNextAnswer(true);
        f.window->NA2Click();
        f.photos().slot(2)->move(17, 23);
        f.window->NA2Click();
        auto s = openSettings(f.dir);
        QCOMPARE(s->readInteger("3pho", "2Left", 0), 17);
        QCOMPARE(s->readInteger("3pho", "2Top", 0), 23);
        QCOMPARE(s->readString("3phoall", "screen"), std::string("1024*768"));
    }

    void aCacheThatCannotBeWrittenIsNamedInTheNoticePlaceAndTheDrawGoesOn()
    {
        // The user's cache folder lies under a plain file: no folder can be made there.
        QTemporaryDir home;
        const fs::path blocker = fs::path(home.path().toStdString()) / "file";
        std::ofstream(blocker) << "x";
        const QByteArray before = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(blocker.string()));
        PhotoStageFixture f;
        f.photos().NB7->trigger();
        f.press();  // 加载
        qputenv("XDG_CACHE_HOME", before);
        QCOMPARE(f.photos().table().count(), 60);
        auto named = [&] {
            for (const OperatorNotice &n : f.session().notices().recent())
                if (toQt(n.text).startsWith(QStringLiteral("照片缓存无法写入")))
                    return true;
            return false;
        };
        QTRY_VERIFY(named());
        QVERIFY(!f.shownTexts().join(QString()).contains(QStringLiteral("缓存")));  // no box over the show
        if (!f.session().flags().BatchReady)
            f.press();
        f.press();
        QVERIFY(f.session().flags().Rolling);
        f.press();
        QVERIFY(!f.session().flags().Rolling);
        QCOMPARE(f.session().recordedWinners(), 3);
    }

    void aStoredSlotNoScreenCanShowIsShownInRangeAndNamedInTheNoticePlace()
    {
        PhotoStageFixture f;
        {
            auto s = openSettings(f.dir);
            s->writeString("3phoall", "screen", "1024*768");
            s->writeString("3phoall", "Width", "2000000000");
            s->writeString("3phoall", "Height", "300");
            for (const char *k : {"1Left", "2Left", "3Left", "1Top", "2Top", "3Top"})
                s->writeString("3pho", k, "100");
            QVERIFY(s->commit());
        }
        f.photos().NB7->trigger();
        f.press();  // 加载
        if (!f.session().flags().BatchReady)
            f.press();
        f.press();
        QVERIFY(f.session().flags().Rolling);
        QCOMPARE(f.photos().slot(1)->width(), kMaxPhotoSlotSide);
        int named = 0;
        for (const OperatorNotice &n : f.session().notices().recent())
            named += toQt(n.text).startsWith(QStringLiteral("保存的3个图片的排列中有图片大小或位置超出范围")) ? 1 : 0;
        QCOMPARE(named, 1);
        QVERIFY(!f.shownTexts().join(QString()).contains(QStringLiteral("超出范围")));  // no box over the show
        f.press();
        QVERIFY(!f.session().flags().Rolling);
    }
};

QTEST_MAIN(TestPhoto)
#include "tst_photo.moc"
