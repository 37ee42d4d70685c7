#include "ui/stage/StageLayout.h"

#include "ui/stage/TFrmMain.h"

#include "core/draw/DrawSession.h"
#include "core/files/FileIo.h"
#include "core/files/Paths.h"
#include "core/settings/EffectRecord.h"
#include "core/settings/Settings.h"
#include "core/stage/ResultsText.h"
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
#include <QDir>
#include <QTemporaryDir>
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

StageLayout::StageLayout(TFrmMain &window) : m_window(window) {}

StageLayout::~StageLayout() = default;

std::filesystem::path StageLayout::settingsDir() const
{
    return m_transient ? std::filesystem::path(m_transient->path().toStdString()) : m_window.m_programDir;
}

void StageLayout::moveStage(const QRect &screen, bool transient)
{
    if (LayoutDirty)
        WriteConfig();
    if (transient && !m_transient) {
        // The arrangement for a screen the stage only borrows lives in a copy of
        // the settings: the stored layout stays as it is for when the screen returns.
        auto copy = std::make_unique<QTemporaryDir>();
        if (!copy->isValid() || !copyFileAtomic(programFile(m_window.m_programDir, "set.dat"),
                                                copy->filePath(QStringLiteral("set.dat")).toStdString()))
            return;
        m_transient = std::move(copy);
    } else if (!transient) {
        m_transient.reset();
    }
    m_window.m_stage = screen.size();
    if (!m_window.m_windowMode) {
        m_window.setGeometry(screen);
        m_window.showFullScreen();
    }
    ReadConfig();
    ComposeMarquee();  // reading the marquee's section took its winners away
    if (!arrangeForNewSize())
        reloadSlots(m_window.m_slotsOnStage);
    placeCaptions();
    m_window.update();
}

bool StageLayout::arrangeForNewSize()
{
    auto settings = openSettings(settingsDir());
    if (settings && settings->readString("Option", "screenmain") == fromQt(m_window.ScreenKey()))
        return false;
    AutoLayoutMain();
    // The slots on the stage are arranged for the new size as they are loaded again.
    reloadSlots(m_window.m_slotsOnStage);
    return true;
}

void StageLayout::reloadSlots(int n)
{
    if (n > kMaxSlots)
        ReadConfiglabel20(n, true);
    else if (n > 0)
        ReadConfiglabel(n, true);
}

void StageLayout::report(const tessaly::Status &status)
{
    if (!status)
        m_window.m_services.messages.notify(&m_window, QStringLiteral("提示"), toQt(status.error().message));
}

bool StageLayout::commitSettings(IniStore &store)
{
    tessaly::Status committed = store.commit();
    report(committed);
    return committed.ok();
}

void StageLayout::applyFont(QWidget *widget, const FontSpec &spec)
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

FontSpec StageLayout::fontOf(const QWidget *widget) const
{
    return m_fonts.value(widget, defaultSlotFont());
}

void StageLayout::loadBackground()
{
    auto settings = openSettings(settingsDir());
    if (!settings)
        return;
    const std::string stored = settings->readString("Option", "MainImgBG", "img\\0.jpg");
    QImage picture;
    if (storedFileExists(m_window.m_programDir, stored))
        picture = QImage(fileOf(m_window.m_programDir, stored));
    if (picture.isNull() && storedFileExists(m_window.m_programDir, "img\\0.jpg"))
        picture = QImage(fileOf(m_window.m_programDir, "img\\0.jpg"));
    if (picture.isNull())
        return;  // the picture is left as it was
    m_window.m_background.setImage(picture);
    m_window.update();
}

