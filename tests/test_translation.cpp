// The English translation: complete for the screen's captions and messages
// and for the dialogs, and switched in and out at run time.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QXmlStreamReader>

#include "dialogs/messagedialog.h"
#include "messages.h"
#include "msgpadrao.h"
#include "theme.h"
#include "touchcontrols.h"

void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

TEST(English, CoversEveryCaptionAndMessageOfTheScreen)
{
    QTranslator en;
    ASSERT_TRUE(en.load(QStringLiteral(":/i18n/qdl_en.qm")));
    for (const QString& caption : formCaptions()) {
        const QString text = en.translate("TfrmConfMesa", caption.toUtf8().constData());
        EXPECT_FALSE(text.isEmpty()) << caption.toStdString();
        // Shortcut letters stay: the keys are the same in both languages.
        const QString key = caption.section(QLatin1Char('-'), 0, 0);
        if (caption.contains(QLatin1Char('-')) && key.size() <= 3) {
            EXPECT_TRUE(text.startsWith(key + '-')) << caption.toStdString();
        }
    }
    for (const QString& line : msgPadraoLines()) {
        const QString pt = line.section(QLatin1Char('|'), 1);
        const QString text = en.translate("TMessages", pt.toUtf8().constData());
        EXPECT_FALSE(text.isEmpty()) << line.toStdString();
        // Texts the screen joins with values keep their trailing blank.
        EXPECT_EQ(text.endsWith(QLatin1Char(' ')), pt.endsWith(QLatin1Char(' '))) << line.toStdString();
    }
}

// A dialog text added without its English fails here.
TEST(English, SourceHasNoUnfinishedEntries)
{
    QFile ts(qEnvironmentVariable("QDL_SOURCE_DIR", QStringLiteral(".")) + "/i18n/qdl_en.ts");
    ASSERT_TRUE(ts.open(QIODevice::ReadOnly)) << ts.fileName().toStdString();
    QXmlStreamReader xml(&ts);
    QString context, source;
    int translations = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const bool unfinished = xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
            // A plural entry holds its forms as child elements.
            EXPECT_FALSE(unfinished || xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().isEmpty())
                << context.toStdString() << ": " << source.toStdString();
            ++translations;
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(translations, formCaptions().size() + msgPadraoLines().size());
}

class Switching : public ::testing::Test {
protected:
    void TearDown() override { installLanguage(QStringLiteral("pt")); }
};

TEST_F(Switching, TradTurnsAFormToEnglishAndBack)
{
    QWidget form;
    form.setWindowTitle(QStringLiteral("Quadrel - Configuração Tela de Mesa"));
    auto* page = new QLabel(QStringLiteral("pág."), &form);
    auto* number = new QLabel(QStringLiteral("1"), &form);
    auto* rename = new TBlendedBitBtn(&form);
    rename->setText(QStringLiteral("F3-Mudar Nome"));
    auto* confirm = new TBlendedBitBtn(&form);
    confirm->setText(QStringLiteral("Ctrl+Enter\n\rConfirmar"));
    auto* area = new TTouchButton(&form);
    area->setText(QStringLiteral("Salão")); // a name from the database, not a caption

    ASSERT_TRUE(installLanguage(QStringLiteral("en")));
    Trad(&form);
    Trad(&form); // twice changes nothing
    EXPECT_EQ(form.windowTitle(), "Quadrel - Table Screen Setup");
    EXPECT_EQ(page->text(), "pg.");
    EXPECT_EQ(rename->text(), "F3-Rename");
    EXPECT_EQ(confirm->text(), "Ctrl+Enter\n\rConfirm");
    EXPECT_EQ(area->text(), "Salão");

    // What the program writes after start-up is the new source.
    number->setText(QStringLiteral("2"));
    rename->setText(QStringLiteral("F5-Cor Botão"));
    EXPECT_FALSE(installLanguage(QStringLiteral("pt")));
    Trad(&form);
    EXPECT_EQ(form.windowTitle(), "Quadrel - Configuração Tela de Mesa");
    EXPECT_EQ(page->text(), "pág.");
    EXPECT_EQ(number->text(), "2");
    EXPECT_EQ(rename->text(), "F5-Cor Botão");
    EXPECT_EQ(confirm->text(), "Ctrl+Enter\n\rConfirmar");
    installLanguage(QStringLiteral("en"));
    Trad(&form);
    EXPECT_EQ(rename->text(), "F5-Button Colour");
}

TEST_F(Switching, MessagesAndDialogsFollowTheLanguage)
{
    TMessages msg;
    msg.Messages = msgPadraoLines();
    auto question = [] {
        QStringList seen;
        QTimer::singleShot(0, [&seen] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            for (const char* name : {"dlgTitle", "msgCode"})
                seen << box->findChild<QLabel*>(name)->text();
            for (const char* name : {"msgYes", "msgNo"})
                seen << box->findChild<QPushButton*>(name)->text();
            QTest::mouseClick(box->findChild<QPushButton*>("msgNo"), Qt::LeftButton);
        });
        showMessageDialog({QStringLiteral("?"), QStringLiteral("S"), 1, QStringLiteral("002")});
        return seen;
    };

    installLanguage(QStringLiteral("en"));
    EXPECT_EQ(msg.Msg("Loja"), "Store:");
    EXPECT_EQ(msg.Msg("Mesa_Cor"), "The button colour cannot be changed.");
    EXPECT_EQ(question(), QStringList({"Confirmation", "Code 002", "Yes", "No"}));

    installLanguage(QStringLiteral("pt"));
    EXPECT_EQ(msg.Msg("Mesa_Cor"), "Cor do botão não pode ser alterada.");
    EXPECT_EQ(question(), QStringList({"Confirmação", "Código 002", "Sim", "Não"}));
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
