// The effect dialog and the font dialog: every field goes in and comes back,
// each widget edits its own field within its range, and the font dialog maps
// style names and refuses a size that is no whole number.
#include "support/ScriptedMessages.h"
#include "support/ScriptedPickers.h"
#include "ui/common/AppSetup.h"
#include "ui/common/QtValues.h"
#include "ui/effects/TAAFontDialog.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/Tmyfontdialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>
#include <functional>

using namespace tessaly;
using test::ScriptedMessages;
using test::ScriptedPickers;

namespace {

TAAEffect everyFieldSet()
{
    TAAEffect e;
    e.Alpha = 55;
    e.Angle = -45;
    e.Blur = 12;
    e.Gradual = {true, colors::clYellow, static_cast<TColor>(0x0000A5FF), GradientStyle::gsCenterToTB};
    e.HorzMirror = true;
    e.VertMirror = true;
    e.Noise = 200;
    e.Outline = true;
    e.Shadow = {true, 30, 90, colors::clBtnFace, -20, 20};
    e.Spray = 7;
    e.Texture = {true, TextureMode::tmCenter, "img\\wood.jpg"};
    return e;
}

template <typename T>
T *child(QWidget &dialog, const char *name)
{
    T *w = dialog.findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

// Runs `whileOpen` once the modal dialog is up; a check that fails inside it
// leaves the dialog open, so it is then closed rather than left blocking.
void whenShown(QDialog &dialog, std::function<void()> whileOpen)
{
    QTimer::singleShot(0, &dialog, [&dialog, whileOpen = std::move(whileOpen)] {
        whileOpen();
        if (dialog.isVisible())
            dialog.reject();
    });
}

void clickItem(QListWidget *list, const QString &text)
{
    QListWidgetItem *item = list->findItems(text, Qt::MatchExactly).value(0);
    QVERIFY(item);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

QString current(QListWidget *list)
{
    return list->currentItem() ? list->currentItem()->text() : QString();
}

}  // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }

    void theEffectDialogShowsAndReturnsEveryField()
    {
        ScriptedPickers pickers;
        TAAFontDialog dialog(pickers);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("平滑特效字体"));
        QStringList titles;
        for (const char *group : {"shadowGroup", "gradientGroup", "textureGroup", "otherGroup"})
            titles << child<QGroupBox>(dialog, group)->title();
        QCOMPARE(titles, QStringList({QStringLiteral("阴影(&S)"), QStringLiteral("渐变(&G)"),
                                      QStringLiteral("字体纹理(&T)"), QStringLiteral("其它效果(&O)")}));
        for (const TAAEffect &record : {TAAEffect{}, everyFieldSet()}) {
            TAAEffect edited = record;
            whenShown(dialog, [&] { child<QPushButton>(dialog, "okButton")->click(); });
            QVERIFY(dialog.execute(edited));
            QCOMPARE(edited, record);
            QCOMPARE(dialog.preview()->fontEffect(), record);
        }
    }

    void cancelLeavesTheRecordAlone()
    {
        ScriptedPickers pickers;
        TAAFontDialog dialog(pickers);
        TAAEffect record = everyFieldSet();
        whenShown(dialog, [&] {
            child<QSpinBox>(dialog, "alpha")->setValue(3);
            child<QCheckBox>(dialog, "outline")->click();
            child<QPushButton>(dialog, "cancelButton")->click();
        });
        QVERIFY(!dialog.execute(record));
        QCOMPARE(record, everyFieldSet());
    }

