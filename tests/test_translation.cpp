// The English translation: complete for the screen's captions and messages
// and for the dialogs, and switched in and out at run time by Trad.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
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

QString messageText(const QString& line)
{
    return line.section(QLatin1Char('|'), 1);
}

class English : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_en.load(QStringLiteral(":/i18n/qdl_en.qm"))); }
    QString en(const char* context, const QString& source) const
    {
        return m_en.translate(context, source.toUtf8().constData());
    }
    QTranslator m_en;
};

TEST_F(English, EveryCaptionOfTheFormIsTranslated)
{
    for (const QString& caption : formCaptions())
        EXPECT_FALSE(en("TfrmConfMesa", caption).isEmpty()) << caption.toStdString();
    EXPECT_EQ(en("TfrmConfMesa", "F3-Mudar Nome"), "F3-Rename");
    // The shortcut letters stay: the keys are the same in both languages.
    for (const QString& caption : formCaptions()) {
        const QString key = caption.section(QLatin1Char('-'), 0, 0);
        if (caption.contains(QLatin1Char('-')) && key.size() <= 3) {
            EXPECT_TRUE(en("TfrmConfMesa", caption).startsWith(key + '-')) << caption.toStdString();
        }
    }
    EXPECT_EQ(en("TfrmConfMesa", "Ctrl+Enter\n\rConfirmar"), "Ctrl+Enter\n\rConfirm");
}

TEST_F(English, EveryMessageOfTheTableIsTranslated)
{
    for (const QString& line : msgPadraoLines()) {
        const QString pt = messageText(line);
        const QString text = en("TMessages", pt);
        EXPECT_FALSE(text.isEmpty()) << line.toStdString();
        // Texts the screen joins with values keep their trailing blank.
        EXPECT_EQ(text.endsWith(QLatin1Char(' ')), pt.endsWith(QLatin1Char(' '))) << line.toStdString();
        if (pt.contains(QRegularExpression(QStringLiteral("[ãçéêíóõú]")))) {
            EXPECT_NE(text, pt) << line.toStdString();
        }
    }
}

// Every string in the translation source is finished: a dialog text added
// without its English fails here.
TEST(TranslationSource, HasNoUnfinishedEntries)
{
    QFile ts(qEnvironmentVariable("QDL_SOURCE_DIR", QStringLiteral(".")) + "/i18n/qdl_en.ts");
    ASSERT_TRUE(ts.open(QIODevice::ReadOnly)) << ts.fileName().toStdString();
    QXmlStreamReader xml(&ts);
    QString context, source;
    int messages = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const bool unfinished = xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
            const QString text = xml.readElementText();
            EXPECT_FALSE(unfinished || text.isEmpty())
                << context.toStdString() << ": " << source.toStdString();
            ++messages;
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(messages, qsizetype(formCaptions().size() + msgPadraoLines().size()));
}

// A form shaped like the screen: title, labels and command buttons.
struct SampleForm {
    SampleForm()
    {
        form.setWindowTitle(QStringLiteral("Quadrel - Configuração Tela de Mesa"));
        page = new QLabel(QStringLiteral("pág."), &form);
        code = new QLabel(QStringLiteral("Qdl00005"), &form);
        hint = new QLabel(&form);
        rename = new TBlendedBitBtn(&form);
        rename->setText(QStringLiteral("F3-Mudar Nome"));
        confirm = new TBlendedBitBtn(&form);
        confirm->setText(QStringLiteral("Ctrl+Enter\n\rConfirmar"));
        area = new TTouchButton(&form);
        area->setText(QStringLiteral("Salão"));
    }
    QWidget form;
    QLabel* page;
    QLabel* code;
    QLabel* hint;
    TBlendedBitBtn* rename;
    TBlendedBitBtn* confirm;
    TTouchButton* area;
};

class Switching : public ::testing::Test {
protected:
    void TearDown() override { installLanguage(QStringLiteral("pt")); }
};

TEST_F(Switching, TradTurnsTheFormToEnglishAndBack)
{
    SampleForm s;
    ASSERT_TRUE(installLanguage(QStringLiteral("en")));
    Trad(&s.form);
    EXPECT_EQ(s.form.windowTitle(), "Quadrel - Table Screen Setup");
    EXPECT_EQ(s.page->text(), "pg.");
    EXPECT_EQ(s.rename->text(), "F3-Rename");
    EXPECT_EQ(s.confirm->text(), "Ctrl+Enter\n\rConfirm");
    EXPECT_EQ(s.area->text(), "Salão"); // a name from the database is not a caption
    EXPECT_EQ(s.hint->text(), "");

    Trad(&s.form); // twice changes nothing
    EXPECT_EQ(s.rename->text(), "F3-Rename");

    EXPECT_FALSE(installLanguage(QStringLiteral("pt")));
    Trad(&s.form);
    EXPECT_EQ(s.form.windowTitle(), "Quadrel - Configuração Tela de Mesa");
    EXPECT_EQ(s.page->text(), "pág.");
    EXPECT_EQ(s.rename->text(), "F3-Mudar Nome");
    EXPECT_EQ(s.confirm->text(), "Ctrl+Enter\n\rConfirmar");
}

TEST_F(Switching, TextSetByTheProgramBecomesTheNewSource)
{
    SampleForm s;
    installLanguage(QStringLiteral("en"));
    Trad(&s.form);
    // The screen writes its page number after start-up.
    s.page->setText(QStringLiteral("2"));
    s.rename->setText(QStringLiteral("F5-Cor Botão"));
    installLanguage(QStringLiteral("pt"));
    Trad(&s.form);
    EXPECT_EQ(s.page->text(), "2");
    EXPECT_EQ(s.rename->text(), "F5-Cor Botão");
    installLanguage(QStringLiteral("en"));
    Trad(&s.form);
    EXPECT_EQ(s.rename->text(), "F5-Button Colour");
}

TEST_F(Switching, MessagesFollowTheLanguage)
{
    TMessages msg;
    msg.Messages = msgPadraoLines();
    EXPECT_EQ(msg.Msg("Loja"), "Loja:");
    installLanguage(QStringLiteral("en"));
    EXPECT_EQ(msg.Msg("Loja"), "Store:");
    EXPECT_EQ(msg.Msg("Mesa_Cor"), "The button colour cannot be changed.");
    installLanguage(QStringLiteral("pt"));
    EXPECT_EQ(msg.Msg("Mesa_Cor"), "Cor do botão não pode ser alterada.");
}

TEST_F(Switching, DialogsFollowTheLanguage)
{
    const MessageRequest question{QStringLiteral("?"), QStringLiteral("S"), 1, QStringLiteral("002")};
    auto buttonsOf = [&question] {
        QStringList seen;
        QTimer::singleShot(0, [&seen] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            seen << box->findChild<QLabel*>("dlgTitle")->text()
                 << box->findChild<QPushButton*>("msgYes")->text()
                 << box->findChild<QPushButton*>("msgNo")->text()
                 << box->findChild<QLabel*>("msgCode")->text();
            QTest::mouseClick(box->findChild<QPushButton*>("msgNo"), Qt::LeftButton);
        });
        showMessageDialog(question);
        return seen;
    };
    installLanguage(QStringLiteral("en"));
    EXPECT_EQ(buttonsOf(), QStringList({"Confirmation", "Yes", "No", "Code 002"}));
    installLanguage(QStringLiteral("pt"));
    EXPECT_EQ(buttonsOf(), QStringList({"Confirmação", "Sim", "Não", "Código 002"}));
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
