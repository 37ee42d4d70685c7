#include "ui/stage/StageLayout.h"
#include "ui/proof/ProofBadge.h"

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
    followStageSize();
}

bool StageLayout::arrangeForNewSize()
{
    auto settings = openSettings(settingsDir());
    if (settings && !layoutNeedsArranging(settings->readString("Option", "screenmain"), stageSize(), m_fitToScreen))
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
    setElementFont(widget, spec);
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
    m_fitToScreen = s.readBool("Option", kFitToScreenKey, true);
    m_placement.reset(StageScale::forStored(s.readString("Option", "screenmain"), stageSize(), m_fitToScreen));
    loadBackground();
    const std::string logo = s.readString("Option", "logoImgBG");
    if (!logo.empty() && storedFileExists(m_window.m_programDir, logo) && m_window.Image_logo->loadPicture(fileOf(m_window.m_programDir, logo))) {
        m_window.Image_logo->show();
    } else {
        m_window.Image_logo->clearPicture();
        m_window.Image_logo->hide();
    }
    auto storedGeometry = [&s](const std::string &section) { return readStoredRect(s, section); };

    for (TRzButton *b : {m_window.GoButton, m_window.StopButton}) {
        const std::string section = fromQt(b->objectName());
        m_placement.place(b, storedGeometry(section));
        b->setVisible(s.readBool(section, "Visible", true));
        b->setColor(colorFromString(s.readString(section, "Color")).value_or(b->color()));
        b->setHotTrackColor(colorFromString(s.readString(section, "HotTrackColor")).value_or(b->hotTrackColor()));
        applyStoredFont(b, readFontKeys(s, section, storedFont(b)));
    }

    TSkyScrollText *m = m_window.RzMarqueeStatus1;
    m_placement.place(m, storedGeometry("RzMarqueeStatus1"));
    m->setVisible(s.readBool("RzMarqueeStatus1", "Visible", true));
    m->setText(toQt(s.readString("RzMarqueeStatus1", "text")));
    m->setDoubleBuffered(s.readBool("RzMarqueeStatus1", "DoubleBuffered", false));
    applyStoredFont(m, readFontKeys(s, "RzMarqueeStatus1", storedFont(m)));
    m->setTransparent(s.readBool("RzMarqueeStatus1", "Transparent", false));
    m->setColor(s.readInteger("RzMarqueeStatus1", "Color", 0));
    m->setStep(m_placement.showLength(m, s.readInteger("RzMarqueeStatus1", "step", 10)));
    m->setActive(s.readBool("RzMarqueeStatus1", "Active", m->active()));

    m_window.Image_Award->setVisible(s.readBool("Image_Award", "Visible", true));
    for (QWidget *w : std::initializer_list<QWidget *>{m_window.Image_Award, m_window.Image_logo})
        m_placement.place(w, storedGeometry(fromQt(w->objectName())));
    // The tool bar keeps its own size; only its place follows the stage.
    const StageRect bar = scale().toStage({s.readInteger("ControlBar1", "Left", 0), s.readInteger("ControlBar1", "Top", 0), 1, 1});
    m_window.ControlBar1->move(bar.left, bar.top);

    m_prizeNameLift = 0;
    for (TAALabel *label : m_window.textLabels()) {
        const std::string section = fromQt(label->objectName());
        if (label == m_window.FirstTitle || label == m_window.SecondTitle || label == m_window.readyLuck)
            label->setCaption(toQt(s.readString(section, "Caption")));
        if (label != m_window.readyLuck)
            label->setVisible(s.readBool(section, "Visible", true));
        TAAEffect effect = label->fontEffect();
        loadEffect(s, section, kLabelEffectPrefix, effect);
        label->setFontEffect(effect);
        applyStoredFont(label, readFontKeys(s, section, storedFont(label)));
        label->setTransparent(s.readBool(section, "Effect.Transparent", label->transparent()));
        label->setBackColor(s.readInteger(section, "Effect.BackColor", label->backColor()));
        // Placed once its font and caption have given it its size; the captions
        // that change during the draw grow from where they start.
        m_placement.place(label, storedGeometry(section),
                          label == m_window.FirstTitle || label == m_window.SecondTitle || label == m_window.readyLuck);
    }
    // What stood clear of its neighbour above or below stays so.
    m_placement.keepStackedApart({m_window.FirstTitle, m_window.SecondTitle, m_window.boss, m_window.Status,
                                  m_window.Award, m_window.Image_Award, m_window.GoButton, m_window.StopButton,
                                  m_window.RzMarqueeStatus1},
                                 m_window.StageHeight());
}

TextSize StageLayout::stageSize() const
{
    return {m_window.StageWidth(), m_window.StageHeight()};
}

