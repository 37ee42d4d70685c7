// The operator's actions on the draw, in one place: the stage's keys and
// buttons and the console's buttons call these and nothing else. Each action
// is one call into the session; its outcome is carried out on the stage, its
// notices and questions go to the operator, and what happened goes out as one
// stream of events that every view observes.
#pragma once

#include "core/draw/DrawEvents.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace tessaly {

class DrawSession;
class MessageService;

class DrawControl : public QObject {
    Q_OBJECT
public:
    struct StageHooks {
        // Carries out the outcome's stage actions and shows the new captions.
        std::function<void(const DrawOutcome &)> show;
        // The stage's unsaved layout is stored before the draw starts over.
        std::function<void()> saveLayout;
        // The stage keeps a stop's winners back (true) while their records are not on disk,
        // and shows them (false) once the retry wrote them.
        std::function<void(bool)> holdWinners;
    };

    DrawControl(DrawSession &session, MessageService &messages, StageHooks hooks, QObject *parent = nullptr);

    // Where the operator's questions and dialogs open: the console when there
    // is one, otherwise the stage.
    void setOperatorWindow(QWidget *window) { m_operator = window; }
    void setStageWindow(QWidget *window) { m_stage = window; }
    QWidget *operatorWindow() const;

    // The operator's actions.
    void start();              // the start button: prepares, rolls
    void stop();               // the stop button
    void startKey(int key);    // the start key, on release: prepares, rolls or stops
    void giveUp();             // "弃奖..."
    void supplement();         // "补奖..."
    void restart();            // "重新开始抽奖", after the operator confirmed
    // "不在场，重抽一人": the winner at `position` of the award's list, after the operator confirmed.
    void redrawOne(int award, int position);
    void startFromAward(int award);
    void reveal();             // "揭示种子", after the operator confirmed
    void resetDraw(bool useLists);
    void stopForSettings();    // a running roll is stopped before a settings dialog opens
    void retrySave();          // a failed save is tried again
    // The outcome of a call made elsewhere (photo loading, settings, the
    // correction dialogs), carried out like the actions' own.
    void apply(const DrawOutcome &outcome);

    DrawSession &session() { return m_session; }
    // A widget that takes typed text keeps the start key and the function keys.
    static bool takesText(const QWidget *widget);
    // The message of the last save that failed, empty while nothing is owed.
    const std::string &saveError() const { return m_saveError; }

signals:
    void happened(const tessaly::DrawEvent &event);

private:
    DrawSession &m_session;
    MessageService &m_messages;
    StageHooks m_hooks;
    QPointer<QWidget> m_operator;
    QPointer<QWidget> m_stage;
    DrawEventTracker m_tracker;
    std::string m_saveError;
    bool m_holding = false;  // the stage keeps the winners of a stop whose save failed
};

}  // namespace tessaly
