#include "ui/winners/TForm_float2.h"

#include "core/files/Paths.h"
#include "core/settings/FontKeys.h"
#include "core/settings/Settings.h"
#include "core/stage/PhotoGrid.h"
#include "core/text/Gbk.h"
#include "core/winners/ResultsExport.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/common/ResultExport.h"
#include "ui/common/QtValues.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/TStretchHandle.h"
#include "ui/common/LabelMenu.h"
#include "ui/photo/TForm_changpspho.h"
#include "ui/winners/WinnersDialogs.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QProgressDialog>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace tessaly {
namespace {

QString joinedNames(const std::vector<std::string> &names, int most)
{
    QStringList shown;
    for (size_t i = 0; i < names.size() && static_cast<int>(i) < most; ++i)
        shown << toQt(names[i]);
    QString text = shown.join(QStringLiteral("、"));
    if (static_cast<int>(names.size()) > most)
        text += QStringLiteral(" 等 %1 个").arg(names.size());
    return text;
}

}  // namespace

TForm_float2::TForm_float2(std::filesystem::path programDir, Services services, QSize stage, Winners winners,
                           int award, QWidget *parent)
    : QWidget(parent, Qt::Window), m_dir(std::move(programDir)), m_services(services), m_stage(stage),
      m_data(winners), m_award(std::clamp(award, 0, std::max(winners.awards.AwardCount - 1, 0))), m_photos(m_dir)
{
    setObjectName(QStringLiteral("TForm_float2"));
    notice = [](const QString &text) { qWarning().noquote() << text; };
    setWindowTitle(QStringLiteral("查看中奖名单"));
    setFocusPolicy(Qt::StrongFocus);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("WinnersScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);  // Page Up, Page Down and Space belong to the window
    m_scroll->setWidgetResizable(false);
    m_canvas = new WinnersCanvas;
    m_canvas->resize(stage);
    m_scroll->setWidget(m_canvas);
    m_scroll->setGeometry(rect());
    // Every scroll repaints the whole canvas: the tiled background must not
    // smear; photos scrolled near come in, those scrolled far let go.
    for (QScrollBar *bar : {m_scroll->horizontalScrollBar(), m_scroll->verticalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, m_canvas, qOverload<>(&QWidget::update));
        connect(bar, &QScrollBar::valueChanged, this, &TForm_float2::loadPhotosInView);
    }

    Label_tx = new WinnersTextBlock(m_canvas);
    Label_tx->hide();
    connect(Label_tx, &WinnersTextBlock::mouseMoved, this, [this] {
        if (m_adjustMode && !m_drag->isAttached(Label_tx)) {
            m_drag->detach();
            m_drag->attach(Label_tx);
        }
    });
    Label_li = new CaptionText(m_canvas);
    Label_li->setObjectName(QStringLiteral("Label_li"));
    Label_li->setContextMenuPolicy(Qt::CustomContextMenu);
    Label_li->hide();
    connect(Label_li, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        std::unique_ptr<QMenu> menu(createCaptionMenu(this));
        menu->exec(Label_li->mapToGlobal(pos));
    });
    m_drag = new TStretchHandle(m_canvas);
    m_drag->setObjectName(QStringLiteral("myDrag"));
    m_drag->hide();

    Label_return = newStageLabel(this, "Label_return");
    Label_return->setCaption(QStringLiteral("返回"));
    Label_return->setCursor(Qt::PointingHandCursor);
    Label_return->setContextMenuPolicy(Qt::NoContextMenu);
    connect(Label_return, &TAALabel::clicked, this, &TForm_float2::back);

    Label_page = new CaptionText(this);
    Label_page->setObjectName(QStringLiteral("Label_page"));
    Label_page->setAttribute(Qt::WA_TransparentForMouseEvents);
    Label_page->hide();
    m_autoPage = new QTimer(this);
    m_autoPage->setObjectName(QStringLiteral("AutoPageTimer"));
    connect(m_autoPage, &QTimer::timeout, this, &TForm_float2::autoPageTick);

    auto s = openSettings(m_dir);
    if (s && s->readBool("Option", "runfrom", false)) {
        // Windowed mode: a sizeable window of the stored size and place, whose
        // inside is the stage.
        move(s->readInteger("Option", "Mformleft", 0), s->readInteger("Option", "Mformtop", 0));
        m_stage = QSize(std::max(1, s->readInteger("Option", "fromwidth", 800)),
                        std::max(1, s->readInteger("Option", "fromheight", 600)));
        resize(m_stage);
    } else {
        setWindowFlag(Qt::FramelessWindowHint);
        setGeometry(QRect(QPoint(0, 0), m_stage));
    }
    m_canvas->resize(m_stage);
    if (s)
        m_canvas->setBackground(winnersBackground(m_dir, s->readString("Option", "S2ImgBG", "img\\show.jpg"), m_stage));
}

