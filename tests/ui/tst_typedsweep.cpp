// Every typed field of the dialogs that size the show, given the values an
// operator mistypes: after OK the value is either refused with a message that
// names the field, or stored; then every window that reads it opens and one
// batch is drawn, and nothing crashes or eats memory.
#include "support/ProcessMemory.h"
#include "support/StageFixture.h"
#include "ui/photo/PhotoStage.h"
#include "ui/special/SpecialSettings.h"
#include "ui/special/TForm_lockscreen.h"
#include "ui/special/TForm_mm.h"
#include "ui/special/TForm_setmm.h"
#include "ui/stage/FloatDialogs.h"
#include "ui/stage/TForm_changpo.h"
#include "ui/stage/TFrmFloat.h"
#include "ui/winners/TForm_float2.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

using namespace tessaly;
using test::onDialog;

namespace {

// Set when the access prompt let the special lists open.
bool g_listsOpened = false;

// Three small awards; or one award whose batch of 25 shows as the text block.
const char *const kAwards = "Lucks=3\r\n[Grade]\r\n0=一等奖|2|1|2|电视|\r\n1=二等奖|7|1|7|手机|\r\n2=三等奖|3|1|3|耳机|\r\n";
const char *const kBlockAward = "Lucks=1\r\n[Grade]\r\n0=大奖|25|2|25+25|电视|\r\n";

struct Drawn : test::StageFixture {
    explicit Drawn(const char *settings = kAwards) : StageFixture(settings, 60) {}
    // Photo mode on twenty of the shipped photos, loaded.
    void photoMode()
    {
        namespace fs = std::filesystem;
        fs::create_directories(dir / "photo");
        int n = 0;
        for (const auto &e : fs::directory_iterator(fs::path(TESSALY_DIST_DIR) / "photo"))
            if (n++ < 20)
                fs::copy_file(e.path(), dir / "photo" / e.path().filename());
        window->photos().NB7->trigger();
        window->GoButtonClick();  // 加载
    }
    std::unique_ptr<TForm_float2> winnersWindow(bool photos)
    {
        const DrawSession &session = window->session();
        const WinnerArray &display = session.AwardWinners();
        const WinnerArray &names = session.AwardWinnerNames();
        auto w = std::make_unique<TForm_float2>(
            dir, TForm_float2::Services{s.messages, s.pickers}, QSize(1024, 768),
            TForm_float2::Winners{session.awards(), WinnerLists(display.data(), 50), WinnerLists(names.data(), 50),
                                  true, session.grade().ScrollDown, photos},
            session.state().BatchAward);
        w->show();
        w->FormShow();
        return w;
    }
};

using Fill = std::function<void(QWidget *dialog)>;

// One typed field: the dialog that holds it, opened with a fill that types
// the value and presses OK while the dialog is up.
struct Target {
    const char *dialog;
    const char *field;
    QString label;  // the words a refusal names the field by; "a|b": either
    std::function<void(Drawn &, const Fill &)> open;
    const char *also = nullptr;  // a second field given the same value (a confirmation)
    const char *ok = "Button1";
    // The button keeps the dialog up (an "add" or "修改参数"): a refusal is any
    // message but the dialog's word of success.
    const char *success = nullptr;
    std::function<void(QWidget *)> prepare = {};  // before typing: the boxes that enable the field
    std::function<void(QWidget *)> typed = {};    // after typing: what makes the dialog use the value at once
    const char *within = nullptr;  // the page of the dialog that holds the field and its button
    const char *fixture = kAwards;
    bool photos = false;
};
// A dialog made here, shown without blocking.
template <typename Dialog, typename... Args>
void openHere(const Fill &fill, Args &&...args)
{
    Dialog dialog(std::forward<Args>(args)...);
    dialog.show();
    fill(&dialog);
}

// The stage's own dialogs open modally from the window; the fill runs while they are up.
std::function<void(Drawn &, const Fill &)> modal(void (TFrmMain::*command)())
{
    return [command](Drawn &d, const Fill &fill) {
        onDialog(fill);
        (d.window.get()->*command)();
    };
}

std::function<void(Drawn &, const Fill &)> special(void (SpecialSettings::*command)())
{
    return [command](Drawn &d, const Fill &fill) {
        onDialog(fill);
        (d.window->special().*command)();
    };
}

void click(QWidget *dialog, const char *button)
{
    dialog->findChild<QPushButton *>(QString::fromLatin1(button))->click();
}

// The award settings saved with a yes to the reset and to the new arrangement.
void saveAwards(Drawn &d, QWidget *setaward)
{
    d.s.messages.setNextAnswer(true);
    d.s.messages.setNextAnswer(true);
    click(setaward, "Button1");
    d.s.messages.clearAnswers();
}

const std::vector<Target> &targets()
{
    static const std::vector<Target> all = [] {
        std::vector<Target> t;
        t.push_back({"winners per row", "Edit1", QStringLiteral("每行显示个数"), [](Drawn &d, const Fill &fill) {
                         auto w = d.winnersWindow(false);
                         onDialog(fill);
                         w->choosePerRow();
                     }});
        t.push_back({"results per row", "Edit1", QStringLiteral("每行显示个数"), [](Drawn &d, const Fill &fill) {
                         openHere<TForm_floatshowgs>(fill, d.dir, d.s.messages);
                     }});
        const char *grid[][2] = {{"Edit1", "列数"},   {"Edit2", "列间距"}, {"Edit3", "上边距"},
                                 {"Edit8", "行间距"}, {"Edit4", "图片宽"}, {"Edit5", "图片高"}};
        for (const auto &g : grid)
            t.push_back({"winners photo layout", g[0], QString::fromUtf8(g[1]), [](Drawn &d, const Fill &fill) {
                             auto w = d.winnersWindow(true);
                             onDialog(fill);
                             w->arrangePhotos();
                         }});
        const char *slotFields[][2] = {{"Edit1", "列数"}, {"Edit2", "列间距"}, {"Edit3", "上边距"}, {"Edit4", "下边距"}};
        for (const auto &g : slotFields)
            t.push_back({"text slot layout", g[0], QString::fromUtf8(g[1]), [](Drawn &d, const Fill &fill) {
                             openHere<TForm_changpo>(fill, TForm_changpo::Context{d.dir, 2, {1024, 768}, {100, 40}, 100},
                                                     d.s.messages);
                         }});
        t.push_back({"lock password", "Edit2", QStringLiteral("密码"),
                     [](Drawn &d, const Fill &fill) { openHere<TForm_setmm>(fill, d.dir, d.s.messages); }, "Edit3"});

        const char *titles[][2] = {{"Edit1", "主标题"}, {"Edit2", "副标题"}, {"Edit3", "字幕区"},
                                   {"Edit4", "抽奖滚动速度"}, {"Edit5", "屏蔽"}, {"Edit6", "屏蔽"}};
        for (const auto &g : titles) {
            Target award{"award settings", g[0], QString::fromUtf8(g[1]), [](Drawn &d, const Fill &fill) {
                             onDialog([&d, fill](QWidget *setaward) {
                                 // What was typed reaches the stage: yes to the reset and the arrangement.
                                 d.s.messages.setNextAnswer(true);
                                 d.s.messages.setNextAnswer(true);
                                 fill(setaward);
                                 d.s.messages.clearAnswers();
                             });
                             d.window->openAwardSettings();
                         }};
            award.prepare = [](QWidget *dialog) {
                dialog->findChild<QCheckBox *>(QStringLiteral("CheckBox10"))->setChecked(true);
            };
            t.push_back(award);
        }
        const char *award[][2] = {{"Edit1", "奖项名称"}, {"Edit2", "中奖名额"}, {"Edit3", "批"}, {"Edit4", "奖品名称"}};
        for (const auto &g : award)
            t.push_back({"award", g[0], QString::fromUtf8(g[1]), [](Drawn &d, const Fill &fill) {
                             onDialog([&d, fill](QWidget *setaward) {
                                 setaward->findChild<QTableWidget *>(QStringLiteral("StringGrid1"))->selectRow(1);
                                 onDialog(fill);
                                 click(setaward, "Button4");
                                 saveAwards(d, setaward);
                             });
                             d.window->openAwardSettings();
                         }});
        for (const char *f : {"Edit1", "Edit2"}) {
            Target size{"prize picture size", f, QString::fromUtf8(f[4] == '1' ? "图片宽" : "图片高"),
                        modal(&TFrmMain::chooseAwardPictureSize)};
            size.prepare = [](QWidget *dialog) {
                for (QLineEdit *e : dialog->findChildren<QLineEdit *>())
                    e->setText(QStringLiteral("100"));
            };
            t.push_back(size);
        }

        const char *photo[][2] = {{"Edit1", "列数"},   {"Edit2", "列间距"}, {"Edit3", "上边距"}, {"Edit8", "行间距"},
                                  {"Edit4", "图片宽"}, {"Edit5", "图片高"}, {"Edit6", "比例|图片高"}, {"Edit7", "比例|图片宽"}};
        for (const auto &g : photo) {
            Target p{"photo layout", g[0], QString::fromUtf8(g[1]), [](Drawn &d, const Fill &fill) {
                         onDialog(fill);
                         d.window->photos().Npp1Click();
                     }};
            // The ratio turns the typed width into the height as soon as the box is ticked.
            auto ratioBox = [](QWidget *dialog, bool on) {
                auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("CheckBox1"));
                if (box->isChecked() != on)
                    box->click();
            };
            p.prepare = [ratioBox](QWidget *dialog) { ratioBox(dialog, false); };
            p.typed = [ratioBox](QWidget *dialog) { ratioBox(dialog, true); };
            p.photos = true;
            t.push_back(p);
        }
        const char *block[][2] = {{"Edit1", "每行个数"}, {"Edit2", "间隔空格"}, {"Edit3", "上边距"}};
        for (const auto &g : block) {
            Target b{"text block layout", g[0], QString::fromUtf8(g[1]), modal(&TFrmMain::openBlockArrangement)};
            b.fixture = kBlockAward;
            t.push_back(b);
        }
        t.push_back({"slot font", "sizeEdit", QStringLiteral("字号"),
                     [](Drawn &d, const Fill &fill) {
                         onDialog(fill);
                         d.window->slotFontDialog(1);
                     },
                     nullptr, "okButton"});

        const char *advanced[][2] = {{"Edit1", "准备抽取"}, {"Edit2", "抽奖前"}, {"Edit3", "抽奖后"},
                                     {"Edit4", "补奖前"},   {"Edit5", "补奖后"}, {"Edit6", "LOGO"}};
        for (const auto &g : advanced)
            t.push_back({"advanced settings", g[0], QString::fromUtf8(g[1]), [](Drawn &d, const Fill &fill) {
                             onDialog(fill);
                             d.window->special().openAdvanced(d.window.get());
                         }});
        Target announcement{"announcement", "Edit7", QStringLiteral("内容"), [](Drawn &d, const Fill &fill) {
                                onDialog([&d, fill](QWidget *adv) {
                                    fill(adv);
                                    click(adv, "Button1");
                                });
                                d.window->special().openAdvanced(d.window.get());
                            }};
        announcement.ok = "Button3";
        announcement.success = "";
        announcement.prepare = [](QWidget *dialog) {
            dialog->findChild<QListWidget *>(QStringLiteral("ListBox1"))->setCurrentRow(0);
        };
        t.push_back(announcement);

        Target code{"access code", "Edit1", QStringLiteral("密码"), special(&SpecialSettings::openSpecialLists)};
        code.ok = "Button4";
        code.within = "TabSheet3";
        code.success = "修改参数成功";
        t.push_back(code);
        Target entry{"predetermined list", "Edit1", QStringLiteral("内定人员"),
                     special(&SpecialSettings::openSpecialLists)};
        entry.success = "";
        entry.within = "predetermined";
        t.push_back(entry);
        t.push_back({"results music", "ComboBox4", QStringLiteral("音乐"), modal(&TFrmMain::openSoundSettings)});

        // A grouping range is added for the first award, then saved (yes to
        // returning the winners to the pool), so the next batch draws from it.
        for (const char *f : {"Edit1", "Edit2"}) {
            Target range{"grouping", f, QStringLiteral("起始行|终止行"), [](Drawn &d, const Fill &fill) {
                             onDialog([&d, fill](QWidget *setfz) {
                                 fill(setfz);
                                 d.s.messages.setNextAnswer(true);
                                 click(setfz, "Button1");
                                 d.s.messages.clearAnswers();
                             });
                             d.window->special().openGrouping();
                         }};
            range.ok = "Button3";
            range.success = "";
            range.prepare = [](QWidget *dialog) {
                dialog->findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setCurrentIndex(0);
                dialog->findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->setChecked(true);
            };
            t.push_back(range);
        }
        // The right code opens the special lists from inside the prompt's OK:
        // they are closed as soon as they are up.
        Target prompt{"access prompt", "Edit1", QStringLiteral("密码"),
                      special(&SpecialSettings::openAccessPrompt)};
        prompt.typed = [](QWidget *) {
            g_listsOpened = false;
            QTimer::singleShot(0, [] {
                auto *lists = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                if (lists && lists->objectName() == QLatin1String("TForm_ndkmdset")) {
                    g_listsOpened = true;
                    lists->reject();
                }
            });
        };
        t.push_back(prompt);
        return t;
    }();
    return all;
}

