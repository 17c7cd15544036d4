#pragma once
// GuideMsg_Dialog "ｶﾞｲﾄﾞﾒｯｾｰｼﾞ": the small window that shows the guide
// messages that have just fallen due.  Non-modal, without owner, kept out of
// the task bar.  The monitor hands it its text and keeps its last position
// for the run; the automatic-confirmation flag is read and saved through
// the main window.  Built by a load, destroyed by its unload (close).
#include <QWidget>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class GuideMsg_Dialog : public QWidget {
    Q_OBJECT
public:
    struct Shared {
        // Where it was when last closed, in twips (0: no position kept);
        // the monitor's, written when the window closes.
        int* top = nullptr;
        int* left = nullptr;
        std::function<int()> Form_AutoGuide;
        std::function<void(int&)> Form_MyConfWriteAutoGuide;
        std::function<QIcon()> icon;    // the main window's
        QWidget* mainWindow = nullptr;  // its placement gives the scale
    };
    // Loads the window (placement, check box, focus); it is shown by
    // showMessages.
    explicit GuideMsg_Dialog(Shared shared);

    // Replaces the text, shows the window if it is not shown (or restores it
    // when it is minimised) and brings it to the front over other programs'
    // windows; screen readers are told.
    void showMessages(const QString& text);
    // Ticked automatic confirmation.
    bool autoConfirm() const;
    // From its load until its unload.
    bool loaded() const { return !unloaded_; }

    void Check1_Click();
    void Command1_Click();

    // Where the load placed the window, in twips.
    int placedTop() const { return top_; }
    int placedLeft() const { return left_; }

    QLineEdit* Dummy_Text = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;
    QCheckBox* Check1 = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void setupControls();
    void Form_Load();
    void Form_Unload();
    void placeFlushRight();
    void bringToFront();
    void announce();

    Shared s_;
    int ux_ = 15;
    int uy_ = 15;
    int top_ = 0;
    int left_ = 0;
    bool unloaded_ = false;
    // No place stored: the window sits flush with the work area's right edge.
    bool flushRight_ = false;
    QPoint placedAt_;
};