void StageLayout::applyStoredFont(QWidget *element, const FontSpec &stored)
{
    applyFont(element, m_placement.showFont(element, stored));
}

StageRect StageLayout::storedRect(const QWidget *element) const
{
    return m_placement.storedRect(element);
}

FontSpec StageLayout::storedFont(const QWidget *element) const
{
    return m_placement.storedFont(element, fontOf(element));
}

void StageLayout::storeElement(const QWidget *element)
{
    auto opened = openSettings(settingsDir());
    if (!opened)
        return report(opened.error());
    const std::string section = fromQt(element->objectName());
    m_placement.writeStoredRect(*opened, section, element);
    if (m_fonts.contains(element))
        writeFontKeys(*opened, section, storedFont(element));
    commitSettings(*opened);
}

void StageLayout::setFitToScreen(bool on)
{
    if (auto settings = openSettings(settingsDir())) {
        settings->writeBool("Option", kFitToScreenKey, on);
        if (!commitSettings(*settings))
            return;
    }
    followStageSize();
}

void StageLayout::followStageSize()
{
    ReadConfig();
    ComposeMarquee();  // reading the marquee's section took its winners away
    if (!arrangeForNewSize())
        reloadSlots(m_window.m_slotsOnStage);
    placeCaptions();
    m_window.update();
}

void StageLayout::writeGeometry(IniStore &s, const QWidget *w) const
{
    m_placement.writeStoredRect(s, fromQt(w->objectName()), w);
}

void StageLayout::writeButtons(IniStore &s) const
{
    for (const TRzButton *b : {m_window.GoButton, m_window.StopButton}) {
        const std::string section = fromQt(b->objectName());
        writeGeometry(s, b);
        s.writeBool(section, "Visible", b->isVisibleTo(&m_window));
        s.writeString(section, "Color", colorToString(b->color()));
        s.writeString(section, "HotTrackColor", colorToString(b->hotTrackColor()));
        writeFontKeys(s, section, storedFont(b));
    }
}

void StageLayout::writeMarquee(IniStore &s) const
{
    const TSkyScrollText *m = m_window.RzMarqueeStatus1;
    writeGeometry(s, m);
    s.writeBool("RzMarqueeStatus1", "DoubleBuffered", m->doubleBuffered());
    s.writeBool("RzMarqueeStatus1", "Active", m->active());
    writeFontKeys(s, "RzMarqueeStatus1", storedFont(m));
    s.writeBool("RzMarqueeStatus1", "Transparent", m->transparent());
    s.writeInteger("RzMarqueeStatus1", "Color", m->color());
    s.writeBool("RzMarqueeStatus1", "Visible", m->isVisibleTo(&m_window));
    s.writeInteger("RzMarqueeStatus1", "step", m_placement.storedLength(m, m->step()));
}

