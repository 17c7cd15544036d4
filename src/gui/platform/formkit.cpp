#include "gui/platform/formkit.h"

#include <QAbstractButton>

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <cstdlib>

#include "gui/platform/appicon.h"
#include "gui/platform/fonts.h"
#include "gui/platform/ufcom.h"

namespace uFCom_Bas {

void DialogFrame(QDialog* dialog, QWidget* mainWindow, const QString& objectName, const QString& caption)
{
    dialog->setObjectName(objectName);
    dialog->setWindowTitle(caption);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowIcon(mainWindow ? mainWindow->windowIcon() : programIcon());
}

namespace {
QStyle* frameStyle()
{
    static QStyle* style = QStyleFactory::create(QStringLiteral("Windows"));
    return style;
}

// A style that fills a button with its palette's colour: the Windows
// system styles paint buttons in the system's colours and ignore it.
QStyle* filledButtonStyle()
{
    static QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"));
    return style;
}
}  // namespace

FormKit FormKit::placed(const QWidget* mainWindow)
{
    const PlaceRecord r = PlaceGet(mainWindow);
    return FormKit(r.twipsPerPixelX(), r.twipsPerPixelY());
}

int FormKit::px(int twips) const
{
    return twipsToPixels(twips, ux_);
}

int FormKit::pxY(int twips) const
{
    return twipsToPixels(twips, uy_);
}

void FormKit::place(QWidget* w, int left, int top, int width, int height) const
{
    w->setGeometry(px(left), pxY(top), px(width), pxY(height));
}

QLabel* FormKit::label(QWidget* parent, const QString& name, const QString& text, int l, int t, int w, int h) const
{
    auto* lb = new QLabel(text, parent);
    lb->setObjectName(name);
    place(lb, l, t, w, h);
    return lb;
}

QPushButton* FormKit::button(QWidget* parent, const QString& name, const QString& text, int l, int t, int w, int h,
                             const QColor& fill) const
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    place(b, l, t, w, h);
    if (fill.isValid()) {
        QPalette pal = b->palette();
        pal.setColor(QPalette::Button, fill);
        pal.setColor(QPalette::ButtonText, Qt::black);
        b->setPalette(pal);
        if (QStyle* style = filledButtonStyle()) b->setStyle(style);
    }
    b->setAutoDefault(false);
    return b;
}

QGroupBox* FormKit::frame(QWidget* parent, const QString& name, const QString& title, int l, int t, int w, int h) const
{
    auto* f = new QGroupBox(title, parent);
    f->setObjectName(name);
    place(f, l, t, w, h);
    // The frame's line runs through the middle of its caption, as the forms
    // were laid out for: the toolkit's usual style draws it below the caption,
    // onto the controls placed at the top of the frame.
    if (QStyle* style = frameStyle()) f->setStyle(style);
    return f;
}

QPlainTextEdit* FormKit::textBox(QWidget* parent, const QString& name, const QString& accessibleName, int l, int t,
                                 int w, int h) const
{
    auto* e = new QPlainTextEdit(parent);
    e->setObjectName(name);
    place(e, l, t, w, h);
    e->setFont(gothicFont(9));
    e->setTabChangesFocus(true);
    e->setAccessibleName(accessibleName);
    return e;
}

QListWidget* FormKit::list(QWidget* parent, const QString& name, const QString& accessibleName, int l, int t, int w,
                           int h) const
{
    auto* lw = new QListWidget(parent);
    lw->setObjectName(name);
    place(lw, l, t, w, h);
    lw->setFont(gothicFont(9));
    lw->setAccessibleName(accessibleName);
    lw->setSelectionMode(QAbstractItemView::SingleSelection);
    return lw;
}

QComboBox* FormKit::dropDown(QWidget* parent, const QString& name, const QString& accessibleName, int l, int t, int w,
                             int h) const
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(false);
    place(c, l, t, w, h);
    c->setAccessibleName(accessibleName);
    return c;
}

QLineEdit* FormKit::focusBox(QWidget* parent, const QString& name, const QString& accessibleName, int l, int t) const
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    // No size: it is there for the focus chain and the keys, never seen.
    e->setGeometry(px(l), pxY(t), 0, 0);
    e->setFrame(false);
    e->setContextMenuPolicy(Qt::NoContextMenu);
    e->setAccessibleName(accessibleName);
    return e;
}

void fitCaption(QPushButton* b)
{
    const QString text = b->text();
    const int room = b->width() - 8;
    if (text.size() < 2 || b->fontMetrics().horizontalAdvance(text) <= room) return;
    const int middle = static_cast<int>(text.size() / 2);
    int cut = middle;
    int best = static_cast<int>(text.size());
    for (int i = 1; i < text.size(); ++i) {
        if (!QStringLiteral("をへのに").contains(text.at(i - 1))) continue;
        if (std::abs(i - middle) < best) {
            best = std::abs(i - middle);
            cut = i;
        }
    }
    b->setAccessibleName(text);
    b->setText(text.left(cut) + QLatin1Char('\n') + text.mid(cut));
}

void setTextColour(QWidget* w, const QColor& colour)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, colour);
    w->setPalette(pal);
}

void setTip(QWidget* w, const QString& tip)
{
    w->setToolTip(tip);
    w->setAccessibleDescription(tip);
}

namespace {
// Set while the program itself changes a box.
const char* const kQuietProperty = "uFCom_quiet";
}  // namespace

void onClick(QAbstractButton* box, std::function<void()> handler)
{
    if (!box || !handler) return;
    // Toggled, not clicked: an assistive technology's toggle action changes
    // the state without a click.
    QObject::connect(box, &QAbstractButton::toggled, box, [box, handler = std::move(handler)]() {
        if (!box->property(kQuietProperty).toBool()) handler();
    });
}

void setCheckedQuietly(QAbstractButton* box, bool checked)
{
    if (!box) return;
    box->setProperty(kQuietProperty, true);
    box->setChecked(checked);
    box->setProperty(kQuietProperty, false);
}

}  // namespace uFCom_Bas
