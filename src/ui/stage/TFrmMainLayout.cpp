// The stage's appearance: reading and writing every element's section,
// the automatic main layout, centring, and the rolling slot layouts.
#include "ui/stage/TFrmMain.h"

#include "core/draw/DrawSession.h"
#include "core/files/Paths.h"
#include "core/settings/EffectRecord.h"
#include "core/settings/Settings.h"
#include "core/stage/StageFit.h"
#include "core/text/Gbk.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/QtValues.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/TSkyScrollText.h"
#include "ui/effects/TextWrap.h"
#include "ui/common/StageWidgets.h"

#include <QApplication>
#include <QFontMetrics>
#include <QScreen>
#include <QFrame>

namespace tessaly {
namespace {

QString fileOf(const std::filesystem::path &programDir, const std::string &stored)
{
    return QString::fromStdString(resolveStoredPath(programDir, stored).string());
}

// A dimension that the automatic layout reads as text with a default.
int storedSize(const IniStore &s, const char *section, const char *key, const char *def)
{
    int v = 0;
    return parseInteger(s.readString(section, key, def), v) ? v : std::atoi(def);
}

}  // namespace

void TFrmMain::report(const tessaly::Status &status)
{
    if (!status)
        m_services.messages.notify(this, QStringLiteral("提示"), toQt(status.error().message));
}

bool TFrmMain::commitSettings(IniStore &store)
{
    tessaly::Status committed = store.commit();
    report(committed);
    return committed.ok();
}

void TFrmMain::applyFont(QWidget *widget, const FontSpec &spec)
{
    m_fonts[widget] = spec;
    widget->setFont(toQFont(spec));
    if (auto *label = qobject_cast<TAALabel *>(widget))
        label->setFontColor(spec.color);
    else if (auto *button = qobject_cast<TRzButton *>(widget))
        button->setFontColor(spec.color);
    else if (auto *slot = qobject_cast<SlotLabel *>(widget))
        slot->setFontColor(spec.color);
    else if (auto *marquee = qobject_cast<TSkyScrollText *>(widget))
        marquee->setFontColor(spec.color);
}

FontSpec TFrmMain::fontOf(const QWidget *widget) const
{
    return m_fonts.value(widget, defaultSlotFont());
}

void TFrmMain::loadBackground()
{
    auto settings = openSettings(m_programDir);
    if (!settings)
        return;
    const std::string stored = settings->readString("Option", "MainImgBG", "img\\0.jpg");
    QImage picture;
    if (storedFileExists(m_programDir, stored))
        picture = QImage(fileOf(m_programDir, stored));
    if (picture.isNull() && storedFileExists(m_programDir, "img\\0.jpg"))
        picture = QImage(fileOf(m_programDir, "img\\0.jpg"));
    if (picture.isNull())
        return;  // the picture is left as it was
    m_background.setImage(picture);
    update();
}

void TFrmMain::ReadConfig()
{
    if (LayoutDirty)
        WriteConfig();
    auto opened = openSettings(m_programDir);
    if (!opened) {
        report(opened.error());
        return;
    }
    const IniStore &s = *opened;
    m_windowMode = s.readBool("Option", "runfrom", false);
    loadBackground();
    const std::string logo = s.readString("Option", "logoImgBG");
    if (!logo.empty() && storedFileExists(m_programDir, logo) && Image_logo->loadPicture(fileOf(m_programDir, logo))) {
        Image_logo->show();
    } else {
        Image_logo->clearPicture();
        Image_logo->hide();
    }

    for (TRzButton *b : {GoButton, StopButton}) {
        const std::string section = fromQt(b->objectName());
        b->setGeometry(s.readInteger(section, "Left", 0), s.readInteger(section, "Top", 0),
                       s.readInteger(section, "Width", 0), s.readInteger(section, "Height", 0));
        b->setVisible(s.readBool(section, "Visible", true));
        b->setColor(colorFromString(s.readString(section, "Color")).value_or(b->color()));
        b->setHotTrackColor(colorFromString(s.readString(section, "HotTrackColor")).value_or(b->hotTrackColor()));
        applyFont(b, readFontKeys(s, section, fontOf(b)));
    }

    TSkyScrollText *m = RzMarqueeStatus1;
    m->setGeometry(s.readInteger("RzMarqueeStatus1", "Left", 0), s.readInteger("RzMarqueeStatus1", "Top", 0),
                   s.readInteger("RzMarqueeStatus1", "Width", 0), s.readInteger("RzMarqueeStatus1", "Height", 0));
    m->setVisible(s.readBool("RzMarqueeStatus1", "Visible", true));
    m->setText(toQt(s.readString("RzMarqueeStatus1", "text")));
    m->setDoubleBuffered(s.readBool("RzMarqueeStatus1", "DoubleBuffered", false));
    applyFont(m, readFontKeys(s, "RzMarqueeStatus1", fontOf(m)));
    m->setTransparent(s.readBool("RzMarqueeStatus1", "Transparent", false));
    m->setColor(s.readInteger("RzMarqueeStatus1", "Color", 0));
    m->setStep(s.readInteger("RzMarqueeStatus1", "step", 10));
    m->setActive(s.readBool("RzMarqueeStatus1", "Active", m->active()));

    Image_Award->setVisible(s.readBool("Image_Award", "Visible", true));
    for (QWidget *w : std::initializer_list<QWidget *>{Image_Award, Image_logo}) {
        const std::string section = fromQt(w->objectName());
        w->setGeometry(s.readInteger(section, "Left", 0), s.readInteger(section, "Top", 0),
                       s.readInteger(section, "Width", 0), s.readInteger(section, "Height", 0));
    }
    ControlBar1->move(s.readInteger("ControlBar1", "Left", 0), s.readInteger("ControlBar1", "Top", 0));

    m_prizeNameLift = 0;
    for (TAALabel *label : textLabels()) {
        const std::string section = fromQt(label->objectName());
        label->move(s.readInteger(section, "Left", 0), s.readInteger(section, "Top", 0));
        if (label == FirstTitle || label == SecondTitle || label == readyLuck)
            label->setCaption(toQt(s.readString(section, "Caption")));
        if (label != readyLuck)
            label->setVisible(s.readBool(section, "Visible", true));
        TAAEffect effect = label->fontEffect();
        loadEffect(s, section, kLabelEffectPrefix, effect);
        label->setFontEffect(effect);
        applyFont(label, readFontKeys(s, section, fontOf(label)));
        label->setTransparent(s.readBool(section, "Effect.Transparent", label->transparent()));
        label->setBackColor(s.readInteger(section, "Effect.BackColor", label->backColor()));
    }
}

void TFrmMain::WriteConfig()
{
    auto opened = openSettings(m_programDir);
    if (!opened) {
        report(opened.error());
        return;
    }
    IniStore &s = *opened;
    s.writeString("Option", "screenmain", fromQt(ScreenKey()));
    s.writeInteger("Option", "Mformleft", x());
    s.writeInteger("Option", "Mformtop", y());
    auto writeGeometry = [&s](const std::string &section, const QWidget *w) {
        s.writeInteger(section, "Top", w->y());
        s.writeInteger(section, "Left", w->x());
        s.writeInteger(section, "Width", w->width());
        s.writeInteger(section, "Height", w->height());
    };
    for (TRzButton *b : {GoButton, StopButton}) {
        const std::string section = fromQt(b->objectName());
        writeGeometry(section, b);
        s.writeBool(section, "Visible", b->isVisibleTo(this));
        s.writeString(section, "Color", colorToString(b->color()));
        s.writeString(section, "HotTrackColor", colorToString(b->hotTrackColor()));
        writeFontKeys(s, section, fontOf(b));
    }
    writeGeometry("RzMarqueeStatus1", RzMarqueeStatus1);
    s.writeBool("RzMarqueeStatus1", "DoubleBuffered", RzMarqueeStatus1->doubleBuffered());
    s.writeBool("RzMarqueeStatus1", "Active", RzMarqueeStatus1->active());
    writeFontKeys(s, "RzMarqueeStatus1", fontOf(RzMarqueeStatus1));
    s.writeBool("RzMarqueeStatus1", "Transparent", RzMarqueeStatus1->transparent());
    s.writeInteger("RzMarqueeStatus1", "Color", RzMarqueeStatus1->color());
    s.writeBool("RzMarqueeStatus1", "Visible", RzMarqueeStatus1->isVisibleTo(this));
    s.writeInteger("RzMarqueeStatus1", "step", RzMarqueeStatus1->step());
    writeGeometry("Image_Award", Image_Award);
    writeGeometry("Image_logo", Image_logo);
    s.writeInteger("ControlBar1", "Top", ControlBar1->y());
    s.writeInteger("ControlBar1", "Left", ControlBar1->x());
    for (TAALabel *label : textLabels()) {
        const std::string section = fromQt(label->objectName());
        writeGeometry(section, label);
        if (label == Award && m_prizeNameLift > 0) {
            // Stored as the one-line caption it is read as.
            s.writeInteger(section, "Top", label->y() + m_prizeNameLift);
            s.writeInteger(section, "Height", label->height() - m_prizeNameLift);
        }
        if (label != readyLuck) {
            s.writeString(section, "Caption", fromQt(label->caption()));
            s.writeBool(section, "Visible", label->isVisibleTo(this));
        }
        writeFontKeys(s, section, fontOf(label));
        saveEffect(s, section, kLabelEffectPrefix, label->fontEffect(), TexturePictureKey::WriteEmpty);
        s.writeBool(section, "Effect.Transparent", label->transparent());
        s.writeInteger(section, "Effect.BackColor", label->backColor());
    }
    if (commitSettings(s))
        LayoutDirty = false;
}

void TFrmMain::WriteConfigButtons()
{
    auto opened = openSettings(m_programDir);
    if (!opened)
        return report(opened.error());
    for (TRzButton *b : {GoButton, StopButton}) {
        const std::string section = fromQt(b->objectName());
        opened->writeInteger(section, "Top", b->y());
        opened->writeInteger(section, "Left", b->x());
        opened->writeInteger(section, "Width", b->width());
        opened->writeInteger(section, "Height", b->height());
        opened->writeBool(section, "Visible", b->isVisibleTo(this));
        opened->writeString(section, "Color", colorToString(b->color()));
        opened->writeString(section, "HotTrackColor", colorToString(b->hotTrackColor()));
        writeFontKeys(*opened, section, fontOf(b));
    }
    commitSettings(*opened);
}

void TFrmMain::WriteConfigMarquee()
{
    auto opened = openSettings(m_programDir);
    if (!opened)
        return report(opened.error());
    IniStore &s = *opened;
    const TSkyScrollText *m = RzMarqueeStatus1;
    s.writeInteger("RzMarqueeStatus1", "Top", m->y());
    s.writeInteger("RzMarqueeStatus1", "Left", m->x());
    s.writeInteger("RzMarqueeStatus1", "Width", m->width());
    s.writeInteger("RzMarqueeStatus1", "Height", m->height());
    s.writeBool("RzMarqueeStatus1", "DoubleBuffered", m->doubleBuffered());
    s.writeBool("RzMarqueeStatus1", "Active", m->active());
    writeFontKeys(s, "RzMarqueeStatus1", fontOf(m));
    s.writeBool("RzMarqueeStatus1", "Transparent", m->transparent());
    s.writeInteger("RzMarqueeStatus1", "Color", m->color());
    s.writeBool("RzMarqueeStatus1", "Visible", m->isVisibleTo(this));
    s.writeInteger("RzMarqueeStatus1", "step", m->step());
    commitSettings(s);
}

void TFrmMain::CentreOnStage(TAALabel *label)
{
    const int width = QFontMetrics(label->font()).horizontalAdvance(label->caption());
    label->move(roundHalfEven((StageWidth() - width) / 2.0), label->y());
}

namespace {

StageRect rectOf(const QWidget *w)
{
    return {w->x(), w->y(), w->width(), w->height()};
}

// Captions below this size are not shrunk further; they move instead.
constexpr int kSmallestCaptionSize = 12;

}  // namespace

void TFrmMain::placeCaption(TAALabel *label, bool centre)
{
    // Every caption starts from its stored font on one line: a shorter text may fit at full size again.
    const FontSpec stored = fontOf(label);
    if (label == Award) {
        label->move(label->x(), label->y() + m_prizeNameLift);
        m_prizeNameLift = 0;
    }
    label->setWrapWidth(0);
    label->setFont(toQFont(stored));
    const int W = StageWidth();
    const std::string caption = fromQt(label->caption());
    const int overhead = label->width() - m_measurer.measure(stored, caption).width;  // effects and border
    if (!centre) {
        // Kept where the operator put it, but never past the right edge: a prize name is broken
        // into lines, another caption shrinks; only what still cannot fit moves left.
        const int room = W - 10 - label->x();
        if (label->width() > room && !caption.empty()) {
            if (label == Award) {
                wrapPrizeName(room - overhead);
            } else {
                const int size = sizeToFitWidth(stored, caption, room - overhead, kSmallestCaptionSize, m_measurer);
                label->setFont(toQFont(withSize(stored, size)));
            }
        }
        if (label->x() + label->width() > W - 10)
            label->move(std::max(10, W - 10 - label->width()), label->y());
        return;
    }
    std::vector<StageRect> obstacles;
    for (const QWidget *w : std::initializer_list<const QWidget *>{Image_Award, Image_logo, GoButton, StopButton})
        if (w->isVisibleTo(this))
            obstacles.push_back(rectOf(w));
    if (label != Award && Award->isVisibleTo(this) && !Award->caption().isEmpty() && !m_session->options().Gradecenter)
        obstacles.push_back(rectOf(Award));
    CaptionPlace place = placeCentredCaption(W, rectOf(label), obstacles);
    if (label->width() > place.room && place.room > 0) {
        if (label == Award) {
            wrapPrizeName(place.room - overhead);
        } else {
            const int size = sizeToFitWidth(stored, caption, place.room - overhead, kSmallestCaptionSize, m_measurer);
            label->setFont(toQFont(withSize(stored, size)));
        }
        place = placeCentredCaption(W, rectOf(label), obstacles);
    }
    label->move(place.left, label->y());
}

void TFrmMain::wrapPrizeName(int textRoom)
{
    // Broken into lines above where it stood, so that it keeps clear of the prize
    // picture below it; it shrinks (not below 12 points) only as far as two lines need.
    const FontSpec stored = fontOf(Award);
    const QString caption = Award->caption();
    const int oneLine = Award->height();
    for (int size = stored.size;; --size) {
        const QFont font = toQFont(withSize(stored, size));
        Award->setFont(font);
        Award->setWrapWidth(textRoom);
        if (size <= kSmallestCaptionSize || wrapLines({caption}, font, textRoom).size() <= 2)
            break;
    }
    m_prizeNameLift = std::max(0, Award->height() - oneLine);
    Award->move(Award->x(), Award->y() - m_prizeNameLift);
}

void TFrmMain::placeCaptions()
{
    const DrawOptions &o = m_session->options();
    placeCaption(Award, o.Gradecenter);
    placeCaption(Status, o.Statuscenter);
    placeCaption(boss, o.bosscenter);
    // The ready text stays where it was put unless a long prize name now runs into it.
    const StageRect ready = rectOf(readyLuck);
    for (const QWidget *w : std::initializer_list<const QWidget *>{Award, Image_Award})
        if (w->isVisibleTo(this) && ready.intersects(rectOf(w))) {
            placeCaption(readyLuck, true);
            break;
        }
}

std::vector<StageRect> TFrmMain::slotAreasOnStage() const
{
    std::vector<StageRect> elements;
    for (const TAALabel *l : {FirstTitle, SecondTitle, Status, Award, boss})
        if (l->isVisibleTo(this) && !l->caption().isEmpty())
            elements.push_back(rectOf(l));
    for (const QWidget *w : std::initializer_list<const QWidget *>{Image_Award, Image_logo, GoButton, StopButton,
                                                                   RzMarqueeStatus1})
        if (w->isVisibleTo(this))
            elements.push_back(rectOf(w));
    return slotAreaCandidates(StageWidth(), StageHeight(), elements);
}

void TFrmMain::AutoLayoutMain()
{
    auto opened = openSettings(m_programDir);
    if (!opened)
        return report(opened.error());
    const IniStore &s = *opened;
    const int W = StageWidth(), H = StageHeight();
    // A title wider than the stage takes a smaller font for good, so that it is whole on this screen.
    for (TAALabel *title : {FirstTitle, SecondTitle, readyLuck}) {
        if (title->width() <= W - 20 || title->caption().isEmpty())
            continue;
        const FontSpec font = fontOf(title);
        const int overhead = title->width() - m_measurer.measure(font, fromQt(title->caption())).width;
        applyFont(title, withSize(font, sizeToFitWidth(font, fromQt(title->caption()), W - 20 - overhead, 1,
                                                       m_measurer)));
    }
    Image_logo->move(3, 22);
    CentreOnStage(FirstTitle);
    FirstTitle->move(FirstTitle->x(), 20);
    keepTitleClearOfLogo(FirstTitle);
    // Below the whole first title, its shadow included.
    SecondTitle->move(SecondTitle->x(), FirstTitle->height() + FirstTitle->y() + 5);
    CentreOnStage(SecondTitle);
    keepTitleClearOfLogo(SecondTitle);
    readyLuck->move(readyLuck->x(), roundHalfEven(H / 2.0) - 30);
    CentreOnStage(readyLuck);
    const int marqueeHeight = storedSize(s, "RzMarqueeStatus1", "Height", "30");
    RzMarqueeStatus1->setGeometry(0, H - marqueeHeight, W, RzMarqueeStatus1->height());
    const int goWidth = storedSize(s, "GoButton", "Width", "76");
    const int stopWidth = storedSize(s, "StopButton", "Width", "76");
    const int buttonsTop = H - marqueeHeight - storedSize(s, "GoButton", "Height", "33") - 10;
    // The pair stays clear of the prize picture in the corner on a narrow stage.
    const int pictureTop = H - marqueeHeight - storedSize(s, "Image_Award", "Height", "60") - 10;
    const int pictureLeft = W - storedSize(s, "Image_Award", "Width", "80") - 10;
    const bool pictureBeside = Image_Award->isVisibleTo(this) && pictureTop < buttonsTop + GoButton->height();
    const auto [goLeft, stopLeft] = placeButtonPair(W, goWidth, stopWidth, 200, pictureBeside ? pictureLeft - 10 : W);
    GoButton->move(goLeft, buttonsTop);
    StopButton->move(stopLeft, GoButton->y());
    CentreOnStage(Status);
    Status->move(Status->x(), GoButton->y() - storedSize(s, "Status", "Height", "33") - 10);
    CentreOnStage(boss);
    boss->move(boss->x(), Status->y() - storedSize(s, "boss", "Height", "33") - 10);
    Image_Award->move(W - storedSize(s, "Image_Award", "Width", "80") - 10,
                      RzMarqueeStatus1->y() - storedSize(s, "Image_Award", "Height", "60") - 10);
    m_prizeNameLift = 0;
    Award->move(Image_Award->x(), Image_Award->y() - storedSize(s, "Award", "Height", "23") - 10);
    placeCaption(readyLuck, true);
    placeCaptions();
    WriteConfig();
}

void TFrmMain::keepTitleClearOfLogo(TAALabel *title)
{
    // A title that runs into the logo in the corner is centred in the stretch beside
    // it, and takes a smaller font for good when that stretch is too narrow.
    if (!Image_logo->isVisibleTo(this) || title->caption().isEmpty())
        return;
    const std::vector<StageRect> logo{rectOf(Image_logo)};
    CaptionPlace place = placeCentredCaption(StageWidth(), rectOf(title), logo);
    if (title->width() > place.room && place.room > 0) {
        const FontSpec font = fontOf(title);
        const std::string caption = fromQt(title->caption());
        const int overhead = title->width() - m_measurer.measure(font, caption).width;
        applyFont(title, withSize(font, sizeToFitWidth(font, caption, place.room - overhead, 1, m_measurer)));
        place = placeCentredCaption(StageWidth(), rectOf(title), logo);
    }
    title->move(place.left, title->y());
}

bool TFrmMain::keepOnScreen()
{
    const QScreen *shownOn = screen();
    if (!shownOn)
        return false;
    const QRect available = shownOn->availableGeometry();
    const QRect frame = frameGeometry(), client = geometry();
    FrameMargins margins{client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                         frame.bottom() - client.bottom()};
    if (margins.left == 0 && margins.top == 0 && margins.right == 0 && margins.bottom == 0)
        margins = {8, 31, 8, 8};  // the window manager has not framed the window yet: a usual frame
    const StageRect fitted = fitWindowOnScreen({available.x(), available.y(), available.width(), available.height()},
                                               {client.x(), client.y(), client.width(), client.height()}, margins);
    const QRect wanted(fitted.left, fitted.top, fitted.width, fitted.height);
    if (wanted == client)
        return false;
    setGeometry(wanted);
    return true;
}

void TFrmMain::windowResized()
{
    if (!m_windowMode)
        return;
    // Once the window manager has framed the window its frame is known: a window
    // shown before that could stand past the screen's edge with the status line and
    // the buttons out of sight. Brought back, it is laid out when that resize settles.
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) && keepOnScreen())
        return;
    // The client size, not the frame: a window stored by its frame grows by it at every
    // start. A maximised window keeps its normal size for the next start.
    if (!(windowState() & Qt::WindowMaximized)) {
        if (auto settings = openSettings(m_programDir)) {
            settings->writeInteger("Option", "fromheight", height());
            settings->writeInteger("Option", "fromwidth", width());
            report(settings->commit());
        }
    }
    if (!m_shown)
        return;
    auto settings = openSettings(m_programDir);
    if (settings && settings->readString("Option", "screenmain") == fromQt(ScreenKey()))
        return;
    AutoLayoutMain();
    // The slots on the stage are arranged for the new size as they are loaded again.
    const int n = m_slotsOnStage;
    if (n > kMaxSlots)
        ReadConfiglabel20(n, true);
    else if (n > 0)
        ReadConfiglabel(n, true);
}

