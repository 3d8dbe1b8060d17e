// The pick list dialog, and runPickList: what the host's Pesquisa points at.

#include "dialogs/picklist.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QScroller>
#include <QTableView>
#include <QVBoxLayout>

#include "clientdataset.h"
#include "colors.h"
#include "dialogs/keyboard.h"
#include "dialogs/picklistdelegate.h"
#include "dialogs/picklistmodel.h"
#include "dialogs/touchdialog.h"

namespace {

constexpr int kRowHeight = 52;
constexpr int kPagerWidth = 76;

} // namespace

using picklist::PaddedCellDelegate;
using picklist::PickListFilter;
using picklist::PickListModel;

class TPickListDialog : public TTouchDialog {
    Q_OBJECT
public:
    TPickListDialog(const TClientDataSet& dataset, const QString& figura, const QColor& window,
                    const QColor& alternate, const QColor& text, const QColor& selection,
                    QWidget* parent = nullptr);

    int pickedRow() const { return m_picked; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyColors(const QColor& window, const QColor& alternate, const QColor& text,
                     const QColor& selection);
    void sizeColumns();
    void selectRow(int proxyRow, QAbstractItemView::ScrollHint hint);
    int currentRow() const;
    void page(int direction);
    void filterChanged(const QString& text);
    void openKeyboard();
    void updateState();
    void pick();

    PickListModel* m_model;
    PickListFilter* m_proxy;
    QTableView* m_table;
    QLineEdit* m_filter;
    QLabel* m_count;
    QLabel* m_empty;
    QPushButton* m_up;
    QPushButton* m_down;
    QPushButton* m_ok;
    int m_picked = -1;
};

TPickListDialog::TPickListDialog(const TClientDataSet& dataset, const QString& figura,
                                 const QColor& window, const QColor& alternate,
                                 const QColor& text, const QColor& selection, QWidget* parent)
    : TTouchDialog(parent)
{
    setObjectName(QStringLiteral("pickListDialog"));
    setTitle(tr("Escolha um item da lista"));
    if (!figura.isEmpty() && QFile::exists(figura)) {
        const QPixmap picture(figura);
        if (!picture.isNull())
            setTitlePicture(picture);
    }

    // Filter line: typing narrows the rows; the keyboard button serves
    // terminals without a physical keyboard.
    auto* filterRow = new QHBoxLayout;
    filterRow->setSpacing(ui().px(8));
    auto* filterLabel = new QLabel(tr("Filtrar:"), this);
    filterLabel->setObjectName(QStringLiteral("pickFilterLabel"));
    filterLabel->setFont(touchFont(18, true));
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("pickFilter"));
    m_filter->setFont(touchFont(20));
    m_filter->setMinimumHeight(ui().px(touchui::kButtonHeight - 4));
    m_filter->setPlaceholderText(tr("Digite para filtrar"));
    m_filter->setAccessibleName(tr("Filtro da lista"));
    m_filter->installEventFilter(this);
    auto* clear = makeButton(tr("Limpar"), QStringLiteral("pickClearFilter"), touchui::ButtonRole::Normal);
    auto* keyboard = makeButton(tr("Teclado"), QStringLiteral("pickKeyboard"), touchui::ButtonRole::Normal);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(m_filter, 1);
    filterRow->addWidget(clear);
    filterRow->addWidget(keyboard);
    contentLayout()->addLayout(filterRow);