void StageLayout::WriteConfig()
{
    auto opened = openSettings(settingsDir());
    if (!opened) {
        report(opened.error());
        return;
    }
    IniStore &s = *opened;
    // A layout saved on another screen keeps the size it was arranged for.
    s.writeString("Option", "screenmain", scale().identity() ? fromQt(m_window.ScreenKey()) : scale().referenceKey());
    s.writeInteger("Option", "Mformleft", m_window.x());
    s.writeInteger("Option", "Mformtop", m_window.y());
    writeButtons(s);
    writeMarquee(s);
    writeGeometry(s, m_window.Image_Award);
    writeGeometry(s, m_window.Image_logo);
    const StageRect bar = scale().toStored({m_window.ControlBar1->x(), m_window.ControlBar1->y(), 1, 1});
    s.writeInteger("ControlBar1", "Top", bar.top);
    s.writeInteger("ControlBar1", "Left", bar.left);
    for (TAALabel *label : m_window.textLabels()) {
        const std::string section = fromQt(label->objectName());
        writeGeometry(s, label);
        if (label == m_window.Award && m_prizeNameLift > 0) {
            // Stored as the one-line caption it is read as.
            const StageRect oneLine = scale().toStored(
                {label->x(), label->y() + m_prizeNameLift, label->width(), label->height() - m_prizeNameLift});
            s.writeInteger(section, "Top", oneLine.top);
            s.writeInteger(section, "Height", oneLine.height);
        }
        if (label != m_window.readyLuck) {
            s.writeString(section, "Caption", fromQt(label->caption()));
            s.writeBool(section, "Visible", label->isVisibleTo(&m_window));
        }
        writeFontKeys(s, section, storedFont(label));
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
    writeButtons(*opened);
    commitSettings(*opened);
}

void StageLayout::WriteConfigMarquee()
{
    auto opened = openSettings(settingsDir());
    if (!opened)
        return report(opened.error());
    writeMarquee(*opened);
    commitSettings(*opened);
}

void StageLayout::CentreOnStage(TAALabel *label)
{
    const int width = QFontMetrics(label->font()).horizontalAdvance(label->caption());
    label->move(roundHalfEven((m_window.StageWidth() - width) / 2.0), label->y());
}

namespace {

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
    // Sized to its text again: read anew for a resized window with its caption and font
    // unchanged, it kept the stored width (0 when never arranged by hand) and vanished.
    label->setAutoSize(label->autoSize());
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
    // The commitment's badge stands in its corner while the names roll.
    for (const QWidget *w : std::initializer_list<const QWidget *>{m_window.Image_Award, m_window.Image_logo, m_window.GoButton, m_window.StopButton,
                                                                   m_window.RzMarqueeStatus1, static_cast<const QWidget *>(m_window.m_proofBadge)})
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
    // The stored sizes, in proportion to this stage as the elements are shown.
    auto sized = [&](const char *section, const char *key, const char *def) {
        return scale().lengthToStage(storedSize(s, section, key, def));
    };
    // The margins between the elements grow with them on a larger stage, so that
    // captions grown with the stage do not run into the buttons below them.
    auto gap = [&](int px) { return std::max(px, scale().lengthToStage(px)); };
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
    m_window.FirstTitle->move(m_window.FirstTitle->x(), gap(20));
    keepTitleClearOfLogo(m_window.FirstTitle);
    // Below the whole first title, its shadow included.
    m_window.SecondTitle->move(m_window.SecondTitle->x(), m_window.FirstTitle->height() + m_window.FirstTitle->y() + gap(5));
    CentreOnStage(m_window.SecondTitle);
    keepTitleClearOfLogo(m_window.SecondTitle);
    m_window.readyLuck->move(m_window.readyLuck->x(), roundHalfEven(H / 2.0) - gap(30));
    CentreOnStage(m_window.readyLuck);
    const int marqueeHeight = sized("RzMarqueeStatus1", "Height", "30");
    m_window.RzMarqueeStatus1->setGeometry(0, H - marqueeHeight, W, m_window.RzMarqueeStatus1->height());
    const int goWidth = sized("GoButton", "Width", "76");
    const int stopWidth = sized("StopButton", "Width", "76");
    const int buttonsTop = H - marqueeHeight - sized("GoButton", "Height", "33") - gap(10);
    // The pair stays clear of the prize picture in the corner on a narrow stage.
    const int pictureTop = H - marqueeHeight - sized("Image_Award", "Height", "60") - gap(10);
    const int pictureLeft = W - sized("Image_Award", "Width", "80") - gap(10);
    const bool pictureBeside = m_window.Image_Award->isVisibleTo(&m_window) && pictureTop < buttonsTop + m_window.GoButton->height();
    const auto [goLeft, stopLeft] = placeButtonPair(W, goWidth, stopWidth, gap(200), pictureBeside ? pictureLeft - gap(10) : W);
    m_window.GoButton->move(goLeft, buttonsTop);
    m_window.StopButton->move(stopLeft, m_window.GoButton->y());
    CentreOnStage(m_window.Status);
    m_window.Status->move(m_window.Status->x(), m_window.GoButton->y() - sized("Status", "Height", "33") - gap(10));
    CentreOnStage(m_window.boss);
    m_window.boss->move(m_window.boss->x(), m_window.Status->y() - sized("boss", "Height", "33") - gap(10));
    m_window.Image_Award->move(W - sized("Image_Award", "Width", "80") - gap(10),
                      m_window.RzMarqueeStatus1->y() - sized("Image_Award", "Height", "60") - gap(10));
    m_prizeNameLift = 0;
    m_window.Award->move(m_window.Image_Award->x(), m_window.Image_Award->y() - sized("Award", "Height", "23") - gap(10));
    placeCaption(m_window.readyLuck, true);
    placeCaptions();
    // Arranged for this stage, the layout is stored as made for it (for its
    // 1080-line size on a larger screen, as the shipped layout is).
    m_placement.reset(StageScale(firstArrangementSize(stageSize(), m_fitToScreen), stageSize()));
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
        followStageSize();
}

// Slot layouts ---------------------------------------------------------------

namespace {

bool sameGrid(const SlotGridLayout &a, const SlotGridLayout &b)
{
    return a.positions == b.positions && a.width == b.width && a.height == b.height && a.font == b.font &&
           a.transparent == b.transparent && a.color == b.color;
}

bool sameBlock(const SlotBlockLayout &a, const SlotBlockLayout &b)
{
    return a.left == b.left && a.top == b.top && a.font == b.font && a.transparent == b.transparent &&
           a.color == b.color && a.row == b.row && a.space == b.space && a.blankLine == b.blankLine;
}

}  // namespace

int StageLayout::storedSlotWidth(int converted, const FontSpec &storedFont) const
{
    const int measured = m_measurer.measure(storedFont, longestEntry()).width;
    return std::abs(measured - converted) <= 2 ? measured : converted;
}

void StageLayout::ReadConfiglabel(int n, bool keepCaptions)
{
    auto opened = openSettings(settingsDir());
    if (!opened)
        return report(opened.error());
    if (sectionNeedsArranging(opened->readString(gridSectionAll(n), "screen"), stageSize(), m_fitToScreen)) {
        ArrangeSlots(n);
        opened = openSettings(settingsDir());
        if (!opened)
            return report(opened.error());
    }
    m_slotStored = readSlotGridLayout(*opened, n);
    m_slotScale = StageScale::forStored(m_slotStored.screen, stageSize(), m_fitToScreen);
    // Worked out for this stage each time, never stored.
    m_slotLayout = m_slotScale.identity() ? m_slotStored
                                          : fitScaledSlotGrid(n, slotAreasOnStage(), longestEntry(), m_slotStored,
                                                              m_slotScale, m_measurer);
    m_slotShown = m_slotLayout;
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
    if (sectionNeedsArranging(opened->readString(blockSection(n), "screen"), stageSize(), m_fitToScreen)) {
        ArrangeSlots(n);
        opened = openSettings(settingsDir());
        if (!opened)
            return report(opened.error());
    }
    m_blockStored = readSlotBlockLayout(*opened, n);
    m_blockScale = StageScale::forStored(m_blockStored.screen, stageSize(), m_fitToScreen);
    m_blockLayout = m_blockScale.identity()
                        ? m_blockStored
                        : fitScaledSlotBlock(n, slotAreasOnStage(), longestEntry(), readSlotAutoSet(*opened),
                                             m_blockStored, m_blockScale, m_measurer);
    m_blockShown = m_blockLayout;
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
    SlotGridLayout stored;
    if (sameGrid(layout, m_slotShown) && !m_slotScale.identity()) {
        stored = m_slotStored;  // as it was read: only its look may have changed
    } else {
        stored = slotGridToStored(layout, m_slotScale);
        if (!m_slotScale.identity())
            stored.width = storedSlotWidth(stored.width, stored.font);
    }
    stored.transparent = layout.transparent;
    stored.color = layout.color;
    if (m_slotScale.identity())
        stored.screen = fromQt(m_window.ScreenKey());
    writeSlotGridLayout(*opened, n, stored, visible);
    if (commitSettings(*opened)) {
        m_slotLayout = m_slotShown = layout;
        m_slotStored = stored;
    }
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
    const std::string longest = m_window.m_session ? longestEntry() : std::string();
    layout.maxwidth = m_measurer.measure(layout.font, longest).width;
    SlotBlockLayout stored;
    if (sameBlock(layout, m_blockShown) && !m_blockScale.identity()) {
        stored = m_blockStored;
    } else {
        stored = slotBlockToStored(layout, m_blockScale);
        stored.maxwidth = m_measurer.measure(stored.font, longest).width;
    }
    stored.transparent = layout.transparent;
    stored.color = layout.color;
    if (m_blockScale.identity())
        stored.screen = fromQt(m_window.ScreenKey());
    writeSlotBlockLayout(*opened, n, stored);
    if (commitSettings(*opened)) {
        m_blockLayout = m_blockShown = layout;
        m_blockStored = stored;
    }
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
    // Arranged on this stage, stored for the size its section was arranged for.
    const std::string storedScreen =
        opened->readString(n <= kMaxSlots ? gridSectionAll(n) : blockSection(n), "screen");
    const StageScale scale = StageScale::forStored(storedScreen, stage, m_fitToScreen);
    if (n <= kMaxSlots) {
        SlotGridLayout base = slotGridToStage(readSlotGridLayout(*opened, n), scale);
        if (style) {
            base.font = m_placement.scale().fontToStage(style->font);
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
        SlotGridLayout stored = slotGridToStored(arranged, scale);
        if (!scale.identity())
            stored.width = storedSlotWidth(stored.width, stored.font);
        writeSlotGridLayout(*opened, n, stored, all);
    } else {
        SlotStyle look{defaultSlotFont()};
        if (hasOwnSlotStyle(*opened, n)) {
            const SlotBlockLayout own = readSlotBlockLayout(*opened, n);
            look = {scale.fontToStage(withSize(own.font, own.chosenFontSize())), own.transparent, own.color};
        } else if (style) {
            look = *style;
            look.font = m_placement.scale().fontToStage(style->font);
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
        SlotBlockLayout stored = slotBlockToStored(*block, scale);
        stored.maxwidth = m_measurer.measure(stored.font, longest).width;
        writeSlotBlockLayout(*opened, n, stored);
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