// Slot layouts ---------------------------------------------------------------

void TFrmMain::ReadConfiglabel(int n, bool keepCaptions)
{
    auto opened = openSettings(m_programDir);
    if (!opened)
        return report(opened.error());
    if (opened->readString(gridSectionAll(n), "screen") != fromQt(ScreenKey())) {
        ArrangeSlots(n);
        opened = openSettings(m_programDir);
        if (!opened)
            return report(opened.error());
    }
    m_slotLayout = readSlotGridLayout(*opened, n);
    m_slotsOnStage = n;
    Label21->hide();
    for (int k = 1; k <= kMaxSlots; ++k) {
        SlotLabel *slot = Labels[static_cast<size_t>(k - 1)];
        const SlotPosition p = m_slotLayout.positions[static_cast<size_t>(k - 1)];
        slot->setGeometry(p.left, p.top, m_slotLayout.width, m_slotLayout.height);
        if (!keepCaptions)
            slot->setText({});
        slot->setVisible(p.top != 0);
        applyFont(slot, m_slotLayout.font);
        slot->setTransparent(m_slotLayout.transparent);
        slot->setColor(m_slotLayout.color);
    }
}

void TFrmMain::ReadConfiglabel20(int n, bool keepCaptions)
{
    for (SlotLabel *slot : Labels)
        slot->hide();
    auto opened = openSettings(m_programDir);
    if (!opened)
        return report(opened.error());
    if (opened->readString(blockSection(n), "screen") != fromQt(ScreenKey())) {
        ArrangeSlots(n);
        opened = openSettings(m_programDir);
        if (!opened)
            return report(opened.error());
    }
    m_blockLayout = readSlotBlockLayout(*opened, n);
    m_slotsOnStage = n;
    Label21->move(m_blockLayout.left, m_blockLayout.top);
    if (!keepCaptions)
        Label21->setText({});
    Label21->show();
    applyFont(Label21, m_blockLayout.font);
    Label21->setTransparent(m_blockLayout.transparent);
    Label21->setColor(m_blockLayout.color);
}

