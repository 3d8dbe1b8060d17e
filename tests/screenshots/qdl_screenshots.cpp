// qdl-screenshots: saves the pictures of the controls, the glyphs and the
// operator dialogs that README.md shows, as PNG files in one folder.
//
//   qdl-screenshots DIR [--scale auto|FACTOR]
//
// Writes controls-panel.png, controls-glyphs.png and dialog-picklist.png,
// dialog-keyboard.png, dialog-color.png, dialog-message.png; with --scale the
// dialogs are drawn at that scale of the screen (on the primary screen). Runs on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise; exits 1 with the
// reason when a picture cannot be made. scripts/screenshots.sh builds and
// runs it (and adds the screen itself, from qdl-host --screenshot).

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "historywriter.h"
#include "clientdataset.h"
#include "colors.h"
#include "dialogs/colorchoice.h"
#include "dialogs/keyboard.h"
#include "dialogs/messagedialog.h"
#include "dialogs/picklist.h"
#include "glyphs.h"
#include "picktables.h"
#include "screenscale.h"
#include "touchcontrols.h"

namespace {

QStringList g_failures;

void fail(const QString& what)
{
    g_failures << what;
}

void save(const QPixmap& picture, const QString& file)
{
    if (!picture.save(file))
        fail(QStringLiteral("cannot write ") + file);
}

// --- Controls and glyphs ----------------------------------------------------------

QPixmap at2x(QWidget& w)
{
    QPixmap pm(w.size() * 2);
    pm.setDevicePixelRatio(2);
    pm.fill(Qt::transparent);
    w.render(&pm, QPoint(), QRegion(), QWidget::DrawChildren);
    return pm;
}

TBlendedBitBtn* command(QWidget* parent, const char* caption, Glyph g, QSize glyph, QRect place)
{
    auto* b = new TBlendedBitBtn(parent);
    b->setText(QString::fromUtf8(caption));
    b->setGlyph(drawGlyph(g, glyph, 2.0), glyph);
    b->setGeometry(place);
    return b;
}

// Every control in its states, at double size.
void controlsPanel(const QString& dir)
{
    QWidget panel;
    panel.resize(580, 380);
    auto* border = new TBlendedShape(&panel, 20);
    border->setGeometry(panel.rect());
    border->setBrushColor(QColor(192, 192, 192));
    auto* back = new TBlendedShape(&panel, 20);
    back->setGeometry(4, 5, 572, 370);
    back->setBrushRole(QPalette::Highlight);

    command(&panel, "F3-Mudar Nome", Glyph::Rename, {33, 33}, {13, 12, 109, 65});
    command(&panel, "F5-Cor Botão", Glyph::BackColor, {33, 34}, {13, 81, 109, 65});
    command(&panel, "F6-Cor Fonte", Glyph::TextColor, {35, 36}, {13, 151, 109, 65});
    command(&panel, "F7-Limpar Botão", Glyph::Clear, {31, 36}, {13, 220, 110, 62})->setSpacing(0);
    command(&panel, "Ctrl+Enter\n\rConfirmar", Glyph::Confirm, {45, 28}, {13, 290, 109, 65})->setMargin(3);
    command(&panel, "F2-Cancelar", Glyph::Cancel, {29, 29}, {135, 290, 109, 65})->setEnabled(false);
    command(&panel, "Esc-Sair", Glyph::Leave, {36, 35}, {255, 290, 109, 65})->setDown(true);
    for (int i = 0; i < 2; ++i) {
        auto* page = command(&panel, i ? "B-" : "A-", i ? Glyph::Next : Glyph::Previous, {33, 40},
                             {375 + i * 92, 304, 89, 37});
        page->setGlyphLayout(TBlendedBitBtn::GlyphLayout::Right);
        page->setMargin(20);
    }

    const char* areas[] = {"Salão", " ", "Varanda coberta do segundo andar com vista", "Bar"};
    QList<TTouchButton*> areaButtons;
    for (int i = 0; i < 4; ++i) {
        auto* strip = new TTouchButton(&panel);
        strip->setGeometry(140 + 107 * i, 12, 100, 12);
        strip->setVisible(i == 0);
        auto* area = new TTouchButton(&panel);
        area->setGeometry(140 + 107 * i, 26, 100, 40);
        area->setText(QString::fromUtf8(areas[i]));
        if (i == 1)
            area->SetColor(11571344);
        areaButtons << area;
    }
    areaButtons[3]->setDown(true);

    const char* tables[] = {"Mesa 01", " ", "Terraço 12", "Mesa do canto junto à janela", " "};
    for (int i = 0; i < 5; ++i) {
        auto* t = new TSpeedButton(&panel);
        t->move(140 + 79 * i, 90);
        t->setText(QString::fromUtf8(tables[i]));
        t->setGlyph(drawGlyph(t->text() == QStringLiteral(" ") ? Glyph::FreeTable : Glyph::AssignedTable,
                              QSize(32, 32), 2.0));
        if (i == 2) {
            t->SetColor(0x60C0F0);
            t->SetFontColor(0x800000);
        }
        t->setDown(i == 4);
    }
    auto* sample = new TShape(&panel);
    sample->setGeometry(140, 160, 71, 25);
    sample->setBrushColor(colorFromBgr(787));

    panel.show();
    panel.activateWindow();
    if (!QTest::qWaitForWindowActive(&panel))
        fail(QStringLiteral("the controls panel never became active"));
    areaButtons[0]->setFocus(Qt::TabFocusReason);
    save(at2x(panel), dir + QStringLiteral("/controls-panel.png"));
}

// The glyph sheet: 64 x 64 pictures at double density, named underneath.
void glyphSheet(const QString& dir)
{
    const std::pair<Glyph, const char*> glyphs[] = {
        {Glyph::Rename, "Rename"},   {Glyph::BackColor, "BackColor"}, {Glyph::TextColor, "TextColor"},
        {Glyph::Clear, "Clear"},     {Glyph::Confirm, "Confirm"},     {Glyph::Cancel, "Cancel"},
        {Glyph::Leave, "Leave"},     {Glyph::Previous, "Previous"},   {Glyph::Next, "Next"},
        {Glyph::FreeTable, "FreeTable"}, {Glyph::AssignedTable, "AssignedTable"},
    };
    QPixmap sheet(QSize(6 * 110, 2 * 100) * 2);
    sheet.setDevicePixelRatio(2);
    sheet.fill(QColor(240, 240, 240));
    QPainter p(&sheet);
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    int i = 0;
    for (const auto& [glyph, name] : glyphs) {
        const QRect cell((i % 6) * 110, (i / 6) * 100, 110, 100);
        p.drawPixmap(cell.left() + 23, cell.top() + 8, drawGlyph(glyph, QSize(64, 64), 2.0));
        p.drawText(cell.adjusted(0, 76, 0, 0), Qt::AlignHCenter | Qt::AlignTop, QString::fromLatin1(name));
        ++i;
    }
    p.end();
    save(sheet, dir + QStringLiteral("/controls-glyphs.png"));
}

// --- Dialogs ------------------------------------------------------------------------

using Script = std::function<void(QWidget* dialog)>;

// Runs the script against the next modal dialog once it is up; a dialog the
// script leaves open is closed, so nothing can hang the run.
void whenModal(const QString& what, Script script)
{
    QTimer::singleShot(0, [what, script] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            fail(QStringLiteral("no modal dialog came up for ") + what);
            return;
        }
        script(dialog);
        if (auto* d = qobject_cast<QDialog*>(dialog); d && d->isVisible()) {
            fail(what + QStringLiteral(" stayed open"));
            d->reject();
        }
    });
}

