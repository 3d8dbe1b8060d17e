#include "dialogs/colorchoice.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "colors.h"
#include "dialogs/touchdialog.h"

namespace {

constexpr int kColumns = 6;

struct Swatch {
    QColor color;
    const char* name;
};

// Clear, well-separated colours: neutrals, warm, green, blue, light.
const Swatch kSwatches[] = {
    {QColor(0, 0, 0), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Preto")},
    {QColor(64, 64, 64), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Grafite")},
    {QColor(128, 128, 128), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Cinza")},
    {QColor(192, 192, 192), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Prata")},
    {QColor(255, 255, 255), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Branco")},
    {QColor(144, 144, 176), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Cinza-azulado (botão livre)")},
    {QColor(128, 0, 0), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Vinho")},
    {QColor(220, 20, 20), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Vermelho")},
    {QColor(255, 128, 0), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Laranja")},
    {QColor(255, 191, 0), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Âmbar")},
    {QColor(255, 255, 0), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Amarelo")},
    {QColor(139, 69, 19), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Marrom")},
    {QColor(0, 100, 0), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Verde-escuro")},
    {QColor(0, 170, 0), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Verde")},
    {QColor(160, 230, 60), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Verde-limão")},
    {QColor(170, 240, 170), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Verde-claro")},
    {QColor(0, 128, 128), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Azul-petróleo")},
    {QColor(0, 210, 230), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Ciano")},
    {QColor(0, 0, 128), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Azul-marinho")},
    {QColor(0, 64, 255), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Azul")},
    {QColor(80, 160, 240), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Azul-celeste")},
    {QColor(173, 216, 230), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Azul-claro")},
    {QColor(128, 0, 128), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Roxo")},
    {QColor(150, 80, 220), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Violeta")},
    {QColor(230, 0, 200), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Magenta")},
    {QColor(255, 105, 180), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Rosa")},
    {QColor(255, 200, 210), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Rosa-claro")},
    {QColor(255, 245, 200), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Creme")},
    {QColor(255, 218, 185), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Pêssego")},
    {QColor(198, 199, 240), QT_TRANSLATE_NOOP("TColorChoiceDialog", "Lavanda")},
};
constexpr int kSwatchCount = int(sizeof(kSwatches) / sizeof(kSwatches[0]));

} // namespace

// One tappable colour; a double tap chooses it at once.
class TSwatchButton : public QAbstractButton {
    Q_OBJECT
public:
    TSwatchButton(const QColor& color, const UiScale& ui, QWidget* parent)
        : QAbstractButton(parent), m_color(color), m_ui(ui)
    {
        setFocusPolicy(Qt::NoFocus);
        setMinimumSize(m_ui.size({72, 54}));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        setProperty("qdlColor", bgrFromColor(color));
    }
    void setSelected(bool selected)
    {
        m_selected = selected;
        update();
    }
    QSize sizeHint() const override { return m_ui.size({76, 56}); }

signals:
    void doubleTapped();

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const UiScale& s = m_ui;
        const QRectF r = QRectF(rect()).adjusted(s.px(4), s.px(4), -s.px(4), -s.px(4));
        if (m_selected) {
            p.setPen(QPen(kNavy, s.line(4)));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(rect()).adjusted(s.px(2), s.px(2), -s.px(2), -s.px(2)), s.pxF(10), s.pxF(10));
        }
        p.setPen(QPen(isDown() ? kNavy : kSwatchOutline, s.line(m_selected ? 2 : 1)));
        p.setBrush(m_color);
        p.drawRoundedRect(r, s.pxF(7), s.pxF(7));
        if (m_selected) {
            // A tick in the contrasting colour marks the choice even on grey.
            p.setPen(QPen(touchui::contrastingText(m_color), s.line(4), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            const QPointF c = r.center();
            p.drawPolyline(QPolygonF{c + QPointF(s.pxF(-10), 0), c + QPointF(s.pxF(-3), s.pxF(7)),
                                     c + QPointF(s.pxF(11), s.pxF(-8))});
        }
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        QAbstractButton::mouseDoubleClickEvent(event);
        emit doubleTapped();
    }

private:
    QColor m_color;
    UiScale m_ui;
    bool m_selected = false;
};

// The chosen colour as a button's face or as its caption.
class TColorSample : public QWidget {
public:
    enum class Mode { Background, Text };
    TColorSample(Mode mode, const UiScale& ui, QWidget* parent) : QWidget(parent), m_mode(mode), m_ui(ui)
    {
        setMinimumSize(m_ui.size({200, 64}));
        setFont(touchui::font(m_ui, 22, true));
    }
    void setColor(const QColor& color)
    {
        m_color = color;
        update();
    }
    void setCaption(const QString& caption) { m_caption = caption; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor face = m_mode == Mode::Background ? m_color : colorFromBgr(kFreeButtonColor);
        const QColor text = m_mode == Mode::Background ? touchui::contrastingText(m_color) : m_color;
        const qreal line = m_ui.line();
        p.setPen(QPen(kSwatchOutline, line));
        p.setBrush(face);
        p.drawRoundedRect(QRectF(rect()).adjusted(line, line, -line, -line), m_ui.pxF(8), m_ui.pxF(8));
        p.setPen(text);
        p.drawText(rect(), Qt::AlignCenter, m_caption);
    }

private:
    Mode m_mode;
    UiScale m_ui;
    QColor m_color;
    QString m_caption;
};

class TColorChoiceDialog : public TTouchDialog {
    Q_OBJECT
public:
    explicit TColorChoiceDialog(const QVariant& start, QWidget* parent = nullptr);

    QColor chosen() const { return m_color; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void select(int index);
    void setColor(const QColor& color, const QString& name);
    void moreColors();

    QList<TSwatchButton*> m_swatches;
    TColorSample* m_back;
    TColorSample* m_text;
    QLabel* m_name;
    QLabel* m_value;
    QColor m_color;
    int m_index = 0;
};

TColorChoiceDialog::TColorChoiceDialog(const QVariant& start, QWidget* parent) : TTouchDialog(parent)
{
    setObjectName(QStringLiteral("colorChoiceDialog"));
    setTitle(tr("Escolha uma cor"));
    setFocusPolicy(Qt::StrongFocus);

    auto* row = new QHBoxLayout;
    row->setSpacing(ui().px(18));
    auto* grid = new QGridLayout;
    grid->setSpacing(ui().px(6));
    for (int i = 0; i < kSwatchCount; ++i) {
        auto* swatch = new TSwatchButton(kSwatches[i].color, ui(), this);
        swatch->setObjectName(QStringLiteral("swatch_%1").arg(i));
        swatch->setToolTip(tr(kSwatches[i].name));
        swatch->setAccessibleName(tr(kSwatches[i].name));
        grid->addWidget(swatch, i / kColumns, i % kColumns);
        connect(swatch, &QAbstractButton::clicked, this, [this, i] { select(i); });
        connect(swatch, &TSwatchButton::doubleTapped, this, [this, i] {
            select(i);
            accept();
        });
        m_swatches << swatch;
    }
    row->addLayout(grid, 1);

    auto* side = new QVBoxLayout;
    side->setSpacing(ui().px(6));
    auto* backLabel = new QLabel(tr("Como fundo do botão"), this);
    backLabel->setObjectName(QStringLiteral("colorBackLabel"));
    m_back = new TColorSample(TColorSample::Mode::Background, ui(), this);
    m_back->setObjectName(QStringLiteral("colorPreviewBack"));
    m_back->setCaption(tr("Mesa 01"));
    m_back->setAccessibleName(backLabel->text());
    auto* textLabel = new QLabel(tr("Como cor do texto"), this);
    textLabel->setObjectName(QStringLiteral("colorTextLabel"));
    m_text = new TColorSample(TColorSample::Mode::Text, ui(), this);
    m_text->setObjectName(QStringLiteral("colorPreviewText"));
    m_text->setCaption(tr("Mesa 01"));
    m_text->setAccessibleName(textLabel->text());
    m_name = new QLabel(this);
    m_name->setObjectName(QStringLiteral("colorName"));
    m_name->setFont(touchFont(18, true));
    m_name->setWordWrap(true);
    m_value = new QLabel(this);
    m_value->setObjectName(QStringLiteral("colorValue"));
    m_value->setFont(touchFont(15));
    for (QLabel* l : {backLabel, textLabel})
        l->setFont(touchFont(16));
    side->addWidget(backLabel);
    side->addWidget(m_back);
    side->addSpacing(ui().px(8));
    side->addWidget(textLabel);
    side->addWidget(m_text);
    side->addSpacing(ui().px(8));
    side->addWidget(m_name);
    side->addWidget(m_value);
    side->addStretch(1);
    row->addLayout(side);
    contentLayout()->addLayout(row, 1);

    auto* more = makeButton(tr("Mais cores…"), QStringLiteral("colorMore"), touchui::ButtonRole::Normal);
    auto* cancel = makeButton(tr("Cancelar"), QStringLiteral("colorCancel"), touchui::ButtonRole::Normal);
    auto* ok = makeButton(tr("OK"), QStringLiteral("colorOk"), touchui::ButtonRole::Primary);
    addActionRow(more, cancel, ok);
    connect(more, &QPushButton::clicked, this, &TColorChoiceDialog::moreColors);

    // Start on the caller's colour when it names one.
    bool isNumber = false;
    const qint64 wanted = start.toString().trimmed().toLongLong(&isNumber);
    int startIndex = 0;
    if (isNumber && wanted >= 0 && wanted <= 0xFFFFFF) {
        startIndex = -1;
        for (int i = 0; i < kSwatchCount; ++i) {
            if (bgrFromColor(kSwatches[i].color) == int(wanted))
                startIndex = i;
        }
    }
    if (startIndex >= 0)
        select(startIndex);
    else
        setColor(colorFromBgr(wanted), tr("Cor personalizada"));

    resize(ui().size({760, 470}));
    setFocus();
}

void TColorChoiceDialog::select(int index)
{
    m_index = qBound(0, index, kSwatchCount - 1);
    setColor(kSwatches[m_index].color, tr(kSwatches[m_index].name));
    m_swatches[m_index]->setSelected(true);
}

void TColorChoiceDialog::setColor(const QColor& color, const QString& name)
{
    m_color = color;
    for (TSwatchButton* s : std::as_const(m_swatches))
        s->setSelected(false);
    m_back->setColor(color);
    m_text->setColor(color);
    m_name->setText(name);
    m_value->setText(tr("RGB %1, %2, %3").arg(color.red()).arg(color.green()).arg(color.blue()));
}

void TColorChoiceDialog::moreColors()
{
    const QColor picked = QColorDialog::getColor(m_color, this, tr("Mais cores"),
                                                 QColorDialog::DontUseNativeDialog);
    if (!picked.isValid())
        return;
    for (int i = 0; i < kSwatchCount; ++i) {
        if (kSwatches[i].color.rgb() == picked.rgb()) {
            select(i);
            return;
        }
    }
    setColor(picked, tr("Cor personalizada"));
}

void TColorChoiceDialog::keyPressEvent(QKeyEvent* event)
{
    int target = m_index;
    switch (event->key()) {
    case Qt::Key_Left: target = m_index - 1; break;
    case Qt::Key_Right: target = m_index + 1; break;
    case Qt::Key_Up: target = m_index - kColumns; break;
    case Qt::Key_Down: target = m_index + kColumns; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return;
    default:
        TTouchDialog::keyPressEvent(event); // Esc cancels
        return;
    }
    if (target >= 0 && target < kSwatchCount)
        select(target);
}

void runColorChoice(const QVariantList& params, QVariant& result)
{
    QVariantList list = result.toList();
    if (result.typeId() != QMetaType::QVariantList || list.size() != 10)
        list = QVariantList(10);
    TColorChoiceDialog dialog(params.isEmpty() ? QVariant() : params.first());
    const bool chosen = dialog.exec() == QDialog::Accepted;
    list[0] = chosen ? QString::number(bgrFromColor(dialog.chosen())) : QStringLiteral("X");
    result = list;
}

#include "colorchoice.moc"