void TFrmMain::WriteConfiglabel(int n)
{
    auto opened = openSettings(m_programDir);
    if (!opened)
        return report(opened.error());
    SlotGridLayout layout = m_slotLayout;
    std::vector<int> visible;
    for (int k = 1; k <= kMaxSlots; ++k) {
        const SlotLabel *slot = Labels[static_cast<size_t>(k - 1)];
        if (!slot->isVisibleTo(this))
            continue;
        visible.push_back(k);
        layout.positions[static_cast<size_t>(k - 1)] = {slot->x(), slot->y()};
        layout.width = slot->width();
        layout.height = slot->height();
        layout.font = fontOf(slot);
        layout.transparent = slot->transparent();
        layout.color = slot->color();
    }
    if (layout.font.size != m_slotLayout.font.size)
        layout.chosenSize = 0;  // a size the operator chose is the one to keep
    layout.screen = fromQt(ScreenKey());
    writeSlotGridLayout(*opened, n, layout, visible);
    if (commitSettings(*opened))
        m_slotLayout = layout;
}

void TFrmMain::WriteConfiglabel20(int n)
{
    auto opened = openSettings(m_programDir);
    if (!opened)
        return report(opened.error());
    SlotBlockLayout layout = m_blockLayout;
    layout.left = Label21->x();
    layout.top = Label21->y();
    layout.width = Label21->width();
    layout.height = Label21->height();
    layout.font = fontOf(Label21);
    layout.transparent = Label21->transparent();
    layout.color = Label21->color();
    if (layout.font.size != m_blockLayout.font.size)
        layout.chosenSize = 0;  // a size the operator chose is the one to keep
    layout.maxwidth = m_measurer.measure(layout.font, m_session ? longestEntry() : std::string()).width;
    layout.screen = fromQt(ScreenKey());
    writeSlotBlockLayout(*opened, n, layout);
    if (commitSettings(*opened))
        m_blockLayout = layout;
}