TForm_float2::~TForm_float2() = default;

WinnerLists::element_type &TForm_float2::namesOf(int award) const
{
    static const std::vector<std::string> none;
    return award >= 0 && static_cast<size_t>(award) < m_data.names.size() ? m_data.names[static_cast<size_t>(award)]
                                                                           : none;
}

void TForm_float2::FormShow()
{
    if (m_data.photoMode)
        buildPhotoView();
    else
        buildTextView();
    FontSpec font = defaultSlotFont();
    font.color = colors::clYellow;
    font.size = 9;
    font.height = fontHeightForSize(9);
    if (auto s = openSettings(m_dir))
        font = readFontKeys(*s, "label_return", font);
    Label_return->setFont(toQFont(font));
    Label_return->setFontColor(font.color);
    Label_return->setCaption(QStringLiteral("返回"));
    Label_return->move(m_stage.width() - 55, 20);
    Label_return->show();
    fitCanvas();
    loadPhotosInView();
    setFocus();
}

void TForm_float2::resizeEvent(QResizeEvent *event)
{
    m_scroll->setGeometry(rect());
    fitCanvas();
    loadPhotosInView();
    QWidget::resizeEvent(event);
}

void TForm_float2::fitCanvas()
{
    // The canvas covers the window and grows with what lies beyond it, so
    // the window scrolls only when the content is larger than the window.
    QRect content;
    for (QWidget *w : m_canvas->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (w->isVisibleTo(m_canvas) && w != m_drag)
            content = content.united(w->geometry());
    const int barWidth = m_scroll->verticalScrollBar()->sizeHint().width();
    const bool tall = content.bottom() + 20 > height();
    const bool wide = content.right() + 1 > this->width() - (tall ? barWidth : 0);
    m_scroll->setHorizontalScrollBarPolicy(wide ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    const int width = std::max(this->width() - (tall ? barWidth : 0), content.right() + 1);
    const int height = std::max(this->height(), tall ? content.bottom() + 21 : 0);
    m_canvas->resize(width, height);
    m_canvas->update();
    // The back label keeps clear of the scroll bar when there is one.
    const int left = m_stage.width() - 55;
    Label_return->move(tall ? std::min(left, this->width() - barWidth - Label_return->width() - 4) : left,
                       Label_return->y());
    Label_return->raise();
}

void TForm_float2::notifyFailure(const tessaly::Status &status)
{
    if (!status)
        m_services.messages.notify(this, QStringLiteral("提示"), toQt(status.error().message));
}

// --- Text view ---

void TForm_float2::buildTextView()
{
    Label_li->hide();
    for (PhotoTile *p : m_pictures)
        p->hide();
    for (CaptionText *c : m_captions)
        c->hide();
    auto s = openSettings(m_dir);
    if (!s) {
        notifyFailure(s.error());
        return;
    }
    const WinnersTextView v = buildWinnersTextView(*s, m_data.awards, m_data.display, m_award, m_data.showPrize,
                                                   m_measurer, {m_stage.width(), m_stage.height()}, m_page);
    if (!v.notice.empty() && notice)
        notice(toQt(v.notice));
    m_textStyle = v.style;
    m_page = v.page;
    m_pages = v.pages;
    QStringList lines;
    for (const auto &l : v.text.lines)
        lines << toQt(l);
    Label_tx->setText(lines, toQFont(v.namesFont), toQColor(v.namesFont.color), v.headingLines,
                      toQFont(v.headingFont));
    Label_tx->move(v.position.x, v.position.y);
    Label_tx->show();
    fitCanvas();
    showPageCaption();
}

void TForm_float2::writeTextStyle()
{
    auto s = openSettings(m_dir);
    if (!s) {
        notifyFailure(s.error());
        return;
    }
    WinnersTextStyle style = m_textStyle;
    style.left = Label_tx->x();
    style.top = Label_tx->y();
    writeWinnersTextStyle(*s, m_award, style);
    notifyFailure(s->commit());
}

void TForm_float2::chooseTextFont()
{
    if (auto chosen = chooseFont(this, m_services.messages, m_services.pickers, m_textStyle.font))
        m_textStyle.font = *chosen;
    writeTextStyle();  // also after a cancel, with the block where it stands
    buildTextView();
}

void TForm_float2::choosePerRow()
{
    TForm_float2showgs dialog(m_textStyle.perRow, m_services.messages, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_textStyle.perRow = dialog.perRow();
    writeTextStyle();
    buildTextView();  // the names are fitted to the window again, so a row is never wider than it
}

void TForm_float2::toggleCentre()
{
    auto s = openSettings(m_dir);
    if (!s) {
        notifyFailure(s.error());
        return;
    }
    const bool on = !readWinnersTextCentred(*s);
    writeWinnersTextCentred(*s, on);
    notifyFailure(s->commit());
    if (on)
        buildTextView();  // centred, the block has the whole window to fill
}

void TForm_float2::toggleAdjustMode()
{
    if (auto s = openSettings(m_dir)) {
        writeWinnersTextCentred(*s, false);
        notifyFailure(s->commit());
    }
    m_adjustMode = !m_adjustMode;
    if (m_adjustMode)
        return;
    if (Label_tx->isVisibleTo(m_canvas) && !Label_tx->blank())
        writeTextStyle();
    m_drag->detach();
}

void TForm_float2::back()
{
    if (m_adjustMode)
        toggleAdjustMode();
    else
        close();
}

// --- Photo view ---

void TForm_float2::buildPhotoView()
{
    Label_tx->hide();
    auto s = openSettings(m_dir);
    if (!s) {
        notifyFailure(s.error());
        return;
    }
    const WinnersPhotoStyle style = readWinnersPhotoStyle(*s, m_award);
    m_namesFont = readWinnersCaptionFont(*s, WinnersCaption::Names, m_award);
    m_captionFont = readWinnersCaptionFont(*s, WinnersCaption::Award, m_award);
    const std::vector<std::string> &names = namesOf(m_award);
    const int n = static_cast<int>(std::min<size_t>(names.size(), kMaxPhotoSlots));

    const WinnersPhotoFit fit = photoFit(m_award, style, m_captionFont);
    // The caption and the names grow with the pictures; the stored fonts stay as they are.
    auto grown = [&fit](const FontSpec &font) { return withSize(font, roundHalfEven(font.size * fit.scale)); };
    const LGrade &grade = m_data.awards[m_award];
    const QString caption =
        toQt(grade.name) + QStringLiteral("(%1名，").arg(names.size()) + toQt(grade.prizeName) + QStringLiteral(")");
    const int margin = winnersMargin({m_stage.width(), m_stage.height()});
    Label_li->setText(caption, fontFittingWidth(toQFont(grown(m_captionFont)), caption, m_stage.width() - 2 * margin),
                      toQColor(m_captionFont.color));
    Label_li->move(roundHalfEven((m_stage.width() - Label_li->width()) / 2.0), style.captionTop);
    Label_li->show();

    m_tile = QSize(fit.tile.width, fit.tile.height);
    PhotoGridSpec grid{fit.columns, fit.columnGap, style.captionTop + Label_li->height() + fit.rowGap, fit.rowGap,
                       m_tile.width(), m_tile.height()};
    auto placed = n > 0 ? placeWinnerPhotoGrid(grid, n, m_stage.width())
                        : Result<std::vector<SlotPosition>>(std::vector<SlotPosition>{});
    if (!placed) {
        notifyFailure(placed.error());
        placed = std::vector<SlotPosition>{};
    }
    const QFont namesFont = toQFont(grown(m_namesFont));
    const QColor namesColor = toQColor(m_namesFont.color);
    // The widgets of earlier pages are kept and reused: paging only moves and refills them.
    while (m_pictures.size() < placed->size()) {
        auto *picture = new PhotoTile(m_canvas);
        picture->setObjectName(QStringLiteral("imgli_%1").arg(m_pictures.size() + 1));
        m_pictures.push_back(picture);
        m_captions.push_back(new CaptionText(m_canvas));
    }
    for (size_t i = 0; i < m_pictures.size(); ++i) {
        m_pictures[i]->dropImage();
        if (i >= placed->size()) {
            m_pictures[i]->hide();
            m_captions[i]->hide();
            continue;
        }
        const SlotPosition &at = (*placed)[i];
        PhotoTile *picture = m_pictures[i];
        picture->setGeometry(at.left, at.top, m_tile.width(), m_tile.height());
        picture->show();
        CaptionText *caption = m_captions[i];
        caption->setText(toQt(names[i]), namesFont, namesColor);
        const SlotPosition c = photoCaptionPosition({at.left, at.top, m_tile.width(), m_tile.height()},
                                                    {caption->width(), caption->height()});
        caption->move(c.left, c.top);
        caption->show();
        caption->raise();
    }
    m_shownPictures = static_cast<int>(placed->size());
    fitCanvas();
    // A page of pictures is as many whole rows as the window shows.
    const int rowStep = m_tile.height() + fit.rowGap;
    const int screen = m_scroll->viewport()->height();
    m_photoPageStep = std::max(1, screen / std::max(1, rowStep)) * std::max(1, rowStep);
    m_pages = 1 + (std::max(0, m_canvas->height() - screen) + m_photoPageStep - 1) / m_photoPageStep;
    m_page = std::clamp(m_page, 0, m_pages - 1);
    loadPhotosInView();
    showPageCaption();

    // While this award is on screen, the photos of the next one's first
    // screens are decoded.
    const int next = pageAward(m_award, m_data.awards.AwardCount, m_data.scrollDown, PageCommand::Next);
    if (next != m_award) {
        const WinnersPhotoStyle nextStyle = readWinnersPhotoStyle(*s, next);
        const TextSize nextTile =
            photoFit(next, nextStyle, readWinnersCaptionFont(*s, WinnersCaption::Award, next)).tile;
        const std::vector<std::string> &nextNames = namesOf(next);
        const int perRow = std::max(1, nextStyle.columns);
        const int rows = std::max(1, 2 * m_stage.height() / std::max(1, nextTile.height + nextStyle.rowGap) + 1);
        const size_t ahead = std::min({nextNames.size(), static_cast<size_t>(kMaxPhotoSlots),
                                       static_cast<size_t>(perRow) * static_cast<size_t>(rows)});
        m_photos.prefetch({nextNames.begin(), nextNames.begin() + static_cast<long>(ahead)},
                          QSize(nextTile.width, nextTile.height));
    }
}

WinnersPhotoFit TForm_float2::photoFit(int award, const WinnersPhotoStyle &style, const FontSpec &captionFont)
{
    const TextSize window{m_stage.width(), m_stage.height()};
    const std::vector<std::string> &names = namesOf(award);
    const int n = static_cast<int>(std::min<size_t>(names.size(), kMaxPhotoSlots));
    const int captionHeight = QFontMetrics(toQFont(captionFont)).height();
    const WinnersPhotoFit unbounded = fitWinnersPhotos(window, n, style, captionHeight, window);
    if (unbounded.scale <= 1.0)
        return unbounded;
    // Grown no further than the photos' own pixels: their sizes are read only when it matters.
    const QSize largest = m_photos.largestPhoto({names.begin(), names.begin() + n});
    return fitWinnersPhotos(window, n, style, captionHeight, {largest.width(), largest.height()});
}

void TForm_float2::loadPhotosInView()
{
    if (!m_data.photoMode || m_shownPictures == 0)
        return;
    // The view and one screen on every side of it hold pixels; the rest let go of theirs.
    const QRect view(m_scroll->horizontalScrollBar()->value(), m_scroll->verticalScrollBar()->value(),
                     m_scroll->viewport()->width(), m_scroll->viewport()->height());
    const QRect near = view.adjusted(-view.width(), -view.height(), view.width(), view.height());
    const std::vector<std::string> &names = namesOf(m_award);
    std::vector<std::string> wanted;
    std::vector<PhotoTile *> waiting;
    for (int i = 0; i < m_shownPictures; ++i) {
        PhotoTile *picture = m_pictures[static_cast<size_t>(i)];
        if (!picture->geometry().intersects(near)) {
            picture->dropImage();
        } else if (!picture->loaded()) {
            wanted.push_back(names[static_cast<size_t>(i)]);
            waiting.push_back(picture);
        }
    }
    if (wanted.empty())
        return;
    const std::vector<QImage> images = m_photos.pictures(wanted, m_tile);
    for (size_t i = 0; i < waiting.size(); ++i)
        waiting[i]->setImage(images[i]);
}

qint64 TForm_float2::photoBytes() const
{
    qint64 bytes = m_photos.bytes();
    for (const PhotoTile *p : m_pictures)
        bytes += p->image().sizeInBytes();  // mostly shared with the cache: counted twice, to be safe
    return bytes;
}

std::vector<PhotoTile *> TForm_float2::pictures() const
{
    return {m_pictures.begin(), m_pictures.begin() + m_shownPictures};
}

std::vector<CaptionText *> TForm_float2::captions() const
{
    return {m_captions.begin(), m_captions.begin() + m_shownPictures};
}

void TForm_float2::arrangePhotos()
{
    // Photo mode's layout dialog, started from this award's stored grid.
    WinnersPhotoStyle style;
    if (auto s = openSettings(m_dir))
        style = readWinnersPhotoStyle(*s, m_award);
    TForm_changpspho::Context context;
    context.caption = QStringLiteral("抽奖结果图片位置编排");
    context.fields.columns = QString::number(style.columns);
    context.fields.columnGap = QString::number(style.columnGap);
    context.fields.top = QString::number(style.captionTop);
    context.fields.rowGap = QString::number(style.rowGap);
    const QSize first = m_shownPictures > 0 ? m_pictures.front()->size() : QSize(style.width, style.height);
    context.fields.width = first.width();
    context.fields.height = first.height();
    context.fields.ratioWidth = QString::number(style.width);
    context.fields.ratioHeight = QString::number(style.height);
    if (storedFileExists(m_dir, "Awardimg\\photest.jpg"))
        context.preview = QImage(QString::fromStdString(resolveStoredPath(m_dir, "Awardimg\\photest.jpg").string()));
    context.ratioRequired = false;
    context.stage = m_stage;
    TForm_changpspho dialog(context, m_services.messages, this);
    if (dialog.exec() == QDialog::Accepted) {
        m_photos.clear();  // pictures of the old size are no use any more
        const PhotoGridSpec grid = dialog.grid();
        style = {grid.columns, grid.top, grid.columnGap, grid.rowGap, grid.width, grid.height};
        if (auto s = openSettings(m_dir)) {
            writeWinnersPhotoStyle(*s, m_award, style);
            notifyFailure(s->commit());
        } else {
            notifyFailure(s.error());
        }
    }
    buildPhotoView();
}

void TForm_float2::chooseNamesFont()
{
    if (auto chosen = chooseFont(this, m_services.messages, m_services.pickers, m_namesFont))
        m_namesFont = *chosen;
    if (auto s = openSettings(m_dir)) {
        writeWinnersCaptionFont(*s, WinnersCaption::Names, m_award, m_namesFont);
        notifyFailure(s->commit());
    }
    buildPhotoView();
}

void TForm_float2::chooseCaptionFont()
{
    if (auto chosen = chooseFont(this, m_services.messages, m_services.pickers, m_captionFont))
        m_captionFont = *chosen;
    if (auto s = openSettings(m_dir)) {
        writeWinnersCaptionFont(*s, WinnersCaption::Award, m_award, m_captionFont);
        notifyFailure(s->commit());
    }
    buildPhotoView();
}

// --- Paging, keys and menus ---

void TForm_float2::page(PageCommand command)
{
    // A clicker's next and previous walk through the pages of a long award first.
    if (command == PageCommand::Next && m_page + 1 < m_pages) {
        ++m_page;
        showPage(true);
        return;
    }
    if (command == PageCommand::Previous && m_page > 0) {
        --m_page;
        showPage(true);
        return;
    }
    m_award = pageAward(m_award, m_data.awards.AwardCount, m_data.scrollDown, command);
    m_page = 0;
    showPage(false);
}

void TForm_float2::showPage(bool sameAward)
{
    if (m_data.photoMode) {
        // A page of pictures is a screen further down the same grid.
        if (!sameAward) {
            m_scroll->verticalScrollBar()->setValue(0);
            buildPhotoView();
        }
        m_scroll->verticalScrollBar()->setValue(m_page * m_photoPageStep);
        showPageCaption();
        return;
    }
    m_scroll->verticalScrollBar()->setValue(0);
    buildTextView();
}

void TForm_float2::showPageCaption()
{
    const bool shown = autoPaging() || m_pages > 1;
    Label_page->setVisible(shown);
    if (!shown)
        return;
    const FontSpec &look = m_data.photoMode ? m_namesFont : m_textStyle.font;
    QFont font = toQFont(look);
    const int margin = winnersMargin({m_stage.width(), m_stage.height()});
    font.setPixelSize(std::max(10, margin * 4 / 5));
    Label_page->setText(toQt(pageCaption(m_page, m_pages)), font, toQColor(look.color));
    Label_page->move(width() - margin - Label_page->width(), height() - margin / 4 - Label_page->height());
    Label_page->raise();
}

bool TForm_float2::autoPaging() const
{
    return m_autoPage->isActive();
}

void TForm_float2::toggleAutoPaging()
{
    if (autoPaging()) {
        stopAutoPaging();
        return;
    }
    int seconds = kAutoPageDefault;
    if (auto s = openSettings(m_dir))
        seconds = readAutoPagePeriod(*s);
    TForm_float2autopage dialog(seconds, m_services.messages, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (auto s = openSettings(m_dir)) {
        writeAutoPagePeriod(*s, dialog.seconds());
        notifyFailure(s->commit());
    } else {
        notifyFailure(s.error());
    }
    m_autoPage->start(dialog.seconds() * 1000);
    showPageCaption();
    setFocus();
}

void TForm_float2::stopAutoPaging()
{
    m_autoPage->stop();
    showPageCaption();
}

void TForm_float2::autoPageTick()
{
    const WinnerLists lists = m_data.photoMode ? m_data.names : m_data.display;
    std::vector<int> counts;
    for (const auto &list : lists)
        counts.push_back(static_cast<int>(list.size()));
    const WinnersPage next =
        nextAutoPage({m_award, m_page}, m_pages, counts, m_data.awards.AwardCount, m_data.scrollDown);
    const bool sameAward = next.award == m_award;
    m_award = next.award;
    m_page = next.page;
    showPage(sameAward);
}

void TForm_float2::keyPressEvent(QKeyEvent *event)
{
    if (autoPaging()) {
        // Any key stops the paging, and that is all it does.
        stopAutoPaging();
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_PageUp: page(PageCommand::First); return;
    case Qt::Key_PageDown: page(PageCommand::Last); return;
    case Qt::Key_Space: page(PageCommand::Previous); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: page(PageCommand::Next); return;
    case Qt::Key_Escape: back(); return;
    default: QWidget::keyPressEvent(event);
    }
}

void TForm_float2::contextMenuEvent(QContextMenuEvent *event)
{
    std::unique_ptr<QMenu> menu(createPopupMenu(this));
    menu->exec(event->globalPos());
}

QMenu *TForm_float2::createPopupMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    auto item = [this, menu](const char *name, const QString &caption, auto slot) {
        QAction *a = menu->addAction(caption, this, slot);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    const bool photos = m_data.photoMode;
    menu->setObjectName(QString::fromLatin1(photos ? "PopupMenu_pho" : "PopupMenu1"));
    item(photos ? "Npho6" : "N6", QStringLiteral("上一奖项  Space"), [this] { page(PageCommand::Previous); });
    item(photos ? "Npho7" : "N7", QStringLiteral("下一奖项  Enter"), [this] { page(PageCommand::Next); });
    item(photos ? "Npho8" : "N10", QStringLiteral("最前奖项  PgUp"), [this] { page(PageCommand::First); });
    item(photos ? "Npho9" : "N11", QStringLiteral("最后奖项  PgDn"), [this] { page(PageCommand::Last); });
    QAction *paging = item(photos ? "Npho10" : "N13", QStringLiteral("自动翻页"), &TForm_float2::toggleAutoPaging);
    paging->setCheckable(true);
    paging->setChecked(autoPaging());
    menu->addSeparator();
    if (photos) {
        item("NPho1", QStringLiteral("位置分列编排"), &TForm_float2::arrangePhotos);
        item("Npho2", QStringLiteral("设置文字字体"), &TForm_float2::chooseNamesFont);
        item("Npho5", QStringLiteral("更换背景图片..."), &TForm_float2::chooseBackground);
        item("Npho3", QStringLiteral("导出中奖图片..."), &TForm_float2::exportPictures);
        item("Npho4", QStringLiteral("返回主界面"), &QWidget::close);
        return menu;
    }
    item("N1", QStringLiteral("设置字体"), &TForm_float2::chooseTextFont);
    item("N3", QStringLiteral("更换背景图片..."), &TForm_float2::chooseBackground);
    item("N2", QStringLiteral("每行显示个数"), &TForm_float2::choosePerRow);
    QAction *centre = item("N9", QStringLiteral("整体自动居中"), &TForm_float2::toggleCentre);
    centre->setCheckable(true);
    auto s = openSettings(m_dir);
    centre->setChecked(!s || readWinnersTextCentred(*s));
    QAction *adjust = item("N12", QStringLiteral("调整界面位置"), &TForm_float2::toggleAdjustMode);
    adjust->setCheckable(true);
    adjust->setChecked(m_adjustMode);
    item("N4", QStringLiteral("导出抽取结果..."), &TForm_float2::exportResults);
    item("N5", QStringLiteral("返回主界面"), &QWidget::close);
    return menu;
}

QMenu *TForm_float2::createCaptionMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("PopupMenu_phoGrade"));
    menu->addAction(QStringLiteral("设置字体"), this, &TForm_float2::chooseCaptionFont)
        ->setObjectName(QStringLiteral("NPPG1"));
    return menu;
}

// --- Background and exports ---

void TForm_float2::chooseBackground()
{
    const QString file = m_services.pickers.pickOpenFile(this, QStringLiteral("选择背景图片"),
                                                         QStringLiteral("图片文件 (*.jpg *.jpeg *.bmp *.png)"));
    if (file.isEmpty())
        return;
    auto imported = importIntoProgramFolder(m_dir, file.toStdString(), "img");
    if (!imported)
        return;  // a failed copy changes nothing
    auto s = openSettings(m_dir);
    if (!s) {
        notifyFailure(s.error());
        return;
    }
    s->writeString("Option", "S2ImgBG", *imported);
    if (Status c = s->commit(); !c) {
        notifyFailure(c);
        return;
    }
    m_services.messages.notify(this, QStringLiteral("提示"), QStringLiteral("重新进入此页面时背景才生效"));
}

void TForm_float2::exportResults()
{
    // The type chosen in the dialog decides the format, and the file gets its suffix.
    struct Type {
        QString filter;
        ExportFormat format;
        const char *suffix;
    };
    const Type types[] = {{QStringLiteral("文本文件(*.txt)"), ExportFormat::Text, ".txt"},
                          {QStringLiteral("Excel 工作簿(*.xlsx)"), ExportFormat::Xlsx, ".xlsx"},
                          {QStringLiteral("CSV 文件(*.csv)"), ExportFormat::Csv, ".csv"}};
    QStringList filters;
    for (const Type &t : types)
        filters << t.filter;
    const PickerService::TypedFile picked =
        m_services.pickers.pickTypedSaveFile(this, QStringLiteral("导出抽取结果"), filters, exportStartPath(m_dir));
    if (picked.file.isEmpty())
        return;
    const Type &type = types[std::clamp(picked.type, 0, static_cast<int>(std::size(types)) - 1)];
    QString file = picked.file;
    if (!file.endsWith(QLatin1String(type.suffix), Qt::CaseInsensitive))
        file += QLatin1String(type.suffix);
    Status written = tessaly::exportResults(m_dir, type.format, file.toStdString());
    if (!written) {
        notifyFailure(written);
        return;
    }
    confirmExported(this, m_services.messages, file);
}

void TForm_float2::exportPictures()
{
    const QString folder = m_services.pickers.pickFolder(this, QStringLiteral("请选择文件夹"));
    if (folder.isEmpty())
        return;
    int total = 0;
    for (int a = 0; a < std::min<int>(kMaxAwards, static_cast<int>(m_data.names.size())); ++a)
        total += static_cast<int>(m_data.names[static_cast<size_t>(a)].size());
    QProgressDialog progress(QStringLiteral("正在导出中奖图片..."), QString(), 0, std::max(total, 1), this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    auto result = exportWinnerPictures(m_dir, m_data.awards, m_data.names, folder.toStdString(), [&](int done) {
        progress.setValue(done);
        QApplication::processEvents();
    });
    progress.reset();
    if (!result) {
        m_services.messages.notify(this, QStringLiteral("提示"), toQt(result.error().message));
        return;
    }
    QString text = QStringLiteral("导出中奖图片完成");
    if (!result->renamed.empty())
        text += QStringLiteral("\n奖项名称中不能用作文件夹名的字符已替换为“_”：") + joinedNames(result->renamed, 10);
    if (!result->missing.empty())
        text += QStringLiteral("\n以下照片不存在，未能导出：") + joinedNames(result->missing, 20);
    m_services.messages.notify(this, QStringLiteral("提示"), text);
}

}  // namespace tessaly
