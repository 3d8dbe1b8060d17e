#include "dialogs/touchdialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QVBoxLayout>

#include "colors.h"

namespace touchui {

QFont font(const UiScale& ui, int pixelSize, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(ui.px(pixelSize));
    f.setBold(bold);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

static QString styleFor(ButtonRole role)
{
    switch (role) {
    case ButtonRole::Primary:
        return QStringLiteral(
                   "QPushButton { color: white; border: 1px solid %1; border-radius: 10px;"
                   " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %2, stop:1 %3);"
                   " padding: 4px 18px; }"
                   "QPushButton:pressed { background: %4; }"
                   "QPushButton:disabled { color: %5; background: %6; border-color: %7; }")
            .arg(kPrimaryBorder.name(), kPrimaryTop.name(), kDialogBlue.name(), kPrimaryPressed.name(),
                 kPrimaryDisabledText.name(), kPrimaryDisabledFace.name(), kPrimaryDisabledBorder.name());
    case ButtonRole::Key:
        return QStringLiteral(
                   "QPushButton { color: %1; border: 1px solid %2; border-radius: 8px;"
                   " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %3, stop:1 %4);"
                   " padding: 0px; }"
                   "QPushButton:pressed { background: %5; }"
                   "QPushButton:checked { background: %6; border: 2px solid %7; }"
                   "QPushButton:disabled { color: %8; background: %9; border-color: %10; }")
            .arg(kDialogInk.name(), kButtonBorder.name(), kKeyTop.name(), kKeyBottom.name(),
                 colorFromBgr(kPressedFaceColor).name(), kKeyChecked.name(), kDialogBlue.name(),
                 kKeyDisabledText.name(), kKeyDisabledFace.name())
            .arg(kKeyDisabledBorder.name());
    case ButtonRole::Normal:
        break;
    }
    return QStringLiteral(
               "QPushButton { color: %1; border: 1px solid %2; border-radius: 10px;"
               " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %3, stop:1 %4);"
               " padding: 4px 18px; }"
               "QPushButton:pressed { background: %5; }"
               "QPushButton:disabled { color: %6; background: %7; border-color: %8; }")
        .arg(kNavy.name(), kButtonBorder.name(), kButtonTop.name(), kButtonBottom.name(),
             colorFromBgr(kPressedFaceColor).name(), kSilver.name(), kDisabledFace.name(),
             kButtonDisabledBorder.name());
}

QPushButton* makeButton(const QString& text, const QString& objectName, ButtonRole role,
                        QWidget* parent, const UiScale& ui)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setMinimumHeight(ui.px(kButtonHeight));
    b->setFont(font(ui, role == ButtonRole::Key ? 22 : 18, role != ButtonRole::Key));
    b->setStyleSheet(ui.styleSheet(styleFor(role)));
    if (role != ButtonRole::Key)
        b->setMinimumWidth(ui.px(120));
    return b;
}

QWidget* defaultParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QColor contrastingText(const QColor& background)
{
    // Perceived brightness (ITU-R BT.601 weights).
    const int y = (background.red() * 299 + background.green() * 587 + background.blue() * 114) / 1000;
    return y >= 140 ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace touchui

TTouchDialog::TTouchDialog(QWidget* parent)
    : QDialog(parent ? parent : touchui::defaultParent(),
              Qt::Dialog | Qt::FramelessWindowHint)
{
    m_ui = UiScale(effectiveScreenScale(openingScreen(parentWidget())));
    setModal(true);
    setFont(touchFont(18));

    auto* outer = new QVBoxLayout(this);
    const int frame = m_ui.px(4);
    outer->setContentsMargins(frame, frame, frame, frame);
    outer->setSpacing(0);

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("dlgTitle"));
    m_title->setFont(touchFont(20, true));
    m_title->setFixedHeight(m_ui.px(52));
    m_title->setContentsMargins(m_ui.px(20), 0, m_ui.px(20), 0);
    m_title->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    outer->addWidget(m_title);

    m_content = new QVBoxLayout;
    m_content->setContentsMargins(m_ui.px(16), m_ui.px(14), m_ui.px(16), m_ui.px(16));
    m_content->setSpacing(m_ui.px(12));
    outer->addLayout(m_content, 1);

    setFrameColors(m_body, m_band, m_bandText, m_border);
}

void TTouchDialog::setTitle(const QString& title)
{
    m_title->setText(title);
    setWindowTitle(title);
}

void TTouchDialog::setTitlePicture(const QPixmap& picture)
{
    if (!m_picture) {
        m_picture = new QLabel(m_title);
        m_picture->setObjectName(QStringLiteral("dlgPicture"));
        auto* row = new QHBoxLayout(m_title);
        row->setContentsMargins(0, m_ui.px(4), m_ui.px(8), m_ui.px(4));
        row->addStretch(1);
        row->addWidget(m_picture);
    }
    m_picture->setPixmap(picture.scaled(m_ui.size({44, 44}), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

QString TTouchDialog::title() const
{
    return m_title->text();
}

void TTouchDialog::setFrameColors(const QColor& body, const QColor& band, const QColor& bandText,
                                  const QColor& border)
{
    m_body = body;
    m_band = band;
    m_bandText = bandText;
    m_border = border;
    QPalette p = m_title->palette();
    p.setColor(QPalette::WindowText, m_bandText);
    m_title->setPalette(p);
    QPalette own = palette();
    own.setColor(QPalette::Window, m_body);
    own.setColor(QPalette::WindowText, touchui::contrastingText(m_body) == Qt::black
                                           ? kDialogInk : QColor(Qt::white));
    setPalette(own);
    update();
}

void TTouchDialog::addActionRow(QPushButton* leading, QPushButton* cancel, QPushButton* ok)
{
    for (QPushButton* b : {leading, cancel, ok})
        b->setMinimumWidth(m_ui.px(150));
    auto* row = new QHBoxLayout;
    row->setSpacing(m_ui.px(12));
    row->addWidget(leading);
    row->addStretch(1);
    row->addWidget(cancel);
    row->addWidget(ok);
    m_content->addLayout(row);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TTouchDialog::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = m_ui.pxF(touchui::kRadius);
    p.setPen(Qt::NoPen);
    p.setBrush(m_border);
    p.drawRoundedRect(outer, radius, radius);

    const qreal frame = m_ui.px(4);
    const QRectF inner = QRectF(rect()).adjusted(frame, frame, -frame, -frame);
    QPainterPath body;
    body.addRoundedRect(inner, radius - frame, radius - frame);
    p.setClipPath(body);
    p.fillRect(inner, m_body);
    const QRectF band(inner.left(), inner.top(), inner.width(), m_title->height());
    p.fillRect(band, m_band);
    p.setPen(QPen(m_band.darker(140), m_ui.line(2)));
    p.drawLine(band.bottomLeft(), band.bottomRight());
}

void TTouchDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // The same rounded outline the screen itself has; no frame to drag.
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), m_ui.pxF(touchui::kRadius), m_ui.pxF(touchui::kRadius));
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void TTouchDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    QRect area;
    if (QWidget* p = parentWidget(); p && p->isVisible())
        area = QRect(p->mapToGlobal(QPoint(0, 0)), p->size());
    else if (QScreen* s = screen())
        area = s->availableGeometry();
    if (area.isValid()) {
        QRect r = frameGeometry();
        r.moveCenter(area.center());
        if (QScreen* s = screen()) {
            const QRect avail = s->availableGeometry();
            r.moveLeft(qBound(avail.left(), r.left(), qMax(avail.left(), avail.right() - r.width())));
            r.moveTop(qBound(avail.top(), r.top(), qMax(avail.top(), avail.bottom() - r.height())));
        }
        move(r.topLeft());
    }
}