QWidget* child(QWidget* dialog, const QString& name)
{
    QWidget* w = dialog->findChild<QWidget*>(name);
    if (!w)
        fail(QStringLiteral("no child ") + name);
    return w;
}

void press(QWidget* dialog, Qt::Key key)
{
    QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, key);
}

// Taps the text in on the on-screen keyboard, with a one-shot shift before
// each capital.
void tapText(QWidget* kbd, const QString& text)
{
    for (const QChar ch : text) {
        if (ch.isUpper())
            if (QWidget* shift = child(kbd, QStringLiteral("key_shift")))
                QTest::mouseClick(shift, Qt::LeftButton);
        const QString key = ch == u' ' ? QStringLiteral("key_space") : QStringLiteral("key_") + ch.toLower();
        if (QWidget* w = child(kbd, key))
            QTest::mouseClick(w, Qt::LeftButton);
    }
}

// The swatch showing the colour, found by its look.
QWidget* swatchShowing(QWidget* dialog, const QColor& color)
{
    for (QWidget* w : dialog->findChildren<QWidget*>())
        if (w->objectName().startsWith(QLatin1String("swatch_"))
            && w->grab().toImage().pixelColor(12, w->height() / 2) == color)
            return w;
    fail(QStringLiteral("no swatch shows ") + color.name());
    return nullptr;
}