void StageLayout::ReadConfig()
{
    if (LayoutDirty)
        WriteConfig();
    auto opened = openSettings(settingsDir());
    if (!opened) {
        report(opened.error());
        return;
    }
    const IniStore &s = *opened;
    m_window.m_windowMode = s.readBool("Option", "runfrom", false);
    loadBackground();
    const std::string logo = s.readString("Option", "logoImgBG");
    if (!logo.empty() && storedFileExists(m_window.m_programDir, logo) && m_window.Image_logo->loadPicture(fileOf(m_window.m_programDir, logo))) {
        m_window.Image_logo->show();
    } else {
        m_window.Image_logo->clearPicture();
        m_window.Image_logo->hide();
    }

    for (TRzButton *b : {m_window.GoButton, m_window.StopButton}) {
        const std::string section = fromQt(b->objectName());
        b->setGeometry(s.readInteger(section, "Left", 0), s.readInteger(section, "Top", 0),
                       s.readInteger(section, "Width", 0), s.readInteger(section, "Height", 0));
        b->setVisible(s.readBool(section, "Visible", true));
        b->setColor(colorFromString(s.readString(section, "Color")).value_or(b->color()));
        b->setHotTrackColor(colorFromString(s.readString(section, "HotTrackColor")).value_or(b->hotTrackColor()));
        applyFont(b, readFontKeys(s, section, fontOf(b)));
    }

    TSkyScrollText *m = m_window.RzMarqueeStatus1;
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

    m_window.Image_Award->setVisible(s.readBool("Image_Award", "Visible", true));
    for (QWidget *w : std::initializer_list<QWidget *>{m_window.Image_Award, m_window.Image_logo}) {
        const std::string section = fromQt(w->objectName());
        w->setGeometry(s.readInteger(section, "Left", 0), s.readInteger(section, "Top", 0),
                       s.readInteger(section, "Width", 0), s.readInteger(section, "Height", 0));
    }
    m_window.ControlBar1->move(s.readInteger("ControlBar1", "Left", 0), s.readInteger("ControlBar1", "Top", 0));

    m_prizeNameLift = 0;
    for (TAALabel *label : m_window.textLabels()) {
        const std::string section = fromQt(label->objectName());
        label->move(s.readInteger(section, "Left", 0), s.readInteger(section, "Top", 0));
        if (label == m_window.FirstTitle || label == m_window.SecondTitle || label == m_window.readyLuck)
            label->setCaption(toQt(s.readString(section, "Caption")));
        if (label != m_window.readyLuck)
            label->setVisible(s.readBool(section, "Visible", true));
        TAAEffect effect = label->fontEffect();
        loadEffect(s, section, kLabelEffectPrefix, effect);
        label->setFontEffect(effect);
        applyFont(label, readFontKeys(s, section, fontOf(label)));
        label->setTransparent(s.readBool(section, "Effect.Transparent", label->transparent()));
        label->setBackColor(s.readInteger(section, "Effect.BackColor", label->backColor()));
    }
}

