// A small picture of the stage for the operator, drawn from the draw's state
// (captions, the slots' texts or the text block), not grabbed from the screen.
// It is redrawn at most five times a second, so it costs the roll nothing.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

namespace tessaly {

class DrawSession;

class StageMiniature : public QWidget {
    Q_OBJECT
public:
    explicit StageMiniature(QWidget *parent = nullptr);

    void setSession(const DrawSession *session);
    // The stage's size, for the proportions of the picture.
    void setStageSize(QSize size);
    // Asks for a redraw; several asks within 200 ms make one.
    void refresh();
    int paints() const { return m_paints; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const DrawSession *m_session = nullptr;
    QSize m_stage{1920, 1080};
    QTimer m_throttle;
    QTimer m_pulse;  // follows a roll
    QElapsedTimer m_sincePaint;
    int m_paints = 0;
};

}  // namespace tessaly