Script saveAs(const QString& dir, const char* name)
{
    return [dir, name](QWidget* d) {
        save(d->grab(), dir + QStringLiteral("/dialog-") + QLatin1String(name) + QStringLiteral(".png"));
        press(d, Qt::Key_Escape);
    };
}

void dialogs(const QString& dir)
{
    TClientDataSet ds = tables({{"0001", "Varanda 1"}, {"0002", "Salão Principal"}, {"0003", "Terraço"},
                                {"0004", "Mesa VIP"}, {"0005", "Janela"}, {"0006", "Balcão"},
                                {"0007", "Jardim de Inverno"}, {"0008", "Mezanino"}});
    whenModal(QStringLiteral("the pick list"), [dir](QWidget* d) {
        press(d, Qt::Key_Down);
        press(d, Qt::Key_Down);
        saveAs(dir, "picklist")(d);
    });
    runPickList(ds, {}, "S", 11776174, 13684686, 4407615, 8487297, 0);

    // The table button being renamed, as the screen draws it.
    const UiScale ui(effectiveScreenScale(QGuiApplication::primaryScreen()));
    TSpeedButton tableButton;
    tableButton.setScale(ui.factor());
    tableButton.setFont(ui.font(tableButton.font()));
    tableButton.resize(ui.size({77, 50}));
    tableButton.setGlyph(drawGlyph(Glyph::AssignedTable, ui.size({32, 32})));
    setKeyboardPreviewSource(&tableButton);
    whenModal(QStringLiteral("the keyboard"), [dir](QWidget* k) {
        tapText(k, QStringLiteral(" VIP"));
        saveAs(dir, "keyboard")(k);
    });
    runKeyboard(QStringLiteral("Mesa"), 0, 0, 0);

    QVariant result = QVariantList(10);
    whenModal(QStringLiteral("the colour choice"), [dir](QWidget* c) {
        if (QWidget* teal = swatchShowing(c, QColor(0, 128, 128)))
            QTest::mouseClick(teal, Qt::LeftButton);
        saveAs(dir, "color")(c);
    });
    runColorChoice({QString()}, result);

    whenModal(QStringLiteral("the message"), saveAs(dir, "message"));
    showMessageDialog({QStringLiteral("Todas as mesas e ambientes selecionados serão excluídos. Confirma exclusão?"),
                       QStringLiteral("S"), 1, QStringLiteral("002")});
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    nameHistoryWriterOfEverySession();
    const QStringList args = QCoreApplication::arguments();
    const std::optional<ScreenScale> scale =
        args.size() == 4 && args[2] == QLatin1String("--scale") ? parseScreenScale(args[3]) : ScreenScale{};
    if ((args.size() != 2 && args.size() != 4) || !scale) {
        std::fprintf(stderr, "usage: qdl-screenshots DIR [--scale auto|FACTOR]\n");
        return 2;
    }
    setScreenScale(*scale);
    const QString dir = QDir(args[1]).absolutePath();
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "qdl-screenshots: cannot make %s\n", qPrintable(dir));
        return 1;
    }
    controlsPanel(dir);
    glyphSheet(dir);
    dialogs(dir);
    for (const QString& f : g_failures)
        std::fprintf(stderr, "qdl-screenshots: %s\n", qPrintable(f));
    if (!g_failures.isEmpty())
        return 1;
    std::printf("Pictures saved in %s\n", qPrintable(dir));
    return 0;
}
