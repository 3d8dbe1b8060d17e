#pragma once

// The common frame of the operator dialogs: a borderless, rounded window with
// a title band, sized for fingers (every button at least 56 px high, DejaVu
// Sans in large sizes), so that all of them look like one family.
//
// Like the screen, a dialog is drawn at the screen's factor: every measure
// below and in the dialogs is a design measure passed through ui(), the
// factor resolved on the screen of the window the dialog opens over.

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPushButton>

#include "qdl_ui_global.h"
#include "screenscale.h"

class QLabel;
class QVBoxLayout;

namespace touchui {

constexpr int kButtonHeight = 56;
constexpr int kRadius = 14;

// DejaVu Sans at a design pixel size, drawn at ui's factor; it carries every
// Portuguese accent.
QFont font(const UiScale& ui, int pixelSize, bool bold = false);

enum class ButtonRole { Normal, Primary, Key };

// A button for fingers: no focus (the keys act on whatever has focus), no
// default-button behaviour (Enter is decided by each dialog).
QPushButton* makeButton(const QString& text, const QString& objectName, ButtonRole role,
                        QWidget* parent, const UiScale& ui);

// The window the dialogs centre on when the caller gives none.
QWidget* defaultParent();

// Black or white, whichever reads better on the background.
QColor contrastingText(const QColor& background);

} // namespace touchui

class TTouchDialog : public QDialog {
    Q_OBJECT
public:
    explicit TTouchDialog(QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const;
    // A small picture at the right end of the title band.
    void setTitlePicture(const QPixmap& picture);
    // Content goes below the title band.
    QVBoxLayout* contentLayout() const { return m_content; }

    void setFrameColors(const QColor& body, const QColor& band, const QColor& bandText,
                        const QColor& border);
    // The row of actions at the foot: leading on the left, cancel and ok on
    // the right, each at least 150 px wide; cancel rejects and ok accepts.
    // The dialog makes the buttons, so their texts are its own to translate.
    void addActionRow(QPushButton* leading, QPushButton* cancel, QPushButton* ok);
    QColor bodyColor() const { return m_body; }
    // The factor the dialog is drawn at.
    const UiScale& ui() const { return m_ui; }

protected:
    QFont touchFont(int pixelSize, bool bold = false) const { return touchui::font(m_ui, pixelSize, bold); }
    QPushButton* makeButton(const QString& text, const QString& objectName, touchui::ButtonRole role)
    {
        return touchui::makeButton(text, objectName, role, this, m_ui);
    }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    UiScale m_ui;
    QLabel* m_title;
    QLabel* m_picture = nullptr;
    QVBoxLayout* m_content;
    QColor m_body{242, 243, 247};
    QColor m_band{0, 0, 128};
    QColor m_bandText{Qt::white};
    QColor m_border{192, 192, 192};
};