const QStringList &typedValues()
{
    static const QStringList values = {QString(),
                                       QStringLiteral("0"),
                                       QStringLiteral("-1"),
                                       QStringLiteral("1"),
                                       QStringLiteral("2147483647"),
                                       QStringLiteral("99999999999"),
                                       QString(300, QChar(u'长')),
                                       QStringLiteral("|"),
                                       QStringLiteral(":"),
                                       QStringLiteral("東"),
                                       QStringLiteral("\U0001F600")};  // no GBK for it
    return values;
}

}  // namespace

class TestTypedSweep : public QObject {
    Q_OBJECT
private slots:
    void everyTypedValueIsRefusedByNameOrShownSafely_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("value");
        for (size_t i = 0; i < targets().size(); ++i)
            for (const QString &v : typedValues())
                QTest::addRow("%s %s <%s>", targets()[i].dialog, targets()[i].field, qPrintable(v.left(12)))
                    << int(i) << v;
    }
    void everyTypedValueIsRefusedByNameOrShownSafely()
    {
        QFETCH(int, target);
        QFETCH(QString, value);
        const Target &t = targets()[static_cast<size_t>(target)];
        Drawn d(t.fixture);
        // Bounded in time: a dialog left up with nobody to answer it is closed
        // and the row fails, instead of the whole sweep waiting for ever.
        bool hung = false;
        QTimer watchdog;
        connect(&watchdog, &QTimer::timeout, [&hung] {
            hung = true;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *dialog = qobject_cast<QDialog *>(w); dialog && dialog->isVisible())
                    dialog->reject();
        });
        watchdog.start(30000);
        if (t.photos)
            d.photoMode();
        d.batch();
        bool refused = false;
        t.open(d, [&](QWidget *dialog) {
            QWidget *page = t.within ? dialog->findChild<QWidget *>(QString::fromLatin1(t.within)) : dialog;
            QVERIFY2(page, t.within);
            if (t.prepare)
                t.prepare(dialog);
            // The other fields hold a usable value, so a refusal is about this one.
            if (!t.also)
                for (QLineEdit *other : page->findChildren<QLineEdit *>())
                    if (other->isEnabled() && !other->isReadOnly() && other->text().trimmed().isEmpty())
                        other->setText(QStringLiteral("2"));
            for (const char *name : {t.field, t.also}) {
                if (!name)
                    continue;
                auto *edit = page->findChild<QLineEdit *>(QString::fromLatin1(name));
                if (auto *combo = page->findChild<QComboBox *>(QString::fromLatin1(name)))
                    edit = combo->lineEdit();
                QVERIFY2(edit, name);
                edit->clear();
                // As typed: a digits-only field drops the rest. Chinese comes as the input method puts it.
                bool ascii = true;
                for (QChar c : value)
                    ascii = ascii && c.unicode() < 128;
                if (ascii)
                    QTest::keyClicks(edit, value);
                else
                    edit->insert(value);
            }
            if (t.typed)
                t.typed(dialog);
            d.s.messages.shown.clear();
            page->findChild<QPushButton *>(QString::fromLatin1(t.ok))->click();
            const auto &shown = d.s.messages.shown;
            refused = t.success ? !shown.isEmpty() && !(*t.success && shown.last().text.startsWith(QString::fromUtf8(t.success)))
                                : dialog->isVisible();
            if (refused) {
                QVERIFY(!shown.isEmpty());
                bool named = false;
                for (const QString &words : t.label.split(QLatin1Char('|')))
                    named = named || shown.last().text.contains(words);
                QVERIFY2(named, qPrintable(shown.last().text));
            }
        });
        // Every window that reads the value, and one more batch.
        d.window->NC1Click();
        for (bool photos : {false, true}) {
            auto w = d.winnersWindow(photos);
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(w.get(), Qt::Key_Return);
        }
        const QString dialogName = QString::fromLatin1(t.dialog);
        if (dialogName == QLatin1String("lock password")) {
            // A stored password is one the operator can type back.
            TForm_lockscreen lock(d.dir, d.s.messages);
            QVERIFY(lock.passwordKnown());
        }
        if (dialogName == QLatin1String("grouping") && !refused)
            QVERIFY(!d.value("Grfz", "0").empty());  // the range was added and saved for the first award
        if (dialogName == QLatin1String("access prompt"))
            QCOMPARE(g_listsOpened, !refused);
        if (dialogName == QLatin1String("access code") && !refused) {
            // A stored access code opens the special settings when typed again.
            bool opened = false;
            TForm_mm prompt(d.dir, d.s.messages, [&opened] { opened = true; });
            prompt.findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(value);
            click(&prompt, "Button1");
            QVERIFY(opened);
        }
        d.batch();
        QVERIFY2(!hung, "a dialog stayed up with nobody to answer it");
        QVERIFY2(test::processMiB() < 600, qPrintable(QString::number(test::processMiB())));
    }
};

QTEST_MAIN(TestTypedSweep)
#include "tst_typedsweep.moc"
