// The layout dialog of a photo grid ("位置分列编排"): columns, gaps, top margin
// and picture size, with an optional width-to-height ratio and a preview of
// the picture at the chosen size. It checks the fields (blank ones, and values
// the stage cannot show) and hands back the grid; the caller stores it.
#pragma once

#include "core/stage/PhotoGrid.h"

#include <QDialog>
#include <QImage>
#include <optional>

namespace Ui {
class TForm_changpspho;
}

namespace tessaly {

class MessageService;

class TForm_changpspho : public QDialog {
    Q_OBJECT
public:
    struct Fields {
        QString columns, columnGap = QStringLiteral("30"), top, rowGap = QStringLiteral("30");
        int width = 400;
        int height = 300;
        QString ratioWidth = QStringLiteral("35"), ratioHeight = QStringLiteral("53");
    };
    struct Context {
        QString caption = QStringLiteral("抽奖滚动区位置编排");
        Fields fields;
        QImage preview;              // shown at the chosen size; may be null
        bool ratioRequired = true;   // the ratio fields are checked when the ratio is on
        QSize stage;                 // nothing typed may be larger than this
    };

    TForm_changpspho(Context context, MessageService &messages, QWidget *parent = nullptr);
    ~TForm_changpspho() override;

    // After "确定": the grid as typed.
    PhotoGridSpec grid() const { return m_grid; }

private:
    void Edit4Change();
    void Edit5Change();
    void CheckBox1Click();
    void Button1Click();
    // The other side of the picture from one side and the ratio; nothing when the ratio is unusable.
    std::optional<int> fromRatio(int side, bool fromWidth) const;
    QSize previewLimit() const;

    Ui::TForm_changpspho *m_ui;
    Context m_context;
    MessageService &m_messages;
    PhotoGridSpec m_grid;
    bool m_updating = false;
};

}  // namespace tessaly
