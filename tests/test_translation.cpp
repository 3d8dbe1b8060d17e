// One language everywhere: with English installed, the real screen, the
// dialogs, the error paths and qdl-host's command line show no Portuguese,
// and with Portuguese (or a C locale) they show the original texts.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <QXmlStreamReader>

#include "Srv_qdl00005.h"
#include "connection.h"
#include "checkcommand.h"
#include "consistency.h"
#include "dialogs/colorchoice.h"
#include "dialogs/keyboard.h"
#include "dialogs/messagedialog.h"
#include "dialogs/picklist.h"
#include "errors.h"
#include "formfixture.h"
#include "hostprogram.h"
#include "messages.h"
#include "msgpadrao.h"
#include "testmain.h"
#include "theme.h"
#include "touchcontrols.h"

namespace {

struct Entry {
    QString context, source, translation;
    QStringList forms; // a count's plural forms (numerus), else empty
};

// A <translation> element read whole: a count's holds its plural forms as
// elements of their own.
Entry translation(QXmlStreamReader& xml, const QString& context, const QString& source)
{
    Entry e{context, source, {}, {}};
    while (!xml.atEnd() && !(xml.readNext() == QXmlStreamReader::EndElement && xml.name() == QLatin1String("translation"))) {
        if (xml.isCharacters())
            e.translation += xml.text();
        else if (xml.isStartElement() && xml.name() == QLatin1String("numerusform"))
            e.forms << xml.readElementText();
    }
    e.translation = e.forms.isEmpty() ? e.translation.trimmed() : e.forms.join(QLatin1Char(' '));
    return e;
}

// The English catalogue as written: the Portuguese sources and their English.
QList<Entry> catalogue()
{
    static const QList<Entry> entries = [] {
        QList<Entry> list;
        QFile ts(qEnvironmentVariable("QDL_SOURCE_DIR", QStringLiteral(".")) + "/i18n/qdl_en.ts");
        if (!ts.open(QIODevice::ReadOnly))
            return list;
        QXmlStreamReader xml(&ts);
        QString context, source;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("name"))
                context = xml.readElementText();
            else if (xml.name() == QLatin1String("source"))
                source = xml.readElementText();
            else if (xml.name() == QLatin1String("translation"))
                list << translation(xml, context, source);
        }
        return list;
    }();
    return entries;
}

// A text the catalogue keeps the same in both languages ("Qdl00005", "OK").
bool sameInBothLanguages(const QString& text)
{
    for (const Entry& e : catalogue())
        if (e.source == text && e.translation == text)
            return true;
    return false;
}

// The first sign of Portuguese in the text, or "" when there is none: a
// Portuguese letter, or a piece of a Portuguese source of the catalogue
// standing as words of their own.
QString portugueseIn(const QString& text)
{
    static const QRegularExpression letters(QStringLiteral("[ãõçáéíóúâêôàÃÕÇÁÉÍÓÚÂÊÔÀ]"));
    if (const auto m = letters.match(text); m.hasMatch())
        return m.captured();
    static const QList<QRegularExpression> pieces = [] {
        QList<QRegularExpression> list;
        static const QRegularExpression placeholders(QStringLiteral("%\\d|%n|[\\n\\r]"));
        static const QRegularExpression word(QStringLiteral("\\p{L}\\p{L}"));
        for (const Entry& e : catalogue()) {
            if (e.source == e.translation)
                continue;
            for (QString piece : e.source.split(placeholders)) {
                piece = piece.trimmed();
                if (piece.size() >= 4 && word.match(piece).hasMatch() && !e.translation.contains(piece))
                    list << QRegularExpression(QStringLiteral("(?<!\\p{L})%1(?!\\p{L})")
                                                   .arg(QRegularExpression::escape(piece)));
            }
        }
        return list;
    }();
    for (const QRegularExpression& piece : pieces)
        if (const auto m = piece.match(text); m.hasMatch())
            return m.captured();
    return {};
}

