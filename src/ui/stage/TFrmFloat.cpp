#include "ui/stage/TFrmFloat.h"

#include "core/files/FileIo.h"
#include "core/files/Paths.h"
#include "core/settings/EffectRecord.h"
#include "core/settings/Settings.h"
#include "core/text/Gbk.h"
#include "core/text/Lines.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/common/QtValues.h"
#include "ui/common/ResultExport.h"
#include "ui/effects/TAAFontDialog.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/TAAScrollText.h"
#include "ui/effects/TSkyScrollText.h"
#include "ui/effects/TStretchHandle.h"
#include "ui/effects/Tmyfontdialog.h"
#include "ui/stage/FloatDialogs.h"
#include "ui/common/LabelMenu.h"

#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QWheelEvent>

namespace tessaly {
namespace {

constexpr const char *kLabelSections[] = {"SFirstTitle", "SSecondTitle", "SresultText", "Sline", "Label_return"};
constexpr int kResultsPause = 2500;  // milliseconds the results rest at their top

}  // namespace

TFrmFloat::TFrmFloat(std::filesystem::path programDir, Services services, QSize stage, Results results,
                     QWidget *parent)
    : QWidget(parent, Qt::Window), m_programDir(std::move(programDir)), m_services(services), m_stage(stage),
      m_data(results)
{
    setObjectName(QStringLiteral("TFrmFloat"));
    setWindowTitle(QStringLiteral("中奖结果"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(stage);
    SFirstTitle = createLabel("SFirstTitle");
    SSecondTitle = createLabel("SSecondTitle");
    SresultText = createLabel("SresultText");
    Sline = createLabel("Sline");
    Label_return = createLabel("Label_return");
    Label_return->setCaption(QStringLiteral("返回"));
    Label_return->setCursor(Qt::PointingHandCursor);
    connect(Label_return, &TAALabel::clicked, this, [this] {
        if (m_adjustMode)
            toggleAdjustMode();
        else
            close();
    });
    connect(SresultText, &TAALabel::doubleClicked, this, [this] { editText(SresultText, "SresultText"); });
    connect(Sline, &TAALabel::doubleClicked, this, [this] { editText(Sline, "Sline"); });

    SScrollText = new TAAScrollText(this);
    SScrollText->setObjectName(QStringLiteral("SScrollText"));
    SScrollText->hide();
    connect(SScrollText, &TAAScrollText::mouseMoved, this, [this] { attach(SScrollText); });
    SkyScrollText1 = new TSkyScrollText(this);
    SkyScrollText1->setObjectName(QStringLiteral("SkyScrollText1"));
    SkyScrollText1->setScrollDirection(ScrollDirection::sdUp);
    SkyScrollText1->setLayout(TextLayout::Top);
    SkyScrollText1->setAutoSize(false);
    SkyScrollText1->setCellAligned(true);  // winners padded to one length line up in columns
    // The list opens at its top and rests there before it scrolls, and again before each new pass.
    SkyScrollText1->setPassPause(kResultsPause);
    SScrollText->setRepeatDelay(kResultsPause);
    SkyScrollText1->hide();
    connect(SkyScrollText1, &TSkyScrollText::mouseMoved, this, [this] { attach(SkyScrollText1); });
    for (QWidget *scroller : {static_cast<QWidget *>(SScrollText), static_cast<QWidget *>(SkyScrollText1)}) {
        scroller->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(scroller, &QWidget::customContextMenuRequested, this,
                [this, scroller](const QPoint &pos) { scrollerMenu(scroller->mapToGlobal(pos)); });
    }
    myDrag2 = new TStretchHandle(this);
    myDrag2->setObjectName(QStringLiteral("myDrag2"));
    myDrag2->hide();
    connect(myDrag2, &TStretchHandle::controlsChanged, this, [this] { m_dirty = true; });
}

TAALabel *TFrmFloat::createLabel(const char *name)
{
    TAALabel *label = newStageLabel(this, name);
    connect(label, &TAALabel::mouseMoved, this, [this, label] { attach(label); });
    connect(label, &QWidget::customContextMenuRequested, this, [this, label](const QPoint &pos) {
        m_dirty = true;
        LabelMenuContext context{m_programDir,
                                 m_services.messages,
                                 m_services.pickers,
                                 m_stage.width(),
                                 false,
                                 [this](const TAALabel *l) { return m_fonts.value(l, defaultSlotFont()); },
                                 [this](TAALabel *l, const FontSpec &spec) { applyFont(l, spec); },
                                 [this, label] {
                                     m_dirty = true;
                                     if (!m_placement.scale().identity())
                                         storeLabel(label);
                                 }};
        execLabelMenu(this, label, context, label->mapToGlobal(pos));
    });
    return label;
}

QList<TAALabel *> TFrmFloat::labels() const
{
    return {SFirstTitle, SSecondTitle, SresultText, Sline, Label_return};
}

QWidget *TFrmFloat::shownScroller() const
{
    return m_mode == 1 ? static_cast<QWidget *>(SScrollText) : static_cast<QWidget *>(SkyScrollText1);
}

bool TFrmFloat::scrolling() const
{
    return m_mode == 1 ? SScrollText->active() : SkyScrollText1->active();
}

void TFrmFloat::setScrolling(bool on)
{
    if (m_mode == 1)
        SScrollText->setActive(on);
    else
        SkyScrollText1->setActive(on);
}

QString TFrmFloat::datedText(const QString &text) const
{
    // The short date of the Chinese locale: 2026/12/8.
    const QDate today = QDate::currentDate();
    QString dated = text;
    return dated.replace(QStringLiteral("<日期>"),
                         QStringLiteral("%1/%2/%3").arg(today.year()).arg(today.month()).arg(today.day()));
}

void TFrmFloat::ComposeResultsText()
{
    auto s = openSettings(m_programDir);
    if (!s)
        return;
    // Fewer winners to a line than asked when long entries would run off the window.
    const StoredPerRow stored = resultsWindowPerRow(*s);
    if (stored.bad && notice)
        notice(toQt(perRowNotice(fromQt(QStringLiteral("结果窗口")), stored)));
    // The names in the list's font, as large as this stage allows for the size it was stored at.
    QWidget *list = shownScroller();
    const FontSpec font = m_placement.storedFont(list, m_fonts.value(list, defaultSlotFont()));
    ResultsFit fit = fitScaledResults(m_data.awards, m_data.winners, stored.perRow, m_data.showPrize, font,
                                      m_placement.scale(), m_stage.width() - 40, m_measurer);
    m_results = std::move(fit.text);
    applyFont(list, m_placement.showFont(list, font, fit.font));
}

void TFrmFloat::ShowResultsWindow()
{
    auto s = openSettings(m_programDir);
    if (s) {
        m_resultTemplate = toQt(s->readString("SresultText", "Caption"));
        m_mode = s->readString("Option", "showSScrollText", "2") == "1" ? 1 : 2;
    }
    const int interval = s ? s->readInteger("Option", "SkyScrollTextiv", 100) : 100;
    ReadConfigFloat();
    ComposeResultsText();
    const bool active = !s || s->readBool("Option", "ScrollTextActive", true);
    const bool centred = !s || s->readBool("Option", "ScrollTextcenter", true);
    if (m_mode == 1) {
        SScrollText->resize(m_results.blockWidth, SScrollText->height());
        if (centred)
            SScrollText->move(roundHalfEven((m_stage.width() - m_results.blockWidth) / 2.0), SScrollText->y());
    } else {
        if (SkyScrollText1->width() < m_results.blockWidth)
            SkyScrollText1->resize(m_results.blockWidth, SkyScrollText1->height());
        if (centred)
            SkyScrollText1->move(roundHalfEven((m_stage.width() - SkyScrollText1->width()) / 2.0), SkyScrollText1->y());
    }
    if (s && sectionNeedsArranging(s->readString("Option", "screensec"), {m_stage.width(), m_stage.height()},
                                   s->readBool("Option", kFitToScreenKey, true)))
        AutoLayoutFloat();
    keepListsInside();
    SresultText->setCaption(datedText(m_resultTemplate));
    QStringList lines;
    for (const auto &line : m_results.lines)
        lines << toQt(line);
    if (m_mode == 2) {
        SkyScrollText1->show();
        SkyScrollText1->setInterval(interval);
        SkyScrollText1->setText(lines.join(QLatin1Char('\n')));
        SkyScrollText1->setAlignment(TextAlignment::Center);
    } else {
        SScrollText->show();
        SScrollText->setLines(lines);
    }
    setScrolling(active);
}

void TFrmFloat::ReadConfigFloat()
{
    auto opened = openSettings(m_programDir);
    if (!opened)
        return;
    const IniStore &s = *opened;
    // Stored for the screen size it was arranged at, shown in proportion on this one.
    m_placement.reset(StageScale::forStored(s.readString("Option", "screensec"), {m_stage.width(), m_stage.height()},
                                            s.readBool("Option", kFitToScreenKey, true)));
    std::string bg = s.readString("Option", "SImgBG", "img\\show.jpg");
    if (!storedFileExists(m_programDir, bg))
        bg = "img\\show.jpg";
    m_background.setImage(storedFileExists(m_programDir, bg)
                              ? QImage(QString::fromStdString(resolveStoredPath(m_programDir, bg).string()))
                              : QImage());

    m_placement.place(SScrollText, readStoredRect(s, "SScrollText"));
    SScrollText->setScrollStep(m_placement.showLength(SScrollText, s.readInteger("SScrollText", "ScrollStep", 1)));
    TAAEffect effect = SScrollText->fontEffect();
    loadEffect(s, "SScrollText", kScrollerEffectPrefix, effect);
    SScrollText->setFontEffect(effect);
    applyFont(SScrollText, m_placement.showFont(SScrollText, readFontKeys(s, "SScrollText", defaultSlotFont(), "Text.Font.")));
    SScrollText->setBackColor(s.readInteger("SScrollText", "Text.BackColor", SScrollText->backColor()));

    m_placement.place(SkyScrollText1, readStoredRect(s, "SkyScrollText1"));
    SkyScrollText1->setStep(m_placement.showLength(SkyScrollText1, s.readInteger("SkyScrollText1", "Step", 1)));
    FontSpec skyFont = defaultSlotFont();
    skyFont.color = colors::clYellow;
    skyFont.size = 9;
    applyFont(SkyScrollText1, m_placement.showFont(SkyScrollText1, readFontKeys(s, "SkyScrollText1", skyFont)));
    SkyScrollText1->setTransparent(s.readBool("SkyScrollText1", "Transparent", true));

    for (TAALabel *label : labels()) {
        const std::string section = fromQt(label->objectName());
        label->setVisible(s.readBool(section, "Visible", true));
        const std::string caption = s.readString(section, "Caption");
        if (label == SresultText)
            label->setCaption(datedText(m_resultTemplate));  // placed by the text it shows today
        else if (label != Label_return || !caption.empty())
            label->setCaption(toQt(caption));
        TAAEffect e = label->fontEffect();
        loadEffect(s, section, kLabelEffectPrefix, e);
        label->setFontEffect(e);
        applyFont(label, m_placement.showFont(label, readFontKeys(s, section, defaultSlotFont())));
        label->setTransparent(s.readBool(section, "Effect.Transparent", true));
        label->setBackColor(s.readInteger(section, "Effect.BackColor", label->backColor()));
        // Placed once its caption and font have given it its size.
        const StageRect stored = readStoredRect(s, section);
        m_placement.place(label, stored, true);
        if (label == SresultText) {
            // Stored with the template or with the dated text, it keeps its left edge
            // as on the screen it was arranged for, whatever today's date makes of it.
            label->move(m_placement.scale().toStage(stored).left, label->y());
            m_placement.moved(label);
        }
    }
    m_placement.keepStackedApart({SFirstTitle, SSecondTitle, SresultText, Sline, SScrollText, SkyScrollText1, Label_return},
                                 m_stage.height());
    update();
}

void TFrmFloat::WriteConfigFloat()
{
    auto opened = openSettings(m_programDir);
    if (!opened)
        return;
    IniStore &s = *opened;
    // A layout saved on another screen keeps the size it was arranged for.
    const StageScale &scale = m_placement.scale();
    s.writeString("Option", "screensec",
                  scale.identity() ? screenKey(m_stage.width(), m_stage.height()) : scale.referenceKey());
    s.writeBool("Option", "ScrollTextActive", scrolling());
    auto storedFont = [this](const QWidget *w) { return m_placement.storedFont(w, m_fonts.value(w, defaultSlotFont())); };
    m_placement.writeStoredRect(s, "SScrollText", SScrollText);
    s.writeInteger("SScrollText", "ScrollStep", m_placement.storedLength(SScrollText, SScrollText->scrollStep()));
    writeFontKeys(s, "SScrollText", storedFont(SScrollText), "Text.Font.");
    saveEffect(s, "SScrollText", kScrollerEffectPrefix, SScrollText->fontEffect(), TexturePictureKey::WriteEmpty);
    s.writeInteger("SScrollText", "Text.BackColor", SScrollText->backColor());
    m_placement.writeStoredRect(s, "SkyScrollText1", SkyScrollText1);
    s.writeInteger("SkyScrollText1", "Step", m_placement.storedLength(SkyScrollText1, SkyScrollText1->step()));
    const FontSpec sky = storedFont(SkyScrollText1);
    s.writeInteger("SkyScrollText1", "Font.Charset", sky.charset);
    s.writeString("SkyScrollText1", "Font.Color", colorToString(sky.color));
    s.writeString("SkyScrollText1", "Font.Name", sky.name);
    s.writeInteger("SkyScrollText1", "Font.Size", sky.size);
    s.writeString("SkyScrollText1", "Font.Style", fontStyleToString(sky.style));
    for (TAALabel *label : labels()) {
        const std::string section = fromQt(label->objectName());
        m_placement.writeStoredRect(s, section, label);
        s.writeBool(section, "Visible", label->isVisibleTo(this));
        if (label != SresultText)
            s.writeString(section, "Caption", fromQt(label->caption()));
        writeFontKeys(s, section, storedFont(label));
        saveEffect(s, section, kLabelEffectPrefix, label->fontEffect(), TexturePictureKey::WriteEmpty);
    }
    Status committed = s.commit();
    if (!committed)
        m_services.messages.notify(this, QStringLiteral("提示"), toQt(committed.error().message));
    else
        m_dirty = false;
}

void TFrmFloat::AutoLayoutFloat()
{
    auto centre = [this](TAALabel *l) {
        const int width = QFontMetrics(l->font()).horizontalAdvance(l->caption());
        l->move(roundHalfEven((m_stage.width() - width) / 2.0), l->y());
    };
    // A label's own height, its shadow included, so that the next one starts below it.
    auto height = [](const TAALabel *l) { return l->height(); };
    centre(SFirstTitle);
    SFirstTitle->move(SFirstTitle->x(), 35);
    SSecondTitle->move(SSecondTitle->x(), SFirstTitle->y() + height(SFirstTitle) + 5);
    centre(SSecondTitle);
    SresultText->setCaption(m_resultTemplate);
    SresultText->move(SresultText->x(), SSecondTitle->y() + height(SSecondTitle) + 5);
    centre(SresultText);
    Sline->move(Sline->x(), SresultText->y() + height(SresultText) + 5);
    centre(Sline);
    const int top = Sline->y() + height(Sline) + 10;
    auto s = openSettings(m_programDir);
    int w = 44, h = 25;
    if (s) {
        parseInteger(s->readString("label_return", "Width", "44"), w);
        parseInteger(s->readString("label_return", "Height", "25"), h);
    }
    // Its stored size grown with the window, and never less than its own: the
    // label is drawn in a font grown with it.
    w = std::max(m_placement.scale().lengthToStage(w), Label_return->width());
    h = std::max(m_placement.scale().lengthToStage(h), Label_return->height());
    const int margin = std::max(30, m_placement.scale().lengthToStage(30));
    Label_return->move(m_stage.width() - w - margin, m_stage.height() - h - margin);
    // The list ends above the back label, inside the window.
    const int listHeight = std::max(h, std::min(m_stage.height() - 200, Label_return->y() - 10 - top));
    for (QWidget *scroller : {static_cast<QWidget *>(SScrollText), static_cast<QWidget *>(SkyScrollText1)})
        scroller->setGeometry(scroller->x(), top, scroller->width(), listHeight);
    // Arranged for this stage, the layout is stored as made for it (for its
    // 1080-line size on a larger screen, as the shipped layout is).
    const TextSize stage{m_stage.width(), m_stage.height()};
    m_placement.reset(StageScale(firstArrangementSize(stage, !s || s->readBool("Option", kFitToScreenKey, true)), stage));
    WriteConfigFloat();
}

void TFrmFloat::keepListsInside()
{
    for (QWidget *list : {static_cast<QWidget *>(SScrollText), static_cast<QWidget *>(SkyScrollText1)}) {
        QRect r = list->geometry();
        // It hangs below the titles it stood under and keeps its lower end: on a
        // stage of another shape the room between them is the list's.
        const auto stored = m_placement.placedFrom(list);
        const TAALabel *above = nullptr;
        for (const TAALabel *label : {SFirstTitle, SSecondTitle, SresultText, Sline}) {
            const auto from = m_placement.placedFrom(label);
            if (label->isVisibleTo(this) && stored && from && from->bottom() <= stored->top &&
                (!above || from->bottom() > m_placement.placedFrom(above)->bottom()))
                above = label;
        }
        if (above && !m_placement.scale().identity())
            r.setTop(above->geometry().bottom() + 1 +
                     m_placement.scale().lengthToStage(stored->top - m_placement.placedFrom(above)->bottom()));
        // Never over the titles, nor past the window's edges.
        for (const TAALabel *label : {SFirstTitle, SSecondTitle, SresultText, Sline})
            if (label->isVisibleTo(this) && label->y() < r.top() && label->geometry().bottom() >= r.top() &&
                label->x() < r.right() && r.left() < label->geometry().right())
                r.setTop(label->geometry().bottom() + 1);
        r.setLeft(std::max(0, r.left()));
        r.setRight(std::min(m_stage.width() - 1, r.right()));
        r.setBottom(std::min(m_stage.height() - 1, r.bottom()));
        if (r != list->geometry()) {
            list->setGeometry(r);
            m_placement.moved(list);
        }
    }
}

void TFrmFloat::applyFont(QWidget *element, const FontSpec &spec)
{
    m_fonts[element] = spec;
    setElementFont(element, spec);
}

void TFrmFloat::storeLabel(const TAALabel *label)
{
    auto opened = openSettings(m_programDir);
    if (!opened)
        return;
    const std::string section = fromQt(label->objectName());
    m_placement.writeStoredRect(*opened, section, label);
    writeFontKeys(*opened, section, m_placement.storedFont(label, m_fonts.value(label, defaultSlotFont())));
    if (Status committed = opened->commit(); !committed)
        m_services.messages.notify(this, QStringLiteral("提示"), toQt(committed.error().message));
}

void TFrmFloat::attach(QWidget *element)
{
    if (!m_adjustMode || myDrag2->isAttached(element))
        return;
    myDrag2->detach();
    myDrag2->attach(element);
}

void TFrmFloat::toggleAdjustMode()
{
    m_adjustMode = !m_adjustMode;
    if (m_adjustMode)
        return;
    WriteConfigFloat();
    m_dirty = false;
    myDrag2->detach();
}

void TFrmFloat::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    m_background.paint(p, size(), event->rect(), QColor(10, 10, 40));
}

void TFrmFloat::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (m_adjustMode)
            toggleAdjustMode();
        else
            close();
        return;
    }
    if (event->text() == QLatin1String("g")) {
        setScrolling(!scrolling());
        m_dirty = true;
        return;
    }
    // A list that does not scroll is read by moving it by hand.
    const int line = QFontMetrics(shownScroller()->font()).lineSpacing();
    const int page = std::max(line, shownScroller()->height() - line);
    const int far = 1 << 24;
    int by = 0;
    switch (event->key()) {
    case Qt::Key_Down:
        by = line;
        break;
    case Qt::Key_Up:
        by = -line;
        break;
    case Qt::Key_PageDown:
    case Qt::Key_Space:
        by = page;
        break;
    case Qt::Key_PageUp:
        by = -page;
        break;
    case Qt::Key_End:
        by = far;
        break;
    case Qt::Key_Home:
        by = -far;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    moveResults(by);
}

void TFrmFloat::wheelEvent(QWheelEvent *event)
{
    const int line = QFontMetrics(shownScroller()->font()).lineSpacing();
    moveResults(-event->angleDelta().y() / 120 * 3 * line);
    event->accept();
}

void TFrmFloat::moveResults(int pixels)
{
    if (pixels == 0 || scrolling())
        return;
    if (m_mode == 1)
        SScrollText->moveBy(pixels);
    else
        SkyScrollText1->moveBy(pixels);
}

void TFrmFloat::closeEvent(QCloseEvent *event)
{
    if (m_dirty)
        WriteConfigFloat();
    event->accept();
}

void TFrmFloat::contextMenuEvent(QContextMenuEvent *event)
{
    scrollerMenu(event->globalPos());
}

void TFrmFloat::centreScroller(int width)
{
    QWidget *scroller = shownScroller();
    scroller->move(roundHalfEven((m_stage.width() - width) / 2.0), scroller->y());
}

void TFrmFloat::refreshScroller()
{
    setScrolling(false);
    QStringList lines;
    for (const auto &line : m_results.lines)
        lines << toQt(line);
    shownScroller()->resize(m_results.blockWidth, shownScroller()->height());
    if (m_mode == 2) {
        SkyScrollText1->setText(lines.join(QLatin1Char('\n')));
        SkyScrollText1->setAlignment(TextAlignment::Center);
    } else {
        SScrollText->setLines(lines);
    }
    centreScroller(m_results.blockWidth);
    setScrolling(true);
}

void TFrmFloat::changeStep(int delta)
{
    setScrolling(true);
    if (m_mode == 1) {
        const int step = SScrollText->scrollStep() + delta;
        if (step >= 0 && step != SScrollText->scrollStep()) {
            SScrollText->setScrollStep(step);
            m_dirty = true;
        }
    } else {
        const int step = SkyScrollText1->step() + delta;
        if (step >= 0 && step != SkyScrollText1->step()) {
            SkyScrollText1->setStep(step);
            m_dirty = true;
        }
    }
}

void TFrmFloat::scrollerMenu(const QPoint &globalPos)
{
    const bool one = m_mode == 1;
    auto name = [one](const char *first, const char *second) { return QString::fromLatin1(one ? first : second); };
    QMenu menu(this);
    menu.addAction(QStringLiteral("设置字体"), this, [this] {
        QWidget *scroller = shownScroller();
        auto chosen = chooseFont(this, m_services.messages, m_services.pickers, m_fonts.value(scroller, defaultSlotFont()));
        if (!chosen)
            return;
        const FontSpec spec = *chosen;
        applyFont(scroller, spec);
        m_results.blockWidth = m_measurer.measure(spec, m_results.sample).width;
        scroller->resize(m_results.blockWidth, scroller->height());
        centreScroller(m_results.blockWidth);
        m_dirty = true;
    })->setObjectName(name("N1", "Np41"));
    if (one) {
        menu.addAction(QStringLiteral("字体特效"), this, [this] {
            TAAEffect effect = SScrollText->fontEffect();
            TAAFontDialog dialog(m_services.pickers, this);
            if (dialog.execute(effect)) {
                SScrollText->setFontEffect(effect);
                m_dirty = true;
            }
        })->setObjectName(QStringLiteral("N2"));
        menu.addAction(QStringLiteral("修改底色"), this, [this] {
            if (auto c = m_services.pickers.pickColor(this, toQColor(SScrollText->backColor()))) {
                SScrollText->setBackColor(toTColor(*c));
                m_dirty = true;
            }
        })->setObjectName(QStringLiteral("N3"));
    }
    QAction *scroll = menu.addAction(QStringLiteral("滚动显示  G"));
    scroll->setObjectName(name("N4", "Np44"));
    scroll->setCheckable(true);
    scroll->setChecked(scrolling());
    connect(scroll, &QAction::triggered, this, [this](bool on) {
        setScrolling(on);
        m_dirty = true;
    });
    menu.addAction(QStringLiteral("加快滚动"), this, [this] { changeStep(1); })->setObjectName(name("N6", "Np46"));
    menu.addAction(QStringLiteral("减慢滚动"), this, [this] { changeStep(-1); })->setObjectName(name("N7", "Np47"));
    QAction *autoCentre = menu.addAction(QStringLiteral("整体自动居中"));
    autoCentre->setObjectName(name("N12", "Np48"));
    autoCentre->setCheckable(true);
    {
        auto s = openSettings(m_programDir);
        autoCentre->setChecked(!s || s->readBool("Option", "ScrollTextcenter", true));
    }
    connect(autoCentre, &QAction::triggered, this, [this](bool on) {
        auto s = openSettings(m_programDir);
        if (s) {
            s->writeBool("Option", "ScrollTextcenter", on);
            if (Status c = s->commit(); !c)
                m_services.messages.notify(this, QStringLiteral("提示"), toQt(c.error().message));
        }
        if (on)
            centreScroller(m_mode == 1 ? m_results.blockWidth : SkyScrollText1->width());
        m_dirty = true;
    });
    menu.addAction(QStringLiteral("整体居中对齐"), this, [this] {
        centreScroller(shownScroller()->width());
        m_dirty = true;
    })->setObjectName(name("N11", "Np49"));
    menu.addAction(QStringLiteral("每行显示个数"), this, [this] {
        TForm_floatshowgs dialog(m_programDir, m_services.messages, this);
        if (dialog.exec() == QDialog::Accepted) {
            ComposeResultsText();
            refreshScroller();
            m_dirty = true;
        }
    })->setObjectName(name("N9", "Np410"));
    QAction *adjust = menu.addAction(QStringLiteral("调整界面位置"), this, &TFrmFloat::toggleAdjustMode);
    adjust->setObjectName(name("N15", "Np412"));
    adjust->setCheckable(true);
    adjust->setChecked(m_adjustMode);
    menu.addAction(QStringLiteral("更换背景图片..."), this, &TFrmFloat::chooseBackground)
        ->setObjectName(name("N16", "Np413"));
    menu.addAction(QStringLiteral("导出抽取结果..."), this, &TFrmFloat::exportResults)
        ->setObjectName(name("N17", "Np414"));
    menu.addAction(QStringLiteral("返回主界面"), this, &QWidget::close)->setObjectName(name("N18", "Np415"));
    menu.exec(globalPos);
}

void TFrmFloat::chooseBackground()
{
    const QString file = m_services.pickers.pickOpenFile(this, QStringLiteral("选择背景图片"),
                                                         QStringLiteral("图片文件 (*.jpg *.jpeg *.png *.bmp)"));
    if (file.isEmpty())
        return;
    auto imported = importIntoProgramFolder(m_programDir, file.toStdString(), "img");
    if (!imported) {
        m_services.messages.notify(this, QStringLiteral("提示"), toQt(imported.error().message));
        return;
    }
    auto s = openSettings(m_programDir);
    if (!s)
        return;
    s->writeString("Option", "SImgBG", *imported);
    if (Status c = s->commit(); !c) {
        m_services.messages.notify(this, QStringLiteral("提示"), toQt(c.error().message));
        return;
    }
    const QString target = QString::fromStdString(resolveStoredPath(m_programDir, *imported).string());
    m_background.setImage(QImage(target));
    update();
}

void TFrmFloat::exportResults()
{
    exportResultText(this, m_services.pickers, m_services.messages, m_programDir, QStringLiteral("导出抽取结果"),
                     joinLines(m_results.lines));
}

void TFrmFloat::editText(TAALabel *label, const char *section)
{
    TForm_settxt dialog(m_programDir, section, m_services.messages, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (label == SresultText) {
        m_resultTemplate = dialog.text();
        label->setCaption(datedText(m_resultTemplate));
    } else {
        label->setCaption(dialog.text());
    }
}

}  // namespace tessaly
