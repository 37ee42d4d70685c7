// The winners window "查看中奖名单": the winners of one award at a time on a
// full-stage window with its own background, as a text block (text mode) or
// as a wall of photos with names (photo mode). The operator pages through the
// awards with the keys a presenter clicker sends, styles each award, and
// exports the results. Every change is written at once, per award.
#pragma once

#include "core/settings/AwardTable.h"
#include "core/stage/ResultsText.h"
#include "core/winners/WinnersFit.h"
#include "core/winners/WinnersView.h"
#include "ui/common/Fonts.h"
#include "ui/winners/WinnersWidgets.h"

#include <QWidget>
#include <filesystem>
#include <functional>
#include <vector>

class QMenu;
class QScrollArea;
class QTimer;

namespace tessaly {

class MessageService;
class PickerService;
class TAALabel;
class TStretchHandle;

class TForm_float2 : public QWidget {
    Q_OBJECT
public:
    struct Services {
        MessageService &messages;
        PickerService &pickers;
    };
    struct Winners {
        const AwardTable &awards;
        WinnerLists display;  // AwardWinners: the texts of the text view
        WinnerLists names;    // AwardWinnerNames: the photos and their captions
        bool showPrize;       // the stage's prize label is visible
        bool scrollDown;      // the award order of the draw
        bool photoMode;
    };

    TForm_float2(std::filesystem::path programDir, Services services, QSize stage, Winners winners, int award,
                 QWidget *parent = nullptr);
    ~TForm_float2() override;

    // Builds the view of the award given at opening and places the back label.
    void FormShow();
    void page(PageCommand command);
    void buildTextView();
    void buildPhotoView();

    int viewedAward() const { return m_award; }
    bool photoMode() const { return m_data.photoMode; }
    bool adjustMode() const { return m_adjustMode; }
    WinnerPhotoCache &photoCache() { return m_photos; }
    // Bytes of photo pixels the window holds, in its cache and its pictures.
    qint64 photoBytes() const;
    // The popup menu of the current mode (PopupMenu1 or PopupMenu_pho), or of the award caption.
    QMenu *createPopupMenu(QWidget *parent);
    QMenu *createCaptionMenu(QWidget *parent);

    // Menu commands.
    void chooseTextFont();       // "设置字体"
    void choosePerRow();         // "每行显示个数"
    void toggleCentre();         // "整体自动居中"
    void toggleAdjustMode();     // "调整界面位置"
    void chooseBackground();     // "更换背景图片..."
    void exportResults();        // "导出抽取结果..."
    void arrangePhotos();        // "位置分列编排"
    void chooseNamesFont();      // "设置文字字体"
    void chooseCaptionFont();    // "设置字体" of the award caption
    void exportPictures();       // "导出中奖图片..."
    void toggleAutoPaging();     // "自动翻页": asks the period, or stops

    bool autoPaging() const;
    // The page of the viewed award on screen, from 0, and how many it has.
    int viewedPage() const { return m_page; }
    int pageCount() const { return m_pages; }
    // Shows the next page as automatic paging does (its timer calls this).
    void autoPageTick();

    // Where a stored value the window had to correct is named for the
    // operator, quietly, without a box over the show.
    std::function<void(const QString &text)> notice;

    WinnersCanvas *canvas() const { return m_canvas; }
    WinnersTextBlock *Label_tx = nullptr;
    CaptionText *Label_li = nullptr;
    TAALabel *Label_return = nullptr;
    CaptionText *Label_page = nullptr;  // "第 2/17 页" in the bottom right corner
    // The pictures and captions of the viewed award (more may exist, hidden).
    std::vector<PhotoTile *> pictures() const;
    std::vector<CaptionText *> captions() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void back();
    void fitCanvas();
    void showPage(bool sameAward);
    void showPageCaption();
    void stopAutoPaging();
    // The photo view's fit of an award, its pictures grown to fill the window.
    WinnersPhotoFit photoFit(int award, const WinnersPhotoStyle &style, const FontSpec &captionFont);
    void writeTextStyle();
    void notifyFailure(const tessaly::Status &status);
    // Gives the pictures in and near the view their photos and takes them from the others.
    void loadPhotosInView();
    WinnerLists::element_type &namesOf(int award) const;

    std::filesystem::path m_dir;
    Services m_services;
    QSize m_stage;
    Winners m_data;
    int m_award = 0;
    int m_page = 0;
    int m_pages = 1;
    int m_photoPageStep = 0;  // the scroll from one page of pictures to the next
    QTimer *m_autoPage = nullptr;
    bool m_adjustMode = false;
    int m_shownPictures = 0;
    QSize m_tile;  // the size the pictures of the viewed award are shown at
    WinnersTextStyle m_textStyle;
    FontSpec m_namesFont;
    FontSpec m_captionFont;
    QtTextMeasurer m_measurer;
    WinnerPhotoCache m_photos;
    QScrollArea *m_scroll = nullptr;
    WinnersCanvas *m_canvas = nullptr;
    TStretchHandle *m_drag = nullptr;
    std::vector<PhotoTile *> m_pictures;
    std::vector<CaptionText *> m_captions;
};

}  // namespace tessaly