// Every text a window shows, by the widget's name and place: the title, the
// labels, the buttons, their tooltips, input hints and list column titles.
QMap<QString, QString> shownTexts(QWidget* window)
{
    QMap<QString, QString> texts;
    texts.insert(QStringLiteral("windowTitle"), window->windowTitle());
    const auto widgets = window->findChildren<QWidget*>();
    for (int i = 0; i < widgets.size(); ++i) {
        QWidget* w = widgets[i];
        const QString key = QStringLiteral("%1#%2").arg(w->objectName()).arg(i);
        if (auto* label = qobject_cast<QLabel*>(w))
            texts.insert(key, label->text());
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts.insert(key, button->text());
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            texts.insert(key + QStringLiteral(".placeholder"), edit->placeholderText());
        else if (auto* view = qobject_cast<QAbstractItemView*>(w); view && view->model())
            for (int c = 0; c < view->model()->columnCount(); ++c)
                texts.insert(key + QStringLiteral(".column%1").arg(c),
                             view->model()->headerData(c, Qt::Horizontal).toString());
        texts.insert(key + QStringLiteral(".tip"), w->toolTip());
    }
    texts.removeIf([](const auto& it) { return it.value().trimmed().isEmpty(); });
    return texts;
}

// The same window shown in Portuguese and then in English: every English
// text is English. A text left as in Portuguese must be one without words
// (digits, single-letter keys, symbols, capitals such as "RGB" or a code),
// one the catalogue keeps in both languages, or data from the database.
void expectEnglish(const QMap<QString, QString>& pt, const QMap<QString, QString>& en,
                   const QStringList& data = {})
{
    EXPECT_EQ(pt.keys(), en.keys());
    static const QRegularExpression word(QStringLiteral("\\p{L}\\p{Ll}"));
    QString portuguese;
    for (auto it = en.cbegin(); it != en.cend(); ++it) {
        const QString& text = it.value();
        portuguese += pt.value(it.key()) + QLatin1Char('\n');
        if (data.contains(text) || !word.match(text).hasMatch())
            continue;
        const bool unchanged = text == pt.value(it.key());
        EXPECT_FALSE(unchanged && !sameInBothLanguages(text))
            << it.key().toStdString() << " still shows the Portuguese \"" << text.toStdString() << '"';
        EXPECT_EQ(portugueseIn(text), QString()) << it.key().toStdString() << ": " << text.toStdString();
        // Shortcut keys stay: they are the same in both languages.
        static const QRegularExpression shortcut(QStringLiteral("^(F\\d+|Esc|Ctrl\\+Enter\\n\\r|[A-Z])-"));
        if (const auto m = shortcut.match(pt.value(it.key())); m.hasMatch()) {
            EXPECT_TRUE(text.startsWith(m.captured())) << it.key().toStdString() << ": " << text.toStdString();
        }
    }
    // The detector sees the Portuguese: it is no blind test.
    EXPECT_NE(portugueseIn(portuguese), QString());
}

// A translation entry left unfinished ships the Portuguese: refused here.
TEST(Catalogue, HasNoUnfinishedEntries)
{
    QFile ts(qEnvironmentVariable("QDL_SOURCE_DIR", QStringLiteral(".")) + "/i18n/qdl_en.ts");
    ASSERT_TRUE(ts.open(QIODevice::ReadOnly)) << ts.fileName().toStdString();
    QXmlStreamReader xml(&ts);
    QString context, source;
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
            EXPECT_FALSE(unfinished
                         || xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().isEmpty())
                << context.toStdString() << ": " << source.toStdString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();

    // lrelease, which makes the catalogue the program loads, counts none
    // unfinished either, and has nothing to warn of (a message twice).
    QTemporaryDir out;
    QProcess lrelease;
    lrelease.setProcessChannelMode(QProcess::MergedChannels);
    lrelease.start(qEnvironmentVariable("QDL_LRELEASE"), {ts.fileName(), QStringLiteral("-qm"), out.filePath(QStringLiteral("qdl_en.qm"))});
    ASSERT_TRUE(lrelease.waitForFinished(60000)) << lrelease.errorString().toStdString();
    const QString said = QString::fromUtf8(lrelease.readAll());
    static const QRegularExpression counts(QStringLiteral(R"re(Generated \d+ translation\(s\) \(\d+ finished and (\d+) unfinished\))re"));
    const auto m = counts.match(said);
    ASSERT_TRUE(m.hasMatch()) << said.toStdString();
    EXPECT_EQ(m.captured(1), QStringLiteral("0")) << said.toStdString();
    EXPECT_FALSE(said.contains(QLatin1String("arning"))) << said.toStdString();
}

// ---- Every text of the sources ---------------------------------------------------

struct SourceText {
    QString context, text, file;
};

