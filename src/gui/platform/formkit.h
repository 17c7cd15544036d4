#pragma once
// Builds a form's controls at their design-time places, given in twips, with
// the object names the forms use for them.  Shared by every form.
#include <QColor>
#include <QString>
#include <functional>

class QAbstractButton;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace uFCom_Bas {

// The frame of the program's fixed-size dialogs: a caption and a close box.
constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
// A dialog of mainWindow: its object name and caption, modal for that window
// only (a guide pop-up that opens meanwhile can still be confirmed), and the
// window's icon (the program's without a window).
void DialogFrame(QDialog* dialog, QWidget* mainWindow, const QString& objectName, const QString& caption);

class FormKit {
public:
    // Twips per pixel of the screen the form is on.
    FormKit(int unitsX, int unitsY) : ux_(unitsX), uy_(unitsY) {}
    // At the scale mainWindow's placement measured.
    static FormKit placed(const QWidget* mainWindow);

    int px(int twips) const;
    int pxY(int twips) const;
    void place(QWidget* w, int left, int top, int width, int height) const;

    QLabel* label(QWidget* parent, const QString& name, const QString& text, int l, int t, int w, int h) const;
    // A button filled with its own colour (none: the style's colour).
    QPushButton* button(QWidget* parent, const QString& name, const QString& text, int l, int t, int w, int h,
                        const QColor& fill = QColor()) const;
    QGroupBox* frame(QWidget* parent, const QString& name, const QString& title, int l, int t, int w, int h) const;
    // Multi-line box in "ＭＳ ゴシック" 9 pt; Tab moves on instead of typing.
    QPlainTextEdit* textBox(QWidget* parent, const QString& name, const QString& accessibleName, int l, int t, int w,
                            int h) const;
    QListWidget* list(QWidget* parent, const QString& name, const QString& accessibleName, int l, int t, int w,
                      int h) const;
    // A pick-only drop-down list.
    QComboBox* dropDown(QWidget* parent, const QString& name, const QString& accessibleName, int l, int t, int w,
                        int h) const;
    // The hidden box that holds the keyboard focus after an operation: it
    // takes the focus and keys like any text box but draws nothing.
    QLineEdit* focusBox(QWidget* parent, const QString& name, const QString& accessibleName, int l, int t) const;

private:
    int ux_;
    int uy_;
};

// A caption too wide for its button goes on two lines, broken after the
// particle nearest the middle (を, へ, の, に), else in the middle, as the
// platform's buttons wrap their captions; the accessible name stays whole.
void fitCaption(QPushButton* button);

// A check box's Click: handler runs whenever the box changes state through
// the operator (mouse, keyboard) or assistive technology (its toggle
// action), never for setCheckedQuietly.
void onClick(QAbstractButton* box, std::function<void()> handler);
// Sets the box as the program does, without its Click.
void setCheckedQuietly(QAbstractButton* box, bool checked);

void setTextColour(QWidget* w, const QColor& colour);
// The tool tip doubles as the accessible description.
void setTip(QWidget* w, const QString& tip);

}  // namespace uFCom_Bas