    void eachWidgetEditsItsFieldAndThePreviewFollows()
    {
        struct Case {
            const char *name;
            std::function<void(TAAFontDialog &, ScriptedPickers &)> act;
            std::function<void(TAAEffect &)> expect;
        };
        const std::vector<Case> cases{
            {"shadow on", [](auto &d, auto &) { child<QCheckBox>(d, "shadowEnabled")->click(); },
             [](TAAEffect &e) { e.Shadow.Enabled = false; }},
            {"shadow blur", [](auto &d, auto &) { child<QSpinBox>(d, "shadowBlur")->setValue(44); },
             [](TAAEffect &e) { e.Shadow.Blur = 44; }},
            {"shadow opacity", [](auto &d, auto &) { child<QSpinBox>(d, "shadowAlpha")->setValue(100); },
             [](TAAEffect &e) { e.Shadow.Alpha = 100; }},
            {"shadow x", [](auto &d, auto &) { child<QSpinBox>(d, "shadowOffsetX")->setValue(20); },
             [](TAAEffect &e) { e.Shadow.OffsetX = 20; }},
            {"shadow y", [](auto &d, auto &) { child<QSpinBox>(d, "shadowOffsetY")->setValue(-20); },
             [](TAAEffect &e) { e.Shadow.OffsetY = -20; }},
            {"shadow colour",
             [](auto &d, auto &p) {
                 p.setNextColor(Qt::red);
                 child<QToolButton>(d, "shadowColor")->click();
             },
             [](TAAEffect &e) { e.Shadow.Color = colors::clRed; }},
            {"gradient off", [](auto &d, auto &) { child<QCheckBox>(d, "gradientEnabled")->click(); },
             [](TAAEffect &e) { e.Gradual.Enabled = false; }},
            {"gradient start",
             [](auto &d, auto &p) {
                 p.setNextColor(QColor(1, 2, 3));
                 child<QToolButton>(d, "gradientStartColor")->click();
             },
             [](TAAEffect &e) { e.Gradual.StartColor = colorFromRgb(1, 2, 3); }},
            {"gradient end",
             [](auto &d, auto &p) {
                 p.setNextColor(Qt::white);
                 child<QToolButton>(d, "gradientEndColor")->click();
             },
             [](TAAEffect &e) { e.Gradual.EndColor = colors::clWhite; }},
            {"gradient direction", [](auto &d, auto &) { child<QRadioButton>(d, "gradientRightToLeft")->click(); },
             [](TAAEffect &e) { e.Gradual.Style = GradientStyle::gsRightToLeft; }},
            {"gradient from the middle", [](auto &d, auto &) { child<QRadioButton>(d, "gradientCenterToLR")->click(); },
             [](TAAEffect &e) { e.Gradual.Style = GradientStyle::gsCenterToLR; }},
            {"texture off", [](auto &d, auto &) { child<QCheckBox>(d, "textureEnabled")->click(); },
             [](TAAEffect &e) { e.Texture.Enabled = false; }},
            {"texture mode", [](auto &d, auto &) { child<QRadioButton>(d, "textureStretched")->click(); },
             [](TAAEffect &e) { e.Texture.Mode = TextureMode::tmStretched; }},
            {"texture cleared", [](auto &d, auto &) { child<QPushButton>(d, "textureClear")->click(); },
             [](TAAEffect &e) { e.Texture.Picture.clear(); }},
            {"texture chosen",
             [](auto &d, auto &p) {
                 child<QCheckBox>(d, "textureEnabled")->click();
                 p.setNextFile(QStringLiteral("/pictures/gold.png"));
                 child<QPushButton>(d, "textureChoose")->click();
             },
             [](TAAEffect &e) { e.Texture.Picture = "/pictures/gold.png"; }},
            {"blur", [](auto &d, auto &) { child<QSpinBox>(d, "blur")->setValue(100); },
             [](TAAEffect &e) { e.Blur = 100; }},
            {"opacity", [](auto &d, auto &) { child<QSpinBox>(d, "alpha")->setValue(0); },
             [](TAAEffect &e) { e.Alpha = 0; }},
            {"noise", [](auto &d, auto &) { child<QSpinBox>(d, "noise")->setValue(255); },
             [](TAAEffect &e) { e.Noise = 255; }},
            {"spray", [](auto &d, auto &) { child<QSpinBox>(d, "spray")->setValue(1); },
             [](TAAEffect &e) { e.Spray = 1; }},
            {"angle", [](auto &d, auto &) { child<QSpinBox>(d, "angle")->setValue(360); },
             [](TAAEffect &e) { e.Angle = 360; }},
            {"outline", [](auto &d, auto &) { child<QCheckBox>(d, "outline")->click(); },
             [](TAAEffect &e) { e.Outline = false; }},
            {"horizontal mirror", [](auto &d, auto &) { child<QCheckBox>(d, "horzMirror")->click(); },
             [](TAAEffect &e) { e.HorzMirror = false; }},
            {"vertical mirror", [](auto &d, auto &) { child<QCheckBox>(d, "vertMirror")->click(); },
             [](TAAEffect &e) { e.VertMirror = false; }},
        };
        for (const Case &c : cases) {
            ScriptedPickers pickers;
            TAAFontDialog dialog(pickers);
            dialog.setEffect(everyFieldSet());
            c.act(dialog, pickers);
            TAAEffect expected = everyFieldSet();
            c.expect(expected);
            QVERIFY2(dialog.effect() == expected, c.name);
            QVERIFY2(dialog.preview()->fontEffect() == expected, c.name);
        }
    }

