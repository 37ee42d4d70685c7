// The results window: its own background, two titles, the dated result line,
// a separator, the back label and one scroller listing every award with its
// winners. Each opening reads its settings anew.
#pragma once

#include "core/settings/AwardTable.h"
#include "core/settings/FontKeys.h"
#include "core/stage/ResultsText.h"
#include "ui/common/Fonts.h"
#include "ui/common/StretchedPicture.h"
#include "ui/stage/ScaledPlacement.h"

#include <QImage>
#include <QMap>
#include <QWidget>
#include <filesystem>
#include <functional>

class QMenu;

namespace tessaly {

class MessageService;
class PickerService;
class TAALabel;
class TAAScrollText;
class TSkyScrollText;
class TStretchHandle;

class TFrmFloat : public QWidget {
    Q_OBJECT
public:
    struct Services {
        MessageService &messages;
        PickerService &pickers;
    };
    struct Results {
        const AwardTable &awards;
        WinnerLists winners;
        bool showPrize;  // the main window's prize label is visible
    };

    TFrmFloat(std::filesystem::path programDir, Services services, QSize stage, Results results,
              QWidget *parent = nullptr);

    // Composes the results and shows them in the scroller of the display mode.
    void ShowResultsWindow();
    void ComposeResultsText();
    void ReadConfigFloat();
    void WriteConfigFloat();
    void AutoLayoutFloat();
    void toggleAdjustMode();

    // Where a stored value the window had to correct is named for the
    // operator, quietly, without a box over the show.
    std::function<void(const QString &text)> notice;

    int displayMode() const { return m_mode; }
    const ResultsText &results() const { return m_results; }
    bool adjustMode() const { return m_adjustMode; }
    bool layoutDirty() const { return m_dirty; }
    // How the window's stored layout ("screensec") maps onto this stage.
    const StageScale &scale() const { return m_placement.scale(); }

    TAALabel *SFirstTitle = nullptr;
    TAALabel *SSecondTitle = nullptr;
    TAALabel *SresultText = nullptr;
    TAALabel *Sline = nullptr;
    TAALabel *Label_return = nullptr;
    TAAScrollText *SScrollText = nullptr;
    TSkyScrollText *SkyScrollText1 = nullptr;
    TStretchHandle *myDrag2 = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    TAALabel *createLabel(const char *name);
    QList<TAALabel *> labels() const;
    QWidget *shownScroller() const;
    bool scrolling() const;
    void setScrolling(bool on);
    void refreshScroller();
    // Moves a list that is not scrolling by hand (positive: further down).
    void moveResults(int pixels);
    void centreScroller(int width);
    void scrollerMenu(const QPoint &globalPos);
    void changeStep(int delta);
    void chooseBackground();
    void exportResults();
    void editText(TAALabel *label, const char *section);
    void attach(QWidget *element);
    void applyFont(QWidget *element, const FontSpec &spec);
    // A label changed from its menu on a stage shown in proportion: its place and
    // font are stored again in their stored form.
    void storeLabel(const TAALabel *label);
    // The lists stay clear of the titles above them and inside the window.
    void keepListsInside();
    QString datedText(const QString &text) const;

    std::filesystem::path m_programDir;
    Services m_services;
    QSize m_stage;
    Results m_data;
    QtTextMeasurer m_measurer;
    ResultsText m_results;
    QMap<const QWidget *, FontSpec> m_fonts;  // as shown
    ScaledPlacement m_placement;
    StretchedPicture m_background;
    QString m_resultTemplate;
    int m_mode = 2;
    bool m_adjustMode = false;
    bool m_dirty = false;
};

}  // namespace tessaly