    m_model = new PickListModel(dataset, this);
    m_proxy = new PickListFilter(this);
    m_proxy->setSourceModel(m_model);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("pickTable"));
    m_table->setModel(m_proxy);
    m_table->setItemDelegate(new PaddedCellDelegate(ui(), m_table));
    m_table->setFocusPolicy(Qt::NoFocus); // keys stay in the filter line, which forwards moves
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setShowGrid(false);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideRight);
    m_table->setCornerButtonEnabled(false);
    m_table->setFont(touchFont(19));
    m_table->setAccessibleName(tr("Itens da lista"));
    m_table->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_table->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setMinimumSectionSize(ui().px(kRowHeight));
    m_table->verticalHeader()->setDefaultSectionSize(ui().px(kRowHeight));
    m_table->horizontalHeader()->setFont(touchFont(17, true));
    m_table->horizontalHeader()->setFixedHeight(ui().px(44));
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->horizontalHeader()->setSectionsClickable(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Kinetic scrolling for a finger dragging the list.
    QScroller::grabGesture(m_table->viewport(), QScroller::LeftMouseButtonGesture);
    QScrollerProperties sp = QScroller::scroller(m_table->viewport())->scrollerProperties();
    sp.setScrollMetric(QScrollerProperties::HorizontalOvershootPolicy,
                       QScrollerProperties::OvershootAlwaysOff);
    sp.setScrollMetric(QScrollerProperties::VerticalOvershootPolicy,
                       QScrollerProperties::OvershootAlwaysOff);
    sp.setScrollMetric(QScrollerProperties::MousePressEventDelay, 0.0);
    QScroller::scroller(m_table->viewport())->setScrollerProperties(sp);

    m_empty = new QLabel(m_table->viewport());
    m_empty->setObjectName(QStringLiteral("pickEmpty"));
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setWordWrap(true);
    m_empty->setFont(touchFont(20, true));
    m_empty->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_up = makeButton(QStringLiteral("▲"), QStringLiteral("pickUp"), touchui::ButtonRole::Normal);
    m_down = makeButton(QStringLiteral("▼"), QStringLiteral("pickDown"), touchui::ButtonRole::Normal);
    for (QPushButton* b : {m_up, m_down}) {
        b->setMinimumWidth(ui().px(kPagerWidth));
        b->setMaximumWidth(ui().px(kPagerWidth));
        b->setFont(touchFont(28, true));
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }
    m_up->setToolTip(tr("Página anterior"));
    m_down->setToolTip(tr("Próxima página"));
    // Named by what they do: their arrows are glyphs.
    m_up->setAccessibleName(m_up->toolTip());
    m_down->setAccessibleName(m_down->toolTip());
    auto* pager = new QVBoxLayout;
    pager->setSpacing(ui().px(8));
    pager->addWidget(m_up, 1);
    pager->addWidget(m_down, 1);
    auto* listRow = new QHBoxLayout;
    listRow->setSpacing(ui().px(10));
    listRow->addWidget(m_table, 1);
    listRow->addLayout(pager);
    contentLayout()->addLayout(listRow, 1);

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("pickCount"));
    m_count->setFont(touchFont(17));
    auto* cancel = makeButton(tr("Cancelar"), QStringLiteral("pickCancel"), touchui::ButtonRole::Normal);
    m_ok = makeButton(tr("OK"), QStringLiteral("pickOk"), touchui::ButtonRole::Primary);
    cancel->setMinimumWidth(ui().px(150));
    m_ok->setMinimumWidth(ui().px(150));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(ui().px(12));
    buttons->addWidget(m_count, 1);
    buttons->addWidget(cancel);
    buttons->addWidget(m_ok);
    contentLayout()->addLayout(buttons);

    applyColors(window, alternate, text, selection);
    sizeColumns();

    connect(m_filter, &QLineEdit::textChanged, this, &TPickListDialog::filterChanged);
    connect(clear, &QPushButton::clicked, m_filter, &QLineEdit::clear);
    connect(keyboard, &QPushButton::clicked, this, &TPickListDialog::openKeyboard);
    connect(m_up, &QPushButton::clicked, this, [this] { page(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { page(+1); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ok, &QPushButton::clicked, this, &TPickListDialog::pick);
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            selectRow(index.row(), QAbstractItemView::EnsureVisible);
            pick();
        }
    });
    // A tap moves the current row first and selects it after.
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TPickListDialog::updateState);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TPickListDialog::updateState);

    selectRow(0, QAbstractItemView::PositionAtTop);
    updateState();
    m_filter->setFocus();
}

void TPickListDialog::applyColors(const QColor& window, const QColor& alternate, const QColor& text,
                                  const QColor& selection)
{
    const QColor bandText = touchui::contrastingText(text);
    setFrameColors(window, text, bandText, kSilver);

    // Plain rows a shade lighter than the alternate ones, so the stripes read.
    const QColor base = QColor::fromRgbF((alternate.redF() + 1.0) / 2, (alternate.greenF() + 1.0) / 2,
                                         (alternate.blueF() + 1.0) / 2);
    QPalette p = m_table->palette();
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, alternate);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Highlight, selection);
    p.setColor(QPalette::HighlightedText, touchui::contrastingText(selection));
    p.setColor(QPalette::Inactive, QPalette::Highlight, selection);
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, touchui::contrastingText(selection));
    m_table->setPalette(p);
    m_empty->setPalette(p);

    const QString header = QStringLiteral(
        "QHeaderView::section { background: %1; color: %2; border: none;"
        " border-right: 1px solid %3; padding: 0px 12px; }"
        "QTableView { border: 2px solid %1; border-radius: 6px; }"
        "QScrollBar:vertical { background: %4; width: 26px; margin: 0px; }"
        "QScrollBar::handle:vertical { background: %5; min-height: 48px; border-radius: 6px; margin: 3px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0px; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")
        .arg(text.name(), bandText.name(), text.lighter(160).name(), alternate.name(),
             selection.name());
    m_table->setStyleSheet(ui().styleSheet(header));

    QPalette own = palette();
    own.setColor(QPalette::WindowText, touchui::contrastingText(window) == Qt::black ? text : QColor(Qt::white));
    m_count->setPalette(own);
    for (auto* label : findChildren<QLabel*>(QStringLiteral("pickFilterLabel")))
        label->setPalette(own);
}