    void theNumberFieldsOfferOnlyTheirRanges_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::newRow("shadowBlur") << "shadowBlur" << 0 << 100;
        QTest::newRow("shadowAlpha") << "shadowAlpha" << 0 << 100;
        QTest::newRow("shadowOffsetX") << "shadowOffsetX" << -20 << 20;
        QTest::newRow("shadowOffsetY") << "shadowOffsetY" << -20 << 20;
        QTest::newRow("blur") << "blur" << 0 << 100;
        QTest::newRow("alpha") << "alpha" << 0 << 100;
        QTest::newRow("noise") << "noise" << 0 << 255;
        QTest::newRow("spray") << "spray" << 0 << 100;
        QTest::newRow("angle") << "angle" << -360 << 360;
    }

    void theNumberFieldsOfferOnlyTheirRanges()
    {
        QFETCH(QString, field);
        QFETCH(int, low);
        QFETCH(int, high);
        ScriptedPickers pickers;
        TAAFontDialog dialog(pickers);
        auto *spin = child<QSpinBox>(dialog, field.toLatin1().constData());
        QCOMPARE(spin->minimum(), low);
        QCOMPARE(spin->maximum(), high);
        // A stored value beyond the range comes in at the range's end.
        TAAEffect wild;
        wild.Shadow.OffsetX = 99;
        dialog.setEffect(wild);
        QCOMPARE(dialog.effect().Shadow.OffsetX, 20);
    }

    void aColourPickerOpensAtTheColourAndCancelKeepsIt()
    {
        ScriptedPickers pickers;
        TAAFontDialog dialog(pickers);
        dialog.setEffect(everyFieldSet());
        child<QToolButton>(dialog, "gradientStartColor")->click();  // cancelled
        QCOMPARE(pickers.colorStarts.value(0), QColor(Qt::yellow));
        QCOMPARE(dialog.effect(), everyFieldSet());
        // Taking the same colour back keeps a system colour as it was stored.
        pickers.setNextColor(toQColor(colors::clBtnFace));
        child<QToolButton>(dialog, "shadowColor")->click();
        QCOMPARE(dialog.effect().Shadow.Color, colors::clBtnFace);
    }

    void theFontDialogFillsItsFieldsAndListsFromTheCaller()
    {
        ScriptedMessages messages;
        ScriptedPickers pickers;
        Tmyfontdialog dialog(messages, pickers);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("字体设置"));
        QCOMPARE(child<QLabel>(dialog, "noteLabel")->text(),
                 QStringLiteral("注：若选择颜色后字体颜色未改变，请去掉字体特效里的渐变绘制"));
        QCOMPARE(child<QLabel>(dialog, "colorLabel")->text(), QStringLiteral("文字颜色："));
        QCOMPARE(child<QLabel>(dialog, "colorHint")->text(), QStringLiteral("(点击颜色块选择)"));
        QStringList sizes, styles;
        for (int i = 0; i < child<QListWidget>(dialog, "sizeList")->count(); ++i)
            sizes << child<QListWidget>(dialog, "sizeList")->item(i)->text();
        for (int i = 0; i < child<QListWidget>(dialog, "styleList")->count(); ++i)
            styles << child<QListWidget>(dialog, "styleList")->item(i)->text();
        QCOMPARE(sizes.join(QLatin1Char(' ')), QStringLiteral("8 9 10 11 12 13 14 15 16 17 18 19 20 22 24 26 28 30 36 72"));
        QCOMPARE(styles, QStringList({QStringLiteral("常规"), QStringLiteral("斜体"), QStringLiteral("粗体"),
                                      QStringLiteral("粗斜体")}));
        auto *names = child<QListWidget>(dialog, "nameList");
        QVERIFY(!names->findItems(QStringLiteral("黑体"), Qt::MatchExactly).isEmpty());
        QVERIFY(!names->findItems(QStringLiteral("WenQuanYi Micro Hei"), Qt::MatchExactly).isEmpty());

        const Tmyfontdialog::FontChoice title{QStringLiteral("黑体"), fsBold, 36, colors::clRed};
        std::optional<Tmyfontdialog::FontChoice> chosen;
        whenShown(dialog, [&] {
            QCOMPARE(child<QLineEdit>(dialog, "nameEdit")->text(), QStringLiteral("黑体"));
            QCOMPARE(current(names), QStringLiteral("黑体"));
            QCOMPARE(child<QLineEdit>(dialog, "styleEdit")->text(), QStringLiteral("粗体"));
            QCOMPARE(current(child<QListWidget>(dialog, "styleList")), QStringLiteral("粗体"));
            QCOMPARE(child<QLineEdit>(dialog, "sizeEdit")->text(), QStringLiteral("36"));
            QCOMPARE(current(child<QListWidget>(dialog, "sizeList")), QStringLiteral("36"));
            QCOMPARE(child<QLabel>(dialog, "colorSample")->palette().color(QPalette::Window), QColor(Qt::red));
            child<QPushButton>(dialog, "okButton")->click();
        });
        chosen = dialog.execute(title);
        QVERIFY(chosen.has_value());
        QCOMPARE(*chosen, title);
    }

    void styleNamesMapToStyleSetsAndAnUnnamedSetIsKept_data()
    {
        QTest::addColumn<unsigned>("styles");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("clicked");  // the style list entry clicked, or none
        QTest::addColumn<unsigned>("result");
        QTest::newRow("bold and underline keep their style") << unsigned(fsBold | fsUnderline) << QString() << QString()
                                                             << unsigned(fsBold | fsUnderline);
        QTest::newRow("strike-out alone has no name") << unsigned(fsStrikeOut) << QString() << QString()
                                                      << unsigned(fsStrikeOut);
        QTest::newRow("a chosen name replaces an unnamed set")
            << unsigned(fsBold | fsUnderline) << QString() << QStringLiteral("斜体") << unsigned(fsItalic);
        QTest::newRow("regular") << 0u << QStringLiteral("常规") << QString() << 0u;
        QTest::newRow("italic to bold italic")
            << unsigned(fsItalic) << QStringLiteral("斜体") << QStringLiteral("粗斜体") << unsigned(fsBold | fsItalic);
        QTest::newRow("bold italic to regular")
            << unsigned(fsBold | fsItalic) << QStringLiteral("粗斜体") << QStringLiteral("常规") << 0u;
    }

    void styleNamesMapToStyleSetsAndAnUnnamedSetIsKept()
    {
        QFETCH(unsigned, styles);
        QFETCH(QString, shown);
        QFETCH(QString, clicked);
        QFETCH(unsigned, result);
        ScriptedMessages messages;
        ScriptedPickers pickers;
        Tmyfontdialog dialog(messages, pickers);
        std::optional<Tmyfontdialog::FontChoice> chosen;
        whenShown(dialog, [&] {
            auto *styleList = child<QListWidget>(dialog, "styleList");
            QCOMPARE(child<QLineEdit>(dialog, "styleEdit")->text(), shown);
            QCOMPARE(current(styleList), shown);
            if (!clicked.isEmpty())
                clickItem(styleList, clicked);
            child<QPushButton>(dialog, "okButton")->click();
        });
        chosen = dialog.execute({QStringLiteral("宋体"), styles, 12, colors::clBlack});
        QVERIFY(chosen.has_value());
        QCOMPARE(chosen->styles, result);
    }

    void clickingAListEntryCopiesItIntoTheFieldAbove()
    {
        ScriptedMessages messages;
        ScriptedPickers pickers;
        Tmyfontdialog dialog(messages, pickers);
        std::optional<Tmyfontdialog::FontChoice> chosen;
        whenShown(dialog, [&] {
            clickItem(child<QListWidget>(dialog, "nameList"), QStringLiteral("宋体"));
            QCOMPARE(dialog.fontName(), QStringLiteral("宋体"));
            clickItem(child<QListWidget>(dialog, "sizeList"), QStringLiteral("72"));
            QCOMPARE(dialog.sizeText(), QStringLiteral("72"));
            // Typing a name the list holds selects it; any other size is fine too.
            QTest::keyClicks(child<QLineEdit>(dialog, "sizeEdit"), QStringLiteral("\b\b50"));
            QCOMPARE(current(child<QListWidget>(dialog, "sizeList")), QString());
            pickers.setNextColor(Qt::blue);
            QTest::mouseClick(child<QLabel>(dialog, "colorSample"), Qt::LeftButton);
            child<QPushButton>(dialog, "okButton")->click();
        });
        chosen = dialog.execute({QStringLiteral("黑体"), fsBold, 36, colors::clRed});
        QVERIFY(chosen.has_value());
        QCOMPARE(*chosen, (Tmyfontdialog::FontChoice{QStringLiteral("宋体"), fsBold, 50, colors::clBlue}));
        QCOMPARE(pickers.colorStarts.value(0), QColor(Qt::red));
    }

    void aSizeThatIsNoWholeNumberIsRefusedAndTheDialogStays()
    {
        ScriptedMessages messages;
        ScriptedPickers pickers;
        Tmyfontdialog dialog(messages, pickers);
        std::optional<Tmyfontdialog::FontChoice> chosen;
        bool stayedOpen = false;
        whenShown(dialog, [&] {
            dialog.setSizeText(QStringLiteral("12.5"));
            child<QPushButton>(dialog, "okButton")->click();
            stayedOpen = dialog.isVisible();
            dialog.setSizeText(QStringLiteral("20"));
            child<QPushButton>(dialog, "okButton")->click();
        });
        chosen = dialog.execute({QStringLiteral("黑体"), 0, 9, colors::clBlack});
        QVERIFY(stayedOpen);
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].title, QStringLiteral("提示"));
        QVERIFY(messages.shown[0].text.contains(QStringLiteral("12.5")));
        QVERIFY(chosen.has_value());
        QCOMPARE(chosen->size, 20);
    }

    void cancelGivesNothing()
    {
        ScriptedMessages messages;
        ScriptedPickers pickers;
        Tmyfontdialog dialog(messages, pickers);
        whenShown(dialog, [&] {
            dialog.setSizeText(QStringLiteral("abc"));
            child<QPushButton>(dialog, "cancelButton")->click();
        });
        QVERIFY(!dialog.execute({QStringLiteral("黑体"), 0, 9, colors::clBlack}).has_value());
        QVERIFY(messages.shown.isEmpty());
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_effects_dialogs.moc"