void TFrmMain::ArrangeSlots(int n)
{
    auto opened = openSettings(m_programDir);
    if (!opened)
        return report(opened.error());
    const TextSize stage{StageWidth(), StageHeight()};
    const std::vector<StageRect> areas = slotAreasOnStage();
    const std::string longest = longestEntry();
    // A batch size without a look of its own takes the look of the stage's other slots.
    std::optional<SlotStyle> style;
    if (!hasOwnSlotStyle(*opened, n))
        style = existingSlotStyle(*opened, n);
    if (n <= kMaxSlots) {
        SlotGridLayout base = readSlotGridLayout(*opened, n);
        if (style) {
            base.font = style->font;
            base.transparent = style->transparent;
            base.color = style->color;
        }
        // In whichever free area the names come out largest (the first when equal).
        SlotGridLayout arranged = fitSlotGrid(n, areas.front(), stage, longest, base, m_measurer);
        for (const StageRect &area : areas) {
            SlotGridLayout other = fitSlotGrid(n, area, stage, longest, base, m_measurer);
            if (other.font.size > arranged.font.size)
                arranged = other;
        }
        std::vector<int> all;
        for (int k = 1; k <= n; ++k)
            all.push_back(k);
        writeSlotGridLayout(*opened, n, arranged, all);
    } else {
        SlotStyle look{defaultSlotFont()};
        if (hasOwnSlotStyle(*opened, n)) {
            const SlotBlockLayout own = readSlotBlockLayout(*opened, n);
            look = {withSize(own.font, own.chosenFontSize()), own.transparent, own.color};
        } else if (style) {
            look = *style;
        } else {
            look.font.color = colors::clYellow;
            look.font.size = 9;
        }
        const SlotAutoSet autoset = readSlotAutoSet(*opened);
        std::optional<SlotBlockLayout> block;
        for (const StageRect &area : areas) {
            auto other = fitSlotBlock(n, longest, autoset, area, stage, look.font, m_measurer);
            if (other && (!block || other->font.size > block->font.size))
                block = other;
        }
        if (!block) {
            m_services.messages.notify(this, QStringLiteral("提示"),
                                       QStringLiteral("每次抽取 %1 人的滚动区在最小的字体下也放不进屏幕，版面未改变。请减少每批人数或调整每行个数。")
                                           .arg(n));
            return;
        }
        block->transparent = look.transparent;
        block->color = look.color;
        writeSlotBlockLayout(*opened, n, *block);
    }
    commitSettings(*opened);
}

}  // namespace tessaly