// C++ source with its comments blanked; string and character literals kept
// whole (a "//" inside a URL is no comment).
QString withoutComments(const QString& code)
{
    static const QRegularExpression tokens(QStringLiteral(R"re("(?:[^"\\\n]|\\.)*"|'(?:[^'\\\n]|\\.)*'|//[^\n]*|/\*.*?\*/)re"),
                                           QRegularExpression::DotMatchesEverythingOption);
    QString out = code;
    for (auto it = tokens.globalMatch(code); it.hasNext();) {
        const auto m = it.next();
        if (m.captured().startsWith(QLatin1Char('/')))
            out.replace(m.capturedStart(), m.capturedLength(), QString(m.capturedLength(), QLatin1Char(' ')));
    }
    return out;
}

// The text of adjacent string literals ("a" "b"), escapes read.
QString literalText(const QString& literals)
{
    static const QRegularExpression literal(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    QString text;
    for (auto it = literal.globalMatch(literals); it.hasNext();) {
        const QString body = it.next().captured(1);
        for (qsizetype i = 0; i < body.size(); ++i) {
            QChar c = body[i];
            if (c == QLatin1Char('\\') && i + 1 < body.size()) {
                c = body[++i];
                if (c == QLatin1Char('n'))
                    c = QLatin1Char('\n');
                else if (c == QLatin1Char('t'))
                    c = QLatin1Char('\t');
            }
            text += c;
        }
    }
    return text;
}

// Every text the program's sources mark for translation, with its context:
// translate("Context", "text"), QT_TRANSLATE_NOOP("Context", "text"), and
// tr("text"), whose context is the file's tr() wrapper's
// (translate("Context", text)) or else the class of the member function it
// is in (a Q_OBJECT class's tr).
QList<SourceText> translatableTexts()
{
    const QString literals = QStringLiteral(R"re(((?:"(?:[^"\\]|\\.)*"\s*)+))re");
    static const QRegularExpression translate(QStringLiteral(R"re((?:\btranslate|\bQT_TRANSLATE_NOOP)\(\s*"([\w-]+)"\s*,\s*)re") + literals);
    static const QRegularExpression wrapper(QStringLiteral(R"re(\btranslate\(\s*"([\w-]+)"\s*,\s*text\b)re"));
    static const QRegularExpression tr(QStringLiteral(R"re((?<![\w.>:])tr\(\s*)re") + literals);
    static const QRegularExpression scope(QStringLiteral(R"re(^(?:class|struct)\s+(\w+)|^[^\s#/][^\n(;]*?\b(\w+)::~?\w+\()re"),
                                          QRegularExpression::MultilineOption);
    QList<SourceText> texts;
    const QDir root(qEnvironmentVariable("QDL_SOURCE_DIR", QStringLiteral(".")));
    for (const char* folder : {"app", "cli", "db", "host", "pkg", "srv"}) {
        QDirIterator files(root.filePath(QLatin1String(folder)), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString code = withoutComments(QString::fromUtf8(file.readAll()));
            const QString name = root.relativeFilePath(file.fileName());
            for (auto it = translate.globalMatch(code); it.hasNext();) {
                const auto m = it.next();
                texts << SourceText{m.captured(1), literalText(m.captured(2)), name};
            }
            const QString ownContext = wrapper.match(code).captured(1);
            QList<std::pair<qsizetype, QString>> scopes;
            for (auto it = scope.globalMatch(code); it.hasNext();) {
                const auto m = it.next();
                scopes.append({m.capturedStart(), m.captured(1).isEmpty() ? m.captured(2) : m.captured(1)});
            }
            for (auto it = tr.globalMatch(code); it.hasNext();) {
                const auto m = it.next();
                QString context = ownContext;
                for (qsizetype i = 0; context.isEmpty() && i < scopes.size(); ++i)
                    if (i + 1 == scopes.size() || scopes[i + 1].first > m.capturedStart())
                        context = scopes[i].second;
                texts << SourceText{context, literalText(m.captured(1)), name};
            }
        }
    }
    return texts;
}

// A text the sources mark and the catalogue lacks ships in Portuguese; a
// count (%n) needs the English plural forms.
// The original's counts read right too: "1 botão", "2 botões", never
// "botão(ões)" (qdl_pt.ts holds every plural the English catalogue has).
TEST(Catalogue, PortugueseSaysEachCountInItsRightForm)
{
    installLanguage(QStringLiteral("pt"));
    static const QRegularExpression either(QStringLiteral("\\((s|es|ões|is)\\)"));
    for (const Entry& e : catalogue())
        if (!e.forms.isEmpty())
            for (int n : {1, 2}) {
                const QString said = QCoreApplication::translate(e.context.toUtf8().constData(), e.source.toUtf8().constData(), nullptr, n);
                EXPECT_FALSE(said.contains(either)) << e.context.toStdString() << ": " << said.toStdString();
            }
    EXPECT_EQ(QCoreApplication::translate("LayoutCheck", "%n botão(ões)", nullptr, 1), QStringLiteral("1 botão"));
    EXPECT_EQ(QCoreApplication::translate("Branches", "%1: %n filial(is).", nullptr, 3), QStringLiteral("%1: 3 filiais."));
    installLanguage(QString());
}

TEST(Catalogue, HoldsEveryTextOfTheSources)
{
    QHash<std::pair<QString, QString>, Entry> entries;
    for (const Entry& e : catalogue())
        entries.insert({e.context, e.source}, e);
    const QList<SourceText> texts = translatableTexts();
    // Blind to no kind of call: a wrapper's texts, a class's own tr and
    // translate() are all among them.
    ASSERT_GT(texts.size(), 400);
    for (const SourceText& t : texts) {
        const auto found = entries.constFind({t.context, t.text});
        if (found == entries.cend()) {
            ADD_FAILURE() << t.file.toStdString() << ": no English for " << t.context.toStdString() << ": \""
                          << t.text.toStdString() << '"';
            continue;
        }
        if (t.text.contains(QLatin1String("%n"))) {
            EXPECT_TRUE(found->forms.size() == 2 && !found->forms.contains(QString()))
                << t.file.toStdString() << ": the English of \"" << t.text.toStdString() << "\" needs its two plural forms";
        }
    }
}

// ---- Switching at run time ----------------------------------------------------

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

// ---- The real screen ----------------------------------------------------------

class Screen : public FormTest {
protected:
    void TearDown() override
    {
        FormTest::TearDown();
        installLanguage(QStringLiteral("pt"));
    }

    // The screen opened in the language: what it shows, and its message table.
    std::pair<QMap<QString, QString>, QMap<QString, QString>> open(const QString& language)
    {
        installLanguage(language);
        openScreen();
        QMap<QString, QString> messages;
        if (form) {
            for (const QString& line : form->msgPadrao.Messages) {
                const QString key = line.section(QLatin1Char('|'), 0, 0);
                messages.insert(key, form->msgPadrao.Msg(key));
            }
        }
        auto texts = form ? shownTexts(form) : QMap<QString, QString>();
        closeScreen();
        return {texts, messages};
    }

    // The names the database gives areas and tables: shown as they are.
    QStringList names()
    {
        QStringList list;
        for (const char* sql : {"SELECT DSBUTTON FROM ITMENUCONFTE", "SELECT NMSALA FROM SALA",
                                "SELECT NMMESA FROM MESA"}) {
            SqlQuery q(db->openCheckConnection());
            EXPECT_TRUE(q.exec(QString::fromLatin1(sql))) << errorText(q.lastError());
            while (q.next())
                list << q.value(0).toString();
        }
        return list;
    }
};

TEST_P(Screen, ShowsEveryCaptionAndMessageInEnglish)
{
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1", "Mesa 1");
    const auto [ptTexts, ptMessages] = open(QStringLiteral("pt"));
    const auto [enTexts, enMessages] = open(QStringLiteral("en"));
    ASSERT_FALSE(enTexts.isEmpty());
    expectEnglish(ptTexts, enTexts, names());
    ASSERT_FALSE(enMessages.isEmpty());
    expectEnglish(ptMessages, enMessages);
    for (auto it = enMessages.cbegin(); it != enMessages.cend(); ++it) {
        // Texts the screen joins with values keep their trailing blank.
        EXPECT_EQ(it.value().endsWith(QLatin1Char(' ')), ptMessages.value(it.key()).endsWith(QLatin1Char(' ')))
            << it.key().toStdString();
    }
}

// The dialogs the screen opens, on the screen's own data sets.
TEST_P(Screen, DialogsShowEnglish)
{
    // What the next modal dialog shows; then it is closed.
    const auto grab = [](QMap<QString, QString>* texts) {
        QTimer::singleShot(0, [texts] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            *texts = shownTexts(dialog);
            if (auto* d = qobject_cast<QDialog*>(dialog))
                d->reject();
        });
    };
    const auto dialogs = [&](const QString& language) {
        installLanguage(language);
        QList<QMap<QString, QString>> all(5);
        grab(&all[0]);
        showMessageDialog({QStringLiteral("?"), QStringLiteral("S"), 1, QStringLiteral("002")});
        grab(&all[1]);
        showMessageDialog({QStringLiteral("!"), QStringLiteral("N"), 3, QString()});
        grab(&all[2]);
        runKeyboard(QStringLiteral("x"), 0, 0, 0);
        grab(&all[3]);
        QVariant colours(QVariantList(10));
        runColorChoice(QVariantList{QString()}, colours);
        // The pick list of areas, on the screen's data set.
        openScreen();
        form->cdsAmbientes.Append();
        form->cdsAmbientes.FieldByName(QStringLiteral("CDSALA")).setAsString(QStringLiteral("SAL"));
        form->cdsAmbientes.FieldByName(QStringLiteral("NMSALA")).setAsString(QStringLiteral("Salão"));
        form->cdsAmbientes.Post();
        grab(&all[4]);
        runPickList(form->cdsAmbientes, QString(), QStringLiteral("S"), 11776174, 13684686, 4407615, 8487297, 0);
        closeScreen();
        return all;
    };
    const auto pt = dialogs(QStringLiteral("pt"));
    const auto en = dialogs(QStringLiteral("en"));
    for (int i = 0; i < en.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_FALSE(en[i].isEmpty());
        expectEnglish(pt[i], en[i], {QStringLiteral("Salão")});
    }
}

QDL_FORM_SUITE(Screen);

// ---- Error paths ---------------------------------------------------------------

class ErrorPaths : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override
    {
        QDL_REQUIRE_BACKEND(GetParam());
        db = TestDatabase::create(GetParam());
    }
    void TearDown() override
    {
        installLanguage(QStringLiteral("pt"));
        setMensagemProc({});
        db.drop();
    }

    // A button that the database refuses to save: the service's error text,
    // and what the operator is told of it.
    std::pair<QString, QString> refusedInsert(const QString& language)
    {
        installLanguage(language);
        ServiceSession session(db);
        ServiceResult r;
        EXPECT_EQ(getInsere("9999", "00001", "05", "X", 0.0f, 11571344.0f, "", "1", "TER", "4", "0", "0", "0", r),
                  0);
        EXPECT_TRUE(r.isError());
        QString told;
        setMensagemProc([&told](const MessageRequest& m) {
            told = m.text;
            return false;
        });
        EXPECT_THROW(MensagemMetodo(r, false, 0, "getInsere", "Srv_qdl00005", "9999, 00001", {}), EAbort);
        return {r.toText(), told};
    }

    // The layout check's report on a layout with a broken row.
    QString layoutReport(const QString& language)
    {
        installLanguage(language);
        QString out;
        QTextStream stream(&out);
        EXPECT_EQ(runLayoutCheck(db.connectionString, stream), 1);
        return out;
    }

    TestDatabase db;
};

