// The operator console: the draw's progress, large start and stop buttons, the
// last batch's winners with "不在场，重抽一人", a miniature of the stage,
// warnings, and the event folder, the last save and a clock. It shows the
// draw's events and calls the operator's actions; it decides nothing itself.
#pragma once

#include "core/draw/DrawEvents.h"

#include <QDateTime>
#include <QMap>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace Ui {
class TFrmConsole;
}

class QLabel;

namespace tessaly {

class DrawControl;
class StageMiniature;

class TFrmConsole : public QWidget {
    Q_OBJECT
public:
    struct Context {
        QString eventFolder;
        bool rehearsal = false;
        std::function<QSize()> stageSize;
        // The operator chose the stage's screen: a screen's name, empty for automatic.
        std::function<void(const QString &)> chooseStageScreen;
    };

    TFrmConsole(DrawControl &control, Context context, QWidget *parent = nullptr);
    ~TFrmConsole() override;

    // The screens the stage may take, by name; `current` is the stored choice (empty: automatic).
    void setScreens(const QStringList &names, const QString &current);
    // A warning that stays until the same key is set again with an empty text.
    void setWarning(const QString &key, const QString &text);
    // Adds a row to the progress fields; the label's text is kept up to date by its owner.
    QLabel *addField(const QString &caption);
    // Adds a panel of a feature beside the last batch and the warnings; the console owns it then.
    void addPanel(QWidget *panel);
    // Fields, winners and warnings read again from the draw.
    void refresh();

    StageMiniature *miniature() const;
    QStringList warnings() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void observe(const DrawEvent &event);
    void showLastBatch(const DrawEvent &stop);
    void redrawOne(int row);
    void tick();
    void showNotices();

    Ui::TFrmConsole *m_ui;
    DrawControl &m_control;
    Context m_context;
    QTimer m_clock;
    QDateTime m_lastSave;
    int m_lastAward = -1;       // the award of the batch in the winners list
    int m_lastFirst = 0;        // its first winner's position in the award's list
    QMap<QString, QString> m_warnings;
    int m_noticeSubscription = 0;
};

}  // namespace tessaly