void StageLayout::WriteConfig()
{
    auto opened = openSettings(settingsDir());
    if (!opened) {
        report(opened.error());
        return;
    }
    IniStore &s = *opened;
    s.writeString("Option", "screenmain", fromQt(m_window.ScreenKey()));
    s.writeInteger("Option", "Mformleft", m_window.x());
    s.writeInteger("Option", "Mformtop", m_window.y());
    auto writeGeometry = [&s](const std::string &section, const QWidget *w) {
        s.writeInteger(section, "Top", w->y());
        s.writeInteger(section, "Left", w->x());
        s.writeInteger(section, "Width", w->width());
        s.writeInteger(section, "Height", w->height());
    };
    for (TRzButton *b : {m_window.GoButton, m_window.StopButton}) {
        const std::string section = fromQt(b->objectName());
        writeGeometry(section, b);
        s.writeBool(section, "Visible", b->isVisibleTo(&m_window));
        s.writeString(section, "Color", colorToString(b->color()));
        s.writeString(section, "HotTrackColor", colorToString(b->hotTrackColor()));
        writeFontKeys(s, section, fontOf(b));
    }
    writeGeometry("RzMarqueeStatus1", m_window.RzMarqueeStatus1);
    s.writeBool("RzMarqueeStatus1", "DoubleBuffered", m_window.RzMarqueeStatus1->doubleBuffered());
    s.writeBool("RzMarqueeStatus1", "Active", m_window.RzMarqueeStatus1->active());
    writeFontKeys(s, "RzMarqueeStatus1", fontOf(m_window.RzMarqueeStatus1));
    s.writeBool("RzMarqueeStatus1", "Transparent", m_window.RzMarqueeStatus1->transparent());
    s.writeInteger("RzMarqueeStatus1", "Color", m_window.RzMarqueeStatus1->color());
    s.writeBool("RzMarqueeStatus1", "Visible", m_window.RzMarqueeStatus1->isVisibleTo(&m_window));
    s.writeInteger("RzMarqueeStatus1", "step", m_window.RzMarqueeStatus1->step());
    writeGeometry("Image_Award", m_window.Image_Award);
    writeGeometry("Image_logo", m_window.Image_logo);
    s.writeInteger("ControlBar1", "Top", m_window.ControlBar1->y());
    s.writeInteger("ControlBar1", "Left", m_window.ControlBar1->x());
    for (TAALabel *label : m_window.textLabels()) {
        const std::string section = fromQt(label->objectName());
        writeGeometry(section, label);
        if (label == m_window.Award && m_prizeNameLift > 0) {
            // Stored as the one-line caption it is read as.
            s.writeInteger(section, "Top", label->y() + m_prizeNameLift);
            s.writeInteger(section, "Height", label->height() - m_prizeNameLift);
        }
        if (label != m_window.readyLuck) {
            s.writeString(section, "Caption", fromQt(label->caption()));
            s.writeBool(section, "Visible", label->isVisibleTo(&m_window));
        }
        writeFontKeys(s, section, fontOf(label));
        saveEffect(s, section, kLabelEffectPrefix, label->fontEffect(), TexturePictureKey::WriteEmpty);
        s.writeBool(section, "Effect.Transparent", label->transparent());
        s.writeInteger(section, "Effect.BackColor", label->backColor());
    }
    if (commitSettings(s))
        LayoutDirty = false;
}

void StageLayout::WriteConfigButtons()
{
    auto opened = openSettings(settingsDir());
    if (!opened)
        return report(opened.error());
    for (TRzButton *b : {m_window.GoButton, m_window.StopButton}) {
        const std::string section = fromQt(b->objectName());
        opened->writeInteger(section, "Top", b->y());
        opened->writeInteger(section, "Left", b->x());
        opened->writeInteger(section, "Width", b->width());
        opened->writeInteger(section, "Height", b->height());
        opened->writeBool(section, "Visible", b->isVisibleTo(&m_window));
        opened->writeString(section, "Color", colorToString(b->color()));
        opened->writeString(section, "HotTrackColor", colorToString(b->hotTrackColor()));
        writeFontKeys(*opened, section, fontOf(b));
    }
    commitSettings(*opened);
}

void StageLayout::WriteConfigMarquee()
{
    auto opened = openSettings(settingsDir());
    if (!opened)
        return report(opened.error());
    IniStore &s = *opened;
    const TSkyScrollText *m = m_window.RzMarqueeStatus1;
    s.writeInteger("RzMarqueeStatus1", "Top", m->y());
    s.writeInteger("RzMarqueeStatus1", "Left", m->x());
    s.writeInteger("RzMarqueeStatus1", "Width", m->width());
    s.writeInteger("RzMarqueeStatus1", "Height", m->height());
    s.writeBool("RzMarqueeStatus1", "DoubleBuffered", m->doubleBuffered());
    s.writeBool("RzMarqueeStatus1", "Active", m->active());
    writeFontKeys(s, "RzMarqueeStatus1", fontOf(m));
    s.writeBool("RzMarqueeStatus1", "Transparent", m->transparent());
    s.writeInteger("RzMarqueeStatus1", "Color", m->color());
    s.writeBool("RzMarqueeStatus1", "Visible", m->isVisibleTo(&m_window));
    s.writeInteger("RzMarqueeStatus1", "step", m->step());
    commitSettings(s);
}