INSTANTIATE_TEST_SUITE_P(Backends, ErrorPaths, ::testing::ValuesIn(testBackends()), backendName);

TEST_P(ErrorPaths, FailingServiceIsReportedInTheLanguage)
{
    installFailingTrigger(db, "qdl_refuse", "INSERT", "ITMENUCONFTE", "NEW.NRBUTTON = '05'", "refused by the test");
    const auto [enError, enTold] = refusedInsert(QStringLiteral("en"));
    EXPECT_TRUE(enError.startsWith("Could not save the button (acmInsere)")) << enError.toStdString();
    EXPECT_EQ(portugueseIn(enError), QString()) << enError.toStdString();
    EXPECT_TRUE(enTold.startsWith("The service getInsere (Srv_qdl00005) failed.")) << enTold.toStdString();
    EXPECT_EQ(portugueseIn(enTold), QString()) << enTold.toStdString();

    const auto [ptError, ptTold] = refusedInsert(QStringLiteral("pt"));
    EXPECT_TRUE(ptError.startsWith("Erro ao gravar o botão (acmInsere)")) << ptError.toStdString();
    EXPECT_TRUE(ptTold.startsWith("O serviço getInsere (Srv_qdl00005) falhou.")) << ptTold.toStdString();
}

TEST_P(ErrorPaths, LayoutCheckReportsInTheLanguage)
{
    db.exec(QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, "
                           "IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, "
                           "NRCOLORBACK) VALUES ('9999', '00001', '4', '77', '2', '0', '0', '0', 'NADA', 'X', 0, 0)"));
    const QString en = layoutReport(QStringLiteral("en"));
    EXPECT_EQ(portugueseIn(en), QString()) << en.toStdString();
    EXPECT_TRUE(en.contains(QStringLiteral("problems found."))) << en.toStdString();
    const QString pt = layoutReport(QStringLiteral("pt"));
    EXPECT_NE(portugueseIn(pt), QString()) << pt.toStdString();
}

