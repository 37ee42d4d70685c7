// The two dialogs of the winners window: winners per row of the text view,
// and the arrangement of the photo grid of one award.
#pragma once

#include <QDialog>
#include <QSize>
#include <filesystem>
#include <optional>

namespace Ui {
class TForm_float2showgs;
class TForm_float2changpspho;
}

namespace tessaly {

class MessageService;

// Asks for the winners per row of an award, starting at the stored count. A
// blank or zero count is refused; the window stores the accepted one with
// the block's font and position.
class TForm_float2showgs : public QDialog {
    Q_OBJECT
public:
    TForm_float2showgs(int current, MessageService &messages, QWidget *parent = nullptr);
    ~TForm_float2showgs() override;
    int perRow() const { return m_perRow; }

private:
    void Button1Click();

    Ui::TForm_float2showgs *m_ui;
    MessageService &m_messages;
    int m_perRow = 0;
};

// The photo grid of one award (float2pho): columns, gaps, top margin and
// picture size, with an optional fixed ratio and a preview. Writes on OK.
class TForm_float2changpspho : public QDialog {
    Q_OBJECT
public:
    // firstPicture: the size of the award's first winner picture; without
    // winners the stored size is offered.
    TForm_float2changpspho(std::filesystem::path programDir, int award, std::optional<QSize> firstPicture,
                           MessageService &messages, QWidget *parent = nullptr);
    ~TForm_float2changpspho() override;

private:
    void Edit4Change();
    void Edit5Change();
    void CheckBox1Click();
    void Button1Click();
    bool ratio(double &width, double &height) const;

    Ui::TForm_float2changpspho *m_ui;
    std::filesystem::path m_programDir;
    int m_award;
    MessageService &m_messages;
    bool m_syncing = false;
};

}  // namespace tessaly