void StageLayout::CentreOnStage(TAALabel *label)
{
    const int width = QFontMetrics(label->font()).horizontalAdvance(label->caption());
    label->move(roundHalfEven((m_window.StageWidth() - width) / 2.0), label->y());
}

namespace {

StageRect rectOf(const QWidget *w)
{
    return {w->x(), w->y(), w->width(), w->height()};
}

// Captions below this size are not shrunk further; they move instead.
constexpr int kSmallestCaptionSize = 12;

}  // namespace

void StageLayout::placeCaption(TAALabel *label, bool centre)
{
    // Every caption starts from its stored font on one line: a shorter text may fit at full size again.
    const FontSpec stored = fontOf(label);
    if (label == m_window.Award) {
        label->move(label->x(), label->y() + m_prizeNameLift);
        m_prizeNameLift = 0;
    }
    label->setWrapWidth(0);
    label->setFont(toQFont(stored));
    const int W = m_window.StageWidth();
    const std::string caption = fromQt(label->caption());
    const int overhead = label->width() - m_measurer.measure(stored, caption).width;  // effects and border
    if (!centre) {
        // Kept where the operator put it, but never past the right edge: a prize name is broken
        // into lines, another caption shrinks; only what still cannot fit moves left.
        const int room = W - 10 - label->x();
        if (label->width() > room && !caption.empty()) {
            if (label == m_window.Award) {
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
    for (const QWidget *w : std::initializer_list<const QWidget *>{m_window.Image_Award, m_window.Image_logo, m_window.GoButton, m_window.StopButton})
        if (w->isVisibleTo(&m_window))
            obstacles.push_back(rectOf(w));
    if (label != m_window.Award && m_window.Award->isVisibleTo(&m_window) && !m_window.Award->caption().isEmpty() && !m_window.m_session->options().Gradecenter)
        obstacles.push_back(rectOf(m_window.Award));
    CaptionPlace place = placeCentredCaption(W, rectOf(label), obstacles);
    if (label->width() > place.room && place.room > 0) {
        if (label == m_window.Award) {
            wrapPrizeName(place.room - overhead);
        } else {
            const int size = sizeToFitWidth(stored, caption, place.room - overhead, kSmallestCaptionSize, m_measurer);
            label->setFont(toQFont(withSize(stored, size)));
        }
        place = placeCentredCaption(W, rectOf(label), obstacles);
    }
    label->move(place.left, label->y());
}

void StageLayout::wrapPrizeName(int textRoom)
{
    // Broken into lines above where it stood, so that it keeps clear of the prize
    // picture below it; it shrinks (not below 12 points) only as far as two lines need.
    const FontSpec stored = fontOf(m_window.Award);
    const QString caption = m_window.Award->caption();
    const int oneLine = m_window.Award->height();
    for (int size = stored.size;; --size) {
        const QFont font = toQFont(withSize(stored, size));
        m_window.Award->setFont(font);
        m_window.Award->setWrapWidth(textRoom);
        if (size <= kSmallestCaptionSize || wrapLines({caption}, font, textRoom).size() <= 2)
            break;
    }
    m_prizeNameLift = std::max(0, m_window.Award->height() - oneLine);
    m_window.Award->move(m_window.Award->x(), m_window.Award->y() - m_prizeNameLift);
}

void StageLayout::placeCaptions()
{
    const DrawOptions &o = m_window.m_session->options();
    placeCaption(m_window.Award, o.Gradecenter);
    placeCaption(m_window.Status, o.Statuscenter);
    placeCaption(m_window.boss, o.bosscenter);
    // The ready text stays where it was put unless a long prize name now runs into it.
    const StageRect ready = rectOf(m_window.readyLuck);
    for (const QWidget *w : std::initializer_list<const QWidget *>{m_window.Award, m_window.Image_Award})
        if (w->isVisibleTo(&m_window) && ready.intersects(rectOf(w))) {
            placeCaption(m_window.readyLuck, true);
            break;
        }
}

std::vector<StageRect> StageLayout::slotAreasOnStage() const
{
    std::vector<StageRect> elements;
    for (const TAALabel *l : {m_window.FirstTitle, m_window.SecondTitle, m_window.Status, m_window.Award, m_window.boss})
        if (l->isVisibleTo(&m_window) && !l->caption().isEmpty())
            elements.push_back(rectOf(l));
    for (const QWidget *w : std::initializer_list<const QWidget *>{m_window.Image_Award, m_window.Image_logo, m_window.GoButton, m_window.StopButton,
                                                                   m_window.RzMarqueeStatus1})
        if (w->isVisibleTo(&m_window))
            elements.push_back(rectOf(w));
    return slotAreaCandidates(m_window.StageWidth(), m_window.StageHeight(), elements);
}

void StageLayout::AutoLayoutMain()
{
    auto opened = openSettings(settingsDir());
    if (!opened)
        return report(opened.error());
    const IniStore &s = *opened;
    const int W = m_window.StageWidth(), H = m_window.StageHeight();
    // A title wider than the stage takes a smaller font for good, so that it is whole on this screen.
    for (TAALabel *title : {m_window.FirstTitle, m_window.SecondTitle, m_window.readyLuck}) {
        if (title->width() <= W - 20 || title->caption().isEmpty())
            continue;
        const FontSpec font = fontOf(title);
        const int overhead = title->width() - m_measurer.measure(font, fromQt(title->caption())).width;
        applyFont(title, withSize(font, sizeToFitWidth(font, fromQt(title->caption()), W - 20 - overhead, 1,
                                                       m_measurer)));
    }
    m_window.Image_logo->move(3, 22);
    CentreOnStage(m_window.FirstTitle);
    m_window.FirstTitle->move(m_window.FirstTitle->x(), 20);
    keepTitleClearOfLogo(m_window.FirstTitle);
    // Below the whole first title, its shadow included.
    m_window.SecondTitle->move(m_window.SecondTitle->x(), m_window.FirstTitle->height() + m_window.FirstTitle->y() + 5);
    CentreOnStage(m_window.SecondTitle);
    keepTitleClearOfLogo(m_window.SecondTitle);
    m_window.readyLuck->move(m_window.readyLuck->x(), roundHalfEven(H / 2.0) - 30);
    CentreOnStage(m_window.readyLuck);
    const int marqueeHeight = storedSize(s, "RzMarqueeStatus1", "Height", "30");
    m_window.RzMarqueeStatus1->setGeometry(0, H - marqueeHeight, W, m_window.RzMarqueeStatus1->height());
    const int goWidth = storedSize(s, "GoButton", "Width", "76");
    const int stopWidth = storedSize(s, "StopButton", "Width", "76");
    const int buttonsTop = H - marqueeHeight - storedSize(s, "GoButton", "Height", "33") - 10;
    // The pair stays clear of the prize picture in the corner on a narrow stage.
    const int pictureTop = H - marqueeHeight - storedSize(s, "Image_Award", "Height", "60") - 10;
    const int pictureLeft = W - storedSize(s, "Image_Award", "Width", "80") - 10;
    const bool pictureBeside = m_window.Image_Award->isVisibleTo(&m_window) && pictureTop < buttonsTop + m_window.GoButton->height();
    const auto [goLeft, stopLeft] = placeButtonPair(W, goWidth, stopWidth, 200, pictureBeside ? pictureLeft - 10 : W);
    m_window.GoButton->move(goLeft, buttonsTop);
    m_window.StopButton->move(stopLeft, m_window.GoButton->y());
    CentreOnStage(m_window.Status);
    m_window.Status->move(m_window.Status->x(), m_window.GoButton->y() - storedSize(s, "Status", "Height", "33") - 10);
    CentreOnStage(m_window.boss);
    m_window.boss->move(m_window.boss->x(), m_window.Status->y() - storedSize(s, "boss", "Height", "33") - 10);
    m_window.Image_Award->move(W - storedSize(s, "Image_Award", "Width", "80") - 10,
                      m_window.RzMarqueeStatus1->y() - storedSize(s, "Image_Award", "Height", "60") - 10);
    m_prizeNameLift = 0;
    m_window.Award->move(m_window.Image_Award->x(), m_window.Image_Award->y() - storedSize(s, "Award", "Height", "23") - 10);
    placeCaption(m_window.readyLuck, true);
    placeCaptions();
    WriteConfig();
}

void StageLayout::keepTitleClearOfLogo(TAALabel *title)
{
    // A title that runs into the logo in the corner is centred in the stretch beside
    // it, and takes a smaller font for good when that stretch is too narrow.
    if (!m_window.Image_logo->isVisibleTo(&m_window) || title->caption().isEmpty())
        return;
    const std::vector<StageRect> logo{rectOf(m_window.Image_logo)};
    CaptionPlace place = placeCentredCaption(m_window.StageWidth(), rectOf(title), logo);
    if (title->width() > place.room && place.room > 0) {
        const FontSpec font = fontOf(title);
        const std::string caption = fromQt(title->caption());
        const int overhead = title->width() - m_measurer.measure(font, caption).width;
        applyFont(title, withSize(font, sizeToFitWidth(font, caption, place.room - overhead, 1, m_measurer)));
        place = placeCentredCaption(m_window.StageWidth(), rectOf(title), logo);
    }
    title->move(place.left, title->y());
}

bool StageLayout::keepOnScreen()
{
    const QScreen *shownOn = m_window.screen();
    if (!shownOn)
        return false;
    const QRect available = shownOn->availableGeometry();
    const QRect frame = m_window.frameGeometry(), client = m_window.geometry();
    FrameMargins margins{client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                         frame.bottom() - client.bottom()};
    if (margins.left == 0 && margins.top == 0 && margins.right == 0 && margins.bottom == 0)
        margins = {8, 31, 8, 8};  // the window manager has not framed the window yet: a usual frame
    const StageRect fitted = fitWindowOnScreen({available.x(), available.y(), available.width(), available.height()},
                                               {client.x(), client.y(), client.width(), client.height()}, margins);
    const QRect wanted(fitted.left, fitted.top, fitted.width, fitted.height);
    if (wanted == client)
        return false;
    m_window.setGeometry(wanted);
    return true;
}

void StageLayout::windowResized()
{
    if (!m_window.m_windowMode)
        return;
    // Once the window manager has framed the window its frame is known: a window
    // shown before that could stand past the screen's edge with the status line and
    // the buttons out of sight. Brought back, it is laid out when that resize settles.
    if (!(m_window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) && keepOnScreen())
        return;
    // The client size, not the frame: a window stored by its frame grows by it at every
    // start. A maximised window keeps its normal size for the next start.
    if (!(m_window.windowState() & Qt::WindowMaximized)) {
        if (auto settings = openSettings(settingsDir())) {
            settings->writeInteger("Option", "fromheight", m_window.height());
            settings->writeInteger("Option", "fromwidth", m_window.width());
            report(settings->commit());
        }
    }
    if (m_window.m_shown)
        arrangeForNewSize();
}

// Slot layouts ---------------------------------------------------------------

void StageLayout::ReadConfiglabel(int n, bool keepCaptions)
{
    auto opened = openSettings(settingsDir());
    if (!opened)
        return report(opened.error());
    if (opened->readString(gridSectionAll(n), "screen") != fromQt(m_window.ScreenKey())) {
        ArrangeSlots(n);
        opened = openSettings(settingsDir());
        if (!opened)
            return report(opened.error());
    }
    m_slotLayout = readSlotGridLayout(*opened, n);
    m_window.m_slotsOnStage = n;
    m_window.Label21->hide();
    for (int k = 1; k <= kMaxSlots; ++k) {
        SlotLabel *slot = m_window.Labels[static_cast<size_t>(k - 1)];
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

void StageLayout::ReadConfiglabel20(int n, bool keepCaptions)
{
    for (SlotLabel *slot : m_window.Labels)
        slot->hide();
    auto opened = openSettings(settingsDir());
    if (!opened)
        return report(opened.error());
    if (opened->readString(blockSection(n), "screen") != fromQt(m_window.ScreenKey())) {
        ArrangeSlots(n);
        opened = openSettings(settingsDir());
        if (!opened)
            return report(opened.error());
    }
    m_blockLayout = readSlotBlockLayout(*opened, n);
    m_window.m_session->useTextBlockLayout(m_blockLayout);
    m_window.m_slotsOnStage = n;
    m_window.Label21->move(m_blockLayout.left, m_blockLayout.top);
    if (!keepCaptions)
        m_window.Label21->setText({});
    m_window.Label21->show();
    applyFont(m_window.Label21, m_blockLayout.font);
    m_window.Label21->setTransparent(m_blockLayout.transparent);
    m_window.Label21->setColor(m_blockLayout.color);
}

void StageLayout::WriteConfiglabel(int n)
{
    auto opened = openSettings(settingsDir());
    if (!opened)
        return report(opened.error());
    SlotGridLayout layout = m_slotLayout;
    std::vector<int> visible;
    for (int k = 1; k <= kMaxSlots; ++k) {
        const SlotLabel *slot = m_window.Labels[static_cast<size_t>(k - 1)];
        if (!slot->isVisibleTo(&m_window))
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
    layout.screen = fromQt(m_window.ScreenKey());
    writeSlotGridLayout(*opened, n, layout, visible);
    if (commitSettings(*opened))
        m_slotLayout = layout;
}

void StageLayout::WriteConfiglabel20(int n)
{
    auto opened = openSettings(settingsDir());
    if (!opened)
        return report(opened.error());
    SlotBlockLayout layout = m_blockLayout;
    layout.left = m_window.Label21->x();
    layout.top = m_window.Label21->y();
    layout.width = m_window.Label21->width();
    layout.height = m_window.Label21->height();
    layout.font = fontOf(m_window.Label21);
    layout.transparent = m_window.Label21->transparent();
    layout.color = m_window.Label21->color();
    if (layout.font.size != m_blockLayout.font.size)
        layout.chosenSize = 0;  // a size the operator chose is the one to keep
    layout.maxwidth = m_measurer.measure(layout.font, m_window.m_session ? longestEntry() : std::string()).width;
    layout.screen = fromQt(m_window.ScreenKey());
    writeSlotBlockLayout(*opened, n, layout);
    if (commitSettings(*opened))
        m_blockLayout = layout;
}

void StageLayout::ArrangeSlots(int n)
{
    auto opened = openSettings(settingsDir());
    if (!opened)
        return report(opened.error());
    const TextSize stage{m_window.StageWidth(), m_window.StageHeight()};
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
            m_window.m_services.messages.notify(&m_window, QStringLiteral("提示"),
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

bool StageLayout::ArrangeAllSlots(bool force)
{
    const AwardTable &awards = m_window.m_session->awards();
    bool arranged = false;
    auto opened = openSettings(settingsDir());
    for (int i = 0; i < awards.AwardCount; ++i) {
        for (int k = 1; k <= awards[i].batchCount; ++k) {
            const int n = awards[i].batchWinners(k);
            if (n < 1)
                continue;
            if (force || !opened || !slotLayoutValid(*opened, n, longestEntry(), m_measurer)) {
                ArrangeSlots(n);
                arranged = true;
            }
        }
    }
    return arranged;
}

std::string StageLayout::longestEntry() const
{
    return m_window.m_session->lists().LongestEntry;
}

void StageLayout::ComposeMarquee()
{
    auto settings = openSettings(m_window.m_programDir);
    const bool onlyCurrent = settings && settings->readBool("Option", "oneRzMarqueeStatus", false);
    const auto &winners = m_window.m_session->AwardWinners();
    std::optional<int> only;
    if (onlyCurrent)
        only = m_window.m_session->state().CurrentAward;
    if (auto text = composeMarquee(m_window.m_session->awards(), winners, only))
        m_window.RzMarqueeStatus1->setText(toQt(*text));
}

}  // namespace tessaly