void TPickListDialog::sizeColumns()
{
    const QFontMetrics cells(m_table->font());
    const QFontMetrics heads(m_table->horizontalHeader()->font());
    int total = 0;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const FieldDef& def = m_model->fieldAt(c);
        int chars = def.displayWidth > 0 ? def.displayWidth : def.size;
        if (chars <= 0)
            chars = 10;
        const QString label = m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        const int width = qBound(ui().px(64), qMax(chars * cells.averageCharWidth() + ui().px(28),
                                                   heads.horizontalAdvance(label) + ui().px(32)),
                                 ui().px(560));
        m_table->setColumnWidth(c, width);
        total += width;
    }
    // Wide enough for the columns and the paging column, never past the screen.
    int maxWidth = ui().px(780);
    int maxHeight = ui().px(560);
    if (const QScreen* s = screen()) {
        maxWidth = qMax(ui().px(480), s->availableGeometry().width() - ui().px(20));
        maxHeight = qMax(ui().px(360), s->availableGeometry().height() - ui().px(20));
    }
    // Columns, scroll bar, table border, pager and its spacing, the content
    // margins and the frame.
    const int wanted = total + ui().px(26 + 4) + ui().px(kPagerWidth) + ui().px(10) + ui().px(2 * 16 + 8);
    resize(qBound(qMin(ui().px(600), maxWidth), wanted, maxWidth), qMin(ui().px(560), maxHeight));
}

void TPickListDialog::selectRow(int proxyRow, QAbstractItemView::ScrollHint hint)
{
    if (m_proxy->rowCount() == 0) {
        m_table->selectionModel()->clear();
        updateState();
        return;
    }
    proxyRow = qBound(0, proxyRow, m_proxy->rowCount() - 1);
    const QModelIndex index = m_proxy->index(proxyRow, 0);
    m_table->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_table->scrollTo(index, hint);
}

int TPickListDialog::currentRow() const
{
    const QModelIndex current = m_table->selectionModel()->currentIndex();
    if (!current.isValid() || !m_table->selectionModel()->isRowSelected(current.row(), {}))
        return -1;
    return current.row();
}

void TPickListDialog::page(int direction)
{
    const int visible = qMax(1, m_table->viewport()->height() / ui().px(kRowHeight));
    const int step = qMax(1, visible - 1);
    const int from = qMax(0, currentRow());
    selectRow(from + direction * step, QAbstractItemView::PositionAtTop);
}

void TPickListDialog::filterChanged(const QString& text)
{
    m_proxy->setNeedle(text);
    selectRow(0, QAbstractItemView::PositionAtTop);
    updateState();
}

void TPickListDialog::openKeyboard()
{
    const QString typed = runPlainKeyboard(m_filter->text(), tr("Filtrar a lista"), 40, this);
    if (!typed.isNull())
        m_filter->setText(typed);
    m_filter->setFocus();
}

void TPickListDialog::updateState()
{
    const int shown = m_proxy->rowCount();
    const int all = m_model->rowCount();
    const int row = currentRow();
    m_ok->setEnabled(row >= 0);
    m_up->setEnabled(row > 0);
    m_down->setEnabled(row >= 0 && row < shown - 1);

    if (all == 0)
        m_count->setText(tr("Nenhum item"));
    else if (shown == all)
        m_count->setText(all == 1 ? tr("1 item") : tr("%1 itens").arg(all));
    else
        m_count->setText(tr("%1 de %2 itens").arg(shown).arg(all));

    if (shown == 0) {
        m_empty->setText(all == 0 ? tr("Não há itens para escolher.")
                                  : tr("Nenhum item corresponde ao filtro."));
        m_empty->setGeometry(m_table->viewport()->rect());
        m_empty->show();
    } else {
        m_empty->hide();
    }
}

void TPickListDialog::pick()
{
    const int row = currentRow();
    if (row < 0)
        return;
    m_picked = m_proxy->mapToSource(m_proxy->index(row, 0)).row();
    accept();
}

bool TPickListDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_filter && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            pick();
            return true;
        case Qt::Key_Up:
            selectRow(currentRow() - 1, QAbstractItemView::EnsureVisible);
            return true;
        case Qt::Key_Down:
            selectRow(currentRow() + 1, QAbstractItemView::EnsureVisible);
            return true;
        case Qt::Key_PageUp:
            page(-1);
            return true;
        case Qt::Key_PageDown:
            page(+1);
            return true;
        default:
            break;
        }
    }
    return TTouchDialog::eventFilter(watched, event);
}

void TPickListDialog::keyPressEvent(QKeyEvent* event)
{
    // Only reached when the filter line lacks focus.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        pick();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        eventFilter(m_filter, event);
        return;
    default:
        TTouchDialog::keyPressEvent(event);
    }
}

void TPickListDialog::resizeEvent(QResizeEvent* event)
{
    TTouchDialog::resizeEvent(event);
    m_empty->setGeometry(m_table->viewport()->rect());
}

bool runPickList(TClientDataSet& dataset, const QString& figura, const QString& /*flag*/, int color1,
                 int color2, int color3, int color4, int /*last*/)
{
    TPickListDialog dialog(dataset, figura, colorFromBgr(color1), colorFromBgr(color2),
                           colorFromBgr(color3), colorFromBgr(color4));
    if (dialog.exec() != QDialog::Accepted || dialog.pickedRow() < 0)
        return false;
    dataset.setRecNo(dialog.pickedRow());
    return true;
}

#include "picklist.moc"