TEST(MissingDatabase, IsReportedInTheLanguage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing.db"));
    const auto openMissing = [&path](const QString& language) {
        installLanguage(language);
        setConnectionStringOverride(QStringLiteral("sqlite:") + path);
        TrdmConfMesa module;
        QString message;
        try {
            module.adcConfigMesa->setConnected(true);
        } catch (const EQdlError& e) {
            message = e.message();
        }
        setConnectionStringOverride(QString());
        return message;
    };
    EXPECT_EQ(openMissing(QStringLiteral("en")), QStringLiteral("Database not found: ") + path);
    EXPECT_EQ(openMissing(QStringLiteral("pt")), QStringLiteral("Banco de dados não encontrado: ") + path);
}

// ---- qdl-host's command line ----------------------------------------------------

// qdl-host with the arguments, under the system language given by LANG.
HostRun runHost(const QStringList& arguments, const QString& lang = QStringLiteral("C.UTF-8"))
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LC_NUMERIC", "LANGUAGE", "QDL_DATABASE"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LANG"), lang);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return runHostProgram(env, arguments);
}

class Host : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString missing = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("missing.db"));
};

TEST_F(Host, EnglishWhenAskedOrWhenTheSystemIsEnglish)
{
    const QList<std::pair<QStringList, QString>> english = {
        {{"--lang", "en", "--database", missing, "--check"}, "C.UTF-8"},
        {{"--database", missing, "--check"}, "en_US.UTF-8"},
        {{"--lang=en", "--database", missing}, "pt_BR.UTF-8"},
        {{"--lang", "en", "--help"}, "C.UTF-8"},
        {{"--help"}, "en_GB.UTF-8"},
        {{"--lang", "en", "--no-such-option"}, "C.UTF-8"},
    };
    for (const auto& [arguments, lang] : english) {
        const HostRun run = runHost(arguments, lang);
        const QString shown = run.out + run.err;
        SCOPED_TRACE((arguments.join(' ') + " LANG=" + lang + "\n" + shown).toStdString());
        EXPECT_NE(run.status, -1);
        EXPECT_EQ(portugueseIn(shown), QString());
        EXPECT_TRUE(shown.contains(QRegularExpression(QStringLiteral("Database not found|Usage:|Unknown option"))));
    }
}

TEST_F(Host, PortugueseWhenAskedOrWhenTheSystemIsNotEnglish)
{
    const QList<std::pair<QStringList, QString>> portuguese = {
        {{"--lang", "pt", "--database", missing, "--check"}, "en_US.UTF-8"},
        {{"--database", missing, "--check"}, "C"},
        {{"--database", missing}, "C.UTF-8"},
        {{"--help"}, "C"},
        {{"--lang", "pt", "--help"}, "en_US.UTF-8"},
        {{"--no-such-option"}, "pt_BR.UTF-8"},
    };
    for (const auto& [arguments, lang] : portuguese) {
        const HostRun run = runHost(arguments, lang);
        const QString shown = run.out + run.err;
        SCOPED_TRACE((arguments.join(' ') + " LANG=" + lang + "\n" + shown).toStdString());
        EXPECT_NE(run.status, -1);
        // Qt's own texts too ("Uso:", "Opção desconhecida"), from Qt's translations.
        EXPECT_TRUE(shown.contains(
            QRegularExpression(QStringLiteral("Banco de dados não encontrado|Uso:|Opção desconhecida"))));
        EXPECT_NE(portugueseIn(shown), QString());
    }
}

} // namespace

QDL_TEST_MAIN()
