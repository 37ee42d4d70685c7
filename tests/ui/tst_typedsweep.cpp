// Every typed field of the dialogs that size the show, given the values an
// operator mistypes: after OK the value is either refused with a message that
// names the field, or stored; then every window that reads it opens and one
// batch is drawn, and nothing crashes or eats memory.
#include "support/StageFixture.h"
#include "ui/special/TForm_lockscreen.h"
#include "ui/special/TForm_mm.h"
#include "ui/special/TForm_setmm.h"
#include "ui/stage/FloatDialogs.h"
#include "ui/stage/TForm_changpo.h"
#include "ui/stage/TFrmFloat.h"
#include "ui/winners/TForm_float2.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <fstream>

using namespace tessaly;
using test::onDialog;

namespace {

// Resident memory of this process in MiB.
long residentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib / 1024;
        }
    return 0;
}

struct Drawn : test::StageFixture {
    Drawn() : StageFixture("Lucks=3\r\n[Grade]\r\n0=一等奖|2|1|2|电视|\r\n1=二等奖|7|1|7|手机|\r\n2=三等奖|3|1|3|耳机|\r\n") {}
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
    QString label;  // the words a refusal names the field by
    std::function<void(Drawn &, const Fill &)> open;
    const char *also = nullptr;  // a second field given the same value (a confirmation)
};

// A dialog made here, shown without blocking.
template <typename Dialog, typename... Args>
void openHere(const Fill &fill, Args &&...args)
{
    Dialog dialog(std::forward<Args>(args)...);
    dialog.show();
    fill(&dialog);
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
        Drawn d;
        d.batch();
        bool refused = false;
        t.open(d, [&](QWidget *dialog) {
            // The other fields hold a usable value, so a refusal is about this one.
            if (!t.also)
                for (QLineEdit *other : dialog->findChildren<QLineEdit *>())
                    if (other->text().trimmed().isEmpty())
                        other->setText(QStringLiteral("2"));
            for (const char *name : {t.field, t.also}) {
                if (!name)
                    continue;
                auto *edit = dialog->findChild<QLineEdit *>(QString::fromLatin1(name));
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
            d.s.messages.shown.clear();
            dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
            refused = dialog->isVisible();
            if (refused) {
                QVERIFY(!d.s.messages.shown.isEmpty());
                QVERIFY2(d.s.messages.shown.last().text.contains(t.label),
                         qPrintable(d.s.messages.shown.last().text));
            }
        });
        // Every window that reads the value, and one more batch.
        d.window->NC1Click();
        for (bool photos : {false, true}) {
            auto w = d.winnersWindow(photos);
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(w.get(), Qt::Key_Return);
        }
        if (QString::fromLatin1(t.dialog) == QLatin1String("lock password")) {
            // A stored password is one the operator can type back.
            TForm_lockscreen lock(d.dir, d.s.messages);
            QVERIFY(lock.passwordKnown());
        }
        d.batch();
        QVERIFY2(residentMiB() < 600, qPrintable(QString::number(residentMiB())));
    }
};

QTEST_MAIN(TestTypedSweep)
#include "tst_typedsweep.moc"
